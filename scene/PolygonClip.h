#pragma once
#include <cstdint>

#include "scene/RenderVertex.h"

class Camera;
struct ClipPlane;

// Results of the clippers.
inline constexpr int32_t kClipRejected = 0;  // nothing visible
inline constexpr int32_t kClipClipped = 1;   // the output holds a new polygon, the count updated
inline constexpr int32_t kClipInside = -1;   // nothing to do: the caller keeps its vertices

// A clipped triangle never has more than 3 + one vertex per plane.
inline constexpr int32_t kMaxClipVertices = 9;

// Face flags that choose which attributes a new vertex interpolates: u and v
// when textured, the intensity when Gouraud-shaded. Without the latter a new
// vertex takes the intensity of the edge's start, as it takes its colour.
inline constexpr uint32_t kFaceGouraud = 0x8;
inline constexpr uint32_t kFaceTextured = 0x200;

// Clips a polygon of 3 to 9 view-space vertices against the camera's view
// volume, plane by plane where some vertex needs it; a two-vertex segment is
// clipped as a line. Both buffers hold kMaxClipVertices; `in` is used as
// scratch. The output is written only when something was clipped.
int32_t ClipPolygonToView(int32_t* count, RenderVertex* in, RenderVertex* out, const Camera& camera,
                          uint32_t faceFlags);

// One pass of clipping against one plane (inside: normal . p >= distance).
// A segment (count 2) keeps its count and is never rejected.
int32_t ClipPolygonToPlane(int32_t* count, const RenderVertex* in, RenderVertex* out, const ClipPlane& plane,
                           uint32_t faceFlags);

// 1 when the face (its first three vertices) is to be drawn, 0 when it is
// culled; faces seen nearly edge-on still count as front faces.
int32_t IsFrontFace(int32_t count, const RenderVertex* vertices, const Camera& camera);
