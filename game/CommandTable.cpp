#include "game/CommandTable.h"

#include "engine/input/InputEventMap.h"

namespace command_table {

namespace {

// Scan codes of the default keys.
constexpr uint16_t kEscape = 1;
constexpr uint16_t kMinus = 12;
constexpr uint16_t kEquals = 13;
constexpr uint16_t kQ = 16;
constexpr uint16_t kW = 17;
constexpr uint16_t kE = 18;
constexpr uint16_t kR = 19;
constexpr uint16_t kX = 45;
constexpr uint16_t kSpace = 57;
constexpr uint16_t kUp = 200;
constexpr uint16_t kLeft = 203;
constexpr uint16_t kRight = 205;
constexpr uint16_t kDown = 208;

// The arrows work as a stick: Up pushes it forward, so the nose goes down.
constexpr Entry kEntries[] = {
    {kPause, "Pause", kEscape},
    {kNoseDown, "Nose Down", kUp},
    {kNoseUp, "Nose Up", kDown},
    {kYawLeft, "Yaw Left", kLeft},
    {kYawRight, "Yaw Right", kRight},
    {kRollLeft, "Roll Left", kQ},
    {kRollRight, "Roll Right", kE},
    {kThrottleUp, "Throttle Up", kEquals},
    {kThrottleDown, "Throttle Down", kMinus},
    {kFire, "Fire", kSpace},
    {kNextWeaponGroup, "Next Weapon Group", kW},
    {kEcm, "ECM", kX},
    {kRadarMode, "Radar Mode", kR},
};

}  // namespace

std::span<const Entry> Defaults() { return kEntries; }

const Entry* Find(uint32_t number) {
    for (const Entry& entry : kEntries) {
        if (entry.number == number) return &entry;
    }
    return nullptr;
}

void BindDefaults(InputEventMap& map, std::unique_ptr<InputTrigger[]>& triggers) {
    map.Clear();
    triggers = std::make_unique<InputTrigger[]>(std::size(kEntries));
    for (size_t i = 0; i < std::size(kEntries); ++i) {
        if (kEntries[i].key == 0) continue;
        triggers[i].keys[0] = kEntries[i].key;
        map.AddEvent(&triggers[i], EventKey(kEntries[i].number));
    }
}

}  // namespace command_table
