#pragma once
#include <cstdint>
#include <functional>

class GameState;

// Plays a movie of the video directory by its file name.
using MoviePlayer = std::function<void(const char* name)>;

// The step after a flight of the game state's mission, run once per launch
// (while GameState::flightUnsettled is set) before the option screens
// start: the mission is no longer being flown (GameState::MissionSettled),
// the career takes the flight (UpdateCareerAfterMission); in a
// single-player game the mission's awards for `outcome` are paid; the
// mission's cut-scene plays, or `landingMovie` when it names none (null:
// nothing); a network game writes the pilot file; in a single-player game
// the flown file is loaded again with the outcome, which delivers its
// messages. A network game has no campaign outcome: no awards, no messages.
void SettleFlight(GameState& game, int32_t outcome, const char* landingMovie, const MoviePlayer& playMovie);

// What the restart screen calls when the player accepts the loss of his
// ship: the flight is settled as lost, without a movie.
void AcceptFlightLoss(GameState& game);
