#include "raster/FillTriangle16.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "engine/Saturate.h"
#include "display/ColorTables.h"
#include "display/Palette.h"
#include "display/SoftTexture.h"
#include "display/Canvas.h"
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

// The set-up's fixed-point vertex: x, y 16.16, z in units of 2^-31 held
// below 2^31 (depth 1.0 stays farthest instead of wrapping to nearest),
// shade 16.16 held to 0..255, u and v 16.16 shifted by the texture's sides.
FixedVertex ToFixed(const ScreenVertex& in, const SoftTexture* texture) {
    FixedVertex out;
    out.x = static_cast<int32_t>(in.x * 65536.0f);
    out.y = static_cast<int32_t>(in.y * 65536.0f);
    out.depth = static_cast<uint32_t>(std::clamp<double>(std::trunc(double(in.depth) * 2147483648.0), 0.0,
                                                         double(kDepthMax)));
    out.colour = in.colour;
    out.intensity = static_cast<int32_t>(
        std::clamp<double>(std::trunc(double(in.intensity) * 65536.0), 0.0, double(kShadeMax)));
    if (texture != nullptr) {
        out.u = SaturateToInt32(std::trunc(double(in.u) * 65536.0) * double(1 << texture->log2Width));
        out.v = SaturateToInt32(std::trunc(double(in.v) * 65536.0) * double(1 << texture->log2Height));
    }
    out.invZ = 0;
    return out;
}

int64_t FloorDiv(int64_t numerator, int64_t denominator) {
    int64_t quotient = numerator / denominator;
    if (numerator % denominator < 0) --quotient;
    return quotient;
}

// One attribute of an edge, stepped row by row: the value at row k is
// from + floor((prestep + k) x difference / dy), prestep and k in 16.16
// rows, held as a whole part and a remainder so that no error builds up
// however tall the edge. Starts at row `first` of the edge.
class EdgeValue {
public:
    EdgeValue(int64_t from, int64_t difference, int64_t dy, int64_t prestep, int64_t first) : dy_(dy), value_(from) {
        // A value the edge does not change (a flat shade, an untextured u
        // or v) needs none of the divisions, which would all give 0.
        if (difference == 0) return;
        const int64_t offset = (prestep + first * 65536) * difference;
        const int64_t whole = FloorDiv(offset, dy);
        value_ = from + whole;
        remainder_ = offset - whole * dy;
        step_ = FloorDiv(difference * 65536, dy);
        remainderStep_ = difference * 65536 - step_ * dy;
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

template <bool kDepth>
void WalkEdge(const EdgeWindow& window, int32_t startIndex, const FixedVertex& from, const FixedVertex& to) {
    const int64_t dy = int64_t(to.y) - from.y;
    if (dy <= 1 || dy > kMaxEdgeHeight) return;
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
    EdgeValue x(int64_t(from.x) + 0xFFFF, int64_t(to.x) - from.x, dy, prestep, kBegin);
    EdgeValue shade(from.intensity, int64_t(to.intensity) - from.intensity, dy, prestep, kBegin);
    EdgeValue u(from.u, int64_t(to.u) - from.u, dy, prestep, kBegin);
    EdgeValue v(from.v, int64_t(to.v) - from.v, dy, prestep, kBegin);
    // Depth is set up only where it is tested: each value costs divisions.
    EdgeValue z = kDepth ? EdgeValue(from.depth, int64_t(to.depth) - int64_t(from.depth), dy, prestep, kBegin)
                         : EdgeValue();

    SpanEdge* record = window.records + (int64_t(startIndex) + kBegin - window.first);
    for (int64_t k = kBegin; k < kEnd; ++k, ++record) {
        // x + 0xffff >> 16: the first column at or right of the edge.
        record->x = static_cast<int32_t>(x.Value() >> 16);
        record->shade = static_cast<int32_t>(std::clamp<int64_t>(shade.Value(), 0, kShadeMax));
        record->u = static_cast<int32_t>(u.Value());
        record->v = static_cast<int32_t>(v.Value());
        x.Next();
        shade.Next();
        u.Next();
        v.Next();
        if constexpr (kDepth) {
            record->z = static_cast<uint32_t>(std::clamp<int64_t>(z.Value(), 0, kDepthMax));
            z.Next();
        }
    }
}

bool Finite(const ScreenVertex& v) {
    return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.depth) && std::isfinite(v.intensity) &&
           std::isfinite(v.u) && std::isfinite(v.v) && std::isfinite(v.invZ);
}

bool InsideGuardBand(const ScreenVertex& v) {
    return v.x >= -kGuardBand && v.x <= kGuardBand && v.y >= -kGuardBand && v.y <= kGuardBand;
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

// The triangle inside the guard band: the set-up proper.
void FillInBand(Canvas& canvas, uint32_t mode, const ScreenVertex& a, const ScreenVertex& b, const ScreenVertex& c,
                const SoftTexture* texture, uint32_t level) {
    // Orientation and order by y decide which side the long edge takes.
    const bool crossNotPositive = (a.x - b.x) * (c.y - b.y) - (c.x - b.x) * (a.y - b.y) <= 0.0f;
    const TriangleOrder order = OrderByY(a, b, c);
    const bool even = order.even;
    const bool longEdgeRight = even != crossNotPositive;

    const bool textured = (mode & kSpanModeTextured) != 0;
    const SoftTexture* const used = textured ? texture : nullptr;
    const FixedVertex t = ToFixed(*order.top, used);
    const FixedVertex m = ToFixed(*order.middle, used);
    const FixedVertex btm = ToFixed(*order.bottom, used);

    const int32_t topRow = RowOf(t.y);
    const int32_t rowCount = RowOf(btm.y) - topRow;
    const int32_t upperCount = RowOf(m.y) - topRow;
    const int32_t lowerCount = RowOf(btm.y) - RowOf(m.y);
    if (rowCount <= 0) return;
    int32_t measure = upperCount;
    if (upperCount == 0) measure = 0;
    if (lowerCount == 0) measure = rowCount - 1;
    measure = std::max(measure, 0);

    const bool depth = (mode & kSpanModeDepth) != 0;
    const auto walk = depth ? WalkEdgeDepth16 : WalkEdge16;

    // Only the rows on the canvas get records.
    const int32_t first = std::max(0, -topRow);
    const int32_t end = int32_t(std::min<int64_t>(rowCount, int64_t(canvas.height) - topRow));
    const int32_t visible = end - first;
    if (visible <= 0) return;
    SpanEdge* const leftBuffer = reinterpret_cast<SpanEdge*>(canvas.spanBufferA);
    SpanEdge* const rightBuffer = reinterpret_cast<SpanEdge*>(canvas.spanBufferB);
    // Rows that no edge reaches (an edge too short to walk) stay empty.
    std::memset(static_cast<void*>(leftBuffer), 0, sizeof(SpanEdge) * size_t(visible));
    std::memset(static_cast<void*>(rightBuffer), 0, sizeof(SpanEdge) * size_t(visible));
    const EdgeWindow longSide{longEdgeRight ? rightBuffer : leftBuffer, first, end};
    const EdgeWindow otherSide{longEdgeRight ? leftBuffer : rightBuffer, first, end};
    walk(longSide, 0, t, btm);
    walk(otherSide, 0, t, m);
    walk(otherSide, measure, m, btm);

    // The per-pixel steps come from the measuring row: read from the walk
    // above when it lies on the canvas, else walked on its own.
    SpanEdge measured[2] = {};   // [0] the long edge's side, [1] the other
    if (measure >= first && measure < end) {
        measured[0] = (longEdgeRight ? rightBuffer : leftBuffer)[measure - first];
        measured[1] = (longEdgeRight ? leftBuffer : rightBuffer)[measure - first];
    } else {
        const EdgeWindow longRow{&measured[0], measure, measure + 1};
        const EdgeWindow otherRow{&measured[1], measure, measure + 1};
        walk(longRow, 0, t, btm);
        walk(otherRow, 0, t, m);
        walk(otherRow, measure, m, btm);
    }
    const SpanEdge& measuredLeft = longEdgeRight ? measured[1] : measured[0];
    const SpanEdge& measuredRight = longEdgeRight ? measured[0] : measured[1];

    Steps steps;
    const int32_t width = measuredRight.x - measuredLeft.x;
    if (width > 0) {
        steps.shade = (int64_t(measuredRight.shade) - measuredLeft.shade) / width;
        if (depth) steps.depth = (int64_t(measuredRight.z) - int64_t(measuredLeft.z)) / width;
        if (textured) {
            steps.u = (int64_t(measuredRight.u) - measuredLeft.u) / width;
            steps.v = (int64_t(measuredRight.v) - measuredLeft.v) / width;
        }
    }

    SpanSetup setup;
    setup.target = &canvas;
    setup.leftEdge = leftBuffer;
    setup.rightEdge = rightBuffer;
    setup.texture = used;
    setup.topY = topRow + first;
    setup.lastRow = visible - 1;
    setup.color = order.top->colour;
    setup.level = level;
    setup.destPitch = canvas.pitch;
    setup.depthPitch = canvas.depthPitch;
    setup.shadeStep = static_cast<int32_t>(steps.shade);
    setup.depthStep = static_cast<int32_t>(steps.depth);
    if (textured) {
        setup.uStep = static_cast<int32_t>(static_cast<uint32_t>(steps.u) << used->uScaleShift);
        setup.vStep = static_cast<int32_t>(static_cast<uint32_t>(steps.v) << used->vScaleShift);
    }
    setup.destRow = reinterpret_cast<uint16_t*>(canvas.Row(setup.topY));
    if (depth) setup.depthRow = canvas.DepthRow(setup.topY);

    for (int32_t i = 0; i < visible; ++i) {
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
    WalkEdge<false>(window, startIndex, from, to);
}

void WalkEdgeDepth16(const EdgeWindow& window, int32_t startIndex, const FixedVertex& from,
                     const FixedVertex& to) {
    WalkEdge<true>(window, startIndex, from, to);
}

void FillTriangle16(Canvas* canvas, uint32_t mode, const ScreenVertex* a, const ScreenVertex* b,
                    const ScreenVertex* c, const SoftTexture* texture, uint32_t level) {
    if (canvas == nullptr || a == nullptr || b == nullptr || c == nullptr) return;
    if (!Finite(*a) || !Finite(*b) || !Finite(*c)) return;
    const uint32_t perspective = Canvas::kModePerspective | Canvas::kModeTextured;
    if ((mode & perspective) == perspective && (a->invZ <= 0.0f || b->invZ <= 0.0f || c->invZ <= 0.0f)) return;

    if (CanvasDrawable(*canvas)) {
        uint32_t fillMode = mode & ~Canvas::kModeOutline;
        if (canvas->depth == nullptr || canvas->depthRowOffsets == nullptr) fillMode &= ~kSpanModeDepth;
        const bool textured = (fillMode & kSpanModeTextured) != 0;
        const bool translucent = (fillMode & kSpanModeTranslucent) != 0;
        if ((!textured || TextureUsable(texture)) && (!translucent || g_colorTables != nullptr)) {
            if (InsideGuardBand(*a) && InsideGuardBand(*b) && InsideGuardBand(*c)) {
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
