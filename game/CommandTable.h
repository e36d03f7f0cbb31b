#pragma once
#include <cstdint>
#include <memory>
#include <span>

class InputEventMap;
struct InputTrigger;

// The flight commands by number: a command's number is its event in the
// game's input event map and its bit in the command state. The numbers
// below 75 are the flight's own group of the key map; 75 and up are chat,
// send and the exclamations.
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
    kFireGroup1 = 11,   // to 13
    kNextTarget = 14,
    kPreviousTarget = 15,
    kNextSubTarget = 16,
    kStoreTarget1 = 17,    // to 20
    kRecallTarget1 = 21,   // to 24
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

// A command and the scan code of its default key; key 0 leaves it unbound.
struct Entry {
    uint16_t number;
    const char* name;
    uint16_t key;
};

// In command-number order.
std::span<const Entry> Defaults();
// The entry of a command, or null.
const Entry* Find(uint32_t number);

// Binds every command of the table that has a key to it in `map`, dropping
// what the map held. The triggers live in `triggers`, which the caller keeps
// as long as the map; what it held before is replaced.
void BindDefaults(InputEventMap& map, std::unique_ptr<InputTrigger[]>& triggers);

}  // namespace command_table
