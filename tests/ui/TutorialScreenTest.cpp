#include "ui/TutorialScreen.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/IffFile.h"
#include "game/GameState.h"
#include "sound/SoundObject.h"
#include "display/Bitmap.h"
#include "display/PixelImage.h"
#include "display/FontLoader.h"
#include "game/DataDirectories.h"
#include "tests/support/ChunkBuilder.h"
#include "tests/support/FontFixtures.h"
#include "tests/support/GoldenImage.h"
#include "tests/support/MemoryStream.h"
#include "tests/support/world/ScreenHarness.h"
#include "ui/TextBox.h"
#include "ui/UiSounds.h"

namespace {

using Bytes = ChunkBuilder::Bytes;

Bytes Text(const char* text) { return ChunkBuilder::Text(text); }

// A "tutor.iff" of an introduction and the section "SAVE": two topic forms
// before its overview, the key "SV_LOAD" twice and one key too long to match.
Bytes Tutor() {
    ChunkBuilder b;
    const std::string longKey(130, 'K');
    const auto topic = [&](const std::string& key, const char* text) {
        return b.Form("EVNT", {b.Chunk("ID  ", Text(key.c_str())), b.Chunk("TEXT", Text(text))});
    };
    return b.Form("BASE", {b.Chunk("TEXT", Text("intro")),
                           b.Form("FRAM", {b.Chunk("TEXT", Text("frame"))}),
                           b.Form("SAVE", {topic("SV_LOAD", "load one"), topic(longKey, "long"),
                                           b.Chunk("TEXT", Text("save overview")), topic("SV_LOAD", "load two"),
                                           topic("SV_SAVE", "save")})});
}

// The text a pop-up shows for a key, read from the bytes.
std::string Shown(TutorialScreen& tutorial, const Bytes& bytes, const std::string& key) {
    MemoryStream stream(bytes);
    IffFile file(&stream, 0);
    file.ValidateHeader();
    tutorial.topicKey = key;
    tutorial.ShowFrom(file);
    return tutorial.HasText() ? tutorial.Text() : "(none)";
}

// A host that lays the pop-up's overview over itself as it opens.
class Host : public Screen {
public:
    // Over a black background, which the pop-up's changes repaint.
    Host() : Screen("TUTHOST") {
        background = std::make_unique<Bitmap>();
        background->Create(kWidth, kHeight, Bitmap::kDepth16Bit, true);
        backgroundPixels.pixels = background->pixels;
        backgroundPixels.width = int16_t(kWidth);
        backgroundPixels.height = int16_t(kHeight);
        backgroundPixels.flags = PixelImage::kFormat565;
    }
    void Open() override {
        Screen::Open();
        TutorialScreen::OpenOverview(*this, MakeTag("SAVE"));
    }
};

TutorialScreen& BuildPopUp(ScreenHarness& harness) {
    GameState::ScreenFactory factory;
    factory.create = [](GameState&) -> Screen* { return new TutorialScreen(); };
    factory.destroy = [](Screen* screen) { delete screen; };
    GameState::ClearScreenRegistry();
    GameState::RegisterScreen(TutorialScreen::kScreenName, factory);
    Screen* const built = harness.Game().BuildScreen(ScreenSlot::kTutorial);
    GameState::ClearScreenRegistry();
    return dynamic_cast<TutorialScreen&>(*built);
}

}  // namespace

// The introduction comes first whatever the key; then the overview is the
// section's first "TEXT" even after topic forms; the first of two equal
// keys wins; keys match exactly; a key over 128 bytes matches nothing.
TEST(TutorialScreenTest, TextsFollowIntroductionSectionAndKey) {
    ScreenHarness harness;
    TutorialScreen tutorial;
    const Bytes tutor = Tutor();
    tutorial.SetSection(MakeTag("SAVE"));
    EXPECT_EQ(Shown(tutorial, tutor, "SV_SAVE"), "intro");
    tutorial.introductionPending = 0;
    const std::string longKey(130, 'K');
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"NONE", "save overview"}, {"SV_LOAD", "load one"}, {"SV_SAVE", "save"},
        {"sv_save", "(none)"},     {"SV_", "(none)"},       {longKey, "(none)"},
    };
    for (const auto& [key, text] : cases) EXPECT_EQ(Shown(tutorial, tutor, key), text) << key;
    tutorial.SetSection(MakeTag("QUIT"));
    EXPECT_EQ(Shown(tutorial, tutor, "NONE"), "(none)");
    // Every cut of the file ends in a text or none (run under ASan).
    tutorial.SetSection(MakeTag("SAVE"));
    for (size_t cut = 0; cut < tutor.size(); ++cut) {
        Bytes bytes(tutor.begin(), tutor.begin() + long(cut));
        if (cut >= 8) {
            for (int i = 0; i < 4; ++i) bytes[4 + i] = uint8_t(uint32_t(cut - 8) >> (24 - 8 * i));
        }
        Shown(tutorial, bytes, cut % 2 == 0 ? "NONE" : "SV_SAVE");
    }
}

// Without a text the pop-up's Draw ends at once and its Open plays nothing.
TEST(TutorialScreenTest, NoTextEndsAtOnceSilently) {
    ScreenHarness harness;
    TutorialScreen tutorial;
    EXPECT_EQ(Shown(tutorial, {}, "NONE"), "(none)");
    tutorial.Open();
    EXPECT_TRUE(harness.Sounds().events.empty());
    EXPECT_EQ(tutorial.Draw(), 0);
    tutorial.Close();
}

// "Tutorial Deactivate" switches the overviews off for the run and ends the
// introduction; a help event still shows its topic.
TEST(TutorialScreenTest, DeactivateLeavesHelpTopics) {
    ScreenHarness harness;
    TutorialScreen& tutorial = BuildPopUp(harness);
    Host host;
    tutorial.SetSection(MakeTag("FRAM"));
    tutorial.ShowTopic("NONE");
    ASSERT_TRUE(tutorial.HasText());
    tutorial.edgeEvents.SetEvent(TutorialScreen::kCodeActivate);
    EXPECT_EQ(tutorial.HandleEvent(TutorialScreen::kCodeDeactivate), 0);
    EXPECT_EQ(harness.Game().tutorialsEnabled, 0);
    EXPECT_EQ(tutorial.introductionPending, 0);
    EXPECT_EQ(tutorial.transitionPhase, MenuScreen::kPhaseClosing);

    // No More's key with the pointer on CLOSE: No More wins.
    harness.Game().tutorialsEnabled = 1;
    tutorial.edgeEvents.SetEvent(TutorialScreen::kCodeDeactivate);
    EXPECT_EQ(tutorial.HandleEvent(TutorialScreen::kCodeClose), 0);
    EXPECT_EQ(harness.Game().tutorialsEnabled, 0);

    TutorialScreen::OpenOverview(host, MakeTag("FRAM"));
    EXPECT_EQ(host.tutorialActive, 0);
    TutorialScreen::OpenTopic(host, "FR_OK");
    EXPECT_EQ(host.tutorialActive, 1);
    EXPECT_EQ(tutorial.Text(), "Leaves the computer.");
    tutorial.Close();
}

// The pop-up over a host as the player sees it: the introduction, then
// Enter on "Tutorial Close" shows the section's overview, and the next
// Enter ends the pop-up; one open and one close sound.
TEST(TutorialScreenTest, PopUpOverAHost) {
    ScreenHarness harness;
    TutorialScreen& tutorial = BuildPopUp(harness);
    // The host's own map keeps the keyboard and the mouse on.
    InputTrigger help, spot;
    help.keys[0] = 59;
    spot.xMin = spot.yMin = 0;
    spot.xMax = spot.yMax = 10;
    harness.WriteEventMap("TUTHOST", "tuthost", {{0, spot}, {19, help}});
    ASSERT_TRUE(harness.SetScript("at 3 key Enter\nat 5 key Enter\nat 8 quit\n"));
    harness.CaptureAfterPass(2);
    harness.CaptureAfterPass(4);
    Host host;
    harness.Run(host);
    EXPECT_EQ(host.tutorialActive, 0);
    EXPECT_EQ(tutorial.introductionPending, 0);
    EXPECT_EQ(tutorial.Text(), "Saving and loading. Pick a slot, then save into it or load from it.");
    int32_t opens = 0, closes = 0;
    for (const RecordingSoundLibrary::Event& event : harness.Sounds().events) {
        if (event.kind != RecordingSoundLibrary::Event::kStart) continue;
        opens += event.samples == g_uiSounds[kUiSoundOpenScreen]->samples.get();
        closes += event.samples == g_uiSounds[kUiSoundCloseScreen]->samples.get();
    }
    EXPECT_EQ(opens, 1);
    EXPECT_EQ(closes, 1);
    EXPECT_TRUE(MatchesGolden(harness.Picture(2), "tutorial_intro"));
    EXPECT_TRUE(MatchesGolden(harness.Picture(4), "tutorial_overview"));
}
