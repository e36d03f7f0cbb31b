#pragma once
#include <cstdint>
#include <memory>
#include <vector>

#include "engine/Status.h"

class Billboard;
class Canvas;
class Light;
class Nebula;
class GameState;
class NamedObject;
class Palette;
class SpaceObject;

// One effect of the sample data as the flight shows it, at a moment of its
// life: the nebula "Nebula 1" of the definitions, a field of space dust
// ahead of the camera, the explosion "Explosion 1" of "fx.iff" at `at` milliseconds
// after it started, the beam "Ion Beam" from a ship straight ahead `at`
// milliseconds into its pulse, or a gun shot. The effect's start is moved
// back by `at`, so the picture does not depend on the machine's speed.
// Needs the engine started and the data directories found.
class EffectShot {
public:
    EffectShot();
    ~EffectShot();
    EffectShot(const EffectShot&) = delete;
    EffectShot& operator=(const EffectShot&) = delete;

    // kind: "explosion", "beam", "shot", "nebula" or "dust". kStatusNotThisRecord for another
    // kind, kStatusCannotOpen when the definitions cannot be read.
    Status Load(const char* kind, uint32_t at);
    Status Draw(Canvas& canvas);

    Palette* palette = nullptr;   // the game's main palette, as the groups are drawn over it

private:
    Status LoadNebula();
    Status LoadDust();

    std::unique_ptr<GameState> game_;
    std::unique_ptr<Nebula> nebula_;
    std::vector<std::unique_ptr<Billboard>> sprites_;
    std::unique_ptr<Light> ambient_;
    GameState* previousGame_ = nullptr;
    std::unique_ptr<SpaceObject> owner_;
    NamedObject* effect_ = nullptr;   // owned by the game state's groups
    bool sideView_ = false;
    bool wideView_ = false;
    bool dustView_ = false;
    bool ownsFlares_ = false;   // the flare table was loaded here, and is freed here
};
