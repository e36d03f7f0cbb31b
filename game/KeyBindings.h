#pragma once
#include <cstdint>
#include <memory>
#include <string>

#include "engine/input/InputEventMap.h"

// A key-map trigger is one record of the engine's event map: keys[0] the
// key (0 or 0xFFFF none), keys[1] condition 1, keys[2] condition 2 (the
// right-hand twin's), keys[3] the fourth word; a condition is a scan code
// that must be held, or that code + 0x200 for one that must not. The
// mouse button (1 or 2) and joystick mask (1, 2, 4, 8) follow; the rectangle
// and motion words stay 0xFFFF.
using KeyTrigger = InputTrigger;

// A key map's function: its command's event code and two bindings, each a
// trigger (with its twin for the right-hand modifier key, when the key map
// made one) and a hat direction.
struct FunctionBinding {
    static constexpr int32_t kNoHat = -1;

    std::string name;
    uint16_t commandCode = 0;   // EventKey of the command number
    std::unique_ptr<KeyTrigger> trigger1;
    std::unique_ptr<KeyTrigger> trigger1Twin;   // may be null
    std::unique_ptr<KeyTrigger> trigger2;
    std::unique_ptr<KeyTrigger> trigger2Twin;   // may be null
    int32_t hatDirection[2] = {kNoHat, kNoHat};   // degrees 0, 90, 180, 270, or kNoHat

    // Empty triggers for `name` and command `number`.
    FunctionBinding(const char* functionName, uint32_t number);

    // GetKeyName of binding 1's or 2's key, or of its condition 1.
    const char* GetKeyName1() const;
    const char* GetModifierName1() const;
    const char* GetKeyName2() const;
    const char* GetModifierName2() const;
    uint16_t GetJoystickButton1() const { return trigger1->joystickButtons; }
    uint16_t GetJoystickButton2() const { return trigger2->joystickButtons; }
    uint16_t GetMouseButton1() const { return trigger1->mouseButtons; }
    uint16_t GetMouseButton2() const { return trigger2->mouseButtons; }

    // Remakes both twins for the game's modifier key: a binding with the
    // modifier gets one on its right-hand twin; one that refuses the modifier,
    // or has no condition, gets an empty one; any other gets none.
    void MakeTwins(uint32_t modifierKey, uint32_t modifierKeyRight);
};

// An axis function: the joystick axis it reads while a joystick button
// condition holds.
struct AxisBinding {
    std::string name;
    int32_t buttonCondition = 0;   // 0 always; 1, 2, 4, 8: that button held
    int32_t axisBits = 0;          // 1 X, 2 Y, 4 throttle, 8 rudder; 0 or -1 none
};

// A new trigger as the key map makes one: the key, all else unset.
std::unique_ptr<KeyTrigger> MakeKeyTrigger(uint16_t key);
// True when the trigger names no key, mouse button or joystick button: the
// event map would find it holding every frame.
bool IsEmptyTrigger(const KeyTrigger& trigger);
// The right-hand twin of a game modifier key (29, 42, 56), or 0 for
// another code.
uint32_t RightModifierKey(uint32_t modifierKey);

// A key's display name, or null for a scan code the table lacks.
const char* GetKeyName(uint32_t scanCode);
// "X-Axis", "Y-Axis", "Throttle" or "Rudder" for the binding's axis, else null.
const char* GetAxisName(const AxisBinding& axis);
