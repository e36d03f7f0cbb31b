#pragma once
#include <cstdint>

// The rectangle of every fill, blit and clip: [x, x + width) by [y, y + height).
struct CanvasRect {
    int32_t x;
    int32_t y;
    int32_t width;
    int32_t height;
};

inline constexpr int32_t kClipVisible = 0;
inline constexpr int32_t kClipInvisible = 4;

// Cuts r to clip (left and top edges first, then right and bottom):
// kClipVisible, or kClipInvisible, leaving r as it was, when nothing of r
// is left. Callers that keep their own rectangle when the cut leaves
// nothing rely on that.
int32_t ClipRect(CanvasRect* r, const CanvasRect* clip);
