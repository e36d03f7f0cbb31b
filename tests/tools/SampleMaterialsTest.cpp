// Writes the sample material library as mkdata does and reads it back
// through the world's library table and the material loaders.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "display/PixelImage.h"
#include "engine/WorldContext.h"
#include "scene/AnimatedMaterial.h"
#include "scene/Material.h"
#include "scene/MaterialLibrary.h"
#include "tests/support/ScopedEngineHeap.h"
#include "tests/support/TempDir.h"
#include "tools/mkdata/MaterialData.h"

namespace {

TEST(SampleMaterials, TheLibraryNamesEveryMaterialAndEachLoads) {
    const ScopedEngineHeap heap(8 * 1024 * 1024);
    WorldContext world(4096, 4096);
    const TempDir dir;
    const std::string path = (dir.Path() / "materials.iff").string();
    ASSERT_EQ(WriteMaterialLibrary(path.c_str()), kStatusOk);
    ASSERT_EQ(RegisterMaterialLibrary(path.c_str()), kStatusOk);
    const MaterialLibraryEntry& entry = world.materialLibraries->entries[0];
    ASSERT_EQ(entry.formCount, uint32_t(kSampleMaterialCount));
    for (int i = 0; i < kSampleMaterialCount; ++i) EXPECT_STREQ(entry.names + 17 * i, kSampleMaterialNames[i]);

    for (const char* name : {"Rock", "Metal", "Sky"}) {
        BitmapMaterial material;
        ASSERT_EQ(material.Load(path.c_str(), name, 0, nullptr), kStatusOk) << name;
        material.Lock();
        ASSERT_NE(material.image, nullptr);
        EXPECT_EQ(material.image->width, 64);
    }
    AnimatedMaterial beacon;
    ASSERT_EQ(beacon.Load(path.c_str(), "Beacon", 0, nullptr), kStatusOk);
    ASSERT_EQ(beacon.frameCount, kBeaconFrames);
    beacon.Lock();
    EXPECT_EQ(beacon.image->pixels[0], PixelImage::kKey8Bit);     // a transparent corner
    EXPECT_NE(beacon.image->pixels[16 * 32 + 16], PixelImage::kKey8Bit);
    EXPECT_NE(beacon.image->flags & PixelImage::kFlagKeyed, 0u);
}

}  // namespace
