#include "objects/space/WayPoint.h"

#include <cstring>

#include "engine/EngineAllocation.h"
#include "game/GameState.h"
#include "objects/space/SpawnRecords.h"

WayPoint::WayPoint(SpaceObject* templateObject, const WayPointRecord* record) : SpaceObject(templateObject) {
    WayPoint::Init();
    if (record == nullptr) return;
    recordText = EngineCopyText(record->name, sizeof record->name);
    flags |= kFlagHiddenObject;
    previousPosition = record->position;
    SetPositionFlags(record->position, Transform::kAllFlags | 0x10);
}

void WayPoint::Init() {
    type = kTypeWayPoint;
    isNavPoint = 1;
    missionPoint = 1;
    collisionMask = 0;
    previousPosition = Vector3{0.0f, 0.0f, 0.0f};
    SetPositionFlags(previousPosition, Transform::kAllFlags);
    collisionDelay = -1;
    UpdateVisibility();
    flags |= kFlagHiddenObject;
    Activate(0);
}

SpaceObject* WayPoint::Clone(SpaceObject* placementSource, int32_t, int32_t) {
    auto* const clone = new WayPoint(this, nullptr);
    if (clone == nullptr) return nullptr;
    CopyInto(*clone, placementSource, false);
    clone->UpdateVisibility();
    if (g_gameState != nullptr) g_gameState->AddObjectsToWorld(clone, 0);
    return clone;
}
