#pragma once
#include <cstdint>
#include <memory>
#include <string>

#include "ui/CelFrame.h"
#include "ui/UiControl.h"

// A control drawn wholly from bitmaps: an idle animation, a highlight
// animation shown for one draw after each Press, a click picture shown
// while the state asks for it, and step frames the owner plays forward or
// back after an optional delay. Radio groups and switches latch their
// buttons with state -1 and release them with 0.
class BitmapButton : public UiControl {
public:
    static constexpr int32_t kLatched = -1;
    // The message box of a frame file that cannot be read.
    static constexpr const char* kMissingFileText = "Couldn't find  %s";
    static constexpr const char* kMissingFileCaption = "Bad Stuff";

    // Empty, for the art loader to name and fill.
    BitmapButton();
    // Frames from Windows bitmap files of the prefix: the highlight frames
    // "<prefix>hiNN.bmp", the idle frames "<prefix>idNN.bmp" and the step
    // frames "<prefix>NN.bmp", NN from 00. A file that cannot be read is
    // named in a message box and skipped.
    BitmapButton(int32_t width, int32_t height, const FrameRect& position, const FrameRect& second,
                 const FrameRect& third, const char* prefix, int32_t stepCount, int32_t highlightCount,
                 int32_t idleCount);
    ~BitmapButton() override;

    // The button takes the cel. While the region's top-left corner is still
    // (0, 0) it moves to the cel's position.
    void AddStepFrame(std::unique_ptr<Bitmap> cel);
    void AddIdleFrame(std::unique_ptr<Bitmap> cel);
    void AddHighlightFrame(std::unique_ptr<Bitmap> cel);
    void SetClickPicture(std::unique_ptr<Bitmap> cel);

    // Hover and click feedback: the highlight shows on the next draw.
    void Press();
    // 0 up, n > 0 the click picture for the next n draws, -1 latched.
    void SetState(int32_t newState);
    int32_t GetState() const { return state_; }
    // 1 when 0 <= step < the number of step frames, which sets it; else 0.
    int32_t SetStep(int32_t step);
    int32_t GetStep() const { return stepPosition_; }

    void DrawAt(int32_t x, int32_t y) override;
    // Every frame at its own cel position; the flag is not used.
    int32_t Refresh(int32_t flag) override;
    void DrawHighlightAt(int32_t x, int32_t y) override;
    void DrawBaseAt(int32_t x, int32_t y) override;
    int32_t RefreshStep(int32_t flag) override;
    int32_t StepForward(int32_t unused) override;
    int32_t StepBack(int32_t unused) override;
    void LockImages() override;
    void UnlockImages() override;
    int32_t IsHighlighted() const override { return int32_t(highlighted_); }
    void Reset() override;

    int32_t stepDelay = 0;   // steps before the first step frame shows

private:
    enum class Slot { kAt, kOwn, kBase };

    void AddFrame(CelFrames& frames, std::unique_ptr<Bitmap> cel);
    void LoadFiles(const char* stem, int32_t count, CelFrames& frames);
    void DrawChoice(Slot slot, int32_t x, int32_t y);
    // Blits frame `step` of an animation, restarting past its end, and
    // moves the step on, wrapping after the last frame.
    void DrawAnimation(Canvas& canvas, CelFrames& frames, bool at, int32_t x, int32_t y);
    static void Blit(Canvas& canvas, CelFrame& frame, bool at, int32_t x, int32_t y);

    std::string prefix_;
    uint32_t showStep_ = 1;      // 1: the next position-given draw shows the step frame
    uint32_t highlighted_ = 0;   // set by Press, cleared by each draw
    CelFrames steps_;
    int32_t stepPosition_ = 0;   // the step frame shown is this less stepDelay
    CelFrames idle_;
    int32_t animationStep_ = 0;  // shared by the idle and highlight animations
    CelFrames highlight_;
    std::unique_ptr<CelFrame> click_;
    int32_t state_ = 0;
};
