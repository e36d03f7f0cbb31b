#include "shell/CampaignHooks.h"

#include <gtest/gtest.h>

#include "game/GameState.h"
#include "screens/GameMenus.h"
#include "tests/support/world/ScreenHarness.h"
#include "ui/MenuScreen.h"
#include "ui/Screen.h"

// Each refresh after a mission file draws new habitués for the office and
// the common room, inside their lists.
TEST(CampaignHooksTest, RefreshDrawsTheRoomsHabits) {
    ScreenHarness harness;
    GameState::ClearScreenRegistry();
    RegisterGameMenus();
    harness.Game().LoadPlaceScreens(GameState::kNewCareerPlace);
    for (const ScreenSlot slot : {ScreenSlot::kOffice, ScreenSlot::kCommonRoom}) {
        Screen* const room = harness.Game().ScreenIn(slot);
        ASSERT_NE(room, nullptr) << ScreenSlotName(slot);
        ASSERT_GE(room->ambientAnimations.Count(), 2) << room->name;
        room->ambientPick[0] = room->ambientPick[1] = -1;
    }
    RefreshMessageScreens(harness.Game());
    for (const ScreenSlot slot : {ScreenSlot::kOffice, ScreenSlot::kCommonRoom}) {
        const Screen& room = *harness.Game().ScreenIn(slot);
        for (int32_t i = 0; i < 2; ++i) {
            EXPECT_GE(room.ambientPick[i], 0) << room.name;
            EXPECT_LT(room.ambientPick[i], room.ambientAnimations.Count()) << room.name;
        }
    }
    GameState::ClearScreenRegistry();
    FreeMenuSpriteCache();
}
