#include <gtest/gtest.h>

#include <string>

#include "platform/InstanceLock.h"
#include "platform/WindowGraphics.h"
#include "shell/LaunchOptions.h"
#include "shell/Startup.h"
#include "tests/support/FakeRemovableMedia.h"
#include "tests/support/GoldenImage.h"
#include "tests/support/RecordingMessageBox.h"
#include "tests/support/ScopedDisplay.h"
#include "tests/support/ScopedEnvironment.h"
#include "tests/support/ScopedInstall.h"
#include "tests/support/TempDir.h"
#include "tools/mkdata/SampleTree.h"

namespace {

// The committed script on the sample tree: a new career makes the training
// mission ready, and the war-room map it opens gets two way points and a
// third still being placed.
TEST(WayPointScript, TheWarRoomMapShowsThePointsTheScriptLaid) {
    FakeRemovableMedia media;
    ScopedInstall<platform::RemovableMedia> installedMedia{media};
    RecordingMessageBox boxes;
    ScopedInstall<platform::MessageBox> installedBoxes{boxes};
    TempDir dir;
    ScopedEnvironment runtime{platform::InstanceLock::kFolderVariable, dir.Str().c_str()};
    ScopedDisplay display;
    platform::WindowGraphics graphics;
    ScopedInstall<platform::WindowGraphics> installedGraphics{graphics};
    std::string error;
    ASSERT_TRUE(WriteSampleTree(dir.Str(), &error)) << error;
    LaunchOptions options;
    options.dataRoot = dir.Str();
    options.headless = true;
    options.script = std::string(VORN_SOURCE_DIR) + "/tests/scripts/waypoints.txt";
    options.shots.push_back({290, dir.Str() + "/waypoints.png"});
    testing::internal::CaptureStdout();
    EXPECT_EQ(RunGame(options), 0);
    const std::string out = testing::internal::GetCapturedStdout();
    RgbImage picture;
    ASSERT_TRUE(ReadStoredPng(options.shots[0].path, &picture)) << out;
    EXPECT_TRUE(MatchesGolden(picture, "warnav_waypoints"));
    EXPECT_TRUE(boxes.Boxes().empty());
}

}  // namespace
