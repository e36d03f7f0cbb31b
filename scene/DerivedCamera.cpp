#include "scene/DerivedCamera.h"

#include <algorithm>
#include <cmath>

#include "display/Bitmap.h"
#include "display/Canvas.h"
#include "display/FogTables.h"
#include "display/Palette.h"
#include "display/PixelFormat.h"
#include "display/PixelImage.h"
#include "engine/EngineAllocation.h"
#include "scene/SortedPrimitive.h"

namespace {

constexpr uint32_t kClearColourToo = 0x10;   // the canvas flag: clear only the depth
constexpr uint32_t kDepthAll = 0xFFFFFFFF;
constexpr uint32_t kSkyDepth = 0xFFFEFFFF;
constexpr float kRadiansToDegrees = 57.29578f;
constexpr float kDegreesToRadians = 0.017453292f;
constexpr int32_t kLevelLimit = 250;

float Asin(float v) { return std::asin(std::clamp(v, -1.0f, 1.0f)) * kRadiansToDegrees; }

void FreeRamp(ShadeTable* ramp) {
    if (ramp == nullptr) return;
    EngineRelease(ramp->buffer);
    delete ramp;
}

}  // namespace

DerivedCamera::DerivedCamera(Canvas* target) : Camera(target) {}

DerivedCamera::DerivedCamera(const char* fileName, const char* cameraName) : Camera(fileName, cameraName) {}

DerivedCamera::DerivedCamera(const Camera& other) : Camera(other) {
    flags &= ~(kFlagOwnsBackdrop | kFlagOwnsRamp | kFlagSkyGradient);
}

DerivedCamera::DerivedCamera(const DerivedCamera& other)
    : Camera(other), backdrop(other.backdrop), colourRamp(other.colourRamp) {
    flags &= ~(kFlagOwnsBackdrop | kFlagOwnsRamp);
}

DerivedCamera& DerivedCamera::operator=(const DerivedCamera& other) {
    if (this == &other) return *this;
    ReleaseBackdrop();
    Camera::operator=(other);
    flags &= ~(kFlagOwnsBackdrop | kFlagOwnsRamp);
    return *this;
}

DerivedCamera::~DerivedCamera() { DerivedCamera::ReleaseBackdrop(); }

void DerivedCamera::ReleaseBackdrop() {
    if ((flags & kFlagOwnsBackdrop) != 0 && backdrop != nullptr) {
        backdrop->FreePixels();
        delete backdrop;
    }
    if ((flags & kFlagOwnsRamp) != 0) FreeRamp(colourRamp);
    backdrop = nullptr;
    colourRamp = nullptr;
    flags &= ~(kFlagOwnsBackdrop | kFlagOwnsRamp);
}

Status DerivedCamera::SetBackdrop(PixelImage* image, bool owned) {
    if ((flags & kFlagOwnsBackdrop) != 0 && backdrop != nullptr) {
        backdrop->FreePixels();
        delete backdrop;
    }
    backdrop = nullptr;
    backdropX = backdropY = 0;
    flags &= ~kFlagOwnsBackdrop;
    if (image == nullptr) return 1;
    backdrop = image;
    if (owned) flags |= kFlagOwnsBackdrop;
    return kStatusOk;
}

Status DerivedCamera::SetBackdropBitmap(Bitmap* bitmap) {
    if (bitmap == nullptr) return 1;
    auto* const image = new PixelImage;
    if (image == nullptr) return 1;
    // The picture takes the game's pixel format, which says its depth.
    const int32_t depth = g_pixelFormat == kPixelFormatIndexed8 ? 8 : g_pixelFormat == kPixelFormatRgb555 ? 15 : 16;
    Palette* const colours = canvas != nullptr ? canvas->palette : nullptr;
    if (image->Create(int16_t(bitmap->width), int16_t(bitmap->height), depth, false) != kStatusOk ||
        image->Convert(bitmap, colours) != kStatusOk) {
        image->FreePixels();
        delete image;
        return 1;
    }
    return SetBackdrop(image, true);
}

Status DerivedCamera::SetColorRamp(ShadeTable* ramp, bool owned) {
    if ((flags & kFlagOwnsRamp) != 0) FreeRamp(colourRamp);
    colourRamp = nullptr;
    flags &= ~(kFlagOwnsRamp | kFlagSkyGradient);
    if (ramp == nullptr) return 1;
    colourRamp = ramp;
    flags |= kFlagSkyGradient | (owned ? kFlagOwnsRamp : 0u);
    return kStatusOk;
}

Status DerivedCamera::BuildColorRamp(uint16_t columns, uint16_t split, float factor, uint32_t first,
                                     uint32_t second) {
    if (canvas == nullptr || canvas->palette == nullptr) return kStatusNoCanvas;
    SetColorRamp(nullptr, false);
    int32_t shift = 0;
    for (int32_t n = columns; n > 1; n >>= 1) ++shift;
    const int32_t rowLength = 1 << shift;
    auto* const ramp = new ShadeTable;
    auto* const table = static_cast<uint8_t*>(EngineAllocate(size_t(256) * size_t(rowLength)));
    if (ramp == nullptr || table == nullptr) {
        delete ramp;
        EngineRelease(table);
        return 2;
    }
    ramp->rows = table;
    ramp->buffer = table;
    ramp->shift = uint32_t(shift);
    ramp->levels = uint32_t(columns);
    ramp->pivot = 0;
    // The row holds at most its columns, and the split at most all of them.
    const int32_t filled = std::min<int32_t>(columns, rowLength);
    const int32_t first_ = std::min<int32_t>(split, filled);
    const float a[3] = {float(first & 0xFF), float((first >> 8) & 0xFF), float((first >> 16) & 0xFF)};
    const float b[3] = {float(second & 0xFF), float((second >> 8) & 0xFF), float((second >> 16) & 0xFF)};
    float m[3];
    for (int i = 0; i < 3; ++i) m[i] = std::trunc(a[i] + (b[i] - a[i]) * factor);
    float stepA[3] = {}, stepB[3] = {};
    for (int i = 0; i < 3; ++i) {
        // An empty segment needs no step.
        if (first_ > 0) stepA[i] = (m[i] - a[i]) / float(first_);
        if (filled > first_) stepB[i] = (b[i] - m[i]) / float(filled - first_);
    }
    std::fill(table, table + size_t(256) * size_t(rowLength), uint8_t(0));
    for (int32_t row = 0; row < 256; ++row) {
        float c[3] = {a[0], a[1], a[2]};
        uint8_t* const out = table + size_t(row) * size_t(rowLength);
        for (int32_t column = 0; column < filled; ++column) {
            const auto channel = [&](int i) { return uint32_t(std::clamp(std::trunc(c[i]), 0.0f, 255.0f)); };
            out[column] = canvas->palette->MatchColor(channel(0) | channel(1) << 8 | channel(2) << 16);
            const float* step = column < first_ ? stepA : stepB;
            for (int i = 0; i < 3; ++i) c[i] += step[i];
        }
    }
    colourRamp = ramp;
    flags |= kFlagSkyGradient | kFlagOwnsRamp;
    return kStatusOk;
}

Status DerivedCamera::SetFogColor(float start, float end, uint32_t colour) {
    if (canvas == nullptr) return 1;
    FogParams fog;
    fog.red = uint8_t(colour);
    fog.green = uint8_t(colour >> 8);
    fog.blue = uint8_t(colour >> 16);
    fog.spare = uint8_t(colour >> 24);
    fog.start = start;
    fog.end = end;
    if (canvas->SetFog(&fog) != kStatusOk) return 1;
    canvas->EnableFog();
    return kStatusOk;
}

Status DerivedCamera::SetFogFromPalette(float start, float end) {
    if (canvas == nullptr || canvas->palette == nullptr) return 1;
    return SetFogColor(start, end, canvas->palette->GetColor(background));
}

void DerivedCamera::SkyLevels(int32_t levels[4]) const {
    const Vector3& forward = transform.forward;
    float bank = Asin(up.x);
    if (up.y < 0.0f) bank = up.x < 0.0f ? -180.0f - bank : 180.0f - bank;
    const float c = std::cos(bank * kDegreesToRadians);
    float pitch = Asin(forward.y);
    if (up.y < 0.0f) pitch = 180.0f - pitch;
    if (pitch > 180.0f) pitch -= 360.0f;
    const float s = std::sin(pitch * kDegreesToRadians);
    int32_t lo = 0, hi = 255;
    if (pitch < 0.0f) {
        lo = int32_t(-s * 255.0f);
    } else {
        hi = int32_t((1.0f - s) * 255.0f);
    }
    lo = std::min(lo, kLevelLimit);
    hi = std::min(hi, kLevelLimit);
    const float d = float(hi - lo);
    const auto at = [&](float f) { return lo + int32_t(d * f); };
    if (up.x >= 0.0f && c > 0.0f) {
        levels[0] = lo, levels[1] = at(1 - c), levels[2] = hi, levels[3] = at(c);
    } else if (up.x >= 0.0f) {
        levels[0] = at(-c), levels[1] = hi, levels[2] = at(c + 1), levels[3] = lo;
    } else if (c >= 0.0f) {
        levels[0] = at(1 - c), levels[1] = lo, levels[2] = at(c), levels[3] = hi;
    } else {
        levels[0] = hi, levels[1] = at(-c), levels[2] = lo, levels[3] = at(c + 1);
    }
}

uint32_t DerivedCamera::BeginFrame() {
    flags &= ~kFlagWasLocked;
    if (canvas == nullptr) return 1;
    const int32_t previous = canvas->Lock();
    if (previous == -1) return 1;
    if (previous != 0) flags |= kFlagWasLocked;
    if ((flags & kFlagNoClear) != 0) return 0;
    if ((flags & kFlagNoBackdrop) == 0 && backdrop != nullptr) {
        const bool covers = backdropX >= 0 && backdropY >= 0 && backdrop->width - backdropX >= canvas->width &&
                            backdrop->height - backdropY >= canvas->height;
        if (covers) {
            canvas->flags |= kClearColourToo;
        } else {
            canvas->flags &= ~kClearColourToo;
        }
        canvas->Clear(background, kDepthAll);
        const CanvasRect at{-backdropX, -backdropY, backdrop->width, backdrop->height};
        canvas->BlitImage(&at, backdrop, 0);
        return 0;
    }
    // The ramp's rows are palette indices: the gradient is drawn on 8-bit
    // canvases; a 16-bit one gets the plain clear.
    const bool indexed = canvas->palette != nullptr && canvas->palette->IsIndexed8();
    if ((flags & kFlagSkyGradient) == 0 || colourRamp == nullptr || !indexed) {
        canvas->flags &= ~kClearColourToo;
        canvas->Clear(background, kDepthAll);
        return 0;
    }
    canvas->flags |= kClearColourToo;
    canvas->Clear(0, kDepthAll);
    int32_t levels[4];
    SkyLevels(levels);
    const int32_t xs[4] = {0, canvas->width - 1, canvas->width - 1, 0};
    const int32_t ys[4] = {0, 0, canvas->height - 1, canvas->height - 1};
    ViewVertex corners[4];
    for (int i = 0; i < 4; ++i) {
        corners[i] = ViewVertex{};
        corners[i].screenX = xs[i];
        corners[i].screenY = ys[i];
        corners[i].depth = kSkyDepth;
        corners[i].colour = background;
        corners[i].intensity = levels[i];
    }
    ShadeTable* const own = canvas->palette->SwapShades(colourRamp);
    const bool noDepth = (canvas->flags & Canvas::kFlagHasDepth) == 0;
    if (noDepth) canvas->DisableDepthTest();
    canvas->FillPolygonShadedInt(4, corners);
    if (noDepth) canvas->EnableDepthTest();
    canvas->palette->SwapShades(own);
    return 0;
}

void DerivedCamera::EndFrame() {
    // Nothing to flush into, fog or unlock without a canvas.
    if (canvas == nullptr) {
        DiscardSortedPrimitives();
        flags &= ~kFlagWasLocked;
        return;
    }
    if ((flags & kFlagNoFlush) == 0) FlushFrame();
    canvas->ApplyFog();
    if ((flags & kFlagWasLocked) == 0) canvas->Unlock();
    flags &= ~kFlagWasLocked;
}
