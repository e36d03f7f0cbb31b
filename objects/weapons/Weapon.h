#pragma once
#include <cstdint>

#include "engine/RateCarry.h"
#include "engine/Vector3.h"
#include "objects/space/SpaceObject.h"
#include "objects/systems/ShipSystem.h"

class Frame;
class SceneObject;
struct StreamType;

// What every weapon kind shares: the damage it hands on, the cost and
// refire delay of a shot, the ammunition, the group the pilot selects it
// by, the message of the last refused shot, where on its part shots leave,
// and which side its sounds come from. `CanFire` decides in one fixed order
// whether a shot may leave; `SpendShot` books one.
class Weapon : public ShipSystem {
public:
    enum Group : int32_t { kNoGroup = 0, kProjectileGroup = 1, kGunGroup = 2, kMissileGroup = 3, kObjectGroup = 4 };
    enum Kind : int32_t { kBeam = 20, kGun = 21, kMissileLauncher = 22, kProjectileWeapon = 23, kObjectLauncher = 24 };
    // The first two words and the low byte of the third of a projectile
    // weapon's LGHT chunk; kept and copied, read by no weapon operation.
    struct Light {
        uint16_t a = 0;
        uint16_t b = 0;
        uint8_t c = 255;
    };
    // The WEAP chunk's eleven words, widened.
    struct Definition {
        int32_t energyPerShot = 0;
        int32_t refireDelay = 0;     // a gun's rate of fire
        int32_t ammunition = 0;
        int32_t damage[5] = {};      // record words 1-5
        int32_t kindValue = 0;       // lifetime, range or shot life by kind
        int32_t lockClass = 0;
        int32_t empCharge = 0;
        static Definition FromWords(const int16_t words[11]);
    };

    Weapon(Craft* owner, int32_t partIndex, int32_t maxDamage, int32_t group, int32_t refireDelay, int32_t energyPerShot,
           int32_t ammunition, const int32_t damage[5], const Light& light, const DynArray16* soundNames);
    ~Weapon() override;

    ShipSystem* Clone(Craft*, int32_t) const override { return nullptr; }
    // Elapsed clamped to a second, then the kind's own step; 1.
    int32_t Update(int32_t milliseconds, EnergySystem* energy) override;
    int32_t GetPowerDraw() const override { return group > 0 ? powerDraw : 0; }
    int32_t LockClass() const override { return lockClass; }
    int32_t Group() const override { return group; }

    // 1 when a shot was fired or latched. The launch node is where it leaves
    // (null: the owner), the target node the aimed-at part or null.
    virtual int32_t Fire(SceneObject* launchNode, SceneObject* targetNode);
    virtual int32_t GetRange() const { return 0; }
    virtual int32_t GetReloadCost() const { return 0; }
    virtual void UpdateWeapon(int32_t) {}

    int32_t CanFire(EnergySystem* energy);
    // The refusal a shot would meet now, its refire delay apart, by the
    // checks and texts of CanFire (a beam adds its cooling); null while it
    // would leave. Changes nothing: the cockpit asks it every frame.
    virtual const char* Refusing(const EnergySystem* energy) const;
    void SpendShot(EnergySystem* energy);
    // A launch the host makes on its pilot's word, whose machine judged its
    // energy, keeps the pace the pilot's trigger keeps: only a weapon the
    // trigger fires (one holding its group) with a round left launches, when
    // its round is due. Rounds fall due a refire delay apart however late
    // their requests came, and a trigger at rest saves up one round at
    // most: a request held up, however long, loses no round to the one
    // behind it, and no pilot launches faster than the pace on average nor
    // more than one refire delay early.
    bool RequestDue() const;
    // The round such a launch takes, its successor due a delay later.
    void TakeRequestedRound();
    // Damaged past use: it fires nothing until repaired.
    bool Destroyed() const { return damage == maxDamage && maxDamage > 0; }
    // Where its shots leave: its part's node, or the owner without one.
    Frame* LaunchFrame() const;
    // No shot for at least another `milliseconds`.
    void ExtendCooldown(int32_t milliseconds);
    // The stream type of that name (ASCII case ignored); the first one for
    // a null or empty name.
    void BindStreamType(const char* name);
    // Milliseconds since the base time, across a wrap of the counter.
    uint32_t Elapsed() const;
    // Ammunition back to the maximum.
    void Refill() { ammunition = maxAmmunition; }
    const char* RefusalMessage() const { return refusal; }

    DamageRecord damageRecord;
    StreamType* streamType = nullptr;
    uint32_t baseTime;
    int32_t readyOffset = 0;
    Vector3 muzzleOffset{};
    int32_t maxAmmunition;
    int32_t initialGroup;
    char* refusal = nullptr;   // owned
    int32_t empCharge = 0;
    int32_t energyPerShot;
    int32_t refireDelay;
    int32_t group;
    int32_t ammunition;
    int32_t lockClass = 0;
    int32_t soundSide = 0;
    Light light;

protected:
    void Refuse(const char* message);
    // The spent weapon's group goes to a sister of its magazine with rounds
    // left, whose next round is due when this one's would have been, and
    // this one tells why it fires no more.
    void HandOver();
    // The clone pattern: kind values are the kind's; then the shared copies.
    void CopyWeaponInto(Weapon& clone) const;
    // The firing sound from the first name, at this weapon's side.
    SoundObject* MakeFiringSound() const;
    // The player's weapons sound in the cockpit; others at the owner.
    void PlayFiring(SoundObject* sound, int32_t playerLevel, int32_t otherLevel, int32_t overlap) const;
    static bool UnlimitedAmmunition();
    // A continuous weapon's hit over a frame: the damage record's words and
    // the EMP charge are per second of fire, and each keeps its own carry
    // so that short frames of fire add up to the full rate.
    DamageRecord HitRecord(int32_t milliseconds);
    int32_t HitEmp(int32_t milliseconds);

private:
    RateCarry hitDamageCarry[5];
    RateCarry hitEmpCarry;
};
