#include "ui/BitmapButton.h"

#include <cstdio>

#include "display/BmpCodec.h"
#include "platform/MessageBox.h"
#include "ui/CanvasLock.h"
#include "ui/Screen.h"
#include "ui/ScreenRedraw.h"

namespace {

constexpr uint32_t kMissingFileStyle = platform::kMessageBoxTaskModal | platform::kMessageBoxTopmost |
                                       platform::kMessageBoxForeground | platform::kMessageBoxInformation;

}  // namespace

BitmapButton::BitmapButton()
    : UiControl(0, 0, FrameRect::Init(0, 0, 0), FrameRect::Init(0, 0, 0), FrameRect::Init(0, 0, 0), 0, 0, "") {
    redrawFlag = 1;
}

BitmapButton::BitmapButton(int32_t controlWidth, int32_t controlHeight, const FrameRect&, const FrameRect& secondRecord,
                           const FrameRect&, const char* prefix, int32_t stepCount,
                           int32_t highlightCount, int32_t idleCount)
    : UiControl(controlWidth, controlHeight, secondRecord, secondRecord, secondRecord, 0, 0, ""),
      prefix_(prefix != nullptr ? prefix : "") {
    redrawFlag = 1;
    LoadFiles((prefix_ + "hi").c_str(), highlightCount, highlight_);
    LoadFiles((prefix_ + "id").c_str(), idleCount, idle_);
    LoadFiles(prefix_.c_str(), stepCount, steps_);
}

BitmapButton::~BitmapButton() = default;

void BitmapButton::LoadFiles(const char* stem, int32_t count, CelFrames& frames) {
    for (int32_t n = 0; n < count; ++n) {
        char name[512];
        std::snprintf(name, sizeof name, "%s%02d.bmp", stem, int(n));
        auto cel = std::make_unique<Bitmap>();
        BmpCodec codec;
        if (codec.LoadFile(name, cel.get()) != kStatusOk) {
            char text[600];
            std::snprintf(text, sizeof text, kMissingFileText, name);
            platform::MessageBox::Current().Show(text, kMissingFileCaption, kMissingFileStyle);
            continue;
        }
        AddFrame(frames, std::move(cel));
    }
}

void BitmapButton::AddFrame(CelFrames& frames, std::unique_ptr<Bitmap> cel) {
    if (cel == nullptr) return;
    cel->Unlock();
    TakeCelCorner(*cel);
    frames.emplace_back(std::move(cel));
}

void BitmapButton::AddStepFrame(std::unique_ptr<Bitmap> cel) { AddFrame(steps_, std::move(cel)); }

void BitmapButton::AddIdleFrame(std::unique_ptr<Bitmap> cel) { AddFrame(idle_, std::move(cel)); }

void BitmapButton::AddHighlightFrame(std::unique_ptr<Bitmap> cel) { AddFrame(highlight_, std::move(cel)); }

void BitmapButton::SetClickPicture(std::unique_ptr<Bitmap> cel) {
    if (cel == nullptr) return;
    CelFrames one;
    AddFrame(one, std::move(cel));
    click_ = std::make_unique<CelFrame>(std::move(one.front()));
}

void BitmapButton::Press() {
    Screen* const screen = CurrentScreen();
    if (pressedFlag == 0 && state_ == 0 && screen != nullptr) {
        RequestScreenRedraw();
        redrawFlag = 1;
    }
    pressedFlag = 1;
    if (screen != nullptr) screen->pressedFlag = 1;
    highlighted_ = 1;
}

void BitmapButton::SetState(int32_t newState) {
    state_ = newState;
    redrawFlag = 1;
    RequestScreenRedraw();
}

int32_t BitmapButton::SetStep(int32_t step) {
    if (step < 0 || step >= int32_t(steps_.size())) return 0;
    stepPosition_ = step;
    return 1;
}

void BitmapButton::Blit(Canvas& canvas, CelFrame& frame, bool at, int32_t x, int32_t y) {
    if (frame.image == nullptr) return;
    if (!at) {
        x = frame.bitmap->x;
        y = frame.bitmap->y;
    }
    BlitKeyed(canvas, *frame.image, x, y);
}

void BitmapButton::DrawAnimation(Canvas& canvas, CelFrames& frames, bool at, int32_t x, int32_t y) {
    const int32_t count = int32_t(frames.size());
    if (animationStep_ >= count || animationStep_ < 0) animationStep_ = 0;
    Blit(canvas, frames[size_t(animationStep_)], at, x, y);
    animationStep_ = animationStep_ == count - 1 ? 0 : animationStep_ + 1;
}

void BitmapButton::DrawChoice(Slot slot, int32_t x, int32_t y) {
    if (visible == 0) return;
    const CanvasLock lock;
    if (!lock.CanDraw()) return;
    Canvas& canvas = *lock.Target();
    const bool at = slot != Slot::kOwn;
    // The position-given draws leave the click and idle pictures to the step
    // frame while the owner is stepping.
    const bool stepping = at && showStep_ != 0;
    if ((state_ > 0 || state_ == kLatched) && click_ != nullptr && !stepping) {
        Blit(canvas, *click_, at, x, y);
        redrawFlag = 0;
        pressedFlag = 0;
        if (state_ != kLatched) --state_;
    } else if (highlighted_ != 0 && !highlight_.empty()) {
        // The base of a sprite leaves the highlight to DrawHighlightAt.
        if (slot == Slot::kBase) return;
        DrawAnimation(canvas, highlight_, at, x, y);
        redrawFlag = 0;
    } else if (!idle_.empty() && !stepping) {
        DrawAnimation(canvas, idle_, at, x, y);
        redrawFlag = 0;
        pressedFlag = 0;
    } else if (!steps_.empty() && stepPosition_ >= stepDelay && stepPosition_ - stepDelay < int32_t(steps_.size())) {
        Blit(canvas, steps_[size_t(stepPosition_ - stepDelay)], at, x, y);
        redrawFlag = 0;
        pressedFlag = 0;
    }
    if (slot != Slot::kBase) {
        highlighted_ = 0;
        showStep_ = 0;
    }
}

void BitmapButton::DrawAt(int32_t x, int32_t y) { DrawChoice(Slot::kAt, x, y); }

int32_t BitmapButton::Refresh(int32_t) {
    DrawChoice(Slot::kOwn, 0, 0);
    return 0;
}

void BitmapButton::DrawBaseAt(int32_t x, int32_t y) { DrawChoice(Slot::kBase, x, y); }

void BitmapButton::DrawHighlightAt(int32_t x, int32_t y) {
    if (visible != 0 && state_ == 0 && highlighted_ != 0 && !highlight_.empty()) {
        const CanvasLock lock;
        if (lock.CanDraw()) {
            // Highlight art keeps its offset from the idle art; without idle
            // art there is nothing to keep it from.
            int32_t dx = 0, dy = 0;
            if (!idle_.empty()) {
                dx = highlight_.front().bitmap->x - idle_.front().bitmap->x;
                dy = highlight_.front().bitmap->y - idle_.front().bitmap->y;
            }
            DrawAnimation(*lock.Target(), highlight_, true, x + dx, y + dy);
            redrawFlag = 0;
        }
    }
    highlighted_ = 0;
    showStep_ = 0;
}

int32_t BitmapButton::RefreshStep(int32_t) {
    if (visible != 0 && !steps_.empty() && stepPosition_ >= stepDelay &&
        stepPosition_ - stepDelay < int32_t(steps_.size())) {
        const CanvasLock lock;
        if (lock.CanDraw()) Blit(*lock.Target(), steps_[size_t(stepPosition_ - stepDelay)], true, RegionLeft(), RegionTop());
    }
    showStep_ = 0;
    return 0;
}

int32_t BitmapButton::StepForward(int32_t) {
    if (visible == 0 || steps_.empty()) return 0;
    if (state_ != kLatched) state_ = 0;
    showStep_ = 1;
    const int32_t last = int32_t(steps_.size()) + stepDelay - 1;
    if (stepPosition_ >= last) return 0;
    ++stepPosition_;
    return 1;
}

int32_t BitmapButton::StepBack(int32_t) {
    if (visible == 0 || steps_.empty()) return 0;
    if (state_ != kLatched) state_ = 0;
    showStep_ = 1;
    if (stepPosition_ <= 0) return 0;
    --stepPosition_;
    return 1;
}

void BitmapButton::LockImages() {
    LockFrames(steps_);
    LockFrames(idle_);
    LockFrames(highlight_);
    if (click_ != nullptr) click_->Lock();
}

void BitmapButton::UnlockImages() {
    UnlockFrames(steps_);
    UnlockFrames(idle_);
    UnlockFrames(highlight_);
    if (click_ != nullptr) click_->Unlock();
}

void BitmapButton::Reset() {
    state_ = 0;
    redrawFlag = 1;
    RequestScreenRedraw();
}
