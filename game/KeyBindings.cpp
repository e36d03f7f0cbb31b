#include "game/KeyBindings.h"

#include <iterator>

namespace {

// Index = scan code; null where the table has no name.
constexpr const char* kKeyNames[] = {
    nullptr, "ESC", "1", "2", "3", "4", "5", "6", "7", "8", "9", "0", "-", "=", "Bkspc", "Tab",
    "Q", "W", "E", "R", "T", "Y", "U", "I", "O", "P", "[", "]", "Enter", "Ctrl", "A", "S",
    "D", "F", "G", "H", "J", "K", "L", ";", "'", "`", "Shift", "\\", "Z", "X", "C", "V",
    "B", "N", "M", ",", ".", "//", "Shift", "*", "Alt", "Space", "Caps", "F1", "F2", "F3", "F4", "F5",
    "F6", "F7", "F8", "F9", "F10", "Num", "Scroll", "Home", "UP", "PgUp", "GMinus", "Left", "Cntr", "Right",
    "GPlus", "End",
    "Down", "PgDown", "Insert", "Delete", nullptr, nullptr, nullptr, "F11", "F12", nullptr, nullptr, nullptr,
    nullptr, nullptr, nullptr, nullptr,
    // 96 to 155
    nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
    nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
    nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
    nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
    nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
    "GEnter", "Control",
    // 158 to 183
    nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
    nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
    nullptr, nullptr,
    "Alt",
    // 185 to 198
    nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
    nullptr, nullptr,
    "GHome", "GUp", "GPgUp", nullptr, "GLeft", nullptr, "GRight", nullptr, "GEnd", "GDown", "GPgDn", "GIns",
    "GDel",
};
static_assert(std::size(kKeyNames) == 212);

constexpr uint16_t kNotHeld = 0x200;

const char* ConditionName(const KeyTrigger& trigger) { return GetKeyName(trigger.keys[1]); }

}  // namespace

FunctionBinding::FunctionBinding(const char* functionName, uint32_t number)
    : name(functionName != nullptr ? functionName : ""),
      commandCode(EventKey(number)),
      trigger1(MakeKeyTrigger(0)),
      trigger2(MakeKeyTrigger(0)) {}

const char* FunctionBinding::GetKeyName1() const { return GetKeyName(trigger1->keys[0]); }
const char* FunctionBinding::GetModifierName1() const { return ConditionName(*trigger1); }
const char* FunctionBinding::GetKeyName2() const { return GetKeyName(trigger2->keys[0]); }
const char* FunctionBinding::GetModifierName2() const { return ConditionName(*trigger2); }

void FunctionBinding::MakeTwins(uint32_t modifierKey, uint32_t modifierKeyRight) {
    const auto twinOf = [&](const KeyTrigger& trigger) -> std::unique_ptr<KeyTrigger> {
        const uint16_t condition = trigger.keys[1];
        if (condition == modifierKey) {
            auto twin = MakeKeyTrigger(trigger.keys[0]);
            twin->keys[1] = uint16_t(modifierKeyRight);
            twin->keys[2] = trigger.keys[2];
            twin->keys[3] = trigger.keys[3];
            return twin;
        }
        if (condition == modifierKey + kNotHeld || condition == KeyTrigger::kNone) return MakeKeyTrigger(0);
        return nullptr;
    };
    trigger1Twin = twinOf(*trigger1);
    trigger2Twin = twinOf(*trigger2);
}

std::unique_ptr<KeyTrigger> MakeKeyTrigger(uint16_t key) {
    auto trigger = std::make_unique<KeyTrigger>();
    // Both words mean no key; the event map reads only one of them so.
    trigger->keys[0] = key == 0 ? KeyTrigger::kNone : key;
    return trigger;
}

bool IsEmptyTrigger(const KeyTrigger& trigger) {
    const uint16_t key = trigger.keys[0];
    return (key == 0 || key == KeyTrigger::kNone) && trigger.mouseButtons == 0 && trigger.joystickButtons == 0;
}

uint32_t RightModifierKey(uint32_t modifierKey) {
    switch (modifierKey) {
        case 29: return 157;
        case 42: return 54;
        case 56: return 184;
        default: return 0;
    }
}

const char* GetKeyName(uint32_t scanCode) { return scanCode < std::size(kKeyNames) ? kKeyNames[scanCode] : nullptr; }

const char* GetAxisName(const AxisBinding& axis) {
    switch (axis.axisBits) {
        case 1: return "X-Axis";
        case 2: return "Y-Axis";
        case 4: return "Throttle";
        case 8: return "Rudder";
        default: return nullptr;
    }
}
