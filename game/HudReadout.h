#pragma once
#include <cstdint>

#include "display/CanvasRect.h"
#include "engine/Vector3.h"
#include "game/RadarScope.h"

class Camera;
class Canvas;
class HudKeepClear;
class HudLayout;

// Where a point of the world shows on the screen: at a place on it, or off
// it in a direction from the screen's centre (the direction of the edge
// arrow that points the pilot towards it).
struct HudMark {
    enum Kind : int32_t { kNone = 0, kOnScreen = 1, kOffScreen = 2 };
    int32_t kind = kNone;
    float x = 0.0f, y = 0.0f;         // pixels, on screen
    float dirX = 0.0f, dirY = 0.0f;   // unit direction on the screen, y down, off screen

    // The world point as `camera` shows it on its canvas; kNone without one.
    static HudMark Of(const Camera& camera, const Vector3& world);
};

// What the cockpit's instruments read this frame, gathered from the
// player's ship and its systems by the flight frame and drawn by the HUD.
// Speeds in m/s, distances in metres, the rest in percent.
struct HudReadout {
    static constexpr int32_t kNameChars = 31;
    // The texts the HUD draws for these readings, each a line of its own.
    static constexpr int32_t kLineChars = 96;

    bool flying = false;   // a ship is flown: the readings below are its own
    int32_t speed = 0;
    int32_t throttle = 0;
    // The generator's split between shields, engine and weapons, in percent
    // of what it allocates, and the levels those feed: shields, the weapons'
    // energy pool and the fuel.
    int32_t shieldPower = 0, enginePower = 0, weaponPower = 0;
    int32_t shieldLevel = 0, weaponLevel = 0, fuelLevel = 0;
    // The chosen weapon group (0: none chosen or none left), the name of its
    // first weapon and the shots it has left (-1: it never runs out).
    int32_t weaponGroup = 0;
    char weaponName[kNameChars + 1] = {};
    int32_t ammunition = -1;
    // A missile group's lock on the target in percent, locked from 100 up;
    // -1 when the group does not lock or nothing is targeted.
    int32_t lock = -1;
    // Why the group's last shot was refused, while that holds; "" when none.
    char refusal[kNameChars + 1] = {};
    // Where the crosshair goes: where a shot of a projectile group would
    // go, else where the ship's nose points.
    HudMark aim;

    bool hasTarget = false;
    // The target's name, class, callsign and selected part as far as the
    // targeting computer has identified it ("unknown", "none").
    char targetName[kNameChars + 1] = {};
    char targetClass[kNameChars + 1] = {};
    char targetCallsign[kNameChars + 1] = {};
    char targetPart[kNameChars + 1] = {};
    int32_t targetDistance = 0;
    int32_t targetHull = 0;
    int32_t targetShield = -1;   // -1: the target carries no shield
    HudMark targetMark;
    // The chosen nav point, steered to by the edge arrow while no target is.
    bool hasNav = false;
    char navName[kNameChars + 1] = {};
    int32_t navDistance = 0;
    HudMark navMark;
    RadarPicture radar;

    // Each copies at most kNameChars of the text; null is "".
    static void SetText(char (&to)[kNameChars + 1], const char* from);
    void SetTargetName(const char* name) { SetText(targetName, name); }
    void SetNavName(const char* name) { SetText(navName, name); }
    void SetWeaponName(const char* name) { SetText(weaponName, name); }

    // A line of the instruments' text, its top left at (x, y).
    struct Row {
        int32_t x = 0, y = 0;
        uint32_t colour = 0;   // 0xBBGGRR
        char text[kLineChars] = {};
    };
    static constexpr int32_t kRows = 16;

    // The target line as the HUD draws it, "" without a target.
    void TargetLine(char (&line)[kLineChars]) const;
    // The lines the instruments draw on a screen of width x height, in two
    // columns above the bottom edge, the target's and the weapons' on the
    // right; how many (none while nothing is flown).
    int32_t Rows(int32_t width, int32_t height, Row (&rows)[kRows]) const;
    // The rows of Rows, measured in the current font, added to `layout` as
    // two stacks standing on the bottom edge, a column each.
    void AddRows(HudLayout& layout, int32_t width, int32_t height) const;
    // Where the crosshair stands, arms and all; false while none is drawn.
    bool CrosshairPlace(CanvasRect* place) const;
    // The marks over the canvas: the crosshair, always whole (the rows make
    // way for it), the target's brackets and the nav point's diamond, then
    // the edge arrow. The brackets keep clear of the places in `keepClear`
    // (the rows and the scope), the arrow of those and of the crosshair,
    // which `keepClear` gains. Needs the canvas's palette.
    void DrawMarks(Canvas& canvas, HudKeepClear& keepClear) const;
};
