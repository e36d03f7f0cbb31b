#include "shell/Startup.h"

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <utility>
#include <chrono>
#include <thread>

#include "display/DisplayDriver.h"
#include "engine/Clock.h"
#include "engine/CpuFeatures.h"
#include "engine/IniFile.h"
#include "engine/Random.h"
#include "engine/SubHeap.h"
#include "engine/TaskLayer.h"
#include "engine/input/InputSystem.h"
#include "game/DataDirectories.h"
#include "game/EffectRegistries.h"
#include "game/EffectTypes.h"
#include "game/GameMessages.h"
#include "game/GameState.h"
#include "game/KeyMapFile.h"
#include "game/Mission.h"
#include "game/Script.h"
#include "mission/MissionSetUp.h"
#include "mission/ObjectLoader.h"
#include "navmap/NavMaps.h"
#include "net/NetSession.h"
#include "net/NetworkHooks.h"
#include "objects/space/SpaceObject.h"
#include "objects/space/WorldPass.h"
#include "platform/MessageBox.h"
#include "platform/QueuedInput.h"
#include "platform/Window.h"
#include "scene/OstrelSystem.h"
#include "screens/GameMenus.h"
#include "screens/NetLobbyScreen.h"
#include "screens/RestartScreen.h"
#include "shell/CampaignHooks.h"
#include "shell/CareerReport.h"
#include "shell/FramePump.h"
#include "shell/InputFocus.h"
#include "shell/KeyCapture.h"
#include "shell/LaunchOptions.h"
#include "shell/MainLoop.h"
#include "shell/MissionFlight.h"
#include "shell/NetReport.h"
#include "shell/NetworkFlight.h"
#include "shell/PlayMovie.h"
#include "shell/RunTrace.h"
#include "shell/StartupSettings.h"
#include "shell/StartupSteps.h"
#include "shell/TypedText.h"

OstrelSystem* g_engine = nullptr;
platform::Window* g_mainWindow = nullptr;
DisplayDriver* g_display = nullptr;

bool DisplayForbidsMessageBoxes() {
    return g_display != nullptr && (g_display->flags & DisplayDriver::kModePageFlip) != 0;
}

namespace startup {

void Say(const char* line) {
    std::printf("%s\n", line);
    std::fflush(stdout);
}

void ShowFatal(const char* text, const char* caption) {
    platform::MessageBox::Current().Show(text, caption, platform::kMessageBoxOk | platform::kMessageBoxIconError);
}

}  // namespace startup

using namespace startup;

namespace {

// In the video directory.
constexpr const char* kIntroMovie = "intro.mpg";

// How long a scripted client listens for its host before it gives up.
constexpr int32_t kHostHeardTries = 100;
constexpr int32_t kHostHeardPauseMs = 50;

// The network game of --host or --join under a script: the session the
// start-up made gives way to the one the flight's network start makes. A
// client waits (bounded) until the host has been heard from, so that the
// ship its launch makes is announced to the server.
bool StartScriptedNetworkFlight(const LaunchOptions& options, GameState& game) {
    if (game.netSession != nullptr) {
        delete game.netSession;
        game.netSession = nullptr;
    }
    if (options.host) game.missionName = options.mission;
    // The flight's network start tells its own hosting or joining line.
    NetSession::SetConnectedListener(nullptr);
    NetworkFlight network(options, game);
    if (!network.Start()) return false;
    if (options.host) return true;
    // The host's world comes with its first words: the ship starts away
    // from the ships flying there only once it knows them.
    const auto holdsCraft = [&game] {
        for (const SpaceObject* object = game.mission != nullptr ? game.mission->firstObject : nullptr; object != nullptr;
             object = object->GetNext()) {
            if (object->type >= SpaceObject::kTypeCraft && object->uoid >= 0) return true;
        }
        return false;
    };
    for (int32_t waited = 0; waited < kHostHeardTries && (game.netSession->serverDpid == 0 || !holdsCraft()); ++waited) {
        game.NetReceive();
        std::this_thread::sleep_for(std::chrono::milliseconds(kHostHeardPauseMs));
    }
    if (game.netSession->serverDpid != 0) return true;
    std::fprintf(stderr, "vorn: the host of the game joined was never heard\n");
    return false;
}

// Whether the dice are thrown from --seed rather than the clock: in a
// window when it was given, and always in a run a script or picture plays
// without one, so that one script gives one run.
bool SeededByOptions(const LaunchOptions& options) {
    const bool scripted = !options.script.empty() || !options.shots.empty();
    return options.seedGiven || (scripted && g_mainWindow->Headless());
}

// The main loop from the mode the start-up chose; none yet but the flight
// of a mission named on the command line. The exit status.
int RunMainLoop(const LaunchOptions& options) {
    GameState& game = *g_gameState;
    InstallCampaignHooks();
    if (options.host || options.join) {
        // A scripted machine of a network game: the mission hosted, or the
        // host's joined, and flown by the script's keys in real time.
        if (!StartScriptedNetworkFlight(options, game)) {
            FreeMission();
            return 1;
        }
        game.mode = GameState::kModeFlight;
        // The map's Escape asks before it ends the game.
        game.BuildScreen(ScreenSlot::kNavMap);
        game.BuildScreen(ScreenSlot::kQuit);
    } else if (!options.mission.empty()) {
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
        // The flight's map and pause commands need their screens, which no
        // place has built yet, and the map's Escape the quit dialog.
        game.BuildScreen(ScreenSlot::kNavMap);
        game.BuildScreen(ScreenSlot::kPause);
        game.BuildScreen(ScreenSlot::kQuit);
    }
    if (game.mode == 0) return 0;
    LoopSteps steps = GameLoopSteps(g_gameCanvas);
    // Each career flight flies from the command line's dice where they
    // count: the rooms between flights reseed them from the clock.
    if (SeededByOptions(options) && options.mission.empty() && !options.join) {
        steps.prepareFlight = [prepare = steps.prepareFlight, seed = uint32_t(options.seed),
                               flights = uint32_t(0)](GameState& flying) mutable {
            const uint32_t dice = seed;
            ++flights;
            GameRandomSeed(dice);
            RandomSeed(int32_t(dice), int32_t(dice + 1u));
            std::printf("Flight %u: dice seeded with %u\n", flights, dice);
            if (prepare) prepare(flying);
        };
    }
    MainLoop loop(game, std::move(steps));
    if (!options.mission.empty() || options.join) loop.EndAfterFlight();
    if (options.trace) loop.TraceFlights();
    int exitCode = loop.Run();
    if (loop.Quit()) exitCode = g_mainWindow->ExitCode();
    // A quit message (a closed window, a script's end) is told apart from
    // the game's own quit, so that a script can be seen to have quit.
    std::printf("Main loop ended %sin mode %d\n", loop.Quit() ? "by a quit message " : "", game.mode);
    std::fflush(stdout);
    if (options.mission.empty() && !options.join && g_mainWindow->Headless()) PrintCareerReport(game);
    if (options.net && g_mainWindow->Headless()) PrintNetReport(game);
    FreeMission();
    return exitCode;
}

}  // namespace

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
    if (SeededByOptions(options)) {
        GameRandomSeed(uint32_t(options.seed));
        Say(("Random generator seeded with " + std::to_string(options.seed)).c_str());
    } else {
        GameRandomSeed(GetMilliseconds());
        Say("Random generator seeded from the clock");
    }

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
    // The window feeds the process's input layer, which is the one in use
    // unless a test installed its own. One pump counts the passes of the
    // intro and of the loop alike, for the script and its pictures. Without
    // a window it brings the stepped clock, which the intro movie must
    // already run by: nobody watches it wait out its frames in real time.
    auto* const input = dynamic_cast<platform::QueuedInput*>(&platform::InputBackend::Current());
    session.pump = std::make_unique<FramePump>(*g_mainWindow, *g_display, g_gameCanvas, input, std::move(script),
                                               options.shots);
    session.pump->SetCursor(session.cursor.get());

    // The intro movie before the fonts and the banner; a key skips it at once.
    const std::string intro = g_dataDirs.Prefix(DataDir::kVideo) + kIntroMovie;
    const int32_t played = PlayMovie(intro.c_str(), 0);
    std::printf("Intro movie %s: %s (%d)\n", kIntroMovie, played == 0 ? "played" : "not played", played);
    std::fflush(stdout);
    // A network game's processes keep to real time from here on.
    if (options.net) session.pump->KeepRealTime();
    if (!LoadFonts(session)) {
        ShutDown(session);
        return 1;
    }
    g_gameState->cursor = session.cursor.get();

    if (!options.mission.empty() || options.join) {
        // A mission named on the command line (or joined) flies at once.
        int code = RunMainLoop(options);
        if (code == 0 && session.pump->FailedShots() > 0) code = 1;
        ShutDown(session);
        Say("Shut down");
        return code;
    }

    // A run asked for a number of intro frames shows the intro alone, in a
    // window as without one: no first screen before it, no game after it.
    const bool introOnly = options.frames > 0;
    // The first screen, unless nobody could answer it: a run without a
    // window, a script or a picture to take goes on as the intro does.
    if (!introOnly && (!g_mainWindow->Headless() || scripted)) {
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
    if (end != IntroEnd::kQuit && !introOnly) code = RunMainLoop(options);

    ShutDown(session);
    Say("Shut down");
    return code;
}
