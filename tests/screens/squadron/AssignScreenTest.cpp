#include "screens/squadron/AssignScreen.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "game/CareerRecord.h"
#include "game/GameState.h"
#include "ui/ListBox.h"
#include "tests/support/GoldenImage.h"
#include "tests/support/world/ScreenHarness.h"
#include "tools/mkdata/CareerData.h"

namespace {

// Three ships, the player in the first, and the hired pilots the test names.
struct AssignRun {
    ScreenHarness harness;
    AssignScreen screen;
    CareerRecord& career = *harness.Game().career;

    explicit AssignRun(std::initializer_list<const char*> pilots) {
        harness.Game().tutorialsEnabled = 0;
        career.hiredPilots.clear();
        for (const char* name : pilots) career.hiredPilots.push_back(std::make_unique<PilotRecord>(name, ""));
        while (career.GetShipCount() < 3) career.AddShip(std::make_unique<ShipRecord>("P102"));
        career.SelectShip(0);
        screen.Open();
    }
    PilotRecord& Pilot(size_t i) { return *career.hiredPilots[i]; }
    // Pilot line p into ship line s.
    void Assign(int32_t p, int32_t s) {
        screen.List(AssignScreen::kPilotList)->SetSelection(p);
        screen.List(AssignScreen::kShipList)->SetSelection(s);
        screen.Assign();
    }
    void Remove(int32_t p) {
        screen.List(AssignScreen::kPilotList)->SetSelection(p);
        screen.Remove();
    }
    std::string PilotLine(int32_t i) {
        const char* const text = screen.List(AssignScreen::kPilotList)->GetItem(i);
        return text != nullptr ? text : "";
    }
};

TEST(AssignScreen, WingmanOnThePlayersShipGroundsThePlayer) {
    AssignRun run({"Alan"});
    run.Assign(0, 0);
    EXPECT_EQ(run.PilotLine(1), "Korvane         Ready");
    run.screen.Close();
    EXPECT_EQ(run.career.GetSelectedShipIndex(), -1);
    EXPECT_EQ(run.career.GetShip(0)->pilot, &run.Pilot(0));
    EXPECT_EQ(run.Pilot(0).flying, 0);
}

TEST(AssignScreen, PlayerOnAWingmansShipTakesItFromHim) {
    AssignRun run({"Alan"});
    run.Assign(0, 1);
    EXPECT_EQ(run.PilotLine(0), "Alan            " + std::string(run.career.GetShip(1)->name));
    run.Assign(1, 1);
    EXPECT_EQ(run.PilotLine(0), "Alan            Ready");
    run.screen.Close();
    EXPECT_EQ(run.career.GetSelectedShipIndex(), 1);
    EXPECT_EQ(run.career.GetShip(1)->pilot, nullptr);
}

TEST(AssignScreen, MovingAWingmanEmptiesHisOldShip) {
    AssignRun run({"Alan", "Bea"});
    run.Assign(0, 1);
    run.Assign(1, 2);
    run.Assign(0, 2);
    EXPECT_EQ(run.screen.table[1]->pilot, nullptr);
    EXPECT_EQ(run.Pilot(1).flying, 0);
    EXPECT_EQ(run.PilotLine(1), "Bea             Ready");
    run.screen.Close();
    EXPECT_EQ(run.career.GetShip(1)->pilot, nullptr);
    EXPECT_EQ(run.career.GetShip(2)->pilot, &run.Pilot(0));
    EXPECT_EQ(run.career.GetSelectedShipIndex(), 0);
    for (const auto& pilot : run.career.hiredPilots) EXPECT_EQ(pilot->flying, 0);
}

// One name inside another, and an empty one, must not ground anybody else.
TEST(AssignScreen, RemoveTakesOffOnlyTheLinesPilot) {
    AssignRun run({"Alan", "Al", ""});
    run.Assign(0, 1);
    run.Assign(1, 2);
    run.Remove(0);
    EXPECT_EQ(run.screen.table[1]->pilot, nullptr);
    EXPECT_EQ(run.screen.table[2]->pilot, &run.Pilot(1));
    EXPECT_EQ(run.Pilot(1).flying, 1);
    run.Remove(2);
    EXPECT_EQ(run.screen.table[2]->pilot, &run.Pilot(1));
    run.Remove(3);   // the player's line
    EXPECT_EQ(run.screen.table[0]->playerShip, 0);
    run.screen.Close();
    EXPECT_EQ(run.career.GetSelectedShipIndex(), -1);
}

TEST(AssignScreen, LineNamesAreTheFirstFifteenCharacters) {
    EXPECT_EQ(AssignScreen::LineName("Alan            P102"), "Alan");
    EXPECT_EQ(AssignScreen::LineName("Abcdefghijklmnopqrst Ready"), "Abcdefghijklmno");
    EXPECT_EQ(AssignScreen::LineName(""), "");
    EXPECT_EQ(AssignScreen::LineName(nullptr), "");
}

TEST(AssignScreen, NoShipsNoAssignment) {
    ScreenHarness harness;
    harness.Game().tutorialsEnabled = 0;
    CareerRecord& career = *harness.Game().career;
    career.ships.resize(1);
    career.selectedShip = -1;
    career.hiredPilots.push_back(std::make_unique<PilotRecord>("Alan", ""));
    AssignScreen screen;
    screen.Open();
    screen.List(AssignScreen::kPilotList)->SetSelection(0);
    screen.List(AssignScreen::kShipList)->SetSelection(0);
    screen.Assign();
    EXPECT_EQ(career.hiredPilots[0]->flying, 0);
    screen.Close();
    EXPECT_EQ(career.GetSelectedShipIndex(), -1);
}

std::string Click(int32_t pass, int32_t x, int32_t y) {
    return "at " + std::to_string(pass) + " click " + std::to_string(x) + " " + std::to_string(y) + "\n";
}

// A wingman put on the second ship with the pointer: his line, the ship
// line and the assign button.
TEST(AssignScreenPictures, WingmanOnTheSecondShip) {
    ScreenHarness harness;
    harness.Game().tutorialsEnabled = 0;
    harness.ClearBetweenPasses();
    CareerRecord& career = *harness.Game().career;
    career.HirePilot(kSamplePilots[1]);
    career.AddShip(std::make_unique<ShipRecord>("P303"));
    AssignScreen screen;
    ASSERT_TRUE(harness.SetScript(Click(4, 360, 127) + Click(6, 460, 338) + Click(8, 390, 240)));
    harness.SetPassLimit(13);
    harness.CaptureAfterPass(12);
    harness.Run(screen);
    EXPECT_EQ(career.GetShip(1)->pilot, career.hiredPilots[0].get());
    EXPECT_TRUE(MatchesGolden(harness.Picture(12), "assign_wingman"));
}

// By the pointer: the wingman assigned, then his line chosen again and the
// Remove button pressed takes him off the ship.
TEST(AssignScreenPictures, TheRemoveButtonTakesTheWingmanOff) {
    ScreenHarness harness;
    harness.Game().tutorialsEnabled = 0;
    harness.ClearBetweenPasses();
    CareerRecord& career = *harness.Game().career;
    career.HirePilot(kSamplePilots[1]);
    career.AddShip(std::make_unique<ShipRecord>("P303"));
    AssignScreen screen;
    const auto flown = [&screen, &career] {
        int32_t rows = 0;
        for (const auto& row : screen.table) rows += row->pilot == career.hiredPilots[0].get() ? 1 : 0;
        return rows;
    };
    int32_t assigned = -1;
    harness.AtPass(10, [&] { assigned = flown(); });
    ASSERT_TRUE(harness.SetScript(Click(4, 360, 127) + Click(6, 460, 338) + Click(8, 390, 240) +
                                  "at 10 move 500 240\n" + Click(12, 360, 127) + Click(14, 500, 240)));
    harness.SetPassLimit(17);
    harness.Run(screen);
    EXPECT_EQ(assigned, 1);
    EXPECT_EQ(flown(), 0);
    EXPECT_EQ(career.GetShip(1)->pilot, nullptr);
    EXPECT_EQ(career.hiredPilots[0]->flying, 0);
}

}  // namespace
