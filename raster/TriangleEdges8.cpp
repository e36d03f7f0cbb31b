#include "raster/TriangleEdges8.h"

#include <algorithm>
#include <limits>

#include "engine/Saturate.h"
#include "display/Canvas.h"

namespace {

constexpr int64_t kOnePixel = 0x10000;

// The 16.16 quotient of the edge steppers, which saturates instead of
// overflowing. An edge shorter than one pixel steps by the whole difference:
// it has at most two rows, and the second should land on the far end.
int32_t EdgeStep(int64_t difference, int64_t dy) {
    if (dy < kOnePixel) {
        return Saturate32(difference);
    }
    return Saturate32(difference * kOnePixel / dy);
}

// One edge, from its upper to its lower vertex, as the stepper walks it: a
// value per row, starting exactly at the upper vertex (no sub-pixel
// prestep) and growing by a fixed step, for rows fromRow .. toRow.
struct Edge {
    int32_t fromRow = 0;
    int32_t toRow = 0;
    int32_t start[6] = {};   // x, z / 2, intensity, u, v, weight
    int32_t step[6] = {};

    Edge(const FixedVertex& from, const FixedVertex& to) : fromRow(TriangleRow8(from.y)), toRow(TriangleRow8(to.y)) {
        const int32_t a[6] = {from.x, static_cast<int32_t>(from.depth >> 1), from.intensity, from.u, from.v, from.invZ};
        const int32_t b[6] = {to.x, static_cast<int32_t>(to.depth >> 1), to.intensity, to.u, to.v, to.invZ};
        const int64_t dy = static_cast<int64_t>(to.y) - from.y;
        for (int i = 0; i < 6; ++i) {
            start[i] = a[i];
            step[i] = EdgeStep(static_cast<int64_t>(b[i]) - a[i], dy);
        }
    }

    // An edge whose ends share a row writes no record at all.
    bool HasRows() const { return toRow > fromRow; }

    // The record of canvas row `row`, which the edge covers. Worked out
    // afresh for each row, so rows cut off above the canvas cost nothing;
    // values that leave 32 bits stay at their nearest end, and depth and
    // weight are kept where they mean something (0 up).
    SpanEdge At(int32_t row) const {
        const int64_t k = static_cast<int64_t>(row) - fromRow;
        const auto value = [&](int i) { return static_cast<int64_t>(start[i]) + k * step[i]; };
        SpanEdge record;
        record.x = Saturate32(value(0));
        record.z = static_cast<uint32_t>(std::clamp<int64_t>(value(1), 0, std::numeric_limits<int32_t>::max()));
        record.shade = Saturate32(value(2));
        record.u = Saturate32(value(3));
        record.v = Saturate32(value(4));
        record.spare = static_cast<int32_t>(std::clamp<int64_t>(value(5), 0, std::numeric_limits<int32_t>::max()));
        return record;
    }

    // Writes the records of the rows both this edge and first .. last cover;
    // record i of the buffer belongs to row first + i.
    void Write(SpanEdge* buffer, int32_t first, int32_t last) const {
        if (!HasRows()) {
            return;
        }
        const int32_t from = std::max(fromRow, first);
        const int32_t to = std::min(toRow, last);
        for (int32_t row = from; row <= to; ++row) {
            buffer[row - first] = At(row);
        }
    }
};

}  // namespace

void SortTriangleByY(int32_t* top, int32_t* middle, int32_t* bottom, const FixedVertex* v) {
    const int32_t y0 = v[0].y;
    const int32_t y1 = v[1].y;
    const int32_t y2 = v[2].y;
    int32_t order[3] = {0, 1, 2};
    if (y0 >= y1) {
        if (y1 < y2) {
            order[0] = 1;
            if (y0 >= y2) {
                order[1] = 2;
                order[2] = 0;
            } else {
                order[1] = 0;
                order[2] = 2;
            }
        } else {
            order[0] = 2;
            order[1] = 1;
            order[2] = 0;
        }
    } else if (y2 < y0) {
        order[0] = 2;
        order[1] = 0;
        order[2] = 1;
    } else if (y1 > y2) {
        order[0] = 0;
        order[1] = 2;
        order[2] = 1;
    }
    *top = order[0];
    *middle = order[1];
    *bottom = order[2];
}

bool SetUpTriangle8(Canvas* target, const FixedVertex* v, TriangleSides8 sides, TriangleFrame8* frame) {
    if (target == nullptr || target->pixels == nullptr || target->rowOffsets == nullptr ||
        target->spanBufferA == nullptr || target->spanBufferB == nullptr || target->width <= 0 ||
        target->height <= 0) {
        return false;
    }
    int32_t top = 0;
    int32_t middle = 0;
    int32_t bottom = 0;
    SortTriangleByY(&top, &middle, &bottom, v);
    const Edge longEdge(v[top], v[bottom]);
    const Edge upperEdge(v[top], v[middle]);
    const Edge lowerEdge(v[middle], v[bottom]);
    const int32_t topRow = longEdge.fromRow;
    const int32_t middleRow = upperEdge.toRow;
    const int32_t bottomRow = longEdge.toRow;
    if (bottomRow == topRow) {
        return false;
    }

    // The short side's buffer holds the upper edge down to the middle row
    // and the lower edge from there on, which overwrites the middle record.
    const auto shortSideAt = [&](int32_t row) {
        return lowerEdge.HasRows() && row >= middleRow ? lowerEdge.At(row) : upperEdge.At(row);
    };
    const int32_t measuringRow = middleRow == bottomRow ? middleRow - 1 : middleRow;
    const int32_t sideRow = sides == TriangleSides8::kMiddleRow ? middleRow : measuringRow;
    const bool longIsRight = longEdge.At(sideRow).x >= shortSideAt(sideRow).x;

    const int32_t first = std::max(topRow, 0);
    const int32_t last = std::min(bottomRow, target->height - 1);
    if (first > last) {
        return false;
    }
    // Never more records than canvas rows, and every buffer holds at least
    // that many.
    SpanEdge* const longSide = reinterpret_cast<SpanEdge*>(target->spanBufferA);
    SpanEdge* const shortSide = reinterpret_cast<SpanEdge*>(target->spanBufferB);
    longEdge.Write(longSide, first, last);
    upperEdge.Write(shortSide, first, last);
    lowerEdge.Write(shortSide, first, last);

    frame->firstRow = first;
    frame->lastRow = last;
    frame->left = longIsRight ? shortSide : longSide;
    frame->right = longIsRight ? longSide : shortSide;

    const SpanEdge longMeasure = longEdge.At(measuringRow);
    const SpanEdge shortMeasure = shortSideAt(measuringRow);
    const SpanEdge& left = longIsRight ? shortMeasure : longMeasure;
    const SpanEdge& right = longIsRight ? longMeasure : shortMeasure;
    const int64_t width = static_cast<int64_t>(TriangleColumn8(right.x)) - TriangleColumn8(left.x);
    const auto across = [width](int64_t from, int64_t to) { return width > 0 ? Saturate32((to - from) / width) : 0; };
    frame->shadeStep = across(left.shade, right.shade);
    frame->depthStep = across(left.z, right.z);
    frame->uStep = across(left.u, right.u);
    frame->vStep = across(left.v, right.v);
    return true;
}
