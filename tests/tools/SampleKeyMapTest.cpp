// What mkdata writes as "controls.iff", read back by the game.
#include <gtest/gtest.h>

#include <string>

#include "game/CommandTable.h"
#include "game/GameState.h"
#include "tests/support/TempDir.h"
#include "tools/mkdata/KeyMapData.h"

namespace {

TEST(SampleKeyMap, TheWrittenMapLoadsWithEveryCommandOnItsTableBinding) {
    const TempDir dir;
    const std::string path = dir.Str() + "/controls.iff";
    ASSERT_TRUE(WriteKeyMapFile(path.c_str()));
    GameState game;
    game.functionBindings.clear();
    ASSERT_TRUE(game.LoadKeyMap(path.c_str()));
    EXPECT_EQ(game.modifierKey, command_table::kDefaultModifierKey);
    ASSERT_EQ(game.functionBindings.size(), command_table::kFunctionCount);
    for (const command_table::Entry& entry : command_table::Defaults()) {
        SCOPED_TRACE(entry.name);
        const FunctionBinding& function = *game.functionBindings[entry.number];
        EXPECT_EQ(function.name, entry.name);
        EXPECT_EQ(function.trigger1->keys[0], entry.key != 0 ? entry.key : KeyTrigger::kNone);
        EXPECT_EQ(function.trigger2->joystickButtons, entry.joystickButtons);
    }
    ASSERT_EQ(game.axisBindings.size(), command_table::kAxisCount);
    for (const command_table::AxisEntry& entry : command_table::AxisDefaults()) {
        EXPECT_EQ(game.axisBindings[entry.number]->name, entry.name);
        EXPECT_EQ(game.axisBindings[entry.number]->axisBits, entry.axisBits);
    }
}

}  // namespace
