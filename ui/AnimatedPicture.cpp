#include "ui/AnimatedPicture.h"

#include "display/Canvas.h"
#include "engine/TextCompare.h"
#include "game/GameState.h"
#include "ui/CanvasLock.h"
#include "ui/ScreenRedraw.h"

AnimatedPicture::AnimatedPicture(int32_t controlWidth, int32_t controlHeight, const FrameRect&,
                                 const FrameRect& secondRecord, const FrameRect&, const char* name)
    : UiControl(controlWidth, controlHeight, secondRecord, secondRecord, secondRecord, 0, 0, name) {}

AnimatedPicture::~AnimatedPicture() = default;

void AnimatedPicture::AddFrame(std::unique_ptr<Bitmap> cel) {
    if (cel == nullptr) return;
    cel->Unlock();
    TakeCelCorner(*cel);
    frames_.emplace_back(std::move(cel));
}

void AnimatedPicture::ClearFrames() {
    frames_.clear();
    currentCel_ = 0;
    RequestScreenRedraw();
}

int32_t AnimatedPicture::SetCel(int32_t index) {
    RequestScreenRedraw();
    if (index < 0 || index >= CelCount()) return 0;
    currentCel_ = index;
    return 1;
}

void AnimatedPicture::SelectAt(const FrameRect& point) {
    if (!frames_.empty()) {
        const Bitmap& first = *frames_.front().bitmap;
        const int32_t segment = first.width / CelCount();
        const int32_t offset = point.screenX - first.x;
        // A point left of the strip lies in no segment.
        if (segment > 0 && offset >= 0 && offset / segment < CelCount()) currentCel_ = offset / segment;
    }
    RequestScreenRedraw();
}

Palette* AnimatedPicture::DrawPalette(Palette* canvasPalette) const {
    if (palette != nullptr) return palette;
    if (g_gameState != nullptr && (text::_stricmp(Name().c_str(), kFacesName) == 0 ||
                                   text::_stricmp(Name().c_str(), kLogosName) == 0)) {
        Palette* const named = g_gameState->LoadPalette(Name().c_str());
        if (named != nullptr) return named;
    }
    return canvasPalette;
}

int32_t AnimatedPicture::Refresh(int32_t) {
    if (visible == 0 || currentCel_ < 0 || currentCel_ >= CelCount()) return 0;
    CelFrame& frame = frames_[size_t(currentCel_)];
    if (frame.image == nullptr) return 0;
    const CanvasLock lock;
    if (!lock.CanDraw()) return 0;
    Canvas& canvas = *lock.Target();
    Palette* const own = canvas.palette;
    canvas.palette = DrawPalette(own);
    int32_t x = frame.bitmap->x;
    int32_t y = frame.bitmap->y;
    if (palette != nullptr) {
        x = (width - frame.image->width) / 2 + RegionLeft();
        y = (height - frame.image->height) / 2 + RegionTop();
    }
    BlitKeyed(canvas, *frame.image, x, y);
    canvas.palette = own;
    return 0;
}
