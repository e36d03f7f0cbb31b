// The flight's commands: the default table, the game state's event map made
// on it, and the command state that each frame captures from that map.
#include "game/CommandTable.h"

#include <gtest/gtest.h>

#include <memory>
#include <set>

#include "engine/input/InputEventMap.h"
#include "engine/input/InputSystem.h"
#include "game/CommandState.h"
#include "game/GameState.h"
#include "tests/support/ScriptedInput.h"

namespace {

using namespace command_table;

constexpr uint16_t kEscapeKey = 1;
constexpr uint16_t kUpKey = 200;
constexpr uint16_t kLeftKey = 203;
constexpr uint16_t kRightKey = 205;
constexpr uint16_t kDownKey = 208;

TEST(CommandTable, NumbersAndKeysAreDistinctAndStayInTheFlightGroup) {
    std::set<uint32_t> numbers, keys;
    uint32_t previous = 0;
    bool first = true;
    for (const Entry& entry : Defaults()) {
        SCOPED_TRACE(entry.name);
        EXPECT_TRUE(numbers.insert(entry.number).second);
        if (entry.key != 0) EXPECT_TRUE(keys.insert(entry.key).second) << "two commands on one key";
        EXPECT_LT(entry.number, 75u);
        if (!first) EXPECT_GT(entry.number, previous) << "not in command-number order";
        previous = entry.number;
        first = false;
        EXPECT_EQ(Find(entry.number), &entry);
    }
    for (const uint16_t kept : {kRadarRange, kRadarMode, kBoost}) EXPECT_EQ(Find(kept), nullptr) << kept;
    EXPECT_EQ(Find(511), nullptr);
}

TEST(CommandTable, ArrowsSteerAndEscapePauses) {
    const struct {
        uint16_t command, key;
    } pinned[] = {{kPause, kEscapeKey}, {kNoseDown, kUpKey}, {kNoseUp, kDownKey}, {kYawLeft, kLeftKey},
                  {kYawRight, kRightKey}};
    for (const auto& p : pinned) {
        ASSERT_NE(Find(p.command), nullptr) << p.command;
        EXPECT_EQ(Find(p.command)->key, p.key) << Find(p.command)->name;
    }
}

class CommandMapTest : public ::testing::Test {
protected:
    CommandMapTest() {
        system_ = new DirectInputSystem(nullptr);
        system_->OpenDevices();
        game_.TakeInputSystem(system_);
    }
    KeySet Fired() {
        system_->Update();
        return game_.EventMap()->Poll(~KeySet{});
    }

    ScriptedInput input_;
    GameState game_;
    DirectInputSystem* system_;
};

TEST_F(CommandMapTest, EachDefaultKeyFiresItsCommandAlone) {
    ASSERT_NE(game_.EventMap(), nullptr);
    for (const Entry& entry : Defaults()) {
        SCOPED_TRACE(entry.name);
        input_.Press(entry.key);
        KeySet expected;
        expected.Set(entry.number);
        EXPECT_EQ(Fired(), expected);
        input_.Release(entry.key);
        system_->Update();
        system_->Snapshot();
        EXPECT_TRUE(Fired().IsEmpty());
    }
}

// Whatever is held, radar range, radar mode and boost stay free for the key map.
TEST_F(CommandMapTest, NoKeyFiresTheKeptCommands) {
    for (uint32_t key = 1; key < 256; ++key) input_.Press(key);
    const KeySet fired = Fired();
    EXPECT_TRUE(fired.Test(kPause));
    for (const uint16_t kept : {kRadarRange, kRadarMode, kBoost}) EXPECT_FALSE(fired.Test(kept)) << kept;
}

TEST_F(CommandMapTest, ANewInputSystemGetsTheCommandsAgainAndNoneDropsThem) {
    auto* const second = new DirectInputSystem(nullptr);
    second->OpenDevices();
    game_.TakeInputSystem(second);
    system_ = second;
    input_.Press(kEscapeKey);
    EXPECT_TRUE(Fired().Test(kPause));
    game_.TakeInputSystem(nullptr);
    EXPECT_EQ(game_.EventMap(), nullptr);
}

TEST(CommandState, APressCountsOnceWhileTheCommandStaysHeld) {
    KeySet fire, none;
    fire.Set(kFire);
    CommandState state;
    const bool expected[][2] = {{true, true}, {true, false}, {false, false}, {true, true}};
    const KeySet* frames[] = {&fire, &fire, &none, &fire};
    for (int frame = 0; frame < 4; ++frame) {
        state.Capture(*frames[frame]);
        EXPECT_EQ(state.IsHeld(kFire), expected[frame][0]) << frame;
        EXPECT_EQ(state.WasPressed(kFire), expected[frame][1]) << frame;
    }
    // After a clear, a command still held is new again.
    state.Clear();
    EXPECT_FALSE(state.IsHeld(kFire));
    state.Capture(fire);
    EXPECT_TRUE(state.WasPressed(kFire));
    EXPECT_FALSE(state.IsHeld(CommandState::kCommands));
    EXPECT_FALSE(state.WasPressed(0xFFFFFFFFu));
}

}  // namespace
