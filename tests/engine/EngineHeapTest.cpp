#include "engine/EngineHeap.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <map>
#include <random>
#include <utility>
#include <vector>

#include "platform/VirtualMemory.h"
#include "tests/support/FirstFitModel.h"
#include "tests/support/RecordingVirtualMemory.h"
#include "tests/support/ScopedInstall.h"

namespace {

using Range = RecordingVirtualMemory::Range;

constexpr size_t kMiB = 1024 * 1024;
constexpr uintptr_t kUnit = BlockHeap::kCommitUnit;

uintptr_t Address(const void* pointer) { return reinterpret_cast<uintptr_t>(pointer); }
uintptr_t UnitBelow(uintptr_t address) { return address & ~(kUnit - 1); }
uintptr_t UnitAbove(uintptr_t address) { return UnitBelow(address + kUnit - 1); }
uintptr_t HeaderOf(const void* block) { return Address(block) - BlockHeap::kHeaderBytes; }

// Every test reserves through recording memory and leaves no heap behind,
// since the heap is process-wide.
class EngineHeapTest : public ::testing::Test {
protected:
    void TearDown() override { EngineHeap::Release(); }

    void ReserveMiB(size_t mebibytes = 1) {
        EngineHeap::Reserve(mebibytes * kMiB, EngineHeap::kModeExact);
        ASSERT_TRUE(EngineHeap::IsReserved());
        initialTop_ = Address(EngineHeap::Top());
        memory_.ClearRecords();
    }

    uintptr_t End() const { return Address(EngineHeap::Base()) + EngineHeap::RegionSize(); }

    // The free list must run strictly downward, never hold two touching
    // blocks, and lie between the top and the end of the range.
    void ExpectFreeListWellFormed() const {
        const std::vector<FreeBlock> blocks = EngineHeap::FreeBlocks();
        for (size_t i = 0; i < blocks.size(); ++i) {
            const uintptr_t at = Address(blocks[i].address);
            EXPECT_GE(at, Address(EngineHeap::Top()));
            EXPECT_LE(at + blocks[i].size, End());
            EXPECT_EQ(blocks[i].size % 16, 0u);
            if (i > 0) {
                EXPECT_LT(at + blocks[i].size, Address(blocks[i - 1].address)) << "block " << i;
            }
        }
    }

    RecordingVirtualMemory memory_;
    ScopedInstall<platform::VirtualMemory> installed_{memory_};
    uintptr_t initialTop_ = 0;
};

// --- Reserving and releasing ---------------------------------------------

TEST_F(EngineHeapTest, ReserveWritesAnEmptyControlBlockAndCommitsBothEnds) {
    EngineHeap::Reserve(kMiB, EngineHeap::kModeExact);
    ASSERT_TRUE(EngineHeap::IsReserved());
    const uintptr_t base = Address(EngineHeap::Base());
    EXPECT_EQ(EngineHeap::RegionSize(), kMiB);
    EXPECT_EQ(EngineHeap::UsableSize(), kMiB - 49);
    EXPECT_EQ(Address(EngineHeap::Top()), base + kMiB - 16);
    EXPECT_EQ(EngineHeap::AllocationCount(), 0u);
    EXPECT_EQ(EngineHeap::FreeCount(), 0u);
    EXPECT_EQ(EngineHeap::BytesInUse(), 0u);
    EXPECT_TRUE(EngineHeap::FreeBlocks().empty());
    EXPECT_TRUE(EngineHeap::Contains(EngineHeap::Base()));
    EXPECT_TRUE(EngineHeap::Contains(reinterpret_cast<const void*>(base + kMiB - 1)));
    EXPECT_FALSE(EngineHeap::Contains(reinterpret_cast<const void*>(base + kMiB)));

    const uintptr_t topUnit = UnitBelow(base + kMiB - 16);
    const uintptr_t unitBegin = std::max(topUnit, base);
    EXPECT_EQ(memory_.Reserves(), std::vector<size_t>{kMiB});
    EXPECT_EQ(memory_.Commits(),
              (std::vector<Range>{{base, 49}, {unitBegin, std::min(topUnit + kUnit, base + kMiB) - unitBegin}}));
}

TEST_F(EngineHeapTest, ModeZeroReservesAvailableAddressSpaceMinusN) {
    platform::MemoryStatus status;
    status.availableVirtual = 2 * kMiB + 100;
    memory_.ReportStatus(status);
    EngineHeap::Reserve(100, EngineHeap::kModeAllButVirtual);
    EXPECT_EQ(memory_.Reserves(), std::vector<size_t>{2 * kMiB});
    EXPECT_EQ(EngineHeap::RegionSize(), 2 * kMiB);
}

TEST_F(EngineHeapTest, ModeTwoReservesAShareOfPhysicalMemory) {
    platform::MemoryStatus status;
    status.availablePhysical = 3 * kMiB;
    memory_.ReportStatus(status);
    EngineHeap::Reserve(300, EngineHeap::kModePhysicalShare);
    EXPECT_EQ(memory_.Reserves(), std::vector<size_t>{kMiB});
}

TEST_F(EngineHeapTest, ModeTwoOfNothingReservesNothing) {
    platform::MemoryStatus status;
    status.availablePhysical = 3 * kMiB;
    memory_.ReportStatus(status);
    EngineHeap::Reserve(0, EngineHeap::kModePhysicalShare);
    EXPECT_FALSE(EngineHeap::IsReserved());
    EXPECT_TRUE(memory_.Reserves().empty());
}

TEST_F(EngineHeapTest, AnyOtherModeReservesExactlyN) {
    EngineHeap::Reserve(64 * 1024, 7);
    EXPECT_EQ(memory_.Reserves(), std::vector<size_t>{64 * 1024});
}

TEST_F(EngineHeapTest, SizesBelow4096ReserveNothing) {
    EngineHeap::Reserve(4095, EngineHeap::kModeExact);
    EXPECT_FALSE(EngineHeap::IsReserved());

    platform::MemoryStatus status;
    status.availableVirtual = 4095 + 10;
    status.availablePhysical = 40;
    memory_.ReportStatus(status);
    EngineHeap::Reserve(10, EngineHeap::kModeAllButVirtual);
    EngineHeap::Reserve(11 * kMiB, EngineHeap::kModeAllButVirtual);  // more than there is
    EngineHeap::Reserve(1, EngineHeap::kModePhysicalShare);          // 4000 bytes
    EXPECT_FALSE(EngineHeap::IsReserved());
    EXPECT_TRUE(memory_.Reserves().empty());

    EngineHeap::Reserve(4096, EngineHeap::kModeExact);
    EXPECT_TRUE(EngineHeap::IsReserved());
}

TEST_F(EngineHeapTest, ReserveWhileReservedDoesNothing) {
    ReserveMiB();
    const void* const base = EngineHeap::Base();
    void* const block = EngineHeap::Alloc(100);
    EngineHeap::Reserve(2 * kMiB, EngineHeap::kModeExact);
    EXPECT_EQ(EngineHeap::Base(), base);
    EXPECT_EQ(EngineHeap::RegionSize(), kMiB);
    EXPECT_EQ(EngineHeap::AllocationCount(), 1u);
    EXPECT_TRUE(EngineHeap::Contains(block));
    EXPECT_TRUE(memory_.Reserves().empty());
}

TEST_F(EngineHeapTest, RefusedReservationOrCommitLeavesNoHeap) {
    memory_.FailReserves(1);
    EngineHeap::Reserve(kMiB, EngineHeap::kModeExact);
    EXPECT_FALSE(EngineHeap::IsReserved());

    memory_.FailCommits(1);
    EngineHeap::Reserve(kMiB, EngineHeap::kModeExact);
    EXPECT_FALSE(EngineHeap::IsReserved());

    memory_.FailCommits(1, /*skip=*/1);
    EngineHeap::Reserve(kMiB, EngineHeap::kModeExact);
    EXPECT_FALSE(EngineHeap::IsReserved());
    EXPECT_EQ(memory_.ReleaseCount(), 2);  // what was reserved went back
}

TEST_F(EngineHeapTest, ReleaseLeavesNoHeap) {
    ReserveMiB();
    void* block = EngineHeap::Alloc(100);
    ASSERT_NE(block, nullptr);
    EngineHeap::Release();
    EXPECT_FALSE(EngineHeap::IsReserved());
    EXPECT_EQ(EngineHeap::Base(), nullptr);
    EXPECT_FALSE(EngineHeap::Contains(block));
    EXPECT_EQ(EngineHeap::Alloc(16), nullptr);
    EXPECT_EQ(EngineHeap::RegionSize(), 0u);
    EXPECT_EQ(memory_.ReleaseCount(), 1);

    EngineHeap::Release();
    EXPECT_EQ(memory_.ReleaseCount(), 1);

    EngineHeap::Reserve(kMiB, EngineHeap::kModeExact);  // a new heap can follow
    EXPECT_TRUE(EngineHeap::IsReserved());
}

// --- Allocating --------------------------------------------------------

TEST_F(EngineHeapTest, AllocationsComeFromTheTopDownward) {
    ReserveMiB();
    void* const first = EngineHeap::Alloc(1);
    void* const second = EngineHeap::Alloc(17);
    EXPECT_EQ(Address(first), initialTop_ - 32 + 16);
    EXPECT_EQ(Address(second), initialTop_ - 32 - 48 + 16);
    EXPECT_EQ(Address(EngineHeap::Top()), initialTop_ - 80);
    EXPECT_EQ(EngineHeap::AllocationCount(), 2u);
    EXPECT_EQ(EngineHeap::BytesInUse(), 80u);
}

TEST_F(EngineHeapTest, ZeroByteRequestsGetDistinctHeaderOnlyBlocks) {
    ReserveMiB();
    void* const first = EngineHeap::Alloc(0);
    void* const second = EngineHeap::Alloc(0);
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    EXPECT_NE(first, second);
    EXPECT_EQ(Address(first) - Address(second), 16u);
    EXPECT_EQ(EngineHeap::BytesInUse(), 32u);
}

TEST_F(EngineHeapTest, AllocZeroedClearsReusedBytes) {
    ReserveMiB();
    void* block = EngineHeap::Alloc(200);
    void* const reused = block;
    std::memset(block, 0xFF, 200);
    EngineHeap::Free(&block);
    auto* const zeroed = static_cast<uint8_t*>(EngineHeap::AllocZeroed(200));
    ASSERT_EQ(zeroed, reused);
    EXPECT_TRUE(std::all_of(zeroed, zeroed + 200, [](uint8_t byte) { return byte == 0; }));
}

TEST_F(EngineHeapTest, FreeClearsThePointerAndIgnoresNull) {
    ReserveMiB();
    void* block = EngineHeap::Alloc(10);
    EngineHeap::Free(&block);
    EXPECT_EQ(block, nullptr);
    EngineHeap::Free(&block);
    EXPECT_EQ(EngineHeap::FreeCount(), 1u);
}

// Allocates blocks of the given recorded sizes from the top down, each
// followed by a 32-byte guard, then frees the ones of `holes`: each leaves
// a free block of exactly its size. Returns the holes' header addresses.
std::vector<uintptr_t> MakeHoles(const std::vector<size_t>& holes) {
    std::vector<void*> blocks;
    for (const size_t size : holes) {
        blocks.push_back(EngineHeap::Alloc(size - 16));
        EngineHeap::Alloc(16);
    }
    std::vector<uintptr_t> headers;
    for (void*& block : blocks) {
        headers.push_back(HeaderOf(block));
        EngineHeap::Free(&block);
    }
    return headers;
}

TEST_F(EngineHeapTest, HandsOutAFreeBlockWholeWhenOnly32BytesWouldRemain) {
    ReserveMiB();
    const size_t need = 96;  // a request of 65..80 bytes
    const uintptr_t hole = MakeHoles({need + 32})[0];
    const uint64_t inUse = EngineHeap::BytesInUse();

    void* const block = EngineHeap::Alloc(80);
    EXPECT_EQ(HeaderOf(block), hole);
    EXPECT_EQ(EngineHeap::BytesInUse(), inUse + need + 32);  // its full size is recorded
    EXPECT_TRUE(EngineHeap::FreeBlocks().empty());
}

TEST_F(EngineHeapTest, SplitsBlockWhenRemainderExceeds32) {
    ReserveMiB();
    const size_t need = 96;
    const uintptr_t hole = MakeHoles({need + 48})[0];
    const uint64_t inUse = EngineHeap::BytesInUse();

    void* const block = EngineHeap::Alloc(80);
    EXPECT_EQ(HeaderOf(block), hole + 48);  // the caller gets the upper bytes
    EXPECT_EQ(EngineHeap::BytesInUse(), inUse + need);
    const std::vector<FreeBlock> left = EngineHeap::FreeBlocks();
    ASSERT_EQ(left.size(), 1u);
    EXPECT_EQ(Address(left[0].address), hole);
    EXPECT_EQ(left[0].size, 48u);
}

TEST_F(EngineHeapTest, FirstFitTakesTheHighestBlockThatIsLargeEnough) {
    ReserveMiB();
    const std::vector<uintptr_t> holes = MakeHoles({64, 512, 1024});
    const uintptr_t small = holes[0];
    const uintptr_t large = holes[1];
    const uintptr_t larger = holes[2];
    void* const block = EngineHeap::Alloc(100);  // need 128: the 64-byte hole is too small
    EXPECT_EQ(HeaderOf(block), large + 512 - 128);
    const std::vector<FreeBlock> left = EngineHeap::FreeBlocks();
    ASSERT_EQ(left.size(), 3u);
    EXPECT_EQ(Address(left[0].address), small);
    EXPECT_EQ(Address(left[2].address), larger);
    EXPECT_EQ(left[2].size, 1024u);
}

// A block carved smaller is passed over for what it can no longer hold,
// even while the index still remembers its old size, and is found again
// once a freed neighbour makes room there.
TEST_F(EngineHeapTest, ACarvedBlockIsPassedOverUntilItHasRoomAgain) {
    ReserveMiB();
    void* high = EngineHeap::Alloc(64 * 1024);     // a block of 65552 bytes
    void* apart = EngineHeap::Alloc(300 * 1024);   // keeps the two holes far apart
    void* low = EngineHeap::Alloc(8 * 1024);       // 8208 bytes
    void* guard = EngineHeap::Alloc(16);
    const uintptr_t a = HeaderOf(high);
    const uintptr_t b = HeaderOf(low);
    EngineHeap::Free(&high);
    EngineHeap::Free(&low);

    void* carved = EngineHeap::Alloc(40 * 1024);   // 40976 bytes off the top of a: 24576 stay
    EXPECT_EQ(HeaderOf(carved), a + 24576);
    const uintptr_t top = Address(EngineHeap::Top());
    void* const fromTop = EngineHeap::Alloc(30 * 1024);  // 30736: neither hole holds it now
    EXPECT_EQ(HeaderOf(fromTop), top - 30736);
    void* const fromA = EngineHeap::Alloc(20 * 1024);    // 20496 of a's 24576
    EXPECT_EQ(HeaderOf(fromA), a + 4080);
    void* const fromB = EngineHeap::Alloc(6 * 1024);     // 6160: a keeps 4080, b holds it
    EXPECT_EQ(HeaderOf(fromB), b + 2048);

    EngineHeap::Free(&carved);
    void* const again = EngineHeap::Alloc(35 * 1024);    // 35856 of the 40976 freed
    EXPECT_EQ(HeaderOf(again), a + 24576 + 5120);
    ExpectFreeListWellFormed();
    (void)apart;
    (void)guard;
}

TEST_F(EngineHeapTest, MergesFreedBlockWithBothNeighbours) {
    ReserveMiB();
    void* guardHigh = EngineHeap::Alloc(16);
    void* a = EngineHeap::Alloc(100);  // 128 bytes
    void* b = EngineHeap::Alloc(200);  // 224 bytes
    void* c = EngineHeap::Alloc(300);  // 320 bytes
    void* guardLow = EngineHeap::Alloc(16);
    const uintptr_t cHeader = HeaderOf(c);

    EngineHeap::Free(&a);
    EngineHeap::Free(&c);
    ASSERT_EQ(EngineHeap::FreeBlocks().size(), 2u);
    EngineHeap::Free(&b);

    const std::vector<FreeBlock> blocks = EngineHeap::FreeBlocks();
    ASSERT_EQ(blocks.size(), 1u);
    EXPECT_EQ(Address(blocks[0].address), cHeader);
    EXPECT_EQ(blocks[0].size, 128u + 224u + 320u);
    (void)guardHigh;
    (void)guardLow;
}

TEST_F(EngineHeapTest, MergesFreedBlockWithOneNeighbourKeepingListOrder) {
    ReserveMiB();
    std::vector<void*> blocks;
    for (int i = 0; i < 8; ++i) {
        blocks.push_back(EngineHeap::Alloc(48));  // 64 bytes each, descending addresses
    }
    EngineHeap::Alloc(16);  // keeps the lowest block off the top
    // Free 1, 3, 6 (isolated), then 2 (joins 1 and 3), then 7 (joins 6 from below).
    for (int i : {1, 3, 6}) {
        EngineHeap::Free(&blocks[i]);
    }
    const uintptr_t lowestOfSix = HeaderOf(blocks[7]);
    EngineHeap::Free(&blocks[2]);
    EngineHeap::Free(&blocks[7]);
    std::vector<FreeBlock> list = EngineHeap::FreeBlocks();
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0].size, 3 * 64u);
    EXPECT_EQ(Address(list[1].address), lowestOfSix);
    EXPECT_EQ(list[1].size, 2 * 64u);
    ExpectFreeListWellFormed();

    // Freeing 5 joins the lower pair from above.
    EngineHeap::Free(&blocks[5]);
    list = EngineHeap::FreeBlocks();
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(Address(list[1].address), lowestOfSix);
    EXPECT_EQ(list[1].size, 3 * 64u);
}

TEST_F(EngineHeapTest, RandomFreesKeepListDescendingAndUnmerged) {
    ReserveMiB(4);
    std::mt19937 random(20240611u);
    std::uniform_int_distribution<size_t> sizes(0, 3000);
    struct Live {
        uint8_t* bytes;
        size_t size;
        uint8_t mark;
    };
    std::vector<Live> live;
    for (int step = 0; step < 3000; ++step) {
        if (live.empty() || random() % 5 < 3) {
            const size_t size = sizes(random);
            auto* const bytes = static_cast<uint8_t*>(EngineHeap::Alloc(size));
            ASSERT_NE(bytes, nullptr);
            ASSERT_EQ(Address(bytes) % 16, 0u);
            const auto mark = static_cast<uint8_t>(step);
            std::memset(bytes, mark, size);
            live.push_back(Live{bytes, size, mark});
        } else {
            const size_t pick = random() % live.size();
            Live victim = live[pick];
            live.erase(live.begin() + static_cast<std::ptrdiff_t>(pick));
            // Another block written over this one would show here.
            ASSERT_TRUE(std::all_of(victim.bytes, victim.bytes + victim.size,
                                    [&](uint8_t byte) { return byte == victim.mark; }));
            void* block = victim.bytes;
            EngineHeap::Free(&block);
            ExpectFreeListWellFormed();
            if (HasFailure()) {
                return;
            }
        }
    }
    for (Live& block : live) {
        void* pointer = block.bytes;
        EngineHeap::Free(&pointer);
    }
    EXPECT_TRUE(EngineHeap::FreeBlocks().empty());
    EXPECT_EQ(Address(EngineHeap::Top()), initialTop_);
    EXPECT_EQ(EngineHeap::BytesInUse(), 0u);
    EXPECT_EQ(EngineHeap::AllocationCount(), EngineHeap::FreeCount());
}

// --- Paging --------------------------------------------------------------

TEST_F(EngineHeapTest, CommitsTheUnitsTheTopMovesInto) {
    ReserveMiB();
    void* const small = EngineHeap::Alloc(100);  // stays inside the committed unit
    EXPECT_TRUE(memory_.Commits().empty());

    const uintptr_t oldTop = Address(EngineHeap::Top());
    void* const large = EngineHeap::Alloc(3 * kUnit);
    const uintptr_t newTop = Address(EngineHeap::Top());
    ASSERT_EQ(memory_.Commits().size(), 1u);
    EXPECT_EQ(memory_.Commits()[0], (Range{UnitBelow(newTop), UnitBelow(oldTop) - UnitBelow(newTop)}));
    std::memset(large, 1, 3 * kUnit);  // every byte is backed
    (void)small;
}

TEST_F(EngineHeapTest, FreeingTheTopBlockUnderAFreeBlockReturnsBothAndDecommitsWholeUnits) {
    ReserveMiB();
    void* high = EngineHeap::Alloc(5 * kUnit);
    void* low = EngineHeap::Alloc(3 * kUnit);
    const uintptr_t lowHeader = HeaderOf(low);
    const uintptr_t highEnd = HeaderOf(high) + ((5 * kUnit + 31) & ~uintptr_t{15});
    EngineHeap::Free(&high);
    ASSERT_EQ(EngineHeap::FreeBlocks().size(), 1u);
    EXPECT_TRUE(memory_.Decommits().empty());

    EngineHeap::Free(&low);
    EXPECT_TRUE(EngineHeap::FreeBlocks().empty());
    EXPECT_EQ(Address(EngineHeap::Top()), initialTop_);
    EXPECT_EQ(highEnd, initialTop_);
    ASSERT_EQ(memory_.Decommits().size(), 1u);
    EXPECT_EQ(memory_.Decommits()[0],
              (Range{UnitAbove(lowHeader), UnitBelow(highEnd) - UnitAbove(lowHeader)}));

    // The units come back when the top moves down again.
    memory_.ClearRecords();
    auto* const again = static_cast<uint8_t*>(EngineHeap::Alloc(8 * kUnit));
    ASSERT_NE(again, nullptr);
    EXPECT_FALSE(memory_.Commits().empty());
    std::memset(again, 2, 8 * kUnit);
}

TEST_F(EngineHeapTest, FreeingASmallTopBlockDecommitsNothing) {
    ReserveMiB();
    void* block = EngineHeap::Alloc(100);
    EngineHeap::Free(&block);
    EXPECT_EQ(Address(EngineHeap::Top()), initialTop_);
    EXPECT_TRUE(memory_.Decommits().empty());
}

// --- Running out ----------------------------------------------------------

TEST_F(EngineHeapTest, OutOfHeapReturnsNullAndLeavesStateIntact) {
    EngineHeap::Reserve(64 * 1024, EngineHeap::kModeExact);
    ASSERT_TRUE(EngineHeap::IsReserved());
    const uintptr_t base = Address(EngineHeap::Base());
    size_t made = 0;
    while (EngineHeap::Alloc(1000) != nullptr) {
        ++made;
    }
    EXPECT_EQ(made, (64 * 1024 - 16 - 48) / 1024);
    const uintptr_t top = Address(EngineHeap::Top());
    const uint64_t count = EngineHeap::AllocationCount();
    const uint64_t inUse = EngineHeap::BytesInUse();

    // What is left above the control block still serves a request that fits
    // exactly: the top may come down to the control block's end.
    const size_t room = top - (base + 48);
    EXPECT_EQ(EngineHeap::Alloc(room - 15), nullptr);
    EXPECT_EQ(Address(EngineHeap::Top()), top);
    EXPECT_EQ(EngineHeap::AllocationCount(), count);
    EXPECT_EQ(EngineHeap::BytesInUse(), inUse);
    EXPECT_NE(EngineHeap::Alloc(room - 16), nullptr);
    EXPECT_EQ(Address(EngineHeap::Top()), base + 48);
    EXPECT_EQ(EngineHeap::Alloc(0), nullptr);
}

TEST_F(EngineHeapTest, HugeRequestsFailWithoutWrapping) {
    ReserveMiB();
    void* const kept = EngineHeap::Alloc(100);
    for (const size_t n : {SIZE_MAX, SIZE_MAX - 8, SIZE_MAX - 31, SIZE_MAX - 32,
                           static_cast<size_t>(EngineHeap::UsableSize())}) {
        EXPECT_EQ(EngineHeap::Alloc(n), nullptr) << n;
    }
    EXPECT_EQ(EngineHeap::AllocationCount(), 1u);
    EXPECT_EQ(Address(EngineHeap::Top()), HeaderOf(kept));
    EXPECT_TRUE(memory_.Commits().empty());
}

TEST_F(EngineHeapTest, RefusedCommitFailsTheAllocationAndKeepsTheTop) {
    ReserveMiB();
    const uintptr_t top = Address(EngineHeap::Top());
    memory_.FailCommits(1);
    EXPECT_EQ(EngineHeap::Alloc(4 * kUnit), nullptr);
    EXPECT_EQ(Address(EngineHeap::Top()), top);
    EXPECT_EQ(EngineHeap::AllocationCount(), 0u);
    auto* const block = static_cast<uint8_t*>(EngineHeap::Alloc(4 * kUnit));
    ASSERT_NE(block, nullptr);
    std::memset(block, 3, 4 * kUnit);
}

TEST(EngineHeapUnreserved, WithoutAHeapAllocFailsAndInspectionIsEmpty) {
    ASSERT_FALSE(EngineHeap::IsReserved());
    EXPECT_EQ(EngineHeap::Alloc(10), nullptr);
    EXPECT_EQ(EngineHeap::AllocZeroed(10), nullptr);
    EXPECT_EQ(EngineHeap::Top(), nullptr);
    EXPECT_EQ(EngineHeap::UsableSize(), 0u);
    EXPECT_TRUE(EngineHeap::FreeBlocks().empty());
    void* none = nullptr;
    EngineHeap::Free(&none);
}

}  // namespace

// --- Against the plain first-fit walk ----------------------------------------

namespace {

std::vector<std::pair<uintptr_t, size_t>> HeapFreeBlocks() {
    std::vector<std::pair<uintptr_t, size_t>> blocks;
    for (const FreeBlock& b : EngineHeap::FreeBlocks()) blocks.emplace_back(Address(b.address), b.size);
    return blocks;
}

}  // namespace

// Long random runs of allocations and frees of mixed sizes (0-byte, small,
// large and more than is left), in each reserve mode: every allocation
// lands where the walk puts it, and the free blocks and top agree.
TEST_F(EngineHeapTest, PlacesEveryBlockWhereTheFirstFitWalkDoes) {
    struct Reservation {
        int32_t mode;
        size_t n;
        platform::MemoryStatus status;
    };
    platform::MemoryStatus virtualRoom, physicalRoom;
    virtualRoom.availableVirtual = 2 * kMiB + 100;
    physicalRoom.availablePhysical = 3 * kMiB;
    const Reservation reservations[] = {{EngineHeap::kModeExact, kMiB, {}},
                                        {EngineHeap::kModeAllButVirtual, 100, virtualRoom},
                                        {EngineHeap::kModePhysicalShare, 300, physicalRoom}};
    for (const Reservation& r : reservations) {
        SCOPED_TRACE(r.mode);
        memory_.ReportStatus(r.status);
        EngineHeap::Reserve(r.n, r.mode);
        ASSERT_TRUE(EngineHeap::IsReserved());
        FirstFitModel model(Address(EngineHeap::Top()), Address(EngineHeap::Base()) + BlockHeap::kControlBytes);
        std::mt19937 random(977u + uint32_t(r.mode));
        std::vector<uintptr_t> live;
        for (int step = 0; step < 40000; ++step) {
            const uint32_t dice = random() % 100;
            if (dice < 52 || live.empty()) {
                size_t n;
                const uint32_t kind = random() % 20;
                if (kind == 0) {
                    n = 0;
                } else if (kind < 14) {
                    n = 1 + random() % 200;
                } else if (kind < 19) {
                    n = 200 + random() % 8000;
                } else {
                    n = 60000 + random() % 400000;
                }
                const uintptr_t expected = model.Alloc(n);
                void* const got = EngineHeap::Alloc(n);
                ASSERT_EQ(got != nullptr ? HeaderOf(got) : 0, expected) << "step " << step << ", " << n << " bytes";
                if (got != nullptr) live.push_back(HeaderOf(got));
            } else {
                const size_t at = random() % live.size();
                void* block = reinterpret_cast<void*>(live[at] + BlockHeap::kHeaderBytes);
                model.Free(live[at]);
                EngineHeap::Free(&block);
                live[at] = live.back();
                live.pop_back();
            }
            if (step % 1000 == 0) {
                ASSERT_EQ(HeapFreeBlocks(), model.FreeBlocks()) << "step " << step;
                ASSERT_EQ(Address(EngineHeap::Top()), model.Top());
            }
        }
        for (const uintptr_t header : live) {
            void* block = reinterpret_cast<void*>(header + BlockHeap::kHeaderBytes);
            model.Free(header);
            EngineHeap::Free(&block);
        }
        EXPECT_TRUE(EngineHeap::FreeBlocks().empty());
        EXPECT_EQ(Address(EngineHeap::Top()), model.Top());
        EngineHeap::Release();
    }
}

// The game's 32 MB heap churned the way a long session does, with thousands
// of live blocks of up to 4 KB and a few of hundreds, so that the index
// grows several levels deep, its coarse levels go stale as carved blocks
// shrink, and freed blocks merge with free blocks that begin many kilobytes
// below them: the placements, the free blocks and the top still agree with
// the walk.
TEST_F(EngineHeapTest, AGameSizedHeapUnderLongChurnStillPlacesBlocksLikeTheWalk) {
    EngineHeap::Reserve(32 * kMiB, EngineHeap::kModeExact);
    ASSERT_TRUE(EngineHeap::IsReserved());
    FirstFitModel model(Address(EngineHeap::Top()), Address(EngineHeap::Base()) + BlockHeap::kControlBytes);
    std::mt19937 random(2026u);
    const auto size = [&] { return random() % 50 == 0 ? 20000 + random() % 200000 : 1 + random() % 4096; };
    const auto alloc = [&](uintptr_t* slot) {
        const size_t n = size();
        const uintptr_t expected = model.Alloc(n);
        void* const got = EngineHeap::Alloc(n);
        ASSERT_EQ(got != nullptr ? HeaderOf(got) : 0, expected) << n << " bytes";
        *slot = expected;
    };
    std::vector<uintptr_t> live(12000);
    for (uintptr_t& slot : live) ASSERT_NO_FATAL_FAILURE(alloc(&slot));
    for (int step = 0; step < 20000; ++step) {
        uintptr_t& slot = live[random() % live.size()];
        if (slot != 0) {
            void* block = reinterpret_cast<void*>(slot + BlockHeap::kHeaderBytes);
            model.Free(slot);
            EngineHeap::Free(&block);
        }
        ASSERT_NO_FATAL_FAILURE(alloc(&slot)) << "step " << step;
        if (step % 5000 == 0) {
            ASSERT_EQ(HeapFreeBlocks(), model.FreeBlocks()) << "step " << step;
            ASSERT_EQ(Address(EngineHeap::Top()), model.Top());
        }
    }
    EXPECT_GT(model.FreeBlocks().size(), 300u);  // the walk had many blocks to pass over
}
