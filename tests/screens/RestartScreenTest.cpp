#include "screens/RestartScreen.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

#include "game/CareerRecord.h"
#include "game/GameState.h"
#include "game/ShipRecord.h"
#include "mission/SavedGame.h"
#include "screens/GameMenus.h"
#include "screens/NetLobbyScreen.h"
#include "game/ScreenSlots.h"
#include "net/NetGameSettings.h"
#include "tests/support/GoldenImage.h"
#include "tests/support/TempDir.h"
#include "tests/support/world/ScreenHarness.h"

namespace {

std::string g_movie;

int32_t RecordMovie(const char* path, uint32_t) {
    g_movie = path;
    return 0;
}

// The page on the sample data, its saves in a folder of their own, the
// movie player recording, and a career of `ships` ships.
struct RestartRun {
    explicit RestartRun(int32_t ships = 1) {
        GameState::ClearScreenRegistry();
        RegisterGameMenus();
        harness.Game().SetConfigFolder(folder.Str());
        harness.Game().tutorialsEnabled = 0;
        CareerRecord& career = *harness.Game().career;
        while (career.GetShipCount() < ships) career.AddShip(std::make_unique<ShipRecord>("P303"));
        g_movie.clear();
        RestartScreen::playMovie = RecordMovie;
    }
    ~RestartRun() {
        RestartScreen::playMovie = nullptr;
        GameState::ClearScreenRegistry();
    }
    void Run(const std::string& script, int32_t passes = 8) {
        ASSERT_TRUE(harness.SetScript(script));
        harness.SetPassLimit(passes);
        harness.Run(screen);
    }
    const char* Next() { return harness.Game().nextScreenName != nullptr ? harness.Game().nextScreenName : ""; }

    TempDir folder;
    ScreenHarness harness;
    RestartScreen screen;
};

// Points inside the sample page's buttons.
constexpr const char* kYes = "250 274";
constexpr const char* kNo = "390 274";

}  // namespace

// No with a ship to spare goes on in the hangar; with the last ship lost
// the movie plays and the lobby follows, and only the direct No starts a
// new career.
TEST(RestartScreenTest, NoGoesOnInTheHangarOrEndsTheCampaign) {
    {
        RestartRun run(2);
        run.Run(std::string("at 2 click ") + kNo + "\n");
        EXPECT_STREQ(run.Next(), "HANGAR");
        EXPECT_TRUE(g_movie.empty());
    }
    {
        RestartRun run(1);
        CareerRecord* const career = run.harness.Game().career;
        run.Run(std::string("at 2 click ") + kNo + "\n");
        EXPECT_STREQ(run.Next(), "NETOPT");
        EXPECT_NE(g_movie.find(RestartScreen::kMovieName), std::string::npos);
        EXPECT_EQ(run.harness.Game().career, career);
    }
    {
        // A lobby left in a game's waiting room opens again on its front menu.
        RestartRun run(1);
        GameState& game = run.harness.Game();
        auto* const lobby = dynamic_cast<NetLobbyScreen*>(game.BuildScreen(ScreenSlot::kLobby));
        ASSERT_NE(lobby, nullptr);
        lobby->currentPanel = lobby->waitPanel;
        lobby->panelStack.Append(lobby->multiPanel);
        game.netSettings = new NetGameSettings();
        run.Run(std::string("at 2 click ") + kNo + "\n");
        EXPECT_EQ(game.nextScreen, lobby);
        EXPECT_EQ(lobby->currentPanel, lobby->mainPanel);
        EXPECT_EQ(lobby->panelStack.Count(), 0);
        EXPECT_EQ(game.netSettings, nullptr);
        game.DeleteScreens();
    }
    {
        RestartRun run(1);
        CareerRecord* const career = run.harness.Game().career;
        run.Run("at 2 key N\n");
        EXPECT_STREQ(run.Next(), "NETOPT");
        EXPECT_NE(run.harness.Game().career, career);
    }
}

// Yes needs the launch's save: without it the page stays; with it the
// mission may be flown again from the hangar.
TEST(RestartScreenTest, YesReloadsTheAutomaticSaveOrStays) {
    {
        RestartRun run;
        run.harness.Game().missionFlown = 1;
        run.Run(std::string("at 2 click ") + kYes + "\n", 6);
        EXPECT_EQ(run.harness.Passes(), 6);
        EXPECT_EQ(run.harness.Game().missionFlown, 1);
    }
    {
        RestartRun run;
        ASSERT_EQ(SaveGame("auto", "Auto Save"), kStatusOk);
        run.harness.Game().missionFlown = 1;
        run.Run("at 2 key Y\n", 20);
        EXPECT_LT(run.harness.Passes(), 20);
        EXPECT_STREQ(run.Next(), "HANGAR");
        EXPECT_EQ(run.harness.Game().missionFlown, 0);
    }
}

// Whether Yes goes on is whether the career was loaded, not the status of
// the mission set-up that follows the load: a save whose mission no longer
// sets up still takes the career to the hangar, a damaged save keeps the
// page.
TEST(RestartScreenTest, YesGoesOnWhenTheCareerLoadsWhateverTheMissionSetUp) {
    {
        RestartRun run;
        run.harness.Game().missionName = "nowhere.uli";
        run.harness.Game().missionReady = 1;
        run.harness.Game().missionFlown = 0;
        ASSERT_EQ(SaveGame("auto", "Auto Save"), kStatusOk);
        ASSERT_NE(LoadGame("auto"), kStatusOk);
        CareerRecord* const career = run.harness.Game().career;
        run.harness.Game().missionFlown = 1;
        run.Run("at 2 key Y\n", 20);
        EXPECT_LT(run.harness.Passes(), 20);
        EXPECT_STREQ(run.Next(), "HANGAR");
        EXPECT_NE(run.harness.Game().career, career);
        EXPECT_EQ(run.harness.Game().missionFlown, 0);
    }
    {
        RestartRun run;
        ASSERT_EQ(SaveGame("auto", "Auto Save"), kStatusOk);
        const std::string path = SavedGamePath("auto");
        std::filesystem::resize_file(path, std::filesystem::file_size(path) / 2);
        CareerRecord* const career = run.harness.Game().career;
        run.harness.Game().missionFlown = 1;
        run.Run("at 2 key Y\n", 6);
        EXPECT_EQ(run.harness.Passes(), 6);
        EXPECT_EQ(run.harness.Game().career, career);
        EXPECT_EQ(run.harness.Game().missionFlown, 1);
    }
}

TEST(RestartScreenTest, GoldenPicture) {
    RestartRun run;
    run.harness.CaptureAfterPass(4);
    run.Run(std::string("at 2 move ") + kNo + "\n", 5);
    EXPECT_TRUE(MatchesGolden(run.harness.Picture(4), "restart_screen"));
}
