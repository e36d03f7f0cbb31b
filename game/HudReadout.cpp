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
#include "game/HudKeepClear.h"
#include "game/HudLayout.h"
#include "scene/Camera.h"

namespace {

// Colours, as 0xBBGGRR.
constexpr uint32_t kInstrument = 0x40FF40, kText = 0xE0E0E0, kNavColour = 0xFFC040,
                   kRefusalColour = 0x2060FF;
// The two columns of readings stand this far above the bottom edge, the
// left one at the left edge and the right one this far from the right; the
// right one, the longer, starts two rows higher.
constexpr int32_t kColumnsUp = 180, kRightColumnUp = 204, kRightColumnWidth = 200, kLineStep = 12, kLeftX = 8;
// The right column comes in at most this much further for a long row, which
// keeps it clear of the scope and the shield facings, and ends its rows
// this far inside the right edge.
constexpr int32_t kRightColumnRoom = 40, kRightMargin = 4;
// The target's block of rows in the right column: its name and distance,
// hull and shield, class, callsign and part; the nav point's row follows.
constexpr int32_t kTargetRows = 5;
// The edge arrow: its tip this far inside the screen's edges, its head
// longer than it is wide with a notch cut into its base, so that no base
// corner reads as a tip; drawn no nearer the centre than kArrowNearest.
constexpr float kArrowMargin = 6.0f, kArrowLength = 24.0f, kArrowHalfWidth = 8.0f, kArrowNotch = 9.0f;
constexpr float kArrowNearest = 48.0f, kArrowStep = 2.0f, kArrowRoom = 3.0f;
constexpr float kCrosshairReach = 12.0f, kCrosshairGap = 4.0f;
// The sight's mark: its chevron's tip and base this far out from the arms'
// centre, its base this wide each side; the mark is held back along the aim
// line this far at a time to keep clear of the texts.
constexpr float kChevronTip = 19.0f, kChevronBase = 14.0f, kChevronHalfWidth = 5.0f, kMarkStep = 2.0f;
static_assert(HudReadout::kEdgeMarkHalf == int32_t(kChevronTip) + 1);

int32_t Clamp100(int32_t percent) { return std::clamp(percent, 0, 100); }

// The edge arrow's head: its tip and the two corners of its base, and the
// unit direction it points.
struct Arrow {
    float x[3] = {}, y[3] = {};
    float dx = 0.0f, dy = 0.0f;

    float Left() const { return std::min({x[0], x[1], x[2]}); }
    float Right() const { return std::max({x[0], x[1], x[2]}); }
    float Top() const { return std::min({y[0], y[1], y[2]}); }
    float Bottom() const { return std::max({y[0], y[1], y[2]}); }
};

// The chevron's tip and the two corners of its base for a mark at (x, y)
// pointing along (dx, dy).
void Chevron(float x, float y, float dx, float dy, float (&px)[3], float (&py)[3]) {
    const float baseX = x + dx * kChevronBase, baseY = y + dy * kChevronBase;
    px[0] = x + dx * kChevronTip, py[0] = y + dy * kChevronTip;
    px[1] = baseX - dy * kChevronHalfWidth, py[1] = baseY + dx * kChevronHalfWidth;
    px[2] = baseX + dy * kChevronHalfWidth, py[2] = baseY - dx * kChevronHalfWidth;
}

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
    Arrow PlaceArrow(const HudMark& mark, const HudKeepClear& keepClear) const {
        const float cx = float(canvas_.width) * 0.5f, cy = float(canvas_.height) * 0.5f;
        const float dx = mark.dirX, dy = mark.dirY;
        const float reachX = std::max(cx - kArrowMargin, 1.0f), reachY = std::max(cy - kArrowMargin, 1.0f);
        const float tx = dx != 0.0f ? reachX / std::fabs(dx) : 1e9f;
        const float ty = dy != 0.0f ? reachY / std::fabs(dy) : 1e9f;
        const float nx = -dy, ny = dx;
        float t = std::min(tx, ty);
        Arrow arrow;
        arrow.dx = dx, arrow.dy = dy;
        for (;; t -= kArrowStep) {
            const float tipX = cx + dx * t, tipY = cy + dy * t;
            const float baseX = tipX - dx * kArrowLength, baseY = tipY - dy * kArrowLength;
            arrow.x[0] = tipX, arrow.y[0] = tipY;
            arrow.x[1] = baseX + nx * kArrowHalfWidth, arrow.y[1] = baseY + ny * kArrowHalfWidth;
            arrow.x[2] = baseX - nx * kArrowHalfWidth, arrow.y[2] = baseY - ny * kArrowHalfWidth;
            if (!keepClear.Meets(arrow.Left() - kArrowRoom, arrow.Top() - kArrowRoom, arrow.Right() + kArrowRoom,
                                 arrow.Bottom() + kArrowRoom) ||
                t - kArrowStep < kArrowNearest) {
                break;
            }
        }
        return arrow;
    }
    // Filled by lines from the tip to the base's two halves, each bent in to
    // the notch.
    void DrawArrow(uint32_t colour, const Arrow& arrow) const {
        const float notchAlong = kArrowLength - kArrowNotch;
        const float notchX = arrow.x[0] - arrow.dx * notchAlong, notchY = arrow.y[0] - arrow.dy * notchAlong;
        for (int32_t side = 1; side <= 2; ++side) {
            for (float f = 0.0f; f <= 1.0f; f += 1.0f / 32.0f) {
                const float ex = arrow.x[side] + (notchX - arrow.x[side]) * f;
                const float ey = arrow.y[side] + (notchY - arrow.y[side]) * f;
                Line(colour, arrow.x[0], arrow.y[0], ex, ey);
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
    // The sight's mark: its arms, and beyond them a chevron pointing along
    // (dx, dy) to where the guns point.
    void SightMark(uint32_t colour, float x, float y, float dx, float dy) const {
        Crosshair(colour, x, y);
        float px[3], py[3];
        Chevron(x, y, dx, dy, px, py);
        Line(colour, px[0], py[0], px[1], py[1]);
        Line(colour, px[0], py[0], px[2], py[2]);
    }

private:
    Canvas& canvas_;
};

}  // namespace

CanvasRect HudSight::Ink() const {
    if (kind == kNone) return CanvasRect{};
    float left = x - kCrosshairReach, right = x + kCrosshairReach;
    float top = y - kCrosshairReach, bottom = y + kCrosshairReach;
    if (kind == kMark) {
        float px[3], py[3];
        Chevron(x, y, dirX, dirY, px, py);
        left = std::min({left, px[0], px[1], px[2]}), right = std::max({right, px[0], px[1], px[2]});
        top = std::min({top, py[0], py[1], py[2]}), bottom = std::max({bottom, py[0], py[1], py[2]});
    }
    // A line may light the pixel past either of its ends.
    const int32_t x0 = int32_t(std::floor(left)) - 1, y0 = int32_t(std::floor(top)) - 1;
    const int32_t x1 = int32_t(std::ceil(right)) + 1, y1 = int32_t(std::ceil(bottom)) + 1;
    return CanvasRect{x0, y0, x1 - x0 + 1, y1 - y0 + 1};
}

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

bool HudReadout::AddWeapon(const char* name, int32_t rounds, const char* refusal) {
    if (weaponCount >= kWeaponLines) return false;
    WeaponLine& line = weapons[weaponCount++];
    SetText(line.name, name);
    line.rounds = rounds;
    SetText(line.refusal, refusal);
    return true;
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
        TargetLine(add(targetColour, right, y));
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
        char(&group)[kLineChars] = add(kInstrument, right, y += kLineStep);
        if (lock >= 100) {
            std::snprintf(group, kLineChars, "GROUP %d LOCKED", int(weaponGroup));
        } else if (lock >= 0) {
            std::snprintf(group, kLineChars, "GROUP %d LOCK %3d%%", int(weaponGroup), int(lock));
        } else {
            std::snprintf(group, kLineChars, "GROUP %d", int(weaponGroup));
        }
    } else {
        std::snprintf(add(kText, right, y += kLineStep), kLineChars, "NO WEAPON");
    }
    // Each weapon by name: a refused one with its refusal, a gun or rack
    // with its rounds, a beam with the energy it fires on.
    for (int32_t i = 0; i < std::min(weaponCount, kWeaponLines); ++i) {
        const WeaponLine& weapon = weapons[i];
        if (weapon.refusal[0] != 0) {
            std::snprintf(add(kRefusalColour, right, y += kLineStep), kLineChars, "%s: %s", weapon.name,
                          weapon.refusal);
        } else if (weapon.rounds >= 0) {
            std::snprintf(add(kText, right, y += kLineStep), kLineChars, "%s AMMO %d", weapon.name, int(weapon.rounds));
        } else {
            std::snprintf(add(kText, right, y += kLineStep), kLineChars, "%s ENERGY %3d%%", weapon.name,
                          Clamp100(weaponLevel));
        }
    }
    return count;
}

void HudReadout::AddRows(HudLayout& layout, int32_t width, int32_t height) const {
    Row rows[kRows];
    const int32_t count = Rows(width, height, rows);
    // A long row (a weapon's name with its refusal) brings the right column
    // in from the edge, as far as the room left of it allows, so that it is
    // read whole.
    int32_t inward = 0;
    for (int32_t i = 0; i < count; ++i) {
        if (rows[i].x == kLeftX) continue;
        const int32_t end = rows[i].x + int32_t(FontStringWidth(rows[i].text)) + kRightMargin;
        inward = std::max(inward, std::min(end - width, kRightColumnRoom));
    }
    for (int32_t i = 0; i < count; ++i) {
        const bool left = rows[i].x == kLeftX;
        layout.Text(rows[i].colour, left ? rows[i].x : rows[i].x - inward, rows[i].y, rows[i].text);
    }
}

HudSight HudReadout::PlaceSight(int32_t width, int32_t height, const HudKeepClear& text) const {
    HudSight sight;
    if (!flying || aim.kind == HudMark::kNone) return sight;
    const float room = float(kSightRoom - HudKeepClear::kRoom);
    const auto clear = [&] {
        const CanvasRect ink = sight.Ink();
        return !text.Meets(float(ink.x) - room, float(ink.y) - room, float(ink.x + ink.width) + room,
                           float(ink.y + ink.height) + room);
    };
    if (aim.kind == HudMark::kOnScreen) {
        sight.kind = HudSight::kWhole;
        sight.x = aim.x, sight.y = aim.y;
        // Whole, with a pixel to spare round it: a crosshair cut at the edge,
        // or one crossing a text, would lie about the aim.
        const CanvasRect ink = sight.Ink();
        if (ink.x >= 1 && ink.y >= 1 && ink.x + ink.width < width && ink.y + ink.height < height && clear()) {
            return sight;
        }
    }

    // The mark goes on the aim line as the screen shows it, from the ship
    // out. Where the screen shows too little of that line to give it a way
    // (in the cockpit view it runs straight out from the eye), the line runs
    // from the centre towards the aim instead, no further than the aim point
    // and no nearer the edges than the mark's reach.
    const float cx = float(width) * 0.5f, cy = float(height) * 0.5f;
    float fromX = cx, fromY = cy, toX = cx, toY = cy, length = 0.0f;
    if (aimTrack.shown) {
        fromX = aimTrack.fromX, fromY = aimTrack.fromY, toX = aimTrack.toX, toY = aimTrack.toY;
        length = std::hypot(toX - fromX, toY - fromY);
    }
    const bool onScreen = aim.kind == HudMark::kOnScreen;
    float dx = onScreen ? aim.x - cx : aim.dirX, dy = onScreen ? aim.y - cy : aim.dirY;
    if (!(length >= 1.0f)) {
        const float inset = float(kEdgeMarkHalf + 1);
        const float reachX = std::max(cx - inset, 0.0f), reachY = std::max(cy - inset, 0.0f);
        float t = onScreen ? 1.0f : 1e9f;
        if (dx != 0.0f) t = std::min(t, reachX / std::fabs(dx));
        if (dy != 0.0f) t = std::min(t, reachY / std::fabs(dy));
        if (!(t < 1e9f)) t = 0.0f;
        fromX = cx, fromY = cy, toX = cx + dx * t, toY = cy + dy * t;
        length = std::hypot(toX - fromX, toY - fromY);
    }
    // The chevron points out along the line, or straight out from the
    // centre towards the aim while the line is too short to give a way.
    if (length > 1.0f) {
        dx = (toX - fromX) / length, dy = (toY - fromY) / length;
    } else {
        const float out = std::hypot(dx, dy);
        dx = out > 0.0f ? dx / out : 0.0f;
        dy = out > 0.0f ? dy / out : -1.0f;
    }
    sight.kind = HudSight::kMark;
    sight.dirX = dx, sight.dirY = dy;
    for (float back = 0.0f; back <= length; back += kMarkStep) {
        sight.x = toX - dx * back, sight.y = toY - dy * back;
        if (clear()) return sight;
    }
    // With no room anywhere along the line, at its far end.
    sight.x = toX, sight.y = toY;
    return sight;
}

void HudReadout::DrawMarks(Canvas& canvas, HudKeepClear& keepClear, const HudKeepClear& text) const {
    if (!flying || canvas.palette == nullptr) return;
    const Pen pen(canvas);
    const HudSight sight = PlaceSight(canvas.width, canvas.height, text);
    if (sight.kind == HudSight::kWhole) pen.Crosshair(kInstrument, sight.x, sight.y);
    if (sight.kind == HudSight::kMark) pen.SightMark(kInstrument, sight.x, sight.y, sight.dirX, sight.dirY);
    // The arrow steers to the target, or without one to the nav point.
    const HudMark& steer = hasTarget ? targetMark : navMark;
    const uint32_t steerColour = hasTarget ? targetColour : kNavColour;
    // The brackets close round the target the sight is laid on: only the
    // rows keep them out.
    if (hasTarget && targetMark.kind == HudMark::kOnScreen) {
        pen.Brackets(targetColour, targetMark.x, targetMark.y, 10.0f, keepClear);
    }
    if (hasNav && navMark.kind == HudMark::kOnScreen) {
        const float x = navMark.x, yy = navMark.y;
        pen.Line(kNavColour, x - 6.0f, yy, x, yy - 6.0f);
        pen.Line(kNavColour, x, yy - 6.0f, x + 6.0f, yy);
        pen.Line(kNavColour, x + 6.0f, yy, x, yy + 6.0f);
        pen.Line(kNavColour, x, yy + 6.0f, x - 6.0f, yy);
    }
    // The sight stands where the aim sends it; the arrow gives way to it,
    // a pixel further than to a row.
    if (sight.kind != HudSight::kNone) {
        const CanvasRect ink = sight.Ink();
        keepClear.Add(ink.x - 1, ink.y - 1, ink.width + 2, ink.height + 2);
    }
    if ((hasTarget || hasNav) && steer.kind == HudMark::kOffScreen) {
        pen.DrawArrow(steerColour, pen.PlaceArrow(steer, keepClear));
    }
}

HudTrack HudTrack::Of(const Camera& camera, const Vector3& start, const Vector3& end, float inset) {
    HudTrack track;
    if (camera.canvas == nullptr) return track;
    Vector3 a, b;
    g_mathRoutineTable.transformPoint(&start, &camera.transform.inverse, &a);
    g_mathRoutineTable.transformPoint(&end, &camera.transform.inverse, &b);
    for (const float v : {a.x, a.y, a.z, b.x, b.y, b.z}) {
        if (!std::isfinite(v)) return track;
    }
    const float cx = float(camera.canvas->width) * 0.5f, cy = float(camera.canvas->height) * 0.5f;
    const float hx = cx - inset, hy = cy - inset;
    if (!(hx > 0.0f && hy > 0.0f)) return track;
    const bool orthographic = (camera.flags & Camera::kFlagOrthographic) != 0;
    // Each bound of the view is a quantity that runs linearly along the
    // line and must not be negative; together they leave the stretch
    // [lo, hi] of the line, 0 at its start and 1 at its end.
    float lo = 0.0f, hi = 1.0f;
    const auto keep = [&](float atStart, float atEnd) {
        const float change = atEnd - atStart;
        if (change == 0.0f) {
            if (atStart < 0.0f) hi = -1.0f;
            return;
        }
        const float t = -atStart / change;
        if (change > 0.0f) {
            lo = std::max(lo, t);
        } else {
            hi = std::min(hi, t);
        }
    };
    // The room either side of the centre, where the point's depth scales it.
    const float depthA = orthographic ? 1.0f : a.z, depthB = orthographic ? 1.0f : b.z;
    if (!orthographic) keep(a.z - camera.nearZ, b.z - camera.nearZ);
    for (const float side : {1.0f, -1.0f}) {
        keep(hx * depthA - side * camera.scaleX * a.x, hx * depthB - side * camera.scaleX * b.x);
        keep(hy * depthA - side * camera.scaleY * a.y, hy * depthB - side * camera.scaleY * b.y);
    }
    if (!(lo <= hi)) return track;
    const auto project = [&](float t, float* x, float* y) {
        const Vector3 at{a.x + (b.x - a.x) * t, a.y + (b.y - a.y) * t, a.z + (b.z - a.z) * t};
        const float depth = orthographic ? 1.0f : at.z;
        *x = cx + camera.scaleX * at.x / depth;
        *y = cy - camera.scaleY * at.y / depth;
    };
    project(lo, &track.fromX, &track.fromY);
    project(hi, &track.toX, &track.toY);
    track.shown = std::isfinite(track.fromX) && std::isfinite(track.fromY) && std::isfinite(track.toX) &&
                  std::isfinite(track.toY);
    return track;
}
