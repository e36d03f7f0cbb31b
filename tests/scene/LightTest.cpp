#include "scene/Light.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "display/Palette.h"
#include "display/PixelFormat.h"
#include "engine/MathRoutineTable.h"
#include "scene/Camera.h"
#include "scene/Model.h"
#include "scene/RenderVertex.h"
#include "scene/Transform.h"
#include "scene/ViewContext.h"
#include "tests/support/ChunkBuilder.h"
#include "tests/support/RecordingCanvas.h"
#include "tests/support/ScopedEngineHeap.h"
#include "tests/support/TempDir.h"

namespace {

constexpr uint32_t kObjectSpace = 0x8000;
constexpr float kPi = 3.14159265f;

MeshVertex At(float x, float y, float z, float nx, float ny, float nz) { return {x, y, z, 0.0f, nx, ny, nz, 0.0f}; }

// Lights vertices under a camera whose canvas palette has its shade pivot
// at level 240, the software canvases' full brightness.
class LightTest : public ::testing::Test {
protected:
    void SetUp() override {
        palette_.reset(Palette::Create(kPixelFormatIndexed8));
        ASSERT_NE(palette_, nullptr);
        shades_.pivot = 240;
        displaced_ = palette_->SwapShades(&shades_);
        canvas_ = std::make_unique<RecordingCanvas>(100, 100, palette_.get());
        camera_.SetCanvas(canvas_.get());
        view_.camera = &camera_;
        PushViewContext(&view_);
    }
    void TearDown() override {
        PopViewContext(&view_);
        palette_->SwapShades(displaced_);
    }

    // The chain's result for one vertex, after preparing it for `placement`.
    static int32_t Lit(Light& chain, const MeshVertex& point, int32_t twoSided = 0,
                       const Transform* placement = nullptr, bool alt = false) {
        chain.Prepare(placement);
        RenderVertex vertex;
        vertex.intensity = 0;
        if (alt) {
            chain.LightVertexAlt(point, vertex, twoSided);
        } else {
            chain.LightVertex(point, vertex, twoSided);
        }
        return vertex.intensity;
    }

    const ScopedEngineHeap heap_{4 * 1024 * 1024};
    std::unique_ptr<Palette> palette_;
    ShadeTable shades_;
    ShadeTable* displaced_ = nullptr;
    std::unique_ptr<RecordingCanvas> canvas_;
    Camera camera_;
    ViewContext view_;
};

TEST_F(LightTest, AmbientLevelsFollowThePaletteAndClampAtTheEnds) {
    Light ambient;
    ambient.intensity = 255;
    EXPECT_EQ(Lit(ambient, At(0, 0, 0, 0, 0, 1)), 240);
    EXPECT_EQ(Lit(ambient, At(0, 0, 0, 0, 0, 1), 0, nullptr, true), Light::kAltFullLevel);
    // A second light past full brightness is clamped by the last one.
    Light second;
    second.intensity = 128;
    second.InsertAfter(&ambient);
    EXPECT_EQ(Lit(ambient, At(0, 0, 0, 0, 0, 1)), 240);
    second.Unlink();
    ambient.flags |= Light::kFlagNegative;
    EXPECT_EQ(Lit(ambient, At(0, 0, 0, 0, 0, 1)), 0);
    // Switched off, it adds nothing; the chain still clamps.
    ambient.flags = Light::kFlagOff;
    EXPECT_EQ(Lit(ambient, At(0, 0, 0, 0, 0, 1)), 0);
}

TEST_F(LightTest, PrepareWithoutAPaletteKeepsThePreviousFullLevel) {
    Light ambient;
    ambient.intensity = 255;
    ASSERT_EQ(Lit(ambient, At(0, 0, 0, 0, 0, 1)), 240);
    PopViewContext(&view_);
    EXPECT_EQ(Lit(ambient, At(0, 0, 0, 0, 0, 1)), 240);
    PushViewContext(&view_);
    palette_->SwapShades(nullptr);
    EXPECT_EQ(Lit(ambient, At(0, 0, 0, 0, 0, 1)), 240);
    palette_->SwapShades(&shades_);
}

TEST_F(LightTest, VectorLightsShineOnTheFacesTurnedToThem) {
    // Light travelling down -z: it reaches faces whose normal points +z.
    VectorLight light(Vector3{0.0f, 0.0f, -1.0f});
    const float c60 = std::cos(60.0f * kPi / 180.0f), s60 = std::sin(60.0f * kPi / 180.0f);
    struct Case {
        const char* what;
        MeshVertex point;
        int32_t twoSided;
        int32_t expected;
    } const cases[] = {
        {"facing", At(0, 0, 0, 0, 0, 1), 0, 240},
        {"sixty degrees off", At(0, 0, 0, s60, 0, c60), 0, 120},
        {"edge on", At(0, 0, 0, 1, 0, 0), 0, 0},
        {"turned away", At(0, 0, 0, 0, 0, -1), 0, 0},
        {"turned away, two-sided", At(0, 0, 0, 0, 0, -1), 1, 240},
    };
    for (const Case& c : cases) {
        EXPECT_NEAR(Lit(light, c.point, c.twoSided), c.expected, 1) << c.what;
    }
}

TEST_F(LightTest, AttenuationFallsFromTheInnerToTheOuterRange) {
    // Inner range 30, outer 200: half at 115, nothing from 200 on, and
    // nothing at the light itself where there is no direction.
    struct Case {
        float distance;
        int32_t expected;
    } const cases[] = {{20.0f, 240}, {115.0f, 120}, {199.0f, 1}, {200.0f, 0}, {250.0f, 0}, {0.0f, 0}};
    for (const Case& c : cases) {
        const MeshVertex point = At(0, 0, 0, 0, 0, 1);
        FrameAttenuatedLight frame(Vector3{0.0f, 0.0f, c.distance}, 30.0f, 200.0f);
        AttenuatedLight perVertex(Vector3{0.0f, 0.0f, c.distance}, 30.0f, 200.0f);
        Transform origin;
        EXPECT_NEAR(Lit(frame, point, 0, &origin), c.expected, 1) << "frame light at " << c.distance;
        EXPECT_NEAR(Lit(perVertex, point), c.expected, 1) << "vertex light at " << c.distance;
    }
}

TEST_F(LightTest, SpotsEndAtTheirOuterAngle) {
    // A spot 10 units above the vertex pointing straight down, cone 44 to
    // 45 degrees; the vertex faces the light. Moving the vertex sideways
    // turns the angle between the spot's axis and the vertex.
    const auto lit = [&](float degrees, bool frame) {
        const float side = 10.0f * std::tan(degrees * kPi / 180.0f);
        const Vector3 position{side, 10.0f, 0.0f};
        const Vector3 down{0.0f, -1.0f, 0.0f};
        // The normal points at the light so that only the cone decides.
        const float length = std::sqrt(side * side + 100.0f);
        const MeshVertex point = At(0, 0, 0, side / length, 10.0f / length, 0);
        if (frame) {
            FrameSpotLight light(position, 1000.0f, 2000.0f, down, 44.0f, 45.0f);
            Transform origin;
            return Lit(light, point, 0, &origin);
        }
        SpotLight light(position, 1000.0f, 2000.0f, down, 44.0f, 45.0f);
        return Lit(light, point);
    };
    for (const bool frame : {true, false}) {
        EXPECT_EQ(lit(0.0f, frame), 240) << frame;
        EXPECT_EQ(lit(43.0f, frame), 240) << frame;
        EXPECT_NEAR(lit(44.5f, frame), 120, 6) << frame;
        EXPECT_EQ(lit(45.0f, frame), 0) << frame;
        EXPECT_EQ(lit(60.0f, frame), 0) << frame;
    }
}

TEST_F(LightTest, ObjectSpaceLightingMatchesWorldSpaceLighting) {
    // An object moved and turned: lighting its vertex in its own space must
    // give what lighting the same vertex carried into the world gives.
    Transform placement;
    placement.RotateY(35.0f, Transform::kAllFlags);
    placement.RotateX(-20.0f, Transform::kAllFlags);
    placement.SetPositionXyz(3.0f, -2.0f, 5.0f, Transform::kAllFlags);
    const MeshVertex local = At(0.5f, 1.0f, -0.5f, 0.0f, 0.6f, 0.8f);
    Vector3 p{local.x, local.y, local.z}, n{local.nx, local.ny, local.nz}, wp, wn;
    g_mathRoutineTable.transformPoint(&p, &placement.matrix, &wp);
    g_mathRoutineTable.transformVector(&n, &placement.matrix, &wn);
    const MeshVertex inWorld = At(wp.x, wp.y, wp.z, wn.x, wn.y, wn.z);

    const Vector3 where{8.0f, 9.0f, 4.0f};
    const Vector3 down{-0.5f, -1.0f, 0.1f};
    struct Case {
        const char* what;
        std::function<std::unique_ptr<Light>()> make;
    } const cases[] = {
        {"vector", [] { return std::make_unique<VectorLight>(Vector3{-0.3f, -0.8f, -0.4f}); }},
        {"frame point", [&] { return std::make_unique<FramePointLight>(where); }},
        {"frame attenuated", [&] { return std::make_unique<FrameAttenuatedLight>(where, 2.0f, 30.0f); }},
        {"frame spot", [&] { return std::make_unique<FrameSpotLight>(where, 2.0f, 30.0f, down, 30.0f, 60.0f); }},
        {"point", [&] { return std::make_unique<PointLight>(where); }},
        {"attenuated", [&] { return std::make_unique<AttenuatedLight>(where, 2.0f, 30.0f); }},
        {"spot", [&] { return std::make_unique<SpotLight>(where, 2.0f, 30.0f, down, 30.0f, 60.0f); }},
    };
    for (const Case& c : cases) {
        const std::unique_ptr<Light> light = c.make();
        light->intensity = 200;
        camera_.flags = 0;
        const int32_t world = Lit(*light, inWorld, 0, &placement);
        camera_.flags = kObjectSpace;
        const int32_t object = Lit(*light, local, 0, &placement);
        EXPECT_NEAR(object, world, 1) << c.what;
        EXPECT_GT(world, 10) << c.what << ": the case must light the vertex to mean anything";
    }
}

// Light records as the scene files carry them.
class LightRecordTest : public LightTest {
protected:
    static void Name(std::vector<uint8_t>& record, const char* name) {
        std::memcpy(record.data(), name, std::strlen(name));
    }
    static void Word(std::vector<uint8_t>& record, size_t at, uint32_t word) {
        for (int i = 0; i < 4; ++i) record[at + i] = uint8_t(word >> (8 * i));
    }
    static uint32_t FloatWord(float f) {
        uint32_t w;
        std::memcpy(&w, &f, sizeof w);
        return w;
    }
    // A vector record: name, flags, direction, colour 0x302010.
    static std::vector<uint8_t> VectorRecord(const char* name, bool fixed, size_t bytes = 48) {
        std::vector<uint8_t> r(bytes);
        Name(r, name);
        const float direction[3] = {0.0f, -3.0f, 0.0f};
        for (int i = 0; i < 3 && 32 + 4 <= bytes; ++i) {
            Word(r, 20 + 4 * i, fixed ? uint32_t(int32_t(direction[i] * 65536.0f)) : FloatWord(direction[i]));
        }
        if (bytes >= 36) Word(r, 32, 0x302010);
        return r;
    }
    std::string Write(const std::vector<uint8_t>& bytes) {
        dir_.WriteFile("lights.iff", std::string(bytes.begin(), bytes.end()));
        return dir_.Str() + "/lights.iff";
    }
    const TempDir dir_;
    const ChunkBuilder b_;
};

TEST_F(LightRecordTest, FixedAndFloatRecordsGiveTheSameLight) {
    const std::string fixedFile =
        Write(b_.Form("ESEN", {b_.Chunk("EAMB", std::vector<uint8_t>(32)), b_.Chunk("EVEC", VectorRecord("Sun", true))}));
    VectorLight fromFixed(fixedFile.c_str(), "Sun");
    const std::string floatFile = Write(b_.Chunk("EVE1", VectorRecord("Sun", false)));
    VectorLight fromFloat(floatFile.c_str(), "Sun");
    for (const VectorLight* light : {&fromFixed, &fromFloat}) {
        EXPECT_STREQ(light->name, "Sun");
        EXPECT_EQ(light->intensity, 0x30);   // the brightest channel
        EXPECT_NEAR(light->direction.y, -1.0f, 1e-4f);
    }
    // Read as a light, the record lights what faces up.
    EXPECT_NEAR(Lit(fromFloat, At(0, 0, 0, 0, 1, 0)), 240 * 0x30 / 255, 1);
}

TEST_F(LightRecordTest, BadRecordsAndFilesEndInTheirCodes) {
    struct Case {
        const char* what;
        std::vector<uint8_t> file;
        const char* name;
        Status expected;
    } const cases[] = {
        {"another name", b_.Chunk("EVEC", VectorRecord("Sun", true)), "Moon", kStatusLightNotFound},
        {"a name equal in its sixteen bytes",
         b_.Chunk("EVEC", VectorRecord("ABCDEFGHIJKLMNOP", true)), "ABCDEFGHIJKLMNOPQ", kStatusOk},
        {"a record too short", b_.Chunk("EVEC", VectorRecord("Sun", true, 40)), "Sun", kStatusLightBadSize},
        {"another kind only", b_.Chunk("EPNT", VectorRecord("Sun", true)), "Sun", kStatusLightNotFound},
        {"a truncated chunk", ChunkBuilder::Join({b_.Header("EVEC", 48), VectorRecord("Sun", true, 20)}), "Sun",
         kStatusLightReadFailed},
        {"a truncated scene", ChunkBuilder::Join({b_.Header("FORM", 200), ChunkBuilder::Text("ESEN"),
                                                  b_.Chunk("EAMB", std::vector<uint8_t>(32))}),
         "Sun", kStatusLightReadFailed},
        {"an empty file", {}, "Sun", kStatusLightNotFound},
    };
    for (const Case& c : cases) {
        const std::string path = Write(c.file);
        VectorLight light;
        EXPECT_EQ(light.Load(path.c_str(), c.name), c.expected) << c.what;
    }
    VectorLight light;
    EXPECT_EQ(light.Load((dir_.Str() + "/missing.iff").c_str(), "Sun"), kStatusLightReadFailed);
}

}  // namespace
