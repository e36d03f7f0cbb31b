#include "engine/Arena.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "engine/EngineHeap.h"
#include "tests/support/ScopedEngineHeap.h"

namespace {

uintptr_t Address(const void* pointer) { return reinterpret_cast<uintptr_t>(pointer); }

constexpr size_t kHead = Arena::kHeaderBytes;

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
    Arena* const arena = Lay(kHead + 224);
    EXPECT_EQ(Address(arena), Address(first_.data()));
    EXPECT_EQ(arena->Next(), nullptr);
    EXPECT_EQ(arena->Cursor(), first_.data() + kHead);
    EXPECT_EQ(arena->End(), first_.data() + kHead + 223);
    EXPECT_EQ(arena->BlockSize(), kHead + 224);
    EXPECT_EQ(arena->ChainLength(), 0);
}

TEST_F(ArenaTest, AllocBumpsWithoutRounding) {
    Arena* const arena = Lay(kHead + 224);
    void* const a = arena->Alloc(3);
    void* const b = arena->Alloc(5);
    EXPECT_EQ(Address(a), Address(first_.data()) + kHead);
    EXPECT_EQ(Address(b), Address(a) + 3);
    EXPECT_EQ(arena->Cursor(), first_.data() + kHead + 8);
}

TEST_F(ArenaTest, TheLastByteOfABlockIsNeverHandedOut) {
    Arena* const arena = Lay(kHead + 32);  // 31 bytes of room: cursor + n may reach `end`
    EXPECT_EQ(arena->Alloc(31), first_.data() + kHead);
    EXPECT_EQ(arena->ChainLength(), 0);
    arena->FreeAll();
    arena->Alloc(32);
    EXPECT_EQ(arena->ChainLength(), 1);
}

TEST_F(ArenaTest, ARequestLargerThanTheBlockChainsABlockOfNPlusTheHeader) {
    Arena* const arena = Lay(kHead + 96);
    const uint64_t allocations = EngineHeap::AllocationCount();
    auto* const big = static_cast<uint8_t*>(arena->Alloc(500));
    ASSERT_NE(big, nullptr);
    EXPECT_EQ(arena->ChainLength(), 1);
    const Arena* const chained = arena->Next();
    EXPECT_TRUE(EngineHeap::Contains(chained));
    EXPECT_EQ(chained->BlockSize(), 500 + kHead + 1);
    EXPECT_EQ(big, reinterpret_cast<const uint8_t*>(chained) + kHead);
    EXPECT_EQ(chained->Cursor(), chained->End());  // filled exactly
    EXPECT_EQ(EngineHeap::AllocationCount(), allocations + 1);
    std::fill(big, big + 500, 0x11);

    // Room left in the first block is still used first; a request that fits
    // nowhere chains a block as large as the last one.
    EXPECT_EQ(arena->Alloc(10), first_.data() + kHead);
    arena->Alloc(90);
    EXPECT_EQ(arena->ChainLength(), 2);
    EXPECT_EQ(chained->Next()->BlockSize(), 500 + kHead + 1);
}

TEST_F(ArenaTest, ChainedBlocksWithRoomAreTriedInOrder) {
    Arena* const arena = Lay(kHead + 32);
    arena->Alloc(31);                                             // first block full
    arena->Alloc(100);                                            // second: 100 bytes and the header, full
    auto* const small = static_cast<uint8_t*>(arena->Alloc(10));  // third, as large as the second
    ASSERT_EQ(arena->ChainLength(), 2);
    const Arena* const third = arena->Next()->Next();
    EXPECT_EQ(third->BlockSize(), 100 + kHead + 1);
    EXPECT_EQ(small, reinterpret_cast<const uint8_t*>(third) + kHead);
    EXPECT_EQ(arena->Alloc(50), small + 10);
    EXPECT_EQ(arena->ChainLength(), 2);
}

TEST_F(ArenaTest, FreeAllReturnsChainedBlocksAndResetsTheCursor) {
    Arena* const arena = Lay(kHead + 96);
    const uint64_t inUse = EngineHeap::BytesInUse();
    const uint64_t frees = EngineHeap::FreeCount();
    arena->Alloc(40);
    arena->Alloc(1000);
    arena->Alloc(2000);
    ASSERT_EQ(arena->ChainLength(), 2);

    arena->FreeAll();
    EXPECT_EQ(arena->ChainLength(), 0);
    EXPECT_EQ(arena->Next(), nullptr);
    EXPECT_EQ(arena->Cursor(), first_.data() + kHead);
    EXPECT_EQ(EngineHeap::BytesInUse(), inUse);
    EXPECT_EQ(EngineHeap::FreeCount(), frees + 2);
    EXPECT_EQ(arena->Alloc(8), first_.data() + kHead);
}

// Emptied for the next frame, the chain stays: the same fill lands in the
// same blocks again without the engine heap, and a larger one chains more.
TEST_F(ArenaTest, ResetEmptiesEveryBlockAndKeepsTheChain) {
    Arena* const arena = Lay(kHead + 96);
    arena->Alloc(40);
    auto* const big = static_cast<uint8_t*>(arena->Alloc(1000));
    auto* const bigger = static_cast<uint8_t*>(arena->Alloc(2000));
    ASSERT_EQ(arena->ChainLength(), 2);
    const uint64_t inUse = EngineHeap::BytesInUse();
    const uint64_t allocations = EngineHeap::AllocationCount();
    const uint64_t frees = EngineHeap::FreeCount();

    arena->Reset();
    EXPECT_EQ(arena->ChainLength(), 2);
    EXPECT_EQ(arena->Cursor(), first_.data() + kHead);
    for (const Arena* block = arena->Next(); block != nullptr; block = block->Next()) {
        EXPECT_EQ(block->Cursor(), reinterpret_cast<const uint8_t*>(block) + kHead);
    }
    EXPECT_EQ(EngineHeap::BytesInUse(), inUse);
    EXPECT_EQ(EngineHeap::FreeCount(), frees);
    EXPECT_EQ(arena->Alloc(40), first_.data() + kHead);
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
    Arena* const arena = Lay(kHead + 96);
    arena->Alloc(300);
    const Arena* const chained = arena->Next();
    const uint64_t allocations = EngineHeap::AllocationCount();

    EXPECT_EQ(arena->Alloc(SIZE_MAX), nullptr);
    EXPECT_EQ(arena->Alloc(SIZE_MAX - kHead), nullptr);
    EXPECT_EQ(arena->Alloc(2 * 1024 * 1024), nullptr);  // more than the engine heap holds
    EXPECT_EQ(arena->ChainLength(), 1);
    EXPECT_EQ(arena->Next(), chained);
    EXPECT_EQ(chained->Next(), nullptr);
    EXPECT_EQ(EngineHeap::AllocationCount(), allocations);
    arena->FreeAll();
}

TEST_F(ArenaTest, AllocZeroedClearsTheBytes) {
    Arena* const arena = Lay(kHead + 96);
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
    Arena* const arena = Lay(kHead + sizeof(Primitive) + 1);
    Primitive::constructed = 0;
    Primitive* const inFirst = new (*arena) Primitive;
    EXPECT_EQ(Address(inFirst), Address(first_.data()) + kHead);
    Primitive* const chained = new (*arena) Primitive;
    ASSERT_NE(chained, nullptr);
    EXPECT_EQ(arena->ChainLength(), 1);
    EXPECT_EQ(Primitive::constructed, 2);
    EXPECT_EQ(Address(chained), Address(arena->Next()) + kHead);
    EXPECT_NE(arena->AllocInline(1), nullptr);  // both blocks full: chains again
    EXPECT_EQ(arena->ChainLength(), 2);
    arena->FreeAll();
}

TEST(ArenaWithoutHeap, ChainingFailsAndNewYieldsNullWithoutConstructing) {
    ASSERT_FALSE(EngineHeap::IsReserved());
    std::vector<uint8_t> block(kHead + 8);
    Arena* const arena = Arena::Init(block.data(), block.size());
    EXPECT_NE(arena->Alloc(7), nullptr);
    EXPECT_EQ(arena->Alloc(1), nullptr);
    Primitive::constructed = 0;
    EXPECT_EQ(new (*arena) Primitive, nullptr);
    EXPECT_EQ(Primitive::constructed, 0);
    EXPECT_EQ(arena->ChainLength(), 0);
}

}  // namespace

// A crowded frame asks for many sizes into a long chain of nearly full
// blocks; the places handed out are those of a walk from the first block
// every time, whatever sizes came before (the walk's short cuts are kept
// per size and must never skip a block with room).
TEST_F(ArenaTest, MixedSizesLandWhereAWalkFromTheFirstBlockPutsThem) {
    Arena* const arena = Lay(kHead + 300);
    struct Block {
        size_t size, used;
    };
    std::vector<Block> model{{kHead + 300, 0}};
    uint32_t seed = 7;
    for (int round = 0; round < 2; ++round) {
        for (int i = 0; i < 1500; ++i) {
            seed = seed * 1103515245u + 12345u;
            // Runs of one size broken now and then by others, as a frame's
            // quads, triangles and points come.
            const size_t sizes[] = {239, 207, 71, 239, 239, 150, 1, 600};
            const size_t n = sizes[(seed >> 16) % 8];
            size_t at = 0;
            while (at < model.size() && model[at].size - kHead - 1 - model[at].used < n) ++at;
            if (at == model.size()) model.push_back({std::max(n + kHead + 1, model.back().size), 0});
            const uint8_t* const got = static_cast<const uint8_t*>(arena->Alloc(n));
            std::vector<const uint8_t*> blocks{first_.data()};
            for (const Arena* b = arena->Next(); b != nullptr; b = b->Next()) blocks.push_back(reinterpret_cast<const uint8_t*>(b));
            ASSERT_EQ(blocks.size(), model.size());
            ASSERT_EQ(got, blocks[at] + kHead + model[at].used) << "request " << i << " of " << n << " bytes";
            model[at].used += n;
        }
        arena->Reset();
        for (Block& block : model) block.used = 0;
    }
    arena->FreeAll();
}
