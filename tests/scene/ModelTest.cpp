#include "scene/Model.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "engine/ByteOrder.h"
#include "engine/IffFile.h"
#include "engine/WorldContext.h"
#include "scene/Material.h"
#include "tests/support/ChunkBuilder.h"
#include "tests/support/MemoryStream.h"
#include "tests/support/ScopedEngineHeap.h"
#include "tests/support/TempDir.h"

namespace {

using Bytes = ChunkBuilder::Bytes;

Bytes Hdr(const char* name, uint32_t vertices, uint32_t faces, uint32_t materials = 0, uint32_t flags = 0x5) {
    Bytes b(64, 0);
    std::memcpy(b.data(), name, std::min<size_t>(16, std::strlen(name)));
    StoreLe32(b.data() + 16, flags);
    StoreLe32(b.data() + 20, vertices);
    StoreLe32(b.data() + 24, faces);
    StoreLe32(b.data() + 28, materials);
    return b;
}

Bytes Words(const std::vector<uint32_t>& words) {
    Bytes b(words.size() * 4);
    for (size_t i = 0; i < words.size(); ++i) StoreLe32(b.data() + 4 * i, words[i]);
    return b;
}

uint32_t FloatWord(float f) {
    uint32_t w;
    std::memcpy(&w, &f, sizeof w);
    return w;
}

// Three float vertices, and one face over them in the 64-byte layout.
Bytes Ver1() {
    std::vector<uint32_t> w;
    for (int i = 0; i < 3; ++i) {
        const float p[8] = {float(i), 1.0f, 2.0f, 0.0f, 0.0f, 0.0f, 1.0f, 0.0f};
        for (const float f : p) w.push_back(FloatWord(f));
    }
    return Words(w);
}

Bytes Fac2(uint16_t a, uint16_t b, uint16_t c, uint32_t flags = 0x2, uint16_t material = 0) {
    Bytes f(64, 0);
    StoreLe32(f.data(), flags);
    StoreLe16(f.data() + 4, a);
    StoreLe16(f.data() + 6, b);
    StoreLe16(f.data() + 8, c);
    StoreLe16(f.data() + 10, material);
    StoreLe32(f.data() + 36, 77);
    f[57] = f[58] = f[59] = 200;
    StoreLe32(f.data() + 60, 0xDEAD);
    return f;
}

// A 16 x 16 indexed material form named "Skin".
Bytes Skin() {
    const ChunkBuilder b;
    Bytes mhdr(48, 0);
    std::memcpy(mhdr.data(), "Skin", 4);
    StoreLe16(mhdr.data() + 16, 16);
    StoreLe16(mhdr.data() + 18, 16);
    StoreLe16(mhdr.data() + 20, 1);
    mhdr[22] = 1;
    return b.Form("EMTL", {b.Chunk("MHDR", mhdr), b.Chunk("BODY", Bytes(256, 3))});
}

class ModelTest : public ::testing::Test {
protected:
    void SetUp() override { world_ = std::make_unique<WorldContext>(4096, 4096); }

    Status Read(Model& model, const Bytes& form, const char* name = nullptr, uint32_t mode = 0) {
        MemoryStream stream(form);
        IffFile iff(&stream, 0);
        EXPECT_EQ(iff.ValidateHeader(), kStatusOk);
        EXPECT_EQ(iff.NextChunk(), kStatusOk);
        const Status status = model.ReadMeshForm(iff, name, nullptr, nullptr, nullptr, mode);
        EXPECT_EQ(iff.Level(), 0u);
        return status;
    }

    const ScopedEngineHeap heap_{8 * 1024 * 1024};
    std::unique_ptr<WorldContext> world_;
    const ChunkBuilder b_;
};

TEST_F(ModelTest, FixedPointAndOlderFacesConvertToTheOneLayout) {
    // VERT in 16.16: 65536 is 1.0 and -32768 is -0.5.
    std::vector<uint32_t> vert;
    for (int i = 0; i < 3; ++i) {
        for (const uint32_t w : {65536u, uint32_t(-32768), uint32_t(i) << 16, 0u, 0u, 65536u, 0u, 0u}) {
            vert.push_back(w);
        }
    }
    // A FACE record: translucent, light floor 10, translucency nibble 0;
    // the second without the translucent bit.
    Bytes face(56, 0);
    StoreLe32(face.data(), 0x800 | (0xA << 20) | 0x2);
    StoreLe16(face.data() + 6, 1);
    StoreLe16(face.data() + 8, 2);
    StoreLe32(face.data() + 12, 65536);   // u of a
    Bytes opaque = face;
    StoreLe32(opaque.data(), (0xA << 20) | 0x2);
    const Bytes form = b_.Form(
        "EMSH", {b_.Chunk("HDR ", Hdr("Probe", 3, 2)), b_.Chunk("FACE", ChunkBuilder::Join({face, opaque})),
                 b_.Chunk("VERT", Words(vert)), b_.Chunk("EXNT", Words({0, 0, 0, 5u << 16, 0, 0, 0, 1, 1, 1, 0, 0}))});
    Model model;
    ASSERT_EQ(Read(model, form), kStatusOk);
    EXPECT_STREQ(model.name, "Probe");
    EXPECT_EQ(model.flags, 0x5u | Model::kOwnsArrays);
    EXPECT_FLOAT_EQ(model.vertices[0].x, 1.0f);
    EXPECT_FLOAT_EQ(model.vertices[0].y, -0.5f);
    EXPECT_FLOAT_EQ(model.vertices[2].z, 2.0f);
    EXPECT_FLOAT_EQ(model.sphere.radius, 5.0f);
    const FaceRecord& f = model.faces[0];
    EXPECT_EQ(f.flags, 0x802u);
    EXPECT_EQ(f.lightFloor, 0xA0);
    EXPECT_EQ(f.translucency[0], 0);
    EXPECT_FLOAT_EQ(f.u[0], 1.0f);
    EXPECT_EQ(model.faces[1].translucency[2], 255);
    // No materials: no face keeps the textured bit or a material number.
    EXPECT_EQ(model.materials, nullptr);
    EXPECT_EQ(world_->loadedFaces, 2u);
    EXPECT_EQ(model.Release(), kStatusOk);
    EXPECT_EQ(world_->loadedFaces, 0u);
}

TEST_F(ModelTest, BadMeshesFailWithTheirCodesAndKeepNothing) {
    const Bytes hdr = b_.Chunk("HDR ", Hdr("Bad", 3, 1));
    const Bytes faces = b_.Chunk("FAC2", Fac2(0, 1, 2));
    const Bytes verts = b_.Chunk("VER1", Ver1());
    struct Case {
        const char* what;
        Bytes form;
        Status expected;
    };
    Bytes shortVerts = Ver1();
    shortVerts.resize(64);
    const Case cases[] = {
        {"second vertex chunk", b_.Form("EMSH", {hdr, verts, faces, verts}), kStatusModelBadVertices},
        {"wrong vertex size", b_.Form("EMSH", {hdr, b_.Chunk("VER1", shortVerts), faces}), kStatusModelBadVertices},
        {"wrong face size", b_.Form("EMSH", {hdr, verts, b_.Chunk("FAC2", Bytes(60, 0))}), kStatusModelBadFaces},
        {"index past the vertices", b_.Form("EMSH", {hdr, b_.Chunk("FAC2", Fac2(0, 1, 3)), verts}),
         kStatusMaterialBadData},
        {"no vertices", b_.Form("EMSH", {hdr, faces}), kStatusMaterialBadData},
        {"no faces", b_.Form("EMSH", {hdr, verts}), kStatusModelNoFaces},
        {"a material short", b_.Form("EMSH", {b_.Chunk("HDR ", Hdr("Bad", 3, 1, 2)), verts, faces, Skin()}),
         kStatusMaterialFewerNames},
        {"bad bounds", b_.Form("EMSH", {hdr, verts, faces, b_.Chunk("EXN1", Bytes(44, 0))}), kStatusMaterialBadData},
        {"zero faces", b_.Form("EMSH", {b_.Chunk("HDR ", Hdr("Bad", 3, 0)), verts}), kStatusMaterialBadData},
        {"not a mesh", b_.Form("EMTL", {}), kStatusMaterialNotFound},
        {"a broken embedded material",
         b_.Form("EMSH", {b_.Chunk("HDR ", Hdr("Bad", 3, 1, 1)), verts, faces,
                          b_.Form("EMTL", {b_.Chunk("MHDR", Bytes(47, 0))})}),
         kStatusMaterialBadData},
    };
    for (const Case& c : cases) {
        Model model;
        EXPECT_EQ(Read(model, c.form), c.expected) << c.what;
        EXPECT_EQ(model.vertices, nullptr) << c.what;
        EXPECT_EQ(model.faces, nullptr) << c.what;
        EXPECT_EQ(model.materials, nullptr) << c.what;
    }
    EXPECT_EQ(world_->loadedFaces, 0u);

    // An attached model is not read over.
    Model attached;
    ASSERT_EQ(Read(attached, b_.Form("EMSH", {hdr, verts, faces})), kStatusOk);
    attached.refCount = 1;
    EXPECT_EQ(Read(attached, b_.Form("EMSH", {hdr, verts, faces})), kStatusModelAttached);
    EXPECT_NE(attached.faces, nullptr);
    EXPECT_EQ(attached.Release(), kStatusModelAttached);
    attached.refCount = 0;
}

TEST_F(ModelTest, LoadFindsTheNamedMeshInsideAScene) {
    const TempDir dir;
    const auto mesh = [&](const char* name) {
        return b_.Form("EMSH", {b_.Chunk("HDR ", Hdr(name, 3, 1)), b_.Chunk("VER1", Ver1()),
                                b_.Chunk("FAC2", Fac2(0, 1, 2))});
    };
    const Bytes file = b_.Form("ESEN", {b_.Chunk("JUNK", "xy"), mesh("First"), mesh("Second")});
    dir.WriteFile("scene.iff", std::string(file.begin(), file.end()));
    const std::string path = dir.Str() + "/scene.iff";
    Model model;
    ASSERT_EQ(model.Load(path.c_str(), "Second", nullptr, nullptr, nullptr, 0), kStatusOk);
    EXPECT_STREQ(model.name, "Second");
    EXPECT_EQ(model.faces[0].zero60, 0u);
    EXPECT_EQ(model.faces[0].translucency[1], 200);
    EXPECT_EQ(model.Load(path.c_str(), "Third", nullptr, nullptr, nullptr, 0), kStatusMaterialNotFound);
    // Cut inside the second mesh: the walk ends with 10 instead of looping.
    Bytes cut(file.begin(), file.end() - 40);
    StoreBe32(cut.data() + 4, uint32_t(cut.size() - 8));
    dir.WriteFile("cut.iff", std::string(cut.begin(), cut.end()));
    EXPECT_EQ(model.Load((dir.Str() + "/cut.iff").c_str(), "Second", nullptr, nullptr, nullptr, 0),
              kStatusMaterialReadFailed);
    EXPECT_EQ(model.faces, nullptr);

    // Made from the file at once, and handed on: the copy points at the
    // arrays without owning them, and goes without taking them along.
    Model second(path.c_str(), "Second", nullptr, nullptr, nullptr, 0);
    ASSERT_STREQ(second.name, "Second");
    {
        Model copy;
        ASSERT_EQ(copy.Load(path.c_str(), "First", nullptr, nullptr, nullptr, 0), kStatusOk);
        copy = second;   // gives up its own "First"
        Model& same = copy;
        copy = same;
        EXPECT_STREQ(copy.name, "Second");
        EXPECT_EQ(copy.faces, second.faces);
        EXPECT_EQ(copy.faceCount, 1u);
    }
    EXPECT_EQ(second.faces[0].translucency[1], 200);   // the sanitizers see a use after a free
}

TEST_F(ModelTest, EmbeddedMaterialsFillTheNamedSlots) {
    const Bytes material = Skin();
    Bytes names(16, 0);
    std::memcpy(names.data(), "Skin", 4);
    const Bytes form = b_.Form("EMSH", {b_.Chunk("HDR ", Hdr("Skinned", 3, 1, 1)), b_.Chunk("MTL ", names), material,
                                        b_.Chunk("VER1", Ver1()), b_.Chunk("FAC2", Fac2(0, 1, 2, 0x202, 1))});
    Model model;
    ASSERT_EQ(Read(model, form), kStatusOk);
    ASSERT_EQ(model.materialCount, 1u);
    ASSERT_NE(model.materials[0], nullptr);
    EXPECT_STREQ(model.materials[0]->name, "Skin");
    EXPECT_EQ(model.faces[0].flags & FaceRecord::kTextured, FaceRecord::kTextured);
    EXPECT_EQ(world_->liveMaterials, 1u);
    model.Release();
    EXPECT_EQ(world_->liveMaterials, 0u);

    // A material of another name fills no slot and is not kept: the named
    // slot stays empty, which no mesh may leave.
    Bytes bark = Skin();
    std::memcpy(bark.data() + 20, "Bark", 4);
    const Bytes other = b_.Form("EMSH", {b_.Chunk("HDR ", Hdr("Skinned", 3, 1, 1)), b_.Chunk("MTL ", names), bark,
                                         b_.Chunk("VER1", Ver1()), b_.Chunk("FAC2", Fac2(0, 1, 2, 0x202, 1))});
    EXPECT_EQ(Read(model, other), kStatusMaterialFewerNames);
    EXPECT_EQ(model.materials, nullptr);
    EXPECT_EQ(world_->liveMaterials, 0u);
}

}  // namespace
