#pragma once
#include <cstdint>
#include <functional>
#include <map>
#include <string>

#include "shell/DeathWatch.h"

class Craft;
class GameState;

// The flight's watch over the ships its pilots fly, after each frame: the
// player's own ship, and in a network game every ship of the player table.
// Once the player's own ship has been dead for DeathWatch::kRestartDelayMs
// a single-player flight is lost (its caller ends it). A network host then
// brings its own ship back, and likewise every client's ship it holds, each
// by its own watch: the copy comes back whole and still at its pilot's
// spawn place, and the host's updates take it back into every machine's
// world, the pilot's own included (a client never brings its ship back
// itself). Every machine tells, of each pilot's ship it holds, each death
// (`destroyed ...`, when asked) and each return (`respawn U X Y Z`: the
// ship's uoid and where it came back).
class PilotWatch {
public:
    using Say = std::function<void(const std::string& line)>;

    // At launch: nothing is watched yet. The lines go to `say` (which may be
    // empty); the deaths only with `tellDeaths`.
    void Start(Say say, bool tellDeaths);
    // After a frame at `now` (ms); true once the ship of a flight that is
    // no network game has been dead for the delay.
    bool Update(GameState& game, uint32_t now);
    // The player's own ship found dead by the last update: a flight whose
    // ship is dead ends by this watch, not by its goals.
    bool Dead() const { return own_.Dead(); }

private:
    // What was last told of a pilot's ship.
    struct Told {
        int32_t deaths = 0;
        bool down = false;   // dead or a wreck since its last return
        bool dyingTold = false;
    };

    // The host's watch over the ships its clients fly.
    void BringBackClients(GameState& game, uint32_t now);
    void TellPilots(GameState& game);
    void Tell(const Craft& craft, Told& told) const;

    DeathWatch own_;
    std::map<int32_t, DeathWatch> clients_;   // by the uoid of the client's ship
    std::map<const Craft*, Told> told_;       // only ships found this frame
    Say say_;
    bool tellDeaths_ = false;
};
