#include "shell/FlightCommands.h"

#include <algorithm>

#include "game/CommandTable.h"
#include "game/GameState.h"
#include "mission/ObjectLoader.h"
#include "objects/ships/Craft.h"
#include "objects/ships/PlayerShip.h"
#include "objects/space/ChaseObject.h"
#include "objects/space/KindSupport.h"
#include "objects/systems/CountermeasureSystems.h"
#include "objects/systems/EnergySystem.h"
#include "objects/systems/EngineSystem.h"
#include "objects/systems/RadarSystem.h"
#include "objects/systems/ShieldSystem.h"
#include "objects/systems/TargetingSystem.h"
#include "objects/weapons/Weapon.h"
#include "shell/FlightView.h"

namespace {

using namespace command_table;

constexpr int32_t kCockpitViewMode = 0;
constexpr int32_t kGroupSwitchMs = 250;
constexpr const char* kPodDefinition = "PILT";
// The pod leaves through the canopy, clear of the hull it leaves: started
// inside it, the pod's chase view would stand inside the abandoned ship and
// its faces would fill the screen. It goes out along the ship's up axis a
// little more than both radii, and keeps rising from it at this speed.
constexpr float kPodClearance = 1.25f;
constexpr float kPodEjectSpeed = 25.0f;

template <typename T>
T* Find(Craft& ship, int32_t kind) {
    return static_cast<T*>(ship.GetSystem(kind, nullptr));
}

void Targeting(const CommandState& commands, Craft& ship) {
    auto* const targeting = Find<TargetingSystem>(ship, ShipSystem::kTargeting);
    if (targeting == nullptr) return;
    if (commands.WasPressed(kNextTarget)) targeting->CycleTarget(1);
    if (commands.WasPressed(kPreviousTarget)) targeting->CycleTarget(0);
    if (commands.WasPressed(kNextSubTarget)) targeting->CycleSubTarget(1);
    // The targeting computer numbers its slots from 1.
    for (int32_t slot = 1; slot <= kTargetSlots; ++slot) {
        if (commands.WasPressed(kStoreTarget1 + slot - 1)) targeting->StoreTarget(slot);
        if (commands.WasPressed(kRecallTarget1 + slot - 1)) targeting->RecallTarget(slot);
    }
}

void Radar(const CommandState& commands, Craft& ship) {
    if (auto* const radar = Find<RadarSystem>(ship, ShipSystem::kRadar)) {
        if (commands.WasPressed(kRadarRange)) radar->CycleRange();
        if (commands.WasPressed(kRadarMode)) radar->ToggleMode();
    }
    if (commands.WasPressed(kLaunchProbe)) {
        if (auto* const sensor = Find<SensorSystem>(ship, ShipSystem::kSensor)) sensor->Launch();
    }
}

// +1 for the up key of a pair, -1 for the down key, 0 for neither or both.
int32_t Steps(const CommandState& commands, uint16_t up, uint16_t down) {
    return int32_t(commands.WasPressed(up)) - int32_t(commands.WasPressed(down));
}

void Power(const CommandState& commands, Craft& ship) {
    auto* const energy = Find<EnergySystem>(ship, ShipSystem::kEnergy);
    if (energy == nullptr) return;
    if (const int32_t steps = Steps(commands, kShieldPowerUp, kShieldPowerDown)) {
        const auto* const shield = Find<ShieldSystem>(ship, ShipSystem::kShield);
        const int32_t cap = shield != nullptr ? shield->maximumAllocation : 0;
        energy->SetShieldPower(std::max(0, energy->shieldAllocation + steps * PowerStep(cap)));
    }
    if (const int32_t steps = Steps(commands, kEnginePowerUp, kEnginePowerDown)) {
        const auto* const engine = Find<EngineSystem>(ship, ShipSystem::kEngine);
        const int32_t cap = engine != nullptr ? engine->maximumPower : 0;
        energy->SetEnginePower(std::max(0, energy->engineAllocation + steps * PowerStep(cap)));
    }
    if (const int32_t steps = Steps(commands, kWeaponPowerUp, kWeaponPowerDown)) {
        energy->SetWeaponPower(std::max(0, energy->weaponsAllocation + steps * PowerStep(energy->weaponMaximum)));
    }
    // Shields and weapons to their caps, the engine as the throttle left it.
    if (commands.WasPressed(kResetPowerSplit)) energy->ResetPowerSplit(1);
}

void Countermeasures(const CommandState& commands, Craft& ship) {
    if (commands.WasPressed(kEcm)) {
        if (auto* const ecm = Find<EcmSystem>(ship, ShipSystem::kEcm)) ecm->Toggle();
    }
    if (commands.WasPressed(kCloak)) {
        if (auto* const cloak = Find<CloakSystem>(ship, ShipSystem::kCloak)) cloak->Toggle();
    }
    if (commands.WasPressed(kJammer)) {
        if (auto* const jammer = Find<JammerSystem>(ship, ShipSystem::kJammer)) jammer->Toggle();
    }
    if (commands.WasPressed(kLaunchDecoy)) {
        if (auto* const decoy = Find<DecoySystem>(ship, ShipSystem::kDecoy)) decoy->Launch();
    }
    if (commands.WasPressed(kBoost)) {
        if (auto* const engine = Find<EngineSystem>(ship, ShipSystem::kEngine)) engine->ToggleAfterburner();
    }
}

// A group key chooses its group and fires it while held. Choosing a group
// other than the one selected costs its weapons a moment before their first
// shot, so that switching groups cannot beat a group's own refire delay.
void FireGroups(GameState& game, const CommandState& commands, Craft& ship) {
    int32_t& selected = game.playerControls.weaponGroup;
    for (int32_t group = 1; group <= kFireGroups; ++group) {
        const uint16_t command = uint16_t(kFireGroup1 + group - 1);
        if (commands.WasPressed(command) && selected != group) {
            selected = group;
            for (ShipSystem* system = ship.GetSystem(ShipSystem::kAnyWeapon, nullptr); system != nullptr;
                 system = ship.GetSystem(ShipSystem::kAnyWeapon, system)) {
                auto* const weapon = static_cast<Weapon*>(system);
                if (weapon->group == group) weapon->ExtendCooldown(kGroupSwitchMs);
            }
        }
        if (commands.IsHeld(command)) {
            ship.AimGunsAtTarget(group);
            ship.AimProjectilesAtTarget(group);
            ship.FireWeaponGroup(group);
        }
    }
}

void Navigation(GameState& game, const CommandState& commands, Craft& ship) {
    if (commands.WasPressed(kNextNavPoint)) ship.CycleNavPoint(0);
    if (commands.WasPressed(kClosestNavPoint)) ship.SelectClosestNavPoint();
    if (commands.WasPressed(kCockpitView)) game.viewMode = kCockpitViewMode;
    if (commands.WasPressed(kChaseView)) game.viewMode = kChaseViewMode;
    if (commands.WasPressed(kNavigationMap)) game.mode = GameState::kModeNavMap;
}

// The pilot-only craft of the definitions, made as a player ship, or null.
PlayerShip* MakePod() {
    DefinitionLibrary& library = DefinitionLibrary::Current();
    SpaceObject* const object = library.LoadObjectDefinition(kPodDefinition, nullptr, SpaceObject::kTypePlayerShip, 0);
    auto* const pod = dynamic_cast<PlayerShip*>(object);
    if (pod == nullptr) {
        delete object;
        return nullptr;
    }
    library.LoadShipDefinition(pod, nullptr, nullptr, 0);
    return pod;
}

}  // namespace

int32_t PowerStep(int32_t cap) { return std::max(cap / 10, 1); }

bool EjectInto(GameState& game, PlayerShip* pod) {
    if (pod == nullptr) return false;
    auto* const ship = dynamic_cast<Craft*>(game.playerShip);
    const auto* const flown = dynamic_cast<const PlayerShip*>(ship);
    // A pod is not left for another pod.
    if (ship == nullptr || ship->dead != 0 || (flown != nullptr && flown->abandonedCraft != nullptr)) {
        delete pod;
        return false;
    }
    pod->local = ship->local;
    pod->UpdateWorldTransform(Transform::kAllFlags);
    Vector3 up{ship->world.matrix.rows[1][0], ship->world.matrix.rows[1][1], ship->world.matrix.rows[1][2]};
    if (up.Length() > 0.0f) up.Normalize();
    Vector3 clear = ship->Position();
    clear.AddAssign(up.Scaled((ship->Radius() + pod->Radius()) * kPodClearance));
    pod->SetPositionFlags(clear, Transform::kAllFlags);
    pod->previousPosition = clear;
    pod->velocity = ship->velocity;
    pod->velocity.AddAssign(up.Scaled(kPodEjectSpeed));
    pod->side = ship->side;
    pod->accuracy = ship->accuracy;
    pod->abandonedCraft = ship;
    game.AddObjectsToWorld(pod, 0);
    game.playerShip = pod;
    if (game.viewedObject == ship) game.viewedObject = pod;
    if (game.chaseReference == ship) game.chaseReference = pod;
    if (auto* const chase = dynamic_cast<ChaseObject*>(game.chaseObject)) chase->target = pod;
    // Nobody flies the ship now: it drifts on as it was going.
    ship->SetRotationRates(0.0f, 0.0f, 0.0f);
    // In a network game nobody else could tell the unflown hull from a pilot:
    // it leaves the flight on every machine at once, and its pilot comes
    // back in it never again.
    if (NetSession* const session = kinds::ActiveSession()) {
        kinds::SendRemoval(*session, ship, nullptr);
        ship->LeaveFlight();
    }
    return true;
}

void HandleFlightCommands(GameState& game, Craft& ship) {
    const CommandState& commands = game.commands;
    Targeting(commands, ship);
    Radar(commands, ship);
    Power(commands, ship);
    Countermeasures(commands, ship);
    FireGroups(game, commands, ship);
    Navigation(game, commands, ship);
    if (commands.WasPressed(kEject)) EjectInto(game, MakePod());
}
