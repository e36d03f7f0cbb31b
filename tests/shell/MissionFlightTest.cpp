// The command line's random missions: `vorn --random KIND` flown alone and
// hosted for others to join, as the start-up sets them up and as the run
// without a window tells them.
#include "shell/MissionFlight.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <string>

#include "mission/Goal.h"
#include "mission/RandomMissionGenerator.h"
#include "shell/LaunchOptions.h"
#include "shell/Startup.h"
#include "tests/shell/SampleScriptRun.h"
#include "tests/support/world/SampleMissionTest.h"

namespace {

using Generator = RandomMissionGenerator;

bool NamesAWing(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    return text.find("wing") != std::string::npos;
}

class MissionFlightTest : public SampleMissionTest {};

// Every kind but the death match opens with the wait that starts the
// mission clock: hosted, where the other pilots launch to join the flight,
// the wing forms up; flown alone the pilot stands by as long, and the goal
// names no wing.
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
            if (hosted) {
                EXPECT_STREQ(opening->GetObjectiveText(), Generator::kFormUpText);
                EXPECT_STREQ(opening->GetSecondText(), Generator::kFormUpSecondText);
            } else {
                EXPECT_FALSE(NamesAWing(opening->GetObjectiveText())) << opening->GetObjectiveText();
                EXPECT_FALSE(NamesAWing(opening->GetSecondText())) << opening->GetSecondText();
            }
            // The kind's own goals follow.
            ASSERT_NE(opening->nextGoal, nullptr);
            EXPECT_NE(opening->nextGoal->GetKind(), Goal::kWait);
        }
    }
}

// `vorn --headless --random 1` lists its goals as it sets them up: the
// pilot, alone, stands by before the capital ship is to be destroyed.
TEST(MissionFlightRun, ARandomMissionFlownAloneListsAStandByWithoutAWing) {
    SampleScriptRun run;
    std::string error;
    ASSERT_TRUE(WriteSampleTree(run.dir.Str(), &error)) << error;
    LaunchOptions options;
    options.dataRoot = run.dir.Str();
    options.headless = true;
    options.mission = "Rnd 0";
    options.randomKind = Generator::kDestroy;
    options.seconds = 1;
    testing::internal::CaptureStdout();
    EXPECT_EQ(RunGame(options), 0);
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_TRUE(InOrder(out, {("goal 1 4 \"" + std::string(Generator::kStandByText) + "\"").c_str(),
                              "goal 2 1 \"Destroy the capital ship\""}))
        << out;
    EXPECT_EQ(out.find(Generator::kFormUpText), std::string::npos) << out;
}

}  // namespace
