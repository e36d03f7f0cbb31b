#pragma once

class GameState;

// What the player is told about pilot files: a name typed that no file can
// carry, and a pilot file that could not be written. Shown in a box unless
// the display forbids boxes, and always in the log.
namespace pilot_notices {

inline constexpr const char* kCaption = "Pilot";
inline constexpr const char* kNotWrittenText = "The pilot file could not be written: this pilot's career is not kept.";

// Writes the game's career to its pilot file; a failure is told, not ignored.
void SavePilot(GameState& game);
// A typed name refused for `problem` (a text of PilotNameProblem).
void TellNameRefused(const char* problem);

}  // namespace pilot_notices
