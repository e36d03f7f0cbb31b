// Smoke tests of the SDL side of the window and the presenter, on SDL's
// "dummy" video driver: it makes windows and software renderers without a
// display, so these run where there is none.
#include "platform/SdlPresenter.h"

#include <SDL2/SDL.h>
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <vector>

#include "platform/MessageBox.h"
#include "platform/PixelLayout.h"
#include "platform/SdlVideo.h"
#include "platform/VideoBackend.h"
#include "platform/Window.h"
#include "tests/support/GoldenImage.h"
#include "tests/support/ScopedEnvironment.h"
#include "tests/support/TempDir.h"

namespace {

using platform::SdlPresenter;
using platform::VideoBackend;
using platform::VideoBackendKind;
using platform::Window;
using platform::WindowMessage;
using platform::WindowMessageType;

// The frame as the window shows it, 0xRRGGBB.
struct Shot {
    std::vector<uint32_t> rgb;
    int32_t width = 0;
    int32_t height = 0;

    uint32_t At(int32_t x, int32_t y) const { return rgb[size_t(y) * size_t(width) + size_t(x)]; }
};

class DummyVideo : public ::testing::Test {
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
            return false;
        });
        return window;
    }

    static Shot Capture(const SdlPresenter& presenter) {
        Shot shot;
        EXPECT_TRUE(presenter.Capture(&shot.rgb, &shot.width, &shot.height));
        return shot;
    }

    static void Push(SDL_Event event) { ASSERT_EQ(SDL_PushEvent(&event), 1) << SDL_GetError(); }

    static SDL_Event WindowEvent(Uint8 what) {
        SDL_Event event{};
        event.type = SDL_WINDOWEVENT;
        event.window.event = what;
        event.window.windowID = platform::SdlVideo::WindowId();
        return event;
    }

    static SDL_Event KeyEvent(Uint32 type, SDL_Scancode code) {
        SDL_Event event{};
        event.type = type;
        event.key.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
        event.key.keysym.scancode = code;
        event.key.windowID = platform::SdlVideo::WindowId();
        return event;
    }

    std::vector<WindowMessageType> SeenTypes() const {
        std::vector<WindowMessageType> types;
        for (const WindowMessage& message : seen_) types.push_back(message.type);
        return types;
    }

    ScopedEnvironment driver_{"SDL_VIDEODRIVER", "dummy"};
    std::vector<WindowMessage> seen_;
};

TEST_F(DummyVideo, RunsSdlWhenTheDriverIsAskedForByName) {
    EXPECT_EQ(VideoBackend::Kind(), VideoBackendKind::kSdl);
    EXPECT_EQ(VideoBackend::Description(), "SDL2 video (dummy)");
    const std::unique_ptr<Window> window = Window::Create("Vorn Tessel", 64, 48, false);
    EXPECT_FALSE(window->Headless());
}

TEST(VideoBackend, StaysHeadlessWhenNoDriverAnswers) {
    ScopedEnvironment driver("SDL_VIDEODRIVER", "vorn-no-such-driver");
    EXPECT_EQ(VideoBackend::Start(true), VideoBackendKind::kHeadless);
    EXPECT_EQ(VideoBackend::Kind(), VideoBackendKind::kHeadless);
    EXPECT_EQ(VideoBackend::Description().rfind("headless (no display: ", 0), 0u) << VideoBackend::Description();
    EXPECT_TRUE(Window::Create("Vorn Tessel", 64, 48, false)->Headless());
}

TEST(VideoBackend, StaysHeadlessWhenNoWindowIsWanted) {
    ScopedEnvironment driver("SDL_VIDEODRIVER", "dummy");
    EXPECT_EQ(VideoBackend::Start(false), VideoBackendKind::kHeadless);
    EXPECT_EQ(VideoBackend::Description(), "headless (no window asked for)");
}

TEST_F(DummyVideo, StopGoesBackToHeadless) {
    VideoBackend::Stop();
    EXPECT_EQ(VideoBackend::Kind(), VideoBackendKind::kHeadless);
    EXPECT_TRUE(Window::Create("Vorn Tessel", 64, 48, false)->Headless());
}

TEST_F(DummyVideo, IndexedFramesShowThroughTheirPalette) {
    const std::unique_ptr<Window> window = OpenWindow(4, 2);
    SdlPresenter presenter;
    DisplayPalette palette;
    palette.entries[1] = {255, 0, 0, 0};
    palette.entries[2] = {0, 128, 255, 0};
    palette.entries[200] = {10, 20, 30, 0};
    const uint8_t pixels[] = {0, 1, 2, 200, 200, 2, 1, 0};

    presenter.Present(pixels, 4, 2, 4, platform::kLayoutIndexed8, &palette);

    EXPECT_EQ(presenter.FrameCount(), 1);
    const Shot shot = Capture(presenter);
    ASSERT_EQ(shot.width, 4);
    ASSERT_EQ(shot.height, 2);
    EXPECT_EQ(shot.At(0, 0), 0x000000u);
    EXPECT_EQ(shot.At(1, 0), 0xFF0000u);
    EXPECT_EQ(shot.At(2, 0), 0x0080FFu);
    EXPECT_EQ(shot.At(3, 0), 0x0A141Eu);
    EXPECT_EQ(shot.At(0, 1), 0x0A141Eu);
    EXPECT_EQ(shot.At(3, 1), 0x000000u);
}

TEST_F(DummyVideo, IndexedFrameWithoutAPaletteKeepsTheCurrentOne) {
    const std::unique_ptr<Window> window = OpenWindow(2, 1);
    SdlPresenter presenter;
    DisplayPalette palette;
    palette.entries[7] = {1, 2, 3, 0};
    const uint8_t first[] = {0, 0};
    presenter.Present(first, 2, 1, 2, platform::kLayoutIndexed8, &palette);

    const uint8_t second[] = {7, 0};
    presenter.Present(second, 2, 1, 2, platform::kLayoutIndexed8, nullptr);

    EXPECT_EQ(Capture(presenter).At(0, 0), 0x010203u);
}

TEST_F(DummyVideo, FramesOf555AreWidenedToFullIntensity) {
    const std::unique_ptr<Window> window = OpenWindow(4, 1);
    SdlPresenter presenter;
    // Red, green, blue at full, and red 16 of 31 with blue 1.
    const uint16_t pixels[] = {0x7C00, 0x03E0, 0x001F, 0x4001};

    presenter.Present(reinterpret_cast<const uint8_t*>(pixels), 4, 1, 8, platform::kLayoutRgb555, nullptr);

    const Shot shot = Capture(presenter);
    EXPECT_EQ(shot.At(0, 0), 0xFF0000u);
    EXPECT_EQ(shot.At(1, 0), 0x00FF00u);
    EXPECT_EQ(shot.At(2, 0), 0x0000FFu);
    EXPECT_EQ(shot.At(3, 0), 0x840008u);
}

TEST_F(DummyVideo, FramesOf565UseTheSixBitGreen) {
    const std::unique_ptr<Window> window = OpenWindow(3, 1);
    SdlPresenter presenter;
    // Green at full, green 1 of 63 (which 5-5-5 would read as blue), white.
    const uint16_t pixels[] = {0x07E0, 0x0020, 0xFFFF};

    presenter.Present(reinterpret_cast<const uint8_t*>(pixels), 3, 1, 6, platform::kLayoutRgb565, nullptr);

    const Shot shot = Capture(presenter);
    EXPECT_EQ(shot.At(0, 0), 0x00FF00u);
    EXPECT_EQ(shot.At(1, 0), 0x000400u);
    EXPECT_EQ(shot.At(2, 0), 0xFFFFFFu);
}

TEST_F(DummyVideo, RowsAreTakenPitchBytesApart) {
    const std::unique_ptr<Window> window = OpenWindow(2, 2);
    SdlPresenter presenter;
    DisplayPalette palette;
    palette.entries[1] = {255, 255, 255, 0};
    palette.entries[9] = {255, 0, 0, 0};   // only in the padding
    const uint8_t pixels[] = {1, 0, 9, 9, 0, 1, 9, 9};

    presenter.Present(pixels, 2, 2, 4, platform::kLayoutIndexed8, &palette);

    const Shot shot = Capture(presenter);
    EXPECT_EQ(shot.At(0, 0), 0xFFFFFFu);
    EXPECT_EQ(shot.At(1, 0), 0x000000u);
    EXPECT_EQ(shot.At(0, 1), 0x000000u);
    EXPECT_EQ(shot.At(1, 1), 0xFFFFFFu);
}

TEST_F(DummyVideo, PresenterOpensTheWindowWhenNoneIsOpenAndFollowsTheFrameSize) {
    SdlPresenter presenter;
    std::vector<uint8_t> small(16 * 8, 0);
    presenter.Present(small.data(), 16, 8, 16, platform::kLayoutIndexed8, nullptr);
    Shot shot = Capture(presenter);
    EXPECT_EQ(shot.width, 16);
    EXPECT_EQ(shot.height, 8);

    std::vector<uint8_t> large(32 * 24, 0);
    presenter.Present(large.data(), 32, 24, 32, platform::kLayoutIndexed8, nullptr);
    shot = Capture(presenter);
    EXPECT_EQ(shot.width, 32);
    EXPECT_EQ(shot.height, 24);
}

// A screenshot is the window as the player sees it.
TEST_F(DummyVideo, AScreenshotIsTheFrameTheWindowShows) {
    SdlPresenter presenter;
    TempDir folder;
    const std::string path = folder.Str() + "/shot.png";
    EXPECT_FALSE(presenter.WriteImage(path)) << "no window yet";
    const std::unique_ptr<Window> window = OpenWindow(3, 2);
    DisplayPalette palette;
    palette.entries[1] = {255, 0, 0, 0};
    palette.entries[2] = {0, 0, 255, 0};
    const uint8_t pixels[] = {1, 2, 0, 0, 1, 2};
    presenter.Present(pixels, 3, 2, 3, platform::kLayoutIndexed8, &palette);

    ASSERT_TRUE(presenter.WriteImage(path));
    RgbImage read;
    ASSERT_TRUE(ReadStoredPng(path, &read));
    ASSERT_EQ(read.width, 3);
    ASSERT_EQ(read.height, 2);
    EXPECT_EQ(read.rgb, (std::vector<uint8_t>{255, 0, 0, 0, 0, 255, 0, 0, 0, 0, 0, 0, 255, 0, 0, 0, 0, 255}));
    EXPECT_FALSE(presenter.WriteImage(folder.Str() + "/none/shot.png"));
}

TEST_F(DummyVideo, FullScreenFrameIsScaledWithItsShapeKept) {
    const std::unique_ptr<Window> window = OpenWindow(4, 2);
    window->SetFullScreen(true);
    SdlPresenter presenter;
    DisplayPalette palette;
    palette.entries[1] = {0, 255, 0, 0};
    const uint8_t pixels[] = {1, 1, 1, 1, 1, 1, 1, 1};

    presenter.Present(pixels, 4, 2, 4, platform::kLayoutIndexed8, &palette);

    const Shot shot = Capture(presenter);
    ASSERT_GT(shot.width, 4);
    EXPECT_EQ(shot.At(shot.width / 2, shot.height / 2), 0x00FF00u);
    // A 2:1 frame on a screen that is not as wide leaves bars above and below.
    ASSERT_LT(shot.width, 2 * shot.height);
    EXPECT_EQ(shot.At(shot.width / 2, 0), 0x000000u);
    EXPECT_EQ(shot.At(shot.width / 2, shot.height - 1), 0x000000u);
}

TEST_F(DummyVideo, CloseOfTheWindowBecomesTheQuitMessage) {
    const std::unique_ptr<Window> window = OpenWindow(8, 8);
    Push(WindowEvent(SDL_WINDOWEVENT_CLOSE));
    SDL_Event quit{};
    quit.type = SDL_QUIT;
    Push(quit);

    EXPECT_FALSE(window->PumpMessages());
    EXPECT_EQ(SeenTypes(), (std::vector<WindowMessageType>{WindowMessageType::kClose, WindowMessageType::kQuit}));
}

TEST_F(DummyVideo, FocusChangesActivateAndDeactivate) {
    const std::unique_ptr<Window> window = OpenWindow(8, 8);
    Push(WindowEvent(SDL_WINDOWEVENT_FOCUS_LOST));
    window->PumpMessages();
    EXPECT_FALSE(window->Active());

    Push(WindowEvent(SDL_WINDOWEVENT_FOCUS_GAINED));
    Push(WindowEvent(SDL_WINDOWEVENT_EXPOSED));
    EXPECT_TRUE(window->PumpMessages());
    EXPECT_TRUE(window->Active());
    EXPECT_EQ(SeenTypes(), (std::vector<WindowMessageType>{WindowMessageType::kDeactivate,
                                                           WindowMessageType::kActivate, WindowMessageType::kPaint}));
}

TEST_F(DummyVideo, KeysArriveAsPcScanCodes) {
    const std::unique_ptr<Window> window = OpenWindow(8, 8);
    Push(KeyEvent(SDL_KEYDOWN, SDL_SCANCODE_A));
    Push(KeyEvent(SDL_KEYUP, SDL_SCANCODE_A));
    Push(KeyEvent(SDL_KEYDOWN, SDL_SCANCODE_RCTRL));
    Push(KeyEvent(SDL_KEYDOWN, SDL_SCANCODE_UP));
    Push(KeyEvent(SDL_KEYDOWN, SDL_SCANCODE_F12));
    Push(KeyEvent(SDL_KEYDOWN, SDL_SCANCODE_LALT));

    window->PumpMessages();

    ASSERT_EQ(seen_.size(), 6u);
    EXPECT_EQ(seen_[0].type, WindowMessageType::kKeyDown);
    EXPECT_EQ(seen_[0].scanCode, 0x1E);
    EXPECT_FALSE(seen_[0].extended);
    EXPECT_EQ(seen_[1].type, WindowMessageType::kKeyUp);
    EXPECT_EQ(seen_[1].KeyCode(), 0x1Eu);
    EXPECT_EQ(seen_[2].KeyCode(), 157u);
    EXPECT_EQ(seen_[3].KeyCode(), 200u);
    EXPECT_EQ(seen_[4].KeyCode(), 88u);
    EXPECT_EQ(seen_[5].type, WindowMessageType::kSystemKeyDown);
    EXPECT_EQ(seen_[5].KeyCode(), 56u);
}

TEST_F(DummyVideo, EditingKeysAlsoTypeTheirControlCharacters) {
    const std::unique_ptr<Window> window = OpenWindow(8, 8);
    Push(KeyEvent(SDL_KEYDOWN, SDL_SCANCODE_BACKSPACE));
    Push(KeyEvent(SDL_KEYDOWN, SDL_SCANCODE_KP_ENTER));
    Push(KeyEvent(SDL_KEYUP, SDL_SCANCODE_KP_ENTER));
    Push(KeyEvent(SDL_KEYDOWN, SDL_SCANCODE_TAB));
    Push(KeyEvent(SDL_KEYDOWN, SDL_SCANCODE_ESCAPE));
    Push(KeyEvent(SDL_KEYDOWN, SDL_SCANCODE_RETURN));

    window->PumpMessages();

    ASSERT_EQ(SeenTypes(), (std::vector<WindowMessageType>{WindowMessageType::kKeyDown, WindowMessageType::kCharacter,
                                                           WindowMessageType::kKeyDown, WindowMessageType::kCharacter,
                                                           WindowMessageType::kKeyUp,
                                                           WindowMessageType::kKeyDown, WindowMessageType::kCharacter,
                                                           WindowMessageType::kKeyDown, WindowMessageType::kCharacter,
                                                           WindowMessageType::kKeyDown, WindowMessageType::kCharacter}));
    EXPECT_EQ(seen_[1].character, 8u);
    EXPECT_EQ(seen_[2].KeyCode(), 156u);
    EXPECT_EQ(seen_[3].character, 13u);
    EXPECT_EQ(seen_[5].KeyCode(), 0x0Fu);
    EXPECT_EQ(seen_[6].character, 9u);
    EXPECT_EQ(seen_[7].KeyCode(), 0x01u);
    EXPECT_EQ(seen_[8].character, 27u);
    EXPECT_EQ(seen_[9].KeyCode(), 0x1Cu);
    EXPECT_EQ(seen_[10].character, 13u);
}

TEST_F(DummyVideo, TypedTextArrivesAsCharacters) {
    const std::unique_ptr<Window> window = OpenWindow(8, 8);
    SDL_Event text{};
    text.type = SDL_TEXTINPUT;
    std::strcpy(text.text.text, "a\xC3\xA9");   // "a", then e with an acute accent
    Push(text);

    window->PumpMessages();

    ASSERT_EQ(seen_.size(), 2u);
    EXPECT_EQ(seen_[0].type, WindowMessageType::kCharacter);
    EXPECT_EQ(seen_[0].character, uint32_t('a'));
    EXPECT_EQ(seen_[1].character, 0xE9u);
}

TEST_F(DummyVideo, LongAndBrokenTextIsDecodedCharacterByCharacter) {
    const std::unique_ptr<Window> window = OpenWindow(8, 8);
    SDL_Event text{};
    text.type = SDL_TEXTINPUT;
    // The euro sign, a character beyond the first 64K, a stray continuation
    // byte, a lead byte cut short by a plain letter, and a byte no UTF-8 has.
    std::strcpy(text.text.text, "\xE2\x82\xAC\xF0\x9F\x9A\x80\x80\xC3Z\xF8");
    Push(text);

    window->PumpMessages();

    std::vector<uint32_t> characters;
    for (const WindowMessage& message : seen_) {
        EXPECT_EQ(message.type, WindowMessageType::kCharacter);
        characters.push_back(message.character);
    }
    EXPECT_EQ(characters, (std::vector<uint32_t>{0x20AC, 0x1F680, 0xFFFD, 0xFFFD, uint32_t('Z'), 0xFFFD}));
}

TEST_F(DummyVideo, MouseButtonsArriveNumberedAtFramePixels) {
    const std::unique_ptr<Window> window = OpenWindow(8, 4);
    SdlPresenter presenter;
    std::vector<uint8_t> frame(8 * 4, 0);
    presenter.Present(frame.data(), 8, 4, 8, platform::kLayoutIndexed8, nullptr);
    SDL_Event press{};
    press.type = SDL_MOUSEBUTTONDOWN;
    press.button.button = SDL_BUTTON_RIGHT;
    press.button.state = SDL_PRESSED;
    press.button.x = 3;
    press.button.y = 2;
    Push(press);
    SDL_Event move{};
    move.type = SDL_MOUSEMOTION;
    move.motion.x = 100;   // beyond the frame: held to its edge
    move.motion.y = 1;
    move.motion.state = SDL_BUTTON_LMASK;
    Push(move);

    window->PumpMessages();

    ASSERT_EQ(seen_.size(), 2u);
    EXPECT_EQ(seen_[0].type, WindowMessageType::kMouseButtonDown);
    EXPECT_EQ(seen_[0].button, platform::kMouseButtonRight);
    EXPECT_EQ(seen_[0].x, 3);
    EXPECT_EQ(seen_[0].y, 2);
    EXPECT_EQ(seen_[1].type, WindowMessageType::kMouseMove);
    EXPECT_EQ(seen_[1].x, 7);
    EXPECT_EQ(seen_[1].y, 1);
    EXPECT_EQ(seen_[1].buttons, platform::MouseButtonBit(platform::kMouseButtonLeft));
}

TEST_F(DummyVideo, CursorCountShowsAndHidesTheSystemCursor) {
    const std::unique_ptr<Window> window = OpenWindow(8, 8);
    EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), SDL_ENABLE);
    window->ShowCursor(false);
    EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), SDL_DISABLE);
    window->ShowCursor(false);
    window->ShowCursor(true);
    EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), SDL_DISABLE);
    window->ShowCursor(true);
    EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), SDL_ENABLE);
}

TEST_F(DummyVideo, MessageBoxesBelongToTheWindowWhileItIsOpen) {
    std::unique_ptr<Window> window = OpenWindow(8, 8);
    platform::MessageBox& box = platform::MessageBox::Current();
    EXPECT_NE(&box, &platform::StandardErrorMessageBox());
    // A driver that shows nothing cannot ask anyone: the box answers as the
    // standard-error box does.
    EXPECT_EQ(box.Show("Another instance of this application has been detected, and only one instance may be "
                       "active at a time.",
                       "Initialization", platform::kMessageBoxOkCancel),
              platform::MessageBoxAnswer::kCancel);

    window.reset();
    EXPECT_EQ(&platform::MessageBox::Current(), &platform::StandardErrorMessageBox());
}

}  // namespace
