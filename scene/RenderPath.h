#pragma once
#include <cstdint>

#include "display/ScreenVertex.h"

class Canvas;
class NearShapes;
struct ViewContext;

// Draw flags, the second argument of DrawFace and the argument of the point
// and line emitters.
inline constexpr uint32_t kDrawClip = 0x1;          // clip to the view (points, lines: reject outside it)
inline constexpr uint32_t kDrawCullBack = 0x2;
inline constexpr uint32_t kDrawFarDepth = 0x4;      // every vertex at the fixed far depth
inline constexpr uint32_t kDrawAllowTexture = 0x8;
inline constexpr uint32_t kDrawNeverSort = 0x10;
inline constexpr uint32_t kDrawFixedColour = 0x20;  // untextured flat fill in the view's fixed colour
inline constexpr uint32_t kDrawFixedLevel = 0x40;   // translucent with the view's fixed level

// The depth every vertex takes under kDrawFarDepth.
inline constexpr float kFarDepth = 0.99998f;

// The level at which the canvas palette's shades show a colour unaltered:
// the full light level of vertices that no light reaches; 0 without a
// palette or shade table.
int32_t CanvasFullLevel(const Canvas& canvas);

// The point the emitters work on: on entry its x, y and depth hold a
// view-space position, its colour and intensity what to draw it with.
extern ScreenVertex g_primScratch;

// Draws face `faceIndex` of the current view context: back-face test and
// clipping as asked, projection of each vertex once per frame, then a fill
// through the camera's canvas or a depth-sorted primitive, and the enabled
// edges of a face that is not filled.
void DrawFace(uint32_t faceIndex, uint32_t drawFlags);

// Judges the faces of the object the current view context draws, with one
// set of draw flags: what holds for all its faces is read once, as a far
// model has many faces and most fill nothing.
class FaceJudge {
public:
    explicit FaceJudge(uint32_t drawFlags);

    // Whether face `faceIndex`, drawn with flags that ask for neither
    // clipping nor the back-face test, would fill no pixel of the canvas and
    // draw no edge. Its corners are projected as DrawFace projects them. The
    // face is then marked drawn, as DrawFace would mark it, and needs
    // neither its light nor DrawFace.
    bool FillsNothing(uint32_t faceIndex) const;

private:
    ViewContext* view_ = nullptr;   // null: no face is judged empty
    uint32_t drawFlags_ = 0;
    uint32_t faceFlags_ = 0;        // the face flags the object and camera let through
    const NearShapes* shapes_ = nullptr;
    float maxX_ = 0.0f, maxY_ = 0.0f;   // the last place on the canvas
};

// The point in g_primScratch, plotted at once or sorted.
void EmitSortedPrimitive(uint32_t drawFlags);
// The 3D line from g_primScratch to `end` (the same layout), drawn at once
// or sorted.
void EmitSortedLine(const ScreenVertex& end, uint32_t drawFlags);
