// Nebulae from their definitions: the same cloud for the same place, the
// mesh's counts and indices, refused definitions, and files cut short.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "engine/ByteOrder.h"
#include "engine/IffFile.h"
#include "game/DataDirectories.h"
#include "objects/effects/Nebula.h"
#include "tests/support/ChunkBuilder.h"
#include "tests/support/MemoryStream.h"
#include "tests/support/TempDir.h"
#include "tests/support/world/WorldBuilder.h"
#include "tools/mkdata/SampleTree.h"

namespace {

using Bytes = ChunkBuilder::Bytes;

Bytes Info(std::vector<int32_t> words) {
    Bytes out;
    for (int32_t w : words) {
        uint8_t b[4];
        StoreLe32(b, uint32_t(w));
        out.insert(out.end(), b, b + 4);
    }
    return out;
}

// A definitions file holding one SPOB "Cloud" with the given NEBU words.
Bytes Definitions(const std::vector<int32_t>& words) {
    const ChunkBuilder b;
    return b.Form("OBJS", {b.Form("SPOB", {b.Form("SPOB", {b.Chunk("ID  ", "Cloud"),
                                                            b.Form("NEBU", {b.Chunk("INFO", Info(words)), b.Chunk("PALT", "nebula")})})})});
}

Nebula* Load(const Bytes& bytes, const Vector3& at) {
    MemoryStream stream(bytes);
    IffFile iff(&stream, 0);
    if (iff.ValidateHeader() != kStatusOk) return nullptr;
    return Nebula::NebulaFromIff(iff, "Cloud", at);
}

// 1.0f and 0.0f as words.
constexpr int32_t kOne = 0x3F800000;

TEST(NebulaTest, OnePlaceGivesOneCloudWithAWholeMesh) {
    WorldBuilder builder;
    const std::vector<int32_t> words = {4, 6, 30, 200, 400, 10, 60, 150, 120, 200, 7, kOne, 0};
    std::unique_ptr<Nebula> first(Load(Definitions(words), {100.0f, 200.0f, 300.0f}));
    std::unique_ptr<Nebula> second(Load(Definitions(words), {100.0f, 200.0f, 300.0f}));
    ASSERT_NE(first, nullptr);
    first->Build();
    second->Build();
    const int32_t n = first->pointCount;
    EXPECT_GE(n, 4);
    EXPECT_LE(n, 6);
    ASSERT_EQ(first->vertices.size(), size_t(3 * n - 2));
    ASSERT_EQ(first->faces.size(), size_t(4 * n - 6));
    for (const Nebula::Face& face : first->faces) {
        for (const uint16_t index : face.index) EXPECT_LT(index, first->vertices.size());
    }
    EXPECT_EQ(first->vertices[0].value, 0);                   // the ends fade out
    EXPECT_GE(first->vertices[1].value, 120);
    EXPECT_EQ(first->vertices[size_t(n)].value, 0);           // and so do the sides
    ASSERT_EQ(second->pointCount, n);
    for (size_t i = 0; i < first->vertices.size(); ++i) {
        EXPECT_FLOAT_EQ(first->vertices[i].position.x, second->vertices[i].position.x);
        EXPECT_FLOAT_EQ(first->vertices[i].position.z, second->vertices[i].position.z);
    }
    // Somewhere else, another cloud.
    std::unique_ptr<Nebula> elsewhere(Load(Definitions(words), {101.0f, 200.0f, 300.0f}));
    elsewhere->Build();
    EXPECT_FALSE(elsewhere->pointCount == n && elsewhere->vertices[1].position.x == first->vertices[1].position.x);
}

TEST(NebulaTest, DefinitionsThatCannotBeDrawnFromAreRefused) {
    WorldBuilder builder;
    const std::vector<int32_t> good = {4, 6, 30, 200, 400, 10, 60, 150, 120, 200, 7, kOne, 0};
    const struct {
        int index;
        int32_t value;
    } bad[] = {{0, 1}, {1, 3}, {2, 0}, {4, 100}, {5, 50}, {5, -1}, {7, 10}, {9, 100}};
    for (const auto& b : bad) {
        SCOPED_TRACE(b.index);
        std::vector<int32_t> words = good;
        words[size_t(b.index)] = b.value;
        EXPECT_EQ(Load(Definitions(words), {}), nullptr);
    }
    // Least equal to greatest draws that number; a margin of 0 is allowed.
    std::vector<int32_t> exact = good;
    exact[0] = exact[1] = 5;
    exact[5] = 0;
    std::unique_ptr<Nebula> fixed(Load(Definitions(exact), {}));
    ASSERT_NE(fixed, nullptr);
    fixed->Build();
    EXPECT_EQ(fixed->pointCount, 5);
    // Ranges across the whole of 32 bits build without overflowing (found by fuzzing).
    const std::vector<int32_t> wide = {2, 1024, 2000000000, -2000000000, 2000000000, 49, -2000000000, 2000000000,
                                       -2000000000, 2000000000, 7, kOne, 0};
    std::unique_ptr<Nebula> vast(Load(Definitions(wide), {}));
    ASSERT_NE(vast, nullptr);
    vast->Build();
    EXPECT_EQ(vast->faces.size(), size_t(4 * vast->pointCount - 6));
    std::vector<int32_t> tooMany = good;
    tooMany[1] = Nebula::kMostPoints + 1;
    EXPECT_EQ(Load(Definitions(tooMany), {}), nullptr);
    // A short INFO, or a definition that is not there.
    std::vector<int32_t> shortInfo(good.begin(), good.begin() + 12);
    EXPECT_EQ(Load(Definitions(shortInfo), {}), nullptr);
    MemoryStream stream(Definitions(good));
    IffFile iff(&stream, 0);
    ASSERT_EQ(iff.ValidateHeader(), kStatusOk);
    EXPECT_EQ(Nebula::NebulaFromIff(iff, "Other", {}), nullptr);
}

TEST(NebulaTest, TheSampleNebulaLoadsAndEveryCutOfItFailsCleanly) {
    const TempDir dir;
    std::string error;
    ASSERT_TRUE(WriteSampleTree(dir.Str(), &error)) << error;
    ASSERT_TRUE(g_dataDirs.Find(dir.Str()));
    WorldBuilder builder;
    std::ifstream in(dir.Path() / "data" / "temp.iff", std::ios::binary);
    const Bytes whole((std::istreambuf_iterator<char>(in)), {});
    {
        MemoryStream stream(whole);
        IffFile iff(&stream, 0);
        ASSERT_EQ(iff.ValidateHeader(), kStatusOk);
        std::unique_ptr<Nebula> sample(Nebula::NebulaFromIff(iff, "Nebula 1", {5.0f, 6.0f, 7.0f}));
        ASSERT_NE(sample, nullptr);
        EXPECT_NE(sample->cloud, nullptr);
        EXPECT_NE(sample->palette, nullptr);
        sample->Build();
        EXPECT_GE(sample->pointCount, 4);
    }
    for (size_t cut = 0; cut < whole.size(); cut += 97) {
        MemoryStream stream(Bytes(whole.begin(), whole.begin() + std::ptrdiff_t(cut)));
        IffFile iff(&stream, 0);
        if (iff.ValidateHeader() != kStatusOk) continue;
        std::unique_ptr<Nebula> partial(Nebula::NebulaFromIff(iff, "Nebula 1", {}));
        if (partial != nullptr) partial->Build();
    }
    g_dataDirs.Clear();
}

}  // namespace
