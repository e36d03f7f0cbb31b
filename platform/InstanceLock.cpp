#include "platform/InstanceLock.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {
namespace {

const char* NonEmptyVariable(const char* name) {
    const char* const value = std::getenv(name);
    return value != nullptr && value[0] != '\0' ? value : nullptr;
}

std::string SharedFallbackFolder() { return "/tmp/vorn-" + std::to_string(::getuid()); }

// The folder under /tmp is shared with every user: it is made private, and
// used only when it is a real folder of this user's that nobody else may
// write into.
bool PreparePrivateFolder(const std::string& folder) {
    if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) return false;
    struct stat status {};
    if (::lstat(folder.c_str(), &status) != 0) return false;
    return S_ISDIR(status.st_mode) && status.st_uid == ::getuid() && (status.st_mode & (S_IWGRP | S_IWOTH)) == 0;
}

}  // namespace

InstanceLock::~InstanceLock() { Release(); }

std::string InstanceLock::LockPath() {
    if (const char* folder = NonEmptyVariable(kFolderVariable)) return std::string(folder) + "/" + kFileName;
    if (const char* folder = NonEmptyVariable("XDG_RUNTIME_DIR")) return std::string(folder) + "/" + kFileName;
    return SharedFallbackFolder() + "/" + kFileName;
}

bool InstanceLock::Acquire() {
    if (Held()) return true;
    const bool chosenFolder = NonEmptyVariable(kFolderVariable) != nullptr || NonEmptyVariable("XDG_RUNTIME_DIR") != nullptr;
    if (!chosenFolder && !PreparePrivateFolder(SharedFallbackFolder())) return true;
    const std::string path = LockPath();
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) return true;
    // flock, not fcntl: its lock belongs to the open file, so a second
    // holder is refused even inside one process.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const bool taken = errno == EWOULDBLOCK;
        ::close(fd);
        return !taken;
    }
    fd_ = fd;
    // The holder's process number, for a person who wonders who has it.
    char text[32];
    const int length = std::snprintf(text, sizeof text, "%ld\n", long(::getpid()));
    if (::ftruncate(fd_, 0) == 0 && length > 0) {
        [[maybe_unused]] const ssize_t written = ::pwrite(fd_, text, size_t(length), 0);
    }
    return true;
}

void InstanceLock::Release() {
    if (fd_ < 0) return;
    // The file stays: removing it would let a third instance lock a new
    // file while a second still waits on the old one.
    ::flock(fd_, LOCK_UN);
    ::close(fd_);
    fd_ = -1;
}

}  // namespace platform
