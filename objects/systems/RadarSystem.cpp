#include "objects/systems/RadarSystem.h"

#include <algorithm>

#include "display/Palette.h"
#include "engine/Random.h"
#include "game/Cockpit.h"
#include "game/GameState.h"
#include "objects/ships/Craft.h"
#include "objects/systems/TargetingSystem.h"

namespace {

void Indicators(const Craft* owner, bool passive) {
    if (owner == nullptr || owner->type != Craft::kTypePlayerShip || g_gameState == nullptr) return;
    g_gameState->TheCockpit().SetIndicator(Cockpit::kIndicatorRadarPassive, passive ? 1 : 0);
    g_gameState->TheCockpit().SetIndicator(Cockpit::kIndicatorRadarActive, passive ? 0 : 1);
}

void Refuse(const Craft* owner) {
    if (owner != nullptr && owner->type == Craft::kTypePlayerShip && g_gameState != nullptr) g_gameState->TheCockpit().PlayClick(2);
}

}  // namespace

RadarSystem::RadarSystem(Craft* owner, int32_t partIndex, const int16_t words[7], int32_t maximum, const DynArray16* names)
    : ShipSystem(owner, partIndex, kRadar, names),
      shortRange(words[0]),
      longRange(words[1]),
      passiveNear(words[5]),
      passiveFar(words[6]),
      activeNear(words[3]),
      activeFar(words[4]),
      passiveCapable(words[2]) {
    std::copy(words, words + 7, words_);
    maxDamage = maximum;
    // The player's ship always takes three names; a missing one is no sound.
    if (OwnedByPlayer()) {
        rangeSound = MakeSound(0, 1);
        activeSound = MakeSound(1, 2);
        passiveSound = MakeSound(2, 3);
    }
    Indicators(owner, false);
}

RadarSystem::~RadarSystem() {
    Drop(rangeSound);
    Drop(passiveSound);
    Drop(activeSound);
}

ShipSystem* RadarSystem::Clone(Craft* newOwner, int32_t newPartIndex) const {
    auto* const clone = new RadarSystem(newOwner, newPartIndex, words_, maxDamage, &soundNames);
    if (clone != nullptr) CopyInto(*clone);
    return clone;
}

void RadarSystem::SetDamage(int32_t value) {
    damage = value;
    ShowGauge(3, value);
}

int32_t RadarSystem::Update(int32_t, EnergySystem*) {
    SpaceObject* const followed = probe;
    if (followed != nullptr && followed->active == 0) {
        probe = nullptr;
        followingProbe = 0;
    }
    return 1;
}

int32_t RadarSystem::GetPowerDraw() const {
    if (passive != 0 || followingProbe != 0) return powerDraw;
    return int32_t(int64_t(powerDraw) * 3 * rangeSetting);
}

bool RadarSystem::DamageRollFails() const { return maxDamage >= 1 && damage >= 1 && GameRandom() % maxDamage < damage; }

int32_t RadarSystem::SettingRange() {
    if (rangeSetting == 0 && probe.Get() == nullptr) {
        rangeSetting = 1;
        followingProbe = 0;
    }
    if (rangeSetting > 3) rangeSetting = probe.Get() != nullptr ? 0 : 1;
    if (rangeSetting == 0) {
        followingProbe = 1;
        return probeRange;
    }
    followingProbe = 0;
    int64_t range = rangeSetting == 1 ? shortRange : rangeSetting == 2 ? shortRange + (longRange - shortRange) / 2 : longRange;
    if (passive != 0) range *= 2;
    return int32_t(std::min<int64_t>(range, kMaxRange));
}

int32_t RadarSystem::GetRange() {
    int64_t range = SettingRange();
    const int32_t emp = owner != nullptr ? owner->empLevel : 0;
    if (emp > 0) range = range * 25 / (GameRandom() % emp + 25);
    if (maxDamage > 0 && damage > 0) {
        const int64_t n = range * damage / maxDamage;
        if (n > 0) range -= GameRandom() % n;
    }
    return int32_t(range);
}

SpaceObject* RadarSystem::GetViewpoint() {
    if (followingProbe != 0 && probe.Get() != nullptr) return probe;
    return owner;
}

bool RadarSystem::CanDetect(const SpaceObject* object, int32_t distance) {
    const int32_t range = GetRange();
    if (DamageRollFails()) return false;
    if (object == nullptr || object == owner || object->active == 0) return false;
    int64_t d = distance;
    if (d < 0) {
        const SpaceObject* const from = GetViewpoint();
        d = from != nullptr ? int64_t(from->DistanceTo(*object)) : 0;
    }
    if (d > range) return false;
    // A long range of 0 takes the near value.
    const auto between = [](int32_t near, int32_t far, int64_t at, int64_t span) {
        return span > 0 ? int32_t(near + double(far - near) * double(at) / double(span)) : near;
    };
    const int32_t chance = followingProbe != 0 ? probeChance
                           : passive != 0      ? between(passiveNear, passiveFar, d, 2 * int64_t(longRange))
                                               : between(activeNear, activeFar, d, longRange);
    if (object->classWord == SpaceObject::kNeverSeenClass) return false;
    const bool quiet = passive != 0 && followingProbe == 0;
    const bool friendly = owner != nullptr && object->side == owner->side;
    switch (object->type) {
        case SpaceObject::kTypeWayPoint:
        case SpaceObject::kTypeDecoy: return true;
        case SpaceObject::kTypeNavBuoy:
        case SpaceObject::kTypeAsteroid:
        case SpaceObject::kTypeJumpGate: return !quiet;
        case SpaceObject::kTypeMissile: return friendly || (!quiet && GameRandom() % 100 < chance);
        case SpaceObject::kTypeMine: return friendly || (!quiet && d * 10 < range && GameRandom() % 100 < chance);
        default: break;
    }
    if (object->type >= SpaceObject::kTypeCraft) {
        auto* const craft = const_cast<Craft*>(static_cast<const Craft*>(object));
        if (quiet) return craft->GetTotalPowerDraw() > 325 - (5 * chance) / 2;
        return craft->cloaked < chance;
    }
    return false;
}

int32_t RadarSystem::GetIdentification(const SpaceObject* object, int32_t distance) {
    const int32_t range = GetRange();
    if (followingProbe != 0 || passive != 0 || object == nullptr || DamageRollFails() || distance > range) return 0;
    int64_t v = distance < 100 + 2 * object->Radius()
                    ? 100
                    : (longRange > 0 ? int64_t(activeNear + double(activeFar - activeNear) * distance / longRange) : activeNear);
    switch (object->type) {
        case SpaceObject::kTypeDecoy: v = 0; break;
        case SpaceObject::kTypeWayPoint: v = 100; break;
        case SpaceObject::kTypeJumpGate: v *= 3; break;
        case SpaceObject::kTypeAsteroid: v = 100; break;
        case SpaceObject::kTypeMissile: v /= 2; break;
        case SpaceObject::kTypeMine: v = int64_t(distance) * 10 < range ? v / 3 : 0; break;
        default:
            v = object->type >= SpaceObject::kTypeCraft && static_cast<const Craft*>(object)->cloaked == 0 ? v : 0;
            break;
    }
    return int32_t(std::clamp<int64_t>(v, 0, 100));
}

bool RadarSystem::CanDetectAny(const SpaceObject* object) {
    if (DamageRollFails() || object == nullptr || object == owner || object->active == 0) return false;
    switch (object->type) {
        case 4: case 8: case 11: case 12: case 14: case 15: case 16: return true;
        case 5: case 7: case 10: return passive == 0 || followingProbe != 0;
        default: return false;
    }
}

uint32_t RadarSystem::GetContactColour(const SpaceObject* object) {
    if (coloursBuilt == 0 && g_gameState != nullptr && g_gameState->currentPalette != nullptr) {
        // As 0xBBGGRR.
        const uint32_t rgb[kColours] = {0x0000FF, 0x00FF00, 0x00FFFF, 0x0080FF, 0xFF0000, 0xFFFFFF, 0x5C5C5C};
        for (int i = 0; i < kColours; ++i) colours[i] = g_gameState->currentPalette->MatchColor(rgb[i]);
        coloursBuilt = 1;
    }
    if (passive != 0 || object == nullptr) return colours[kGrey];
    const int32_t noise = maxDamage >= 1 && damage >= 1 ? (GameRandom() % damage) * 100 / maxDamage : 0;
    const int32_t n = noise + (owner != nullptr ? owner->empLevel / 2 : 0);
    if (n > 75) return colours[kGrey];
    const bool friendly = owner != nullptr && object->side == owner->side;
    if (object->type == SpaceObject::kTypeAiShip) {
        if (n < 51) return colours[friendly ? kGreen : object->side == 0 ? kYellow : kRed];
        return colours[n % 2 != 0 ? kOrange : kRed];
    }
    if (object->type == SpaceObject::kTypeMissile) {
        if (n < 26) return colours[friendly ? kBlue : kOrange];
        return colours[n % 2 != 0 ? kRed : kWhite];
    }
    return colours[object->type == SpaceObject::kTypeWayPoint ? kWhite : kGrey];
}

void RadarSystem::SetPassive() {
    if (passive != 0) return;
    if (passiveCapable == 0) {
        Refuse(owner);
        return;
    }
    passive = 1;
    Indicators(owner, true);
    Play(passiveSound, 4, 1);
    if (owner == nullptr) return;
    if (auto* const targeting = static_cast<TargetingSystem*>(owner->GetSystem(kTargeting, nullptr))) {
        SpaceObject* const target = targeting->GetTarget();
        if (target != nullptr && !CanDetect(target, -1)) targeting->SelectTarget(nullptr);
    }
}

void RadarSystem::SetActive() {
    if (passive == 0) return;
    passive = 0;
    Indicators(owner, false);
    Play(activeSound, 0, 1);
}

void RadarSystem::ToggleMode() {
    if (passive != 0) {
        SetActive();
    } else {
        SetPassive();
    }
}

void RadarSystem::CycleRange() {
    Play(rangeSound, 0, 1);
    ++rangeSetting;
}

SensorSystem::SensorSystem(Craft* owner, int32_t partIndex, SpaceObject* probeTemplate, int32_t probeRange,
                           int32_t probeChance, int32_t lifetime, const DynArray16* names)
    : ShipSystem(owner, partIndex, kSensor, names),
      probeTemplate(probeTemplate),
      probeRange(probeRange),
      probeChance(probeChance),
      lifetime(lifetime) {
    launchSound = MakeSound(0, 1);
}

SensorSystem::~SensorSystem() { Drop(launchSound); }

ShipSystem* SensorSystem::Clone(Craft* newOwner, int32_t newPartIndex) const {
    auto* const clone = new SensorSystem(newOwner, newPartIndex, probeTemplate, probeRange, probeChance, lifetime, &soundNames);
    if (clone != nullptr) {
        clone->maxDamage = maxDamage;
        CopyInto(*clone);
    }
    return clone;
}

int32_t SensorSystem::Launch() {
    if (probesLeft <= 0 || probeTemplate == nullptr || owner == nullptr) {
        Refuse(owner);
        return 0;
    }
    --probesLeft;
    Play(launchSound, 5, 1);
    Release();
    return 1;
}

SpaceObject* SensorSystem::LaunchRequested() {
    if (probesLeft <= 0 || probeTemplate == nullptr || owner == nullptr) return nullptr;
    --probesLeft;
    Play(launchSound, 5, 1);
    return Release();
}

SpaceObject* SensorSystem::Release() {
    auto* const radar = static_cast<RadarSystem*>(owner->GetSystem(kRadar, nullptr));
    SpaceObject* probe = probeTemplate->Clone(owner);
    if (probe == nullptr) return nullptr;
    probe->flags &= ~SpaceObject::kFlagHiddenObject;
    probe->UpdateVisibility();
    probe->velocity = owner->world.forward.Scaled(owner->velocity.Length());
    probe->Accelerate(1000.0f);
    // A life of 1 to 999 ms lasts a second: Activate(0) would never expire.
    const float seconds = lifetime <= 0 ? 0.0f : std::max(1.0f, float(lifetime / 1000));
    probe->Activate(seconds);
    if (g_gameState != nullptr && g_gameState->NetCreateObject(probe) == 0) {
        // The host makes the probe; the local copy goes.
        probe->OnRemove(1);
        delete probe;
        probe = nullptr;
    }
    if (radar != nullptr) {
        radar->probe = probe;
        radar->probeRange = probeRange;
        radar->probeChance = probeChance;
    }
    return probe;
}
