#include "shell/FlightInput.h"

#include <algorithm>

#include "engine/input/InputEventMap.h"
#include "engine/input/InputSystem.h"
#include "game/CommandTable.h"
#include "game/GameState.h"
#include "objects/ships/Craft.h"
#include "objects/systems/EnergySystem.h"
#include "objects/systems/EngineSystem.h"
#include "objects/weapons/Weapon.h"
#include "platform/InputBackend.h"
#include "game/KeyBindings.h"
#include "shell/BoundInput.h"
#include "shell/FlightChat.h"
#include "shell/FlightCommands.h"
#include "shell/TriggerGroup.h"

namespace {

using namespace command_table;

// How fast a held throttle key moves the throttle: its whole travel in 2 s.
constexpr float kThrottlePerSecond = 0.5f;
constexpr float kAxisCentre = 32768.0f;
constexpr float kAxisTop = 65535.0f;
constexpr int32_t kPauseMode = 6;

// The stick as the flight reads it: each axis -1 to 1 (throttle 0 to 1).
struct Stick {
    bool hasYaw = false;
    float x = 0.0f;          // yaw: left -1, right 1
    bool hasPitch = false;
    float y = 0.0f;          // pitch: pulled back -1, pushed forward 1
    bool hasThrottle = false;
    float throttle = 0.0f;
    bool hasRudder = false;
    float rudder = 0.0f;     // roll: left -1, right 1
};

float Centred(uint32_t value) { return std::clamp((float(value) - kAxisCentre) / kAxisCentre, -1.0f, 1.0f); }

// What an axis function follows: the key map's axis binding, or the
// stick's usual layout where the key map has none.
bound_input::AxisSource BoundAxis(const GameState& game, int32_t function) {
    if (function < 0 || size_t(function) >= game.axisBindings.size() || game.axisBindings[size_t(function)] == nullptr) {
        return bound_input::DefaultAxis(function);
    }
    const AxisBinding& binding = *game.axisBindings[size_t(function)];
    return {binding.axisBits, binding.buttonCondition};
}

// Whether the "Mouse" setting lets the mouse steer.
bool MouseSteers(const GameState& game) { return game.mouseSetting != 0; }

// The stick's axes, when the "Joystick" setting is on and one is there,
// each as its axis function's binding says. The positions come as 0 to
// 65535; a stick pushed forward reads low, and so does a throttle lever
// pushed forward, to full power.
Stick ReadStick(const GameState& game) {
    using namespace bound_input;
    Stick stick;
    const InputSystem* const input = game.Input();
    if (game.joystickSetting == 0 || input == nullptr || !input->HasJoystick()) return stick;
    platform::JoystickInfo info;
    input->GetJoystickState(&info);
    platform::JoystickCaps caps;
    const uint32_t axes =
        platform::InputBackend::Current().GetJoystickCaps(&caps) == platform::kJoystickOk ? caps.axes : 2;
    uint32_t position = 0;
    if (ReadAxis(info, axes, BoundAxis(game, kYaw), &position)) {
        stick.hasYaw = true;
        stick.x = Centred(position);
    }
    if (ReadAxis(info, axes, BoundAxis(game, kPitch), &position)) {
        stick.hasPitch = true;
        stick.y = -Centred(position);
    }
    if (ReadAxis(info, axes, BoundAxis(game, kThrottle), &position)) {
        stick.hasThrottle = true;
        stick.throttle = std::clamp(1.0f - float(position) / kAxisTop, 0.0f, 1.0f);
    }
    if (ReadAxis(info, axes, BoundAxis(game, kRoll), &position)) {
        stick.hasRudder = true;
        stick.rudder = Centred(position);
    }
    return stick;
}

// The mouse's movement this frame steers yaw and pitch under the "Mouse"
// setting, where the stick does not: moving it forward pushes the nose down.
void ReadMouse(const GameState& game, Stick& stick) {
    const InputSystem* const input = game.Input();
    if (!MouseSteers(game) || input == nullptr || !input->HasMouse()) return;
    int16_t dx = 0, dy = 0;
    input->GetMouseMotion(&dx, &dy);
    if (!stick.hasYaw) {
        stick.hasYaw = true;
        stick.x = bound_input::MouseDeflection(dx);
    }
    if (!stick.hasPitch) {
        stick.hasPitch = true;
        stick.y = -bound_input::MouseDeflection(dy);
    }
}

// Calls `visit`(command, direction) for each hat direction bound to a
// command: the two of each function binding of the key map.
template <typename Visit>
void ForEachHatBinding(const GameState& game, Visit&& visit) {
    for (size_t command = 0; command < game.functionBindings.size(); ++command) {
        const FunctionBinding* const binding = game.functionBindings[command].get();
        if (binding == nullptr) continue;
        for (const int32_t direction : binding->hatDirection) {
            if (direction != FunctionBinding::kNoHat) visit(uint32_t(command), direction);
        }
    }
}

// Every command whose bound hat direction the stick's hat reads now.
void AddHatCommands(const GameState& game, KeySet& held) {
    const InputSystem* const input = game.Input();
    if (input == nullptr || !input->HasJoystick()) return;
    platform::JoystickInfo info;
    input->GetJoystickState(&info);
    ForEachHatBinding(game, [&](uint32_t command, int32_t direction) {
        if (command < KeySet::kBits && bound_input::HatHolds(direction, info.pov)) held.Set(command);
    });
}

// +1, -1 or 0 for a pair of opposite commands.
float KeyAxis(const CommandState& commands, uint16_t plus, uint16_t minus) {
    return float(commands.IsHeld(plus) ? 1 : 0) - float(commands.IsHeld(minus) ? 1 : 0);
}

// Keys held win over the stick on their axis.
float Either(float keys, bool stickHas, float stickValue) { return keys != 0.0f || !stickHas ? keys : stickValue; }

// A deflection through the ship's flight controls. No deflection stays
// none without asking them: a damaged control rolls the game's dice, and a
// frame without a hand on the stick must leave them as it found them.
float Shape(const FlightControlSystem* controls, float value) {
    if (value == 0.0f || controls == nullptr) return value;
    return controls->ShapeInput(value);
}

void Steer(GameState& game, Craft& ship, const Stick& stick) {
    const CommandState& commands = game.commands;
    const float pitch = Either(KeyAxis(commands, kNoseDown, kNoseUp), stick.hasPitch, stick.y);
    const float yaw = Either(KeyAxis(commands, kYawRight, kYawLeft), stick.hasYaw, stick.x);
    // A positive roll rate lifts the right wing.
    const float roll = Either(KeyAxis(commands, kRollLeft, kRollRight), stick.hasRudder, -stick.rudder);
    const auto* const controls = static_cast<const FlightControlSystem*>(ship.GetSystem(ShipSystem::kFlightControl, nullptr));
    ship.SetRotationRates(Shape(controls, pitch), Shape(controls, yaw), Shape(controls, roll));
}

// The engine's power for a throttle: the allocation that gives that share
// of the engine's full acceleration. The power set, or -1 without an engine.
int32_t ApplyThrottle(Craft& ship, float throttle) {
    auto* const energy = static_cast<EnergySystem*>(ship.GetSystem(ShipSystem::kEnergy, nullptr));
    auto* const engine = static_cast<EngineSystem*>(ship.GetSystem(ShipSystem::kEngine, nullptr));
    if (energy == nullptr || engine == nullptr) return -1;
    const float full = engine->designAcceleration * engine->accelerationScale;
    const int32_t power = std::clamp(engine->GetThrustForPower(throttle * full), 0, std::max(engine->maximumPower, 0));
    if (energy->engineAllocation != power) energy->SetEnginePower(power);
    return energy->engineAllocation;
}

void Throttle(GameState& game, Craft& ship, const Stick& stick, uint32_t elapsedMs) {
    PlayerControls& controls = game.playerControls;
    const float keys = KeyAxis(game.commands, kThrottleUp, kThrottleDown);
    if (keys == 0.0f) {
        if (stick.hasThrottle) {
            controls.throttle = stick.throttle;
            controls.throttlePower = ApplyThrottle(ship, stick.throttle);
        }
        return;
    }
    const auto* const engine = static_cast<const EngineSystem*>(ship.GetSystem(ShipSystem::kEngine, nullptr));
    const auto* const energy = static_cast<const EnergySystem*>(ship.GetSystem(ShipSystem::kEnergy, nullptr));
    if (engine == nullptr || energy == nullptr || engine->maximumPower <= 0) return;
    if (energy->engineAllocation != controls.throttlePower) {
        controls.throttle = std::clamp(float(energy->engineAllocation) / float(engine->maximumPower), 0.0f, 1.0f);
    }
    const float step = kThrottlePerSecond * float(std::min<uint32_t>(elapsedMs, 1000)) * 0.001f;
    controls.throttle = std::clamp(controls.throttle + keys * step, 0.0f, 1.0f);
    controls.throttlePower = ApplyThrottle(ship, controls.throttle);
}

void Weapons(GameState& game, Craft& ship) {
    int32_t& group = game.playerControls.weaponGroup;
    const bool choose = game.commands.WasPressed(kNextWeaponGroup);
    const bool fire = game.commands.IsHeld(kFire);
    if (!choose && !fire) return;
    // A choice the ship no longer fires (its racks ran dry) gives way to the
    // group the cockpit names in its place.
    group = choose ? NextTriggerGroup(ship, group) : TriggerGroup(ship, group);
    if (fire && group != Weapon::kNoGroup) {
        ship.AimGunsAtTarget(group);
        ship.AimProjectilesAtTarget(group);
        ship.FireWeaponGroup(group);
    }
}

}  // namespace

void CaptureCommandState(GameState& game) {
    InputEventMap* const map = game.EventMap();
    InputSystem* const input = game.Input();
    if (map == nullptr || input == nullptr) {
        game.commands.Clear();
        return;
    }
    input->Update();
    // While a chat line is typed only its send command is read.
    const KeySet mask = ChatCaptureMask(game);
    KeySet held = map->Poll(mask);
    AddHatCommands(game, held);
    game.commands.Capture(held & mask);
    input->Snapshot();
}

void StartFlightInput(GameState& game) {
    game.playerControls = PlayerControls{};
    game.commands.Clear();
}

void HandleFlightInput(GameState& game, uint32_t elapsedMs) {
    if (game.commands.WasPressed(kPause)) game.mode = kPauseMode;
    HandleFlightChat(game);
    SpaceObject* const object = game.playerShip;
    if (object == nullptr || object->type < SpaceObject::kTypeCraft || object->active == 0) return;
    auto& ship = static_cast<Craft&>(*object);
    if (ship.dead != 0) return;
    Stick stick = ReadStick(game);
    ReadMouse(game, stick);
    Steer(game, ship, stick);
    Throttle(game, ship, stick, elapsedMs);
    Weapons(game, ship);
    HandleFlightCommands(game, ship);
}
