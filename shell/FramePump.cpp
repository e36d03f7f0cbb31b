#include "shell/FramePump.h"

#include <algorithm>
#include <cstdio>
#include <thread>
#include <utility>

#include "display/DisplayDriver.h"
#include "game/SoftCursor.h"
#include "platform/Clock.h"
#include "platform/DisplayPresenter.h"
#include "platform/QueuedInput.h"
#include "platform/SteppedClock.h"
#include "platform/Window.h"
#include "platform/WindowMessage.h"
#include "shell/RunTrace.h"
#include "shell/Startup.h"

namespace {

FramePump* g_framePump = nullptr;
FramePump::ScriptFeed g_scriptFeed;

constexpr uint32_t kExtendedKey = 0x80;
// F10 is a system key, as Alt is, on the system the game was made for.
constexpr uint32_t kKeyF10 = 0x44;
// The input layer's left button.
constexpr int32_t kInputLeftButton = 0;

}  // namespace

int32_t PumpMessages() {
    if (g_framePump != nullptr) return g_framePump->Pump();
    return g_mainWindow != nullptr && g_mainWindow->PumpMessages() ? 1 : 0;
}

void FlipFrame() {
    if (g_framePump != nullptr) {
        g_framePump->Flip();
    } else if (g_display != nullptr) {
        g_display->InvalidateAll();
        g_display->Present();
    }
}

FramePump* FramePump::Current() { return g_framePump; }

void FramePump::SetScriptFeed(ScriptFeed feed) { g_scriptFeed = std::move(feed); }

FramePump::FramePump(platform::Window& window, DisplayDriver& display, Canvas* canvas, platform::QueuedInput* input,
                     Script script, std::vector<LaunchOptions::Shot> shots)
    : window_(window),
      display_(&display),
      canvas_(canvas),
      input_(input),
      script_(std::move(script)),
      shots_(std::move(shots)),
      shotWritten_(shots_.size(), false),
      previous_(std::exchange(g_framePump, this)) {
    if (input_ != nullptr) input_->GetCursorPosition(&mouseX_, &mouseY_);
    if (!window_.Headless()) return;
    // A script or a picture is played from one fixed time, so that what
    // the clock seeds (the rooms' looks, the dice of each mission file
    // loaded) is the same on every run: one script gives one run.
    const bool played = !script_.Events().empty() || !shots_.empty();
    clock_ = std::make_unique<platform::SteppedClock>(played ? kPlayedStartMs : platform::Clock::Current().Milliseconds());
    previousClock_ = platform::Clock::Install(clock_.get());
    if (!played) return;
    lastPass_ = script_.LastPass();
    for (const LaunchOptions::Shot& shot : shots_) lastPass_ = std::max(lastPass_, shot.pass);
}

FramePump::~FramePump() {
    if (clock_ != nullptr) platform::Clock::Install(previousClock_);
    g_framePump = previous_;
}

void FramePump::KeepRealTime() {
    if (clock_ == nullptr) return;
    platform::Clock::Install(previousClock_);
    clock_.reset();
    realTime_ = true;
    lastPump_ = std::chrono::steady_clock::now();
}

int32_t FramePump::Pump() {
    // A pass that showed nothing (an idle screen) still gets its pictures:
    // the frame shown last.
    WriteShots();
    // Only the run's own scripted pump is fed, not one a movie plays by.
    if (g_scriptFeed && lastPass_ > 0 && nextEvent_ >= script_.Events().size() && !waitGaveUp_) {
        g_scriptFeed(scriptPasses_, script_);
    }
    const std::vector<ScriptEvent>& events = script_.Events();
    const bool scriptDone = nextEvent_ >= events.size() && scriptPasses_ >= script_.LastPass();
    if (lastPass_ > 0 && scriptDone && passes_ >= lastPass_ && !window_.QuitRequested()) window_.PostQuit(0);
    ++passes_;
    // A wait holds from the pass it began in until its line is printed.
    const bool waiting = nextEvent_ < events.size() && waitBegun_ == nextEvent_ && !WaitOver(events[nextEvent_]);
    if (waiting && ++waitedPasses_ > script_.WaitLimit()) GiveUp(events[nextEvent_]);
    if (!waiting) ++scriptPasses_;
    if (clock_ != nullptr) clock_->Advance(kHeadlessStepMs);
    // A network game's passes without a window keep to real time. On a
    // window every pass takes a frame's time at least, shown or not: a loop
    // waiting for input (the intro, a screen at rest, the pause) keeps no
    // processor busy, and one that shows a frame a pass is paced by Flip
    // alike.
    if (realTime_ || !window_.Headless()) {
        const auto due = lastPump_ + (realTime_ ? std::chrono::duration_cast<std::chrono::microseconds>(
                                                      std::chrono::milliseconds(kHeadlessStepMs))
                                                : kFrameInterval);
        if (std::chrono::steady_clock::now() < due) std::this_thread::sleep_until(due);
        lastPump_ = std::chrono::steady_clock::now();
    }
    while (nextEvent_ < events.size() && events[nextEvent_].pass <= scriptPasses_) {
        const ScriptEvent& event = events[nextEvent_];
        if (event.action == ScriptAction::kWait) {
            if (waitBegun_ != nextEvent_) {
                waitBegun_ = nextEvent_;
                waitedPasses_ = 0;
            }
            if (!WaitOver(event)) break;
        }
        ++nextEvent_;
        Deliver(event);
        // What a step brings about may be printed within its own pass, or
        // (from another process of a network game, which keeps no step
        // with this one) at any pass before that of the wait written after
        // it: every line from here on answers the waits that follow, and
        // none printed before the step (a screen left long ago) does.
        if (event.action != ScriptAction::kWait) waitMark_ = run_trace::LinesPrinted();
    }
    return window_.PumpMessages() ? 1 : 0;
}

bool FramePump::WaitOver(const ScriptEvent& wait) const { return run_trace::PrintedSince(wait.text, waitMark_); }

void FramePump::GiveUp(const ScriptEvent& wait) {
    std::fprintf(stderr, "vorn: script line %d: no \"%s\" after %d passes of waiting; giving up\n", wait.line,
                 wait.text.c_str(), script_.WaitLimit());
    std::fflush(stderr);
    waitGaveUp_ = true;
    // Nothing more of the script: the run ends now, with its own status.
    nextEvent_ = script_.Events().size();
    scriptPasses_ = std::max(scriptPasses_, script_.LastPass());
    if (!window_.QuitRequested()) window_.PostQuit(kExitWaitGaveUp);
}

void FramePump::Flip() {
    // The cursor goes into the frame last, over whatever was drawn, and out
    // again once the frame is shown: a screen that draws only what changes,
    // or keeps a copy of the picture, must not find old cursors in it.
    bool cursorDrawn = false;
    if (cursor_ != nullptr && canvas_ != nullptr) {
        int32_t x = mouseX_;
        int32_t y = mouseY_;
        if (input_ != nullptr) input_->GetCursorPosition(&x, &y);
        cursorDrawn = cursor_->Draw(*canvas_, x, y);
    }
    display_->InvalidateAll();
    display_->Present();
    if (cursorDrawn) cursor_->Erase(*canvas_);
    WriteShots();
    if (window_.Headless()) return;
    // A picture that does not change keeps no processor busy.
    const auto now = std::chrono::steady_clock::now();
    if (now < lastFlip_ + kFrameInterval) std::this_thread::sleep_until(lastFlip_ + kFrameInterval);
    lastFlip_ = std::chrono::steady_clock::now();
}

void FramePump::WriteShots() {
    for (size_t i = 0; i < shots_.size(); ++i) {
        const LaunchOptions::Shot& shot = shots_[i];
        if (shot.pass != passes_ || shotWritten_[i]) continue;
        shotWritten_[i] = true;
        if (platform::DisplayPresenter::Current().WriteImage(shot.path)) {
            std::printf("Pass %d shown in %s\n", passes_, shot.path.c_str());
            std::fflush(stdout);
        } else {
            std::fprintf(stderr, "vorn: the frame of pass %d cannot be written to %s\n", passes_, shot.path.c_str());
            ++failedShots_;
        }
    }
}

void FramePump::Deliver(const ScriptEvent& event) {
    switch (event.action) {
        case ScriptAction::kKey:
            // Down and up in one pass: the devices latch a press until the
            // pass's snapshot, so a map read once a pass sees the key down
            // in exactly this pass.
            DeliverKey(event.key, true);
            DeliverKey(event.key, false);
            break;
        case ScriptAction::kPress: DeliverKey(event.key, true); break;
        case ScriptAction::kRelease: DeliverKey(event.key, false); break;
        case ScriptAction::kClick:
            DeliverMove(event.x, event.y);
            DeliverButton(true);
            DeliverButton(false);
            break;
        case ScriptAction::kMove: DeliverMove(event.x, event.y); break;
        case ScriptAction::kType:
            for (const char c : event.text) {
                platform::WindowMessage typed;
                typed.type = platform::WindowMessageType::kCharacter;
                typed.character = uint8_t(c);
                window_.Post(typed);
            }
            break;
        case ScriptAction::kWait: break;   // the pump's own business
        case ScriptAction::kQuit: {
            platform::WindowMessage close;
            close.type = platform::WindowMessageType::kClose;
            window_.Post(close);
            break;
        }
    }
}

void FramePump::DeliverKey(uint32_t key, bool down) {
    using platform::WindowMessageType;
    const bool system = (key & ~kExtendedKey) == kKeyF10;
    platform::WindowMessage message;
    if (system) {
        message.type = down ? WindowMessageType::kSystemKeyDown : WindowMessageType::kSystemKeyUp;
    } else {
        message.type = down ? WindowMessageType::kKeyDown : WindowMessageType::kKeyUp;
    }
    message.scanCode = uint8_t(key & ~kExtendedKey);
    message.extended = (key & kExtendedKey) != 0;
    window_.Post(message);
    if (input_ != nullptr) input_->FeedKey(key, down);
    const uint32_t character = Script::CharacterOfKey(key);
    if (down && !system && character != 0) {
        platform::WindowMessage typed;
        typed.type = WindowMessageType::kCharacter;
        typed.character = character;
        window_.Post(typed);
    }
}

void FramePump::DeliverMove(int32_t x, int32_t y) {
    platform::WindowMessage message;
    message.type = platform::WindowMessageType::kMouseMove;
    message.x = x;
    message.y = y;
    message.buttons = mouseDown_ ? platform::MouseButtonBit(platform::kMouseButtonLeft) : 0;
    window_.Post(message);
    if (input_ != nullptr) {
        input_->FeedCursor(x, y);
        input_->FeedMouseMotion(x - mouseX_, y - mouseY_);
    }
    mouseX_ = x;
    mouseY_ = y;
}

void FramePump::DeliverButton(bool down) {
    if (input_ != nullptr) input_->FeedMouseButton(kInputLeftButton, down);
    mouseDown_ = down;
    platform::WindowMessage message;
    message.type = down ? platform::WindowMessageType::kMouseButtonDown : platform::WindowMessageType::kMouseButtonUp;
    message.button = platform::kMouseButtonLeft;
    message.buttons = down ? platform::MouseButtonBit(platform::kMouseButtonLeft) : 0;
    message.x = mouseX_;
    message.y = mouseY_;
    window_.Post(message);
}
