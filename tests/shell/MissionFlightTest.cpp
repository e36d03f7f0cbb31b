// The command line's random missions as the start-up sets them up: `vorn
// --random KIND` flown alone, and hosted for others to join.
#include "shell/MissionFlight.h"

#include <gtest/gtest.h>

#include <string>

#include "mission/Goal.h"
#include "mission/RandomMissionGenerator.h"
#include "shell/LaunchOptions.h"
#include "tests/support/world/SampleMissionTest.h"

namespace {

using Generator = RandomMissionGenerator;

class MissionFlightTest : public SampleMissionTest {};

// Every kind but the death match opens with the wait that starts the
// mission clock: hosted, where the other pilots launch to join the flight,
// the wing forms up; flown alone the pilot stands by as long, and neither
// line names a wing.
TEST_F(MissionFlightTest, TheOpeningWaitNamesAWingOnlyWhereOneFlies) {
    for (const bool hosted : {true, false}) {
        for (int32_t kind = Generator::kScout; kind < Generator::kDeathMatch; ++kind) {
            SCOPED_TRACE(std::string(hosted ? "hosted" : "alone") + " kind " + std::to_string(kind));
            LaunchOptions options;
            options.mission = "Rnd 0";
            options.randomKind = kind;
            options.host = hosted;
            ASSERT_TRUE(SetUpLaunchMission(options));
            const Goal* const opening = g_objectiveChain;
            ASSERT_NE(opening, nullptr);
            EXPECT_EQ(opening->GetKind(), Goal::kWait);
            EXPECT_EQ(opening->timeMs, Generator::kFormUpMs);
            const std::string text = opening->GetObjectiveText(), second = opening->GetSecondText();
            EXPECT_EQ(text, hosted ? Generator::kFormUpText : Generator::kStandByText);
            EXPECT_EQ(second, hosted ? Generator::kFormUpSecondText : Generator::kStandBySecondText);
            EXPECT_EQ((text + second).find("wing") != std::string::npos, hosted) << text << " / " << second;
            // The kind's own goals follow.
            ASSERT_NE(opening->nextGoal, nullptr);
            EXPECT_NE(opening->nextGoal->GetKind(), Goal::kWait);
        }
    }
}

}  // namespace
