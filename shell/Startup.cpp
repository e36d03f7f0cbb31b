#include "shell/Startup.h"

#include <cstdint>
#include <cstdio>
#include <string>

#include "engine/Clock.h"
#include "engine/IniFile.h"
#include "engine/CpuFeatures.h"
#include "engine/OstrelSystem.h"
#include "engine/Random.h"
#include "engine/SubHeap.h"
#include "engine/image/FontLoader.h"
#include "platform/MessageBox.h"
#include "shell/DataDirectories.h"
#include "shell/GameMessages.h"
#include "shell/LaunchOptions.h"
#include "shell/StartupSettings.h"

OstrelSystem* g_engine = nullptr;

namespace {

void Say(const char* line) {
    std::printf("%s\n", line);
    std::fflush(stdout);
}

// Asks for the disc until every data directory is found or the player gives up.
bool FindDataDirectories(const LaunchOptions& options) {
    for (;;) {
        if (g_dataDirs.Find(options.dataRoot)) return true;
        platform::MessageBoxAnswer answer = platform::MessageBox::Current().Show(
            msg::kInsertCdRom, msg::kCaptionInitialization,
            platform::kMessageBoxRetryCancel | platform::kMessageBoxIconError);
        if (answer != platform::MessageBoxAnswer::kRetry) return false;
    }
}

void ShowFatal(const char* text, const char* caption) {
    platform::MessageBox::Current().Show(text, caption, platform::kMessageBoxOk | platform::kMessageBoxIconError);
}

// The game's fonts, each file's first font taken, all from the data directory.
constexpr const char* kFontFiles[] = {"8X13.iff",     "font03.iff",   "font07.iff", "cockpitf.iff",
                                      "9x7opt.iff", "5x7digit.iff", "ttf.iff"};
constexpr int kFontFileCount = sizeof kFontFiles / sizeof kFontFiles[0];

// Tells the player which font failed and how; false then.
bool LoadGameFonts() {
    for (const char* file : kFontFiles) {
        const std::string path = g_dataDirs.Prefix(DataDir::kData) + file;
        const Status status = LoadFont(path.c_str(), nullptr);
        if (status != kStatusOk) {
            char text[512];
            std::snprintf(text, sizeof text, msg::kFailedToLoadFont, path.c_str(), static_cast<int>(status));
            ShowFatal(text, msg::kCaptionError);
            return false;
        }
    }
    return true;
}

}  // namespace

int RunGame(const LaunchOptions& options) {
    // Made before the engine heap exists, so it lives in the runtime heap.
    IniFile* settingsReader = new IniFile();
    if (!FindDataDirectories(options)) {
        delete settingsReader;
        g_dataDirs.Clear();
        return 1;
    }
    std::printf("Data directories found under %s\n", options.dataRoot.c_str());

    g_engine = new OstrelSystem(OstrelSystem::kGameHeapSize, OstrelSystem::kGameHeapMode);
    if (!g_engine) {
        ShowFatal(msg::kFailedToAllocateEngine, msg::kCaptionInitialization);
        delete settingsReader;
        g_dataDirs.Clear();
        return 1;
    }
    // The task-stack pool lives in this frame, which lasts until shutdown.
    alignas(16) uint8_t taskPool[OstrelSystem::kGameTaskPoolSize];
    SubHeap* pool = SubHeap::Init(taskPool, sizeof taskPool);
    if (g_engine->Start(OstrelSystem::kGameArenaSize1, OstrelSystem::kGameArenaSize2, pool) != kStatusOk) {
        ShowFatal(msg::kFailedToInitializeEngine, msg::kCaptionFatalError);
        delete settingsReader;
        delete g_engine;
        g_engine = nullptr;
        g_dataDirs.Clear();
        return 1;
    }
    Say("Engine started: 32 MB heap, scratch arenas of 256 KB and 64 KB");

    if (CpuHas3dNow() && g_engine->World().Use3dNowMath() == kStatusOk)
        Say("Math routines: 3DNow!");
    else
        Say("Math routines: x87");
    GameRandomSeed(GetMilliseconds());
    Say("Random generator seeded from the clock");

    const StartupSettings settings =
        StartupSettings::Read(*settingsReader, options.dataRoot + "/" + StartupSettings::kFileName);
    std::printf("Start-up settings: Mouse=%d Joystick=%d Mouse_Sensitivity=%d FullScreen=%d\n", settings.mouse,
                settings.joystick, settings.mouseSensitivity, settings.fullScreen);

    if (!LoadGameFonts()) {
        delete settingsReader;
        delete g_engine;
        g_engine = nullptr;
        g_dataDirs.Clear();
        return 1;
    }
    std::printf("Fonts loaded: %d\n", kFontFileCount);

    // Shutdown, in the reverse of the start-up. The reader's text lives in
    // the engine heap, so it goes before the engine.
    delete settingsReader;
    delete g_engine;
    g_engine = nullptr;
    g_dataDirs.Clear();
    Say("Shut down");
    return 0;
}
