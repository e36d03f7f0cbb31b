#include "raster/RgbTriangles.h"

#include <algorithm>
#include <limits>

#include "engine/Saturate.h"
#include "display/Palette.h"
#include "display/Canvas.h"
#include "raster/Span.h"
#include "raster/TriangleEdges8.h"

namespace {

constexpr int64_t kOnePixel = 0x10000;
constexpr int64_t kChannelMax = int64_t(255) << 16;

// The top bits of a dithered 16.16 channel: a sum past 255 fills the field,
// a negative one empties it.
uint32_t ChannelBits(int64_t sum, int32_t bits) {
    if (sum > kChannelMax) return (1u << bits) - 1;
    if (sum < 0) return 0;
    return static_cast<uint32_t>(sum >> (24 - bits));
}

// The values a direct-colour edge carries, 16.16 each: x, depth halved,
// then red, green and blue.
enum Value { kX, kZ, kRed, kGreen, kBlue, kValues };

struct RgbRecord {
    int64_t value[kValues] = {};
};

// An edge of the 8-bit family: a record per rounded row from its upper
// vertex's row to its lower one's, both included, starting at the upper
// vertex's values (no prestep) and growing by a fixed 16.16 step, the
// saturating dx / dy, or the whole difference for an edge under a pixel.
// An edge whose ends share a row has no records.
class RgbEdge {
public:
    RgbEdge(const FixedVertex& from, const FixedVertex& to)
        : rows_(int64_t(TriangleRow8(to.y)) - TriangleRow8(from.y)) {
        const int64_t a[kValues] = {from.x, from.depth >> 1, (from.colour >> 16) & 0xFF, (from.colour >> 8) & 0xFF,
                                    from.colour & 0xFF};
        const int64_t b[kValues] = {to.x, to.depth >> 1, (to.colour >> 16) & 0xFF, (to.colour >> 8) & 0xFF,
                                    to.colour & 0xFF};
        const int64_t dy = int64_t(to.y) - from.y;
        for (int i = 0; i < kValues; ++i) {
            const int64_t first = i >= kRed ? a[i] << 16 : a[i];
            const int64_t last = i >= kRed ? b[i] << 16 : b[i];
            start_[i] = first;
            step_[i] = dy < kOnePixel ? Saturate32(last - first) : Saturate32((last - first) * kOnePixel / dy);
        }
    }

    bool Covers(int64_t k) const { return rows_ > 0 && k >= 0 && k <= rows_; }

    // Record k (row upper row + k); x kept within 32 bits like the stepper's.
    RgbRecord At(int64_t k) const {
        RgbRecord record;
        for (int i = 0; i < kValues; ++i) record.value[i] = start_[i] + k * step_[i];
        record.value[kX] = Saturate32(record.value[kX]);
        return record;
    }

private:
    int64_t rows_;
    int64_t start_[kValues] = {};
    int64_t step_[kValues] = {};
};

bool CanDraw(const Canvas* target, bool depth) {
    return target != nullptr && target->pixels != nullptr && target->rowOffsets != nullptr && target->width > 0 &&
           target->height > 0 && (!depth || (target->depth != nullptr && target->depthRowOffsets != nullptr));
}

int64_t CeilColumn(int64_t x) { return (x + 0xFFFF) >> 16; }

template <bool kDepth>
void DrawRgb16(Canvas* target, const FixedVertex* v) {
    if (!CanDraw(target, kDepth) || v == nullptr) return;
    int32_t top = 0;
    int32_t middle = 0;
    int32_t bottom = 0;
    SortTriangleByY(&top, &middle, &bottom, v);
    const RgbEdge longEdge(v[top], v[bottom]);
    const RgbEdge upperEdge(v[top], v[middle]);
    const RgbEdge lowerEdge(v[middle], v[bottom]);

    // Record i of the rows drawn: the long edge's k = i; on the other side
    // the lower edge from the middle record on, the upper edge above it.
    // A record no edge reaches stays empty and draws nothing.
    const int64_t topRow = TriangleRow8(v[top].y);
    const int64_t middleIndex = TriangleRow8(v[middle].y) - topRow;
    const int64_t bottomIndex = TriangleRow8(v[bottom].y) - topRow;
    const auto longAt = [&](int64_t i) { return longEdge.Covers(i) ? longEdge.At(i) : RgbRecord{}; };
    const auto shortAt = [&](int64_t i) {
        if (lowerEdge.Covers(i - middleIndex)) return lowerEdge.At(i - middleIndex);
        return upperEdge.Covers(i) ? upperEdge.At(i) : RgbRecord{};
    };

    const int64_t measure = middleIndex == bottomIndex ? middleIndex - 1 : middleIndex;
    const RgbRecord longMeasure = longAt(measure);
    const RgbRecord shortMeasure = shortAt(measure);
    const bool longIsRight = longMeasure.value[kX] >= shortMeasure.value[kX];
    const RgbRecord& leftMeasure = longIsRight ? shortMeasure : longMeasure;
    const RgbRecord& rightMeasure = longIsRight ? longMeasure : shortMeasure;
    int64_t step[kValues] = {};
    const int64_t width = CeilColumn(rightMeasure.value[kX]) - CeilColumn(leftMeasure.value[kX]);
    if (width > 0) {
        for (int i = kZ; i < kValues; ++i) step[i] = (rightMeasure.value[i] - leftMeasure.value[i]) / width;
    }

    const bool rgb555 = target->Is555();
    const int32_t greenBits = rgb555 ? 5 : 6;
    const int32_t redShift = rgb555 ? 10 : 11;
    const int64_t firstRow = int64_t(v[top].y) >> 16;
    const int64_t rowCount = (int64_t(v[bottom].y) >> 16) - firstRow;
    const int64_t begin = std::max<int64_t>(0, -firstRow);
    const int64_t end = std::min<int64_t>(rowCount, int64_t(target->height) - firstRow);
    for (int64_t i = begin; i < end; ++i) {
        const RgbRecord longRecord = longAt(i);
        const RgbRecord shortRecord = shortAt(i);
        const RgbRecord& left = longIsRight ? shortRecord : longRecord;
        const RgbRecord& right = longIsRight ? longRecord : shortRecord;
        const int64_t from = CeilColumn(left.value[kX]);
        const int64_t to = CeilColumn(right.value[kX]);
        const int64_t start = std::max<int64_t>(from, 0);
        const int64_t stop = std::min<int64_t>(to, target->width);
        if (start >= stop) continue;

        const int32_t row = int32_t(firstRow + i);
        uint16_t* const pixels = reinterpret_cast<uint16_t*>(target->Row(row));
        [[maybe_unused]] uint16_t* const depths = kDepth ? target->DepthRow(row) : nullptr;
        const int32_t* const blueDither = g_bayerMatrix[row & 3];
        const int32_t* const greenDither = g_bayerMatrixRot90[row & 3];
        const int32_t* const redDither = g_bayerMatrixRot180[row & 3];
        int64_t value[kValues];
        for (int k = kZ; k < kValues; ++k) value[k] = left.value[k] + (start - from) * step[k];

        for (int64_t x = start; x < stop; ++x) {
            const uint32_t red = ChannelBits(value[kRed] + redDither[x & 3], 5);
            const uint32_t green = ChannelBits(value[kGreen] + greenDither[x & 3], greenBits);
            const uint32_t blue = ChannelBits(value[kBlue] + blueDither[x & 3], 5);
            const uint16_t pixel = static_cast<uint16_t>(red << redShift | green << 5 | blue);
            bool draw = true;
            if constexpr (kDepth) {
                const uint16_t depth = static_cast<uint16_t>(std::clamp<int64_t>(value[kZ] >> 15, 0, 0xFFFF));
                draw = depth < depths[x];
                if (draw) depths[x] = depth;
            }
            if (draw) pixels[x] = pixel;
            for (int k = kZ; k < kValues; ++k) value[k] += step[k];
        }
    }
}

// The 8-bit kind shares the flat triangle's set-up: red, green and blue ride
// in the intensity, u and v words, which the family's edges and row steps
// carry as they are.
template <bool kDepth>
void DrawRgb8(Canvas* target, const FixedVertex* v) {
    if (!CanDraw(target, kDepth) || v == nullptr || target->palette == nullptr) return;
    FixedVertex channels[3];
    for (int i = 0; i < 3; ++i) {
        channels[i] = v[i];
        channels[i].intensity = int32_t((v[i].colour >> 16) & 0xFF) << 16;
        channels[i].u = int32_t((v[i].colour >> 8) & 0xFF) << 16;
        channels[i].v = int32_t(v[i].colour & 0xFF) << 16;
        channels[i].invZ = 0;
    }
    TriangleFrame8 frame;
    if (!SetUpTriangle8(target, channels, TriangleSides8::kMiddleRow, &frame)) return;

    const uint8_t* const inverse = target->palette->Conversion().index;
    for (int32_t row = frame.firstRow; row <= frame.lastRow; ++row) {
        const SpanEdge& left = frame.left[row - frame.firstRow];
        const SpanEdge& right = frame.right[row - frame.firstRow];
        const int64_t from = TriangleColumn8(left.x);
        const int64_t to = TriangleColumn8(right.x);
        const int64_t start = std::max<int64_t>(from, 0);
        const int64_t last = std::min<int64_t>(to, target->width - 1);
        if (to < from || start > last) continue;

        uint8_t* const pixels = target->Row(row);
        [[maybe_unused]] uint16_t* const depths = kDepth ? target->DepthRow(row) : nullptr;
        const int32_t* const blueDither = g_bayerMatrix[row & 3];
        const int32_t* const greenDither = g_bayerMatrixRot90[row & 3];
        const int32_t* const redDither = g_bayerMatrixRot180[row & 3];
        const int64_t skip = start - from;
        int64_t red = left.shade + skip * frame.shadeStep;
        int64_t green = left.u + skip * frame.uStep;
        int64_t blue = left.v + skip * frame.vStep;
        int64_t z = int64_t(left.z) + skip * frame.depthStep;

        for (int64_t x = start; x <= last; ++x) {
            const uint32_t index = ChannelBits(red + redDither[x & 3], 5) << 10 |
                                   ChannelBits(green + greenDither[x & 3], 5) << 5 |
                                   ChannelBits(blue + blueDither[x & 3], 5);
            bool draw = true;
            if constexpr (kDepth) {
                const uint16_t depth = static_cast<uint16_t>(std::clamp<int64_t>(z >> 15, 0, 0xFFFF));
                draw = depth < depths[x];
                if (draw) depths[x] = depth;
            }
            if (draw) pixels[x] = inverse[index];
            red += frame.shadeStep;
            green += frame.uStep;
            blue += frame.vStep;
            z += frame.depthStep;
        }
    }
}

}  // namespace

void TriangleRgb16(Canvas* target, const FixedVertex* v) { DrawRgb16<false>(target, v); }
void TriangleRgbDepth16(Canvas* target, const FixedVertex* v) { DrawRgb16<true>(target, v); }
void TriangleRgb8(Canvas* target, const FixedVertex* v) { DrawRgb8<false>(target, v); }
void TriangleRgbDepth8(Canvas* target, const FixedVertex* v) { DrawRgb8<true>(target, v); }
