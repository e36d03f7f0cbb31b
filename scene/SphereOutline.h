#pragma once
#include <cstdint>

struct BoundingSphere;
struct Transform;

// Draws the circle a sphere (placed by `transform`, or in world space when
// null) makes on the current view's canvas, in `colour`; nothing when it
// lies outside the camera's depth range.
void DrawSphereOutline(const BoundingSphere& sphere, const Transform* transform, uint32_t colour);
