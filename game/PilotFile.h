#pragma once
#include <cstddef>
#include <string>

#include "engine/Status.h"

class GameState;

// A pilot's career on its own, "<name>.plr" beside the saved games: one
// FORM "PLIN" through the XOR chunk stream keyed from the path.
inline constexpr const char* kPilotFileExtension = ".plr";
// The name and ".plr" fit 64 bytes with their NUL.
inline constexpr size_t kMaxPilotNameLength = 59;

// A name that is empty, too long, holds a folder separator or a control
// character, or starts with a dot names no pilot file: nothing is written
// or read.
inline constexpr Status kStatusPilotBadName = 0x20004300;

// Why a name can name no pilot file, as the player is told when typing it;
// null for a usable name.
const char* PilotNameProblem(const char* name);
bool PilotNameUsable(const char* name);
// Empty for an unusable name.
std::string PilotFilePath(const GameState& game, const char* name);

// The game's career under its pilot's name, the whole file replaced.
Status WritePilotFile(GameState& game);
// The pilot's file into the game's career, as the career record's reader
// takes it.
Status ReadPilotFile(GameState& game, const char* name);
