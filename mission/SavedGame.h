#pragma once
#include <cstdint>
#include <string>

#include "engine/Status.h"

// A saved game that cannot be taken: no "BODY" form, a missing, short or
// oversized "NAME", "DIFF", "PLOT" or "MNAM" chunk, an unknown difficulty,
// or a career form the career record refuses.
inline constexpr Status kStatusSaveBadFile = 0x20004100;

// Where the saved game `name` (a bare name, as the screens give it) lives:
// name + ".sav" in the folder of the options file.
std::string SavedGamePath(const char* name);

// Writes the game state's difficulty, plot counter, mission name, message
// lists and career
// under `title` as the saved game `name`. The new file is written beside the
// old one and takes its place only once it is whole, so a failed write
// leaves the previous save as it was.
Status SaveGame(const char* name, const char* title);

// Reads the saved game `name`. The file is untrusted: it is read into fresh
// records, and unless the whole of it read and passed nothing changes (the
// same career object with the same values, the same message lists, the same
// mission). On success the career, difficulty, plot counter, mission name and
// message lists are replaced (and the hook of the lists told), the
// mission's ready and flown flags cleared and the mission set up again.
Status LoadGame(const char* name);
