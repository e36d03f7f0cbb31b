#pragma once
#include <cstddef>
#include <cstdint>

#include "platform/ExecutionContext.h"

class SubHeap;
struct TaskQueue;

// Where a flow of control stands while it is not running. The stack bounds
// and the fake-stack handle are for AddressSanitizer, which must be told
// about every change of stack; the main flow's bounds are learned when it
// first switches away.
struct TaskContext {
    platform::ExecutionContext registers;
    const void* stackBottom = nullptr;
    size_t stackSize = 0;
    void* fakeStack = nullptr;
};

// The words every flow's block starts with. A task's block goes on with its
// saved context, the pool it came from and then its stack; the main flow's
// block is these words alone (its stack is the thread's, and its context is
// kept by the layer).
struct TaskBlock {
    TaskBlock* next = nullptr;     // next block of the queue it is in
    intptr_t userWord = 0;
    void* argument = nullptr;
    TaskQueue* queue = nullptr;    // the queue it is in, null when in none
};

// A first-in, first-out chain of blocks linked through their `next` words.
// A block is in at most one queue at a time.
struct TaskQueue {
    TaskBlock* first = nullptr;
    TaskBlock* last = nullptr;

    void Init();
    bool Empty() const { return first == nullptr; }
    // The block must be in no queue.
    void Append(TaskBlock* block);
    void Prepend(TaskBlock* block);
    // Removes the first block and clears its links; null when empty.
    TaskBlock* PopFront();
    // Unlinks the block wherever it stands when it records this queue.
    void Remove(TaskBlock* block);
};

using TaskEntry = void (*)(void* argument);

// Flows of control inside the game thread, each on a private stack. Control
// passes only where a task ends: the next block of the run queue becomes
// current. The engine system object starts the layer with the block of the
// main flow. Game thread only.
class TaskLayer {
public:
    // Smallest stack CreateTask accepts: the four words that start a task.
    // What the entry needs beyond that is the caller's to judge; nothing
    // guards against overflow.
    static constexpr size_t kSmallestStack = 32;

    // Makes `pool` the pool of task blocks (null: the engine heap) and takes
    // the main flow's block from the engine heap, never from the pool; null
    // when the heap is exhausted.
    static TaskBlock* Init(SubHeap* pool);
    static void SetPool(SubHeap* pool);
    static SubHeap* Pool();
    // Gives the main block back to the engine heap and clears the handle.
    // Blocks still queued are unlinked; they stay their owners' to free.
    static void Shutdown(TaskBlock** handle);
    static TaskBlock* Current(TaskBlock* const* handle) { return *handle; }
    static TaskBlock* CurrentTask();
    static TaskQueue& RunQueue();
    // The saved context of a block's flow.
    static TaskContext* ContextOf(TaskBlock* block);

    // A block with a stack of at least stackSize bytes (rounded up to 16),
    // from the pool or, without one, the engine heap. The entry starts with
    // the argument when the block is first resumed; its return ends the task
    // through ExitCurrent. Null when the memory cannot be had or the stack
    // is below kSmallestStack.
    static TaskBlock* CreateTask(TaskEntry entry, size_t stackSize, void* argument);
    // CreateTask, then the block joins the run queue.
    static TaskBlock* Spawn(TaskEntry entry, size_t stackSize, void* argument);
    // Ends the current flow: with nothing queued the process ends with
    // status 0; otherwise the first queued block becomes current and the
    // ended task's block is freed once control is off its stack. The main
    // block is never freed here; only Shutdown gives it back.
    [[noreturn]] static void ExitCurrent();
    // The main flow's way to let the queued tasks run: it waits behind them
    // and resumes when the task ahead of it ends, until the queue is empty
    // (tasks spawned meanwhile run too).
    static void RunQueuedTasks();

    static void* GetArgument();
    static intptr_t GetUserWord();
    static void SetUserWord(intptr_t value);

    // Unlinks the block from its queue and returns it to the heap it came
    // from. The running flow's block is freed when it ends instead, and the
    // main block only by Shutdown.
    static void FreeBlock(TaskBlock* block);
    // Saves the current flow into `save` when given and resumes `restore`;
    // returns 1 when `save` is resumed later. Without `save` it never
    // returns. Which block is current is the caller's business.
    static int Switch(TaskContext* save, TaskContext* restore);
};

// The object form of a task: Run is its work, on a stack of its own. The
// object must outlive its run; its block goes when the run ends or when the
// object is destroyed, whichever is first.
class Task {
public:
    explicit Task(size_t stackSize);
    virtual ~Task();
    virtual void Run();

    // Creates the block on the first call (or after a run has ended) and
    // appends it to `queue` unless it is in a queue already. Null when the
    // block cannot be had; nothing is queued then.
    TaskBlock* Start(TaskQueue& queue);
    // The entry of every task object; the argument is the object.
    static void Trampoline(void* task);

    TaskBlock* Block() const { return block_; }
    TaskBlock* Creator() const { return creator_; }

    Task(const Task&) = delete;
    Task& operator=(const Task&) = delete;

private:
    TaskBlock* block_ = nullptr;
    TaskBlock* const creator_;  // the flow that was current at construction
    const size_t stackSize_;
};
