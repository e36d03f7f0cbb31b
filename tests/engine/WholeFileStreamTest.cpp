#include "engine/WholeFileStream.h"

#include <gtest/gtest.h>

#include <string>

#include "engine/FileWrappers.h"
#include "engine/IffFile.h"
#include "tests/support/FaultyFileSystem.h"
#include "tests/support/FileContents.h"
#include "tests/support/ScopedInstall.h"
#include "tests/support/TempDir.h"

namespace {

constexpr uint32_t kReadWrite = kOpenRead | kOpenWrite;

// A file changed in place through a chunk writer's moves: read whole, a
// part rewritten, a gap past the end zero-filled, the length cut, and all of
// it reaching the file in one write and one flush.
TEST(WholeFileStream, ChangesReachTheFileInOneWrite) {
    TempDir folder;
    folder.WriteFile("data", "0123456789");
    const std::string path = folder.Str() + "/data";
    FaultyFileSystem files;
    ScopedInstall<platform::FileSystem> installed(files);
    WholeFileStream stream;
    ASSERT_EQ(stream.Open(path.c_str(), kReadWrite), kStatusOk);
    EXPECT_EQ(stream.Length(), 10);
    char head[4] = {};
    EXPECT_EQ(stream.Read(head, 4), 4);
    EXPECT_EQ(std::string(head, 4), "0123");
    EXPECT_EQ(stream.Write("ab", 2), 2);
    EXPECT_EQ(stream.Seek(12, 0), 12);
    EXPECT_EQ(stream.Write("z", 1), 1);
    EXPECT_EQ(stream.Seek(-3, 2), 10);
    char rest[8] = {};
    EXPECT_EQ(stream.Read(rest, 8), 3);
    EXPECT_EQ(std::string(rest, 3), std::string("\0\0z", 3));
    EXPECT_EQ(stream.Read(rest, 1), 0);
    EXPECT_EQ(stream.LastError(), kStatusEndOfData);
    EXPECT_EQ(files.Calls(FaultyFileSystem::kWrite), 0u);
    ASSERT_EQ(stream.Flush(), kStatusOk);
    EXPECT_EQ(FileContents(path), std::string("0123ab6789\0\0z", 13));
    EXPECT_EQ(stream.SetLength(6), 6);
    EXPECT_EQ(stream.Close(), kStatusOk);
    EXPECT_EQ(FileContents(path), "0123ab");
    EXPECT_EQ(files.Calls(FaultyFileSystem::kWrite), 2u);
    EXPECT_EQ(files.Calls(FaultyFileSystem::kFlush), 1u);
}

// A chunk file of many small chunks, each form's size patched as it closes,
// still goes out whole in one write; a disk that takes only part of it fails
// the finish.
TEST(WholeFileStream, AChunkFileGoesOutWholeOrFails) {
    TempDir folder;
    const std::string path = folder.Str() + "/chunks.iff";
    const auto writeChunks = [&] {
        WholeFileStream stream;
        IffFile iff(&stream, 0);
        Status status = iff.OpenFile(path.c_str(), kOpenWrite | kOpenCreate);
        for (uint32_t form = 0; form < 20 && status == kStatusOk; ++form) {
            status = iff.BeginForm(MakeTag("ITEM"));
            for (uint32_t chunk = 0; chunk < 10 && status == kStatusOk; ++chunk) {
                status = iff.WriteChunk(MakeTag("WORD"), &chunk, sizeof chunk);
            }
            if (status == kStatusOk) status = iff.Ascend();
        }
        const Status closed = iff.CloseFile();
        return status != kStatusOk ? status : closed;
    };
    FaultyFileSystem files;
    ScopedInstall<platform::FileSystem> installed(files);
    ASSERT_EQ(writeChunks(), kStatusOk);
    EXPECT_EQ(files.Calls(FaultyFileSystem::kWrite), 1u);
    EXPECT_EQ(FileContents(path).size(), 20u * (12 + 10 * 12));
    files.ShortWrites(100);
    EXPECT_NE(writeChunks(), kStatusOk);
}

}  // namespace
