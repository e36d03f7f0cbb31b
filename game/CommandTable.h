#pragma once
#include <cstdint>
#include <memory>
#include <span>

class InputEventMap;
struct InputTrigger;

// The flight commands by number: a command's number is its event in the
// game's input event map and its bit in the command state. The numbers
// below 75 are the flight's own group of the key map; 55 (radar range), 56
// (radar mode) and 68 (boost) are kept for the commands that will take them.
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
};

inline constexpr uint16_t kRadarRange = 55;
inline constexpr uint16_t kRadarMode = 56;
inline constexpr uint16_t kBoost = 68;
// Chat: start typing a line, send it; then the ten canned exclamations.
inline constexpr uint16_t kChat = 75;
inline constexpr uint16_t kSendChat = 76;
inline constexpr uint16_t kFirstExclamation = 77;
inline constexpr uint16_t kExclamationCount = 10;

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
