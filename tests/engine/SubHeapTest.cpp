#include "engine/SubHeap.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <random>
#include <vector>

#include "platform/VirtualMemory.h"
#include "tests/support/FirstFitModel.h"
#include "tests/support/RecordingVirtualMemory.h"
#include "tests/support/ScopedInstall.h"

namespace {

uintptr_t Address(const void* pointer) { return reinterpret_cast<uintptr_t>(pointer); }

// The caller's block: 16-byte aligned memory of its own.
class SubHeapTest : public ::testing::Test {
protected:
    SubHeap* Lay(size_t bytes) {
        memory_.reset(static_cast<uint8_t*>(std::aligned_alloc(16, (bytes + 15) & ~size_t{15})));
        heap_ = SubHeap::Init(memory_.get(), bytes);
        return heap_;
    }
    void TearDown() override {
        if (heap_ != nullptr) {
            heap_->Release();
        }
    }
    uintptr_t Start() const { return Address(memory_.get()); }

    struct FreeBytes {
        void operator()(uint8_t* bytes) const { std::free(bytes); }
    };
    std::unique_ptr<uint8_t, FreeBytes> memory_;
    SubHeap* heap_ = nullptr;
};

TEST_F(SubHeapTest, InitLaysAnEmptyHeapOverTheCallersBlock) {
    SubHeap* const heap = Lay(16384);
    EXPECT_EQ(Address(heap), Start());
    EXPECT_EQ(heap->UsableSize(), 16384u - 49);
    EXPECT_EQ(Address(heap->Top()), Start() + 16384 - 16);
    EXPECT_TRUE(heap->FreeBlocks().empty());
}

TEST_F(SubHeapTest, AnUnevenSizeKeepsBlocksAligned) {
    SubHeap* const heap = Lay(16384 + 9);
    EXPECT_EQ(Address(heap->Top()), Start() + 16384 - 16);
    EXPECT_EQ(Address(heap->Alloc(5)) % 16, 0u);
}

TEST_F(SubHeapTest, AllocatesFreesAndMergesLikeTheEngineHeap) {
    SubHeap* const heap = Lay(4096);
    const uintptr_t top = Address(heap->Top());
    void* a = heap->Alloc(100);
    void* b = heap->Alloc(100);
    void* c = heap->Alloc(100);
    EXPECT_EQ(Address(a), top - 128 + 16);
    EXPECT_TRUE(heap->Contains(c));
    heap->Free(&a);
    EXPECT_EQ(a, nullptr);
    heap->Free(&c);  // the top block goes straight back
    EXPECT_EQ(Address(heap->Top()), Address(b) - 16);
    heap->Free(&b);  // and takes the free block above with it
    EXPECT_EQ(Address(heap->Top()), top);
    EXPECT_TRUE(heap->FreeBlocks().empty());
}

TEST_F(SubHeapTest, TopMustStayAboveTheControlBlock) {
    // Top at +240: 16-byte blocks down to +64; one more would put the top at
    // +48, right on the control block's end, which a sub-heap refuses.
    SubHeap* const heap = Lay(256);
    int made = 0;
    while (heap->Alloc(0) != nullptr) {
        ++made;
    }
    EXPECT_EQ(made, 11);
    EXPECT_EQ(Address(heap->Top()), Start() + 64);
}

TEST_F(SubHeapTest, ATooSmallBlockServesNothing) {
    SubHeap* const heap = Lay(64);
    EXPECT_EQ(heap->Alloc(0), nullptr);
    EXPECT_EQ(heap->Alloc(SIZE_MAX), nullptr);
}

TEST_F(SubHeapTest, NeverCommitsOrDecommits) {
    RecordingVirtualMemory recording;
    ScopedInstall<platform::VirtualMemory> installed(recording);
    SubHeap* const heap = Lay(3 * 16384 + 64);
    void* high = heap->Alloc(16384);
    void* low = heap->Alloc(16384);
    heap->Free(&high);
    heap->Free(&low);
    EXPECT_TRUE(recording.Commits().empty());
    EXPECT_TRUE(recording.Decommits().empty());
}

TEST_F(SubHeapTest, AllocZeroedClearsReusedBytes) {
    SubHeap* const heap = Lay(1024);
    void* block = heap->Alloc(64);
    std::memset(block, 0xEE, 64);
    heap->Free(&block);
    auto* const zeroed = static_cast<uint8_t*>(heap->AllocZeroed(64));
    ASSERT_NE(zeroed, nullptr);
    EXPECT_TRUE(std::all_of(zeroed, zeroed + 64, [](uint8_t byte) { return byte == 0; }));
}

struct Tracked {
    static inline int constructed = 0;
    explicit Tracked(int v) : value(v) { ++constructed; }
    int value;
    uint8_t payload[200];
};

TEST_F(SubHeapTest, PlacementNewUsesTheHeapAndSkipsTheConstructorWhenFull) {
    SubHeap* const heap = Lay(512);
    Tracked::constructed = 0;
    Tracked* const first = new (*heap) Tracked(7);
    ASSERT_NE(first, nullptr);
    EXPECT_TRUE(heap->Contains(first));
    EXPECT_EQ(first->value, 7);
    Tracked* const second = new (*heap) Tracked(8);
    EXPECT_EQ(second, nullptr);
    EXPECT_EQ(Tracked::constructed, 1);
    // What was too little for a second object still serves a smaller request.
    EXPECT_EQ(Address(heap->AllocFor(16)), Address(first) - 32);
}

}  // namespace

// A sub-heap laid again over the same memory, without Release, as a task
// pool in a reused frame is: nothing of the earlier heap's free blocks may
// survive into the new one, and both runs place every block where the
// first-fit walk does (header-only blocks, blocks of many kilobytes, and
// merges across the whole range included).
TEST_F(SubHeapTest, EveryLayingPlacesBlocksWhereTheFirstFitWalkDoes) {
    constexpr size_t kBytes = 256 * 1024;
    Lay(kBytes);
    std::mt19937 random(4242u);
    for (int laying = 0; laying < 3; ++laying) {
        SCOPED_TRACE(laying);
        SubHeap* const heap = SubHeap::Init(memory_.get(), kBytes);
        ASSERT_TRUE(heap->FreeBlocks().empty());
        FirstFitModel model(Address(heap->Top()), Start() + BlockHeap::kControlBytes + 1);
        std::vector<uintptr_t> live;
        for (int step = 0; step < 6000; ++step) {
            if (random() % 100 < 55 || live.empty()) {
                const uint32_t kind = random() % 10;
                const size_t n = kind == 0 ? 0 : kind < 8 ? random() % 300 : random() % 20000;
                const uintptr_t expected = model.Alloc(n);
                void* const got = heap->Alloc(n);
                ASSERT_EQ(got != nullptr ? Address(got) - BlockHeap::kHeaderBytes : 0, expected) << "step " << step;
                if (got != nullptr) live.push_back(expected);
            } else {
                const size_t at = random() % live.size();
                void* block = reinterpret_cast<void*>(live[at] + BlockHeap::kHeaderBytes);
                model.Free(live[at]);
                heap->Free(&block);
                live[at] = live.back();
                live.pop_back();
            }
        }
        std::vector<std::pair<uintptr_t, size_t>> blocks;
        for (const FreeBlock& b : heap->FreeBlocks()) blocks.emplace_back(Address(b.address), b.size);
        EXPECT_EQ(blocks, model.FreeBlocks());
        EXPECT_EQ(Address(heap->Top()), model.Top());
    }
}
