#include "objects/weapons/Weapon.h"

#include <algorithm>
#include <cstring>

#include "engine/Clock.h"
#include "engine/TextCompare.h"
#include "game/CareerRecord.h"
#include "game/EffectTypes.h"
#include "game/GameState.h"
#include "objects/ships/Craft.h"
#include "objects/space/ObjectPart.h"
#include "objects/systems/CountermeasureSystems.h"
#include "objects/systems/EnergySystem.h"
#include "scene/SceneObject.h"
#include "sound/SoundDevice.h"
#include "sound/SoundObject.h"

namespace {

constexpr const char* kEmpOverride = "EMP damage override";
constexpr const char* kDisabled = "Weapon disabled";
constexpr const char* kOutOfAmmo = "Out of ammo";
constexpr const char* kNoEnergy = "Not enough energy";

// Where the n-th weapon of a part sits around the part's point.
Vector3 MuzzleOffsetFor(int32_t n) {
    static const Vector3 kOffsets[9] = {{0, 0, 0},     {-0.5f, 0, 0}, {0.5f, 0, 0}, {0, -0.5f, 0}, {0, 0.5f, 0},
                                        {-1.0f, 0, 0}, {1.0f, 0, 0},  {0, -1.0f, 0}, {0, 1.0f, 0}};
    return n >= 0 && n <= 8 ? kOffsets[n] : Vector3{};
}

}  // namespace

Weapon::Definition Weapon::Definition::FromWords(const int16_t words[11]) {
    Definition d;
    d.energyPerShot = words[0];
    d.refireDelay = words[1];
    d.ammunition = words[2];
    d.damage[0] = words[3];
    d.damage[1] = words[4];
    d.damage[2] = words[7];
    d.damage[3] = words[5];
    d.damage[4] = words[6];
    d.kindValue = words[8];
    d.lockClass = words[9];
    d.empCharge = words[10];
    return d;
}

Weapon::Weapon(Craft* owner, int32_t partIndex, int32_t maximum, int32_t weaponGroup, int32_t refire, int32_t energy,
               int32_t ammo, const int32_t damage[5], const Light& lightValues, const DynArray16* names)
    : ShipSystem(owner, partIndex, kAnyWeapon, names),
      baseTime(GetMilliseconds()),
      maxAmmunition(ammo),
      initialGroup(weaponGroup),
      energyPerShot(energy),
      refireDelay(refire),
      group(weaponGroup),
      ammunition(ammo),
      light(lightValues) {
    maxDamage = maximum;
    for (int i = 0; i < 5; ++i) damageRecord.amounts[i] = damage[i];
    if (owner == nullptr || owner->parts.Count() == 0) return;
    ObjectPart* const part = owner->parts[std::clamp(partIndex, 0, owner->parts.Count() - 1)];
    Vector3 direction;
    part->GetVector(&direction, false);
    soundSide = direction.x > 0.1f ? 80 : direction.x < 0.1f ? 48 : 0;
    int32_t weaponsThere = 0;
    for (const ShipSystem* system : part->systems) weaponsThere += system->typeId >= kAnyWeapon ? 1 : 0;
    muzzleOffset = MuzzleOffsetFor(weaponsThere);
}

Weapon::~Weapon() { EngineRelease(refusal); }

int32_t Weapon::Update(int32_t milliseconds, EnergySystem*) {
    UpdateWeapon(std::min(milliseconds, 1000));
    return 1;
}

int32_t Weapon::Fire(SceneObject*, SceneObject*) { return 0; }

uint32_t Weapon::Elapsed() const {
    const uint32_t now = GetMilliseconds();
    return now >= baseTime ? now - baseTime : now - baseTime - 1;
}

bool Weapon::UnlimitedAmmunition() {
    return g_gameState != nullptr && g_gameState->career != nullptr && g_gameState->career->options.unlimitedAmmo != 0;
}

void Weapon::Refuse(const char* message) {
    EngineRelease(refusal);
    refusal = nullptr;
    if (message == nullptr) return;
    const size_t bytes = std::strlen(message) + 1;
    refusal = static_cast<char*>(EngineAllocate(bytes));
    if (refusal != nullptr) std::memcpy(refusal, message, bytes);
}

const char* Weapon::Refusing(const EnergySystem* energy) const {
    if (owner != nullptr && owner->empLevel > 0) return kEmpOverride;
    if (Destroyed()) return kDisabled;
    if (ammunition == 0 && !UnlimitedAmmunition()) return kOutOfAmmo;
    if (energy != nullptr && energyPerShot > energy->weaponPool) return kNoEnergy;
    return nullptr;
}

int32_t Weapon::CanFire(EnergySystem* energy) {
    if (int64_t(Elapsed()) < int64_t(readyOffset)) return 0;
    // The checks common to every kind, whatever a kind adds to what it tells.
    const char* const refused = Weapon::Refusing(energy);
    Refuse(refused);
    // A destroyed or spent weapon leaves its group.
    if (refused == kDisabled || refused == kOutOfAmmo) group = kNoGroup;
    return refused == nullptr ? 1 : 0;
}

void Weapon::SpendShot(EnergySystem* energy) {
    if (!UnlimitedAmmunition() && ammunition > 0) --ammunition;
    if (energy != nullptr) energy->weaponPool -= energyPerShot;
    readyOffset = int32_t(std::max<int64_t>(readyOffset, int64_t(Elapsed()) + refireDelay));
    if (owner == nullptr) return;
    if (owner->cloaked != 0) {
        if (auto* const cloak = static_cast<CloakSystem*>(owner->GetSystem(kCloak, nullptr))) {
            cloak->TurnOff();
        } else {
            owner->cloaked = 0;
        }
    }
    if (typeId != kObjectLauncher) owner->CountWeaponShot(this);
    if (ammunition == 0) HandOver();
}

bool Weapon::RequestDue() const {
    // The host never fires its copy's weapons itself, so nothing else takes
    // a wrecked rack out of its group there.
    return group != kNoGroup && !Destroyed() && ammunition != 0 && int64_t(Elapsed()) >= int64_t(readyOffset);
}

void Weapon::TakeRequestedRound() {
    // The next round is due a delay after this one was due, not after its
    // request came; a round due longer ago than a delay counts as due then.
    const int64_t delay = std::max(refireDelay, 0);
    readyOffset = int32_t(std::max<int64_t>(readyOffset, int64_t(Elapsed()) - delay) + delay);
    if (ammunition > 0) --ammunition;
    if (ammunition == 0 && owner != nullptr) HandOver();
}

Frame* Weapon::LaunchFrame() const {
    if (owner == nullptr) return nullptr;
    if (partIndex >= 0 && partIndex < owner->parts.Count() && owner->parts[partIndex]->node != nullptr) {
        return owner->parts[partIndex]->node;
    }
    return owner;
}

void Weapon::HandOver() {
    for (ShipSystem* system = owner->GetSystem(kAnyWeapon, nullptr); system != nullptr;
         system = owner->GetSystem(kAnyWeapon, system)) {
        auto* const sister = static_cast<Weapon*>(system);
        if (sister == this || sister->typeId != typeId || sister->ammunition <= 0 || sister->group != kNoGroup || sister->Destroyed() ||
            std::strcmp(sister->equipmentId, equipmentId) != 0) {
            continue;
        }
        sister->group = group;
        // Its own clock's offset of this one's next round.
        const int64_t due = int64_t(readyOffset) + int32_t(baseTime - sister->baseTime);
        sister->readyOffset = int32_t(std::max<int64_t>(sister->readyOffset, due));
        break;
    }
    Refuse(kOutOfAmmo);
    group = kNoGroup;
}

void Weapon::ExtendCooldown(int32_t milliseconds) {
    readyOffset = int32_t(std::max<int64_t>(readyOffset, int64_t(Elapsed()) + milliseconds));
}

void Weapon::BindStreamType(const char* name) {
    streamType = g_streamTypes;
    if (name == nullptr || name[0] == 0) return;
    streamType = nullptr;
    for (StreamType* type = g_streamTypes; type != nullptr; type = type->next) {
        if (text::_stricmp(type->name, name) == 0) {
            streamType = type;
            return;
        }
    }
}

void Weapon::CopyWeaponInto(Weapon& clone) const {
    CopyInto(clone);
    clone.empCharge = empCharge;
    clone.lockClass = lockClass;
}

SoundObject* Weapon::MakeFiringSound() const {
    if (soundNames.Count() == 0) return nullptr;
    char soundName[kNameBytes + 1];
    if (SoundName(0, soundName) == nullptr) return nullptr;
    SoundObject* const sound = CreateSoundObject(soundName);
    if (sound != nullptr) sound->SetSide(soundSide);
    return sound;
}

void Weapon::PlayFiring(SoundObject* sound, int32_t playerLevel, int32_t otherLevel, int32_t overlap) const {
    if (sound == nullptr || g_gameState == nullptr || g_gameState->Sound() == nullptr) return;
    if (OwnedByPlayer()) {
        g_gameState->Sound()->PlaySound(sound, playerLevel, overlap);
        return;
    }
    if (owner != nullptr) sound->SetPosition(owner->Position());
    g_gameState->Sound()->PlaySound(sound, otherLevel, overlap);
}

DamageRecord Weapon::HitRecord(int32_t milliseconds) {
    DamageRecord record;
    record.source = owner;
    for (int i = 0; i < 5; ++i) record.amounts[i] = int32_t(hitDamageCarry[i].TakeRate(damageRecord.amounts[i], milliseconds));
    return record;
}

int32_t Weapon::HitEmp(int32_t milliseconds) { return int32_t(hitEmpCarry.TakeRate(empCharge, milliseconds)); }
