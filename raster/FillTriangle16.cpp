#include "raster/FillTriangle16.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "engine/Saturate.h"
#include "display/ColorTables.h"
#include "display/Palette.h"
#include "display/SoftTexture.h"
#include "display/Canvas.h"
#include "display/NearShapes.h"
#include "display/PixelImage.h"

namespace {

constexpr int64_t kShadeMax = (int64_t(255) << 16) | 0xFFFF;   // 255.99 in 16.16
constexpr int64_t kDepthMax = (int64_t(1) << 31) - 1;          // z in units of 2^-31

// Vertices beyond this many pixels from the origin are cut away before the
// triangle is taken to 16.16, whose integer part would not hold them; within
// it, every product of the edge walk fits in 64 bits.
constexpr double kGuardBand = 8192.0;
constexpr int64_t kMaxEdgeHeight = int64_t(1) << 30;   // the band's height in 16.16

// The row of a 16.16 y: the next row at or below it, where fractions of up
// to 3/65536 past a row count as that row (a float meant to lie on a row may
// come out a hair below it). Both the set-up and the walkers count rows so,
// which puts every edge's records exactly where the set-up expects them.
int32_t RowOf(int32_t y) { return static_cast<int32_t>((int64_t(y) + 0xFFFC) >> 16); }

// The 16.16 y of a vertex inside the guard band, which alone decides
// whether a triangle has rows to draw.
int32_t FixedY(const ScreenVertex& in) { return static_cast<int32_t>(in.y * 65536.0f); }

// The set-up's fixed-point vertex, in two steps: its place first, x and y
// 16.16, which shows whether the triangle has any pixel to draw ...
FixedVertex FixedPlace(const ScreenVertex& in) {
    FixedVertex out;
    out.x = static_cast<int32_t>(in.x * 65536.0f);
    out.y = FixedY(in);
    return out;
}

// ... then its values: z in units of 2^-31 held below 2^31 (depth 1.0 stays
// farthest instead of wrapping to nearest), shade 16.16 held to 0..255, u
// and v 16.16 (truncated) shifted by the texture's sides and held to 32
// bits. Scaling a float by a power of two is exact, or overflows to an
// infinity that the limits catch all the same, so each value is scaled in
// float and clamped to integer limits before it is truncated: the same
// integer as truncating first, in fewer steps.
void AddFixedValues(FixedVertex& out, const ScreenVertex& in, const SoftTexture* texture) {
    // 2^31 - 1 has no float; every float below 2^31 truncates to at most
    // 2^31 - 128.
    const float depth = std::clamp(in.depth * 2147483648.0f, 0.0f, 2147483648.0f);
    out.depth = static_cast<uint32_t>(std::min<int64_t>(static_cast<int64_t>(depth), kDepthMax));
    out.colour = in.colour;
    out.intensity = static_cast<int32_t>(std::clamp(in.intensity * 65536.0f, 0.0f, float(kShadeMax)));
    if (texture != nullptr) {
        // Past 2^31 the shifted value saturates whatever the rest.
        const auto texel = [](float coordinate, int32_t log2Side) {
            const float scaled = std::clamp(coordinate * 65536.0f, -2147483648.0f, 2147483648.0f);
            return Saturate32(static_cast<int64_t>(scaled) * (int64_t(1) << log2Side));
        };
        out.u = texel(in.u, texture->log2Width);
        out.v = texel(in.v, texture->log2Height);
    }
}

// Division by an edge's height, which all of the edge's values share: a
// multiplication by its inverse, then put right to the exact floor and
// remainder, cheaper than a 64-bit division. The walk's quotients stay below
// 2^48 in size (a difference under 2^32, times 65536 for a step), where the
// estimate is off by less than 2^-4; truncated, it lies within one of the
// floor, or two for a negative quotient.
class EdgeDivisor {
public:
    explicit EdgeDivisor(int64_t divisor) : divisor_(divisor), inverse_(1.0 / double(divisor)) {}

    int64_t Divisor() const { return divisor_; }

    // floor(numerator / divisor); remainder gets the rest, 0 .. divisor - 1.
    int64_t Floor(int64_t numerator, int64_t& remainder) const {
        int64_t whole = static_cast<int64_t>(double(numerator) * inverse_);
        int64_t rest = numerator - whole * divisor_;
        // A negative quotient truncated toward zero: half of all values, so
        // this fix takes no branch.
        const int64_t below = rest >> 63;
        whole += below;
        rest += divisor_ & below;
        // Only where the estimate missed across a whole number.
        if (rest < 0) {
            --whole;
            rest += divisor_;
        } else if (rest >= divisor_) {
            ++whole;
            rest -= divisor_;
        }
        remainder = rest;
        return whole;
    }

private:
    int64_t divisor_;
    double inverse_;
};

// One attribute of an edge, stepped row by row: the value at row k is
// from + floor((prestep + k) x difference / dy), prestep and k in 16.16
// rows, held as a whole part and a remainder so that no error builds up
// however tall the edge. Starts `reach` (16.16 rows) below the vertex.
class EdgeValue {
public:
    EdgeValue(int64_t from, int64_t difference, const EdgeDivisor& dy, int64_t reach)
        : dy_(dy.Divisor()), value_(from) {
        // A value the edge does not change (a flat shade, an untextured u
        // or v) needs none of the divisions, which would all give 0.
        if (difference == 0) return;
        value_ = from + dy.Floor(reach * difference, remainder_);
        step_ = dy.Floor(difference * 65536, remainderStep_);
    }

    // A value that is never stepped.
    EdgeValue() : dy_(1) {}

    int64_t Value() const { return value_; }

    // Without a branch: whether the remainder carries is as good as random.
    void Next() {
        remainder_ += remainderStep_;
        const int64_t carry = remainder_ >= dy_ ? 1 : 0;
        value_ += step_ + carry;
        remainder_ -= carry * dy_;
    }

private:
    const int64_t dy_;
    int64_t value_ = 0;
    int64_t remainder_ = 0;   // 0 .. dy - 1
    int64_t step_ = 0;
    int64_t remainderStep_ = 0;
};

// An attribute's value on the one row an edge writes: no step needed.
int64_t EdgeFirstValue(int64_t from, int64_t difference, const EdgeDivisor& dy, int64_t reach) {
    if (difference == 0) return from;
    int64_t remainder = 0;
    return from + dy.Floor(reach * difference, remainder);
}

// Whether an edge that crosses rows gets its records from WalkEdge.
bool EdgeWalked(int32_t fromY, int32_t toY) {
    const int64_t dy = int64_t(toY) - fromY;
    return dy > 1 && dy <= kMaxEdgeHeight;
}

// What a walk writes into each record. The spans read only x at the right
// end, save on the row the steps are measured on; at the left end x comes
// first, which shows whether the triangle draws at all, and the values after.
constexpr uint32_t kWalkX = 1;
constexpr uint32_t kWalkValues = 2;   // shade, u and v
constexpr uint32_t kWalkDepth = 4;

template <uint32_t kFields>
void WalkEdge(const EdgeWindow& window, int32_t startIndex, const FixedVertex& from, const FixedVertex& to) {
    constexpr bool kX = (kFields & kWalkX) != 0;
    constexpr bool kValues = (kFields & kWalkValues) != 0;
    constexpr bool kDepth = (kFields & kWalkDepth) != 0;
    if (!EdgeWalked(from.y, to.y)) return;
    const int64_t dy = int64_t(to.y) - from.y;
    const int32_t firstRow = RowOf(from.y);
    const int64_t rows = int64_t(RowOf(to.y)) - firstRow;
    if (rows <= 0) return;

    // Only the rows inside the window are written; the ones above it are
    // stepped over at once.
    const int64_t kBegin = std::max<int64_t>(0, int64_t(window.first) - startIndex);
    const int64_t kEnd = std::min<int64_t>(rows, int64_t(window.end) - startIndex);
    if (kBegin >= kEnd) return;

    // From the vertex to the first row it reaches (up to 3/65536 back).
    const int64_t prestep = int64_t(firstRow) * 65536 - from.y;
    const int64_t reach = prestep + kBegin * 65536;
    const EdgeDivisor divisor(dy);
    SpanEdge* record = window.records + (int64_t(startIndex) + kBegin - window.first);

    // Most edges of a small triangle write one row, which needs no steps.
    if (kEnd - kBegin == 1) {
        if constexpr (kX) {
            const int64_t x = EdgeFirstValue(int64_t(from.x) + 0xFFFF, int64_t(to.x) - from.x, divisor, reach);
            record->x = static_cast<int32_t>(x >> 16);
        }
        if constexpr (kValues) {
            const int64_t shade =
                EdgeFirstValue(from.intensity, int64_t(to.intensity) - from.intensity, divisor, reach);
            record->shade = static_cast<int32_t>(std::clamp<int64_t>(shade, 0, kShadeMax));
            record->u = static_cast<int32_t>(EdgeFirstValue(from.u, int64_t(to.u) - from.u, divisor, reach));
            record->v = static_cast<int32_t>(EdgeFirstValue(from.v, int64_t(to.v) - from.v, divisor, reach));
        }
        if constexpr (kDepth) {
            const int64_t z = EdgeFirstValue(from.depth, int64_t(to.depth) - int64_t(from.depth), divisor, reach);
            record->z = static_cast<uint32_t>(std::clamp<int64_t>(z, 0, kDepthMax));
        }
        return;
    }

    EdgeValue x = kX ? EdgeValue(int64_t(from.x) + 0xFFFF, int64_t(to.x) - from.x, divisor, reach) : EdgeValue();
    EdgeValue shade = kValues ? EdgeValue(from.intensity, int64_t(to.intensity) - from.intensity, divisor, reach)
                              : EdgeValue();
    EdgeValue u = kValues ? EdgeValue(from.u, int64_t(to.u) - from.u, divisor, reach) : EdgeValue();
    EdgeValue v = kValues ? EdgeValue(from.v, int64_t(to.v) - from.v, divisor, reach) : EdgeValue();
    // Depth is set up only where it is tested.
    EdgeValue z = kDepth ? EdgeValue(from.depth, int64_t(to.depth) - int64_t(from.depth), divisor, reach)
                         : EdgeValue();

    for (int64_t k = kBegin; k < kEnd; ++k, ++record) {
        if constexpr (kX) {
            // x + 0xffff >> 16: the first column at or right of the edge.
            record->x = static_cast<int32_t>(x.Value() >> 16);
            x.Next();
        }
        if constexpr (kValues) {
            record->shade = static_cast<int32_t>(std::clamp<int64_t>(shade.Value(), 0, kShadeMax));
            record->u = static_cast<int32_t>(u.Value());
            record->v = static_cast<int32_t>(v.Value());
            shade.Next();
            u.Next();
            v.Next();
        }
        if constexpr (kDepth) {
            record->z = static_cast<uint32_t>(std::clamp<int64_t>(z.Value(), 0, kDepthMax));
            z.Next();
        }
    }
}

// A float less itself is 0 when finite and NaN otherwise, and a NaN carries
// through every sum: one test for all seven values of the three vertices.
float FiniteResidue(const ScreenVertex& v) {
    return ((v.x - v.x) + (v.y - v.y)) + ((v.depth - v.depth) + (v.intensity - v.intensity)) +
           ((v.u - v.u) + (v.v - v.v)) + (v.invZ - v.invZ);
}

bool Finite(const ScreenVertex& a, const ScreenVertex& b, const ScreenVertex& c) {
    const float residue = (FiniteResidue(a) + FiniteResidue(b)) + FiniteResidue(c);
    return residue == residue;
}

// Whether a place lies inside the guard band; a NaN does not.
bool InBand(const ScreenVertex& p) { return std::fabs(p.x) <= kGuardBand && std::fabs(p.y) <= kGuardBand; }

bool InBand(const ScreenVertex& a, const ScreenVertex& b, const ScreenVertex& c) {
    return InBand(a) && InBand(b) && InBand(c);
}

bool TextureUsable(const SoftTexture* texture) {
    return texture != nullptr && texture->status == 0 && texture->image != nullptr &&
           texture->image->pixels != nullptr && texture->sizeClass >= 0 &&
           texture->sizeClass < kSpanSizeClasses;
}

// What every triangle needs of the canvas before a record is written.
bool CanvasDrawable(const Canvas& canvas) {
    return canvas.pixels != nullptr && canvas.rowOffsets != nullptr && canvas.spanBufferA != nullptr &&
           canvas.spanBufferB != nullptr && canvas.palette != nullptr && canvas.palette->Shades() != nullptr &&
           canvas.palette->Shades()->rows != nullptr && canvas.width > 0 && canvas.height > 0;
}

struct Steps {
    int64_t shade = 0;
    int64_t depth = 0;
    int64_t u = 0;   // 16.16 texels per pixel, not yet shifted for the span
    int64_t v = 0;
};

// difference / width truncated, as a 64-bit division gives it, for a
// difference under 2^33: a double quotient lies nearer its true value than
// the 1/width by which a fraction stays off a whole number, so it truncates
// alike, and costs less than the integer division.
int64_t StepAcross(int64_t difference, int32_t width) {
    return static_cast<int64_t>(double(difference) / double(width));
}

// Moves a row's left end that lies left of column 0 onto it, carrying its
// values along the row, and its right end onto the canvas's right side.
void ClipRow(SpanEdge& left, SpanEdge& right, int32_t width, const Steps& steps) {
    if (right.x > width) right.x = width;
    if (left.x < 0) {
        const int64_t skipped = -int64_t(left.x);
        left.shade = static_cast<int32_t>(std::clamp<int64_t>(left.shade + skipped * steps.shade, 0, kShadeMax));
        left.z = static_cast<uint32_t>(std::clamp<int64_t>(int64_t(left.z) + skipped * steps.depth, 0, kDepthMax));
        left.u = static_cast<int32_t>(left.u + skipped * steps.u);
        left.v = static_cast<int32_t>(left.v + skipped * steps.v);
        left.x = 0;
    }
}

struct TriangleOrder {
    const ScreenVertex* top;
    const ScreenVertex* middle;
    const ScreenVertex* bottom;
    bool even;   // (a, b, c), (c, a, b) or (b, c, a)
};

// Ties go as the comparisons fall, which fixes whose colour a flat triangle
// shows.
TriangleOrder OrderByY(const ScreenVertex& a, const ScreenVertex& b, const ScreenVertex& c) {
    if (a.y < b.y) {
        if (c.y < a.y) return {&c, &a, &b, true};
        if (b.y > c.y) return {&a, &c, &b, false};
        return {&a, &b, &c, true};
    }
    if (b.y >= c.y) return {&c, &b, &a, false};
    if (a.y >= c.y) return {&b, &c, &a, true};
    return {&b, &a, &c, false};
}

// A triangle's rows as the set-up counts them, and the side its long edge
// takes.
struct TriangleRows {
    TriangleOrder order;
    bool longEdgeRight;
    int32_t topY, middleY, bottomY;   // 16.16
    int32_t topRow, rowCount, upperCount, lowerCount;
    int32_t measure;                  // the row the per-pixel steps are measured on
};

TriangleRows CountRows(const ScreenVertex& a, const ScreenVertex& b, const ScreenVertex& c) {
    TriangleRows rows;
    // Orientation and order by y decide which side the long edge takes.
    const bool crossNotPositive = (a.x - b.x) * (c.y - b.y) - (c.x - b.x) * (a.y - b.y) <= 0.0f;
    rows.order = OrderByY(a, b, c);
    rows.longEdgeRight = rows.order.even != crossNotPositive;
    rows.topY = FixedY(*rows.order.top);
    rows.middleY = FixedY(*rows.order.middle);
    rows.bottomY = FixedY(*rows.order.bottom);
    rows.topRow = RowOf(rows.topY);
    rows.rowCount = RowOf(rows.bottomY) - rows.topRow;
    rows.upperCount = RowOf(rows.middleY) - rows.topRow;
    rows.lowerCount = RowOf(rows.bottomY) - RowOf(rows.middleY);
    int32_t measure = rows.upperCount;
    if (rows.upperCount == 0) measure = 0;
    if (rows.lowerCount == 0) measure = rows.rowCount - 1;
    rows.measure = std::max(measure, 0);
    return rows;
}

// The places of a triangle's corners, top, middle and bottom.
struct TriangleCorners {
    FixedVertex t, m, btm;
};

TriangleCorners CornersOf(const TriangleRows& rows) {
    return {FixedPlace(*rows.order.top), FixedPlace(*rows.order.middle), FixedPlace(*rows.order.bottom)};
}

// The walk of one side of the triangle, the long edge or the two others (an
// edge that crosses no row writes nothing).
template <typename Walker>
void WalkSide(const TriangleRows& rows, const TriangleCorners& at, Walker walker, bool longEdge,
              const EdgeWindow& window) {
    if (longEdge) {
        walker(window, 0, at.t, at.btm);
        return;
    }
    if (rows.upperCount > 0) walker(window, 0, at.t, at.m);
    if (rows.lowerCount > 0) walker(window, rows.measure, at.m, at.btm);
}

// A corner on a whole column and row, as every corner the scene gives the
// canvas unclipped is.
bool OnWholePixels(const ScreenVertex& v) {
    return float(int32_t(v.x)) == v.x && float(int32_t(v.y)) == v.y;
}

bool OnWholePixels(const TriangleRows& rows) {
    return OnWholePixels(*rows.order.top) && OnWholePixels(*rows.order.middle) && OnWholePixels(*rows.order.bottom);
}

// The column WalkEdge gives one side of a triangle whose corners lie on
// whole pixels, at row i, without its walk: an edge's column k rows below
// its upper corner is then exactly x0 + ceil(k dx / dy). The walk's 16.16
// floor of k dx / dy falls short of the quotient by less than 1/65536, and
// a quotient that is not whole lies at least 1/dy past one, dy inside the
// band far below 65536.
int32_t WholeColumn(const TriangleRows& rows, bool longEdge, int32_t i) {
    const auto column = [](float x0, float x1, int32_t dy, int32_t k) {
        const int32_t n = k * (int32_t(x1) - int32_t(x0));
        return int32_t(x0) + (n >= 0 ? (n + dy - 1) / dy : -(-n / dy));
    };
    const ScreenVertex& t = *rows.order.top;
    const ScreenVertex& m = *rows.order.middle;
    const ScreenVertex& btm = *rows.order.bottom;
    if (longEdge) return column(t.x, btm.x, rows.rowCount, i);
    if (i < rows.upperCount) return column(t.x, m.x, rows.upperCount, i);
    return column(m.x, btm.x, rows.lowerCount, i - rows.upperCount);
}

// Walks both ends of rows first .. end - 1 into the two buffers; whether any
// of those rows has a pixel on a canvas `width` wide. Rows that no edge
// reaches (an edge of 1/65536 that still crosses a row, too short to walk)
// stay empty. Where every row is walked on both sides, the walks write all
// that a span routine reads of a row: every value at the left end (z only in
// the depth modes; the set-up's clipping clears it in the others), x at the
// right.
bool WalkEnds(const TriangleRows& rows, SpanEdge* left, SpanEdge* right, int32_t first,
              int32_t end, int32_t width) {
    const int32_t visible = end - first;
    // Its divisions cost less than the walk's set-up only over a few rows.
    constexpr int32_t kMostWholeRows = 16;
    if (visible <= kMostWholeRows && OnWholePixels(rows)) {
        for (int32_t i = first; i < end; ++i) {
            left[i - first].x = WholeColumn(rows, !rows.longEdgeRight, i);
            right[i - first].x = WholeColumn(rows, rows.longEdgeRight, i);
        }
    } else {
        const bool everyRowWalked = EdgeWalked(rows.topY, rows.bottomY) &&
                                    (rows.upperCount == 0 || EdgeWalked(rows.topY, rows.middleY)) &&
                                    (rows.lowerCount == 0 || EdgeWalked(rows.middleY, rows.bottomY));
        if (!everyRowWalked) {
            std::memset(static_cast<void*>(left), 0, sizeof(SpanEdge) * size_t(visible));
            std::memset(static_cast<void*>(right), 0, sizeof(SpanEdge) * size_t(visible));
        }
        const TriangleCorners at = CornersOf(rows);
        WalkSide(rows, at, WalkEdge<kWalkX>, !rows.longEdgeRight, EdgeWindow{left, first, end});
        WalkSide(rows, at, WalkEdge<kWalkX>, rows.longEdgeRight, EdgeWindow{right, first, end});
    }
    // Every span routine draws nothing on a row whose ends meet or cross
    // once cut to the canvas.
    for (int32_t i = 0; i < visible; ++i) {
        if (std::max(left[i].x, 0) < std::min(right[i].x, width)) return true;
    }
    return false;
}

// The rows of a triangle on a canvas `height` high: first .. end - 1.
struct VisibleRows {
    int32_t first, end;
};

VisibleRows RowsOnCanvas(const TriangleRows& rows, int32_t height) {
    return {std::max(0, -rows.topRow), int32_t(std::min<int64_t>(rows.rowCount, int64_t(height) - rows.topRow))};
}

// The triangle inside the guard band: the set-up proper.
void FillInBand(Canvas& canvas, uint32_t mode, const ScreenVertex& a, const ScreenVertex& b, const ScreenVertex& c,
                const SoftTexture* texture, uint32_t level) {
    // Rows first: many a small triangle has none on the canvas, and needs
    // nothing more.
    const TriangleRows rows = CountRows(a, b, c);
    if (rows.rowCount <= 0) return;
    const bool longEdgeRight = rows.longEdgeRight;
    const int32_t measure = rows.measure;
    const int32_t topRow = rows.topRow;

    // Only the rows on the canvas get records.
    const auto [first, end] = RowsOnCanvas(rows, canvas.height);
    const int32_t visible = end - first;
    if (visible <= 0) return;

    SpanEdge* const leftBuffer = reinterpret_cast<SpanEdge*>(canvas.spanBufferA);
    SpanEdge* const rightBuffer = reinterpret_cast<SpanEdge*>(canvas.spanBufferB);
    // Many a small triangle covers no pixel on the canvas, and so needs none
    // of its values, nor its routine.
    if (!WalkEnds(rows, leftBuffer, rightBuffer, first, end, canvas.width)) return;
    TriangleCorners at = CornersOf(rows);

    const bool textured = (mode & kSpanModeTextured) != 0;
    const SoftTexture* const used = textured ? texture : nullptr;
    AddFixedValues(at.t, *rows.order.top, used);
    AddFixedValues(at.m, *rows.order.middle, used);
    AddFixedValues(at.btm, *rows.order.bottom, used);
    const auto walkSide = [&](auto walker, bool longEdge, const EdgeWindow& window) {
        WalkSide(rows, at, walker, longEdge, window);
    };

    const bool depth = (mode & kSpanModeDepth) != 0;
    const auto walkValues = depth ? WalkEdge<kWalkValues | kWalkDepth> : WalkEdge<kWalkValues>;
    walkSide(walkValues, !longEdgeRight, EdgeWindow{leftBuffer, first, end});

    // The per-pixel steps come from the measuring row: read from the walks
    // above when it lies on the canvas, else walked on its own. Its right
    // end's values are walked only where the row has pixels to step across.
    SpanEdge walkedLeft;
    SpanEdge measuredRight;
    const SpanEdge* measuredLeft = &walkedLeft;
    if (measure >= first && measure < end) {
        measuredLeft = &leftBuffer[measure - first];
        measuredRight.x = rightBuffer[measure - first].x;
    } else {
        const EdgeWindow left{&walkedLeft, measure, measure + 1};
        walkSide(WalkEdge<kWalkX>, !longEdgeRight, left);
        walkSide(walkValues, !longEdgeRight, left);
        walkSide(WalkEdge<kWalkX>, longEdgeRight, EdgeWindow{&measuredRight, measure, measure + 1});
    }

    Steps steps;
    const int32_t width = measuredRight.x - measuredLeft->x;
    if (width > 0) {
        walkSide(walkValues, longEdgeRight, EdgeWindow{&measuredRight, measure, measure + 1});
        steps.shade = StepAcross(int64_t(measuredRight.shade) - measuredLeft->shade, width);
        if (depth) steps.depth = StepAcross(int64_t(measuredRight.z) - int64_t(measuredLeft->z), width);
        if (textured) {
            steps.u = StepAcross(int64_t(measuredRight.u) - measuredLeft->u, width);
            steps.v = StepAcross(int64_t(measuredRight.v) - measuredLeft->v, width);
        }
    }

    // Every field is set below, so the clearing its defaults do costs nothing.
    SpanSetup setup;
    setup.target = &canvas;
    setup.leftEdge = leftBuffer;
    setup.rightEdge = rightBuffer;
    setup.texture = used;
    setup.topY = topRow + first;
    setup.lastRow = visible - 1;
    setup.color = rows.order.top->colour;
    setup.level = level;
    setup.destPitch = canvas.pitch;
    setup.depthPitch = canvas.depthPitch;
    setup.shadeStep = static_cast<int32_t>(steps.shade);
    setup.depthStep = static_cast<int32_t>(steps.depth);
    setup.uStep = textured ? static_cast<int32_t>(static_cast<uint32_t>(steps.u) << used->uScaleShift) : 0;
    setup.vStep = textured ? static_cast<int32_t>(static_cast<uint32_t>(steps.v) << used->vScaleShift) : 0;
    setup.destRow = reinterpret_cast<uint16_t*>(canvas.Row(setup.topY));
    setup.depthRow = depth ? canvas.DepthRow(setup.topY) : nullptr;

    for (int32_t i = 0; i < visible; ++i) {
        if (!depth) leftBuffer[i].z = 0;
        ClipRow(leftBuffer[i], rightBuffer[i], canvas.width, steps);
    }

    const int32_t sizeClass = textured ? used->sizeClass : 0;
    const SpanFiller filler = g_spanDispatch[sizeClass][mode & kSpanModeMask];
    if (filler != nullptr) filler(&setup);
}

// A vertex being cut to the guard band, held in double so that a cut made
// far outside the band lands where the edge really crosses it.
struct BandVertex {
    double x, y, depth, intensity, u, v, invZ;
};

BandVertex ToBand(const ScreenVertex& in) {
    return {in.x, in.y, in.depth, in.intensity, in.u, in.v, in.invZ};
}

ScreenVertex FromBand(const BandVertex& in, uint32_t colour) {
    ScreenVertex out;
    out.x = float(in.x);
    out.y = float(in.y);
    out.depth = float(in.depth);
    out.colour = colour;
    out.intensity = float(in.intensity);
    out.u = float(in.u);
    out.v = float(in.v);
    out.invZ = float(in.invZ);
    return out;
}

// Cuts the polygon to one side of an axis-aligned line. A crossing is always
// measured from the vertex inside toward the one outside, so an edge that two
// triangles share is cut at the same point in both.
int32_t ClipToSide(const BandVertex* in, int32_t count, BandVertex* out, bool alongX, double limit, bool keepBelow) {
    const auto coordinate = [alongX](const BandVertex& v) { return alongX ? v.x : v.y; };
    const auto inside = [&](const BandVertex& v) {
        return keepBelow ? coordinate(v) <= limit : coordinate(v) >= limit;
    };
    const auto mix = [](double p, double q, double t) { return p + (q - p) * t; };
    int32_t n = 0;
    for (int32_t i = 0; i < count; ++i) {
        const BandVertex& p = in[i];
        const BandVertex& q = in[(i + 1) % count];
        const bool pIn = inside(p);
        if (pIn) out[n++] = p;
        if (pIn != inside(q)) {
            const BandVertex& from = pIn ? p : q;
            const BandVertex& to = pIn ? q : p;
            const double t = (limit - coordinate(from)) / (coordinate(to) - coordinate(from));
            BandVertex cut{mix(from.x, to.x, t),         mix(from.y, to.y, t), mix(from.depth, to.depth, t),
                           mix(from.intensity, to.intensity, t), mix(from.u, to.u, t), mix(from.v, to.v, t),
                           mix(from.invZ, to.invZ, t)};
            (alongX ? cut.x : cut.y) = limit;
            out[n++] = cut;
        }
    }
    return n;
}

}  // namespace

void WalkEdge16(const EdgeWindow& window, int32_t startIndex, const FixedVertex& from, const FixedVertex& to) {
    WalkEdge<kWalkX | kWalkValues>(window, startIndex, from, to);
}

void WalkEdgeDepth16(const EdgeWindow& window, int32_t startIndex, const FixedVertex& from,
                     const FixedVertex& to) {
    WalkEdge<kWalkX | kWalkValues | kWalkDepth>(window, startIndex, from, to);
}

bool OnOneRowOrColumn16(int32_t count, const ScreenVertex* v) {
    // A corner's row as the set-up counts it, and the column its x walks
    // to: both grow with the coordinate, so corners that share one share it
    // with every point between them. Past the guard band the pieces are cut
    // in double; those are left to the set-up.
    const auto row = [](float y) { return RowOf(static_cast<int32_t>(y * 65536.0f)); };
    const auto column = [](float x) { return (static_cast<int32_t>(x * 65536.0f) + 0xFFFF) >> 16; };
    // Most polygons are triangles: their corners are taken in a row.
    if (!InBand(v[0], v[1], v[2])) return false;
    for (int32_t i = 3; i < count; ++i) {
        if (!InBand(v[i])) return false;
    }
    const int32_t row0 = row(v[0].y);
    const int32_t column0 = column(v[0].x);
    int32_t rowsApart = (row(v[1].y) ^ row0) | (row(v[2].y) ^ row0);
    int32_t columnsApart = (column(v[1].x) ^ column0) | (column(v[2].x) ^ column0);
    for (int32_t i = 3; i < count; ++i) {
        rowsApart |= row(v[i].y) ^ row0;
        columnsApart |= column(v[i].x) ^ column0;
    }
    return rowsApart == 0 || columnsApart == 0;
}

namespace {

// The judgement below for a triangle inside the guard band, on a canvas
// width by height.
bool FillsNoPixelInBand(int32_t width, int32_t height, const ScreenVertex& a, const ScreenVertex& b,
                        const ScreenVertex& c) {
    const TriangleRows rows = CountRows(a, b, c);
    if (rows.rowCount <= 0) return true;
    const auto [first, end] = RowsOnCanvas(rows, height);
    if (end - first <= 0) return true;
    // A tall triangle is left to the set-up: few are empty.
    constexpr int32_t kMostRows = 16;
    if (end - first > kMostRows) return false;
    // Records the walks write before they are read, as in the canvas's own
    // buffers.
    alignas(SpanEdge) unsigned char ends[2][kMostRows * sizeof(SpanEdge)];
    return !WalkEnds(rows, reinterpret_cast<SpanEdge*>(ends[0]), reinterpret_cast<SpanEdge*>(ends[1]), first,
                     end, width);
}

// Integer corners inside the canvas, where neither its rows nor its columns
// cut a triangle, are walked alike wherever they lie: the rule at one place
// is the rule at any other, so one walk of each shape answers for all.
NearShapes WalkNearShapes() {
    constexpr int32_t kSide = 2 * NearShapes::kReach;   // the canvas the shapes are walked on
    const auto corner = [](int32_t x, int32_t y) {
        ScreenVertex v{};
        v.x = float(x);
        v.y = float(y);
        return v;
    };
    NearShapes shapes;
    for (int32_t shape = 0; shape < NearShapes::kCount; ++shape) {
        int32_t x[3], y[3];
        NearShapes::CornersOf(shape, x, y);
        if (FillsNoPixelInBand(kSide, kSide, corner(x[0], y[0]), corner(x[1], y[1]), corner(x[2], y[2]))) {
            shapes.SetEmpty(shape);
        }
    }
    return shapes;
}

}  // namespace

const NearShapes* NearShapesFillingNothing16(const Canvas& canvas) {
    // Every piece the subdivision would cut a longer side into lies inside
    // the triangle; the table cannot speak for the pieces. Past the guard
    // band the set-up cuts the triangle first.
    if (!(canvas.subdivideLength >= float(2 * NearShapes::kReach))) return nullptr;
    if (canvas.width > int32_t(kGuardBand) || canvas.height > int32_t(kGuardBand)) return nullptr;
    static const NearShapes shapes = WalkNearShapes();
    return &shapes;
}

bool TriangleFillsNoPixel16(const Canvas& canvas, const ScreenVertex& a, const ScreenVertex& b,
                            const ScreenVertex& c) {
    // Only the place is read: a value that keeps the triangle from being
    // drawn at all cannot make it draw.
    if (!InBand(a, b, c)) return false;
    return FillsNoPixelInBand(canvas.width, canvas.height, a, b, c);
}

void FillTriangle16(Canvas* canvas, uint32_t mode, const ScreenVertex* a, const ScreenVertex* b,
                    const ScreenVertex* c, const SoftTexture* texture, uint32_t level) {
    if (canvas == nullptr || a == nullptr || b == nullptr || c == nullptr) return;
    if (!Finite(*a, *b, *c)) return;
    const uint32_t perspective = Canvas::kModePerspective | Canvas::kModeTextured;
    if ((mode & perspective) == perspective && (a->invZ <= 0.0f || b->invZ <= 0.0f || c->invZ <= 0.0f)) return;

    if (CanvasDrawable(*canvas)) {
        uint32_t fillMode = mode & ~Canvas::kModeOutline;
        if (canvas->depth == nullptr || canvas->depthRowOffsets == nullptr) fillMode &= ~kSpanModeDepth;
        const bool textured = (fillMode & kSpanModeTextured) != 0;
        const bool translucent = (fillMode & kSpanModeTranslucent) != 0;
        if ((!textured || TextureUsable(texture)) && (!translucent || g_colorTables != nullptr)) {
            if (InBand(*a, *b, *c)) {
                FillInBand(*canvas, fillMode, *a, *b, *c, texture, level);
            } else {
                // Cut to the band and draw the pieces as a fan. The cut
                // points take the colour word of the original triangle's
                // top vertex, the one whose colour a flat triangle shows.
                BandVertex polygon[2][9];
                polygon[0][0] = ToBand(*a);
                polygon[0][1] = ToBand(*b);
                polygon[0][2] = ToBand(*c);
                int32_t count = 3;
                count = ClipToSide(polygon[0], count, polygon[1], true, -kGuardBand, false);
                count = ClipToSide(polygon[1], count, polygon[0], true, kGuardBand, true);
                count = ClipToSide(polygon[0], count, polygon[1], false, -kGuardBand, false);
                count = ClipToSide(polygon[1], count, polygon[0], false, kGuardBand, true);
                const uint32_t colour = OrderByY(*a, *b, *c).top->colour;
                ScreenVertex pieces[9];
                for (int32_t i = 0; i < count; ++i) pieces[i] = FromBand(polygon[0][i], colour);
                for (int32_t i = 1; i + 1 < count; ++i) {
                    FillInBand(*canvas, fillMode, pieces[0], pieces[i], pieces[i + 1], texture, level);
                }
            }
        }
    }

    if ((mode & Canvas::kModeOutline) != 0) {
        static const uint8_t kRed[4] = {255, 0, 0, 0};
        canvas->DrawLineClipped(a, b, kRed, nullptr);
        canvas->DrawLineClipped(b, c, kRed, nullptr);
        canvas->DrawLineClipped(c, a, kRed, nullptr);
    }
}
