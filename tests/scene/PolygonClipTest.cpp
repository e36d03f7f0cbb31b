#include "scene/PolygonClip.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "scene/Camera.h"
#include "tests/support/RecordingCanvas.h"

namespace {

RenderVertex At(float x, float y, float z, int32_t intensity = 0, float u = 0.0f, float v = 0.0f) {
    RenderVertex r;
    r.x = x;
    r.y = y;
    r.z = z;
    r.intensity = intensity;
    r.u = u;
    r.v = v;
    r.colour = 0x55;
    return r;
}

// Inside the camera's view volume, with the limits the clipper tests.
bool InsideView(const RenderVertex& v, const Camera& c) {
    const float slack = 1e-3f * (1.0f + v.z);
    return v.z >= c.nearZ - 1e-3f && v.z <= c.farZ * 0.99f + 1e-2f && v.x <= c.halfWidth * v.z + slack &&
           v.x >= -c.halfWidth * v.z - slack && v.y <= c.halfHeight * v.z + slack &&
           v.y >= -c.halfHeight * v.z - slack;
}

class PolygonClipTest : public ::testing::Test {
protected:
    RecordingCanvas canvas_{100, 100};
    Camera camera_{&canvas_};   // 48 degrees, near 1, far 4096
};

TEST_F(PolygonClipTest, ATriangleCrossingEveryPlaneKeepsAtMostNineVerticesAllInside) {
    // Reaches behind the eye and past far, and out of every side.
    RenderVertex in[kMaxClipVertices] = {At(-9000.0f, -5000.0f, 6000.0f), At(9000.0f, -5000.0f, 6000.0f),
                                         At(0.0f, 8000.0f, -10.0f)};
    RenderVertex out[kMaxClipVertices];
    int32_t count = 3;
    ASSERT_EQ(ClipPolygonToView(&count, in, out, camera_, 0), kClipClipped);
    EXPECT_GE(count, 3);
    EXPECT_LE(count, kMaxClipVertices);
    for (int32_t i = 0; i < count; ++i) EXPECT_TRUE(InsideView(out[i], camera_)) << i;

    // Wholly in front of near or behind far, or wholly off one side: nothing.
    RenderVertex behind[kMaxClipVertices] = {At(0, 0, 0.5f), At(1, 0, 0.2f), At(0, 1, 0.9f)};
    count = 3;
    EXPECT_EQ(ClipPolygonToView(&count, behind, out, camera_, 0), kClipRejected);
    RenderVertex left[kMaxClipVertices] = {At(-90, 0, 10), At(-80, 5, 10), At(-85, -5, 12)};
    EXPECT_EQ(ClipPolygonToView(&count, left, out, camera_, 0), kClipRejected);
}

TEST_F(PolygonClipTest, AnInsideTriangleIsLeftAloneAndAPointJustBeforeNearIsOutside) {
    RenderVertex in[kMaxClipVertices] = {At(0, 0, 10), At(1, 0, 10), At(0, 1, 10)};
    RenderVertex out[kMaxClipVertices];
    std::memset(static_cast<void*>(out), 0xAB, sizeof out);
    int32_t count = 3;
    EXPECT_EQ(ClipPolygonToView(&count, in, out, camera_, 0), kClipInside);
    EXPECT_EQ(count, 3);
    EXPECT_EQ(reinterpret_cast<const uint8_t*>(out)[0], 0xAB);

    // The near plane keeps z >= near: one vertex a hair in front of it is cut off.
    RenderVertex grazing[kMaxClipVertices] = {At(0, 0, 0.999f), At(0.5f, 0, 5), At(0, 0.5f, 5)};
    ASSERT_EQ(ClipPolygonToView(&count, grazing, out, camera_, 0), kClipClipped);
    for (int32_t i = 0; i < count; ++i) EXPECT_GE(out[i].z, 1.0f - 1e-6f) << i;
}

TEST_F(PolygonClipTest, NewVerticesInterpolateWhatTheFaceFlagsAsk) {
    // One edge crosses the near plane half way.
    const ClipPlane& nearPlane = camera_.planes[Camera::kPlaneNear];
    const RenderVertex a = At(0, 0, 0.0f, 100, 0.0f, 1.0f), b = At(2, 0, 2.0f, 201, 1.0f, 0.0f),
                       c = At(0, 2, 2.0f, 50, 0.0f, 0.0f);
    for (const uint32_t flags : {0u, kFaceGouraud, kFaceTextured, kFaceGouraud | kFaceTextured}) {
        RenderVertex in[kMaxClipVertices] = {a, b, c};
        RenderVertex out[kMaxClipVertices];
        int32_t count = 3;
        ASSERT_EQ(ClipPolygonToPlane(&count, in, out, nearPlane, flags), kClipClipped);
        ASSERT_EQ(count, 4);
        // Out come c, the crossing of c-a, that of a-b at z = 1 (measured
        // from a towards b), and b.
        const RenderVertex& cut = out[2];
        EXPECT_FLOAT_EQ(cut.z, 1.0f);
        EXPECT_FLOAT_EQ(cut.x, 1.0f);
        EXPECT_EQ(cut.colour, 0x55u);
        EXPECT_EQ(cut.intensity, (flags & kFaceGouraud) ? 150 : 100) << flags;
        EXPECT_FLOAT_EQ(cut.u, (flags & kFaceTextured) ? 0.5f : 0.0f) << flags;
        EXPECT_FLOAT_EQ(cut.v, (flags & kFaceTextured) ? 0.5f : 1.0f) << flags;
    }
    // A segment keeps two vertices and is never rejected by one plane.
    RenderVertex line[kMaxClipVertices] = {At(0, 0, 0.0f), At(0, 0, 4.0f)};
    RenderVertex out[kMaxClipVertices];
    int32_t count = 2;
    EXPECT_EQ(ClipPolygonToPlane(&count, line, out, nearPlane, 0), kClipClipped);
    EXPECT_EQ(count, 2);
    EXPECT_FLOAT_EQ(out[0].z, 4.0f);
    EXPECT_FLOAT_EQ(out[1].z, 1.0f);
}

TEST_F(PolygonClipTest, BackFacesAreCulledAndEdgeOnFacesKept) {
    const RenderVertex facing[] = {At(0, 0, 10), At(0, 1, 10), At(1, 0, 10)};
    const RenderVertex away[] = {At(0, 0, 10), At(1, 0, 10), At(0, 1, 10)};
    EXPECT_EQ(IsFrontFace(3, facing, camera_) + IsFrontFace(3, away, camera_), 1);
    const RenderVertex edgeOn[] = {At(0, 0, 10), At(0, 0, 11), At(0, 1, 10)};
    EXPECT_EQ(IsFrontFace(3, edgeOn, camera_), 1);
    EXPECT_EQ(IsFrontFace(2, facing, camera_), 0);
}

}  // namespace
