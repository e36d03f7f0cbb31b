#include "shell/MainLoop.h"
#include "shell/RunTrace.h"

#include <cstdio>
#include <memory>
#include <string>
#include <utility>

#include "display/Canvas.h"
#include "engine/Clock.h"
#include "engine/input/InputSystem.h"
#include "game/CommandTable.h"
#include "game/DataDirectories.h"
#include "game/GameState.h"
#include "game/Mission.h"
#include "game/MessageEntry.h"
#include "game/RequisitionOrders.h"
#include "game/SoftCursor.h"
#include "mission/AfterFlight.h"
#include "mission/CampaignMessages.h"
#include "mission/MissionFile.h"
#include "mission/FlightGoals.h"
#include "mission/MissionSetUp.h"
#include "ui/Screen.h"
#include "ai/WingGroup.h"
#include "objects/ships/Craft.h"
#include "objects/ships/PlayerShip.h"
#include "objects/systems/ShipSystem.h"
#include "objects/space/SpaceObject.h"
#include "platform/Window.h"
#include "shell/FlightInput.h"
#include "shell/FlightView.h"
#include "shell/FramePump.h"
#include "shell/NetworkFlight.h"
#include "screens/QuitScreen.h"
#include "screens/rooms/MissionsScreen.h"
#include "shell/PlayMovie.h"
#include "sound/MusicFile.h"
#include "sound/SoundDevice.h"

namespace {

void StopSounds(GameState& game) {
    if (game.Sound() != nullptr) game.Sound()->StopAll();
}

const MusicFile* MissionMusic(const GameState& game) {
    return game.mission != nullptr ? game.mission->music.get() : nullptr;
}

void PlayMissionMusic(GameState& game) {
    if (game.Sound() != nullptr) game.Sound()->PlayMusic(MissionMusic(game));
}

// The option screens show a pointer; a flight has none.
void HidePointer(GameState& game) {
    if (game.cursor == nullptr) return;
    game.cursor->visible = false;
    platform::Window* const window = game.Input() != nullptr ? game.Input()->GetWindow() : nullptr;
    if (window == nullptr) return;
    while (window->CursorCount() >= 0) window->ShowCursor(false);
}

// What flies, for the run's trace: the ship's hull and its fit, and each
// wingman's ship.
void PrintLaunch(const GameState& game) {
    auto* const ship = dynamic_cast<Craft*>(game.playerShip);
    if (ship == nullptr || !run_trace::Enabled()) return;
    std::string line = std::string("launch \"") + ship->label + "\"";
    for (ShipSystem* system = ship->GetSystem(ShipSystem::kAny, nullptr); system != nullptr;
         system = ship->GetSystem(ShipSystem::kAny, system)) {
        line += std::string(" ") + system->equipmentId;
    }
    run_trace::Line(line);
    const auto* const player = dynamic_cast<const PlayerShip*>(ship);
    const WingGroup* const wing = player != nullptr ? player->wingGroup : nullptr;
    for (int32_t i = 0; wing != nullptr && wing->GetMember(i) != nullptr; ++i) {
        const auto* const member = dynamic_cast<const Craft*>(wing->GetMember(i));
        if (member == nullptr || member == ship) continue;
        run_trace::Line(std::string("wingman \"") + (member->name != nullptr ? member->name : "") + "\" \"" +
                        member->label + "\"");
    }
}

// The flight's goals told through the run's trace, where a script's waits see them.
void TraceLine(const std::string& line) { run_trace::Line(line); }

bool CarriesSalvage(const SpaceObject* ship) {
    const auto* const player = dynamic_cast<const PlayerShip*>(ship);
    return player != nullptr && player->salvageItems.Count() > 0;
}

}  // namespace

LoopSteps GameLoopSteps(Canvas* canvas) {
    LoopSteps steps;
    steps.pumpMessages = PumpMessages;
    steps.netReceive = [](GameState& game) { game.NetReceive(); };
    steps.netSend = [](GameState& game) { game.NetSend(); };
    steps.captureCommandState = CaptureCommandState;
    steps.handleFlightInput = HandleFlightInput;
    steps.simulate = [](GameState& game) { game.Simulate(); };
    if (canvas != nullptr) {
        steps.render = [canvas](GameState& game, uint32_t elapsedMs) { RenderFlightFrame(game, *canvas, elapsedMs); };
    }
    steps.flipFrame = FlipFrame;
    steps.playMovie = PlayMovie;
    // The option screens leave their panels' palette on the canvas; the
    // flight draws in the one the canvas had when the loop began.
    Palette* const flightPalette = canvas != nullptr ? canvas->palette : nullptr;
    const auto usePalette = [canvas, flightPalette] {
        if (canvas != nullptr && flightPalette != nullptr) canvas->palette = flightPalette;
    };
    steps.prepareFlight = [usePalette](GameState& game) {
        game.EnsureFlightCamera();
        if (game.viewedObject == nullptr) game.viewedObject = game.playerShip;
        game.viewMode = kChaseViewMode;
        usePalette();
        HidePointer(game);
    };
    steps.restoreFlight = [usePalette](GameState& game) {
        if (game.Input() != nullptr) game.Input()->OpenDevices();
        usePalette();
        HidePointer(game);
    };
    // The pause command ends a frozen pause as it began it: a new press, not
    // the one that paused, which is still held when the pause begins.
    steps.pauseCommand = [](GameState& game) {
        CaptureCommandState(game);
        return game.commands.WasPressed(command_table::kPause);
    };
    return steps;
}

MainLoop::MainLoop(GameState& game, LoopSteps steps) : game_(game), steps_(std::move(steps)) {
    // The screens' own loops pump through this one, so that a quit inside a
    // screen ends the game as it does in flight.
    game_.pumpMessages = [this]() -> int32_t { return Pump() ? 1 : 0; };
    game_.flipFrame = steps_.flipFrame;
}

MainLoop::~MainLoop() {
    game_.pumpMessages = nullptr;
    game_.flipFrame = nullptr;
}

int32_t MainLoop::Run() {
    while (!quit_) {
        run_trace::Mode(game_.mode);
        switch (game_.mode) {
            case GameState::kModeFlight:
            case GameState::kModeNavMap:
            case GameState::kModePause: Fly(); break;
            // The lobby's waiting room is an option screen that the network keeps busy.
            case GameState::kModeLobbyWait:
            case GameState::kModeScreens:
                if (!RunScreens()) return 1;
                // What the squadron ordered is aboard before it launches.
                if (game_.mode == GameState::kModeFlight && game_.career != nullptr) DeliverOrders(*game_.career);
                break;
            case GameState::kModeCredits:
                PlayVideo(kCreditsMovie);
                if (game_.mode == GameState::kModeCredits) game_.mode = GameState::kModeScreens;
                break;
            default: return 0;
        }
    }
    return 0;
}

bool MainLoop::Pump() {
    if (!steps_.pumpMessages || steps_.pumpMessages() != 0) return true;
    quit_ = true;
    game_.mode = GameState::kModeQuit;
    return false;
}

bool MainLoop::FlightFrame() {
    if (!Pump()) return false;
    const uint32_t now = GetMilliseconds();
    const uint32_t elapsedMs = now - lastFrameAt_;
    lastFrameAt_ = now;
    flownMs_ += elapsedMs;
    if (game_.IsNetworkGame()) {
        if (steps_.netReceive) steps_.netReceive(game_);
        if (steps_.netSend) steps_.netSend(game_);
    }
    if (game_.mode == GameState::kModeFlight) {
        if (steps_.captureCommandState) steps_.captureCommandState(game_);
        if (steps_.handleFlightInput) steps_.handleFlightInput(game_, elapsedMs);
    }
    if (steps_.simulate) steps_.simulate(game_);
    run_trace::Mode(game_.mode);
    if (game_.mode == GameState::kModeFlight) {
        if (steps_.render) steps_.render(game_, elapsedMs);
        if (steps_.flipFrame) steps_.flipFrame();
    }
    return true;
}

void MainLoop::Fly() {
    const bool launched = Launch();
    while (!quit_ && (game_.mode == GameState::kModeFlight || game_.mode == GameState::kModeNavMap ||
                      game_.mode == GameState::kModePause)) {
        if (!FlightFrame()) break;
        AfterFrame();
    }
    // A quit answered Yes in flight ends the game where it stands: no landing.
    if (quit_ || game_.mode == GameState::kModeQuit) return;
    if (launched) GoalReport::End(TraceLine, flownMs_);
    Land();
}

bool MainLoop::Launch() {
    MissionsScreen::ForgetAcceptedRow(game_);
    StopSounds(game_);
    PlayVideo(kLaunchMovie);
    if (steps_.prepareFlight) steps_.prepareFlight(game_);
    StartFlightInput(game_);
    // A client's mission is empty, its world the host's: its own ship is made
    // as it launches (the squadron's selected one) and announced to the host.
    if (game_.IsClient() && game_.mission != nullptr && game_.playerShip == nullptr) {
        mission_file::Player player;
        std::snprintf(player.definition, sizeof player.definition, "%s", NetworkFlight::kClientShip);
        CreatePlayerShip(player);
    } else if (game_.launchFromBase != 0 && game_.mission != nullptr && LaunchPlayerShip() == nullptr) {
        // The career has no ship that flies: nothing launches.
        std::fprintf(stderr, "vorn: the career's ship cannot be made: the flight does not launch\n");
        game_.mode = GameState::kModeScreens;
    }
    const bool launched = game_.mode != GameState::kModeScreens;
    if (game_.playerShip != nullptr) {
        game_.viewedObject = game_.playerShip;
        PrintLaunch(game_);
    }
    PlayMissionMusic(game_);
    // A traced flight's world report tells every death, the pilots' too.
    pilotWatch_.Start(TraceLine, !traceFlights_);
    if (traceFlights_) worldReport_.Start(game_, true, TraceLine);
    // The mission clock and the outcome start with the flight, not with the
    // accept in the menus that set the mission up.
    flight_goals::Start(game_);
    goalReport_.Start(launched ? GoalReport::Say(TraceLine) : GoalReport::Say());
    game_.MissionLaunched();
    game_.flightUnsettled = 1;
    lastFrameAt_ = GetMilliseconds();
    flownMs_ = 0;
    return launched;
}

void MainLoop::AfterFrame() {
    if (traceFlights_) worldReport_.Update(game_, flownMs_, game_.IsNetworkGame());
    // A network game brings its pilots back; a flight alone is lost.
    if (pilotWatch_.Update(game_, lastFrameAt_)) {
        game_.mode = GameState::kModeScreens;
        game_.SelectNextScreen(ScreenSlot::kRestart);
        return;
    }
    goalReport_.Update(TraceLine);
    // A dead pilot's flight ends by the watch, whatever its goals decided.
    // A network game has no goals that end it, but a pilot in a pod can do
    // nothing more in it: the pick-up ends that pilot's flight.
    const bool over = game_.IsNetworkGame() ? flight_goals::PickedUp()
                                            : !pilotWatch_.Dead() && flight_goals::FlightOver(game_);
    if (over) {
        game_.mode = GameState::kModeScreens;
        return;
    }
    if (game_.mode == GameState::kModePause) {
        Pause();
    } else if (game_.mode == GameState::kModeNavMap) {
        ShowNavMap();
    }
}

void MainLoop::RunInFlight(Screen* screen) {
    run_trace::Screen(screen->name.c_str());
    game_.currentScreen = screen;
    game_.nextScreen = nullptr;
    screen->Run();
    game_.currentScreen = nullptr;
}

void MainLoop::Pause() {
    Screen* const frame = game_.ScreenIn(ScreenSlot::kFrame);
    const GameState::ScreenFactory* const frameFactory = GameState::FindScreenFactory(ScreenSlot::kFrame);
    bool screensRan = false;
    const auto enterFrame = [&] {
        screensRan = true;
        if (frameFactory != nullptr && frameFactory->enterInFlight != nullptr) frameFactory->enterInFlight(*frame);
        RunInFlight(frame);
        AskQuitInFlight(nullptr);
    };
    if (game_.IsNetworkGame()) {
        // The world goes on under a network game: no frozen frame.
        if (frame != nullptr) enterFrame();
    } else if (Screen* const pause = game_.ScreenIn(ScreenSlot::kPause)) {
        run_trace::Screen(pause->name.c_str());
        game_.currentScreen = pause;
        game_.nextScreen = nullptr;
        pause->Run();
        screensRan = true;
        const bool toFrame = frame != nullptr && (game_.currentScreen == frame || game_.nextScreen == frame);
        game_.currentScreen = nullptr;
        game_.nextScreen = nullptr;
        if (toFrame) enterFrame();
    } else {
        // No pause dialog: the last frame stays until the pause command
        // comes again or the window closes.
        for (;;) {
            if (!Pump()) return;
            if (steps_.pauseCommand && steps_.pauseCommand(game_)) break;
            if (steps_.flipFrame) steps_.flipFrame();
        }
    }
    // A dialog or the frame menu ran over the flight: the flight's own
    // palette, input and no pointer again.
    if (screensRan && steps_.restoreFlight) steps_.restoreFlight(game_);
    if (game_.mode == GameState::kModePause || game_.mode == GameState::kModeFlight) {
        game_.mode = GameState::kModeFlight;
        // The pause's own choices (the frame menu, its OK) are spent: the
        // landing must not take them for a screen chosen after the flight.
        game_.nextScreen = nullptr;
        game_.nextScreenName = nullptr;
    }
    // The time away is no flight time.
    lastFrameAt_ = GetMilliseconds();
}

void MainLoop::ShowNavMap() {
    Screen* const map = game_.ScreenIn(ScreenSlot::kNavMap);
    bool shown = false;
    while (map != nullptr && !shown) {
        RunInFlight(map);
        shown = !AskQuitInFlight(map) || game_.mode != GameState::kModeNavMap;
    }
    // A quit the map chose but nobody could ask (no dialog) is no screen
    // for the landing either.
    game_.nextScreen = nullptr;
    game_.nextScreenName = nullptr;
    StopSounds(game_);
    PlayMissionMusic(game_);
    if (steps_.restoreFlight) steps_.restoreFlight(game_);
    if (game_.mode == GameState::kModeNavMap) game_.mode = GameState::kModeFlight;
    lastFrameAt_ = GetMilliseconds();
}

bool MainLoop::AskQuitInFlight(Screen* backTo) {
    Screen* const quit = game_.ScreenIn(ScreenSlot::kQuit);
    if (quit == nullptr || game_.nextScreen != quit) return false;
    // The flight is still on: No never leads to a screen of the base that
    // asked from inside it.
    if (auto* const dialog = dynamic_cast<QuitDialog*>(quit)) dialog->returnScreen = backTo;
    RunInFlight(quit);
    const bool back = backTo != nullptr && game_.nextScreen == backTo;
    game_.nextScreen = nullptr;
    game_.nextScreenName = nullptr;
    if (quit_ || game_.mode == GameState::kModeQuit) return true;
    game_.mode = back ? GameState::kModeNavMap : GameState::kModeFlight;
    return true;
}

void MainLoop::Land() {
    StopSounds(game_);
    const flight_goals::Outcome outcome = flight_goals::GetOutcome();
    const auto playMovie = [this](const char* name) { PlayVideo(name); };
    // A death is the restart page's to settle: flown again, or accepted as
    // lost, never won.
    const bool died = !game_.IsNetworkGame() && pilotWatch_.Dead();
    if (died) {
        PlayVideo(kLandingMovie);
    } else if (game_.IsNetworkGame() || outcome == flight_goals::Outcome::kWon) {
        SettleFlight(game_, MessageEntry::kWon, kLandingMovie, playMovie);
    } else if (outcome == flight_goals::Outcome::kFailed) {
        SettleFlight(game_, MessageEntry::kLost, kLandingMovie, playMovie);
    } else {
        PlayVideo(kLandingMovie);
    }
    if (endAfterFlight_) {
        game_.mode = GameState::kModeQuit;
        return;
    }
    // No play aid outlives the mission it was used in.
    game_.ApplyOptions(0);
    // The death watch chose the restart screen already.
    if (game_.mode != GameState::kModeScreens || game_.nextScreenName != nullptr) return;
    const bool salvage = game_.salvageOption == 0 && CarriesSalvage(game_.playerShip);
    game_.SelectNextScreen(salvage ? ScreenSlot::kSalvage : ScreenSlot::kHangar);
}

bool MainLoop::RunScreens() {
    while (!quit_ && (game_.mode == GameState::kModeScreens || game_.mode == GameState::kModeLobbyWait)) {
        if (game_.nextScreenName != nullptr || game_.nextScreen != nullptr) {
            if (game_.currentScreen != nullptr && game_.currentScreen != game_.nextScreen) {
                cameFrom_ = game_.currentScreen;
            }
            game_.currentScreen = game_.nextScreen;
            currentScreenName_ = game_.nextScreenName;
            game_.nextScreen = nullptr;
            game_.nextScreenName = nullptr;
        } else if (game_.currentScreen == nullptr) {
            // A screen ended without naming another: back where it came
            // from, else to the office's frame.
            game_.currentScreen = ScreenToReturnTo();
            currentScreenName_ = nullptr;
            cameFrom_ = nullptr;
        }
        StartNewGameTraining();
        Screen* const screen = game_.currentScreen;
        PlayScreenMusic();
        if (screen == nullptr) {
            std::fprintf(stderr, "vorn: the screen \"%s\" does not exist: the game ends\n",
                         currentScreenName_ != nullptr ? currentScreenName_ : "(none)");
            game_.mode = GameState::kModeQuit;
            return false;
        }
        run_trace::Screen(screen->name.c_str());
        lastRun_ = screen;
        screen->Run();
        run_trace::Mode(game_.mode);
        if (quit_) break;
        // A screen that did not make another current hands over to the next.
        if (game_.currentScreen == screen && game_.nextScreen != nullptr) {
            if (game_.nextScreen != screen) cameFrom_ = screen;
            game_.currentScreen = game_.nextScreen;
            game_.nextScreen = nullptr;
            currentScreenName_ = game_.nextScreenName;
            game_.nextScreenName = nullptr;
        } else if (game_.currentScreen != screen) {
            if (game_.currentScreen != nullptr) cameFrom_ = screen;
            currentScreenName_ = nullptr;
        }
    }
    return true;
}

Screen* MainLoop::ScreenToReturnTo() const {
    if (cameFrom_ != nullptr && cameFrom_ != lastRun_) return cameFrom_;
    return game_.ScreenIn(ScreenSlot::kFrame);
}

// A game started to load a save holds a new career, its training offered,
// until a save is loaded: leaving the save page without a load is a new
// game, never a career with nothing to fly.
void MainLoop::StartNewGameTraining() {
    if (game_.startMode != GameState::kStartNewGame && game_.startMode != GameState::kStartLoadGame) {
        newGameTrained_ = false;
        return;
    }
    if (newGameTrained_) return;
    newGameTrained_ = true;
    StartTraining(game_);
}

void MainLoop::PlayScreenMusic() {
    SoundDevice* const sound = game_.Sound();
    if (sound == nullptr) return;
    const MusicFile* music = game_.missionReady != 0 ? MissionMusic(game_) : nullptr;
    if (music == nullptr) {
        if (menuMusic_ == nullptr) {
            const std::string path = g_dataDirs.Prefix(DataDir::kXmi) + kMenuMusic;
            menuMusic_ = MusicFile::Load(path.c_str(), 0);
        }
        music = menuMusic_.get();
    }
    // Music a screen stopped (a restart) comes back; music that plays goes on.
    if (music != nullptr && !sound->PlayingMusic(music)) sound->PlayMusic(music);
}

void MainLoop::PlayVideo(const char* name) {
    if (!steps_.playMovie) return;
    const std::string path = g_dataDirs.Prefix(DataDir::kVideo) + name;
    steps_.playMovie(path.c_str(), 0);
}
