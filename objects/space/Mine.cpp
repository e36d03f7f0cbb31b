#include "objects/space/Mine.h"

#include <algorithm>
#include <cstring>

#include "engine/Random.h"
#include "engine/Saturate.h"
#include "game/GameState.h"
#include "objects/effects/EffectSupport.h"
#include "objects/ships/Craft.h"
#include "objects/space/KindSupport.h"
#include "objects/weapons/Weapon.h"

Mine::Mine(SpaceObject* templateObject) : MovingObject(templateObject) {
    for (int32_t& amount : damage.amounts) amount = 0;
    Mine::Init();
}

Mine::Mine(SpaceObject* templateObject, const spawn_records::Rock& record) : Mine(templateObject) {
    Vector3 p = record.position;
    // The engine's seeded generator: its values may be negative, so a
    // field's mines spread into every direction.
    const float a = float(RandomNext()), b = float(RandomNext()), c = float(RandomNext());
    Vector3 d{a / 65536.0f, b / 65536.0f, c / 65536.0f};
    const int32_t scatter = SaturateToInt32(record.scatter);
    if (scatter > 0) {
        if (d.Length() > 0.0f) d.Normalize();
        p = p.Sum(d.Scaled(float(GameRandom() % scatter)));
    }
    previousPosition = p;
    SetPositionFlags(p, Transform::kAllFlags | 0x10);
    recordText = EngineCopyText(record.name, sizeof record.name);
    collisionDelay = 0;
    UpdateVisibility();
    angularVelocity = kinds::DriftSpin(SaturateToInt32(record.drift));
}

void Mine::Init() {
    previousPosition = {};
    SetPositionFlags({}, Transform::kAllFlags | 0x10);
    type = kTypeMine;
    collisionMask = 0x1d804;
    SetMass(125.0f);
    SetAccelerations(20.0f, 25.0f);
    SetMaxRates(0.0f, 0.0f);
    angularVelocity = RandomUnitVector().Scaled(3.0f);
    collisionDelay = -1;
    UpdateVisibility();
    Activate(0.0f);
}

SpaceObject* Mine::Clone(SpaceObject* placementSource, int32_t, int32_t) {
    auto* const clone = new Mine(this);
    if (clone == nullptr) return nullptr;
    CopyInto(*clone, placementSource, false);
    clone->launcher = launcher;
    clone->damage = damage;
    clone->owner = owner;
    clone->UpdateVisibility();
    if (g_gameState != nullptr) g_gameState->AddObjectsToWorld(clone, 0);
    return clone;
}

int32_t Mine::TakeDamage(int32_t, const DamageRecord&, SpaceObject*) {
    if (kinds::HasExploded(*this) || kinds::IsNetworkClient()) return 0;
    Detonate(0);
    return 1;
}

void Mine::Simulate(uint32_t milliseconds) {
    const float t = float(std::min<uint32_t>(milliseconds, 1000)) * 0.001f;
    velocity = velocity.Scaled(1.0f - t);
    speed = velocity.Length();
    if (speed < 1.0f && (flags & kFlagNoCollisions) != 0) {
        // At rest: armed.
        flags |= kFlagChanged;
        velocity = {};
        collisionDelay = 0;
        UpdateVisibility();
    }
    if (speed > 0.0f) {
        flags |= kFlagChanged;
        previousPosition = Position();
        const Vector3 next = previousPosition.Sum(velocity.Scaled(t));
        local.SetPosition(&next, Transform::kAllFlags);
        UpdateWorldTransform(Transform::kAllFlags);
    }
}

int32_t Mine::Detonate(int32_t) {
    if (kinds::HasExploded(*this)) return 0;
    // A dropping weapon is there only while its craft is.
    DamageRecord blast = launcher != nullptr && owner.Get() != nullptr ? launcher->damageRecord : damage;
    blast.source = this;
    const Vector3 centre = Position();
    const Mission* const mission = g_gameState != nullptr ? g_gameState->mission : nullptr;
    for (SpaceObject* object = mission != nullptr ? mission->firstObject : nullptr; object != nullptr;
         object = object->GetNext()) {
        if ((object->flags & kFlagNoCollisions) != 0 || object->type == kTypeMine || object == this) continue;
        const Vector3 toMine = centre.Difference(object->Position());
        const float d = toMine.Length();
        const float e = d - std::min(d, object->Radius());
        if (!(e < kBlastReach)) continue;
        if (object->type > kTypeCraft) static_cast<Craft*>(object)->AddEmp(empCharge);
        const float f = (kBlastReach - e) * 0.01f;
        DamageRecord scaled = blast;
        for (int32_t& amount : scaled.amounts) amount = int32_t(float(amount) * f);
        Vector3 facing = effects::DirectionToLocal(object->world, toMine);
        if (facing.Length() > 0.0f) facing.Normalize();
        object->TakeDamage(kinds::ClosestSolidPart(*object, facing, 100000.0f), scaled, owner.Get());
    }
    Explode(collisionPartner.Get(), 0);
    return 0;
}

void Mine::FillNetState(NetObjectState& state) const {
    state = NetObjectState{};
    for (int i = 0; i < 5; ++i) state.tail[i] = uint32_t(damage.amounts[i]);
    state.tail[5] = uint32_t(owner.Get() != nullptr ? owner->uoid : -1);
    state.tail[6] = uint32_t(-1);
    state.tail[7] = uint32_t(empCharge);   // where a missile keeps its target
    state.tail[8] = 0;
    state.tail[10] = uint32_t(-1);
    state.tailWords = 11;
    state.owner = owner.Get();
}
