#include "tests/support/FaultyFileSystem.h"

#include <algorithm>
#include <filesystem>
#include <fstream>

#include <gtest/gtest.h>

#include "tests/support/FileContents.h"
#include "tests/support/ScopedInstall.h"

using platform::FileHandle;
using platform::kNoFile;

FaultyFileSystem::FaultyFileSystem() : FaultyFileSystem(platform::SystemFileSystem()) {}

FaultyFileSystem::FaultyFileSystem(platform::FileSystem& real) : real_(real) {}

void FaultyFileSystem::FailNext(Operation operation, uint32_t count, uint32_t error, uint32_t after) {
    faults_[operation] = Fault{count, after, error};
}

void FaultyFileSystem::Heal() {
    faults_.fill(Fault{});
    shortWrites_ = 0;
    shortReads_ = 0;
}

bool FaultyFileSystem::Injected(Operation operation) {
    ++calls_[operation];
    log_.push_back(operation);
    Fault& fault = faults_[operation];
    if (fault.remaining == 0) return false;
    if (fault.passing > 0) {
        --fault.passing;
        return false;
    }
    --fault.remaining;
    platform::SetFileLastError(fault.error);
    return true;
}

FileHandle FaultyFileSystem::Open(const char* path, uint32_t access, uint32_t share,
                                  platform::FileCreation creation, uint32_t attributes) {
    if (Injected(kOpen)) return kNoFile;
    const FileHandle file = real_.Open(path, access, share, creation, attributes);
    return file;
}

int64_t FaultyFileSystem::Read(FileHandle file, void* buffer, uint32_t bytes) {
    readRequests_.push_back(bytes);
    if (Injected(kRead)) return -1;
    const uint32_t asked = shortReads_ ? std::min(bytes, shortReads_) : bytes;
    const int64_t count = real_.Read(file, buffer, asked);
    return count;
}

int64_t FaultyFileSystem::Write(FileHandle file, const void* buffer, uint32_t bytes) {
    writeRequests_.push_back(bytes);
    if (Injected(kWrite)) return -1;
    const uint32_t allowed = shortWrites_ ? std::min(bytes, shortWrites_) : bytes;
    const int64_t count = real_.Write(file, buffer, allowed);
    return count;
}

int64_t FaultyFileSystem::Seek(FileHandle file, int64_t distance, platform::SeekOrigin origin) {
    if (Injected(kSeek)) return -1;
    const int64_t position = real_.Seek(file, distance, origin);
    return position;
}

int64_t FaultyFileSystem::Size(FileHandle file) {
    if (Injected(kSize)) return -1;
    const int64_t size = real_.Size(file);
    return size;
}

bool FaultyFileSystem::Truncate(FileHandle file) {
    if (Injected(kTruncate)) return false;
    const bool done = real_.Truncate(file);
    return done;
}

bool FaultyFileSystem::Flush(FileHandle file) {
    if (Injected(kFlush)) return false;
    const bool done = real_.Flush(file);
    return done;
}

bool FaultyFileSystem::Close(FileHandle file) {
    if (Injected(kClose)) {
        real_.Close(file);  // reported as failed, but the descriptor must not leak
        return false;
    }
    const bool done = real_.Close(file);
    return done;
}

bool FaultyFileSystem::LockRange(FileHandle file, uint64_t offset, uint64_t length) {
    const bool done = real_.LockRange(file, offset, length);
    return done;
}

bool FaultyFileSystem::UnlockRange(FileHandle file, uint64_t offset, uint64_t length) {
    const bool done = real_.UnlockRange(file, offset, length);
    return done;
}

bool FaultyFileSystem::ModifiedDosDateTime(FileHandle file, uint16_t* date, uint16_t* time) {
    const bool done = real_.ModifiedDosDateTime(file, date, time);
    return done;
}

bool FaultyFileSystem::Delete(const char* path) {
    if (Injected(kDelete)) return false;
    const bool done = real_.Delete(path);
    return done;
}

bool FaultyFileSystem::Rename(const char* from, const char* to) {
    if (Injected(kRename)) return false;
    const bool done = real_.Rename(from, to);
    return done;
}

bool FaultyFileSystem::SyncFolder(const char* path) {
    if (Injected(kSyncFolder)) return false;
    return real_.SyncFolder(path);
}

int64_t FaultyFileSystem::Attributes(const char* path) {
    const int64_t attributes = real_.Attributes(path);
    return attributes;
}

bool FaultyFileSystem::SetAttributes(const char* path, uint32_t attributes) {
    const bool done = real_.SetAttributes(path, attributes);
    return done;
}

std::string FaultyFileSystem::TemporaryFolder() { return real_.TemporaryFolder(); }

std::string FaultyFileSystem::CreateUniqueFile(const std::string& folder, const char* prefix) {
    return real_.CreateUniqueFile(folder, prefix);
}

std::string FaultyFileSystem::Resolve(const char* path) { return real_.Resolve(path); }

void ExpectFailedReplaceKeepsTheOldFile(const std::string& path, const std::function<bool()>& write) {
    const std::string before = FileContents(path);
    const std::string pending = path + ".new";
    uint32_t writes = 0;
    {
        // A dry count of the writes on a copy of the file, put back after.
        FaultyFileSystem counter;
        ScopedInstall<platform::FileSystem> installed(counter);
        EXPECT_TRUE(write()) << path << ": the writer fails without a fault";
        writes = counter.Calls(FaultyFileSystem::kWrite);
        // A whole file of a few kilobytes needs no more.
        EXPECT_LE(writes, 4u) << path << ": written in pieces";
        const std::vector<FaultyFileSystem::Operation>& log = counter.Log();
        const auto rename = std::find(log.begin(), log.end(), FaultyFileSystem::kRename);
        EXPECT_NE(std::find(log.begin(), rename, FaultyFileSystem::kFlush), rename)
            << path << ": renamed without a flush to the disk";
        EXPECT_NE(std::find(rename, log.end(), FaultyFileSystem::kSyncFolder), log.end())
            << path << ": the folder not flushed after the rename";
    }
    const std::string after = FileContents(path);
    EXPECT_NE(after, before) << path << ": the writer changed nothing";
    auto restore = [&] {
        std::filesystem::remove(path);
        std::ofstream(path, std::ios::binary).write(before.data(), std::streamsize(before.size()));
    };
    struct Case {
        FaultyFileSystem::Operation operation;
        uint32_t calls;
        const char* name;
    };
    const Case cases[] = {{FaultyFileSystem::kOpen, 1, "open"},
                          {FaultyFileSystem::kWrite, writes, "write"},
                          {FaultyFileSystem::kFlush, 1, "flush"},
                          {FaultyFileSystem::kClose, 1, "close"},
                          {FaultyFileSystem::kRename, 1, "rename"}};
    for (const Case& c : cases) {
        for (uint32_t at = 0; at < c.calls; ++at) {
            restore();
            FaultyFileSystem files;
            ScopedInstall<platform::FileSystem> installed(files);
            files.FailNext(c.operation, 1, platform::kFileDiskFull, at);
            EXPECT_FALSE(write()) << path << ": " << c.name << " " << at << " failed unreported";
            EXPECT_EQ(FileContents(path), before) << path << ": " << c.name << " " << at;
            EXPECT_FALSE(std::filesystem::exists(pending)) << path << ": " << c.name << " " << at;
        }
    }
    {
        // The new file is in place, but not known to be on the disk.
        restore();
        FaultyFileSystem files;
        ScopedInstall<platform::FileSystem> installed(files);
        files.FailNext(FaultyFileSystem::kSyncFolder, 1, platform::kFileGeneralFailure);
        EXPECT_FALSE(write()) << path << ": a folder that was not flushed went unreported";
        EXPECT_FALSE(std::filesystem::exists(pending)) << path << ": folder flush";
    }
    restore();
    {
        FaultyFileSystem files;
        ScopedInstall<platform::FileSystem> installed(files);
        files.ShortWrites(3);
        EXPECT_FALSE(write()) << path << ": a full disk went unreported";
        EXPECT_EQ(FileContents(path), before) << path << ": full disk";
        EXPECT_FALSE(std::filesystem::exists(pending)) << path << ": full disk";
    }
    EXPECT_TRUE(write());
    EXPECT_EQ(FileContents(path), after) << path;
}
