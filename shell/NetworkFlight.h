#pragma once
#include <chrono>
#include <cstdint>
#include <vector>

struct LaunchOptions;
class GameState;

// The headless flight as one machine of a death match (game type 7), until
// the lobby makes network games: the host sets the options' mission up and
// hosts it at the --net port; a client sets up an empty mission, joins the
// first session found at the --net address and makes its ship from "P101"
// once the host has been heard from. Both keep real time, so that two
// processes meet: each frame waits until the wall clock reaches it.
class NetworkFlight {
public:
    // The ship a joining client flies.
    static constexpr const char* kClientShip = "P101";
    // How long a client looks for the host's session before it gives up.
    static constexpr int32_t kEnumerationTries = 20;

    NetworkFlight(const LaunchOptions& options, GameState& game);

    // The settings, the mission and the session; the game state owns what
    // is made. False, said on standard error, when this machine cannot
    // host or join.
    bool Start();
    // Waits until `flownMs` milliseconds of real time have passed since the
    // first call.
    void KeepPace(int64_t flownMs);
    // After each frame. The host tells each ship a player brings as
    // `player "NAME" ship U`; a client makes its ship once it has heard
    // the host.
    void AfterFrame();
    // The end: for each object with a uoid of 0 or more, in world order, a
    // client's `holds U TYPE "NAME"` line and every machine's `matrix` line
    // (PrintObjectMatrix); then a client's `projectiles N`.
    void Report() const;

private:
    bool Host();
    bool Join();

    const LaunchOptions& options_;
    GameState& game_;
    bool paced_ = false;
    bool shipAsked_ = false;   // a client makes its ship once
    bool shotTold_ = false;    // a client tells once that the host's shots reach it
    std::chrono::steady_clock::time_point start_{};
    // The host's: the ship uoid told last of each player slot.
    std::vector<int32_t> toldShips_;
};
