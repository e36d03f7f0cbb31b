#include "ui/TimedAnimation.h"

#include "display/Canvas.h"
#include "engine/Clock.h"
#include "game/DrawString.h"
#include "game/GameState.h"
#include "ui/Screen.h"

TimedAnimation::TimedAnimation(const char* name, DynArray<PixelImage*>* frames, const int32_t* area, int32_t delayMs,
                               int32_t playMode)
    : mode(playMode), stepTime(GetMilliseconds()), delay(delayMs), name_(name != nullptr ? name : "") {
    if (area != nullptr) {
        hasRect = true;
        for (int i = 0; i < 4; ++i) rect[i] = area[i];
    }
    if (frames != nullptr) {
        for (PixelImage* const image : *frames) {
            if (!images_.Append(image)) {
                image->FreePixels();
                delete image;
            }
        }
        frames->Clear();
    }
    ownedImages_ = images_.Count();
}

TimedAnimation::~TimedAnimation() {
    for (int32_t i = 0; i < images_.Count(); ++i) {
        PixelImage* const image = images_[i];
        if (i < ownedImages_) {
            image->FreePixels();
        } else {
            image->ReleaseCopies();
        }
        delete image;
    }
    for (Bitmap* const cel : bitmaps_) delete cel;
    drawImage.ReleaseCopies();
}

void TimedAnimation::AddFrame(Bitmap* cel) {
    if (cel == nullptr) return;
    auto* const image = new PixelImage(PixelImage::kFormat8Bit);
    if (image == nullptr || !images_.Append(image)) {
        delete image;
        delete cel;
        return;
    }
    if (!bitmaps_.Append(cel)) {
        // One image per cel: a cel that cannot be kept takes its image along.
        images_.RemoveAt(images_.LastIndex());
        delete image;
        delete cel;
        return;
    }
    cel->Unlock();
    if (!hasRect) {
        hasRect = true;
        rect[0] = cel->x;
        rect[1] = cel->y;
        rect[2] = cel->width;
        rect[3] = cel->height;
    }
}

void TimedAnimation::LockFrames() {
    for (int32_t i = 0; i < bitmaps_.Count(); ++i) {
        Bitmap* const cel = bitmaps_[i];
        cel->Lock();
        PixelImage* const image = images_[ownedImages_ + i];
        image->pixels = cel->pixels;
        image->width = int16_t(cel->width);
        image->height = int16_t(cel->height);
    }
}

void TimedAnimation::UnlockFrames() {
    for (Bitmap* const cel : bitmaps_) cel->Unlock();
}

int32_t TimedAnimation::SetFrame(int32_t frame) {
    if (frame < 0 || frame > LastFrame()) return 0;
    currentFrame = frame;
    return 1;
}

bool TimedAnimation::DelayPassed() const {
    if (delay <= 0) return false;
    const uint32_t now = GetMilliseconds();
    uint32_t elapsed = now - stepTime;
    // Across the clock's wrap the time counts one less.
    if (now < stepTime) --elapsed;
    return int32_t(elapsed) > delay;
}

void TimedAnimation::MarkStep() { stepTime = GetMilliseconds(); }

int32_t TimedAnimation::Advance() {
    if (images_.Count() == 0) return 0;
    if (currentFrame == LastFrame()) {
        if (mode == kModeLoop) currentFrame = 0;
        return 0;
    }
    if (DelayPassed()) {
        ++currentFrame;
        MarkStep();
    }
    return 1;
}

int32_t TimedAnimation::StepBack() {
    if (currentFrame == 0) return 0;
    if (DelayPassed()) {
        --currentFrame;
        MarkStep();
    }
    return 1;
}

void TimedAnimation::Draw() {
    if (enabled == 0) return;
    // Skipped for this one pass only.
    if (hold != 0) {
        hold = 0;
        return;
    }
    Canvas* const canvas = g_gameCanvas;
    // Only cels have a place on the screen: the constructor's frames draw nothing.
    const Bitmap* const cel =
        currentFrame >= 0 && currentFrame < bitmaps_.Count() ? bitmaps_[currentFrame] : nullptr;
    if (canvas != nullptr && cel != nullptr) {
        const int32_t lock = canvas->Lock();
        drawImage.pixels = cel->pixels;
        drawImage.width = int16_t(cel->width);
        drawImage.height = int16_t(cel->height);
        drawRect = CanvasRect{cel->x, cel->y, cel->width, cel->height};
        if (lock != -1 && drawImage.pixels != nullptr) canvas->BlitImage(&drawRect, &drawImage, kBlitMode);
        if (lock == 0) canvas->Unlock();
    }
    if (g_gameState != nullptr && g_gameState->currentScreen != nullptr) g_gameState->currentScreen->dirty = 1;
    hold = 0;
}
