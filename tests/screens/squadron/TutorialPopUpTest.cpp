// The help pop-up over the squadron pages, as a player with tutorials on
// meets it: it opens on each visit, CLOSE takes it away every time, and
// the page then answers the clicks meant for it. Requisition reads its own
// pass; repair stands for the pages on the menu screen's gated pass.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "game/CareerRecord.h"
#include "game/EquipmentItem.h"
#include "game/GameState.h"
#include "game/PilotRecord.h"
#include "objects/ships/PlayerShip.h"
#include "screens/GameMenus.h"
#include "screens/squadron/RepairScreen.h"
#include "screens/squadron/RequisitionScreen.h"
#include "tests/support/RecordingScreen.h"
#include "tests/support/world/ScreenHarness.h"
#include "ui/TutorialScreen.h"

namespace {

// The pop-up's panel has opened by then.
constexpr int32_t kPopUpSettled = 6;
// A visit's passes: the pop-up closed at its sixth, the page's own clicks
// after, the visit over at its last.
constexpr int32_t kVisitPasses = 24;

// CLOSE, which the pop-up's focus starts on: the pop-up slides clear of
// each page's controls, so its place differs from page to page.
std::string Close(int32_t pass) { return "at " + std::to_string(pass) + " key Enter\n"; }

std::string Click(int32_t pass, int32_t x, int32_t y) {
    return "at " + std::to_string(pass) + " click " + std::to_string(x) + " " + std::to_string(y) + "\n";
}

// The game's pop-up built and tutorials on; visits of one page, one after
// the other in one run of passes.
struct PopUpRun {
    PopUpRun() {
        GameState::ClearScreenRegistry();
        RegisterGameMenus();
        harness.ClearBetweenPasses(true);
        harness.Game().BuildScreen(ScreenSlot::kTutorial);
        harness.Game().tutorialsEnabled = 1;
    }
    ~PopUpRun() {
        harness.Game().playerShip = nullptr;
        harness.Game().DeleteScreens();
        GameState::ClearScreenRegistry();
    }
    TutorialScreen& Tutorial() { return *dynamic_cast<TutorialScreen*>(harness.Game().ScreenIn(ScreenSlot::kTutorial)); }
    CareerRecord& Career() { return *harness.Game().career; }
    // One visit: the pop-up's CLOSE answered, then the page's clicks (passes
    // counted from the visit's start), then the visit ends. 1 when the
    // pop-up had gone by then, -1 when it stayed.
    int32_t Visit(Screen& page, const std::vector<std::pair<int32_t, std::pair<int32_t, int32_t>>>& clicks = {}) {
        const int32_t start = harness.Passes();
        std::string script = Close(start + kPopUpSettled);
        for (const auto& click : clicks) script += Click(start + click.first, click.second.first, click.second.second);
        script += "at " + std::to_string(start + kVisitPasses) + " quit\n";
        EXPECT_TRUE(harness.SetScript(script));
        harness.SetPassLimit(start + kVisitPasses);
        page.tutorialActive = 0;
        harness.Run(page);
        openedOnVisit.push_back(Tutorial().HasText());
        return page.tutorialActive == 0 ? 1 : -1;
    }

    ScreenHarness harness;
    std::vector<bool> openedOnVisit;
};

// A page's tutorial must have opened and been closed on both visits.
void ExpectClosedTwice(PopUpRun& run, Screen& page, int32_t firstVisit, int32_t secondVisit) {
    EXPECT_EQ(firstVisit, 1) << page.name << ": the pop-up stayed on the first visit";
    EXPECT_EQ(secondVisit, 1) << page.name << ": the pop-up stayed on the second visit";
    ASSERT_EQ(run.openedOnVisit.size(), 2u);
    EXPECT_TRUE(run.openedOnVisit[0]) << page.name;
    EXPECT_TRUE(run.openedOnVisit[1]) << page.name;
}

}  // namespace

// The introduction's CLOSE, the overview's, then on coming back the
// overview's again; a ship ordered with two clicks on its row is paid for.
TEST(SquadronTutorialPopUp, RequisitionClosesEveryVisitAndOrdersAfter) {
    PopUpRun run;
    run.Tutorial().introductionPending = 1;
    RequisitionScreen page;
    // The introduction takes the first CLOSE, the overview the second.
    const int32_t start = run.harness.Passes();
    ASSERT_TRUE(run.harness.SetScript(Close(start + kPopUpSettled) +
                                      Close(start + kPopUpSettled + 4) + "at 24 quit\n"));
    run.harness.SetPassLimit(kVisitPasses);
    run.harness.Run(page);
    EXPECT_EQ(run.Tutorial().introductionPending, 0);
    EXPECT_EQ(page.tutorialActive, 0) << "the overview after the introduction stayed";

    run.Career().funds = 250000;
    const int32_t funds = run.Career().funds;
    EquipmentItem* const hull = run.Career().GetCatalogueItem(1, EquipmentItem::kShips);
    ASSERT_NE(hull, nullptr);
    const int32_t rowY = 166 + 12;
    const int32_t second = run.Visit(page, {{12, {120, rowY}}, {16, {120, rowY}}});
    EXPECT_EQ(second, 1) << "the pop-up stayed on coming back";
    EXPECT_EQ(hull->ordered, 1);
    EXPECT_EQ(run.Career().funds, funds - hull->price);
}

// Repair All clicked after the pop-up has gone, on the second visit,
// mends the stored generator and the ship.
TEST(SquadronTutorialPopUp, RepairClosesEveryVisitAndRepairsAfter) {
    PopUpRun run;
    run.Tutorial().introductionPending = 0;
    CareerRecord& career = run.Career();
    career.stores.clear();
    career.selectedShip = -1;
    career.funds = 100000;
    ShipRecord& ship = *career.GetShip(0);
    ship.TakeAllItems();
    ship.damage = 30;
    ship.price = 2000;
    auto item = std::make_unique<EquipmentItem>("Generator 1", 1);
    item->price = 1000;
    item->damage = 40;
    EquipmentItem& generator = *item;
    career.stores.push_back(std::move(item));
    RepairScreen page;
    const int32_t first = run.Visit(page);
    EXPECT_EQ(generator.damage, 40);
    const int32_t second = run.Visit(page, {{10, {400, 278}}, {12, {360, 181}}, {14, {400, 278}}});
    ExpectClosedTwice(run, page, first, second);
    EXPECT_EQ(generator.damage, 0);
    EXPECT_EQ(ship.damage, 0);
    EXPECT_LT(career.funds, 100000);
}

