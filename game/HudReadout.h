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

// The part of a line of the world that the screen shows, kept some pixels
// inside its edges, as it runs across the screen from its end nearer the
// line's start to the one nearer its end.
struct HudTrack {
    bool shown = false;
    float fromX = 0.0f, fromY = 0.0f;
    float toX = 0.0f, toY = 0.0f;

    // The line from `start` to `end` as `camera` shows it on its canvas,
    // `inset` pixels inside the edges; not shown when none of it is there.
    static HudTrack Of(const Camera& camera, const Vector3& start, const Vector3& end, float inset);
};

// Where the HUD draws the aim this frame: the sight whole at the aim point,
// or its mark (the sight's arms with a chevron beyond them, pointing on
// along the aim line to where the guns point) held back along that line.
struct HudSight {
    enum Kind : int32_t { kNone = 0, kWhole = 1, kMark = 2 };
    int32_t kind = kNone;
    float x = 0.0f, y = 0.0f;         // the arms' centre, pixels
    float dirX = 0.0f, dirY = 0.0f;   // the chevron's way, a unit direction on the screen, y down

    // The box of the pixels it may light, a pixel of a line's spread
    // included; empty for kNone.
    CanvasRect Ink() const;
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
    // The weapon group the fire key fires (0: none chosen or none left).
    int32_t weaponGroup = 0;
    // A weapon the rows tell: its name, the rounds it has left (-1: it
    // never runs out and fires on the weapons' energy alone) and why it
    // cannot fire now ("" while it can).
    struct WeaponLine {
        char name[kNameChars + 1] = {};
        int32_t rounds = -1;
        char refusal[kNameChars + 1] = {};
    };
    // The group's weapons that the trigger fires, then those that dropped
    // out of it (spent, destroyed) saying why; with no group left to fire,
    // the chosen group's dropped ones. More than kWeaponLines are not told.
    static constexpr int32_t kWeaponLines = 6;
    WeaponLine weapons[kWeaponLines];
    int32_t weaponCount = 0;
    // A missile group's lock on the target in percent, locked from 100 up;
    // -1 when the group does not lock or nothing is targeted.
    int32_t lock = -1;
    // Where the crosshair goes: where a shot of a projectile group would
    // go, else where the ship's nose points; on the screen or off it.
    HudMark aim;
    // The part of the aim line, from the ship out to the aim point, that the
    // screen shows far enough inside its edges for the sight's mark, which
    // is held back along it where the sight cannot stand whole at the aim.
    HudTrack aimTrack;

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
    // The colour of the target's blip on the scope (0xBBGGRR), which its
    // line, its brackets and the arrow towards it take: a friend targeted
    // reads as a friend. Grey, as the scope draws what it cannot tell,
    // until it is read.
    uint32_t targetColour = 0x5C5C5C;
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
    // Adds a weapon to the rows; false when they have no room left for it.
    bool AddWeapon(const char* name, int32_t rounds, const char* refusal);

    // A line of the instruments' text, its top left at (x, y).
    struct Row {
        int32_t x = 0, y = 0;
        uint32_t colour = 0;   // 0xBBGGRR
        char text[kLineChars] = {};
    };
    static constexpr int32_t kRows = 11 + kWeaponLines;
    // Pixels from the centre of the sight's mark out to its last pixel: the
    // room it needs inside the screen's edges.
    static constexpr int32_t kEdgeMarkHalf = 20;
    // Blank pixels kept between the sight, or its mark, and any text.
    static constexpr int32_t kSightRoom = 5;

    // The target line as the HUD draws it, "" without a target.
    void TargetLine(char (&line)[kLineChars]) const;
    // The lines the instruments draw on a screen of width x height, in two
    // columns above the bottom edge, the target's and the weapons' on the
    // right; how many (none while nothing is flown).
    int32_t Rows(int32_t width, int32_t height, Row (&rows)[kRows]) const;
    // The rows of Rows, measured in the current font, added to `layout`; a
    // long row brings the right column in from the edge, as far as its room.
    void AddRows(HudLayout& layout, int32_t width, int32_t height) const;
    // Where the sight stands on a screen of width x height whose texts (the
    // rows, the pictures, the scope's labels) stand at the places in `text`:
    // whole at the aim point where it fits on the screen kSightRoom clear of
    // every text; else its mark at the far end of the aim track, or held back
    // along the track to the first place as clear. kNone while nothing is
    // flown or no aim was read.
    HudSight PlaceSight(int32_t width, int32_t height, const HudKeepClear& text) const;
    // The marks over the canvas: the sight where PlaceSight puts it, the
    // target's brackets and the nav point's diamond, then the edge arrow.
    // The brackets keep clear of the places in `keepClear` (the texts and
    // the scope), the arrow of those and of the sight, which `keepClear`
    // gains. Needs the canvas's palette.
    void DrawMarks(Canvas& canvas, HudKeepClear& keepClear, const HudKeepClear& text) const;
};
