#include "navmap/MapScreen.h"

#include <gtest/gtest.h>

#include <cmath>
#include <initializer_list>
#include <string>
#include <vector>

#include "display/Canvas.h"
#include "game/DrawString.h"
#include "ui/ArtObject.h"
#include "game/GameState.h"
#include "mission/Goal.h"
#include "mission/ObjectLoader.h"
#include "navmap/NavMapScreen.h"
#include "navmap/WarRoomMapScreen.h"
#include "objects/ships/Craft.h"
#include "objects/space/SpaceObject.h"
#include "objects/space/WorldPass.h"
#include "objects/systems/RadarSystem.h"
#include "objects/systems/TargetingSystem.h"
#include "net/NetworkHooks.h"
#include "tests/support/GoldenImage.h"
#include "tests/support/RecordingCanvas.h"
#include "tests/support/world/RecordingNetSession.h"
#include "tests/support/world/ScreenHarness.h"
#include "tests/support/world/WorldBuilder.h"
#include "ui/ListBox.h"
#include "ui/TextBox.h"

namespace {

constexpr int32_t kRange = 5000;

// The sample art's screens over a world of the test's own: the harness's
// game (its data tree, canvas and pump) holds the builder's mission.
class MapScreenTest : public ::testing::Test {
protected:
    MapScreenTest() {
        g_gameState = &harness_.Game();
        harness_.Game().mission = &builder_.TheMission();
        harness_.Game().tutorialsEnabled = 0;
    }
    ~MapScreenTest() override {
        for (Goal* goal : goals_) delete goal;
        harness_.Game().playerShip = nullptr;
        harness_.Game().mission = nullptr;
        // The builder empties its world under its own game.
        g_gameState = &builder_.Game();
    }
    SpaceObject* Put(const char* model, int32_t kind, float x, float y, float z, const char* name = nullptr,
                     int32_t side = 0) {
        SpaceObject* const object = builder_.Spawn(builder_.Template(model), uint32_t(kind));
        Place(*object, kind, x, y, z, name, side);
        return object;
    }
    Craft* PutCraft(const char* model, int32_t kind, float x, float z, int32_t side, float y = 0.0f,
                    const char* name = nullptr) {
        Craft* const craft = builder_.SpawnAs<Craft>(builder_.Template(model), uint32_t(kind));
        Place(*craft, kind, x, y, z, name != nullptr ? name : model, side);
        return craft;
    }
    static void Place(SpaceObject& object, int32_t kind, float x, float y, float z, const char* name, int32_t side) {
        object.type = kind;
        object.active = 1;
        object.side = side;
        if (name != nullptr) object.SetName(name);
        object.SetPositionFlags(Vector3{x, y, z}, Transform::kAllFlags | 0x10);
    }
    Goal* AddGoal(const char* text, SpaceObject* subject) {
        Goal* const goal = new Goal(builder_.TheMission().firstObject, 0);
        goal->SetObjectiveText(text);
        goal->SetSubject(subject);
        goal->playerGoal = 1;
        goal->display = 1;
        goal->active = 1;
        goals_.push_back(goal);
        return goal;
    }
    static std::vector<std::string> Lines(const MapScreen& screen) {
        std::vector<std::string> lines;
        auto* const list = dynamic_cast<ListBox*>(screen.artObject->FindControl(MapScreen::kObjectList));
        for (int32_t i = 0; list != nullptr && list->GetItem(i) != nullptr; ++i) lines.emplace_back(list->GetItem(i));
        return lines;
    }
    static std::vector<int32_t> Images(const MapScreen& screen) {
        std::vector<int32_t> images;
        for (const MapSymbol& symbol : screen.symbols) images.push_back(symbol.image);
        return images;
    }

    ScreenHarness harness_;
    WorldBuilder builder_;
    std::vector<Goal*> goals_;
};

TEST_F(MapScreenTest, TheWarRoomListsWhatItsFiltersLetThrough) {
    WarRoomMapScreen screen;
    ASSERT_EQ(screen.symbolImages.size(), 33u);
    screen.InitFilterButtons();
    screen.listObjects = 1;
    screen.mapRange = kRange;
    SpaceObject* const rock = Put("ROCK-01", SpaceObject::kTypeAsteroid, 0, 0, 0, "Rocks");
    Put("ROCK-02", SpaceObject::kTypeAsteroid, 100, 0, 100, "Rocks");
    Put("AA09", SpaceObject::kTypeAiShip, 0, 0, 1000, "Wing", 1);
    Put("AA09", SpaceObject::kTypeAiShip, 0, 0, 500, "Ghost", 2)->identified = 0;
    Put("AA09", SpaceObject::kTypeAiShip, 2.0f * kRange, 0, 0, "Edge", 2);
    Put("AA09", SpaceObject::kTypeAiShip, 1.9f * kRange, 0, 0, "Far off", 2);
    Put("GATE", SpaceObject::kTypeJumpGate, 0, 0, -1000, "Gate")->classWord = 50;
    screen.selectedObject = rock;
    screen.DrawMap(screen.mapCamera, screen.mapRange);
    EXPECT_EQ(Lines(screen), (std::vector<std::string>{"Rocks", "Wing", "Far off", "Gate"}));
    // Far to near: the gate stands nearest the viewer's side of the box.
    EXPECT_EQ(Images(screen), (std::vector<int32_t>{12, 26, 26, 24}));
    EXPECT_EQ(screen.symbols[1].selected + screen.symbols[2].selected, 2);
    screen.SetButtonState("Ship friendly", 0);
    screen.DrawMap(screen.mapCamera, screen.mapRange);
    EXPECT_EQ(Lines(screen), (std::vector<std::string>{"Rocks", "Far off", "Gate"}));
}

TEST_F(MapScreenTest, GoalLinesPadTheirTextAndPickTheirSubject) {
    WarRoomMapScreen screen;
    screen.InitFilterButtons();
    screen.SetButtonState(MapScreen::kGoalFilter, -1);
    screen.listObjects = 0;
    screen.mapRange = kRange;
    SpaceObject* const ship = Put("AA09", SpaceObject::kTypeAiShip, 0, 0, 0, "Target", 2);
    // The goal list holds the newest goal first.
    Goal* const hidden = AddGoal("Not for you", nullptr);
    hidden->playerGoal = 0;
    const std::string longText(40, 'x');
    AddGoal(longText.c_str(), nullptr)->met = 1;
    // A goal that failed says so; one not yet switched on is still to do.
    AddGoal("Escort the freighter", nullptr)->Fail();
    AddGoal("Later", nullptr)->active = 0;
    Goal* const kill = AddGoal("Destroy Target", ship);
    kill->location[1] = 5;
    screen.DrawMap(screen.mapCamera, screen.mapRange);
    EXPECT_EQ(Lines(screen), (std::vector<std::string>{"Destroy Target                     active.",
                                                       "Later                              active.",
                                                       "Escort the freighter               failed.",
                                                       longText + "  done."}));
    auto* const list = dynamic_cast<ListBox*>(screen.artObject->FindControl(MapScreen::kObjectList));
    EXPECT_EQ(list->GetBlock(0)->lineColours.size(), 1u);
    ASSERT_EQ(screen.symbols.size(), 1u);
    EXPECT_EQ(screen.symbols[0].goalFlag, 0);   // drawn, then cleared
    // The selected line's goal highlights its subject and fills the panel.
    list->SetSelection(0);
    screen.DrawMap(screen.mapCamera, screen.mapRange);
    EXPECT_EQ(screen.symbols[0].selected, 1);
    auto* const text = dynamic_cast<TextBox*>(screen.artObject->FindControl(MapScreen::kGoalText));
    ASSERT_NE(text->GetBlock(0), nullptr);
    EXPECT_EQ(text->GetBlock(0)->GetLine(0), std::string("Destroy Target"));
}

TEST_F(MapScreenTest, DrawingGoesFarToNearBetweenOneLockAndUnlock) {
    WarRoomMapScreen screen;
    screen.InitFilterButtons();
    screen.SetButtonState(MapScreen::kGoalFilter, -1);
    screen.mapRange = kRange;
    SpaceObject* const near = Put("BASE-CCCH9", SpaceObject::kTypeAiShip, 0, 1000, -1000, "Base");
    Put("AA09", SpaceObject::kTypeAiShip, 0, 0, 1000, "Far", 1);
    AddGoal("Guard Base", near);
    screen.selectedObject = near;
    RecordingCanvas canvas;
    Canvas* const previous = g_gameCanvas;
    g_gameCanvas = &canvas;
    screen.DrawMap(screen.mapCamera, screen.mapRange);
    const auto blits = canvas.CallsOf("BlitImage");
    std::vector<std::string> ops;
    for (const std::string& op : canvas.Ops()) {
        if (op == "Lock" || op == "Unlock" || op == "BlitImage" || op == "DrawLine") ops.push_back(op);
    }
    EXPECT_EQ(ops, (std::vector<std::string>{"Lock", "DrawLine", "BlitImage", "DrawLine", "BlitImage", "BlitImage",
                                             "BlitImage", "Unlock"}));
    // The odd-sized base (15 x 11), its ring (17 x 17) and flag (9 x 9), centred.
    ASSERT_EQ(blits.size(), 4u);
    const MapSymbol& base = screen.symbols[1];
    EXPECT_EQ(blits[1].rect->x, base.x - 7);
    EXPECT_EQ(blits[1].rect->y, base.y - 5);
    EXPECT_EQ(blits[2].rect->x, base.x - 8);
    EXPECT_EQ(blits[3].rect->width, 9);
    EXPECT_EQ(base.goalFlag, 0);
    // No bars without their filter; nothing at all when the lock fails.
    screen.SetButtonState(MapScreen::kBarFilter, 0);
    canvas.ForgetCalls();
    screen.DrawMap(screen.mapCamera, screen.mapRange);
    EXPECT_EQ(canvas.CountOf("DrawLine"), 0u);
    EXPECT_EQ(canvas.CountOf("BlitImage"), 4u);
    canvas.ScriptResult("Lock", uint32_t(-1));
    canvas.ForgetCalls();
    screen.DrawMap(screen.mapCamera, screen.mapRange);
    EXPECT_EQ(canvas.CountOf("BlitImage"), 0u);
    EXPECT_EQ(screen.symbols.size(), 2u);
    g_gameCanvas = previous;
}

TEST_F(MapScreenTest, AMissingArtFileLeavesControlsAndDrawsNothing) {
    MapScreen screen("WarNav", MapTwin::kWarRoom, "wnmain", "nosuch.iff");
    EXPECT_TRUE(screen.symbolImages.empty());
    EXPECT_NE(screen.artObject->FindControl(MapScreen::kObjectStatus), nullptr);
    Put("NAV", SpaceObject::kTypeWayPoint, 0, 0, 0, "Nav 1");
    screen.listObjects = 1;
    RecordingCanvas canvas;
    Canvas* const previous = g_gameCanvas;
    g_gameCanvas = &canvas;
    screen.DrawMap(screen.mapCamera, kRange);
    g_gameCanvas = previous;
    EXPECT_EQ(canvas.CountOf("BlitImage"), 0u);
}

// Every Open turns the filters on again but keeps the list mode.
// A chain whose links come back on themselves is walked once, not for ever.
TEST_F(MapScreenTest, ALoopingGoalChainIsListedOnce) {
    WarRoomMapScreen screen;
    screen.InitFilterButtons();
    screen.SetButtonState(MapScreen::kGoalFilter, -1);
    screen.listObjects = 0;
    screen.mapRange = kRange;
    Put("AA09", SpaceObject::kTypeAiShip, 0, 0, 0, "Target", 2);
    Goal* const first = AddGoal("First", nullptr);
    Goal* const second = AddGoal("Second", nullptr);
    first->nextGoal = second;
    second->nextGoal = first;
    g_objectiveChain = first;
    screen.DrawMap(screen.mapCamera, screen.mapRange);
    g_objectiveChain = nullptr;
    EXPECT_EQ(Lines(screen).size(), 2u);
}

TEST_F(MapScreenTest, OpenRelatchesEveryFilterButTheGoalFilter) {
    WarRoomMapScreen screen;
    screen.SetButtonState("Ship hostile", 0);
    screen.SetButtonState(MapScreen::kGoalFilter, -1);
    harness_.SetPassLimit(1);
    harness_.Run(screen);
    EXPECT_NE(screen.ButtonState("Ship hostile"), 0);
    EXPECT_NE(screen.ButtonState(MapScreen::kGoalFilter), 0);
    EXPECT_EQ(screen.listObjects, 0);
    EXPECT_EQ(screen.mapRange, WarRoomMapScreen::kStartRange);
}

class NavMapScreenTest : public MapScreenTest {
protected:
    NavMapScreenTest() {
        RegisterSpaceObjects();
        player_ = PutCraft("PLAYER", SpaceObject::kTypePlayerShip, 0, 0, 1);
        harness_.Game().playerShip = player_;
    }
    void GiveRadarAndTargeting() {
        const int16_t words[7] = {2000, 8000, 1, 100, 100, 100, 100};
        player_->AddSystem(0, new RadarSystem(player_, 0, words, 0));
        player_->AddSystem(0, new TargetingSystem(player_, 0, 50, 30, 6000, 10.0f, 0));
    }
    std::vector<SpaceObject*> TargetPoints() {
        std::vector<SpaceObject*> points;
        for (SpaceObject* object : builder_.World()) {
            if (object->name != nullptr && std::string(object->name) == NavMapScreen::kTargetPointName) {
                points.push_back(object);
            }
        }
        return points;
    }
    Craft* player_ = nullptr;
};

TEST_F(NavMapScreenTest, LeavingHandsTheSelectionToTheShip) {
    GiveRadarAndTargeting();
    NavMapScreen screen;
    SpaceObject* const rock = Put("ROCK-01", SpaceObject::kTypeAsteroid, 300, 0, 300, "Rock");
    Craft* const enemy = PutCraft("AA09", SpaceObject::kTypeAiShip, 0, 500, 2);
    SpaceObject* const nav = Put("NAV", SpaceObject::kTypeNavBuoy, 0, 0, 900, "Nav 1");
    nav->isNavPoint = 1;
    // The own ship: nothing happens.
    screen.selectedObject = player_;
    screen.Close();
    EXPECT_TRUE(TargetPoints().empty());
    // A nav point becomes the navigation target.
    screen.selectedObject = nav;
    screen.Close();
    EXPECT_EQ(player_->navTarget.Get(), nav);
    EXPECT_TRUE(TargetPoints().empty());
    screen.selectedObject = enemy;
    screen.Close();
    EXPECT_TRUE(TargetPoints().empty());
    // Refused twice: one target point, beside the latest refused object.
    screen.selectedObject = rock;
    screen.Close();
    screen.Close();
    const std::vector<SpaceObject*> points = TargetPoints();
    ASSERT_EQ(points.size(), 1u);
    EXPECT_EQ(player_->navTarget.Get(), points[0]);
    const Vector3 at = points[0]->Position();
    EXPECT_FLOAT_EQ(at.x, 400.0f);
    EXPECT_FLOAT_EQ(at.y, 100.0f);
    EXPECT_FLOAT_EQ(at.z, 300.0f);
    // A target point is a navigation point: chosen, it becomes the navigation target and stays.
    screen.selectedObject = points[0];
    screen.Close();
    EXPECT_EQ(TargetPoints().size(), 1u);
}

TEST_F(NavMapScreenTest, PassiveRadarShowsEnergySignaturesAndNoRadarShowsNothing) {
    NavMapScreen screen;
    Craft* const wingman = PutCraft("AA09", SpaceObject::kTypeAiShip, 0, 500, 1);
    screen.Open();
    EXPECT_EQ(screen.mapRange, 0);
    screen.Update();
    EXPECT_TRUE(screen.symbols.empty());
    screen.Close();
    GiveRadarAndTargeting();
    screen.Open();
    screen.radar->SetPassive();
    // A followed ship destroyed while the map is open lets go of the camera.
    screen.followObject = wingman;
    screen.selectedObject = wingman;
    screen.Update();
    EXPECT_EQ(Lines(screen), (std::vector<std::string>{"Energy Signature : 0", "Energy Signature : 0"}));
    EXPECT_EQ(Images(screen), (std::vector<int32_t>{30, 30}));
    builder_.Remove(wingman);
    screen.Update();
    EXPECT_EQ(screen.followObject.Get(), nullptr);
    screen.Close();
}


// In flight the goal list holds the goals of every side and of the player's
// own, not the enemy's; the chosen line's goal fills the panel.
TEST_F(NavMapScreenTest, TheInFlightGoalListKeepsToThePlayersSideAndFillsThePanel) {
    NavMapScreen screen;
    screen.InitFilterButtons();
    screen.SetButtonState(MapScreen::kGoalFilter, -1);
    screen.listObjects = 0;
    screen.mapRange = kRange;
    AddGoal("Theirs to do", nullptr)->side = 2;
    AddGoal("Ours to do", nullptr)->side = 1;
    AddGoal("Everyone's", nullptr);
    screen.DrawMap(screen.mapCamera, screen.mapRange);
    const std::vector<std::string> lines = Lines(screen);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].substr(0, 10), "Everyone's");
    EXPECT_EQ(lines[1].substr(0, 10), "Ours to do");
    auto* const list = dynamic_cast<ListBox*>(screen.artObject->FindControl(MapScreen::kObjectList));
    list->SetSelection(1);
    screen.DrawMap(screen.mapCamera, screen.mapRange);
    auto* const text = dynamic_cast<TextBox*>(screen.artObject->FindControl(MapScreen::kGoalText));
    ASSERT_NE(text->GetBlock(0), nullptr);
    EXPECT_EQ(text->GetBlock(0)->GetLine(0), std::string("Ours to do"));
}

// The world of the pictures: one object of each class, at several heights.
class MapPictureTest : public NavMapScreenTest {
protected:
    MapPictureTest() {
        GiveRadarAndTargeting();
        player_->SetPositionFlags(Vector3{0.0f, 0.0f, -3000.0f}, Transform::kAllFlags | 0x10);
        const int32_t ship = SpaceObject::kTypeAiShip;
        PutCraft("BASE-CCCH9", ship, -2000, 2000, 1, 1500, "Station");
        PutCraft("AA09", ship, 1500, 1000, 2, -800, "Raider");
        PutCraft("AA02", ship, -800, -1500, 0, 400, "Scout");
        PutCraft("MULT-CCHH4", ship, 3000, 3500, 2, 0, "Depot");
        Put("ROCK-01", SpaceObject::kTypeAsteroid, 2500, 200, -2500, "Field");
        Put("ROCK-04", SpaceObject::kTypeAsteroid, 2700, -300, -2300, "Field");
        Put("MINE", SpaceObject::kTypeMine, -3000, 0, 500, "Mine", 2);
        SpaceObject* const nav = Put("BUOY", SpaceObject::kTypeNavBuoy, 0, 0, 4000, "Nav 1");
        nav->isNavPoint = 1;
        Put("GATE", SpaceObject::kTypeJumpGate, -4000, 0, 5000, "Gate")->classWord = 53;
        AddGoal("Destroy Raider", builder_.World()[2]);
        AddGoal("Fly to Nav 1", nav)->location[0] = 1;
    }
    // The third pass of a run: the list drawn in a pass is the one the pass before built.
    RgbImage Picture(Screen& screen) {
        const int32_t third = harness_.Passes() + 3;
        harness_.SetPassLimit(third);
        harness_.CaptureAfterPass(third);
        harness_.Run(screen);
        return harness_.Picture(third);
    }
};

// Each pass of the in-flight map simulates, receives and sends.
TEST_F(MapPictureTest, TheInFlightMapRunsTheWorldAndShowsTheRadarsView) {
    InstallNetworkHooks();
    auto* const session = new RecordingNetSession(true);
    harness_.Game().netSession = session;
    static int simulated;
    simulated = 0;
    harness_.Game().SetSimulateHook(GameState::kWorldPass, [](GameState&) { ++simulated; });
    NavMapScreen screen;
    EXPECT_TRUE(MatchesGolden(Picture(screen), "navmap_active"));
    EXPECT_EQ(simulated, harness_.Passes());
    EXPECT_EQ(session->flushes, simulated);
    EXPECT_EQ(session->receives, simulated);
    screen.radar->SetPassive();
    EXPECT_TRUE(MatchesGolden(Picture(screen), "navmap_passive"));
    harness_.Game().netSession = nullptr;
    delete session;
    GameState::SetNetworkHooks({});
}

// A click on the raider's symbol, Center view and three zoom steps.
TEST_F(MapPictureTest, TheInFlightMapZoomsInOnTheChosenShip) {
    NavMapScreen screen;
    Picture(screen);
    const SpaceObject* const raider = builder_.World()[2];
    const MapSymbol* symbol = nullptr;
    for (const MapSymbol& each : screen.symbols) {
        if (each.object == raider) symbol = &each;
    }
    ASSERT_NE(symbol, nullptr);
    const int32_t at = harness_.Passes();
    const std::string click = "click " + std::to_string(symbol->x) + " " + std::to_string(symbol->y);
    const auto pass = [&](int32_t n) { return "at " + std::to_string(at + n) + " "; };
    ASSERT_TRUE(harness_.SetScript(pass(2) + click + "\n" + pass(3) + "key C\n" + pass(5) + "key 13\n" + pass(7) +
                                   "key 13\n" + pass(9) + "key 13\n"));
    const int32_t last = at + 11;
    harness_.SetPassLimit(last);
    harness_.CaptureAfterPass(last);
    harness_.Run(screen);
    EXPECT_EQ(screen.followObject.Get(), raider);
    EXPECT_EQ(screen.mapRange, 16000 * 27 / 64);
    EXPECT_TRUE(MatchesGolden(harness_.Picture(last), "navmap_zoomed"));
}

// Event numbers of the war-room map's file.
enum : int32_t {
    kList = 1, kMapArea = 2, kGoalFilter = 14, kCreate = 17, kDelete = 18, kClick = 23, kCancel = 24,
    kKeyForward = 25, kKeyLeft = 27, kKeyCenter = 29, kKeyZoomIn = 30, kKeyZoomOut = 31, kKeyBankRight = 33,
    kKeyRotateLeft = 36, kKeyBankLeft = 37, kButtonZoomIn = 38, kButtonZoomOut = 39, kButtonUp = 40,
};

class MapInputTest : public MapScreenTest {
protected:
    MapInputTest() { RegisterSpaceObjects(); }
    // One call for `index`, new in this pass unless `held`; `fresh` events
    // became active with it, `still` were active before.
    static int32_t Event(MapScreen& screen, int32_t index, bool held = false, std::initializer_list<int32_t> fresh = {},
                         std::initializer_list<int32_t> still = {}) {
        screen.edgeEvents.Clear();
        screen.currentEvents.Clear();
        for (int32_t each : fresh) screen.edgeEvents.SetEvent(EventKey(uint32_t(each)));
        if (!held) screen.edgeEvents.SetEvent(EventKey(uint32_t(index)));
        screen.currentEvents = screen.edgeEvents;
        screen.currentEvents.SetEvent(EventKey(uint32_t(index)));
        for (int32_t each : still) screen.currentEvents.SetEvent(EventKey(uint32_t(each)));
        return screen.HandleEvent(EventKey(uint32_t(index)));
    }
    static void PointAt(MapScreen& screen, int16_t x, int16_t y, bool click = false) {
        screen.eventMap->SetMousePosition(x, y);
        Event(screen, kMapArea, !click, click ? std::initializer_list<int32_t>{kClick} : std::initializer_list<int32_t>{});
    }
    std::vector<std::string> PointNames() {
        std::vector<std::string> names;
        for (SpaceObject* object : builder_.World()) {
            if (object->type == SpaceObject::kTypeWayPoint) names.emplace_back(object->name);
        }
        return names;
    }
};

TEST_F(MapInputTest, ZoomAndCameraCommandsActOncePerPressAlongTheCamerasOwnAxes) {
    WarRoomMapScreen screen;
    const int32_t zooms[][3] = {{kKeyZoomIn, 133, 100}, {kButtonZoomIn, 666, 500}, {kKeyZoomOut, 19000, 20000},
                                {kButtonZoomOut, 12000, 15000}, {kButtonZoomOut, 999, 1332}};
    for (const auto& zoom : zooms) {
        screen.mapRange = zoom[1];
        Event(screen, zoom[0], false, {kClick});
        EXPECT_EQ(screen.mapRange, zoom[2]) << zoom[0];
    }
    // Held on, or a button under a held click: nothing more.
    Event(screen, kKeyZoomIn, true);
    Event(screen, kButtonZoomOut, false, {}, {kClick});
    EXPECT_EQ(screen.mapRange, 1332);
    SpaceObject* const ship = Put("AA09", SpaceObject::kTypeAiShip, 100, 200, 300, "Wing");
    const float(&at)[3] = screen.mapCamera.matrix.rows[3];
    screen.mapRange = 5000;
    screen.mapCamera.RotateY(90.0f, Transform::kAllFlags);
    const float forwardX = screen.mapCamera.forward.x;
    screen.followObject = ship;
    Event(screen, kKeyForward);
    Event(screen, kButtonUp, false, {kClick});
    EXPECT_NEAR(at[0], 500.0f * forwardX, 0.01f);
    EXPECT_NEAR(at[1], -500.0f, 0.01f);
    EXPECT_EQ(screen.followObject.Get(), nullptr);
    // One bank is five degrees; the left bank undoes the right.
    Event(screen, kKeyBankRight);
    EXPECT_NEAR(screen.mapCamera.matrix.rows[1][1], std::cos(5.0f * Transform::kDegreesToRadians), 1e-4f);
    Event(screen, kKeyBankLeft);
    EXPECT_NEAR(screen.mapCamera.matrix.rows[1][1], 1.0f, 1e-4f);
    // Center view takes the selection's position, keeps the turn and follows.
    screen.selectedObject = ship;
    Event(screen, kKeyCenter);
    EXPECT_FLOAT_EQ(at[2], 300.0f);
    EXPECT_EQ(screen.followObject.Get(), ship);
    // Over their regions the keys leave the camera; held cursor keys move the pointer, within bounds.
    Event(screen, kKeyLeft, false, {}, {kMapArea});
    Event(screen, kKeyRotateLeft, false, {}, {kList});
    EXPECT_FLOAT_EQ(at[0], 100.0f);
    EXPECT_NEAR(screen.mapCamera.forward.x, forwardX, 1e-4f);
    uint16_t pointer[2] = {};
    for (const int16_t y : {200, 3}) {
        screen.eventMap->SetMousePosition(int16_t(y == 3 ? 150 : 300), y);
        Event(screen, kMapArea, false, {kKeyLeft});
        Event(screen, kMapArea, true, {}, {kKeyLeft, kKeyForward});
        screen.eventMap->GetMousePosition(&pointer[0], &pointer[1]);
        EXPECT_EQ(pointer[0] * 1000 + pointer[1], y == 3 ? 150003 : 292196);
    }
}

TEST_F(MapInputTest, SelectionHitsStrictlyInsideByNameAndOnlyLeavingEndsAMap) {
    WarRoomMapScreen screen;
    screen.InitFilterButtons();
    screen.listObjects = 1;
    screen.mapRange = 5000;
    SpaceObject* const base = Put("AA09", SpaceObject::kTypeAiShip, 0, 0, 100, "Wing 2", 1);
    SpaceObject* const first = Put("AA09", SpaceObject::kTypeAiShip, 0, 0, 200, "Wing", 1);
    SpaceObject* const ghost = Put("AA09", SpaceObject::kTypeAiShip, 0, 0, 300, "Wing", 1);
    // Image 0 is 15 x 11, image 4 is 7 x 7, image 99 is none.
    screen.symbols = {{0, 0, 0, 300, 200, 0, 0, 0, base},
                      {0, 0, 0, 305, 200, 4, 0, 0, first},
                      {0, 0, 0, 310, 200, 99, 0, 0, ghost}};
    const struct {
        int16_t x, y;
        SpaceObject* chosen;
    } clicks[] = {{293, 200, nullptr}, {294, 205, nullptr}, {294, 204, base}, {304, 200, first}, {310, 200, first}};
    for (const auto& click : clicks) {
        PointAt(screen, click.x, click.y, true);
        EXPECT_EQ(screen.selectedObject.Get(), click.chosen) << click.x << "," << click.y;
    }
    Event(screen, kMapArea, false, {kCancel});
    EXPECT_EQ(screen.selectedObject.Get(), nullptr);
    // Down the list until its second line is chosen: the first "Wing" of the world.
    screen.DrawMap(screen.mapCamera, screen.mapRange);
    auto* const list = dynamic_cast<ListBox*>(screen.artObject->FindControl(MapScreen::kObjectList));
    for (int16_t y = 380; y < 456 && list->GetSelection() < 1; ++y) {
        screen.eventMap->SetMousePosition(200, y);
        Event(screen, kList, false, {kClick});
    }
    EXPECT_EQ(screen.selectedObject.Get(), first);
    Event(screen, kGoalFilter, false, {kClick});
    Event(screen, kGoalFilter, false, {kClick});
    EXPECT_EQ(screen.selectedObject.Get(), nullptr);
    NavMapScreen flight;
    std::vector<int32_t> ends;
    for (int32_t index = 0; index <= 54; ++index) {
        if (Event(screen, index, false, {kClick}) == 0) ends.push_back(index);
        if (Event(flight, index, false, {22}) == 0) ends.push_back(100 + index);
    }
    EXPECT_EQ(ends, (std::vector<int32_t>{0, 3, 104, 137}));
}

TEST_F(MapInputTest, WayPointsAreLaidInThreeClicksAndLetteredInWorldOrder) {
    WarRoomMapScreen screen;
    screen.mapRange = 5000;
    screen.mapCamera.SetPositionXyz(1000.0f, 0.0f, 0.0f, Transform::kAllFlags);
    SpaceObject* const mission = DefinitionLibrary::Current().LoadObjectDefinition("Nav Buoy", nullptr, 4, 0);
    mission->SetName("Navmap Way Point Z");
    harness_.Game().AddObjectsToWorld(mission, 0);
    const auto create = [&] {
        Event(screen, kCreate, false, {kClick});
        PointAt(screen, 300, 200, true);
        EXPECT_EQ(screen.placementStep, 2);
        return g_placingWayPoint.Get();
    };
    SpaceObject* const a = create();
    screen.SetButtonState(MapScreen::kNavPointFilter, 0);
    // From the camera + (100, 100, 0): 10 pixels right and down slide it
    // 500 along x and 625 along z; then 8 pixels down lift it by -500.
    PointAt(screen, 310, 210);
    EXPECT_NE(screen.ButtonState(MapScreen::kNavPointFilter), 0);   // latched while placing
    PointAt(screen, 310, 210, true);
    PointAt(screen, 310, 218);
    PointAt(screen, 310, 218, true);
    EXPECT_EQ(screen.placementStep, 0);
    const Vector3 at = a->Position();
    EXPECT_EQ(std::vector<float>({at.x, at.y, at.z}), std::vector<float>({1600.0f, -400.0f, 625.0f}));
    // At R = 100 a pixel is 1.25 along z, truncated each pass.
    screen.mapRange = 100;
    SpaceObject* const b = create();
    for (int16_t y = 201; y <= 204; ++y) PointAt(screen, 300, y);
    EXPECT_FLOAT_EQ(b->Position().z, 4.0f);
    SpaceObject* const c = create();
    Event(screen, kMapArea, false, {kCancel});
    EXPECT_EQ(PointNames(), (std::vector<std::string>{"Navmap Way Point Z", "Navmap Way Point A",
                                                       "Navmap Way Point B", "Navmap Way Point C"}));
    // Deletion: a miss changes nothing; the later of two symbols at one
    // place goes, with the selection, and every point with the words is lettered again.
    screen.selectedObject = b;
    screen.symbols = {{0, 0, 0, 400, 100, 23, 0, 0, c}, {0, 0, 0, 400, 100, 23, 0, 0, b}};
    Event(screen, kDelete, false, {kClick});
    PointAt(screen, 20, 20, true);
    EXPECT_EQ(screen.symbols.size(), 2u);
    PointAt(screen, 400, 100, true);
    EXPECT_EQ(screen.placementStep, -1);
    EXPECT_EQ(screen.selectedObject.Get(), nullptr);
    EXPECT_EQ(PointNames(), (std::vector<std::string>{"Navmap Way Point A", "Navmap Way Point B",
                                                       "Navmap Way Point C"}));
    // The point being placed, deleted mid-placement, is let go everywhere.
    create();
    screen.followObject = g_placingWayPoint;
    screen.symbols = {{0, 0, 0, 400, 100, 23, 0, 0, g_placingWayPoint}};
    Event(screen, kDelete, false, {kClick});
    PointAt(screen, 400, 100, true);
    EXPECT_EQ(g_placingWayPoint.Get(), nullptr);
    EXPECT_EQ(screen.followObject.Get(), nullptr);
    screen.placementStep = 2;
    PointAt(screen, 300, 300);
    EXPECT_EQ(PointNames().size(), 3u);
}

}  // namespace
