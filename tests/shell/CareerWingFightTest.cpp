// The pilots a career hires, launched beside the player in the career's
// other ships and flown against by the player's own keys.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "game/CommandTable.h"
#include "tests/shell/CareerFight.h"
#include "tools/mkdata/CampaignData.h"

namespace {

using namespace command_table;

class CareerWingFightTest : public CareerFight {};

// Full throttle and a hard turn from the launch, every way, with one hired
// wingman on the training and with one or two beside the strike's own
// Alpha 2: the wing starts with room for it, and the leader rams none of
// them, takes none of their shots nor dies in the seconds the turn lasts
// (hired guns may down the strike's raiders in them).
TEST_F(CareerWingFightTest, ATurnAtLaunchKeepsClearOfTheHiredWingmenAndTheirFire) {
    struct Flight {
        const char* file;
        std::vector<const char*> hulls;
    };
    const Flight flights[] = {
        {kTrainingMissionFile, {"P107"}}, {kStrikeMissionFile, {"P107"}}, {kStrikeMissionFile, {"P107", "P303"}}};
    for (const Flight& flight : flights) {
        wingHulls_ = flight.hulls;
        for (int32_t seed = 1; seed <= 8; ++seed) {
            for (const uint16_t turn : {kYawLeft, kYawRight, kNoseUp, kNoseDown}) {
                const std::string where = std::string(flight.file) + ", turn " + std::to_string(turn) + ", seed " +
                                          std::to_string(seed);
                const End end = Fight(flight.file, Plan::kTurn, seed, 6000, turn);
                EXPECT_TRUE(end == End::kOpen || end == End::kWon) << where << ": " << EndName(end);
                EXPECT_FALSE(rammed_) << where;
                EXPECT_EQ(friendHits_, 0) << where;
            }
        }
    }
}

}  // namespace
