// The HUD's target line in a scripted flight of the sample mission: T takes
// the nearest hostile, and the line the HUD draws for it, told through the
// run's trace, names it and counts the distance down as the ship closes.
#include <gtest/gtest.h>

#include <regex>
#include <string>
#include <vector>

#include "shell/LaunchOptions.h"
#include "shell/Startup.h"
#include "tests/shell/SampleScriptRun.h"
#include "tests/support/GoldenImage.h"

namespace {

TEST(HudTargetScript, TTargetsTheNearestHostileAndItsDistanceFallsAsTheShipCloses) {
    SampleScriptRun run;
    LaunchOptions options;
    std::string error;
    ASSERT_TRUE(run.Prepare("target-pass.txt", &options, &error)) << error;
    options.mission = "sample.uli";
    options.shots.push_back({80, run.dir.Str() + "/target.png"});
    testing::internal::CaptureStdout();
    EXPECT_EQ(RunGame(options), 0);
    const std::string out = testing::internal::GetCapturedStdout();

    // Each named line of the last target taken: a ship of the Red wing,
    // named once the computer has identified it.
    const std::regex pattern("\nhud target \"([^\"]*)\" ([0-9]+)(?=\n)");
    std::vector<std::pair<std::string, int>> lines;
    for (std::sregex_iterator it(out.begin(), out.end(), pattern), end; it != end; ++it) {
        if ((*it)[1] != "unknown") lines.emplace_back((*it)[1], std::stoi((*it)[2]));
    }
    ASSERT_FALSE(lines.empty()) << out;
    std::vector<int> closing;
    for (const auto& [name, distance] : lines) {
        EXPECT_EQ(name.rfind("Red ", 0), 0u) << name;
        if (name == lines.back().first) closing.push_back(distance);
    }
    ASSERT_GE(closing.size(), 3u) << out;
    for (size_t i = 1; i < closing.size(); ++i) EXPECT_LT(closing[i], closing[i - 1]) << out;

    // The pass pictured draws the line: red text atop the right column.
    RgbImage picture;
    ASSERT_TRUE(ReadStoredPng(options.shots[0].path, &picture)) << out;
    int red = 0;
    for (int32_t y = picture.height - 204; y < picture.height - 194; ++y) {
        for (int32_t x = picture.width - 200; x < picture.width; ++x) {
            const uint8_t* const p = &picture.rgb[size_t(y * picture.width + x) * 3];
            red += p[0] > 200 && p[1] < 90 && p[2] < 90 ? 1 : 0;
        }
    }
    EXPECT_GT(red, 50);
}

}  // namespace
