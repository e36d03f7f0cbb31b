#include "canvas/D3DCanvas.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "display/ColorTables.h"
#include "display/D3DHalDriver.h"
#include "display/D3DTexture.h"
#include "display/FrameSurfaces.h"
#include "display/KeyedSprite.h"
#include "display/Palette.h"
#include "display/PixelImage.h"
#include "engine/EngineAllocation.h"
#include "engine/Saturate.h"
#include "platform/Render3d.h"
#include "platform/Surface.h"

using platform::TlVertex;

namespace {

constexpr uint32_t kDirectColour = 0x10000000;
constexpr uint32_t kWord555 = 0x20000000;
constexpr uint32_t kWord565 = 0x40000000;
constexpr uint32_t kKeyMode = 0x80000000;
constexpr uint32_t kStretchMode = 0x100;
constexpr uint32_t kMonoTransparentWord = 0xFF000000;
constexpr uint32_t kMonoTransparentIndex = 0xFF;
constexpr uint32_t kNoFogLevel = 255;

}  // namespace

D3DCanvas::D3DCanvas(const CanvasRect* rect, Palette* newPalette, uint32_t newFlags, D3DHalDriver* newDriver) {
    subdivideLength = 2049.0f;
    setupResult = Setup(rect, newPalette, newFlags, newDriver);
}

D3DCanvas::~D3DCanvas() {
    if (g_colorTables != nullptr && g_colorTables->currentCanvas == this) g_colorTables->currentCanvas = nullptr;
    EngineRelease(rowOffsets);
    rowOffsets = nullptr;
}

Status D3DCanvas::Setup(const CanvasRect* rect, Palette* newPalette, uint32_t newFlags, D3DHalDriver* newDriver) {
    flags = newFlags | kFlag16Bit | kFlagSetUp;
    driver = newDriver;
    palette = newPalette;
    if (rect != nullptr) {
        width = rect->width;
        height = rect->height;
        originX = rect->x;
        originY = rect->y;
    }
    if (driver == nullptr || driver->frameSurfaces == nullptr || driver->drawingSurface == nullptr || width <= 0 ||
        height <= 0) {
        return kStatusPlatformFailed;
    }
    if ((driver->sins & DisplayDriver::kSinNoVertexFog) == 0) {
        flags |= kFlagVertexFog;
        SetFog(nullptr);
    }
    const int32_t lock = LockSurface();
    if (lock < 0) return kStatusPlatformFailed;
    if (lock == 0) UnlockSurface();
    if ((flags & kFlagHasDepth) != 0) EnableDepthTest();
    rowOffsets = static_cast<uint32_t*>(EngineAllocate(size_t(height) * sizeof(uint32_t)));
    if (rowOffsets == nullptr) return kStatusOutOfMemory;
    for (int32_t r = 0; r < height; ++r) rowOffsets[r] = uint32_t(r) * uint32_t(pitch);
    if ((flags & kFlagNoClear) == 0) Clear(0, 0xFFFFFFFF);
    flags |= kFlag2dDrawing;
    DisableFog();
    return kStatusOk;
}

// --- The surface lock -----------------------------------------------------------

int32_t D3DCanvas::LockSurface() {
    if (driver == nullptr || driver->frameSurfaces == nullptr || driver->drawingSurface == nullptr) return -1;
    FrameSurfaces& surfaces = *driver->frameSurfaces;
    if (surfaces.lockWord != 0) {
        locked = 1;
        return 1;
    }
    surfaces.lockWord = 1;
    driver->EndScene();
    platform::Surface& surface = *driver->drawingSurface;
    for (int32_t attempt = 0; attempt < kLockAttempts; ++attempt) {
        platform::SurfaceDescription description;
        const platform::DeviceResult result = surface.Lock(&description, platform::kLockWait);
        if (result == platform::kDeviceOk) {
            pitch = description.pitch;
            pixels = description.memory + size_t(originY) * size_t(pitch) + size_t(originX) * 2;
            locked = 1;
            return 0;
        }
        if (result == platform::kDeviceSurfaceLost && surface.Restore() != platform::kDeviceOk) break;
    }
    surfaces.lockWord = 0;
    return -1;
}

int32_t D3DCanvas::UnlockSurface() {
    pixels = nullptr;
    int32_t previous = 0;
    if (driver != nullptr && driver->frameSurfaces != nullptr) {
        previous = int32_t(driver->frameSurfaces->lockWord);
        driver->frameSurfaces->lockWord = 0;
        if (previous != 0 && driver->drawingSurface != nullptr) driver->drawingSurface->Unlock();
    }
    locked = 0;
    return previous;
}

// --- States ------------------------------------------------------------------------

namespace {

void Forget() {
    if (g_colorTables != nullptr) g_colorTables->currentCanvas = nullptr;
}

}  // namespace

void D3DCanvas::EnableDepthTest() {
    if ((flags & kFlagHasDepth) != 0) flags |= kFlagDepthTest;
    Forget();
    MakeCurrent();
}

void D3DCanvas::DisableDepthTest() {
    flags &= ~kFlagDepthTest;
    Forget();
    MakeCurrent();
}

void D3DCanvas::SetFlag80000() {
    flags |= kFlagFiltering;
    Forget();
    MakeCurrent();
}

void D3DCanvas::ClearFlag80000() {
    flags &= ~kFlagFiltering;
    Forget();
    MakeCurrent();
}

void D3DCanvas::SetFlag40000() {
    flags |= kFlagSoftwareAlpha;
    Forget();
    MakeCurrent();
}

void D3DCanvas::ClearFlag40000() {
    flags &= ~kFlagSoftwareAlpha;
    Forget();
    MakeCurrent();
}

void D3DCanvas::EnableFog() {
    flags |= kFlagFog;
    Forget();
    MakeCurrent();
}

void D3DCanvas::DisableFog() {
    flags &= ~kFlagFog;
    Forget();
    MakeCurrent();
}

void D3DCanvas::MakeCurrent() {
    if (g_colorTables != nullptr) {
        if (g_colorTables->currentCanvas == this) return;
        g_colorTables->currentCanvas = this;
    }
    if (driver == nullptr || driver->device == nullptr) return;
    platform::RenderDevice3d& device = *driver->device;
    using platform::RenderState;
    if ((flags & kFlagHasDepth) != 0 && (flags & kFlagDepthTest) != 0) {
        device.SetRenderState(RenderState::kZEnable, 1);
        device.SetRenderState(RenderState::kZWriteEnable, 1);
        device.SetRenderState(RenderState::kZFunction, platform::kCompareLessEqual);
    } else {
        device.SetRenderState(RenderState::kZEnable, 0);
        device.SetRenderState(RenderState::kZWriteEnable, 0);
    }
    if ((flags & kFlagVertexFog) != 0 && (flags & kFlagFog) != 0) {
        const auto floatWord = [](float f) {
            uint32_t w;
            std::memcpy(&w, &f, sizeof w);
            return w;
        };
        device.SetLightState(platform::LightState::kFogMode, 3);
        device.SetLightState(platform::LightState::kFogStart, floatWord(1.0f));
        device.SetLightState(platform::LightState::kFogEnd, floatWord(255.0f));
        device.SetRenderState(RenderState::kFogColor,
                              uint32_t(fogColour[0]) << 16 | uint32_t(fogColour[1]) << 8 | fogColour[2]);
        device.SetRenderState(RenderState::kFogEnable, 1);
    } else {
        device.SetRenderState(RenderState::kFogEnable, 0);
    }
}

Status D3DCanvas::SetFog(const FogParams* record) {
    if (record == nullptr) {
        std::fill(std::begin(fogTable), std::end(fogTable), uint8_t(255));
        std::fill(std::begin(fogColour), std::end(fogColour), uint8_t(0));
        return kStatusOk;
    }
    // Fractions outside the depth range are taken at its ends.
    const float start = std::clamp(std::isnan(record->start) ? 0.0f : record->start, 0.0f, 1.0f);
    const float end = std::clamp(std::isnan(record->end) ? 1.0f : record->end, 0.0f, 1.0f);
    const int32_t s = std::min(int32_t(start * 256.0f), 256);
    const int32_t e = std::max(std::min(int32_t(end * 256.0f), 256), s);
    for (int32_t i = 0; i < s; ++i) fogTable[i] = 255;
    float f = 0.0f;
    for (int32_t i = s; i < e; ++i) {
        fogTable[i] = uint8_t(std::clamp((1.0f - f) * 255.0f, 0.0f, 255.0f));
        f += 0.5f / float(e - s);
    }
    for (int32_t i = e; i < 256; ++i) {
        fogTable[i] = uint8_t(std::clamp((1.0f - f) * 255.0f, 0.0f, 255.0f));
        f += 0.5f / float(256 - e);
    }
    fogColour[0] = record->red;
    fogColour[1] = record->green;
    fogColour[2] = record->blue;
    fogColour[3] = record->spare;
    return kStatusOk;
}

// --- Colours -----------------------------------------------------------------------

bool D3DCanvas::Is555() const { return palette != nullptr && (palette->Flags() & Palette::kFlagRgb555) != 0; }

uint32_t D3DCanvas::PixelToRgb(uint16_t p) const {
    const uint32_t red = Is555() ? (p >> 7) & 0xF8 : (p >> 8) & 0xF8;
    const uint32_t green = Is555() ? (p >> 2) & 0xF8 : (p >> 3) & 0xFC;
    const uint32_t blue = (uint32_t(p) << 3) & 0xFF;
    return red << 16 | green << 8 | blue;
}

uint16_t D3DCanvas::RgbToPixel(uint32_t rgb) const {
    const uint32_t red = (rgb >> 16) & 0xFF, green = (rgb >> 8) & 0xFF, blue = rgb & 0xFF;
    if (Is555()) return uint16_t((red & 0xF8) << 7 | (green & 0xF8) << 2 | blue >> 3);
    return uint16_t((red & 0xF8) << 8 | (green & 0xFC) << 3 | blue >> 3);
}

uint32_t D3DCanvas::WordRgb(uint32_t colour) const {
    if ((colour & kWord555) != 0 || (colour & kWord565) != 0) {
        const uint16_t p = uint16_t(colour);
        const bool is555 = (colour & kWord555) != 0;
        const uint32_t red = is555 ? (p >> 7) & 0xF8 : (p >> 8) & 0xF8;
        const uint32_t green = is555 ? (p >> 2) & 0xF8 : (p >> 3) & 0xFC;
        return red << 16 | green << 8 | ((uint32_t(p) << 3) & 0xFF);
    }
    if (palette == nullptr) return 0;
    const uint32_t c = palette->GetColor(colour & 0xFF);
    return (c & 0xFF) << 16 | (c & 0xFF00) | ((c >> 16) & 0xFF);
}

uint32_t D3DCanvas::ShadeRgb(uint32_t colour, int32_t intensity) const {
    return PixelToRgb(ShadePixel16(colour, intensity));
}

uint8_t D3DCanvas::FogByte(float z) const {
    if ((flags & kFlagFog) == 0) return uint8_t(kNoFogLevel);
    const float clamped = std::isnan(z) ? 0.0f : std::clamp(z, 0.0f, 1.0f);
    return fogTable[std::min(int32_t(255.0f * clamped), 255)];
}

TlVertex D3DCanvas::Vertex(float x, float y, float z, uint32_t rgb, uint32_t alpha, uint32_t highlight) const {
    TlVertex t;
    t.x = float(originX) + x;
    t.y = float(originY) + y;
    t.z = z;
    t.rhw = 1.0f;
    t.color = (alpha & 0xFF) << 24 | (rgb & 0xFFFFFF);
    t.specular = uint32_t(FogByte(z)) << 24 | (highlight & 0xFFFFFF);
    return t;
}

// --- Clearing and fills -------------------------------------------------------------

void D3DCanvas::BlitFill(const CanvasRect& area, uint32_t value, bool depthBuffer, int32_t attempts) {
    platform::Surface* const surface = depthBuffer ? driver->zBuffer.get() : driver->drawingSurface.get();
    if (surface == nullptr) return;
    const platform::SurfaceRect rect{area.x, area.y, area.x + area.width, area.y + area.height};
    platform::BlitEffects effects;
    effects.fillColor = value;
    for (int32_t attempt = 0; attempt < attempts; ++attempt) {
        const platform::DeviceResult result =
            surface->Blit(&rect, nullptr, nullptr, platform::kBlitColorFill | platform::kBlitWait, &effects);
        if (result == platform::kDeviceOk) return;
        if (result == platform::kDeviceSurfaceLost) surface->Restore();
    }
}

Status D3DCanvas::Clear(uint32_t colour, uint32_t depthValue) {
    if (!IsUsable()) return kStatusPlatformFailed;
    MakeCurrent();
    // The colour word decoded as the fills decode it.
    const uint16_t fill = RgbToPixel(WordRgb(colour));
    const bool wasLocked = UnlockSurface() != 0;
    if ((flags & kFlagClearDepthOnly) == 0) {
        BlitFill(CanvasRect{originX, originY, width, height}, fill, false, kBlitAttempts);
    }
    if ((flags & kFlagDepthTest) != 0 && driver->zBuffer != nullptr) {
        BlitFill(CanvasRect{0, 0, driver->zBuffer->Width(), driver->zBuffer->Height()}, depthValue >> 16, true,
                 kBlitAttempts);
    }
    if (wasLocked) LockSurface();
    return kStatusOk;
}

Status D3DCanvas::FillRectRgb(const CanvasRect* rect, const uint8_t* rgb) {
    if (!IsUsable() || rect == nullptr) return kStatusPlatformFailed;
    const uint32_t value = rgb != nullptr ? uint32_t(rgb[0]) << 16 | uint32_t(rgb[1]) << 8 | rgb[2] : 0;
    const bool wasLocked = UnlockSurface() != 0;
    BlitFill(CanvasRect{originX + rect->x, originY + rect->y, rect->width, rect->height}, RgbToPixel(value), false, 1);
    if (wasLocked) LockSurface();
    return kStatusOk;
}

Status D3DCanvas::FillRect(const CanvasRect* rect, uint32_t colour) {
    if (!IsUsable()) return kStatusPlatformFailed;
    MakeCurrent();
    driver->EndScene();
    const uint32_t rgb = WordRgb(colour);
    const uint8_t bytes[3] = {uint8_t(rgb >> 16), uint8_t(rgb >> 8), uint8_t(rgb)};
    return FillRectRgb(rect, bytes);
}

// --- Pixels and lines ---------------------------------------------------------------

void D3DCanvas::Draw(bool lines, uint32_t renderFlags, uint32_t handle, const TlVertex* vertices, int32_t count) {
    if (driver == nullptr || driver->device == nullptr) return;
    driver->BeginScene();
    driver->SetRenderState(renderFlags, handle);
    driver->device->DrawPrimitive(lines ? platform::PrimitiveKind::kLineList : platform::PrimitiveKind::kTriangleFan,
                                  vertices, count);
}

Status D3DCanvas::PlotPixelInt(const ViewVertex* v, const uint8_t* rgb) {
    if (!IsUsable() || v == nullptr) return kStatusPlatformFailed;
    ViewVertex other = *v;
    other.screenX = v->screenX + 1 < width ? v->screenX + 1 : v->screenX - 1;
    return DrawLineInt(v, &other, rgb);
}

Status D3DCanvas::PlotPixel(const ScreenVertex* v, const uint8_t* rgb) {
    if (!IsUsable() || v == nullptr) return kStatusPlatformFailed;
    ScreenVertex other = *v;
    other.x = v->x + 1.0f < float(width) ? v->x + 1.0f : v->x - 1.0f;
    return DrawLine(v, &other, rgb);
}

Status D3DCanvas::DrawLine(const ScreenVertex* a, const ScreenVertex* b, const uint8_t* rgb) {
    if (!IsUsable() || a == nullptr || b == nullptr) return kStatusPlatformFailed;
    MakeCurrent();
    const uint32_t colour = rgb != nullptr ? uint32_t(rgb[0]) << 16 | uint32_t(rgb[1]) << 8 | rgb[2]
                                           : ShadeRgb(a->colour, TruncateToInt(a->intensity));
    const TlVertex ends[2] = {Vertex(a->x, a->y, a->depth, colour, 0, 0), Vertex(b->x, b->y, b->depth, colour, 0, 0)};
    Draw(true, kDither | kModulate, 0, ends, 2);
    return kStatusOk;
}

Status D3DCanvas::DrawLineInt(const ViewVertex* a, const ViewVertex* b, const uint8_t* rgb) {
    if (!IsUsable() || a == nullptr || b == nullptr) return kStatusPlatformFailed;
    MakeCurrent();
    const uint32_t colour = rgb != nullptr ? uint32_t(rgb[0]) << 16 | uint32_t(rgb[1]) << 8 | rgb[2]
                                           : ShadeRgb(a->colour, a->intensity);
    const auto z = [](uint32_t depth) { return float(depth >> 16) * (1.0f / 65535.0f); };
    const TlVertex ends[2] = {Vertex(float(a->screenX), float(a->screenY), z(a->depth), colour, 0, 0),
                              Vertex(float(b->screenX), float(b->screenY), z(b->depth), colour, 0, 0)};
    Draw(true, kDither | kModulate, 0, ends, 2);
    return kStatusOk;
}

Status D3DCanvas::DrawLineShaded(const ScreenVertex* a, const ScreenVertex* b) {
    if (!IsUsable() || a == nullptr || b == nullptr) return kStatusPlatformFailed;
    MakeCurrent();
    const TlVertex ends[2] = {Vertex(a->x, a->y, a->depth, ShadeRgb(a->colour, TruncateToInt(a->intensity)), 0, 0),
                              Vertex(b->x, b->y, b->depth, ShadeRgb(b->colour, TruncateToInt(b->intensity)), 0, 0)};
    Draw(true, kGouraud | kDither | kModulate, 0, ends, 2);
    return kStatusOk;
}

Status D3DCanvas::DrawLineShadedInt(const ViewVertex* a, const ViewVertex* b) {
    if (!IsUsable() || a == nullptr || b == nullptr) return kStatusPlatformFailed;
    MakeCurrent();
    const auto z = [](uint32_t depth) { return float(depth >> 16) * (1.0f / 65535.0f); };
    const TlVertex ends[2] = {
        Vertex(float(a->screenX), float(a->screenY), z(a->depth), ShadeRgb(a->colour, a->intensity), 0, 0),
        Vertex(float(b->screenX), float(b->screenY), z(b->depth), ShadeRgb(b->colour, b->intensity), 0, 0)};
    Draw(true, kGouraud | kDither | kModulate, 0, ends, 2);
    return kStatusOk;
}

// --- Polygons -------------------------------------------------------------------------

Status D3DCanvas::BindTexture(PixelImage* image, uint32_t* handle) {
    if (image == nullptr) return 6;
    D3DTexture* texture = nullptr;
    for (Texture* t = image->copies; t != nullptr; t = t->nextOfImage) {
        if (t->textureKind == Texture::kKindD3D) {
            texture = static_cast<D3DTexture*>(t);
            break;
        }
    }
    if (texture == nullptr) {
        if (image->palette == nullptr) image->palette = palette;
        texture = new D3DTexture(image, image->palette);
        if (texture == nullptr) return kStatusOutOfMemory;
        if (texture->status != 0) {
            delete texture;
            return 6;
        }
    }
    if (texture->image == nullptr || texture->image->Format() != PixelImage::kFormat8Bit) return 6;
    if (texture->Upload() != 0) return kStatusPlatformFailed;
    *handle = texture->handle;
    return kStatusOk;
}

Status D3DCanvas::Polygon(int32_t count, const ScreenVertex* v, PixelImage* image, Colouring colouring,
                          uint32_t renderFlags, uint32_t alpha, bool perspective) {
    if (!IsUsable()) return kStatusPlatformFailed;
    if (count > kMaxVertices || count < 0 || (count > 0 && v == nullptr)) return kStatusOk;
    MakeCurrent();
    uint32_t handle = 0;
    const bool textured = colouring == Colouring::kTexturedBase || colouring == Colouring::kTexturedEach;
    if (textured) {
        const Status bound = BindTexture(image, &handle);
        if (bound != kStatusOk) return bound;
        if ((flags & kFlagFiltering) != 0) renderFlags |= kFiltered;
        if (image->IsKeyed()) {
            renderFlags |= kColorKey;
            if ((flags & kFlag2dDrawing) != 0) renderFlags &= ~kFiltered;
        }
    }
    const ShadeTable* const shades = palette != nullptr ? palette->Shades() : nullptr;
    const int32_t level = shades != nullptr ? int32_t(shades->pivot) : 0;
    // A pivot of 0 shows every texture at full brightness; of 255, nothing brighter.
    const auto modulate = [level](int32_t s, uint32_t* base, uint32_t* highlight) {
        if (level <= 0) {
            *base = 255;
            *highlight = 0;
            return;
        }
        *base = uint32_t(std::clamp(std::min(s, level) * 255 / level, 0, 255));
        *highlight = s > level && level < 255 ? uint32_t(std::clamp((s - level) * 255 / (255 - level), 0, 255)) : 0;
    };
    TlVertex vertices[kMaxVertices];
    for (int32_t i = 0; i < count; ++i) {
        const ScreenVertex& p = v[i];
        float z = p.depth;
        if (perspective) z = std::min(z, kPerspectiveDepthLimit);
        uint32_t rgb = 0, highlight = 0;
        switch (colouring) {
            case Colouring::kFlat: rgb = ShadeRgb(v[0].colour, TruncateToInt(v[0].intensity)); break;
            case Colouring::kShaded: rgb = ShadeRgb(v[0].colour, TruncateToInt(p.intensity)); break;
            case Colouring::kRgb:
                rgb = (p.colour & kDirectColour) != 0 ? p.colour & 0xFFFFFF
                                                      : ShadeRgb(p.colour, TruncateToInt(p.intensity));
                break;
            case Colouring::kTexturedBase:
            case Colouring::kTexturedEach: {
                const int32_t s = TruncateToInt(colouring == Colouring::kTexturedBase ? v[0].intensity : p.intensity);
                uint32_t base = 0;
                modulate(s, &base, &highlight);
                if (colouring == Colouring::kTexturedBase && alpha == 0) highlight = 0;   // opaque flat: base only
                rgb = base << 16 | base << 8 | base;
                highlight = highlight << 16 | highlight << 8 | highlight;
                break;
            }
        }
        vertices[i] = Vertex(p.x, p.y, z, rgb, alpha, highlight);
        if (textured) {
            vertices[i].rhw = p.invZ;
            vertices[i].u = p.u;
            vertices[i].v = p.v;
        }
    }
    Draw(false, renderFlags, handle, vertices, count);
    return kStatusOk;
}

Status D3DCanvas::FillPolygonFlat(int32_t count, const ScreenVertex* v) {
    return Polygon(count, v, nullptr, Colouring::kFlat, 0x0A, 0, false);
}

Status D3DCanvas::FillPolygonShaded(int32_t count, const ScreenVertex* v) {
    return Polygon(count, v, nullptr, Colouring::kShaded, 0x0B, 0, false);
}

Status D3DCanvas::FillPolygonRgb(int32_t count, const ScreenVertex* v) {
    return Polygon(count, v, nullptr, Colouring::kRgb, 0x0B, 0, false);
}

Status D3DCanvas::FillPolygonRgbInt(int32_t count, const ViewVertex* v) {
    if (count > kMaxVertices || count < 0 || (count > 0 && v == nullptr)) return kStatusOk;
    ScreenVertex converted[kMaxVertices];
    for (int32_t i = 0; i < count; ++i) ToScreenVertex(&v[i], &converted[i]);
    return FillPolygonRgb(count, converted);
}

Status D3DCanvas::FillPolygonTextured(int32_t count, const ScreenVertex* v, PixelImage* image) {
    return Polygon(count, v, image, Colouring::kTexturedBase, 0x0A, 0, false);
}

Status D3DCanvas::FillPolygonTexturedPersp(int32_t count, const ScreenVertex* v, PixelImage* image) {
    return Polygon(count, v, image, Colouring::kTexturedBase, 0x0E, 0, true);
}

Status D3DCanvas::FillPolygonTexturedShaded(int32_t count, const ScreenVertex* v, PixelImage* image) {
    return Polygon(count, v, image, Colouring::kTexturedEach, 0x0B, 0, false);
}

Status D3DCanvas::FillPolygonTexturedShadedPersp(int32_t count, const ScreenVertex* v, PixelImage* image) {
    return Polygon(count, v, image, Colouring::kTexturedEach, 0x0F, 0, true);
}

Status D3DCanvas::FillPolygonFlatAlpha(int32_t count, const ScreenVertex* v, uint32_t alpha) {
    return Polygon(count, v, nullptr, Colouring::kFlat, 0x2A, alpha, false);
}

Status D3DCanvas::FillPolygonShadedAlpha(int32_t count, const ScreenVertex* v, uint32_t alpha) {
    return Polygon(count, v, nullptr, Colouring::kShaded, 0x2B, alpha, false);
}

Status D3DCanvas::FillPolygonTexturedAlpha(int32_t count, const ScreenVertex* v, PixelImage* image, uint32_t alpha) {
    return Polygon(count, v, image, Colouring::kTexturedBase, 0x2A, alpha, false);
}

Status D3DCanvas::FillPolygonTexturedPerspAlpha(int32_t count, const ScreenVertex* v, PixelImage* image,
                                                uint32_t alpha) {
    return Polygon(count, v, image, Colouring::kTexturedBase, 0x2E, alpha, true);
}

Status D3DCanvas::FillPolygonTexturedShadedAlpha(int32_t count, const ScreenVertex* v, PixelImage* image,
                                                 uint32_t alpha) {
    return Polygon(count, v, image, Colouring::kTexturedEach, 0x2B, alpha, false);
}

Status D3DCanvas::FillPolygonTexturedShadedPerspAlpha(int32_t count, const ScreenVertex* v, PixelImage* image,
                                                      uint32_t alpha) {
    return Polygon(count, v, image, Colouring::kTexturedEach, 0x2F, alpha, true);
}

// --- Images ----------------------------------------------------------------------------

Status D3DCanvas::BlitImage(const CanvasRect* rect, PixelImage* image, uint32_t mode) {
    if (!IsUsable() || rect == nullptr || image == nullptr) return kStatusPlatformFailed;
    if ((mode & kStretchMode) != 0) return kStatusNothingToDo;
    const uint32_t format = image->Format();
    if ((format == PixelImage::kFormat555 && !Is555()) || (format == PixelImage::kFormat565 && Is555())) return 6;
    const bool runEncoded = (image->flags & PixelImage::kFlagRunEncoded) != 0;
    if (runEncoded && format == PixelImage::kFormat8Bit) return 6;
    if (!runEncoded && (format == PixelImage::kFormat1Bit || image->pixels == nullptr)) return kStatusOk;
    const int32_t lock = LockSurface();
    if (lock < 0) return kStatusOk;
    if (runEncoded) {
        const Status drawn = reinterpret_cast<const KeyedSprite*>(image)->DrawWhole16(*this, rect->x, rect->y);
        if (lock == 0) UnlockSurface();
        return drawn;
    }
    const int32_t w = std::min<int32_t>(image->width, rect->width), h = std::min<int32_t>(image->height, rect->height);
    const int32_t x = rect->x, y = rect->y;
    if (!(x >= width || y >= height || x + w < 0 || y + h < 0 || w <= 0 || h <= 0)) {
        const int32_t skipX = std::max(0, -x), skipY = std::max(0, -y);
        // Columns to width - x and rows to height - y: nothing past the canvas.
        const int32_t columns = std::min(w, width - x), rows = std::min(h, height - y);
        const bool keyed = (mode & kKeyMode) != 0;
        const ShadeTable* const shades = palette != nullptr ? palette->Shades() : nullptr;
        for (int32_t row = skipY; row < rows; ++row) {
            auto* const to = reinterpret_cast<uint16_t*>(Row(y + row));
            for (int32_t column = skipX; column < columns; ++column) {
                const size_t at = size_t(row) * size_t(image->width) + size_t(column);
                if (format == PixelImage::kFormat8Bit) {
                    const uint8_t index = image->pixels[at];
                    if (keyed && index == 255) continue;
                    to[x + column] = shades != nullptr && shades->rows != nullptr
                                         ? shades->Row16(index)[shades->PivotEntry()]
                                         : RgbToPixel(WordRgb(index));
                } else {
                    const uint16_t pixel = reinterpret_cast<const uint16_t*>(image->pixels)[at];
                    const uint16_t key = format == PixelImage::kFormat555 ? 0x7C1F : 0xF81F;
                    if (keyed && pixel == key) continue;
                    to[x + column] = pixel;
                }
            }
        }
    }
    if (lock == 0) UnlockSurface();
    return kStatusOk;
}

Status D3DCanvas::DrawMonoImage(const CanvasRect* rect, PixelImage* image, uint32_t fg, uint32_t bg) {
    if (!IsUsable() || rect == nullptr || image == nullptr) return kStatusPlatformFailed;
    uint16_t pixels[2];
    bool transparent[2];
    const uint32_t words[2] = {bg, fg};
    for (int i = 0; i < 2; ++i) {
        const uint32_t c = words[i];
        transparent[i] = c == kMonoTransparentWord || c == kMonoTransparentIndex;
        if (transparent[i]) continue;
        if (((c & kWord555) != 0 && Is555()) || ((c & kWord565) != 0 && !Is555())) {
            pixels[i] = uint16_t(c);
        } else if ((c & 0x70000000) != 0) {
            return kStatusPlatformFailed;
        } else {
            pixels[i] = RgbToPixel(WordRgb(c & 0xFF));
        }
    }
    if (image->Format() != PixelImage::kFormat1Bit) return 6;
    const int32_t lock = LockSurface();
    if (lock < 0) return kStatusOk;
    const int32_t w = std::min<int32_t>(image->width, rect->width), h = std::min<int32_t>(image->height, rect->height);
    const int32_t x = rect->x, y = rect->y;
    const int32_t rowBytes = (image->width + 7) / 8;
    if (!(x >= width || y >= height || x + w < 0 || y + h < 0 || w <= 0 || h <= 0) && image->pixels != nullptr) {
        const int32_t columns = std::min(w, width - x), rows = std::min(h, height - y);
        for (int32_t row = std::max(0, -y); row < rows; ++row) {
            auto* const to = reinterpret_cast<uint16_t*>(Row(y + row));
            const uint8_t* const bits = image->pixels + size_t(row) * size_t(rowBytes);
            for (int32_t column = std::max(0, -x); column < columns; ++column) {
                const int set = (bits[column >> 3] >> (7 - (column & 7))) & 1;
                if (!transparent[set]) to[x + column] = pixels[set];
            }
        }
    }
    if (lock == 0) UnlockSurface();
    return kStatusOk;
}

Status D3DCanvas::DrawMonoImageRaw(const CanvasRect*, MonoMaskRecord*, uint32_t, uint32_t) {
    return kStatusNothingToDo;
}

Status D3DCanvas::CopyToImage(Bitmap* image) {
    if (!IsUsable()) return kStatusPlatformFailed;
    const int32_t lock = LockSurface();
    if (lock < 0) return kStatusPlatformFailed;
    const Status result = Canvas::CopyToImage(image);
    if (lock == 0) UnlockSurface();
    return result;
}
