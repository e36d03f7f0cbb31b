// The key map: "controls.iff" read and written, its twins, the triggers it
// gives the game's event map, and the key names.
#include "game/KeyMapFile.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

#include "engine/ByteOrder.h"
#include "engine/input/InputEventMap.h"
#include "engine/input/InputSystem.h"
#include "game/CommandTable.h"
#include "game/GameState.h"
#include "tests/support/ChunkBuilder.h"
#include "tests/support/ScriptedInput.h"
#include "tests/support/TempDir.h"

namespace {

using Bytes = std::vector<uint8_t>;

constexpr uint16_t kShift = 42, kRightShift = 54, kCtrl = 29;
constexpr uint16_t kQ = 16;
constexpr uint16_t kNot = 0x200;
constexpr uint16_t kNone = 0xFFFF;

Bytes Trig(std::initializer_list<uint16_t> words) {
    Bytes out;
    for (const uint16_t w : words) {
        out.push_back(uint8_t(w));
        out.push_back(uint8_t(w >> 8));
    }
    return out;
}

const ChunkBuilder b;

Bytes Func(const char* name, const Bytes& trig1, const Bytes& trig2) {
    return b.Form("FUNC", {b.Chunk("NAME", ChunkBuilder::Join({ChunkBuilder::Text(name), Bytes{0}})),
                           b.Chunk("TRIG", trig1), b.Chunk("TRIG", trig2)});
}

Bytes Modi(uint32_t key) { return b.Chunk("MODI", ChunkBuilder::Words({key})); }

Bytes Unbound() { return Trig({0, kNone, kNone, kNone, 0, 0, kNone}); }

// Every field of two bindings, twins included.
void ExpectSameFunction(const FunctionBinding& a, const FunctionBinding& c) {
    EXPECT_EQ(a.name, c.name);
    EXPECT_EQ(a.commandCode, c.commandCode);
    EXPECT_EQ(*a.trigger1, *c.trigger1);
    EXPECT_EQ(*a.trigger2, *c.trigger2);
    ASSERT_EQ(a.trigger1Twin == nullptr, c.trigger1Twin == nullptr);
    if (a.trigger1Twin != nullptr) {
        EXPECT_EQ(*a.trigger1Twin, *c.trigger1Twin);
    }
    ASSERT_EQ(a.trigger2Twin == nullptr, c.trigger2Twin == nullptr);
    if (a.trigger2Twin != nullptr) {
        EXPECT_EQ(*a.trigger2Twin, *c.trigger2Twin);
    }
    EXPECT_EQ(a.hatDirection[0], c.hatDirection[0]);
    EXPECT_EQ(a.hatDirection[1], c.hatDirection[1]);
}

TEST(KeyMapFile, SavedBindingsReloadEqualWithTheirTwinsRebuilt) {
    const std::pair<uint32_t, uint32_t> modifiers[] = {{29, 157}, {42, 54}, {56, 184}};
    for (const auto& [modifier, right] : modifiers) {
        SCOPED_TRACE(modifier);
        GameState saved;
        saved.modifierKey = modifier;
        saved.modifierKeyRight = right;
        FunctionBinding& withModifier = *saved.functionBindings[3];
        *withModifier.trigger1 = *MakeKeyTrigger(kQ);
        withModifier.trigger1->keys[1] = uint16_t(modifier);
        withModifier.trigger1->keys[3] = 0x1234;   // the fourth word is carried, not read
        withModifier.trigger2->joystickButtons = 2;
        withModifier.hatDirection[1] = 90;
        FunctionBinding& without = *saved.functionBindings[4];
        *without.trigger1 = *MakeKeyTrigger(kQ);
        without.trigger1->keys[1] = uint16_t(modifier + kNot);
        without.trigger2->mouseButtons = 1;
        for (auto& function : saved.functionBindings) function->MakeTwins(modifier, right);
        saved.axisBindings[1]->buttonCondition = 4;
        saved.axisBindings[1]->axisBits = -1;

        const TempDir dir;
        const std::string path = dir.Str() + "/controls.iff";
        ASSERT_EQ(saved.SaveKeyMap(path.c_str()), kStatusOk);
        GameState loaded;
        ASSERT_TRUE(loaded.LoadKeyMap(path.c_str()));
        EXPECT_EQ(loaded.modifierKey, modifier);
        EXPECT_EQ(loaded.modifierKeyRight, right);
        ASSERT_EQ(loaded.functionBindings.size(), saved.functionBindings.size());
        for (size_t i = 0; i < saved.functionBindings.size(); ++i) {
            SCOPED_TRACE(i);
            ExpectSameFunction(*loaded.functionBindings[i], *saved.functionBindings[i]);
        }
        const FunctionBinding& twinned = *loaded.functionBindings[3];
        ASSERT_NE(twinned.trigger1Twin, nullptr);
        EXPECT_EQ(twinned.trigger1Twin->keys[0], kQ);
        EXPECT_EQ(twinned.trigger1Twin->keys[1], right);
        EXPECT_EQ(twinned.trigger1Twin->keys[3], 0x1234);
        EXPECT_EQ(loaded.functionBindings[3]->hatDirection[0], FunctionBinding::kNoHat);
        EXPECT_EQ(loaded.functionBindings[3]->hatDirection[1], 90);
        ASSERT_EQ(loaded.axisBindings.size(), saved.axisBindings.size());
        EXPECT_EQ(loaded.axisBindings[1]->buttonCondition, 4);
        EXPECT_EQ(loaded.axisBindings[1]->axisBits, -1);
        EXPECT_EQ(loaded.axisBindings[4]->name, saved.axisBindings[4]->name);
    }
}

TEST(KeyMapFile, TwinsFollowTheConditionOfEachBinding) {
    const Bytes file = b.Form("BODY", {Modi(kCtrl),
                                       Func("A", Trig({kQ, kCtrl, 7, 9, 0, 0, kNone}), Unbound()),
                                       Func("B", Trig({kQ, kCtrl + kNot, kNone, kNone, 0, 0, kNone}),
                                            Trig({kQ, kShift, kNone, kNone, 0, 0, kNone}))});
    KeyMap map;
    ASSERT_TRUE(KeyMap::Parse(file, &map));
    const FunctionBinding& a = *map.functions[0];
    ASSERT_NE(a.trigger1Twin, nullptr);
    EXPECT_EQ(a.trigger1Twin->keys[0], kQ);
    EXPECT_EQ(a.trigger1Twin->keys[1], 157);
    EXPECT_EQ(a.trigger1Twin->keys[2], 7);
    EXPECT_EQ(a.trigger1Twin->keys[3], 9);
    ASSERT_NE(a.trigger2Twin, nullptr) << "no condition: an empty twin";
    EXPECT_TRUE(IsEmptyTrigger(*a.trigger2Twin));
    const FunctionBinding& c = *map.functions[1];
    ASSERT_NE(c.trigger1Twin, nullptr);
    EXPECT_TRUE(IsEmptyTrigger(*c.trigger1Twin));
    EXPECT_EQ(c.trigger2Twin, nullptr) << "a condition on another key gets no twin";
}

// A short map would let the controls screen read past its rows.
TEST(KeyMapFile, FunctionsAndAxesTheFileLacksComeFromTheCommandTable) {
    const Bytes file = b.Form("BODY", {Modi(kShift), Func("Only", Trig({kQ, kNone, kNone, kNone, 0, 0, kNone}),
                                                           Unbound())});
    KeyMap map;
    ASSERT_TRUE(KeyMap::Parse(file, &map));
    ASSERT_EQ(map.functions.size(), command_table::kFunctionCount);
    ASSERT_EQ(map.axes.size(), command_table::kAxisCount);
    EXPECT_EQ(map.functions[0]->name, "Only");
    EXPECT_EQ(map.functions[96]->name, command_table::Defaults()[96].name);
    EXPECT_EQ(map.functions[96]->commandCode, EventKey(96));
    EXPECT_EQ(map.axes[3]->name, command_table::AxisDefaults()[3].name);
}

class KeyMapRefusal : public ::testing::Test {
protected:
    // Loads `bytes` into a game state whose bindings were read from `good_`
    // and tells whether they are still exactly those.
    bool KeptWhole(const Bytes& bytes) {
        GameState game;
        EXPECT_TRUE(game.LoadKeyMap(good_));
        EXPECT_FALSE(game.LoadKeyMap(bytes));
        return KeyMap::Build(game.modifierKey, game.functionBindings, game.axisBindings) == goodBuilt_ &&
               game.modifierKeyRight == 157;
    }

    Bytes Good(const Bytes& trig1) {
        return b.Form("BODY", {Modi(kCtrl), Func("Fire", trig1, Unbound()),
                               b.Form("AXIS", {b.Chunk("NAME", Bytes{'Y', 0}), b.Chunk("TRIG", Bytes{2, 0, 0, 0})})});
    }

    void SetUp() override {
        good_ = Good(Trig({kQ, kCtrl, kNone, kNone, 0, 0, 180}));
        KeyMap map;
        ASSERT_TRUE(KeyMap::Parse(good_, &map));
        goodBuilt_ = map.Build();
    }

    Bytes good_, goodBuilt_;
};

TEST_F(KeyMapRefusal, AFileCutAtAnyByteKeepsTheBindings) {
    for (size_t size = 0; size < good_.size(); ++size) {
        SCOPED_TRACE(size);
        EXPECT_TRUE(KeptWhole(Bytes(good_.begin(), good_.begin() + std::ptrdiff_t(size))));
    }
}

TEST_F(KeyMapRefusal, BadValuesAndSizesKeepTheBindings) {
    const Bytes unbound = Unbound();
    const Bytes cases[] = {
        b.Form("BODY", {Modi(43), Func("F", unbound, unbound)}),
        b.Form("BODY", {Func("F", unbound, unbound)}),   // no modifier
        b.Form("BODY", {Modi(kCtrl), Modi(kCtrl)}),
        b.Form("BODY", {b.Chunk("MODI", Bytes{29, 0})}),
        Good(Trig({kQ, kCtrl, kNone, kNone, 0, 0, 45})),
        Good(Trig({kQ, kCtrl, kNone, kNone, 0, 0, 0x8000})),
        Good(Trig({kQ, kCtrl, kNone, kNone, 0, 0})),   // 12 bytes
        b.Form("BODY", {Modi(kCtrl), b.Form("FUNC", {b.Chunk("NAME", "Fire"), b.Chunk("TRIG", unbound),
                                                     b.Chunk("TRIG", unbound)})}),   // no NUL
        b.Form("BODY", {Modi(kCtrl), b.Form("FUNC", {b.Chunk("NAME", Bytes{'F', 0}), b.Chunk("TRIG", unbound)})}),
        b.Form("BODY", {Modi(kCtrl), b.Form("AXIS", {b.Chunk("NAME", Bytes{'Y', 0}),
                                                     b.Chunk("TRIG", Bytes{3, 0, 0, 0})})}),
        b.Form("BODY", {Modi(kCtrl), b.Form("AXIS", {b.Chunk("NAME", Bytes{'Y', 0}),
                                                     b.Chunk("TRIG", Bytes{1, 0, 0xFF, 0xFF})})}),
        ChunkBuilder::Join({b.Header("FORM", 0xFFFFFFFF), ChunkBuilder::Text("BODY")}),
        ChunkBuilder::Join({b.Form("BODY", {Modi(kCtrl)}), b.Form("BODY", {Modi(kCtrl)})}),
        b.Form("MEVT", {Modi(kCtrl)}),
        ChunkBuilder::Join({b.Header("FORM", 12), ChunkBuilder::Text("BODY"), b.Header("MODI", 0xFFFFFFF0)}),
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(i);
        EXPECT_TRUE(KeptWhole(cases[i]));
    }
}

TEST_F(KeyMapRefusal, MoreFunctionsThanEventsIsRefused) {
    const Bytes function = Func("F", Unbound(), Unbound());
    Bytes body = Modi(kCtrl);
    for (uint32_t i = 0; i < KeyMap::kMaxFunctions; ++i) body.insert(body.end(), function.begin(), function.end());
    Bytes file = ChunkBuilder::Join({b.Header("FORM", uint32_t(body.size() + 4)), ChunkBuilder::Text("BODY"), body});
    KeyMap map;
    ASSERT_TRUE(KeyMap::Parse(file, &map)) << "512 fit";
    body.insert(body.end(), function.begin(), function.end());
    file = ChunkBuilder::Join({b.Header("FORM", uint32_t(body.size() + 4)), ChunkBuilder::Text("BODY"), body});
    EXPECT_TRUE(KeptWhole(file));
}

// --- The triggers in the event map -------------------------------------------

class KeyMapInput : public ::testing::Test {
protected:
    KeyMapInput() {
        input_.PlugJoystick();
        system_ = new DirectInputSystem(nullptr);
        system_->OpenDevices();
        game_.TakeInputSystem(system_);
    }
    // The four functions of the file; the rest are the command table's.
    KeySet Fired() {
        system_->Update();
        KeySet mask;
        for (uint32_t n = 0; n < 4; ++n) mask.Set(n);
        system_->Snapshot();
        return game_.EventMap()->Poll(mask);
    }
    void Load(const Bytes& trigWith, const Bytes& trigWithout, const Bytes& trigJoystick) {
        const Bytes file = b.Form("BODY", {Modi(kShift), Func("With", trigWith, Unbound()),
                                           Func("Without", trigWithout, Unbound()),
                                           Func("Stick", Unbound(), trigJoystick), Func("None", Unbound(), Unbound())});
        ASSERT_TRUE(game_.LoadKeyMap(file));
    }

    ScriptedInput input_;
    GameState game_;
    DirectInputSystem* system_;
};

TEST_F(KeyMapInput, ModifierFormsJoystickMasksAndUnboundFunctions) {
    // Q with Shift on function 0; Q refusing both Shifts on function 1.
    Load(Trig({kQ, kShift, kNone, kNone, 0, 0, kNone}), Trig({kQ, kShift + kNot, kRightShift + kNot, kNone, 0, 0, kNone}),
         Trig({0, kNone, kNone, kNone, 2, 0, kNone}));
    const auto only = [](uint32_t number) {
        KeySet set;
        set.Set(number);
        return set;
    };
    EXPECT_TRUE(Fired().IsEmpty());
    input_.Press(kQ);
    EXPECT_EQ(Fired(), only(1)) << "Q alone";
    input_.Press(kShift);
    EXPECT_EQ(Fired(), only(0)) << "left Shift and Q";
    input_.Release(kShift);
    input_.Press(kRightShift);
    EXPECT_EQ(Fired(), only(0)) << "right Shift and Q, through the twin";
    input_.Release(kRightShift);
    input_.Release(kQ);
    input_.FeedJoystickButton(0, true);
    EXPECT_TRUE(Fired().IsEmpty()) << "button 1 is not mask 2";
    input_.FeedJoystickButton(1, true);
    EXPECT_EQ(Fired(), only(2));
    for (uint32_t key = 1; key < 256; ++key) input_.Press(key);
    EXPECT_FALSE(Fired().Test(3)) << "an unbound function never fires";
}

// --- Names ------------------------------------------------------------------------

TEST(KeyNames, EveryCodeHasItsNameOrNone) {
    std::map<uint32_t, std::string> names = {
        {1, "ESC"}, {12, "-"}, {13, "="}, {14, "Bkspc"}, {15, "Tab"}, {26, "["}, {27, "]"}, {28, "Enter"},
        {29, "Ctrl"}, {39, ";"}, {40, "'"}, {41, "`"}, {42, "Shift"}, {43, "\\"}, {51, ","}, {52, "."},
        {53, "//"}, {54, "Shift"}, {55, "*"}, {56, "Alt"}, {57, "Space"}, {58, "Caps"}, {69, "Num"},
        {70, "Scroll"}, {71, "Home"}, {72, "UP"}, {73, "PgUp"}, {74, "GMinus"}, {75, "Left"}, {76, "Cntr"},
        {77, "Right"}, {78, "GPlus"}, {79, "End"}, {80, "Down"}, {81, "PgDown"}, {82, "Insert"}, {83, "Delete"},
        {87, "F11"}, {88, "F12"}, {156, "GEnter"}, {157, "Control"}, {184, "Alt"}, {199, "GHome"}, {200, "GUp"},
        {201, "GPgUp"}, {203, "GLeft"}, {205, "GRight"}, {207, "GEnd"}, {208, "GDown"}, {209, "GPgDn"},
        {210, "GIns"}, {211, "GDel"}};
    const char* const digits = "1234567890";
    for (uint32_t i = 0; i < 10; ++i) names[2 + i] = std::string(1, digits[i]);
    const char* const rows[] = {"QWERTYUIOP", "ASDFGHJKL", "ZXCVBNM"};
    const uint32_t starts[] = {16, 30, 44};
    for (int r = 0; r < 3; ++r) {
        for (uint32_t i = 0; rows[r][i] != 0; ++i) names[starts[r] + i] = std::string(1, rows[r][i]);
    }
    for (uint32_t i = 0; i < 10; ++i) names[59 + i] = "F" + std::to_string(i + 1);
    for (uint32_t code = 0; code < 70000; code = code < 300 ? code + 1 : code * 2) {
        SCOPED_TRACE(code);
        const char* const name = GetKeyName(code);
        const auto it = names.find(code);
        if (it == names.end()) {
            EXPECT_EQ(name, nullptr);
        } else {
            ASSERT_NE(name, nullptr);
            EXPECT_EQ(it->second, name);
        }
    }
}

TEST(KeyNames, AxisNamesAndBindingNames) {
    AxisBinding axis;
    const std::pair<int32_t, const char*> axes[] = {{1, "X-Axis"}, {2, "Y-Axis"}, {4, "Throttle"}, {8, "Rudder"},
                                                    {0, nullptr}, {-1, nullptr}, {3, nullptr}};
    for (const auto& [bits, name] : axes) {
        axis.axisBits = bits;
        if (name == nullptr) EXPECT_EQ(GetAxisName(axis), nullptr) << bits;
        else EXPECT_STREQ(GetAxisName(axis), name);
    }
    FunctionBinding function("F", 3);
    function.trigger1->keys[0] = kQ;
    function.trigger1->keys[1] = kCtrl;
    function.trigger2->joystickButtons = 4;
    EXPECT_STREQ(function.GetKeyName1(), "Q");
    EXPECT_STREQ(function.GetModifierName1(), "Ctrl");
    EXPECT_EQ(function.GetKeyName2(), nullptr);
    EXPECT_EQ(function.GetJoystickButton2(), 4);
}

}  // namespace
