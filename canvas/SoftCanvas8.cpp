#include "canvas/SoftCanvas8.h"

#include "canvas/CanvasTables.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstring>
#include <limits>

#include "engine/UnalignedWords.h"
#include "engine/Saturate.h"
#include "display/Palette.h"
#include "display/SoftTexture.h"
#include "engine/EngineAllocation.h"
#include "display/KeyedSprite.h"
#include "raster/Lines.h"
#include "raster/PixelRoutines.h"
#include "raster/PolygonChoosers8.h"

namespace {

constexpr double kTwoTo16 = 65536.0;
constexpr double kTwoTo30 = 1073741824.0;
constexpr uint32_t kFarthestDepth = 0xFFFFFFFF;
constexpr uint16_t kLastFoggedDepth = 0xFFFE;   // 0xFFFF is the cleared background
constexpr int kFogLevelShift = 9;


// An integer in 16.16, held to the 32-bit range rather than wrapped: a
// wrapped position would put the vertex on the far side of the screen.
int32_t ToFixed16(int32_t value) {
    return int32_t(std::clamp<int64_t>(int64_t(value) * 65536, std::numeric_limits<int32_t>::min(),
                                       std::numeric_limits<int32_t>::max()));
}

// Texture coordinates wrap instead: the texel comes from the top bits, so
// the texture repeats whatever the multiple.
int32_t ShiftTexel(int32_t value, int32_t log2Side) { return int32_t(uint32_t(value) << log2Side); }

struct TexelShifts {
    int32_t u = 0;
    int32_t v = 0;
};

FixedVertex ToFixed(const ScreenVertex& in, TexelShifts shifts) {
    FixedVertex out;
    out.x = SaturateToInt32(double(in.x) * kTwoTo16);
    out.y = SaturateToInt32(double(in.y) * kTwoTo16);
    out.depth = Canvas::DepthToWord(in.depth);
    out.colour = in.colour;
    out.intensity = ToFixed16(Canvas::TruncateToInt(in.intensity));
    out.u = ShiftTexel(SaturateToInt32(double(in.u) * kTwoTo16), shifts.u);
    out.v = ShiftTexel(SaturateToInt32(double(in.v) * kTwoTo16), shifts.v);
    out.invZ = SaturateToInt32(double(in.invZ) * kTwoTo30);
    return out;
}

FixedVertex ToFixed(const ViewVertex& in, TexelShifts shifts) {
    FixedVertex out;
    out.x = ToFixed16(in.screenX);
    out.y = ToFixed16(in.screenY);
    out.depth = in.depth;
    out.colour = in.colour;
    out.intensity = ToFixed16(in.intensity);
    out.u = ShiftTexel(in.u, shifts.u);
    out.v = ShiftTexel(in.v, shifts.v);
    out.invZ = in.invZ;
    return out;
}

// The records of one call, built in a block of twelve. False for a count
// the block cannot hold: such a polygon is not drawn.
template <typename Vertex>
bool ToFixedBlock(int32_t count, const Vertex* in, TexelShifts shifts, FixedVertex* block) {
    if (count < 0 || count > Canvas::kMaxPolygonVertices) return false;
    for (int32_t i = 0; i < count; ++i) block[i] = ToFixed(in[i], shifts);
    return true;
}

// The image's software texture, made on first use and kept in the image's
// chain; null when the image cannot be a texture of this canvas. The
// texture is made without a palette: the 8-bit triangles shade texels
// through the canvas's own.
const SoftTexture* TextureOf(PixelImage* image) {
    const SoftTexture* texture = SoftTexture::FindOrCreate(image, nullptr);
    if (texture == nullptr || texture->image == nullptr) return nullptr;
    if (texture->image->Format() != PixelImage::kFormat8Bit) return nullptr;
    return texture;
}

// Both forms of every polygon operation come here: the chooser gets the
// fixed vertices (and the texture), then whatever follows them in its
// parameters, the alpha of the translucent kinds.
template <typename Vertex, typename Chooser, typename... Rest>
Status FillUntextured(SoftCanvas8& canvas, int32_t count, const Vertex* v, Chooser chooser, Rest... rest) {
    if (!canvas.IsUsable()) return kStatusPlatformFailed;
    FixedVertex block[Canvas::kMaxPolygonVertices];
    if (!ToFixedBlock(count, v, {}, block)) return kStatusOk;
    chooser(&canvas, count, block, rest...);
    return kStatusOk;
}

template <typename Vertex, typename Chooser, typename... Rest>
Status FillTextured(SoftCanvas8& canvas, int32_t count, const Vertex* v, PixelImage* image, Chooser chooser,
                    Rest... rest) {
    if (!canvas.IsUsable()) return kStatusPlatformFailed;
    if (count < 0 || count > Canvas::kMaxPolygonVertices) return kStatusOk;
    const SoftTexture* texture = TextureOf(image);
    if (texture == nullptr) return kStatusCannotDrawFormat;
    FixedVertex block[Canvas::kMaxPolygonVertices];
    ToFixedBlock(count, v, {texture->log2Width, texture->log2Height}, block);
    chooser(&canvas, count, block, texture, rest...);
    return kStatusOk;
}

// The direct colour a palette index shows at an intensity: its shade entry's
// colour in the palette.
uint32_t DirectColorOf(const Canvas& canvas, uint32_t colour, int32_t intensity) {
    if (canvas.palette == nullptr) return Canvas::kColorDirect;
    const uint32_t c = canvas.palette->GetColor(canvas.ShadeIndex8(colour, intensity));
    return Canvas::MakeDirectColor(uint8_t(c), uint8_t(c >> 8), uint8_t(c >> 16));
}

template <typename Vertex>
Status FillDirectColour(SoftCanvas8& canvas, int32_t count, const Vertex* v) {
    if (!canvas.IsUsable()) return kStatusPlatformFailed;
    FixedVertex block[Canvas::kMaxPolygonVertices];
    if (!ToFixedBlock(count, v, {}, block)) return kStatusOk;
    for (int32_t i = 0; i < count; ++i) {
        if ((block[i].colour & Canvas::kColorDirect) == 0) {
            block[i].colour = DirectColorOf(canvas, block[i].colour, block[i].intensity >> 16);
        }
    }
    FillPolygonRgb8(&canvas, count, block);
    return kStatusOk;
}

using Window = CanvasWindow;

bool CutToCanvas(const Canvas& canvas, int32_t x, int32_t y, int32_t w, int32_t h, Window* out) {
    return CutToTarget(x, y, w, h, canvas.width, canvas.height, out);
}

// The 1-bit image's top-left min(rect, image) pixels at rect's corner, cut
// to the canvas; row(y, x, mask, count, firstBit) writes one row.
template <typename WriteRow>
void ForEachMaskRow(const Canvas& canvas, const CanvasRect& rect, const PixelImage& image, WriteRow row) {
    if (image.pixels == nullptr) return;
    Window w;
    if (!CutToCanvas(canvas, rect.x, rect.y, std::min<int32_t>(rect.width, image.width),
                     std::min<int32_t>(rect.height, image.height), &w)) {
        return;
    }
    const size_t rowBytes = size_t(image.RowBytes());
    for (int32_t r = 0; r < w.height; ++r) {
        const uint8_t* mask = image.pixels + size_t(w.skipY + r) * rowBytes + size_t(w.skipX / 8);
        row(w.y + r, w.x, mask, w.width, w.skipX % 8);
    }
}

bool IsMono(const PixelImage* image) { return image != nullptr && image->Format() == PixelImage::kFormat1Bit; }

// A KeyedSprite reaches BlitImage through its one image pointer, so the
// flags word, which lies at the same place in both records, is read as
// bytes before the record is taken as either kind.
uint32_t FlagsOf(const PixelImage* image) {
    static_assert(offsetof(PixelImage, flags) == offsetof(KeyedSprite, flags),
                  "images and sprites keep their flags at the same place");
    uint32_t value;
    std::memcpy(&value, reinterpret_cast<const unsigned char*>(image) + offsetof(PixelImage, flags), sizeof value);
    return value;
}

}  // namespace

SoftCanvas8::SoftCanvas8() = default;

SoftCanvas8::SoftCanvas8(const CanvasRect* rect, Palette* canvasPalette, uint32_t creationFlags) {
    setupResult = Setup(rect, canvasPalette, creationFlags);
}

SoftCanvas8::~SoftCanvas8() {
    ReleaseBuffers();
    fog.tables8.Free();
}

Status SoftCanvas8::Setup(const CanvasRect* rect, Palette* canvasPalette, uint32_t creationFlags) {
    return SetupBuffers(rect != nullptr ? rect->width : 0, rect != nullptr ? rect->height : 0, nullptr, nullptr,
                        canvasPalette, creationFlags, 0, 0);
}

Status SoftCanvas8::SetupBuffers(int32_t canvasWidth, int32_t canvasHeight, uint8_t* givenPixels,
                                 uint16_t* givenDepth, Palette* canvasPalette, uint32_t creationFlags,
                                 int32_t givenPitch, int32_t givenDepthPitch) {
    ReleaseBuffers();
    subdivideLength = kDefaultSubdivideLength;
    width = canvasWidth;
    height = canvasHeight;
    pitch = givenPitch != 0 ? givenPitch : canvasWidth;
    depthPitch = givenDepthPitch != 0 ? givenDepthPitch : 2 * pitch;
    depth = givenDepth;
    depthBits = 0;
    // Ownership comes from this set-up alone.
    flags = (creationFlags | kFlagSetUp) & ~(kFlagOwnsPixels | kFlagOwnsDepth);
    palette = canvasPalette;
    pixels = givenPixels;
    const int64_t area = int64_t(width) * height;
    // Row offsets are 32-bit and the depth buffer twice the colour buffer.
    if (width <= 0 || height <= 0 || 2 * area > int64_t(std::numeric_limits<uint32_t>::max())) {
        bufferSize = 0;
        return kStatusOutOfMemory;
    }
    bufferSize = uint32_t(area);

    if (pixels == nullptr) {
        pixels = static_cast<uint8_t*>(EngineAllocate(bufferSize));
        if (pixels == nullptr) return kStatusOutOfMemory;
        flags |= kFlagOwnsPixels;
    }
    if ((flags & kFlagHasDepth) != 0) {
        depthBits = 16;
        if (depth == nullptr) {
            depth = static_cast<uint16_t*>(EngineAllocate(size_t(bufferSize) * sizeof(uint16_t)));
            if (depth == nullptr) {
                ReleaseBuffers();
                return kStatusOutOfMemory;
            }
            flags |= kFlagOwnsDepth;
        }
        flags |= kFlagDepthTest;
        depthPitch = 2 * width;
    }

    if (AllocateCanvasTables(*this) != kStatusOk) {
        ReleaseBuffers();
        return kStatusOutOfMemory;
    }
    FillCanvasRowOffsets(*this);
    ClearUnlessAsked();
    return kStatusOk;
}

void SoftCanvas8::ClearUnlessAsked() {
    if ((flags & kFlagNoClear) != 0) return;
    Lock();
    Clear(0, kFarthestDepth);
    Unlock();
}

void SoftCanvas8::ReleaseBuffers() {
    if ((flags & kFlagOwnsPixels) != 0) {
        EngineRelease(pixels);
        pixels = nullptr;
        flags &= ~kFlagOwnsPixels;
    }
    if ((flags & kFlagOwnsDepth) != 0) {
        EngineRelease(depth);
        depth = nullptr;
        flags &= ~kFlagOwnsDepth;
    }
    ReleaseCanvasTables(*this);
}

ByteTarget SoftCanvas8::Target() const {
    ByteTarget target;
    target.pixels = pixels;
    target.rowOffsets = rowOffsets;
    target.pitch = pitch;
    target.width = width;
    target.height = height;
    target.depth = depth;
    target.depthRowOffsets = depthRowOffsets;
    target.depthPitch = depthPitch;
    target.shades = palette != nullptr ? palette->Shades() : nullptr;
    return target;
}

Status SoftCanvas8::FillRectRgb(const CanvasRect* rect, const uint8_t* rgb) {
    if (!IsUsable()) return kStatusPlatformFailed;
    const uint32_t index = palette != nullptr ? palette->MatchColor(RgbToColor(rgb)) : 0;
    return FillRect(rect, index);
}

Status SoftCanvas8::FillRect(const CanvasRect* rect, uint32_t colour) {
    if (!IsUsable()) return kStatusPlatformFailed;
    FillRect8Solid(this, rect, uint8_t(colour));
    return kStatusOk;
}

Status SoftCanvas8::FillRectRgbClipped(const CanvasRect* rect, const uint8_t* rgb, const CanvasRect* clip) {
    if (!IsUsable()) return kStatusPlatformFailed;
    const uint32_t index = palette != nullptr ? palette->MatchColor(RgbToColor(rgb)) : 0;
    return FillRectClipped(rect, index, clip);
}

Status SoftCanvas8::PlotPixelInt(const ViewVertex* v, const uint8_t* rgb) {
    if (!IsUsable()) return kStatusPlatformFailed;
    ViewVertex matched;
    if (rgb != nullptr) {
        matched = *v;
        const ShadeTable* shades = palette != nullptr ? palette->Shades() : nullptr;
        matched.colour = palette != nullptr ? palette->MatchColor(RgbToColor(rgb)) : 0;
        matched.intensity = shades != nullptr ? int32_t(shades->pivot) : 0;
        v = &matched;
    }
    if (DepthTestOn()) {
        PlotShadedPixel8Depth(this, v);
    } else {
        PlotShadedPixel8(this, v);
    }
    return kStatusOk;
}

int32_t SoftCanvas8::ReadPixel(int32_t x, int32_t y, ViewVertex* out) {
    if (!IsUsable()) return int32_t(kStatusPlatformFailed);
    // Nothing is stored off the canvas, as a plot there draws nothing.
    if (x < 0 || y < 0 || x >= width || y >= height) return 0;
    const uint8_t index = Row(y)[x];
    const ShadeTable* shades = palette != nullptr ? palette->Shades() : nullptr;
    out->screenX = x;
    out->screenY = y;
    out->colour = index;
    out->intensity = shades != nullptr ? int32_t(shades->pivot) : 0;
    if (DepthTestOn() && depth != nullptr) out->depth = DepthRow(y)[x];
    return index;
}

Status SoftCanvas8::BlitImage(const CanvasRect* rect, PixelImage* image, uint32_t mode) {
    if (!IsUsable()) return kStatusPlatformFailed;
    if (image == nullptr || rect == nullptr) return kStatusCannotDrawFormat;
    const uint32_t imageFlags = FlagsOf(image);
    if ((imageFlags & PixelImage::kFormatMask) != PixelImage::kFormat8Bit) return kStatusCannotDrawFormat;
    const bool runEncoded = (imageFlags & PixelImage::kFlagRunEncoded) != 0;
    const ByteTarget target = Target();

    if ((mode & 0x100) != 0) {
        if (runEncoded) return kStatusCannotDrawFormat;
        ScaleBlit8(&target, rect, image, kBlitKeyedMask);
        return kStatusOk;
    }

    if (!runEncoded) {
        // Cut to the canvas by the blit itself, keyed by the mode's top byte.
        BlitRect8(&target, rect, image, mode);
        return kStatusOk;
    }

    // The caller passed the sprite itself: taking the pointer back as one
    // yields the sprite.
    const auto* sprite = reinterpret_cast<const KeyedSprite*>(image);
    const int64_t right = int64_t(rect->x) + sprite->width;
    const int64_t bottom = int64_t(rect->y) + sprite->height;
    if (rect->x < 0 || rect->y < 0 || right > width || bottom > height) return kStatusCannotDrawFormat;
    if (sprite->runData == nullptr || sprite->rowOffsets == nullptr) return kStatusOk;
    for (uint32_t row = 0; row < sprite->height; ++row) {
        const uint8_t* run = sprite->runData + sprite->rowOffsets[row];
        const uint8_t* const end = sprite->runData + sprite->rowOffsets[row + 1];
        uint8_t* const out = Row(rect->y + int32_t(row)) + rect->x;
        uint32_t x = 0;
        // A run that would leave the row or the row's data ends the row.
        while (x < sprite->width && end - run >= 2) {
            const uint32_t opaque = LoadU16(run);
            run += 2;
            if (opaque > sprite->width - x || end - run < ptrdiff_t(opaque)) break;
            std::memcpy(out + x, run, opaque);
            run += opaque;
            x += opaque;
            if (end - run < 2) break;
            x += LoadU16(run);
            run += 2;
        }
    }
    return kStatusOk;
}

Status SoftCanvas8::DrawMonoImage(const CanvasRect* rect, PixelImage* image, uint32_t fg, uint32_t bg) {
    if (!IsUsable()) return kStatusPlatformFailed;
    if (!IsMono(image)) return kStatusCannotDrawFormat;
    if (rect == nullptr) return kStatusOk;
    ForEachMaskRow(*this, *rect, *image,
                   [this, fg, bg](int32_t y, int32_t x, const uint8_t* mask, int32_t count, int32_t firstBit) {
                       ExpandMask8(Row(y) + x, mask, count, firstBit, fg, bg);
                   });
    return kStatusOk;
}

Status SoftCanvas8::DrawMonoImageRaw(const CanvasRect* rect, MonoMaskRecord* mask, uint32_t setValue,
                                     uint32_t clearValue) {
    if (!IsUsable()) return kStatusPlatformFailed;
    if (mask == nullptr || !IsMono(&mask->image)) return kStatusCannotDrawFormat;
    if (depth == nullptr || depthRowOffsets == nullptr) return kStatusNothingToDo;
    if (rect == nullptr) return kStatusOk;
    ForEachMaskRow(*this, *rect, mask->image,
                   [this, setValue, clearValue](int32_t y, int32_t x, const uint8_t* bits, int32_t count,
                                                int32_t firstBit) {
                       ExpandMaskRow16(DepthRow(y) + x, bits, count, firstBit, uint16_t(setValue),
                                       uint16_t(clearValue));
                   });
    return kStatusOk;
}

Status SoftCanvas8::DrawLineInt(const ViewVertex* a, const ViewVertex* b, const uint8_t* rgb) {
    if (!IsUsable()) return kStatusPlatformFailed;
    RasterLineFlat(this, a, b, rgb);
    return kStatusOk;
}

Status SoftCanvas8::DrawLineShadedInt(const ViewVertex* a, const ViewVertex* b) {
    if (!IsUsable()) return kStatusPlatformFailed;
    RasterLineShaded(this, a, b, nullptr);
    return kStatusOk;
}

Status SoftCanvas8::FillPolygonFlat(int32_t count, const ScreenVertex* v) {
    return FillUntextured(*this, count, v, FillPolygonFlat8);
}

Status SoftCanvas8::FillPolygonFlatInt(int32_t count, const ViewVertex* v) {
    return FillUntextured(*this, count, v, FillPolygonFlat8);
}

Status SoftCanvas8::FillPolygonShaded(int32_t count, const ScreenVertex* v) {
    return FillUntextured(*this, count, v, FillPolygonGouraud8);
}

Status SoftCanvas8::FillPolygonShadedInt(int32_t count, const ViewVertex* v) {
    return FillUntextured(*this, count, v, FillPolygonGouraud8);
}

Status SoftCanvas8::FillPolygonTextured(int32_t count, const ScreenVertex* v, PixelImage* image) {
    return FillTextured(*this, count, v, image, FillPolygonTextured8);
}

Status SoftCanvas8::FillPolygonTexturedInt(int32_t count, const ViewVertex* v, PixelImage* image) {
    return FillTextured(*this, count, v, image, FillPolygonTextured8);
}

Status SoftCanvas8::FillPolygonTexturedPersp(int32_t count, const ScreenVertex* v, PixelImage* image) {
    return FillTextured(*this, count, v, image, FillPolygonTexturedPerspective8);
}

Status SoftCanvas8::FillPolygonTexturedPerspInt(int32_t count, const ViewVertex* v, PixelImage* image) {
    return FillTextured(*this, count, v, image, FillPolygonTexturedPerspective8);
}

Status SoftCanvas8::FillPolygonTexturedShaded(int32_t count, const ScreenVertex* v, PixelImage* image) {
    return FillTextured(*this, count, v, image, FillPolygonTexturedGouraud8);
}

Status SoftCanvas8::FillPolygonTexturedShadedInt(int32_t count, const ViewVertex* v, PixelImage* image) {
    return FillTextured(*this, count, v, image, FillPolygonTexturedGouraud8);
}

Status SoftCanvas8::FillPolygonTexturedShadedPersp(int32_t count, const ScreenVertex* v, PixelImage* image) {
    return FillTextured(*this, count, v, image, FillPolygonTexturedGouraudPerspective8);
}

Status SoftCanvas8::FillPolygonTexturedShadedPerspInt(int32_t count, const ViewVertex* v, PixelImage* image) {
    return FillTextured(*this, count, v, image, FillPolygonTexturedGouraudPerspective8);
}

Status SoftCanvas8::FillPolygonRgb(int32_t count, const ScreenVertex* v) { return FillDirectColour(*this, count, v); }

Status SoftCanvas8::FillPolygonRgbInt(int32_t count, const ViewVertex* v) { return FillDirectColour(*this, count, v); }

Status SoftCanvas8::FillPolygonFlatAlpha(int32_t count, const ScreenVertex* v, uint32_t alpha) {
    return FillUntextured(*this, count, v, FillPolygonFlatAlpha8, alpha);
}

Status SoftCanvas8::FillPolygonFlatAlphaInt(int32_t count, const ViewVertex* v, uint32_t alpha) {
    return FillUntextured(*this, count, v, FillPolygonFlatAlpha8, alpha);
}

Status SoftCanvas8::FillPolygonShadedAlpha(int32_t count, const ScreenVertex* v, uint32_t alpha) {
    return FillUntextured(*this, count, v, FillPolygonGouraudAlpha8, alpha);
}

Status SoftCanvas8::FillPolygonShadedAlphaInt(int32_t count, const ViewVertex* v, uint32_t alpha) {
    return FillUntextured(*this, count, v, FillPolygonGouraudAlpha8, alpha);
}

Status SoftCanvas8::FillPolygonTexturedAlpha(int32_t count, const ScreenVertex* v, PixelImage* image,
                                             uint32_t alpha) {
    return FillTextured(*this, count, v, image, FillPolygonTexturedAlpha8, alpha);
}

Status SoftCanvas8::FillPolygonTexturedAlphaInt(int32_t count, const ViewVertex* v, PixelImage* image,
                                                uint32_t alpha) {
    return FillTextured(*this, count, v, image, FillPolygonTexturedAlpha8, alpha);
}

Status SoftCanvas8::FillPolygonTexturedPerspAlpha(int32_t count, const ScreenVertex* v, PixelImage* image,
                                                  uint32_t alpha) {
    return FillTextured(*this, count, v, image, FillPolygonTexturedPerspectiveAlpha8, alpha);
}

Status SoftCanvas8::FillPolygonTexturedPerspAlphaInt(int32_t count, const ViewVertex* v, PixelImage* image,
                                                     uint32_t alpha) {
    return FillTextured(*this, count, v, image, FillPolygonTexturedPerspectiveAlpha8, alpha);
}

Status SoftCanvas8::FillPolygonTexturedShadedAlpha(int32_t count, const ScreenVertex* v, PixelImage* image,
                                                   uint32_t alpha) {
    return FillTextured(*this, count, v, image, FillPolygonTexturedGouraudAlpha8, alpha);
}

Status SoftCanvas8::FillPolygonTexturedShadedAlphaInt(int32_t count, const ViewVertex* v, PixelImage* image,
                                                      uint32_t alpha) {
    return FillTextured(*this, count, v, image, FillPolygonTexturedGouraudAlpha8, alpha);
}

Status SoftCanvas8::FillPolygonTexturedShadedPerspAlpha(int32_t count, const ScreenVertex* v, PixelImage* image,
                                                        uint32_t alpha) {
    return FillTextured(*this, count, v, image, FillPolygonTexturedGouraudPerspectiveAlpha8, alpha);
}

Status SoftCanvas8::FillPolygonTexturedShadedPerspAlphaInt(int32_t count, const ViewVertex* v, PixelImage* image,
                                                           uint32_t alpha) {
    return FillTextured(*this, count, v, image, FillPolygonTexturedGouraudPerspectiveAlpha8, alpha);
}

Status SoftCanvas8::SetFog(const FogParams* fogParams) {
    if (!IsUsable()) return kStatusPlatformFailed;
    if (palette == nullptr || fogParams == nullptr) return kStatusNothingToDo;
    return fog.tables8.Build(fogParams, palette->Conversion());
}

Status SoftCanvas8::ApplyFog() {
    if (!IsUsable()) return kStatusPlatformFailed;
    if (!FogApplies() || fog.tables8.table == nullptr || depth == nullptr || depthRowOffsets == nullptr) {
        return kStatusNothingToDo;
    }
    const uint16_t start = fog.tables8.startDepth;
    for (int32_t y = 0; y < height; ++y) {
        uint8_t* const row = Row(y);
        const uint16_t* const depths = DepthRow(y);
        for (int32_t x = 0; x < width; ++x) {
            const uint16_t d = depths[x];
            if (d >= start && d <= kLastFoggedDepth) row[x] = fog.tables8.table[d >> kFogLevelShift][row[x]];
        }
    }
    return kStatusOk;
}
