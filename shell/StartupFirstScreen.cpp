// The first screens: the player's initial choices on the display just
// started, then the option screen the start mode opens on.
#include <cstdint>
#include <cstdio>

#include "display/Canvas.h"
#include "game/GameState.h"
#include "game/OptionsFile.h"
#include "screens/FrameScreen.h"
#include "screens/InitialOptionsScreen.h"
#include "screens/NetLobbyScreen.h"
#include "shell/FramePump.h"
#include "shell/RunTrace.h"
#include "shell/Startup.h"
#include "shell/StartupSteps.h"
#include "ui/Screen.h"

namespace startup {

// The first option screen by the start mode (a saved game
// to load: the frame menu with the save page), then the options file.
// True when a screen was made current.
bool ChooseFirstScreen(GameState& game) {
    bool chosen = false;
    if (game.startMode == GameState::kStartLoadGame) {
        game.LoadPlaceScreens(GameState::kNewCareerPlace);
        if (auto* const frame = dynamic_cast<FrameScreen*>(game.ScreenIn(ScreenSlot::kFrame))) {
            game.mode = GameState::kModeScreens;
            game.currentScreen = frame;
            game.nextScreen = nullptr;
            frame->SetReturnScreens();
            chosen = true;
        }
    }
    // A multiplayer start opens the lobby on its pilots.
    if (game.startMode == GameState::kStartMultiplayer) {
        game.LoadPlaceScreens(GameState::kNewCareerPlace);
        if (auto* const lobby = dynamic_cast<NetLobbyScreen*>(game.ScreenIn(ScreenSlot::kLobby))) {
            game.mode = GameState::kModeScreens;
            game.currentScreen = lobby;
            game.nextScreen = nullptr;
            lobby->ShowPilotSelect();
            chosen = true;
        }
    }
    // A new career starts in the office, after the intro.
    if (game.startMode == GameState::kStartNewGame) {
        game.LoadPlaceScreens(GameState::kNewCareerPlace);
        game.SelectNextScreen(ScreenSlot::kOffice);
    }
    if (game.ScreenIn(ScreenSlot::kOptions) != nullptr) ReadOptionsFile(game);
    game.ApplyOptions(1);
    return chosen;
}

// The first screen: the player's choices on the display just started. Its
// run goes on until no screen is current. False when the player chose to
// quit there, or the window was closed.
bool RunInitialOptions(GameState& game) {
    bool quit = false;
    game.pumpMessages = [&quit]() -> int32_t {
        if (PumpMessages() != 0) return 1;
        quit = true;
        return 0;
    };
    game.flipFrame = FlipFrame;
    // The screen's palette is its own: the intro after it has the main one.
    Palette* const mainPalette = g_gameCanvas != nullptr ? g_gameCanvas->palette : nullptr;
    auto* const screen = new InitialOptionsScreen();
    // Without its map nothing on the screen answers: a data tree without the
    // menus goes straight on.
    int32_t events = 0;
    screen->eventMap->ForEachEvent([&events](InputTrigger*) {
        ++events;
        return 1;
    });
    if (events == 0) {
        delete screen;
        game.pumpMessages = nullptr;
        game.flipFrame = nullptr;
        Say("Initial options: no map, passed over");
        return true;
    }
    // The quit dialog that Escape opens over the screen: its No comes back
    // to the screen, its Yes ends the game. Each run ends on the next.
    game.BuildScreen(ScreenSlot::kQuit);
    game.currentScreen = screen;
    while (game.currentScreen != nullptr && !quit) {
        run_trace::Screen(game.currentScreen->name.c_str());
        game.currentScreen->Run();
    }
    game.currentScreen = nullptr;
    delete screen;
    if (g_gameCanvas != nullptr) g_gameCanvas->palette = mainPalette;
    game.pumpMessages = nullptr;
    game.flipFrame = nullptr;
    std::printf("Initial options: mode %d, start mode %d, difficulty %d, driver %d\n", game.mode, game.startMode,
                game.difficulty, g_graphicsDriver);
    std::fflush(stdout);
    return !quit && game.mode != GameState::kModeQuit;
}

}  // namespace startup
