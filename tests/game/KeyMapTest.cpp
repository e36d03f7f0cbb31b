// The key map: "controls.iff" read and written, its twins, the triggers it
// gives the game's event map, and the key names.
#include "game/KeyMapFile.h"

#include <gtest/gtest.h>

#include <string>

#include "engine/ByteOrder.h"
#include "engine/input/InputEventMap.h"
#include "engine/input/InputSystem.h"
#include "game/CommandTable.h"
#include "game/GameState.h"
#include "tests/support/ChunkBuilder.h"
#include "tests/support/FaultyFileSystem.h"
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

TEST(KeyMapFile, SavedBindingsReloadEqualWithTheirTwinsRebuilt) {
    const std::pair<uint32_t, uint32_t> modifiers[] = {{29, 157}, {42, 54}, {56, 184}};
    for (const auto& [modifier, right] : modifiers) {
        SCOPED_TRACE(modifier);
        GameState saved;
        saved.modifierKey = modifier;
        FunctionBinding& with = *saved.functionBindings[3];
        *with.trigger1 = *MakeKeyTrigger(kQ);
        with.trigger1->keys[1] = uint16_t(modifier);
        with.trigger1->keys[3] = 0x1234;   // the fourth word is carried, not read
        with.trigger2->joystickButtons = 2;
        with.hatDirection[1] = 90;
        FunctionBinding& without = *saved.functionBindings[4];
        *without.trigger1 = *MakeKeyTrigger(kQ);
        without.trigger1->keys[1] = uint16_t(modifier + kNot);
        without.trigger2->mouseButtons = 1;
        saved.axisBindings[1]->buttonCondition = 4;
        saved.axisBindings[1]->axisBits = -1;

        const TempDir dir;
        const std::string path = dir.Str() + "/controls.iff";
        ASSERT_EQ(saved.SaveKeyMap(path.c_str()), kStatusOk);
        GameState loaded;
        ASSERT_TRUE(loaded.LoadKeyMap(path.c_str()));
        EXPECT_EQ(loaded.modifierKeyRight, right);
        EXPECT_EQ(KeyMap::Build(loaded.modifierKey, loaded.functionBindings, loaded.axisBindings),
                  KeyMap::Build(modifier, saved.functionBindings, saved.axisBindings));
        const FunctionBinding& twinned = *loaded.functionBindings[3];
        ASSERT_NE(twinned.trigger1Twin, nullptr);
        EXPECT_EQ(twinned.trigger1Twin->keys[0], kQ);
        EXPECT_EQ(twinned.trigger1Twin->keys[1], right);
        EXPECT_EQ(twinned.trigger1Twin->keys[3], 0x1234);
        EXPECT_EQ(twinned.hatDirection[0], FunctionBinding::kNoHat);
        EXPECT_EQ(twinned.hatDirection[1], 90);
        EXPECT_EQ(twinned.trigger2->joystickButtons, 2);
        EXPECT_EQ(loaded.functionBindings[4]->trigger1->keys[1], modifier + kNot);
        EXPECT_EQ(loaded.functionBindings[4]->trigger2->mouseButtons, 1);
        EXPECT_EQ(loaded.axisBindings[1]->buttonCondition, 4);
        EXPECT_EQ(loaded.axisBindings[1]->axisBits, -1);
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
    EXPECT_EQ(std::vector<uint16_t>(a.trigger1Twin->keys, a.trigger1Twin->keys + 4),
              (std::vector<uint16_t>{kQ, 157, 7, 9}));
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
    ScriptedInput input_;
    GameState game_;
    DirectInputSystem* system_;
};

TEST_F(KeyMapInput, ModifierFormsJoystickMasksAndUnboundFunctions) {
    // Q with Shift on function 0; Q refusing both Shifts on function 1.
    const Bytes file = b.Form(
        "BODY", {Modi(kShift), Func("With", Trig({kQ, kShift, kNone, kNone, 0, 0, kNone}), Unbound()),
                 Func("Without", Trig({kQ, kShift + kNot, kRightShift + kNot, kNone, 0, 0, kNone}), Unbound()),
                 Func("Stick", Unbound(), Trig({0, kNone, kNone, kNone, 2, 0, kNone})),
                 Func("None", Unbound(), Unbound())});
    ASSERT_TRUE(game_.LoadKeyMap(file));
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

TEST(KeyNames, CodesHaveTheirNamesOrNone) {
    const std::pair<uint32_t, const char*> names[] = {
        {1, "ESC"}, {16, "Q"}, {42, "Shift"}, {53, "//"}, {59, "F1"}, {88, "F12"}, {157, "Control"},
        {211, "GDel"}, {0, nullptr}, {84, nullptr}, {212, nullptr}, {256, nullptr}, {65536, nullptr}};
    for (const auto& [code, name] : names) {
        if (name == nullptr) EXPECT_EQ(GetKeyName(code), nullptr) << code;
        else EXPECT_STREQ(GetKeyName(code), name) << code;
    }
}

TEST(KeyNames, AxisNamesAndBindingNames) {
    AxisBinding axis;
    const std::pair<int32_t, const char*> axes[] = {{1, "X-Axis"}, {8, "Rudder"}, {0, nullptr}, {-1, nullptr},
                                                    {3, nullptr}};
    for (const auto& [bits, name] : axes) {
        axis.axisBits = bits;
        if (name == nullptr) EXPECT_EQ(GetAxisName(axis), nullptr) << bits;
        else EXPECT_STREQ(GetAxisName(axis), name);
    }

    // A binding read from the key map names its keys and conditions and
    // gives its buttons, as the controls screen shows them.
    const Bytes file = b.Form("BODY", {Modi(kCtrl), Func("Fire", Trig({kQ, kCtrl, kNone, kNone, 0, 2, kNone}),
                                                         Trig({59, kShift, kNone, kNone, 4, 0, kNone})),
                                       Func("Odd", Trig({84, kNone, kNone, kNone, 0, 0, kNone}), Unbound())});
    KeyMap map;
    ASSERT_TRUE(KeyMap::Parse(file, &map));
    const FunctionBinding& fire = *map.functions[0];
    EXPECT_STREQ(fire.GetKeyName1(), "Q");
    EXPECT_STREQ(fire.GetModifierName1(), "Ctrl");
    EXPECT_STREQ(fire.GetKeyName2(), "F1");
    EXPECT_STREQ(fire.GetModifierName2(), "Shift");
    EXPECT_EQ(fire.GetMouseButton1(), 2);
    EXPECT_EQ(fire.GetJoystickButton1(), 0);
    EXPECT_EQ(fire.GetMouseButton2(), 0);
    EXPECT_EQ(fire.GetJoystickButton2(), 4);
    const FunctionBinding& odd = *map.functions[1];   // a code without a name, no conditions
    EXPECT_EQ(odd.GetKeyName1(), nullptr);
    EXPECT_EQ(odd.GetModifierName1(), nullptr);
    EXPECT_EQ(odd.GetKeyName2(), nullptr);
}

}  // namespace

// "controls.iff" is replaced whole or not at all: a failed write anywhere,
// a failed rename or a full disk keeps the bindings last written.
TEST(KeyMapFile, AFailedSaveKeepsTheOldMap) {
    const TempDir dir;
    const std::string path = dir.Str() + "/controls.iff";
    GameState game;
    ASSERT_EQ(game.SaveKeyMap(path.c_str()), kStatusOk);
    game.functionBindings[4]->trigger2->mouseButtons = 1;
    ExpectFailedReplaceKeepsTheOldFile(path, [&] { return game.SaveKeyMap(path.c_str()) == kStatusOk; });
    GameState loaded;
    ASSERT_TRUE(loaded.LoadKeyMap(path.c_str()));
    EXPECT_EQ(loaded.functionBindings[4]->trigger2->mouseButtons, 1);
}
