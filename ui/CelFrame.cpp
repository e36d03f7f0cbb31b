#include "ui/CelFrame.h"

#include <new>

#include "display/Canvas.h"
#include "display/CanvasRect.h"

namespace {

// Leaves the colour key's pixels out of every blit.
constexpr uint32_t kKeyedBlit = 0xFF000000;

std::unique_ptr<PixelImage> NewImage() {
    return std::unique_ptr<PixelImage>(new PixelImage(PixelImage::kFormat8Bit));   // the engine heap: null when it is out
}

void Bind(PixelImage& image, const Bitmap& bitmap) {
    if (bitmap.bytesPerPixel != Bitmap::kDepth8Bit || bitmap.width > INT16_MAX || bitmap.height > INT16_MAX) return;
    image.pixels = bitmap.pixels;
    image.width = int16_t(bitmap.width);
    image.height = int16_t(bitmap.height);
}

}  // namespace

CelFrame::CelFrame(std::unique_ptr<Bitmap> cel) : bitmap(std::move(cel)), image(NewImage()) {}

CelFrame::~CelFrame() {
    if (image != nullptr) image->ReleaseCopies();
}

CelFrame::CelFrame(CelFrame&&) noexcept = default;
CelFrame& CelFrame::operator=(CelFrame&&) noexcept = default;

void CelFrame::Lock() {
    if (bitmap == nullptr || image == nullptr) return;
    bitmap->Lock();
    Bind(*image, *bitmap);
}

void CelFrame::Unlock() {
    if (bitmap == nullptr) return;
    bitmap->Unlock();
    if (image != nullptr) image->pixels = nullptr;
}

void LockFrames(CelFrames& frames) {
    for (CelFrame& frame : frames) frame.Lock();
}

void UnlockFrames(CelFrames& frames) {
    for (CelFrame& frame : frames) frame.Unlock();
}

void BlitKeyed(Canvas& canvas, PixelImage& image, int32_t x, int32_t y) {
    const CanvasRect rect{x, y, image.width, image.height};
    canvas.BlitImage(&rect, &image, kKeyedBlit);
}

BorrowedImage::BorrowedImage(Bitmap& bitmap) : bitmap_(bitmap), image_(NewImage()) {
    bitmap_.Lock();
    if (image_ != nullptr) Bind(*image_, bitmap_);
}

BorrowedImage::~BorrowedImage() {
    if (image_ != nullptr) image_->ReleaseCopies();
    bitmap_.Unlock();
}
