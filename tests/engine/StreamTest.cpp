#include "engine/Stream.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "engine/BufferedFileStream.h"
#include "engine/FileStream.h"
#include "engine/FileWrappers.h"
#include "tests/support/FaultyFileSystem.h"
#include "tests/support/MemoryStream.h"
#include "tests/support/ScopedInstall.h"
#include "tests/support/TempDir.h"

namespace {

std::vector<uint8_t> Pattern(size_t size) {
    std::vector<uint8_t> bytes(size);
    for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<uint8_t>(i * 7 + i / 251);
    return bytes;
}

constexpr uint32_t kReadWriteCreate = kOpenRead | kOpenWrite | kOpenCreate;

// Sizes around the 2048-byte piece: none, short, exact, one over, several.
class StreamCopySizes : public ::testing::TestWithParam<size_t> {};

TEST_P(StreamCopySizes, CopyToCopiesEveryByteBetweenFiles) {
    const TempDir folder;
    const std::vector<uint8_t> data = Pattern(GetParam());
    FileStream source;
    FileStream destination;
    ASSERT_EQ(source.Open((folder.Str() + "/from").c_str(), kReadWriteCreate), kStatusOk);
    ASSERT_EQ(source.Write(data.data(), static_cast<int32_t>(data.size())), static_cast<int32_t>(data.size()));
    ASSERT_EQ(source.Seek(0, 0), 0);
    ASSERT_EQ(destination.Open((folder.Str() + "/to").c_str(), kReadWriteCreate), kStatusOk);

    EXPECT_EQ(source.CopyTo(destination), kStatusOk);

    ASSERT_EQ(destination.Length(), static_cast<int32_t>(data.size()));
    std::vector<uint8_t> back(data.size() + 1);
    ASSERT_EQ(destination.Seek(0, 0), 0);
    EXPECT_EQ(destination.Read(back.data(), static_cast<int32_t>(back.size())), static_cast<int32_t>(data.size()));
    back.resize(data.size());
    EXPECT_EQ(back, data);
}

TEST_P(StreamCopySizes, CopyFromFillsABufferedStreamFromMemory) {
    const TempDir folder;
    MemoryStream source(Pattern(GetParam()));
    BufferedFileStream destination;
    ASSERT_EQ(destination.Open((folder.Str() + "/to").c_str(), kReadWriteCreate), kStatusOk);

    EXPECT_EQ(destination.CopyFrom(source), kStatusOk);

    ASSERT_EQ(destination.Seek(0, 0), 0);
    MemoryStream back;
    EXPECT_EQ(destination.CopyTo(back), kStatusOk);
    EXPECT_EQ(back.Bytes(), source.Bytes());
}

INSTANTIATE_TEST_SUITE_P(AroundThePiece, StreamCopySizes,
                         ::testing::Values(0u, 1u, 2047u, 2048u, 2049u, 4096u, 10000u));

// The memory stream fails every read that touches offset 0, so a copy that
// asked again after -1 would never end.
TEST(StreamCopy, AReadThatKeepsFailingEndsTheCopyWithTheReadersCode) {
    MemoryStream source(Pattern(5000));
    source.FailReadsAt(0);
    MemoryStream destination;

    EXPECT_EQ(source.CopyTo(destination), MemoryStream::kStatusInjectedFault);
    EXPECT_TRUE(destination.Bytes().empty());
    EXPECT_EQ(destination.LastError(), kStatusOk);

    EXPECT_EQ(destination.CopyFrom(source), MemoryStream::kStatusInjectedFault);
}

TEST(StreamCopy, AReadFailingMidwayKeepsWhatWasCopied) {
    MemoryStream source(Pattern(5000));
    source.FailReadsAt(4500);
    MemoryStream destination;
    EXPECT_EQ(source.CopyTo(destination), MemoryStream::kStatusInjectedFault);
    EXPECT_EQ(destination.Bytes(), Pattern(4096));
}

TEST(StreamCopy, AFailedWriteEndsTheCopyWithTheWritersCode) {
    MemoryStream source(Pattern(5000));
    MemoryStream destination;
    destination.FailWritesAt(3000);

    EXPECT_EQ(source.CopyTo(destination), MemoryStream::kStatusInjectedFault);
    EXPECT_EQ(source.Cursor(), 4096);  // the second piece was read, and nothing after it
    EXPECT_EQ(destination.Bytes().size(), 2048u);
}

TEST(StreamCopy, AShortWriteEndsTheCopyAsAShortWrite) {
    MemoryStream source(Pattern(5000));
    MemoryStream destination;
    destination.ShortWritesAt(100);

    EXPECT_EQ(destination.CopyFrom(source), kStatusShortWrite);
    EXPECT_EQ(source.Cursor(), 2048);
    EXPECT_EQ(destination.Bytes().size(), 100u);
}

TEST(StreamCopy, AWriteThatTakesNothingIsAShortWriteEvenWithoutACode) {
    MemoryStream source(Pattern(100));
    BufferedFileStream closed;  // not open, so not writable: it takes nothing and says nothing
    EXPECT_EQ(source.CopyTo(closed), kStatusShortWrite);
    EXPECT_EQ(closed.LastError(), kStatusOk);
}

TEST(StreamCopy, AFileThatFailsAWriteGivesItsSystemCode) {
    const TempDir folder;
    folder.WriteFile("data", "data");
    MemoryStream source(Pattern(100));
    FileStream readOnly;
    ASSERT_EQ(readOnly.Open((folder.Str() + "/data").c_str(), kOpenRead), kStatusOk);
    const Status result = readOnly.CopyFrom(source);
    EXPECT_NE(result, kStatusOk);
    EXPECT_NE(result, kStatusShortWrite);
    EXPECT_EQ(result, readOnly.LastError());
}

// The file streams report a failed read as a count of 0 and their code.
TEST(StreamCopy, AFileWhoseReadFailsFailsTheCopyWithItsCode) {
    const TempDir folder;
    folder.WriteFile("data", std::string(5000, 'x'));
    FaultyFileSystem files;
    const ScopedInstall<platform::FileSystem> installed(files);
    for (const bool buffered : {false, true}) {
        FileStream plain;
        BufferedFileStream withBuffer;
        Stream& source = buffered ? static_cast<Stream&>(withBuffer) : plain;
        ASSERT_EQ(source.Open((folder.Str() + "/data").c_str(), kOpenRead), kStatusOk);
        files.FailNext(FaultyFileSystem::kRead, 1, platform::kFileAccessDenied);
        MemoryStream destination;
        EXPECT_EQ(source.CopyTo(destination), platform::kFileAccessDenied) << buffered;
        source.Close();
    }
}

TEST(Stream, ProcessLastErrorIsTheFileLayersWord) {
    SetFileLastError(123);
    EXPECT_EQ(Stream::ProcessLastError(), 123u);

    FileStream stream;
    const TempDir folder;
    const Status opened = stream.Open((folder.Str() + "/missing").c_str(), kOpenRead);
    EXPECT_NE(opened, kStatusOk);
    EXPECT_EQ(Stream::ProcessLastError(), opened);
    SetFileLastError(0);
}

}  // namespace
