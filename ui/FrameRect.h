#pragma once
#include <cstdint>

#include "display/ViewVertex.h"

// A corner of a control: the drawing layer's point record, of which the
// controls use the screen position, depth, colour index and the second
// value (the intensity the line primitive shades the colour with). The
// view-space words are the caller's and never set here.
struct FrameRect : ViewVertex {
    // The colour index that means "no frame".
    static constexpr uint32_t kNoFrame = 255;

    static FrameRect Init(int32_t x, int32_t y, uint32_t colour);
    FrameRect& Set(int32_t x, int32_t y, uint32_t depth, uint32_t colour, int32_t value2);

    // The outline of a two-corner region (top-left, bottom-right) on the
    // game canvas, in the first corner's colour; nothing for kNoFrame, a
    // null region, or a canvas that cannot be locked.
    static void Draw(const FrameRect* region);
};
static_assert(sizeof(FrameRect) == 48, "corners are twelve 32-bit words");
