#include "canvas/SoftCanvas16.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <limits>

#include "canvas/CanvasTables.h"
#include "engine/UnalignedWords.h"
#include "raster/ByteBlits.h"
#include "display/Palette.h"
#include "engine/EngineAllocation.h"
#include "display/KeyedSprite.h"
#include "raster/FillTriangle16.h"
#include "raster/FixedVertex.h"
#include "raster/Lines.h"
#include "raster/PixelRoutines.h"
#include "raster/PolygonEntry.h"

// A run-encoded image reaches BlitImage in the place of a PixelImage: the
// two records agree on where they keep the sides and the flags, and the
// flags tell them apart before anything else of the record is read.
static_assert(offsetof(PixelImage, width) == offsetof(KeyedSprite, width));
static_assert(offsetof(PixelImage, height) == offsetof(KeyedSprite, height));
static_assert(offsetof(PixelImage, flags) == offsetof(KeyedSprite, flags));

namespace {

constexpr uint32_t kOwnership = Canvas::kFlagOwnsPixels | Canvas::kFlagOwnsDepth;

template <typename T>
T* Take(size_t bytes) {
    return static_cast<T*>(EngineAllocate(bytes));
}

template <typename T>
void Give(T*& block) {
    EngineRelease(block);
    block = nullptr;
}

using Window = CanvasWindow;

void CopyKeyed(uint16_t* destination, const uint16_t* source, int32_t count, uint32_t flags, uint16_t key) {
    if ((flags & kSpanKeyed) == 0) {
        CopySpan16(destination, source, count);
        return;
    }
    // Runs of opaque pixels go by one copy each: backgrounds are keyed
    // images that hardly use their key.
    for (int32_t i = 0; i < count;) {
        while (i < count && source[i] == key) ++i;
        const int32_t from = i;
        while (i < count && source[i] != key) ++i;
        if (i > from) std::memcpy(destination + from, source + from, size_t(i - from) * sizeof(uint16_t));
    }
}

// The palette's 16-bit shade rows, or null for a palette without them (none
// at all, or an 8-bit palette whose rows hold indices).
const ShadeTable* Shades16(const Palette* palette) {
    if (palette == nullptr || palette->IsIndexed8()) return nullptr;
    const ShadeTable* shades = palette->Shades();
    return shades != nullptr && shades->rows != nullptr ? shades : nullptr;
}

}  // namespace

void CopySpan16(uint16_t* destination, const uint16_t* source, int32_t count) {
    if (count <= 0) return;
    std::memcpy(destination, source, size_t(count) * sizeof(uint16_t));
}

void CopySpan16Key555(uint16_t* destination, const uint16_t* source, int32_t count, uint32_t flags) {
    CopyKeyed(destination, source, count, flags, PixelImage::kKey555);
}

void CopySpan16Key565(uint16_t* destination, const uint16_t* source, int32_t count, uint32_t flags) {
    CopyKeyed(destination, source, count, flags, PixelImage::kKey565);
}

void ExpandIndexSpan16(uint16_t* destination, const uint8_t* source, int32_t count, const uint16_t* shadeColumn,
                       uint32_t flags) {
    const bool keyed = (flags & kSpanKeyed) != 0;
    for (int32_t i = 0; i < count; ++i) {
        if (keyed && source[i] == kByteTransparent) continue;
        destination[i] = shadeColumn[uint32_t(source[i]) << Palette::kShadeShift];
    }
}

SoftCanvas16::SoftCanvas16(const CanvasRect* rect, Palette* palette, uint32_t flags) {
    setupResult = SoftCanvas16::Setup(rect, palette, flags);
}

SoftCanvas16::~SoftCanvas16() {
    ReleaseBuffers();
    fog.tables16.Free();
}

Status SoftCanvas16::Setup(const CanvasRect* rect, Palette* canvasPalette, uint32_t canvasFlags) {
    if (rect == nullptr) return kStatusOutOfMemory;
    return SetupBuffers(rect->width, rect->height, nullptr, nullptr, canvasPalette, canvasFlags, 0, 0);
}

Status SoftCanvas16::SetupBuffers(int32_t canvasWidth, int32_t canvasHeight, uint8_t* givenPixels,
                                  uint16_t* givenDepth, Palette* canvasPalette, uint32_t canvasFlags,
                                  int32_t givenPitch, int32_t givenDepthPitch) {
    ReleaseBuffers();
    // The clear below draws through the checked operations.
    setupResult = kStatusOk;
    width = canvasWidth;
    height = canvasHeight;
    pitch = givenPitch != 0 ? givenPitch : 2 * canvasWidth;
    depthPitch = givenDepthPitch != 0 ? givenDepthPitch : 2 * pitch;
    depth = givenDepth;
    depthBits = 0;
    // Ownership is this set-up's to record, whatever the creator passed.
    flags = (canvasFlags & ~kOwnership) | kFlagSetUp | kFlag16Bit;
    const int64_t area = int64_t(canvasWidth) * canvasHeight;
    if (canvasWidth <= 0 || canvasHeight <= 0 || area * 2 > std::numeric_limits<int32_t>::max()) {
        return kStatusOutOfMemory;
    }
    bufferSize = uint32_t(area * 2);

    pixels = givenPixels;
    if (pixels == nullptr) {
        pixels = Take<uint8_t>(bufferSize);
        if (pixels == nullptr) return kStatusOutOfMemory;
        flags |= kFlagOwnsPixels;
    }
    if ((flags & kFlagHasDepth) != 0) {
        depthBits = 16;
        if (depth == nullptr) {
            depth = Take<uint16_t>(size_t(area) * sizeof(uint16_t));
            if (depth == nullptr) {
                ReleaseBuffers();
                return kStatusOutOfMemory;
            }
            flags |= kFlagOwnsDepth;
        }
        flags |= kFlagDepthTest;
        depthPitch = 2 * canvasWidth;
    }

    if (AllocateCanvasTables(*this) != kStatusOk) {
        ReleaseBuffers();
        return kStatusOutOfMemory;
    }
    palette = canvasPalette;
    FillCanvasRowOffsets(*this);
    if ((flags & kFlagNoClear) == 0) {
        Lock();
        Clear(0, 0xFFFFFFFF);
        Unlock();
    }
    subdivideLength = float(double(canvasWidth) * 7.0 * 0.01);
    subdivideLongLength = 4.0f * subdivideLength;
    return kStatusOk;
}

void SoftCanvas16::ReleaseBuffers() {
    if ((flags & kFlagOwnsPixels) != 0) Give(pixels);
    if ((flags & kFlagOwnsDepth) != 0) Give(depth);
    flags &= ~kOwnership;
    ReleaseCanvasTables(*this);
}

Status SoftCanvas16::FillRectRgb(const CanvasRect* rect, const uint8_t* rgb) {
    if (!IsUsable()) return kStatusPlatformFailed;
    const uint16_t value = PackRgb(rgb);
    // Callers keep rectangles on the canvas; one that strays is cut rather
    // than written past the buffer.
    Window w;
    if (!CutToTarget(rect->x, rect->y, rect->width, rect->height, width, height, &w)) return kStatusOk;
    for (int32_t y = w.y; y < w.y + w.height; ++y) std::fill_n(Pixel(w.x, y), w.width, value);
    return kStatusOk;
}

Status SoftCanvas16::FillRect(const CanvasRect* rect, uint32_t colour) {
    if (!IsUsable()) return kStatusPlatformFailed;
    if ((colour & (kColorRaw555 | kColorRaw565)) == 0) {
        const uint32_t c = palette != nullptr ? palette->GetColor(colour) : 0;
        const uint8_t rgb[3] = {uint8_t(c), uint8_t(c >> 8), uint8_t(c >> 16)};
        return FillRectRgb(rect, rgb);
    }
    Window w;
    if (!CutToTarget(rect->x, rect->y, rect->width, rect->height, width, height, &w)) return kStatusOk;
    for (int32_t y = w.y; y < w.y + w.height; ++y) std::fill_n(Pixel(w.x, y), w.width, uint16_t(colour));
    return kStatusOk;
}

Status SoftCanvas16::PlotPixelInt(const ViewVertex* v, const uint8_t* rgb) {
    if (!IsUsable()) return kStatusPlatformFailed;
    const int32_t x = v->screenX, y = v->screenY;
    // The line routines hand every pixel here unclipped.
    if (x < 0 || y < 0 || x >= width || y >= height) return kStatusOk;
    if (DepthTestOn() && depth != nullptr && depthRowOffsets != nullptr) {
        uint16_t& stored = DepthRow(y)[x];
        const uint16_t incoming = uint16_t(v->depth >> 16);
        if (incoming >= stored) return kStatusOk;
        stored = incoming;
    }
    *Pixel(x, y) = rgb != nullptr ? PackRgb(rgb) : ShadePixel16(v->colour, v->intensity);
    return kStatusOk;
}

Status SoftCanvas16::DrawLineInt(const ViewVertex* a, const ViewVertex* b, const uint8_t* rgb) {
    if (!IsUsable()) return kStatusPlatformFailed;
    RasterLineFlat(this, a, b, rgb);
    return kStatusOk;
}

Status SoftCanvas16::DrawLineShadedInt(const ViewVertex* a, const ViewVertex* b) {
    if (!IsUsable()) return kStatusPlatformFailed;
    RasterLineShaded(this, a, b, nullptr);
    return kStatusOk;
}

bool SoftCanvas16::MonoColor(uint32_t colour, uint16_t* pixel, bool* transparent) const {
    *transparent = colour == kColorTransparent || colour == kColorTransparentIndex;
    if (*transparent) return true;
    if ((colour & kColorFormBits) == 0) {
        *pixel = IndexToPixel16(colour);
        return true;
    }
    const bool is555 = Is555();
    if (((colour & kColorRaw555) != 0 && is555) || ((colour & kColorRaw565) != 0 && !is555)) {
        *pixel = uint16_t(colour);
        return true;
    }
    return false;
}

Status SoftCanvas16::DrawMonoImage(const CanvasRect* rect, PixelImage* image, uint32_t fg, uint32_t bg) {
    if (!IsUsable()) return kStatusPlatformFailed;
    uint16_t fgPixel = 0, bgPixel = 0;
    bool fgClear = false, bgClear = false;
    if (!MonoColor(fg, &fgPixel, &fgClear) || !MonoColor(bg, &bgPixel, &bgClear)) return kStatusPlatformFailed;
    if (image == nullptr || image->Format() != PixelImage::kFormat1Bit) return kStatusCannotDrawFormat;
    if (image->pixels == nullptr || (fgClear && bgClear)) return kStatusOk;
    Window w;
    if (!CutToTarget(rect->x, rect->y, std::min<int32_t>(image->width, rect->width),
                     std::min<int32_t>(image->height, rect->height), width, height, &w)) {
        return kStatusOk;
    }
    const int32_t rowBytes = image->RowBytes();
    // With one colour transparent the row is first expanded into a
    // selector of 1 for set bits and 0 for clear ones, in the span buffer,
    // which holds far more than a row.
    auto* const selector = reinterpret_cast<uint16_t*>(spanBufferA);
    const uint16_t drawnBit = fgClear ? 0 : 1;
    const uint16_t drawnPixel = fgClear ? bgPixel : fgPixel;
    for (int32_t row = 0; row < w.height; ++row) {
        const uint8_t* mask = image->pixels + size_t(w.skipY + row) * size_t(rowBytes) + size_t(w.skipX / 8);
        uint16_t* out = Pixel(w.x, w.y + row);
        if (!fgClear && !bgClear) {
            ExpandMaskRow16(out, mask, w.width, w.skipX % 8, fgPixel, bgPixel);
            continue;
        }
        ExpandMaskRow16(selector, mask, w.width, w.skipX % 8, 1, 0);
        for (int32_t i = 0; i < w.width; ++i) {
            if (selector[i] == drawnBit) out[i] = drawnPixel;
        }
    }
    return kStatusOk;
}

Status SoftCanvas16::DrawMonoImageRaw(const CanvasRect* rect, MonoMaskRecord* mask, uint32_t setValue,
                                      uint32_t clearValue) {
    if (!IsUsable()) return kStatusPlatformFailed;
    const PixelImage& image = mask->image;
    if (image.Format() != PixelImage::kFormat1Bit) return kStatusCannotDrawFormat;
    if (depth == nullptr || depthRowOffsets == nullptr) return kStatusNothingToDo;
    if (image.pixels == nullptr) return kStatusOk;
    Window w;
    if (!CutToTarget(rect->x, rect->y, std::min<int32_t>(image.width, rect->width),
                     std::min<int32_t>(image.height, rect->height), width, height, &w)) {
        return kStatusOk;
    }
    const int32_t rowBytes = image.RowBytes();
    for (int32_t row = 0; row < w.height; ++row) {
        const uint8_t* bits = image.pixels + size_t(w.skipY + row) * size_t(rowBytes) + size_t(w.skipX / 8);
        ExpandMaskRow16(DepthRow(w.y + row) + w.x, bits, w.width, w.skipX % 8, uint16_t(setValue),
                        uint16_t(clearValue));
    }
    return kStatusOk;
}

Status SoftCanvas16::BlitImage(const CanvasRect* rect, PixelImage* image, uint32_t mode) {
    if (!IsUsable()) return kStatusPlatformFailed;
    if (image == nullptr) return kStatusNothingToDo;
    constexpr uint32_t kModeScaled = 0x100;
    if ((mode & kModeScaled) != 0) return kStatusNothingToDo;

    const bool runEncoded = (image->flags & PixelImage::kFlagRunEncoded) != 0;
    // A run-encoded record has no palette field (its row table lies where an
    // image keeps the palette), and its 15/16-bit pixels need none.
    Palette* const own = palette;
    Palette* const inUse = !runEncoded && image->palette != nullptr ? image->palette : own;
    const uint32_t format = image->Format();
    const uint32_t kind = inUse != nullptr ? inUse->Flags() : 0;
    if ((format == PixelImage::kFormat555 && (kind & Palette::kFlagRgb565) != 0) ||
        (format == PixelImage::kFormat565 && (kind & Palette::kFlagRgb555) != 0)) {
        return kStatusCannotDrawFormat;
    }
    if (runEncoded) return BlitRunEncoded(rect, image);

    palette = inUse;
    BlitPlain(rect, image, mode);
    palette = own;
    return kStatusOk;
}

Status SoftCanvas16::BlitRunEncoded(const CanvasRect* rect, const PixelImage* image) {
    return reinterpret_cast<const KeyedSprite*>(image)->DrawWhole16(*this, rect->x, rect->y);
}

void SoftCanvas16::BlitPlain(const CanvasRect* rect, const PixelImage* image, uint32_t mode) {
    if (image->pixels == nullptr) return;
    Window w;
    if (!CutToTarget(rect->x, rect->y, std::min<int32_t>(image->width, rect->width),
                     std::min<int32_t>(image->height, rect->height), width, height, &w)) {
        return;
    }
    const uint32_t format = image->Format();
    const size_t rowBytes = size_t(image->RowBytes());
    for (int32_t row = 0; row < w.height; ++row) {
        const uint8_t* in = image->pixels + size_t(w.skipY + row) * rowBytes;
        uint16_t* const out = Pixel(w.x, w.y + row);
        if (format == PixelImage::kFormat565) {
            CopySpan16Key565(out, reinterpret_cast<const uint16_t*>(in) + w.skipX, w.width, mode);
        } else if (format == PixelImage::kFormat555) {
            CopySpan16Key555(out, reinterpret_cast<const uint16_t*>(in) + w.skipX, w.width, mode);
        } else if (format == PixelImage::kFormat8Bit) {
            const ShadeTable* shades = Shades16(palette);
            if (shades != nullptr) {
                const uint16_t* column = static_cast<const uint16_t*>(shades->rows) + shades->PivotEntry();
                ExpandIndexSpan16(out, in + w.skipX, w.width, column, mode);
                continue;
            }
            // An 8-bit palette lent by the image has index rows: its colours
            // are packed instead.
            for (int32_t i = 0; i < w.width; ++i) {
                const uint8_t index = in[w.skipX + i];
                if ((mode & kSpanKeyed) != 0 && index == kByteTransparent) continue;
                out[i] = IndexToPixel16(index);
            }
        } else {
            return;
        }
    }
}

Status SoftCanvas16::FillPolygon(int32_t count, uint32_t baseMode, const ScreenVertex* v, PixelImage* image,
                                 uint32_t alpha) {
    if (!IsUsable()) return kStatusPlatformFailed;
    if (count > kMaxPolygonVertices) return kStatusOk;
    FillPolygon16(this, count, PolygonMode(baseMode), v, image, alpha);
    return kStatusOk;
}

namespace {

constexpr uint32_t kOpaque = 255;
constexpr uint32_t kFlat = 0x00;
constexpr uint32_t kShaded = Canvas::kModeGouraud;
constexpr uint32_t kTextured = Canvas::kModeTextured;
constexpr uint32_t kTexturedPersp = Canvas::kModeTextured | Canvas::kModePerspective;
constexpr uint32_t kTexturedShaded = Canvas::kModeTextured | Canvas::kModeGouraud;
constexpr uint32_t kTexturedShadedPersp = kTexturedShaded | Canvas::kModePerspective;
constexpr uint32_t kAlpha = Canvas::kModeTranslucent;

}  // namespace

Status SoftCanvas16::FillPolygonFlat(int32_t count, const ScreenVertex* v) {
    return FillPolygon(count, kFlat, v, nullptr, kOpaque);
}

Status SoftCanvas16::FillPolygonShaded(int32_t count, const ScreenVertex* v) {
    return FillPolygon(count, kShaded, v, nullptr, kOpaque);
}

Status SoftCanvas16::FillPolygonTextured(int32_t count, const ScreenVertex* v, PixelImage* image) {
    return FillPolygon(count, kTextured, v, image, kOpaque);
}

Status SoftCanvas16::FillPolygonTexturedPersp(int32_t count, const ScreenVertex* v, PixelImage* image) {
    return FillPolygon(count, kTexturedPersp, v, image, kOpaque);
}

Status SoftCanvas16::FillPolygonTexturedShaded(int32_t count, const ScreenVertex* v, PixelImage* image) {
    return FillPolygon(count, kTexturedShaded, v, image, kOpaque);
}

Status SoftCanvas16::FillPolygonTexturedShadedPersp(int32_t count, const ScreenVertex* v, PixelImage* image) {
    return FillPolygon(count, kTexturedShadedPersp, v, image, kOpaque);
}

Status SoftCanvas16::FillPolygonFlatAlpha(int32_t count, const ScreenVertex* v, uint32_t alpha) {
    return FillPolygon(count, kAlpha | kFlat, v, nullptr, alpha);
}

Status SoftCanvas16::FillPolygonShadedAlpha(int32_t count, const ScreenVertex* v, uint32_t alpha) {
    return FillPolygon(count, kAlpha | kShaded, v, nullptr, alpha);
}

Status SoftCanvas16::FillPolygonTexturedAlpha(int32_t count, const ScreenVertex* v, PixelImage* image,
                                              uint32_t alpha) {
    return FillPolygon(count, kAlpha | kTextured, v, image, alpha);
}

Status SoftCanvas16::FillPolygonTexturedPerspAlpha(int32_t count, const ScreenVertex* v, PixelImage* image,
                                                   uint32_t alpha) {
    return FillPolygon(count, kAlpha | kTexturedPersp, v, image, alpha);
}

Status SoftCanvas16::FillPolygonTexturedShadedAlpha(int32_t count, const ScreenVertex* v, PixelImage* image,
                                                    uint32_t alpha) {
    return FillPolygon(count, kAlpha | kTexturedShaded, v, image, alpha);
}

Status SoftCanvas16::FillPolygonTexturedShadedPerspAlpha(int32_t count, const ScreenVertex* v, PixelImage* image,
                                                         uint32_t alpha) {
    return FillPolygon(count, kAlpha | kTexturedShadedPersp, v, image, alpha);
}

bool SoftCanvas16::FillsNoPixel(int32_t count, const ScreenVertex* v) const {
    return (flags & kFlagOutline) == 0 && PolygonFillsNoPixel16(*this, count, v);
}

const NearShapes* SoftCanvas16::EmptyNearShapes() const {
    return (flags & kFlagOutline) == 0 ? NearShapesFillingNothing16(*this) : nullptr;
}

uint32_t SoftCanvas16::ShadeToDirect(uint32_t colour, int32_t intensity) const {
    const uint32_t p = ShadePixel16(colour, intensity);
    uint32_t red, green;
    if (Is555()) {
        red = (p >> 7) & 0xF8;
        green = (p >> 2) & 0xF8;
    } else {
        red = (p >> 8) & 0xF8;
        green = (p >> 3) & 0xFC;
    }
    const uint32_t blue = (p << 3) & 0xFF;
    return kColorDirect | red << 16 | green << 8 | blue;
}

namespace {

// An Rgb polygon's vertex with its colour word as given, and the whole
// intensity a palette colour is shaded by.
FixedVertex RgbVertex(const ScreenVertex& in, int32_t* intensity) {
    FixedVertex f;
    f.x = Canvas::TruncateToInt(in.x * 65536.0f);
    f.y = Canvas::TruncateToInt(in.y * 65536.0f);
    f.depth = Canvas::DepthToWord(in.depth);
    *intensity = Canvas::TruncateToInt(in.intensity);
    f.colour = in.colour;
    return f;
}

FixedVertex RgbVertex(const ViewVertex& in, int32_t* intensity) {
    FixedVertex f;
    f.x = int32_t(uint32_t(in.screenX) << 16);
    f.y = int32_t(uint32_t(in.screenY) << 16);
    f.depth = in.depth;
    *intensity = in.intensity;
    f.colour = in.colour;
    return f;
}

template <typename Vertex>
Status FillRgb(SoftCanvas16& canvas, int32_t count, const Vertex* v) {
    if (!canvas.IsUsable()) return kStatusPlatformFailed;
    if (count > Canvas::kMaxPolygonVertices) return kStatusOk;
    FixedVertex block[Canvas::kMaxPolygonVertices];
    for (int32_t i = 0; i < count; ++i) {
        int32_t intensity = 0;
        FixedVertex& f = block[i] = RgbVertex(v[i], &intensity);
        f.intensity = int32_t(uint32_t(intensity) << 16);
        if ((f.colour & Canvas::kColorDirect) == 0) f.colour = canvas.ShadeToDirect(f.colour, intensity);
    }
    FillPolygonRgb16(&canvas, count, block);
    return kStatusOk;
}

}  // namespace

Status SoftCanvas16::FillPolygonRgb(int32_t count, const ScreenVertex* v) { return FillRgb(*this, count, v); }

Status SoftCanvas16::FillPolygonRgbInt(int32_t count, const ViewVertex* v) { return FillRgb(*this, count, v); }

Status SoftCanvas16::SetFog(const FogParams* fogParams) {
    if (!IsUsable()) return kStatusPlatformFailed;
    fog.tables16.Build(fogParams);
    return kStatusOk;
}

Status SoftCanvas16::ApplyFog() {
    if (!IsUsable()) return kStatusPlatformFailed;
    const FogTables16& tables = fog.tables16;
    if (!FogApplies() || depth == nullptr || depthRowOffsets == nullptr || tables.red == nullptr ||
        tables.green == nullptr || tables.blue == nullptr) {
        return kStatusNothingToDo;
    }
    const bool is555 = Is555();
    // 5-6-5 green is read and written as its top five bits, so the fog
    // tables serve both packings.
    const int redShift = is555 ? 10 : 11;
    const int greenShift = is555 ? 5 : 6;
    for (int32_t y = 0; y < height; ++y) {
        const uint16_t* depthRow = DepthRow(y);
        uint16_t* row = Pixel(0, y);
        for (int32_t x = 0; x < width; ++x) {
            const uint16_t d = depthRow[x];
            if (d < tables.startDepth || d == 0xFFFF) continue;
            const int level = d >> 8;
            const uint16_t p = row[x];
            row[x] = uint16_t(tables.red[level][(p >> redShift) & 31] << redShift |
                              tables.green[level][(p >> greenShift) & 31] << greenShift |
                              tables.blue[level][p & 31]);
        }
    }
    return kStatusOk;
}
