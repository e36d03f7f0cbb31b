#include "scene/SceneObject.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "display/Palette.h"
#include "display/PixelFormat.h"
#include "engine/EngineAllocation.h"
#include "engine/WorldContext.h"
#include "scene/BoxObject.h"
#include "scene/Camera.h"
#include "scene/FaceRecord.h"
#include "scene/Light.h"
#include "scene/Material.h"
#include "scene/Model.h"
#include "scene/RenderVertex.h"
#include "scene/ViewContext.h"
#include "tests/support/ChunkBuilder.h"
#include "tests/support/DistinctPalette.h"
#include "tests/support/MeshForm.h"
#include "tests/support/RecordingCanvas.h"
#include "tests/support/ScopedEngineHeap.h"
#include "tests/support/TempDir.h"

namespace {

// An ambient light that counts what the draw asks of it.
class CountingLight : public Light {
public:
    CountingLight() { intensity = 128; }
    void Prepare(const Transform* transform) override {
        ++prepared;
        Light::Prepare(transform);
    }
    void LightVertex(const MeshVertex& point, RenderVertex& vertex, int32_t twoSided) override {
        ++lit;
        points.push_back(point);
        Light::LightVertex(point, vertex, twoSided);
    }
    int prepared = 0;
    int lit = 0;
    std::vector<MeshVertex> points;
};

// A unit square facing the camera, two Gouraud triangles sharing an edge,
// inside a sphere of radius 1; the camera at the origin looks down +z with
// a 90-degree view on a 100 x 100 canvas.
class SceneObjectTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (const auto& [x, y] : {std::pair{-1.0f, -1.0f}, {1.0f, -1.0f}, {1.0f, 1.0f}, {-1.0f, 1.0f}}) {
            vertices_.push_back(MeshVertex{x, y, 0.0f, 0.0f, 0.0f, 0.0f, -1.0f, 0.0f});
        }
        for (const auto& [b, c] : {std::pair<uint16_t, uint16_t>{1, 2}, {2, 3}}) {
            FaceRecord f;
            f.flags = FaceRecord::kGouraud | FaceRecord::kCullBack;
            f.a = 0;
            f.b = b;
            f.c = c;
            f.colour = 5;
            f.normal[2] = -1.0f;
            faces_.push_back(f);
        }
        model_.vertexCount = uint32_t(vertices_.size());
        model_.vertices = vertices_.data();
        model_.faceCount = uint32_t(faces_.size());
        model_.faces = faces_.data();
        model_.sphere.radius = 1.0f;
        model_.box = BoundingBox{{-1.0f, -1.0f, -0.1f}, {1.0f, 1.0f, 0.1f}};

        camera_.fieldOfView = 90.0f;
        camera_.SetCanvas(&canvas_);
        camera_.flags = 0x0F8F;
        camera_.farZ = 100.0f;
        view_.camera = &camera_;
        view_.lights = &light_;
        PushViewContext(&view_);
        canvas_.SetForwarding(false);
    }
    void TearDown() override { PopViewContext(&view_); }

    static void Place(Frame& frame, float x, float y, float z) {
        frame.local.SetPositionXyz(x, y, z, Transform::kAllFlags);
        frame.UpdateWorldTransform(0xFF);
        frame.UpdateBounds(0, 0);
    }
    std::vector<std::string> Fills() const {
        std::vector<std::string> fills;
        for (const CanvasCall& call : canvas_.Calls()) {
            if (call.op.rfind("FillPolygon", 0) == 0) fills.push_back(call.text);
        }
        return fills;
    }

    const ScopedEngineHeap heap_{8 * 1024 * 1024};
    WorldContext world_{64 * 1024, 64 * 1024};
    std::vector<MeshVertex> vertices_;
    std::vector<FaceRecord> faces_;
    Model model_;
    RecordingCanvas canvas_{100, 100, nullptr, Canvas::kFlagSetUp | Canvas::kFlagHasDepth};
    Camera camera_;
    CountingLight light_;
    ViewContext view_;
};

TEST_F(SceneObjectTest, ReferenceCountsFollowAttachDetachAndAssignment) {
    {
        SceneObject a(&model_);
        EXPECT_EQ(model_.refCount, 1u);
        EXPECT_EQ(world_.attachedFaces, 2u);
        SceneObject b;
        b = a;
        EXPECT_EQ(model_.refCount, 2u);
        EXPECT_EQ(b.model, &model_);
        EXPECT_EQ(world_.attachedFaces, 4u);
        b = a;   // reassigning the same model counts it once
        EXPECT_EQ(model_.refCount, 2u);
        a.DetachModel();
        EXPECT_EQ(model_.refCount, 1u);
        EXPECT_EQ(b.model, &model_);
    }
    EXPECT_EQ(model_.refCount, 0u);
    EXPECT_EQ(world_.attachedFaces, 0u);
    EXPECT_EQ(world_.attachedVertices, 0u);

    // A model an object made outlives it while a copy still holds it, and
    // goes with the last holder (the sanitizers see a use after free or a
    // leak otherwise).
    auto* made = new Model(model_);
    auto owner = std::make_unique<SceneObject>(made);
    owner->flags |= SceneObject::kFlagOwnsModel;
    SceneObject copy;
    copy = *owner;
    owner.reset();
    ASSERT_EQ(copy.model, made);
    EXPECT_EQ(made->refCount, 1u);
    copy.DetachModel();
    EXPECT_EQ(copy.model, nullptr);
}

TEST_F(SceneObjectTest, EachSharedVertexIsLitOnce) {
    SceneObject object(&model_);
    Place(object, 0.0f, 0.0f, 10.0f);
    object.Draw();
    EXPECT_EQ(light_.prepared, 1);
    EXPECT_EQ(light_.lit, 4);   // four corners, not six
    EXPECT_EQ(Fills().size(), 2u);

    // Turned away, the faces are culled and nothing is lit.
    light_.lit = 0;
    canvas_.ForgetCalls();
    object.local.RotateY(180.0f, Transform::kAllFlags);
    Place(object, 0.0f, 0.0f, 10.0f);
    object.Draw();
    EXPECT_EQ(light_.lit, 0);
    EXPECT_TRUE(Fills().empty());
}

TEST_F(SceneObjectTest, ASmoothFaceLightsAVertexAFlatFaceTransformedFirstAtItsWorldPoint) {
    // The first face is flat and reaches the shared corners 0 and 2 first;
    // the smooth face after it must still light them where they are in the
    // world, with their own normals.
    faces_[0].flags = FaceRecord::kFlatLit | FaceRecord::kCullBack;
    SceneObject object(&model_);
    Place(object, 0.0f, 0.0f, 10.0f);
    object.Draw();
    ASSERT_EQ(light_.points.size(), 4u);   // the flat face's first corner, then the smooth face's three
    for (size_t k = 0; k < light_.points.size(); ++k) {
        const MeshVertex& p = light_.points[k];
        SCOPED_TRACE(k);
        EXPECT_FLOAT_EQ(p.z, 10.0f);
        EXPECT_FLOAT_EQ(std::abs(p.x), 1.0f);
        EXPECT_FLOAT_EQ(std::abs(p.y), 1.0f);
        EXPECT_FLOAT_EQ(p.nz, -1.0f);
    }
    EXPECT_EQ(Fills().size(), 2u);
}

// Seen through an orthographic camera the back faces are judged by the
// view's direction, not from a point: the square is drawn facing the
// camera and culled turned away, wherever it stands across the view.
TEST_F(SceneObjectTest, AnOrthographicViewCullsTheFacesTurnedAway) {
    camera_.flags |= Camera::kFlagOrthographic;
    camera_.orthoWidth = 40.0f;
    camera_.UpdateProjection();
    camera_.UpdateClipPlanes();
    SceneObject object(&model_);
    Place(object, 15.0f, 0.0f, 10.0f);   // off to the side: from the eye's point it would be seen obliquely
    object.Draw();
    EXPECT_EQ(Fills().size(), 2u);
    canvas_.ForgetCalls();
    object.local.RotateY(180.0f, Transform::kAllFlags);
    Place(object, 15.0f, 0.0f, 10.0f);
    object.Draw();
    EXPECT_TRUE(Fills().empty());
}

// A face with a light floor is drawn no darker than it; the corners it
// shares keep their own light for the faces without one.
TEST_F(SceneObjectTest, ALightFloorBrightensOnlyItsOwnFace) {
    // A palette whose shades have their full level at 240.
    const std::unique_ptr<Palette> palette = MakeDistinctPalette(kPixelFormatIndexed8);
    ShadeTable shades;
    shades.pivot = 240;
    ShadeTable* const own = palette->SwapShades(&shades);
    canvas_.palette = palette.get();
    light_.intensity = 0;
    faces_[0].lightFloor = 128;
    SceneObject object(&model_);
    Place(object, 0.0f, 0.0f, 10.0f);
    object.Draw();
    canvas_.palette = nullptr;
    palette->SwapShades(own);
    const std::vector<CanvasCall> fills = canvas_.CallsOf("FillPolygonShaded");
    ASSERT_EQ(fills.size(), 2u);
    const int32_t full = 240;
    for (const ScreenVertex& v : fills[0].screen) EXPECT_NEAR(v.intensity, full * 128 / 255, 1.0f);
    for (const ScreenVertex& v : fills[1].screen) EXPECT_EQ(v.intensity, 0.0f);
}

// An object may hold materials of its own: they go with its model, but for
// the kinds it was told it shares.
TEST_F(SceneObjectTest, AnObjectsOwnMaterialsGoWithItsModelButForTheSharedKinds) {
    BitmapMaterial shared;
    SceneObject object(&model_);
    auto** const own = static_cast<Material**>(EngineAllocate(3 * sizeof(Material*)));
    ASSERT_NE(own, nullptr);
    own[0] = new Material;   // the object's own: deleted (the sanitizers see a leak otherwise)
    own[1] = &shared;        // shared bitmaps are not
    own[2] = nullptr;
    object.materials = own;
    object.materialCount = 3;
    object.flags |= SceneObject::kFlagOwnsMaterials | SceneObject::kFlagSharedBitmaps;
    object.DetachModel();
    EXPECT_EQ(object.materials, nullptr);
    EXPECT_EQ(object.materialCount, 0u);
    EXPECT_EQ(object.flags & (SceneObject::kFlagOwnsMaterials | SceneObject::kFlagSharedBitmaps), 0u);
    EXPECT_EQ(shared.kind, Material::kKindBitmap);   // still whole
}

// An object made from a mesh file owns the model it read; a file it cannot
// read leaves it without one.
TEST_F(SceneObjectTest, AnObjectMadeFromAFileOwnsTheModelItRead) {
    const ChunkBuilder b;
    const TempDir dir;
    const ChunkBuilder::Bytes mesh = TriangleMeshForm(b, "Pod");
    dir.WriteFile("pod.iff", std::string(mesh.begin(), mesh.end()));
    {
        SceneObject pod((dir.Str() + "/pod.iff").c_str(), "Pod", nullptr, nullptr, nullptr, 0);
        ASSERT_NE(pod.model, nullptr);
        EXPECT_STREQ(pod.model->name, "Pod");
        EXPECT_EQ(pod.model->faceCount, 1u);
        EXPECT_NE(pod.flags & SceneObject::kFlagOwnsModel, 0u);
    }
    SceneObject missing((dir.Str() + "/none.iff").c_str(), "Pod", nullptr, nullptr, nullptr, 0);
    EXPECT_EQ(missing.model, nullptr);
    EXPECT_EQ(missing.flags & SceneObject::kFlagOwnsModel, 0u);
    SceneObject other;
    EXPECT_NE(other.LoadModel((dir.Str() + "/pod.iff").c_str(), "Hull", nullptr, nullptr, nullptr, 0), kStatusOk);
    EXPECT_EQ(other.model, nullptr);
}

TEST_F(SceneObjectTest, TheCullKeepsEverySphereThatReachesIntoTheView) {
    // The sphere is padded by 5%: an object just past a plane by less than
    // its padded radius is drawn, one further out is not.
    const float r = camera_.sideFactor * 1.05f;
    const float side = camera_.halfWidth * 50.0f;
    struct Case {
        const char* what;
        float x, z;
        bool drawn;
    } const cases[] = {
        {"in the middle", 0.0f, 50.0f, true},
        {"past the far plane by more than its radius", 0.0f, 100.0f + camera_.sideFactor * 1.03f, true},
        {"past the far plane by more than its padding", 0.0f, 100.0f + r * 1.01f, false},
        {"behind the near plane within reach", 0.0f, 1.0f - r * 0.99f, true},
        {"wholly behind the camera", 0.0f, 1.0f - r * 1.01f, false},
        {"beside the view within reach", side + r * 0.99f, 50.0f, true},
        {"beside the view out of reach", side + r * 1.01f, 50.0f, false},
        {"on the other side out of reach", -side - r * 1.01f, 50.0f, false},
    };
    for (const Case& c : cases) {
        SceneObject object(&model_);
        Place(object, c.x, 0.0f, c.z);
        light_.prepared = 0;
        object.Draw();
        EXPECT_EQ(light_.prepared == 1, c.drawn) << c.what;
        if (!c.drawn) {
            // An object never culled is drawn wherever it is.
            object.flags |= SceneObject::kFlagNeverCulled;
            object.Draw();
            EXPECT_EQ(light_.prepared, 1) << c.what;
        }
    }
}

TEST_F(SceneObjectTest, WithoutAModelOrScratchOnlyTheChildrenDraw) {
    SceneObject parent;
    SceneObject child(&model_);
    child.AttachToParent(&parent, 0);
    Place(child, 0.0f, 0.0f, 10.0f);
    Place(parent, 0.0f, 0.0f, 0.0f);
    parent.Draw();
    EXPECT_EQ(light_.prepared, 1);
    EXPECT_EQ(Fills().size(), 2u);

    // No scratch for the parent's vertices: its faces are skipped, the
    // child (no model here) is still visited.
    SceneObject lonely(&model_);
    Place(lonely, 0.0f, 0.0f, 10.0f);
    WorldContext tiny(8, 8);
    canvas_.ForgetCalls();
    lonely.Draw();
    EXPECT_TRUE(Fills().empty());

    // No view at all: nothing to draw on, and no crash.
    PopViewContext(&view_);
    parent.Draw();
    PushViewContext(&view_);
    child.Detach(0, 0);
}

TEST_F(SceneObjectTest, TheProcessorsVectorPathDrawsTheSamePicture) {
    SceneObject object(&model_);
    object.local.RotateX(20.0f, Transform::kAllFlags);
    Place(object, 0.5f, -0.25f, 8.0f);
    object.Draw();
    const std::vector<std::string> plain = Fills();
    ASSERT_FALSE(plain.empty());
    canvas_.ForgetCalls();
    world_.flags |= WorldContext::kFlag3dNow;
    object.Draw();
    world_.flags &= ~WorldContext::kFlag3dNow;
    EXPECT_EQ(Fills(), plain);
}

TEST_F(SceneObjectTest, HitQueriesUseTheModelsBoundsWherever) {
    SceneObject object(&model_);
    object.local.RotateY(90.0f, Transform::kAllFlags);
    Place(object, 0.0f, 0.0f, 10.0f);
    const Vector3 origin{0.0f, 0.0f, 0.0f}, ahead{0.0f, 0.0f, 1.0f}, up{0.0f, 1.0f, 0.0f};
    EXPECT_NEAR(object.RayDistance(&origin, &ahead, 1), 9.0f, 1e-3f);
    // Turned a quarter, the thin box's wide side faces the ray.
    EXPECT_NEAR(object.RayDistance(&origin, &ahead, 0), 9.0f, 1e-3f);
    EXPECT_EQ(object.RayDistance(&origin, &up, 0), 0.0f);
    const Vector3 inside{0.0f, 0.5f, 10.5f}, beside{0.0f, 3.0f, 10.0f};
    EXPECT_EQ(object.ContainsPoint(&inside, 0.0f, 0), 1);
    EXPECT_EQ(object.ContainsPoint(&beside, 0.5f, 0), 0);
    EXPECT_EQ(object.ContainsPoint(&beside, 2.5f, 0), 1);
}

// The box: its outline and its faces.
TEST_F(SceneObjectTest, ABoxOutlineIsTwelveEdgesInFrontOfTheCamera) {
    const BoundingBox box{{-1.0f, -1.0f, 9.0f}, {1.0f, 1.0f, 11.0f}};
    box.DrawOutline(nullptr, 7);
    const std::vector<CanvasCall> edges = canvas_.CallsOf("DrawLineClippedInt");
    ASSERT_EQ(edges.size(), 12u);
    for (const CanvasCall& edge : edges) {
        ASSERT_EQ(edge.view.size(), 2u);
        // Every edge joins two distinct corners on the canvas.
        EXPECT_NE(edge.view[0].screenX * 1000 + edge.view[0].screenY,
                  edge.view[1].screenX * 1000 + edge.view[1].screenY);
        EXPECT_EQ(edge.view[0].colour, 7u);
    }
    // A model's box placed by its object's transform is the same outline.
    const std::vector<CanvasCall> direct = edges;
    canvas_.ForgetCalls();
    Transform placed;
    placed.SetPositionXyz(0.0f, 0.0f, 10.0f, Transform::kAllFlags);
    const BoundingBox local{{-1.0f, -1.0f, -1.0f}, {1.0f, 1.0f, 1.0f}};
    local.DrawOutline(&placed, 7);
    const std::vector<CanvasCall> moved = canvas_.CallsOf("DrawLineClippedInt");
    ASSERT_EQ(moved.size(), 12u);
    for (size_t i = 0; i < moved.size(); ++i) EXPECT_EQ(moved[i].text, direct[i].text);
    canvas_.ForgetCalls();
    const BoundingBox throughTheFarPlane{{-1.0f, -1.0f, 90.0f}, {1.0f, 1.0f, 110.0f}};
    throughTheFarPlane.DrawOutline(nullptr, 7);
    EXPECT_TRUE(canvas_.CallsOf("DrawLineClippedInt").empty());
}

TEST_F(SceneObjectTest, ABoxShowsOnlyTheFaceTurnedToTheCamera) {
    BoxObject box;
    box.SetSize(2.0f);
    for (int f = 0; f < BoxObject::kFaces; ++f) box.SetFaceMaterial(uint32_t(10 + f), f);
    box.SetFaceMaterial(99, BoxObject::kFaces);   // past the faces: nothing
    box.placement.SetPositionXyz(0.0f, 0.0f, 10.0f, Transform::kAllFlags);
    box.Draw();
    const std::vector<std::string> fills = Fills();
    ASSERT_EQ(fills.size(), 2u);
    for (const CanvasCall& call : canvas_.Calls()) {
        if (call.op.rfind("FillPolygon", 0) == 0) {
            EXPECT_EQ(call.screen.at(0).colour, 12u) << call.text;
        }
    }
    // Every face one colour, and the near one textured.
    box.SetFaceMaterial(4, -1);
    Material material;
    PixelImage picture;
    material.image = &picture;
    box.SetFaceMaterialB(&material, 2);
    canvas_.ForgetCalls();
    box.Draw();
    const std::vector<CanvasCall> textured = canvas_.CallsOf("FillPolygonTextured");
    EXPECT_EQ(textured.size(), 2u);
    box.SetFaceMaterialB(nullptr, -1);
    material.image = nullptr;
}

// A box steps the materials of its faces each frame, but for those not to
// be stepped; a box assigned from it draws the same and borrows its
// materials, giving up its own.
TEST_F(SceneObjectTest, ABoxStepsItsFaceMaterialsAndAnAssignedBoxBorrowsThem) {
    struct Stepped : Material {
        int32_t Animate() override { return ++steps; }
        int steps = 0;
    };
    // The box's own materials, deleted with it (the sanitizers see a leak
    // or a use after a free otherwise).
    auto* const flame = new Stepped;
    auto* const still = new Stepped;
    still->flags |= Material::kFlagNotStepped;
    BoxObject box;
    box.SetSize(2.0f);
    box.SetFaceMaterial(7, -1);
    box.SetFaceMaterialB(flame, 0);
    box.SetFaceMaterialB(still, 1);
    box.faceMaterials[3] = new Material;
    box.flags |= BoxObject::kFlagOwnsMaterials;
    box.placement.SetPositionXyz(0.0f, 0.0f, 10.0f, Transform::kAllFlags);
    box.Update();
    box.Update();
    EXPECT_EQ(flame->steps, 2);
    EXPECT_EQ(still->steps, 0);

    box.Draw();
    const std::vector<std::string> original = Fills();
    ASSERT_FALSE(original.empty());
    {
        BoxObject copy;
        copy.faceMaterials[0] = new Material;   // its own, given up by the assignment
        copy.flags |= BoxObject::kFlagOwnsMaterials;
        copy.Assign(box);
        copy.Assign(copy);
        EXPECT_EQ(copy.faceMaterials[0], flame);
        EXPECT_EQ(copy.faceMaterials[3], box.faceMaterials[3]);
        EXPECT_EQ(copy.flags & BoxObject::kFlagOwnsMaterials, 0u);
        canvas_.ForgetCalls();
        copy.Draw();
        EXPECT_EQ(Fills(), original);
    }
    box.Update();
    EXPECT_EQ(flame->steps, 3);   // outlived the copy
}

}  // namespace
