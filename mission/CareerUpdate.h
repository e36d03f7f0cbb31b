#pragma once
#include <cstdint>
#include <vector>

class CareerRecord;
class GameState;
namespace mission_file {
struct Award;
}

// After a flight: the crafts the career lent it give their state back. The
// player's ship record takes the hull damage (100 - hit points x 100 /
// maximum) and each fitted item its system's damage; the career's kills
// grow by the flight's kills, its missions by 1 (not in a network game,
// which the lobby counts as it is hosted or joined) and its accuracy
// follows the flight's. Each wingman whose craft lives takes his flight
// the same way on his own record; one whose craft died is lost, and his
// ship leaves the career with him.
void UpdateCareerAfterMission(GameState& game);

// Each award whose outcome matches (0 either) and whose accuracy bounds
// hold the career's accuracy adds its credits and ORs its mask into the
// trophies (a mask of exactly Award::kCreditsOnly sets none). The number
// paid.
int32_t PayAwards(CareerRecord& career, const std::vector<mission_file::Award>& awards, int32_t outcome);
