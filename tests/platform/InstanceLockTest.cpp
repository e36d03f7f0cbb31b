#include "platform/InstanceLock.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <string>

#include "tests/support/ScopedEnvironment.h"
#include "tests/support/TempDir.h"

namespace {

using platform::InstanceLock;

class InstanceLockInFolder : public ::testing::Test {
protected:
    TempDir folder_;
    ScopedEnvironment runtime_{InstanceLock::kFolderVariable, folder_.Str().c_str()};
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
    ScopedEnvironment runtime(InstanceLock::kFolderVariable, missing.c_str());
    InstanceLock lock;
    EXPECT_TRUE(lock.Acquire());
    EXPECT_FALSE(lock.Held());
}

TEST(InstanceLock, PathPrefersTheOverrideThenTheRuntimeFolderThenTmp) {
    {
        ScopedEnvironment runtime(InstanceLock::kFolderVariable, "/run/override");
        ScopedEnvironment xdg("XDG_RUNTIME_DIR", "/run/user/1000");
        EXPECT_EQ(InstanceLock::LockPath(), "/run/override/vorn.lock");
    }
    {
        ScopedEnvironment runtime(InstanceLock::kFolderVariable, nullptr);
        ScopedEnvironment xdg("XDG_RUNTIME_DIR", "/run/user/1000");
        EXPECT_EQ(InstanceLock::LockPath(), "/run/user/1000/vorn.lock");
    }
    {
        ScopedEnvironment runtime(InstanceLock::kFolderVariable, "");
        ScopedEnvironment xdg("XDG_RUNTIME_DIR", nullptr);
        EXPECT_EQ(InstanceLock::LockPath(), "/tmp/vorn-" + std::to_string(::getuid()) + "/vorn.lock");
    }
}

}  // namespace
