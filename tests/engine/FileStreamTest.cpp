#include "engine/FileStream.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <string>

#include <fcntl.h>
#include <sys/stat.h>

#include "engine/FileWrappers.h"
#include "tests/support/FaultyFileSystem.h"
#include "tests/support/FileContents.h"
#include "tests/support/ScopedInstall.h"
#include "tests/support/TempDir.h"

namespace {

constexpr uint32_t kReadWriteCreate = kOpenRead | kOpenWrite | kOpenCreate;

class FileStreamTest : public ::testing::Test {
protected:
    std::string File(const char* name) const { return folder_.Str() + "/" + name; }
    TempDir folder_;
};

// --- opening and closing -------------------------------------------------

struct ModeAndState {
    uint32_t mode;
    uint32_t state;
};

class FileStreamModes : public FileStreamTest, public ::testing::WithParamInterface<ModeAndState> {};

TEST_P(FileStreamModes, OpenSetsTheStateBitsOfTheMode) {
    folder_.WriteFile("data", "abc");
    FileStream stream;
    ASSERT_EQ(stream.Open(File("data").c_str(), GetParam().mode), kStatusOk);
    EXPECT_EQ(stream.State(), GetParam().state);
    EXPECT_STREQ(stream.Path(), File("data").c_str());
    EXPECT_NE(stream.Handle(), platform::kNoFile);
    EXPECT_EQ(stream.Close(), kStatusOk);
    EXPECT_EQ(stream.State(), 0u);
    EXPECT_EQ(stream.Handle(), platform::kNoFile);
}

INSTANTIATE_TEST_SUITE_P(
    Modes, FileStreamModes,
    ::testing::Values(ModeAndState{kOpenGameData, Stream::kOpen | Stream::kReadable},
                      ModeAndState{kOpenRead | kOpenWrite, Stream::kOpen | Stream::kReadable | Stream::kWritable},
                      ModeAndState{kOpenWrite | kOpenCreate, Stream::kOpen | Stream::kWritable},
                      // Create and append give the file write access but only 0x2 marks the stream writable.
                      ModeAndState{kOpenCreate, Stream::kOpen},
                      ModeAndState{kOpenRead | kOpenAppend, Stream::kOpen | Stream::kReadable},
                      ModeAndState{kOpenRead | kOpenWrite | kOpenDeleteOnClose,
                                   Stream::kOpen | Stream::kReadable | Stream::kWritable | Stream::kDeleteOnClose}));

TEST_F(FileStreamTest, ANewStreamIsClosedAndRefusesCloseAndFlush) {
    FileStream stream;
    EXPECT_EQ(stream.State(), 0u);
    EXPECT_EQ(stream.LastError(), kStatusOk);
    EXPECT_STREQ(stream.Path(), "");
    EXPECT_EQ(stream.Handle(), platform::kNoFile);
    EXPECT_EQ(stream.Close(), kStatusStreamNotOpen);
    EXPECT_EQ(stream.Flush(), kStatusStreamNotOpen);
}

TEST_F(FileStreamTest, OpeningAnOpenStreamIsRefusedAndChangesNothing) {
    folder_.WriteFile("first", "first file");
    folder_.WriteFile("second", "second file");
    FileStream stream;
    ASSERT_EQ(stream.Open(File("first").c_str(), kOpenRead), kStatusOk);
    char head[3] = {};
    ASSERT_EQ(stream.Read(head, 3), 3);
    const platform::FileHandle handle = stream.Handle();
    const uint32_t state = stream.State();

    EXPECT_EQ(stream.Open(File("second").c_str(), kReadWriteCreate), kStatusStreamAlreadyOpen);
    EXPECT_EQ(stream.OpenTemporary("tmp", kOpenRead), kStatusStreamAlreadyOpen);

    EXPECT_EQ(stream.Handle(), handle);
    EXPECT_EQ(stream.State(), state);
    EXPECT_STREQ(stream.Path(), File("first").c_str());
    EXPECT_EQ(stream.LastError(), kStatusOk);
    char rest[7] = {};
    EXPECT_EQ(stream.Read(rest, 7), 7);
    EXPECT_EQ(std::string(rest, 7), "st file");
    EXPECT_EQ(FileContents(File("second")), "second file");  // not truncated by the refused open
}

TEST_F(FileStreamTest, AFailedOpenReportsTheSystemCodeAndStaysClosed) {
    FileStream stream;
    const Status result = stream.Open(File("missing").c_str(), kOpenRead);
    EXPECT_EQ(result, platform::kFileNotFound);
    EXPECT_EQ(stream.LastError(), result);
    EXPECT_EQ(Stream::ProcessLastError(), result);
    EXPECT_FALSE(stream.IsOpen());
    EXPECT_STREQ(stream.Path(), "");
    EXPECT_EQ(stream.Handle(), platform::kNoFile);
}

TEST_F(FileStreamTest, AStreamOpensAgainAfterClosingWithFreshState) {
    folder_.WriteFile("a", "a");
    folder_.WriteFile("b", "b");
    FileStream stream;
    ASSERT_EQ(stream.Open(File("a").c_str(), kOpenRead | kOpenWrite), kStatusOk);
    ASSERT_EQ(stream.Close(), kStatusOk);
    ASSERT_EQ(stream.Open(File("b").c_str(), kOpenRead), kStatusOk);
    EXPECT_EQ(stream.State(), Stream::kOpen | Stream::kReadable);
    EXPECT_STREQ(stream.Path(), File("b").c_str());
}

// A name of `length` characters under the folder, made of folders so that
// each part stays within the system's limit for one name.
std::string LongName(const TempDir& folder, size_t length) {
    const std::string base = folder.Str() + "/";
    std::string relative;
    while (base.size() + relative.size() + 41 + 10 < length) relative += std::string(40, 'd') + "/";
    relative += std::string(length - base.size() - relative.size(), 'f');
    folder.WriteFile(relative.substr(0, relative.rfind('/') + 1) + "placeholder", "");
    return base + relative;
}

TEST_F(FileStreamTest, ThePathHoldsNamesOfUpTo259Characters) {
    const std::string longest = LongName(folder_, kMaxPathChars);
    ASSERT_EQ(longest.size(), static_cast<size_t>(kMaxPathChars));
    FileStream stream;
    ASSERT_EQ(stream.Open(longest.c_str(), kReadWriteCreate), kStatusOk);
    EXPECT_EQ(std::string(stream.Path()), longest);
    ASSERT_EQ(stream.Close(), kStatusOk);

    const std::string tooLong = longest + "g";
    EXPECT_EQ(stream.Open(tooLong.c_str(), kReadWriteCreate), platform::kFileNameTooLong);
    EXPECT_STREQ(stream.Path(), longest.c_str());  // a failed open leaves the last name
}

TEST_F(FileStreamTest, DestroyingAnOpenStreamClosesIt) {
    {
        FileStream stream;
        ASSERT_EQ(stream.Open(File("doomed").c_str(), kReadWriteCreate | kOpenDeleteOnClose), kStatusOk);
        ASSERT_TRUE(std::filesystem::exists(File("doomed")));
    }
    EXPECT_FALSE(std::filesystem::exists(File("doomed")));
}

// --- files that vanish ---------------------------------------------------

TEST_F(FileStreamTest, ClosingADeleteOnCloseStreamDeletesItsFile) {
    folder_.WriteFile("scratch", "scratch data");
    FileStream stream;
    ASSERT_EQ(stream.Open(File("scratch").c_str(), kOpenRead | kOpenDeleteOnClose), kStatusOk);
    EXPECT_EQ(stream.Close(), kStatusOk);
    EXPECT_FALSE(std::filesystem::exists(File("scratch")));
    EXPECT_EQ(stream.State(), 0u);
}

TEST_F(FileStreamTest, ClosingAnOrdinaryStreamKeepsItsFile) {
    FileStream stream;
    ASSERT_EQ(stream.Open(File("kept").c_str(), kReadWriteCreate), kStatusOk);
    ASSERT_EQ(stream.Write("kept", 4), 4);
    EXPECT_EQ(stream.Close(), kStatusOk);
    EXPECT_EQ(FileContents(File("kept")), "kept");
}

class FileStreamTemporary : public FileStreamTest, public ::testing::WithParamInterface<uint32_t> {};

TEST_P(FileStreamTemporary, TheTemporaryFileWorksAndVanishesAtClose) {
    FileStream stream;
    ASSERT_EQ(stream.OpenTemporary("vst", GetParam()), kStatusOk);
    EXPECT_STREQ(stream.Path(), "vst");
    const std::string made = stream.TemporaryName();
    ASSERT_FALSE(made.empty());
    EXPECT_NE(std::filesystem::path(made).filename().string().find("vst"), std::string::npos);
    EXPECT_TRUE(std::filesystem::exists(made) || (GetParam() & kOpenDeleteOnClose));

    uint32_t expected = Stream::kOpen | Stream::kTemporary | Stream::kWritable | Stream::kReadable;
    if (GetParam() & kOpenDeleteOnClose) expected |= Stream::kDeleteOnClose;
    EXPECT_EQ(stream.State(), expected);

    ASSERT_EQ(stream.Write("temporary", 9), 9);
    ASSERT_EQ(stream.Seek(0, 0), 0);
    char back[9] = {};
    EXPECT_EQ(stream.Read(back, 9), 9);
    EXPECT_EQ(std::string(back, 9), "temporary");

    EXPECT_EQ(stream.Close(), kStatusOk);
    EXPECT_FALSE(std::filesystem::exists(made));
    EXPECT_STREQ(stream.TemporaryName(), "");
}

INSTANTIATE_TEST_SUITE_P(Modes, FileStreamTemporary,
                         ::testing::Values(kOpenRead, kOpenRead | kOpenWrite, kOpenRead | kOpenDeleteOnClose));

TEST_F(FileStreamTest, ADeleteOnCloseTemporaryStreamDoesNotTouchAFileNamedLikeItsPrefix) {
    // Deleting by the recorded path would hit this file in the working folder.
    struct WorkingFolder {
        explicit WorkingFolder(const std::filesystem::path& folder) { std::filesystem::current_path(folder); }
        ~WorkingFolder() { std::filesystem::current_path(previous); }
        const std::filesystem::path previous = std::filesystem::current_path();
    } inFolder(folder_.Path());
    folder_.WriteFile("pfx", "innocent");
    FileStream stream;
    ASSERT_EQ(stream.OpenTemporary("pfx", kOpenRead | kOpenDeleteOnClose), kStatusOk);
    EXPECT_EQ(stream.Close(), kStatusOk);
    EXPECT_EQ(FileContents(File("pfx")), "innocent");
}

// A temporary file that cannot be made leaves the stream closed, saying why;
// one asked for without a prefix has an empty path.
TEST_F(FileStreamTest, ATemporaryFileThatCannotBeMadeIsTold) {
    FaultyFileSystem files;
    ScopedInstall<platform::FileSystem> installed(files);
    files.FailNext(FaultyFileSystem::kOpen, 1, platform::kFileTooManyOpen);
    FileStream stream;
    EXPECT_EQ(stream.OpenTemporary("vst", kOpenRead), platform::kFileTooManyOpen);
    EXPECT_FALSE(stream.IsOpen());
    EXPECT_STREQ(stream.TemporaryName(), "");

    ASSERT_EQ(stream.OpenTemporary(nullptr, kOpenRead), kStatusOk);
    EXPECT_STREQ(stream.Path(), "");
    const std::string made = stream.TemporaryName();
    EXPECT_TRUE(std::filesystem::exists(made));
    EXPECT_EQ(stream.Close(), kStatusOk);
    EXPECT_FALSE(std::filesystem::exists(made));
}

// --- reading, writing, seeking --------------------------------------------

TEST_F(FileStreamTest, ReadsReturnTheCountAndSignalTheEndOfTheFile) {
    folder_.WriteFile("data", "0123456789");
    FileStream stream;
    ASSERT_EQ(stream.Open(File("data").c_str(), kOpenRead), kStatusOk);
    char buffer[16] = {};
    EXPECT_EQ(stream.Read(buffer, 4), 4);
    EXPECT_EQ(stream.LastError(), kStatusOk);
    EXPECT_EQ(stream.Read(buffer, 16), 6);  // short, but not yet the end
    EXPECT_EQ(std::string(buffer, 6), "456789");
    EXPECT_EQ(stream.LastError(), kStatusOk);
    EXPECT_EQ(stream.Read(buffer, 16), 0);
    EXPECT_EQ(stream.LastError(), kStatusEndOfData);
}

TEST_F(FileStreamTest, NegativeCountsReadAndWriteNothing) {
    folder_.WriteFile("data", "0123456789");
    FileStream stream;
    ASSERT_EQ(stream.Open(File("data").c_str(), kOpenRead | kOpenWrite), kStatusOk);
    char buffer[4] = {};
    EXPECT_EQ(stream.Read(buffer, -1), 0);
    EXPECT_EQ(stream.Write(buffer, -5), 0);
    EXPECT_EQ(stream.LastError(), kStatusOk);
    EXPECT_EQ(stream.Seek(0, 1), 0);
    EXPECT_EQ(stream.Length(), 10);
}

TEST_F(FileStreamTest, SeekTakesTheOriginModuloFour) {
    folder_.WriteFile("data", "0123456789");
    FileStream stream;
    ASSERT_EQ(stream.Open(File("data").c_str(), kOpenRead), kStatusOk);
    EXPECT_EQ(stream.Seek(3, 0), 3);
    EXPECT_EQ(stream.Seek(2, 1), 5);
    EXPECT_EQ(stream.Seek(-1, 2), 9);
    EXPECT_EQ(stream.Seek(4, 3), 4);  // 3 is the start again
    EXPECT_EQ(stream.Seek(1, 5), 5);  // 5 is 1: from here
    char next = 0;
    EXPECT_EQ(stream.Read(&next, 1), 1);
    EXPECT_EQ(next, '5');
    EXPECT_EQ(stream.Seek(20, 0), 20);  // past the end is allowed
}

TEST_F(FileStreamTest, ASeekBeforeTheStartFailsAndStaysPut) {
    folder_.WriteFile("data", "0123456789");
    FileStream stream;
    ASSERT_EQ(stream.Open(File("data").c_str(), kOpenRead), kStatusOk);
    ASSERT_EQ(stream.Seek(6, 0), 6);
    EXPECT_EQ(stream.Seek(-7, 1), -1);
    EXPECT_NE(stream.LastError(), kStatusOk);
    EXPECT_EQ(stream.Seek(0, 1), 6);
}

TEST_F(FileStreamTest, SetLengthCutsOrExtendsTheFileAndMovesThere) {
    folder_.WriteFile("data", "0123456789");
    FileStream stream;
    ASSERT_EQ(stream.Open(File("data").c_str(), kOpenRead | kOpenWrite), kStatusOk);
    EXPECT_EQ(stream.SetLength(4), 4);
    EXPECT_EQ(stream.Length(), 4);
    EXPECT_EQ(stream.Seek(0, 1), 4);
    EXPECT_EQ(stream.SetLength(6), 6);
    ASSERT_EQ(stream.Close(), kStatusOk);
    EXPECT_EQ(FileContents(File("data")), std::string("0123\0\0", 6));
}

TEST_F(FileStreamTest, AClosedStreamFailsItsFileCalls) {
    FileStream stream;
    char byte = 0;
    EXPECT_EQ(stream.Read(&byte, 1), 0);
    EXPECT_NE(stream.LastError(), kStatusOk);
    EXPECT_EQ(stream.Write(&byte, 1), 0);
    EXPECT_EQ(stream.Seek(0, 0), -1);
    EXPECT_EQ(stream.Length(), -1);
    EXPECT_EQ(stream.SetLength(0), -1);
    EXPECT_EQ(stream.FileDate(), 0);
    EXPECT_EQ(stream.FileTime(), 0);
}

TEST_F(FileStreamTest, FileDateAndTimeDescribeTheLastWriteInLocalTime) {
    folder_.WriteFile("data", "x");
    std::tm local{};
    local.tm_year = 2021 - 1900;
    local.tm_mon = 5;  // June
    local.tm_mday = 15;
    local.tm_hour = 13;
    local.tm_min = 45;
    local.tm_sec = 31;  // the DOS form keeps two-second steps
    local.tm_isdst = -1;
    const std::time_t stamp = std::mktime(&local);
    const struct timespec times[2] = {{stamp, 0}, {stamp, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, File("data").c_str(), times, 0), 0);

    FileStream stream;
    ASSERT_EQ(stream.Open(File("data").c_str(), kOpenRead), kStatusOk);
    EXPECT_EQ(stream.FileDate(), (2021 - 1980) << 9 | 6 << 5 | 15);
    EXPECT_EQ(stream.FileTime(), 13 << 11 | 45 << 5 | 31 / 2);
}

// --- a disk that refuses or falls short ---------------------------------------

class FileStreamFaults : public FileStreamTest {
protected:
    void SetUp() override {
        folder_.WriteFile("data", "0123456789");
        ASSERT_EQ(stream_.Open(File("data").c_str(), kOpenRead | kOpenWrite), kStatusOk);
    }
    FaultyFileSystem files_;
    ScopedInstall<platform::FileSystem> installed_{files_};
    FileStream stream_;
};

TEST_F(FileStreamFaults, AFailedReadReturnsNothingWithTheSystemCode) {
    files_.FailNext(FaultyFileSystem::kRead, 1, platform::kFileLockViolation);
    char buffer[4] = {};
    EXPECT_EQ(stream_.Read(buffer, 4), 0);
    EXPECT_EQ(stream_.LastError(), platform::kFileLockViolation);
}

TEST_F(FileStreamFaults, WritesReturnTheShortCountOrNothingWithTheSystemCode) {
    files_.ShortWrites(3);
    EXPECT_EQ(stream_.Write("abcdef", 6), 3);
    files_.FailNext(FaultyFileSystem::kWrite, 1, platform::kFileDiskFull);
    EXPECT_EQ(stream_.Write("abcdef", 6), 0);
    EXPECT_EQ(stream_.LastError(), platform::kFileDiskFull);
}

TEST_F(FileStreamFaults, FailedSeekLengthAndFlushCarryTheSystemCode) {
    files_.FailNext(FaultyFileSystem::kSeek, 1, platform::kFileInvalidParameter);
    EXPECT_EQ(stream_.Seek(2, 0), -1);
    EXPECT_EQ(stream_.LastError(), platform::kFileInvalidParameter);
    files_.FailNext(FaultyFileSystem::kSize, 1, platform::kFileAccessDenied);
    EXPECT_EQ(stream_.Length(), -1);
    EXPECT_EQ(stream_.LastError(), platform::kFileAccessDenied);
    files_.FailNext(FaultyFileSystem::kFlush, 1, platform::kFileDiskFull);
    EXPECT_EQ(stream_.Flush(), platform::kFileDiskFull);
    EXPECT_EQ(stream_.LastError(), platform::kFileDiskFull);
}

TEST_F(FileStreamFaults, AHandleThatWillNotCloseIs6AndTheStreamIsClosedAnyway) {
    files_.FailNext(FaultyFileSystem::kClose, 1);
    EXPECT_EQ(stream_.Close(), kStatusCloseFailed);
    EXPECT_EQ(stream_.LastError(), kStatusCloseFailed);
    EXPECT_EQ(stream_.State(), 0u);
    EXPECT_EQ(stream_.Handle(), platform::kNoFile);
    EXPECT_EQ(files_.Calls(FaultyFileSystem::kClose), 1u);
}

TEST_F(FileStreamFaults, AFailedDeleteAtCloseIsReported) {
    folder_.WriteFile("scratch", "x");
    FileStream scratch;
    ASSERT_EQ(scratch.Open(File("scratch").c_str(), kOpenRead | kOpenDeleteOnClose), kStatusOk);
    files_.FailNext(FaultyFileSystem::kDelete, 1, platform::kFileAccessDenied);
    EXPECT_EQ(scratch.Close(), platform::kFileAccessDenied);
    EXPECT_EQ(scratch.LastError(), platform::kFileAccessDenied);
    EXPECT_FALSE(scratch.IsOpen());
}

}  // namespace
