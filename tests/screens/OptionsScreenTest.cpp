#include "screens/OptionsScreen.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "display/PixelFormat.h"
#include "game/CareerRecord.h"
#include "game/GameState.h"
#include "game/MessageEntry.h"
#include "game/OptionsFile.h"
#include "game/Mission.h"
#include "mission/AfterFlight.h"
#include "mission/SavedGame.h"
#include "net/NetGameSettings.h"
#include "screens/FrameScreen.h"
#include "screens/GameMenus.h"
#include "screens/NetLobbyScreen.h"
#include "platform/AudioOutput.h"
#include "sound/MusicFile.h"
#include "sound/SoundDevice.h"
#include "tests/support/TempDir.h"
#include "tests/support/world/RecordingNetSession.h"
#include "tests/support/world/ScreenHarness.h"
#include "ui/ArtObject.h"
#include "ui/AnimatedPicture.h"
#include "ui/BitmapButton.h"
#include "ui/TextBox.h"
#include "ui/UiSounds.h"

namespace {

// The page on the sample data with its files in a folder of their own,
// registered so that closing writes "opts.sav".
struct OptionsRun {
    OptionsRun() {
        GameState::ClearScreenRegistry();
        RegisterGameMenus();
        GameState& game = harness.Game();
        game.SetConfigFolder(folder.Str());
        game.tutorialsEnabled = 0;
        game.mode = GameState::kModeScreens;
        game.LoadPlaceScreens(GameState::kNewCareerPlace);
        screen = dynamic_cast<OptionsScreen*>(game.ScreenIn(ScreenSlot::kOptions));
    }
    ~OptionsRun() {
        harness.Game().netSession = nullptr;
        harness.Game().DeleteScreens();
        GameState::ClearScreenRegistry();
    }
    int32_t Event(uint16_t code, uint16_t modifier) {
        screen->edgeEvents.Clear();
        screen->edgeEvents.SetEvent(code);
        screen->edgeEvents.SetEvent(modifier);
        return screen->HandleEvent(code);
    }
    int32_t Activate(uint16_t code) { return Event(code, OptionsScreen::kCodeActivate); }
    // A click on a volume strip at that x.
    int32_t ClickStrip(uint16_t code, int16_t x) {
        screen->eventMap->SetMousePosition(x, 280);
        return Activate(code);
    }
    bool Visible(const char* name) const {
        const UiControl* const control = screen->panel->FindControl(name);
        return control != nullptr && control->visible != 0;
    }
    bool Exists(const char* name) const { return std::filesystem::exists(folder.Path() / name); }
    CareerOptions& Options() { return harness.Game().career->options; }

    TempDir folder;
    ScreenHarness harness;
    OptionsScreen* screen = nullptr;
};

}  // namespace

// Without "opts.sav" the career's words show; closing writes both files,
// and a button toggled twice leaves its word as it was.
TEST(OptionsScreenTest, DefaultsShowAndClosingWritesBothFiles) {
    OptionsRun run;
    ASSERT_NE(run.screen, nullptr);
    run.screen->Open();
    const auto* const textures = dynamic_cast<BitmapButton*>(run.screen->panel->FindControl("Options Textures Button"));
    ASSERT_NE(textures, nullptr);
    EXPECT_NE(textures->GetState(), 0);
    run.Activate(OptionsScreen::kCodeTextures);
    run.Activate(OptionsScreen::kCodeTextures);
    run.Activate(OptionsScreen::kCodeInertial);
    run.screen->Close();
    EXPECT_TRUE(run.Exists("opts.sav"));
    // A "vorn.cfg" made here holds the display in force, not zeros.
    ConfigRecord config;
    ASSERT_TRUE(run.harness.Game().ReadConfigFile(&config, false));
    EXPECT_EQ(config.pixelFormat, g_pixelFormat);
    EXPECT_EQ(config.graphicsDriver, g_graphicsDriver);
    EXPECT_EQ(config.inertialFlight, 0);
    EXPECT_EQ(run.Options().textures, 1);
    EXPECT_EQ(run.Options().inertialOff, 0);
    EXPECT_EQ(run.harness.Game().cheatUsed, 0);
}

// The play aids ignore everything in a network game; outside one they are
// stored at closing with the cheat flag.
TEST(OptionsScreenTest, PlayAidsIgnoreANetworkGameAndSetTheCheatFlagAtClosing) {
    OptionsRun run;
    RecordingNetSession session(true);
    run.harness.Game().netSession = &session;
    run.screen->Open();
    run.Activate(OptionsScreen::kCodeAmmo);
    run.screen->Close();
    EXPECT_EQ(run.Options().unlimitedAmmo, 0);
    EXPECT_EQ(run.harness.Game().cheatUsed, 0);

    run.harness.Game().netSession = nullptr;
    run.screen->Open();
    run.Activate(OptionsScreen::kCodeAmmo);
    EXPECT_EQ(run.Options().unlimitedAmmo, 0);   // the word waits for the closing
    run.screen->Close();
    EXPECT_EQ(run.Options().unlimitedAmmo, 1);
    EXPECT_EQ(run.harness.Game().cheatUsed, 1);
}

// A click inside the strip takes its segment at once; one outside changes
// nothing.
TEST(OptionsScreenTest, AVolumeClickOutsideTheStripChangesNothing) {
    OptionsRun run;
    run.screen->Open();
    const int32_t before = run.Options().soundVolume;
    run.ClickStrip(OptionsScreen::kCodeSoundVolume, 420);
    run.ClickStrip(OptionsScreen::kCodeSoundVolume, 600);
    EXPECT_EQ(run.Options().soundVolume, before);
    run.ClickStrip(OptionsScreen::kCodeSoundVolume, 424 + 15 * 4 + 3);
    EXPECT_EQ(run.Options().soundVolume, 4);
    if (SoundDevice* const sound = run.harness.Game().Sound(); sound != nullptr && sound->DigitalDriverPresent()) {
        EXPECT_EQ(sound->DigitalVolume(), 4 * OptionsScreen::kSoundVolumeScale);
    }
    run.screen->Close();
}

// The music strip by the mouse and the arrow keys, as a player sets it: a
// click on its third segment (15 pixels each from x 424), then Right three
// times moves the pointer along the strip a step at a time and the volume
// with it; Left steps back, but not past the strip's left edge. Closing
// keeps what the strip shows.
TEST(OptionsScreenTest, TheMusicStripFollowsAClickAndTheArrowKeys) {
    OptionsRun run;
    int32_t clicked = -1, stepped = -1;
    run.harness.AtPass(3, [&] { clicked = run.Options().musicVolume; });
    run.harness.AtPass(10, [&] {
        stepped = dynamic_cast<AnimatedPicture*>(run.screen->panel->FindControl(OptionsScreen::kMusicStrip))->GetCel();
    });
    ASSERT_TRUE(run.harness.SetScript("at 2 click 460 330\nat 4 key Right\nat 6 key Right\nat 8 key Right\n"
                                      "at 11 move 470 330\nat 12 key Left\nat 14 move 430 330\nat 15 key Left\n"));
    run.harness.SetPassLimit(17);
    run.harness.Run(*run.screen);
    EXPECT_EQ(clicked, 2);
    EXPECT_EQ(stepped, 4);   // 460 + 30
    EXPECT_EQ(run.Options().musicVolume, 2);   // 470 - 10; 430 - 10 would leave the strip
}

// The exit row shows credits between missions, restart in a paused flight
// and a new session in a paused network game.
TEST(OptionsScreenTest, TheExitRowFollowsTheModeAndTheSession) {
    OptionsRun run;
    RecordingNetSession session(true);
    const struct {
        int32_t mode;
        bool network;
        const char* shown;
    } cases[] = {{GameState::kModeScreens, false, "Options View Button"},
                 {GameState::kModePause, false, "Options Restart Button"},
                 {GameState::kModePause, true, "Options New Session Button"}};
    for (const auto& c : cases) {
        run.harness.Game().mode = c.mode;
        run.harness.Game().netSession = c.network ? &session : nullptr;
        run.screen->Open();
        for (const char* name : {"Options View Button", "Options Restart Button", "Options New Session Button"}) {
            EXPECT_EQ(run.Visible(name), std::string(name) == c.shown) << name << " in mode " << c.mode;
        }
        run.screen->Close();
    }
}

// Restart reloads the launch's save and the page's buttons then go into
// the reloaded career; without the save the page stays.
TEST(OptionsScreenTest, RestartKeepsTheOptionsShownAndNeedsTheSave) {
    OptionsRun run;
    GameState& game = run.harness.Game();
    game.mode = GameState::kModePause;
    run.screen->Open();
    run.Activate(OptionsScreen::kCodeDust);
    EXPECT_EQ(run.Activate(OptionsScreen::kCodeExitRow), 1);
    ASSERT_EQ(SaveGame("auto", "launch"), kStatusOk);
    const CareerRecord* const before = game.career;
    EXPECT_EQ(run.Activate(OptionsScreen::kCodeExitRow), 0);
    EXPECT_NE(game.career, before);
    EXPECT_EQ(game.mode, GameState::kModeScreens);
    run.screen->Close();
    EXPECT_EQ(game.career->options.spaceDust, 0);
}

// Outside a flight the exit row plays the credits, which lead back to this
// page embedded in the frame menu.
TEST(OptionsScreenTest, TheCreditsLeadBackToThisPage) {
    OptionsRun run;
    GameState& game = run.harness.Game();
    auto* const frame = dynamic_cast<FrameScreen*>(game.ScreenIn(ScreenSlot::kFrame));
    ASSERT_NE(frame, nullptr);
    run.screen->Open();
    EXPECT_EQ(run.Activate(OptionsScreen::kCodeExitRow), 0);
    run.screen->Close();
    EXPECT_EQ(game.mode, GameState::kModeCredits);
    EXPECT_EQ(game.nextScreen, frame);

    frame->Open();
    EXPECT_EQ(frame->subScreen, run.screen);
    frame->Close();
    // Only once: the frame opened later shows its own main panel.
    frame->Open();
    EXPECT_EQ(frame->subScreen, nullptr);
    frame->Close();
}

// New Session in a network flight: the pilot written, the lobby back at
// its front menu with no game settings, the session closed, and the
// flight's kills in the career once.
TEST(OptionsScreenTest, NewSessionLeavesTheNetworkGameForTheLobbysFrontMenu) {
    OptionsRun run;
    GameState& game = run.harness.Game();
    auto* const lobby = dynamic_cast<NetLobbyScreen*>(game.ScreenIn(ScreenSlot::kLobby));
    ASSERT_NE(lobby, nullptr);
    RecordingNetSession session(true);
    game.netSession = &session;
    game.netSettings = new NetGameSettings();
    lobby->currentPanel = lobby->waitPanel;
    lobby->panelStack.Append(lobby->multiPanel);
    game.mode = GameState::kModePause;
    game.flightUnsettled = 1;
    const int32_t kills = game.career->kills;
    game.career->accuracy.kills = 3;
    run.screen->Open();

    EXPECT_EQ(run.Activate(OptionsScreen::kCodeExitRow), 0);
    run.screen->Close();
    EXPECT_EQ(game.career->kills, kills + 3);
    // The landing after it finds the flight settled.
    SettleFlight(game, MessageEntry::kWon, nullptr, nullptr);
    EXPECT_EQ(game.career->kills, kills + 3);

    EXPECT_EQ(game.mode, GameState::kModeScreens);
    EXPECT_EQ(game.nextScreen, lobby);
    EXPECT_EQ(game.netSettings, nullptr);
    EXPECT_FALSE(session.IsActive());
    EXPECT_EQ(lobby->currentPanel, lobby->mainPanel);
    EXPECT_EQ(lobby->panelStack.Count(), 0);
    const std::string pilot = std::string(game.career->GetPilotName()) + ".plr";
    EXPECT_TRUE(run.Exists(pilot.c_str()));
}

// In flight the track arrows step the mission's music through the tracks the
// CD has, never past its ends, shown in the track box; without music they
// do nothing; resting on one only lights it.
TEST(OptionsScreenTest, TheTrackArrowsStepThroughTheCdsTracks) {
    OptionsRun run;
    GameState& game = run.harness.Game();
    TempDir cd;
    const std::vector<uint8_t> wave = platform::EncodeWav(std::vector<int16_t>(200, 1000), 22050, 2);
    for (const char* name : {"track01.wav", "track02.wav"}) cd.WriteFile(name, std::string(wave.begin(), wave.end()));
    ASSERT_EQ(run.harness.Sounds().OpenCdAudio(cd.Str() + "/"), 3);
    const auto track = [&run] {
        const auto* const box = dynamic_cast<const TextBox*>(run.screen->panel->FindControl(OptionsScreen::kTrackName));
        const char* const line = box != nullptr ? box->GetItem(0) : nullptr;
        return std::string(line != nullptr ? line : "");
    };

    run.screen->Open();
    run.Activate(OptionsScreen::kCodeTrackRight);   // no mission, no music: nothing
    EXPECT_EQ(track(), "");
    run.screen->Close();

    Mission mission;
    mission.music = std::make_unique<MusicFile>(std::vector<uint8_t>(16, 0), 1);
    game.mission = &mission;
    game.mode = GameState::kModePause;
    run.screen->Open();
    EXPECT_EQ(track(), "1");
    run.Activate(OptionsScreen::kCodeTrackRight);
    EXPECT_EQ(mission.music->GetTrack(), 2);
    EXPECT_EQ(track(), "2");
    run.Activate(OptionsScreen::kCodeTrackRight);   // the CD ends at 2
    EXPECT_EQ(mission.music->GetTrack(), 2);
    run.Activate(OptionsScreen::kCodeTrackLeft);
    run.Activate(OptionsScreen::kCodeTrackLeft);   // track 0 is no music track
    EXPECT_EQ(mission.music->GetTrack(), 1);
    EXPECT_EQ(track(), "1");
    const std::vector<RecordingSoundLibrary::Event> starts = run.harness.Sounds().MusicStarts(RecordingSoundLibrary::Event::kTrack);
    ASSERT_GE(starts.size(), 4u);   // every arrow starts the music again
    EXPECT_EQ(starts.back().track, 1);

    const int32_t lit = run.harness.UiSoundCount(kUiSoundHotspot);
    run.Event(OptionsScreen::kCodeTrackLeft, 0);
    EXPECT_EQ(mission.music->GetTrack(), 1);
    EXPECT_EQ(run.harness.UiSoundCount(kUiSoundHotspot), lit + 1);
    run.screen->Close();
    game.mission = nullptr;
    game.mode = GameState::kModeScreens;
}
