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

using MissionFlightTest = SampleMissionTest;

// Every kind but the death match opens with a wait: hosted, where the other
// pilots launch to join the flight, the wing forms up; flown alone the pilot
// stands by, and neither line names a wing.
TEST_F(MissionFlightTest, TheOpeningWaitNamesAWingOnlyWhereOneFlies) {
    for (const bool hosted : {true, false}) {
        for (int32_t kind = RandomMissionGenerator::kScout; kind < RandomMissionGenerator::kDeathMatch; ++kind) {
            LaunchOptions options;
            options.mission = "Rnd 0", options.randomKind = kind, options.host = hosted;
            ASSERT_TRUE(SetUpLaunchMission(options) && g_objectiveChain != nullptr) << "kind " << kind;
            const Goal& opening = *g_objectiveChain;
            const std::string text = opening.GetObjectiveText() + std::string(" / ") + opening.GetSecondText();
            EXPECT_EQ(opening.GetKind(), Goal::kWait) << text;
            EXPECT_EQ(text.find("wing") != std::string::npos, hosted) << text << ", kind " << kind;
        }
    }
}

}  // namespace
