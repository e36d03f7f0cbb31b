#include "engine/WholeFileStream.h"

#include <gtest/gtest.h>

#include <string>

#include "engine/FileWrappers.h"
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

}  // namespace
