#include "platform/SoftRenderer.h"

#include <algorithm>
#include <cmath>

#include "platform/DevicePalette.h"
#include "platform/Surface.h"

namespace platform {
namespace {

float Edge(float ax, float ay, float bx, float by, float px, float py) {
    return (bx - ax) * (py - ay) - (by - ay) * (px - ax);
}

// Whether the edge from a to b, of a triangle wound with positive area, is
// a top or a left edge, whose pixels belong to the triangle.
bool TopLeft(float ax, float ay, float bx, float by) { return (ay == by && bx < ax) || by < ay; }

SoftRenderer::Color FromArgb(uint32_t c) {
    return {float((c >> 16) & 0xFF) / 255.0f, float((c >> 8) & 0xFF) / 255.0f, float(c & 0xFF) / 255.0f,
            float(c >> 24) / 255.0f};
}

}  // namespace

SoftRenderer::SoftRenderer(Surface& target, Surface* depth, Surface* texture, const States& states)
    : target_(target), depth_(depth), texture_(texture), states_(states) {}

void SoftRenderer::Triangle(const TlVertex& a0, const TlVertex& b0, const TlVertex& c0) {
    const TlVertex* a = &a0;
    const TlVertex* b = &b0;
    const TlVertex* c = &c0;
    float area = Edge(a->x, a->y, b->x, b->y, c->x, c->y);
    if (!(std::fabs(area) > 0.0f) || !std::isfinite(area)) return;
    if (area < 0.0f) {
        std::swap(b, c);
        area = -area;
    }
    const float minX = std::min({a->x, b->x, c->x}), maxX = std::max({a->x, b->x, c->x});
    const float minY = std::min({a->y, b->y, c->y}), maxY = std::max({a->y, b->y, c->y});
    const int32_t x0 = std::max(0, int32_t(std::floor(minX))), x1 = std::min(target_.Width() - 1, int32_t(std::ceil(maxX)));
    const int32_t y0 = std::max(0, int32_t(std::floor(minY))), y1 = std::min(target_.Height() - 1, int32_t(std::ceil(maxY)));
    const bool tl[3] = {TopLeft(b->x, b->y, c->x, c->y), TopLeft(c->x, c->y, a->x, a->y),
                        TopLeft(a->x, a->y, b->x, b->y)};
    const TlVertex* vertices[3] = {a, b, c};
    for (int32_t y = y0; y <= y1; ++y) {
        for (int32_t x = x0; x <= x1; ++x) {
            const float px = float(x) + 0.5f, py = float(y) + 0.5f;
            const float e[3] = {Edge(b->x, b->y, c->x, c->y, px, py), Edge(c->x, c->y, a->x, a->y, px, py),
                                Edge(a->x, a->y, b->x, b->y, px, py)};
            bool inside = true;
            for (int k = 0; k < 3 && inside; ++k) inside = e[k] > 0.0f || (e[k] == 0.0f && tl[k]);
            if (!inside) continue;
            const float w[3] = {e[0] / area, e[1] / area, e[2] / area};
            Shade(x, y, vertices, w);
        }
    }
}

void SoftRenderer::Line(const TlVertex& a, const TlVertex& b) {
    const float dx = b.x - a.x, dy = b.y - a.y;
    const float length = std::max(std::fabs(dx), std::fabs(dy));
    if (!std::isfinite(length)) return;
    const int32_t steps = std::min(int32_t(length), 1 << 16);
    const TlVertex* vertices[3] = {&a, &b, &b};
    for (int32_t i = 0; i <= steps; ++i) {
        const float t = steps > 0 ? float(i) / float(steps) : 0.0f;
        const int32_t x = int32_t(std::floor(a.x + dx * t)), y = int32_t(std::floor(a.y + dy * t));
        if (x < 0 || y < 0 || x >= target_.Width() || y >= target_.Height()) continue;
        const float w[3] = {1.0f - t, t, 0.0f};
        Shade(x, y, vertices, w);
    }
}

void SoftRenderer::Shade(int32_t x, int32_t y, const TlVertex* v[3], const float w[3]) {
    const float z = w[0] * v[0]->z + w[1] * v[1]->z + w[2] * v[2]->z;
    uint16_t* zPixel = nullptr;
    const uint16_t depth = uint16_t(std::clamp(z, 0.0f, 1.0f) * 65535.0f);
    if (depth_ != nullptr && State(RenderState::kZEnable) != 0) {
        zPixel = reinterpret_cast<uint16_t*>(depth_->memory_.get() + size_t(y) * size_t(depth_->pitch_)) + x;
        if (depth > *zPixel) return;   // less or equal passes
        if (State(RenderState::kZWriteEnable) == 0) zPixel = nullptr;
    }
    const bool gouraud = State(RenderState::kShadeMode) != kShadeFlat;
    Color colour = FromArgb(v[0]->color);
    if (gouraud) {
        const Color c0 = FromArgb(v[0]->color), c1 = FromArgb(v[1]->color), c2 = FromArgb(v[2]->color);
        colour = {w[0] * c0.r + w[1] * c1.r + w[2] * c2.r, w[0] * c0.g + w[1] * c1.g + w[2] * c2.g,
                  w[0] * c0.b + w[1] * c1.b + w[2] * c2.b, w[0] * c0.a + w[1] * c1.a + w[2] * c2.a};
    }
    if (texture_ != nullptr) {
        // Perspective-correct: u/w, v/w and 1/w are linear on the screen.
        const float q = w[0] * v[0]->rhw + w[1] * v[1]->rhw + w[2] * v[2]->rhw;
        const bool perspective = State(RenderState::kTexturePerspective) != 0 && q != 0.0f;
        float u, t;
        if (perspective) {
            u = (w[0] * v[0]->u * v[0]->rhw + w[1] * v[1]->u * v[1]->rhw + w[2] * v[2]->u * v[2]->rhw) / q;
            t = (w[0] * v[0]->v * v[0]->rhw + w[1] * v[1]->v * v[1]->rhw + w[2] * v[2]->v * v[2]->rhw) / q;
        } else {
            u = w[0] * v[0]->u + w[1] * v[1]->u + w[2] * v[2]->u;
            t = w[0] * v[0]->v + w[1] * v[1]->v + w[2] * v[2]->v;
        }
        Color texel;
        if (!Texel(u, t, &texel)) return;   // the colour key
        if (State(RenderState::kTextureMapBlend) == kMapBlendModulate) {
            colour = {texel.r * colour.r, texel.g * colour.g, texel.b * colour.b, colour.a};
        } else {
            colour = {texel.r, texel.g, texel.b, colour.a};
        }
    }
    uint16_t* const pixel = reinterpret_cast<uint16_t*>(target_.memory_.get() + size_t(y) * size_t(target_.pitch_)) + x;
    if (State(RenderState::kFogEnable) != 0) {
        const float f = (w[0] * float(v[0]->specular >> 24) + w[1] * float(v[1]->specular >> 24) +
                         w[2] * float(v[2]->specular >> 24)) / 255.0f;
        const Color fog = FromArgb(State(RenderState::kFogColor));
        colour = {colour.r * f + fog.r * (1 - f), colour.g * f + fog.g * (1 - f), colour.b * f + fog.b * (1 - f),
                  colour.a};
    }
    if (State(RenderState::kAlphaBlendEnable) != 0) {
        const Color under = Unpack(*pixel, target_);
        const float a = std::clamp(colour.a, 0.0f, 1.0f);
        colour = {colour.r * a + under.r * (1 - a), colour.g * a + under.g * (1 - a), colour.b * a + under.b * (1 - a),
                  1.0f};
    }
    *pixel = Pack(colour);
    if (zPixel != nullptr) *zPixel = depth;
}

bool SoftRenderer::Texel(float u, float v, Color* out) const {
    const int32_t w = texture_->Width(), h = texture_->Height();
    const float fu = u - std::floor(u), fv = v - std::floor(v);   // wrapped
    const int32_t tx = std::clamp(int32_t(fu * float(w)), 0, w - 1);
    const int32_t ty = std::clamp(int32_t(fv * float(h)), 0, h - 1);
    const uint8_t* const row = texture_->memory_.get() + size_t(ty) * size_t(texture_->pitch_);
    const uint32_t raw = texture_->Format().bitsPerPixel == 8 ? row[tx] : reinterpret_cast<const uint16_t*>(row)[tx];
    if (State(RenderState::kColorKeyEnable) != 0 && texture_->HasColorKey() && raw >= texture_->ColorKeyLow() &&
        raw <= texture_->ColorKeyHigh()) {
        return false;
    }
    *out = Unpack(raw, *texture_);
    return true;
}

SoftRenderer::Color SoftRenderer::Unpack(uint32_t pixel, const Surface& from) const {
    const PixelLayout& f = from.Format();
    if (f.bitsPerPixel == 8) {
        const DevicePalette* const palette = from.Palette();
        if (palette == nullptr) return {0, 0, 0, 1};
        const DisplayPalette::Entry& e = palette->Entries().entries[pixel & 0xFF];
        return {float(e.red) / 255.0f, float(e.green) / 255.0f, float(e.blue) / 255.0f, 1.0f};
    }
    const auto channel = [pixel](uint32_t mask) {
        if (mask == 0) return 0.0f;
        const int shift = __builtin_ctz(mask);
        return float((pixel & mask) >> shift) / float(mask >> shift);
    };
    return {channel(f.redMask), channel(f.greenMask), channel(f.blueMask), 1.0f};
}

uint16_t SoftRenderer::Pack(const Color& c) const {
    const PixelLayout& f = target_.Format();
    const auto channel = [](float value, uint32_t mask) {
        if (mask == 0) return 0u;
        const int shift = __builtin_ctz(mask);
        const uint32_t top = mask >> shift;
        return (uint32_t(std::lround(std::clamp(value, 0.0f, 1.0f) * float(top))) << shift) & mask;
    };
    return uint16_t(channel(c.r, f.redMask) | channel(c.g, f.greenMask) | channel(c.b, f.blueMask));
}

}  // namespace platform
