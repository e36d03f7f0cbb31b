#pragma once
#include <cstdint>
#include <string>

#include "engine/Status.h"

class GameState;
struct CareerOptions;

// "opts.sav": FORM "BODY" holding one chunk "OPTS" with the twelve option
// words, enciphered by the XOR chunk stream keyed from the file's name. It
// lives beside "vorn.cfg" and the saved games.
inline constexpr const char* kOptionsFileName = "opts.sav";
inline constexpr uint32_t kOptionsFileBytes = 68;

// An options file whose form or chunk is missing, or whose chunk is longer
// than the twelve words: nothing of it is taken.
inline constexpr Status kStatusOptionsBadFile = 0x20004200;

std::string OptionsFilePath(const GameState& game);

// Reads the file into `options`. A chunk shorter than twelve words fills
// only the whole words it holds; on any refusal the words stay as they were.
Status ReadOptionsFile(const char* path, CareerOptions* options);
Status WriteOptionsFile(const char* path, const CareerOptions& options);

// The game's own file into and from its career's options; a game without a
// career does nothing.
void ReadOptionsFile(GameState& game);
void WriteOptionsFile(GameState& game);
