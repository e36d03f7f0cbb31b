#include "shell/Startup.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "display/DibDriver.h"
#include "display/DirectDrawDriver.h"
#include "display/DisplayDriver.h"
#include "display/Palette.h"
#include "display/PixelFormat.h"
#include "display/Canvas.h"
#include "canvas/D3DCanvas.h"
#include "canvas/ScreenCanvas16.h"
#include "canvas/ScreenCanvas8.h"
#include "canvas/SurfaceCanvas16.h"
#include "canvas/SurfaceCanvas8.h"
#include "engine/Clock.h"
#include "engine/CpuFeatures.h"
#include "engine/IniFile.h"
#include "scene/OstrelSystem.h"
#include "engine/Random.h"
#include "engine/SubHeap.h"
#include "engine/TaskLayer.h"
#include "display/FontContext.h"
#include "display/FontLoader.h"
#include "display/TextCursor.h"
#include "net/NetSession.h"
#include "platform/DisplayAdapter.h"
#include "platform/EnetSessionService.h"
#include "platform/SessionProviders.h"
#include "platform/DisplayPresenter.h"
#include "platform/InstanceLock.h"
#include "platform/MessageBox.h"
#include "platform/SdlPresenter.h"
#include "platform/VideoBackend.h"
#include "platform/Window.h"
#include "game/DataDirectories.h"
#include "game/EffectRegistries.h"
#include "game/EffectTypes.h"
#include "game/GameMessages.h"
#include "engine/input/InputSystem.h"
#include "display/D3DHalDriver.h"
#include "game/GameFonts.h"
#include "game/GameState.h"
#include "game/KeyMapFile.h"
#include "game/OptionsFile.h"
#include "shell/LaunchOptions.h"
#include "screens/FrameScreen.h"
#include "screens/NetLobbyScreen.h"
#include "shell/RunTrace.h"
#include "navmap/NavMaps.h"
#include "screens/GameMenus.h"
#include "screens/InitialOptionsScreen.h"
#include "ui/MenuScreen.h"
#include "ui/Screen.h"
#include "shell/CareerReport.h"
#include "shell/MainLoop.h"
#include "shell/NetReport.h"
#include "shell/CampaignHooks.h"
#include "shell/MissionFlight.h"
#include "mission/MissionSetUp.h"
#include "mission/ObjectLoader.h"
#include "net/NetworkHooks.h"
#include "objects/space/WorldPass.h"
#include "shell/InputFocus.h"
#include "platform/AudioOutput.h"
#include "platform/SoundLibrary.h"
#include "sound/SoundDevice.h"
#include "sound/SoundEffectLibrary.h"
#include "shell/PlayMovie.h"
#include "screens/RestartScreen.h"
#include "shell/StartupSettings.h"
#include "shell/FramePump.h"
#include "game/Script.h"
#include "ui/UiSounds.h"
#include "shell/TypedText.h"
#include "shell/KeyCapture.h"
#include "game/SoftCursor.h"
#include "game/TextInput.h"
#include "platform/QueuedInput.h"

OstrelSystem* g_engine = nullptr;
platform::Window* g_mainWindow = nullptr;
DisplayDriver* g_display = nullptr;

bool DisplayForbidsMessageBoxes() {
    return g_display != nullptr && (g_display->flags & DisplayDriver::kModePageFlip) != 0;
}

namespace {

constexpr const char* kWindowTitle = "Vorn Tessel";
constexpr int32_t kScreenWidth = 640;
constexpr int32_t kScreenHeight = 480;
constexpr const char* kMainPalette = "Vorn";
// Beside VORN.INI and vorn.cfg.
constexpr const char* kScreenLogFile = "screen.log";
// Drivers made, modes asked for, before the start-up gives up.
constexpr int32_t kDisplayAttempts = 10;
constexpr const char* kSoundEffectsFile = "fx.iff";
constexpr uint32_t kFarthestDepth = 0xFFFFFFFF;
// Colours packed as the palettes match them: red in the low byte.
constexpr uint32_t kBlack = 0x000000;
constexpr uint32_t kWhite = 0xFFFFFF;
// In the video directory.
constexpr const char* kIntroMovie = "intro.mpg";

void Say(const char* line) {
    std::printf("%s\n", line);
    std::fflush(stdout);
}

void ShowFatal(const char* text, const char* caption) {
    platform::MessageBox::Current().Show(text, caption, platform::kMessageBoxOk | platform::kMessageBoxIconError);
}

const char* PixelFormatName(int32_t format) {
    switch (format) {
        case kPixelFormatIndexed8: return "8-bit indexed";
        case kPixelFormatRgb555: return "5-5-5";
        default: return "5-6-5";
    }
}

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

// The command line's address: sessions are looked for there, and hosted
// on it and its port.
void UseNetAddress(Session& session, const LaunchOptions& options) {
    if (!options.net) return;
    const platform::SessionNetworkSettings settings = platform::SettingsForAddress(options.netAddress, options.netPort);
    session.providers = std::make_unique<platform::SessionProviders>();
    platform::AddTcpIpProvider(session.providers.get(), settings);
    session.previousProviders = platform::SessionProviders::Install(session.providers.get());
}

// A run without a window tells at once that it hosts or joined a game.
void ReportConnection(bool hosting, const char* sessionName, uint32_t ownId) {
    if (hosting) {
        std::printf("hosting \"%s\"\n", sessionName);
    } else {
        std::printf("joined \"%s\" as %u\n", sessionName, ownId);
    }
    std::fflush(stdout);
}

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
    delete g_engine;
    g_engine = nullptr;
    g_dataDirs.Clear();
    session.instanceLock.Release();
    NetLobbyScreen::messageBoxesOff = nullptr;
}

// SDL when a window is wanted and a display answers, else headless; then
// the main window, windowed until the start-up settings say otherwise.
void OpenMainWindow(const LaunchOptions& options, Session& session) {
    platform::VideoBackend::Start(!options.headless);
    session.window = platform::Window::Create(kWindowTitle, kScreenWidth, kScreenHeight, false);
    g_mainWindow = session.window.get();
    const bool sdl = platform::VideoBackend::Kind() == platform::VideoBackendKind::kSdl;
    std::printf("Video: %s\n", platform::VideoBackend::Description().c_str());
    if (!options.headless && !sdl) Say("no display available: running headless");
    if (sdl) {
        session.sdlPresenter = std::make_unique<platform::SdlPresenter>();
        session.previousPresenter = platform::DisplayPresenter::Install(session.sdlPresenter.get());
    }
    std::printf("Main window: %s, %dx%d, windowed%s\n", kWindowTitle, kScreenWidth, kScreenHeight,
                g_mainWindow->Headless() ? ", headless" : "");
    std::fflush(stdout);
}

// The system's message names no folder: the log names each one missing.
void LogMissingDataDirectories(const LaunchOptions& options) {
    for (int i = 0; i < DataDirectories::kCount; ++i) {
        if (g_dataDirs.Found(static_cast<DataDir>(i))) continue;
        std::printf("Data directory \"%s\" (with %s) not found under %s nor on a disc\n", DataDirectories::kNames[i],
                    DataDirectories::kProbeFile, options.dataRoot.empty() ? "." : options.dataRoot.c_str());
    }
    std::fflush(stdout);
}

// Asks for the disc until every data directory is found or the player gives up.
bool FindDataDirectories(const LaunchOptions& options) {
    for (;;) {
        if (g_dataDirs.Find(options.dataRoot)) return true;
        LogMissingDataDirectories(options);
        platform::MessageBoxAnswer answer = platform::MessageBox::Current().Show(
            msg::kInsertCdRom, msg::kCaptionInitialization,
            platform::kMessageBoxRetryCancel | platform::kMessageBoxIconError);
        if (answer != platform::MessageBoxAnswer::kRetry) return false;
    }
}

// The graphics choices: DirectDraw in 5-6-5 unless "vorn.cfg" says
// otherwise. Values no driver or palette kind answers to are replaced, so
// that the display start has something it can try.
void ReadGraphicsChoices(GameState& game) {
    g_pixelFormat = kPixelFormatRgb565;
    g_graphicsDriver = kGraphicsDriverDirectDraw;
    ConfigRecord record;
    record.pixelFormat = g_pixelFormat;
    record.graphicsDriver = g_graphicsDriver;
    record.textureFilterFlags = g_textureFilterFlags;
    record.softwareAlpha = g_softwareAlpha;
    record.enhancedGraphics = game.enhancedGraphics;
    const std::string path = game.ConfigFilePath();
    if (!game.ReadConfigFile(&record, true)) {
        std::printf("Options file: none at %s; DirectDraw in 5-6-5\n", path.c_str());
        std::fflush(stdout);
        return;
    }
    std::printf("Options file: %s: driver %d, pixel format %d, texture filter %u, software alpha %d, "
                "enhanced graphics %d\n",
                path.c_str(), g_graphicsDriver, g_pixelFormat, g_textureFilterFlags, g_softwareAlpha,
                game.enhancedGraphics);
    if (g_pixelFormat < kPixelFormatIndexed8 || g_pixelFormat > kPixelFormatRgb565) {
        std::printf("Options file: pixel format %d is unknown; 5-6-5 instead\n", g_pixelFormat);
        g_pixelFormat = kPixelFormatRgb565;
    }
    if (g_graphicsDriver != kGraphicsDriverDib && g_graphicsDriver != kGraphicsDriverDirectDraw &&
        g_graphicsDriver != kGraphicsDriverDirect3d) {
        std::printf("Options file: driver %d is unknown; DirectDraw instead\n", g_graphicsDriver);
        g_graphicsDriver = kGraphicsDriverDirectDraw;
    }
    std::fflush(stdout);
}

// The main palette; a palette that cannot be read stops the display with
// a message that names no file, so the log names it.
Palette* LoadMainPalette(GameState& game, bool reload) {
    Palette* const palette = game.LoadPalette(kMainPalette, reload);
    if (palette == nullptr) {
        std::printf("Palette \"%s\" cannot be read from %s%s\n", kMainPalette, g_dataDirs.Prefix(DataDir::kData).c_str(),
                    GameState::kPaletteFile);
        std::fflush(stdout);
    }
    return palette;
}

// The 3D kind takes the device of that name (lower-cased, as the
// enumeration lists it); the others ignore it.
DisplayDriver* CreateDriver(platform::Window* window, const std::string& deviceName) {
    if (g_graphicsDriver == kGraphicsDriverDib) return new DibDriver(window);
    if (g_graphicsDriver == kGraphicsDriverDirect3d) return new D3DHalDriver(window, deviceName.c_str());
    return new DirectDrawDriver(window);
}

// The display devices the 3D kind may try, lower-cased, in the
// enumeration's order.
std::vector<std::string> DeviceNames() {
    std::vector<std::string> names;
    platform::DisplayAdapter::Current().EnumerateDrivers([&names](const platform::DisplayDriverEntry& entry) {
        std::string name = entry.description;
        std::transform(name.begin(), name.end(), name.begin(), [](unsigned char c) { return char(std::tolower(c)); });
        names.push_back(name);
        return true;
    });
    return names;
}

// Opens the 640 x 480 display with the chosen driver at the pixel format's
// depth. A palette of the wrong 16-bit layout (13: the display wants
// 5-5-5, 14: 5-6-5) changes the pixel format; any other failure swaps
// page flipping on or off; each try is a new driver. Null after
// kDisplayAttempts tries, having said so.
DisplayDriver* StartDisplay(GameState& game, platform::Window* window, bool fullScreen) {
    const bool hardware3d = g_graphicsDriver == kGraphicsDriverDirect3d;
    uint32_t modeFlags = hardware3d ? D3DHalDriver::kGameModeFlags : fullScreen ? DisplayDriver::kModeFullScreen : 0u;
    // The 3D kind steps from the last enumerated device towards the first.
    const std::vector<std::string> devices = hardware3d ? DeviceNames() : std::vector<std::string>{};
    int32_t device = int32_t(devices.size()) - 1;
    Palette* palette = nullptr;
    int32_t paletteFormat = -1;
    for (int32_t attempt = 1; attempt <= kDisplayAttempts; ++attempt) {
        if (paletteFormat != g_pixelFormat) {
            // The driver that held the old palette is gone.
            palette = LoadMainPalette(game, true);
            paletteFormat = g_pixelFormat;
        }
        // Always 16 bits: an 8-bit palette fails with 13 or 14, and the
        // retry below moves to a 16-bit pixel mode.
        const int32_t depth = 16;
        if (hardware3d && device < 0) break;
        DisplayDriver* const driver = CreateDriver(window, hardware3d ? devices[size_t(device)] : std::string());
        const int32_t result =
            driver != nullptr ? driver->SetMode(kScreenWidth, kScreenHeight, depth, palette, modeFlags)
                              : kDisplayOutOfMemory;
        if (result == kDisplayOk) {
            std::printf("Display: %s, %dx%d, %d bits, %s, mode flags %x\n", driver->name, kScreenWidth,
                        kScreenHeight, depth, PixelFormatName(g_pixelFormat), driver->flags);
            std::fflush(stdout);
            return driver;
        }
        std::printf("Display: %s in %s gave %d", driver != nullptr ? driver->name : "no driver",
                    PixelFormatName(g_pixelFormat), result);
        delete driver;
        if (result == kDisplayNeeds555Palette) {
            g_pixelFormat = kPixelFormatRgb555;
        } else if (result == kDisplayNeeds565Palette) {
            g_pixelFormat = kPixelFormatRgb565;
        } else if (hardware3d) {
            --device;
        } else {
            modeFlags ^= DisplayDriver::kModePageFlip;
        }
        if (hardware3d && device < 0) {
            std::printf("; no device left\n");
        } else if (attempt < kDisplayAttempts) {
            std::printf("; trying %s, mode flags %x\n", PixelFormatName(g_pixelFormat), modeFlags);
        } else {
            std::printf("; giving up\n");
        }
        std::fflush(stdout);
    }
    ShowFatal(msg::kCouldNotInitializeDrivers, msg::kCaptionScreenInit);
    return nullptr;
}

// The game canvas by the driver's kind and the pixel format, with a depth
// buffer, cleared to black and shown. Null when it cannot be made.
Canvas* CreateGameCanvas(DisplayDriver& driver, Palette* palette) {
    if (palette == nullptr) return nullptr;
    const bool wide = g_pixelFormat != kPixelFormatIndexed8;
    Canvas* canvas = nullptr;
    const char* kindName = nullptr;
    if (driver.kind == DisplayDriver::kKindD3dHal) {
        const CanvasRect rect{0, 0, kScreenWidth, kScreenHeight};
        canvas = new D3DCanvas(&rect, palette, Canvas::kFlagHasDepth, &static_cast<D3DHalDriver&>(driver));
        kindName = "D3DCanvas";
    } else if (driver.kind == DisplayDriver::kKindDirectDraw) {
        FrameSurfaces* const surfaces = static_cast<DirectDrawDriver&>(driver).frameSurfaces;
        if (wide) {
            canvas = new SurfaceCanvas16(surfaces, 0, palette, Canvas::kFlagHasDepth);
            kindName = "SurfaceCanvas16";
        } else {
            canvas = new SurfaceCanvas8(surfaces, nullptr, palette, Canvas::kFlagHasDepth);
            kindName = "SurfaceCanvas8";
        }
    } else {
        const DibDriver& dib = static_cast<DibDriver&>(driver);
        if (wide) {
            canvas = new ScreenCanvas16(kScreenWidth, kScreenHeight, dib.pixels, nullptr, palette,
                                        Canvas::kFlagHasDepth, dib.pitch, 0);
            kindName = "ScreenCanvas16";
        } else {
            canvas = new ScreenCanvas8(kScreenWidth, kScreenHeight, dib.pixels, nullptr, palette,
                                       Canvas::kFlagHasDepth, dib.pitch, 0);
            kindName = "ScreenCanvas8";
        }
    }
    if (canvas->setupResult != kStatusOk) {
        std::printf("Game canvas: %s could not be set up (%u)\n", kindName, canvas->setupResult);
        std::fflush(stdout);
        delete canvas;
        return nullptr;
    }
    canvas->EnableDepthTest();
    if (g_softwareAlpha != 0) canvas->SetFlag40000();
    canvas->palette = palette;
    canvas->Clear(palette->MatchColor(kBlack), kFarthestDepth);
    driver.InvalidateAll();
    driver.Present();
    std::printf("Game canvas: %s, %dx%d\n", kindName, canvas->width, canvas->height);
    std::fflush(stdout);
    return canvas;
}

// The sound device, on the sound card when there is a window, else mixing
// into nothing, and the definitions of "fx.iff". A device that cannot open
// leaves every sound call doing nothing; missing definitions leave every
// sound object null.
void StartSound(const LaunchOptions& options) {
    std::unique_ptr<platform::AudioOutput> output;
    if (!options.headless && platform::VideoBackend::Kind() == platform::VideoBackendKind::kSdl) {
        output = std::make_unique<platform::SdlAudioOutput>();
    } else {
        output = std::make_unique<platform::HeadlessAudioOutput>();
    }
    auto library = std::make_unique<platform::SoundLibrary>(std::move(output));
    const bool midi = library->Startup() && library->StartMidi();
    const int32_t tracks = library->OpenCdAudio(g_dataDirs.Prefix(DataDir::kXmi));
    auto* const device = new SoundDevice(std::move(library));
    auto* const effects = new SoundEffectLibrary;
    const std::string path = g_dataDirs.Prefix(DataDir::kData) + kSoundEffectsFile;
    const Status loaded = effects->Load(path.c_str());
    g_gameState->TakeSound(device, effects);
    std::printf("Sound: %s%s\n", device->Library().Output().Description().c_str(),
                device->Open() ? "" : ", not open: sounds are silent");
    std::printf("Music: %s, %d CD tracks\n",
                midi ? ("synthesizer on " + device->Library().MidiSoundFont()).c_str() : "no MIDI driver (no SoundFont)",
                tracks);
    if (loaded == kStatusOk) {
        std::printf("Sound effects: %zu from %s, %d refused\n", effects->sounds.size(), path.c_str(), effects->refused);
    } else {
        std::printf("Sound effects: %s cannot be read (%u)\n", path.c_str(), loaded);
    }
    std::fflush(stdout);
}

// The display with the graphics choices as they stand, its log and the
// game canvas in the main palette; false after the player was told.
bool OpenScreen(const LaunchOptions& options, const StartupSettings& settings) {
    g_display = StartDisplay(*g_gameState, g_mainWindow, settings.fullScreen != 0);
    if (g_display == nullptr) return false;

    const std::string logPath = options.dataRoot + "/" + kScreenLogFile;
    if (g_display->WriteScreenLog(logPath.c_str(), 0) == kStatusOk) {
        std::printf("Display log written to %s\n", logPath.c_str());
    } else {
        std::printf("Display log: %s cannot be written\n", logPath.c_str());
    }
    std::fflush(stdout);

    Palette* const palette = LoadMainPalette(*g_gameState, false);
    g_gameCanvas = CreateGameCanvas(*g_display, palette);
    if (g_gameCanvas == nullptr) {
        ShowFatal(msg::kCouldNotInitializeDrivers, msg::kCaptionScreenInit);
        return false;
    }
    // 16-bit modes have no display palette to set: the answer says so and
    // nothing more.
    g_display->SetPaletteEntries(palette, 0);
    return true;
}

// The display with the choices of "vorn.cfg".
bool StartScreen(const LaunchOptions& options, const StartupSettings& settings) {
    ReadGraphicsChoices(*g_gameState);
    return OpenScreen(options, settings);
}

// The first screen runs on the display the start-up opened; another driver
// or pixel format chosen there takes over before anything else is drawn.
// False after the player was told that no display started.
bool ReopenScreenAsChosen(const LaunchOptions& options, const StartupSettings& settings, FramePump& pump,
                          int32_t driver, int32_t pixelFormat) {
    if (g_graphicsDriver == driver && g_pixelFormat == pixelFormat) return true;
    std::printf("Display: driver %d chosen on the first screen\n", g_graphicsDriver);
    std::fflush(stdout);
    // The canvas gives back the driver's surface lock, so it goes first.
    delete g_gameCanvas;
    g_gameCanvas = nullptr;
    delete g_display;
    g_display = nullptr;
    if (!OpenScreen(options, settings)) return false;
    pump.Rebind(*g_display, g_gameCanvas);
    return true;
}

// The cursor's shapes from the data directory. Without them the window
// system's cursor serves, so a missing file only goes to the log.
std::unique_ptr<SoftCursor> LoadCursor() {
    auto cursor = std::make_unique<SoftCursor>();
    // A run without a window has no system cursor: the game draws its own,
    // so that the pictures of a scripted run show where the pointer is.
    cursor->software = g_mainWindow->Headless();
    const std::string path = g_dataDirs.Prefix(DataDir::kData) + SoftCursor::kFileName;
    const Status status = cursor->Load(path.c_str());
    if (status == kStatusOk) {
        std::printf("Cursors: %d shapes from %s\n", SoftCursor::kShapeCount, path.c_str());
    } else {
        std::printf("Cursors: %s cannot be read (%u): the system's cursor serves\n", path.c_str(), status);
    }
    std::fflush(stdout);
    return cursor;
}

// Tells the player which font failed and how; false then. Keeps the name
// of the banner's font.
bool LoadFonts(Session& session) {
    std::string failed;
    const Status status = LoadGameFonts(&failed);
    if (status != kStatusOk) {
        char text[512];
        std::snprintf(text, sizeof text, msg::kFailedToLoadFont, failed.c_str(), static_cast<int>(status));
        ShowFatal(text, msg::kCaptionError);
        return false;
    }
    const FontRecord& font = *g_fontContext->current;
    session.bannerFont.assign(font.name, strnlen(font.name, FontRecord::kNameChars));
    std::printf("Fonts loaded: %zu\n", std::size(kGameFontFiles));
    std::fflush(stdout);
    return true;
}

// Black, with the version banner in white in the middle.
void DrawIntroScreen(Canvas& canvas, const std::string& bannerFont) {
    const Palette& palette = *canvas.palette;
    canvas.Clear(palette.MatchColor(kBlack), kFarthestDepth);
    if (SelectFont(bannerFont.c_str()) != kStatusOk) return;
    SetFontColors(palette.MatchColor(kWhite), Canvas::kColorTransparent);
    const int32_t x = (canvas.width - int32_t(FontStringWidth(msg::kVersionBanner))) / 2;
    const int32_t y = (canvas.height - int32_t(FontHeight())) / 2;
    // One lock for the whole line rather than one per glyph.
    const int32_t previousLock = canvas.Lock();
    TextCursor(&canvas, x, y).PutString(msg::kVersionBanner);
    if (previousLock == 0) canvas.Unlock();
}

// The main loop from the mode the start-up chose; none yet but the flight
// of a mission named on the command line. The exit status.
int RunMainLoop(const LaunchOptions& options) {
    GameState& game = *g_gameState;
    InstallCampaignHooks();
    if (!options.mission.empty()) {
        // The flight's file is the one the career's step after it reads.
        game.missionName = options.mission;
        // The command line's dice, so that a flight can be flown again.
        if (!SetUpLaunchMission(options)) {
            FreeMission();
            return 1;
        }
        std::printf("Mission %s set up: flying\n", options.mission.c_str());
        std::fflush(stdout);
        game.mode = GameState::kModeFlight;
        // The flight's map command needs its screen, which no place has built yet.
        game.BuildScreen(ScreenSlot::kNavMap);
    }
    if (game.mode == 0) return 0;
    MainLoop loop(game, GameLoopSteps(g_gameCanvas));
    if (!options.mission.empty()) loop.EndAfterFlight();
    int exitCode = loop.Run();
    if (loop.Quit()) exitCode = g_mainWindow->ExitCode();
    // A quit message (a closed window, a script's end) is told apart from
    // the game's own quit, so that a script can be seen to have quit.
    std::printf("Main loop ended %sin mode %d\n", loop.Quit() ? "by a quit message " : "", game.mode);
    std::fflush(stdout);
    if (options.mission.empty() && g_mainWindow->Headless()) PrintCareerReport(game);
    if (options.net && g_mainWindow->Headless()) PrintNetReport(game);
    FreeMission();
    return exitCode;
}

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
    game.currentScreen = screen;
    while (game.currentScreen != nullptr && !quit) game.currentScreen->Run();
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

}  // namespace

IntroEnd RunIntroLoop(platform::Window& window, DisplayDriver& display, int32_t frameLimit, int32_t* framesShown) {
    bool dismissed = false;
    platform::Window::Procedure previous;
    previous = window.SetProcedure([&dismissed, &previous](platform::Window& self,
                                                           const platform::WindowMessage& message) {
        if (message.type == platform::WindowMessageType::kKeyDown ||
            message.type == platform::WindowMessageType::kMouseButtonDown) {
            dismissed = true;
            return true;
        }
        return previous && previous(self, message);
    });
    // The start-up's pump when it runs one; else one of the loop's own.
    std::optional<FramePump> ownPump;
    if (FramePump::Current() == nullptr) ownPump.emplace(window, display, nullptr, nullptr, Script(),
                                                         std::vector<LaunchOptions::Shot>());
    int32_t frames = 0;
    IntroEnd end = IntroEnd::kFramesShown;
    for (;;) {
        FlipFrame();
        ++frames;
        if (frameLimit > 0 && frames >= frameLimit) break;
        if (PumpMessages() == 0) {
            end = IntroEnd::kQuit;
            break;
        }
        if (dismissed) {
            end = IntroEnd::kDismissed;
            break;
        }
    }
    ownPump.reset();
    window.SetProcedure(std::move(previous));
    if (framesShown != nullptr) *framesShown = frames;
    return end;
}

int RunGame(const LaunchOptions& options) {
    // A script that cannot be read is refused as a bad argument is.
    Script script;
    std::string scriptError;
    if (!options.script.empty() && !script.Load(options.script, &scriptError)) {
        std::fprintf(stderr, "vorn: --script %s\n", scriptError.c_str());
        return 2;
    }
    Session session;
    session.settingsReader = new IniFile();
    NetLobbyScreen::messageBoxesOff = DisplayForbidsMessageBoxes;

    if (!session.instanceLock.Acquire()) {
        ShowFatal(msg::kAnotherInstance, msg::kCaptionInitialization);
        ShutDown(session);
        return 1;
    }
    OpenMainWindow(options, session);

    if (!FindDataDirectories(options)) {
        ShutDown(session);
        return 1;
    }
    std::printf("Data directories found under %s\n", options.dataRoot.c_str());
    const bool scripted = !options.script.empty() || !options.shots.empty();
    if ((!options.mission.empty() || options.join) && g_mainWindow->Headless() && !scripted) {
        // A flight without a window or a picture to take needs no display,
        // sound or engine heap: it tells what happens, frame by frame.
        UseNetAddress(session, options);
        run_trace::Enable();
        const int code = RunMissionFlight(options);
        run_trace::Disable();
        ShutDown(session);
        return code;
    }

    g_engine = new OstrelSystem(OstrelSystem::kGameHeapSize, OstrelSystem::kGameHeapMode);
    if (!g_engine) {
        ShowFatal(msg::kFailedToAllocateEngine, msg::kCaptionInitialization);
        ShutDown(session);
        return 1;
    }
    // The task-stack pool lives in this frame, which lasts until shutdown.
    alignas(16) uint8_t taskPool[OstrelSystem::kGameTaskPoolSize];
    SubHeap* pool = SubHeap::Init(taskPool, sizeof taskPool);
    // The pool's memory is this frame's: it is given back on every way out,
    // after the engine, or the frame keeps the pool's guard poison and later
    // calls trip over it.
    struct PoolRelease {
        SubHeap* pool;
        ~PoolRelease() {
            if (pool == nullptr) return;
            TaskLayer::SetPool(nullptr);
            pool->Release();
        }
    } poolRelease{pool};
    if (g_engine->Start(OstrelSystem::kGameArenaSize1, OstrelSystem::kGameArenaSize2, pool) != kStatusOk) {
        ShowFatal(msg::kFailedToInitializeEngine, msg::kCaptionFatalError);
        ShutDown(session);
        return 1;
    }
    Say("Engine started: 32 MB heap, scratch arenas of 256 KB and 64 KB");

    if (CpuHas3dNow() && g_engine->World().Use3dNowMath() == kStatusOk)
        Say("Math routines: 3DNow!");
    else
        Say("Math routines: x87");
    GameRandomSeed(GetMilliseconds());
    Say("Random generator seeded from the clock");

    session.input = new DirectInputSystem(g_mainWindow);
    session.input->OpenDevices();
    FollowFocus(*g_mainWindow, session.input);
    FollowTypedText(*g_mainWindow);
    FollowKeyCapture(*g_mainWindow);
    std::printf("Input: keyboard %s, mouse %s, joystick %s\n", session.input->HasKeyboard() ? "yes" : "no",
                session.input->HasMouse() ? "yes" : "no", session.input->HasJoystick() ? "yes" : "no");
    std::fflush(stdout);

    g_gameState = new GameState;
    if (!g_gameState) {
        ShowFatal(msg::kFailedToAllocateGameState, msg::kCaptionInitialization);
        ShutDown(session);
        return 1;
    }
    g_gameState->SetConfigFolder(options.dataRoot);
    InstallNetworkHooks();
    UseNetAddress(session, options);
    g_gameState->netSession = new NetSession(NetSession::kStartupName, NetSession::kDefaultCapacity);
    if (options.headless) NetSession::SetConnectedListener(ReportConnection);
    // A script's waits wait for the trace's lines, in a window too.
    if (options.headless || !options.script.empty()) run_trace::Enable();
    // Every flight's ships, a campaign's as much as one named on the command
    // line, are fitted through the builders of their systems.
    RegisterSpaceObjects();
    DefinitionLibrary::RegisterCoreBuilders();
    g_gameState->TakeInputSystem(session.input);
    session.input = nullptr;
    Say("Game state created");

    const StartupSettings settings =
        StartupSettings::Read(*session.settingsReader, options.dataRoot + "/" + StartupSettings::kFileName);
    std::printf("Start-up settings: Mouse=%d Joystick=%d Mouse_Sensitivity=%d FullScreen=%d\n", settings.mouse,
                settings.joystick, settings.mouseSensitivity, settings.fullScreen);
    g_gameState->joystickSetting = settings.joystick;
    g_gameState->mouseSetting = settings.mouse;
    // Without a whole key map the command table's bindings stay.
    std::printf("Key map %s: %s\n", KeyMap::kFileName,
                g_gameState->LoadKeyMap() ? "loaded" : "not loaded, default bindings");
    if (settings.fullScreen != 0) {
        g_mainWindow->SetFullScreen(true);
        Say("Main window: full screen");
    }

    if (!StartScreen(options, settings)) {
        ShutDown(session);
        return 1;
    }
    StartSound(options);
    // The options file, once the options screen reads it, goes before this.
    g_gameState->ApplyOptions(1);
    session.cursor = LoadCursor();
    // The tutorial pop-up, which any screen lays over itself, once the cursor is there.
    RegisterGameMenus();
    RegisterNavMaps();
    RestartScreen::playMovie = PlayMovie;
    g_gameState->BuildScreen(ScreenSlot::kTutorial);
    LoadFx();
    std::printf("Lens flares: %d defined\n", g_flareTable.Count());
    // The intro movie before the fonts and the banner; a key skips it at once.
    const std::string intro = g_dataDirs.Prefix(DataDir::kVideo) + kIntroMovie;
    const int32_t played = PlayMovie(intro.c_str(), 0);
    std::printf("Intro movie %s: %s (%d)\n", kIntroMovie, played == 0 ? "played" : "not played", played);
    std::fflush(stdout);
    if (!LoadFonts(session)) {
        ShutDown(session);
        return 1;
    }

    // The window feeds the process's input layer, which is the one in use
    // unless a test installed its own. One pump counts the passes of the
    // intro and of the loop alike, for the script and its pictures.
    auto* const input = dynamic_cast<platform::QueuedInput*>(&platform::InputBackend::Current());
    session.pump = std::make_unique<FramePump>(*g_mainWindow, *g_display, g_gameCanvas, input, std::move(script),
                                               options.shots);
    session.pump->SetCursor(session.cursor.get());
    if (options.net) session.pump->KeepRealTime();
    g_gameState->cursor = session.cursor.get();

    if (!options.mission.empty()) {
        // A mission named on the command line flies at once.
        int code = RunMainLoop(options);
        if (code == 0 && session.pump->FailedShots() > 0) code = 1;
        ShutDown(session);
        Say("Shut down");
        return code;
    }

    // The first screen, unless nobody could answer it: a run without a
    // window, a script or a picture to take goes on as the intro does.
    if (!g_mainWindow->Headless() || scripted) {
        const int32_t driver = g_graphicsDriver;
        const int32_t pixelFormat = g_pixelFormat;
        if (!RunInitialOptions(*g_gameState)) {
            int code = g_gameState->mode == GameState::kModeQuit ? 0 : g_mainWindow->ExitCode();
            if (code == 0 && session.pump->FailedShots() > 0) code = 1;
            ShutDown(session);
            Say("Shut down");
            return code;
        }
        if (!ReopenScreenAsChosen(options, settings, *session.pump, driver, pixelFormat)) {
            ShutDown(session);
            return 1;
        }
    }

    // A first option screen (a saved game to load) follows the choices at
    // once; otherwise the banner waits.
    if (ChooseFirstScreen(*g_gameState)) {
        int code = RunMainLoop(options);
        if (code == 0 && session.pump->FailedShots() > 0) code = 1;
        ShutDown(session);
        Say("Shut down");
        return code;
    }
    DrawIntroScreen(*g_gameCanvas, session.bannerFont);
    std::printf("Intro shown: %s\n", msg::kVersionBanner);
    std::fflush(stdout);
    // Without a window nobody can end the intro, so it ends by itself, after
    // one frame or the last of a script's passes and pictures.
    const int32_t frameLimit =
        options.frames > 0 ? options.frames : (g_mainWindow->Headless() && !scripted ? 1 : 0);
    int32_t frames = 0;
    const IntroEnd end = RunIntroLoop(*g_mainWindow, *g_display, frameLimit, &frames);
    int exitCode = end == IntroEnd::kQuit ? g_mainWindow->ExitCode() : 0;
    if (exitCode == 0 && session.pump->FailedShots() > 0) exitCode = 1;
    const char* const plural = frames == 1 ? "" : "s";
    switch (end) {
        case IntroEnd::kFramesShown: std::printf("Intro ended after %d frame%s\n", frames, plural); break;
        case IntroEnd::kDismissed:
            std::printf("Intro ended by a key or a click after %d frame%s\n", frames, plural);
            break;
        case IntroEnd::kQuit: std::printf("Intro ended by a quit message after %d frame%s\n", frames, plural); break;
    }
    std::fflush(stdout);
    int code = exitCode;
    if (end != IntroEnd::kQuit) code = RunMainLoop(options);

    ShutDown(session);
    Say("Shut down");
    return code;
}
