#include "screens/squadron/HangarScreen.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "game/CareerRecord.h"
#include "game/EquipmentItem.h"
#include "game/GameState.h"
#include "game/Mission.h"
#include "game/PilotFile.h"
#include "game/PilotRecord.h"
#include "game/ShipRecord.h"
#include "game/SoftCursor.h"
#include "mission/SavedGame.h"
#include "net/NetGameSettings.h"
#include "objects/space/SpaceObject.h"
#include "screens/GameMenus.h"
#include "screens/SaveScreen.h"
#include "screens/rooms/HallwayScreen.h"
#include "tests/support/GoldenImage.h"
#include "tests/support/world/ScreenHarness.h"
#include "ui/MenuScreen.h"
#include "ui/TimedAnimation.h"

namespace {

// Points inside the sample hangar's launch pad and hallway door.
constexpr const char* kLaunch = "320 320";
constexpr const char* kDoor = "60 300";

constexpr int32_t kClick1 = 2;
constexpr int32_t kHotspot2 = 3;
constexpr int32_t kDoorShut = 8;
constexpr int32_t kNoMission = 51;

// The sample data's hangar over the new career, every screen of the base
// built; a mission is ready once the test sets one up.
struct HangarRun {
    HangarRun() {
        GameState::ClearScreenRegistry();
        RegisterGameMenus();
        g_netGameLaunched = 0;
        game.tutorialsEnabled = 0;
        game.LoadPlaceScreens(GameState::kNewCareerPlace);
        mission.firstObject = &rock;
    }
    ~HangarRun() {
        g_netGameLaunched = 0;
        game.mission = nullptr;
        GameState::ClearScreenRegistry();
        FreeMenuSpriteCache();
    }
    void MissionReady() {
        game.mission = &mission;
        game.missionReady = 1;
        game.missionFlown = 0;
    }
    void Run(const std::string& script, int32_t passes = 8) {
        ASSERT_TRUE(harness.SetScript(script));
        harness.SetPassLimit(passes);
        harness.Run(Hangar());
    }
    HangarScreen& Hangar() { return *dynamic_cast<HangarScreen*>(game.ScreenIn(ScreenSlot::kHangar)); }
    CareerRecord& Career() { return *game.career; }
    ShipRecord& Selected() { return *Career().GetShip(-1); }
    // Every fitted item of those kinds leaves the ship.
    static void Strip(ShipRecord& ship, std::initializer_list<int32_t> kinds) {
        for (auto& item : ship.TakeAllItems()) {
            if (std::find(kinds.begin(), kinds.end(), item->kind) != kinds.end()) continue;
            EXPECT_EQ(ship.PlaceStoredItem(std::move(item)), nullptr);
        }
    }
    // A second ship fitted as a new career's, flown by a wingman.
    ShipRecord& AddWingman() {
        CareerRecord other(0);
        ShipRecord* const ship = Career().AddShip(std::move(other.ships[1]));
        ship->pilot = &wingman;
        return *ship;
    }
    std::vector<int32_t> Sounds() const {
        std::vector<int32_t> picked;
        for (const int32_t sound : harness.UiSoundsStarted()) {
            if (sound == kClick1 || sound == kHotspot2 || sound == kDoorShut || sound == kNoMission) picked.push_back(sound);
        }
        return picked;
    }
    bool Saved() const { return std::filesystem::exists(SavedGamePath(HangarScreen::kAutoSave)); }
    bool PilotFiled() { return std::filesystem::exists(PilotFilePath(game, Career().GetPilotName())); }

    ScreenHarness harness;
    GameState& game = harness.Game();
    Mission mission;
    SpaceObject rock;
    PilotRecord wingman{"Wing", ""};
};

}  // namespace

// The first ship that lacks a system, and the first system it lacks in
// the check's order, name the failure; a wingman's ship counts too.
TEST(HangarScreenTest, TheCheckNamesTheFirstMissingSystem) {
    const struct {
        std::initializer_list<int32_t> playerLacks;
        std::initializer_list<int32_t> wingmanLacks;
        const char* line;
    } cases[] = {
        {{}, {}, ""},
        {{7, 2}, {}, "The ship %s has no engine."},
        {{2}, {1}, "The ship %s has no shields."},
        {{}, {4}, "The ship Wingship has no radar."},
        {{1}, {}, "The ship %s has no generator."},
        {{6}, {}, "The ship %s has no flight package."},
        {{5}, {}, "The ship %s has no targeting package."},
    };
    for (const auto& c : cases) {
        HangarRun run;
        HangarRun::Strip(run.Selected(), c.playerLacks);
        ShipRecord& wing = run.AddWingman();
        wing.displayName = "Wingship";
        HangarRun::Strip(wing, c.wingmanLacks);
        HangarScreen& hangar = run.Hangar();
        const bool ready = c.line[0] == '\0';
        EXPECT_EQ(hangar.CheckShipsReady(), ready ? 1 : 0) << c.line;
        if (ready) continue;
        char expected[128];
        std::snprintf(expected, sizeof expected, c.line, run.Selected().displayName.c_str());
        EXPECT_EQ(hangar.FailureLine(), expected);
    }
    HangarRun run;
    run.Selected().displayName = std::string(40, 'x');
    HangarRun::Strip(run.Selected(), {5});
    EXPECT_EQ(run.Hangar().CheckShipsReady(), 0);
    EXPECT_EQ(std::string(run.Hangar().failingShipName), std::string(31, 'x'));
}

// Without a mission the click says so and stays; clicks while the notice
// shows do nothing; with a mission the click saves and leaves for flight.
TEST(HangarScreenTest, TheLaunchClickNeedsAMission) {
    {
        HangarRun run;
        run.Run(std::string("at 2 click ") + kLaunch + "\nat 5 click " + kLaunch + "\n", 10);
        EXPECT_EQ(run.Sounds(), (std::vector<int32_t>{kDoorShut, kHotspot2, kNoMission}));
        EXPECT_EQ(run.harness.Passes(), 10);
        EXPECT_EQ(run.game.mode, 0);
        EXPECT_FALSE(run.Saved());
    }
    {
        HangarRun run;
        run.MissionReady();
        run.Run(std::string("at 2 click ") + kLaunch + "\n", 10);
        EXPECT_EQ(run.Sounds(), (std::vector<int32_t>{kDoorShut}));
        EXPECT_LT(run.harness.Passes(), 10);
        EXPECT_EQ(run.game.mode, GameState::kModeFlight);
        EXPECT_EQ(run.game.nextScreen, nullptr);
        ASSERT_TRUE(run.Saved());
        std::string title;
        EXPECT_EQ(SaveScreen::ReadSlotTitle(SavedGamePath(HangarScreen::kAutoSave).c_str(), &title), kStatusOk);
        EXPECT_EQ(title, HangarScreen::kAutoSaveTitle);
        EXPECT_FALSE(run.PilotFiled());
    }
}

// Sent from the missions reader the hangar launches at once, shows nothing
// and writes no pilot file; in a network game only a click writes one, and
// no automatic save is made.
TEST(HangarScreenTest, LaunchOnOpenShowsNothing) {
    for (const bool network : {false, true}) {
        HangarRun run;
        run.MissionReady();
        g_netGameLaunched = network ? 1 : 0;
        run.Hangar().launchOnOpen = 1;
        run.Run("", 10);
        EXPECT_EQ(run.game.mode, GameState::kModeFlight);
        EXPECT_TRUE(run.harness.FlippedPasses().empty());
        // One pass, and the pump's call that found the run over.
        EXPECT_EQ(run.harness.Passes(), 2);
        EXPECT_EQ(run.Saved(), !network);
        EXPECT_FALSE(run.PilotFiled());
        EXPECT_EQ(run.Hangar().launchOnOpen, 0);
    }
    HangarRun run;
    g_netGameLaunched = 1;
    run.Run(std::string("at 2 click ") + kLaunch + "\n", 10);
    EXPECT_EQ(run.game.mode, GameState::kModeFlight);
    EXPECT_FALSE(run.Saved());
    EXPECT_TRUE(run.PilotFiled());
}

// Sent to launch a ship that cannot fly, the hangar stays and says why; one
// with damaged equipment asks first.
TEST(HangarScreenTest, LaunchOnOpenStopsForAShipNotReadyOrDamaged) {
    {
        HangarRun run;
        run.MissionReady();
        HangarRun::Strip(run.Selected(), {7});
        run.Hangar().launchOnOpen = 1;
        run.Run("", 6);
        EXPECT_NE(run.game.mode, GameState::kModeFlight);
        EXPECT_EQ(run.harness.Passes(), 6);
        EXPECT_EQ(run.Hangar().notReadyNotice, 1);
        EXPECT_FALSE(run.Saved());
    }
    {
        HangarRun run;
        run.MissionReady();
        run.Selected().GetItem(0, EquipmentItem::kAll)->damage = 30;
        HangarScreen& hangar = run.Hangar();
        hangar.launchOnOpen = 1;
        ArtObject* shown = nullptr;
        run.harness.AtPass(5, [&] { shown = hangar.currentPanel; });
        run.Run("", 6);
        EXPECT_NE(run.game.mode, GameState::kModeFlight);
        EXPECT_EQ(shown, hangar.warningPanel);
    }
}

// Damaged equipment asks first: an accept without a mission stays on the
// question with the notice, a cancel goes back to the room.
TEST(HangarScreenTest, DamagedEquipmentAsksFirst) {
    HangarRun run;
    run.Selected().GetItem(0, EquipmentItem::kAll)->damage = 30;
    HangarScreen& hangar = run.Hangar();
    run.Run(std::string("at 2 click ") + kLaunch + "\nat 5 key Y\nat 8 key N\n", 12);
    EXPECT_EQ(run.Sounds(), (std::vector<int32_t>{kHotspot2, kNoMission, kClick1}));
    EXPECT_EQ(hangar.currentPanel, hangar.mainPanel);
    EXPECT_EQ(run.harness.Passes(), 12);
}

// The selected ship stands on the front pad, the door opens over the
// passes the pointer rests on it, and leaving leaves the hallway's big
// door open behind the player.
TEST(HangarScreenTest, PadsDoorsAndTheWayBack) {
    HangarRun run;
    HangarScreen& hangar = run.Hangar();
    run.Run(std::string("at 1 move ") + kDoor + "\n", 12);
    ASSERT_GE(hangar.selectedShipAnimation, 0);
    EXPECT_EQ(hangar.roomAnimations[hangar.selectedShipAnimation]->Name(),
              std::string(run.Selected().hullId) + "POS1");
    const TimedAnimation& door = *hangar.roomAnimations[hangar.FindAnimation(HangarScreen::kHallwayDoor)];
    EXPECT_GE(door.currentFrame, 3);
    run.Run(std::string("at 15 click ") + kDoor + "\n", 20);
    EXPECT_STREQ(run.game.nextScreenName, "HALLWAY");
    const Screen& hallway = *run.game.ScreenIn(ScreenSlot::kHallway);
    const TimedAnimation& big = *hallway.roomAnimations[hallway.FindAnimation(HallwayScreen::kHangarDoor)];
    EXPECT_EQ(big.currentFrame, big.LastFrame());
}

// The room, and the room with a failed check's notice over it.
TEST(HangarScreenTest, HangarMatchesItsPictures) {
    {
        HangarRun run;
        run.AddWingman();
        run.harness.CaptureAfterPass(6);
        run.Run("", 6);
        EXPECT_TRUE(MatchesGolden(run.harness.Picture(6), "hangar"));
    }
    {
        HangarRun run;
        HangarRun::Strip(run.Selected(), {4});
        run.harness.CaptureAfterPass(6);
        run.Run(std::string("at 2 click ") + kLaunch + "\nat 3 move 320 460\n", 6);
        EXPECT_EQ(run.Hangar().notReadyNotice, 1);
        EXPECT_TRUE(MatchesGolden(run.harness.Picture(6), "hangar_not_ready"));
    }
}

// The hangar is watched, not pointed at: its run leaves the game's pointer
// hidden, and the hallway the player walks into shows it again.
TEST(HangarScreenTest, NoPointerWhileTheHangarRuns) {
    HangarRun run;
    SoftCursor cursor;
    cursor.software = true;
    cursor.visible = true;
    run.game.cursor = &cursor;
    run.Run(std::string("at 2 move ") + kLaunch + "\n", 6);
    EXPECT_FALSE(cursor.visible);
    run.Run(std::string("at 8 click ") + kDoor + "\n", 12);
    EXPECT_FALSE(cursor.visible);
    ASSERT_STREQ(run.game.nextScreenName, "HALLWAY");
    ASSERT_TRUE(run.harness.SetScript(""));
    run.harness.SetPassLimit(16);
    run.harness.Run(*run.game.ScreenIn(ScreenSlot::kHallway));
    EXPECT_TRUE(cursor.visible);
    run.game.cursor = nullptr;
}
