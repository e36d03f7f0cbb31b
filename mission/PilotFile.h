#pragma once
#include "engine/Status.h"

// A pilot name too long for its file's name (the name with ".plr" must
// fit 64 bytes with its NUL).
inline constexpr Status kStatusPilotNameTooLong = 0x20004300;

// The game state's career, alone, as the pilot's own file: its pilot name +
// ".plr" in the working directory, the career's form through the XOR chunk
// stream keyed from that path. A pilot carries it into network games.
Status WritePilotFile();
