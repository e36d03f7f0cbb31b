#include "engine/BufferedFileStream.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "engine/EngineHeap.h"
#include "engine/FileWrappers.h"
#include "engine/IffFile.h"
#include "tests/support/FaultyFileSystem.h"
#include "tests/support/FileContents.h"
#include "tests/support/ScopedEngineHeap.h"
#include "tests/support/ScopedInstall.h"
#include "tests/support/TempDir.h"

namespace {

constexpr uint32_t kReadWriteCreate = kOpenRead | kOpenWrite | kOpenCreate;
constexpr uint32_t kDirtyBits = Stream::kBufferDirty | Stream::kBufferDirtyPair;

std::string Digits(size_t size) {
    std::string text(size, '0');
    for (size_t i = 0; i < size; ++i) text[i] = static_cast<char>('0' + i % 10);
    return text;
}

class BufferedFileStreamTest : public ::testing::Test {
protected:
    std::string File(const char* name) const { return folder_.Str() + "/" + name; }
    TempDir folder_;
};

// --- opening and closing -------------------------------------------------

TEST_F(BufferedFileStreamTest, OpenAndCloseGiveTheStreamCodes) {
    folder_.WriteFile("data", "0123456789");
    BufferedFileStream stream;
    EXPECT_EQ(stream.Close(), kStatusStreamNotOpen);
    EXPECT_EQ(stream.Flush(), kStatusStreamNotOpen);

    ASSERT_EQ(stream.Open(File("data").c_str(), kOpenRead), kStatusOk);
    EXPECT_EQ(stream.State(), Stream::kOpen | Stream::kReadable);
    EXPECT_EQ(stream.Flush(), kStatusOk);  // nothing to write on a read-only stream
    EXPECT_EQ(stream.Close(), kStatusOk);
    EXPECT_EQ(stream.State(), 0u);
    EXPECT_EQ(stream.Close(), kStatusStreamNotOpen);
}

TEST_F(BufferedFileStreamTest, OpeningAnOpenStreamKeepsItsFileAndBuffer) {
    folder_.WriteFile("first", Digits(2000));
    folder_.WriteFile("second", "second");
    BufferedFileStream stream;
    ASSERT_EQ(stream.Open(File("first").c_str(), kOpenRead), kStatusOk);
    char head[5] = {};
    ASSERT_EQ(stream.Read(head, 5), 5);
    const uint32_t state = stream.State();

    EXPECT_EQ(stream.Open(File("second").c_str(), kOpenRead), kStatusStreamAlreadyOpen);
    EXPECT_EQ(stream.OpenTemporary("vst", kOpenRead), kStatusStreamAlreadyOpen);

    EXPECT_EQ(stream.State(), state);
    EXPECT_STREQ(stream.Path(), File("first").c_str());
    char next[3] = {};
    ASSERT_EQ(stream.Read(next, 3), 3);  // the read-ahead is still there
    EXPECT_EQ(std::string(next, 3), "567");
}

TEST_F(BufferedFileStreamTest, WithoutMemoryForTheBufferOpenFailsAndCloses) {
    ASSERT_FALSE(EngineHeap::IsReserved());
    folder_.WriteFile("data", "data");
    BufferedFileStream stream;
    {
        ScopedEngineHeap full(ScopedEngineHeap::kFull);
        EXPECT_EQ(stream.Open(File("data").c_str(), kOpenRead), kStatusPlatformFailed);
        EXPECT_EQ(stream.LastError(), kStatusPlatformFailed);
        EXPECT_FALSE(stream.IsOpen());
        EXPECT_EQ(stream.Handle(), platform::kNoFile);
        EXPECT_EQ(stream.OpenTemporary("vst", kOpenRead), kStatusPlatformFailed);
        EXPECT_FALSE(stream.IsOpen());
    }
    ASSERT_EQ(stream.Open(File("data").c_str(), kOpenRead), kStatusOk);
    char back[4] = {};
    EXPECT_EQ(stream.Read(back, 4), 4);
}

TEST_F(BufferedFileStreamTest, TemporaryAndDeleteOnCloseFilesVanish) {
    BufferedFileStream temporary;
    ASSERT_EQ(temporary.OpenTemporary("vst", kOpenRead), kStatusOk);
    const std::string made = temporary.TemporaryName();
    EXPECT_STREQ(temporary.Path(), "vst");
    ASSERT_EQ(temporary.Write("abc", 3), 3);
    ASSERT_EQ(temporary.Seek(0, 0), 0);
    char back[3] = {};
    EXPECT_EQ(temporary.Read(back, 3), 3);
    EXPECT_EQ(std::string(back, 3), "abc");
    EXPECT_EQ(temporary.Close(), kStatusOk);
    EXPECT_FALSE(std::filesystem::exists(made));

    BufferedFileStream scratch;
    ASSERT_EQ(scratch.Open(File("scratch").c_str(), kReadWriteCreate | kOpenDeleteOnClose), kStatusOk);
    ASSERT_EQ(scratch.Write("abc", 3), 3);
    EXPECT_EQ(scratch.Close(), kStatusOk);
    EXPECT_FALSE(std::filesystem::exists(File("scratch")));
}

TEST_F(BufferedFileStreamTest, DestroyingAWrittenStreamWritesItsBufferOut) {
    {
        BufferedFileStream stream;
        ASSERT_EQ(stream.Open(File("out").c_str(), kOpenWrite | kOpenCreate), kStatusOk);
        ASSERT_EQ(stream.Write("buffered", 8), 8);
    }
    EXPECT_EQ(FileContents(File("out")), "buffered");
}

// --- the buffer ------------------------------------------------------------

TEST_F(BufferedFileStreamTest, WrittenBytesReachTheFileWhenTheBufferFillsOrIsFlushed) {
    BufferedFileStream stream;
    ASSERT_EQ(stream.Open(File("out").c_str(), kOpenWrite | kOpenCreate), kStatusOk);
    const std::string text = Digits(1500);

    ASSERT_EQ(stream.Write(text.data(), 1024), 1024);
    EXPECT_EQ(stream.State() & kDirtyBits, kDirtyBits);
    EXPECT_EQ(FileContents(File("out")).size(), 0u);  // a full buffer waits for the next byte

    ASSERT_EQ(stream.Write(text.data() + 1024, 476), 476);
    EXPECT_EQ(FileContents(File("out")), text.substr(0, 1024));

    EXPECT_EQ(stream.Flush(), kStatusOk);
    EXPECT_EQ(stream.State() & kDirtyBits, 0u);
    EXPECT_EQ(FileContents(File("out")), text);
}

TEST_F(BufferedFileStreamTest, ReadingMarksTheBufferAsReadAheadAndSeekingDropsIt) {
    folder_.WriteFile("data", Digits(100));
    BufferedFileStream stream;
    ASSERT_EQ(stream.Open(File("data").c_str(), kOpenRead), kStatusOk);
    char byte = 0;
    ASSERT_EQ(stream.Read(&byte, 1), 1);
    EXPECT_TRUE(stream.State() & Stream::kBufferReadAhead);
    EXPECT_EQ(stream.State() & kDirtyBits, 0u);
    EXPECT_EQ(stream.Seek(0, 1), 1);
    EXPECT_FALSE(stream.State() & Stream::kBufferReadAhead);
}

TEST_F(BufferedFileStreamTest, ReadingAfterWritingReadsFromBehindTheWrittenBytes) {
    folder_.WriteFile("data", Digits(3000));
    BufferedFileStream stream;
    ASSERT_EQ(stream.Open(File("data").c_str(), kOpenRead | kOpenWrite), kStatusOk);
    ASSERT_EQ(stream.Write("wxyz", 4), 4);
    char back[4] = {};
    ASSERT_EQ(stream.Read(back, 4), 4);
    EXPECT_EQ(std::string(back, 4), "4567");
    EXPECT_EQ(stream.State() & kDirtyBits, 0u);
    EXPECT_EQ(FileContents(File("data")).substr(0, 10), "wxyz456789");
}

TEST_F(BufferedFileStreamTest, WritingAfterReadingWritesBehindTheBytesRead) {
    folder_.WriteFile("data", Digits(3000));
    BufferedFileStream stream;
    ASSERT_EQ(stream.Open(File("data").c_str(), kOpenRead | kOpenWrite), kStatusOk);
    char back[3] = {};
    ASSERT_EQ(stream.Read(back, 3), 3);
    ASSERT_EQ(stream.Write("ab", 2), 2);
    ASSERT_EQ(stream.Close(), kStatusOk);
    const std::string contents = FileContents(File("data"));
    EXPECT_EQ(contents.substr(0, 8), "012ab567");
    EXPECT_EQ(contents.size(), 3000u);
}

TEST_F(BufferedFileStreamTest, ARelativeSeekAfterReadAheadCountsFromTheNextUnreadByte) {
    folder_.WriteFile("data", Digits(3000));
    BufferedFileStream stream;
    ASSERT_EQ(stream.Open(File("data").c_str(), kOpenRead), kStatusOk);
    char buffer[10] = {};
    ASSERT_EQ(stream.Read(buffer, 10), 10);
    EXPECT_EQ(stream.Seek(0, 1), 10);
    char next = 0;
    ASSERT_EQ(stream.Read(&next, 1), 1);
    EXPECT_EQ(next, '0');  // byte 10
    EXPECT_EQ(stream.Seek(-6, 1), 5);
    ASSERT_EQ(stream.Read(&next, 1), 1);
    EXPECT_EQ(next, '5');
    EXPECT_EQ(stream.Seek(1, 5), 7);  // origin 5 is 1 as well
}

TEST_F(BufferedFileStreamTest, ARefusedSeekAfterReadAheadLeavesTheReaderWhereItWas) {
    folder_.WriteFile("data", Digits(3000));
    BufferedFileStream stream;
    ASSERT_EQ(stream.Open(File("data").c_str(), kOpenRead), kStatusOk);
    char buffer[12] = {};
    ASSERT_EQ(stream.Read(buffer, 12), 12);
    EXPECT_EQ(stream.Seek(-100, 1), -1);
    EXPECT_NE(stream.LastError(), kStatusOk);
    char next = 0;
    ASSERT_EQ(stream.Read(&next, 1), 1);
    EXPECT_EQ(next, '2');  // byte 12
}

TEST_F(BufferedFileStreamTest, AReadPastTheEndReturnsWhatWasThereAndSignalsTheEnd) {
    folder_.WriteFile("data", Digits(1500));
    BufferedFileStream stream;
    ASSERT_EQ(stream.Open(File("data").c_str(), kOpenRead), kStatusOk);
    std::vector<char> buffer(3000);
    EXPECT_EQ(stream.Read(buffer.data(), 3000), 1500);
    EXPECT_EQ(std::string(buffer.data(), 1500), Digits(1500));
    EXPECT_EQ(stream.LastError(), kStatusEndOfData);
    EXPECT_EQ(stream.Read(buffer.data(), 1), 0);
}

TEST_F(BufferedFileStreamTest, CountsOfZeroOrBelowAndTheWrongDirectionDoNothing) {
    folder_.WriteFile("data", Digits(10));
    BufferedFileStream reader;
    ASSERT_EQ(reader.Open(File("data").c_str(), kOpenRead), kStatusOk);
    char buffer[4] = {};
    EXPECT_EQ(reader.Read(buffer, 0), 0);
    EXPECT_EQ(reader.Read(buffer, -3), 0);
    EXPECT_EQ(reader.Write("ab", 2), 0);  // not writable
    EXPECT_EQ(reader.State(), Stream::kOpen | Stream::kReadable);

    BufferedFileStream writer;
    ASSERT_EQ(writer.Open(File("out").c_str(), kOpenWrite | kOpenCreate), kStatusOk);
    EXPECT_EQ(writer.Write("ab", -2), 0);
    EXPECT_EQ(writer.Read(buffer, 4), 0);  // not readable
    EXPECT_EQ(writer.LastError(), kStatusOk);
    EXPECT_EQ(writer.Length(), 0);
}

TEST_F(BufferedFileStreamTest, LengthAndSetLengthSeeTheBytesStillInTheBuffer) {
    BufferedFileStream stream;
    ASSERT_EQ(stream.Open(File("data").c_str(), kReadWriteCreate), kStatusOk);
    ASSERT_EQ(stream.Write("0123456789", 10), 10);
    EXPECT_EQ(stream.Length(), 10);
    ASSERT_EQ(stream.Write("abc", 3), 3);
    EXPECT_EQ(stream.SetLength(12), 12);
    ASSERT_EQ(stream.Seek(0, 0), 0);
    char buffer[20] = {};
    ASSERT_EQ(stream.Read(buffer, 3), 3);
    EXPECT_EQ(stream.SetLength(5), 5);  // moves there, past the read-ahead
    EXPECT_EQ(stream.Read(buffer, 20), 0);
    ASSERT_EQ(stream.Close(), kStatusOk);
    EXPECT_EQ(FileContents(File("data")), "01234");
}

// --- agreement with the unbuffered stream ------------------------------------

class BufferedFileStreamAgreement : public BufferedFileStreamTest, public ::testing::WithParamInterface<uint32_t> {};

// Every operation on the buffered stream is mirrored on a plain stream over a
// second file; counts, positions, bytes read and the files must agree.
TEST_P(BufferedFileStreamAgreement, MatchesAnUnbufferedStreamOverLongRandomRuns) {
    std::mt19937 random(GetParam());
    auto below = [&random](int32_t bound) { return static_cast<int32_t>(random() % static_cast<uint32_t>(bound)); };

    const std::string seed = Digits(5000);
    folder_.WriteFile("buffered", seed);
    folder_.WriteFile("plain", seed);
    BufferedFileStream buffered;
    FileStream plain;
    ASSERT_EQ(buffered.Open(File("buffered").c_str(), kOpenRead | kOpenWrite), kStatusOk);
    ASSERT_EQ(plain.Open(File("plain").c_str(), kOpenRead | kOpenWrite), kStatusOk);

    std::vector<uint8_t> out(3000);
    std::vector<uint8_t> in(3001);
    std::vector<uint8_t> expected(3001);
    for (int step = 0; step < 4000; ++step) {
        const int32_t choice = below(100);
        const int32_t size = below(3001);
        SCOPED_TRACE(::testing::Message() << "step " << step << " choice " << choice << " size " << size);
        if (choice < 32) {
            for (int32_t i = 0; i < size; ++i) out[static_cast<size_t>(i)] = static_cast<uint8_t>(random());
            ASSERT_EQ(buffered.Write(out.data(), size), plain.Write(out.data(), size));
        } else if (choice < 64) {
            const int32_t got = plain.Read(expected.data(), size);
            ASSERT_EQ(buffered.Read(in.data(), size), got);
            ASSERT_TRUE(std::equal(in.begin(), in.begin() + got, expected.begin()));
        } else if (choice < 94) {
            const uint32_t origin = static_cast<uint32_t>(below(4));
            // From here or the end: either way, some targets before the start.
            const bool fromStart = origin == 0 || origin == 3;
            const int32_t distance = fromStart ? size + below(3000) : size - below(3001) - 500;
            ASSERT_EQ(buffered.Seek(distance, origin), plain.Seek(distance, origin)) << "origin " << origin;
        } else if (choice < 96) {
            ASSERT_EQ(buffered.Length(), plain.Length());
        } else if (choice < 98) {
            ASSERT_EQ(buffered.SetLength(size * 3), plain.SetLength(size * 3));
        } else {
            ASSERT_EQ(buffered.Flush(), kStatusOk);
        }
    }
    ASSERT_EQ(buffered.Seek(0, 1), plain.Seek(0, 1));
    ASSERT_EQ(buffered.Close(), kStatusOk);
    ASSERT_EQ(plain.Close(), kStatusOk);
    const std::string bufferedBytes = FileContents(File("buffered"));
    const std::string plainBytes = FileContents(File("plain"));
    EXPECT_EQ(bufferedBytes.size(), plainBytes.size());
    EXPECT_TRUE(bufferedBytes == plainBytes);
}

INSTANTIATE_TEST_SUITE_P(Seeds, BufferedFileStreamAgreement, ::testing::Values(1u, 20240607u, 977u));

// --- a disk that refuses or falls short ---------------------------------------

class BufferedFileStreamFaults : public BufferedFileStreamTest {
protected:
    FaultyFileSystem files_;
    ScopedInstall<platform::FileSystem> installed_{files_};
};

TEST_F(BufferedFileStreamFaults, ManySmallReadsBecomeOneSystemReadPerBuffer) {
    folder_.WriteFile("data", Digits(3000));
    BufferedFileStream stream;
    ASSERT_EQ(stream.Open(File("data").c_str(), kOpenRead), kStatusOk);
    char buffer[10] = {};
    for (int i = 0; i < 150; ++i) ASSERT_EQ(stream.Read(buffer, 10), 10);
    EXPECT_EQ(files_.ReadRequests(), (std::vector<uint32_t>{1024, 1024}));
}

TEST_F(BufferedFileStreamFaults, ShortSystemReadsStillFillTheCallersBuffer) {
    folder_.WriteFile("data", Digits(3000));
    files_.ShortReads(100);
    BufferedFileStream stream;
    ASSERT_EQ(stream.Open(File("data").c_str(), kOpenRead), kStatusOk);
    std::vector<char> buffer(2500);
    ASSERT_EQ(stream.Read(buffer.data(), 2500), 2500);
    EXPECT_EQ(std::string(buffer.data(), 2500), Digits(2500));
}

TEST_F(BufferedFileStreamFaults, AFailedRefillReturnsNothingWithTheSystemCode) {
    folder_.WriteFile("data", Digits(3000));
    BufferedFileStream stream;
    ASSERT_EQ(stream.Open(File("data").c_str(), kOpenRead), kStatusOk);
    files_.FailNext(FaultyFileSystem::kRead, 1, platform::kFileLockViolation);
    char buffer[10] = {};
    EXPECT_EQ(stream.Read(buffer, 10), 0);
    EXPECT_EQ(stream.LastError(), platform::kFileLockViolation);
}

TEST_F(BufferedFileStreamFaults, AShortWriteOfTheBufferIs29) {
    BufferedFileStream stream;
    ASSERT_EQ(stream.Open(File("out").c_str(), kReadWriteCreate), kStatusOk);
    files_.ShortWrites(4);
    ASSERT_EQ(stream.Write(Digits(10).data(), 10), 10);
    EXPECT_EQ(stream.Flush(), kStatusShortWrite);
    EXPECT_EQ(stream.LastError(), kStatusShortWrite);

    const std::string text = Digits(2000);
    EXPECT_EQ(stream.Write(text.data(), 2000), 0);  // the full buffer goes out short
    EXPECT_EQ(stream.LastError(), kStatusShortWrite);
}

TEST_F(BufferedFileStreamFaults, AFailedWriteOfTheBufferGivesTheSystemCode) {
    BufferedFileStream stream;
    ASSERT_EQ(stream.Open(File("out").c_str(), kReadWriteCreate), kStatusOk);
    files_.FailNext(FaultyFileSystem::kWrite, 1, platform::kFileDiskFull);
    const std::string text = Digits(2000);
    EXPECT_EQ(stream.Write(text.data(), 2000), 0);
    EXPECT_EQ(stream.LastError(), platform::kFileDiskFull);
}

TEST_F(BufferedFileStreamFaults, AFlushThatFallsShortFailsTheSeekAndTheClose) {
    BufferedFileStream stream;
    ASSERT_EQ(stream.Open(File("out").c_str(), kReadWriteCreate), kStatusOk);
    ASSERT_EQ(stream.Write("0123456789", 10), 10);
    files_.FailNext(FaultyFileSystem::kWrite, 1, platform::kFileDiskFull);
    EXPECT_EQ(stream.Seek(0, 0), -1);  // a status is no position
    EXPECT_EQ(stream.LastError(), kStatusShortWrite);

    ASSERT_EQ(stream.Write("0123456789", 10), 10);
    files_.ShortWrites(4);
    EXPECT_EQ(stream.Close(), kStatusShortWrite);
    EXPECT_FALSE(stream.IsOpen());
    EXPECT_EQ(stream.Handle(), platform::kNoFile);
}

TEST_F(BufferedFileStreamFaults, AFailedSystemFlushIsTheFlushResult) {
    BufferedFileStream stream;
    ASSERT_EQ(stream.Open(File("out").c_str(), kReadWriteCreate), kStatusOk);
    ASSERT_EQ(stream.Write("0123456789", 10), 10);
    files_.FailNext(FaultyFileSystem::kFlush, 1, platform::kFileAccessDenied);
    EXPECT_EQ(stream.Flush(), platform::kFileAccessDenied);
    EXPECT_EQ(stream.State() & kDirtyBits, 0u);
    EXPECT_EQ(FileContents(File("out")), "0123456789");
}

TEST_F(BufferedFileStreamFaults, CopyingIntoAStreamThatFallsShortStopsWith29) {
    folder_.WriteFile("data", Digits(5000));
    FileStream source;
    ASSERT_EQ(source.Open(File("data").c_str(), kOpenRead), kStatusOk);
    BufferedFileStream destination;
    ASSERT_EQ(destination.Open(File("out").c_str(), kReadWriteCreate), kStatusOk);
    files_.ShortWrites(100);
    EXPECT_EQ(source.CopyTo(destination), kStatusShortWrite);
}

// A chunk file asks for its position with a seek after every chunk: the
// bytes must reach the file there, but only Flush and Close sync the disk.
TEST_F(BufferedFileStreamFaults, OnlyFlushAndCloseSyncTheFile) {
    BufferedFileStream stream;
    ASSERT_EQ(stream.Open(File("out").c_str(), kReadWriteCreate), kStatusOk);
    IffFile iff(&stream, 0);
    ASSERT_EQ(iff.ValidateHeader(), kStatusOk);
    ASSERT_EQ(iff.BeginForm(MakeTag("TEST")), kStatusOk);
    for (int i = 0; i < 200; ++i) ASSERT_EQ(iff.WriteChunk(MakeTag("DATA"), "abcdef", 6), kStatusOk);
    ASSERT_EQ(iff.Ascend(), kStatusOk);
    EXPECT_EQ(stream.Length(), 12 + 200 * 14);
    EXPECT_EQ(files_.Calls(FaultyFileSystem::kFlush), 0u);
    ASSERT_EQ(stream.Flush(), kStatusOk);
    EXPECT_EQ(files_.Calls(FaultyFileSystem::kFlush), 1u);
    ASSERT_EQ(stream.Write("x", 1), 1);
    ASSERT_EQ(stream.Close(), kStatusOk);
    EXPECT_EQ(files_.Calls(FaultyFileSystem::kFlush), 2u);
}

// Bytes still in the buffer must reach the file before anything else is
// done; when they cannot, the stream says so instead of reading, writing or
// measuring a file that lacks them.
TEST_F(BufferedFileStreamTest, WhatCannotBePutRightInTheFileFirstStopsTheNextStep) {
    FaultyFileSystem files;
    ScopedInstall<platform::FileSystem> installed(files);
    BufferedFileStream stream;
    ASSERT_EQ(stream.Open(File("f").c_str(), kReadWriteCreate), kStatusOk);
    ASSERT_EQ(stream.Write("abcdef", 6), 6);
    ASSERT_EQ(stream.Seek(0, 0), 0);
    ASSERT_EQ(stream.Write("xy", 2), 2);   // buffered, not yet in the file

    files.FailNext(FaultyFileSystem::kWrite, 1, platform::kFileDiskFull);
    char byte = 0;
    EXPECT_EQ(stream.Read(&byte, 1), 0);
    EXPECT_EQ(stream.LastError(), kStatusShortWrite);
    ASSERT_EQ(stream.Seek(0, 0), 0);
    ASSERT_EQ(stream.Write("xy", 2), 2);
    files.FailNext(FaultyFileSystem::kWrite, 1, platform::kFileDiskFull);
    EXPECT_EQ(stream.Length(), -1);
    EXPECT_EQ(stream.LastError(), kStatusShortWrite);
    files.Heal();
    ASSERT_EQ(stream.Seek(0, 0), 0);
    ASSERT_EQ(stream.Write("xy", 2), 2);
    EXPECT_EQ(stream.Length(), 6);
    EXPECT_EQ(FileContents(File("f")), "xycdef");

    // After a read the file is ahead of the reader; putting it back needs a seek.
    ASSERT_EQ(stream.Read(&byte, 1), 1);
    EXPECT_EQ(byte, 'c');
    files.FailNext(FaultyFileSystem::kSeek, 1, platform::kFileInvalidHandle);
    EXPECT_EQ(stream.Write("Z", 1), 0);
    files.FailNext(FaultyFileSystem::kSeek, 1, platform::kFileInvalidHandle);
    EXPECT_EQ(stream.SetLength(4), -1);
    files.Heal();
    EXPECT_EQ(stream.Write("Z", 1), 1);
    EXPECT_EQ(stream.Close(), kStatusOk);
    EXPECT_EQ(FileContents(File("f")), "xycZef");
}

}  // namespace
