#include "platform/FileSystem.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "tests/support/FileContents.h"
#include "tests/support/TempDir.h"

using namespace platform;

namespace {

constexpr uint32_t kReadWrite = kFileRead | kFileWrite;

FileSystem& Files() { return SystemFileSystem(); }

FileHandle OpenExisting(const std::string& path, uint32_t access = kReadWrite) {
    return Files().Open(path.c_str(), access, 0, FileCreation::kOpenExisting, kFileAttrNormal);
}

FileHandle Create(const std::string& path, FileCreation creation = FileCreation::kCreateAlways,
                  uint32_t attributes = kFileAttrNormal) {
    return Files().Open(path.c_str(), kReadWrite, 0, creation, attributes);
}

// Sets a file's modification time to a moment of the local calendar.
void SetLocalMtime(const std::string& path, int year, int month, int day, int hour, int minute, int second) {
    std::tm local{};
    local.tm_year = year - 1900;
    local.tm_mon = month - 1;
    local.tm_mday = day;
    local.tm_hour = hour;
    local.tm_min = minute;
    local.tm_sec = second;
    local.tm_isdst = -1;
    const timespec times[2] = {{std::mktime(&local), 0}, {std::mktime(&local), 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
}

}  // namespace

TEST(FileSystem, CreateNewRefusesAnExistingFileWith80) {
    TempDir dir;
    dir.WriteFile("save.dat", "old");
    const std::string path = dir.Str() + "/save.dat";

    EXPECT_EQ(Create(path, FileCreation::kCreateNew), kNoFile);
    EXPECT_EQ(Files().LastError(), kFileExists);
    EXPECT_EQ(FileContents(path), "old");

    const FileHandle fresh = Create(dir.Str() + "/new.dat", FileCreation::kCreateNew);
    ASSERT_NE(fresh, kNoFile);
    EXPECT_TRUE(Files().Close(fresh));
}

TEST(FileSystem, CreateAlwaysTruncatesAndOpenExistingKeeps) {
    TempDir dir;
    dir.WriteFile("a.dat", "0123456789");
    const std::string path = dir.Str() + "/a.dat";

    FileHandle file = OpenExisting(path);
    ASSERT_NE(file, kNoFile);
    EXPECT_EQ(Files().Size(file), 10);
    Files().Close(file);

    file = Create(path);
    ASSERT_NE(file, kNoFile);
    EXPECT_EQ(Files().Size(file), 0);
    Files().Close(file);
}

TEST(FileSystem, MissingFileAndMissingFolderAreTold) {
    TempDir dir;
    EXPECT_EQ(OpenExisting(dir.Str() + "/none.dat"), kNoFile);
    EXPECT_EQ(Files().LastError(), kFileNotFound);
    EXPECT_EQ(OpenExisting(dir.Str() + "/nofolder/none.dat"), kNoFile);
    EXPECT_EQ(Files().LastError(), kFilePathNotFound);
    EXPECT_EQ(Create(dir.Str() + "/nofolder/new.dat"), kNoFile);
    EXPECT_EQ(Files().LastError(), kFilePathNotFound);
}

TEST(FileSystem, ReadsWritesSeeksAndTruncates) {
    TempDir dir;
    const std::string path = dir.Str() + "/data.bin";
    const FileHandle file = Create(path);
    ASSERT_NE(file, kNoFile);

    EXPECT_EQ(Files().Write(file, "hello world", 11), 11);
    EXPECT_EQ(Files().Size(file), 11);
    EXPECT_EQ(Files().Seek(file, -5, SeekOrigin::kEnd), 6);
    char buffer[16] = {};
    EXPECT_EQ(Files().Read(file, buffer, sizeof buffer), 5);
    EXPECT_STREQ(buffer, "world");
    EXPECT_EQ(Files().Read(file, buffer, sizeof buffer), 0);  // at the end

    EXPECT_EQ(Files().Seek(file, 5, SeekOrigin::kBegin), 5);
    EXPECT_EQ(Files().Seek(file, -2, SeekOrigin::kCurrent), 3);
    EXPECT_TRUE(Files().Truncate(file));
    EXPECT_EQ(Files().Size(file), 3);
    EXPECT_TRUE(Files().Flush(file));
    EXPECT_TRUE(Files().Close(file));
    EXPECT_EQ(FileContents(path), "hel");
}

TEST(FileSystem, SeekBeforeTheStartFailsWith87) {
    TempDir dir;
    const FileHandle file = Create(dir.Str() + "/f");
    ASSERT_NE(file, kNoFile);
    EXPECT_EQ(Files().Seek(file, -1, SeekOrigin::kBegin), -1);
    EXPECT_EQ(Files().LastError(), kFileInvalidParameter);
    Files().Close(file);
}

TEST(FileSystem, AccessTheHandleLacksIsDenied) {
    TempDir dir;
    dir.WriteFile("f", "abc");
    const std::string path = dir.Str() + "/f";
    char buffer[4];

    const FileHandle reader = OpenExisting(path, kFileRead);
    ASSERT_NE(reader, kNoFile);
    EXPECT_EQ(Files().Write(reader, "x", 1), -1);
    EXPECT_EQ(Files().LastError(), kFileAccessDenied);
    EXPECT_FALSE(Files().Truncate(reader));
    EXPECT_EQ(Files().LastError(), kFileAccessDenied);
    Files().Close(reader);

    const FileHandle writer = OpenExisting(path, kFileWrite);
    ASSERT_NE(writer, kNoFile);
    EXPECT_EQ(Files().Read(writer, buffer, 1), -1);
    EXPECT_EQ(Files().LastError(), kFileAccessDenied);
    Files().Close(writer);
}

TEST(FileSystem, HandlesThatAreNotOpenFailWith6) {
    char buffer[4];
    EXPECT_EQ(Files().Read(kNoFile, buffer, 1), -1);
    EXPECT_EQ(Files().LastError(), kFileInvalidHandle);
    EXPECT_FALSE(Files().Close(1 << 20));
    EXPECT_EQ(Files().LastError(), kFileInvalidHandle);
    EXPECT_EQ(Files().Size(int64_t{1} << 40), -1);
    EXPECT_EQ(Files().LastError(), kFileInvalidHandle);
}

TEST(FileSystem, FoldersAreNotOpenedOrDeletedAsFiles) {
    TempDir dir;
    std::filesystem::create_directory(dir.Path() / "sub");
    const std::string sub = dir.Str() + "/sub";
    EXPECT_EQ(OpenExisting(sub, kFileRead), kNoFile);
    EXPECT_EQ(Files().LastError(), kFileAccessDenied);
    EXPECT_FALSE(Files().Delete(sub.c_str()));
    EXPECT_EQ(Files().LastError(), kFileAccessDenied);
    EXPECT_TRUE(std::filesystem::is_directory(sub));
}

TEST(FileSystem, DeleteOnCloseRemovesTheFileAtCloseOnly) {
    TempDir dir;
    const std::string path = dir.Str() + "/scratch.tmp";
    const FileHandle file = Create(path, FileCreation::kCreateAlways, kFileAttrNormal | kFileDeleteOnClose);
    ASSERT_NE(file, kNoFile);
    EXPECT_EQ(Files().Write(file, "x", 1), 1);
    EXPECT_TRUE(std::filesystem::exists(path));

    // Another handle of the same file closing first does not take the file with it.
    const FileHandle other = OpenExisting(path);
    ASSERT_NE(other, kNoFile);
    EXPECT_TRUE(Files().Close(other));
    EXPECT_TRUE(std::filesystem::exists(path));

    EXPECT_TRUE(Files().Close(file));
    EXPECT_FALSE(std::filesystem::exists(path));
}

TEST(FileSystem, CreateUniqueFileMakesDistinctEmptyFiles) {
    TempDir dir;
    const std::string first = Files().CreateUniqueFile(dir.Str(), "vrn");
    const std::string second = Files().CreateUniqueFile(dir.Str() + "/", "vrn");
    ASSERT_FALSE(first.empty());
    ASSERT_FALSE(second.empty());
    EXPECT_NE(first, second);
    EXPECT_EQ(first.rfind(dir.Str() + "/vrn", 0), 0u);
    EXPECT_EQ(std::filesystem::file_size(first), 0u);
    EXPECT_EQ(std::filesystem::file_size(second), 0u);

    EXPECT_EQ(Files().CreateUniqueFile(dir.Str(), std::string(260, 'p').c_str()), "");
    EXPECT_EQ(Files().LastError(), kFileNameTooLong);
}

TEST(FileSystem, TemporaryFolderEndsWithASeparator) {
    const std::string folder = Files().TemporaryFolder();
    ASSERT_FALSE(folder.empty());
    EXPECT_EQ(folder.back(), '/');
    EXPECT_TRUE(std::filesystem::is_directory(folder));
}

TEST(FileSystem, RenameMovesAndReplacesAnExistingFile) {
    TempDir dir;
    dir.WriteFile("a", "A");
    dir.WriteFile("b", "B");
    const std::string a = dir.Str() + "/a", b = dir.Str() + "/b", c = dir.Str() + "/c";

    EXPECT_TRUE(Files().Rename(a.c_str(), b.c_str()));
    EXPECT_FALSE(std::filesystem::exists(a));
    EXPECT_EQ(FileContents(b), "A");

    EXPECT_TRUE(Files().Rename(b.c_str(), c.c_str()));
    EXPECT_FALSE(std::filesystem::exists(b));
    EXPECT_EQ(FileContents(c), "A");

    EXPECT_FALSE(Files().Rename(a.c_str(), (dir.Str() + "/d").c_str()));
    EXPECT_EQ(Files().LastError(), kFileNotFound);
    EXPECT_EQ(FileContents(c), "A");
}

TEST(FileSystem, RenameKeepsAReadOnlyFileOrAFolderInPlace) {
    TempDir dir;
    dir.WriteFile("a", "A");
    dir.WriteFile("locked", "L");
    std::filesystem::create_directory(dir.Path() / "folder");
    const std::string a = dir.Str() + "/a", locked = dir.Str() + "/locked";
    ASSERT_TRUE(Files().SetAttributes(locked.c_str(), kFileAttrReadOnly));

    EXPECT_FALSE(Files().Rename(a.c_str(), locked.c_str()));
    EXPECT_EQ(Files().LastError(), kFileAccessDenied);
    EXPECT_EQ(FileContents(locked), "L");
    EXPECT_FALSE(Files().Rename(a.c_str(), (dir.Str() + "/folder").c_str()));
    EXPECT_EQ(Files().LastError(), kFileAccessDenied);
    EXPECT_EQ(FileContents(a), "A");
    ASSERT_TRUE(Files().SetAttributes(locked.c_str(), kFileAttrNormal));
}

TEST(FileSystem, ReadOnlyAttributeRoundTripsAndProtectsTheFile) {
    TempDir dir;
    dir.WriteFile("f", "keep");
    const std::string path = dir.Str() + "/f";
    EXPECT_EQ(Files().Attributes(path.c_str()), kFileAttrNormal);

    EXPECT_TRUE(Files().SetAttributes(path.c_str(), kFileAttrReadOnly | kFileAttrArchive));
    EXPECT_EQ(Files().Attributes(path.c_str()), kFileAttrReadOnly);
    EXPECT_EQ(std::filesystem::status(path).permissions() & std::filesystem::perms::owner_write,
              std::filesystem::perms::none);

    // Refused even to the superuser, for whom the system would not check.
    EXPECT_EQ(OpenExisting(path, kFileWrite), kNoFile);
    EXPECT_EQ(Files().LastError(), kFileAccessDenied);
    EXPECT_EQ(Create(path), kNoFile);
    EXPECT_EQ(Files().LastError(), kFileAccessDenied);
    EXPECT_FALSE(Files().Delete(path.c_str()));
    EXPECT_EQ(Files().LastError(), kFileAccessDenied);
    const FileHandle reader = OpenExisting(path, kFileRead);
    EXPECT_NE(reader, kNoFile);
    Files().Close(reader);

    EXPECT_TRUE(Files().SetAttributes(path.c_str(), kFileAttrNormal));
    EXPECT_EQ(Files().Attributes(path.c_str()), kFileAttrNormal);
    EXPECT_TRUE(Files().Delete(path.c_str()));
    EXPECT_FALSE(std::filesystem::exists(path));
}

TEST(FileSystem, AttributesOfFoldersAndMissingPaths) {
    TempDir dir;
    EXPECT_EQ(Files().Attributes(dir.Str().c_str()), kFileAttrDirectory);
    EXPECT_EQ(Files().Attributes((dir.Str() + "/none").c_str()), -1);
    EXPECT_EQ(Files().LastError(), kFileNotFound);
    EXPECT_FALSE(Files().SetAttributes((dir.Str() + "/none").c_str(), kFileAttrReadOnly));
    EXPECT_EQ(Files().LastError(), kFileNotFound);
}

TEST(FileSystem, NewFileWithReadOnlyAttributeIsStillWritableThroughItsHandle) {
    TempDir dir;
    const std::string path = dir.Str() + "/ro";
    const FileHandle file = Create(path, FileCreation::kCreateNew, kFileAttrReadOnly);
    ASSERT_NE(file, kNoFile);
    EXPECT_EQ(Files().Write(file, "ab", 2), 2);
    Files().Close(file);
    EXPECT_EQ(Files().Attributes(path.c_str()), kFileAttrReadOnly);
    EXPECT_EQ(FileContents(path), "ab");
}

TEST(FileSystem, LocksBelongToTheHandle) {
    TempDir dir;
    dir.WriteFile("shared", std::string(64, 'x'));
    const std::string path = dir.Str() + "/shared";
    const FileHandle first = OpenExisting(path);
    const FileHandle second = OpenExisting(path);
    ASSERT_NE(first, kNoFile);
    ASSERT_NE(second, kNoFile);

    EXPECT_TRUE(Files().LockRange(first, 0, 16));
    EXPECT_FALSE(Files().LockRange(second, 8, 16));
    EXPECT_EQ(Files().LastError(), kFileLockViolation);
    EXPECT_TRUE(Files().LockRange(second, 16, 16));

    // Closing some other handle of the file keeps the first handle's lock.
    const FileHandle third = OpenExisting(path, kFileRead);
    ASSERT_NE(third, kNoFile);
    Files().Close(third);
    EXPECT_FALSE(Files().LockRange(second, 0, 1));

    EXPECT_TRUE(Files().UnlockRange(first, 0, 16));
    EXPECT_TRUE(Files().LockRange(second, 0, 1));

    EXPECT_FALSE(Files().LockRange(first, 40, 0));
    EXPECT_EQ(Files().LastError(), kFileInvalidParameter);
    Files().Close(first);
    Files().Close(second);
}

TEST(FileSystem, DosDateAndTimeComeFromTheLocalModificationTime) {
    TempDir dir;
    dir.WriteFile("f", "");
    const std::string path = dir.Str() + "/f";
    SetLocalMtime(path, 2003, 7, 14, 13, 45, 37);

    const FileHandle file = OpenExisting(path, kFileRead);
    ASSERT_NE(file, kNoFile);
    uint16_t date = 0, time = 0;
    ASSERT_TRUE(Files().ModifiedDosDateTime(file, &date, &time));
    EXPECT_EQ(date, (23 << 9) | (7 << 5) | 14);
    EXPECT_EQ(time, (13 << 11) | (45 << 5) | 18);  // seconds in two-second steps
    Files().Close(file);
}

TEST(FileSystem, DosDateBefore1980ClampsToItsFirstDay) {
    TempDir dir;
    dir.WriteFile("f", "");
    const std::string path = dir.Str() + "/f";
    SetLocalMtime(path, 1975, 6, 1, 12, 0, 0);

    const FileHandle file = OpenExisting(path, kFileRead);
    ASSERT_NE(file, kNoFile);
    uint16_t date = 0xFFFF, time = 0xFFFF;
    ASSERT_TRUE(Files().ModifiedDosDateTime(file, &date, &time));
    EXPECT_EQ(date, (0 << 9) | (1 << 5) | 1);
    EXPECT_EQ(time, 0);
    Files().Close(file);

    EXPECT_FALSE(Files().ModifiedDosDateTime(kNoFile, &date, &time));
    EXPECT_EQ(Files().LastError(), kFileInvalidHandle);
}

TEST(FileSystem, ErrnoValuesMapToTheGameStatusWords) {
    EXPECT_EQ(FileErrorFromErrno(0), 0u);
    EXPECT_EQ(FileErrorFromErrno(ENOENT), 2u);
    EXPECT_EQ(FileErrorFromErrno(ENOTDIR), 3u);
    EXPECT_EQ(FileErrorFromErrno(EMFILE), 4u);
    EXPECT_EQ(FileErrorFromErrno(ENFILE), 4u);
    EXPECT_EQ(FileErrorFromErrno(EACCES), 5u);
    EXPECT_EQ(FileErrorFromErrno(EPERM), 5u);
    EXPECT_EQ(FileErrorFromErrno(EROFS), 5u);
    EXPECT_EQ(FileErrorFromErrno(EISDIR), 5u);
    EXPECT_EQ(FileErrorFromErrno(EBADF), 6u);
    EXPECT_EQ(FileErrorFromErrno(ENOMEM), 8u);
    EXPECT_EQ(FileErrorFromErrno(EEXIST), 80u);
    EXPECT_EQ(FileErrorFromErrno(EINVAL), 87u);
    EXPECT_EQ(FileErrorFromErrno(ENOSPC), 112u);
    EXPECT_EQ(FileErrorFromErrno(EDQUOT), 112u);
    EXPECT_EQ(FileErrorFromErrno(ENAMETOOLONG), 206u);
    EXPECT_EQ(FileErrorFromErrno(EIO), 31u);
    EXPECT_EQ(FileErrorFromErrno(EAGAIN), 31u);  // only a lock turns it into 33
}

TEST(FileSystem, ResolveFindsComponentsIgnoringCase) {
    TempDir dir;
    dir.WriteFile("data/hangar1.iff", "FORM");
    const std::string resolved = Files().Resolve((dir.Str() + "\\DATA\\Hangar1.IFF").c_str());
    EXPECT_EQ(resolved, dir.Str() + "/data/hangar1.iff");

    const FileHandle file = OpenExisting(dir.Str() + "/Data/HANGAR1.iff", kFileRead);
    ASSERT_NE(file, kNoFile);
    char buffer[4];
    EXPECT_EQ(Files().Read(file, buffer, 4), 4);
    Files().Close(file);
}

TEST(FileSystem, ResolvePrefersTheExactCaseThenTheFirstInOrder) {
    TempDir dir;
    dir.WriteFile("Sky.pcx", "upper");
    dir.WriteFile("sky.pcx", "lower");
    dir.WriteFile("SKY.pcx", "all");
    EXPECT_EQ(Files().Resolve((dir.Str() + "/sky.pcx").c_str()), dir.Str() + "/sky.pcx");
    EXPECT_EQ(Files().Resolve((dir.Str() + "/Sky.pcx").c_str()), dir.Str() + "/Sky.pcx");
    // None is exact: the first in byte order, whatever order the folder lists them in.
    EXPECT_EQ(Files().Resolve((dir.Str() + "/sKy.PCX").c_str()), dir.Str() + "/SKY.pcx");
}

TEST(FileSystem, ResolveKeepsMissingComponentsUnderAnExistingFolder) {
    TempDir dir;
    std::filesystem::create_directories(dir.Path() / "saves");
    EXPECT_EQ(Files().Resolve((dir.Str() + "\\SAVES\\Game1.SAV").c_str()), dir.Str() + "/saves/Game1.SAV");
    EXPECT_EQ(Files().Resolve((dir.Str() + "/None/Deeper/x").c_str()), dir.Str() + "/None/Deeper/x");

    const FileHandle file = Create(dir.Str() + "\\SAVES\\Game1.SAV", FileCreation::kCreateNew);
    ASSERT_NE(file, kNoFile);
    Files().Close(file);
    EXPECT_TRUE(std::filesystem::exists(dir.Path() / "saves" / "Game1.SAV"));
}

TEST(FileSystem, PathsOfMoreThan259CharactersAreRefused) {
    TempDir dir;
    const std::string folder = dir.Str() + "/";
    ASSERT_LT(folder.size(), 259u - 8u);
    const std::string longest = folder + std::string(259 - folder.size(), 'n');
    const std::string tooLong = folder + std::string(260 - folder.size(), 'n');

    const FileHandle file = Create(longest);
    ASSERT_NE(file, kNoFile);
    Files().Close(file);
    EXPECT_TRUE(std::filesystem::exists(longest));

    EXPECT_EQ(Create(tooLong), kNoFile);
    EXPECT_EQ(Files().LastError(), kFileNameTooLong);
    EXPECT_FALSE(std::filesystem::exists(tooLong));
    EXPECT_EQ(Files().Attributes(tooLong.c_str()), -1);
    EXPECT_EQ(Files().LastError(), kFileNameTooLong);
}

// A descriptor number far above any the process opens: a handle the game
// might keep after closing it, or one it never had.
constexpr FileHandle kClosedHandle = FileHandle{1} << 19;

TEST(FileSystem, EveryOperationOnAHandleThatIsNotOpenFailsWith6) {
    char buffer[4] = {};
    uint16_t date = 0, time = 0;

    EXPECT_EQ(Files().Size(kClosedHandle), -1);
    EXPECT_EQ(Files().LastError(), kFileInvalidHandle);
    SetFileLastError(kFileOk);
    EXPECT_EQ(Files().Write(kClosedHandle, "x", 1), -1);
    EXPECT_EQ(Files().LastError(), kFileInvalidHandle);
    SetFileLastError(kFileOk);
    EXPECT_FALSE(Files().Truncate(kClosedHandle));
    EXPECT_EQ(Files().LastError(), kFileInvalidHandle);
    SetFileLastError(kFileOk);
    EXPECT_FALSE(Files().Flush(kClosedHandle));
    EXPECT_EQ(Files().LastError(), kFileInvalidHandle);
    SetFileLastError(kFileOk);
    EXPECT_FALSE(Files().ModifiedDosDateTime(kClosedHandle, &date, &time));
    EXPECT_EQ(Files().LastError(), kFileInvalidHandle);
    SetFileLastError(kFileOk);
    EXPECT_FALSE(Files().LockRange(kClosedHandle, 0, 1));
    EXPECT_EQ(Files().LastError(), kFileInvalidHandle);
    SetFileLastError(kFileOk);
    EXPECT_EQ(Files().Read(kClosedHandle, buffer, 1), -1);
    EXPECT_EQ(Files().LastError(), kFileInvalidHandle);
}

TEST(FileSystem, MalformedRequestsFailWith87AndTouchNothing) {
    TempDir dir;
    dir.WriteFile("f", "abc");
    const std::string path = dir.Str() + "/f";

    EXPECT_EQ(Files().Open(path.c_str(), kReadWrite, 0, static_cast<FileCreation>(99), kFileAttrNormal), kNoFile);
    EXPECT_EQ(Files().LastError(), kFileInvalidParameter);
    EXPECT_EQ(Files().Open(nullptr, kFileRead, 0, FileCreation::kOpenExisting, kFileAttrNormal), kNoFile);
    EXPECT_EQ(Files().LastError(), kFileInvalidParameter);
    EXPECT_FALSE(Files().Delete(nullptr));
    EXPECT_EQ(Files().LastError(), kFileInvalidParameter);

    const FileHandle file = OpenExisting(path);
    ASSERT_NE(file, kNoFile);
    SetFileLastError(kFileOk);
    EXPECT_EQ(Files().Read(file, nullptr, 2), -1);
    EXPECT_EQ(Files().LastError(), kFileInvalidParameter);
    SetFileLastError(kFileOk);
    EXPECT_EQ(Files().Write(file, nullptr, 2), -1);
    EXPECT_EQ(Files().LastError(), kFileInvalidParameter);
    SetFileLastError(kFileOk);
    EXPECT_EQ(Files().Seek(file, 0, static_cast<SeekOrigin>(7)), -1);
    EXPECT_EQ(Files().LastError(), kFileInvalidParameter);
    uint16_t date = 0;
    SetFileLastError(kFileOk);
    EXPECT_FALSE(Files().ModifiedDosDateTime(file, &date, nullptr));
    EXPECT_EQ(Files().LastError(), kFileInvalidParameter);
    // Nothing read or written meanwhile: the handle is still at the start.
    char buffer[4] = {};
    EXPECT_EQ(Files().Read(file, buffer, 3), 3);
    EXPECT_STREQ(buffer, "abc");
    EXPECT_TRUE(Files().Close(file));
    EXPECT_EQ(FileContents(path), "abc");
}

TEST(FileSystem, AFullDiskIsToldWith112) {
    const FileHandle full = Files().Open("/dev/full", kFileWrite, 0, FileCreation::kOpenExisting, kFileAttrNormal);
    if (full == kNoFile) GTEST_SKIP() << "no /dev/full here";
    EXPECT_EQ(Files().Write(full, "save", 4), -1);
    EXPECT_EQ(Files().LastError(), kFileDiskFull);
    EXPECT_TRUE(Files().Close(full));
}

TEST(FileSystem, ReplacingAFileWithTheReadOnlyAttributeMakesItReadOnly) {
    TempDir dir;
    dir.WriteFile("pilot.plr", "old roster");
    const std::string path = dir.Str() + "/pilot.plr";

    const FileHandle file = Create(path, FileCreation::kCreateAlways, kFileAttrReadOnly);
    ASSERT_NE(file, kNoFile);
    EXPECT_EQ(Files().Write(file, "new", 3), 3);   // the handle that made it may still write
    EXPECT_TRUE(Files().Close(file));

    EXPECT_EQ(FileContents(path), "new");
    EXPECT_EQ(Files().Attributes(path.c_str()), kFileAttrReadOnly);
    EXPECT_EQ(OpenExisting(path), kNoFile);
    EXPECT_EQ(Files().LastError(), kFileAccessDenied);
}

TEST(FileSystem, DeleteOnCloseOfARelativePathSurvivesAChangeOfFolder) {
    TempDir dir;
    TempDir elsewhere;
    const std::filesystem::path start = std::filesystem::current_path();
    std::filesystem::current_path(dir.Path());
    const FileHandle file = Create("scratch.tmp", FileCreation::kCreateAlways, kFileAttrNormal | kFileDeleteOnClose);
    // Something of the same name where the game moves to must survive.
    elsewhere.WriteFile("scratch.tmp", "keep");
    std::filesystem::current_path(elsewhere.Path());
    const bool closed = file != kNoFile && Files().Close(file);
    std::filesystem::current_path(start);

    ASSERT_NE(file, kNoFile);
    EXPECT_TRUE(closed);
    EXPECT_FALSE(std::filesystem::exists(dir.Path() / "scratch.tmp"));
    EXPECT_EQ(FileContents(elsewhere.Str() + "/scratch.tmp"), "keep");
}

TEST(FileSystem, DosDateAfter2107ClampsToItsLastMoment) {
    TempDir dir;
    dir.WriteFile("f", "");
    const std::string path = dir.Str() + "/f";
    const timespec times[2] = {{time_t{4'500'000'000}, 0}, {time_t{4'500'000'000}, 0}};   // in the year 2112
    ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
    struct stat info {};
    ASSERT_EQ(::stat(path.c_str(), &info), 0);
    if (info.st_mtime != times[1].tv_sec) GTEST_SKIP() << "this file system keeps no such date";

    const FileHandle file = OpenExisting(path, kFileRead);
    ASSERT_NE(file, kNoFile);
    uint16_t date = 0, time = 0;
    ASSERT_TRUE(Files().ModifiedDosDateTime(file, &date, &time));
    EXPECT_EQ(date, (127 << 9) | (12 << 5) | 31);
    EXPECT_EQ(time, (23 << 11) | (59 << 5) | 29);
    Files().Close(file);
}

TEST(FileSystem, FolderWorkUnderAMissingFolderIsTold) {
    TempDir dir;
    EXPECT_FALSE(Files().SyncFolder((dir.Str() + "/gone/save.dat").c_str()));
    EXPECT_EQ(Files().LastError(), kFilePathNotFound);
    EXPECT_TRUE(Files().SyncFolder((dir.Str() + "/save.dat").c_str()));

    SetFileLastError(kFileOk);
    EXPECT_EQ(Files().CreateUniqueFile(dir.Str() + "/gone", "vrn"), "");
    EXPECT_EQ(Files().LastError(), kFilePathNotFound);
    EXPECT_TRUE(std::filesystem::is_empty(dir.Path()));
}
