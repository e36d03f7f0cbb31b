#pragma once
#include <cstdint>

class GameState;

// Watches a single-player flight after each frame: once no craft hostile to
// the player's living ship has been active for kEndDelayMs, the flight is
// won and ends.
class VictoryWatch {
public:
    static constexpr uint32_t kEndDelayMs = 3000;

    // At launch: the watch starts over.
    void Start();
    // After a frame at `now` (ms); true once the flight is won.
    bool Update(const GameState& game, uint32_t now);

private:
    bool clear_ = false;
    uint32_t clearSince_ = 0;
};
