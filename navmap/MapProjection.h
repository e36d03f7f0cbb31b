#pragma once
#include <cstdint>

#include "engine/Vector3.h"

struct Transform;

// Which of the two maps a pass draws: they share the box and the screen x,
// and differ in the sense of the depth axis and the bar start's constants.
enum class MapTwin : int32_t { kWarRoom, kInFlight };

// Where an object lands on a map: the symbol point, the point below (or
// above) it where its altitude bar meets the map plane, and the key the
// symbols are drawn by, far to near.
struct MapPoint {
    int32_t x = 0;
    int32_t y = 0;
    int32_t barY = 0;   // the bar starts at (x, barY)
    int32_t depthKey = 0;
};

// The oblique view of a box 4R wide, 2R high and 4R deep round the camera.
// A closed formula, so that the map plane covers the same quadrilateral of
// the screen at every range.
namespace map_projection {

// The symbol window: a symbol point must lie strictly inside it.
inline constexpr int32_t kWindowLeft = 148;
inline constexpr int32_t kWindowRight = 635;
inline constexpr int32_t kWindowTop = 5;
inline constexpr int32_t kWindowBottom = 311;
// A symbol at the box's top stands this many pixels above its bar start.
inline constexpr double kBarPixels = 141.0;

// A world position in the camera's space, through the camera's inverse.
Vector3 ToMapSpace(const Transform& camera, const Vector3& world);
// False outside the box (on a face counts as outside; R <= 0 holds nothing).
bool Project(MapTwin twin, const Vector3& mapSpace, int32_t range, MapPoint* out);
bool InSymbolWindow(const MapPoint& point);

}  // namespace map_projection
