#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class GameState;
class Model;
class SpaceObject;

// A small world built in code until missions can be loaded: hulls flying
// through a field of drifting objects and buoys, a couple of way points.
// The game state it makes is installed as g_gameState for its life.
class DemoWorld {
public:
    // `hulls` hulls among `drifters` moving objects and buoys, laid out
    // from a fixed seed, and `aiShips` AI ships flying in wings of four.
    DemoWorld(int32_t hulls, int32_t drifters, int32_t aiShips = 0);
    ~DemoWorld();
    DemoWorld(const DemoWorld&) = delete;
    DemoWorld& operator=(const DemoWorld&) = delete;

    // One world pass, `milliseconds` after the last, through the game
    // state's simulation step. Returns what happened, one line per event.
    std::vector<std::string> Step(uint32_t milliseconds);
    int32_t ObjectCount() const;

private:
    struct Watch;
    std::unique_ptr<GameState> game_;
    GameState* previous_;
    std::vector<std::unique_ptr<Model>> models_;
    std::vector<SpaceObject*> templates_;
    std::unique_ptr<Watch> watch_;
    uint32_t now_ = 0;
};
