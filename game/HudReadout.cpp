#include "game/HudReadout.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "display/Canvas.h"
#include "display/Palette.h"
#include "display/ScreenVertex.h"
#include "engine/MathRoutineTable.h"
#include "game/HudKeepClear.h"
#include "game/HudLayout.h"
#include "scene/Camera.h"

namespace {

// Colours, as 0xBBGGRR.
constexpr uint32_t kInstrument = 0x40FF40, kText = 0xE0E0E0, kTargetColour = 0x3030FF, kNavColour = 0xFFC040,
                   kRefusalColour = 0x2060FF;
// The two columns of readings stand this far above the bottom edge, the
// left one at the left edge and the right one this far from the right; the
// right one, the longer, starts two rows higher.
constexpr int32_t kColumnsUp = 180, kRightColumnUp = 204, kRightColumnWidth = 200, kLineStep = 12, kLeftX = 8;
// The target's block of rows in the right column: its name and distance,
// hull and shield, class, callsign and part; the nav point's row follows.
constexpr int32_t kTargetRows = 5;
// The edge arrow: its tip this far inside the screen's edges, its head
// longer than it is wide with a notch cut into its base, so that no base
// corner reads as a tip; drawn no nearer the centre than kArrowNearest.
constexpr float kArrowMargin = 6.0f, kArrowLength = 24.0f, kArrowHalfWidth = 8.0f, kArrowNotch = 9.0f;
constexpr float kArrowNearest = 48.0f, kArrowStep = 2.0f, kArrowRoom = 3.0f;
constexpr float kCrosshairReach = 12.0f, kCrosshairGap = 4.0f;

int32_t Clamp100(int32_t percent) { return std::clamp(percent, 0, 100); }

class Pen {
public:
    explicit Pen(Canvas& canvas) : canvas_(canvas) {}

    void Line(uint32_t colour, float x0, float y0, float x1, float y1) const {
        ScreenVertex a, b;
        a.x = x0, a.y = y0, b.x = x1, b.y = y1;
        // Given as red, green and blue, a line takes its colour as it is on
        // every canvas, unshaded by the light level of its vertices.
        const uint8_t rgb[3] = {uint8_t(colour), uint8_t(colour >> 8), uint8_t(colour >> 16)};
        canvas_.DrawLineClipped(&a, &b, rgb, nullptr);
    }
    // Four corner brackets round (x, y), `half` pixels out, each left out
    // where it would cover a kept place (in the chase view a target ahead
    // sits up among the top rows).
    void Brackets(uint32_t colour, float x, float y, float half, const HudKeepClear& keepClear) const {
        const float arm = half * 0.5f;
        for (const float sx : {-1.0f, 1.0f}) {
            for (const float sy : {-1.0f, 1.0f}) {
                const float cx = x + sx * half, cy = y + sy * half;
                const float ex = cx - sx * arm, ey = cy - sy * arm;
                if (keepClear.Meets(std::min(cx, ex) - 1.0f, std::min(cy, ey) - 1.0f, std::max(cx, ex) + 1.0f,
                                    std::max(cy, ey) + 1.0f)) {
                    continue;
                }
                Line(colour, cx, cy, ex, cy);
                Line(colour, cx, cy, cx, ey);
            }
        }
    }
    // The arrow on the line from the centre towards the mark, its tip as
    // near the screen's edge as the margin lets it and the kept places
    // allow: where it would cover one it slides in along the line.
    void EdgeArrow(uint32_t colour, const HudMark& mark, const HudKeepClear& keepClear) const {
        const float cx = float(canvas_.width) * 0.5f, cy = float(canvas_.height) * 0.5f;
        const float dx = mark.dirX, dy = mark.dirY;
        const float reachX = std::max(cx - kArrowMargin, 1.0f), reachY = std::max(cy - kArrowMargin, 1.0f);
        const float tx = dx != 0.0f ? reachX / std::fabs(dx) : 1e9f;
        const float ty = dy != 0.0f ? reachY / std::fabs(dy) : 1e9f;
        const float nx = -dy, ny = dx;
        float t = std::min(tx, ty);
        const auto corners = [&](float at, float (&x)[3], float (&y)[3]) {
            const float tipX = cx + dx * at, tipY = cy + dy * at;
            const float baseX = tipX - dx * kArrowLength, baseY = tipY - dy * kArrowLength;
            x[0] = tipX, y[0] = tipY;
            x[1] = baseX + nx * kArrowHalfWidth, y[1] = baseY + ny * kArrowHalfWidth;
            x[2] = baseX - nx * kArrowHalfWidth, y[2] = baseY - ny * kArrowHalfWidth;
        };
        float x[3], y[3];
        for (;; t -= kArrowStep) {
            corners(t, x, y);
            const float left = std::min({x[0], x[1], x[2]}), right = std::max({x[0], x[1], x[2]});
            const float top = std::min({y[0], y[1], y[2]}), bottom = std::max({y[0], y[1], y[2]});
            if (!keepClear.Meets(left - kArrowRoom, top - kArrowRoom, right + kArrowRoom, bottom + kArrowRoom) ||
                t - kArrowStep < kArrowNearest) {
                break;
            }
        }
        // Filled by lines from the tip to the base's two halves, each bent
        // in to the notch.
        const float notchAlong = kArrowLength - kArrowNotch;
        const float notchX = x[0] - dx * notchAlong, notchY = y[0] - dy * notchAlong;
        for (int32_t side = 1; side <= 2; ++side) {
            for (float f = 0.0f; f <= 1.0f; f += 1.0f / 32.0f) {
                const float ex = x[side] + (notchX - x[side]) * f, ey = y[side] + (notchY - y[side]) * f;
                Line(colour, x[0], y[0], ex, ey);
            }
        }
    }
    // The four arms round (x, y), whatever lies under them: a crosshair
    // moved off its point, or missing an arm, would lie about the aim.
    void Crosshair(uint32_t colour, float x, float y) const {
        const float arms[4][4] = {{x - kCrosshairReach, y, x - kCrosshairGap, y},
                                  {x + kCrosshairGap, y, x + kCrosshairReach, y},
                                  {x, y - kCrosshairReach, x, y - kCrosshairGap},
                                  {x, y + kCrosshairGap, x, y + kCrosshairReach}};
        for (const auto& [x0, y0, x1, y1] : arms) Line(colour, x0, y0, x1, y1);
    }

private:
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

void HudReadout::SetText(char (&to)[kNameChars + 1], const char* from) {
    const size_t length = from != nullptr ? strnlen(from, kNameChars) : 0;
    if (length > 0) std::memcpy(to, from, length);
    to[length] = 0;
}

void HudReadout::TargetLine(char (&line)[kLineChars]) const {
    line[0] = 0;
    if (hasTarget) std::snprintf(line, sizeof line, "TARGET %s %05ldm", targetName, long(targetDistance));
}

int32_t HudReadout::Rows(int32_t width, int32_t height, Row (&rows)[kRows]) const {
    if (!flying) return 0;
    int32_t count = 0;
    const auto add = [&](uint32_t colour, int32_t x, int32_t y) -> char (&)[kLineChars] {
        Row& row = rows[count++];
        row.x = x, row.y = y, row.colour = colour;
        row.text[0] = 0;
        return row.text;
    };
    const int32_t top = std::max(height - kColumnsUp, 60);
    int32_t y = top;
    std::snprintf(add(kInstrument, kLeftX, y), kLineChars, "Speed %05ldm/s", long(speed));
    std::snprintf(add(kText, kLeftX, y += kLineStep), kLineChars, "THROTTLE %3d%%", Clamp100(throttle));
    std::snprintf(add(kText, kLeftX, y += kLineStep), kLineChars, "POWER SHD %3d%% ENG %3d%% WPN %3d%%",
                  Clamp100(shieldPower), Clamp100(enginePower), Clamp100(weaponPower));
    std::snprintf(add(kText, kLeftX, y += kLineStep), kLineChars, "LEVEL SHD %3d%% WPN %3d%% FUEL %3d%%",
                  Clamp100(shieldLevel), Clamp100(weaponLevel), Clamp100(fuelLevel));

    const int32_t right = std::max(width - kRightColumnWidth, 0);
    y = std::max(height - kRightColumnUp, 60);
    const int32_t navY = y + kTargetRows * kLineStep;
    if (hasTarget) {
        TargetLine(add(kTargetColour, right, y));
        char(&hull)[kLineChars] = add(kText, right, y += kLineStep);
        if (targetShield >= 0) {
            std::snprintf(hull, kLineChars, "HULL %3d%% SHIELD %3d%%", Clamp100(targetHull), Clamp100(targetShield));
        } else {
            std::snprintf(hull, kLineChars, "HULL %3d%%", Clamp100(targetHull));
        }
        std::snprintf(add(kText, right, y += kLineStep), kLineChars, "CLASS %s", targetClass);
        // A craft without a callsign reads as "--", as a group that never runs out does.
        std::snprintf(add(kText, right, y += kLineStep), kLineChars, "CALLSIGN %s",
                      targetCallsign[0] != 0 ? targetCallsign : "--");
        std::snprintf(add(kText, right, y += kLineStep), kLineChars, "PART %s", targetPart);
    } else {
        std::snprintf(add(kText, right, y), kLineChars, "NO TARGET");
    }
    // The rows below keep their places whether a target is held or not.
    y = navY;
    if (hasNav) std::snprintf(add(kNavColour, right, y), kLineChars, "NAV %s %05ldm", navName, long(navDistance));
    if (weaponGroup > 0) {
        std::snprintf(add(kInstrument, right, y += kLineStep), kLineChars, "GROUP %d %s", int(weaponGroup), weaponName);
        char shots[24];
        if (ammunition >= 0) {
            std::snprintf(shots, sizeof shots, "AMMO %d", int(ammunition));
        } else {
            std::snprintf(shots, sizeof shots, "AMMO --");
        }
        char(&ammo)[kLineChars] = add(kText, right, y += kLineStep);
        if (lock >= 100) {
            std::snprintf(ammo, kLineChars, "%-10s LOCKED", shots);
        } else if (lock >= 0) {
            std::snprintf(ammo, kLineChars, "%-10s LOCK %3d%%", shots, int(lock));
        } else {
            std::snprintf(ammo, kLineChars, "%s", shots);
        }
    } else {
        std::snprintf(add(kText, right, y += kLineStep), kLineChars, "NO WEAPON");
        y += kLineStep;
    }
    if (refusal[0] != 0) std::snprintf(add(kRefusalColour, right, y += kLineStep), kLineChars, "%s", refusal);
    return count;
}

void HudReadout::AddRows(HudLayout& layout, int32_t width, int32_t height) const {
    Row rows[kRows];
    const int32_t count = Rows(width, height, rows);
    for (const bool left : {true, false}) {
        layout.BeginStack(HudLayout::kOpenUp);
        for (int32_t i = 0; i < count; ++i) {
            if ((rows[i].x == kLeftX) != left) continue;
            layout.BeginUnit();
            layout.Text(rows[i].colour, rows[i].x, rows[i].y, rows[i].text);
        }
    }
}

bool HudReadout::CrosshairPlace(CanvasRect* place) const {
    if (!flying || aim.kind != HudMark::kOnScreen) return false;
    // The arms' ends, and the pixel a line may spread either side of them.
    const int32_t reach = int32_t(kCrosshairReach) + 1;
    *place = CanvasRect{int32_t(std::lround(aim.x)) - reach, int32_t(std::lround(aim.y)) - reach, 2 * reach + 1,
                        2 * reach + 1};
    return true;
}

void HudReadout::DrawMarks(Canvas& canvas, HudKeepClear& keepClear) const {
    if (!flying || canvas.palette == nullptr) return;
    const Pen pen(canvas);
    CanvasRect sight;
    const bool sighted = CrosshairPlace(&sight);
    if (sighted) pen.Crosshair(kInstrument, aim.x, aim.y);
    // The arrow steers to the target, or without one to the nav point.
    const HudMark& steer = hasTarget ? targetMark : navMark;
    const uint32_t steerColour = hasTarget ? kTargetColour : kNavColour;
    // The brackets close round the target the sight is laid on: only the
    // rows keep them out.
    if (hasTarget && targetMark.kind == HudMark::kOnScreen) {
        pen.Brackets(kTargetColour, targetMark.x, targetMark.y, 10.0f, keepClear);
    }
    if (hasNav && navMark.kind == HudMark::kOnScreen) {
        const float x = navMark.x, yy = navMark.y;
        pen.Line(kNavColour, x - 6.0f, yy, x, yy - 6.0f);
        pen.Line(kNavColour, x, yy - 6.0f, x + 6.0f, yy);
        pen.Line(kNavColour, x + 6.0f, yy, x, yy + 6.0f);
        pen.Line(kNavColour, x, yy + 6.0f, x - 6.0f, yy);
    }
    if (sighted) keepClear.Add(sight.x, sight.y, sight.width, sight.height);
    if ((hasTarget || hasNav) && steer.kind == HudMark::kOffScreen) pen.EdgeArrow(steerColour, steer, keepClear);
}
