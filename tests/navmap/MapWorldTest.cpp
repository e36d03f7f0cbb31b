#include <gtest/gtest.h>

#include <string>

#include "game/GameState.h"
#include "mission/MissionSetUp.h"
#include "mission/ObjectLoader.h"
#include "navmap/WarRoomMapScreen.h"
#include "objects/space/SpaceObject.h"
#include "objects/space/WorldPass.h"
#include "tests/support/GoldenImage.h"
#include "tests/support/world/ScreenHarness.h"
#include "tools/mkdata/MapWorldData.h"
#include "ui/ArtObject.h"
#include "ui/ListBox.h"

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
        auto* const list = dynamic_cast<ListBox*>(screen.artObject->FindControl(MapScreen::kObjectList));
        ASSERT_NE(list, nullptr);
        // The two rocks of one name make one line; the unidentified raider none.
        int32_t rocks = 0;
        for (int32_t i = 0; list->GetItem(i) != nullptr; ++i) {
            rocks += std::string(list->GetItem(i)) == "Rock 1" ? 1 : 0;
            EXPECT_NE(std::string(list->GetItem(i)), "Shadow");
        }
        EXPECT_EQ(rocks, 1);
        screen.SetButtonState(MapScreen::kGoalFilter, -1);
        picture("warnav_mapworld_goals");
    }
    FreeMission();
    GameState::RegisterObjectKind(SpaceObject::kTypePlayerShip, nullptr);
    GameState::RegisterObjectKind(SpaceObject::kTypeAiShip, nullptr);
}

}  // namespace
