#include "shell/HudReading.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>

#include "display/Canvas.h"
#include "engine/Random.h"
#include "game/GameState.h"
#include "game/HudReadout.h"
#include "game/Mission.h"
#include "objects/ships/Craft.h"
#include "objects/systems/EnergySystem.h"
#include "objects/systems/EngineSystem.h"
#include "objects/systems/ShieldSystem.h"
#include "objects/systems/TargetingSystem.h"
#include "objects/weapons/ProjectileWeapon.h"
#include "objects/weapons/Weapon.h"
#include "scene/Camera.h"
#include "shell/RadarReading.h"
#include "shell/RunTrace.h"
#include "shell/TriggerGroup.h"

namespace {

// Where the crosshair is laid: this far along the nose, far enough that it
// sits where the guns converge rather than on the ship in the chase view.
constexpr float kAimDistance = 1000.0f;
constexpr uint32_t kTraceEveryMs = 1000;

int32_t Percent(int64_t part, int64_t whole) {
    if (whole <= 0) return 0;
    return int32_t(std::clamp<int64_t>(part * 100 / whole, 0, 100));
}

int32_t Metres(const SpaceObject& from, const SpaceObject& to) {
    const float length = to.Position().Difference(from.Position()).Length();
    return length < 2.0e9f ? int32_t(length + 0.5f) : 2000000000;
}

// 100 less the depletion of the object's shields; -1 when it has none.
int32_t ShieldLeft(SpaceObject* object) {
    auto* const craft = dynamic_cast<Craft*>(object);
    if (craft == nullptr) return -1;
    const auto* const shield = static_cast<const ShieldSystem*>(craft->GetSystem(ShipSystem::kShield, nullptr));
    return shield != nullptr ? 100 - std::clamp(shield->GetDepletionPercent(), 0, 100) : -1;
}

const char* NameOf(const SpaceObject& object) {
    if (object.name != nullptr && object.name[0] != 0) return object.name;
    if (object.callsign != nullptr && object.callsign[0] != 0) return object.callsign;
    return object.label;
}

// The throttle as the engine has it: the power it is given, as a share of
// the most it takes, rounded to the nearest per cent. What the hands last
// asked is no reading: anything else that moves the power (the split keys,
// a generator running dry, a new ship at launch) leaves it behind.
int32_t ThrottleGiven(Craft& ship) {
    const auto* const energy = static_cast<const EnergySystem*>(ship.GetSystem(ShipSystem::kEnergy, nullptr));
    const auto* const engine = static_cast<const EngineSystem*>(ship.GetSystem(ShipSystem::kEngine, nullptr));
    if (energy == nullptr || engine == nullptr || engine->maximumPower <= 0) return 0;
    const int64_t whole = engine->maximumPower;
    return int32_t(std::clamp<int64_t>((int64_t(energy->engineAllocation) * 100 + whole / 2) / whole, 0, 100));
}

void ReadEnergy(Craft& ship, HudReadout* out) {
    const auto* const energy = static_cast<const EnergySystem*>(ship.GetSystem(ShipSystem::kEnergy, nullptr));
    if (energy != nullptr) {
        const int64_t split = int64_t(energy->shieldAllocation) + energy->engineAllocation + energy->weaponsAllocation;
        out->shieldPower = Percent(energy->shieldAllocation, split);
        out->enginePower = Percent(energy->engineAllocation, split);
        out->weaponPower = Percent(energy->weaponsAllocation, split);
        out->weaponLevel = Percent(energy->weaponPool, energy->weaponMaximum);
        out->fuelLevel = Percent(energy->fuel, energy->fuelCapacity);
    }
    out->shieldLevel = std::max(ShieldLeft(&ship), 0);
}

// The group the fire key fires and each weapon the trigger fires with it,
// with the rounds it has left and why it cannot fire now, if it cannot;
// then those that dropped out of the group (a gun run dry, a launcher
// destroyed), still saying why. With no group left to fire, the chosen
// group's dropped ones tell why nothing fires. A dropped weapon of another
// group than the one shown is not told: it would stand under a group it is
// not about. The group's first weapon, or null when nothing fires.
Weapon* ReadWeapons(Craft& ship, int32_t chosen, HudReadout* out) {
    const int32_t group = TriggerGroup(ship, chosen);
    const int32_t about = group != Weapon::kNoGroup ? group : chosen;
    out->weaponGroup = group;
    if (about <= Weapon::kNoGroup) return nullptr;
    const auto* const energy = static_cast<const EnergySystem*>(ship.GetSystem(ShipSystem::kEnergy, nullptr));
    Weapon* first = nullptr;
    for (const bool dropped : {false, true}) {
        for (ShipSystem* system = ship.GetSystem(ShipSystem::kAnyWeapon, nullptr); system != nullptr;
             system = ship.GetSystem(ShipSystem::kAnyWeapon, system)) {
            auto* const weapon = static_cast<Weapon*>(system);
            const char* const refusal = weapon->Refusing(energy);
            if (dropped) {
                // A twin rack waiting outside the group for its turn has no
                // refusal, and is not told until it takes the group over.
                if (weapon->group != Weapon::kNoGroup || weapon->initialGroup != about || refusal == nullptr ||
                    ship.OnTurretBarrel(*weapon)) {
                    continue;
                }
            } else if (group == Weapon::kNoGroup || !ship.FiredWithGroup(*weapon, group)) {
                continue;
            }
            if (!dropped && first == nullptr) first = weapon;
            const char* const name =
                weapon->name != nullptr && weapon->name[0] != 0 ? weapon->name : weapon->equipmentId;
            out->AddWeapon(name, weapon->ammunition < 0 ? -1 : weapon->ammunition, refusal);
        }
    }
    return first;
}

// The group's first missile launcher whose missiles lock on (a lock class
// of 1 to 4), whose lock the readout shows; null for a group without one.
const Weapon* LockingLauncher(Craft& ship, int32_t group) {
    for (ShipSystem* system = ship.GetSystem(ShipSystem::kAnyWeapon, nullptr); system != nullptr;
         system = ship.GetSystem(ShipSystem::kAnyWeapon, system)) {
        const auto* const weapon = static_cast<const Weapon*>(system);
        if (group > 0 && ship.FiredWithGroup(*weapon, group) && weapon->typeId == Weapon::kMissileLauncher &&
            weapon->lockClass >= 1 && weapon->lockClass <= 4) {
            return weapon;
        }
    }
    return nullptr;
}

// Where the crosshair goes for a projectile group: where a shot of its first
// weapon fired now would be once it has flown the target's distance (or the
// crosshair's own, without a target), aimed as the fire control would aim
// it; the weapon's own aim is left as it is. False when the weapon has no
// shot to aim.
bool SightPoint(const Craft& ship, const ProjectileWeapon& gun, const SpaceObject* target, Vector3* point) {
    Vector3 aim;
    const bool aimed = ship.ProjectileAimAtTarget(gun, &aim);
    const Vector3 shot = gun.ShotVelocity(aimed ? &aim : nullptr);
    const float speed = shot.Length();
    if (!(speed > 0.0f) || !std::isfinite(speed)) return false;
    const float distance = target != nullptr ? target->Position().Difference(ship.Position()).Length() : kAimDistance;
    *point = ship.Position();
    point->AddAssign(shot.Scaled(distance / speed));
    return std::isfinite(point->x) && std::isfinite(point->y) && std::isfinite(point->z);
}

// Where the crosshair goes for any other group: along the nose.
bool NosePoint(const Craft& ship, Vector3* point) {
    Vector3 ahead{ship.world.matrix.rows[2][0], ship.world.matrix.rows[2][1], ship.world.matrix.rows[2][2]};
    if (!(ahead.Length() > 0.0f)) return false;
    ahead.Normalize();
    *point = ship.Position();
    point->AddAssign(ahead.Scaled(kAimDistance));
    return true;
}

// Where the aim point shows, on the screen or off it, and the aim line
// from the ship out to it as the screen shows it: where the sight cannot
// stand whole at the aim, its mark is held back along that line. In the
// chase view at rest the camera does not pitch with the ship, and a nose a
// few degrees up sends the aim point over the top edge while the line to it
// still climbs up the screen.
void ReadAim(const Camera& camera, const Vector3& from, const Vector3& point, HudReadout* out) {
    out->aim = HudMark::Of(camera, point);
    out->aimTrack = HudTrack::Of(camera, from, point, float(HudReadout::kEdgeMarkHalf + 1));
}

void ReadTarget(const Camera& camera, Craft& ship, TargetingSystem& targeting, SpaceObject& target, HudReadout* out) {
    out->hasTarget = true;
    out->SetTargetName(targeting.GetTargetName());
    out->SetText(out->targetClass, targeting.GetTargetClass());
    // Read on the player's ship, the callsign marks the target identified.
    out->SetText(out->targetCallsign, targeting.GetTargetCallsign());
    out->SetText(out->targetPart, targeting.GetSubTargetName());
    out->targetDistance = Metres(ship, target);
    out->targetHull = Percent(target.hitPoints, target.maxHitPoints);
    out->targetShield = ShieldLeft(&target);
    out->targetMark = HudMark::Of(camera, target.Position());
}

}  // namespace

void ReadHud(const GameState& game, const Camera& camera, HudReadout* out) {
    *out = HudReadout{};
    auto* const ship = dynamic_cast<Craft*>(game.playerShip);
    if (ship == nullptr || ship->dead != 0) return;
    // The radar's noise and a damaged gun's aim roll the game's dice: they
    // are put back, so that whether a frame is drawn changes nothing in the
    // world.
    const uint32_t dice = GameRandomState();
    out->flying = true;
    const float speed = ship->velocity.Length();
    out->speed = speed < 99999.0f ? int32_t(speed + 0.5f) : 99999;
    out->throttle = ThrottleGiven(*ship);
    ReadEnergy(*ship, out);
    const int32_t chosen = game.playerControls.weaponGroup;
    Weapon* const first = ReadWeapons(*ship, chosen, out);

    auto* const targeting = static_cast<TargetingSystem*>(ship->GetSystem(ShipSystem::kTargeting, nullptr));
    SpaceObject* const target = targeting != nullptr ? targeting->GetTarget() : nullptr;
    if (target != nullptr) ReadTarget(camera, *ship, *targeting, *target, out);
    if (const Weapon* const rack = target != nullptr ? LockingLauncher(*ship, out->weaponGroup) : nullptr) {
        out->lock = std::max(targeting->GetLockStrength(rack, rack->lockClass), 0);
    }

    Vector3 aim;
    if ((first != nullptr && first->typeId == Weapon::kProjectileWeapon &&
         SightPoint(*ship, *static_cast<ProjectileWeapon*>(first), target, &aim)) ||
        NosePoint(*ship, &aim)) {
        ReadAim(camera, ship->Position(), aim, out);
    }

    SpaceObject* const nav = ship->navTarget;
    if (nav != nullptr) {
        out->hasNav = true;
        out->SetNavName(NameOf(*nav));
        out->navDistance = Metres(*ship, *nav);
        out->navMark = HudMark::Of(camera, nav->Position());
    }
    ReadRadar(game, *ship, &out->radar);
    if (target != nullptr) out->targetColour = TargetBlipColour(game, *ship, out->radar, *target);
    GameRandomSeed(dice);
}

void TraceHudTarget(const GameState& game, const HudReadout& readout, uint32_t now) {
    // What was told last, of which flight: a new flight starts untold.
    static const GameState* flight = nullptr;
    static std::string lastName;
    static bool held = false;
    static uint32_t lastAt = 0;
    if (!run_trace::Enabled()) return;
    if (flight != &game || !readout.flying) {
        flight = &game;
        held = false;
    }
    if (!readout.hasTarget) {
        if (held) run_trace::Line("hud target none");
        held = false;
        return;
    }
    const bool taken = !held || lastName != readout.targetName;
    if (!taken && now - lastAt < kTraceEveryMs) return;
    held = true;
    lastName = readout.targetName;
    lastAt = now;
    run_trace::Line("hud target \"" + lastName + "\" " + std::to_string(readout.targetDistance));
}

void TraceHudThrottle(const GameState& game, const HudReadout& readout, uint32_t now) {
    // What was told last, of which ship: a new flight's first reading is told at once.
    static const GameState* flight = nullptr;
    static const SpaceObject* ship = nullptr;
    static int32_t told = -1;
    static uint32_t toldAt = 0;
    if (!run_trace::Enabled()) return;
    if (!readout.flying) {
        ship = nullptr;
        return;
    }
    if (flight != &game || ship != game.playerShip) {
        flight = &game;
        ship = game.playerShip;
        told = -1;
    }
    if (readout.throttle == told || (told >= 0 && now - toldAt < kTraceEveryMs)) return;
    told = readout.throttle;
    toldAt = now;
    run_trace::Line("hud throttle " + std::to_string(told));
}

const char* CallsignInWorld(const SpaceObject* speaker) {
    const GameState* const game = g_gameState;
    if (speaker == nullptr || game == nullptr || game->mission == nullptr) return nullptr;
    for (const SpaceObject* object = game->mission->firstObject; object != nullptr; object = object->GetNext()) {
        if (object == speaker) return NameOf(*object);
    }
    return nullptr;
}
