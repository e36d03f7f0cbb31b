#include "game/RadarScope.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "display/Canvas.h"
#include "display/FontContext.h"
#include "display/Palette.h"
#include "display/ScreenVertex.h"
#include "game/DrawString.h"

namespace {

// Colours, as 0xBBGGRR: the rim and the ship's mark in the instruments'
// green, the rings and the beam line dimmer. The target's brackets take its
// blip's colour, as the target's line and marks on the HUD do.
constexpr uint32_t kInstrument = 0x40FF40, kRim = 0x30A030, kGrid = 0x205820;
constexpr int32_t kRimSegments = 40;
// A blip is 3 x 3 pixels; a stalk at most this long; the target's brackets
// stand this far out from the blip's centre with arms of kBracketArm.
constexpr float kStalkMost = 8.0f, kStalkLeast = 2.0f, kBracketOut = 4.0f, kBracketArm = 2.0f;
// The ship's mark at the centre: a chevron pointing ahead.
constexpr float kMarkHalf = 3.0f;
constexpr float kPi = 3.14159265f;

class Lines {
public:
    explicit Lines(Canvas& canvas) : canvas_(canvas) {}
    void Line(uint32_t colour, float x0, float y0, float x1, float y1) const {
        ScreenVertex a, b;
        a.x = x0, a.y = y0, b.x = x1, b.y = y1;
        const uint8_t rgb[3] = {uint8_t(colour), uint8_t(colour >> 8), uint8_t(colour >> 16)};
        canvas_.DrawLineClipped(&a, &b, rgb, nullptr);
    }
    // A block of pixels from (x0, y0) to (x1, y1), both corners included:
    // filled, it is the same block on every canvas, where a line or a
    // plotted pixel of the 3D kind spreads a pixel further than the
    // software kinds' do.
    void Block(uint32_t colour, float x0, float y0, float x1, float y1) const {
        const int32_t left = int32_t(std::lround(std::min(x0, x1))), top = int32_t(std::lround(std::min(y0, y1)));
        const int32_t right = int32_t(std::lround(std::max(x0, x1))), bottom = int32_t(std::lround(std::max(y0, y1)));
        const CanvasRect at{left, top, right - left + 1, bottom - top + 1};
        const uint8_t rgb[3] = {uint8_t(colour), uint8_t(colour >> 8), uint8_t(colour >> 16)};
        canvas_.FillRectRgbClipped(&at, rgb, nullptr);
    }
    void Circle(uint32_t colour, float cx, float cy, float radius) const {
        for (int32_t i = 0; i < kRimSegments; ++i) {
            const float a0 = 2.0f * kPi * float(i) / kRimSegments, a1 = 2.0f * kPi * float(i + 1) / kRimSegments;
            Line(colour, cx + radius * std::cos(a0), cy + radius * std::sin(a0), cx + radius * std::cos(a1),
                 cy + radius * std::sin(a1));
        }
    }

private:
    Canvas& canvas_;
};

// The target's brackets round its blip at (x, y).
void Brackets(const Lines& pen, uint32_t colour, float x, float y) {
    for (const float sx : {-1.0f, 1.0f}) {
        for (const float sy : {-1.0f, 1.0f}) {
            const float bx = x + sx * kBracketOut, by = y + sy * kBracketOut;
            pen.Block(colour, bx, by, bx - sx * kBracketArm, by);
            pen.Block(colour, bx, by, bx, by - sy * kBracketArm);
        }
    }
}

// The range line under the disc: its text, and where it stands in the
// current font, centred under the disc's centre.
struct Label {
    char text[32] = {};
    CanvasRect at{};

    Label(const RadarPicture& picture, const CanvasRect& place) {
        std::snprintf(text, sizeof text, "%s %ldm", picture.probe ? "PROBE" : "RANGE", long(picture.range));
        const int32_t width = int32_t(FontStringWidth(text));
        const int32_t centre = int32_t(std::floor(float(place.x) + float(place.width) * 0.5f));
        at = CanvasRect{centre - width / 2, place.y + place.height - RadarScope::kRangeLine + 1, width,
                        int32_t(FontHeight())};
    }
};

}  // namespace

bool RadarPicture::Add(const RadarContact& contact) {
    if (count >= kContacts) return false;
    contacts[count++] = contact;
    return true;
}

void RadarScope::Draw(Canvas& canvas, const RadarPicture& picture, const CanvasRect& place) {
    if (!picture.shown || canvas.palette == nullptr) return;
    const Lines pen(canvas);
    const float radius = float(std::min(place.width, place.height - kRangeLine)) * 0.5f - 1.0f;
    if (!(radius > 4.0f)) return;
    const float cx = std::floor(float(place.x) + float(place.width) * 0.5f);
    const float cy = std::floor(float(place.y) + radius + 1.0f);

    pen.Circle(kGrid, cx, cy, radius * 0.5f);
    // The beam line parts what lies ahead from what lies behind.
    pen.Line(kGrid, cx - radius, cy, cx + radius, cy);
    pen.Line(kGrid, cx, cy - radius, cx, cy + radius);
    pen.Circle(kRim, cx, cy, radius);
    for (float k = -kMarkHalf; k <= kMarkHalf; k += 1.0f) {
        pen.Block(kInstrument, cx + k, cy - 2.0f + std::fabs(k), cx + k, cy - 2.0f + std::fabs(k));
    }

    const float scale = picture.range > 0 ? radius / float(picture.range) : 0.0f;
    for (const bool wayPoints : {true, false}) {
        for (int32_t i = 0; i < std::min(picture.count, RadarPicture::kContacts); ++i) {
            const RadarContact& contact = picture.contacts[i];
            if (contact.wayPoint != wayPoints) continue;
            float dx = contact.right * scale, dy = -contact.ahead * scale;
            // On the rim at most, whatever the range did between reading and drawing.
            const float out = std::sqrt(dx * dx + dy * dy);
            if (!std::isfinite(out)) continue;
            if (out > radius - 1.0f && out > 0.0f) {
                dx *= (radius - 1.0f) / out;
                dy *= (radius - 1.0f) / out;
            }
            const float x = std::round(cx + dx), y = std::round(cy + dy);
            const float stalk = std::clamp(contact.up * scale, -kStalkMost, kStalkMost);
            if (std::fabs(stalk) >= kStalkLeast) pen.Block(contact.colour, x, y, x, std::round(y - stalk));
            pen.Block(contact.colour, x - 1.0f, y - 1.0f, x + 1.0f, y + 1.0f);
            if (contact.target) Brackets(pen, contact.colour, x, y);
        }
    }

    const Label label(picture, place);
    SetFontColors(canvas.palette->MatchColor(kInstrument), Canvas::kColorTransparent);
    DrawStringOn(canvas, label.text, label.at.x, label.at.y);
}

CanvasRect RadarScope::LabelPlace(const RadarPicture& picture, const CanvasRect& place) {
    return picture.shown ? Label(picture, place).at : CanvasRect{};
}
