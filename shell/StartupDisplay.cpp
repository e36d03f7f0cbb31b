// The main window and the display: the graphics choices of "vorn.cfg", the
// driver that answers them, the main palette and the game canvas.
#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "canvas/D3DCanvas.h"
#include "canvas/ScreenCanvas16.h"
#include "canvas/ScreenCanvas8.h"
#include "canvas/SurfaceCanvas16.h"
#include "canvas/SurfaceCanvas8.h"
#include "display/Canvas.h"
#include "display/D3DHalDriver.h"
#include "display/DibDriver.h"
#include "display/DirectDrawDriver.h"
#include "display/DisplayDriver.h"
#include "display/Palette.h"
#include "display/PixelFormat.h"
#include "game/DataDirectories.h"
#include "game/GameMessages.h"
#include "game/GameState.h"
#include "platform/DisplayAdapter.h"
#include "platform/DisplayPresenter.h"
#include "platform/SdlPresenter.h"
#include "platform/VideoBackend.h"
#include "platform/Window.h"
#include "shell/FramePump.h"
#include "shell/LaunchOptions.h"
#include "shell/Startup.h"
#include "shell/StartupSettings.h"
#include "shell/StartupSteps.h"

namespace startup {

namespace {

constexpr const char* kWindowTitle = "Vorn Tessel";
constexpr int32_t kScreenWidth = 640;
constexpr int32_t kScreenHeight = 480;
constexpr const char* kMainPalette = "Vorn";
// Beside VORN.INI and vorn.cfg.
constexpr const char* kScreenLogFile = "screen.log";
// Drivers made, modes asked for, before the start-up gives up.
constexpr int32_t kDisplayAttempts = 10;

const char* PixelFormatName(int32_t format) {
    switch (format) {
        case kPixelFormatIndexed8: return "8-bit indexed";
        case kPixelFormatRgb555: return "5-5-5";
        default: return "5-6-5";
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
    ConfigRecord stored;
    if (!game.ReadConfigFile(&record, true, &stored)) {
        std::printf("Options file: none at %s; DirectDraw in 5-6-5\n", path.c_str());
        std::fflush(stdout);
        return;
    }
    std::printf("Options file: %s: driver %d, pixel format %d, texture filter %u, software alpha %d, "
                "enhanced graphics %d\n",
                path.c_str(), stored.graphicsDriver, stored.pixelFormat, g_textureFilterFlags, g_softwareAlpha,
                game.enhancedGraphics);
    // The reader has mended them already: this only tells the log.
    if (stored.pixelFormat != record.pixelFormat) {
        std::printf("Options file: pixel format %d is unknown; 5-6-5 instead\n", stored.pixelFormat);
    }
    if (stored.graphicsDriver != record.graphicsDriver) {
        std::printf("Options file: driver %d is unknown; DirectDraw instead\n", stored.graphicsDriver);
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
    // The world's models are loaded under the palette the game canvas draws
    // with, so that their faces' true colours become its indices.
    g_gameState->currentPalette = g_gameState->defaultPalette = palette;
    // 16-bit modes have no display palette to set: the answer says so and
    // nothing more.
    g_display->SetPaletteEntries(palette, 0);
    return true;
}

}  // namespace

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

}  // namespace startup
