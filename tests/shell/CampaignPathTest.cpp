#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "game/CareerRecord.h"
#include "shell/LaunchOptions.h"
#include "shell/Startup.h"
#include "tests/shell/SampleScriptRun.h"
#include "tests/support/GoldenImage.h"
#include "tools/mkdata/CampaignData.h"

namespace {

// The committed script on the sample tree, as a person runs it with
// `./run.sh --headless --script tests/scripts/campaign.txt`: a new career,
// the training offer accepted in the war room's computer, launched, flown
// to its end, its debriefing read, and the game left through the quit
// dialog. The career is read from the line the run prints at its end.
TEST(CampaignPath, ANewCareerFliesTheTrainingAndComesBackPaid) {
    SampleScriptRun run;
    LaunchOptions options;
    std::string error;
    ASSERT_TRUE(run.Prepare("campaign.txt", &options, &error)) << error;
    const std::string flight = run.dir.Str() + "/flight.png";
    options.shots.push_back({250, flight});
    testing::internal::CaptureStdout();
    const int status = RunGame(options);
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(status, 0);
    EXPECT_TRUE(run.boxes.Boxes().empty());
    // The quit dialog's Yes ended the game, not the script's closing quit.
    EXPECT_NE(out.find("Main loop ended in mode 7\n"), std::string::npos) << out;
    char career[256];
    std::snprintf(career, sizeof career,
                  "Career: missions flown 1, credits %d, trophies 0x%04X, accepted row -1, offers \"Raider Strike\"\n",
                  CareerRecord::kStartingFunds + kTrainingAward, unsigned(kTrainingTrophy));
    EXPECT_NE(out.find(career), std::string::npos) << out;

    // The flight's ship has its systems as a mission flown alone has them:
    // its radar starts active, and the HUD's "ACTIVE" is lit green.
    RgbImage picture;
    ASSERT_TRUE(ReadStoredPng(flight, &picture));
    ASSERT_EQ(picture.width, 640);
    int32_t lit = 0;
    for (int32_t y = 8; y < 20; ++y) {
        for (int32_t x = 72; x < 120; ++x) {
            const uint8_t* const rgb = &picture.rgb[size_t(y * picture.width + x) * 3];
            lit += rgb[1] > 200 && rgb[0] < 100 ? 1 : 0;
        }
    }
    EXPECT_GT(lit, 0) << "no lit pixel in the radar's ACTIVE label";
}

}  // namespace
