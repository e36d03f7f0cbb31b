#include "shell/InputFocus.h"

#include <gtest/gtest.h>

#include <memory>

#include "engine/input/InputSystem.h"
#include "game/GameState.h"
#include "platform/Window.h"
#include "tests/support/ScriptedInput.h"

namespace {

void Post(platform::Window& window, platform::WindowMessageType type) {
    platform::WindowMessage message;
    message.type = type;
    window.Post(message);
    window.PumpMessages();
}

TEST(InputFocus, LosingTheFocusReleasesTheDevicesAndMinimizesAFullScreenWindow) {
    ScriptedInput input;
    input.PlugJoystick();
    const std::unique_ptr<platform::Window> window = platform::Window::CreateHeadless("test", 640, 480, true);
    DirectInputSystem system(window.get());
    system.OpenDevices();
    int earlier = 0;
    window->SetProcedure([&earlier](platform::Window&, const platform::WindowMessage&) {
        ++earlier;
        return false;
    });
    FollowFocus(*window, &system);
    ASSERT_TRUE(system.IsKeyboardActive() && system.IsMouseActive() && system.IsJoystickActive());

    input.SetFocused(false);
    Post(*window, platform::WindowMessageType::kDeactivate);
    EXPECT_FALSE(system.IsKeyboardActive() || system.IsMouseActive() || system.IsJoystickActive());
    EXPECT_TRUE(window->Minimized());
    // Nothing reaches a closed keyboard while another program has the focus.
    input.Tap(0x1E);
    system.Update();
    EXPECT_FALSE(system.IsKeyDown(0x1E));

    input.SetFocused(true);
    Post(*window, platform::WindowMessageType::kActivate);
    EXPECT_TRUE(system.IsKeyboardActive() && system.IsMouseActive() && system.IsJoystickActive());
    EXPECT_FALSE(window->Minimized());
    input.Tap(0x1E);
    system.Update();
    EXPECT_TRUE(system.IsKeyDown(0x1E));
    EXPECT_EQ(earlier, 2);   // the window's own procedure still saw both

    // With the Direct3D display the mouse's screen is its frame.
    system.GetMouse()->SetScreenSize(1920, 1080);
    const int32_t driver = g_graphicsDriver;
    g_graphicsDriver = kGraphicsDriverDirect3d;
    Post(*window, platform::WindowMessageType::kActivate);
    g_graphicsDriver = driver;
    EXPECT_EQ(system.GetMouse()->ScreenWidth(), 640);
    EXPECT_EQ(system.GetMouse()->ScreenHeight(), 480);

    // A window that is not full screen stays where it is.
    window->SetFullScreen(false);
    Post(*window, platform::WindowMessageType::kDeactivate);
    EXPECT_FALSE(window->Minimized());
    window->SetProcedure(nullptr);
}

}  // namespace
