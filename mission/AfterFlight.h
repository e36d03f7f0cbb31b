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

// The e-mail a single-player flight's settling adds when the player
// ejected from a career ship, which the career then loses: what was lost,
// and, with no ship left, how to fly again.
inline constexpr const char* kShipLostTitle = "Ship Lost";
inline constexpr const char* kShipLostText = "You ejected and left your %s behind: it is lost to the squadron.";
inline constexpr const char* kNoShipLeftText =
    " You have no ship left to fly. Buy one under EQUIP, TRADE with the systems it needs (a ship comes bare; the "
    "hangar names any it lacks), fit them under EQUIP, OUTFIT, and launch.";

// What the restart screen calls when the player accepts the loss of his
// ship: the flight is settled as lost, without a movie.
void AcceptFlightLoss(GameState& game);
