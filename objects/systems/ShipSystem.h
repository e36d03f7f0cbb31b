#pragma once
#include <cstdint>

#include "engine/EngineAllocation.h"
#include "engine/RecordArray.h"

class Craft;
class EnergySystem;
class SoundObject;

// Every piece of equipment a craft carries: the owner and the part it sits
// in, damage against a maximum, a power draw, a type id, a name and the
// names of its sounds. The craft drives its systems through the virtual
// operations once a frame.
class ShipSystem : public EngineObject {
public:
    enum Type : int32_t {
        kAny = 0, kEnergy = 1, kShield = 2, kArmor = 3, kRadar = 4, kTargeting = 5, kFlightControl = 6, kEngine = 7,
        kHardening = 9, kEcm = 10, kCloak = 11, kJammer = 12, kRepair = 13, kSensor = 14, kDecoy = 15,
        kAnyWeapon = 19, kFirstWeapon = 20,
    };
    static constexpr int kNameBytes = 16;

    // The sounds come from `soundNames` (copied) and only for the player's ship.
    ShipSystem(Craft* owner, int32_t partIndex, int32_t typeId, const DynArray16* soundNames = nullptr);
    virtual ~ShipSystem();
    ShipSystem(const ShipSystem&) = delete;
    ShipSystem& operator=(const ShipSystem&) = delete;

    // A system of the same kind for another craft: damage 0, this one's
    // power draw, equipment id and name.
    virtual ShipSystem* Clone(Craft* newOwner, int32_t newPartIndex) const;
    virtual int32_t GetDamage() const { return damage; }
    // damage x 100 / maximum; 0 for a maximum of 0 or less.
    virtual int32_t GetDamagePercent() const;
    virtual void SetDamage(int32_t value) { damage = value; }
    // The frame step; -1 is the shutdown call of a dying craft.
    virtual int32_t Update(int32_t milliseconds, EnergySystem* energy);
    virtual int32_t GetPowerDraw() const { return powerDraw; }

    // A weapon's lock class (0-5) and group word; other systems have none.
    virtual int32_t LockClass() const { return -1; }
    virtual int32_t Group() const { return 0; }

    void SetName(const char* text);
    // Up to the maximum; 0 and nothing for a system that cannot be damaged.
    int32_t AddDamage(int32_t amount);
    // The sound name at `index`, terminated within its 16 bytes; null beyond the list.
    const char* SoundName(int32_t index, char out[kNameBytes + 1]) const;

    uint32_t word0 = 0;
    DynArray16 soundNames;
    char* name = nullptr;              // owned
    char equipmentId[kNameBytes + 1] = {};
    Craft* owner;
    int32_t partIndex;
    int32_t damage = 0;
    int32_t maxDamage = 0;             // -1: never damaged
    int32_t powerDraw = 0;
    int32_t typeId;
    int32_t unitPrice = 0;             // of the equipment item it was built from

protected:
    // The player's ship only, and only with more than `index` names.
    SoundObject* MakeSound(int32_t index, int32_t needed);
    void Play(SoundObject* sound, int32_t level, int32_t overlap) const;
    static void Drop(SoundObject*& sound);
    bool OwnedByPlayer() const;
    // Sets cockpit gauge `gauge` to value x 100 / maximum for the player's ship.
    void ShowGauge(int32_t gauge, int32_t value) const;
    // A cockpit indicator, and the refusal click, for the player's ship only.
    void Indicate(int32_t indicator, bool on) const;
    void RefuseClick() const;
    void CopyInto(ShipSystem& clone) const;
};
