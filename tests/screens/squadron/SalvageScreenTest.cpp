// The salvage bay: what the player keeps of a flight's pickings.
#include "screens/squadron/SalvageScreen.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "engine/Random.h"
#include "game/CareerRecord.h"
#include "game/DataDirectories.h"
#include "game/GameState.h"
#include "objects/ships/Craft.h"
#include "objects/ships/PlayerShip.h"
#include "objects/systems/ShipSystem.h"
#include "screens/FrameScreen.h"
#include "screens/GameMenus.h"
#include "screens/squadron/OutfitScreen.h"
#include "ui/ListBox.h"
#include "ui/UiSounds.h"
#include "tests/support/FileContents.h"
#include "tests/support/GoldenImage.h"
#include "tests/support/RecordingScreen.h"
#include "tests/support/world/ScreenHarness.h"
#include "tests/support/world/WorldBuilder.h"

namespace {

// The bay after a flight whose ship brought back the named pieces, with a
// hangar and a repair page that only note what is asked of them.
struct SalvageRun {
    explicit SalvageRun(const std::vector<const char*>& pieces) {
        GameState::ClearScreenRegistry();
        RegisterGameMenus();
        RecordingScreen::Register<ScreenSlot::kHangar>(tally);
        RecordingScreen::Register<ScreenSlot::kRepair>(tally);
        harness.Game().tutorialsEnabled = 0;
        // Until the hangar's art is there the bay has no background to repaint.
        harness.ClearBetweenPasses(true);
        harness.Game().LoadPlaceScreens(GameState::kNewCareerPlace);
        for (const char* piece : pieces) {
            ship.AddNamedEntry(piece);
            ship.salvageItems[ship.salvageItems.Count() - 1]->condition = 60;
        }
        harness.Game().playerShip = &ship;
        career().stores.clear();
    }
    ~SalvageRun() {
        harness.Game().playerShip = nullptr;
        harness.Game().DeleteScreens();
        GameState::ClearScreenRegistry();
    }
    CareerRecord& career() { return *harness.Game().career; }
    SalvageScreen& bay() { return *dynamic_cast<SalvageScreen*>(harness.Game().ScreenIn(ScreenSlot::kSalvage)); }
    void Run(const std::string& script, int32_t passes) {
        ASSERT_TRUE(harness.SetScript(script));
        harness.SetPassLimit(passes);
        harness.Run(bay());
    }
    std::vector<std::string> Stored() {
        std::vector<std::string> ids;
        for (const auto& item : career().stores) ids.push_back(item->id);
        return ids;
    }

    ScreenHarness harness;
    RecordingScreen::Tally tally;
    PlayerShip ship{nullptr};
};

std::string Click(int32_t pass, int32_t x, int32_t y) {
    return "at " + std::to_string(pass) + " click " + std::to_string(x) + " " + std::to_string(y) + "\n";
}

// Rows of the list as the pointer finds them.
constexpr int32_t kRowX = 120;
int32_t RowY(int32_t row) { return 124 + row * 12; }

TEST(SalvageScreen, ASecondClickLeavesAPieceAndAcceptStoresTheOthers) {
    SalvageRun run({"Radar 1", "Shields 1", "Engine 1"});
    run.harness.CaptureAfterPass(12);
    run.Run(Click(4, kRowX, RowY(1)) + Click(8, kRowX, RowY(1)) + Click(14, 400, 452), 20);
    ListBox& list = *run.bay().List();
    ASSERT_EQ(list.GetLineCount(), 3);
    EXPECT_NE(std::string(list.GetItem(1)).find("Leave"), std::string::npos);
    EXPECT_NE(std::string(list.GetItem(0)).find("Salvage"), std::string::npos);
    EXPECT_EQ(run.Stored(), (std::vector<std::string>{"Radar 1", "Engine 1"}));
    EXPECT_EQ(run.harness.Game().nextScreen, run.harness.Game().ScreenIn(ScreenSlot::kHangar));
    EXPECT_TRUE(MatchesGolden(run.harness.Picture(12), "salvage_bay"));
    // The bay lies in the hangar: its loop went on all along.
    EXPECT_GE(dynamic_cast<RecordingScreen*>(run.harness.Game().ScreenIn(ScreenSlot::kHangar))->updates, 12);
}

TEST(SalvageScreen, AcceptAndRepairOpensTheFrameOnRepairsReturningToTheHangar) {
    SalvageRun run({"Radar 1"});
    std::vector<std::string> log;
    run.tally.log = &log;
    // The pointer passes over Accept and rests on Accept and Repair before the click.
    run.Run("at 2 move 400 452\nat 3 move 540 452\n" + Click(4, 540, 452), 10);
    EXPECT_EQ(run.harness.UiSoundCount(kUiSoundHotspot), 2);
    GameState& game = run.harness.Game();
    auto* const frame = dynamic_cast<FrameScreen*>(game.ScreenIn(ScreenSlot::kFrame));
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(game.nextScreen, frame);
    EXPECT_EQ(frame->openOnRepair, 1);
    EXPECT_EQ(frame->pendingSubScreen, game.ScreenIn(ScreenSlot::kRepair));
    EXPECT_EQ(frame->returnScreen, game.ScreenIn(ScreenSlot::kHangar));
    EXPECT_EQ(run.Stored(), (std::vector<std::string>{"Radar 1"}));

    // The frame then opens on the equipment panel with the repair page in it.
    run.harness.SetPassLimit(run.harness.Passes() + 12);
    run.harness.Run(*frame);
    EXPECT_EQ(frame->currentPanel, frame->equipPanel);
    EXPECT_EQ(frame->openOnRepair, 0);
    const std::string repair = dynamic_cast<RecordingScreen*>(game.ScreenIn(ScreenSlot::kRepair))->Name();
    EXPECT_EQ(std::count(log.begin(), log.end(), "open " + repair), 1);
    EXPECT_GT(std::count_if(log.begin(), log.end(), [&](const std::string& e) { return e.rfind("draw " + repair, 0) == 0; }), 0);
}

// A ship carries its equipment under the definitions' display names, which
// need not be the ids. The player destroys one whose radars are all called
// otherwise than their id: each one picked from the wreck reaches the bay
// and, accepted, the stores under its id.
TEST(SalvageScreen, ItemsNamedOtherwiseThanTheirIdReachTheBayAndTheStores) {
    SalvageRun run({});
    constexpr int kRadars = 200;   // at 5 in 100 each, some are picked whatever the seed
    {
        WorldBuilder flight;
        flight.Game().playerShip = &run.ship;
        Craft* const victim = flight.SpawnAs<Craft>(flight.Template("RAIDER0", {}), 2);
        victim->side = 2;
        victim->active = 1;
        victim->SetHitPoints(100);
        for (int i = 0; i < kRadars; ++i) {
            auto* const radar = new ShipSystem(victim, 0, ShipSystem::kRadar);
            radar->SetName("Long Eye Scope");
            std::strcpy(radar->equipmentId, "Radar 1");
            victim->AddSystem(0, radar);
        }
        GameRandomSeed(11);
        victim->Destroy(&run.ship, 0);
    }
    const int32_t picked = run.ship.salvageItems.Count();
    ASSERT_GT(picked, 0);
    ASSERT_LT(picked, kRadars);
    run.Run(Click(4, 400, 452), 10);
    EXPECT_EQ(run.bay().List()->GetLineCount(), picked);
    EXPECT_EQ(run.Stored(), std::vector<std::string>(size_t(picked), "Radar 1"));
    for (const auto& item : run.career().stores) EXPECT_TRUE(item->damage >= 50 && item->damage < 90) << item->damage;
}

// A record the definitions do not know is no piece; with nothing left the
// sheet is empty and accepting stores nothing.
TEST(SalvageScreen, UnknownPiecesAreSkippedAndAnEmptyBayStoresNothing) {
    SalvageRun run({"No Such Thing"});
    run.Run(Click(4, 400, 452), 10);
    EXPECT_EQ(run.bay().List()->GetLineCount(), 0);
    EXPECT_EQ(run.bay().plaqueIndex, 0);
    EXPECT_EQ(run.bay().selectedItem, nullptr);
    EXPECT_TRUE(run.Stored().empty());
}

// An art file cut short inside its plaques leaves fewer pictures than the
// sheets number: the sheet of a piece draws nothing rather than reading past them.
TEST(SalvageScreen, ShortArtFileDrawsWhatItHas) {
    SalvageRun run({"Shields 1"});
    const std::string path = g_dataDirs.Prefix(DataDir::kOption) + SalvageScreen::kArtFileName;
    const std::string whole = FileContents(path);
    const size_t plaques = whole.find("PLAQ");
    ASSERT_NE(plaques, std::string::npos);
    const auto write = [&path](const std::string& bytes) {
        std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
    };
    for (const size_t cut : {size_t(5), plaques + 3, plaques + (whole.size() - plaques) / 10, whole.size() - 1}) {
        write(whole.substr(0, cut));
        SalvageScreen bay;
        EXPECT_LT(bay.plaques.Count(), 21) << cut;
        run.harness.SetPassLimit(run.harness.Passes() + 4);
        run.harness.Run(bay);
        EXPECT_EQ(bay.List()->GetLineCount(), 1) << cut;
    }
    write(whole);
}

TEST(SalvageScreen, RowsAreColouredByDamageLessRepairs) {
    const struct {
        int32_t damage, repairs;
        uint32_t colour;
    } rows[] = {{10, 10, OutfitScreen::kIntactColour},  {60, 10, OutfitScreen::kWornColour},
                {61, 10, OutfitScreen::kDamagedColour}, {99, 0, OutfitScreen::kDamagedColour},
                {100, 0, OutfitScreen::kWreckedColour}, {INT32_MIN, INT32_MAX, OutfitScreen::kIntactColour},
                {INT32_MAX, INT32_MIN, OutfitScreen::kWreckedColour}};
    for (const auto& row : rows) {
        EquipmentItem item("Radar 1", 4);
        item.damage = row.damage;
        item.repairPoints = row.repairs;
        EXPECT_EQ(SalvageScreen::RowColour(item), row.colour) << row.damage << " " << row.repairs;
    }
}

}  // namespace
