#include "engine/Arena.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "engine/EngineHeap.h"
#include "tests/support/ScopedEngineHeap.h"

namespace {

uintptr_t Address(const void* pointer) { return reinterpret_cast<uintptr_t>(pointer); }

// Chained blocks come from the engine heap, so each test has one of its own.
class ArenaTest : public ::testing::Test {
protected:
    Arena* Lay(size_t size) {
        first_.assign(size, 0);
        return Arena::Init(first_.data(), size);
    }

    const ScopedEngineHeap heap_{1024 * 1024};
    std::vector<uint8_t> first_;
};

TEST_F(ArenaTest, InitMakesAnEmptyArenaOverTheBlock) {
    Arena* const arena = Lay(256);
    EXPECT_EQ(Address(arena), Address(first_.data()));
    EXPECT_EQ(arena->Next(), nullptr);
    EXPECT_EQ(arena->Cursor(), first_.data() + 32);
    EXPECT_EQ(arena->End(), first_.data() + 255);
    EXPECT_EQ(arena->BlockSize(), 256u);
    EXPECT_EQ(arena->ChainLength(), 0);
}

TEST_F(ArenaTest, AllocBumpsWithoutRounding) {
    Arena* const arena = Lay(256);
    void* const a = arena->Alloc(3);
    void* const b = arena->Alloc(5);
    EXPECT_EQ(Address(a), Address(first_.data()) + 32);
    EXPECT_EQ(Address(b), Address(a) + 3);
    EXPECT_EQ(arena->Cursor(), first_.data() + 40);
}

TEST_F(ArenaTest, TheLastByteOfABlockIsNeverHandedOut) {
    Arena* const arena = Lay(64);  // 31 bytes of room: cursor + n may reach `end`
    EXPECT_EQ(arena->Alloc(31), first_.data() + 32);
    EXPECT_EQ(arena->ChainLength(), 0);
    arena->FreeAll();
    arena->Alloc(32);
    EXPECT_EQ(arena->ChainLength(), 1);
}

TEST_F(ArenaTest, ARequestLargerThanTheBlockChainsABlockOfNPlus33) {
    Arena* const arena = Lay(128);
    const uint64_t allocations = EngineHeap::AllocationCount();
    auto* const big = static_cast<uint8_t*>(arena->Alloc(500));
    ASSERT_NE(big, nullptr);
    EXPECT_EQ(arena->ChainLength(), 1);
    const Arena* const chained = arena->Next();
    EXPECT_TRUE(EngineHeap::Contains(chained));
    EXPECT_EQ(chained->BlockSize(), 533u);
    EXPECT_EQ(big, reinterpret_cast<const uint8_t*>(chained) + 32);
    EXPECT_EQ(chained->Cursor(), chained->End());  // filled exactly
    EXPECT_EQ(EngineHeap::AllocationCount(), allocations + 1);
    std::fill(big, big + 500, 0x11);

    // Room left in the first block is still used first; a request that fits
    // nowhere chains a block as large as the last one.
    EXPECT_EQ(arena->Alloc(10), first_.data() + 32);
    arena->Alloc(90);
    EXPECT_EQ(arena->ChainLength(), 2);
    EXPECT_EQ(chained->Next()->BlockSize(), 533u);
}

TEST_F(ArenaTest, ChainedBlocksWithRoomAreTriedInOrder) {
    Arena* const arena = Lay(64);
    arena->Alloc(31);                                             // first block full
    arena->Alloc(100);                                            // second: 133 bytes, full
    auto* const small = static_cast<uint8_t*>(arena->Alloc(10));  // third, as large as the second
    ASSERT_EQ(arena->ChainLength(), 2);
    const Arena* const third = arena->Next()->Next();
    EXPECT_EQ(third->BlockSize(), 133u);
    EXPECT_EQ(small, reinterpret_cast<const uint8_t*>(third) + 32);
    EXPECT_EQ(arena->Alloc(50), small + 10);
    EXPECT_EQ(arena->ChainLength(), 2);
}

TEST_F(ArenaTest, FreeAllReturnsChainedBlocksAndResetsTheCursor) {
    Arena* const arena = Lay(128);
    const uint64_t inUse = EngineHeap::BytesInUse();
    const uint64_t frees = EngineHeap::FreeCount();
    arena->Alloc(40);
    arena->Alloc(1000);
    arena->Alloc(2000);
    ASSERT_EQ(arena->ChainLength(), 2);

    arena->FreeAll();
    EXPECT_EQ(arena->ChainLength(), 0);
    EXPECT_EQ(arena->Next(), nullptr);
    EXPECT_EQ(arena->Cursor(), first_.data() + 32);
    EXPECT_EQ(EngineHeap::BytesInUse(), inUse);
    EXPECT_EQ(EngineHeap::FreeCount(), frees + 2);
    EXPECT_EQ(arena->Alloc(8), first_.data() + 32);
}

// Emptied for the next frame, the chain stays: the same fill lands in the
// same blocks again without the engine heap, and a larger one chains more.
TEST_F(ArenaTest, ResetEmptiesEveryBlockAndKeepsTheChain) {
    Arena* const arena = Lay(128);
    arena->Alloc(40);
    auto* const big = static_cast<uint8_t*>(arena->Alloc(1000));
    auto* const bigger = static_cast<uint8_t*>(arena->Alloc(2000));
    ASSERT_EQ(arena->ChainLength(), 2);
    const uint64_t inUse = EngineHeap::BytesInUse();
    const uint64_t allocations = EngineHeap::AllocationCount();
    const uint64_t frees = EngineHeap::FreeCount();

    arena->Reset();
    EXPECT_EQ(arena->ChainLength(), 2);
    EXPECT_EQ(arena->Cursor(), first_.data() + 32);
    for (const Arena* block = arena->Next(); block != nullptr; block = block->Next()) {
        EXPECT_EQ(block->Cursor(), reinterpret_cast<const uint8_t*>(block) + 32);
    }
    EXPECT_EQ(EngineHeap::BytesInUse(), inUse);
    EXPECT_EQ(EngineHeap::FreeCount(), frees);
    EXPECT_EQ(arena->Alloc(40), first_.data() + 32);
    EXPECT_EQ(arena->Alloc(1000), big);
    EXPECT_EQ(arena->Alloc(2000), bigger);
    EXPECT_EQ(EngineHeap::AllocationCount(), allocations);
    arena->Alloc(3000);
    EXPECT_EQ(arena->ChainLength(), 3);
    EXPECT_EQ(EngineHeap::AllocationCount(), allocations + 1);

    arena->FreeAll();
    EXPECT_EQ(arena->ChainLength(), 0);
    EXPECT_EQ(EngineHeap::FreeCount(), frees + 3);
}

TEST_F(ArenaTest, FailedAllocLeavesTheChainAsItWas) {
    Arena* const arena = Lay(128);
    arena->Alloc(300);
    const Arena* const chained = arena->Next();
    const uint64_t allocations = EngineHeap::AllocationCount();

    EXPECT_EQ(arena->Alloc(SIZE_MAX), nullptr);
    EXPECT_EQ(arena->Alloc(SIZE_MAX - 32), nullptr);
    EXPECT_EQ(arena->Alloc(2 * 1024 * 1024), nullptr);  // more than the engine heap holds
    EXPECT_EQ(arena->ChainLength(), 1);
    EXPECT_EQ(arena->Next(), chained);
    EXPECT_EQ(chained->Next(), nullptr);
    EXPECT_EQ(EngineHeap::AllocationCount(), allocations);
    arena->FreeAll();
}

TEST_F(ArenaTest, AllocZeroedClearsTheBytes) {
    Arena* const arena = Lay(128);
    std::fill(first_.begin(), first_.end(), 0xAB);
    Arena::Init(first_.data(), first_.size());
    auto* const bytes = static_cast<uint8_t*>(arena->AllocZeroed(50));
    EXPECT_TRUE(std::all_of(bytes, bytes + 50, [](uint8_t byte) { return byte == 0; }));
    EXPECT_EQ(bytes[50], 0xAB);
}

struct Primitive {
    static inline int constructed = 0;
    Primitive() { ++constructed; }
    float depth = 0.0f;
    int32_t kind = 0;
};

TEST_F(ArenaTest, PlacementNewBumpsTheFirstBlockThenChains) {
    Arena* const arena = Lay(32 + sizeof(Primitive) + 1);
    Primitive::constructed = 0;
    Primitive* const inFirst = new (*arena) Primitive;
    EXPECT_EQ(Address(inFirst), Address(first_.data()) + 32);
    Primitive* const chained = new (*arena) Primitive;
    ASSERT_NE(chained, nullptr);
    EXPECT_EQ(arena->ChainLength(), 1);
    EXPECT_EQ(Primitive::constructed, 2);
    EXPECT_EQ(Address(chained), Address(arena->Next()) + 32);
    EXPECT_NE(arena->AllocInline(1), nullptr);  // both blocks full: chains again
    EXPECT_EQ(arena->ChainLength(), 2);
    arena->FreeAll();
}

TEST(ArenaWithoutHeap, ChainingFailsAndNewYieldsNullWithoutConstructing) {
    ASSERT_FALSE(EngineHeap::IsReserved());
    std::vector<uint8_t> block(40);
    Arena* const arena = Arena::Init(block.data(), block.size());
    EXPECT_NE(arena->Alloc(7), nullptr);
    EXPECT_EQ(arena->Alloc(1), nullptr);
    Primitive::constructed = 0;
    EXPECT_EQ(new (*arena) Primitive, nullptr);
    EXPECT_EQ(Primitive::constructed, 0);
    EXPECT_EQ(arena->ChainLength(), 0);
}

}  // namespace
