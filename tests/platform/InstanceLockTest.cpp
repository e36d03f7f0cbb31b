#include "platform/InstanceLock.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <optional>
#include <string>

#include "tests/support/TempDir.h"

namespace {

using platform::InstanceLock;

// Sets or clears an environment variable for the life of a scope.
class ScopedVariable {
public:
    ScopedVariable(const char* name, const char* value) : name_(name) {
        if (const char* old = std::getenv(name)) previous_ = old;
        if (value != nullptr) {
            ::setenv(name, value, 1);
        } else {
            ::unsetenv(name);
        }
    }
    ~ScopedVariable() {
        if (previous_) {
            ::setenv(name_, previous_->c_str(), 1);
        } else {
            ::unsetenv(name_);
        }
    }
    ScopedVariable(const ScopedVariable&) = delete;
    ScopedVariable& operator=(const ScopedVariable&) = delete;

private:
    const char* name_;
    std::optional<std::string> previous_;
};

class InstanceLockInFolder : public ::testing::Test {
protected:
    TempDir folder_;
    ScopedVariable runtime_{InstanceLock::kFolderVariable, folder_.Str().c_str()};
};

TEST_F(InstanceLockInFolder, SecondHolderIsRefusedWhileTheFirstHoldsIt) {
    InstanceLock first;
    InstanceLock second;
    ASSERT_TRUE(first.Acquire());
    EXPECT_TRUE(first.Held());

    EXPECT_FALSE(second.Acquire());
    EXPECT_FALSE(second.Held());
}

TEST_F(InstanceLockInFolder, ReleaseLetsAnotherHolderIn) {
    InstanceLock first;
    InstanceLock second;
    ASSERT_TRUE(first.Acquire());
    ASSERT_FALSE(second.Acquire());

    first.Release();
    EXPECT_FALSE(first.Held());
    EXPECT_TRUE(second.Acquire());
    EXPECT_FALSE(first.Acquire());
}

TEST_F(InstanceLockInFolder, GoingOutOfScopeReleases) {
    {
        InstanceLock first;
        ASSERT_TRUE(first.Acquire());
    }
    InstanceLock second;
    EXPECT_TRUE(second.Acquire());
}

TEST_F(InstanceLockInFolder, AcquiringAgainKeepsTheLock) {
    InstanceLock lock;
    ASSERT_TRUE(lock.Acquire());
    EXPECT_TRUE(lock.Acquire());
    InstanceLock other;
    EXPECT_FALSE(other.Acquire());
}

TEST_F(InstanceLockInFolder, AnotherProcessFindsTheLockHeld) {
    InstanceLock lock;
    ASSERT_TRUE(lock.Acquire());

    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        InstanceLock second;
        ::_exit(second.Acquire() ? 0 : 7);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 7);
}

TEST_F(InstanceLockInFolder, LockFileNamesTheHoldingProcess) {
    InstanceLock lock;
    ASSERT_TRUE(lock.Acquire());
    std::ifstream file(folder_.Path() / InstanceLock::kFileName);
    long pid = 0;
    file >> pid;
    EXPECT_EQ(pid, long(::getpid()));
}

TEST_F(InstanceLockInFolder, MissingFolderLetsTheGameRunUnchecked) {
    const std::string missing = folder_.Str() + "/not-there";
    ScopedVariable runtime(InstanceLock::kFolderVariable, missing.c_str());
    InstanceLock lock;
    EXPECT_TRUE(lock.Acquire());
    EXPECT_FALSE(lock.Held());
}

TEST(InstanceLock, PathPrefersTheOverrideThenTheRuntimeFolderThenTmp) {
    {
        ScopedVariable runtime(InstanceLock::kFolderVariable, "/run/override");
        ScopedVariable xdg("XDG_RUNTIME_DIR", "/run/user/1000");
        EXPECT_EQ(InstanceLock::LockPath(), "/run/override/vorn.lock");
    }
    {
        ScopedVariable runtime(InstanceLock::kFolderVariable, nullptr);
        ScopedVariable xdg("XDG_RUNTIME_DIR", "/run/user/1000");
        EXPECT_EQ(InstanceLock::LockPath(), "/run/user/1000/vorn.lock");
    }
    {
        ScopedVariable runtime(InstanceLock::kFolderVariable, "");
        ScopedVariable xdg("XDG_RUNTIME_DIR", nullptr);
        EXPECT_EQ(InstanceLock::LockPath(), "/tmp/vorn-" + std::to_string(::getuid()) + "/vorn.lock");
    }
}

}  // namespace
