#pragma once
#include <string>

#include "engine/Status.h"

class IffFile;

// The repair, personnel and assignment pages under the data root:
// "option/REPAIR1.iff", "option/PERSON1.iff", "option/ASSIGN1.iff" (their
// sprites) and the event maps "cel/REPAIR.iff", "cel/PERSON.iff" and
// "cel/ASSIGN.iff".
Status WriteSquadronArt(const std::string& root);
// The pages' buttons as "ARTW" items, written into the open FORM "OPTI" of
// "optart.iff".
Status WriteSquadronArtItems(IffFile& iff);
