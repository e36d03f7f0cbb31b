#include "objects/space/Missile.h"

#include <algorithm>
#include <cmath>
#include <typeinfo>

#include "engine/MathRoutineTable.h"
#include "engine/Random.h"
#include "game/CareerRecord.h"
#include "game/GameState.h"
#include "game/LightHolder.h"
#include "objects/effects/EffectSupport.h"
#include "objects/effects/StreamEffect.h"
#include "objects/ships/Craft.h"
#include "objects/space/KindSupport.h"
#include "objects/space/Mine.h"
#include "objects/space/ObjectPart.h"
#include "objects/systems/CountermeasureSystems.h"
#include "objects/weapons/Weapon.h"
#include "scene/Light.h"
#include "scene/Particle.h"
#include "scene/SceneObject.h"

namespace {

constexpr float kDegreesPerRadian = 57.29578f;
constexpr float kLightInner = 7.5f;
constexpr float kLightOuter = 30.0f;
constexpr float kSmokeJitter = 1.25f;
constexpr uint32_t kYoungMs = 3500;

float Degrees(float y, float x) { return std::atan2(y, x) * kDegreesPerRadian; }

// A limited command: with a negative rate (a spoofed missile) every command
// turns to the other side at the full rate.
float Limit(float command, float limit) {
    if (command > 0.0f && command > limit) return limit;
    if (command < 0.0f && command < -limit) return -limit;
    return command;
}

}  // namespace

Missile::Missile(SpaceObject* templateObject) : MovingObject(templateObject) {
    for (int32_t& amount : damage.amounts) amount = 0;
    Missile::Init();
    active = 1;
    expiresAt = -1;
    UpdateVisibility();
}

Missile::~Missile() {
    if (trail != nullptr) trail->missile = nullptr;
}

void Missile::Init() {
    previousPosition = {};
    SetPositionFlags({}, Transform::kAllFlags | 0x10);
    type = kTypeMissile;
    collisionMask = 0x1eda4;
    SetMass(10.0f);
    SetAccelerations(150.0f, 60.0f);
    SetMaxRates(120.0f, 60.0f);
    empCharge = turnRate = guidance = targetPart = 0;
    trail = nullptr;
    target = nullptr;
    launcher = nullptr;
    owner = nullptr;
    payload = nullptr;
    lifetime = kDefaultLifetime;
    homingHold = kHomingPause;
    UpdateVisibility();
}

SpaceObject* Missile::Clone(SpaceObject* placementSource, int32_t, int32_t) {
    auto* const clone = new Missile(this);
    if (clone == nullptr) return nullptr;
    CopyInto(*clone, placementSource, false);
    clone->turnRate = turnRate;
    clone->guidance = guidance;
    clone->lifetime = lifetime;
    clone->launcher = launcher;
    clone->owner = owner;
    clone->payloadDelay = payloadDelay;
    clone->payloadSpread = payloadSpread;
    clone->payloadCount = payloadCount;
    clone->payload = payload;
    clone->UpdateVisibility();
    if (g_gameState != nullptr) g_gameState->AddObjectsToWorld(clone, 0);
    return clone;
}

void Missile::SetLaunchParams(SpaceObject* payloadTemplate, int32_t count, int32_t delay, float spread) {
    payload = payloadTemplate;
    payloadCount = count;
    payloadDelay = delay;
    payloadSpread = spread;
}

void Missile::Arm() {
    collisionDelay = kArmingMs;
    UpdateVisibility();
}

int32_t Missile::TakeDamage(int32_t, const DamageRecord&, SpaceObject* source) {
    if (kinds::HasExploded(*this) || kinds::IsNetworkClient()) return 0;
    Explode(source, 0);
    return 1;
}

void Missile::Simulate(uint32_t milliseconds) {
    const uint32_t ms = std::min<uint32_t>(milliseconds, 1000);
    const float t = float(ms) * 0.001f;
    StartTrail(t);
    CheckLock();
    if (payload.Get() != nullptr) {
        payloadDelay -= int32_t(ms);
        if (payloadDelay < 0 && !kinds::IsNetworkClient()) {
            ReleasePayload();
            return;
        }
    }
    Home(t);
    Drive(t);
    previousPosition = Position();
    const Vector3 next = previousPosition.Sum(velocity.Scaled(t));
    local.SetPosition(&next, Transform::kAllFlags);
    UpdateWorldTransform(Transform::kAllFlags);
}

void Missile::StartTrail(float t) {
    GameState* const game = g_gameState;
    if (trail != nullptr) {
        trail->SetMemberFactor(t);
        trail->Emit();
        return;
    }
    if (game == nullptr) return;
    trail = new MissileTrail(this);
    game->RegisterObjectGroup(trail, game->LoadPalette("weapons"), 1);
    trail->SetMemberFactor(t);
    trail->Emit();
    if (guidance <= kUnguided) return;
    Light* light = nullptr;
    if (game->enhancedGraphics != 0) {
        if (parts.Count() > 0 && parts[0]->attached == nullptr) {
            auto* const smoke = new StreamEffect("MissSmoke");
            smoke->jitter = kSmokeJitter;
            parts[0]->attached = smoke;
        }
        light = new AttenuatedLight(Vector3{}, kLightInner, kLightOuter);
    } else if (game->career != nullptr && game->career->options.extraLights != 0) {
        light = new FrameAttenuatedLight(Vector3{}, kLightInner, kLightOuter);
    }
    if (light != nullptr) game->Lights().Add(new ProjectileLightHolder(light, this, 0));
}

void Missile::CheckLock() {
    SpaceObject* aimed = target.Get();
    if (aimed != nullptr && aimed->active == 0) {
        target = nullptr;
        aimed = nullptr;
    }
    if (aimed == nullptr || aimed->type < kTypeCraft) return;
    auto* const craft = static_cast<Craft*>(aimed);
    if (guidance == kRadar2 || guidance == kRadar3) {
        auto* const ecm = static_cast<EcmSystem*>(craft->GetSystem(ShipSystem::kEcm, nullptr));
        if (ecm != nullptr && ecm->IsInRange(this)) {
            if (ecm->TryDeflect(this) != 0 && !kinds::IsNetworkClient()) turnRate = -turnRate;
            guidance = kUnguided;
        }
    } else if (guidance == kCloakBlind) {
        if (craft->cloaked > 0) {
            guidance = kUnguided;
            target = nullptr;
        }
    } else if (guidance == kPowerSeeker) {
        if (craft->GetTotalPowerDraw() < kLowPowerSignature) {
            guidance = kUnguided;
            target = nullptr;
        }
    }
}

void Missile::ReleasePayload() {
    SpaceObject* const source = payload.Get();
    GameState* const game = g_gameState;
    for (int32_t i = 0; source != nullptr && i < payloadCount; ++i) {
        SpaceObject* clone = source->Clone(this, 1, 0);
        if (clone == nullptr) continue;
        const Vector3 heading = RandomUnitVector().Scaled(payloadSpread);
        if (heading.Length() > 0.0f) clone->local.SetForward(&heading, Transform::kAllFlags);
        clone->velocity = heading.Sum(velocity);
        clone->SetSide(side);
        if (auto* const missile = dynamic_cast<Missile*>(clone)) {
            missile->collisionDelay = 0;
            missile->UpdateVisibility();
            missile->target = target;
            missile->Accelerate(1000.0f);
            // A carrier living less than a second gives its payload a second, not for ever.
            missile->Activate(float(std::max(lifetime / 1000, 1)));
            missile->owner = owner;
            missile->launcher = launcher;
            missile->damage = damage;
            missile->homingHold = kHomingPause;
            missile->guidance = guidance;
            if (owner.Get() != nullptr && owner->type == kTypePlayerShip && game != nullptr) {
                game->trackedPlayerMissile = missile;
            }
        } else if (auto* const mine = dynamic_cast<Mine*>(clone)) {
            mine->Activate(0.0f);
            mine->owner = owner;
            mine->launcher = launcher;
            mine->damage = damage;
        }
        if (game != nullptr && game->NetCreateObject(clone) == 0) {
            clone->OnRemove(1);
            delete clone;
        }
    }
    Explode(nullptr, 0);
}

void Missile::Home(float t) {
    SpaceObject* const aimed = target.Get();
    if (aimed == nullptr || targetPart < 0 || targetPart >= aimed->parts.Count()) return;
    if (int64_t(Age()) <= int64_t(homingHold) || kinds::IsNetworkClient()) return;
    const SceneObject* const node = aimed->parts[targetPart]->node;
    Vector3 point;
    if (node != nullptr) {
        node->local.matrix.GetTranslation(&point);
        if (node->parent != nullptr) {
            Vector3 inWorld;
            TransformPoint(&point, &node->parent->world.matrix, &inWorld);
            point = inWorld;
        }
    } else {
        point = aimed->Position();
    }
    point = point.Sum(aimed->velocity.Scaled(0.5f * t));
    const Vector3 p = effects::PointToLocal(world, point);
    const Vector3 v = effects::DirectionToLocal(world, velocity);
    if (p.z > 0.0f) {
        homingHold = -1;
    } else if (homingHold < 0) {
        homingHold = int32_t(Age()) + kHomingPause;
    }
    float pitch = Degrees(v.y, v.z) - 2.0f * Degrees(p.y, p.z);
    float yaw = 2.0f * Degrees(p.x, p.z) - Degrees(v.x, v.z);
    lastPitchCommand = int32_t(pitch);
    lastYawCommand = int32_t(yaw);
    const float limit = float(turnRate) * t;
    pitch = Limit(pitch, limit);
    yaw = Limit(yaw, limit);
    local.RotateAboutLocalX(pitch, Transform::kAllFlags);
    UpdateWorldTransform(Transform::kAllFlags);
    local.RotateAboutLocalY(yaw, Transform::kAllFlags);
    UpdateWorldTransform(Transform::kAllFlags);
}

void Missile::Drive(float t) {
    const Vector3 ahead{0.0f, 0.0f, 1.0f};
    Vector3 nose;
    TransformVector(&ahead, &world.matrix, &nose);
    if (nose.Length() > 0.0f) nose.Normalize();
    const Vector3 push = nose.Scaled(maxSpeed * t);
    velocity = velocity.Sum(push);
    speed = velocity.Length();
    if (speed > velocityCap) {
        velocity = velocity.Scaled((velocityCap - maxSpeed * t) / speed).Sum(push);
        speed = velocityCap;
        if (target.Get() != nullptr || Age() < kYoungMs) flags |= kFlagChanged;
    }
    if (speed < 0.5f * velocityCap) {
        flags |= kFlagChanged;
        speed = 0.5f * velocityCap;
        velocity = nose.Scaled(speed);
    }
}

int32_t Missile::Detonate(int32_t) {
    // The launching weapon is there only while its craft is.
    DamageRecord record = launcher != nullptr && owner.Get() != nullptr ? launcher->damageRecord : damage;
    record.source = this;
    SpaceObject* const partner = collisionPartner.Get();
    const Mission* const mission = g_gameState != nullptr ? g_gameState->mission : nullptr;
    if (empCharge > 0 && mission != nullptr) {
        for (SpaceObject* object = mission->firstObject; object != nullptr; object = object->GetNext()) {
            if (object->type < kTypeCraft || (object->flags & kFlagNoCollisions) != 0 || object == this || object == partner) {
                continue;
            }
            Vector3 toMissile = Position().Difference(object->Position());
            const float d = toMissile.Length();
            if (!(d < kBlastReach)) continue;
            const float f = (kBlastReach - d) / 3000.0f;
            static_cast<Craft*>(object)->AddEmp(int32_t(float(empCharge) * f));
            DamageRecord scaled = record;
            for (int32_t& amount : scaled.amounts) amount = int32_t(float(amount) * f);
            if (d > 0.0f) toMissile = toMissile.Scaled(1.0f / d);
            object->TakeDamage(kinds::ClosestSolidPart(*object, toMissile, 4000.0f), scaled, owner.Get());
        }
    }
    SpaceObject* const credited = owner.Get();
    if ((target.Get() == nullptr || target.Get() == partner) && launcher != nullptr && credited != nullptr &&
        credited->type >= kTypeCraft && launcher->owner == credited) {
        static_cast<Craft*>(credited)->CountWeaponHit(launcher);
    }
    int32_t result = 0;
    if (partner != nullptr) {
        if (partner->type >= kTypeCraft) static_cast<Craft*>(partner)->AddEmp(empCharge);
        result = partner->TakeDamage(partnerPart, record, credited);
    }
    // Struck after the impact had already exploded it, the warhead still
    // lands, but there is only one explosion.
    if (active != 0) Explode(partner, 0);
    return result;
}

void Missile::FillNetState(NetObjectState& state) const {
    state = NetObjectState{};
    for (int i = 0; i < 5; ++i) state.tail[i] = uint32_t(damage.amounts[i]);
    state.tail[5] = uint32_t(owner.Get() != nullptr ? owner->uoid : -1);
    state.tail[6] = uint32_t(target.Get() != nullptr ? target->uoid : -1);
    state.tail[7] = uint32_t(targetPart);
    state.tail[8] = uint32_t(turnRate);
    state.tail[9] = uint32_t(guidance);
    state.tail[10] = uint32_t(lifetime);
    state.tailWords = 11;
    state.owner = owner.Get();
}

MissileTrail::MissileTrail(Missile* flying) : ParticleSystem(kCapacity) {
    missile = flying;
    red = effects::ColourIn("weapons", 255, 0, 0);
    brown = effects::ColourIn("weapons", 150, 100, 0);
    amber = effects::ColourIn("weapons", 200, 150, 50);
}

MissileTrail::~MissileTrail() {
    if (auto* const flying = static_cast<Missile*>(missile.Get()); flying != nullptr && flying->trail == this) {
        flying->trail = nullptr;
    }
}

void MissileTrail::Emit() {
    age = 0;
    auto* const flying = static_cast<Missile*>(missile.Get());
    if (flying == nullptr) return;
    const int32_t n = flying->guidance > 0 ? 3 : 2;
    const Vector3 drift = flying->velocity.Scaled(0.5f);
    const Vector3 position = flying->Position();
    const Vector3 step = position.Difference(flying->previousPosition).Scaled(1.0f / float(n));
    struct Spark {
        float spread;
        uint32_t colour;
        float life;
    };
    const Spark sparks[3] = {{1.0f, amber, 0.75f}, {2.0f, brown, 1.0f}, {3.0f, red, 1.25f}};
    // A trail is full most of its flight: a spark with no slot to take is
    // not made, though its draws are, so the game's random sequence runs on
    // as if it had been made and dropped. A spark that takes a dead spark's
    // slot is made in its place.
    uint32_t slot = FirstFreeSlot();
    for (int32_t k = 1; k <= n; ++k) {
        const Vector3 at = position.Sum(step.Scaled(float(k)));
        for (const Spark& spark : sparks) {
            if ((GameRandom() & 1) == 0) continue;
            if (slot >= capacity) {
                RandomDifferenceVector();
                continue;
            }
            const Vector3 speedOf = RandomUnitVector().Scaled(spark.spread).Sum(drift);
            Particle* particle = members[slot];
            if (particle != nullptr && typeid(*particle) == typeid(Particle)) {
                *particle = Particle(&at, &speedOf, spark.colour, spark.life);
            } else {
                particle = new Particle(&at, &speedOf, spark.colour, spark.life);
            }
            particle->flags |= Particle::kFlagLifeBySteps;
            AddParticleAt(particle, slot);
            slot = FreeSlot(slot + 1);
        }
    }
}

void MissileTrail::Update() {
    if (++age >= kFadeUpdates) {
        flags |= 0x1000000;
        return;
    }
    ParticleSystem::Update();
}
