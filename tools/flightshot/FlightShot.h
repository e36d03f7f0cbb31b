#pragma once
#include <cstdint>
#include <memory>

#include "engine/Status.h"
#include "platform/SteppedClock.h"

class Canvas;
class GameState;
class Palette;

// A mission of the data directories flown as the game flies it, headless:
// the game's dice seeded, a clock stepped by the frame length, each frame
// simulated and then drawn by the flight view on the caller's canvas. The
// pictures of the flight view and its benchmark are made with it. Needs the
// engine started and the data directories found; the game state it makes is
// installed as g_gameState for its life.
class FlightShot {
public:
    static constexpr uint32_t kFrameMs = 50;
    // The clock reading of the first frame, as the headless flight starts it.
    static constexpr uint32_t kStartMs = 1000;

    FlightShot();
    ~FlightShot();
    FlightShot(const FlightShot&) = delete;
    FlightShot& operator=(const FlightShot&) = delete;

    // The palette "Vorn" in the current pixel format (the canvas's), the
    // HUD's font, the flight's registries and the mission set up.
    // kStatusCannotOpen without the palette or the font; the set-up's status
    // when the mission cannot be flown.
    Status Load(const char* missionFile, int32_t seed);
    // One frame: the clock steps, the world moves, the canvas is drawn.
    void Frame(Canvas& canvas);
    // The world moves a frame without a picture.
    void Simulate();

    GameState& Game() { return *game_; }
    Palette* palette = nullptr;   // lives as long as the flight

private:
    platform::SteppedClock clock_{kStartMs};
    std::unique_ptr<GameState> game_;
    platform::Clock* previousClock_ = nullptr;
    GameState* previousGame_ = nullptr;
    bool ownsFx_ = false;
};
