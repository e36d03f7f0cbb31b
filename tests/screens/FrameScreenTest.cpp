#include "screens/FrameScreen.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "game/GameState.h"
#include "game/KeyBindings.h"
#include "screens/GameMenus.h"
#include "tests/support/GoldenImage.h"
#include "tests/support/RecordingScreen.h"
#include "tests/support/world/ScreenHarness.h"
#include "ui/UiSounds.h"

namespace {

// Points inside the sample frame's buttons: the categories, OK and the
// four sub-menu slots of the left column.
constexpr const char* kComm = "28 73";
constexpr const char* kEquip = "28 105";
constexpr const char* kArch = "28 169";
constexpr const char* kOk = "28 453";
constexpr const char* kSlot1 = "28 233";
constexpr const char* kSlot2 = "28 265";
constexpr const char* kSlot4 = "28 329";

std::string Click(int32_t pass, const char* point) {
    return "at " + std::to_string(pass) + " click " + point + "\n";
}

Screen* g_quitReturn = nullptr;

// The game's menus, with recording pages in the slots the frame embeds and
// leads to; `recordOptions` puts one in the options slot too.
struct FrameRun {
    explicit FrameRun(bool recordOptions = false, bool realMenusOnly = false) {
        GameState::ClearScreenRegistry();
        RegisterGameMenus();
        tally.log = &log;
        if (!realMenusOnly) {
            RecordingScreen::Register<ScreenSlot::kMissions>(tally);
            RecordingScreen::Register<ScreenSlot::kEncyclopedia>(tally);
            RecordingScreen::Register<ScreenSlot::kControls>(tally);
            RecordingScreen::Register<ScreenSlot::kOffice>(tally);
            RecordingScreen::Register<ScreenSlot::kQuit>(tally);
            if (recordOptions) RecordingScreen::Register<ScreenSlot::kOptions>(tally);
        }
        harness.Game().tutorialsEnabled = 0;
        harness.Game().LoadPlaceScreens(GameState::kNewCareerPlace);
        frame = dynamic_cast<FrameScreen*>(harness.Game().ScreenIn(ScreenSlot::kFrame));
        g_quitReturn = nullptr;
        FrameScreen::setQuitReturn = [](Screen&, Screen* returnTo) { g_quitReturn = returnTo; };
    }
    ~FrameRun() {
        FrameScreen::setQuitReturn = nullptr;
        harness.Game().DeleteScreens();
        GameState::ClearScreenRegistry();
    }
    void Run(const std::string& script, int32_t passes) {
        ASSERT_NE(frame, nullptr);
        ASSERT_TRUE(harness.SetScript(script));
        harness.SetPassLimit(passes);
        harness.Run(*frame);
    }
    Screen* Slot(ScreenSlot slot) { return harness.Game().ScreenIn(slot); }
    RecordingScreen* Page(ScreenSlot slot) { return dynamic_cast<RecordingScreen*>(Slot(slot)); }
    int Count(const std::string& entry) const { return int(std::count(log.begin(), log.end(), entry)); }
    // Where the entry first stands in the log; -1 when it is not there.
    int Index(const std::string& entry) const {
        const auto it = std::find(log.begin(), log.end(), entry);
        return it == log.end() ? -1 : int(it - log.begin());
    }

    ScreenHarness harness;
    std::vector<std::string> log;
    RecordingScreen::Tally tally;
    FrameScreen* frame = nullptr;
};

}  // namespace

// A category switch closes the page at once and leads through the main
// panel to the new sub-menu, the main panel the only one stacked.
TEST(FrameScreenTest, ACategorySwitchClosesThePageAndEndsOnTheNewSubMenu) {
    FrameRun run;
    run.Run(Click(2, kComm) + Click(4, kSlot1) + Click(6, kEquip), 9);
    ASSERT_EQ(run.Count("open MISSIONS"), 1);
    ASSERT_EQ(run.Count("close MISSIONS"), 1);
    // Two passes embedded (the click's and the next), none after the switch.
    EXPECT_EQ(run.Count("draw MISSIONS -1") + run.Count("draw MISSIONS 1"), 2);
    EXPECT_EQ(run.frame->currentPanel, run.frame->equipPanel);
    EXPECT_EQ(run.harness.Passes(), 9);
}

// OK leads to the office, or to the room that set the return screen; the
// frame ends with the pass of the click.
TEST(FrameScreenTest, OkLeadsToTheOfficeOrTheReturnScreen) {
    for (const bool withReturn : {false, true}) {
        SCOPED_TRACE(withReturn ? "return screen" : "office");
        FrameRun run;
        Screen* const room = run.Slot(ScreenSlot::kEncyclopedia);
        if (withReturn) run.frame->returnScreen = room;
        run.Run(Click(2, kOk), 10);
        EXPECT_EQ(run.harness.Passes(), 3);   // the loop pumps once more to find it ended
        EXPECT_EQ(run.harness.Game().currentScreen, withReturn ? room : run.Slot(ScreenSlot::kOffice));
    }
}

// Escape with a page embedded closes the page, and the quit dialog comes
// next with the frame to go back to.
TEST(FrameScreenTest, TheQuitRequestClosesThePageAndLeadsToTheQuitDialog) {
    FrameRun run;
    run.Run(Click(2, kArch) + Click(4, kSlot1) + "at 6 key Escape\n", 12);
    EXPECT_EQ(run.harness.Passes(), 7);
    EXPECT_EQ(run.Count("close ENCYC"), 1);
    EXPECT_EQ(run.harness.Game().currentScreen, run.Slot(ScreenSlot::kQuit));
    EXPECT_EQ(g_quitReturn, run.frame);
}

// Escape while a cell of the controls page waits for its key is the key
// awaited: the frame runs on with the page, and no quit dialog comes; once
// nothing waits, Escape asks to quit again.
TEST(FrameScreenTest, EscapeIsNoQuitWhileTheControlsPageWaitsForAKey) {
    for (const bool waiting : {true, false}) {
        SCOPED_TRACE(waiting ? "a cell waits" : "nothing waits");
        FrameRun run(false, true);
        GameState& game = run.harness.Game();
        for (uint32_t i = 0; i < 8; ++i) {
            game.functionBindings.push_back(std::make_unique<FunctionBinding>(("F" + std::to_string(i)).c_str(), i));
        }
        // The first row's key cell of the first binding, or beside the cells.
        run.Run(Click(2, kArch) + Click(10, kSlot4) + Click(20, waiting ? "400 129" : "400 300") +
                    "at 25 key Escape\n", 30);
        EXPECT_EQ(run.harness.Passes(), waiting ? 30 : 26);
        EXPECT_EQ(game.currentScreen == run.Slot(ScreenSlot::kQuit), !waiting);
        game.capturedKeys = nullptr;
        game.functionBindings.clear();
    }
}

// A page's pass after its button's click runs with the dispatch blocked,
// except the controls page, which runs its own pass at once.
TEST(FrameScreenTest, TheEmbeddedPassRunsBlockedAfterAClickButNotForTheControls) {
    FrameRun run;
    run.Run(Click(2, kArch) + Click(4, kSlot1) + Click(6, kSlot4), 8);
    const int encyclopedia = run.Index("open ENCYC");
    ASSERT_GE(encyclopedia, 0);
    EXPECT_EQ(run.log[size_t(encyclopedia) + 1], "draw ENCYC -1");
    const int controls = run.Index("open CONTROL");
    ASSERT_GT(controls, 0);
    EXPECT_EQ(run.log[size_t(controls) - 1], "close ENCYC");
    EXPECT_EQ(run.log[size_t(controls) + 1], "draw CONTROL 1");
}

// A page whose pass answers 0 is closed while the frame runs on; a window
// closed over an embedded page still runs the page's Close.
TEST(FrameScreenTest, APageThatEndsClosesAndAQuitMessageClosesThePage) {
    {
        FrameRun run;
        run.Page(ScreenSlot::kEncyclopedia)->drawResult = 0;
        run.Run(Click(2, kArch) + Click(4, kSlot1), 10);
        EXPECT_EQ(run.Count("draw ENCYC -1"), 1);
        EXPECT_EQ(run.Count("close ENCYC"), 1);
        EXPECT_EQ(run.harness.Passes(), 10);
        EXPECT_EQ(run.frame->currentPanel, run.frame->archivesPanel);
    }
    {
        FrameRun run;
        run.Run(Click(2, kArch) + Click(4, kSlot1) + "at 6 quit\n", 10);
        ASSERT_FALSE(run.log.empty());
        EXPECT_EQ(run.log.back(), "close ENCYC");
    }
}

// In flight the frame opens on the options page, and OK ends it at once
// with no next screen chosen.
TEST(FrameScreenTest, InFlightOkEndsAtOnceWithoutANextScreen) {
    FrameRun run(true);
    run.frame->inFlightOptions = 1;
    // Resting on OK first only lights it.
    run.Run(std::string("at 6 move ") + kOk + "\n" + Click(8, kOk), 12);
    EXPECT_EQ(run.harness.UiSoundCount(kUiSoundHotspot), 1);
    EXPECT_EQ(run.harness.Passes(), 9);
    EXPECT_EQ(run.Count("open OPTI"), 1);
    EXPECT_EQ(run.Count("close OPTI"), 1);
    EXPECT_EQ(run.harness.Game().nextScreen, nullptr);
}

// The introduction shows on a plain visit only.
TEST(FrameScreenTest, TheIntroductionShowsOnlyOnAPlainVisit) {
    FrameRun run;
    GameState& game = run.harness.Game();
    game.tutorialsEnabled = 1;
    Screen* const tutorial = run.Slot(ScreenSlot::kTutorial);
    ASSERT_NE(tutorial, nullptr);
    run.frame->Open();
    EXPECT_EQ(run.frame->tutorialActive, 1);
    tutorial->Close();
    run.frame->tutorialActive = 0;
    run.frame->Close();

    run.frame->pendingSubScreen = run.Slot(ScreenSlot::kEncyclopedia);
    run.frame->Open();
    EXPECT_EQ(run.frame->tutorialActive, 0);
    EXPECT_EQ(run.frame->subScreen, run.Slot(ScreenSlot::kEncyclopedia));
    run.frame->Close();
    EXPECT_EQ(run.Count("close ENCYC"), 1);
}

// The frame's main panel, and the frame with the save page and with the
// options page embedded.
TEST(FrameScreenTest, GoldenPictures) {
    const struct {
        const char* golden;
        bool saveReturn;
        std::string script;
        int32_t pass;
    } pictures[] = {{"frame_main", false, "", 4},
                    {"frame_save", true, "", 4},
                    {"frame_options", false, Click(2, kArch) + Click(4, kSlot2) + "at 6 move 300 470\n", 8}};
    for (const auto& picture : pictures) {
        FrameRun run(false, true);
        if (picture.saveReturn) run.frame->SetReturnScreens();
        run.harness.CaptureAfterPass(picture.pass);
        run.Run(picture.script, picture.pass + 1);
        EXPECT_TRUE(MatchesGolden(run.harness.Picture(picture.pass), picture.golden));
    }
}
