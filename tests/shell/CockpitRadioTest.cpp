// The sample mission's radio traffic as the pilot meets it: a wingman's
// line comes up on the cockpit under his name, in words, and the pictured
// pass draws it in the radio rows.
#include <gtest/gtest.h>

#include <regex>
#include <string>

#include "game/GameMessages.h"
#include "shell/LaunchOptions.h"
#include "shell/Startup.h"
#include "tests/shell/SampleScriptRun.h"
#include "tests/support/GoldenImage.h"

namespace {

TEST(CockpitRadio, AWingmansLineComesUpInWordsUnderHisName) {
    SampleScriptRun run;
    std::string error;
    ASSERT_TRUE(WriteSampleTree(run.dir.Str(), &error)) << error;
    LaunchOptions options;
    options.dataRoot = run.dir.Str();
    options.headless = true;
    options.mission = "sample.uli";
    // The wing's first call is up from about pass 105 for five seconds.
    options.shots.push_back({130, run.dir.Str() + "/radio.png"});
    testing::internal::CaptureStdout();
    EXPECT_EQ(RunGame(options), 0);
    const std::string out = testing::internal::GetCapturedStdout();

    std::smatch said;
    ASSERT_TRUE(std::regex_search(out, said, std::regex("\nradio \"(Alpha [23])\" \"([^\"]*)\"\n"))) << out;
    const std::string words = said[2];
    EXPECT_NE(words.find(' '), std::string::npos) << words;
    EXPECT_EQ(words.rfind("Voice", 0), std::string::npos) << words;
    EXPECT_NE(words, msg::kMissingCommText);

    // Name and words in the radio rows at the left, below the instruments.
    RgbImage picture;
    ASSERT_TRUE(ReadStoredPng(options.shots[0].path, &picture)) << out;
    int32_t lit = 0;
    for (int32_t y = 360; y < 384; ++y) {
        for (int32_t x = 8; x < 200; ++x) {
            const uint8_t* const p = &picture.rgb[size_t(y * picture.width + x) * 3];
            lit += p[0] > 150 || p[1] > 150 || p[2] > 150 ? 1 : 0;
        }
    }
    EXPECT_GT(lit, 60);
}

}  // namespace
