#include "objects/space/Decoy.h"

#include <algorithm>

#include "engine/Random.h"
#include "game/GameState.h"
#include "objects/ships/Craft.h"
#include "objects/space/KindSupport.h"
#include "objects/space/Missile.h"
#include "objects/systems/TargetingSystem.h"

Decoy::Decoy(SpaceObject* templateObject) : MovingObject(templateObject) {
    Decoy::Init();
    active = 1;
    expiresAt = -1;
    UpdateVisibility();
}

void Decoy::Init() {
    previousPosition = {};
    SetPositionFlags({}, Transform::kAllFlags | 0x10);
    type = kTypeDecoy;
    collisionMask = 0x1fda4;
    SetMass(10.0f);
    SetAccelerations(150.0f, 60.0f);
    SetMaxRates(120.0f, 60.0f);
    owner = nullptr;
    lureDone = 0;
    UpdateVisibility();
}

SpaceObject* Decoy::Clone(SpaceObject* placementSource, int32_t, int32_t) {
    auto* const clone = new Decoy(this);
    if (clone == nullptr) return nullptr;
    CopyInto(*clone, placementSource, false);
    clone->owner = owner;
    clone->UpdateVisibility();
    if (g_gameState != nullptr) g_gameState->AddObjectsToWorld(clone, 0);
    return clone;
}

int32_t Decoy::TakeDamage(int32_t, const DamageRecord&, SpaceObject* source) {
    if (kinds::HasExploded(*this) || kinds::IsNetworkClient()) return 0;
    Explode(source, 0);
    return 1;
}

void Decoy::Simulate(uint32_t milliseconds) {
    MovingObject::Simulate(milliseconds);
    if (lureDone != 0 || kinds::IsNetworkClient()) return;
    lureDone = 1;
    // Without its owner there is nobody to lure away from.
    SpaceObject* const lured = owner.Get();
    const Mission* const mission = g_gameState != nullptr ? g_gameState->mission : nullptr;
    if (lured == nullptr || mission == nullptr) return;
    for (SpaceObject* object = mission->firstObject; object != nullptr; object = object->GetNext()) {
        if (object->active == 0) continue;
        if (object->type >= kTypeCraft) {
            auto* const craft = static_cast<Craft*>(object);
            auto* const targeting = static_cast<TargetingSystem*>(craft->GetSystem(ShipSystem::kTargeting, nullptr));
            if (targeting != nullptr && targeting->GetTarget() == lured && GameRandom() % 100 < craftLureChance) {
                craft->SetTarget(this);
            }
        } else if (object->type == kTypeMissile) {
            auto* const missile = static_cast<Missile*>(object);
            if (missile->target.Get() == lured && missile->guidance != 4 && GameRandom() % 100 < missileLureChance) {
                missile->target = this;
            }
        }
    }
}

void Decoy::FillNetState(NetObjectState& state) const {
    state = NetObjectState{};
    state.tail[0] = uint32_t(missileLureChance);
    state.tail[1] = uint32_t(craftLureChance);
    state.tail[2] = uint32_t(owner.Get() != nullptr ? owner->uoid : -1);
    // What is left of its life, in ms, for the receiver's Activate; -1 for
    // a decoy that stays. One that is due this frame still goes with 1 ms,
    // since 0 or less would keep it on the other machine for good.
    int32_t left = -1;
    if (expiresAt >= 0) left = int32_t(std::max<int64_t>(int64_t(expiresAt) - int64_t(Age()), 1));
    state.tail[3] = uint32_t(left);
    state.tailWords = 4;
    state.owner = owner.Get();
}
