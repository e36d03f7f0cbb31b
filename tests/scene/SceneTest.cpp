#include "scene/Scene.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <typeinfo>
#include <utility>
#include <vector>

#include "engine/ByteOrder.h"
#include "engine/WorldContext.h"
#include "scene/Camera.h"
#include "scene/DerivedCamera.h"
#include "scene/JointedObject.h"
#include "scene/Light.h"
#include "scene/Material.h"
#include "scene/SceneObject.h"
#include "tests/support/ChunkBuilder.h"
#include "tests/support/MeshForm.h"
#include "tests/support/ScopedEngineHeap.h"
#include "tests/support/TempDir.h"

namespace {

using Bytes = ChunkBuilder::Bytes;

Bytes Named(size_t size, const char* name) {
    Bytes b(size, 0);
    std::memcpy(b.data(), name, std::min<size_t>(16, std::strlen(name)));
    return b;
}

uint32_t FloatWord(float f) {
    uint32_t w;
    std::memcpy(&w, &f, sizeof w);
    return w;
}

class SceneTest : public ::testing::Test {
protected:
    // A one-triangle mesh, with a parent name when given.
    Bytes Mesh(const char* name, const char* parent = nullptr) const { return TriangleMeshForm(b_, name, parent); }
    Bytes Header(const char* name, uint32_t cameras, uint32_t objects, uint32_t lights, size_t size = 64) const {
        Bytes h = Named(size, name);
        if (size >= 64) {
            StoreLe32(h.data() + 16, cameras);
            StoreLe32(h.data() + 20, objects);
            StoreLe16(h.data() + 40, uint16_t(lights));   // one of the seven light counts
        }
        return b_.Chunk("HDR ", h);
    }
    Bytes CameraRecord(const char* tag, const char* name, bool fixed) const {
        Bytes r = Named(64, name);
        const float values[10] = {1.0f, 2.0f, 3.0f, 0.0f, 0.0f, 1.0f, 0.0f, 1.0f, 0.0f, 60.0f};
        for (int i = 0; i < 10; ++i) {
            StoreLe32(r.data() + 20 + 4 * i, fixed ? uint32_t(int32_t(values[i] * 65536.0f)) : FloatWord(values[i]));
        }
        return b_.Chunk(tag, r);
    }
    Bytes Ambient() const {
        Bytes r = Named(32, "Amb");
        StoreLe32(r.data() + 20, 0x202020);
        return b_.Chunk("EAMB", r);
    }
    Bytes Vector() const {
        Bytes r = Named(48, "Sun");
        StoreLe32(r.data() + 24, FloatWord(-1.0f));
        StoreLe32(r.data() + 32, 0xFFFFFF);
        return b_.Chunk("EVE1", r);
    }
    // A light record of `bytes` bytes: name, flags 0, the values from byte
    // 20 in 16.16 or as floats, and the colour at `colourAt`.
    Bytes LightRecord(const char* tag, const char* name, size_t bytes, size_t colourAt, uint32_t colour,
                      std::initializer_list<std::pair<size_t, float>> values, bool fixed) const {
        Bytes r = Named(bytes, name);
        for (const auto& [at, value] : values) {
            StoreLe32(r.data() + at, fixed ? uint32_t(int32_t(value * 65536.0f)) : FloatWord(value));
        }
        StoreLe32(r.data() + colourAt, colour);
        return b_.Chunk(tag, r);
    }
    // Every kind of light the scenes carry, in its fixed or its float form.
    std::vector<Bytes> EveryLight(bool fixed) const {
        const auto tag = [fixed](const char* fixedTag, const char* floatTag) { return fixed ? fixedTag : floatTag; };
        const std::initializer_list<std::pair<size_t, float>> place = {{20, 4.0f}, {24, 8.0f}, {28, -2.0f}};
        const std::initializer_list<std::pair<size_t, float>> ranged = {
            {20, 4.0f}, {24, 8.0f}, {28, -2.0f}, {36, 10.0f}, {40, 50.0f}};
        const std::initializer_list<std::pair<size_t, float>> spot = {
            {20, 4.0f},  {24, 8.0f},  {28, -2.0f}, {32, 0.0f},  {36, -2.0f},
            {40, 0.0f},  {48, 10.0f}, {52, 50.0f}, {56, 20.0f}, {60, 30.0f}};
        return {
            LightRecord(tag("EFPT", "EFP1"), "Beacon", 48, 32, 0x102030, place, fixed),
            LightRecord(tag("EFAT", "EFA1"), "Flash", 48, 32, 0x405060, ranged, fixed),
            LightRecord(tag("EFSP", "EFS1"), "Searchlight", 64, 44, 0x708090, spot, fixed),
            LightRecord(tag("EPNT", "EPN1"), "Lamp", 48, 32, 0x0000A0, place, fixed),
            LightRecord(tag("EATN", "EAT1"), "Glow", 48, 32, 0x00B000, ranged, fixed),
            LightRecord(tag("ESPT", "ESP1"), "Floodlight", 64, 44, 0xC00000, spot, fixed),
        };
    }
    static Bytes Scene(const ChunkBuilder& b, std::initializer_list<Bytes> parts) {
        return Scene(b, std::vector<Bytes>(parts));
    }
    static Bytes Scene(const ChunkBuilder& b, const std::vector<Bytes>& parts) {
        Bytes body = ChunkBuilder::Text("ESEN");
        for (const Bytes& p : parts) body.insert(body.end(), p.begin(), p.end());
        return ChunkBuilder::Join({b.Header("FORM", uint32_t(body.size())), body});
    }
    std::string Write(const Bytes& bytes) {
        dir_.WriteFile("scene.iff", std::string(bytes.begin(), bytes.end()));
        return dir_.Str() + "/scene.iff";
    }

    const ScopedEngineHeap heap_{16 * 1024 * 1024};
    WorldContext world_{64 * 1024, 64 * 1024};
    const ChunkBuilder b_;
    const TempDir dir_;
};

constexpr uint32_t kAll = ::Scene::kLoadLights | ::Scene::kLoadCameras | ::Scene::kLoadObjects |
                          ::Scene::kLoadHierarchy;

TEST_F(SceneTest, AFullSceneLinksAChildWhoseParentComesLater) {
    const std::string path = Write(ChunkBuilder::Join(
        {b_.Form("JUNK", {}),
         Scene(b_, {Header("Deck", 2, 3, 1), Mesh("Pod", "Wing"), Mesh("Wing", "Hull"), CameraRecord("ECAM", "A", true),
                    Ambient(), Mesh("Hull"), Vector(), Ambient(), CameraRecord("ECA1", "B", false)})}));
    ::Scene scene;
    ASSERT_EQ(scene.Load(path.c_str(), "Deck", nullptr, kAll), kStatusOk);
    EXPECT_STREQ(scene.name, "Deck");
    ASSERT_NE(scene.objects, nullptr);
    EXPECT_STREQ(scene.objects->name, "Hull");
    EXPECT_EQ(scene.objects->next, nullptr);
    ASSERT_NE(scene.objects->firstChild, nullptr);
    EXPECT_STREQ(scene.objects->firstChild->name, "Wing");
    ASSERT_NE(scene.objects->firstChild->firstChild, nullptr);
    EXPECT_STREQ(scene.objects->firstChild->firstChild->name, "Pod");
    // Both camera forms read the same record.
    ASSERT_NE(scene.cameras, nullptr);
    ASSERT_NE(scene.cameras->next, nullptr);
    EXPECT_NEAR(scene.cameras->transform.matrix.rows[3][2], 3.0f, 1e-4f);
    EXPECT_NEAR(scene.cameras->next->transform.matrix.rows[3][2], 3.0f, 1e-4f);
    EXPECT_NEAR(scene.cameras->next->fieldOfView, 60.0f, 1e-4f);
    // Two ambient lights and a vector light against a light count of 1.
    int lights = 0;
    for (Light* l = scene.lights; l != nullptr; l = l->next) ++lights;
    EXPECT_EQ(lights, 3);

    // A copy shares the contents without owning them.
    {
        ::Scene copy(scene);
        EXPECT_EQ(copy.objects, scene.objects);
    }
    EXPECT_STREQ(scene.objects->name, "Hull");
    // With 0x100 the objects are parts of a jointed figure, classified by name.
    ::Scene figure;
    ASSERT_EQ(figure.Load(path.c_str(), "Deck", nullptr, (kAll & ~::Scene::kLoadObjects) | ::Scene::kLoadJointedObjects),
              kStatusOk);
    ASSERT_NE(dynamic_cast<JointedObject*>(figure.objects), nullptr);
    EXPECT_NE(dynamic_cast<JointedObject*>(figure.objects->firstChild), nullptr);
    // With 0x10 the cameras are derived cameras.
    ::Scene derived;
    ASSERT_EQ(derived.Load(path.c_str(), "Deck", nullptr, kAll | ::Scene::kLoadDerivedCameras), kStatusOk);
    ASSERT_NE(dynamic_cast<DerivedCamera*>(derived.cameras), nullptr);
    EXPECT_NEAR(derived.cameras->fieldOfView, 60.0f, 1e-4f);
    // Only the header with load flags 0.
    ::Scene bare;
    EXPECT_EQ(bare.Load(path.c_str(), nullptr, nullptr, 0), kStatusOk);
    EXPECT_STREQ(bare.name, "Deck");
    EXPECT_TRUE(bare.objects == nullptr && bare.cameras == nullptr && bare.lights == nullptr);
}

TEST_F(SceneTest, BrokenScenesEndInTheirCodesAndKeepNothing) {
    struct Case {
        const char* what;
        Bytes file;
        const char* name;
        uint32_t flags;
        Status expected;
    } const cases[] = {
        {"three objects announced, two present", Scene(b_, {Header("S", 0, 3, 0), Mesh("A"), Mesh("B")}), nullptr,
         kAll, kStatusSceneCountsDiffer},
        {"more objects than announced", Scene(b_, {Header("S", 0, 1, 0), Mesh("A"), Mesh("B", "A")}), nullptr, kAll,
         kStatusSceneCountsDiffer},
        {"a missing parent", Scene(b_, {Header("S", 0, 2, 0), Mesh("A"), Mesh("B", "Nowhere")}), nullptr, kAll,
         kStatusSceneParentMissing},
        {"every object with a parent", Scene(b_, {Header("S", 0, 2, 0), Mesh("A", "B"), Mesh("B", "A")}), nullptr,
         kAll, kStatusSceneParentMissing},
        {"a 60-byte header", Scene(b_, {Header("S", 0, 0, 0, 60)}), nullptr, kAll, kStatusSceneBadHeader},
        {"another name", Scene(b_, {Header("S", 0, 0, 0)}), "T", kAll, kStatusSceneNotFound},
        {"no scene", b_.Form("JUNK", {}), nullptr, kAll, kStatusSceneNotFound},
        {"a truncated file",
         [&] {
             Bytes full = Scene(b_, {Header("S", 0, 2, 0), Mesh("A"), Mesh("B")});
             full.resize(full.size() - 40);
             return full;
         }(),
         nullptr, kAll, kStatusSceneReadFailed},
        {"an empty file", {}, nullptr, kAll, kStatusSceneNotFound},
    };
    for (const Case& c : cases) {
        ::Scene scene;
        EXPECT_EQ(scene.Load(Write(c.file).c_str(), c.name, nullptr, c.flags), c.expected) << c.what;
        EXPECT_TRUE(scene.objects == nullptr && scene.cameras == nullptr && scene.lights == nullptr) << c.what;
        EXPECT_STREQ(scene.name, "NoName") << c.what;
    }
}

// Each kind of light reads its place, its reach and its cone from the
// record, whether the scene holds its values in 16.16 or as floats.
TEST_F(SceneTest, EveryKindOfLightIsReadFromBothOfItsForms) {
    for (const bool fixed : {true, false}) {
        SCOPED_TRACE(fixed ? "16.16" : "floats");
        std::vector<Bytes> parts = {Header("Yard", 0, 0, 6), Ambient()};
        for (Bytes& light : EveryLight(fixed)) parts.push_back(std::move(light));
        const std::string path = Write(Scene(b_, parts));
        ::Scene scene(path.c_str(), "Yard", nullptr, ::Scene::kLoadLights);
        ASSERT_STREQ(scene.name, "Yard");
        ASSERT_NE(scene.lights, nullptr);
        EXPECT_EQ(scene.lights->FindByName(nullptr), nullptr);
        EXPECT_EQ(scene.lights->FindByName("Moon"), nullptr);

        auto* const beacon = dynamic_cast<FramePointLight*>(scene.lights->FindByName("Beacon"));
        ASSERT_NE(beacon, nullptr);
        EXPECT_EQ(typeid(*beacon), typeid(FramePointLight));
        EXPECT_NEAR(beacon->position.y, 8.0f, 1e-4f);
        EXPECT_EQ(beacon->intensity, 0x30);   // the brightest channel of the colour

        auto* const flash = dynamic_cast<FrameAttenuatedLight*>(scene.lights->FindByName("Flash"));
        ASSERT_NE(flash, nullptr);
        EXPECT_EQ(typeid(*flash), typeid(FrameAttenuatedLight));
        EXPECT_NEAR(flash->position.z, -2.0f, 1e-4f);
        EXPECT_NEAR(flash->innerRange, 10.0f, 1e-4f);
        EXPECT_NEAR(flash->outerRange, 50.0f, 1e-4f);
        EXPECT_EQ(flash->intensity, 0x60);

        auto* const search = dynamic_cast<FrameSpotLight*>(scene.lights->FindByName("Searchlight"));
        ASSERT_NE(search, nullptr);
        EXPECT_NEAR(search->position.x, 4.0f, 1e-4f);
        EXPECT_NEAR(search->spotDirection.y, -1.0f, 1e-4f);   // made a unit vector
        EXPECT_NEAR(search->outerRange, 50.0f, 1e-4f);
        EXPECT_NEAR(search->innerAngle, 20.0f, 1e-4f);
        EXPECT_NEAR(search->outerAngle, 30.0f, 1e-4f);
        EXPECT_EQ(search->intensity, 0x90);

        auto* const lamp = dynamic_cast<PointLight*>(scene.lights->FindByName("Lamp"));
        ASSERT_NE(lamp, nullptr);
        EXPECT_EQ(typeid(*lamp), typeid(PointLight));
        EXPECT_NEAR(lamp->position.y, 8.0f, 1e-4f);
        EXPECT_EQ(lamp->intensity, 0xA0);

        auto* const glow = dynamic_cast<AttenuatedLight*>(scene.lights->FindByName("Glow"));
        ASSERT_NE(glow, nullptr);
        EXPECT_EQ(typeid(*glow), typeid(AttenuatedLight));
        EXPECT_NEAR(glow->position.x, 4.0f, 1e-4f);
        EXPECT_NEAR(glow->innerRange, 10.0f, 1e-4f);
        EXPECT_NEAR(glow->outerRange, 50.0f, 1e-4f);

        auto* const flood = dynamic_cast<SpotLight*>(scene.lights->FindByName("Floodlight"));
        ASSERT_NE(flood, nullptr);
        EXPECT_NEAR(flood->position.z, -2.0f, 1e-4f);
        EXPECT_NEAR(flood->spotDirection.y, -1.0f, 1e-4f);
        EXPECT_NEAR(flood->innerRange, 10.0f, 1e-4f);
        EXPECT_NEAR(flood->innerAngle, 20.0f, 1e-4f);
        EXPECT_NEAR(flood->outerAngle, 30.0f, 1e-4f);
        EXPECT_EQ(flood->intensity, 0xC0);

        // A copy of a light stands outside the chain with the same record.
        Light copy(*scene.lights->FindByName("Lamp"));
        EXPECT_STREQ(copy.name, "Lamp");
        EXPECT_EQ(copy.intensity, 0xA0);
        EXPECT_EQ(copy.next, nullptr);
        Light other;
        other = *scene.lights->FindByName("Flash");
        EXPECT_STREQ(other.name, "Flash");
        EXPECT_EQ(other.intensity, 0x60);
        EXPECT_EQ(other.next, nullptr);
        EXPECT_EQ(other.FindByName("Flash"), &other);
    }
}

// A record that cannot be read ends the scene's reading with the record's
// own code, and the scene keeps nothing it read before.
TEST_F(SceneTest, ABrokenRecordInsideASceneEndsTheReadingWithItsCode) {
    Bytes badMesh = Mesh("Hull");
    badMesh[8 + 4 + 4 + 3] = 60;   // the mesh header says 60 bytes, its record is 64
    // The header chunk runs past the end of its scene form.
    Bytes cutHeader = Header("S", 0, 0, 0);
    cutHeader.resize(cutHeader.size() - 20);
    struct Case {
        const char* what;
        Bytes file;
        Status expected;
    } const cases[] = {
        {"a light record of the wrong size",
         Scene(b_, {Header("S", 1, 0, 1), CameraRecord("ECAM", "A", true),
                    LightRecord("EPNT", "Lamp", 44, 32, 0xFF, {}, true)}),
         kStatusLightBadSize},
        {"a camera record of the wrong size",
         Scene(b_, {Header("S", 1, 0, 1), Vector(), b_.Chunk("ECAM", Named(60, "A"))}), kStatusCameraBadSize},
        {"a mesh header of the wrong size", Scene(b_, {Header("S", 0, 1, 0), Vector(), badMesh}),
         kStatusMaterialBadData},
        {"a header cut short", Scene(b_, {cutHeader}), kStatusSceneBadHeader},
        {"no chunk file at all", ChunkBuilder::Text("not a chunk file at all"), kStatusSceneReadFailed},
    };
    for (const Case& c : cases) {
        ::Scene scene;
        const Status read = scene.Load(Write(c.file).c_str(), nullptr, nullptr, kAll);
        EXPECT_EQ(read, c.expected) << c.what;
        EXPECT_TRUE(scene.objects == nullptr && scene.cameras == nullptr && scene.lights == nullptr) << c.what;
    }
}

}  // namespace
