#include "ui/MenuScreen.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "display/Canvas.h"
#include "engine/input/InputEventMap.h"
#include "game/DrawString.h"
#include "game/GameState.h"
#include "tests/support/world/ScreenHarness.h"
#include "tests/support/world/SteppingControl.h"
#include "ui/ArtObject.h"
#include "ui/BitmapButton.h"

namespace {

// A menu screen of panels whose controls log their steps and draws.
class PanelScreen : public MenuScreen {
public:
    explicit PanelScreen(const char* screenName = "PANELS") : MenuScreen(screenName) {}

    ArtObject* AddPanel(const char* panelName, int32_t steps) {
        auto* const panel = new ArtObject(panelName, 0);
        panel->AddControl(new SteppingControl(panelName, steps, &log));
        artObjects.Append(panel);
        return panel;
    }
    void AddSprite(ArtObject* panel, const char* baseName) {
        auto* const def = new SpriteDef;
        def->uniqueName = def->baseName = baseName;
        panel->spriteDefs.Append(def);
    }
    int32_t HandleEvent(uint16_t code) override {
        handled.push_back(code);
        if (code == stopCode) g_eventDispatchState = 0;
        if (code == endCode) {
            transitionPhase = kPhaseOpening;
            return 0;
        }
        return 1;
    }

    std::vector<std::string> log;
    std::vector<uint16_t> handled;
    uint16_t stopCode = 0;
    uint16_t endCode = 0;
};

int32_t Count(const std::vector<std::string>& log, const std::string& entry) {
    int32_t n = 0;
    for (const std::string& line : log) n += line == entry;
    return n;
}

}  // namespace

// Closing with nothing to open: each panel of the stack plays its closing
// steps in turn, and the pass after the last step ends the screen.
TEST(MenuScreenTest, ClosingPanelsInTurnEndsTheScreen) {
    ScreenHarness harness;
    PanelScreen screen;
    ArtObject* const under = screen.AddPanel("under", 2);
    ArtObject* const top = screen.AddPanel("top", 2);
    screen.panelStack.Append(under);
    screen.currentPanel = top;
    screen.transitionPhase = MenuScreen::kPhaseClosing;
    std::vector<int32_t> results;
    for (int pass = 0; pass < 8 && (results.empty() || results.back() != 0); ++pass) {
        screen.log.clear();
        results.push_back(screen.Draw());
        for (const std::string& line : screen.log) {
            if (line.back() == '-') results.push_back(line[0] == 't' ? -1 : -2);
        }
    }
    // -1 a step of "top", -2 of "under", then the pass result.
    EXPECT_EQ(results, (std::vector<int32_t>{1, -1, 1, -1, 1, 1, -2, 1, -2, 0}));
    EXPECT_EQ(screen.currentPanel, under);
}

// A push keeps the current panel drawn beneath the new one; a handler that
// ends the pass during an opening finishes it within the pass.
TEST(MenuScreenTest, PushKeepsThePanelAndAnEndingPassFinishesTheOpening) {
    ScreenHarness harness;
    PanelScreen screen;
    ArtObject* const first = screen.AddPanel("first", 1);
    ArtObject* const second = screen.AddPanel("second", 3);
    screen.currentPanel = first;
    screen.transitionPhase = MenuScreen::kPhaseClosing;
    screen.pushPanel = first;
    screen.nextPanel = second;
    EXPECT_EQ(screen.Draw(), 1);
    EXPECT_EQ(screen.currentPanel, second);
    EXPECT_EQ(screen.ContainsId(first), 1);
    EXPECT_EQ(screen.ContainsId(second), 0);
    EXPECT_EQ(screen.transitionPhase, MenuScreen::kPhaseOpening);
    screen.log.clear();
    harness.Game().currentScreen = &screen;
    screen.dirty = 1;
    screen.Draw();
    harness.Game().currentScreen = nullptr;
    EXPECT_EQ(Count(screen.log, "first draw"), 1);

    // An opening cut short by the screen's end runs its remaining steps now.
    screen.log.clear();
    screen.transitionPhase = MenuScreen::kPhaseOpening;
    screen.currentPanel->AttachImages();
    EXPECT_EQ(screen.StepTransition(0), 0);
    EXPECT_EQ(Count(screen.log, "second+"), 3);
    EXPECT_EQ(screen.transitionPhase, MenuScreen::kPhaseNone);
    EXPECT_EQ(second->alwaysDraw, 1);
}

// A request that nothing answers (a push of a panel that is not current,
// with nothing under it) leaves the closing as it is, even when the screen
// ends in that pass.
TEST(MenuScreenTest, StuckClosingDoesNotSpin) {
    ScreenHarness harness;
    PanelScreen screen;
    ArtObject* const current = screen.AddPanel("current", 0);
    ArtObject* const other = screen.AddPanel("other", 0);
    screen.currentPanel = current;
    screen.nextPanel = other;
    screen.pushPanel = other;
    screen.transitionPhase = MenuScreen::kPhaseClosing;
    EXPECT_EQ(screen.StepTransition(0), 0);
    EXPECT_EQ(screen.transitionPhase, MenuScreen::kPhaseClosing);
    EXPECT_EQ(screen.currentPanel, current);
}

// A handler that sets the gate to 0 ends the walk of its pass; the next
// pass stays blocked while event 9 (code 0x0102) is held; at -1 nothing is
// dispatched but the panels still draw.
TEST(MenuScreenTest, DispatchGateEndsWalksAndBlocksPasses) {
    constexpr uint32_t kA = 0x1E, kB = 0x30, kC = 0x2E;
    const auto key = [](uint32_t scan) {
        InputTrigger trigger;
        trigger.keys[0] = uint16_t(scan);
        return trigger;
    };
    for (const int32_t gate : {1, 0, -1}) {
        ScreenHarness harness;
        harness.WriteEventMap("PANELS", "panels", {{3, key(kA)}, {5, key(kB)}, {9, key(kC)}});
        // Gate 0 stands for the run without the held 0x0102.
        const char* const hold = gate == 0 ? "" : "at 2 press C\nat 4 release C\n";
        ASSERT_TRUE(harness.SetScript(std::string("at 2 press A\nat 2 press B\n") + hold + "at 6 quit\n"));
        PanelScreen screen;
        screen.currentPanel = screen.AddPanel("only", 0);
        screen.stopCode = EventKey(3);
        g_eventDispatchState = gate == 0 ? 1 : gate;
        harness.Run(screen);
        const bool blocked = gate == -1;
        g_eventDispatchState = 1;
        if (blocked) {
            EXPECT_TRUE(screen.handled.empty());
            EXPECT_GE(Count(screen.log, "only draw"), 1);
        } else {
            // Each walk ends at event 3. Without the hold every pass from 2
            // to 5 dispatches; with it, only pass 2 and the pass after the
            // release reaches the screen.
            const size_t passes = gate == 0 ? 4 : 2;
            EXPECT_EQ(screen.handled, std::vector<uint16_t>(passes, EventKey(3)));
        }
    }
}

// The shared sprites: one entry per unique name, loaded from "optart.iff";
// an entry no screen used for 30 closings goes at the next Open unless an
// open screen still shows it (its button is drawn after the closings: ASan
// would see a freed one), and a destroyed screen frees only unused entries.
TEST(MenuScreenTest, SpriteCacheKeepsWhatOpenScreensShow) {
    ScreenHarness harness;
    FreeMenuSpriteCache();
    auto* const dialog = new PanelScreen("DIALOG");
    dialog->currentPanel = dialog->AddPanel("dialog", 0);
    dialog->AddSprite(dialog->currentPanel, "Tutorial Close");
    dialog->AddSprite(dialog->currentPanel, "No Such Art");
    PanelScreen popUp("POPUP");
    popUp.currentPanel = popUp.AddPanel("popup", 0);
    popUp.AddSprite(popUp.currentPanel, "Scroll Up");

    dialog->Open();
    // Art "optart.iff" lacks is neither placed nor cached.
    ASSERT_EQ(dialog->currentPanel->spriteInstances.Count(), 1);
    ASSERT_EQ(g_menuSpriteCache.Count(), 1);
    BitmapButton* const shown = g_menuSpriteCache[0]->control;
    EXPECT_EQ(dialog->currentPanel->FindControl("Tutorial Close"), shown);
    for (int i = 0; i < 31; ++i) {
        popUp.Open();
        popUp.Close();
    }
    popUp.Open();
    EXPECT_EQ(g_menuSpriteCache[0]->control, shown);
    dialog->currentPanel->alwaysDraw = 1;
    dialog->currentPanel->Draw(1);
    {
        PanelScreen passing("PASSING");
    }
    ASSERT_GE(g_menuSpriteCache.Count(), 1);
    EXPECT_EQ(g_menuSpriteCache[0]->control, shown);
    popUp.Close();

    dialog->Close();
    const int32_t before = g_menuSpriteCache.Count();
    for (int i = 0; i < 30; ++i) {
        popUp.Open();
        popUp.Close();
    }
    popUp.Open();
    // "Scroll Up" is in use by the pop-up itself; "Tutorial Close" went.
    EXPECT_EQ(before, 2);
    ASSERT_EQ(g_menuSpriteCache.Count(), 1);
    EXPECT_EQ(g_menuSpriteCache[0]->control->Name(), "Scroll Up");
    popUp.Close();
    delete dialog;
    FreeMenuSpriteCache();
}

// A pop-up showing a button of the page beneath it (the tutorial's "Scroll
// Up" over a message reader) leaves the page that button, drawn, when it
// closes.
TEST(MenuScreenTest, AClosingPopUpLeavesThePageBeneathItsSharedButtons) {
    ScreenHarness harness;
    FreeMenuSpriteCache();
    PanelScreen page("PAGE");
    page.currentPanel = page.AddPanel("page", 0);
    page.AddSprite(page.currentPanel, "Scroll Up");
    PanelScreen popUp("POPUP");
    popUp.currentPanel = popUp.AddPanel("popup", 0);
    popUp.AddSprite(popUp.currentPanel, "Scroll Up");
    const auto pageDrawn = [&] {
        g_gameCanvas->Clear(0, 0);
        page.currentPanel->alwaysDraw = 1;
        // The first draw after an opening ends the button's opening step.
        page.currentPanel->Draw(1);
        page.currentPanel->Draw(1);
        return CanvasToRgb(*g_gameCanvas).rgb;
    };
    g_gameCanvas->Clear(0, 0);
    const std::vector<uint8_t> blank = CanvasToRgb(*g_gameCanvas).rgb;
    page.Open();
    const std::vector<uint8_t> shown = pageDrawn();
    ASSERT_TRUE(shown != blank) << "the page drew nothing";
    popUp.Open();
    popUp.Close();
    EXPECT_TRUE(pageDrawn() == shown) << "the page lost its button";
    page.Close();
    FreeMenuSpriteCache();
}
