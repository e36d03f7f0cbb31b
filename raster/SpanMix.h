#pragma once
#include <cstdint>

struct SpanSetup;

// Translucent mixing of two 16-bit pixels, channel by channel: the new colour
// through the scaling row of the opacity level, the old one through the row of
// 255 - level. Each row entry is trunc(c x L / 256), so the two parts of a
// channel never add up past 31 and no multiplication is needed.
struct SpanScaleRows {
    const uint8_t* source = nullptr;       // row level
    const uint8_t* destination = nullptr;  // row 255 - level
};

// The rows of a translucent triangle from the colour tables; a level above
// 255 counts as 255.
SpanScaleRows MakeSpanScaleRows(const SpanSetup* setup);

struct SpanMix565 {
    SpanScaleRows rows;

    // Green keeps only its top five bits: the result's lowest green bit is 0.
    uint16_t operator()(uint32_t src, uint32_t dst) const {
        const uint32_t red = rows.source[src >> 11] + rows.destination[dst >> 11];
        const uint32_t green = rows.source[(src >> 6) & 31] + rows.destination[(dst >> 6) & 31];
        const uint32_t blue = rows.source[src & 31] + rows.destination[dst & 31];
        return static_cast<uint16_t>((((red << 5) + green) << 6) + blue);
    }
};

struct SpanMix555 {
    SpanScaleRows rows;

    // Red is masked too: a stray bit 15 must not index past the 32-entry row.
    uint16_t operator()(uint32_t src, uint32_t dst) const {
        const uint32_t red = rows.source[(src >> 10) & 31] + rows.destination[(dst >> 10) & 31];
        const uint32_t green = rows.source[(src >> 5) & 31] + rows.destination[(dst >> 5) & 31];
        const uint32_t blue = rows.source[src & 31] + rows.destination[dst & 31];
        return static_cast<uint16_t>((((red << 5) + green) << 5) + blue);
    }
};
