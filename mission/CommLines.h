#pragma once
#include <memory>
#include <vector>

#include "engine/Status.h"
#include "game/CommLine.h"

class IffFile;

// "comm.iff": FORM "COMM" of FORM "LINE" entries, each "TEXT", "INFO"
// (eleven i32: display time, when, player class, race, ship class, voice
// gender, side rule, sound flag, weight, uses left, generic flag), "KEYW"
// and "SMPL". A line without "TEXT" or "INFO" is passed over.
namespace comm_lines {

inline constexpr uint32_t kInfoWords = 11;

// 0, or 10 when the file cannot be walked.
Status Read(IffFile& iff, std::vector<std::unique_ptr<CommLine>>* lines);
// The data directory's "comm.iff" into the game state's list.
Status Load();

}  // namespace comm_lines
