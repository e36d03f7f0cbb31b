#include "raster/ByteBlits.h"

#include <algorithm>
#include <cstddef>
#include <cstring>

#include "display/ColorMath.h"
#include "display/Palette.h"
#include "display/PixelImage.h"

namespace {

// Half a texel in 16.16: where sampling starts unless the image is magnified.
constexpr uint32_t kHalfTexel = 0x8000;
// The widest rectangle whose size is still a 16.16 number.
constexpr int32_t kWidest16_16 = 0x7FFF;

bool IsMaskTransparent(uint32_t colour) {
    return colour == kMaskTransparent || colour == kMaskTransparentIndex;
}

bool IsPlain8(const PixelImage* image) {
    return image != nullptr && image->pixels != nullptr && image->Format() == PixelImage::kFormat8Bit &&
           (image->flags & PixelImage::kFlagRunEncoded) == 0 && image->width > 0 && image->height > 0;
}

bool HasRows(const ByteTarget* target) {
    return target != nullptr && target->pixels != nullptr && target->rowOffsets != nullptr;
}

using Window = CanvasWindow;

bool CutToTarget(const ByteTarget& target, int32_t x, int32_t y, int32_t width, int32_t height, Window* out) {
    return CutToTarget(x, y, width, height, target.width, target.height, out);
}

uint8_t* TargetRow(const ByteTarget& target, const Window& w) {
    return target.pixels + target.rowOffsets[w.y] + target.originX + w.x;
}

// shadeColumn null: plain copy; otherwise each source colour c becomes
// shadeColumn[c << shadeShift].
void BlitRectRows(const ByteTarget& target, const CanvasRect& rect, const PixelImage& image, uint32_t flags,
                  const uint8_t* shadeColumn, uint32_t shadeShift) {
    const int32_t imageWidth = image.width;
    Window w;
    if (!CutToTarget(target, rect.x, rect.y, std::min<int32_t>(rect.width, imageWidth),
                     std::min<int32_t>(rect.height, image.height), &w)) {
        return;
    }
    uint8_t* const first = TargetRow(target, w);
    const uint8_t* const firstSource = image.pixels + size_t(w.skipY) * size_t(imageWidth) + size_t(w.skipX);
    const bool keyed = (flags & kBlitKeyedMask) != 0;
    for (int32_t row = 0; row < w.height; ++row) {
        uint8_t* const destination = first + ptrdiff_t(row) * target.pitch;
        const uint8_t* const source = firstSource + size_t(row) * size_t(imageWidth);
        if (shadeColumn == nullptr) {
            CopySpan8(destination, source, w.width, keyed ? kSpanKeyed : 0);
            continue;
        }
        for (int32_t i = 0; i < w.width; ++i) {
            const uint8_t colour = source[i];
            if (keyed && colour == kByteTransparent) continue;
            destination[i] = shadeColumn[uint32_t(colour) << shadeShift];
        }
    }
}

// Texels per target pixel in 16.16, both operands of the saturating divide
// in 16.16. A rectangle too wide to be one steps by less than a texel and
// cannot overflow, so it is divided directly.
int32_t ScaleStep(int32_t texels, int32_t pixels) {
    if (pixels <= kWidest16_16) return FixedDivSat(texels << 16, pixels << 16);
    return int32_t((int64_t(texels) << 16) / pixels);
}

// Pixel i samples first + i x step. With step = floor(texels / pixels) the
// last pixel samples below texels - step + first, inside the image as long
// as first < step: half a texel does for shrinking, and a magnified image
// starts at half a step instead (the middle of the first pixel).
uint32_t FirstCoordinate(int32_t step) {
    return std::min<uint32_t>(kHalfTexel, uint32_t(step) >> 1);
}

struct ScaleWalk {
    Window window;
    uint32_t stepU;
    uint32_t stepV;
    uint32_t firstU;   // at the window's first column
    uint32_t v;        // at the window's first row
};

bool PrepareScale(const ByteTarget& target, const CanvasRect& rect, const PixelImage& image, ScaleWalk* walk) {
    if (!CutToTarget(target, rect.x, rect.y, rect.width, rect.height, &walk->window)) return false;
    const int32_t stepU = ScaleStep(image.width, rect.width);
    const int32_t stepV = ScaleStep(image.height, rect.height);
    walk->stepU = uint32_t(stepU);
    walk->stepV = uint32_t(stepV);
    // The cut-off pixels still advance the coordinates; the sums stay below
    // the image size in 16.16.
    walk->firstU = uint32_t(FirstCoordinate(stepU) + uint64_t(walk->window.skipX) * walk->stepU);
    walk->v = uint32_t(FirstCoordinate(stepV) + uint64_t(walk->window.skipY) * walk->stepV);
    return true;
}

template <bool kWriteSet, bool kWriteClear>
void ExpandBits(uint8_t* out, const uint8_t* mask, int32_t count, uint32_t bit, uint8_t fg, uint8_t bg) {
    const auto put = [fg, bg](uint8_t* pixel, uint32_t set) {
        if (set != 0) {
            if constexpr (kWriteSet) *pixel = fg;
        } else {
            if constexpr (kWriteClear) *pixel = bg;
        }
    };
    if (bit != 0) {
        const uint32_t bits = *mask++;
        for (; bit < 8 && count > 0; ++bit, --count) put(out++, bits & (0x80u >> bit));
    }
    for (; count >= 8; count -= 8, out += 8) {
        const uint32_t bits = *mask++;
        for (uint32_t b = 0; b < 8; ++b) put(out + b, bits & (0x80u >> b));
    }
    if (count > 0) {
        const uint32_t bits = *mask;
        for (int32_t b = 0; b < count; ++b) put(out + b, bits & (0x80u >> b));
    }
}

}  // namespace

void CopySpan8(uint8_t* destination, const uint8_t* source, int32_t count, uint32_t flags) {
    if (count <= 0) return;
    if ((flags & kSpanKeyed) == 0) {
        std::memcpy(destination, source, size_t(count));
        return;
    }
    for (int32_t i = 0; i < count; ++i) {
        if (source[i] != kByteTransparent) destination[i] = source[i];
    }
}

void CopySpan8Ex(uint8_t* destination, const uint8_t* source, int32_t count, uint32_t /*ignored*/, uint32_t flags) {
    CopySpan8(destination, source, count, flags);
}

void CopySpan8Depth(uint8_t* destination, const uint16_t* depthRow, const uint8_t* source, int32_t count,
                    uint32_t depth, uint32_t flags) {
    const uint32_t limit = depth >> 16;
    const bool keyed = (flags & kSpanKeyed) != 0;
    for (int32_t i = 0; i < count; ++i) {
        if (depthRow[i] <= limit) continue;
        if (keyed && source[i] == kByteTransparent) continue;
        destination[i] = source[i];
    }
}

void ExpandMask8(uint8_t* destination, const uint8_t* mask, int32_t count, int32_t firstBit,
                 uint32_t foreground, uint32_t background) {
    if (count <= 0 || destination == nullptr || mask == nullptr) return;
    const uint32_t bit = uint32_t(firstBit) & 7;
    const uint8_t fg = uint8_t(foreground);
    const uint8_t bg = uint8_t(background);
    const bool writeSet = !IsMaskTransparent(foreground);
    const bool writeClear = !IsMaskTransparent(background);
    if (writeSet && writeClear) {
        ExpandBits<true, true>(destination, mask, count, bit, fg, bg);
    } else if (writeSet) {
        ExpandBits<true, false>(destination, mask, count, bit, fg, bg);
    } else if (writeClear) {
        ExpandBits<false, true>(destination, mask, count, bit, fg, bg);
    }
}

void BlitRect8(const ByteTarget* target, const CanvasRect* rect, const PixelImage* image, uint32_t flags) {
    if (!HasRows(target) || rect == nullptr || !IsPlain8(image)) return;
    BlitRectRows(*target, *rect, *image, flags, nullptr, 0);
}

void BlitRectShaded8(const ByteTarget* target, const CanvasRect* rect, const PixelImage* image, uint32_t level,
                     uint32_t flags) {
    if (!HasRows(target) || rect == nullptr || !IsPlain8(image)) return;
    const ShadeTable* shades = target->shades;
    if (shades == nullptr || shades->rows == nullptr) return;
    const uint8_t* column = shades->Row8(0) + (std::min<uint32_t>(level, 255) >> 3);
    BlitRectRows(*target, *rect, *image, flags, column, shades->shift);
}

void ScaleBlit8(const ByteTarget* target, const CanvasRect* rect, const PixelImage* image, uint32_t flags) {
    if (!HasRows(target) || rect == nullptr || !IsPlain8(image)) return;
    ScaleWalk walk;
    if (!PrepareScale(*target, *rect, *image, &walk)) return;
    const Window& w = walk.window;
    const size_t imageWidth = size_t(image->width);
    const bool keyed = (flags & kBlitKeyedMask) != 0;
    uint8_t* const first = TargetRow(*target, w);
    uint32_t v = walk.v;
    for (int32_t row = 0; row < w.height; ++row, v += walk.stepV) {
        uint8_t* const destination = first + ptrdiff_t(row) * target->pitch;
        const uint8_t* source = image->pixels + size_t(v >> 16) * imageWidth;
        uint32_t u = walk.firstU;
        for (int32_t i = 0; i < w.width; ++i, u += walk.stepU) {
            const uint8_t colour = source[u >> 16];
            if (keyed && colour == kByteTransparent) continue;
            destination[i] = colour;
        }
    }
}

void ScaleBlit8Depth(const ByteTarget* target, const CanvasRect* rect, const PixelImage* image,
                     const uint16_t* imageDepths, uint32_t flags) {
    if (!HasRows(target) || rect == nullptr || !IsPlain8(image) || imageDepths == nullptr) return;
    if (target->depth == nullptr || target->depthRowOffsets == nullptr) return;
    ScaleWalk walk;
    if (!PrepareScale(*target, *rect, *image, &walk)) return;
    const Window& w = walk.window;
    const size_t imageWidth = size_t(image->width);
    const bool keyed = (flags & kBlitKeyedMask) != 0;
    const bool notFarther = (flags & kBlitDepthNotFarther) != 0;
    const bool nearer = !notFarther && (flags & kBlitDepthNearer) != 0;
    uint8_t* const first = TargetRow(*target, w);
    uint8_t* const firstDepth = reinterpret_cast<uint8_t*>(target->depth) + target->depthRowOffsets[w.y];
    uint32_t v = walk.v;
    for (int32_t row = 0; row < w.height; ++row, v += walk.stepV) {
        uint8_t* const destination = first + ptrdiff_t(row) * target->pitch;
        uint8_t* const depthBytes = firstDepth + ptrdiff_t(row) * target->depthPitch;
        const size_t sourceRow = size_t(v >> 16) * imageWidth;
        const uint8_t* source = image->pixels + sourceRow;
        const uint16_t* sourceDepths = imageDepths + sourceRow;
        uint16_t* stored = reinterpret_cast<uint16_t*>(depthBytes) + w.x;
        uint32_t u = walk.firstU;
        for (int32_t i = 0; i < w.width; ++i, u += walk.stepU) {
            const uint32_t texel = u >> 16;
            const uint8_t colour = source[texel];
            if (keyed && colour == kByteTransparent) continue;
            const uint16_t d = sourceDepths[texel];
            if (notFarther && stored[i] < d) continue;
            if (nearer && stored[i] <= d) continue;
            destination[i] = colour;
            stored[i] = d;
        }
    }
}
