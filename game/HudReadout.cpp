#include "game/HudReadout.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "display/Canvas.h"
#include "display/FontContext.h"
#include "display/Palette.h"
#include "display/ScreenVertex.h"
#include "engine/MathRoutineTable.h"
#include "game/DrawString.h"
#include "scene/Camera.h"

namespace {

// Colours, as 0xBBGGRR.
constexpr uint32_t kInstrument = 0x40FF40, kText = 0xE0E0E0, kTargetColour = 0x3030FF, kNavColour = 0xFFC040;
// The two columns of readings stand this far above the bottom edge, the
// left one at the left edge and the right one this far from the right.
constexpr int32_t kColumnsUp = 180, kRightColumnWidth = 200, kLineStep = 12, kLeftX = 8;
// Edge arrows keep this far inside the screen's edges.
constexpr float kArrowMargin = 24.0f;

void CopyName(char* to, const char* from) {
    const size_t length = from != nullptr ? strnlen(from, HudReadout::kNameChars) : 0;
    if (length > 0) std::memcpy(to, from, length);
    to[length] = 0;
}

int32_t Clamp100(int32_t percent) { return std::clamp(percent, 0, 100); }

class Pen {
public:
    explicit Pen(Canvas& canvas) : canvas_(canvas) {}

    void Text(uint32_t colour, int32_t x, int32_t y, const char* line) const {
        if (line == nullptr || line[0] == 0) return;
        SetFontColors(Match(colour), Canvas::kColorTransparent);
        DrawStringOn(canvas_, line, x, y);
    }
    void Line(uint32_t colour, float x0, float y0, float x1, float y1) const {
        ScreenVertex a, b;
        a.x = x0, a.y = y0, b.x = x1, b.y = y1;
        // Given as red, green and blue, a line takes its colour as it is on
        // every canvas, unshaded by the light level of its vertices.
        const uint8_t rgb[3] = {uint8_t(colour), uint8_t(colour >> 8), uint8_t(colour >> 16)};
        canvas_.DrawLineClipped(&a, &b, rgb, nullptr);
    }
    // Four corner brackets round (x, y), `half` pixels out.
    void Brackets(uint32_t colour, float x, float y, float half) const {
        const float arm = half * 0.5f;
        for (const float sx : {-1.0f, 1.0f}) {
            for (const float sy : {-1.0f, 1.0f}) {
                const float cx = x + sx * half, cy = y + sy * half;
                Line(colour, cx, cy, cx - sx * arm, cy);
                Line(colour, cx, cy, cx, cy - sy * arm);
            }
        }
    }
    // The arrow at the screen's edge where the line from the centre towards
    // the mark leaves it, kept inside by the margin.
    void EdgeArrow(uint32_t colour, const HudMark& mark) const {
        const float cx = float(canvas_.width) * 0.5f, cy = float(canvas_.height) * 0.5f;
        const float reachX = std::max(cx - kArrowMargin, 1.0f), reachY = std::max(cy - kArrowMargin, 1.0f);
        const float tx = mark.dirX != 0.0f ? reachX / std::fabs(mark.dirX) : 1e9f;
        const float ty = mark.dirY != 0.0f ? reachY / std::fabs(mark.dirY) : 1e9f;
        const float t = std::min(tx, ty);
        const float px = cx + mark.dirX * t, py = cy + mark.dirY * t;
        const float nx = -mark.dirY, ny = mark.dirX;
        // A solid head 20 pixels long and 20 wide at its base, its tip
        // towards the mark, drawn as rows across the direction.
        for (float along = -10.0f; along <= 10.0f; along += 0.5f) {
            const float half = 10.0f * (10.0f - along) / 20.0f;
            const float bx = px + mark.dirX * along, by = py + mark.dirY * along;
            Line(colour, bx - nx * half, by - ny * half, bx + nx * half, by + ny * half);
        }
    }
    void Crosshair(uint32_t colour, float x, float y) const {
        Line(colour, x - 12.0f, y, x - 4.0f, y);
        Line(colour, x + 4.0f, y, x + 12.0f, y);
        Line(colour, x, y - 12.0f, x, y - 4.0f);
        Line(colour, x, y + 4.0f, x, y + 12.0f);
    }

private:
    uint32_t Match(uint32_t colour) const { return canvas_.palette->MatchColor(colour); }
    Canvas& canvas_;
};

}  // namespace

HudMark HudMark::Of(const Camera& camera, const Vector3& world) {
    HudMark mark;
    if (camera.canvas == nullptr) return mark;
    Vector3 eye;
    g_mathRoutineTable.transformPoint(&world, &camera.transform.inverse, &eye);
    if (!std::isfinite(eye.x) || !std::isfinite(eye.y) || !std::isfinite(eye.z)) return mark;
    const float cx = float(camera.canvas->width) * 0.5f, cy = float(camera.canvas->height) * 0.5f;
    const bool orthographic = (camera.flags & Camera::kFlagOrthographic) != 0;
    float dx = eye.x, dy = -eye.y;
    if (eye.z >= camera.nearZ || orthographic) {
        const float x = orthographic ? camera.scaleX * eye.x : camera.scaleX * eye.x / eye.z;
        const float y = orthographic ? camera.scaleY * eye.y : camera.scaleY * eye.y / eye.z;
        if (std::fabs(x) < cx && std::fabs(y) < cy) {
            mark.kind = kOnScreen;
            mark.x = cx + x;
            mark.y = cy - y;
            return mark;
        }
        dx = x;
        dy = -y;
    }
    // Straight behind there is no side to point to: the arrow points down,
    // as pulling the nose up turns the ship towards it.
    const float length = std::sqrt(dx * dx + dy * dy);
    mark.kind = kOffScreen;
    if (!(length > 1e-6f) || !std::isfinite(length)) {
        mark.dirY = 1.0f;
        return mark;
    }
    mark.dirX = dx / length;
    mark.dirY = dy / length;
    return mark;
}

void HudReadout::SetTargetName(const char* name) { CopyName(targetName, name); }

void HudReadout::SetNavName(const char* name) { CopyName(navName, name); }

void HudReadout::SetWeaponName(const char* name) { CopyName(weaponName, name); }

void HudReadout::TargetLine(char (&line)[kLineChars]) const {
    line[0] = 0;
    if (hasTarget) std::snprintf(line, sizeof line, "TARGET %s %05ldm", targetName, long(targetDistance));
}

void HudReadout::Draw(Canvas& canvas) const {
    if (!flying || canvas.palette == nullptr) return;
    const Pen pen(canvas);
    char line[kLineChars];
    const int32_t top = std::max(canvas.height - kColumnsUp, 60);
    int32_t y = top;
    std::snprintf(line, sizeof line, "Speed %05ldm/s", long(speed));
    pen.Text(kInstrument, kLeftX, y, line);
    std::snprintf(line, sizeof line, "THROTTLE %3d%%", Clamp100(throttle));
    pen.Text(kText, kLeftX, y += kLineStep, line);
    std::snprintf(line, sizeof line, "POWER SHD %3d%% ENG %3d%% WPN %3d%%", Clamp100(shieldPower), Clamp100(enginePower),
                  Clamp100(weaponPower));
    pen.Text(kText, kLeftX, y += kLineStep, line);
    std::snprintf(line, sizeof line, "LEVEL SHD %3d%% WPN %3d%% FUEL %3d%%", Clamp100(shieldLevel),
                  Clamp100(weaponLevel), Clamp100(fuelLevel));
    pen.Text(kText, kLeftX, y += kLineStep, line);

    const int32_t right = std::max(canvas.width - kRightColumnWidth, 0);
    y = top;
    if (hasTarget) {
        TargetLine(line);
        pen.Text(kTargetColour, right, y, line);
        if (targetShield >= 0) {
            std::snprintf(line, sizeof line, "HULL %3d%% SHIELD %3d%%", Clamp100(targetHull), Clamp100(targetShield));
        } else {
            std::snprintf(line, sizeof line, "HULL %3d%%", Clamp100(targetHull));
        }
        pen.Text(kText, right, y += kLineStep, line);
    } else {
        pen.Text(kText, right, y, "NO TARGET");
        y += kLineStep;
    }
    if (hasNav) {
        std::snprintf(line, sizeof line, "NAV %s %05ldm", navName, long(navDistance));
        pen.Text(kNavColour, right, y += kLineStep, line);
    } else {
        y += kLineStep;
    }
    if (weaponGroup > 0) {
        std::snprintf(line, sizeof line, "GROUP %d %s", weaponGroup, weaponName);
        pen.Text(kInstrument, right, y += kLineStep, line);
        if (ammunition >= 0) {
            std::snprintf(line, sizeof line, "AMMO %d", ammunition);
        } else {
            std::snprintf(line, sizeof line, "AMMO --");
        }
        pen.Text(kText, right, y += kLineStep, line);
    } else {
        pen.Text(kText, right, y += kLineStep, "NO WEAPON");
    }

    if (aim.kind == HudMark::kOnScreen) pen.Crosshair(kInstrument, aim.x, aim.y);
    // The arrow steers to the target, or without one to the nav point.
    const HudMark& steer = hasTarget ? targetMark : navMark;
    const uint32_t steerColour = hasTarget ? kTargetColour : kNavColour;
    if (hasTarget && targetMark.kind == HudMark::kOnScreen) pen.Brackets(kTargetColour, targetMark.x, targetMark.y, 10.0f);
    if (hasNav && navMark.kind == HudMark::kOnScreen) {
        const float x = navMark.x, yy = navMark.y;
        pen.Line(kNavColour, x - 6.0f, yy, x, yy - 6.0f);
        pen.Line(kNavColour, x, yy - 6.0f, x + 6.0f, yy);
        pen.Line(kNavColour, x + 6.0f, yy, x, yy + 6.0f);
        pen.Line(kNavColour, x, yy + 6.0f, x - 6.0f, yy);
    }
    if ((hasTarget || hasNav) && steer.kind == HudMark::kOffScreen) pen.EdgeArrow(steerColour, steer);
}
