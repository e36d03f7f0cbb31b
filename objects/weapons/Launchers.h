#pragma once
#include <cstdint>

#include "objects/weapons/Weapon.h"

class SceneObject;

// Launches a missile (type 22, LINK to a missile definition) along the
// launching node, homing on the aimed-at part once the lock is complete.
class MissileLauncher : public Weapon {
public:
    MissileLauncher(Craft* owner, int32_t partIndex, int32_t maxDamage, int32_t group, int32_t refireDelay,
                    int32_t energyPerShot, int32_t ammunition, int32_t lifetimeMs, const int32_t damage[5],
                    SpaceObject* launchTemplate, const DynArray16* soundNames, const Light& light = {});
    ~MissileLauncher() override;

    ShipSystem* Clone(Craft* newOwner, int32_t newPartIndex) const override;
    int32_t Fire(SceneObject* launchNode, SceneObject* targetNode) override;
    // The launch its ship's pilot made on another machine, made here by the
    // host: a round of this launcher's at its trigger's pace
    // (Weapon::RequestDue; not due, nothing made), leaving it as a shot of
    // its own does, homing on the target's part when one is named. The
    // missile kept here (and told to every machine), or null.
    SpaceObject* LaunchRequested(SpaceObject* target, int32_t targetPart);
    int32_t GetRange() const override;
    int32_t GetReloadCost() const override;

    SoundObject* firingSound = nullptr;
    int32_t lifetimeMs;
    SpaceObject* launchTemplate;   // the definition library's

private:
    // A made missile on its way from `from`: speed, side, life and warhead,
    // homing on the part when given a target.
    void SendOff(SpaceObject& object, const Frame& from, SpaceObject* target, int32_t targetPart);
};

// Drops a mine behind the owner (type 24, LINK to a mine definition), or
// without one deploys an auto-turret.
class ObjectLauncher : public Weapon {
public:
    ObjectLauncher(Craft* owner, int32_t partIndex, int32_t maxDamage, int32_t group, int32_t refireDelay,
                   int32_t energyPerShot, int32_t ammunition, const int32_t damage[5], SpaceObject* launchTemplate,
                   const DynArray16* soundNames, const Light& light = {});
    ~ObjectLauncher() override;

    ShipSystem* Clone(Craft* newOwner, int32_t newPartIndex) const override;
    int32_t Fire(SceneObject* launchNode, SceneObject* targetNode) override;
    // A mine its ship's pilot dropped on another machine, dropped here by
    // the host as LaunchRequested of a missile launcher is launched, at the
    // same pace; an auto-turret launcher drops none.
    SpaceObject* LaunchRequested();
    int32_t GetReloadCost() const override;

    SoundObject* firingSound = nullptr;
    SpaceObject* launchTemplate;   // the definition library's

private:
    // The mine made and dropped behind the owner from `from`; the one kept
    // here, or null.
    SpaceObject* DropMine(Frame* from);
};
