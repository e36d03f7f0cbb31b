#include "scene/ViewContext.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "engine/Arena.h"
#include "engine/BoundingSphere.h"
#include "engine/NamedObject.h"
#include "engine/PickQuery.h"
#include "engine/WorldContext.h"
#include "scene/Camera.h"
#include "scene/SphereOutline.h"
#include "tests/support/RecordingCanvas.h"
#include "tests/support/ScopedEngineHeap.h"

namespace {

class Ball : public NamedObject {
public:
    Ball(float x, float y, float z) : NamedObject(kTypeUntyped) { sphere = BoundingSphere{{x, y, z}, 0.0f, 1.0f}; }
    void Draw() override {}
    int32_t GetBoundingSphere(BoundingSphere* out) const override {
        *out = sphere;
        return 0;
    }
    float RayDistance(const Vector3* origin, const Vector3* direction, int32_t) const override {
        return sphere.RayDistance(*origin, *direction);
    }
    BoundingSphere sphere;
};

class ViewQueryTest : public ::testing::Test {
protected:
    void SetUp() override {
        world_ = std::make_unique<WorldContext>(4096, 1024);
        camera_.SetPosition({0.0f, 0.0f, -20.0f});
        view_.camera = &camera_;
        PushViewContext(&view_);
    }
    void TearDown() override {
        PopViewContext(&view_);
        world_.reset();
    }

    const ScopedEngineHeap heap_{1024 * 1024};
    std::unique_ptr<WorldContext> world_;
    RecordingCanvas canvas_{200, 100};
    Camera camera_{&canvas_};
    ViewContext view_;
};

// The camera looks along +z from z = -20; one ball sits straight ahead of
// it, one off to the side.
TEST_F(ViewQueryTest, AScreenRayThroughTheCentreFindsTheObjectAheadOfTheCamera) {
    Ball ahead(0.0f, 0.0f, 0.0f), aside(30.0f, 0.0f, 0.0f);
    aside.next = &ahead;
    view_.objectList = &aside;
    PickQuery query;
    query.flags = PickQuery::kScreenRay;
    query.screenX = 100;
    query.screenY = 50;
    ASSERT_EQ(ahead.CollectRayHits(&query), kStatusOk);
    ASSERT_NE(query.firstHit, nullptr);
    EXPECT_EQ(query.firstHit->object, &ahead);
    EXPECT_NEAR(query.firstHit->distance, 19.0f, 1e-4);

    // A camera without a canvas cannot place a screen point.
    Camera blind;
    PickQuery noCanvas;
    noCanvas.flags = PickQuery::kScreenRay | PickQuery::kGivesCamera;
    noCanvas.camera = &blind;
    EXPECT_EQ(ahead.CollectRayHits(&noCanvas), kStatusNoCamera);
}

TEST_F(ViewQueryTest, ASphereOutlineIsACircleAtItsProjection) {
    const BoundingSphere sphere{{0.0f, 0.0f, 0.0f}, 0.0f, 2.0f};
    DrawSphereOutline(sphere, nullptr, 0x0C);
    ASSERT_GT(canvas_.Calls().size(), 8u);
    // Every point of the circle lies about its radius from the centre.
    const float radius = 2.0f * camera_.sideFactor / 20.0f * camera_.scaleX;
    for (const CanvasCall& call : canvas_.Calls()) {
        ASSERT_FALSE(call.view.empty()) << call.text;
        const float dx = float(call.view[0].screenX - 100), dy = float(call.view[0].screenY - 50);
        EXPECT_NEAR(std::sqrt(dx * dx + dy * dy), radius, 1.5f) << call.text;
        EXPECT_EQ(call.view[0].colour, 0x0Cu);
    }
    // Behind the camera: nothing.
    canvas_.ForgetCalls();
    DrawSphereOutline(BoundingSphere{{0.0f, 0.0f, -40.0f}, 0.0f, 2.0f}, nullptr, 0x0C);
    EXPECT_TRUE(canvas_.Calls().empty());

    // An object's sphere, placed and scaled by its transform: the circle
    // stands where the object does, twice as wide.
    Transform placed;
    placed.SetPositionXyz(0.0f, 0.0f, -10.0f, Transform::kAllFlags);
    placed.scale = 2.0f;
    canvas_.ForgetCalls();
    DrawSphereOutline(sphere, &placed, 0x0C);
    ASSERT_GT(canvas_.Calls().size(), 8u);
    const float near = 2.0f * 2.0f * camera_.sideFactor / 10.0f * camera_.scaleX;
    for (const CanvasCall& call : canvas_.Calls()) {
        const float dx = float(call.view[0].screenX - 100), dy = float(call.view[0].screenY - 50);
        EXPECT_NEAR(std::sqrt(dx * dx + dy * dy), near, 1.5f) << call.text;
    }
}

}  // namespace
