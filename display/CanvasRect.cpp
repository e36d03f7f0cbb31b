#include "display/CanvasRect.h"

#include <algorithm>

int32_t ClipRect(CanvasRect* r, const CanvasRect* clip) {
    // Edges in 64 bits: x + width may pass INT32_MAX for large rectangles.
    const int64_t clipRight = int64_t(clip->x) + clip->width;
    const int64_t clipBottom = int64_t(clip->y) + clip->height;
    int64_t left = r->x, top = r->y;
    int64_t right = left + r->width, bottom = top + r->height;
    if (left >= clipRight || right < clip->x || top >= clipBottom || bottom < clip->y) return kClipInvisible;
    left = std::max<int64_t>(left, clip->x);
    top = std::max<int64_t>(top, clip->y);
    right = std::min(right, clipRight);
    bottom = std::min(bottom, clipBottom);
    if (right - left <= 0 || bottom - top <= 0) return kClipInvisible;
    *r = CanvasRect{int32_t(left), int32_t(top), int32_t(right - left), int32_t(bottom - top)};
    return kClipVisible;
}

bool CutToTarget(int32_t x, int32_t y, int32_t width, int32_t height, int32_t targetWidth, int32_t targetHeight,
                 CanvasWindow* out) {
    if (width <= 0 || height <= 0) return false;
    const int64_t left = std::max<int64_t>(x, 0);
    const int64_t top = std::max<int64_t>(y, 0);
    const int64_t right = std::min<int64_t>(int64_t(x) + width, targetWidth);
    const int64_t bottom = std::min<int64_t>(int64_t(y) + height, targetHeight);
    if (left >= right || top >= bottom) return false;
    // Each skip is less than its size, so it fits.
    *out = CanvasWindow{int32_t(left),         int32_t(top),      int32_t(right - left),
                        int32_t(bottom - top), int32_t(left - x), int32_t(top - y)};
    return true;
}
