#pragma once
#include <string>

namespace platform {

// Keeps a second copy of the game from running beside the first: an
// advisory lock on a file in the user's runtime folder, held while the
// game runs. The lock goes with the process, so a crashed game leaves
// nothing that stops the next one.
class InstanceLock {
public:
    // The environment variable that moves the runtime folder, before
    // $XDG_RUNTIME_DIR and /tmp/vorn-<uid>.
    static constexpr const char* kFolderVariable = "VORN_RUNTIME_DIR";
    static constexpr const char* kFileName = "vorn.lock";

    InstanceLock() = default;
    ~InstanceLock();
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    // False when another holder has the lock. True when this one has it,
    // and also when no lock can be made at all (the folder is missing or
    // not the user's): then nothing is known and the game may run.
    bool Acquire();
    // Lets go; another instance may then acquire.
    void Release();
    bool Held() const { return fd_ >= 0; }

    // The lock file's path from the environment as it is now.
    static std::string LockPath();

private:
    int fd_ = -1;
};

}  // namespace platform
