// The flight's commands: the default table and the game state's event map
// made on it.
#include "game/CommandTable.h"

#include <gtest/gtest.h>

#include <memory>
#include <set>

#include "engine/input/InputEventMap.h"
#include "engine/input/InputSystem.h"
#include "game/GameState.h"
#include "tests/support/ScriptedInput.h"

namespace {

using namespace command_table;

constexpr uint16_t kEscapeKey = 1;

TEST(CommandTable, NumbersAndKeysAreDistinctAndStayInTheFlightGroup) {
    std::set<uint32_t> numbers, keys;
    uint32_t previous = 0;
    bool first = true;
    for (const Entry& entry : Defaults()) {
        SCOPED_TRACE(entry.name);
        EXPECT_TRUE(numbers.insert(entry.number).second);
        if (entry.key != 0) {
            EXPECT_TRUE(keys.insert(entry.key).second) << "two commands on one key";
        }
        EXPECT_LT(entry.number, uint32_t(kChat));
        if (!first) {
            EXPECT_GT(entry.number, previous) << "not in command-number order";
        }
        previous = entry.number;
        first = false;
        EXPECT_EQ(Find(entry.number), &entry);
    }
    for (const uint16_t kept : {kRadarRange, kBoost}) EXPECT_EQ(Find(kept), nullptr) << kept;
    EXPECT_EQ(Find(511), nullptr);
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

// Whatever is held, radar range and boost stay free for the key map.
TEST_F(CommandMapTest, NoKeyFiresTheKeptCommands) {
    for (uint32_t key = 1; key < 256; ++key) input_.Press(key);
    const KeySet fired = Fired();
    EXPECT_TRUE(fired.Test(kPause));
    for (const uint16_t kept : {kRadarRange, kBoost}) EXPECT_FALSE(fired.Test(kept)) << kept;
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
