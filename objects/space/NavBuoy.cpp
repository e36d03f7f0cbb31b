#include "objects/space/NavBuoy.h"

#include <cstring>

#include "engine/Random.h"
#include "game/GameState.h"
#include "objects/space/KindSupport.h"
#include "objects/space/SpawnRecords.h"

NavBuoy::NavBuoy(SpaceObject* templateObject, const NavBuoyRecord* record, bool longForm) : MovingObject(templateObject) {
    NavBuoy::Init();
    if (record == nullptr) return;
    previousPosition = record->position;
    SetPositionFlags(record->position, Transform::kAllFlags | 0x10);
    recordText = EngineCopyText(record->name, sizeof record->name);
    angularVelocity = record->spinRange > 0 ? kinds::DriftSpin(record->spinRange) : Vector3{0.0f, 0.0f, 0.0f};
    if (longForm) {
        std::memcpy(linkName, record->linkName, sizeof record->linkName);
        std::memcpy(secondLinkName, record->secondLinkName, sizeof record->secondLinkName);
        linkName[kLinkNameBytes] = secondLinkName[kLinkNameBytes] = 0;
    }
}

void NavBuoy::Init() {
    type = kTypeNavBuoy;
    buoyWords[0] = buoyWords[1] = 0;
    collisionMask = kCollisionMask;
    previousPosition = Vector3{0.0f, 0.0f, 0.0f};
    SetPositionFlags(previousPosition, Transform::kAllFlags);
    angularVelocity = RandomUnitVector().Scaled(3.0f);
    mass = 5.0f;
    UpdateVisibility();
    SetAccelerations(10.0f, 25.0f);
    collisionDelay = 0;
    UpdateVisibility();
    Activate(0);
}

int32_t NavBuoy::TakeDamage(int32_t, const DamageRecord&, SpaceObject* source) {
    if (g_gameState != nullptr && g_gameState->IsClient()) return 0;
    Explode(source, 0);
    return 1;
}

SpaceObject* NavBuoy::Clone(SpaceObject* placementSource, int32_t, int32_t) {
    auto* const clone = new NavBuoy(this, nullptr);
    if (clone == nullptr) return nullptr;
    CopyInto(*clone, placementSource, false);
    clone->UpdateVisibility();
    if (g_gameState != nullptr) g_gameState->AddObjectsToWorld(clone, 0);
    return clone;
}
