// The flight's commands: the default table and the game state's event map
// made on it.
#include "game/CommandTable.h"

#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <utility>

#include "engine/input/InputEventMap.h"
#include "engine/input/InputSystem.h"
#include "game/GameState.h"
#include "tests/support/ScriptedInput.h"

namespace {

using namespace command_table;

constexpr uint16_t kEscapeKey = 1;

TEST(CommandTable, EveryFunctionHasItsNumberAndNoTwoShareABinding) {
    ASSERT_EQ(Defaults().size(), kFunctionCount);
    std::set<std::pair<uint16_t, bool>> keys;
    std::set<uint16_t> buttons;
    for (uint32_t n = 0; n < kFunctionCount; ++n) {
        const Entry& entry = Defaults()[n];
        SCOPED_TRACE(entry.name);
        EXPECT_EQ(entry.number, n) << "not in command-number order";
        EXPECT_EQ(Find(n), &entry);
        if (entry.key != 0) {
            EXPECT_TRUE(keys.insert({entry.key, entry.withModifier}).second) << "two commands on one key";
        }
        if (entry.joystickButtons != 0) {
            EXPECT_TRUE(buttons.insert(entry.joystickButtons).second);
        }
    }
    EXPECT_EQ(Find(kFunctionCount), nullptr);
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

// A key taken with the modifier fires only its own command, not the plain
// one on the same key, and the other way round.
TEST_F(CommandMapTest, EachDefaultKeyFiresItsCommandAlone) {
    for (const Entry& entry : Defaults()) {
        if (entry.key == 0) continue;
        SCOPED_TRACE(entry.name);
        if (entry.withModifier) input_.Press(kDefaultModifierKey);
        input_.Press(entry.key);
        KeySet expected;
        expected.Set(entry.number);
        EXPECT_EQ(Fired(), expected);
        input_.Release(entry.key);
        if (entry.withModifier) input_.Release(kDefaultModifierKey);
        system_->Update();
        system_->Snapshot();
        EXPECT_TRUE(Fired().IsEmpty());
    }
}

// An unbound function's empty trigger would hold every frame.
TEST_F(CommandMapTest, UnboundFunctionsNeverFire) {
    EXPECT_TRUE(Fired().IsEmpty()) << "nothing held, nothing fires";
    for (uint32_t key = 1; key < 256; ++key) input_.Press(key);
    const KeySet fired = Fired();
    for (const Entry& entry : Defaults()) {
        if (entry.key == 0 && entry.joystickButtons == 0) {
            EXPECT_FALSE(fired.Test(entry.number)) << entry.name;
        }
    }
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

}  // namespace
