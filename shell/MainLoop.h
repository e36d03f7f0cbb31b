#pragma once
#include <cstdint>
#include <functional>
#include <memory>

#include "shell/GoalReport.h"
#include "shell/PilotWatch.h"
#include "shell/WorldReport.h"

class Canvas;
class GameState;
class MusicFile;
class Screen;

// The steps the main loop takes that other parts of the game provide. An
// empty step is skipped (the headless flight draws nothing), except the
// pump, which then never quits.
struct LoopSteps {
    std::function<int32_t()> pumpMessages;                      // 0 on quit
    std::function<void(GameState&)> netReceive;
    std::function<void(GameState&)> netSend;
    std::function<void(GameState&)> captureCommandState;
    std::function<void(GameState&, uint32_t)> handleFlightInput;   // elapsed ms
    std::function<void(GameState&)> simulate;
    std::function<void(GameState&, uint32_t)> render;              // elapsed ms
    std::function<void()> flipFrame;
    std::function<int32_t(const char*, uint32_t)> playMovie;        // path, ms before a key skips
    // After the launch movie: the camera, the view and whatever else a
    // flight needs before its first frame.
    std::function<void(GameState&)> prepareFlight;
    // After the in-flight map: the flight's input and display back.
    std::function<void(GameState&)> restoreFlight;
    // While an empty pause slot holds the frozen frame: true when the pause
    // command comes again.
    std::function<bool(GameState&)> pauseCommand;
};

// The game's own steps: the window's pump and flip, the flight input, the
// flight view drawn on `canvas` (null: nothing is drawn), the game state's
// network passes and simulation, and the movie player.
LoopSteps GameLoopSteps(Canvas* canvas);

// The game's main loop: runs the mode of the game state until it quits.
class MainLoop {
public:
    // In the video directory.
    static constexpr const char* kLaunchMovie = "lch.mpg";
    static constexpr const char* kLandingMovie = "lnd.mpg";
    static constexpr const char* kCreditsMovie = "credits.mpg";
    // In the xmi directory: the option screens' music while no mission is set up.
    static constexpr const char* kMenuMusic = "menu.xmi";

    // The game state's screens pump and flip through the loop while it lives.
    MainLoop(GameState& game, LoopSteps steps);
    ~MainLoop();
    MainLoop(const MainLoop&) = delete;
    MainLoop& operator=(const MainLoop&) = delete;

    // Until mode 7, a quit, or a mode without a flow of its own (0).
    // 0, or 1 when the option screens found an empty slot.
    int32_t Run();

    // One flight frame: pump (a quit ends here), under an active session
    // receive and send, in mode 2 capture and handle the commands, always
    // simulate, in mode 2 render and flip. False on quit.
    bool FlightFrame();
    // The launch of mode 2, its frames until the mode leaves flight, and
    // the landing.
    void Fly();

    bool Quit() const { return quit_; }
    // A flight named on the command line: the run ends once it has landed,
    // there being no base to come back to.
    void EndAfterFlight() { endAfterFlight_ = true; }
    // Every flight tells its world as a traced flight without a window does
    // (see WorldReport), through the run's trace, every death included.
    void TraceFlights() { traceFlights_ = true; }

private:
    // False when no ship could be made to fly: the flight does not start.
    bool Launch();
    // After a frame: the pilots' death watch, the goals' end of the flight, then mode 6 or 3.
    void AfterFrame();
    void Pause();
    // The in-flight map, shown again after each No to a quit asked from it.
    void ShowNavMap();
    // The quit dialog chosen from inside the flight (the map's Escape, the
    // frame menu's quit) runs over it at once: Yes quits; No goes back to
    // `backTo` (the map, which is then shown again, in mode 3) or, when that
    // is none, flies on. False when no quit was chosen.
    bool AskQuitInFlight(Screen* backTo);
    // The landing movie, or the mission's own with the step after a decided
    // or networked flight (its outcome decides the career's step).
    void Land();
    // A new game chosen (start mode 1): the training starts once, before
    // the next screen opens.
    void StartNewGameTraining();
    // Modes 4 and 1: false when the screen to run is missing.
    bool RunScreens();
    // Where a screen that ended without naming another leads: the screen it
    // came from, else the office's frame (null when neither exists).
    Screen* ScreenToReturnTo() const;
    // Runs the screen as the current one; the current one is none after.
    void RunInFlight(Screen* screen);
    // Mode 4's music: the mission's while one is set up, else the menu tune.
    void PlayScreenMusic();
    void PlayVideo(const char* name);
    bool Pump();

    GameState& game_;
    LoopSteps steps_;
    PilotWatch pilotWatch_;
    GoalReport goalReport_;
    WorldReport worldReport_;
    bool endAfterFlight_ = false;
    bool traceFlights_ = false;
    bool newGameTrained_ = false;
    uint32_t lastFrameAt_ = 0;
    int64_t flownMs_ = 0;                        // the flight's frames since launch
    bool quit_ = false;
    const char* currentScreenName_ = nullptr;   // the slot of the current screen, if known
    Screen* cameFrom_ = nullptr;                 // the screen before the current one, not owned
    Screen* lastRun_ = nullptr;                  // the screen run last, not owned
    std::unique_ptr<MusicFile> menuMusic_;       // read when first needed
};
