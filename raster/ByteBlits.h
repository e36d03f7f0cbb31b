#pragma once
#include <cstdint>

#include "display/CanvasRect.h"

class PixelImage;
struct ShadeTable;

// The copy routines of 8-bit palette-index drawing: spans, 1-bit masks,
// image rectangles and stretched images. Palette index 255 is the
// transparent colour throughout.

inline constexpr uint8_t kByteTransparent = 255;

// Span routines leave transparent source pixels out when bit 31 of their
// flags is set; the rectangle routines when any bit of the top byte is.
inline constexpr uint32_t kSpanKeyed = 0x80000000;
inline constexpr uint32_t kBlitKeyedMask = 0xFF000000;
// ScaleBlit8Depth: write where the texel's depth is not farther than the
// stored one (kBlitDepthNotFarther, checked first), or strictly nearer.
inline constexpr uint32_t kBlitDepthNotFarther = 0x400;
inline constexpr uint32_t kBlitDepthNearer = 0x200;
// ExpandMask8 leaves the pixels of a colour given as either of these.
inline constexpr uint32_t kMaskTransparent = 0xFF000000;
inline constexpr uint32_t kMaskTransparentIndex = 0xFF;

// An 8-bit drawing target as the rectangle routines see it; the 8-bit
// canvas fills one from its own fields. Nothing is owned.
struct ByteTarget {
    uint8_t* pixels = nullptr;                  // row offsets count from here
    const uint32_t* rowOffsets = nullptr;       // height entries, bytes
    int32_t originX = 0;                        // pixels added to every colour address (not depth)
    int32_t pitch = 0;                          // bytes from row to row
    // Every rectangle is cut to 0, 0, width, height first.
    int32_t width = 0;
    int32_t height = 0;
    // ScaleBlit8Depth only: one u16 per pixel, 0xFFFF farthest.
    uint16_t* depth = nullptr;
    const uint32_t* depthRowOffsets = nullptr;  // height entries, bytes from depth
    int32_t depthPitch = 0;                     // bytes
    // BlitRectShaded8 only: the palette's shade rows of 32 levels; without
    // them the shaded blit draws nothing.
    const ShadeTable* shades = nullptr;
};

// Spans: count bytes, no clipping (the caller has clipped). A count of 0 or
// less writes nothing.
void CopySpan8(uint8_t* destination, const uint8_t* source, int32_t count, uint32_t flags);
// The same copy for the callers that pass an extra word.
void CopySpan8Ex(uint8_t* destination, const uint8_t* source, int32_t count, uint32_t ignored, uint32_t flags);
// Writes pixel i only where depthRow[i] > (depth >> 16); depth is 16.16 and
// the depth row is only read.
void CopySpan8Depth(uint8_t* destination, const uint16_t* depthRow, const uint8_t* source, int32_t count,
                    uint32_t depth, uint32_t flags);

// Expands count mask bits, most significant first, starting at bit
// (firstBit mod 8) of the first mask byte; destination is the first pixel's
// own address whatever the bit offset. Set bits write the foreground's low
// byte and clear bits the background's, except that a colour given as
// kMaskTransparent or kMaskTransparentIndex leaves its pixels as they were
// (both transparent: nothing is written). Reads only the mask bytes those
// bits lie in.
void ExpandMask8(uint8_t* destination, const uint8_t* mask, int32_t count, int32_t firstBit,
                 uint32_t foreground, uint32_t background);

// The image routines draw only plain 8-bit images (format kFormat8Bit, not
// run-encoded) with pixels; any other image, or a null argument, draws
// nothing.

// Copies the image's top-left min(rect width, image width) by min(rect
// height, image height) pixels to rect's corner, cut to the target: a cut
// edge skips the matching source pixels, so the result is always a window
// of the uncut copy.
void BlitRect8(const ByteTarget* target, const CanvasRect* rect, const PixelImage* image, uint32_t flags);
// As BlitRect8, writing the shade of each source colour at level 0..255
// (column level >> 3; larger levels count as 255) instead of the colour.
void BlitRectShaded8(const ByteTarget* target, const CanvasRect* rect, const PixelImage* image, uint32_t level,
                     uint32_t flags);

// Stretches the whole image over rect, nearest texel, cut to the target
// with the texture coordinates carried over the cut-off pixels. Sampling
// starts half a texel in, or half a step when the image is magnified so the
// last pixel still lies inside it.
void ScaleBlit8(const ByteTarget* target, const CanvasRect* rect, const PixelImage* image, uint32_t flags);
// As ScaleBlit8 with a depth per texel (imageDepths: width x height u16,
// laid out like the pixels) tested against the target's depth buffer; a
// pixel that passes writes its colour and its depth. Without either depth
// flag every pixel passes. Transparent texels write neither.
void ScaleBlit8Depth(const ByteTarget* target, const CanvasRect* rect, const PixelImage* image,
                     const uint16_t* imageDepths, uint32_t flags);
