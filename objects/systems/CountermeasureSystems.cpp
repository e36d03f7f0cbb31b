#include "objects/systems/CountermeasureSystems.h"

#include <algorithm>
#include <cstring>

#include "engine/Random.h"
#include "game/Cockpit.h"
#include "game/GameState.h"
#include "net/NetPacket.h"
#include "net/NetPacketType.h"
#include "net/NetSession.h"
#include "objects/ships/Craft.h"
#include "objects/space/Decoy.h"
#include "objects/space/Missile.h"
#include "objects/systems/EnergySystem.h"

namespace {

float DistanceBetween(const SpaceObject& a, const SpaceObject& b) { return a.Position().Difference(b.Position()).Length(); }

}  // namespace

// --- ECM ---------------------------------------------------------------

EcmSystem::EcmSystem(Craft* owner, int32_t partIndex, const int16_t words[3], int32_t maximum, const DynArray16* names)
    : ShipSystem(owner, partIndex, kEcm, names), chanceMode2(words[0]), chanceMode3(words[1]), range(words[2]) {
    maxDamage = maximum;
    onSound = MakeSound(0, 3);
    offSound = MakeSound(1, 3);
    alertSound = MakeSound(2, 3);
}

EcmSystem::~EcmSystem() {
    Drop(alertSound);
    Drop(onSound);
    Drop(offSound);
}

ShipSystem* EcmSystem::Clone(Craft* newOwner, int32_t newPartIndex) const {
    const int16_t words[3] = {int16_t(chanceMode2), int16_t(chanceMode3), int16_t(range)};
    auto* const clone = new EcmSystem(newOwner, newPartIndex, words, maxDamage, &soundNames);
    if (clone != nullptr) CopyInto(*clone);
    return clone;
}

void EcmSystem::Report(int32_t reportedRange) const {
    // Every machine tells of its own pilot's ship only: a client the host,
    // which passes it on, and the host everybody. A copy switched at the
    // host's word is nobody else's business.
    NetSession* const session = g_gameState != nullptr ? g_gameState->netSession : nullptr;
    if (session == nullptr || !session->IsActive() || !OwnedByPlayer()) return;
    NetPacket packet;
    packet.BuildEcmStatus(kEcmStatus, owner->uoid, reportedRange, chanceMode3, chanceMode2);
    if (packet.GetData() != nullptr) session->SendGamePacket(packet.GetData(), packet.GetSize());
}

void EcmSystem::TurnOn() {
    switchedOn = 1;
    Play(onSound, 4, 1);
    Indicate(Cockpit::kIndicatorEcm, true);
    Report(range);
}

void EcmSystem::TurnOff() {
    switchedOn = 0;
    Play(offSound, 4, 1);
    Indicate(Cockpit::kIndicatorEcm, false);
    Report(-1);
}

void EcmSystem::ReportAgain() const {
    if (switchedOn != 0) Report(range);
}

void EcmSystem::Toggle() {
    if (switchedOn != 0) {
        TurnOff();
    } else {
        TurnOn();
    }
}

bool EcmSystem::IsInRange(const SpaceObject* object) const {
    return object != nullptr && owner != nullptr && DistanceBetween(*owner, *object) <= float(range);
}

int32_t EcmSystem::TryDeflect(const SpaceObject* missile) {
    alerted = 1;
    const auto* const homing = dynamic_cast<const Missile*>(missile);
    if (switchedOn == 0 || homing == nullptr) return 0;
    int32_t chance;
    if (homing->guidance == Missile::kRadar3) {
        chance = chanceMode3;
    } else if (homing->guidance == Missile::kRadar2) {
        chance = chanceMode2;
    } else {
        return 0;
    }
    // Without a maximum the damage cannot lower the chance.
    const int64_t effective = maxDamage > 0 ? int64_t(maxDamage - damage) * chance / maxDamage : chance;
    return GameRandom() % 100 < effective ? 1 : 0;
}

int32_t EcmSystem::Update(int32_t milliseconds, EnergySystem*) {
    if (milliseconds < 0) return 0;
    Indicate(Cockpit::kIndicatorIncomingMissile, alerted != 0);
    if (alerted != 0) Play(alertSound, 9, 1);
    alerted = 0;
    return switchedOn;
}

// --- Cloak -------------------------------------------------------------

CloakSystem::CloakSystem(Craft* owner, int32_t partIndex, const int16_t words[5], int32_t maximum,
                         const DynArray16* names)
    : ShipSystem(owner, partIndex, kCloak, names),
      stealthLevel(words[1]),
      keptWord(words[2]),
      emissionPercent(words[3]),
      empSurge(words[0]),
      reservedPower(words[4]) {
    maxDamage = maximum;
    onSound = MakeSound(0, 2);
    offSound = MakeSound(1, 2);
}

CloakSystem::~CloakSystem() {
    Drop(onSound);
    Drop(offSound);
}

ShipSystem* CloakSystem::Clone(Craft* newOwner, int32_t newPartIndex) const {
    const int16_t words[5] = {int16_t(empSurge), int16_t(stealthLevel), int16_t(keptWord), int16_t(emissionPercent),
                              int16_t(reservedPower)};
    auto* const clone = new CloakSystem(newOwner, newPartIndex, words, maxDamage, &soundNames);
    if (clone != nullptr) CopyInto(*clone);
    return clone;
}

void CloakSystem::TurnOn() {
    auto* const energy = owner != nullptr ? static_cast<EnergySystem*>(owner->GetSystem(kEnergy, nullptr)) : nullptr;
    // A cloak already on holds its reserve: a second reservation would never be given back.
    if (active == 0 && reservedPower != 0 && (energy == nullptr || energy->ReservePower(reservedPower) == 0)) {
        RefuseClick();
        return;
    }
    if (owner != nullptr) {
        owner->cloaked = stealthLevel;
        if (active == 0) owner->AddEmp(empSurge);
    }
    active = 1;
    Play(onSound, 4, 1);
    Indicate(Cockpit::kIndicatorCloak, true);
}

void CloakSystem::TurnOff() {
    // Only what this cloak holds is given back.
    if (active != 0 && owner != nullptr) {
        if (auto* const energy = static_cast<EnergySystem*>(owner->GetSystem(kEnergy, nullptr))) {
            energy->ReleasePower(reservedPower);
        }
    }
    if (owner != nullptr) owner->cloaked = 0;
    active = 0;
    Play(offSound, 4, 1);
    Indicate(Cockpit::kIndicatorCloak, false);
}

void CloakSystem::Toggle() {
    if (active != 0) {
        TurnOff();
    } else {
        TurnOn();
    }
}

int32_t CloakSystem::MaskEmissions(int32_t total) const {
    return active != 0 ? int32_t(int64_t(total) * emissionPercent / 100) : total;
}

int32_t CloakSystem::Update(int32_t milliseconds, EnergySystem* energy) {
    const int32_t t = std::min(milliseconds, 1000);
    if (t < 0) return 0;
    failureTimer += t;
    if (failureTimer > 1000) {
        failureTimer -= 1000;
        if (active != 0 && damage > 0 && maxDamage > 0 && GameRandom() % maxDamage < damage) TurnOff();
    }
    if (active != 0 && (energy == nullptr || energy->output == 0)) TurnOff();
    return active;
}

// --- Jammer ------------------------------------------------------------

JammerSystem::JammerSystem(Craft* owner, int32_t partIndex, int32_t jamRange, int32_t jamPercent, int32_t maximum,
                           const DynArray16* names)
    : ShipSystem(owner, partIndex, kJammer, names), range(jamRange), percent(jamPercent) {
    maxDamage = maximum;
    onSound = MakeSound(0, 2);
    offSound = MakeSound(1, 2);
}

JammerSystem::~JammerSystem() {
    if (g_gameState != nullptr) g_gameState->RemoveActiveJammer(this);
    Drop(onSound);
    Drop(offSound);
}

ShipSystem* JammerSystem::Clone(Craft* newOwner, int32_t newPartIndex) const {
    auto* const clone = new JammerSystem(newOwner, newPartIndex, range, percent, maxDamage, &soundNames);
    if (clone != nullptr) CopyInto(*clone);
    return clone;
}

void JammerSystem::TurnOn() {
    if (g_gameState != nullptr) g_gameState->AddActiveJammer(this);
    active = 1;
    Play(onSound, 4, 1);
    Indicate(Cockpit::kIndicatorJammer, true);
}

void JammerSystem::TurnOff() {
    if (g_gameState != nullptr) g_gameState->RemoveActiveJammer(this);
    active = 0;
    Play(offSound, 4, 1);
    Indicate(Cockpit::kIndicatorJammer, false);
}

void JammerSystem::Toggle() {
    if (active != 0) {
        TurnOff();
    } else {
        TurnOn();
    }
}

bool JammerSystem::IsJamming(const SpaceObject* craft) const {
    if (active == 0 || craft == nullptr || owner == nullptr) return false;
    if (DistanceBetween(*owner, *craft) > float(range)) return false;
    return GameRandom() % 100 < percent;
}

int32_t JammerSystem::GetNetState() {
    if (active != 0) {
        reported = 1;
        return int32_t((uint32_t(range) & 0xFFFF) | uint32_t(percent) << 16);
    }
    if (reported != 0) {
        reported = 0;
        return -1;
    }
    return 0;
}

void JammerSystem::SetNetState(int32_t value) {
    range = value & 0xFFFF;
    percent = value >> 16;
}

// --- Decoy launcher ------------------------------------------------------

DecoySystem::DecoySystem(Craft* owner, int32_t partIndex, SpaceObject* decoy, const int16_t words[3], int32_t maximum,
                         const DynArray16* names)
    : ShipSystem(owner, partIndex, kDecoy, names),
      decoyTemplate(decoy),
      missileLure(words[1]),
      craftLure(words[0]),
      lifetime(words[2]) {
    maxDamage = maximum;
    launchSound = MakeSound(0, 1);
}

DecoySystem::~DecoySystem() { Drop(launchSound); }

int32_t DecoySystem::Launch() {
    if (decoysLeft <= 0 || owner == nullptr) {
        RefuseClick();
        return 0;
    }
    --decoysLeft;
    Play(launchSound, 5, 1);
    Release();
    return 1;
}

SpaceObject* DecoySystem::LaunchRequested() {
    if (decoysLeft <= 0 || owner == nullptr || decoyTemplate == nullptr) return nullptr;
    --decoysLeft;
    Play(launchSound, 5, 1);
    return Release();
}

SpaceObject* DecoySystem::Release() {
    if (decoyTemplate == nullptr) return nullptr;
    SpaceObject* object = decoyTemplate->Clone(owner);
    auto* const decoy = dynamic_cast<Decoy*>(object);
    if (decoy == nullptr) {
        // Not a decoy: nothing to launch.
        if (object != nullptr) object->OnRemove(1);
        delete object;
        return nullptr;
    }
    decoy->UpdateVisibility();
    decoy->velocity = owner->world.forward.Scaled(owner->velocity.Length());
    decoy->Accelerate(1000.0f);
    decoy->Activate(float(lifetime / 1000));
    decoy->owner = owner;
    decoy->SetName(owner->name != nullptr ? owner->name : "");
    EngineRelease(decoy->callsign);
    decoy->callsign = EngineCopyText(owner->callsign);
    decoy->SetSide(owner->side);
    decoy->missileLureChance = missileLure;
    decoy->craftLureChance = craftLure;
    if (g_gameState != nullptr && g_gameState->NetCreateObject(decoy) == 0) {
        decoy->OnRemove(1);
        delete decoy;
        return nullptr;
    }
    return decoy;
}

ShipSystem* DecoySystem::Clone(Craft* newOwner, int32_t newPartIndex) const {
    const int16_t words[3] = {int16_t(craftLure), int16_t(missileLure), int16_t(lifetime)};
    auto* const clone = new DecoySystem(newOwner, newPartIndex, decoyTemplate, words, maxDamage, &soundNames);
    if (clone != nullptr) CopyInto(*clone);
    return clone;
}
