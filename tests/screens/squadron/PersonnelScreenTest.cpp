#include "screens/squadron/PersonnelScreen.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <memory>
#include <string>

#include "game/CareerRecord.h"
#include "game/GameState.h"
#include "mission/Faces.h"
#include "ui/ArtObject.h"
#include "ui/FacePicture.h"
#include "ui/ListBox.h"
#include "ui/TextBox.h"
#include "ui/UiSounds.h"
#include "tests/support/GoldenImage.h"
#include "tests/support/world/ScreenHarness.h"
#include "tools/mkdata/CareerData.h"

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
    career.HirePilot(kSamplePilots[0]);
    career.HirePilot(kSamplePilots[2]);
    PersonnelScreen screen;
    ASSERT_TRUE(harness.SetScript(Click(10, 470, 100)));
    harness.SetPassLimit(21);
    harness.CaptureAfterPass(20);
    harness.Run(screen);
    EXPECT_TRUE(MatchesGolden(harness.Picture(20), "personnel_current"));
}

std::string Key(int32_t pass, uint32_t key) {
    return "at " + std::to_string(pass) + " key " + std::to_string(key) + "\n";
}
std::string Move(int32_t pass, int32_t x, int32_t y) {
    return "at " + std::to_string(pass) + " move " + std::to_string(x) + " " + std::to_string(y) + "\n";
}

// The Current page by pointer and keys: a click on the roster shows the
// pilot, the arrows walk the pointer down the lines and back, Delete drops
// the choice, the roster's own arrows page it, and the Fire button lets the
// chosen wingman go with a note that gives way to his successor's resume.
TEST(PersonnelScreenKeys, TheRosterByPointerAndKeysAndAFiring) {
    constexpr uint32_t kDown = 0x50 | 0x80, kUp = 0x48 | 0x80, kPageUp = 73, kPageDown = 81, kDelete = 211;
    PersonnelRun run;
    for (int32_t i = 1; i <= 12; ++i) {
        char name[16];
        std::snprintf(name, sizeof name, "Face %03d", i);
        PersonnelRun::Add(run.career.hiredPilots, name, i);
    }
    PersonnelScreen& screen = run.screen;
    ScreenHarness& harness = run.harness;
    std::map<std::string, int32_t> seen;
    std::map<std::string, std::string> texts;
    const auto pointerY = [&screen] {
        uint16_t x = 0, y = 0;
        screen.eventMap->GetMousePosition(&x, &y);
        return int32_t(y);
    };
    const auto roster = [&screen] { return screen.PageList(screen.currentPage); };
    const auto top = [&] {
        ListBox* const list = roster();
        for (int32_t i = 0; i < 64; ++i) list->Draw(0);
        return list->GetBlock(list->currentBlock)->topLine;
    };
    std::string script = Click(10, 470, 100);
    script += Click(22, 400, 128);
    harness.AtPass(23, [&] {
        seen["chosen"] = roster()->GetSelection();
        texts["shown"] = run.Resume(screen.currentPage);
        seen["y0"] = pointerY();
    });
    script += Key(23, kDown);
    harness.AtPass(24, [&] { seen["yDown"] = pointerY(); });
    script += Key(24, kUp);
    harness.AtPass(25, [&] { seen["yUp"] = pointerY(); });
    script += Key(25, kDelete);
    harness.AtPass(26, [&] { seen["cleared"] = roster()->GetSelection(); });
    script += Key(26, kPageDown);
    harness.AtPass(27, [&] { seen["pagedByKey"] = top(); });
    script += Key(27, kPageUp);
    harness.AtPass(28, [&] {
        seen["backByKey"] = top();
        seen["hoverBefore"] = harness.UiSoundCount(kUiSoundHotspot);
    });
    script += Move(28, 600, 205) + Move(29, 490, 236);
    harness.AtPass(30, [&] { seen["hoverAfter"] = harness.UiSoundCount(kUiSoundHotspot); });
    script += Click(30, 600, 205);
    harness.AtPass(32, [&] { seen["pagedByArrow"] = top(); });
    script += Click(32, 600, 130);
    harness.AtPass(34, [&] { seen["backByArrow"] = top(); });
    script += Click(34, 400, 128) + Click(36, 490, 236);
    harness.AtPass(37, [&] {
        seen["hired"] = int32_t(run.career.hiredPilots.size());
        texts["note"] = run.Resume(screen.currentPage);
    });
    const int32_t noteEnds = 37 + int32_t(PersonnelScreen::kMessageMs / ScreenHarness::kStepMs) + 2;
    harness.AtPass(noteEnds, [&] { texts["after"] = run.Resume(screen.currentPage); });
    ASSERT_TRUE(harness.SetScript(script));
    harness.SetPassLimit(noteEnds + 1);
    harness.Run(screen);

    EXPECT_EQ(seen["chosen"], 0);
    EXPECT_EQ(texts["shown"], "Face 001 resume");
    EXPECT_GT(seen["yDown"], seen["y0"]);
    EXPECT_EQ(seen["yUp"], seen["y0"]);
    EXPECT_EQ(seen["cleared"], -1);
    EXPECT_GT(seen["pagedByKey"], 0);
    EXPECT_EQ(seen["backByKey"], 0);
    EXPECT_EQ(seen["hoverAfter"] - seen["hoverBefore"], 2);
    EXPECT_GT(seen["pagedByArrow"], 0);
    EXPECT_EQ(seen["backByArrow"], 0);
    EXPECT_EQ(seen["hired"], 11);
    EXPECT_EQ(texts["note"], PersonnelScreen::kFiredText);
    EXPECT_EQ(texts["after"], "Face 002 resume");
}

}  // namespace
