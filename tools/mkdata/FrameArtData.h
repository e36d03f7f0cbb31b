#pragma once
#include <string>

#include "engine/Status.h"

class IffFile;

// The office computer's frame menu and its save and options pages under
// the data root: "cel/FRAME.iff", "cel/SAVE.iff", "cel/OPTI.iff",
// "option/FRAME1.iff", "option/SAVE1.iff" and "option/OPTI1.iff".
Status WriteFrameArt(const std::string& root);

// Their buttons as "ARTW" items and the frame's background "BKGR", written
// into the open FORM "OPTI" of "optart.iff".
Status WriteFrameArtItems(IffFile& iff);
