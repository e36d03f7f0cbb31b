#include "platform/VirtualMemory.h"

#include <sys/resource.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

#include "tests/support/RecordingVirtualMemory.h"
#include "tests/support/ScopedInstall.h"

namespace {

using platform::SystemVirtualMemory;
using platform::VirtualMemory;

TEST(VirtualMemory, ReserveRoundsToWholePagesAndReportsRegionSize) {
    VirtualMemory& memory = SystemVirtualMemory();
    void* const base = memory.Reserve(VirtualMemory::kPageSize + 1);
    ASSERT_NE(base, nullptr);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(base) % VirtualMemory::kPageSize, 0u);
    EXPECT_EQ(memory.RegionSize(base), 2 * VirtualMemory::kPageSize);
    EXPECT_TRUE(memory.Release(base));
    EXPECT_EQ(memory.RegionSize(base), 0u);
}

TEST(VirtualMemory, RefusesNothingAndUnknownRegions) {
    VirtualMemory& memory = SystemVirtualMemory();
    EXPECT_EQ(memory.Reserve(0), nullptr);
    EXPECT_EQ(memory.Reserve(SIZE_MAX), nullptr);
    int local = 0;
    EXPECT_EQ(memory.RegionSize(&local), 0u);
    EXPECT_FALSE(memory.Release(&local));
}

TEST(VirtualMemory, CommittedPagesHoldDataAndDecommittedPagesComeBackZeroed) {
    VirtualMemory& memory = SystemVirtualMemory();
    const size_t page = VirtualMemory::kPageSize;
    auto* const base = static_cast<uint8_t*>(memory.Reserve(4 * page));
    ASSERT_NE(base, nullptr);

    // A range straddling a page boundary commits both pages it touches.
    ASSERT_TRUE(memory.Commit(base + page - 8, 16));
    std::memset(base + page - 100, 0x5A, 200);
    EXPECT_EQ(base[page], 0x5A);
    EXPECT_EQ(base[2 * page - 1], 0);

    ASSERT_TRUE(memory.Decommit(base, 2 * page));
    ASSERT_TRUE(memory.Commit(base, 2 * page));
    EXPECT_EQ(base[page - 1], 0);
    EXPECT_EQ(base[page], 0);
    EXPECT_TRUE(memory.Release(base));
}

TEST(VirtualMemory, StatusReportsPhysicalAndVirtualFigures) {
    const platform::MemoryStatus status = SystemVirtualMemory().QueryStatus();
    EXPECT_GT(status.totalPhysical, 0u);
    EXPECT_LE(status.availablePhysical, status.totalPhysical);
    EXPECT_GT(status.totalVirtual, 0u);
    EXPECT_LE(status.availableVirtual, status.totalVirtual);
}

TEST(VirtualMemory, EmptyRangesAreNoWorkAndImpossibleOnesAreRefused) {
    VirtualMemory& memory = SystemVirtualMemory();
    auto* const base = static_cast<uint8_t*>(memory.Reserve(VirtualMemory::kPageSize));
    ASSERT_NE(base, nullptr);
    EXPECT_TRUE(memory.Commit(base, 0));
    EXPECT_TRUE(memory.Decommit(base, 0));
    // Running past the end of the address space.
    void* const last = reinterpret_cast<void*>(UINTPTR_MAX - 10);
    EXPECT_FALSE(memory.Commit(last, 100));
    EXPECT_FALSE(memory.Decommit(last, 100));
    EXPECT_TRUE(memory.Release(base));
    // More than any address space holds.
    EXPECT_EQ(memory.Reserve(size_t{1} << 62), nullptr);
}

// Under a limit of its address space, the process can map no more than it.
TEST(VirtualMemory, AnAddressSpaceLimitIsTheVirtualTotal) {
    rlimit before{};
    ASSERT_EQ(getrlimit(RLIMIT_AS, &before), 0);
    if (before.rlim_max != RLIM_INFINITY) GTEST_SKIP() << "the address space is limited already";
    constexpr rlim_t kLimit = rlim_t{1} << 46;   // far above what the process maps
    rlimit limited = before;
    limited.rlim_cur = kLimit;
    ASSERT_EQ(setrlimit(RLIMIT_AS, &limited), 0);
    const platform::MemoryStatus status = SystemVirtualMemory().QueryStatus();
    ASSERT_EQ(setrlimit(RLIMIT_AS, &before), 0);
    EXPECT_EQ(status.totalVirtual, kLimit);
    EXPECT_LT(status.availableVirtual, kLimit);
}

TEST(VirtualMemory, InstallReplacesCurrentAndReturnsThePreviousOne) {
    EXPECT_EQ(&VirtualMemory::Current(), &SystemVirtualMemory());
    RecordingVirtualMemory recording;
    {
        ScopedInstall<VirtualMemory> installed(recording);
        EXPECT_EQ(installed.Previous(), &SystemVirtualMemory());
        EXPECT_EQ(&VirtualMemory::Current(), &recording);
    }
    EXPECT_EQ(&VirtualMemory::Current(), &SystemVirtualMemory());

    VirtualMemory::Install(&recording);
    EXPECT_EQ(VirtualMemory::Install(nullptr), &recording);
    EXPECT_EQ(&VirtualMemory::Current(), &SystemVirtualMemory());
}

TEST(RecordingVirtualMemory, RecordsCallsAndFailsOnRequest) {
    RecordingVirtualMemory memory;
    memory.FailReserves(1);
    EXPECT_EQ(memory.Reserve(VirtualMemory::kPageSize), nullptr);
    void* const base = memory.Reserve(2 * VirtualMemory::kPageSize);
    ASSERT_NE(base, nullptr);

    memory.FailCommits(1, /*skip=*/1);
    EXPECT_TRUE(memory.Commit(base, 10));
    EXPECT_FALSE(memory.Commit(base, 20));
    EXPECT_TRUE(memory.Commit(base, 30));
    EXPECT_TRUE(memory.Decommit(base, 40));
    EXPECT_TRUE(memory.Release(base));

    const uintptr_t at = reinterpret_cast<uintptr_t>(base);
    EXPECT_EQ(memory.Reserves().size(), 2u);
    EXPECT_EQ(memory.Commits(), (std::vector<RecordingVirtualMemory::Range>{{at, 10}, {at, 20}, {at, 30}}));
    EXPECT_EQ(memory.Decommits(), (std::vector<RecordingVirtualMemory::Range>{{at, 40}}));
    EXPECT_EQ(memory.ReleaseCount(), 1);

    platform::MemoryStatus status;
    status.availablePhysical = 1234;
    memory.ReportStatus(status);
    EXPECT_EQ(memory.QueryStatus().availablePhysical, 1234u);
}

}  // namespace
