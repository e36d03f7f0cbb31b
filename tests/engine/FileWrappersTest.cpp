#include "engine/FileWrappers.h"

#include <cstring>
#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "tests/support/FaultyFileSystem.h"
#include "tests/support/FileContents.h"
#include "tests/support/ScopedEnvironment.h"
#include "tests/support/ScopedInstall.h"
#include "tests/support/TempDir.h"

using platform::FileCreation;
using platform::FileHandle;
using platform::kNoFile;

namespace {

class FileWrappers : public ::testing::Test {
protected:
    void SetUp() override { SetFileLastError(0); }

    std::string Path(const char* name) const { return dir_.Str() + "/" + name; }

    TempDir dir_;
};

}  // namespace

TEST(FileOpenMode, GameDataModeReadsSharingReading) {
    const FileOpenRequest request = TranslateOpenMode(kOpenGameData);
    EXPECT_EQ(request.access, platform::kFileRead);
    EXPECT_EQ(request.share, platform::kFileShareRead);
    EXPECT_EQ(request.creation, FileCreation::kOpenExisting);
    EXPECT_EQ(request.attributes, platform::kFileAttrNormal);
}

TEST(FileOpenMode, ReadWriteCreateIsBothAccessesAndTruncates) {
    const FileOpenRequest request = TranslateOpenMode(0x0b);
    EXPECT_EQ(request.access, platform::kFileRead | platform::kFileWrite);
    EXPECT_EQ(request.share, 0u);
    EXPECT_EQ(request.creation, FileCreation::kCreateAlways);
    EXPECT_EQ(request.attributes, platform::kFileAttrNormal);
}

TEST(FileOpenMode, AnyOfWriteAppendCreateAsksForWriting) {
    EXPECT_EQ(TranslateOpenMode(kOpenWrite).access, platform::kFileWrite);
    EXPECT_EQ(TranslateOpenMode(kOpenAppend).access, platform::kFileWrite);
    EXPECT_EQ(TranslateOpenMode(kOpenCreate).access, platform::kFileWrite);
    EXPECT_EQ(TranslateOpenMode(kOpenRead | kOpenAppend).access, platform::kFileRead | platform::kFileWrite);
    EXPECT_EQ(TranslateOpenMode(0).access, 0u);
}

TEST(FileOpenMode, CreateNewNeedsCreateToo) {
    EXPECT_EQ(TranslateOpenMode(kOpenCreate | kOpenCreateNew).creation, FileCreation::kCreateNew);
    EXPECT_EQ(TranslateOpenMode(kOpenCreate).creation, FileCreation::kCreateAlways);
    EXPECT_EQ(TranslateOpenMode(kOpenCreateNew | kOpenRead).creation, FileCreation::kOpenExisting);
    EXPECT_EQ(TranslateOpenMode(kOpenCreateNew | kOpenRead).access, platform::kFileRead);
    EXPECT_EQ(TranslateOpenMode(kOpenAppend).creation, FileCreation::kOpenExisting);
}

TEST(FileOpenMode, AttributeBitsAddToNormal) {
    EXPECT_EQ(TranslateOpenMode(kOpenReadOnlyAttr).attributes, 0x81u);
    EXPECT_EQ(TranslateOpenMode(kOpenHiddenAttr).attributes, 0x82u);
    EXPECT_EQ(TranslateOpenMode(kOpenSystemAttr).attributes, 0x84u);
    EXPECT_EQ(TranslateOpenMode(kOpenDeleteOnClose).attributes, 0x4000080u);
    EXPECT_EQ(TranslateOpenMode(kOpenArchiveSequential).attributes, 0x80000A0u);
    EXPECT_EQ(TranslateOpenMode(kOpenRandomSequential).attributes, 0x18000080u);
    EXPECT_EQ(TranslateOpenMode(0x00A71000).attributes, 0x1C0000A7u);
}

TEST(FileOpenMode, SharingComesFromTheTopFourBits) {
    EXPECT_EQ(TranslateOpenMode(0x20000000).share, platform::kFileShareRead);
    EXPECT_EQ(TranslateOpenMode(0x30000000).share, platform::kFileShareWrite);
    EXPECT_EQ(TranslateOpenMode(0x40000000).share, platform::kFileShareRead | platform::kFileShareWrite);
    EXPECT_EQ(TranslateOpenMode(0x10000000).share, 0u);
    EXPECT_EQ(TranslateOpenMode(0x50000000).share, 0u);
    EXPECT_EQ(TranslateOpenMode(0xF0000000).share, 0u);
    // The sharing nibble touches nothing else.
    EXPECT_EQ(TranslateOpenMode(0x40000000).attributes, platform::kFileAttrNormal);
}

TEST_F(FileWrappers, FailedOpenRecordsTheErrorAndSuccessLeavesIt) {
    EXPECT_EQ(FileOpen(Path("missing").c_str(), kOpenRead), kNoFile);
    EXPECT_EQ(FileLastError(), platform::kFileNotFound);

    const FileHandle file = FileOpen(Path("new").c_str(), kOpenRead | kOpenCreate);
    ASSERT_NE(file, kNoFile);
    EXPECT_EQ(FileWrite(file, "abc", 3), 3);
    EXPECT_EQ(FileSeek(file, 0, 0), 0);
    char buffer[3];
    EXPECT_EQ(FileRead(file, buffer, 3), 3);
    EXPECT_EQ(FileLastError(), platform::kFileNotFound);
    FileClose(file);
}

TEST_F(FileWrappers, CreateNewOnAnExistingFileFailsWith80) {
    dir_.WriteFile("there", "x");
    EXPECT_EQ(FileOpen(Path("there").c_str(), kOpenCreate | kOpenCreateNew), kNoFile);
    EXPECT_EQ(FileLastError(), platform::kFileExists);
}

TEST_F(FileWrappers, CloseNeverTouchesTheWord) {
    const FileHandle file = FileOpen(Path("f").c_str(), kOpenCreate);
    ASSERT_NE(file, kNoFile);
    SetFileLastError(platform::kFileNotFound);
    EXPECT_EQ(FileClose(file), 0u);
    EXPECT_EQ(FileLastError(), platform::kFileNotFound);
    EXPECT_EQ(FileClose(file), 6u);  // already closed
    EXPECT_EQ(FileLastError(), platform::kFileNotFound);
}

TEST_F(FileWrappers, ReadOfNothingAtTheEndSets38) {
    dir_.WriteFile("f", "ab");
    const FileHandle file = FileOpen(Path("f").c_str(), kOpenRead);
    ASSERT_NE(file, kNoFile);
    char buffer[8];
    EXPECT_EQ(FileRead(file, buffer, 8), 2);
    EXPECT_EQ(FileLastError(), 0u);
    EXPECT_EQ(FileRead(file, buffer, 8), 0);
    EXPECT_EQ(FileLastError(), platform::kFileHandleEof);
    FileClose(file);
}

TEST_F(FileWrappers, AppendStartsAtTheEnd) {
    dir_.WriteFile("log", "abc");
    const FileHandle file = FileOpen(Path("log").c_str(), kOpenAppend);
    ASSERT_NE(file, kNoFile);
    EXPECT_EQ(FileSeek(file, 1, 0), 3);
    EXPECT_EQ(FileWrite(file, "de", 2), 2);
    FileClose(file);
    EXPECT_EQ(FileContents(Path("log")), "abcde");
}

TEST_F(FileWrappers, SeekTakesTheOriginModulo4) {
    dir_.WriteFile("f", "0123456789");
    const FileHandle file = FileOpen(Path("f").c_str(), kOpenRead);
    ASSERT_NE(file, kNoFile);
    EXPECT_EQ(FileSeek(file, 3, 4), 4);   // 3: the start
    EXPECT_EQ(FileSeek(file, 5, 2), 6);   // 5: the current position
    EXPECT_EQ(FileSeek(file, 6, -3), 7);  // 6: the end
    EXPECT_EQ(FileSeek(file, 0, 5), 5);   // 0: the start

    EXPECT_EQ(FileSeek(file, 0, -1), -1);
    EXPECT_EQ(FileLastError(), platform::kFileInvalidParameter);
    EXPECT_EQ(FileSeek(file, 1, 0), 5);
    FileClose(file);
}

TEST_F(FileWrappers, SizesAndPositionsBeyond32BitsAreRefusedWithoutMoving) {
    const FileHandle file = FileOpen(Path("huge").c_str(), kOpenRead | kOpenCreate);
    ASSERT_NE(file, kNoFile);
    // A sparse file of 2.25 GiB costs no disk.
    platform::FileSystem& files = platform::FileSystem::Current();
    ASSERT_EQ(files.Seek(file, 0x90000000LL, platform::SeekOrigin::kBegin), 0x90000000LL);
    ASSERT_TRUE(files.Truncate(file));

    EXPECT_EQ(FileSeek(file, 0, 100), 100);
    EXPECT_EQ(FileSize(file), -1);
    EXPECT_EQ(FileLastError(), platform::kFileInvalidParameter);

    SetFileLastError(0);
    EXPECT_EQ(FileSeek(file, 2, 0), -1);
    EXPECT_EQ(FileLastError(), platform::kFileInvalidParameter);
    EXPECT_EQ(FileSeek(file, 1, 0), 100);

    EXPECT_EQ(FileSeek(file, 1, INT32_MAX), -1);
    EXPECT_EQ(FileSeek(file, 1, 0), 100);
    FileClose(file);
}

TEST_F(FileWrappers, SetLengthCutsOrExtends) {
    dir_.WriteFile("f", "0123456789");
    const FileHandle file = FileOpen(Path("f").c_str(), kOpenRead | kOpenWrite);
    ASSERT_NE(file, kNoFile);
    EXPECT_EQ(FileSetLength(file, 4), 4);
    EXPECT_EQ(FileSize(file), 4);
    EXPECT_EQ(FileSetLength(file, 6), 6);
    EXPECT_EQ(FileSize(file), 6);
    EXPECT_EQ(FileSetLength(file, -1), -1);
    EXPECT_EQ(FileLastError(), platform::kFileInvalidParameter);
    FileClose(file);
    EXPECT_EQ(FileContents(Path("f")), std::string("0123\0\0", 6));
}

TEST_F(FileWrappers, TemporaryFileIsCreatedInTheTemporaryFolderAndNamed) {
    const ScopedEnvironment tmp("TMPDIR", dir_.Str().c_str());
    char created[kMaxPathChars + 1];
    const FileHandle file = FileOpenTemporary("vrn", kOpenRead, created);
    ASSERT_NE(file, kNoFile);
    EXPECT_EQ(std::string(created).rfind(dir_.Str() + "/vrn", 0), 0u);
    EXPECT_EQ(FileWrite(file, "t", 1), 1);  // opened for writing too
    FileClose(file);
    EXPECT_EQ(FileContents(created), "t");
}

TEST_F(FileWrappers, TemporaryFileWithDeleteOnCloseVanishes) {
    const ScopedEnvironment tmp("TMPDIR", dir_.Str().c_str());
    char created[kMaxPathChars + 1];
    const FileHandle file = FileOpenTemporary("vrn", kOpenDeleteOnClose, created);
    ASSERT_NE(file, kNoFile);
    EXPECT_TRUE(std::filesystem::exists(created));
    FileClose(file);
    EXPECT_FALSE(std::filesystem::exists(created));
}

TEST_F(FileWrappers, TemporaryFileThatCannotBeOpenedIsNotLeftBehind) {
    const ScopedEnvironment tmp("TMPDIR", dir_.Str().c_str());
    char created[kMaxPathChars + 1] = "stale";
    EXPECT_EQ(FileOpenTemporary("vrn", kOpenCreate | kOpenCreateNew, created), kNoFile);
    EXPECT_EQ(FileLastError(), platform::kFileExists);
    EXPECT_STREQ(created, "");
    EXPECT_TRUE(std::filesystem::is_empty(dir_.Path()));

    EXPECT_EQ(FileOpenTemporary(std::string(kMaxPathChars, 'p').c_str(), kOpenRead, nullptr), kNoFile);
    EXPECT_EQ(FileLastError(), platform::kFileNameTooLong);
}

TEST_F(FileWrappers, DeleteRenameAndExistsReportCodes) {
    dir_.WriteFile("a", "A");
    EXPECT_EQ(FileExists(Path("a").c_str()), 1);
    EXPECT_EQ(FileRename(Path("a").c_str(), Path("b").c_str()), 0u);
    EXPECT_EQ(FileExists(Path("a").c_str()), 0);
    EXPECT_EQ(FileLastError(), platform::kFileNotFound);

    SetFileLastError(0);
    EXPECT_EQ(FileDelete(Path("a").c_str()), platform::kFileNotFound);
    EXPECT_EQ(FileLastError(), platform::kFileNotFound);
    EXPECT_EQ(FileDelete(Path("b").c_str()), 0u);
    EXPECT_EQ(FileExists(Path("b").c_str()), 0);
}

TEST_F(FileWrappers, AttributesReadBackAsSet) {
    dir_.WriteFile("f", "");
    const std::string path = Path("f");
    EXPECT_EQ(FileGetAttributes(path.c_str()), platform::kFileAttrNormal);
    EXPECT_EQ(FileSetAttributes(path.c_str(), platform::kFileAttrReadOnly), 1);
    EXPECT_EQ(FileGetAttributes(path.c_str()), platform::kFileAttrReadOnly);
    // Archive is accepted though the platform does not keep it.
    EXPECT_EQ(FileSetAttributes(path.c_str(), platform::kFileAttrArchive), 0x20);
    EXPECT_EQ(FileGetAttributes(path.c_str()), platform::kFileAttrNormal);

    EXPECT_EQ(FileGetAttributes(Path("none").c_str()), 0xFFFF);
    EXPECT_EQ(FileLastError(), platform::kFileNotFound);
    SetFileLastError(0);
    EXPECT_EQ(FileSetAttributes(Path("none").c_str(), platform::kFileAttrNormal), -1);
    EXPECT_EQ(FileLastError(), platform::kFileNotFound);
}

TEST_F(FileWrappers, LockConflictReturnsAndRecords33) {
    dir_.WriteFile("f", "0123456789");
    const FileHandle first = FileOpen(Path("f").c_str(), kOpenRead | kOpenWrite);
    const FileHandle second = FileOpen(Path("f").c_str(), kOpenRead | kOpenWrite);
    ASSERT_NE(first, kNoFile);
    ASSERT_NE(second, kNoFile);
    EXPECT_EQ(FileLockRange(first, 0, 4), 0u);
    EXPECT_EQ(FileLockRange(second, 2, 4), platform::kFileLockViolation);
    EXPECT_EQ(FileLastError(), platform::kFileLockViolation);
    EXPECT_EQ(FileUnlockRange(first, 0, 4), 0u);
    EXPECT_EQ(FileLockRange(second, 2, 4), 0u);
    FileClose(first);
    FileClose(second);
}

TEST_F(FileWrappers, DosDateAndTimeOfAClosedHandleAre0) {
    EXPECT_EQ(FileDosDate(kNoFile), 0);
    EXPECT_EQ(FileLastError(), platform::kFileInvalidHandle);
    SetFileLastError(0);
    EXPECT_EQ(FileDosTime(kNoFile), 0);
    EXPECT_EQ(FileLastError(), platform::kFileInvalidHandle);

    dir_.WriteFile("f", "");
    const FileHandle file = FileOpen(Path("f").c_str(), kOpenRead);
    ASSERT_NE(file, kNoFile);
    EXPECT_NE(FileDosDate(file), 0);  // written just now, long after 1980
    FileClose(file);
}

TEST_F(FileWrappers, PlatformFailuresReachTheWord) {
    FaultyFileSystem faulty;
    const ScopedInstall<platform::FileSystem> installed(faulty);
    const FileHandle file = FileOpen(Path("f").c_str(), kOpenRead | kOpenCreate);
    ASSERT_NE(file, kNoFile);

    faulty.FailNext(FaultyFileSystem::kWrite, 1, platform::kFileDiskFull);
    EXPECT_EQ(FileWrite(file, "abcdef", 6), -1);
    EXPECT_EQ(FileLastError(), platform::kFileDiskFull);
    faulty.ShortWrites(4);
    EXPECT_EQ(FileWrite(file, "abcdef", 6), 4);

    faulty.FailNext(FaultyFileSystem::kRead, 1, platform::kFileAccessDenied);
    char buffer[8];
    EXPECT_EQ(FileRead(file, buffer, 8), -1);
    EXPECT_EQ(FileLastError(), platform::kFileAccessDenied);

    faulty.FailNext(FaultyFileSystem::kSeek, 1, platform::kFileInvalidHandle);
    EXPECT_EQ(FileSeek(file, 0, 0), -1);
    EXPECT_EQ(FileLastError(), platform::kFileInvalidHandle);

    faulty.FailNext(FaultyFileSystem::kFlush, 1, platform::kFileDiskFull);
    EXPECT_EQ(FileFlush(file), platform::kFileDiskFull);

    SetFileLastError(0);
    faulty.FailNext(FaultyFileSystem::kClose, 1, platform::kFileInvalidHandle);
    EXPECT_EQ(FileClose(file), 6u);
    EXPECT_EQ(FileLastError(), 0u);
    EXPECT_EQ(FileContents(Path("f")), "abcd");
    EXPECT_EQ(faulty.WriteRequests(), (std::vector<uint32_t>{6, 6}));
}

TEST_F(FileWrappers, AppendWhoseSeekFailsDoesNotOpen) {
    dir_.WriteFile("log", "abc");
    FaultyFileSystem faulty;
    const ScopedInstall<platform::FileSystem> installed(faulty);
    faulty.FailNext(FaultyFileSystem::kSeek, 1, platform::kFileGeneralFailure);
    EXPECT_EQ(FileOpen(Path("log").c_str(), kOpenAppend), kNoFile);
    EXPECT_EQ(FileLastError(), platform::kFileGeneralFailure);
    EXPECT_EQ(faulty.Calls(FaultyFileSystem::kClose), 1u);
}

TEST_F(FileWrappers, CountsBeyond32BitsAreRefusedWithoutTouchingTheFile) {
    dir_.WriteFile("f", "abc");
    const FileHandle file = FileOpen(Path("f").c_str(), kOpenRead | kOpenWrite);
    ASSERT_NE(file, kNoFile);
    char buffer[4] = {};
    EXPECT_EQ(FileRead(file, buffer, 0x80000000u), -1);
    EXPECT_EQ(FileLastError(), platform::kFileInvalidParameter);
    SetFileLastError(0);
    EXPECT_EQ(FileWrite(file, buffer, 0x80000000u), -1);
    EXPECT_EQ(FileLastError(), platform::kFileInvalidParameter);
    EXPECT_EQ(FileSeek(file, 1, 0), 0);   // nothing moved
    FileClose(file);
    EXPECT_EQ(FileContents(Path("f")), "abc");
}

TEST_F(FileWrappers, ASeekFromTheEndThatCannotLearnWhereItIsDoesNotMove) {
    dir_.WriteFile("f", "0123456789");
    FaultyFileSystem faulty;
    const ScopedInstall<platform::FileSystem> installed(faulty);
    const FileHandle file = FileOpen(Path("f").c_str(), kOpenRead);
    ASSERT_NE(file, kNoFile);
    ASSERT_EQ(FileSeek(file, 0, 4), 4);
    faulty.FailNext(FaultyFileSystem::kSeek, 1, platform::kFileInvalidHandle);
    EXPECT_EQ(FileSeek(file, 2, -2), -1);
    EXPECT_EQ(FileLastError(), platform::kFileInvalidHandle);
    EXPECT_EQ(FileSeek(file, 1, 0), 4);
    FileClose(file);
}

// The new file is in place once renamed; a folder that cannot be synced
// after it is still told, since the disk may yet hold the old name.
TEST_F(FileWrappers, AReplacementWhoseFolderCannotBeSyncedIsInPlaceAndTold) {
    dir_.WriteFile("pilot.plr", "old");
    dir_.WriteFile("pilot.plr.new", "new");
    FaultyFileSystem faulty;
    const ScopedInstall<platform::FileSystem> installed(faulty);
    faulty.FailNext(FaultyFileSystem::kSyncFolder, 1, platform::kFileGeneralFailure);
    EXPECT_EQ(FinishReplacement(platform::kFileOk, Path("pilot.plr.new").c_str(), Path("pilot.plr").c_str()),
              platform::kFileGeneralFailure);
    EXPECT_EQ(FileContents(Path("pilot.plr")), "new");
    EXPECT_FALSE(std::filesystem::exists(Path("pilot.plr.new")));
}
