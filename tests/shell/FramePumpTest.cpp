#include "shell/FramePump.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "canvas/SurfaceCanvas16.h"
#include "display/DirectDrawDriver.h"
#include "display/Palette.h"
#include "display/PixelFormat.h"
#include "game/SoftCursor.h"
#include "platform/Clock.h"
#include "platform/Window.h"
#include "shell/RunTrace.h"
#include "tests/support/GoldenImage.h"
#include "tests/support/ScopedDisplay.h"
#include "tests/support/ScriptedInput.h"
#include "tests/support/TempDir.h"
#include "tools/mkdata/CursorData.h"

namespace {

using platform::WindowMessage;
using platform::WindowMessageType;

// What the window's procedure saw, message by message, and in which pass.
struct Seen {
    int32_t pass;
    WindowMessage message;
};

class FramePumpTest : public ::testing::Test {
protected:
    void SetUp() override {
        palette_.reset(Palette::Create(kPixelFormatRgb565));
        ASSERT_NE(palette_, nullptr);
        ASSERT_EQ(driver_.SetMode(640, 480, 16, palette_.get(), 0), kDisplayOk);
        ASSERT_TRUE(input_.OpenInput(window_.get()));
        window_->SetProcedure([this](platform::Window&, const WindowMessage& message) {
            seen_.push_back({FramePump::Current() != nullptr ? FramePump::Current()->Passes() : -1, message});
            return false;
        });
    }
    void TearDown() override { input_.CloseInput(); }

    std::unique_ptr<FramePump> Pump(const std::string& text, std::vector<LaunchOptions::Shot> shots = {}) {
        Script script;
        std::string error;
        EXPECT_TRUE(script.Parse(text, &error)) << error;
        return std::make_unique<FramePump>(*window_, driver_, nullptr, &input_, std::move(script), std::move(shots));
    }
    std::vector<Seen> SeenIn(int32_t pass) const {
        std::vector<Seen> in;
        for (const Seen& seen : seen_) {
            if (seen.pass == pass) in.push_back(seen);
        }
        return in;
    }

    ScopedDisplay display_;
    std::unique_ptr<Palette> palette_;
    std::unique_ptr<platform::Window> window_ = platform::Window::CreateHeadless("pump", 640, 480, false);
    DirectDrawDriver driver_{window_.get()};
    ScriptedInput input_;
    std::vector<Seen> seen_;
};

TEST_F(FramePumpTest, EventsArriveAtTheirPassesAsAWindowSendsThem) {
    const auto pump = Pump("at 2 key A\n"
                           "at 4 press Up\n"
                           "at 4 type hi\n"
                           "at 6 release Up\n"
                           "at 6 key F10\n");
    for (int32_t pass = 1; pass <= 6; ++pass) EXPECT_EQ(PumpMessages(), 1);
    using T = WindowMessageType;
    // A key is down, its character, up; F10 is a system key.
    const std::vector<std::vector<T>> expected = {
        {}, {T::kKeyDown, T::kCharacter, T::kKeyUp}, {}, {T::kKeyDown, T::kCharacter, T::kCharacter},
        {}, {T::kKeyUp, T::kSystemKeyDown, T::kSystemKeyUp}};
    for (int32_t pass = 1; pass <= 6; ++pass) {
        std::vector<T> types;
        for (const Seen& seen : SeenIn(pass)) types.push_back(seen.message.type);
        EXPECT_EQ(types, expected[pass - 1]) << "pass " << pass;
    }
    EXPECT_EQ(SeenIn(2)[1].message.character, uint32_t('a'));
    EXPECT_EQ(SeenIn(4)[0].message.KeyCode(), 200u) << "the arrow up, an extended key";
    EXPECT_EQ(SeenIn(4)[2].message.character, uint32_t('i'));
}

TEST_F(FramePumpTest, TheInputLayerSeesKeysAndTheMouseAsFromAWindow) {
    auto keyboard = input_.CreateDevice(platform::InputDeviceKind::kKeyboard);
    ASSERT_NE(keyboard, nullptr);
    keyboard->SetDataFormat(platform::InputDeviceKind::kKeyboard);
    keyboard->SetBufferSize(16);
    ASSERT_EQ(keyboard->Acquire(), platform::kInputOk);
    const auto pump = Pump("at 1 press Left\nat 1 click 30 40\nat 2 release Left\nat 2 move 35 20\n");

    EXPECT_EQ(PumpMessages(), 1);
    platform::DeviceEvent events[8];
    uint32_t count = 8;
    ASSERT_EQ(keyboard->GetDeviceData(events, &count), platform::kInputOk);
    ASSERT_EQ(count, 1u) << "held until its release";
    EXPECT_EQ(events[0].data, 0x80u);
    int32_t x = 0, y = 0;
    EXPECT_TRUE(input_.GetCursorPosition(&x, &y));
    EXPECT_EQ(x, 30);
    EXPECT_EQ(y, 40);
    EXPECT_FALSE(input_.IsMouseButtonDown(1)) << "a click lets go again";
    const std::vector<Seen> one = SeenIn(1);
    ASSERT_EQ(one.size(), 4u);
    EXPECT_EQ(one[2].message.type, WindowMessageType::kMouseButtonDown);
    EXPECT_EQ(one[2].message.button, platform::kMouseButtonLeft);

    EXPECT_EQ(PumpMessages(), 1);
    count = 8;
    ASSERT_EQ(keyboard->GetDeviceData(events, &count), platform::kInputOk);
    ASSERT_EQ(count, 1u);
    EXPECT_EQ(events[0].data, 0u);
    EXPECT_TRUE(input_.GetCursorPosition(&x, &y));
    EXPECT_EQ(x, 35);
    EXPECT_EQ(y, 20);
}

TEST_F(FramePumpTest, QuitClosesTheWindowAndTheLoopsSeeTheEnd) {
    const auto pump = Pump("at 2 quit\n");
    EXPECT_EQ(PumpMessages(), 1);
    EXPECT_EQ(PumpMessages(), 0);
    EXPECT_EQ(SeenIn(2).front().message.type, WindowMessageType::kClose) << "as the window's close button";
    EXPECT_EQ(PumpMessages(), 0);
}

TEST_F(FramePumpTest, WithoutAWindowTheClockStepsEachPassAndIsGivenBack) {
    platform::Clock& before = platform::Clock::Current();
    {
        const auto pump = Pump("");
        const uint32_t start = platform::Clock::Current().Milliseconds();
        EXPECT_EQ(PumpMessages(), 1);
        EXPECT_EQ(PumpMessages(), 1);
        EXPECT_EQ(platform::Clock::Current().Milliseconds() - start, 2 * FramePump::kHeadlessStepMs);
        FlipFrame();
        EXPECT_EQ(platform::Clock::Current().Milliseconds() - start, 2 * FramePump::kHeadlessStepMs);
    }
    EXPECT_EQ(&platform::Clock::Current(), &before);
    EXPECT_EQ(FramePump::Current(), nullptr);
}

TEST_F(FramePumpTest, WithoutAWindowTheRunEndsAfterTheLastShotAndEvent) {
    TempDir dir;
    const auto pump = Pump("at 2 key A\n", {{3, dir.Str() + "/three.png"}});
    for (int32_t pass = 1; pass <= 3; ++pass) {
        EXPECT_EQ(PumpMessages(), 1) << pass;
        FlipFrame();
    }
    EXPECT_EQ(PumpMessages(), 0);
    EXPECT_TRUE(window_->QuitRequested());
}

// A tool that writes the script as the run goes (the screen crawler) is
// asked only while the script has nothing left, and what it adds arrives
// exactly as the same lines read from a file would: pass for pass, message
// for message, the run ending after its quit.
TEST_F(FramePumpTest, AFedScriptPlaysAsTheSameLinesReadAsAScript) {
    std::string text = "at 1 move 10 10\n";
    std::vector<int32_t> askedAt;
    FramePump::SetScriptFeed([&](int32_t passes, Script& script) {
        askedAt.push_back(passes);
        const int32_t step = int32_t(askedAt.size());
        const std::string pass = std::to_string(passes + 1 + step % 3);
        text += step < 4 ? "at " + pass + " click " + std::to_string(100 + step) + " 50\nat " + pass + " key A\n"
                         : "at " + pass + " quit\n";
        std::string error;
        ASSERT_TRUE(script.Parse(text, &error)) << error;
    });
    std::vector<std::vector<Seen>> runs;
    // The same lines read as a script, on a window of their own (the first
    // run's window has quit).
    const auto other = platform::Window::CreateHeadless("again", 640, 480, false);
    other->SetProcedure([this](platform::Window&, const WindowMessage& message) {
        seen_.push_back({FramePump::Current() != nullptr ? FramePump::Current()->Passes() : -1, message});
        return false;
    });
    for (const bool fed : {true, false}) {
        seen_.clear();
        {
            Script script;
            std::string error;
            ASSERT_TRUE(script.Parse(fed ? "at 1 move 10 10\n" : text, &error)) << error;
            FramePump pump(fed ? *window_ : *other, driver_, nullptr, nullptr, std::move(script), {});
            int32_t passes = 0;
            while (PumpMessages() != 0 && passes < 100) ++passes;
            EXPECT_LT(passes, 100);
        }
        if (fed) FramePump::SetScriptFeed(nullptr);
        runs.push_back(seen_);
    }
    // Asked after the first line went, then once each step's lines had.
    ASSERT_EQ(askedAt.size(), 4u);
    EXPECT_EQ(askedAt[0], 1);
    ASSERT_EQ(runs[0].size(), runs[1].size());
    ASSERT_FALSE(runs[0].empty());
    for (size_t i = 0; i < runs[0].size(); ++i) {
        EXPECT_EQ(runs[0][i].pass, runs[1][i].pass) << i;
        EXPECT_EQ(runs[0][i].message.type, runs[1][i].message.type) << i;
        EXPECT_EQ(runs[0][i].message.x, runs[1][i].message.x) << i;
    }
    EXPECT_TRUE(std::any_of(runs[0].begin(), runs[0].end(),
                            [](const Seen& seen) { return seen.message.type == WindowMessageType::kClose; }));
}

// Two processes of one game run at their own paces: a script waits for the
// other's line rather than counting on it, and its later lines keep their
// distances from the moment it came; the run does not end while it waits.
TEST_F(FramePumpTest, AWaitHoldsTheScriptUntilTheRunPrintsItsLine) {
    run_trace::Enable();
    const auto pump = Pump("at 2 wait screen HANGAR\n"
                           "at 3 key A\n");
    for (int32_t pass = 1; pass <= 5; ++pass) EXPECT_EQ(PumpMessages(), 1) << pass;
    EXPECT_FALSE(window_->QuitRequested());
    run_trace::Screen("HANGAR");
    EXPECT_EQ(PumpMessages(), 1);
    run_trace::Disable();
    std::vector<int32_t> keyPasses;
    for (const Seen& seen : seen_) {
        if (seen.message.type == WindowMessageType::kKeyDown) keyPasses.push_back(seen.pass);
    }
    EXPECT_EQ(keyPasses, std::vector<int32_t>{6}) << "the pass after the wait's own, as written";
    EXPECT_EQ(PumpMessages(), 0) << "the script over, the run ends";
}

// A wait hears every line printed since the script's step before it was
// delivered: one printed in that step's very pass (what a key brings up at
// once) and one printed in the passes before the wait's own (another
// process's answer come early), but not one printed before that step,
// though after the wait before it. Waits in a row hear the same lines, and
// a wait before any step every line of the run, one printed before the
// script's first pass too.
TEST_F(FramePumpTest, AWaitHearsEveryLineSinceTheStepBeforeIt) {
    run_trace::Enable();
    run_trace::Screen("BASE");
    const auto pump = Pump("at 1 wait screen BASE\n"
                           "at 2 key A\n"
                           "at 5 wait screen HANGAR\n"
                           "at 6 key B\n"
                           "at 9 wait screen HANGAR\n"
                           "at 9 wait screen BASE\n"
                           "at 10 key C\n");
    EXPECT_EQ(PumpMessages(), 1);
    EXPECT_EQ(PumpMessages(), 1);   // pass 2: key A
    run_trace::Screen("HANGAR");
    for (int32_t pass = 3; pass <= 5; ++pass) EXPECT_EQ(PumpMessages(), 1) << pass;
    // The first wait is over: this one comes before key B.
    run_trace::Screen("HANGAR");
    EXPECT_EQ(PumpMessages(), 1);   // pass 6: key B
    EXPECT_EQ(PumpMessages(), 1);
    run_trace::Screen("BASE");
    for (int32_t pass = 8; pass <= 12; ++pass) EXPECT_EQ(PumpMessages(), 1) << pass;
    // Held since pass 9 for a HANGAR printed after key B; the BASE of pass
    // 7 still answers the wait behind it.
    run_trace::Screen("HANGAR");
    EXPECT_EQ(PumpMessages(), 1);   // pass 13: key C
    run_trace::Disable();
    std::vector<int32_t> keyPasses;
    for (const Seen& seen : seen_) {
        if (seen.message.type == WindowMessageType::kKeyDown) keyPasses.push_back(seen.pass);
    }
    EXPECT_EQ(keyPasses, (std::vector<int32_t>{2, 6, 13}));
    EXPECT_FALSE(pump->WaitGaveUp());
}

// A line that never comes ends the run after the script's bound, with its
// own status, instead of holding it for ever; nothing after the wait is
// delivered.
TEST_F(FramePumpTest, AnUnansweredWaitGivesUpAfterItsBound) {
    run_trace::Enable();
    const auto pump = Pump("wait-limit 5\n"
                           "at 2 wait screen NOWHERE\n"
                           "at 3 key A\n");
    testing::internal::CaptureStderr();
    int32_t passes = 0;
    while (PumpMessages() == 1 && passes < 100) ++passes;
    const std::string said = testing::internal::GetCapturedStderr();
    run_trace::Disable();
    // Pass 2 begins the wait, passes 3 to 7 hold, pass 8 gives up.
    EXPECT_EQ(passes, 7);
    EXPECT_TRUE(pump->WaitGaveUp());
    EXPECT_TRUE(window_->QuitRequested());
    EXPECT_EQ(window_->ExitCode(), FramePump::kExitWaitGaveUp);
    EXPECT_NE(said.find("line 2"), std::string::npos) << said;
    EXPECT_NE(said.find("screen NOWHERE"), std::string::npos) << said;
    for (const Seen& seen : seen_) EXPECT_NE(seen.message.type, WindowMessageType::kKeyDown);
}

TEST_F(FramePumpTest, APictureIsTheFramePresentedByItsPass) {
    TempDir dir;
    const std::string two = dir.Str() + "/two.png";
    const auto pump = Pump("", {{2, two}, {9, dir.Str() + "/no-such-folder/nine.png"}});
    SurfaceCanvas16 canvas(driver_.frameSurfaces, 0, palette_.get(), 0);
    // A frame per pass, each of its own colour as a 5-6-5 word: red, then
    // green, then blue.
    for (const uint32_t colour : {0xF800u, 0x07E0u, 0x001Fu}) {
        PumpMessages();
        canvas.Clear(Canvas::kColorRaw565 | colour, 0xFFFFFFFF);
        FlipFrame();
    }
    RgbImage picture;
    ASSERT_TRUE(ReadStoredPng(two, &picture));
    ASSERT_EQ(picture.width, 640);
    EXPECT_EQ((std::vector<uint8_t>(picture.rgb.begin(), picture.rgb.begin() + 3)), (std::vector<uint8_t>{0, 255, 0}))
        << "the green frame of pass 2";
    EXPECT_EQ(pump->FailedShots(), 0);
    for (int32_t pass = 4; pass <= 9; ++pass) {
        PumpMessages();
        FlipFrame();
    }
    EXPECT_EQ(pump->FailedShots(), 1) << "a picture that cannot be written is counted";
}

// An idle screen shows nothing in a pass: its picture is the frame shown
// last, written when the next pass begins.
TEST_F(FramePumpTest, APassShowingNothingGetsTheLastFrameShown) {
    TempDir dir;
    const std::string three = dir.Str() + "/three.png";
    const auto pump = Pump("", {{3, three}});
    SurfaceCanvas16 canvas(driver_.frameSurfaces, 0, palette_.get(), 0);
    PumpMessages();
    canvas.Clear(Canvas::kColorRaw565 | 0xF800u, 0xFFFFFFFF);
    FlipFrame();
    PumpMessages();
    PumpMessages();
    EXPECT_FALSE(std::filesystem::exists(three));
    PumpMessages();
    RgbImage picture;
    ASSERT_TRUE(ReadStoredPng(three, &picture));
    EXPECT_EQ((std::vector<uint8_t>(picture.rgb.begin(), picture.rgb.begin() + 3)), (std::vector<uint8_t>{255, 0, 0}));
    EXPECT_EQ(pump->FailedShots(), 0);
}

// A screen that does not draw again beneath the cursor (a dialog over a
// kept picture) shows it where it is now, and nowhere it was before.
TEST_F(FramePumpTest, TheCursorIsShownInEachFrameButNeverLeftInTheCanvas) {
    TempDir dir;
    const std::string shapes = dir.Str() + "/" + SoftCursor::kFileName;
    ASSERT_EQ(WriteCursorShapes(shapes.c_str()), kStatusOk);
    SoftCursor cursor;
    ASSERT_EQ(cursor.Load(shapes.c_str()), kStatusOk);
    cursor.software = true;
    cursor.visible = true;
    SurfaceCanvas16 canvas(driver_.frameSurfaces, 0, palette_.get(), 0);
    Script script;
    std::string error;
    ASSERT_TRUE(script.Parse("at 1 move 100 100\nat 2 move 300 200\n", &error)) << error;
    const std::string second = dir.Str() + "/second.png";
    FramePump pump(*window_, driver_, &canvas, &input_, std::move(script), {{2, second}});
    pump.SetCursor(&cursor);
    constexpr uint16_t kBlue = 0x001F;
    canvas.Clear(Canvas::kColorRaw565 | kBlue, 0xFFFFFFFF);
    for (int32_t pass = 1; pass <= 2; ++pass) {
        PumpMessages();
        FlipFrame();
    }
    PumpMessages();
    RgbImage picture;
    ASSERT_TRUE(ReadStoredPng(second, &picture));
    ASSERT_EQ(picture.width, 640);
    // Pixels other than blue in the 16 x 16 square from (x, y).
    const auto notBlue = [&picture](int32_t x, int32_t y) {
        int32_t count = 0;
        for (int32_t at = 0; at < 256; ++at) {
            const uint8_t* const rgb = &picture.rgb[size_t((y + at / 16) * picture.width + x + at % 16) * 3];
            count += rgb[0] != 0 || rgb[1] != 0 || rgb[2] != 255 ? 1 : 0;
        }
        return count;
    };
    EXPECT_GT(notBlue(300, 200), 0) << "the cursor where it is";
    EXPECT_EQ(notBlue(100, 100), 0) << "no cursor left where it was";
}

}  // namespace
