// A crowded flight (36 ships, 12 rocks, 640 x 480) under a battle's light
// chain, most of its lights off or out of reach. Meshes, palette and lights
// are made here, so the pictures depend on the drawing path alone: passing
// over dark lights must add exactly what the whole walk adds.
//
// To regenerate on purpose, from the build directory:
//   VORN_UPDATE_GOLDEN=1 ./tests/scene/scene_tests --gtest_filter='*CrowdedLightsPicture*'
// and look at tests/golden/crowd*.ppm before keeping them.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

#include "canvas/ScreenCanvas16.h"
#include "canvas/ScreenCanvas8.h"
#include "display/InverseColorTable.h"
#include "display/Palette.h"
#include "display/PixelFormat.h"
#include "scene/Camera.h"
#include "scene/FaceRecord.h"
#include "scene/Light.h"
#include "scene/Model.h"
#include "scene/OstrelSystem.h"
#include "scene/SceneObject.h"
#include "scene/ViewContext.h"
#include "tests/support/GoldenImage.h"

namespace {

constexpr int32_t kWidth = 640;
constexpr int32_t kHeight = 480;
constexpr uint32_t kPivot = 16;
constexpr int kShips = 36;
constexpr int kRocks = 12;
constexpr uint32_t kObjectSpace = 0x8000;   // the camera lights objects in their own space

// Colour i of the palette: a 6 x 6 x 6 cube (36 r + 6 g + b), then greys.
std::vector<PaletteColor> Colours() {
    std::vector<PaletteColor> colours(Palette::kColorCount);
    for (int i = 0; i < 216; ++i) {
        colours[size_t(i)] = PaletteColor{uint8_t(51 * (i / 36)), uint8_t(51 * (i / 6 % 6)), uint8_t(51 * (i % 6)), 0};
    }
    for (int i = 216; i < Palette::kColorCount; ++i) {
        const uint8_t grey = uint8_t((i - 215) * 255 / 41);
        colours[size_t(i)] = PaletteColor{grey, grey, grey, 0};
    }
    return colours;
}

// The palette with a shade table whose pivot is level 16: indices for the
// 8-bit canvas, 5-6-5 pixels for the 16-bit one.
class ShadedPalette {
public:
    explicit ShadedPalette(int32_t format)
        : rows8_(Palette::kShadeEntries), rows16_(Palette::kShadeEntries), palette_(Palette::Create(format)) {
        const std::vector<PaletteColor> colours = Colours();
        const bool indexed = format == kPixelFormatIndexed8;
        void* rows = indexed ? static_cast<void*>(rows8_.data()) : static_cast<void*>(rows16_.data());
        shades_ = ShadeTable{rows, Palette::kShadeShift, Palette::kShadeLevels, kPivot << 3, nullptr};
        palette_->SetTables(InverseColorTable::kFlagBuild, colours.data(), &shades_);
        for (uint32_t c = 0; c < uint32_t(Palette::kColorCount); ++c) {
            if (!indexed) {
                PaletteRgb565::BuildShadeRamp(&rows16_[c * 32], 32, colours[c], kPivot);
                continue;
            }
            for (uint32_t level = 0; level < 32; ++level) {
                const auto channel = [level](uint8_t v) {
                    return level <= kPivot ? uint32_t(v * level / kPivot) : v + (255u - v) * (level - kPivot) / 32u;
                };
                const PaletteColor& k = colours[c];
                rows8_[c * 32 + level] =
                    palette_->MatchColor(channel(k.red) | channel(k.green) << 8 | channel(k.blue) << 16);
            }
        }
    }
    Palette* Get() const { return palette_.get(); }

private:
    std::vector<uint8_t> rows8_;
    std::vector<uint16_t> rows16_;
    ShadeTable shades_{};
    std::unique_ptr<Palette> palette_;
};

Vector3 Unit(Vector3 v) {
    const float length = std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
    return length > 0.0f ? Vector3{v.x / length, v.y / length, v.z / length} : v;
}

// A mesh made in code; its arrays are the test's, not the model's.
struct Mesh {
    std::vector<MeshVertex> vertices;
    std::vector<FaceRecord> faces;
    Model model;

    void Vertex(Vector3 at, Vector3 normal) {
        const Vector3 n = Unit(normal);
        vertices.push_back(MeshVertex{at.x, at.y, at.z, 0.0f, n.x, n.y, n.z, 0.0f});
    }
    // A triangle wound so that its normal points away from `inside`.
    void Face(uint16_t a, uint16_t b, uint16_t c, uint32_t flags, uint32_t colour, Vector3 inside) {
        const MeshVertex &p = vertices[a], &q = vertices[b], &r = vertices[c];
        const Vector3 u{q.x - p.x, q.y - p.y, q.z - p.z}, v{r.x - p.x, r.y - p.y, r.z - p.z};
        Vector3 n = Unit({u.y * v.z - u.z * v.y, u.z * v.x - u.x * v.z, u.x * v.y - u.y * v.x});
        const Vector3 out{p.x - inside.x, p.y - inside.y, p.z - inside.z};
        FaceRecord face;
        face.flags = flags, face.a = a, face.b = b, face.c = c, face.colour = colour;
        if (n.x * out.x + n.y * out.y + n.z * out.z < 0.0f) {
            std::swap(face.b, face.c);
            n = {-n.x, -n.y, -n.z};
        }
        face.normal[0] = n.x, face.normal[1] = n.y, face.normal[2] = n.z;
        faces.push_back(face);
    }
    void Finish(const char* name) {
        std::strncpy(model.name, name, Model::kNameLength);
        model.vertices = vertices.data();
        model.vertexCount = uint32_t(vertices.size());
        model.faces = faces.data();
        model.faceCount = uint32_t(faces.size());
        float radius = 0.0f;
        for (const MeshVertex& v : vertices) radius = std::max(radius, std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z));
        model.sphere.centre = {0.0f, 0.0f, 0.0f};
        model.sphere.radius = radius;
        model.box = {{-radius, -radius, -radius}, {radius, radius, radius}};
    }
};

constexpr uint32_t kSmooth = FaceRecord::kGouraud | FaceRecord::kCullBack;
constexpr uint32_t kFlat = FaceRecord::kFlatLit | FaceRecord::kCullBack;

// A fighter along +z: a six-sided body from nose to tail, smooth in front
// and flat behind, one panel lit the other way, and two flat wings seen
// from both sides.
void BuildShip(Mesh& mesh, uint32_t colour) {
    mesh.Vertex({0.0f, 0.0f, 10.0f}, {0.0f, 0.0f, 1.0f});
    for (int i = 0; i < 6; ++i) {
        const float a = float(i) * 1.0471976f;
        mesh.Vertex({3.0f * std::cos(a), 2.0f * std::sin(a), 3.0f}, {std::cos(a), std::sin(a), 0.6f});
    }
    for (int i = 0; i < 6; ++i) {
        const float a = float(i) * 1.0471976f;
        mesh.Vertex({2.2f * std::cos(a), 1.5f * std::sin(a), -6.0f}, {std::cos(a), std::sin(a), -0.3f});
    }
    mesh.Vertex({0.0f, 0.0f, -8.0f}, {0.0f, 0.0f, -1.0f});
    mesh.Vertex({9.0f, 0.0f, -5.0f}, {0.0f, 1.0f, 0.0f});
    mesh.Vertex({-9.0f, 0.0f, -5.0f}, {0.0f, 1.0f, 0.0f});
    const Vector3 centre{0.0f, 0.0f, 0.0f};
    for (uint16_t i = 0; i < 6; ++i) {
        const uint16_t r1 = uint16_t(1 + i), r1n = uint16_t(1 + (i + 1) % 6);
        const uint16_t r2 = uint16_t(7 + i), r2n = uint16_t(7 + (i + 1) % 6);
        mesh.Face(0, r1, r1n, kSmooth, colour, centre);
        const uint32_t side = i == 2 ? kSmooth | FaceRecord::kAltLight : i % 2 == 0 ? kSmooth : kFlat;
        mesh.Face(r1, r2, r1n, side, colour, centre);
        mesh.Face(r1n, r2, r2n, side, colour, centre);
        mesh.Face(13, r2n, r2, kFlat, 215, centre);
    }
    mesh.Face(7, 14, 10, FaceRecord::kFlatLit, 180, {0.0f, -1.0f, -5.0f});
    mesh.Face(10, 15, 7, FaceRecord::kFlatLit, 180, {0.0f, -1.0f, -5.0f});
    mesh.Finish("Dart");
}

// A rock: an octahedron pulled out of true, smooth and seen from outside.
void BuildRock(Mesh& mesh) {
    const Vector3 corners[6] = {{7, 0, 0}, {-5, 1, 0}, {0, 6, 1}, {1, -5, 0}, {0, 0, 6}, {-1, 0, -7}};
    for (const Vector3& c : corners) mesh.Vertex(c, c);
    const uint16_t faces[8][3] = {{0, 2, 4}, {2, 1, 4}, {1, 3, 4}, {3, 0, 4}, {2, 0, 5}, {1, 2, 5}, {3, 1, 5}, {0, 3, 5}};
    for (int i = 0; i < 8; ++i) mesh.Face(faces[i][0], faces[i][1], faces[i][2], kSmooth, 100 + uint32_t(i % 3), {0, 0, 0});
    mesh.Finish("Rock");
}

// One golden picture: the canvas's pixel format, the camera's flags.
struct Picture {
    int32_t format;
    uint32_t cameraFlags;
    const char* golden;
};

class CrowdedLightsPicture : public ::testing::TestWithParam<Picture> {
protected:
    void SetUp() override {
        ASSERT_EQ(engine_.Start(OstrelSystem::kGameArenaSize1, OstrelSystem::kGameArenaSize2, nullptr), kStatusOk);
        BuildShip(blue_, 23);
        BuildShip(red_, 180);
        BuildRock(rock_);
        // Two wings face each other across the field; rocks drift between.
        for (int i = 0; i < kShips; ++i) {
            const bool hostile = i % 2 == 1;
            auto ship = std::make_unique<SceneObject>(hostile ? &red_.model : &blue_.model);
            const float x = -150.0f + float(i % 9) * 37.0f;
            const float y = -40.0f + float(i / 9) * 27.0f + (hostile ? 6.0f : 0.0f);
            const float z = (hostile ? 150.0f : 30.0f) + float((i * 7) % 5) * 12.0f;
            ship->local.RotateY(hostile ? 3.14159f + 0.1f * float(i % 4) : 0.2f * float(i % 5 - 2), Transform::kAllFlags);
            ship->local.RotateAboutForward(0.3f * float(i % 3 - 1), Transform::kAllFlags);
            ship->local.RotateX(0.25f * float(i % 4 - 1), Transform::kAllFlags);
            ship->local.Scale(1.8f, Transform::kAllFlags);
            ship->local.SetPositionXyz(x, y, z, Transform::kAllFlags);
            objects_.push_back(std::move(ship));
        }
        for (int i = 0; i < kRocks; ++i) {
            auto rock = std::make_unique<SceneObject>(&rock_.model);
            rock->local.RotateX(0.7f * float(i), Transform::kAllFlags);
            rock->local.Scale(0.8f + 0.15f * float(i % 4), Transform::kAllFlags);
            rock->local.SetPositionXyz(-130.0f + float(i) * 24.0f, 30.0f - float(i % 3) * 35.0f, 95.0f + float(i % 4) * 8.0f,
                                       Transform::kAllFlags);
            objects_.push_back(std::move(rock));
        }
        for (size_t i = 0; i + 1 < objects_.size(); ++i) objects_[i]->next = objects_[i + 1].get();
        for (auto& object : objects_) {
            object->UpdateWorldTransform(0xFF);
            object->UpdateBounds(0, 0);
        }
        Light* const ambient = Add(std::make_unique<Light>());
        ambient->intensity = 40;
        Add(std::make_unique<VectorLight>(Vector3{-0.4f, -0.6f, 0.7f}));
        // A weapon flash at every ship, reaching a little past its hull; one in five has just fired.
        for (int i = 0; i < kShips; ++i) {
            Light* const flash = Add(std::make_unique<FrameAttenuatedLight>(At(size_t(i)), 0.0f, 40.0f));
            if (i % 5 != 0) flash->flags |= Light::kFlagOff;
        }
        // A wreck's glow among the hostile wing, a bolt between two near ships, a searchlight and a dark spot.
        Add(std::make_unique<FrameAttenuatedLight>(Vector3{20.0f, 0.0f, 170.0f}, 30.0f, 400.0f))->intensity = 90;
        Add(std::make_unique<AttenuatedLight>(Vector3{-95.0f, -38.0f, 40.0f}, 5.0f, 20.0f));
        Add(std::make_unique<FrameSpotLight>(Vector3{0.0f, 80.0f, 260.0f}, 0.0f, 600.0f, Vector3{0.0f, -0.4f, -1.0f},
                                             20.0f, 35.0f));
        Add(std::make_unique<SpotLight>(Vector3{0.0f, 0.0f, -50.0f}, 0.0f, 900.0f, Vector3{0.0f, 0.0f, 1.0f}, 30.0f,
                                        40.0f))->flags |= Light::kFlagOff;
        // The chain's last light is off: it still clamps.
        Add(std::make_unique<FrameAttenuatedLight>(At(3), 0.0f, 40.0f))->flags |= Light::kFlagOff;
    }
    void TearDown() override {
        for (auto& object : objects_) object->next = nullptr;
        objects_.clear();
        while (!lights_.empty()) lights_.pop_back();   // the chain unlinks itself as it goes
    }

    Light* Add(std::unique_ptr<Light> light) {
        if (!lights_.empty()) light->InsertAfter(lights_.back().get());
        lights_.push_back(std::move(light));
        return lights_.back().get();
    }

    Vector3 At(size_t object) const {
        Vector3 at;
        objects_[object]->world.matrix.GetTranslation(&at);
        return at;
    }

    void Draw(Canvas& canvas, uint32_t cameraFlags) {
        Camera camera(&canvas);
        camera.flags = cameraFlags;
        camera.SetPosition({-10.0f, 45.0f, -60.0f});
        camera.LookAt({0.0f, -5.0f, 110.0f}, Camera::kAllFlags);
        camera.background = canvas.palette->MatchColor(0x180808);
        ViewContext view;
        view.camera = &camera;
        view.lights = lights_.front().get();
        view.objectList = objects_.front().get();
        PushViewContext(&view);
        ASSERT_EQ(camera.BeginFrame(), 0u);
        camera.DrawScene();
        camera.EndFrame();
        PopViewContext(&view);
    }

    OstrelSystem engine_{OstrelSystem::kGameHeapSize, OstrelSystem::kGameHeapMode};
    Mesh blue_, red_, rock_;
    std::vector<std::unique_ptr<SceneObject>> objects_;
    std::vector<std::unique_ptr<Light>> lights_;
};

TEST_P(CrowdedLightsPicture, MatchesItsGolden) {
    const Picture& picture = GetParam();
    ShadedPalette palette(picture.format);
    std::unique_ptr<Canvas> canvas;
    if (picture.format == kPixelFormatIndexed8) {
        canvas = std::make_unique<ScreenCanvas8>(kWidth, kHeight, nullptr, nullptr, palette.Get(), Canvas::kFlagHasDepth, 0, 0);
    } else {
        canvas = std::make_unique<ScreenCanvas16>(kWidth, kHeight, nullptr, nullptr, palette.Get(), Canvas::kFlagHasDepth, 0, 0);
    }
    ASSERT_EQ(canvas->setupResult, kStatusOk);
    canvas->EnableDepthTest();
    Draw(*canvas, picture.cameraFlags);
    EXPECT_TRUE(MatchesGolden(*canvas, picture.golden));
}

INSTANTIATE_TEST_SUITE_P(Goldens, CrowdedLightsPicture,
                         ::testing::Values(Picture{kPixelFormatRgb565, Camera::kFlightFlags, "crowd16"},
                                           Picture{kPixelFormatRgb565, Camera::kFlightFlags & ~kObjectSpace, "crowd16_world"},
                                           Picture{kPixelFormatIndexed8, Camera::kFlightFlags, "crowd8"}),
                         [](const auto& info) { return std::string(info.param.golden); });

}  // namespace
