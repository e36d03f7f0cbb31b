#pragma once
#include <cstdint>

class SpaceObject;

// Watches the player's ship after each flight frame: once it has been dead
// for more than kRestartDelayMs the single-player game goes to the restart
// screen. The ship is only ever read through the game state's pointer,
// which is cleared when the ship leaves the world; a ship gone that way,
// or left inactive in the world once its death has run its course, counts
// as dead from the first frame that finds it so. A ship that jumped out is
// inactive too, but no wreck: it never counts as dead.
class DeathWatch {
public:
    static constexpr uint32_t kRestartDelayMs = 6000;

    // At launch: the watch starts over.
    void Start();
    // After a frame at `now` (ms); true once the ship has been dead for
    // more than the delay. A ship that lives again ends the count.
    bool Update(const SpaceObject* ship, uint32_t now);
    // The ship found dead by the last update, however short a time ago: a
    // flight whose ship is dead ends by this watch, not by its goals.
    bool Dead() const { return dead_; }

private:
    bool hadShip_ = false;
    bool dead_ = false;
    uint32_t deadSince_ = 0;
};
