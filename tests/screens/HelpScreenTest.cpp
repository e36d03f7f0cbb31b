#include "screens/HelpScreen.h"

#include <gtest/gtest.h>

#include "game/GameState.h"
#include "screens/GameMenus.h"
#include "sound/SoundObject.h"
#include "tests/support/world/ScreenHarness.h"
#include "ui/ArtObject.h"
#include "ui/TextBox.h"
#include "ui/UiSounds.h"

// The computer's place builds the help page with its one empty box; opening
// and closing it play one sound each.
TEST(HelpScreenTest, PlaceBuildsItAndOpenAndClosePlayOneSoundEach) {
    ScreenHarness harness;
    GameState::ClearScreenRegistry();
    RegisterGameMenus();
    harness.Game().LoadPlaceScreens(GameState::kFirstPlace);
    GameState::ClearScreenRegistry();
    auto* const help = dynamic_cast<HelpScreen*>(harness.Game().ScreenIn(ScreenSlot::kHelp));
    ASSERT_NE(help, nullptr);
    ASSERT_NE(harness.Game().ScreenIn(ScreenSlot::kTutorial), nullptr);
    auto* const box = dynamic_cast<TextBox*>(help->helpPanel->FindControl("name"));
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->RegionLeft(), 289);
    EXPECT_EQ(box->GetLineCount(), 0);

    help->Open();
    help->Close();
    ASSERT_EQ(harness.Sounds().events.size(), 2u);
    EXPECT_EQ(harness.Sounds().events[0].samples, g_uiSounds[kUiSoundOpenScreen]->samples.get());
    EXPECT_EQ(harness.Sounds().events[1].samples, g_uiSounds[kUiSoundCloseScreen]->samples.get());
    harness.Game().DeleteScreens();
}
