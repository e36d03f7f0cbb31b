#include "game/SoftCursor.h"

#include <algorithm>
#include <cstring>

#include "display/BitmapCodec.h"
#include "display/Canvas.h"
#include "display/ImageStatus.h"
#include "display/ViewVertex.h"
#include "engine/FileWrappers.h"
#include "engine/IffWalk.h"
#include "platform/Window.h"

Status SoftCursor::Load(const char* path) {
    IffFile iff(0);
    Status status = iff.OpenFile(path, kOpenRead);
    if (status != kStatusOk) return status;
    status = iff_walk::FindNext(iff, IffFile::kFormId, kFileForm);
    if (status == kStatusOk) status = iff.Descend();
    if (status != kStatusOk) return status == kStatusEndOfData ? kStatusIffFormNotFound : status;
    for (int32_t shape = 0; shape < kShapeCount; ++shape) {
        status = ReadShape(iff, &shapes_[shape]);
        if (status != kStatusOk) return status;
        loaded_[shape] = true;
    }
    return kStatusOk;
}

Status SoftCursor::ReadShape(IffFile& iff, Bitmap* shape) {
    const uint32_t level = iff.Level();
    Status status = iff_walk::FindNext(iff, IffFile::kFormId, kCelForm);
    if (status == kStatusEndOfData) return kStatusIffFormNotFound;
    if (status == kStatusOk) status = iff.Descend();
    if (status == kStatusOk) status = BitmapCodec::ReadCoorBitmap(&iff, shape);
    // A failed cel may leave the reader inside it.
    while (iff.Level() > level) {
        if (iff.Ascend() != kStatusOk) break;
    }
    if (status != kStatusOk) {
        shape->Free();
        return status;
    }
    if (shape->bytesPerPixel != Bitmap::kDepth8Bit || shape->pixels == nullptr || shape->palette == nullptr ||
        shape->width > kMaxSide || shape->height > kMaxSide ||
        shape->PixelBlockSize() > uint64_t(shape->width) * shape->height) {
        shape->Free();
        return kStatusImageBadFormat;
    }
    return kStatusOk;
}

bool SoftCursor::ShapeLoaded(int32_t shape) const { return shape >= 0 && shape < kShapeCount && loaded_[shape]; }

void SoftCursor::Show(platform::Window& window) {
    visible = true;
    if (software) return;
    while (window.CursorCount() < 0) window.ShowCursor(true);
}

void SoftCursor::SetShape(int32_t shape, int32_t, int32_t) {
    if (shape >= 0 && shape < kShapeCount) shape_ = shape;
}

bool SoftCursor::Draw(Canvas& canvas, int32_t x, int32_t y) {
    if (!software || !visible || !loaded_[shape_]) return false;
    const Bitmap& picture = shapes_[shape_];
    // The cel's position is where its hot spot lies within it.
    const int32_t left = x - picture.x;
    const int32_t top = y - picture.y;
    const int32_t previousLock = canvas.Lock();
    if (previousLock == -1) return false;
    Keep(canvas, left, top, picture.width, picture.height);
    for (int32_t row = 0; row < picture.height; ++row) {
        const int32_t screenY = top + row;
        if (screenY < 0 || screenY >= canvas.height) continue;
        for (int32_t column = 0; column < picture.width; ++column) {
            const int32_t screenX = left + column;
            if (screenX < 0 || screenX >= canvas.width) continue;
            const uint8_t index = picture.pixels[row * picture.width + column];
            if (index == kClearIndex) continue;
            const uint8_t* const entry = picture.palette + index * 4;
            ViewVertex at;
            at.screenX = screenX;
            at.screenY = screenY;
            canvas.PlotPixelInt(&at, entry);
        }
    }
    if (previousLock == 0) canvas.Unlock();
    drawn = true;
    return true;
}

void SoftCursor::Keep(Canvas& canvas, int32_t left, int32_t top, int32_t width, int32_t height) {
    under_.clear();
    underCanvas_ = nullptr;
    if (canvas.pixels == nullptr) return;
    // In 64 bits: a hot spot far off the canvas must not wrap round onto it.
    const int64_t x0 = std::max<int64_t>(left, 0);
    const int64_t y0 = std::max<int64_t>(top, 0);
    const int64_t x1 = std::min<int64_t>(int64_t(left) + width, canvas.width);
    const int64_t y1 = std::min<int64_t>(int64_t(top) + height, canvas.height);
    if (x1 <= x0 || y1 <= y0) return;
    const size_t pixelBytes = (canvas.flags & Canvas::kFlag16Bit) != 0 ? 2 : 1;
    underCanvas_ = &canvas;
    underLeft_ = int32_t(x0);
    underTop_ = int32_t(y0);
    underRows_ = int32_t(y1 - y0);
    underRowBytes_ = size_t(x1 - x0) * pixelBytes;
    under_.resize(underRowBytes_ * size_t(underRows_));
    for (int32_t row = 0; row < underRows_; ++row) {
        const uint8_t* const from = canvas.Row(underTop_ + row) + size_t(underLeft_) * pixelBytes;
        std::memcpy(under_.data() + size_t(row) * underRowBytes_, from, underRowBytes_);
    }
}

bool SoftCursor::Erase(Canvas& canvas) {
    if (under_.empty() || underCanvas_ != &canvas) return false;
    const size_t pixelBytes = (canvas.flags & Canvas::kFlag16Bit) != 0 ? 2 : 1;
    // A canvas set up again since the drawing may have shrunk.
    if (underTop_ + underRows_ > canvas.height ||
        size_t(underLeft_) * pixelBytes + underRowBytes_ > size_t(canvas.width) * pixelBytes) {
        under_.clear();
        underCanvas_ = nullptr;
        return false;
    }
    const int32_t previousLock = canvas.Lock();
    if (previousLock == -1) return false;
    for (int32_t row = 0; row < underRows_; ++row) {
        uint8_t* const to = canvas.Row(underTop_ + row) + size_t(underLeft_) * pixelBytes;
        std::memcpy(to, under_.data() + size_t(row) * underRowBytes_, underRowBytes_);
    }
    if (previousLock == 0) canvas.Unlock();
    under_.clear();
    underCanvas_ = nullptr;
    return true;
}
