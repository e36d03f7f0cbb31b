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

// The part of a rectangle that lies on a target of width x height, and how
// many of its columns and rows were cut off at the left and the top.
struct CanvasWindow {
    int32_t x = 0;
    int32_t y = 0;
    int32_t width = 0;
    int32_t height = 0;
    int32_t skipX = 0;
    int32_t skipY = 0;
};

// False when nothing of the rectangle lies on the target, a size of 0 or
// below included. Sums in 64 bits: rectangles come from callers and may lie
// anywhere.
bool CutToTarget(int32_t x, int32_t y, int32_t width, int32_t height, int32_t targetWidth, int32_t targetHeight,
                 CanvasWindow* out);
