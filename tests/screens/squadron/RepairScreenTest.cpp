#include "screens/squadron/RepairScreen.h"

#include <gtest/gtest.h>

#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "display/Palette.h"
#include "game/CareerDataFiles.h"
#include "game/CareerRecord.h"
#include "game/GameState.h"
#include "ui/ArtObject.h"
#include "ui/ListBox.h"
#include "ui/TextBox.h"
#include "tests/support/GoldenImage.h"
#include "tests/support/world/ScreenHarness.h"

namespace {

// A career with nothing in store and no ship, the screen on one panel.
struct RepairRun {
    ScreenHarness harness;
    RepairScreen screen;
    CareerRecord& career = *harness.Game().career;

    explicit RepairRun(bool keepShips = false) {
        career.stores.clear();
        if (!keepShips) career.ships.resize(1);   // the pilot-only entry stays
        career.selectedShip = -1;
        career.funds = 100000;
    }
    EquipmentItem& Store(int32_t kind, int32_t price, int32_t damage, const char* name = "Item") {
        auto item = std::make_unique<EquipmentItem>(name, kind);
        item->name = name;
        item->price = price;
        item->damage = damage;
        career.stores.push_back(std::move(item));
        return *career.stores.back();
    }
    void Show(ArtObject* panel, int32_t row = 0) {
        screen.currentPanel = panel;
        screen.SelectShip(row);
    }
    ListBox& List() {
        const char* name = screen.currentPanel == screen.weaponsPanel ? RepairScreen::kWeaponList
                           : screen.currentPanel == screen.shipsPanel ? RepairScreen::kStructList
                                                                      : RepairScreen::kEquipList;
        return *screen.List(name);
    }
    // A click on a line already selected.
    void Step(int32_t line) {
        List().SetSelection(line);
        screen.RepairStep(line);
    }
    std::string Row(int32_t line) { return List().GetItem(line) != nullptr ? List().GetItem(line) : ""; }
    uint32_t Colour(int32_t line) { return List().GetBlock(0)->lineColours.at(size_t(line)); }
    uint32_t Match(uint32_t colour) { return harness.ThePalette().MatchColor(colour); }
};

// The ship keeps only armour and one gun of its definitions; the armour.
EquipmentItem* FitArmourAndGun(ShipRecord& ship, EquipmentItem** gun) {
    CareerDataFiles data{0};
    ship.TakeAllItems();
    EquipmentItem* armour = nullptr;
    for (const auto& [name, kind] : {std::pair{"Armor 2", EquipmentItem::kArmor}, std::pair{"Laser Cannon", 21}}) {
        auto item = std::make_unique<EquipmentItem>(name, *data.Definitions(), kind);
        EquipmentItem* const placed = item.get();
        if (ship.PlaceStoredItem(std::move(item)) != nullptr) return nullptr;
        if (kind == EquipmentItem::kArmor) armour = placed;
        if (kind != EquipmentItem::kArmor && gun != nullptr) *gun = placed;
    }
    return armour;
}

TEST(RepairScreenRows, NumbersAndColoursFollowTheRepairs) {
    RepairRun run;
    EquipmentItem& item = run.Store(1, 1000, 100, "Generator 1");
    run.Show(run.screen.equipmentPanel);
    EXPECT_EQ(run.Row(0), "Generator 1                100   500");
    EXPECT_EQ(run.Colour(0), run.Match(RepairScreen::kWreckedColour));
    run.Step(0);
    EXPECT_EQ(run.Row(0), "Generator 1                 90   450");
    EXPECT_EQ(run.Colour(0), run.Match(RepairScreen::kDamagedColour));
    EXPECT_EQ(run.screen.pendingTotal, 50);
    EXPECT_EQ(item.repairMoney, 50);
    for (int32_t i = 0; i < 4; ++i) run.Step(0);
    EXPECT_EQ(run.Colour(0), run.Match(RepairScreen::kWornColour));
    for (int32_t i = 0; i < 6; ++i) run.Step(0);   // the last ones find nothing left
    EXPECT_EQ(run.Row(0), "Generator 1                  0     0");
    EXPECT_EQ(run.Colour(0), run.Match(RepairScreen::kIntactColour));
    EXPECT_EQ(run.screen.pendingTotal, 500);
}

TEST(RepairScreenRows, LongNamesAndHugeNumbersStayWithinTheRow) {
    const std::string name(200, 'N');
    for (const int32_t number : {0, -5, 99999, 2147483647, -2147483647 - 1}) {
        const std::string row = RepairScreen::FormatRow(name, number, number);
        EXPECT_LT(row.size(), RepairScreen::kRowBytes);
        EXPECT_NE(row.find(std::to_string(number)), std::string::npos) << row;
    }
}

TEST(RepairScreenRows, ListsSortByCategoryThenPriceAndKeepArrival) {
    RepairRun run;
    run.Store(10, 500, 10, "ECM b");      // category 4
    run.Store(1, 900, 10, "Gen a");       // category 7
    run.Store(10, 300, 10, "ECM a");
    run.Store(10, 500, 10, "ECM c");
    run.Store(1, 900, 0, "Gen intact");
    run.Show(run.screen.equipmentPanel);
    ASSERT_EQ(run.screen.equipment.size(), 4u);
    const char* expected[] = {"ECM a", "ECM b", "ECM c", "Gen a"};
    for (size_t i = 0; i < 4; ++i) EXPECT_EQ(run.screen.equipment[i]->name, expected[i]);
}

TEST(RepairScreenSteps, LastStepTakesWhatRemains) {
    RepairRun run;
    EquipmentItem& item = run.Store(1, 1000, 95);
    item.repairPoints = 90;
    run.Show(run.screen.equipmentPanel);
    run.Step(0);
    EXPECT_EQ(item.repairPoints, 95);
    EXPECT_EQ(run.screen.pendingTotal, 5 * 1000 / 200);
}

TEST(RepairScreenSteps, FirstClickOnlySelects) {
    RepairRun run;
    run.Store(1, 1000, 50);
    run.Store(1, 2000, 50);
    run.Show(run.screen.equipmentPanel);
    run.List().SetSelection(1);
    run.screen.RepairStep(0);
    EXPECT_EQ(run.screen.pendingTotal, 0);
}

TEST(RepairScreenSteps, WeaponsKeepAReserveTheOtherPanelsDoNot) {
    for (const bool weapons : {true, false}) {
        RepairRun run;
        EquipmentItem& item = run.Store(weapons ? 20 : 1, 60, 50);   // a step costs 3
        run.Show(weapons ? run.screen.weaponsPanel : run.screen.equipmentPanel);
        run.screen.pendingTotal = 100;
        run.career.funds = 109;
        run.Step(0);
        EXPECT_EQ(item.repairPoints, weapons ? 0 : 10) << weapons;
    }
}

TEST(RepairScreenSteps, RepairAllNeedsExactlyTheMoney) {
    for (const int32_t spare : {0, -1}) {
        RepairRun run;
        EquipmentItem& item = run.Store(1, 1000, 100);
        run.Store(20, 400, 50);
        run.Show(run.screen.equipmentPanel);
        run.Step(0);
        run.career.funds = 50 + 450 + 100 + spare;
        run.screen.RepairAll();
        EXPECT_EQ(run.screen.pendingTotal, spare == 0 ? 600 : 50) << spare;
        EXPECT_EQ(item.repairPoints, spare == 0 ? 100 : 10) << spare;
    }
}

TEST(RepairScreenShips, HullEntryIsLastAndWritesBackToTheShip) {
    RepairRun run(true);
    ShipRecord* const ship = run.career.GetShip(0);
    ASSERT_NE(ship, nullptr);
    ship->damage = 0;
    EquipmentItem* const armour = FitArmourAndGun(*ship, nullptr);
    ASSERT_NE(armour, nullptr);
    armour->damage = 20;
    ship->price = 2000;
    run.Show(run.screen.shipsPanel, 1);
    ASSERT_EQ(run.screen.structure.size(), 1u);
    ship->damage = 30;
    run.Show(run.screen.shipsPanel, 1);
    ASSERT_EQ(run.screen.structure.size(), 2u);
    EXPECT_EQ(run.screen.structure[1]->name, ship->displayName);
    run.Step(1);
    EXPECT_EQ(ship->repairPoints, 10);
    EXPECT_EQ(ship->hullRepairMoney, 100);
    // Emptying the lists must leave the ship alone.
    run.screen.SelectShip(0);
    run.screen.SelectShip(1);
    EXPECT_EQ(run.screen.structure.back()->repairPoints, 10);
    run.screen.ApplyRepairs();
    EXPECT_EQ(ship->damage, 20);
    EXPECT_EQ(ship->repairPoints, 0);
    EXPECT_EQ(run.career.funds, 100000 - 100);
}

TEST(RepairScreenShips, CareerWithoutShipsShowsOnlyTheStores) {
    RepairRun run;
    run.harness.Game().tutorialsEnabled = 0;
    run.screen.Open();
    ListBox& ships = *run.screen.List(RepairScreen::kShipList);
    EXPECT_EQ(ships.GetLineCount(), 1);
    EXPECT_STREQ(ships.GetItem(0), RepairScreen::kStoresRow);
    for (const int32_t row : {-1, 1, 1 << 30}) {
        run.screen.SelectShip(row);
        EXPECT_TRUE(run.screen.structure.empty() && run.screen.equipment.empty()) << row;
    }
    run.screen.Close();
}

TEST(RepairScreenClose, AppliesChargesAndClears) {
    RepairRun run;
    EquipmentItem& plain = run.Store(1, 1000, 60);
    plain.maximum = 50;
    EquipmentItem& armour = run.Store(EquipmentItem::kArmor, 100, 75);
    armour.maximum = 4;
    armour.damageDetail = 225 | 150 << 8 | 150 << 16;
    armour.repairPoints = 10;
    armour.repairMoney = 5;
    EquipmentItem& wreck = run.Store(EquipmentItem::kArmor, 100, 100);
    wreck.maximum = 4;
    wreck.damageDetail = int32_t(0xFAFAFAFAu);
    wreck.repairPoints = 100;
    EquipmentItem& open = run.Store(EquipmentItem::kArmor, 100, 80);   // no maximum
    open.repairPoints = 30;
    run.Show(run.screen.equipmentPanel);
    run.Step(0);
    run.screen.Close();
    EXPECT_EQ(plain.damage, 50);
    EXPECT_EQ(plain.damageDetail, 25);
    EXPECT_EQ(armour.damageDetail, 132 | 132 << 8 | 132 << 16);
    EXPECT_EQ(armour.damage, 40);
    EXPECT_EQ(wreck.damageDetail, 0);
    EXPECT_EQ(wreck.damage, 0);
    EXPECT_EQ(open.damage, 50);
    for (const auto& item : run.career.stores) EXPECT_EQ(item->repairPoints | item->repairMoney, 0);
    EXPECT_EQ(run.career.funds, 100000 - 50);
    // A second visit that buys nothing changes nothing.
    run.screen.Open();
    run.screen.Close();
    EXPECT_EQ(run.career.funds, 100000 - 50);
    EXPECT_EQ(plain.damage, 50);
}

// Whatever a record holds, a repair carried out leaves the damage between
// nothing and what it was: plain items, armour without a maximum, the hull,
// and armour whose maximum is the largest a number holds, partly and wholly
// mended (the facings raised level by level as with any maximum).
TEST(RepairScreenClose, RepairsNeverLeaveDamageBelowZeroWhateverTheRecordsHold) {
    constexpr int32_t kHuge = std::numeric_limits<int32_t>::max();
    constexpr int32_t kFacings100 = 100 | 100 << 8 | 100 << 16 | 100 << 24;
    RepairRun run(true);
    ShipRecord& ship = *run.career.GetShip(0);
    ship.damage = 30;
    ship.repairPoints = kHuge;
    EquipmentItem& plain = run.Store(1, 1000, 40);
    plain.repairPoints = kHuge;
    plain.maximum = 50;
    EquipmentItem& open = run.Store(EquipmentItem::kArmor, 100, 80);
    open.repairPoints = 1000;
    EquipmentItem& halfway = run.Store(EquipmentItem::kArmor, 100, 40);
    halfway.maximum = kHuge;
    halfway.damageDetail = kFacings100;
    halfway.repairPoints = 20;
    EquipmentItem& whole = run.Store(EquipmentItem::kArmor, 100, 40);
    whole.maximum = kHuge;
    whole.damageDetail = kFacings100;
    whole.repairPoints = kHuge;
    EquipmentItem& torn = run.Store(EquipmentItem::kArmor, 100, 100);
    torn.maximum = 4;
    torn.damageDetail = -1;   // every facing past the wreck's 250
    torn.repairPoints = 50;

    run.screen.ApplyRepairs();
    EXPECT_EQ(ship.damage, 0);
    EXPECT_EQ(plain.damage, 0);
    EXPECT_EQ(plain.damageDetail, 0);
    EXPECT_EQ(open.damage, 0);
    EXPECT_EQ(halfway.damage, 20);
    EXPECT_EQ(halfway.damageDetail, 49 | 49 << 8 | 49 << 16 | 49 << 24);
    EXPECT_EQ(whole.damage, 0);
    EXPECT_EQ(whole.damageDetail, 0);
    EXPECT_EQ(torn.damage, 49);
    EXPECT_EQ(torn.damageDetail, 122 | 122 << 8 | 122 << 16 | 122 << 24);
    for (const auto& item : run.career.stores) EXPECT_GE(item->damage, 0) << item->name;
    EXPECT_EQ(run.career.funds, 100000);
}

}  // namespace

namespace {

std::string Click(int32_t pass, int32_t x, int32_t y) {
    return "at " + std::to_string(pass) + " click " + std::to_string(x) + " " + std::to_string(y) + "\n";
}

// A visit pays for its own repairs at the close, so repairs the records it
// finds say are booked were never paid for, whatever a saved game held: the
// visit forgets them. Leaving without buying repairs and charges nothing;
// "Repair All" charges the whole of what it mends.
TEST(RepairScreenVisit, RepairsBookedBeforeTheVisitAreNeitherCarriedOutNorCredited) {
    constexpr int32_t kHuge = std::numeric_limits<int32_t>::max();
    for (const bool repairAll : {false, true}) {
        SCOPED_TRACE(repairAll);
        RepairRun run(true);
        run.harness.Game().tutorialsEnabled = 0;
        run.harness.ClearBetweenPasses();
        ShipRecord& ship = *run.career.GetShip(0);
        ship.TakeAllItems();
        ship.damage = 30;
        ship.repairPoints = 30;
        ship.price = 2000;
        EquipmentItem& plain = run.Store(1, 1000, 40, "Generator 1");
        plain.repairPoints = 40;
        plain.repairMoney = 200;
        EquipmentItem& beyond = run.Store(20, 400, 10, "Laser");
        beyond.repairPoints = kHuge;
        beyond.repairMoney = kHuge;
        ASSERT_TRUE(run.harness.SetScript(repairAll ? Click(10, 400, 278) + Click(12, 360, 181) + Click(14, 400, 278)
                                                    : std::string()));
        run.harness.SetPassLimit(20);
        run.harness.Run(run.screen);
        const int32_t cost = 40 * 1000 / 200 + 10 * 400 / 200 + 30 * 2000 / 200;
        EXPECT_EQ(run.career.funds, repairAll ? 100000 - cost : 100000);
        EXPECT_EQ(plain.damage, repairAll ? 0 : 40);
        EXPECT_EQ(beyond.damage, repairAll ? 0 : 10);
        EXPECT_EQ(ship.damage, repairAll ? 0 : 30);
        for (const auto& item : run.career.stores) EXPECT_EQ(item->repairPoints | item->repairMoney, 0) << item->name;
        EXPECT_EQ(ship.repairPoints, 0);
    }
}

// The ship row chosen, then one step bought on its armour: the armour, the
// weapon elsewhere and the hull last.
TEST(RepairScreenPictures, ShipAfterOneStep) {
    ScreenHarness harness;
    harness.Game().tutorialsEnabled = 0;
    harness.ClearBetweenPasses();
    CareerRecord& career = *harness.Game().career;
    ShipRecord& ship = *career.GetShip(0);
    EquipmentItem* gun = nullptr;
    EquipmentItem* const armour = FitArmourAndGun(ship, &gun);
    ASSERT_NE(armour, nullptr);
    ASSERT_NE(gun, nullptr);
    armour->damage = 60;
    armour->damageDetail = 150 | 150 << 8 | 150 << 16 | 150 << 24;
    gun->damage = 35;
    ship.damage = 45;
    RepairScreen screen;
    ASSERT_TRUE(harness.SetScript(Click(10, 360, 181) + Click(14, 100, 167)));
    harness.SetPassLimit(21);
    harness.CaptureAfterPass(20);
    harness.Run(screen);
    EXPECT_EQ(armour->damage, 50);   // carried out when the run ended
    EXPECT_EQ(gun->damage, 35);
    EXPECT_EQ(ship.damage, 45);
    EXPECT_EQ(career.funds, CareerRecord::kStartingFunds - 10 * armour->price / 200);
    EXPECT_TRUE(MatchesGolden(harness.Picture(20), "repair_ship"));
}

}  // namespace

// The panel buttons switch the stores shown, and Delete over the ships list
// drops the chosen ship.
TEST(RepairScreenVisit, PanelButtonsSwitchAndDeleteDropsTheShip) {
    RepairRun run(true);
    run.harness.Game().tutorialsEnabled = 0;
    run.harness.ClearBetweenPasses();
    run.Store(1, 1000, 40, "Generator 1");
    run.Store(20, 400, 10, "Laser");
    RepairScreen& screen = run.screen;
    std::vector<ArtObject*> panels;
    const auto note = [&] { panels.push_back(screen.currentPanel); };
    int32_t chosen = -2, cleared = -2;
    std::string script = Click(10, 249, 141) + Click(22, 323, 141) + Click(34, 175, 141);
    run.harness.AtPass(22, note);
    run.harness.AtPass(34, note);
    run.harness.AtPass(46, note);
    script += Click(46, 360, 181);
    run.harness.AtPass(48, [&] { chosen = screen.List(RepairScreen::kShipList)->GetSelection(); });
    script += "at 48 move 400 181\nat 49 key 211\n";
    run.harness.AtPass(50, [&] { cleared = screen.List(RepairScreen::kShipList)->GetSelection(); });
    ASSERT_TRUE(run.harness.SetScript(script));
    run.harness.SetPassLimit(51);
    run.harness.Run(screen);
    EXPECT_EQ(panels, (std::vector<ArtObject*>{screen.weaponsPanel, screen.equipmentPanel, screen.shipsPanel}));
    EXPECT_GE(chosen, 0);
    EXPECT_EQ(cleared, -1);
}
