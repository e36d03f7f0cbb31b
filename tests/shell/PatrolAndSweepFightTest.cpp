// The campaign's fights after the strike as a new career flies them: the
// patrol and the sweep set up from the base in the career's own ship and
// flown by its keys, each plan on seeds 1 to 8.
#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <string>

#include "tests/shell/CareerFight.h"
#include "tools/mkdata/CampaignData.h"

namespace {

class PatrolAndSweepFightTest : public CareerFight {
protected:
    static constexpr int32_t kSeeds = 8;

    // Each seed of each plan flown: the attack won, the others lost, by the
    // pilot's death or the goals, never left open.
    void ExpectWonOnlyFought(const char* file, std::initializer_list<Plan> losing) {
        for (int32_t seed = 1; seed <= kSeeds; ++seed) {
            EXPECT_EQ(EndName(Fight(file, Plan::kAttack, seed)), std::string("won")) << "seed " << seed;
            for (const Plan plan : losing) {
                const End end = Fight(file, plan, seed);
                EXPECT_TRUE(end == End::kDied || end == End::kFailed)
                    << PlanName(plan) << " seed " << seed << ": " << EndName(end);
            }
        }
    }
};

// The raider comes down the patrol's line at the pilot while Alpha 2 flies
// wide of it: a pilot who holds the throttle up and then flies on without
// firing is shot down before Alpha 2 comes near; one who sits idle is shot
// down too, or fails the time limit while Alpha 2 does the fighting. Locked
// on and flown at the raider firing, the pilot downs him and flies on to
// the Patrol Point in time.
TEST_F(PatrolAndSweepFightTest, ThePatrolIsLostIdleOrOnlyThrottledAndWonFought) {
    ExpectWonOnlyFought(kPatrolMissionFile, {Plan::kIdle, Plan::kThrottle});
}

// Each wingman meets the raider on his flank while the middle one comes at
// the pilot: left idle, the pilot is shot down before either wingman is
// free; locked on and flown at it firing, the pilot downs it and the wing
// finishes the sweep.
TEST_F(PatrolAndSweepFightTest, TheSweepIsLostIdleAndWonFought) {
    ExpectWonOnlyFought(kSweepMissionFile, {Plan::kIdle});
}

// T once at launch locks on the raider coming head-on, not on a wingman,
// and flown at it firing, whatever follows, both missions are mostly won.
TEST_F(PatrolAndSweepFightTest, OneTLocksOnTheRaiderComingHeadOnAndWinsOnMostSeeds) {
    for (const char* file : {kPatrolMissionFile, kSweepMissionFile}) {
        int32_t won = 0;
        for (int32_t seed = 1; seed <= kSeeds; ++seed) {
            won += Fight(file, Plan::kAttackOnce, seed) == End::kWon ? 1 : 0;
            EXPECT_TRUE(lockedHostile_) << file << ": T locked on \"" << locked_ << "\", seed " << seed;
        }
        EXPECT_GE(won, kSeeds - 2) << file;
    }
}

}  // namespace

