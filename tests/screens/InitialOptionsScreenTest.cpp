#include "screens/InitialOptionsScreen.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "display/PixelFormat.h"
#include "game/CareerRecord.h"
#include "game/GameState.h"
#include "net/NetGameSettings.h"
#include "tests/support/FileContents.h"
#include "tests/support/GoldenImage.h"
#include "tests/support/TempDir.h"
#include "tests/support/world/ScreenHarness.h"
#include "ui/ArtObject.h"
#include "ui/BitmapButton.h"

namespace {

// Points inside the sample art's buttons.
constexpr const char* kHard = "320 200";
constexpr const char* kDib = "500 120";
constexpr const char* kSoftwareAlpha = "340 410";
constexpr const char* kLoadGame = "120 160";
constexpr const char* kFilter2d = "300 290";
constexpr const char* kFilter3d = "300 330";
// A name no new career gives its pilot, to tell the career the run began
// with from one made in its place.
constexpr const char* kMarkedPilot = "Marked Before";

// The first screen on the sample data, with "vorn.cfg" in a folder of its own.
struct InitRun {
    InitRun() {
        harness.Game().SetConfigFolder(folder.Str());
        g_graphicsDriver = kGraphicsDriverDib;
        g_textureFilterFlags = 0;
        g_softwareAlpha = 0;
        g_netGameLaunched = 1;
    }
    ~InitRun() {
        g_graphicsDriver = kGraphicsDriverDirectDraw;
        g_softwareAlpha = 0;
        g_textureFilterFlags = 0;
        g_netGameLaunched = 0;
    }
    void Run(const std::string& script) {
        ASSERT_TRUE(harness.SetScript(script + "at 20 quit\n"));
        harness.SetPassLimit(20);
        harness.Run(screen);
    }
    int32_t State(const char* name) const {
        const auto* const button = dynamic_cast<const BitmapButton*>(screen.panel->FindControl(name));
        return button != nullptr ? button->GetState() : 99;
    }
    std::vector<uint8_t> Config() {
        const std::string text = FileContents(harness.Game().ConfigFilePath());
        return std::vector<uint8_t>(text.begin(), text.end());
    }

    TempDir folder;
    ScreenHarness harness;
    InitialOptionsScreen screen;
};

std::string Click(const char* point, int32_t pass) {
    return "at " + std::to_string(pass) + " move " + point + "\nat " + std::to_string(pass + 1) + " key Enter\n";
}

uint32_t Word(const std::vector<uint8_t>& config, int index) {
    const size_t at = 20 + 4 * size_t(index);
    return uint32_t(config[at]) | uint32_t(config[at + 1]) << 8 | uint32_t(config[at + 2]) << 16 |
           uint32_t(config[at + 3]) << 24;
}

}  // namespace

// Without "vorn.cfg" the driver shown is the one in force and Medium is
// chosen; a window closed on the screen still writes the choices.
TEST(InitialOptionsScreenTest, FirstRunShowsTheDriverInForceAndMedium) {
    InitRun run;
    run.harness.CaptureAfterPass(9);
    run.Run(std::string("at 8 move ") + kLoadGame + "\n");
    EXPECT_EQ(run.harness.Passes(), 20);
    EXPECT_NE(run.State("DIB"), 0);
    EXPECT_EQ(run.State("DDRAW"), 0);
    EXPECT_NE(run.State("Difficulty Medium"), 0);
    EXPECT_EQ(run.State("Difficulty Easy"), 0);
    EXPECT_EQ(run.harness.Game().mode, 0);
    const std::vector<uint8_t> config = run.Config();
    ASSERT_EQ(config.size(), 44u);
    EXPECT_EQ(Word(config, 1), uint32_t(kGraphicsDriverDib));
    EXPECT_TRUE(MatchesGolden(run.harness.Picture(9), "initial_options"));
}

// The four ways out, each from its key or a click.
TEST(InitialOptionsScreenTest, GameButtonsSetTheStartAndTheCareer) {
    struct Case {
        const char* name;
        std::string script;
        int32_t mode, startMode, difficulty, netGameLaunched;
        bool newCareer;
    };
    const std::vector<Case> cases = {
        {"new game", "at 8 key N\n", GameState::kModeScreens, GameState::kStartNewGame, 2, 0, true},
        {"hard", Click(kHard, 8) + "at 11 key N\n", GameState::kModeScreens, GameState::kStartNewGame, 4, 0, true},
        {"load keeps the difficulty", Click(kHard, 8) + "at 11 key L\n", GameState::kModeScreens,
         GameState::kStartLoadGame, 1, 0, true},
        {"hard then easy", Click(kHard, 8) + Click("320 120", 11) + "at 14 key N\n", GameState::kModeScreens,
         GameState::kStartNewGame, 1, 0, true},
        {"hard then medium", Click(kHard, 8) + Click("320 160", 11) + "at 14 key N\n", GameState::kModeScreens,
         GameState::kStartNewGame, 2, 0, true},
        {"multiplayer", "at 8 key M\n", GameState::kModeScreens, GameState::kStartMultiplayer, 2, 1, true},
        {"exit", Click("120 420", 8), GameState::kModeQuit, GameState::kStartNone, 1, 1, false},
    };
    for (const Case& c : cases) {
        InitRun run;
        run.harness.Game().difficulty = 1;
        // A freed career's address may come back for the new one, so the
        // career is told by what it holds, not by where it lives.
        ASSERT_NE(run.harness.Game().career, nullptr);
        std::snprintf(run.harness.Game().career->pilotName, CareerRecord::kTextBytes, "%s", kMarkedPilot);
        run.Run(c.script);
        EXPECT_EQ(run.harness.Game().mode, c.mode) << c.name;
        EXPECT_EQ(run.harness.Game().startMode, c.startMode) << c.name;
        EXPECT_EQ(run.harness.Game().difficulty, c.difficulty) << c.name;
        EXPECT_EQ(int32_t(g_netGameLaunched), c.netGameLaunched) << c.name;
        ASSERT_NE(run.harness.Game().career, nullptr) << c.name;
        EXPECT_EQ(std::string(run.harness.Game().career->GetPilotName()) != kMarkedPilot, c.newCareer) << c.name;
        EXPECT_EQ(run.harness.Game().currentScreen, nullptr) << c.name;
        // Every way out writes the choices.
        EXPECT_EQ(run.Config().size(), 44u) << c.name;
    }
}

// A switch flips its global in the pass it is clicked, and Close stores the
// same; a driver click leaves one driver chosen.
TEST(InitialOptionsScreenTest, SwitchesFlipAtOnceAndCloseStoresThem) {
    class Watched : public InitialOptionsScreen {
    public:
        void Update() override { alpha.push_back(g_softwareAlpha); }
        std::vector<int32_t> alpha;
    };
    {
    InitRun run;
    Watched watched;
    run.harness.SetPassLimit(20);
    ASSERT_TRUE(run.harness.SetScript(Click(kSoftwareAlpha, 8) + Click(kSoftwareAlpha, 10) + Click(kSoftwareAlpha, 12) +
                                      "at 15 key Escape\n"));
    run.harness.Run(watched);
    // Updates are counted from pass 1: hovering at 8, clicks at 9, 11 and 13.
    ASSERT_GE(watched.alpha.size(), 13u);
    EXPECT_EQ(watched.alpha[7], 0);
    EXPECT_EQ(watched.alpha[8], 1);
    EXPECT_EQ(watched.alpha[10], 0);
    EXPECT_EQ(watched.alpha[12], 1);
    EXPECT_EQ(g_softwareAlpha, 1);
    EXPECT_EQ(Word(run.Config(), 3), 1u);
    }

    InitRun drivers;
    drivers.Run("at 8 move 500 160\nat 9 key Enter\n" + Click(kDib, 10) + Click(kDib, 12));
    EXPECT_NE(drivers.State("DIB"), 0);
    EXPECT_EQ(drivers.State("DDRAW"), 0);
    EXPECT_EQ(g_graphicsDriver, kGraphicsDriverDib);
}

// The texture-filter switches show and flip the bits 0x1 (2D) and 0x2 (3D)
// of the flags, and Close stores those bits, whatever number the screen's
// events carry.
TEST(InitialOptionsScreenTest, TextureFilterSwitchesUseTheFlagBits) {
    {
        InitRun run;
        g_textureFilterFlags = kTextureFilter3d;
        run.Run(std::string("at 8 move ") + kLoadGame + "\n");
        EXPECT_EQ(run.State("Texture Filter 2D"), 0);
        EXPECT_NE(run.State("Texture Filter 3D"), 0);
        EXPECT_EQ(g_textureFilterFlags, kTextureFilter3d);
        EXPECT_EQ(Word(run.Config(), 2), kTextureFilter3d);
    }
    {
        InitRun run;
        run.Run(Click(kFilter2d, 8));
        EXPECT_NE(run.State("Texture Filter 2D"), 0);
        EXPECT_EQ(g_textureFilterFlags, kTextureFilter2d);
        EXPECT_EQ(Word(run.Config(), 2), kTextureFilter2d);
    }
    {
        InitRun run;
        g_textureFilterFlags = kTextureFilter2d;
        run.Run(Click(kFilter3d, 8) + Click(kFilter2d, 10));
        EXPECT_EQ(run.State("Texture Filter 2D"), 0);
        EXPECT_NE(run.State("Texture Filter 3D"), 0);
        EXPECT_EQ(g_textureFilterFlags, kTextureFilter3d);
        EXPECT_EQ(Word(run.Config(), 2), kTextureFilter3d);
    }
}

// Direct3D takes the driver from the others and is stored; Enhanced flips
// on and off again; Tab walks the pointer onto the buttons and Shift-Tab back.
TEST(InitialOptionsScreenTest, Direct3dEnhancedAndTheFocusWalk) {
    InitRun run;
    run.harness.Game().enhancedGraphics = 0;
    std::vector<int32_t> enhanced;
    run.harness.AtPass(11, [&run, &enhanced] { enhanced.push_back(run.harness.Game().enhancedGraphics); });
    std::vector<uint32_t> pointer;
    const auto where = [&run, &pointer] {
        uint16_t x = 0, y = 0;
        run.screen.eventMap->GetMousePosition(&x, &y);
        pointer.push_back(uint32_t(x) << 16 | y);
    };
    run.harness.AtPass(13, where);
    run.harness.AtPass(15, where);
    run.harness.AtPass(17, where);
    run.Run(Click("500 200", 6) + Click("340 370", 8) + Click("340 370", 11) + "at 12 key 15\nat 14 key 15\n" +
            "at 16 press 42\nat 16 key 15\nat 17 release 42\n");
    EXPECT_NE(run.State("D3D"), 0);
    EXPECT_EQ(run.State("DIB"), 0);
    EXPECT_EQ(run.State("DDRAW"), 0);
    EXPECT_EQ(g_graphicsDriver, kGraphicsDriverDirect3d);
    EXPECT_EQ(Word(run.Config(), 1), uint32_t(kGraphicsDriverDirect3d));
    EXPECT_EQ(enhanced, std::vector<int32_t>{1});
    EXPECT_EQ(run.harness.Game().enhancedGraphics, 0);
    ASSERT_EQ(pointer.size(), 3u);
    EXPECT_NE(pointer[0], 0u);             // onto the first button
    EXPECT_NE(pointer[1], pointer[0]);     // on to the second
    EXPECT_EQ(pointer[2], pointer[0]);     // and back
}
