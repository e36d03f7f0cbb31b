#include "objects/weapons/Missile.h"

#include "game/GameState.h"

Missile::Missile(SpaceObject* templateObject) : MovingObject(templateObject) { type = kTypeMissile; }

SpaceObject* Missile::Clone(SpaceObject* placementSource, int32_t, int32_t) {
    auto* const clone = new Missile(this);
    if (clone == nullptr) return nullptr;
    CopyInto(*clone, placementSource, false);
    clone->UpdateVisibility();
    if (g_gameState != nullptr) g_gameState->AddObjectsToWorld(clone, 0);
    return clone;
}

Mine::Mine(SpaceObject* templateObject) : MovingObject(templateObject) { type = kTypeMine; }

SpaceObject* Mine::Clone(SpaceObject* placementSource, int32_t, int32_t) {
    auto* const clone = new Mine(this);
    if (clone == nullptr) return nullptr;
    CopyInto(*clone, placementSource, false);
    clone->UpdateVisibility();
    if (g_gameState != nullptr) g_gameState->AddObjectsToWorld(clone, 0);
    return clone;
}
