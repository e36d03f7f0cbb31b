#pragma once
#include <cstdint>
#include <string>

#include "display/Bitmap.h"
#include "display/CanvasRect.h"
#include "display/PixelImage.h"
#include "engine/DynArray.h"

// A named run of 8-bit cel frames played at a fixed delay: the doors,
// lights and props of the rooms and the animated art of the screens. Its
// owner steps it (Advance, StepBack, SetFrame) and draws it; how the modes
// play in a room is the screen's animation update.
class TimedAnimation {
public:
    static constexpr int32_t kModeForward = 1;   // plays to its last frame and stays
    static constexpr int32_t kModeHotspot = 2;   // shown while triggered, steps back to 0
    static constexpr int32_t kModeLoop = 3;      // rewinds to 0 after its last frame
    static constexpr int32_t kModeSwing = 4;     // shown while triggered, wraps forward
    // The blit's mode word: keyed on index 255.
    static constexpr uint32_t kBlitMode = 0xFF000000;

    // `frames` (may be null) hands over 8-bit images that own their pixels;
    // `rect` (may be null) is the animation's area: x, y, width, height.
    TimedAnimation(const char* name, DynArray<PixelImage*>* frames, const int32_t* rect, int32_t delay, int32_t mode);
    virtual ~TimedAnimation();
    TimedAnimation(const TimedAnimation&) = delete;
    TimedAnimation& operator=(const TimedAnimation&) = delete;

    // Takes the cel (8-bit, at its cel position) as the next frame; the
    // first one gives the area when none was given.
    void AddFrame(Bitmap* cel);
    // The frames must be locked while the animation is drawn.
    void LockFrames();
    void UnlockFrames();

    // 1 and the frame i for 0 <= i <= last frame; 0 otherwise.
    int32_t SetFrame(int32_t frame);
    // 0 at the last frame (in the loop mode after going back to 0);
    // otherwise 1, one frame on once more than the delay has passed.
    int32_t Advance();
    // 0 at frame 0; otherwise 1, one frame back under the same rule.
    int32_t StepBack();
    // The current cel frame on the game canvas; marks the current screen
    // dirty whether or not anything was drawn.
    virtual void Draw();

    int32_t LastFrame() const { return images_.LastIndex(); }
    int32_t FrameCount() const { return images_.Count(); }
    // The delay has passed since the last step: a step now sets the step time.
    bool DelayPassed() const;
    void MarkStep();
    const std::string& Name() const { return name_; }

    int32_t mode = 0;
    bool hasRect = false;
    int32_t rect[4] = {};   // x, y, width, height
    PixelImage drawImage{PixelImage::kFormat8Bit};
    CanvasRect drawRect{};
    uint32_t stepTime = 0;   // clock reading at construction and at each step
    int32_t delay = 0;       // ms between frames; 0 or less never steps
    uint32_t hold = 0;       // while set, Draw does nothing (and clears it)
    int32_t currentFrame = 0;
    uint32_t triggered = 0;  // room screens set it to play; the update clears it
    uint32_t enabled = 1;

private:
    DynArray<PixelImage*> images_;   // owned, one per frame
    DynArray<Bitmap*> bitmaps_;      // owned cels, one per AddFrame
    // The constructor's frames come first and own their pixels; the images
    // after them borrow their cel's.
    int32_t ownedImages_ = 0;
    std::string name_;
};
