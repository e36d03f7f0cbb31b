#pragma once
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "shell/LaunchOptions.h"
#include "game/Script.h"

class Canvas;
class DisplayDriver;
class SoftCursor;

namespace platform {
class Clock;
class QueuedInput;
class SteppedClock;
class Window;
}  // namespace platform

// One pass of the game's message pump through the FramePump in use (else
// the main window's): the script's events of the pass, then the window's
// messages. 0 once the program quits, else 1.
int32_t PumpMessages();
// Shows the frame drawn since the last one through the FramePump in use
// (else presents the main display): see FramePump::Flip.
void FlipFrame();

// The passes of the game's loops, counted from 1: each pump of the window's
// messages starts one, and the frame presented after it is that pass's.
// Delivers a script's events at their passes to the window and the input
// layer as a real window delivers its own, writes the pictures asked of
// given passes (a pass that shows nothing gets the frame shown last), draws
// the software cursor into each frame shown (never into the canvas's picture
// between frames) and keeps a
// real window to 60 frames and 60 passes a second at most. Without a window the clock
// steps kHeadlessStepMs a pass, and a run with a script or pictures ends
// (the pump says quit) after the last of them. A script's wait that is not
// answered within the script's WaitLimit() passes ends the run with the
// quit status kExitWaitGaveUp, the line named on standard error.
//
// While one lives, PumpMessages and FlipFrame go through it.
class FramePump {
public:
    static constexpr uint32_t kHeadlessStepMs = 50;
    // Where the stepped clock of a scripted or pictured run starts, ms.
    static constexpr uint32_t kPlayedStartMs = 100000;
    // The quit status of a run whose script gave up waiting for a line.
    static constexpr int32_t kExitWaitGaveUp = 2;
    // The shortest time from frame to frame on a real window: 60 a second.
    static constexpr std::chrono::microseconds kFrameInterval{16667};

    // `input` (may be null) is the input layer the window feeds; `canvas`
    // (may be null) the one the cursor is drawn into, which must draw into
    // `display`'s frame.
    FramePump(platform::Window& window, DisplayDriver& display, Canvas* canvas, platform::QueuedInput* input,
              Script script, std::vector<LaunchOptions::Shot> shots);
    ~FramePump();
    FramePump(const FramePump&) = delete;
    FramePump& operator=(const FramePump&) = delete;

    int32_t Pump();
    // Draws the cursor into the canvas, presents the display's whole frame,
    // takes the cursor out of the canvas again, writes this pass's pictures
    // and, on a real window, waits out the rest of the frame interval.
    void Flip();

    // The display was started again (another driver after the first
    // screen): frames go to the new one; the passes count on.
    void Rebind(DisplayDriver& display, Canvas* canvas) {
        display_ = &display;
        canvas_ = canvas;
    }

    // Without a window: the real clock instead of the stepped one, each pass
    // paced to kHeadlessStepMs, so that processes of a network game meet in
    // real time and waits on the clock end.
    void KeepRealTime();

    // The cursor drawn into every frame (null: none); not owned.
    void SetCursor(SoftCursor* cursor) { cursor_ = cursor; }

    int32_t Passes() const { return passes_; }
    // Pictures that could not be written, each said on standard error.
    int32_t FailedShots() const { return failedShots_; }
    // Whether a wait of the script went unanswered and ended the run.
    bool WaitGaveUp() const { return waitGaveUp_; }

    // The pump in use, or null.
    static FramePump* Current();

    // Lets a tool write the script as the run goes, as a player answers what
    // the screen shows: called before each pass while the script has nothing
    // left to deliver, with the script's passes so far, it may add events of
    // the next pass or later (Parse again with the lines added). What it
    // adds is delivered exactly as the same lines read by --script would be.
    using ScriptFeed = std::function<void(int32_t scriptPasses, Script& script)>;
    static void SetScriptFeed(ScriptFeed feed);

private:
    // The pictures of the current pass not written yet: the frame shown last.
    void WriteShots();
    // Whether the begun wait's line was printed since the script's last step.
    bool WaitOver(const ScriptEvent& wait) const;
    // Says which wait went unanswered and ends the run.
    void GiveUp(const ScriptEvent& wait);
    void Deliver(const ScriptEvent& event);
    void DeliverKey(uint32_t key, bool down);
    void DeliverMove(int32_t x, int32_t y);
    void DeliverButton(bool down);

    platform::Window& window_;
    DisplayDriver* display_;
    Canvas* canvas_;
    platform::QueuedInput* input_;
    Script script_;
    size_t nextEvent_ = 0;
    std::vector<LaunchOptions::Shot> shots_;
    std::vector<bool> shotWritten_;   // per shot
    SoftCursor* cursor_ = nullptr;
    int32_t passes_ = 0;
    // The passes the script counts: those not spent waiting for a line.
    int32_t scriptPasses_ = 0;
    // The wait begun (its event's index; none: SIZE_MAX), the trace's line
    // count as the script's last step other than a wait was delivered (0
    // before the first: the whole run answers a wait that leads the script),
    // and the passes the wait has held the script since it began.
    size_t waitBegun_ = SIZE_MAX;
    uint64_t waitMark_ = 0;
    int32_t waitedPasses_ = 0;
    bool waitGaveUp_ = false;
    // The pass after whose frame a run without a window ends, once the
    // script is over too; 0 never.
    int32_t lastPass_ = 0;
    int32_t failedShots_ = 0;
    int32_t mouseX_ = 0;
    int32_t mouseY_ = 0;
    bool mouseDown_ = false;
    std::unique_ptr<platform::SteppedClock> clock_;   // without a window
    platform::Clock* previousClock_ = nullptr;
    std::chrono::steady_clock::time_point lastFlip_{};
    bool realTime_ = false;
    std::chrono::steady_clock::time_point lastPump_{};
    FramePump* previous_;
};
