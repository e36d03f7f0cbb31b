#include "game/SoftCursor.h"

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
