#include "screens/squadron/PersonnelScreen.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "game/CareerRecord.h"
#include "game/GameState.h"
#include "mission/Faces.h"
#include "ui/ArtObject.h"
#include "ui/FacePicture.h"
#include "ui/ListBox.h"
#include "ui/TextBox.h"
#include "tests/support/GoldenImage.h"
#include "tests/support/world/ScreenHarness.h"

namespace {

std::string Text(TextBox* box) {
    const TextBlock* const block = box != nullptr ? box->GetBlock(box->currentBlock) : nullptr;
    std::string text;
    for (int32_t i = 0; block != nullptr && i < block->LineCount(); ++i) text += block->GetLine(i);
    return text;
}

std::string Line(ListBox* list, int32_t line) {
    const char* const text = list != nullptr ? list->GetItem(line) : nullptr;
    return text != nullptr ? text : "";
}

// The screen open on a page of a career whose rosters the test sets.
struct PersonnelRun {
    ScreenHarness harness;
    PersonnelScreen screen;
    CareerRecord& career = *harness.Game().career;

    PersonnelRun() {
        harness.Game().tutorialsEnabled = 0;
        career.hirePool.clear();
        career.hiredPilots.clear();
        career.lostPilots.clear();
    }
    static void Add(CareerRecord::PilotList& list, const char* name, int32_t kills = 0) {
        list.push_back(std::make_unique<PilotRecord>(name, (std::string(name) + " resume").c_str()));
        list.back()->kills = kills;
    }
    void On(ArtObject* page) {
        screen.currentPanel = page;
        screen.FillLists();
    }
    ListBox* List(ArtObject* page) { return screen.PageList(page); }
    std::string Resume(ArtObject* page) { return Text(screen.PageResume(page)); }
};

TEST(PersonnelScreenHire, OnlyPilotMovesLastAndTheNoteTimesOut) {
    PersonnelRun run;
    PersonnelRun::Add(run.career.hirePool, "Face 002", 7);
    PersonnelRun::Add(run.career.hiredPilots, "Face 001");
    run.On(run.screen.availablePage);
    EXPECT_EQ(run.Resume(run.screen.availablePage), "Face 002 resume");
    run.screen.Hire();
    EXPECT_TRUE(run.career.hirePool.empty());
    ASSERT_EQ(run.career.hiredPilots.size(), 2u);
    EXPECT_EQ(Line(run.List(run.screen.currentPage), 1), "Face 002");
    EXPECT_EQ(run.List(run.screen.currentPage)->GetSelection(), 0);
    run.screen.Update();
    EXPECT_EQ(run.Resume(run.screen.availablePage), PersonnelScreen::kHiredText);
    run.harness.Clock().Advance(PersonnelScreen::kMessageMs);
    run.screen.Update();
    EXPECT_EQ(run.screen.hiredMessage, 1);
    run.harness.Clock().Advance(1);
    run.screen.Update();
    EXPECT_EQ(run.screen.hiredMessage, 0);
    EXPECT_EQ(run.Resume(run.screen.availablePage), "");   // nobody left to show
}

TEST(PersonnelScreenHire, NoSelectionMovesNobodyAndShowsNothing) {
    PersonnelRun run;
    PersonnelRun::Add(run.career.hirePool, "Face 002");
    run.On(run.screen.availablePage);
    run.List(run.screen.availablePage)->ClearSelection();
    run.screen.Hire();
    EXPECT_EQ(run.career.hirePool.size(), 1u);
    EXPECT_EQ(run.screen.hiredMessage, 0);
    run.screen.currentPanel = run.screen.currentPage;
    run.screen.Fire();
    EXPECT_EQ(run.screen.firedMessage, 0);
}

TEST(PersonnelScreenHire, CaseTwinsMoveTheFirst) {
    PersonnelRun run;
    PersonnelRun::Add(run.career.hirePool, "alan", 1);
    PersonnelRun::Add(run.career.hirePool, "ALAN", 2);
    run.On(run.screen.availablePage);
    run.List(run.screen.availablePage)->SetSelection(1);
    run.screen.Hire();
    ASSERT_EQ(run.career.hiredPilots.size(), 1u);
    EXPECT_EQ(run.career.hiredPilots[0]->kills, 1);
}

TEST(PersonnelScreenFire, PilotGoesToThePoolEndAndOffHisShip) {
    PersonnelRun run;
    PersonnelRun::Add(run.career.hirePool, "Face 003");
    PersonnelRun::Add(run.career.hiredPilots, "Face 001", 9);
    PersonnelRun::Add(run.career.hiredPilots, "Face 002");
    ShipRecord* const ship = run.career.GetShip(0);
    ASSERT_NE(ship, nullptr);
    ship->pilot = run.career.hiredPilots[0].get();
    run.career.hiredPilots[0]->flying = 1;
    run.On(run.screen.currentPage);
    EXPECT_EQ(Text(dynamic_cast<TextBox*>(run.screen.mainPanel->FindControl("PilotKills"))), "9");
    run.screen.Fire();
    ASSERT_EQ(run.career.hirePool.size(), 2u);
    EXPECT_EQ(run.career.hirePool[1]->name, "Face 001");
    EXPECT_EQ(ship->pilot, nullptr);
    EXPECT_EQ(Line(run.List(run.screen.availablePage), 1), "Face 001");
    EXPECT_EQ(run.List(run.screen.availablePage)->GetSelection(), 0);
    run.screen.Update();
    EXPECT_EQ(run.Resume(run.screen.currentPage), PersonnelScreen::kFiredText);
}

// Every pilot a new career can hire has a face to show.
TEST(PersonnelScreenData, EveryRosterPilotHasAFace) {
    ScreenHarness harness;
    const CareerRecord& career = *harness.Game().career;
    ASSERT_FALSE(career.hirePool.empty());
    for (const auto& pilot : career.hirePool) EXPECT_NE(LoadFaceByName(pilot->name.c_str()), nullptr) << pilot->name;
}

std::string Click(int32_t pass, int32_t x, int32_t y) {
    return "at " + std::to_string(pass) + " click " + std::to_string(x) + " " + std::to_string(y) + "\n";
}

// The Current page after its button, showing the first wingman.
TEST(PersonnelScreenPictures, CurrentPage) {
    ScreenHarness harness;
    harness.Game().tutorialsEnabled = 0;
    harness.ClearBetweenPasses();
    CareerRecord& career = *harness.Game().career;
    career.HirePilot("Face 001");
    career.HirePilot("Face 003");
    PersonnelScreen screen;
    ASSERT_TRUE(harness.SetScript(Click(10, 470, 100)));
    harness.SetPassLimit(21);
    harness.CaptureAfterPass(20);
    harness.Run(screen);
    EXPECT_TRUE(MatchesGolden(harness.Picture(20), "personnel_current"));
}

}  // namespace
