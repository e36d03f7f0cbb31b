#include "screens/ControlScreen.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "engine/input/InputEventMap.h"
#include "engine/input/InputSystem.h"
#include "game/DataDirectories.h"
#include "game/GameState.h"
#include "game/KeyBindings.h"
#include "screens/GameMenus.h"
#include "tests/support/FileContents.h"
#include "tests/support/GoldenImage.h"
#include "tests/support/FontFixtures.h"
#include "tests/support/world/ScreenHarness.h"
#include "ui/ArtObject.h"
#include "ui/TextBox.h"

namespace {

constexpr uint16_t kNone = 0xFFFF;
constexpr uint16_t kShift = 42, kShiftRight = 54, kSpace = 57, kQ = 16;

constexpr uint16_t Code(uint32_t event) { return uint16_t(((event >> 3) << 8) | (1u << (event & 7))); }

// The page on the sample data over a key map of `functions` functions and
// five axes, Shift the modifier.
struct ControlRun {
    explicit ControlRun(int32_t functions = 97) {
        GameState& game = harness.Game();
        game.tutorialsEnabled = 0;
        game.modifierKey = kShift;
        game.modifierKeyRight = kShiftRight;
        game.functionBindings.clear();
        game.axisBindings.clear();
        for (int32_t i = 0; i < functions; ++i) {
            game.functionBindings.push_back(
                std::make_unique<FunctionBinding>(("F" + std::to_string(i)).c_str(), uint32_t(i)));
        }
        for (int32_t i = 0; i < 5; ++i) {
            game.axisBindings.push_back(std::make_unique<AxisBinding>());
            game.axisBindings.back()->name = "A" + std::to_string(i);
        }
    }
    ~ControlRun() {
        harness.Game().capturedKeys = nullptr;
        harness.Game().functionBindings.clear();
        harness.Game().axisBindings.clear();
        // Closing the page writes its map into the tree the process shares.
        std::ofstream(keyMapPath, std::ios::binary | std::ios::trunc) << keyMap;
    }
    FunctionBinding& F(int32_t i) { return *harness.Game().functionBindings[size_t(i)]; }
    AxisBinding& A(int32_t i) { return *harness.Game().axisBindings[size_t(i)]; }
    // Binds a key: with or without the modifier.
    void Bind(int32_t f, int32_t which, uint16_t key, bool modifier) {
        KeyTrigger& t = which == 1 ? *F(f).trigger1 : *F(f).trigger2;
        t.keys[0] = key;
        t.keys[1] = modifier ? kShift : uint16_t(kShift + 0x200);
        t.keys[2] = modifier ? kNone : uint16_t(kShiftRight + 0x200);
    }
    std::string Text(const char* format, int32_t row) {
        TextBox* const box = screen.Box(format, row);
        const char* const line = box != nullptr ? box->GetItem(0) : nullptr;
        return line != nullptr ? line : "";
    }
    // One call of the handler with these events new in the pass.
    void Event(uint32_t event, std::vector<uint32_t> alsoNew = {}) {
        screen.edgeEvents.Clear();
        screen.edgeEvents.SetEvent(Code(event));
        for (uint32_t other : alsoNew) screen.edgeEvents.SetEvent(Code(other));
        screen.HandleEvent(Code(event));
    }
    // The same call with the event held from before, nothing new.
    void Held(uint32_t event) {
        screen.edgeEvents.Clear();
        screen.HandleEvent(Code(event));
    }
    void Pointer(int16_t x, int16_t y) { screen.eventMap->SetMousePosition(x, y); }
    uint16_t PointerX() {
        uint16_t x = 0, y = 0;
        screen.eventMap->GetMousePosition(&x, &y);
        return x;
    }

    // No font: a cell holds its whole text, whatever the sample font's
    // widths, so the cells read back what the page put in them.
    ScopedFontLayer fonts;
    ScreenHarness harness;
    const std::string keyMapPath = g_dataDirs.Prefix(DataDir::kData) + "controls.iff";
    const std::string keyMap = FileContents(keyMapPath);
    ControlScreen screen;
};

}  // namespace

// Which bindings clash: the same key and condition in one group, on either
// side; never across groups, with and without the modifier, or mouse buttons.
TEST(ControlScreenTest, ConflictTable) {
    struct Case {
        const char* what;
        int32_t f, g;
        void (*set)(ControlRun&, int32_t f, int32_t g);
        bool clash;
    } cases[] = {
        {"same key, both without", 3, 9, [](ControlRun& r, int32_t f, int32_t g) {
             r.Bind(f, 1, kSpace, false);
             r.Bind(g, 2, kSpace, false);
         }, true},
        {"with and without the modifier", 3, 9, [](ControlRun& r, int32_t f, int32_t g) {
             r.Bind(f, 1, kSpace, false);
             r.Bind(g, 1, kSpace, true);
         }, false},
        {"across groups", 80, 10, [](ControlRun& r, int32_t f, int32_t g) {
             r.Bind(f, 1, kSpace, false);
             r.Bind(g, 1, kSpace, false);
         }, false},
        {"joystick masks 2 and 2", 1, 2, [](ControlRun& r, int32_t f, int32_t g) {
             r.F(f).trigger1->joystickButtons = 2;
             r.F(g).trigger2->joystickButtons = 2;
         }, true},
        {"joystick masks 2 and 3", 1, 2, [](ControlRun& r, int32_t f, int32_t g) {
             r.F(f).trigger1->joystickButtons = 2;
             r.F(g).trigger1->joystickButtons = 3;
         }, false},
        {"mouse buttons", 1, 2, [](ControlRun& r, int32_t f, int32_t g) {
             r.F(f).trigger1->mouseButtons = 1;
             r.F(g).trigger1->mouseButtons = 1;
         }, false},
        {"hat directions", 4, 5, [](ControlRun& r, int32_t f, int32_t g) {
             r.F(f).hatDirection[1] = 90;
             r.F(g).hatDirection[1] = 90;
         }, true},
    };
    for (const Case& c : cases) {
        ControlRun run;
        c.set(run, c.f, c.g);
        EXPECT_EQ(run.screen.FindConflict(c.f), c.clash ? 1 : 0) << c.what;
        EXPECT_EQ(run.screen.FindConflict(c.g), c.clash ? 1 : 0) << c.what;
    }
    ControlRun run;
    EXPECT_EQ(run.screen.FindAxisConflict(0), 0);   // axis bits 0 on every axis
    run.A(1).axisBits = run.A(3).axisBits = 2;
    EXPECT_EQ(run.screen.FindAxisConflict(1), 1);
    run.A(3).buttonCondition = 4;
    EXPECT_EQ(run.screen.FindAxisConflict(1), 0);
}

// A key map shorter than the page and the groups: rows past its end show
// nothing and clash with nothing, and paging stays at 0.
TEST(ControlScreenTest, AShortKeyMapShowsOnlyWhatExists) {
    ControlRun run(4);
    run.Bind(0, 1, kQ, false);
    run.Bind(3, 1, kQ, false);
    run.screen.FillRows();
    EXPECT_EQ(run.Text("Function%d", 4), "F3");
    EXPECT_EQ(run.Text("Function%d", 5), "");
    EXPECT_NE(run.screen.rowConflict[0], 0u);
    EXPECT_EQ(run.screen.rowConflict[5], 0u);
    EXPECT_EQ(run.screen.FindConflict(90), 0);
    run.screen.eventMap->SetMousePosition(400, 200);
    run.Event(39, {38});
    EXPECT_EQ(run.screen.firstFunction, 0);
    EXPECT_EQ(run.harness.Game().functionBindings.size(), 4u);
}

// Edits: the modifier of one binding and its twin; a new modifier key
// rewrites every binding; capture binds one ordinary key in the right form.
TEST(ControlScreenTest, EditsKeepTheFormsAndTwins) {
    ControlRun run;
    run.Bind(2, 1, kQ, false);
    run.Bind(2, 2, kQ, false);
    const KeyTrigger before1 = *run.F(2).trigger1;
    run.screen.ToggleModifier(2, 2);
    EXPECT_EQ(run.F(2).trigger2->keys[1], kShift);
    EXPECT_EQ(run.F(2).trigger2->keys[2], kNone);
    ASSERT_NE(run.F(2).trigger2Twin, nullptr);
    EXPECT_EQ(run.F(2).trigger2Twin->keys[0], kQ);
    EXPECT_EQ(run.F(2).trigger2Twin->keys[1], kShiftRight);
    EXPECT_EQ(run.F(2).trigger1->keys[1], before1.keys[1]);
    EXPECT_EQ(run.F(2).trigger1->keys[2], before1.keys[2]);
    EXPECT_EQ(run.Text("Modifier%d2", 3), "Shift");
    EXPECT_EQ(run.Text("Modifier%d1", 3), "");

    run.Bind(5, 1, 29, false);   // bound to Ctrl itself
    run.harness.Game().modifierKey = 29;
    run.harness.Game().modifierKeyRight = 157;
    run.screen.ChangeModifierKey(kShift);
    EXPECT_EQ(run.Text("Modifier%d2", 3), "Ctrl");
    EXPECT_EQ(run.F(5).trigger1->keys[0], kShift);
    EXPECT_EQ(run.F(2).trigger2Twin->keys[1], 157);
    EXPECT_EQ(run.F(5).trigger1->keys[1], 29 + 0x200);
    EXPECT_EQ(run.F(5).trigger1->keys[2], 157 + 0x200);

    // Capture into a binding with no condition: Ctrl is skipped, A is
    // bound without the modifier, its twin empty.
    run.screen.Open();
    run.Event(57, {31});   // the key cell of binding 2, row 1: waits
    EXPECT_EQ(run.screen.selectedCell, 8);
    EXPECT_EQ(run.harness.Game().keyCaptureActive, 1u);
    run.screen.capturedKeys = {29, 30, 31};
    run.screen.Update();
    EXPECT_EQ(run.screen.selectedCell, ControlScreen::kNoCell);
    const KeyTrigger& t = *run.F(0).trigger2;
    EXPECT_EQ(t.keys[0], 30);
    EXPECT_EQ(t.keys[1], 29 + 0x200);
    EXPECT_EQ(t.keys[2], 157 + 0x200);
    EXPECT_EQ(run.F(0).trigger2Twin->keys[0], 0);
    EXPECT_EQ(run.F(0).trigger2Twin->keys[1], kNone);
    EXPECT_EQ(run.Text("Key%d2", 1), "A");
    run.screen.Close();
}

// What a key cell shows: hat over joystick button over key with the
// joystick, mouse button over key with the mouse, the key for mask 5.
TEST(ControlScreenTest, KeyCellsShowTheDeviceFirst) {
    ControlRun run;
    run.Bind(0, 1, kQ, false);
    run.F(0).trigger1->joystickButtons = 4;
    run.Bind(1, 1, kQ, false);
    run.F(1).trigger1->joystickButtons = 4;
    run.F(1).hatDirection[0] = 90;
    run.Bind(2, 1, kQ, false);
    run.F(2).trigger1->joystickButtons = 5;
    run.Bind(3, 2, kQ, false);
    run.F(3).trigger2->mouseButtons = 2;
    run.harness.Game().joystickSetting = 1;
    run.screen.FillRows();
    EXPECT_EQ(run.Text("Key%d1", 1), "Button3");
    EXPECT_EQ(run.Text("Key%d1", 2), "HatRight");
    EXPECT_EQ(run.Text("Key%d1", 3), "Q");
    EXPECT_EQ(run.Text("Key%d2", 4), "Q");
    run.harness.Game().joystickSetting = 0;
    run.harness.Game().mouseSetting = 1;
    run.screen.FillRows();
    EXPECT_EQ(run.Text("Key%d2", 4), "Button2");
    EXPECT_EQ(run.Text("Key%d1", 1), "Q");
}

// The stick, the hat and the mouse while a cell waits.
TEST(ControlScreenTest, CapturesFromTheStickTheHatAndTheMouse) {
    ControlRun run;
    GameState& game = run.harness.Game();
    run.harness.Input().PlugJoystick(true);
    game.joystickSetting = 1;
    const auto wait = [&](uint32_t cellEvent) {
        run.Event(cellEvent, {31});
        ASSERT_NE(run.screen.selectedCell, ControlScreen::kNoCell);
    };
    wait(65);   // binding 2, row 3
    for (uint32_t pov : {4500u, 0xFFFFFFFFu}) {
        run.harness.Input().FeedJoystickHat(pov);
        run.Held(65);
        EXPECT_NE(run.screen.selectedCell, ControlScreen::kNoCell) << pov;
    }
    run.harness.Input().FeedJoystickHat(9000);
    run.Held(65);
    EXPECT_EQ(run.screen.selectedCell, ControlScreen::kNoCell);
    EXPECT_EQ(run.F(2).hatDirection[1], 90);
    EXPECT_EQ(run.F(2).trigger2->keys[0], 0);
    EXPECT_EQ(run.F(2).trigger2->keys[1], kNone);
    run.harness.Input().FeedJoystickHat(0xFFFFFFFFu);

    wait(20);   // binding 1, row 1
    run.Event(46);   // mouse button 2 with the joystick chosen: nothing
    EXPECT_NE(run.screen.selectedCell, ControlScreen::kNoCell);
    run.Held(42);   // joystick button 2 held from before
    EXPECT_EQ(run.F(0).trigger1->joystickButtons, 2);
    EXPECT_EQ(run.F(0).trigger1->keys[0], kNone);

    game.joystickSetting = 0;
    game.mouseSetting = 1;
    wait(59);   // binding 1, row 2
    run.Event(46);
    EXPECT_EQ(run.F(1).trigger1->mouseButtons, 2);
    EXPECT_EQ(run.F(1).trigger1->keys[0], kNone);
}

// The keyboard's pointer moves and pages.
TEST(ControlScreenTest, PointerMovesAndPages) {
    ControlRun run;
    run.screen.firstFunction = 88;
    run.Event(39, {38});
    EXPECT_EQ(run.screen.firstFunction, 89);
    run.screen.firstFunction = 5;
    run.Event(39, {37});
    EXPECT_EQ(run.screen.firstFunction, 0);
    const struct {
        uint32_t area, key;
        int16_t from, to;
    } moves[] = {{39, 35, 460, 370}, {39, 35, 300, 300}, {40, 36, 395, 444}, {40, 36, 470, 470}};
    for (const auto& move : moves) {
        run.Pointer(move.from, 200);
        run.Event(move.area, {move.key});
        EXPECT_EQ(run.PointerX(), move.to) << move.from;
    }
    // Left in the axes' cells: from the button spots to the axis cells, within
    // the axis cells by steps, never past their left end; right across the
    // functions' cells until their right end.
    const struct {
        uint32_t area, key;
        int16_t from, to;
    } more[] = {{40, 35, 444, 391}, {40, 35, 380, 360}, {40, 35, 340, 340},
                {39, 36, 300, 375}, {39, 36, 400, 490}, {39, 36, 520, 520}};
    for (const auto& move : more) {
        run.Pointer(move.from, 380);
        run.Event(move.area, {move.key});
        EXPECT_EQ(run.PointerX(), move.to) << move.area << " " << move.from;
    }
    // Up and down a row at a time, within each area's rows.
    const auto pointerY = [&run] {
        uint16_t x = 0, y = 0;
        run.screen.eventMap->GetMousePosition(&x, &y);
        return int32_t(y);
    };
    const struct {
        uint32_t area, key;
        int16_t from, to;
    } rows[] = {{39, 33, 200, 182}, {39, 33, 130, 130}, {39, 34, 200, 218}, {39, 34, 250, 250},
                {40, 33, 380, 362}, {40, 33, 345, 345}, {40, 34, 380, 398}, {40, 34, 410, 410}};
    for (const auto& move : rows) {
        run.Pointer(400, move.from);
        run.Event(move.area, {move.key});
        EXPECT_EQ(pointerY(), move.to) << move.area << " " << move.key << " " << move.from;
    }
    // The axes page back a page, never before the first.
    run.screen.firstAxis = ControlScreen::kAxisRows + 1;
    run.Event(40, {37});
    EXPECT_EQ(run.screen.firstAxis, 1);
    run.Event(40, {37});
    EXPECT_EQ(run.screen.firstAxis, 0);
}

// An axis cell: the stick's first poll takes the baseline; the mouse
// counts from where the pointer stood; with neither device it ends at once.
TEST(ControlScreenTest, AxisCapture) {
    ControlRun run;
    GameState& game = run.harness.Game();
    run.harness.Input().PlugJoystick(false, 4);
    game.joystickSetting = 1;
    run.harness.Input().FeedJoystickAxis(0, 20000);
    run.Event(105, {31});
    EXPECT_EQ(run.screen.axisCaptureActive, 1u);
    run.harness.Input().FeedJoystickAxis(0, 20000 + 9999);
    run.harness.Input().FeedJoystickAxis(2, 12000);
    run.Held(105);
    EXPECT_EQ(run.A(0).axisBits, 4);
    run.Event(106, {31});
    run.harness.Input().FeedJoystickAxis(0, 20000 + 9999 + 10000);
    run.Held(106);
    EXPECT_EQ(run.A(1).axisBits, 1);

    game.joystickSetting = 0;
    game.mouseSetting = 1;
    run.Pointer(100, 100);
    run.screen.lastMouseX = 0;   // an earlier capture's end
    run.Event(107, {31});
    EXPECT_EQ(run.screen.axisCaptureActive, 1u);
    run.Pointer(109, 100);
    run.Held(107);
    EXPECT_EQ(run.screen.axisCaptureActive, 1u);
    run.Pointer(119, 105);
    run.Held(107);
    EXPECT_EQ(run.A(2).axisBits, 1);

    game.mouseSetting = 0;
    run.Event(108, {31});
    EXPECT_EQ(run.screen.axisCaptureActive, 0u);
    EXPECT_EQ(run.A(3).axisBits, 0);

    // Delete over a captured axis cell unbinds it, mid-capture or not.
    game.mouseSetting = 1;
    run.Event(107, {31});
    ASSERT_EQ(run.screen.axisCaptureActive, 1u);
    run.Event(107, {32});
    EXPECT_EQ(run.screen.axisCaptureActive, 0u);
    EXPECT_EQ(run.A(2).axisBits, 0);
    EXPECT_EQ(run.A(0).axisBits, 4);
}

// What the page edits survives closing it and loading "controls.iff" again.
TEST(ControlScreenTest, EditsSurviveTheKeyMapFile) {
    ScreenHarness harness;
    GameState& game = harness.Game();
    const std::string path = g_dataDirs.Prefix(DataDir::kData) + "controls.iff";
    const std::string original = FileContents(path);
    ASSERT_TRUE(game.LoadKeyMap());
    game.tutorialsEnabled = 0;
    {
        ControlScreen screen;
        screen.Open();
        screen.ToggleModifier(0, 1);
        screen.Close();
    }
    const auto keys = [](const KeyTrigger* trigger) {
        return trigger == nullptr ? std::vector<uint16_t>{} : std::vector<uint16_t>(trigger->keys, trigger->keys + 3);
    };
    const std::vector<uint16_t> edited = keys(game.functionBindings[0]->trigger1.get());
    const std::vector<uint16_t> twin = keys(game.functionBindings[0]->trigger1Twin.get());
    ASSERT_TRUE(game.LoadKeyMap());
    std::ofstream(path, std::ios::binary | std::ios::trunc) << original;
    EXPECT_EQ(keys(game.functionBindings[0]->trigger1.get()), edited);
    EXPECT_EQ(keys(game.functionBindings[0]->trigger1Twin.get()), twin);
}

TEST(ControlScreenTest, GoldenPicture) {
    ControlRun run;
    run.Bind(0, 1, kSpace, false);
    run.Bind(3, 2, kSpace, false);
    run.Bind(1, 1, kQ, true);
    run.A(0).axisBits = 1;
    run.A(0).buttonCondition = 2;
    run.A(1).axisBits = 1;
    run.A(1).buttonCondition = 2;
    run.harness.CaptureAfterPass(4);
    ASSERT_TRUE(run.harness.SetScript("at 2 move 400 140\n"));
    run.harness.SetPassLimit(5);
    run.harness.Run(run.screen);
    EXPECT_TRUE(MatchesGolden(run.harness.Picture(4), "control_screen"));
}

// The key map is read with binding 2 of the first function empty, so the
// game's event map never held it. Escape caught while its cell waits, as the
// player presses it, fires the function at once; a cell cleared again stops
// firing at once, and a modifier given to a binding makes its right-hand
// form fire too.
TEST(ControlScreenTest, EditsFireAtOnceEvenIntoABindingEmptyAtLoad) {
    constexpr uint16_t kEscape = 1;
    ControlRun run;
    GameState& game = run.harness.Game();
    run.Bind(1, 1, kQ, false);
    game.RegisterKeyMap();
    InputEventMap* const map = game.EventMap();
    ASSERT_NE(map, nullptr);
    KeySet all;
    all = ~all;
    // The keys down for one read of the game's map, as a flight frame reads it.
    const auto fired = [&](std::initializer_list<uint16_t> keys, uint32_t function) {
        for (const uint16_t key : keys) run.harness.Input().Press(key);
        game.Input()->Update();
        const bool on = map->Poll(all).TestEvent(run.F(int32_t(function)).commandCode);
        for (const uint16_t key : keys) run.harness.Input().Release(key);
        game.Input()->Update();
        game.Input()->Snapshot();
        return on;
    };
    EXPECT_TRUE(fired({kQ}, 1));
    EXPECT_FALSE(fired({kEscape}, 0));

    run.screen.Open();
    run.Event(57, {31});   // the key cell of binding 2, row 1: waits
    ASSERT_EQ(run.screen.selectedCell, 8);
    ASSERT_EQ(game.keyCaptureActive, 1u);
    run.screen.capturedKeys = {kEscape};
    run.screen.Update();
    EXPECT_EQ(run.screen.selectedCell, ControlScreen::kNoCell);
    EXPECT_EQ(run.F(0).trigger2->keys[0], kEscape);
    EXPECT_EQ(run.Text("Key%d2", 1), "ESC");
    EXPECT_TRUE(fired({kEscape}, 0));
    EXPECT_FALSE(fired({kShift, kEscape}, 0));

    // The modifier on that binding: Shift and the right-hand Shift both fire it.
    run.screen.ToggleModifier(0, 2);
    EXPECT_FALSE(fired({kEscape}, 0));
    EXPECT_TRUE(fired({kShift, kEscape}, 0));
    EXPECT_TRUE(fired({kShiftRight, kEscape}, 0));

    // Cleared: it fires neither with its key nor with nothing down.
    run.Event(57, {32});
    EXPECT_EQ(run.F(0).trigger2->keys[0], 0);
    EXPECT_FALSE(fired({kEscape}, 0));
    EXPECT_FALSE(fired({}, 0));
    EXPECT_TRUE(fired({kQ}, 1));
    run.screen.Close();
}

// The page on the sample key map, played by clicks as a person plays it:
// CTRL becomes the modifier of every binding that had Shift; a modifier
// cell takes the modifier and Delete over it clears it again; JOYSTICK
// switches the device; an axis cell then takes the stick's throttle as the
// player pushes it, and the axis's first button spot makes the axis wait
// for button 1 until Delete clears it; the axis list's down button pages.
TEST(ControlScreenTest, ModifierJoystickAndAxisCaptureByClicks) {
    constexpr uint16_t kCtrl = 29, kCtrlRight = 157, kNotHeld = 0x200;
    ScreenHarness harness;
    GameState& game = harness.Game();
    // Closing the page saves the map into the tree the process shares.
    const std::string path = g_dataDirs.Prefix(DataDir::kData) + "controls.iff";
    const std::string original = FileContents(path);
    struct Restore {
        const std::string& path;
        const std::string& bytes;
        ~Restore() { std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes; }
    } restore{path, original};
    ASSERT_TRUE(game.LoadKeyMap());
    game.tutorialsEnabled = 0;
    game.joystickSetting = 0;
    game.mouseSetting = 1;
    ASSERT_EQ(game.modifierKey, kShift);
    ASSERT_FALSE(game.functionBindings.empty());
    ASSERT_FALSE(game.axisBindings.empty());
    size_t shifted = game.functionBindings.size();
    for (size_t i = 0; i < game.functionBindings.size() && shifted == game.functionBindings.size(); ++i) {
        const KeyTrigger* const t = game.functionBindings[i]->trigger1.get();
        if (t != nullptr && t->keys[1] == kShift) shifted = i;
    }
    ASSERT_LT(shifted, game.functionBindings.size()) << "the sample map binds something with Shift";
    FunctionBinding& first = *game.functionBindings[0];
    ASSERT_NE(first.trigger1, nullptr);
    ASSERT_NE(first.trigger1->keys[0], 0);
    ASSERT_NE(first.trigger1->keys[1], kShift) << "the first function's key comes without the modifier";
    AxisBinding& axis = *game.axisBindings[0];
    axis.axisBits = 0;
    axis.buttonCondition = 0;
    harness.Input().PlugJoystick(false, 4);
    harness.Input().FeedJoystickAxis(2, 30000);
    harness.AtPass(14, [&harness] { harness.Input().FeedJoystickAxis(2, 30000 + 12000); });

    struct Seen {
        uint16_t modifier = 0, shiftedCondition = 0, toggled = 0, cleared = 0;
        uint32_t joystick = 0, mouse = 0;
        int32_t axisBits = 0, condition = -1;
    } seen;
    harness.AtPass(3, [&] {
        seen.modifier = uint16_t(game.modifierKey);
        seen.shiftedCondition = game.functionBindings[shifted]->trigger1->keys[1];
    });
    harness.AtPass(5, [&] { seen.toggled = first.trigger1->keys[1]; });
    harness.AtPass(8, [&] { seen.cleared = first.trigger1->keys[1]; });
    harness.AtPass(10, [&] {
        seen.joystick = game.joystickSetting;
        seen.mouse = game.mouseSetting;
    });
    harness.AtPass(17, [&] { seen.axisBits = axis.axisBits; });
    harness.AtPass(19, [&] { seen.condition = axis.buttonCondition; });
    ASSERT_TRUE(harness.SetScript(
        "at 2 click 270 453\n"                  // CTRL
        "at 4 click 323 129\n"                  // row 1's first modifier cell
        "at 6 move 323 129\nat 7 key 211\n"    // Delete over it
        "at 9 click 465 453\n"                  // JOYSTICK
        "at 11 click 473 343\n"                 // the first axis cell waits
        "at 18 click 340 343\n"                 // its button 1 spot
        "at 20 move 340 343\nat 21 key 211\n"  // Delete over the spot
        "at 23 click 606 424\n"));              // the axes' down button
    harness.SetPassLimit(26);
    ControlScreen screen;
    harness.Run(screen);

    EXPECT_EQ(seen.modifier, kCtrl);
    EXPECT_EQ(game.modifierKeyRight, kCtrlRight);
    EXPECT_EQ(seen.shiftedCondition, kCtrl);
    EXPECT_EQ(seen.toggled, kCtrl);
    EXPECT_EQ(seen.cleared, uint16_t(kCtrl + kNotHeld));
    EXPECT_EQ(seen.joystick, 1u);
    EXPECT_EQ(seen.mouse, 0u);
    EXPECT_EQ(seen.axisBits, 4);
    EXPECT_EQ(seen.condition, 1);
    EXPECT_EQ(axis.axisBits, 4);
    EXPECT_EQ(axis.buttonCondition, 0);
    EXPECT_EQ(screen.axisCaptureActive, 0u);
    const int32_t axes = int32_t(game.axisBindings.size());
    EXPECT_EQ(screen.firstAxis, axes > 2 * ControlScreen::kAxisRows ? ControlScreen::kAxisRows
                                                                    : std::max(0, axes - ControlScreen::kAxisRows));
}
