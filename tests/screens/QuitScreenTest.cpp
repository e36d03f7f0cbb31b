#include "screens/QuitScreen.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>

#include "game/CareerRecord.h"
#include "game/GameState.h"
#include "screens/FrameScreen.h"
#include "screens/GameMenus.h"
#include "screens/PilotNotices.h"
#include "sound/SoundObject.h"
#include "tests/support/GoldenImage.h"
#include "tests/support/RecordingMessageBox.h"
#include "tests/support/ScopedInstall.h"
#include "tests/support/TempDir.h"
#include "tests/support/world/RecordingNetSession.h"
#include "tests/support/world/ScreenHarness.h"
#include "ui/TutorialScreen.h"
#include "ui/UiSounds.h"

namespace {

// Points inside the sample dialogs' two buttons.
constexpr const char* kFirstButton = "250 274";
constexpr const char* kSecondButton = "390 274";
constexpr int32_t kVoiceQuit = 50;

// One dialog run on the sample data, with the game's pop-up built and its
// files in a folder of their own.
template <typename Dialog>
struct DialogRun {
    explicit DialogRun(int32_t tutorials = 0) {
        GameState::ClearScreenRegistry();
        RegisterGameMenus();
        harness.Game().SetConfigFolder(folder.Str());
        harness.Game().BuildScreen(ScreenSlot::kTutorial);
        Tutorial()->introductionPending = 0;
        harness.Game().tutorialsEnabled = tutorials;
        harness.Game().mode = GameState::kModePause;
    }
    ~DialogRun() {
        harness.Game().netSession = nullptr;
        harness.Game().DeleteScreens();
        GameState::ClearScreenRegistry();
    }
    void Run(const std::string& script, int32_t passes = 12) {
        ASSERT_TRUE(harness.SetScript(script));
        harness.SetPassLimit(passes);
        harness.Run(dialog);
    }
    bool Played(int32_t index) const {
        const auto& events = const_cast<ScreenHarness&>(harness).Sounds().events;
        return std::any_of(events.begin(), events.end(), [&](const RecordingSoundLibrary::Event& event) {
            return event.samples == g_uiSounds[index]->samples.get();
        });
    }
    TutorialScreen* Tutorial() {
        return dynamic_cast<TutorialScreen*>(harness.Game().ScreenIn(ScreenSlot::kTutorial));
    }
    bool PilotWritten() const {
        const std::string pilot = std::string(const_cast<ScreenHarness&>(harness).Game().career->GetPilotName()) + ".plr";
        return std::filesystem::exists(folder.Path() / pilot);
    }

    TempDir folder;
    ScreenHarness harness;
    Dialog dialog;
};

}  // namespace

// Y in either dialog ends the game with no next screen; only the quit
// dialog says so aloud, and only a network game writes the pilot file.
TEST(QuitScreenTest, YesQuitsAndOnlyANetworkGameWritesThePilot) {
    {
        DialogRun<QuitScreen> run;
        run.harness.Game().nextScreen = &run.dialog;
        run.Run("at 2 key Y\n");
        EXPECT_EQ(run.harness.Game().mode, GameState::kModeQuit);
        EXPECT_EQ(run.harness.Game().nextScreen, nullptr);
        EXPECT_TRUE(run.Played(kVoiceQuit));
        EXPECT_FALSE(run.PilotWritten());
    }
    {
        DialogRun<PauseScreen> run;
        RecordingNetSession session(true);
        run.harness.Game().netSession = &session;
        run.Run("at 2 key Y\n");
        EXPECT_EQ(run.harness.Game().mode, GameState::kModeQuit);
        EXPECT_FALSE(run.Played(kVoiceQuit));
        EXPECT_TRUE(run.PilotWritten());
    }
}

// Quitting a network game writes the pilot's file; a file that cannot be
// written (a name no file carries, read from an old pilot file, or a folder
// gone) is told to the player, not dropped in silence.
TEST(QuitScreenTest, APilotFileThatCannotBeWrittenIsTold) {
    for (const bool badName : {true, false}) {
        SCOPED_TRACE(badName ? "a name no file carries" : "a folder gone");
        RecordingMessageBox boxes;
        ScopedInstall<platform::MessageBox> installed(boxes);
        DialogRun<PauseScreen> run;
        RecordingNetSession session(true);
        run.harness.Game().netSession = &session;
        CareerRecord& career = *run.harness.Game().career;
        if (badName) {
            std::snprintf(career.pilotName, sizeof career.pilotName, "%s", "../x");
        } else {
            run.harness.Game().SetConfigFolder(run.folder.Str() + "/gone");
        }
        run.Run("at 2 key Y\n");
        EXPECT_EQ(run.harness.Game().mode, GameState::kModeQuit);
        ASSERT_EQ(boxes.Boxes().size(), 1u);
        EXPECT_EQ(boxes.Boxes()[0].text, pilot_notices::kNotWrittenText);
        EXPECT_FALSE(std::filesystem::exists(run.folder.Path().parent_path() / "x.plr"));
    }
}

// No goes back to the screen that opened the quit dialog (set through the
// frame's hook), or to none; the pause dialog's No leaves the pause mode to
// the flight loop.
TEST(QuitScreenTest, NoReturnsToTheOpenerOrNone) {
    {
        DialogRun<QuitScreen> run;
        TutorialScreen* const opener = run.Tutorial();
        ASSERT_NE(FrameScreen::setQuitReturn, nullptr);
        FrameScreen::setQuitReturn(run.dialog, opener);
        run.Run("at 2 key Escape\n");
        EXPECT_EQ(run.harness.Game().nextScreen, opener);
        EXPECT_EQ(run.harness.Game().mode, GameState::kModePause);
    }
    {
        DialogRun<QuitScreen> run;
        run.harness.Game().nextScreen = &run.dialog;
        run.Run(std::string("at 2 move ") + kSecondButton + "\nat 3 key Enter\n");
        EXPECT_EQ(run.harness.Game().nextScreen, nullptr);
        EXPECT_NE(run.harness.Game().mode, GameState::kModeQuit);
    }
}

// Resume flies on; Options makes the frame menu next.
TEST(QuitScreenTest, PauseResumesOrOpensTheFrame) {
    {
        DialogRun<PauseScreen> run;
        run.Run(std::string("at 2 move ") + kFirstButton + "\nat 3 key Enter\n");
        EXPECT_EQ(run.harness.Game().mode, GameState::kModeFlight);
        EXPECT_EQ(run.harness.Game().nextScreen, nullptr);
    }
    {
        DialogRun<PauseScreen> run;
        run.Run(std::string("at 2 click ") + kSecondButton + "\n");
        ASSERT_NE(run.harness.Game().nextScreenName, nullptr);
        EXPECT_STREQ(run.harness.Game().nextScreenName, "FRAME");
        EXPECT_EQ(run.harness.Game().mode, GameState::kModePause);
    }
}

// With tutorials off no pop-up opens, but help on a button shows its topic;
// with them on the dialog opens on the section's overview.
TEST(QuitScreenTest, TutorialsOffOpensNoPopUpButHelpShowsTheTopic) {
    {
        DialogRun<QuitScreen> run;
        run.dialog.Open();
        EXPECT_EQ(run.dialog.tutorialActive, 0);
        run.dialog.Close();
        run.Run(std::string("at 2 move ") + kFirstButton + "\nat 3 key F1\n", 4);
        EXPECT_NE(run.dialog.tutorialActive, 0);
        EXPECT_EQ(run.Tutorial()->Text(), "Leaves the game.");
        run.Tutorial()->Close();
    }
    {
        DialogRun<PauseScreen> run(1);
        run.dialog.Open();
        EXPECT_NE(run.dialog.tutorialActive, 0);
        EXPECT_EQ(run.Tutorial()->section, MakeTag("QUIT"));
        run.Tutorial()->Close();
        run.dialog.Close();
    }
}

// The pop-up over the dialog takes the keys: Escape closes it, and while
// it stays held it is no new No to the dialog beneath.
TEST(QuitScreenTest, ThePopUpOverTheDialogTakesTheKeys) {
    DialogRun<QuitScreen> run(1);
    TutorialScreen* const opener = run.Tutorial();
    FrameScreen::setQuitReturn(run.dialog, opener);
    run.harness.Game().nextScreen = &run.dialog;
    run.Run("at 3 press Escape\nat 8 release Escape\n");
    EXPECT_EQ(run.dialog.tutorialActive, 0);
    EXPECT_EQ(run.harness.Game().nextScreen, &run.dialog);
}

TEST(QuitScreenTest, GoldenPictures) {
    {
        DialogRun<QuitScreen> run;
        run.harness.CaptureAfterPass(4);
        run.Run("", 5);
        EXPECT_TRUE(MatchesGolden(run.harness.Picture(4), "quit_dialog"));
    }
    {
        DialogRun<PauseScreen> run;
        run.harness.CaptureAfterPass(4);
        run.Run(std::string("at 2 move ") + kFirstButton + "\n", 5);
        EXPECT_TRUE(MatchesGolden(run.harness.Picture(4), "pause_dialog"));
    }
}


// By keyboard alone: Tab to the first button, Tab on to the second, Shift-Tab
// back, and Enter presses the first: Yes in the quit dialog, Resume in the
// pause dialog.
TEST(QuitScreenTest, TabWalksTheButtonsAndEnterPressesTheOneReached) {
    const std::string script = "at 2 move 0 0\nat 3 key 15\nat 5 key 15\n"
                               "at 7 press 42\nat 7 key 15\nat 8 release 42\nat 10 key Enter\n";
    {
        DialogRun<QuitScreen> run;
        run.Run(script, 14);
        EXPECT_EQ(run.harness.Game().mode, GameState::kModeQuit);
    }
    {
        DialogRun<PauseScreen> run;
        run.Run(script, 14);
        EXPECT_EQ(run.harness.Game().mode, GameState::kModeFlight);
    }
}
