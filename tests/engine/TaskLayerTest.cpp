#include "engine/TaskLayer.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "engine/EngineHeap.h"
#include "engine/SubHeap.h"

// How a test drives the layer: the test body is the main flow. It starts or
// spawns tasks into the run queue and calls TaskLayer::RunQueuedTasks, which
// queues the main flow behind them; control comes back to the test when the
// task ahead of it ends and the queue has drained. Each task runs to its end;
// nothing yields.

namespace {

// Generous because sanitizer frames are large and failed expectations print
// from inside tasks.
constexpr size_t kStack = 64 * 1024;

std::string g_trace;

class TracingTask : public Task {
public:
    explicit TracingTask(std::string name, size_t stackSize = kStack)
        : Task(stackSize), name_(std::move(name)) {}
    void Run() override { g_trace += name_; }

private:
    const std::string name_;
};

void Note(void* text) { g_trace += static_cast<const char*>(text); }

class TaskLayerTest : public ::testing::Test {
protected:
    void SetUp() override {
        g_trace.clear();
        EngineHeap::Reserve(8 << 20, EngineHeap::kModeExact);
        ASSERT_TRUE(EngineHeap::IsReserved());
        main_ = TaskLayer::Init(nullptr);
        ASSERT_NE(main_, nullptr);
    }
    void TearDown() override {
        TaskLayer::Shutdown(&main_);
        TaskLayer::SetPool(nullptr);
        if (pool_ != nullptr) {
            pool_->Release();
        }
        EngineHeap::Release();
        EXPECT_EQ(TaskLayer::CurrentTask(), nullptr);
        EXPECT_TRUE(TaskLayer::RunQueue().Empty());
        EXPECT_FALSE(EngineHeap::IsReserved());
    }

    // Engine-heap blocks in use; the main block is one of them.
    static uint64_t EngineBlocks() { return EngineHeap::AllocationCount() - EngineHeap::FreeCount(); }

    // A pool in memory of its own.
    SubHeap* MakePool(size_t bytes) {
        poolMemory_.reset(static_cast<uint8_t*>(std::aligned_alloc(16, bytes)));
        pool_ = SubHeap::Init(poolMemory_.get(), bytes);
        return pool_;
    }
    // A sub-heap keeps no counters: it is empty when every block has gone
    // back to the top and none is left on the free list.
    static bool IsEmpty(const SubHeap* pool, const void* emptyTop) {
        return pool->Top() == emptyTop && pool->FreeBlocks().empty();
    }

    struct FreeBytes {
        void operator()(uint8_t* bytes) const { std::free(bytes); }
    };
    TaskBlock* main_ = nullptr;
    std::unique_ptr<uint8_t, FreeBytes> poolMemory_;
    SubHeap* pool_ = nullptr;
};

using TaskLayerDeathTest = TaskLayerTest;

// --- Queue -----------------------------------------------------------------

TEST(TaskQueue, AppendKeepsOrderAndPrependGoesToTheHead) {
    TaskBlock a, b, c;
    TaskQueue queue;
    queue.Init();
    queue.Append(&a);
    queue.Append(&b);
    queue.Prepend(&c);
    EXPECT_EQ(queue.first, &c);
    EXPECT_EQ(c.next, &a);
    EXPECT_EQ(a.next, &b);
    EXPECT_EQ(queue.last, &b);
    EXPECT_EQ(b.next, nullptr);
    EXPECT_EQ(a.queue, &queue);
    EXPECT_EQ(c.queue, &queue);
}

TEST(TaskQueue, PrependIntoAnEmptyQueueSetsBothEnds) {
    TaskBlock a;
    TaskQueue queue;
    queue.Prepend(&a);
    EXPECT_EQ(queue.first, &a);
    EXPECT_EQ(queue.last, &a);
}

TEST(TaskQueue, PopFrontClearsTheLinksOfTheBlockItReturns) {
    TaskBlock a, b;
    TaskQueue queue;
    queue.Append(&a);
    queue.Append(&b);
    EXPECT_EQ(queue.PopFront(), &a);
    EXPECT_EQ(a.next, nullptr);
    EXPECT_EQ(a.queue, nullptr);
    EXPECT_EQ(queue.PopFront(), &b);
    EXPECT_TRUE(queue.Empty());
    EXPECT_EQ(queue.last, nullptr);
    EXPECT_EQ(queue.PopFront(), nullptr);
}

TEST(TaskQueue, RemoveFromTheMiddleJoinsItsNeighbours) {
    TaskBlock a, b, c;
    TaskQueue queue;
    queue.Append(&a);
    queue.Append(&b);
    queue.Append(&c);
    queue.Remove(&b);
    EXPECT_EQ(a.next, &c);
    EXPECT_EQ(queue.last, &c);
    EXPECT_EQ(b.next, nullptr);
    EXPECT_EQ(b.queue, nullptr);
}

TEST(TaskQueue, RemovingTheLastBlockMovesTheTail) {
    TaskBlock a, b;
    TaskQueue queue;
    queue.Append(&a);
    queue.Append(&b);
    queue.Remove(&b);
    EXPECT_EQ(queue.last, &a);
    EXPECT_EQ(a.next, nullptr);
    queue.Append(&b);  // appends behind the new tail
    EXPECT_EQ(a.next, &b);
    queue.Remove(&a);
    EXPECT_EQ(queue.first, &b);
}

TEST(TaskQueue, RemoveLeavesABlockOfAnotherQueueAlone) {
    TaskBlock a, b;
    TaskQueue mine, other;
    mine.Append(&a);
    other.Append(&b);
    mine.Remove(&b);
    EXPECT_EQ(b.queue, &other);
    EXPECT_EQ(other.first, &b);
    EXPECT_EQ(mine.first, &a);
}

// --- Layer -----------------------------------------------------------------

TEST_F(TaskLayerTest, TheMainBlockComesFromTheEngineHeapEvenWithAPool) {
    TaskLayer::Shutdown(&main_);
    SubHeap* const pool = MakePool(16384);
    main_ = TaskLayer::Init(pool);
    ASSERT_NE(main_, nullptr);
    EXPECT_TRUE(EngineHeap::Contains(main_));
    EXPECT_FALSE(pool->Contains(main_));
    EXPECT_EQ(TaskLayer::Pool(), pool);
    EXPECT_EQ(TaskLayer::CurrentTask(), main_);
    EXPECT_EQ(main_->next, nullptr);
    EXPECT_EQ(main_->userWord, 0);
    EXPECT_EQ(main_->argument, nullptr);
    EXPECT_EQ(main_->queue, nullptr);
}

TEST_F(TaskLayerTest, TasksStartedInOrderRunInThatOrderAndGiveBackTheirBlocks) {
    TracingTask a("A"), b("B"), c("C");
    EXPECT_EQ(a.Creator(), main_);
    ASSERT_NE(a.Start(TaskLayer::RunQueue()), nullptr);
    ASSERT_NE(b.Start(TaskLayer::RunQueue()), nullptr);
    ASSERT_NE(c.Start(TaskLayer::RunQueue()), nullptr);
    EXPECT_EQ(EngineBlocks(), 4u);
    EXPECT_EQ(g_trace, "");  // starting only queues

    TaskLayer::RunQueuedTasks();

    EXPECT_EQ(g_trace, "ABC");
    EXPECT_EQ(TaskLayer::CurrentTask(), main_);
    EXPECT_TRUE(TaskLayer::RunQueue().Empty());
    EXPECT_EQ(a.Block(), nullptr);
    EXPECT_EQ(EngineBlocks(), 1u);
    EXPECT_EQ(EngineHeap::BytesInUse(), 48u);
}

TEST_F(TaskLayerTest, AnEntryThatReturnsEndsTheTaskAndTheNextStarts) {
    TaskLayer::Spawn(&Note, kStack, const_cast<char*>("1"));
    TaskLayer::Spawn(&Note, kStack, const_cast<char*>("2"));
    TaskLayer::RunQueuedTasks();
    EXPECT_EQ(g_trace, "12");
    EXPECT_EQ(EngineBlocks(), 1u);
}

TaskBlock* g_endedBlock = nullptr;
uint64_t g_freesBefore = 0;

// Runs right after the task of g_endedBlock: its block must already be free,
// and free to be handed out again.
void CheckTheEndedBlockIsFree(void*) {
    EXPECT_EQ(EngineHeap::FreeCount(), g_freesBefore + 1);
    TaskBlock* const again = TaskLayer::CreateTask(&Note, kStack, nullptr);
    EXPECT_EQ(again, g_endedBlock);
    TaskLayer::FreeBlock(again);
}

TEST_F(TaskLayerTest, AnEndedTasksBlockIsFreedOnceTheNextTaskRuns) {
    g_endedBlock = TaskLayer::Spawn(&Note, kStack, const_cast<char*>("1"));
    ASSERT_NE(TaskLayer::Spawn(&CheckTheEndedBlockIsFree, kStack, nullptr), nullptr);
    g_freesBefore = EngineHeap::FreeCount();
    TaskLayer::RunQueuedTasks();
    EXPECT_EQ(g_trace, "1");
    EXPECT_EQ(EngineBlocks(), 1u);
}

// Frees its own block, then keeps using its stack: the block must stay until
// the task has ended, and then go back exactly once.
void FreeOwnBlockThenWork(void*) {
    const uint64_t frees = EngineHeap::FreeCount();
    TaskLayer::FreeBlock(TaskLayer::CurrentTask());
    EXPECT_EQ(EngineHeap::FreeCount(), frees);
    char scratch[4096];
    for (size_t i = 0; i < sizeof scratch; ++i) {
        scratch[i] = static_cast<char>(i);
    }
    g_trace += scratch[65] == 'A' ? "worked" : "broken";
}

TEST_F(TaskLayerTest, FreeingTheRunningTasksBlockWaitsUntilItEnds) {
    ASSERT_NE(TaskLayer::Spawn(&FreeOwnBlockThenWork, kStack, nullptr), nullptr);
    TaskLayer::RunQueuedTasks();
    EXPECT_EQ(g_trace, "worked");
    EXPECT_EQ(EngineBlocks(), 1u);
}

TEST_F(TaskLayerTest, ATaskDestroyedBeforeItRunsFreesItsBlockAndLeavesTheQueue) {
    TracingTask a("A"), c("C");
    auto b = std::make_unique<TracingTask>("B");
    a.Start(TaskLayer::RunQueue());
    b->Start(TaskLayer::RunQueue());
    c.Start(TaskLayer::RunQueue());
    ASSERT_EQ(EngineBlocks(), 4u);

    b.reset();
    EXPECT_EQ(EngineBlocks(), 3u);
    EXPECT_EQ(a.Block()->next, c.Block());

    TaskLayer::RunQueuedTasks();
    EXPECT_EQ(g_trace, "AC");
    EXPECT_EQ(EngineBlocks(), 1u);
}

TEST_F(TaskLayerTest, ATaskObjectWhoseRunEndedFreesNothingMore) {
    auto a = std::make_unique<TracingTask>("A");
    a->Start(TaskLayer::RunQueue());
    TaskLayer::RunQueuedTasks();
    const uint64_t frees = EngineHeap::FreeCount();
    a.reset();
    EXPECT_EQ(EngineHeap::FreeCount(), frees);
}

TEST_F(TaskLayerTest, StartQueuesABlockOnlyWhenItIsInNoQueue) {
    TracingTask a("A");
    TaskQueue parked;
    parked.Init();
    TaskBlock* const block = a.Start(parked);
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(a.Start(parked), block);
    EXPECT_EQ(a.Start(TaskLayer::RunQueue()), block);
    EXPECT_EQ(parked.first, block);
    EXPECT_EQ(parked.last, block);
    EXPECT_EQ(block->next, nullptr);
    EXPECT_TRUE(TaskLayer::RunQueue().Empty());

    // Moved over by hand, it runs.
    parked.Remove(block);
    EXPECT_EQ(a.Start(TaskLayer::RunQueue()), block);
    TaskLayer::RunQueuedTasks();
    EXPECT_EQ(g_trace, "A");
}

void SpawnChildThenNote(void*) {
    TaskLayer::Spawn(&Note, kStack, const_cast<char*>("a"));
    g_trace += "A";
}

class ParentTask : public Task {
public:
    ParentTask() : Task(kStack), child_("c") {}
    void Run() override {
        g_trace += "P";
        EXPECT_EQ(child_.Creator(), Creator());  // built before this ran
        child_.Start(TaskLayer::RunQueue());
    }

private:
    TracingTask child_;
};

TEST_F(TaskLayerTest, TasksSpawnedByTasksRunBehindThoseAlreadyQueued) {
    ASSERT_NE(TaskLayer::Spawn(&SpawnChildThenNote, kStack, nullptr), nullptr);
    ParentTask parent;
    parent.Start(TaskLayer::RunQueue());
    TracingTask b("B");
    b.Start(TaskLayer::RunQueue());
    TaskLayer::RunQueuedTasks();
    EXPECT_EQ(g_trace, "APBac");
    EXPECT_EQ(EngineBlocks(), 1u);
}

struct WordProbe {
    void* argumentSeen = nullptr;
    intptr_t wordAtStart = -1;
    intptr_t wordAfterSet = -1;
};

void ProbeWords(void* argument) {
    WordProbe* const probe = static_cast<WordProbe*>(argument);
    probe->argumentSeen = TaskLayer::GetArgument();
    probe->wordAtStart = TaskLayer::GetUserWord();
    TaskLayer::SetUserWord(42);
    probe->wordAfterSet = TaskLayer::GetUserWord();
}

TEST_F(TaskLayerTest, UserWordAndArgumentBelongToTheCurrentTask) {
    TaskLayer::SetUserWord(7);
    WordProbe first, second;
    TaskLayer::Spawn(&ProbeWords, kStack, &first);
    TaskLayer::Spawn(&ProbeWords, kStack, &second);
    TaskLayer::RunQueuedTasks();
    EXPECT_EQ(first.argumentSeen, &first);
    EXPECT_EQ(second.argumentSeen, &second);
    EXPECT_EQ(first.wordAtStart, 0);
    EXPECT_EQ(second.wordAtStart, 0);  // the first task's 42 stayed in its block
    EXPECT_EQ(first.wordAfterSet, 42);
    EXPECT_EQ(TaskLayer::GetUserWord(), 7);
    EXPECT_EQ(main_->userWord, 7);
    EXPECT_EQ(TaskLayer::GetArgument(), nullptr);
}

// --- Where blocks come from and go back to -----------------------------------

TEST_F(TaskLayerTest, BlocksComeFromThePoolAndGoBackToIt) {
    SubHeap* const pool = MakePool(256 * 1024);
    const void* const emptyTop = pool->Top();
    TaskLayer::SetPool(pool);
    TaskBlock* const a = TaskLayer::Spawn(&Note, kStack, const_cast<char*>("A"));
    TaskBlock* const b = TaskLayer::Spawn(&Note, kStack, const_cast<char*>("B"));
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    EXPECT_TRUE(pool->Contains(a));
    EXPECT_TRUE(pool->Contains(b));
    EXPECT_EQ(reinterpret_cast<uintptr_t>(a) % 16, 0u);
    EXPECT_EQ(EngineBlocks(), 1u);

    TaskLayer::RunQueuedTasks();
    EXPECT_EQ(g_trace, "AB");
    EXPECT_TRUE(IsEmpty(pool, emptyTop));
    EXPECT_EQ(EngineBlocks(), 1u);
}

TEST_F(TaskLayerTest, EachBlockGoesBackToTheHeapItCameFromWhateverThePoolIsNow) {
    SubHeap* const pool = MakePool(256 * 1024);
    const void* const emptyTop = pool->Top();
    TracingTask fromHeap("H"), fromPool("P");
    ASSERT_NE(fromHeap.Start(TaskLayer::RunQueue()), nullptr);
    TaskLayer::SetPool(pool);
    ASSERT_NE(fromPool.Start(TaskLayer::RunQueue()), nullptr);
    EXPECT_TRUE(EngineHeap::Contains(fromHeap.Block()));
    EXPECT_TRUE(pool->Contains(fromPool.Block()));

    TaskLayer::SetPool(nullptr);
    TaskLayer::RunQueuedTasks();
    EXPECT_EQ(g_trace, "HP");
    EXPECT_EQ(EngineBlocks(), 1u);
    EXPECT_TRUE(IsEmpty(pool, emptyTop));
}

TEST_F(TaskLayerTest, APoolInsideTheEngineHeapGetsItsBlocksBack) {
    constexpr size_t kPoolBytes = 256 * 1024;
    void* poolMemory = EngineHeap::Alloc(kPoolBytes);
    ASSERT_NE(poolMemory, nullptr);
    SubHeap* const pool = SubHeap::Init(poolMemory, kPoolBytes);
    const void* const emptyTop = pool->Top();
    TaskLayer::SetPool(pool);
    const uint64_t inUse = EngineHeap::BytesInUse();

    TracingTask early("E");
    early.Start(TaskLayer::RunQueue());
    TaskBlock* const spawned = TaskLayer::Spawn(&Note, kStack, const_cast<char*>("S"));
    ASSERT_TRUE(EngineHeap::Contains(spawned));  // inside the pool inside the heap
    TaskLayer::RunQueuedTasks();

    EXPECT_EQ(g_trace, "ES");
    EXPECT_EQ(EngineHeap::BytesInUse(), inUse);
    EXPECT_TRUE(IsEmpty(pool, emptyTop));
    TaskLayer::SetPool(nullptr);
    pool->Release();
    EngineHeap::Free(&poolMemory);
}

TEST_F(TaskLayerTest, AnExhaustedPoolFailsCreateAndStartQueuesNothing) {
    SubHeap* const pool = MakePool(4096);
    TaskLayer::SetPool(pool);
    EXPECT_EQ(TaskLayer::CreateTask(&Note, kStack, nullptr), nullptr);
    EXPECT_EQ(TaskLayer::Spawn(&Note, kStack, nullptr), nullptr);
    TracingTask big("X");
    EXPECT_EQ(big.Start(TaskLayer::RunQueue()), nullptr);
    EXPECT_EQ(big.Block(), nullptr);
    EXPECT_TRUE(TaskLayer::RunQueue().Empty());

    // A small stack still fits, from the same pool.
    TracingTask small("s", 1024);
    EXPECT_TRUE(pool->Contains(small.Start(TaskLayer::RunQueue())));
}

TEST_F(TaskLayerTest, AnExhaustedEngineHeapFailsCreate) {
    EXPECT_EQ(TaskLayer::CreateTask(&Note, 16 << 20, nullptr), nullptr);
    EXPECT_EQ(TaskLayer::CreateTask(&Note, TaskLayer::kSmallestStack - 1, nullptr), nullptr);
    EXPECT_EQ(EngineBlocks(), 1u);
}

TEST_F(TaskLayerTest, ShutdownUnlinksBlocksStillQueued) {
    TracingTask a("A");
    TaskBlock* const block = a.Start(TaskLayer::RunQueue());
    TaskLayer::Shutdown(&main_);
    EXPECT_EQ(main_, nullptr);
    EXPECT_EQ(TaskLayer::CurrentTask(), nullptr);
    EXPECT_TRUE(TaskLayer::RunQueue().Empty());
    EXPECT_EQ(block->queue, nullptr);
    // The task object still owns its block and frees it as it goes.
}

// --- Ending the process ------------------------------------------------------

TEST_F(TaskLayerDeathTest, EndingWithNothingQueuedEndsTheProcessWithStatusZero) {
    EXPECT_EXIT(TaskLayer::ExitCurrent(), ::testing::ExitedWithCode(0), "");
}

// Takes the waiting main flow out of the queue, so that this task is the last.
void LeaveTheMainFlowBehind(void* mainBlock) {
    TaskLayer::RunQueue().Remove(static_cast<TaskBlock*>(mainBlock));
    std::fputs("last task ended", stderr);
}

TEST_F(TaskLayerDeathTest, TheLastTaskToEndEndsTheProcessWithStatusZero) {
    EXPECT_EXIT(
        {
            TaskLayer::Spawn(&LeaveTheMainFlowBehind, 256 * 1024, main_);
            TaskLayer::RunQueuedTasks();
        },
        ::testing::ExitedWithCode(0), "last task ended");
}

uint64_t g_mainBlockBytes = 0;

void ReportWhetherTheMainBlockStayed(void*) {
    std::fputs(EngineHeap::BytesInUse() == g_mainBlockBytes ? "main block kept" : "main block freed", stderr);
}

TEST_F(TaskLayerDeathTest, AMainFlowThatEndsLeavesItsBlockToShutdown) {
    EXPECT_EXIT(
        {
            TaskLayer::Spawn(&ReportWhetherTheMainBlockStayed, 256 * 1024, nullptr);
            g_mainBlockBytes = EngineHeap::BytesInUse();
            TaskLayer::ExitCurrent();
        },
        ::testing::ExitedWithCode(0), "main block kept");
}

}  // namespace
