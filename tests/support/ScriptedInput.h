#pragma once
#include <cstdint>

#include "platform/InputBackend.h"
#include "platform/QueuedInput.h"

// The input layer for the life of a scope, driven by the test: keys,
// buttons, motion, the cursor, the focus and a joystick are queued as the
// test says, then read by whatever input code runs on top.
class ScriptedInput : public platform::QueuedInput {
public:
    ScriptedInput() : previous_(platform::InputBackend::Install(this)) {}
    ~ScriptedInput() override { platform::InputBackend::Install(previous_); }

    void Press(uint32_t key) { FeedKey(key, true); }
    void Release(uint32_t key) { FeedKey(key, false); }
    void Tap(uint32_t key) {
        Press(key);
        Release(key);
    }
    void Click(int32_t button) {
        FeedMouseButton(button, true);
        FeedMouseButton(button, false);
    }
    // A joystick with axes 0..65535 (three of them) and eight buttons.
    void PlugJoystick(bool hat = false, uint32_t axes = 3) {
        platform::JoystickCaps caps;
        caps.xMax = caps.yMax = caps.zMax = 65535;
        caps.axes = axes;
        caps.buttons = 8;
        AttachJoystick(caps, hat);
    }

private:
    platform::InputBackend* previous_;
};
