#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "engine/input/InputSystem.h"
#include "engine/input/KeyQueue.h"
#include "engine/input/KeySet.h"
#include "platform/Window.h"
#include "tests/support/ScriptedInput.h"

namespace {

constexpr uint32_t kA = 0x1E;
constexpr uint32_t kEnter = 0x1C;
constexpr uint32_t kKeypad8 = 0x48;

TEST(KeySet, KeysAndEventKeysNameTheSameBits) {
    struct Case {
        uint32_t key;
        int word;
        int bit;
    } const cases[] = {{44, 1, 12}, {300, 9, 12}, {0, 0, 0}, {255, 7, 31}, {256, 8, 0}, {511, 15, 31}};
    for (const Case& c : cases) {
        KeySet set;
        set.Set(c.key);
        KeySet expected;
        expected.words[c.word] = 1u << c.bit;
        EXPECT_EQ(set, expected) << c.key;
        // The event key of the same number tests the same bit.
        EXPECT_TRUE(set.TestEvent(EventKey(c.key))) << c.key;
        uint8_t bytes[64];
        set.ToBytes(bytes);
        EXPECT_EQ(bytes[c.key >> 3], 1u << (c.key & 7)) << c.key;
    }
    KeySet some;
    some.Set(3);
    EXPECT_FALSE(some.IsEmpty());
    EXPECT_TRUE((some & ~some).IsEmpty());
    EXPECT_EQ((some | ~some), ~KeySet{});
}

class InputTest : public ::testing::Test {
protected:
    void SetUp() override {
        window_ = platform::Window::CreateHeadless("test", 640, 480, false);
        input_.SetScreenSize(640, 480);
        system_ = std::make_unique<DirectInputSystem>(window_.get());
        system_->OpenDevices();
    }
    // Reads the devices as a frame does: update, then the snapshot after.
    void Frame() {
        system_->Update();
        system_->Snapshot();
    }

    ScriptedInput input_;
    std::unique_ptr<platform::Window> window_;
    std::unique_ptr<DirectInputSystem> system_;
};

TEST_F(InputTest, AKeyTappedWithinAFrameReadsAsDownUntilTheSnapshot) {
    input_.Tap(kA);
    system_->Update();
    EXPECT_TRUE(system_->IsKeyDown(kA));
    system_->Snapshot();
    EXPECT_FALSE(system_->IsKeyDown(kA));
    // Held across frames it stays down.
    input_.Press(kEnter);
    Frame();
    Frame();
    EXPECT_TRUE(system_->IsKeyDown(kEnter));
    input_.Release(kEnter);
    Frame();
    EXPECT_FALSE(system_->IsKeyDown(kEnter));
}

TEST_F(InputTest, QueuedPressesReadAsCharactersWithTheirModifiers) {
    struct Case {
        std::vector<uint32_t> held;
        uint32_t key;
        uint32_t expected;
    } const cases[] = {
        {{}, kA, 'a'},
        {{0x2A}, kA, 'A'},
        {{0x36}, 0x02, '!'},
        {{0x1D}, kA, 1},
        {{0x1D}, kEnter, 10},
        {{0x38}, kA, 0x11E},
        {{}, kKeypad8, 0x148},
        {{0x2A}, kKeypad8, '8'},
        {{}, 0x3B, 0x13B},   // F1 has no character
    };
    KeyQueue queue;
    queue.Attach(system_->GetKeyboard());
    for (const Case& c : cases) {
        for (const uint32_t modifier : c.held) input_.Press(modifier);
        input_.Tap(c.key);
        for (const uint32_t modifier : c.held) input_.Release(modifier);
        Frame();
        // The modifier presses are queued too; the key is the last entry.
        uint32_t last = 0;
        while (!queue.IsEmpty()) last = queue.GetChar();
        EXPECT_EQ(last, c.expected) << std::hex << c.key;
    }
}

TEST(KeyQueue, TheRingKeepsFifteenAndAnEmptyQueueGivesNothing) {
    KeyQueue queue;
    EXPECT_EQ(queue.GetChar(), 0u);
    EXPECT_EQ(queue.GetKey(), 0u);
    for (uint16_t code = 1; code <= 16; ++code) queue.Push(code);
    std::vector<uint32_t> keys;
    while (!queue.IsEmpty()) keys.push_back(queue.GetKey());
    ASSERT_EQ(keys.size(), 15u);
    EXPECT_EQ(keys.front(), 0x102u);   // the oldest was dropped
    EXPECT_EQ(keys.back(), 0x110u);
    EXPECT_EQ(queue.GetKey(), 0u);
}

TEST_F(InputTest, QueuesAndKeyboardsMayGoInEitherOrder) {
    auto queue = std::make_unique<KeyQueue>();
    KeyQueue other;
    queue->Attach(system_->GetKeyboard());
    other.Attach(system_->GetKeyboard());
    queue.reset();   // detaches itself
    input_.Tap(kA);
    Frame();
    EXPECT_EQ(other.GetChar(), uint32_t('a'));
    system_.reset();   // the keyboard lets go of the queue still attached
    EXPECT_EQ(other.AttachedTo(), nullptr);
}

TEST_F(InputTest, LostInputIsReacquiredOnceTheFocusIsBack) {
    input_.Press(kA);
    input_.SetFocused(false);   // the device is taken away
    input_.SetFocused(true);
    input_.Tap(kEnter);         // not buffered: the device was not acquired
    system_->Update();          // lost: acquired again, nothing read
    EXPECT_FALSE(system_->IsKeyDown(kEnter));
    input_.Tap(kEnter);
    system_->Update();
    EXPECT_TRUE(system_->IsKeyDown(kEnter));

    // While the focus is away, acquiring fails and nothing is read.
    system_->Snapshot();
    input_.SetFocused(false);
    input_.Tap(kA);
    system_->Update();
    EXPECT_FALSE(system_->IsKeyDown(kA));
}

TEST_F(InputTest, TheMouseIsClampedToItsScreenAndLatchesClicks) {
    Mouse& mouse = *system_->GetMouse();
    mouse.SetScreenSize(640, 480);
    // Following the cursor: clamped above, equal allowed.
    input_.FeedCursor(1000, 100);
    Frame();
    uint16_t x = 0, y = 0;
    system_->GetMousePosition(&x, &y);
    EXPECT_EQ(x, 640);
    EXPECT_EQ(y, 100);

    // Integrating its own motion with the cursor hidden: clamped at 0.
    mouse.ShowCursor(false);
    system_->SetMousePosition(20, 10);
    input_.FeedMouseMotion(5, -50);
    Frame();
    system_->GetMousePosition(&x, &y);
    EXPECT_EQ(x, 25);
    EXPECT_EQ(y, 0);
    int16_t dx = 0, dy = 0;
    system_->GetMouseMotion(&dx, &dy);
    EXPECT_EQ(dx, 5);
    EXPECT_EQ(dy, -50);

    // A click between two snapshots is reported once.
    input_.Click(0);
    Frame();
    EXPECT_EQ(system_->GetMouseButtons(), 1);
    Frame();
    EXPECT_EQ(system_->GetMouseButtons(), 0);
    input_.FeedMouseButton(3, true);
    Frame();
    EXPECT_EQ(system_->GetMouseButtons(), 8);
}

TEST(WindowsInput, TheWindowsMouseFollowsTheCursorWithTwoButtons) {
    ScriptedInput input;
    input.SetScreenSize(640, 480);
    WindowsInputSystem system(nullptr);
    system.OpenDevices();
    input.FeedCursor(100, 900);
    input.FeedMouseButton(0, true);
    input.FeedMouseButton(1, true);
    input.FeedMouseButton(2, true);
    system.Update();
    EXPECT_EQ(system.GetMouseButtons(), 3);
    uint16_t x = 0, y = 0;
    system.GetMousePosition(&x, &y);
    EXPECT_EQ(x, 100);
    EXPECT_EQ(y, 480);
    // It moves and hides the system's own cursor, kept on the screen.
    system.SetMousePosition(700, 50);
    int32_t cursorX = 0, cursorY = 0;
    input.GetCursorPosition(&cursorX, &cursorY);
    EXPECT_EQ(cursorX, 640);
    EXPECT_EQ(cursorY, 50);
    system.GetMouse()->ShowCursor(false);
    EXPECT_EQ(input.ShowCursor(true), 0);   // the hide was counted
    // Its keyboard is fed by the window's key messages.
    system.GetKeyboard()->KeyDown(kA);
    system.GetKeyboard()->KeyUp(kA);
    EXPECT_TRUE(system.IsKeyDown(kA));
    EXPECT_FALSE(system.HasJoystick());
}

TEST(DirectInput, WithoutTheDeviceLayerEveryQueryIsEmpty) {
    ScriptedInput input;
    input.SetDeviceLayerAvailable(false);
    DirectInputSystem system(nullptr);
    system.OpenDevices();
    system.Update();
    EXPECT_FALSE(system.HasKeyboard() || system.HasMouse() || system.HasJoystick());
    EXPECT_FALSE(system.EnableMouse(true));
    system.SetMousePosition(5, 5);
    uint16_t x = 1, y = 1;
    system.GetMousePosition(&x, &y);
    EXPECT_EQ(x, 0);   // no mouse: not even the stored position changes
    platform::JoystickInfo state;
    state.size = 99;
    system.GetJoystickState(&state);
    EXPECT_EQ(state.size, 0u);
    EXPECT_FALSE(system.IsKeyDown(kA));
}

}  // namespace
