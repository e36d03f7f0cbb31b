// The input devices as the SDL window feeds them, on SDL's "dummy" video
// driver with synthetic events and a virtual joystick.
#include <SDL2/SDL.h>
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "platform/QueuedInput.h"
#include "platform/SdlVideo.h"
#include "platform/VideoBackend.h"
#include "platform/Window.h"
#include "tests/support/ScopedEnvironment.h"

namespace {

using platform::DeviceEvent;
using platform::InputDevice;
using platform::InputDeviceKind;

class SdlInputTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(platform::VideoBackend::Start(true), platform::VideoBackendKind::kSdl);
        window_ = platform::Window::Create("Vorn Tessel", 64, 48, false);
        ASSERT_FALSE(window_->Headless());
        window_->PumpMessages();
        ASSERT_TRUE(input().OpenInput(window_.get()));
    }
    void TearDown() override {
        devices_.clear();
        input().SetFocused(true);
        input().CloseInput();
        window_.reset();
        platform::VideoBackend::Stop();
    }
    static platform::QueuedInput& input() { return platform::SystemInput(); }

    InputDevice* Open(InputDeviceKind kind) {
        std::unique_ptr<InputDevice> device = input().CreateDevice(kind);
        if (device == nullptr) return nullptr;
        device->SetCooperativeLevel(platform::kCooperativeNonExclusive | platform::kCooperativeForeground);
        device->SetDataFormat(kind);
        device->SetBufferSize(32);
        EXPECT_EQ(device->Acquire(), platform::kInputOk);
        devices_.push_back(std::move(device));
        return devices_.back().get();
    }
    static std::vector<DeviceEvent> Events(InputDevice* device, uint32_t* result = nullptr) {
        DeviceEvent events[32];
        uint32_t count = 32;
        const uint32_t r = device->GetDeviceData(events, &count);
        if (result != nullptr) *result = r;
        return std::vector<DeviceEvent>(events, events + count);
    }
    static void Push(SDL_Event event) { ASSERT_EQ(SDL_PushEvent(&event), 1) << SDL_GetError(); }
    static void Key(Uint32 type, SDL_Scancode code, Uint8 repeat) {
        SDL_Event event{};
        event.type = type;
        event.key.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
        event.key.repeat = repeat;
        event.key.keysym.scancode = code;
        event.key.windowID = platform::SdlVideo::WindowId();
        Push(event);
    }
    static void Focus(Uint8 what) {
        SDL_Event event{};
        event.type = SDL_WINDOWEVENT;
        event.window.event = what;
        event.window.windowID = platform::SdlVideo::WindowId();
        Push(event);
    }

    ScopedEnvironment driver_{"SDL_VIDEODRIVER", "dummy"};
    // The dummy window never has the focus, without which SDL drops the
    // joystick's changes.
    ScopedEnvironment background_{"SDL_JOYSTICK_ALLOW_BACKGROUND_EVENTS", "1"};
    std::unique_ptr<platform::Window> window_;
    std::vector<std::unique_ptr<InputDevice>> devices_;
};

TEST_F(SdlInputTest, KeysAndTheMouseReachTheDevicesAndTheFocusTakesThemAway) {
    InputDevice* const keyboard = Open(InputDeviceKind::kKeyboard);
    InputDevice* const mouse = Open(InputDeviceKind::kMouse);
    ASSERT_NE(keyboard, nullptr);
    ASSERT_NE(mouse, nullptr);
    Key(SDL_KEYDOWN, SDL_SCANCODE_A, 0);
    Key(SDL_KEYDOWN, SDL_SCANCODE_A, 1);   // the key repeating is no change
    Key(SDL_KEYUP, SDL_SCANCODE_A, 0);
    Key(SDL_KEYDOWN, SDL_SCANCODE_UP, 0);
    SDL_Event motion{};
    motion.type = SDL_MOUSEMOTION;
    motion.motion.windowID = platform::SdlVideo::WindowId();
    motion.motion.xrel = 3;
    motion.motion.yrel = -2;
    Push(motion);
    SDL_Event click{};
    click.type = SDL_MOUSEBUTTONDOWN;
    click.button.windowID = platform::SdlVideo::WindowId();
    click.button.button = SDL_BUTTON_RIGHT;
    Push(click);
    window_->PumpMessages();

    const std::vector<DeviceEvent> keys = Events(keyboard);
    ASSERT_EQ(keys.size(), 3u);
    EXPECT_EQ(keys[0].offset, 0x1Eu);
    EXPECT_EQ(keys[0].data, 0x80u);
    EXPECT_EQ(keys[1].data, 0u);
    EXPECT_EQ(keys[2].offset, 0xC8u);   // extended: the arrow up
    const std::vector<DeviceEvent> pointer = Events(mouse);
    ASSERT_EQ(pointer.size(), 3u);
    EXPECT_EQ(int32_t(pointer[0].data), 3);
    EXPECT_EQ(int32_t(pointer[1].data), -2);
    EXPECT_EQ(pointer[2].offset, platform::kMouseOffsetButton0 + 1);
    EXPECT_TRUE(input().IsMouseButtonDown(2));

    platform::DeviceCaps caps;
    ASSERT_EQ(keyboard->GetCapabilities(&caps), platform::kInputOk);
    EXPECT_EQ(caps.buttons, 256u);   // a key for every scan code, extended ones included

    EXPECT_TRUE(input().Focused());
    Focus(SDL_WINDOWEVENT_FOCUS_LOST);
    window_->PumpMessages();
    EXPECT_FALSE(input().Focused());
    uint32_t result = 0;
    Events(keyboard, &result);
    EXPECT_EQ(result, platform::kInputLost);
    EXPECT_NE(keyboard->Acquire(), platform::kInputOk);
    EXPECT_FALSE(input().IsMouseButtonDown(2));
    Focus(SDL_WINDOWEVENT_FOCUS_GAINED);
    window_->PumpMessages();
    EXPECT_EQ(keyboard->Acquire(), platform::kInputOk);
}

// The window numbers three buttons; the mouse device has a fourth, the
// first extra button, and no more.
TEST_F(SdlInputTest, TheButtonsReachTheWindowAndTheMouseAsEachNumbersThem) {
    std::vector<platform::WindowMessage> seen;
    window_->SetProcedure([&seen](platform::Window&, const platform::WindowMessage& message) {
        seen.push_back(message);
        return true;
    });
    InputDevice* const mouse = Open(InputDeviceKind::kMouse);
    ASSERT_NE(mouse, nullptr);
    // Events the game has no use for pass unseen.
    SDL_Event other{};
    other.type = SDL_USEREVENT;
    Push(other);
    for (const Uint8 button : {Uint8(SDL_BUTTON_LEFT), Uint8(SDL_BUTTON_MIDDLE), Uint8(SDL_BUTTON_X1),
                               Uint8(SDL_BUTTON_X2)}) {
        SDL_Event press{};
        press.type = SDL_MOUSEBUTTONDOWN;
        press.button.windowID = platform::SdlVideo::WindowId();
        press.button.button = button;
        press.button.state = SDL_PRESSED;
        Push(press);
    }
    window_->PumpMessages();

    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0].type, platform::WindowMessageType::kMouseButtonDown);
    EXPECT_EQ(seen[0].button, platform::kMouseButtonLeft);
    EXPECT_EQ(seen[1].button, platform::kMouseButtonMiddle);
    const std::vector<DeviceEvent> pointer = Events(mouse);
    ASSERT_EQ(pointer.size(), 3u);
    EXPECT_EQ(pointer[0].offset, platform::kMouseOffsetButton0);
    EXPECT_EQ(pointer[1].offset, platform::kMouseOffsetButton0 + 2);
    EXPECT_EQ(pointer[2].offset, platform::kMouseOffsetButton0 + 3);
    EXPECT_TRUE(input().IsMouseButtonDown(4));
}

TEST_F(SdlInputTest, TheFirstJoystickFeedsItsAxesButtonsAndHat) {
    const int index = SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_GAMECONTROLLER, 2, 4, 1);
    if (index < 0) GTEST_SKIP() << "no virtual joystick: " << SDL_GetError();
    window_->PumpMessages();   // the device arrives
    ASSERT_TRUE(input().JoystickAttached());
    SDL_Joystick* const stick = SDL_JoystickOpen(index);
    ASSERT_NE(stick, nullptr);
    SDL_JoystickSetVirtualButton(stick, 1, SDL_PRESSED);
    SDL_JoystickSetVirtualAxis(stick, 0, 32767);
    SDL_JoystickSetVirtualHat(stick, 0, SDL_HAT_RIGHT);
    SDL_JoystickUpdate();
    window_->PumpMessages();
    platform::JoystickInfo info;
    ASSERT_EQ(input().GetJoystickPosition(&info), platform::kJoystickOk);
    EXPECT_EQ(info.buttons, 2u);
    EXPECT_EQ(info.x, 65535u);
    EXPECT_EQ(info.pov, 9000u);
    // Every way the hat points, in hundredths of a degree clockwise from up;
    // centred is 0xFFFF, as the position reports it.
    const std::pair<Uint8, uint32_t> ways[] = {
        {SDL_HAT_UP, 0},           {SDL_HAT_RIGHTUP, 4500}, {SDL_HAT_RIGHTDOWN, 13500}, {SDL_HAT_DOWN, 18000},
        {SDL_HAT_LEFTDOWN, 22500}, {SDL_HAT_LEFT, 27000},   {SDL_HAT_LEFTUP, 31500},    {SDL_HAT_CENTERED, 0xFFFFu}};
    for (const auto& [hat, angle] : ways) {
        SDL_JoystickSetVirtualHat(stick, 0, hat);
        SDL_JoystickUpdate();
        window_->PumpMessages();
        ASSERT_EQ(input().GetJoystickPosition(&info), platform::kJoystickOk);
        EXPECT_EQ(info.pov, angle) << int(hat);
    }
    platform::JoystickCaps caps;
    ASSERT_EQ(input().GetJoystickCaps(&caps), platform::kJoystickOk);
    EXPECT_EQ(caps.buttons, 4u);
    SDL_JoystickClose(stick);
    SDL_JoystickDetachVirtual(index);
    window_->PumpMessages();
    EXPECT_FALSE(input().JoystickAttached());
}

}  // namespace

namespace {

// The game makes its input devices right after its window, before it reads
// a message: a joystick plugged in before the window opens is there at once.
TEST(SdlInputStart, AJoystickPresentBeforeTheWindowIsThereAtOnce) {
    const ScopedEnvironment driver("SDL_VIDEODRIVER", "dummy");
    const ScopedEnvironment background("SDL_JOYSTICK_ALLOW_BACKGROUND_EVENTS", "1");
    ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_JOYSTICK), 0) << SDL_GetError();
    const int index = SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_GAMECONTROLLER, 2, 4, 1);
    if (index < 0) {
        SDL_QuitSubSystem(SDL_INIT_JOYSTICK);
        GTEST_SKIP() << "no virtual joystick: " << SDL_GetError();
    }
    ASSERT_EQ(platform::VideoBackend::Start(true), platform::VideoBackendKind::kSdl);
    std::unique_ptr<platform::Window> window = platform::Window::Create("Vorn Tessel", 64, 48, false);
    platform::QueuedInput& input = platform::SystemInput();
    ASSERT_TRUE(input.OpenInput(window.get()));
    EXPECT_TRUE(input.JoystickAttached());
    EXPECT_NE(input.CreateDevice(InputDeviceKind::kJoystick), nullptr);
    platform::JoystickCaps caps;
    ASSERT_EQ(input.GetJoystickCaps(&caps), platform::kJoystickOk);
    EXPECT_EQ(caps.buttons, 4u);
    // Its arrival, read with the first messages, changes nothing; its
    // removal takes it away.
    window->PumpMessages();
    EXPECT_TRUE(input.JoystickAttached());
    SDL_JoystickDetachVirtual(index);
    window->PumpMessages();
    EXPECT_FALSE(input.JoystickAttached());
    input.CloseInput();
    window.reset();
    platform::VideoBackend::Stop();
    SDL_QuitSubSystem(SDL_INIT_JOYSTICK);
}

// The window lets go of the joystick it took: a window made again finds it anew.
TEST(SdlInputStart, TheJoystickGoesWithTheWindow) {
    const ScopedEnvironment driver("SDL_VIDEODRIVER", "dummy");
    const ScopedEnvironment background("SDL_JOYSTICK_ALLOW_BACKGROUND_EVENTS", "1");
    ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_JOYSTICK), 0) << SDL_GetError();
    const int index = SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_GAMECONTROLLER, 2, 4, 1);
    if (index < 0) {
        SDL_QuitSubSystem(SDL_INIT_JOYSTICK);
        GTEST_SKIP() << "no virtual joystick: " << SDL_GetError();
    }
    ASSERT_EQ(platform::VideoBackend::Start(true), platform::VideoBackendKind::kSdl);
    platform::QueuedInput& input = platform::SystemInput();
    std::unique_ptr<platform::Window> window = platform::Window::Create("Vorn Tessel", 64, 48, false);
    EXPECT_TRUE(input.JoystickAttached());
    window.reset();
    EXPECT_FALSE(input.JoystickAttached());
    window = platform::Window::Create("Vorn Tessel", 64, 48, false);
    EXPECT_TRUE(input.JoystickAttached());
    window.reset();
    SDL_JoystickDetachVirtual(index);
    platform::VideoBackend::Stop();
    SDL_QuitSubSystem(SDL_INIT_JOYSTICK);
}

}  // namespace
