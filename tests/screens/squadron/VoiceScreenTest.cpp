#include "screens/squadron/VoiceScreen.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "display/Palette.h"
#include "game/GameState.h"
#include "game/MessageList.h"
#include "mission/CampaignMessages.h"
#include "game/ScreenSlots.h"
#include "screens/FrameScreen.h"
#include "screens/GameMenus.h"
#include "tests/support/GoldenImage.h"
#include "tests/support/world/ScreenHarness.h"
#include "ui/ArtObject.h"
#include "ui/FacePicture.h"
#include "ui/ListBox.h"

namespace {

MessageEntry* Add(MessageList& list, const char* title, int32_t active, int32_t read, int32_t face) {
    auto entry = std::make_unique<MessageEntry>();
    entry->title = title;
    entry->active = active;
    entry->read = read;
    entry->face = face;
    return list.Append(std::move(entry));
}

}  // namespace

TEST(VoiceScreenFill, ActiveMessagesOnlyTheFirstYellowWithItsFace) {
    ScreenHarness harness;
    GameState& game = harness.Game();
    harness.ThePalette().Conversion().Build();
    VoiceScreen screen;
    auto* const list = dynamic_cast<ListBox*>(screen.panel->FindControl(VoiceScreen::kListName));
    auto* const face = dynamic_cast<FacePicture*>(screen.panel->FindControl(VoiceScreen::kFaceName));
    ASSERT_NE(list, nullptr);
    ASSERT_NE(face, nullptr);
    const struct {
        int32_t face;
        int32_t shown;
    } faces[] = {{111, -1}, {112, 0}, {115, 3}, {-7, -1}};
    for (const auto& row : faces) {
        game.voice.Clear();
        Add(game.voice, "Gone", 0, 0, 113);
        MessageEntry* const first = Add(game.voice, std::string(20000, 'x').c_str(), 5, 1, row.face);
        Add(game.voice, "Second", 1, 0, 113);
        screen.FillLists();
        EXPECT_EQ(face->Index(), row.shown) << row.face;
        EXPECT_EQ(first->active, 1);
        const TextBlock* const block = list->GetBlock(0);
        ASSERT_EQ(block->LineCount(), 2);
        EXPECT_EQ(block->lines[0].size(), 20000u);
        EXPECT_EQ(block->lineColours[0], screen.firstRowColour);
        EXPECT_NE(block->lineColours[0], block->lineColours[1]);
    }
    game.voice.Clear();
    Add(game.voice, "Gone", 0, 0, 113);
    screen.FillLists();
    EXPECT_EQ(list->GetBlock(0)->LineCount(), 0);
    EXPECT_EQ(face->Index(), -1);
}

// The frame's squadron menu leads to the voice messages of the training.
TEST(VoiceScreenPicture, Golden) {
    ScreenHarness harness;
    GameState& game = harness.Game();
    game.tutorialsEnabled = 0;
    GameState::ClearScreenRegistry();
    RegisterGameMenus();
    game.LoadPlaceScreens(GameState::kNewCareerPlace);
    StartTraining(game);
    ASSERT_TRUE(harness.SetScript("at 2 click 28 137\nat 4 click 28 329\nat 10 move 300 470\n"));
    harness.CaptureAfterPass(12);
    harness.SetPassLimit(13);
    harness.Run(*game.ScreenIn(ScreenSlot::kFrame));
    EXPECT_TRUE(MatchesGolden(harness.Picture(12), "voice_screen"));
    game.DeleteScreens();
    GameState::ClearScreenRegistry();
}

// The voice page answers no key: F1 over it opens no help and the frame
// keeps showing it.
TEST(VoiceScreenKeys, TheEmbeddedPageAnswersNoKey) {
    ScreenHarness harness;
    GameState& game = harness.Game();
    game.tutorialsEnabled = 0;
    GameState::ClearScreenRegistry();
    RegisterGameMenus();
    game.LoadPlaceScreens(GameState::kNewCareerPlace);
    StartTraining(game);
    auto* const frame = dynamic_cast<FrameScreen*>(game.ScreenIn(ScreenSlot::kFrame));
    ASSERT_NE(frame, nullptr);
    ASSERT_TRUE(harness.SetScript("at 2 click 28 137\nat 4 click 28 329\nat 10 move 300 300\nat 11 key F1\n"));
    Screen* shown = nullptr;
    int32_t tutorial = -1;
    harness.AtPass(13, [&] {
        shown = frame->subScreen;
        tutorial = frame->tutorialActive + game.ScreenIn(ScreenSlot::kVoice)->tutorialActive;
    });
    harness.SetPassLimit(14);
    harness.Run(*frame);
    EXPECT_EQ(shown, game.ScreenIn(ScreenSlot::kVoice));
    EXPECT_EQ(tutorial, 0);
    EXPECT_EQ(harness.Passes(), 14);
    game.DeleteScreens();
    GameState::ClearScreenRegistry();
}
