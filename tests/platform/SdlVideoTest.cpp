// The shared SDL window as the main window and the presenter hold it, on
// SDL's "dummy" video driver, and the ways SDL's video fails to start.
#include "platform/SdlVideo.h"

#include <SDL2/SDL.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/PixelLayout.h"
#include "platform/QueuedInput.h"
#include "platform/SdlPresenter.h"
#include "platform/SdlWindowBackend.h"
#include "platform/VideoBackend.h"
#include "platform/Window.h"
#include "tests/support/ScopedEnvironment.h"

namespace {

using platform::SdlPresenter;
using platform::SdlVideo;
using platform::VideoBackend;
using platform::VideoBackendKind;
using platform::Window;
using platform::WindowMessage;
using platform::WindowMessageType;

TEST(SdlVideoStart, WithoutADisplayOrADriverAskedForItStaysHeadlessAndSaysWhy) {
    const ScopedEnvironment driver("SDL_VIDEODRIVER", nullptr);
    const ScopedEnvironment display("DISPLAY", nullptr);
    const ScopedEnvironment wayland("WAYLAND_DISPLAY", nullptr);
    EXPECT_EQ(VideoBackend::Start(true), VideoBackendKind::kHeadless);
    EXPECT_EQ(VideoBackend::Description(), "headless (no display: DISPLAY and WAYLAND_DISPLAY are unset)");
    EXPECT_TRUE(Window::Create("Vorn Tessel", 64, 48, false)->Headless());
}

// A display named but not there: SDL falls back to a driver that shows
// nothing, which the game must not take for a window. (A missing Wayland
// display: on the X path SDL leaves D-Bus memory the leak checker reports.)
TEST(SdlVideoStart, ADisplayThatDoesNotAnswerIsNoWindow) {
    const ScopedEnvironment driver("SDL_VIDEODRIVER", nullptr);
    const ScopedEnvironment display("DISPLAY", nullptr);
    const ScopedEnvironment wayland("WAYLAND_DISPLAY", "vorn-no-such-display");
    EXPECT_EQ(VideoBackend::Start(true), VideoBackendKind::kHeadless);
    const std::string said = VideoBackend::Description();
    // Either no driver answers at all, or only one that shows nothing does.
    EXPECT_EQ(said.rfind("headless (no display: ", 0), 0u) << said;
    EXPECT_FALSE(SdlVideo::Started());
    EXPECT_EQ(SDL_WasInit(SDL_INIT_VIDEO), 0u);
}

TEST(SdlVideoStart, NoWindowIsHeldBeforeVideoStarts) {
    std::string reason;
    EXPECT_FALSE(SdlVideo::HoldWindow("Vorn Tessel", 64, 48, false, &reason));
    EXPECT_EQ(reason, "SDL video is not started");
    reason.clear();
    EXPECT_EQ(platform::OpenSdlWindowBackend("Vorn Tessel", 64, 48, false, &reason), nullptr);
    EXPECT_EQ(reason, "SDL video is not started");
}

class SdlWindow : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(VideoBackend::Start(true), VideoBackendKind::kSdl) << VideoBackend::Description(); }
    void TearDown() override { VideoBackend::Stop(); }

    // A window whose procedure records every message, with the messages of
    // its opening already taken.
    std::unique_ptr<Window> OpenWindow(int32_t width, int32_t height) {
        std::unique_ptr<Window> window = Window::Create("Vorn Tessel", width, height, false);
        window->PumpMessages();
        window->SetProcedure([this](Window&, const WindowMessage& message) {
            seen_.push_back(message);
            return true;
        });
        return window;
    }
    static void Show(SdlPresenter* presenter, int32_t width, int32_t height) {
        const std::vector<uint8_t> frame(size_t(width) * size_t(height), 0);
        presenter->Present(frame.data(), width, height, width, platform::kLayoutIndexed8, nullptr);
    }
    static std::pair<int, int> WindowSize() {
        int width = 0;
        int height = 0;
        SDL_GetWindowSize(SdlVideo::NativeWindow(), &width, &height);
        return {width, height};
    }

    ScopedEnvironment driver_{"SDL_VIDEODRIVER", "dummy"};
    std::vector<WindowMessage> seen_;
};

// The presenter may open the window before the game makes its main window:
// the main window then takes it over with its own title and size.
TEST_F(SdlWindow, TheMainWindowTakesOverAWindowThePresenterOpened) {
    SdlPresenter presenter;
    Show(&presenter, 16, 8);
    SDL_Window* const opened = SdlVideo::NativeWindow();
    ASSERT_NE(opened, nullptr);
    EXPECT_EQ(WindowSize(), std::make_pair(16, 8));

    std::unique_ptr<Window> window = Window::Create("Vorn Tessel", 64, 48, false);
    ASSERT_FALSE(window->Headless());
    EXPECT_EQ(SdlVideo::NativeWindow(), opened);
    EXPECT_STREQ(SDL_GetWindowTitle(opened), "Vorn Tessel");
    EXPECT_EQ(WindowSize(), std::make_pair(64, 48));

    window->Resize(80, 60);
    EXPECT_EQ(WindowSize(), std::make_pair(80, 60));
    window->Resize(0, 60);   // no such size: kept
    EXPECT_EQ(WindowSize(), std::make_pair(80, 60));

    // The window stays while either holds it.
    window.reset();
    EXPECT_EQ(SdlVideo::NativeWindow(), opened);
}

// A frame taller than the screen is wide for it is shown as large as fits,
// with black bars left and right.
TEST_F(SdlWindow, ATallFrameInFullScreenHasBarsLeftAndRight) {
    const std::unique_ptr<Window> window = OpenWindow(2, 4);
    window->SetFullScreen(true);
    EXPECT_TRUE(SdlVideo::FullScreen());
    SdlPresenter presenter;
    DisplayPalette palette;
    palette.entries[1] = {0, 0, 255, 0};
    const std::vector<uint8_t> pixels(8, 1);
    presenter.Present(pixels.data(), 2, 4, 2, platform::kLayoutIndexed8, &palette);

    std::vector<uint32_t> rgb;
    int32_t width = 0;
    int32_t height = 0;
    ASSERT_TRUE(presenter.Capture(&rgb, &width, &height));
    ASSERT_GT(width, height / 2);
    const auto at = [&](int32_t x, int32_t y) { return rgb[size_t(y) * size_t(width) + size_t(x)]; };
    EXPECT_EQ(at(width / 2, height / 2), 0x0000FFu);
    EXPECT_EQ(at(width / 2, 0), 0x0000FFu);   // the frame fills the height
    EXPECT_EQ(at(0, height / 2), 0x000000u);
    EXPECT_EQ(at(width - 1, height / 2), 0x000000u);

    window->SetFullScreen(false);
    EXPECT_FALSE(SdlVideo::FullScreen());
}

// The game moves the pointer in frame pixels; the window gets it where that
// pixel is shown, and reports it back in frame pixels.
TEST_F(SdlWindow, ThePointerIsMovedToAFramePixel) {
    const std::unique_ptr<Window> window = OpenWindow(8, 4);
    SdlPresenter presenter;
    Show(&presenter, 8, 4);
    window->Resize(16, 8);   // every frame pixel two window pixels wide
    ASSERT_TRUE(platform::SystemInput().OpenInput(window.get()));
    platform::SystemInput().SetCursorPosition(3, 2);
    int x = 0;
    int y = 0;
    SDL_PumpEvents();
    SDL_GetMouseState(&x, &y);
    EXPECT_EQ(x, 6);
    EXPECT_EQ(y, 4);
    window->PumpMessages();
    platform::SystemInput().CloseInput();
    ASSERT_FALSE(seen_.empty());
    EXPECT_EQ(seen_.back().type, WindowMessageType::kMouseMove);
    EXPECT_EQ(seen_.back().x, 3);
    EXPECT_EQ(seen_.back().y, 2);
}

// The window system's own changes of the window ask nothing of the game; a
// window minimized when it lost the focus comes back with the focus.
TEST_F(SdlWindow, ASizeChangeIsTheWindowsOwnAndTheFocusBringsAMinimizedWindowBack) {
    const std::unique_ptr<Window> window = OpenWindow(8, 8);
    window->SetFullScreen(true);
    const auto push = [](Uint8 what) {
        SDL_Event event{};
        event.type = SDL_WINDOWEVENT;
        event.window.event = what;
        event.window.windowID = SdlVideo::WindowId();
        ASSERT_EQ(SDL_PushEvent(&event), 1);
    };
    push(SDL_WINDOWEVENT_SIZE_CHANGED);
    EXPECT_TRUE(window->PumpMessages());
    EXPECT_TRUE(seen_.empty());

    push(SDL_WINDOWEVENT_FOCUS_LOST);
    window->PumpMessages();
    window->Minimize();
    EXPECT_TRUE(window->Minimized());
    push(SDL_WINDOWEVENT_FOCUS_GAINED);
    window->PumpMessages();
    EXPECT_FALSE(window->Minimized());
    EXPECT_TRUE(window->Active());
    ASSERT_EQ(seen_.size(), 2u);
    EXPECT_EQ(seen_[1].type, WindowMessageType::kActivate);
}

}  // namespace
