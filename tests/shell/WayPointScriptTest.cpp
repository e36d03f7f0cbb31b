#include <gtest/gtest.h>

#include <string>

#include "shell/LaunchOptions.h"
#include "shell/Startup.h"
#include "tests/shell/SampleScriptRun.h"
#include "tests/support/GoldenImage.h"

namespace {

// The committed script on the sample tree: a new career makes the training
// mission ready, and the war-room map it opens gets two way points and a
// third still being placed.
TEST(WayPointScript, TheWarRoomMapShowsThePointsTheScriptLaid) {
    SampleScriptRun run;
    LaunchOptions options;
    std::string error;
    ASSERT_TRUE(run.Prepare("waypoints.txt", &options, &error)) << error;
    options.shots.push_back({290, run.dir.Str() + "/waypoints.png"});
    testing::internal::CaptureStdout();
    EXPECT_EQ(RunGame(options), 0);
    const std::string out = testing::internal::GetCapturedStdout();
    RgbImage picture;
    ASSERT_TRUE(ReadStoredPng(options.shots[0].path, &picture)) << out;
    EXPECT_TRUE(MatchesGolden(picture, "warnav_waypoints"));
    EXPECT_TRUE(run.boxes.Boxes().empty());
}

}  // namespace
