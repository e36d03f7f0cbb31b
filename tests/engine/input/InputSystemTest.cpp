// The input system's joystick: one present when the system is made is
// there from the start, one plugged in later attaches at the next update.
#include <gtest/gtest.h>

#include "engine/input/InputSystem.h"
#include "tests/support/ScriptedInput.h"

namespace {

uint32_t Buttons(const InputSystem& system) {
    platform::JoystickInfo state;
    system.GetJoystickState(&state);
    return state.buttons;
}

TEST(InputSystemJoystick, OnePresentAtTheStartIsOpenedWithTheOtherDevices) {
    ScriptedInput input;
    input.PlugJoystick();
    DirectInputSystem system(nullptr);
    ASSERT_TRUE(system.HasJoystick());
    system.OpenDevices();
    input.FeedJoystickButton(0, true);
    system.Update();
    EXPECT_TRUE(system.IsJoystickActive());
    EXPECT_EQ(Buttons(system), 1u);
}

TEST(InputSystemJoystick, OnePluggedInLaterAttachesOpenWhenTheDevicesAre) {
    ScriptedInput input;
    DirectInputSystem system(nullptr);
    system.OpenDevices();
    system.Update();
    EXPECT_FALSE(system.HasJoystick());
    input.PlugJoystick();
    input.FeedJoystickButton(2, true);
    system.Update();
    ASSERT_TRUE(system.HasJoystick());
    EXPECT_TRUE(system.IsJoystickActive());
    EXPECT_EQ(Buttons(system), 4u);
}

TEST(InputSystemJoystick, OnePluggedInWhileTheDevicesAreClosedWaitsClosed) {
    ScriptedInput input;
    WindowsInputSystem system(nullptr);
    system.OpenDevices();
    system.ResetDevices();
    input.PlugJoystick();
    input.FeedJoystickButton(1, true);
    system.Update();
    ASSERT_TRUE(system.HasJoystick());
    EXPECT_FALSE(system.IsJoystickActive());
    EXPECT_EQ(Buttons(system), 0u);
    system.OpenDevices();
    system.Update();
    EXPECT_EQ(Buttons(system), 2u);
}

// A screen that asks for the joystick while there is none gets it when it is
// plugged in.
TEST(InputSystemJoystick, OneAskedForBeforeItIsPluggedInOpensWhenItIs) {
    ScriptedInput input;
    WindowsInputSystem system(nullptr);
    EXPECT_FALSE(system.EnableJoystick(true));
    input.PlugJoystick();
    system.Update();
    EXPECT_TRUE(system.IsJoystickActive());
}

// Without the device layer nothing attaches, joystick or not.
TEST(InputSystemJoystick, WithoutTheDeviceLayerNoneAttaches) {
    ScriptedInput input;
    input.SetDeviceLayerAvailable(false);
    DirectInputSystem system(nullptr);
    system.OpenDevices();
    input.PlugJoystick();
    system.Update();
    EXPECT_FALSE(system.HasJoystick());
}

}  // namespace
