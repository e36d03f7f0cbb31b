#include "objects/weapons/BeamWeapon.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "engine/MathRoutineTable.h"
#include "engine/Random.h"
#include "engine/TextCompare.h"
#include "game/CareerRecord.h"
#include "game/EffectTypes.h"
#include "game/GameState.h"
#include "game/LightHolder.h"
#include "net/NetPacketType.h"
#include "objects/effects/BeamEffect.h"
#include "objects/effects/EffectSupport.h"
#include "objects/effects/FxObject.h"
#include "objects/ships/Craft.h"
#include "objects/space/ObjectPart.h"
#include "objects/systems/EnergySystem.h"
#include "objects/weapons/HitSearch.h"
#include "objects/weapons/WeaponNet.h"
#include "scene/Particle.h"
#include "scene/SceneObject.h"
#include "sound/SoundDevice.h"
#include "sound/SoundObject.h"

namespace {

constexpr const char* kCoolingDown = "Cooling down";
constexpr float kDegreesPerRadian = 57.29578f;
constexpr int32_t kSparkCount = 21;

BeamType* FindBeamTypeIgnoringCase(const char* name) {
    for (BeamType* type = g_beamTypes; type != nullptr; type = type->next) {
        if (text::_stricmp(type->name, name) == 0) return type;
    }
    return nullptr;
}

}  // namespace

BeamWeapon::BeamWeapon(Craft* owner, int32_t partIndex, int32_t maximum, int32_t weaponGroup, int32_t energy,
                       int32_t beamRange, const int32_t damage[5], const char* name, const DynArray16* names,
                       const Light& lightValues)
    : Weapon(owner, partIndex, maximum, weaponGroup, 0, energy, -1, damage, lightValues, names), range(beamRange) {
    typeId = kBeam;
    if (name != nullptr) std::memcpy(beamName, name, strnlen(name, sizeof beamName - 1));
    beamType = FindBeamTypeIgnoringCase(beamName);
    firingSound = MakeFiringSound();
}

BeamWeapon::~BeamWeapon() {
    EndLayers();
    Drop(firingSound);
}

ShipSystem* BeamWeapon::Clone(Craft* newOwner, int32_t newPartIndex) const {
    auto* const clone = new BeamWeapon(newOwner, newPartIndex, maxDamage, group, energyPerShot, range,
                                       damageRecord.amounts, beamName, &soundNames, light);
    if (clone != nullptr) CopyWeaponInto(*clone);
    return clone;
}

int32_t BeamWeapon::GetPowerDraw() const {
    if (group < 1) return 0;
    return beamOn != 0 ? powerDraw + 100 : powerDraw;
}

void BeamWeapon::EndLayers() {
    for (BeamEffect*& layer : layers) {
        if (layer == nullptr) continue;
        layer->flags |= 0x1000000;
        layer->owner = nullptr;
        layer->heldBy = nullptr;
        layer = nullptr;
    }
}

const char* BeamWeapon::Refusing(const EnergySystem* energy) const {
    return cooling != 0 ? kCoolingDown : Weapon::Refusing(energy);
}

int32_t BeamWeapon::Fire(SceneObject* launchNode, SceneObject* targetNode) {
    if (owner == nullptr) return 0;
    auto* const energy = static_cast<EnergySystem*>(owner->GetSystem(kEnergy, nullptr));
    if (launchNode == nullptr || beamType == nullptr) return 0;
    if (cooling != 0) {
        Refuse(kCoolingDown);
        return 0;
    }
    if (CanFire(energy) == 0) {
        if (cooling != 0) Refuse(kCoolingDown);
        return 0;
    }

    // The target part follows the aim; a damaged beam may lose it.
    SpaceObject* const aimed = effects::SpaceObjectOf(targetNode);
    if (aimed != nullptr) {
        target = aimed;
        targetPart = 0;
        for (int32_t i = 0; i < aimed->parts.Count(); ++i) {
            if (aimed->parts[i]->node == targetNode) targetPart = i;
        }
    }
    if (SpaceObject* const current = target.Get()) {
        bool keep = !(damage > 0 && maxDamage > 0 && GameRandom() % maxDamage < damage);
        if (keep) {
            keep = current->type >= SpaceObject::kTypeCraft;
            const Frame* const partNode = targetPart >= 0 && targetPart < current->parts.Count()
                                              ? static_cast<Frame*>(current->parts[targetPart]->node)
                                              : nullptr;
            const Vector3 toward = effects::PointToLocal(launchNode->world, effects::WorldPosition(partNode != nullptr ? *partNode : *current));
            float angle = 180.0f;
            const float length = toward.Length();
            if (toward.z > 0.0f && length > 0.0f) angle = std::acos(std::clamp(toward.z / length, -1.0f, 1.0f)) * kDegreesPerRadian;
            keep = keep && angle <= float(beamType->arc);
        }
        if (!keep) {
            target = nullptr;
            targetPart = -1;
        }
    }

    firing = 1;
    GameState* const game = g_gameState;
    if (game != nullptr && game->weaponFlash != nullptr && owner->flashLight != nullptr && game->career != nullptr &&
        game->career->options.extraLights != 0) {
        game->weaponFlash->Flash();
    }
    SpaceObject* const lockedOn = target.Get();
    Frame* const lockedNode = lockedOn != nullptr && targetPart >= 0 && targetPart < lockedOn->parts.Count()
                                  ? lockedOn->parts[targetPart]->node
                                  : nullptr;
    if (layers[0] == nullptr && game != nullptr) {
        const int32_t count = game->weaponFlash != nullptr ? kLayers : 1;
        for (int32_t i = 0; i < count; ++i) {
            auto* const layer = new BeamEffect(beamType);
            layer->SetSize(10.0f);
            layer->SetParams(owner, lockedOn, i + 1, 0, range, &muzzleOffset, nullptr, 1);
            layer->SetNodes(launchNode, lockedNode);
            game->RegisterObjectGroup(layer, game->effectKey, 1);
            layer->Update();
            layer->flags |= 0x1;   // shown by the next update
            layers[i] = layer;
            layer->heldBy = &layers[i];
        }
    } else {
        for (BeamEffect* layer : layers) {
            if (layer == nullptr) continue;
            layer->updateCounter = 0;   // a held beam stays shown
            layer->target = lockedOn;
            layer->length = range;
            layer->muzzleOffset = muzzleOffset;
            layer->SetNodes(launchNode, lockedNode);
        }
    }
    return 1;
}

void BeamWeapon::UpdateWeapon(int32_t milliseconds) {
    if (milliseconds < 0) {
        if (firingSound != nullptr && g_gameState != nullptr && g_gameState->Sound() != nullptr) {
            g_gameState->Sound()->StopSound(firingSound);
        }
        firing = 0;
        return;
    }
    auto* const energy = owner != nullptr ? static_cast<EnergySystem*>(owner->GetSystem(kEnergy, nullptr)) : nullptr;
    if (firing != 0 && beamOn == 0 && firingSound != nullptr) {
        firingSound->repeat = 1;
        PlayFiring(firingSound, 5, 1, 1);
    }
    if (firing == 0 && heat > 0.0f) {
        cooling = 1;
        const bool skip = damage > 0 && maxDamage > 0 && GameRandom() % maxDamage < damage;
        if (!skip) heat -= float(milliseconds) * coolingRate * 0.001f;
        heat = std::max(heat, 0.0f);
        if (heat <= coolDownLevel) cooling = 0;
    }
    if (firing != 0) heat += float(milliseconds) * heatingRate * 0.001f;

    if (cooling != 0 || firing == 0 || CanFire(energy) == 0) {
        if (firing == 0 && layers[0] != nullptr) {
            beamOn = 0;
            EndLayers();
        }
    } else {
        Burn(milliseconds, energy);
    }
    if (heat > maximumHeat) cooling = 1;
    if (firing == 0 && firingSound != nullptr) firingSound->repeat = 0;
    firing = 0;
}

void BeamWeapon::Burn(int32_t milliseconds, EnergySystem* energy) {
    GameState* const game = g_gameState;
    if (layers[0] == nullptr || owner == nullptr) return;
    for (BeamEffect* layer : layers) {
        if (layer == nullptr) continue;
        layer->flags &= ~0x1u;
        layer->Update();
    }
    // The beam's ends, from the first layer's box into the world.
    const BeamEffect& first = *layers[0];
    const Vector3 nearMiddle{(first.corners[0][0] + first.corners[1][0]) * 0.5f,
                             (first.corners[0][1] + first.corners[4][1]) * 0.5f, first.corners[0][2]};
    const Vector3 farMiddle{(first.corners[2][0] + first.corners[3][0]) * 0.5f,
                            (first.corners[2][1] + first.corners[6][1]) * 0.5f, first.corners[2][2]};
    Vector3 start, end;
    TransformPoint(&nearMiddle, &first.placement.matrix, &start);
    TransformPoint(&farMiddle, &first.placement.matrix, &end);
    Vector3 beam = end.Difference(start);
    const float length = beam.Length();

    const uint32_t colour = uint32_t(beamType->colour[0]) | uint32_t(beamType->colour[1]) << 8 |
                            uint32_t(beamType->colour[2]) << 16;
    if (game != nullptr) game->RegisterObjectGroup(new BeamHitSparks(kSparkCount, colour, start, beam), game->effectKey, 1);
    if (firingSound != nullptr && !OwnedByPlayer()) firingSound->SetPosition(owner->Position());

    SpendShot(nullptr);
    if (energy != nullptr) energy->weaponPool -= int32_t(energyCarry.TakeRate(energyPerShot, milliseconds));
    beamOn = 1;

    Vector3 direction = beam;
    if (length > 0.0f) direction = direction.Scaled(1.0f / length);
    const WeaponHit hit = length > 0.0f ? FindWeaponHit(owner, start, direction, length) : WeaponHit{};
    target = hit.object != nullptr && hit.object->type >= SpaceObject::kTypeCraft ? hit.object : nullptr;
    targetPart = hit.part;

    DamageRecord record;
    record.source = owner;
    if (hit.object != nullptr) record = HitRecord(milliseconds);
    const Vector3 impact = hit.object != nullptr ? start.Sum(direction.Scaled(hit.distance)) : end;
    weapon_net::SendWeaponFire(kBeamHit, record, 0, hit.object, beamType->name, partIndex, hit.part, impact);
    if (hit.object == nullptr) return;
    const bool ship = hit.object->type > SpaceObject::kTypeCraft;
    const int32_t emp = HitEmp(milliseconds);
    if (ship) static_cast<Craft*>(hit.object)->AddEmp(emp);
    owner->CountWeaponHit(this);
    if (hit.object->TakeDamage(hit.part, record, owner) != 0) target = nullptr;
    if (empCharge > 0 && ship) weapon_net::SendEmpDamage(hit.object, emp);
    if (game != nullptr) {
        if (FxObject* const blast = FxObject::FxObjectAt(hit.object, beamType->explosionName)) {
            game->RegisterObjectGroup(blast, game->effectKey, 1);
        }
    }
}

BeamHitSparks::BeamHitSparks(int32_t count, uint32_t colour, const Vector3& start, const Vector3& vector) {
    const int32_t n = std::max(count, 0);
    SetCapacity(uint32_t(3 * n));
    const uint8_t red = colour & 0xFF, green = (colour >> 8) & 0xFF, blue = (colour >> 16) & 0xFF;
    const uint32_t shades[3] = {effects::ColourIn("explode", uint8_t(red / 3), green, blue),
                                effects::ColourIn("explode", red, uint8_t(green / 3), blue),
                                effects::ColourIn("explode", red, green, uint8_t(blue / 3))};
    Vector3 along = vector;
    int32_t length = int32_t(vector.Length());
    if (length > 2) {
        along = along.Scaled(1.0f / float(length));
    } else {
        length = 1000;
    }
    SetMemberFactor(0.5f);
    for (int32_t i = 0; i < n; ++i) {
        for (int shade = 0; shade < 3; ++shade) {
            const Vector3 at = start.Sum(along.Scaled(float(GameRandom() % length)));
            const Vector3 velocity = RandomUnitVector();
            const float life = float(GameRandom() % 5 + 1 + shade);
            AddParticle(new Particle(&at, &velocity, shades[shade], life));
        }
    }
}

void BeamHitSparks::Update() {
    if (--framesLeft <= 0) flags |= 0x1000000;
    ParticleSystem::Update();
}
