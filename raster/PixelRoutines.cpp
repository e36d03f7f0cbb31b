#include "raster/PixelRoutines.h"

#include <algorithm>
#include <cstring>

#include "display/Palette.h"
#include "display/Canvas.h"

namespace {

bool Inside(const Canvas* target, int32_t x, int32_t y) {
    return x >= 0 && y >= 0 && x < target->width && y < target->height;
}

const ShadeTable* ShadesOf(const Canvas* target) {
    const ShadeTable* const shades = target->palette != nullptr ? target->palette->Shades() : nullptr;
    // Rows are read 32 levels wide; a narrower table would be read past its end.
    return shades != nullptr && shades->rows != nullptr && shades->shift >= Palette::kShadeShift ? shades : nullptr;
}

uint8_t ShadedIndex(const ShadeTable* shades, const ViewVertex* point) {
    // A level from an intensity outside 0..255 would read another colour's row.
    const int32_t level = std::clamp(point->intensity, 0, 255) >> 3;
    return static_cast<const uint8_t*>(shades->rows)[(point->colour & 0xFF) * Palette::kShadeLevels + uint32_t(level)];
}

}  // namespace

void PlotShadedPixel8(Canvas* target, const ViewVertex* point) {
    const ShadeTable* const shades = ShadesOf(target);
    if (shades == nullptr || !Inside(target, point->screenX, point->screenY)) {
        return;
    }
    target->Row(point->screenY)[point->screenX] = ShadedIndex(shades, point);
}

void PlotShadedPixel8Depth(Canvas* target, const ViewVertex* point) {
    if (target->depth == nullptr) {
        PlotShadedPixel8(target, point);
        return;
    }
    const ShadeTable* const shades = ShadesOf(target);
    if (shades == nullptr || !Inside(target, point->screenX, point->screenY)) {
        return;
    }
    uint16_t& stored = target->DepthRow(point->screenY)[point->screenX];
    const uint16_t nearer = uint16_t(point->depth >> 16);
    if (nearer > stored) {
        return;
    }
    stored = nearer;
    target->Row(point->screenY)[point->screenX] = ShadedIndex(shades, point);
}

void FillRect8Solid(Canvas* target, const CanvasRect* rect, uint8_t index) {
    if (rect->width <= 0 || rect->height <= 0) {
        return;
    }
    CanvasRect area = *rect;
    const CanvasRect bounds = target->Bounds();
    if (ClipRect(&area, &bounds) != kClipVisible) {
        return;
    }
    const uint32_t word = uint32_t(index) * 0x01010101u;
    const int32_t words = area.width / 4;
    const int32_t bytes = area.width & 3;
    for (int32_t row = 0; row < area.height; ++row) {
        uint8_t* out = target->Row(area.y + row) + area.x;
        for (int32_t i = 0; i < words; ++i, out += 4) {
            std::memcpy(out, &word, 4);
        }
        for (int32_t i = 0; i < bytes; ++i) {
            *out++ = index;
        }
    }
}

void ExpandMaskRow16(uint16_t* destination, const uint8_t* mask, int32_t count, int32_t firstBit,
                     uint16_t setValue, uint16_t clearValue) {
    if (count <= 0) {
        return;
    }
    // The bit offset is read modulo 8 so that no byte outside the row is ever
    // reached for a bad offset.
    uint32_t bits = uint32_t(*mask++) << (firstBit & 7);
    int32_t left = 8 - (firstBit & 7);
    for (int32_t i = 0; i < count; ++i) {
        if (left == 0) {
            bits = *mask++;
            left = 8;
        }
        destination[i] = (bits & 0x80) != 0 ? setValue : clearValue;
        bits <<= 1;
        --left;
    }
}
