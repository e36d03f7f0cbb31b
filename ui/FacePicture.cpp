#include "ui/FacePicture.h"

#include "display/Canvas.h"
#include "display/Palette.h"
#include "display/PixelFormat.h"
#include "mission/Faces.h"
#include "ui/CanvasLock.h"
#include "ui/CelFrame.h"
#include "ui/ScreenRedraw.h"

FacePicture::FacePicture(const FrameRect& at, int32_t kind, const char* name)
    : UiControl(0, 0, at, at, at, FrameRect::kNoFrame, 0, name), kind_(kind) {}

FacePicture::~FacePicture() = default;

void FacePicture::SelectByIndex(int32_t newIndex) {
    index_ = newIndex;
    face_ = newIndex == -1 ? nullptr : LoadFaceByIndex(newIndex);
}

void FacePicture::SelectByName(const char* faceName) { face_ = faceName != nullptr ? LoadFaceByName(faceName) : nullptr; }

void FacePicture::Load(int32_t newIndex) {
    SelectByIndex(newIndex);
    RequestScreenRedraw();
}

void FacePicture::Next() {
    int32_t next = 0;
    if (kind_ == kFaces) {
        next = index_ >= kLastFace ? 0 : index_ + 1;
        if (next == kFirstSkippedFace) next = kLastSkippedFace + 1;
    } else {
        next = index_ < kFirstLogo || index_ >= kLastLogo ? kFirstLogo : index_ + 1;
    }
    Load(next);
}

void FacePicture::Previous() {
    int32_t previous = 0;
    if (kind_ == kFaces) {
        if (index_ > kLastFace) SelectByIndex(kLastFace);
        previous = index_ < 1 ? kLastFace : index_ - 1;
        if (previous == kLastSkippedFace) previous = kFirstSkippedFace - 1;
    } else {
        previous = index_ < kFirstLogo + 1 ? kLastLogo : index_ - 1;
    }
    Load(previous);
}

Palette* FacePicture::FacePalette() {
    if (paletteOf_ != face_ || palette_ == nullptr) {
        palette_.reset(Palette::Create(g_pixelFormat));
        paletteOf_ = face_;
        if (palette_ == nullptr) return nullptr;
        PaletteColor colours[Palette::kColorCount];
        for (int32_t i = 0; i < Palette::kColorCount; ++i) {
            colours[i] = {face_->palette[3 * i], face_->palette[3 * i + 1], face_->palette[3 * i + 2], 0};
        }
        palette_->SetColors(colours, Palette::kColorCount);
    }
    return palette_.get();
}

int32_t FacePicture::Refresh(int32_t) {
    if (visible == 0 || face_ == nullptr || face_->picture.width == 0) return 0;
    const CanvasLock lock;
    if (!lock.CanDraw()) return 0;
    Canvas& canvas = *lock.Target();
    Palette* const own = canvas.palette;
    canvas.palette = FacePalette();
    {
        BorrowedImage image(face_->picture);
        if (image.HasPixels()) BlitKeyed(canvas, image.Image(), RegionLeft(), RegionTop());
    }
    canvas.palette = own;
    return 0;
}
