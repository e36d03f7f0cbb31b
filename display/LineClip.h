#pragma once
#include <cstdint>

#include "display/CanvasRect.h"
#include "display/ScreenVertex.h"
#include "display/ViewVertex.h"

// Flags of the line clippers: which vertex words follow the cut besides the
// position. u, v and 1/z always follow it.
inline constexpr uint32_t kLineClipDepth = 0x1;
inline constexpr uint32_t kLineClipShade = 0x2;          // colour and intensity
// Tell a segment that needed no cut (kLineClipInside) from one that was cut.
inline constexpr uint32_t kLineClipReportInside = 0x10000;

// Results: kClipVisible (0) and kClipInvisible (4) of display/CanvasRect.h,
// and this one, only with kLineClipReportInside.
inline constexpr int32_t kLineClipInside = 5;

// Cuts the segment a-b to clip, whose inside is [x, x + width) by
// [y, y + height). A segment inside already is left alone (kLineClipInside
// or kClipVisible). One that misses the rectangle gives kClipInvisible and is
// left alone too. Otherwise the cut ends are written back with the end of
// smaller x in a (so a and b swap when b lay to the left) and the result is
// kClipVisible.
int32_t ClipLineView(const CanvasRect* clip, ViewVertex* a, ViewVertex* b, uint32_t flags);

// The same for float vertices: positions are cut as whole pixels (x and y
// truncated), so cut ends come back with whole-number x and y. Without
// kLineClipReportInside a segment inside already gives kClipVisible.
int32_t ClipLineScreen(const CanvasRect* clip, ScreenVertex* a, ScreenVertex* b, uint32_t flags);
