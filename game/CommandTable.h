#pragma once
#include <cstdint>
#include <span>

// The flight commands by number: a command's number is its event in the
// game's input event map and its bit in the command state, and its index in
// the key map. The numbers below 75 are the flight's own group of the key
// map (the controls screen checks conflicts inside a group); 75 and up are
// the talk commands and the spare ones.
namespace command_table {

enum Command : uint16_t {
    kPause = 0,
    kNoseDown = 1,
    kNoseUp = 2,
    kYawLeft = 3,
    kYawRight = 4,
    kRollLeft = 5,
    kRollRight = 6,
    kThrottleUp = 7,
    kThrottleDown = 8,
    kFire = 9,
    kNextWeaponGroup = 10,
    kFireGroup1 = 11,
    kFireGroup2 = 12,
    kFireGroup3 = 13,
    kNextTarget = 14,
    kPreviousTarget = 15,
    kNextSubTarget = 16,
    kStoreTarget1 = 17,   // to 20
    kRecallTarget1 = 21,  // to 24
    kLaunchProbe = 25,
    kShieldPowerUp = 26,
    kShieldPowerDown = 27,
    kEnginePowerUp = 28,
    kEnginePowerDown = 29,
    kWeaponPowerUp = 30,
    kWeaponPowerDown = 31,
    kResetPowerSplit = 32,
    kEcm = 33,
    kCloak = 34,
    kJammer = 35,
    kLaunchDecoy = 36,
    kNextNavPoint = 37,
    kClosestNavPoint = 38,
    kCockpitView = 39,
    kChaseView = 40,
    kNavigationMap = 41,
    kEject = 42,
    kRadarRange = 55,
    kRadarMode = 56,
    kBoost = 68,
    kChat = 75,
    kSend = 76,
    kExclamation1 = 77,   // to 86
};

inline constexpr int32_t kFireGroups = 3;
inline constexpr int32_t kTargetSlots = 4;
inline constexpr int32_t kExclamations = 10;
inline constexpr uint32_t kFunctionCount = 97;
inline constexpr uint32_t kAxisCount = 5;
// The game's modifier key until a key map says otherwise: left Shift.
inline constexpr uint32_t kDefaultModifierKey = 42;

// A command, its name in the key map and its default bindings: a key
// (scan code, 0 none), pressed with or without the game's modifier, and a
// joystick button mask for the second binding (0 none).
struct Entry {
    uint16_t number;
    const char* name;
    uint16_t key;
    bool withModifier;
    uint16_t joystickButtons;
};

// An axis function, its name and the joystick axis it reads by default
// (1 X, 2 Y, 4 throttle, 8 rudder; 0 none).
struct AxisEntry {
    uint16_t number;
    const char* name;
    int16_t axisBits;
};

// All kFunctionCount commands, in command-number order.
std::span<const Entry> Defaults();
// The entry of a command, or null.
const Entry* Find(uint32_t number);
// All kAxisCount axis functions, in order.
std::span<const AxisEntry> AxisDefaults();

}  // namespace command_table
