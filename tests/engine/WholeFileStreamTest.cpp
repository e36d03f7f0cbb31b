#include "engine/WholeFileStream.h"

#include <gtest/gtest.h>

#include <filesystem>
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

// A save written through a fresh file: nothing is read at opening, and the
// bytes reach the disk when the stream goes, even without a close.
TEST(WholeFileStream, ANewFileGetsItsBytesWhenTheStreamGoes) {
    TempDir folder;
    const std::string path = folder.Str() + "/pilot.plr";
    FaultyFileSystem files;
    ScopedInstall<platform::FileSystem> installed(files);
    {
        WholeFileStream stream;
        ASSERT_EQ(stream.Open(path.c_str(), kOpenWrite | kOpenCreate), kStatusOk);
        EXPECT_EQ(files.Calls(FaultyFileSystem::kRead), 0u);
        EXPECT_EQ(stream.Write("FORM", 4), 4);
        char byte = 0;
        EXPECT_EQ(stream.Read(&byte, 1), 0);   // a write-only stream reads nothing
        EXPECT_EQ(FileContents(path), "");
    }
    EXPECT_EQ(FileContents(path), "FORM");
    EXPECT_EQ(files.Calls(FaultyFileSystem::kWrite), 1u);
}

// A temporary stream is readable and writable at once and leaves nothing
// behind.
TEST(WholeFileStream, ATemporaryFileIsWorkedOnAndRemoved) {
    WholeFileStream stream;
    ASSERT_EQ(stream.OpenTemporary("vrn", kOpenRead), kStatusOk);
    const std::string made = stream.TemporaryName();
    EXPECT_EQ(stream.Length(), 0);
    EXPECT_EQ(stream.Write("scratch", 7), 7);
    EXPECT_EQ(stream.Seek(0, 0), 0);
    char back[8] = {};
    EXPECT_EQ(stream.Read(back, 7), 7);
    EXPECT_EQ(std::string(back), "scratch");
    ASSERT_EQ(stream.Flush(), kStatusOk);
    EXPECT_EQ(FileContents(made), "scratch");
    EXPECT_EQ(stream.Close(), kStatusOk);
    EXPECT_FALSE(std::filesystem::exists(made));
}

// A file that cannot be taken whole at opening is not opened, and says why.
TEST(WholeFileStream, AFileThatCannotBeReadWholeIsNotOpened) {
    TempDir folder;
    folder.WriteFile("options.cfg", "0123456789");
    const std::string path = folder.Str() + "/options.cfg";
    FaultyFileSystem files;
    ScopedInstall<platform::FileSystem> installed(files);
    WholeFileStream stream;

    files.FailNext(FaultyFileSystem::kSize, 1, platform::kFileAccessDenied);
    EXPECT_EQ(stream.Open(path.c_str(), kOpenRead), platform::kFileAccessDenied);
    EXPECT_EQ(stream.Length(), -1);
    EXPECT_EQ(stream.Close(), kStatusStreamNotOpen);

    files.FailNext(FaultyFileSystem::kRead, 1, platform::kFileGeneralFailure);
    EXPECT_EQ(stream.Open(path.c_str(), kOpenRead), platform::kFileGeneralFailure);
    EXPECT_EQ(stream.Seek(0, 0), -1);
    EXPECT_EQ(stream.Flush(), kStatusStreamNotOpen);

    // Bytes that come in pieces are all taken.
    files.ShortReads(3);
    ASSERT_EQ(stream.Open(path.c_str(), kOpenRead), kStatusOk);
    EXPECT_EQ(stream.Length(), 10);
    EXPECT_EQ(stream.Flush(), kStatusOk);   // nothing to write
    EXPECT_EQ(stream.Close(), kStatusOk);
    EXPECT_EQ(files.Calls(FaultyFileSystem::kWrite), 0u);

    // Larger than the stream is for.
    std::filesystem::resize_file(path, WholeFileStream::kMaxBytes + 1);
    EXPECT_EQ(stream.Open(path.c_str(), kOpenRead), kStatusPlatformFailed);
    EXPECT_EQ(stream.Length(), -1);
}

// Each step of writing the bytes out may fail; the failure is what the
// close reports, and the stream is closed either way.
TEST(WholeFileStream, AFailedWriteOutIsWhatTheCloseReports) {
    TempDir folder;
    folder.WriteFile("save", "0123456789");
    const std::string path = folder.Str() + "/save";
    FaultyFileSystem files;
    ScopedInstall<platform::FileSystem> installed(files);
    const auto closeAfterChange = [&](FaultyFileSystem::Operation failing, uint32_t error) {
        WholeFileStream stream;
        EXPECT_EQ(stream.Open(path.c_str(), kReadWrite), kStatusOk);
        EXPECT_EQ(stream.Write("ab", 2), 2);
        files.FailNext(failing, 1, error);
        const Status closed = stream.Close();
        EXPECT_EQ(stream.Length(), -1);
        files.Heal();
        return closed;
    };

    EXPECT_EQ(closeAfterChange(FaultyFileSystem::kSeek, platform::kFileInvalidParameter),
              platform::kFileInvalidParameter);
    EXPECT_EQ(closeAfterChange(FaultyFileSystem::kWrite, platform::kFileDiskFull), platform::kFileDiskFull);
    EXPECT_EQ(closeAfterChange(FaultyFileSystem::kTruncate, platform::kFileAccessDenied),
              platform::kFileAccessDenied);
    EXPECT_EQ(FileContents(path), "ab23456789");   // the write before the failed cut got out

    WholeFileStream stream;
    ASSERT_EQ(stream.Open(path.c_str(), kReadWrite), kStatusOk);
    EXPECT_EQ(stream.Write("xyz", 3), 3);
    files.ShortWrites(2);
    EXPECT_EQ(stream.Flush(), kStatusShortWrite);
    EXPECT_EQ(FileContents(path), "xy23456789");
    // The close tries again what the flush could not get out.
    files.Heal();
    EXPECT_EQ(stream.Close(), kStatusOk);
    EXPECT_EQ(FileContents(path), "xyz3456789");
}

// Moves outside the bytes the stream may hold are refused and leave the
// cursor where it was.
TEST(WholeFileStream, MovesBeyondItsLimitsAreRefused) {
    TempDir folder;
    folder.WriteFile("data", "0123");
    const std::string path = folder.Str() + "/data";
    WholeFileStream stream;
    ASSERT_EQ(stream.Open(path.c_str(), kReadWrite), kStatusOk);
    EXPECT_EQ(stream.Seek(2, 0), 2);

    EXPECT_EQ(stream.Seek(-3, 1), -1);
    EXPECT_EQ(stream.LastError(), kStatusPlatformFailed);
    EXPECT_EQ(stream.Seek(WholeFileStream::kMaxBytes + 1, 0), -1);
    EXPECT_EQ(stream.SetLength(-1), -1);
    EXPECT_EQ(stream.SetLength(WholeFileStream::kMaxBytes + 1), -1);
    char byte = 0;
    EXPECT_EQ(stream.Read(&byte, 0), 0);
    EXPECT_EQ(stream.Read(&byte, 1), 1);
    EXPECT_EQ(byte, '2');

    ASSERT_EQ(stream.Seek(WholeFileStream::kMaxBytes - 1, 0), WholeFileStream::kMaxBytes - 1);
    EXPECT_EQ(stream.Write("ab", 2), 0);
    EXPECT_EQ(stream.LastError(), kStatusShortWrite);
    EXPECT_EQ(stream.Length(), 4);
    EXPECT_EQ(stream.Close(), kStatusOk);
    EXPECT_EQ(FileContents(path), "0123");
}

}  // namespace
