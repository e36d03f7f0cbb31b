// The enciphered chunk stream: plain headers, whole words XORed with the key,
// a plain tail, the caller's data untouched and reads bounded by the caller.
#include "game/XorChunkStream.h"

#include <gtest/gtest.h>

#include <memory>
#include <utility>
#include <vector>

#include "tests/support/ChunkBuilder.h"
#include "tests/support/MemoryStream.h"

namespace {

using Bytes = std::vector<uint8_t>;

TEST(XorChunkStream, SevenByteChunkHasItsFirstWordXoredAndThreeBytesPlain) {
    MemoryStream stream;
    XorChunkStream xor_(&stream);
    ASSERT_EQ(xor_.ValidateHeader(), kStatusOk);
    xor_.SetKey(0x04030201);
    const Bytes data = {'a', 'b', 'c', 'd', 'e', 'f', 'g'};
    const Bytes given = data;
    ASSERT_EQ(xor_.WriteChunk(MakeTag("DATA"), data.data(), 7), kStatusOk);
    ASSERT_EQ(xor_.Finish(), kStatusOk);
    EXPECT_EQ(data, given);  // the caller's buffer comes back as it was

    const Bytes expected = {'D', 'A', 'T', 'A', 0, 0, 0, 7, 'a' ^ 1, 'b' ^ 2, 'c' ^ 3, 'd' ^ 4, 'e', 'f', 'g', 0};
    EXPECT_EQ(stream.Bytes(), expected);

    MemoryStream again(stream.Bytes());
    XorChunkStream reader(&again);
    ASSERT_EQ(reader.ValidateHeader(), kStatusOk);
    reader.SetKey(0x04030201);
    ASSERT_EQ(reader.NextChunk(), kStatusOk);
    Bytes read(7);
    uint32_t stored = 0;
    ASSERT_EQ(reader.ReadChunkData(read.data(), 7, &stored), kStatusOk);
    EXPECT_EQ(stored, 7u);
    EXPECT_EQ(read, data);
}

TEST(XorChunkStream, OversizedChunkStoresOnlyTheCapacityAndSkipsTheRest) {
    const ChunkBuilder b;
    Bytes big(80);
    for (size_t i = 0; i < big.size(); ++i) big[i] = uint8_t(i);
    MemoryStream stream(ChunkBuilder::Join({b.Chunk("OPTS", big), b.Chunk("NEXT", Bytes{1, 2, 3, 4})}));
    XorChunkStream reader(&stream);
    ASSERT_EQ(reader.ValidateHeader(), kStatusOk);
    reader.SetKey(0xFF00FF00);
    ASSERT_EQ(reader.NextChunk(), kStatusOk);
    // Exactly 48 bytes on the heap: a byte more written is an ASan report.
    const auto buffer = std::make_unique<uint8_t[]>(48);
    uint32_t stored = 0;
    ASSERT_EQ(reader.ReadChunkData(buffer.get(), 48, &stored), kStatusOk);
    EXPECT_EQ(stored, 48u);
    for (uint32_t i = 0; i < 48; ++i) {
        ASSERT_EQ(buffer[i], uint8_t(i ^ ((0xFF00FF00u >> (8 * (i % 4))) & 0xFF))) << i;
    }
    ASSERT_EQ(reader.NextChunk(), kStatusOk);
    EXPECT_EQ(reader.ChunkId(), MakeTag("NEXT"));
}

TEST(XorChunkStream, KeyIsThePathsLastFourBytesZeroPaddedWhenShorter) {
    const std::pair<const char*, uint32_t> cases[] = {
        {"games/slot0.sav", 0x7661732Eu}, {"ab", 0x00006261u}, {"", 0u}, {nullptr, 0u}};
    for (const auto& [path, key] : cases) EXPECT_EQ(XorChunkStream::KeyFromPath(path), key) << path;
}

}  // namespace
