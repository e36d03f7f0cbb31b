// Writes the sample meshes as mkdata does and loads them back, the hull's
// material from the sample library.
#include <gtest/gtest.h>

#include <string>

#include "engine/WorldContext.h"
#include "scene/Material.h"
#include "scene/MaterialLibrary.h"
#include "scene/Model.h"
#include "tests/support/ScopedEngineHeap.h"
#include "tests/support/TempDir.h"
#include "tools/mkdata/MaterialData.h"
#include "tools/mkdata/MeshData.h"

namespace {

TEST(SampleMeshes, TheCubeAndTheHullLoadWithTheirMaterial) {
    const ScopedEngineHeap heap(8 * 1024 * 1024);
    WorldContext world(4096, 4096);
    const TempDir dir;
    const std::string cubePath = (dir.Path() / "cube.iff").string();
    const std::string hullPath = (dir.Path() / "hull.iff").string();
    const std::string libraryPath = (dir.Path() / "materials.iff").string();
    ASSERT_EQ(WriteCubeMesh(cubePath.c_str()), kStatusOk);
    ASSERT_EQ(WriteHullMesh(hullPath.c_str()), kStatusOk);
    ASSERT_EQ(WriteMaterialLibrary(libraryPath.c_str()), kStatusOk);

    Model cube;
    ASSERT_EQ(cube.Load(cubePath.c_str(), kCubeMeshName, nullptr, nullptr, nullptr, 0), kStatusOk);
    EXPECT_EQ(cube.vertexCount, 8u);
    EXPECT_EQ(cube.faceCount, 12u);
    EXPECT_NEAR(cube.sphere.radius, 1.7320508f, 1e-5);

    // Without a library the hull's material cannot be found.
    Model hull;
    EXPECT_EQ(hull.Load(hullPath.c_str(), nullptr, nullptr, nullptr, nullptr, Model::kModeLibraries),
              kStatusMaterialFewerNames);
    ASSERT_EQ(RegisterMaterialLibrary(libraryPath.c_str()), kStatusOk);
    ASSERT_EQ(hull.Load(hullPath.c_str(), kHullMeshName, nullptr, nullptr, nullptr, Model::kModeLibraries),
              kStatusOk);
    ASSERT_EQ(hull.materialCount, 1u);
    ASSERT_NE(hull.materials[0], nullptr);
    EXPECT_STREQ(hull.materials[0]->name, kHullMaterial);
    int textured = 0, translucent = 0;
    for (uint32_t i = 0; i < hull.faceCount; ++i) {
        textured += (hull.faces[i].flags & FaceRecord::kTextured) != 0;
        translucent += (hull.faces[i].flags & FaceRecord::kTranslucent) != 0;
    }
    EXPECT_EQ(textured, 1);
    EXPECT_EQ(translucent, 1);
    EXPECT_GE(hull.faceCount, 24u);
}

}  // namespace
