#include "display/Canvas.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

#include "engine/Saturate.h"
#include "display/ColorTables.h"
#include "display/Palette.h"
#include "display/PixelFormat.h"
#include "display/LineClip.h"
#include "display/Bitmap.h"

namespace {

constexpr double kTwoTo32 = 4294967296.0;


bool Contains(const CanvasRect& r, int32_t x, int32_t y) {
    return x >= r.x && int64_t(x) < int64_t(r.x) + r.width && y >= r.y && int64_t(y) < int64_t(r.y) + r.height;
}

// The canvas narrowed by clip. Points are limited by the canvas alone when
// clip misses it: ClipRect leaves the rectangle as it was then.
CanvasRect PixelArea(const Canvas& canvas, const CanvasRect* clip) {
    CanvasRect area = canvas.Bounds();
    if (clip != nullptr) ClipRect(&area, clip);
    return area;
}

// Fills cut the rectangle itself: first to clip, then to the canvas.
bool ClipFill(const Canvas& canvas, CanvasRect* r, const CanvasRect* clip) {
    if (clip != nullptr && ClipRect(r, clip) != kClipVisible) return false;
    const CanvasRect bounds = canvas.Bounds();
    return ClipRect(r, &bounds) == kClipVisible;
}

template <typename Fill>
Status ConvertAndFill(const Canvas& canvas, int32_t count, const ViewVertex* v, Fill&& fill) {
    if (!canvas.IsUsable()) return kStatusPlatformFailed;
    // The kinds convert into a block of twelve; more cannot be drawn.
    if (count < 0 || count > Canvas::kMaxPolygonVertices) return kStatusOk;
    ScreenVertex block[Canvas::kMaxPolygonVertices];
    for (int32_t i = 0; i < count; ++i) Canvas::ToScreenVertex(&v[i], &block[i]);
    return fill(count, block);
}

}  // namespace

Canvas::~Canvas() {
    // A canvas must not stay current after it is gone: a later canvas may
    // be given the same address and be taken for this one.
    if (g_colorTables != nullptr && g_colorTables->currentCanvas == this) g_colorTables->currentCanvas = nullptr;
}

void Canvas::Nothing() {}

void Canvas::EnableDepthTest() {
    if ((flags & kFlagHasDepth) != 0) flags |= kFlagDepthTest;
}

void Canvas::DisableDepthTest() { flags &= ~kFlagDepthTest; }
void Canvas::SetFlag80000() { flags |= kFlagFiltering; }
void Canvas::ClearFlag80000() { flags &= ~kFlagFiltering; }
void Canvas::SetFlag40000() { flags |= kFlagSoftwareAlpha; }
void Canvas::ClearFlag40000() { flags &= ~kFlagSoftwareAlpha; }
void Canvas::EnableFog() { flags |= kFlagFog; }
void Canvas::DisableFog() { flags &= ~kFlagFog; }

void Canvas::MakeCurrent() {
    if (g_colorTables != nullptr) g_colorTables->currentCanvas = this;
}

Status Canvas::CopyToImage(Bitmap* image) {
    if (!IsUsable()) return kStatusPlatformFailed;
    if (palette == nullptr) return kStatusOk;
    const uint32_t kind = palette->Flags();
    uint8_t bytesPerPixel;
    if ((kind & Palette::kFlagIndexed8) != 0) {
        bytesPerPixel = Bitmap::kDepth8Bit;
    } else if ((kind & (Palette::kFlagRgb555 | Palette::kFlagRgb565)) != 0) {
        bytesPerPixel = Bitmap::kDepth24Bit;
    } else {
        return kStatusOk;
    }
    // A bitmap's sides are 16-bit; a larger canvas cannot be held.
    if (width <= 0 || height <= 0 || width > 0xFFFF || height > 0xFFFF) return kStatusOutOfMemory;
    if (image->Create(uint16_t(width), uint16_t(height), bytesPerPixel, true) != kStatusOk) return kStatusOutOfMemory;

    const uint32_t outRow = image->RowBytes();
    if (bytesPerPixel == Bitmap::kDepth8Bit) {
        static_assert(sizeof(PaletteColor) * Palette::kColorCount == Bitmap::kPaletteBytes);
        std::memcpy(image->palette, palette->Colors(), Bitmap::kPaletteBytes);
        for (int32_t y = 0; y < height; ++y) {
            std::memcpy(image->pixels + size_t(y) * outRow, pixels + int64_t(y) * pitch, size_t(width));
        }
        return kStatusOk;
    }

    const bool is555 = (kind & Palette::kFlagRgb555) != 0;
    for (int32_t y = 0; y < height; ++y) {
        const uint8_t* in = pixels + int64_t(y) * pitch;
        uint8_t* out = image->pixels + size_t(y) * outRow;
        for (int32_t x = 0; x < width; ++x, in += 2, out += 3) {
            uint16_t p;
            std::memcpy(&p, in, sizeof p);
            const PixelChannels c = is555 ? UnpackPixel555(p) : UnpackPixel565(p);
            out[0] = c.red;
            out[1] = c.green;
            out[2] = c.blue;
        }
    }
    return kStatusOk;
}

int32_t Canvas::Lock() {
    const int32_t previous = locked;
    locked = 1;
    return previous;
}

int32_t Canvas::Unlock() {
    const int32_t previous = locked;
    locked = 0;
    return previous;
}

Status Canvas::Clear(uint32_t colour, uint32_t depthValue) {
    if (!IsUsable()) return kStatusPlatformFailed;
    if ((flags & kFlagClearDepthOnly) == 0) {
        const CanvasRect all = Bounds();
        FillRect(&all, colour);
    }
    if (DepthTestOn() && depthBits == 16 && depth != nullptr && depthRowOffsets != nullptr) {
        const uint16_t entry = uint16_t(depthValue >> 16);
        for (int32_t y = 0; y < height; ++y) std::fill_n(DepthRow(y), width, entry);
    }
    return kStatusOk;
}

Status Canvas::Reserved(uint32_t, uint32_t, uint32_t) { return kStatusNothingToDo; }

Status Canvas::FillRectRgbClipped(const CanvasRect* rect, const uint8_t* rgb, const CanvasRect* clip) {
    if (!IsUsable()) return kStatusPlatformFailed;
    CanvasRect r = *rect;
    if (!ClipFill(*this, &r, clip)) return kStatusOk;
    return FillRectRgb(&r, rgb);
}

Status Canvas::FillRectClipped(const CanvasRect* rect, uint32_t colour, const CanvasRect* clip) {
    if (!IsUsable()) return kStatusPlatformFailed;
    CanvasRect r = *rect;
    if (!ClipFill(*this, &r, clip)) return kStatusOk;
    return FillRect(&r, colour);
}

Status Canvas::PlotPixel(const ScreenVertex* v, const uint8_t* rgb) {
    if (!IsUsable()) return kStatusPlatformFailed;
    ViewVertex point;
    RoundVertex(v, &point);
    return PlotPixelInt(&point, rgb);
}

Status Canvas::PlotPixelClipped(const ScreenVertex* v, const uint8_t* rgb, const CanvasRect* clip) {
    if (!IsUsable()) return kStatusPlatformFailed;
    ViewVertex point;
    RoundVertex(v, &point);
    if (!Contains(PixelArea(*this, clip), point.screenX, point.screenY)) return kStatusOk;
    return PlotPixelInt(&point, rgb);
}

Status Canvas::PlotPixelClippedInt(const ViewVertex* v, const uint8_t* rgb, const CanvasRect* clip) {
    if (!IsUsable()) return kStatusPlatformFailed;
    if (!Contains(PixelArea(*this, clip), v->screenX, v->screenY)) return kStatusOk;
    return PlotPixelInt(v, rgb);
}

int32_t Canvas::ReadPixel(int32_t, int32_t, ViewVertex*) { return int32_t(kStatusNothingToDo); }

int32_t Canvas::ReadPixelAt(const ViewVertex* at, ViewVertex* out) { return ReadPixel(at->screenX, at->screenY, out); }

Status Canvas::ReservedBlit(uint32_t, uint32_t, uint32_t, uint32_t) { return kStatusNothingToDo; }

Status Canvas::DrawLine(const ScreenVertex* a, const ScreenVertex* b, const uint8_t* rgb) {
    if (!IsUsable()) return kStatusPlatformFailed;
    ViewVertex ia, ib;
    RoundVertex(a, &ia);
    RoundVertex(b, &ib);
    return DrawLineInt(&ia, &ib, rgb);
}

Status Canvas::DrawLineShaded(const ScreenVertex* a, const ScreenVertex* b) {
    if (!IsUsable()) return kStatusPlatformFailed;
    ViewVertex ia, ib;
    RoundVertex(a, &ia);
    RoundVertex(b, &ib);
    return DrawLineShadedInt(&ia, &ib);
}

Status Canvas::DrawLineShadedAlt(const ScreenVertex* a, const ScreenVertex* b) {
    if (!IsUsable()) return kStatusPlatformFailed;
    DrawLineShaded(a, b);
    return kStatusNothingToDo;
}

Status Canvas::DrawLineShadedAltInt(const ViewVertex* a, const ViewVertex* b) {
    if (!IsUsable()) return kStatusPlatformFailed;
    DrawLineShadedInt(a, b);
    return kStatusNothingToDo;
}

CanvasRect Canvas::LineBounds(const CanvasRect* clip) const {
    // The last column and row are left out of clipped lines.
    CanvasRect area{0, 0, width - 1, height - 1};
    if (clip != nullptr) ClipRect(&area, clip);
    return area;
}

uint32_t Canvas::LineClipFlags(bool shaded) const {
    uint32_t clipFlags = DepthTestOn() ? kLineClipDepth : 0;
    if (shaded) clipFlags |= kLineClipShade;
    return clipFlags;
}

Status Canvas::DrawLineClipped(const ScreenVertex* a, const ScreenVertex* b, const uint8_t* rgb,
                               const CanvasRect* clip) {
    if (!IsUsable()) return kStatusPlatformFailed;
    ScreenVertex ca = *a, cb = *b;
    const CanvasRect area = LineBounds(clip);
    if (ClipLineScreen(&area, &ca, &cb, LineClipFlags(false)) != kClipVisible) return kStatusOk;
    return DrawLine(&ca, &cb, rgb);
}

Status Canvas::DrawLineClippedInt(const ViewVertex* a, const ViewVertex* b, const uint8_t* rgb,
                                  const CanvasRect* clip) {
    if (!IsUsable()) return kStatusPlatformFailed;
    ViewVertex ca = *a, cb = *b;
    const CanvasRect area = LineBounds(clip);
    if (ClipLineView(&area, &ca, &cb, LineClipFlags(false)) != kClipVisible) return kStatusOk;
    return DrawLineInt(&ca, &cb, rgb);
}

Status Canvas::DrawLineShadedClipped(const ScreenVertex* a, const ScreenVertex* b, const CanvasRect* clip) {
    if (!IsUsable()) return kStatusPlatformFailed;
    ScreenVertex ca = *a, cb = *b;
    const CanvasRect area = LineBounds(clip);
    if (ClipLineScreen(&area, &ca, &cb, LineClipFlags(true)) != kClipVisible) return kStatusOk;
    return DrawLineShaded(&ca, &cb);
}

Status Canvas::DrawLineShadedClippedInt(const ViewVertex* a, const ViewVertex* b, const CanvasRect* clip) {
    if (!IsUsable()) return kStatusPlatformFailed;
    ViewVertex ca = *a, cb = *b;
    const CanvasRect area = LineBounds(clip);
    if (ClipLineView(&area, &ca, &cb, LineClipFlags(true)) != kClipVisible) return kStatusOk;
    return DrawLineShadedInt(&ca, &cb);
}

Status Canvas::DrawLineShadedAltClipped(const ScreenVertex* a, const ScreenVertex* b, const CanvasRect* clip) {
    if (!IsUsable()) return kStatusPlatformFailed;
    return DrawLineShadedClipped(a, b, clip);
}

Status Canvas::DrawLineShadedAltClippedInt(const ViewVertex* a, const ViewVertex* b, const CanvasRect* clip) {
    if (!IsUsable()) return kStatusPlatformFailed;
    DrawLineShadedClippedInt(a, b, clip);
    return kStatusNothingToDo;
}

Status Canvas::FillPolygonFlatInt(int32_t count, const ViewVertex* v) {
    return ConvertAndFill(*this, count, v, [this](int32_t n, const ScreenVertex* s) { return FillPolygonFlat(n, s); });
}

Status Canvas::FillPolygonShadedInt(int32_t count, const ViewVertex* v) {
    return ConvertAndFill(*this, count, v,
                          [this](int32_t n, const ScreenVertex* s) { return FillPolygonShaded(n, s); });
}

bool Canvas::FillsNoPixel(int32_t, const ScreenVertex*) const { return false; }
const NearShapes* Canvas::EmptyNearShapes() const { return nullptr; }

Status Canvas::FillPolygonShadedAlt(int32_t count, const ScreenVertex* v) {
    if (!IsUsable()) return kStatusPlatformFailed;
    return FillPolygonShaded(count, v);
}

Status Canvas::FillPolygonShadedAltInt(int32_t count, const ViewVertex* v) {
    if (!IsUsable()) return kStatusPlatformFailed;
    return FillPolygonShadedInt(count, v);
}

Status Canvas::FillPolygonTexturedInt(int32_t count, const ViewVertex* v, PixelImage* image) {
    return ConvertAndFill(*this, count, v, [this, image](int32_t n, const ScreenVertex* s) {
        return FillPolygonTextured(n, s, image);
    });
}

Status Canvas::FillPolygonTexturedPerspInt(int32_t count, const ViewVertex* v, PixelImage* image) {
    return ConvertAndFill(*this, count, v, [this, image](int32_t n, const ScreenVertex* s) {
        return FillPolygonTexturedPersp(n, s, image);
    });
}

Status Canvas::FillPolygonTexturedShadedInt(int32_t count, const ViewVertex* v, PixelImage* image) {
    return ConvertAndFill(*this, count, v, [this, image](int32_t n, const ScreenVertex* s) {
        return FillPolygonTexturedShaded(n, s, image);
    });
}

Status Canvas::FillPolygonTexturedShadedPerspInt(int32_t count, const ViewVertex* v, PixelImage* image) {
    return ConvertAndFill(*this, count, v, [this, image](int32_t n, const ScreenVertex* s) {
        return FillPolygonTexturedShadedPersp(n, s, image);
    });
}

Status Canvas::FillPolygonFlatAlphaInt(int32_t count, const ViewVertex* v, uint32_t alpha) {
    return ConvertAndFill(*this, count, v, [this, alpha](int32_t n, const ScreenVertex* s) {
        return FillPolygonFlatAlpha(n, s, alpha);
    });
}

Status Canvas::FillPolygonShadedAlphaInt(int32_t count, const ViewVertex* v, uint32_t alpha) {
    return ConvertAndFill(*this, count, v, [this, alpha](int32_t n, const ScreenVertex* s) {
        return FillPolygonShadedAlpha(n, s, alpha);
    });
}

Status Canvas::FillPolygonShadedAltAlpha(int32_t count, const ScreenVertex* v, uint32_t alpha) {
    if (!IsUsable()) return kStatusPlatformFailed;
    return FillPolygonShadedAlpha(count, v, alpha);
}

Status Canvas::FillPolygonShadedAltAlphaInt(int32_t count, const ViewVertex* v, uint32_t alpha) {
    if (!IsUsable()) return kStatusPlatformFailed;
    return FillPolygonShadedAlphaInt(count, v, alpha);
}

Status Canvas::FillPolygonTexturedAlphaInt(int32_t count, const ViewVertex* v, PixelImage* image, uint32_t alpha) {
    return ConvertAndFill(*this, count, v, [this, image, alpha](int32_t n, const ScreenVertex* s) {
        return FillPolygonTexturedAlpha(n, s, image, alpha);
    });
}

Status Canvas::FillPolygonTexturedPerspAlphaInt(int32_t count, const ViewVertex* v, PixelImage* image,
                                                uint32_t alpha) {
    return ConvertAndFill(*this, count, v, [this, image, alpha](int32_t n, const ScreenVertex* s) {
        return FillPolygonTexturedPerspAlpha(n, s, image, alpha);
    });
}

Status Canvas::FillPolygonTexturedShadedAlphaInt(int32_t count, const ViewVertex* v, PixelImage* image,
                                                 uint32_t alpha) {
    return ConvertAndFill(*this, count, v, [this, image, alpha](int32_t n, const ScreenVertex* s) {
        return FillPolygonTexturedShadedAlpha(n, s, image, alpha);
    });
}

Status Canvas::FillPolygonTexturedShadedPerspAlphaInt(int32_t count, const ViewVertex* v, PixelImage* image,
                                                      uint32_t alpha) {
    return ConvertAndFill(*this, count, v, [this, image, alpha](int32_t n, const ScreenVertex* s) {
        return FillPolygonTexturedShadedPerspAlpha(n, s, image, alpha);
    });
}

Status Canvas::ApplyFog() { return IsUsable() ? kStatusNothingToDo : kStatusPlatformFailed; }

int32_t Canvas::RoundCoordinate(float value) {
    // In double: 0.49999997f + 0.5f would round up to 1.0 in float.
    return SaturateToInt32(double(value) + 0.5);
}

uint32_t Canvas::DepthToWord(float depthValue) {
    const double scaled = std::trunc(double(depthValue) * kTwoTo32);
    if (!(scaled > 0.0)) return 0;   // negative, zero or NaN
    if (scaled >= kTwoTo32 - 1.0) return std::numeric_limits<uint32_t>::max();
    return uint32_t(scaled);
}

float Canvas::DepthFromWord(uint32_t depthWord) { return float(double(depthWord) / kTwoTo32); }

int32_t Canvas::TruncateToInt(float value) { return SaturateToInt32(value); }

void Canvas::RoundVertex(const ScreenVertex* in, ViewVertex* out) {
    out->screenX = RoundCoordinate(in->x);
    out->screenY = RoundCoordinate(in->y);
    out->depth = DepthToWord(in->depth);
    out->colour = in->colour;
    out->intensity = TruncateToInt(in->intensity);
    out->u = 0;
    out->v = 0;
    out->invZ = 0;
}

void Canvas::ToScreenVertex(const ViewVertex* in, ScreenVertex* out) {
    out->x = float(in->screenX);
    out->y = float(in->screenY);
    out->depth = DepthFromWord(in->depth);
    out->colour = in->colour;
    out->intensity = float(in->intensity);
    out->u = float(std::ldexp(double(in->u), -ViewVertex::kUvFractionBits));
    out->v = float(std::ldexp(double(in->v), -ViewVertex::kUvFractionBits));
    out->invZ = float(std::ldexp(double(in->invZ), -ViewVertex::kInvZFractionBits));
}

uint32_t Canvas::PolygonMode(uint32_t base) const {
    uint32_t mode = base;
    if ((flags & kFlagDepthTest) != 0) mode |= kModeDepthTest;
    if ((base & kModeTextured) != 0 && (flags & kFlagFiltering) != 0) mode |= kModeFiltered;
    if ((flags & kFlagOutline) != 0) mode |= kModeOutline;
    return mode;
}

uint32_t Canvas::RgbToColor(const uint8_t* rgb) {
    if (rgb == nullptr) return 0;
    return uint32_t(rgb[0]) | uint32_t(rgb[1]) << 8 | uint32_t(rgb[2]) << 16;
}

uint16_t Canvas::Pack555(uint8_t red, uint8_t green, uint8_t blue) { return PackPixel555(red, green, blue); }

uint16_t Canvas::Pack565(uint8_t red, uint8_t green, uint8_t blue) { return PackPixel565(red, green, blue); }

bool Canvas::Is555() const { return palette != nullptr && (palette->Flags() & Palette::kFlagRgb555) != 0; }

uint16_t Canvas::PackRgb(const uint8_t* rgb) const {
    if (rgb == nullptr) return 0;
    return Is555() ? Pack555(rgb[0], rgb[1], rgb[2]) : Pack565(rgb[0], rgb[1], rgb[2]);
}

uint16_t Canvas::IndexToPixel16(uint32_t index) const {
    if (palette == nullptr) return 0;
    const uint32_t c = palette->GetColor(index);
    const uint8_t rgb[3] = {uint8_t(c), uint8_t(c >> 8), uint8_t(c >> 16)};
    return PackRgb(rgb);
}

bool Canvas::IsRawOfOtherFormat(uint32_t colour) const {
    const uint32_t own = Is555() ? kColorRaw555 : kColorRaw565;
    return (colour & (kColorRaw555 | kColorRaw565)) != 0 && (colour & own) == 0;
}

namespace {

// Level of an intensity in a shade row: intensity / 8, the intensity held
// to 0..255 so that the lookup stays inside the row.
uint32_t ShadeLevel(int32_t intensity) { return uint32_t(std::clamp(intensity, 0, 255)) / 8; }

}  // namespace

uint16_t Canvas::ShadePixel16(uint32_t colour, int32_t intensity) const {
    const ShadeTable* shades = palette != nullptr ? palette->Shades() : nullptr;
    if (shades == nullptr || shades->rows == nullptr) return 0;
    return shades->Row16(colour & 0xFF)[ShadeLevel(intensity)];
}

uint8_t Canvas::ShadeIndex8(uint32_t colour, int32_t intensity) const {
    const ShadeTable* shades = palette != nullptr ? palette->Shades() : nullptr;
    if (shades == nullptr || shades->rows == nullptr) return 0;
    return shades->Row8(colour & 0xFF)[ShadeLevel(intensity)];
}

bool Canvas::FogApplies() const {
    constexpr uint32_t kNeeded = kFlagHasDepth | kFlagDepthTest | kFlagFog;
    return (flags & kNeeded) == kNeeded;
}
