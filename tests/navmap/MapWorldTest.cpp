#include <gtest/gtest.h>

#include "game/GameState.h"
#include "mission/MissionSetUp.h"
#include "mission/ObjectLoader.h"
#include "navmap/WarRoomMapScreen.h"
#include "objects/space/SpaceObject.h"
#include "objects/space/WorldPass.h"
#include "tests/support/GoldenImage.h"
#include "tests/support/world/ScreenHarness.h"
#include "tools/mkdata/MapWorldData.h"

namespace {

// The war-room map of the sample tree's map mission, as the war room opens
// it: its objects, then its goals.
TEST(MapWorld, TheWarRoomMapShowsTheMissionsObjectsThenItsGoals) {
    ScreenHarness harness;
    harness.Game().tutorialsEnabled = 0;
    RegisterSpaceObjects();
    DefinitionLibrary::RegisterCoreBuilders();
    ASSERT_EQ(SetUpMission(kMapWorldMissionFile, -1), kStatusOk);
    {
        WarRoomMapScreen screen;
        const auto picture = [&](const char* golden) {
            const int32_t third = harness.Passes() + 3;
            harness.SetPassLimit(third);
            harness.CaptureAfterPass(third);
            harness.Run(screen);
            EXPECT_TRUE(MatchesGolden(harness.Picture(third), golden));
        };
        picture("warnav_mapworld_objects");
        screen.SetButtonState(MapScreen::kGoalFilter, -1);
        picture("warnav_mapworld_goals");
    }
    FreeMission();
    GameState::RegisterObjectKind(SpaceObject::kTypePlayerShip, nullptr);
    GameState::RegisterObjectKind(SpaceObject::kTypeAiShip, nullptr);
}

}  // namespace
