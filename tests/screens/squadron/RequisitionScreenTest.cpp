// The requisition screen: orders against the funds, sales, and the rows.
#include "screens/squadron/RequisitionScreen.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <map>
#include <string>
#include <utility>

#include "game/CareerDataFiles.h"
#include "game/CareerRecord.h"
#include "game/GameState.h"
#include "display/FontContext.h"
#include "display/Canvas.h"
#include "display/InverseColorTable.h"
#include "display/Palette.h"
#include "game/DrawString.h"
#include "ui/ListBox.h"
#include "ui/UiSounds.h"
#include "tests/support/GoldenImage.h"
#include "tests/support/world/ScreenHarness.h"

namespace {

std::string Click(int32_t pass, int32_t x, int32_t y) {
    return "at " + std::to_string(pass) + " click " + std::to_string(x) + " " + std::to_string(y) + "\n";
}
// The list's middle, clear of the frame's column of buttons on its left.
constexpr int32_t kRowX = 200;
// The mode and panel buttons the scripts press.
constexpr int32_t kSellX = 290, kSellY = 80;
constexpr int32_t kSystemsX = 320, kSystemsY = 144;
int32_t RowY(int32_t row) { return 166 + row * 12; }
// The panel opens over the first passes; clicks come after.
constexpr int32_t kSettled = 8;

struct RequisitionRun {
    RequisitionRun() {
        harness.Game().tutorialsEnabled = 0;
        harness.ClearBetweenPasses(true);
    }
    CareerRecord& career() { return *harness.Game().career; }
    void Run(const std::string& script, int32_t passes) {
        ASSERT_TRUE(harness.SetScript(script));
        harness.SetPassLimit(passes);
        harness.Run(screen);
    }
    // The screen as a click on that panel would find it.
    void Show(ArtObject* panel, int32_t mode) {
        screen.currentPanel = panel;
        screen.mode = mode;
        screen.FillLists();
    }
    ScreenHarness harness;
    RequisitionScreen screen;
};

TEST(RequisitionRows, ResaleIsThreeQuartersScaledByConditionWithoutOverflow) {
    const struct {
        int32_t damage, price, resale;
    } cases[] = {{20, 1000, 600},   {0, 1000, 750},          {100, 1000, 0},
                 {0, 10000000, 7500000}, {-100, INT32_MAX, INT32_MAX}, {0, INT32_MIN, -1610612736}};
    for (const auto& c : cases) EXPECT_EQ(RequisitionScreen::Resale(c.damage, c.price), c.resale) << c.price;
}

TEST(RequisitionRows, LongNamesAreCutAndKindsCoded) {
    EXPECT_EQ(RequisitionScreen::ItemRow(21, "ABCDEFGHIJKLMNOP", 1, 2, 3), "GU ABCDEFGHIJKLMNOP    1   2       3");
    EXPECT_EQ(RequisitionScreen::ItemRow(4, "ABCDEFGHIJKLMNOPQ", 1, 2, 3), "RA ABCDEFGHIJKLMN...   1   2       3");
    EXPECT_EQ(RequisitionScreen::ShipRow("ABCDEFGHIJKLMNOPQRS", 0, 0, 9), "ABCDEFGHIJKLMNOPQRS    0   0       9");
    EXPECT_EQ(RequisitionScreen::ShipRow("ABCDEFGHIJKLMNOPQRST", 0, 0, 9), "ABCDEFGHIJKLMNOP...    0   0       9");
    // Once "190000": a count of 1 run into its price.
    EXPECT_EQ(RequisitionScreen::ShipRow("Warden", 0, 1, 90000), "Warden                 0   1   90000");
    for (const int32_t odd : {0, 16, 19, 25, -1}) EXPECT_STREQ(RequisitionScreen::KindCode(odd), "??") << odd;
    EXPECT_STREQ(RequisitionScreen::KindCode(15), "DE");
    EXPECT_STREQ(RequisitionScreen::KindCode(20), "BE");
}

// The widest rows of the sample's sizes (counts below 100, prices below a
// million), blanks before every number, fit the list in its font.
TEST(RequisitionRows, WidestRowsFitTheList) {
    RequisitionRun run;
    ASSERT_EQ(SelectFont(ListBox::kListFontName), kStatusOk);
    const ListBox* const list = run.screen.List(run.screen.shipsPanel);
    ASSERT_NE(list, nullptr);
    for (const std::string& row : {RequisitionScreen::ItemRow(21, "ABCDEFGHIJKLMNOPQ", 99, 99, 999999),
                                   RequisitionScreen::ShipRow("ABCDEFGHIJKLMNOPQRST", 99, 99, 999999)}) {
        EXPECT_LE(int32_t(FontStringWidth(row.c_str())), list->width - TextBox::kBlockInset) << row;
    }
}

// Every step that raises the total is tested against the funds, and no
// count passes what there is to sell.
TEST(RequisitionOrdersOnScreen, StepsStayWithinTheFundsAndTheStores) {
    RequisitionRun run;
    CareerRecord& career = run.career();
    run.Show(run.screen.weaponsPanel, RequisitionScreen::kBuyMode);
    EquipmentItem* const weapon = career.GetCatalogueItem(0, EquipmentItem::kWeapons);
    ASSERT_NE(weapon, nullptr);
    career.funds = weapon->price + weapon->price / 2;
    run.screen.AddOne(0);
    run.screen.AddOne(0);
    EXPECT_EQ(weapon->ordered, 1);
    EXPECT_EQ(run.screen.total, weapon->price);
    run.screen.TakeOne(0);
    run.screen.TakeOne(0);
    EXPECT_EQ(weapon->ordered, 0);
    EXPECT_EQ(run.screen.total, 0);

    // Two stored units sell no further than two.
    auto stock = std::make_unique<EquipmentItem>(weapon->id, weapon->kind);
    stock->quantity = 2;
    stock->price = 1000;
    stock->damage = 20;
    career.StoreEquipment(std::move(stock));
    run.Show(run.screen.weaponsPanel, RequisitionScreen::kSellMode);
    for (int i = 0; i < 3; ++i) run.screen.AddOne(0);
    EXPECT_EQ(career.GetStoredItem(0, EquipmentItem::kWeapons)->toSell, 2);
    EXPECT_EQ(run.screen.total, -1200);

    // A ship flags once; taking the flag back is refused when the total
    // would pass the funds.
    career.funds = 1000;
    run.screen.total = 0;
    career.GetStoredItem(0, EquipmentItem::kWeapons)->toSell = 0;
    ShipRecord* const ship = career.GetShip(0);
    ship->price = 1000;
    ship->damage = 0;
    run.Show(run.screen.shipsPanel, RequisitionScreen::kSellMode);
    run.screen.AddOne(0);
    run.screen.AddOne(0);
    EXPECT_EQ(ship->sold, 1);
    EXPECT_EQ(run.screen.total, -750);
    run.screen.total = 500;
    run.screen.TakeOne(0);
    EXPECT_EQ(ship->sold, 1);
    run.screen.total = 250;
    run.screen.TakeOne(0);
    EXPECT_EQ(ship->sold, 0);
    EXPECT_EQ(run.screen.total, 1000);
}

// The ships panel opens first with its first row selected: a click on the
// second row selects it, the next orders one. Leaving pays; the ship comes
// only at launch.
TEST(RequisitionOrdersOnScreen, ASecondClickOrdersAndLeavingPaysWithoutDelivering) {
    RequisitionRun run;
    CareerRecord& career = run.career();
    career.funds = 250000;
    const int32_t funds = career.funds;
    const int32_t ships = career.GetShipCount();
    EquipmentItem* const hull = career.GetCatalogueItem(1, EquipmentItem::kShips);
    ASSERT_NE(hull, nullptr);
    run.harness.CaptureAfterPass(kSettled + 8);
    run.Run(Click(kSettled, kRowX, RowY(1)) + Click(kSettled + 4, kRowX, RowY(1)), kSettled + 10);
    EXPECT_EQ(hull->ordered, 1);
    EXPECT_EQ(career.funds, funds - hull->price);
    EXPECT_EQ(career.GetShipCount(), ships);
    EXPECT_TRUE(MatchesGolden(run.harness.Picture(kSettled + 8), "requisition_buy"));
}

// A squadron with no ship left gets the one it orders at once: no launch could bring it.
TEST(RequisitionOrdersOnScreen, ASquadronWithoutAShipGetsItsOrderAtOnce) {
    RequisitionRun bare;
    bare.career().ships.clear();
    bare.career().funds = 250000;
    bare.Run(Click(kSettled, kRowX, RowY(1)) + Click(kSettled + 4, kRowX, RowY(1)), kSettled + 10);
    EXPECT_EQ(bare.career().GetShipCount(), 1);
    EXPECT_EQ(bare.career().GetCatalogueItem(1, EquipmentItem::kShips)->ordered, 0);
}

// Sell mode over the systems: the first row, already selected, is flagged
// by one click and shown in its damage colour; leaving sells it.
TEST(RequisitionOrdersOnScreen, SellModeFlagsADamagedItemAndLeavingSellsIt) {
    RequisitionRun run;
    CareerRecord& career = run.career();
    career.stores.clear();
    CareerDataFiles data(0);
    ASSERT_NE(data.Definitions(), nullptr);
    for (const auto& [id, damage] : {std::pair{"Radar 1", 60}, std::pair{"Flight 1", 100}}) {
        auto stock = std::make_unique<EquipmentItem>(id, *data.Definitions(), 0);
        stock->price = 1000;
        stock->damage = damage;
        career.StoreEquipment(std::move(stock));
    }
    const int32_t funds = career.funds;
    run.harness.CaptureAfterPass(kSettled + 14);
    run.Run(Click(kSettled, kSellX, kSellY) + Click(kSettled + 2, kSystemsX, kSystemsY) +
                Click(kSettled + 10, kRowX, RowY(0)),
            kSettled + 16);
    EXPECT_EQ(career.funds, funds + 300);
    ASSERT_EQ(career.stores.size(), 1u);
    EXPECT_STREQ(career.stores[0]->id, "Flight 1");
    EXPECT_TRUE(MatchesGolden(run.harness.Picture(kSettled + 14), "requisition_sell"));
}

// The player flies the second ship; a hired wingman flies the first, which
// is the sell list's first row.
struct WingedCareer {
    explicit WingedCareer(CareerRecord& career) : career(career) {
        career.funds = 90000;
        auto second = std::make_unique<ShipRecord>("P102");
        EXPECT_EQ(second->LoadHull(), kStatusOk);
        player = career.AddShip(std::move(second));
        wingmanShip = career.GetShip(0);
        career.selectedShip = 1;
        EXPECT_FALSE(career.hirePool.empty());
        const std::string name = career.hirePool.front()->name;
        career.HirePilot(name.c_str());
        wingman = career.hiredPilots.back().get();
        wingman->flying = 1;
        wingmanShip->pilot = wingman;
    }
    void ExpectUntouched(int32_t funds) const {
        EXPECT_EQ(career.GetShip(-1), player);
        EXPECT_EQ(career.GetSelectedShipIndex(), 1);
        EXPECT_EQ(wingmanShip->pilot, wingman);
        EXPECT_EQ(wingman->flying, 1);
        EXPECT_EQ(career.funds, funds);
        EXPECT_EQ(career.GetShipCount(), 2);
    }
    CareerRecord& career;
    ShipRecord* player = nullptr;
    ShipRecord* wingmanShip = nullptr;
    PilotRecord* wingman = nullptr;
};

// Looking over the ships for sale, on every panel and in both modes, and
// leaving (or placing an empty order) settles nothing: the player keeps his
// ship and the wingman his.
TEST(RequisitionOrdersOnScreen, BrowsingTheSellListAndLeavingChangesNothing) {
    {
        RequisitionRun run;
        WingedCareer wing(run.career());
        run.Run(Click(kSettled, kSellX, kSellY) + Click(kSettled + 4, kRowX, RowY(1)) +
                    Click(kSettled + 8, kRowX, RowY(0)) + Click(kSettled + 12, kSystemsX, kSystemsY),
                kSettled + 20);
        EXPECT_EQ(run.screen.mode, RequisitionScreen::kSellMode);
        wing.ExpectUntouched(90000);
    }
    {
        RequisitionRun run;
        WingedCareer wing(run.career());
        run.Run(Click(kSettled, kSellX, kSellY) + Click(kSettled + 4, 495, 132), kSettled + 10);
        EXPECT_EQ(run.screen.orderPlaced, 1);
        wing.ExpectUntouched(90000);
    }
}

// A sale still settles: the wingman's ship sold from the list leaves the
// career with him off it, the player keeps flying his own and is paid.
TEST(RequisitionOrdersOnScreen, SellingTheWingmansShipSettlesAndKeepsThePlayersShip) {
    RequisitionRun run;
    WingedCareer wing(run.career());
    const int32_t resale = RequisitionScreen::Resale(wing.wingmanShip->damage, wing.wingmanShip->price);
    ASSERT_GT(resale, 0);
    run.Run(Click(kSettled, kSellX, kSellY) + Click(kSettled + 4, kRowX, RowY(0)), kSettled + 10);
    EXPECT_EQ(run.career().GetShipCount(), 1);
    EXPECT_EQ(run.career().GetShip(-1), wing.player);
    EXPECT_EQ(wing.wingman->flying, 0);
    EXPECT_EQ(run.career().funds, 90000 + resale);
}

// A ship ordered by two clicks on its row and placed: "Order Placed" for
// four seconds and the order's voice.
TEST(RequisitionOrdersOnScreen, OrderPlacedShowsForFourSeconds) {
    constexpr int32_t kPlaced = kSettled + 8;
    for (const int32_t after : {int32_t(RequisitionScreen::kOrderPlacedMs / ScreenHarness::kStepMs) - 2,
                                int32_t(RequisitionScreen::kOrderPlacedMs / ScreenHarness::kStepMs) + 2}) {
        RequisitionRun run;
        run.career().funds = 250000;
        run.Run(Click(kSettled, kRowX, RowY(1)) + Click(kSettled + 4, kRowX, RowY(1)) + Click(kPlaced, 495, 132),
                kPlaced + after);
        EXPECT_EQ(run.screen.orderPlaced, after < 80 ? 1 : 0) << after;
        EXPECT_STREQ(run.screen.notice, RequisitionScreen::kOrderPlacedText);
        EXPECT_EQ(run.harness.UiSoundCount(54), 1);
        EXPECT_LT(run.career().funds, 250000);
    }
}

// ORDER with nothing chosen pays nothing, plays no order voice and says so
// in words of its own, drawn on the page.
TEST(RequisitionOrdersOnScreen, AnEmptyOrderIsRefusedWithItsOwnNotice) {
    RequisitionRun run;
    // White matched to a colour of its own rather than the clear colour,
    // as the game's palette matches it.
    ASSERT_EQ(g_gameCanvas->palette->SetTables(InverseColorTable::kFlagBuild, nullptr, nullptr), kStatusOk);
    const int32_t funds = run.career().funds;
    run.harness.CaptureAfterPass(kSettled + 1);
    run.harness.CaptureAfterPass(kSettled + 4);
    run.Run(Click(kSettled + 2, 495, 132), kSettled + 6);
    EXPECT_EQ(run.screen.orderPlaced, 1);
    EXPECT_STREQ(run.screen.notice, RequisitionScreen::kEmptyOrderText);
    EXPECT_STRNE(RequisitionScreen::kEmptyOrderText, RequisitionScreen::kOrderPlacedText);
    EXPECT_EQ(run.harness.UiSoundCount(54), 0);
    EXPECT_EQ(run.career().funds, funds);
    EXPECT_NE(run.harness.Picture(kSettled + 1), run.harness.Picture(kSettled + 4)) << "the notice is not drawn";
    // The words lie in open space: the list, its scroll pair and the item's
    // sheet read as they did before ORDER, and every pixel the notice
    // changed lies left of the order's own button.
    const RgbImage& before = run.harness.Picture(kSettled + 1);
    const RgbImage& after = run.harness.Picture(kSettled + 4);
    ASSERT_EQ(before.rgb.size(), after.rgb.size());
    const auto changed = [&](int32_t x, int32_t y) {
        const size_t at = size_t(y * after.width + x) * 3;
        return std::memcmp(&before.rgb[at], &after.rgb[at], 3) != 0;
    };
    int32_t top = after.height, bottom = -1, right = -1;
    for (int32_t y = 0; y < after.height; ++y) {
        for (int32_t x = 0; x < 430; ++x) {
            if (!changed(x, y)) continue;
            top = std::min(top, y);
            bottom = std::max(bottom, y);
            right = std::max(right, x);
        }
    }
    ASSERT_GE(bottom, 0) << "no notice left of ORDER";
    // Under the list (rows from y 163), its DN button (to y 264) and the
    // sheet (to y 258); above the description (from y 325).
    EXPECT_GT(top, 265);
    EXPECT_LT(bottom, 320);
    EXPECT_GT(right, 300) << "the notice is cut short";
    EXPECT_TRUE(MatchesGolden(after, "requisition_nothing_ordered"));
}

}  // namespace

namespace {

std::string Key(int32_t pass, uint32_t key) {
    return "at " + std::to_string(pass) + " key " + std::to_string(key) + "\n";
}
std::string Move(int32_t pass, int32_t x, int32_t y) {
    return "at " + std::to_string(pass) + " move " + std::to_string(x) + " " + std::to_string(y) + "\n";
}

}  // namespace

// Orders taken back by Delete over their row in both modes, the list walked
// by the arrows, the panel and mode buttons lit by a passing pointer, and
// the ships panel reopened by its button.
TEST(RequisitionOrdersOnScreen, DeleteTakesOneBackAndTheKeysWalkTheList) {
    constexpr uint32_t kDelete = 211, kDown = 0x50 | 0x80, kUp = 0x48 | 0x80;
    RequisitionRun run;
    CareerRecord& career = run.career();
    RequisitionScreen& screen = run.screen;
    ScreenHarness& harness = run.harness;
    career.funds = 250000;
    career.stores.clear();
    CareerDataFiles data(0);
    auto stock = std::make_unique<EquipmentItem>("Radar 1", *data.Definitions(), 0);
    stock->price = 1000;
    stock->damage = 60;
    career.StoreEquipment(std::move(stock));
    EquipmentItem* const hull = career.GetCatalogueItem(1, EquipmentItem::kShips);
    ASSERT_NE(hull, nullptr);
    const auto pointerY = [&screen] {
        uint16_t x = 0, y = 0;
        screen.eventMap->GetMousePosition(&x, &y);
        return int32_t(y);
    };
    std::map<std::string, int32_t> seen;
    std::string script = Click(kSettled, kRowX, RowY(1)) + Click(kSettled + 4, kRowX, RowY(1));
    harness.AtPass(kSettled + 6, [&] { seen["ordered"] = hull->ordered; });
    script += Key(kSettled + 6, kDelete);
    harness.AtPass(kSettled + 8, [&] {
        seen["takenBack"] = hull->ordered;
        seen["total"] = screen.total;
        seen["y0"] = pointerY();
    });
    script += Key(kSettled + 8, kDown);
    harness.AtPass(kSettled + 9, [&] { seen["yDown"] = pointerY(); });
    script += Key(kSettled + 9, kUp);
    harness.AtPass(kSettled + 10, [&] {
        seen["yUp"] = pointerY();
        seen["hoverBefore"] = harness.UiSoundCount(kUiSoundHotspot);
    });
    script += Move(kSettled + 10, 175, 145) + Move(kSettled + 11, 249, 145) + Move(kSettled + 12, 323, 145) +
              Move(kSettled + 13, 495, 132) + Move(kSettled + 14, 195, 81);
    harness.AtPass(kSettled + 15, [&] { seen["hoverAfter"] = harness.UiSoundCount(kUiSoundHotspot); });
    script += Click(kSettled + 16, 249, 145) + Click(kSettled + 26, 175, 145);
    harness.AtPass(kSettled + 36, [&] { seen["shipsAgain"] = screen.currentPanel == screen.shipsPanel; });
    script += Click(kSettled + 36, kSellX, kSellY) + Click(kSettled + 38, kSystemsX, kSystemsY) +
              Click(kSettled + 48, kRowX, RowY(0));
    harness.AtPass(kSettled + 50, [&] { seen["flagged"] = career.GetStoredItem(0, EquipmentItem::kSystems)->toSell; });
    script += Key(kSettled + 50, kDelete);
    harness.AtPass(kSettled + 52, [&] {
        seen["unflagged"] = career.GetStoredItem(0, EquipmentItem::kSystems)->toSell;
        seen["sellTotal"] = screen.total;
    });
    const int32_t funds = career.funds;
    run.Run(script, kSettled + 54);

    EXPECT_EQ(seen["ordered"], 1);
    EXPECT_EQ(seen["takenBack"], 0);
    EXPECT_EQ(seen["total"], 0);
    EXPECT_GT(seen["yDown"], seen["y0"]);
    EXPECT_EQ(seen["yUp"], seen["y0"]);
    EXPECT_EQ(seen["hoverAfter"] - seen["hoverBefore"], 5);
    EXPECT_EQ(seen["shipsAgain"], 1);
    EXPECT_EQ(seen["flagged"], 1);
    EXPECT_EQ(seen["unflagged"], 0);
    EXPECT_EQ(seen["sellTotal"], 0);
    EXPECT_EQ(career.funds, funds);   // nothing left to pay or be paid
    EXPECT_EQ(career.stores.size(), 1u);
}
