// The end of every run, and of every start-up that fails half-way.
#include "display/Canvas.h"
#include "display/DisplayDriver.h"
#include "engine/IniFile.h"
#include "engine/input/InputSystem.h"
#include "game/DataDirectories.h"
#include "game/GameState.h"
#include "game/TextInput.h"
#include "mission/Faces.h"
#include "net/NetSession.h"
#include "platform/DisplayPresenter.h"
#include "platform/SessionProviders.h"
#include "platform/VideoBackend.h"
#include "platform/Window.h"
#include "scene/OstrelSystem.h"
#include "screens/NetLobbyScreen.h"
#include "shell/Startup.h"
#include "shell/StartupSteps.h"
#include "ui/MenuScreen.h"
#include "ui/UiSounds.h"

namespace startup {

// Everything the start-up made, in the game's shutdown order; whatever was
// not made yet is passed over, so every failure ends here too.
void ShutDown(Session& session) {
    // The window's procedure reads the devices, which go with the game state.
    if (g_mainWindow != nullptr) g_mainWindow->SetProcedure(nullptr);
    if (g_gameState != nullptr) g_gameState->cursor = nullptr;
    session.pump.reset();
    session.cursor.reset();
    SetTextInputBuffer(0);
    delete session.input;
    session.input = nullptr;
    // The game state owns the palettes that the canvas and the driver point
    // at; neither reads them on the way out.
    // The flight's objects go before the world they may point into.
    if (g_gameState != nullptr) g_gameState->ClearFlight();
    // The screens, then the sprite art they shared, then their sounds while
    // the sound device they play on is there.
    if (g_gameState != nullptr) g_gameState->DeleteScreens();
    FreeMenuSpriteCache();
    FreeUiSounds();
    delete g_gameState;
    g_gameState = nullptr;
    NetSession::SetConnectedListener(nullptr);
    if (session.providers != nullptr) {
        platform::SessionProviders::Install(session.previousProviders);
        session.providers.reset();
    }
    // The canvas gives back the driver's surface lock, so it goes first.
    delete g_gameCanvas;
    g_gameCanvas = nullptr;
    delete g_display;
    g_display = nullptr;
    g_mainWindow = nullptr;
    session.window.reset();
    if (session.sdlPresenter != nullptr) {
        platform::DisplayPresenter::Install(session.previousPresenter);
        session.sdlPresenter.reset();
    }
    platform::VideoBackend::Stop();
    delete session.settingsReader;
    session.settingsReader = nullptr;
    // The comm faces' pictures were made on the engine heap.
    ResetFaces();
    delete g_engine;
    g_engine = nullptr;
    g_dataDirs.Clear();
    session.instanceLock.Release();
    NetLobbyScreen::messageBoxesOff = nullptr;
}

}  // namespace startup
