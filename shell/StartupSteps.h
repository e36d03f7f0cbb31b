#pragma once
#include <cstdint>
#include <memory>
#include <string>

#include "game/SoftCursor.h"
#include "platform/DisplayPresenter.h"
#include "platform/InstanceLock.h"
#include "platform/SdlPresenter.h"
#include "platform/SessionProviders.h"
#include "platform/Window.h"
#include "shell/FramePump.h"

class Canvas;
class GameState;
class IniFile;
class InputSystem;
struct LaunchOptions;
struct StartupSettings;

// The steps RunGame takes, in the game's fixed order, and what they share.
// Each step lives in the file named after it; only the start-up's own files
// include this.
namespace startup {

inline constexpr uint32_t kFarthestDepth = 0xFFFFFFFF;
// Colours packed as the palettes match them: red in the low byte.
inline constexpr uint32_t kBlack = 0x000000;
inline constexpr uint32_t kWhite = 0xFFFFFF;
// The intro's prompt stands this many text rows below the banner.
inline constexpr int32_t kPromptRows = 4;

// What the start-up made that has no global of its own.
struct Session {
    platform::InstanceLock instanceLock;
    // Made before the engine heap exists, so it lives in the runtime heap;
    // its text lives in the engine heap.
    IniFile* settingsReader = nullptr;
    std::unique_ptr<platform::Window> window;
    std::unique_ptr<platform::SdlPresenter> sdlPresenter;
    platform::DisplayPresenter* previousPresenter = nullptr;
    // The font that draws the banner, by its name in the font file.
    std::string bannerFont;
    // The devices until the game state takes them.
    InputSystem* input = nullptr;
    std::unique_ptr<SoftCursor> cursor;
    // The passes of the loops, from the intro on.
    std::unique_ptr<FramePump> pump;
    // The network's way out when the command line names one.
    std::unique_ptr<platform::SessionProviders> providers;
    platform::SessionProviders* previousProviders = nullptr;
};

// Startup.cpp: the log's lines and the boxes that end the start-up.
void Say(const char* line);
void ShowFatal(const char* text, const char* caption);
// StartupNetwork.cpp
void UseNetAddress(Session& session, const LaunchOptions& options);
void ReportConnection(bool hosting, const char* sessionName, uint32_t ownId);
// StartupShutDown.cpp
void ShutDown(Session& session);
// StartupDataDirectories.cpp
bool FindDataDirectories(const LaunchOptions& options);
// StartupDisplay.cpp: the main window, the display and the game canvas.
void OpenMainWindow(const LaunchOptions& options, Session& session);
bool StartScreen(const LaunchOptions& options, const StartupSettings& settings);
bool ReopenScreenAsChosen(const LaunchOptions& options, const StartupSettings& settings, FramePump& pump,
                          int32_t driver, int32_t pixelFormat);
// StartupSound.cpp
void StartSound(const LaunchOptions& options);
// StartupCursor.cpp
std::unique_ptr<SoftCursor> LoadCursor();
// StartupFonts.cpp
bool LoadFonts(Session& session);
// IntroScreen.cpp, beside the intro's loop.
void DrawIntroScreen(Canvas& canvas, const std::string& bannerFont);
// StartupFirstScreen.cpp
bool ChooseFirstScreen(GameState& game);
bool RunInitialOptions(GameState& game);

}  // namespace startup
