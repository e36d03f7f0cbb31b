#pragma once
#include <cstdint>

#include "display/ScreenVertex.h"

class Canvas;
class SoftTexture;

// Perspective-correct texturing on the 16-bit canvas: the span routines step
// u and v linearly, so a triangle whose depth varies is cut in two at the
// midpoint of an edge, again and again, until its pieces are small enough
// that a straight line is close to the true perspective curve.

// Where the finished pieces go: FillTriangle16's signature.
using TriangleFill16 = void (*)(Canvas* canvas, uint32_t mode, const ScreenVertex* a, const ScreenVertex* b,
                                const ScreenVertex* c, const SoftTexture* texture, uint32_t level);

// Splits stop at this depth, whatever the distortion.
inline constexpr int32_t kMaxSubdivisionDepth = 20;
// An edge whose end points' invZ differ by more than this ratio is distorted
// enough to split once it is longer than the canvas's subdivideLength.
inline constexpr float kSubdivideInvZRatio = 1.025f;

// Depth of the current split, process-wide: FillPolygon16 resets it to 0
// for each polygon, and every call below counts itself in and out again.
extern int32_t g_subdivisionDepth;

// a, b, c carry u x invZ and v x invZ in place of u and v. An edge's x or y
// extent counts when the edge's invZ ratio (larger over smaller) exceeds
// kSubdivideInvZRatio or the extent exceeds the canvas's subdivideLongLength;
// the largest extent that counts (the first of equal ones, in the order
// ab.x, ab.y, bc.x, bc.y, ca.x, ca.y) decides. When it is no longer than the
// canvas's subdivideLength, or the depth has reached kMaxSubdivisionDepth,
// the triangle goes to fill with u and v divided by invZ again. Otherwise
// its edge is split at the midpoint (every value averaged, the colour word
// taken from the edge's first end) and both halves are drawn the same way.
void SubdividePerspectiveTriangle16(Canvas* canvas, uint32_t mode, const ScreenVertex& a, const ScreenVertex& b,
                                    const ScreenVertex& c, const SoftTexture* texture, uint32_t level,
                                    TriangleFill16 fill);

// Whether SubdividePerspectiveTriangle16 fills the triangle as it is, with no
// split: no side's x or y extent is longer than the canvas's subdivideLength.
bool FilledUnsplit16(const Canvas& canvas, const ScreenVertex& a, const ScreenVertex& b, const ScreenVertex& c);
