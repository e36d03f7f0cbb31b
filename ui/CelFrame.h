#pragma once
#include <cstdint>
#include <memory>
#include <vector>

#include "display/Bitmap.h"
#include "display/PixelImage.h"

class Canvas;

// One frame of a control: the cel bitmap, which owns the pixels and carries
// the frame's screen position, and the 8-bit image the canvas blits, which
// borrows the bitmap's pixels while the control's images are locked.
struct CelFrame {
    explicit CelFrame(std::unique_ptr<Bitmap> cel);
    ~CelFrame();
    CelFrame(CelFrame&&) noexcept;
    CelFrame& operator=(CelFrame&&) noexcept;

    // Binds the image to the bitmap's pixels and sides (8-bit cels only;
    // another depth stays unbound and draws nothing), or lets go of them.
    void Lock();
    void Unlock();

    std::unique_ptr<Bitmap> bitmap;
    std::unique_ptr<PixelImage> image;
};

// A control's list of frames in the order they were added.
using CelFrames = std::vector<CelFrame>;

void LockFrames(CelFrames& frames);
void UnlockFrames(CelFrames& frames);

// Blits an image with its colour key left out at (x, y) on a canvas the
// caller holds locked.
void BlitKeyed(Canvas& canvas, PixelImage& image, int32_t x, int32_t y);

// A temporary 8-bit image over a locked bitmap's pixels, for the controls
// that draw bitmaps they do not own; empty (null pixels) for another depth.
class BorrowedImage {
public:
    explicit BorrowedImage(Bitmap& bitmap);
    ~BorrowedImage();
    BorrowedImage(const BorrowedImage&) = delete;
    BorrowedImage& operator=(const BorrowedImage&) = delete;

    PixelImage& Image() { return *image_; }
    bool HasPixels() const { return image_ != nullptr && image_->pixels != nullptr; }

private:
    Bitmap& bitmap_;
    std::unique_ptr<PixelImage> image_;
};
