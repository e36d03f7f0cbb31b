#include "display/LineClip.h"

#include "display/Canvas.h"

namespace {

// One end of the segment while it is being cut: the words that are cut in
// integer form, and the record itself, which carries every other word with
// its end (and the texture words, interpolated in the record's own form).
template <class Record>
struct LineEnd {
    int64_t x;
    int64_t y;
    uint32_t depth;
    uint32_t colour;
    int32_t intensity;
    Record record;
};

// 16.16 fraction of the way from `from` to `to` at which `at` lies; `at` is
// between them and they differ. In 64 bits: FixedDivSat over the 16.16 forms
// would overflow for spans of 32768 pixels and more.
int64_t Fraction(int64_t at, int64_t from, int64_t to) {
    return ((at - from) * 0x10000) / (to - from);
}

int64_t Lerp(int64_t from, int64_t to, int64_t t) {
    return from + (((to - from) * t) >> 16);
}

int32_t LerpWord(int32_t from, int32_t to, int64_t t) {
    return int32_t(Lerp(from, to, t));
}

float LerpWord(float from, float to, int64_t t) {
    return float(double(from) + (double(to) - double(from)) * (double(t) / 65536.0));
}

// Blends channel by channel; each channel is `bits` wide at `shift`.
uint32_t LerpChannels(uint32_t from, uint32_t to, int64_t t, const int (&shifts)[3], const int (&bits)[3]) {
    uint32_t out = 0;
    for (int i = 0; i < 3; ++i) {
        const uint32_t mask = (1u << bits[i]) - 1;
        const int64_t c = Lerp((from >> shifts[i]) & mask, (to >> shifts[i]) & mask, t);
        out |= uint32_t(c) << shifts[i];
    }
    return out;
}

// A palette index blends as a number, as the shaded line steps it; packed
// colours blend per channel. Words of two different forms have nothing in
// between: the moved end keeps its own.
uint32_t LerpColour(uint32_t from, uint32_t to, int64_t t) {
    if (from == to) return to;
    if (from <= 0xFF && to <= 0xFF) return uint32_t(Lerp(from, to, t));
    const uint32_t form = to & Canvas::kColorFormBits;
    if ((from & Canvas::kColorFormBits) != form) return to;
    switch (form) {
    case Canvas::kColorDirect:
        return (to & 0xFF000000u) | LerpChannels(from, to, t, {16, 8, 0}, {8, 8, 8});
    case Canvas::kColorRaw555:
        return (to & 0xFFFF0000u) | LerpChannels(from, to, t, {10, 5, 0}, {5, 5, 5});
    case Canvas::kColorRaw565:
        return (to & 0xFFFF0000u) | LerpChannels(from, to, t, {11, 5, 0}, {5, 6, 5});
    default:
        return to;
    }
}

// Moves the words of `moved` that follow the cut to the fraction t of the way
// from `fixed` (the end that stays) toward `moved`.
template <class Record>
void FollowCut(LineEnd<Record>& moved, const LineEnd<Record>& fixed, int64_t t, uint32_t flags) {
    if (flags & kLineClipDepth) {
        moved.depth = uint32_t(Lerp(fixed.depth, moved.depth, t));
    }
    if (flags & kLineClipShade) {
        moved.colour = LerpColour(fixed.colour, moved.colour, t);
        moved.intensity = int32_t(Lerp(fixed.intensity, moved.intensity, t));
    }
    moved.record.u = LerpWord(fixed.record.u, moved.record.u, t);
    moved.record.v = LerpWord(fixed.record.v, moved.record.v, t);
    moved.record.invZ = LerpWord(fixed.record.invZ, moved.record.invZ, t);
}

template <class Record>
void CutAtX(LineEnd<Record>& moved, const LineEnd<Record>& fixed, int64_t edge, uint32_t flags) {
    const int64_t t = Fraction(edge, fixed.x, moved.x);
    moved.y = Lerp(fixed.y, moved.y, t);
    FollowCut(moved, fixed, t, flags);
    moved.x = edge;
}

template <class Record>
void CutAtY(LineEnd<Record>& moved, const LineEnd<Record>& fixed, int64_t edge, uint32_t flags) {
    const int64_t t = Fraction(edge, fixed.y, moved.y);
    moved.x = Lerp(fixed.x, moved.x, t);
    FollowCut(moved, fixed, t, flags);
    moved.y = edge;
}

struct Edges {
    int64_t left, right, top, bottom;   // inclusive

    explicit Edges(const CanvasRect& c)
        : left(c.x), right(int64_t(c.x) + c.width - 1), top(c.y), bottom(int64_t(c.y) + c.height - 1) {}

    bool Contains(int64_t x, int64_t y) const { return x >= left && x <= right && y >= top && y <= bottom; }
};

// Cuts lo-hi (lo.x <= hi.x) against the left and right edges, then the top
// and bottom ones: kClipVisible or kClipInvisible. Only an end beyond an edge
// is moved, so no fraction divides by zero.
template <class Record>
int32_t Cut(const Edges& e, LineEnd<Record>& lo, LineEnd<Record>& hi, uint32_t flags) {
    if (hi.x < e.left) return kClipInvisible;
    if (lo.x < e.left) CutAtX(lo, hi, e.left, flags);
    if (lo.x > e.right) return kClipInvisible;
    if (hi.x > e.right) CutAtX(hi, lo, e.right, flags);

    if (lo.y < e.top && hi.y < e.top) return kClipInvisible;
    if (lo.y < e.top) {
        CutAtY(lo, hi, e.top, flags);
    } else if (hi.y < e.top) {
        CutAtY(hi, lo, e.top, flags);
    }
    if (lo.y > e.bottom && hi.y > e.bottom) return kClipInvisible;
    if (lo.y > e.bottom) {
        CutAtY(lo, hi, e.bottom, flags);
    } else if (hi.y > e.bottom) {
        CutAtY(hi, lo, e.bottom, flags);
    }
    // An empty rectangle passes the edge tests one by one.
    return e.Contains(lo.x, lo.y) && e.Contains(hi.x, hi.y) ? kClipVisible : kClipInvisible;
}

LineEnd<ViewVertex> FromView(const ViewVertex& v) {
    return {v.screenX, v.screenY, v.depth, v.colour, v.intensity, v};
}

ViewVertex ToView(const LineEnd<ViewVertex>& end) {
    ViewVertex v = end.record;
    v.screenX = int32_t(end.x);
    v.screenY = int32_t(end.y);
    v.depth = end.depth;
    v.colour = end.colour;
    v.intensity = end.intensity;
    return v;
}

LineEnd<ScreenVertex> FromScreen(const ScreenVertex& v, uint32_t flags) {
    return {Canvas::TruncateToInt(v.x),
            Canvas::TruncateToInt(v.y),
            (flags & kLineClipDepth) ? Canvas::DepthToWord(v.depth) : 0u,
            v.colour,
            (flags & kLineClipShade) ? Canvas::TruncateToInt(v.intensity) : 0,
            v};
}

ScreenVertex ToScreen(const LineEnd<ScreenVertex>& end, uint32_t flags) {
    ScreenVertex v = end.record;
    v.x = float(end.x);
    v.y = float(end.y);
    if (flags & kLineClipDepth) v.depth = Canvas::DepthFromWord(end.depth);
    if (flags & kLineClipShade) {
        v.colour = end.colour;
        v.intensity = float(end.intensity);
    }
    return v;
}

// The clipper both forms share: `in` converts a record into a working end,
// `out` back.
template <class Record, class In, class Out>
int32_t ClipLine(const CanvasRect* clip, Record* a, Record* b, uint32_t flags, In in, Out out) {
    const Edges edges(*clip);
    LineEnd<Record> first = in(*a);
    LineEnd<Record> second = in(*b);
    if (edges.Contains(first.x, first.y) && edges.Contains(second.x, second.y)) {
        return (flags & kLineClipReportInside) ? kLineClipInside : kClipVisible;
    }
    LineEnd<Record>& lo = second.x < first.x ? second : first;
    LineEnd<Record>& hi = second.x < first.x ? first : second;
    if (Cut(edges, lo, hi, flags) != kClipVisible) return kClipInvisible;
    *a = out(lo);
    *b = out(hi);
    return kClipVisible;
}

}  // namespace

int32_t ClipLineView(const CanvasRect* clip, ViewVertex* a, ViewVertex* b, uint32_t flags) {
    return ClipLine(clip, a, b, flags, FromView, ToView);
}

int32_t ClipLineScreen(const CanvasRect* clip, ScreenVertex* a, ScreenVertex* b, uint32_t flags) {
    const int32_t result = ClipLine(
        clip, a, b, flags | kLineClipReportInside,
        [flags](const ScreenVertex& v) { return FromScreen(v, flags); },
        [flags](const LineEnd<ScreenVertex>& end) { return ToScreen(end, flags); });
    if (result == kLineClipInside && !(flags & kLineClipReportInside)) return kClipVisible;
    return result;
}
