#include "platform/FileSystem.h"

#include "platform/ServiceSlot.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <map>
#include <mutex>
#include <vector>

namespace platform {
namespace {

// Shared by every file system and the layers above; the files live on the
// game thread, the atomic only keeps a stray caller on another thread from
// tearing the word.
std::atomic<uint32_t> g_lastError{kFileOk};

constexpr mode_t kAnyWrite = S_IWUSR | S_IWGRP | S_IWOTH;

// DOS dates count from 1980 and keep the year in 7 bits.
constexpr int kDosFirstYear = 1980;
constexpr int kDosLastYear = 1980 + 127;

// Every failure goes through here so LastError() always names the latest one.
void Fail(uint32_t error) { SetFileLastError(error); }

char AsciiLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool EqualsIgnoringCase(const std::string& a, const char* b) {
    const size_t length = std::strlen(b);
    if (a.size() != length) return false;
    for (size_t i = 0; i < length; ++i) {
        if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
    }
    return true;
}

bool Exists(const std::string& path) {
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0;
}

// The entry of `folder` that equals `name` ignoring case; the first in byte
// order when several do, so the answer never depends on the directory's own
// order. Empty when none does.
std::string FindIgnoringCase(const std::string& folder, const std::string& name) {
    DIR* const listing = ::opendir(folder.empty() ? "." : folder.c_str());
    if (!listing) return {};
    std::vector<std::string> matches;
    while (const dirent* entry = ::readdir(listing)) {
        if (EqualsIgnoringCase(name, entry->d_name)) matches.emplace_back(entry->d_name);
    }
    ::closedir(listing);
    if (matches.empty()) return {};
    return *std::min_element(matches.begin(), matches.end());
}

// ENOENT does not say whether the file or a folder above it is missing; the
// game's status words do, so look at the parent.
uint32_t PathError(int error, const std::string& path) {
    if (error == ENOENT) {
        const size_t slash = path.find_last_of('/');
        if (slash != std::string::npos && slash > 0) {
            struct stat info {};
            const std::string parent = path.substr(0, slash);
            if (::stat(parent.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) return kFilePathNotFound;
        }
    }
    return FileErrorFromErrno(error);
}

// A read, write or truncate refused because the descriptor lacks the access
// comes back as EBADF or EINVAL; the handle itself is fine, so say so.
uint32_t HandleError(int fd, int error) {
    if ((error == EBADF || error == EINVAL) && ::fcntl(fd, F_GETFD) != -1) return kFileAccessDenied;
    return FileErrorFromErrno(error);
}

bool ToDescriptor(FileHandle file, int* fd) {
    if (file < 0 || file > INT_MAX) {
        Fail(kFileInvalidHandle);
        return false;
    }
    *fd = static_cast<int>(file);
    return true;
}

std::string Absolute(const std::string& path) {
    if (!path.empty() && path[0] == '/') return path;
    char folder[PATH_MAX];
    if (!::getcwd(folder, sizeof folder)) return path;
    return std::string(folder) + "/" + path;
}

class PosixFileSystem final : public FileSystem {
public:
    FileHandle Open(const char* path, uint32_t access, uint32_t /*share*/, FileCreation creation,
                    uint32_t attributes) override {
        // Sharing is not enforced: POSIX has no share modes, and the game only
        // ever shares with itself.
        std::string resolved;
        if (!ResolveChecked(path, &resolved)) return kNoFile;
        const bool read = access & kFileRead;
        const bool write = access & kFileWrite;
        int flags = O_CLOEXEC | (read && write ? O_RDWR : write ? O_WRONLY : O_RDONLY);
        switch (creation) {
        case FileCreation::kCreateNew: flags |= O_CREAT | O_EXCL; break;
        case FileCreation::kCreateAlways: flags |= O_CREAT | O_TRUNC; break;
        case FileCreation::kOpenExisting: break;
        default: Fail(kFileInvalidParameter); return kNoFile;
        }
        // The read-only attribute is the owner's write bit. The system ignores
        // it for the superuser, so it is checked here: a read-only file is
        // neither written nor replaced, whoever asks.
        if (creation != FileCreation::kCreateNew && (write || creation == FileCreation::kCreateAlways)) {
            struct stat info {};
            if (::stat(resolved.c_str(), &info) == 0 && S_ISREG(info.st_mode) && !(info.st_mode & S_IWUSR)) {
                Fail(kFileAccessDenied);
                return kNoFile;
            }
        }
        const bool readOnly = attributes & kFileAttrReadOnly;
        int fd;
        do {
            fd = ::open(resolved.c_str(), flags, readOnly ? 0444 : 0666);
        } while (fd < 0 && errno == EINTR);
        if (fd < 0) {
            Fail(PathError(errno, resolved));
            return kNoFile;
        }
        struct stat info {};
        if (::fstat(fd, &info) != 0 || S_ISDIR(info.st_mode)) {
            // Folders are not files to the game.
            ::close(fd);
            Fail(kFileAccessDenied);
            return kNoFile;
        }
        // A replaced file takes the attributes of the request, as a new one does.
        if (readOnly && creation == FileCreation::kCreateAlways && (info.st_mode & kAnyWrite)) {
            ::fchmod(fd, info.st_mode & ~kAnyWrite & 07777);
        }
        if (attributes & kFileDeleteOnClose) {
            // Kept absolute so a change of working folder cannot redirect the delete.
            const std::lock_guard lock(mutex_);
            deleteOnClose_[fd] = Absolute(resolved);
        }
        return fd;
    }

    int64_t Read(FileHandle file, void* buffer, uint32_t bytes) override {
        int fd;
        if (!ToDescriptor(file, &fd)) return -1;
        if (!buffer && bytes) {
            Fail(kFileInvalidParameter);
            return -1;
        }
        ssize_t count;
        do {
            count = ::read(fd, buffer, bytes);
        } while (count < 0 && errno == EINTR);
        if (count < 0) {
            Fail(HandleError(fd, errno));
            return -1;
        }
        return count;
    }

    int64_t Write(FileHandle file, const void* buffer, uint32_t bytes) override {
        int fd;
        if (!ToDescriptor(file, &fd)) return -1;
        if (!buffer && bytes) {
            Fail(kFileInvalidParameter);
            return -1;
        }
        const char* const data = static_cast<const char*>(buffer);
        uint32_t done = 0;
        while (done < bytes) {
            const ssize_t count = ::write(fd, data + done, bytes - done);
            if (count < 0) {
                if (errno == EINTR) continue;
                // Bytes already written stay written and are reported; the
                // error is still recorded so a caller that sees the short
                // count can learn why.
                Fail(HandleError(fd, errno));
                return done ? static_cast<int64_t>(done) : -1;
            }
            if (count == 0) break;
            done += static_cast<uint32_t>(count);
        }
        return done;
    }

    int64_t Seek(FileHandle file, int64_t distance, SeekOrigin origin) override {
        int fd;
        if (!ToDescriptor(file, &fd)) return -1;
        int whence;
        switch (origin) {
        case SeekOrigin::kBegin: whence = SEEK_SET; break;
        case SeekOrigin::kCurrent: whence = SEEK_CUR; break;
        case SeekOrigin::kEnd: whence = SEEK_END; break;
        default: Fail(kFileInvalidParameter); return -1;
        }
        const off_t position = ::lseek(fd, static_cast<off_t>(distance), whence);
        if (position < 0) {
            Fail(FileErrorFromErrno(errno));
            return -1;
        }
        return position;
    }

    int64_t Size(FileHandle file) override {
        int fd;
        if (!ToDescriptor(file, &fd)) return -1;
        struct stat info {};
        if (::fstat(fd, &info) != 0) {
            Fail(FileErrorFromErrno(errno));
            return -1;
        }
        return info.st_size;
    }

    bool Truncate(FileHandle file) override {
        int fd;
        if (!ToDescriptor(file, &fd)) return false;
        const off_t position = ::lseek(fd, 0, SEEK_CUR);
        if (position < 0) {
            Fail(FileErrorFromErrno(errno));
            return false;
        }
        int result;
        do {
            result = ::ftruncate(fd, position);
        } while (result != 0 && errno == EINTR);
        if (result != 0) {
            Fail(HandleError(fd, errno));
            return false;
        }
        return true;
    }

    bool Flush(FileHandle file) override {
        int fd;
        if (!ToDescriptor(file, &fd)) return false;
        if (::fsync(fd) != 0) {
            Fail(FileErrorFromErrno(errno));
            return false;
        }
        return true;
    }

    bool Close(FileHandle file) override {
        int fd;
        if (!ToDescriptor(file, &fd)) return false;
        std::string doomed;
        {
            const std::lock_guard lock(mutex_);
            const auto found = deleteOnClose_.find(fd);
            if (found != deleteOnClose_.end()) {
                doomed = std::move(found->second);
                deleteOnClose_.erase(found);
            }
        }
        // Linux releases the descriptor even when close reports EINTR, so
        // only EBADF means the handle was not closed.
        if (::close(fd) != 0 && errno != EINTR) {
            Fail(FileErrorFromErrno(errno));
            return false;
        }
        // The handle is gone either way; a file someone already moved or
        // removed is simply not there to delete.
        if (!doomed.empty()) ::unlink(doomed.c_str());
        return true;
    }

    bool LockRange(FileHandle file, uint64_t offset, uint64_t length) override {
        return SetLock(file, offset, length, true);
    }

    bool UnlockRange(FileHandle file, uint64_t offset, uint64_t length) override {
        return SetLock(file, offset, length, false);
    }

    bool ModifiedDosDateTime(FileHandle file, uint16_t* date, uint16_t* time) override {
        int fd;
        if (!ToDescriptor(file, &fd)) return false;
        if (!date || !time) {
            Fail(kFileInvalidParameter);
            return false;
        }
        struct stat info {};
        if (::fstat(fd, &info) != 0) {
            Fail(FileErrorFromErrno(errno));
            return false;
        }
        std::tm local{};
        if (!::localtime_r(&info.st_mtime, &local)) {
            Fail(kFileInvalidParameter);
            return false;
        }
        const int year = local.tm_year + 1900;
        if (year < kDosFirstYear) {
            // The earliest moment DOS can name: 1980-01-01 00:00.
            *date = (1 << 5) | 1;
            *time = 0;
        } else if (year > kDosLastYear) {
            *date = static_cast<uint16_t>((127 << 9) | (12 << 5) | 31);
            *time = static_cast<uint16_t>((23 << 11) | (59 << 5) | 29);
        } else {
            // A leap second (60) still fits the 5-bit half-seconds field.
            *date = static_cast<uint16_t>(((year - kDosFirstYear) << 9) | ((local.tm_mon + 1) << 5) | local.tm_mday);
            *time = static_cast<uint16_t>((local.tm_hour << 11) | (local.tm_min << 5) | (local.tm_sec / 2));
        }
        return true;
    }

    bool Delete(const char* path) override {
        std::string resolved;
        if (!ResolveChecked(path, &resolved)) return false;
        struct stat info {};
        if (::lstat(resolved.c_str(), &info) != 0) {
            Fail(PathError(errno, resolved));
            return false;
        }
        // Folders are not deleted as files, and a read-only file is protected
        // by its attribute.
        if (S_ISDIR(info.st_mode) || (S_ISREG(info.st_mode) && !(info.st_mode & S_IWUSR))) {
            Fail(kFileAccessDenied);
            return false;
        }
        if (::unlink(resolved.c_str()) != 0) {
            Fail(PathError(errno, resolved));
            return false;
        }
        return true;
    }

    bool Rename(const char* from, const char* to) override {
        std::string source, target;
        if (!ResolveChecked(from, &source) || !ResolveChecked(to, &target)) return false;
        // An existing file is replaced in one step, so a writer that renames
        // its finished copy over the old one never leaves neither on disk.
        // A folder is not a file to replace, and a read-only file is
        // protected by its attribute as Delete protects it.
        struct stat info {};
        if (::lstat(target.c_str(), &info) == 0 &&
            (S_ISDIR(info.st_mode) || (S_ISREG(info.st_mode) && !(info.st_mode & S_IWUSR)))) {
            Fail(kFileAccessDenied);
            return false;
        }
        if (::rename(source.c_str(), target.c_str()) == 0) return true;
        const int error = errno;
        Fail(PathError(error, Exists(source) ? target : source));
        return false;
    }

    bool SyncFolder(const char* path) override {
        std::string resolved;
        if (!ResolveChecked(path, &resolved)) return false;
        const size_t slash = resolved.rfind('/');
        const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : resolved.substr(0, slash);
        const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd < 0) {
            // Told as for the file: its folder missing is a path not found.
            Fail(PathError(errno, resolved));
            return false;
        }
        const bool synced = ::fsync(fd) == 0;
        const int error = errno;
        ::close(fd);
        if (!synced) Fail(FileErrorFromErrno(error));
        return synced;
    }

    int64_t Attributes(const char* path) override {
        std::string resolved;
        if (!ResolveChecked(path, &resolved)) return -1;
        struct stat info {};
        if (::stat(resolved.c_str(), &info) != 0) {
            Fail(PathError(errno, resolved));
            return -1;
        }
        // A folder's write bit governs who may create files in it, which the
        // read-only attribute never did, so folders report only themselves.
        if (S_ISDIR(info.st_mode)) return kFileAttrDirectory;
        return (info.st_mode & S_IWUSR) ? kFileAttrNormal : kFileAttrReadOnly;
    }

    bool SetAttributes(const char* path, uint32_t attributes) override {
        std::string resolved;
        if (!ResolveChecked(path, &resolved)) return false;
        struct stat info {};
        if (::stat(resolved.c_str(), &info) != 0) {
            Fail(PathError(errno, resolved));
            return false;
        }
        if (S_ISDIR(info.st_mode)) return true;
        const mode_t current = info.st_mode & 07777;
        const mode_t wanted = (attributes & kFileAttrReadOnly) ? (current & ~kAnyWrite) : (current | S_IWUSR);
        if (wanted != current && ::chmod(resolved.c_str(), wanted) != 0) {
            Fail(PathError(errno, resolved));
            return false;
        }
        return true;
    }

    std::string TemporaryFolder() override {
        const char* const fromEnvironment = std::getenv("TMPDIR");
        std::string folder = (fromEnvironment && *fromEnvironment) ? fromEnvironment : "/tmp";
        if (folder.back() != '/') folder += '/';
        return folder;
    }

    std::string CreateUniqueFile(const std::string& folder, const char* prefix) override {
        std::string pattern = Resolve(folder.c_str());
        if (!pattern.empty() && pattern.back() != '/') pattern += '/';
        pattern += prefix ? prefix : "";
        pattern += "XXXXXX";
        if (pattern.size() > kMaxPathChars) {
            Fail(kFileNameTooLong);
            return {};
        }
        const int fd = ::mkostemp(pattern.data(), O_CLOEXEC);
        if (fd < 0) {
            Fail(PathError(errno, pattern));
            return {};
        }
        ::close(fd);
        return pattern;
    }

    std::string Resolve(const char* path) override {
        std::string mapped = path ? path : "";
        std::replace(mapped.begin(), mapped.end(), '\\', '/');
        if (mapped.empty() || Exists(mapped)) return mapped;

        std::string resolved;
        size_t start = 0;
        if (mapped[0] == '/') {
            resolved = "/";
            start = 1;
        }
        // Once a component is missing nothing below it can exist, so the rest
        // is kept as written.
        bool lookUp = true;
        while (true) {
            const size_t slash = mapped.find('/', start);
            const size_t end = slash == std::string::npos ? mapped.size() : slash;
            std::string component = mapped.substr(start, end - start);
            if (lookUp && !component.empty() && component != "." && component != ".." &&
                !Exists(resolved + component)) {
                std::string found = FindIgnoringCase(resolved, component);
                if (found.empty()) {
                    lookUp = false;
                } else {
                    component = std::move(found);
                }
            }
            resolved += component;
            if (slash == std::string::npos) break;
            resolved += '/';
            start = slash + 1;
        }
        return resolved;
    }

private:
    bool ResolveChecked(const char* path, std::string* resolved) {
        if (!path) {
            Fail(kFileInvalidParameter);
            return false;
        }
        if (std::strlen(path) > kMaxPathChars) {
            Fail(kFileNameTooLong);
            return false;
        }
        *resolved = Resolve(path);
        return true;
    }

    // Locks belong to the open handle (open file description locks), as the
    // game expects: a second handle of the same process is refused, and
    // closing another handle of the same file keeps the lock. They are
    // advisory; reads and writes are not checked against them.
    bool SetLock(FileHandle file, uint64_t offset, uint64_t length, bool lock) {
        int fd;
        if (!ToDescriptor(file, &fd)) return false;
        // A length of 0 would mean "to the end of the file and beyond".
        if (length == 0 || offset > static_cast<uint64_t>(LLONG_MAX) ||
            length > static_cast<uint64_t>(LLONG_MAX) - offset) {
            Fail(kFileInvalidParameter);
            return false;
        }
        short type = F_UNLCK;
        if (lock) {
            // A write lock needs a writable descriptor; a read-only handle
            // takes a shared lock, which still keeps writers out.
            const int flags = ::fcntl(fd, F_GETFL);
            if (flags == -1) {
                Fail(FileErrorFromErrno(errno));
                return false;
            }
            type = (flags & O_ACCMODE) == O_RDONLY ? F_RDLCK : F_WRLCK;
        }
        struct flock range {};
        range.l_type = type;
        range.l_whence = SEEK_SET;
        range.l_start = static_cast<off_t>(offset);
        range.l_len = static_cast<off_t>(length);
        range.l_pid = 0;
        if (::fcntl(fd, F_OFD_SETLK, &range) != 0) {
            const int error = errno;
            Fail((error == EAGAIN || error == EACCES) ? kFileLockViolation : FileErrorFromErrno(error));
            return false;
        }
        return true;
    }

    std::mutex mutex_;
    std::map<int, std::string> deleteOnClose_;  // descriptor -> absolute path to unlink at Close
};

constinit ServiceSlot<FileSystem> g_slot{&SystemFileSystem};

}  // namespace

uint32_t FileLastError() { return g_lastError.load(std::memory_order_relaxed); }

void SetFileLastError(uint32_t error) { g_lastError.store(error, std::memory_order_relaxed); }

uint32_t FileErrorFromErrno(int error) {
    switch (error) {
    case 0: return kFileOk;
    case ENOENT: return kFileNotFound;
    case ENOTDIR: return kFilePathNotFound;
    case EMFILE:
    case ENFILE: return kFileTooManyOpen;
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR: return kFileAccessDenied;  // a folder opened or deleted as a file
    case EBADF: return kFileInvalidHandle;
    case ENOMEM: return kFileNoMemory;
    case EEXIST: return kFileExists;
    case EINVAL: return kFileInvalidParameter;
    case ENOSPC:
    case EDQUOT: return kFileDiskFull;
    case ENAMETOOLONG: return kFileNameTooLong;
    default: return kFileGeneralFailure;
    }
}

FileSystem& SystemFileSystem() {
    // Never destroyed: exit handlers may still close files after the static
    // destructors have started to run.
    static FileSystem* const files = new PosixFileSystem();
    return *files;
}

FileSystem& FileSystem::Current() { return g_slot.Get(); }

FileSystem* FileSystem::Install(FileSystem* files) { return g_slot.Swap(files); }

}  // namespace platform
