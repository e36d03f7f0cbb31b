// The command line's random missions as the start-up sets them up: `vorn
// --random KIND` flown alone, and hosted for others to join.
#include "shell/MissionFlight.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "canvas/ScreenCanvas16.h"
#include "display/Palette.h"
#include "engine/Clock.h"
#include "game/Cockpit.h"
#include "mission/Goal.h"
#include "mission/RandomMissionGenerator.h"
#include "shell/LaunchOptions.h"
#include "tests/shell/CockpitFlight.h"
#include "tests/support/GoldenImage.h"
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

class StandByCountdown : public CockpitFlight {
protected:
    // The HUD as the cockpit draws it now over black space; the shield hits
    // that drawing lowers are put back.
    RgbImage Hud() {
        ScreenCanvas16 canvas(640, 480, nullptr, nullptr, flight_->palette, Canvas::kFlagHasDepth, 0, 0);
        canvas.Clear(flight_->palette->MatchColor(0x000000), 0xFFFFFFFFu);
        Cockpit& cockpit = Game().TheCockpit();
        int32_t hits[Cockpit::kFacings];
        std::memcpy(hits, cockpit.shieldHits, sizeof hits);
        cockpit.Draw(canvas, GetMilliseconds());
        std::memcpy(cockpit.shieldHits, hits, sizeof hits);
        return CanvasToRgb(canvas);
    }
};

// Flown alone, a random mission's opening wait counts its fifteen seconds
// down as they pass, a second at a time, and the HUD shows each count as it
// comes; when the count is out the mission clock starts and the next goal
// is the objective.
TEST_F(StandByCountdown, TheStandByCountsItsSecondsDownOnTheHud) {
    FlyRandom(RandomMissionGenerator::kDestroy, 640, 480, false);
    Goal* const wait = g_objectiveChain;
    ASSERT_NE(wait, nullptr);
    Cockpit& cockpit = Game().TheCockpit();
    std::vector<std::string> counts;
    int32_t frames = 1;
    for (; frames < 400 && std::strcmp(cockpit.ObjectiveText(), RandomMissionGenerator::kStandByText) == 0; ++frames) {
        if (counts.empty() || counts.back() != wait->GetSecondText()) {
            counts.push_back(wait->GetSecondText());
            // What the HUD shows is the goal's count: given the same line
            // again, it draws the same picture.
            const RgbImage shown = Hud();
            cockpit.SetObjective(wait, wait->GetObjectiveText(), wait->GetSecondText());
            EXPECT_TRUE(Hud() == shown) << counts.back();
        }
        Frame();
    }
    ASSERT_EQ(counts.size(), 15u);
    EXPECT_EQ(counts[0], "The mission clock starts in 15 seconds");
    EXPECT_EQ(counts[13], "The mission clock starts in 2 seconds");
    EXPECT_EQ(counts[14], "The mission clock starts in 1 second");
    // Fifteen seconds of 50 ms frames, give or take the frame that met it.
    EXPECT_NEAR(frames, 300, 2);
}

}  // namespace
