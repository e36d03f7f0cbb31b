// Under AddressSanitizer the engine heap and the sub-heaps mark every byte
// that no caller owns, so stray reads and writes inside them are reported.
#if defined(__SANITIZE_ADDRESS__)

#include <gtest/gtest.h>
#include <sanitizer/asan_interface.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "engine/EngineHeap.h"
#include "engine/SubHeap.h"
#include "tests/support/ScopedEngineHeap.h"

namespace {

bool Poisoned(const void* address, std::ptrdiff_t offset = 0) {
    return __asan_address_is_poisoned(static_cast<const uint8_t*>(address) + offset) != 0;
}

bool AllAddressable(const void* address, size_t bytes) {
    return __asan_region_is_poisoned(const_cast<void*>(address), bytes) == nullptr;
}

class HeapPoisoningTest : public ::testing::Test {
protected:
    const ScopedEngineHeap heap_{256 * 1024};
};

TEST_F(HeapPoisoningTest, OnlyTheRequestedBytesAreAddressable) {
    void* const block = EngineHeap::Alloc(20);  // a 48-byte block
    EXPECT_TRUE(AllAddressable(block, 20));
    EXPECT_TRUE(Poisoned(block, 20));   // padding
    EXPECT_TRUE(Poisoned(block, 31));
    EXPECT_TRUE(Poisoned(block, -1));   // own header
    EXPECT_TRUE(Poisoned(block, -16));
    EXPECT_TRUE(Poisoned(block, 32));   // beyond the block: the range's tail
}

TEST_F(HeapPoisoningTest, AnOverrunReachesAPoisonedHeader) {
    void* const upper = EngineHeap::Alloc(64);
    void* const lower = EngineHeap::Alloc(64);
    EXPECT_TRUE(AllAddressable(lower, 64));
    EXPECT_TRUE(Poisoned(lower, 64));  // the header of `upper`
    EXPECT_TRUE(AllAddressable(upper, 64));
}

TEST_F(HeapPoisoningTest, FreedBytesArePoisonedUntilHandedOutAgain) {
    void* keep = EngineHeap::Alloc(16);
    void* block = EngineHeap::Alloc(100);
    void* below = EngineHeap::Alloc(16);
    void* const stale = block;
    EngineHeap::Free(&block);
    EXPECT_TRUE(Poisoned(stale));
    EXPECT_TRUE(Poisoned(stale, 99));

    void* const again = EngineHeap::Alloc(40);  // split off the freed block's upper end
    EXPECT_TRUE(AllAddressable(again, 40));
    EXPECT_TRUE(Poisoned(again, 40));
    EXPECT_TRUE(Poisoned(stale));  // the remainder stays free
    (void)keep;
    (void)below;
}

TEST_F(HeapPoisoningTest, SpaceReturnedToTheTopStaysPoisoned) {
    void* block = EngineHeap::Alloc(100);
    void* const stale = block;
    EngineHeap::Free(&block);
    EXPECT_TRUE(Poisoned(stale));
    void* const zeroed = EngineHeap::AllocZeroed(100);
    EXPECT_EQ(zeroed, stale);
    EXPECT_TRUE(AllAddressable(zeroed, 100));
}

TEST_F(HeapPoisoningTest, UseAfterFreeIsReported) {
    EXPECT_DEATH(
        {
            void* block = EngineHeap::Alloc(32);
            void* const stale = block;
            EngineHeap::Alloc(16);
            EngineHeap::Free(&block);
            static_cast<volatile uint8_t*>(stale)[0] = 1;
        },
        "use-after-poison");
}

TEST(SubHeapPoisoning, SubHeapBlocksAreMarkedAndReleaseClearsTheMarks) {
    void* const memory = std::aligned_alloc(16, 1024);
    SubHeap* const heap = SubHeap::Init(memory, 1024);
    void* block = heap->Alloc(10);
    EXPECT_TRUE(AllAddressable(block, 10));
    EXPECT_TRUE(Poisoned(block, 10));
    EXPECT_TRUE(Poisoned(block, -16));
    void* const stale = block;
    heap->Alloc(10);
    heap->Free(&block);
    EXPECT_TRUE(Poisoned(stale));

    heap->Release();
    EXPECT_TRUE(AllAddressable(memory, 1024));
    std::free(memory);
}

}  // namespace

#endif
