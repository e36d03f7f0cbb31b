#include "screens/squadron/OutfitScreen.h"

#include "engine/input/InputEventMap.h"
#include "screens/squadron/OutfitHotspots.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "game/CareerDataFiles.h"
#include "game/CareerRecord.h"
#include "game/DataDirectories.h"
#include "game/GameState.h"
#include "screens/squadron/DataSheet.h"
#include "ui/ArtObject.h"
#include "ui/BitmapButton.h"
#include "ui/EquipmentPicture.h"
#include "ui/ListBox.h"
#include "ui/TextBox.h"
#include "sound/SoundObject.h"
#include "ui/UiSounds.h"
#include "tests/support/FileContents.h"
#include "tests/support/GoldenImage.h"
#include "tests/support/world/ScreenHarness.h"

namespace {

constexpr int32_t kGeneratorBay = 3;
constexpr int32_t kFlightBay = 2;   // radar, targeting and flight of the new career's ship

// The new career of the sample data, with the screen standing in one of its
// views as a click there would find it.
struct OutfitRun {
    ScreenHarness harness;
    OutfitScreen screen;
    CareerRecord& career = *harness.Game().career;
    CareerDataFiles data{0};

    explicit OutfitRun(bool weapons = false) {
        screen.currentPanel = weapons ? screen.weaponsView : screen.equipmentView;
        screen.selectedShipIndex = career.GetSelectedShipIndex();
        screen.selectedShip = career.GetShip(screen.selectedShipIndex);
    }
    ShipRecord& Ship() { return *screen.selectedShip; }
    ListBox& Stores() { return *screen.List(OutfitScreen::kEquipList); }

    // A stored unit of that definition; the rows are rebuilt.
    void Stock(const char* name, int32_t kind, int32_t damage = 0) {
        auto item = std::make_unique<EquipmentItem>(name, *data.Definitions(), kind);
        item->damage = damage;
        career.StoreEquipment(std::move(item));
        screen.RefillEquipList();
    }
    // The two clicks that take one unit of a store line onto the pointer.
    void TakeLine(int32_t line) {
        Stores().SetSelection(line);
        screen.PickFromList(line);
    }
    // The pointer that drops the dragged item with its top-left on that cell.
    MountPoint Over(const MountArea& bay, int32_t column, int32_t row) const {
        const Bitmap* const picture = screen.DraggedItem()->layoutPicture.get();
        return MountPoint{bay.origin.x + MountArea::kBayCell * column + 1 + (picture->width >> 1),
                          bay.origin.y + MountArea::kBayCell * row + 1 + (picture->height >> 1)};
    }
    int32_t Played(int32_t sound) {
        int32_t count = 0;
        for (const auto& event : harness.Sounds().events) {
            if (g_uiSounds[sound] != nullptr && event.samples == g_uiSounds[sound]->samples.get()) ++count;
        }
        return count;
    }
    std::string Row(int32_t line) { return Stores().GetItem(line) != nullptr ? Stores().GetItem(line) : ""; }
};

TEST(OutfitScreenLists, DamageColoursByBand) {
    const struct {
        int32_t damage;
        uint32_t colour;
    } bands[] = {{0, OutfitScreen::kIntactColour},   {1, OutfitScreen::kWornColour},
                 {50, OutfitScreen::kWornColour},    {51, OutfitScreen::kDamagedColour},
                 {99, OutfitScreen::kDamagedColour}, {100, OutfitScreen::kWreckedColour},
                 {250, OutfitScreen::kWreckedColour}, {-5, OutfitScreen::kIntactColour}};
    for (const auto& band : bands) EXPECT_EQ(OutfitScreen::DamageColour(band.damage), band.colour) << band.damage;
}

TEST(OutfitScreenLists, RowCutsTheNameAt24Characters) {
    OutfitRun run;
    run.Stock("Generator 1", 1);
    run.career.stores.back()->name = "Generator of Unusual Length Mark 2";
    run.screen.RefillEquipList();
    EXPECT_EQ(run.Row(0), "Generator   Generator of Unusual Len1");
}

TEST(OutfitScreenLists, RefillAfterATakeKeepsScrollAndClampsSelection) {
    OutfitRun run;
    run.Stock("Hardening 1", 9);
    run.Stock("ECM 1", 10);
    run.Stock("Jammer 1", 12);
    ASSERT_EQ(run.Stores().GetLineCount(), 3);
    run.Stores().SetTopLine(1);
    run.TakeLine(2);
    ASSERT_NE(run.screen.DraggedItem(), nullptr);
    EXPECT_EQ(run.Stores().GetLineCount(), 2);
    EXPECT_EQ(run.Stores().GetSelection(), 1);
    EXPECT_EQ(run.Stores().GetBlock(0)->topLine, 1);
}

TEST(OutfitScreenDrag, FirstClickSelectsSecondTakesOneUnit) {
    OutfitRun run;
    run.Stock("ECM 1", 10);
    run.Stock("ECM 1", 10);
    ASSERT_EQ(run.Row(0), "ECM         ECM 1                  2");
    run.Stores().SetSelection(0);
    run.screen.PickFromList(-1);
    EXPECT_EQ(run.screen.dragging, 0);
    EXPECT_EQ(run.screen.shownItem, run.career.GetStoredItem(0, EquipmentItem::kSystems));
    run.screen.PickFromList(0);
    EXPECT_EQ(run.screen.dragging, 1);
    EXPECT_EQ(run.Row(0), "ECM         ECM 1                  1");
    EXPECT_EQ(run.screen.shownItem, run.screen.DraggedItem());
}

TEST(OutfitScreenDrag, BayDropsRefuseSwapAndKeep) {
    OutfitRun run;
    MountArea& flight = *run.Ship().GetBay(kFlightBay);
    MountArea& generators = *run.Ship().GetBay(kGeneratorBay);

    // A second targeting unit into the bay that holds one is refused aloud.
    run.Stock("Targeting 1", 5);
    run.TakeLine(0);
    EquipmentItem* const targeting = run.screen.DraggedItem();
    run.screen.DropOrPickOnLayout(run.Over(flight, 2, 0));
    EXPECT_EQ(run.Played(53), 1);
    EXPECT_EQ(run.screen.DraggedItem(), targeting);
    run.screen.DropOrPickOnStores();
    EXPECT_EQ(run.screen.DraggedItem(), nullptr);

    // A generator onto the fitted generator swaps them.
    EquipmentItem* const fitted = generators.Cell(0, 0);
    run.Stock("Generator 1", 1);
    run.TakeLine(run.Stores().GetLineCount() - 1);
    EquipmentItem* const second = run.screen.DraggedItem();
    ASSERT_EQ(second->kind, 1);
    run.screen.DropOrPickOnLayout(run.Over(generators, 0, 0));
    EXPECT_EQ(generators.Cell(0, 0), second);
    EXPECT_EQ(run.screen.DraggedItem(), fitted);
    EXPECT_EQ(run.screen.dragging, 1);

    // Put back; a radar whose footprint covers targeting and flight changes nothing.
    run.screen.DropOrPickOnStores();
    run.Stock("Radar 1", 4);
    run.TakeLine(run.Stores().GetLineCount() - 1);
    EquipmentItem* const radar = run.screen.DraggedItem();
    const size_t soundsBefore = run.harness.Sounds().events.size();
    const size_t fittedBefore = run.Ship().Items().size();
    run.screen.DropOrPickOnLayout(run.Over(flight, 0, 1));
    EXPECT_EQ(run.screen.DraggedItem(), radar);
    EXPECT_EQ(run.Ship().Items().size(), fittedBefore);
    EXPECT_EQ(run.harness.Sounds().events.size(), soundsBefore);
}

// A click on the stores with nothing on the pointer picks up one unit of
// the chosen line, shows its sheet, and the line counts one less; a second
// click there puts it back.
TEST(OutfitScreenDrag, AClickOnTheStoresPicksUpTheChosenLinesUnit) {
    OutfitRun run;
    run.Stock("Generator 1", 1);
    run.Stock("Generator 1", 1);
    const int32_t line = run.Stores().GetLineCount() - 1;
    const std::string full = run.Row(line);
    run.Stores().SetSelection(line);
    run.screen.DropOrPickOnStores();
    EquipmentItem* const taken = run.screen.DraggedItem();
    ASSERT_NE(taken, nullptr);
    EXPECT_STREQ(taken->id, "Generator 1");
    EXPECT_EQ(run.screen.dragging, 1);
    EXPECT_EQ(run.screen.shownItem, taken);
    EXPECT_NE(run.Row(line), full);   // one unit fewer on the line
    run.screen.DropOrPickOnStores();
    EXPECT_EQ(run.screen.DraggedItem(), nullptr);
    EXPECT_EQ(run.Row(line), full);
}

TEST(OutfitScreenDrag, ViewButtonAndCloseReturnTheItemMerged) {
    OutfitRun run;
    run.Stock("ECM 1", 10);
    run.Stock("ECM 1", 10);
    run.TakeLine(0);
    ASSERT_NE(run.screen.DraggedItem(), nullptr);
    run.screen.ViewCommand(run.screen.weaponsView);
    EXPECT_EQ(run.screen.DraggedItem(), nullptr);
    EXPECT_EQ(run.screen.shownItem, nullptr);
    ASSERT_EQ(run.career.CountStoredItems(EquipmentItem::kSystems), 1);
    EXPECT_EQ(run.career.GetStoredItem(0, EquipmentItem::kSystems)->quantity, 2);

    run.screen.currentPanel = run.screen.equipmentView;
    run.screen.RefillEquipList();
    run.TakeLine(0);
    run.screen.Close();
    EXPECT_EQ(run.screen.DraggedItem(), nullptr);
    EXPECT_EQ(run.career.GetStoredItem(0, EquipmentItem::kSystems)->quantity, 2);
}

// A second click on a line while another item hangs takes that line's unit,
// although storing the hanging item first would shift the rows.
TEST(OutfitScreenDrag, SecondClickWhileDraggingTakesTheClickedLine) {
    OutfitRun run;
    // A worn generator never merges, so a returned one lands beside it.
    run.Stock("Generator 1", 1, 30);
    run.Stock("Generator 1", 1);
    run.Stock("ECM 1", 10);
    ASSERT_EQ(run.Stores().GetLineCount(), 3);
    run.TakeLine(1);   // the intact generator: its row goes
    ASSERT_EQ(run.Row(1).substr(0, 3), "ECM");
    run.TakeLine(1);
    ASSERT_NE(run.screen.DraggedItem(), nullptr);
    EXPECT_EQ(run.screen.DraggedItem()->kind, 10);
    EXPECT_EQ(run.career.CountStoredItems(EquipmentItem::kSystems), 2);
}

TEST(OutfitScreenShips, PilotOnlyEntryAndAssignment) {
    OutfitRun run;
    run.screen.FillLists();
    ListBox& ships = *run.screen.List(OutfitScreen::kShipList);
    std::strcpy(run.career.GetShip(0)->name, ShipRecord::kPilotOnlyName);
    ships.SetSelection(0);
    run.screen.selectedShipIndex = -5;
    run.screen.SelectShipFromList();
    EXPECT_EQ(run.screen.selectedShipIndex, -5);
    std::strcpy(run.career.GetShip(0)->name, "P102");

    // Without a selection Assign does nothing.
    run.career.selectedShip = -1;
    ships.SetSelection(-1);
    run.screen.AssignSelectedShip();
    EXPECT_EQ(run.career.GetSelectedShipIndex(), -1);
    PilotRecord wingman;
    run.career.GetShip(0)->pilot = &wingman;
    wingman.flying = 1;
    ships.SetSelection(0);
    run.screen.AssignSelectedShip();
    EXPECT_EQ(run.career.GetSelectedShipIndex(), 0);
    EXPECT_EQ(run.career.GetShip(0)->pilot, nullptr);
    EXPECT_EQ(wingman.flying, 0);
}

TEST(OutfitScreenSheet, WeaponsViewBlanksEquipmentViewKeeps) {
    for (const bool weapons : {false, true}) {
        OutfitRun run(weapons);
        run.screen.shownItem = run.Ship().Items().front().get();
        run.screen.ShowDataSheet();
        ASSERT_NE(run.screen.plaqueIndex, 0);
        run.screen.List(weapons ? OutfitScreen::kWeaponList : OutfitScreen::kEquipList)->SetSelection(-1);
        run.screen.Update();   // the pointer rests at 0, 0: over no area
        EXPECT_EQ(run.screen.plaqueIndex == 0, weapons) << weapons;
        EXPECT_EQ(run.screen.shownItem == nullptr, weapons) << weapons;
    }
}

// The map's area rows take the ship's rectangles; rows past its areas are
// emptied and disabled so the focus walk wraps before them, and the walk
// stops after the last row.
TEST(OutfitHotspots, AreaRowsFollowTheShip) {
    OutfitRun run;
    std::vector<InputTrigger> records(50);
    const auto walk = [&](int32_t (*callback)(InputTrigger*)) {
        for (InputTrigger& record : records) record = InputTrigger{};
        g_hotspotRowCount = 0;
        g_hotspotShip = &run.Ship();
        size_t visited = 0;
        while (visited < records.size() && callback(&records[visited]) != 0) ++visited;
        g_hotspotShip = nullptr;
        return visited;
    };
    EXPECT_EQ(walk(PlaceOutfitItemHotspotCallback), size_t(kFirstAreaRow + kAreaRows));
    const MountArea& strip = *run.Ship().GetHardpointStrip(0);
    EXPECT_EQ(records[33].xMin, strip.origin.x);
    EXPECT_EQ(records[33].xMax, strip.origin.x + strip.width * MountArea::kStripCell);
    EXPECT_EQ(records[33].yMax, strip.origin.y + MountArea::kStripHeight);
    EXPECT_EQ(records[33].motionX, 0);
    EXPECT_EQ(records[36].motionX, kDisabledRow);   // the ship has three strips
    EXPECT_EQ(records[32].motionX, -1);

    walk(PlaceOutfitGridHotspotCallback);
    const MountArea& bay = *run.Ship().GetBay(1);
    EXPECT_EQ(records[34].yMax, bay.origin.y + bay.height * MountArea::kBayCell);
    EXPECT_EQ(records[40].motionX, kDisabledRow);   // seven bays

    walk(ResetListHotspotCallback);
    EXPECT_EQ(records[33].motionX, kDisabledRow);
    EXPECT_EQ(records[33].xMax, 0);
}

std::string Click(int32_t pass, int32_t x, int32_t y) {
    return "at " + std::to_string(pass) + " click " + std::to_string(x) + " " + std::to_string(y) + "\n";
}

// The three views as the player meets them, each from a fresh screen (the
// frame that embeds it paints the background between passes): the ships,
// the new career's ship with its bays filled, and a wing gun lifted off its
// strip hanging on the pointer.
TEST(OutfitScreenPictures, Views) {
    const struct {
        const char* golden;
        std::string script;
        int32_t pass;
    } views[] = {
        {"outfit_ships", "", 10},
        {"outfit_equipment", Click(10, 358, 312), 22},
        {"outfit_weapons_dragging", Click(10, 270, 312) + Click(22, 330, 100) + "at 24 move 250 200\n", 26},
    };
    for (const auto& view : views) {
        ScreenHarness harness;
        harness.Game().tutorialsEnabled = 0;
        OutfitScreen screen;
        ASSERT_TRUE(harness.SetScript(view.script));
        harness.SetPassLimit(view.pass + 1);
        harness.CaptureAfterPass(view.pass);
        harness.Run(screen);
        EXPECT_TRUE(MatchesGolden(harness.Picture(view.pass), view.golden));
    }
}

// The ships view's picture box shows the selected ship's hull picture, and
// the store views page with scroll buttons of their own.
TEST(OutfitScreenArt, ShipsBoxShowsTheHullAndViewsHaveTheirButtons) {
    OutfitRun run;
    run.screen.currentPanel = run.screen.shipsView;
    run.screen.ShowDataSheet();
    auto* const box = dynamic_cast<EquipmentPicture*>(run.screen.shipsView->FindControl("ShipsDisplay"));
    ASSERT_NE(box, nullptr);
    ASSERT_EQ(box->CurrentShip(), &run.Ship());
    ASSERT_TRUE(box->shipPicture);
    ASSERT_STREQ(run.Ship().hullId, "P102");
    EXPECT_EQ(box->shipPicture(run.Ship()), run.screen.shipPictures[0]);
    run.screen.currentPanel = run.screen.equipmentView;
    run.screen.ShowDataSheet();
    EXPECT_EQ(box->ShipCount(), 0);
    for (const ArtObject* view : {run.screen.weaponsView, run.screen.equipmentView}) {
        EXPECT_NE(dynamic_cast<BitmapButton*>(view->FindControl("Scroll Up")), nullptr) << view->name;
        EXPECT_NE(dynamic_cast<BitmapButton*>(view->FindControl("Scroll Down")), nullptr) << view->name;
    }
}

// An art file cut short inside its plaques leaves fewer pictures than the
// numbers in use: the ship sheet's plaque and the ship picture draw nothing
// rather than reading past the arrays.
TEST(OutfitScreenArt, ShortArtFileDrawsWhatItHas) {
    ScreenHarness harness;
    harness.Game().tutorialsEnabled = 0;
    const std::string path = g_dataDirs.Prefix(DataDir::kOption) + ShipRecord::kHullFileName;
    const std::string whole = FileContents(path);
    const size_t art = whole.find("OPTI");
    ASSERT_NE(art, std::string::npos);
    const auto write = [&path](const std::string& bytes) {
        std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
    };
    for (const size_t cut : {art + 2, art + (whole.size() - art) / 3, whole.size() - 3}) {
        write(whole.substr(0, cut));
        OutfitScreen screen;
        EXPECT_LT(screen.plaques.Count(), 21) << cut;
        harness.SetPassLimit(harness.Passes() + 12);
        harness.Run(screen);
        EXPECT_EQ(screen.plaqueIndex, DataSheet::kShipPlaque) << cut;
    }
    write(whole);
}

}  // namespace

namespace {

constexpr uint32_t kKeyPageUp = 73;
constexpr uint32_t kKeyPageDown = 81;
constexpr uint32_t kKeyDelete = 211;

std::string Key(int32_t pass, uint32_t key) {
    return "at " + std::to_string(pass) + " key " + std::to_string(key) + "\n";
}
std::string Move(int32_t pass, int32_t x, int32_t y) {
    return "at " + std::to_string(pass) + " move " + std::to_string(x) + " " + std::to_string(y) + "\n";
}

}  // namespace

// A player's road through the three views by pointer and keys alone: the
// ships list walked by the arrows and page keys, the main buttons lit by a
// passing pointer, a wing gun's sheet shown by resting on it, a gun lifted
// and put back with Delete, a stored unit taken from the stores picture, and
// the way back to the ships.
TEST(OutfitScreenKeys, PointerAndKeysDriveEveryView) {
    ScreenHarness harness;
    harness.Game().tutorialsEnabled = 0;
    OutfitScreen screen;
    CareerRecord& career = *harness.Game().career;
    CareerDataFiles data{0};
    career.StoreEquipment(std::make_unique<EquipmentItem>("ECM 1", *data.Definitions(), 10));
    const auto pointerY = [&screen] {
        uint16_t x = 0, y = 0;
        screen.eventMap->GetMousePosition(&x, &y);
        return int32_t(y);
    };
    std::map<std::string, int32_t> seen;
    std::string script;
    // The ships view: the list under the pointer.
    script += Move(10, 100, 352);
    harness.AtPass(11, [&] { seen["y0"] = pointerY(); });
    script += Key(11, 0x50 | 0x80);   // down
    harness.AtPass(12, [&] { seen["yDown"] = pointerY(); });
    script += Key(12, 0x48 | 0x80);   // up
    harness.AtPass(13, [&] { seen["yUp"] = pointerY(); });
    script += Click(13, 100, 352);
    harness.AtPass(14, [&] { seen["chosen"] = screen.List(OutfitScreen::kShipList)->GetSelection(); });
    script += Key(14, kKeyDelete);
    harness.AtPass(15, [&] { seen["cleared"] = screen.List(OutfitScreen::kShipList)->GetSelection(); });
    script += Key(15, kKeyPageDown) + Key(16, kKeyPageUp) + Click(17, 262, 454);
    // The four main buttons under a passing pointer.
    harness.AtPass(18, [&] { seen["hoverBefore"] = harness.UiSoundCount(kUiSoundHotspot); });
    script += Move(18, 150, 310) + Move(19, 240, 310) + Move(20, 330, 310) + Move(21, 420, 310);
    harness.AtPass(22, [&] { seen["hoverAfter"] = harness.UiSoundCount(kUiSoundHotspot); });
    // The weapons view: rest on a wing gun, walk its list, page by its buttons.
    script += Click(22, 270, 312);
    script += Move(34, 330, 100);
    harness.AtPass(35, [&] { seen["restShown"] = screen.shownItem != nullptr && screen.DraggedItem() == nullptr; });
    // Lift the gun and cancel with Delete.
    script += Click(35, 330, 100);
    harness.AtPass(36, [&] { seen["lifted"] = screen.DraggedItem() != nullptr; });
    script += Key(37, kKeyDelete);
    harness.AtPass(38, [&] { seen["cancelled"] = screen.DraggedItem() == nullptr; });
    script += Move(39, 100, 352) + Key(40, 0x50 | 0x80) + Key(41, kKeyPageDown);
    script += Move(42, 212, 450) + Click(43, 258, 450);
    // The systems view: choose the store line, take its unit by the stores
    // picture, and let Delete put it back.
    script += Click(46, 358, 312);
    script += Click(60, 100, 346);
    script += Click(61, 560, 240);
    harness.AtPass(62, [&] { seen["taken"] = screen.DraggedItem() != nullptr && screen.DraggedItem()->kind == 10; });
    script += Key(62, kKeyDelete);
    harness.AtPass(63, [&] { seen["returned"] = screen.DraggedItem() == nullptr && career.CountStoredItems(EquipmentItem::kSystems) == 1; });
    script += Click(64, 150, 312);
    harness.AtPass(76, [&] { seen["shipsBack"] = screen.currentPanel == screen.shipsView && screen.selectedShip != nullptr; });

    ASSERT_TRUE(harness.SetScript(script));
    harness.SetPassLimit(77);
    harness.Run(screen);
    EXPECT_EQ(seen["yDown"], seen["y0"] + 11);   // a line of the list's font down
    EXPECT_EQ(seen["yUp"], seen["y0"]);
    EXPECT_EQ(seen["chosen"], 0);
    EXPECT_EQ(seen["cleared"], -1);
    EXPECT_EQ(seen["hoverAfter"] - seen["hoverBefore"], 4);
    EXPECT_EQ(seen["restShown"], 1);
    EXPECT_EQ(seen["lifted"], 1);
    EXPECT_EQ(seen["cancelled"], 1);
    EXPECT_EQ(seen["taken"], 1);
    EXPECT_EQ(seen["returned"], 1);
    EXPECT_EQ(seen["shipsBack"], 1);
}
