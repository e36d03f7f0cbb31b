#include "shell/DeathWatch.h"

#include "objects/ships/Craft.h"
#include "objects/space/SpaceObject.h"

void DeathWatch::Start() {
    hadShip_ = false;
    dead_ = false;
    deadSince_ = 0;
}

bool DeathWatch::Update(const SpaceObject* ship, uint32_t now) {
    bool dead = false;
    if (ship != nullptr) {
        hadShip_ = true;
        const auto* const craft = dynamic_cast<const Craft*>(ship);
        // A wreck whose death has run its course stays in the world, inactive.
        dead = craft != nullptr &&
               (craft->dead != 0 || (craft->active == 0 && craft->jumpDeadline == 0 && craft->jumpedOut == 0));
    } else {
        // No ship before the first one flies is no death.
        dead = hadShip_;
    }
    if (!dead) {
        dead_ = false;
        return false;
    }
    if (!dead_) {
        dead_ = true;
        deadSince_ = now;
    }
    return now - deadSince_ > kRestartDelayMs;
}
