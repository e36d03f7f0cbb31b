#include "platform/Window.h"

#include <gtest/gtest.h>

#include <vector>

#include "platform/VideoBackend.h"

namespace {

using platform::Window;
using platform::WindowMessage;
using platform::WindowMessageType;

WindowMessage Key(WindowMessageType type, uint8_t scanCode, bool extended = false) {
    WindowMessage message;
    message.type = type;
    message.scanCode = scanCode;
    message.extended = extended;
    return message;
}

WindowMessage Of(WindowMessageType type) {
    WindowMessage message;
    message.type = type;
    return message;
}

// A headless window whose procedure writes down every message it is given.
class HeadlessWindow : public ::testing::Test {
protected:
    HeadlessWindow() : window_(Window::CreateHeadless("Vorn Tessel", 640, 480, false)) {
        window_->SetProcedure([this](Window&, const WindowMessage& message) {
            seen_.push_back(message);
            return handles_;
        });
    }

    std::vector<WindowMessageType> SeenTypes() const {
        std::vector<WindowMessageType> types;
        for (const WindowMessage& message : seen_) types.push_back(message.type);
        return types;
    }

    std::unique_ptr<Window> window_;
    std::vector<WindowMessage> seen_;
    bool handles_ = true;
};

TEST(Window, IsHeadlessWhileNoVideoBackendRuns) {
    ASSERT_EQ(platform::VideoBackend::Kind(), platform::VideoBackendKind::kHeadless);
    const std::unique_ptr<Window> window = Window::Create("Vorn Tessel", 640, 480, true);
    EXPECT_TRUE(window->Headless());
    EXPECT_EQ(window->Title(), "Vorn Tessel");
    EXPECT_EQ(window->Width(), 640);
    EXPECT_EQ(window->Height(), 480);
    EXPECT_TRUE(window->FullScreen());
    EXPECT_TRUE(window->Active());
}

TEST_F(HeadlessWindow, PumpHandsPostedMessagesToTheProcedureInOrder) {
    window_->Post(Key(WindowMessageType::kKeyDown, 0x1E));
    window_->Post(Of(WindowMessageType::kMouseMove));
    window_->Post(Key(WindowMessageType::kKeyUp, 0x1E));
    EXPECT_EQ(window_->PendingCount(), 3u);

    EXPECT_TRUE(window_->PumpMessages());

    EXPECT_EQ(SeenTypes(), (std::vector<WindowMessageType>{WindowMessageType::kKeyDown, WindowMessageType::kMouseMove,
                                                           WindowMessageType::kKeyUp}));
    EXPECT_EQ(seen_[0].scanCode, 0x1E);
    EXPECT_EQ(window_->PendingCount(), 0u);
}

TEST_F(HeadlessWindow, PumpWithNothingWaitingKeepsRunning) {
    EXPECT_TRUE(window_->PumpMessages());
    EXPECT_TRUE(seen_.empty());
}

TEST_F(HeadlessWindow, QuitIsSeenByTheProcedureAndEndsThePump) {
    window_->Post(Of(WindowMessageType::kPaint));
    window_->PostQuit(3);
    window_->Post(Key(WindowMessageType::kKeyDown, 0x01));

    EXPECT_FALSE(window_->PumpMessages());

    EXPECT_EQ(SeenTypes(), (std::vector<WindowMessageType>{WindowMessageType::kPaint, WindowMessageType::kQuit}));
    EXPECT_EQ(seen_[1].exitCode, 3);
    EXPECT_TRUE(window_->QuitRequested());
    EXPECT_EQ(window_->ExitCode(), 3);
    // What came after the quit waits for a later pump.
    EXPECT_EQ(window_->PendingCount(), 1u);
}

TEST_F(HeadlessWindow, QuitStaysInForceForLaterPumps) {
    window_->PostQuit();
    ASSERT_FALSE(window_->PumpMessages());
    window_->Post(Of(WindowMessageType::kPaint));

    EXPECT_FALSE(window_->PumpMessages());
    EXPECT_EQ(seen_.back().type, WindowMessageType::kPaint);
}

TEST_F(HeadlessWindow, UnhandledCloseBecomesQuitInTheSamePump) {
    handles_ = false;
    window_->Post(Of(WindowMessageType::kClose));

    EXPECT_FALSE(window_->PumpMessages());
    EXPECT_EQ(SeenTypes(), (std::vector<WindowMessageType>{WindowMessageType::kClose, WindowMessageType::kQuit}));
    EXPECT_EQ(window_->ExitCode(), 0);
}

TEST_F(HeadlessWindow, HandledCloseKeepsTheWindowRunning) {
    window_->Post(Of(WindowMessageType::kClose));

    EXPECT_TRUE(window_->PumpMessages());
    EXPECT_EQ(SeenTypes(), (std::vector<WindowMessageType>{WindowMessageType::kClose}));
}

TEST(Window, CloseWithoutAProcedureQuits) {
    const std::unique_ptr<Window> window = Window::CreateHeadless("", 320, 200, false);
    WindowMessage close;
    close.type = WindowMessageType::kClose;
    window->Post(close);
    EXPECT_FALSE(window->PumpMessages());
}

TEST_F(HeadlessWindow, MessagesPostedWhileHandlingAreHandledInTheSamePump) {
    window_->SetProcedure([this](Window& window, const WindowMessage& message) {
        seen_.push_back(message);
        if (message.type == WindowMessageType::kKeyDown) window.Post(Of(WindowMessageType::kCharacter));
        return true;
    });
    window_->Post(Key(WindowMessageType::kKeyDown, 0x1E));
    window_->Post(Key(WindowMessageType::kKeyUp, 0x1E));

    EXPECT_TRUE(window_->PumpMessages());
    EXPECT_EQ(SeenTypes(), (std::vector<WindowMessageType>{WindowMessageType::kKeyDown, WindowMessageType::kKeyUp,
                                                           WindowMessageType::kCharacter}));
}

TEST_F(HeadlessWindow, ReplacedProcedureIsReturnedAndCanBeChained) {
    int outerCalls = 0;
    Window::Procedure inner = window_->SetProcedure(nullptr);
    window_->SetProcedure([&outerCalls, inner](Window& window, const WindowMessage& message) {
        ++outerCalls;
        return inner(window, message);
    });
    window_->Post(Of(WindowMessageType::kPaint));

    window_->PumpMessages();
    EXPECT_EQ(outerCalls, 1);
    EXPECT_EQ(seen_.size(), 1u);
}

TEST_F(HeadlessWindow, ProcedureMayReplaceItselfWhileRunning) {
    int laterCalls = 0;
    window_->SetProcedure([&laterCalls](Window& window, const WindowMessage&) {
        window.SetProcedure([&laterCalls](Window&, const WindowMessage&) {
            ++laterCalls;
            return true;
        });
        return true;
    });
    window_->Post(Of(WindowMessageType::kPaint));
    window_->Post(Of(WindowMessageType::kPaint));

    window_->PumpMessages();
    EXPECT_EQ(laterCalls, 1);
}

TEST_F(HeadlessWindow, FocusMessagesSetTheActiveStateBeforeTheProcedureRuns) {
    bool activeWhenToldOfLoss = true;
    window_->SetProcedure([&activeWhenToldOfLoss](Window& window, const WindowMessage& message) {
        if (message.type == WindowMessageType::kDeactivate) activeWhenToldOfLoss = window.Active();
        return true;
    });
    window_->Post(Of(WindowMessageType::kDeactivate));
    window_->PumpMessages();
    EXPECT_FALSE(activeWhenToldOfLoss);
    EXPECT_FALSE(window_->Active());

    window_->Post(Of(WindowMessageType::kActivate));
    window_->PumpMessages();
    EXPECT_TRUE(window_->Active());
}

TEST(Window, CursorIsVisibleWhileTheDisplayCountIsZeroOrMore) {
    const std::unique_ptr<Window> window = Window::CreateHeadless("", 640, 480, false);
    EXPECT_EQ(window->CursorCount(), 0);
    EXPECT_TRUE(window->CursorVisible());

    EXPECT_EQ(window->ShowCursor(false), -1);
    EXPECT_FALSE(window->CursorVisible());
    EXPECT_EQ(window->ShowCursor(false), -2);
    // One show is not enough after two hides.
    EXPECT_EQ(window->ShowCursor(true), -1);
    EXPECT_FALSE(window->CursorVisible());
    EXPECT_EQ(window->ShowCursor(true), 0);
    EXPECT_TRUE(window->CursorVisible());
    EXPECT_EQ(window->ShowCursor(true), 1);
    EXPECT_EQ(window->ShowCursor(false), 0);
    EXPECT_TRUE(window->CursorVisible());
}

TEST(Window, DestroyedWindowStillPumpsWhatIsPosted) {
    const std::unique_ptr<Window> window = Window::CreateHeadless("", 640, 480, false);
    window->Destroy();
    EXPECT_TRUE(window->Destroyed());
    window->PostQuit(1);
    EXPECT_FALSE(window->PumpMessages());
    EXPECT_EQ(window->ExitCode(), 1);
}

TEST(Window, SizeAndFullScreenFollowTheirSetters) {
    const std::unique_ptr<Window> window = Window::CreateHeadless("", 640, 480, false);
    window->Resize(800, 600);
    window->SetFullScreen(true);
    EXPECT_EQ(window->Width(), 800);
    EXPECT_EQ(window->Height(), 600);
    EXPECT_TRUE(window->FullScreen());
}

TEST(WindowMessage, KeyCodeMarksExtendedKeysWithTheHighBit) {
    EXPECT_EQ(Key(WindowMessageType::kKeyDown, 0x1D).KeyCode(), 29u);           // left Ctrl
    EXPECT_EQ(Key(WindowMessageType::kKeyDown, 0x1D, true).KeyCode(), 157u);    // right Ctrl
    EXPECT_EQ(Key(WindowMessageType::kKeyDown, 0x48, true).KeyCode(), 200u);    // arrow up
    EXPECT_EQ(Key(WindowMessageType::kKeyDown, 0x1C, true).KeyCode(), 156u);    // keypad Enter
}

}  // namespace
