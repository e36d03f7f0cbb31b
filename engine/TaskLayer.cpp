#include "engine/TaskLayer.h"

#include <cassert>
#include <cstddef>
#include <cstdlib>
#include <new>

#include "engine/EngineHeap.h"
#include "engine/SubHeap.h"
#include "platform/ExecutionContext.h"

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/common_interface_defs.h>
#include <sanitizer/lsan_interface.h>
#endif

namespace {

// A task's block: the common words, where its flow stands, and the pool it
// was taken from (null: the engine heap). The stack follows, 16-byte aligned
// because the heaps hand out 16-byte aligned blocks.
struct TaskControl {
    TaskBlock block;
    TaskContext context;
    SubHeap* home = nullptr;
};
static_assert(sizeof(TaskControl) % 16 == 0);
static_assert(offsetof(TaskControl, block) == 0);

// The words at the top of a new stack, lowest first.
enum StartWord : size_t {
    kResumeWord,    // where RestoreContext writes the resume address
    kReturnWord,    // the start routine's return address
    kEntryWord,
    kArgumentWord,
    kStartWords
};
static_assert(TaskLayer::kSmallestStack == kStartWords * sizeof(uintptr_t));

uintptr_t* StartWords(const TaskContext& context) {
    uint8_t* const top = static_cast<uint8_t*>(const_cast<void*>(context.stackBottom)) + context.stackSize;
    return reinterpret_cast<uintptr_t*>(top) - kStartWords;
}

SubHeap* g_pool = nullptr;
TaskBlock* g_current = nullptr;
TaskBlock* g_mainBlock = nullptr;
TaskContext g_mainContext;
TaskQueue g_runQueue;
// The block of a task that has ended, freed by the flow that runs next once
// control is off the ended task's stack.
TaskBlock* g_ended = nullptr;
// The flow being switched away from, null when it has ended.
TaskContext* g_leaving = nullptr;

TaskControl* ControlOf(TaskBlock* block) { return reinterpret_cast<TaskControl*>(block); }

#if defined(__SANITIZE_ADDRESS__)
// The leak checker scans only the stack that is running. While the main flow
// is away (waiting in the queue, or ended for good with its frames left as
// they are) its stack is registered as a root so the pointers held there
// still count. Task stacks lie in heap memory that is scanned anyway.
const void* g_watchedBottom = nullptr;
size_t g_watchedSize = 0;

void WatchMainStack(bool watch) {
    if (watch && g_watchedSize == 0 && g_mainContext.stackSize != 0) {
        g_watchedBottom = g_mainContext.stackBottom;
        g_watchedSize = g_mainContext.stackSize;
        __lsan_register_root_region(g_watchedBottom, g_watchedSize);
    } else if (!watch && g_watchedSize != 0) {
        __lsan_unregister_root_region(g_watchedBottom, g_watchedSize);
        g_watchedBottom = nullptr;
        g_watchedSize = 0;
    }
}
#else
void WatchMainStack(bool) {}
#endif

void Leave(TaskContext* save, const TaskContext& restore) {
    g_leaving = save;
#if defined(__SANITIZE_ADDRESS__)
    __sanitizer_start_switch_fiber(save != nullptr ? &save->fakeStack : nullptr, restore.stackBottom,
                                   restore.stackSize);
#else
    (void)restore;
#endif
}

// First thing on every flow that gains control.
void Arrive(const TaskContext& self) {
#if defined(__SANITIZE_ADDRESS__)
    const void* bottom = nullptr;
    size_t size = 0;
    __sanitizer_finish_switch_fiber(self.fakeStack, &bottom, &size);
    if (g_leaving != nullptr) {
        g_leaving->stackBottom = bottom;
        g_leaving->stackSize = size;
    }
#endif
    if (g_leaving == &g_mainContext) {
        WatchMainStack(true);
    } else if (&self == &g_mainContext) {
        WatchMainStack(false);
    }
    g_leaving = nullptr;
    if (g_ended != nullptr) {
        TaskBlock* const ended = g_ended;
        g_ended = nullptr;
        TaskLayer::FreeBlock(ended);
    }
}

// Reached by RestoreContext's return on a new stack; starts the entry with
// the argument that CreateTask left at the top of the stack.
[[noreturn]] void StartTask() noexcept {
    const TaskContext& self = ControlOf(g_current)->context;
    Arrive(self);
    const uintptr_t* const words = StartWords(self);
    const TaskEntry entry = reinterpret_cast<TaskEntry>(words[kEntryWord]);
    entry(reinterpret_cast<void*>(words[kArgumentWord]));
    TaskLayer::ExitCurrent();
}

}  // namespace

void TaskQueue::Init() {
    first = nullptr;
    last = nullptr;
}

void TaskQueue::Append(TaskBlock* block) {
    assert(block->queue == nullptr);
    block->next = nullptr;
    block->queue = this;
    if (last != nullptr) {
        last->next = block;
    } else {
        first = block;
    }
    last = block;
}

void TaskQueue::Prepend(TaskBlock* block) {
    assert(block->queue == nullptr);
    block->next = first;
    block->queue = this;
    first = block;
    if (last == nullptr) {
        last = block;
    }
}

TaskBlock* TaskQueue::PopFront() {
    TaskBlock* const block = first;
    if (block == nullptr) {
        return nullptr;
    }
    first = block->next;
    if (first == nullptr) {
        last = nullptr;
    }
    block->next = nullptr;
    block->queue = nullptr;
    return block;
}

void TaskQueue::Remove(TaskBlock* block) {
    if (block == nullptr || block->queue != this) {
        return;
    }
    TaskBlock* previous = nullptr;
    for (TaskBlock* at = first; at != nullptr; previous = at, at = at->next) {
        if (at != block) {
            continue;
        }
        (previous != nullptr ? previous->next : first) = block->next;
        if (last == block) {
            last = previous;
        }
        break;
    }
    block->next = nullptr;
    block->queue = nullptr;
}

TaskBlock* TaskLayer::Init(SubHeap* pool) {
    g_pool = pool;
    g_runQueue.Init();
    g_mainContext = TaskContext{};
    g_ended = nullptr;
    g_leaving = nullptr;
    WatchMainStack(false);
    void* const memory = EngineHeap::Alloc(sizeof(TaskBlock));
    g_current = memory != nullptr ? new (memory) TaskBlock{} : nullptr;
    g_mainBlock = g_current;
    return g_current;
}

void TaskLayer::SetPool(SubHeap* pool) { g_pool = pool; }

SubHeap* TaskLayer::Pool() { return g_pool; }

TaskBlock* TaskLayer::CurrentTask() { return g_current; }

TaskQueue& TaskLayer::RunQueue() { return g_runQueue; }

void TaskLayer::Shutdown(TaskBlock** handle) {
    if (!handle || !*handle) return;
    if (*handle == g_current) g_current = nullptr;
    if (*handle == g_mainBlock) {
        WatchMainStack(false);
        g_mainBlock = nullptr;
        while (g_runQueue.PopFront() != nullptr) {
        }
    }
    void* block = *handle;
    EngineHeap::Free(&block);
    *handle = nullptr;
}

TaskContext* TaskLayer::ContextOf(TaskBlock* block) {
    return block == g_mainBlock ? &g_mainContext : &ControlOf(block)->context;
}

TaskBlock* TaskLayer::CreateTask(TaskEntry entry, size_t stackSize, void* argument) {
    constexpr size_t kLargestStack = SIZE_MAX / 2;
    if (entry == nullptr || stackSize < kSmallestStack || stackSize > kLargestStack) {
        return nullptr;
    }
    const size_t stack = (stackSize + 15) & ~size_t{15};
    const size_t bytes = sizeof(TaskControl) + stack;
    void* const memory = g_pool != nullptr ? g_pool->Alloc(bytes) : EngineHeap::Alloc(bytes);
    if (memory == nullptr) {
        return nullptr;
    }
    TaskControl* const control = new (memory) TaskControl{};
    control->block.argument = argument;
    control->home = g_pool;

    TaskContext& context = control->context;
    context.stackBottom = static_cast<uint8_t*>(memory) + sizeof(TaskControl);
    context.stackSize = stack;
    uintptr_t* const words = StartWords(context);
    words[kArgumentWord] = reinterpret_cast<uintptr_t>(argument);
    words[kEntryWord] = reinterpret_cast<uintptr_t>(entry);
    // StartTask never returns; a debugger walking up from it sees the end.
    words[kReturnWord] = reinterpret_cast<uintptr_t>(&TaskLayer::ExitCurrent);
    // StartTask never returns; the resume word lies 8 below a 16-byte
    // boundary because the stack top is aligned and four words sit there.
    platform::PrepareContext(&context.registers, &words[kResumeWord], &StartTask);
    return &control->block;
}

TaskBlock* TaskLayer::Spawn(TaskEntry entry, size_t stackSize, void* argument) {
    TaskBlock* const block = CreateTask(entry, stackSize, argument);
    if (block != nullptr) {
        g_runQueue.Append(block);
    }
    return block;
}

void TaskLayer::ExitCurrent() {
    TaskBlock* const ended = g_current;
    // A task that queued itself must not be found there by the next flow.
    if (ended != nullptr && ended->queue != nullptr) {
        ended->queue->Remove(ended);
    }
    if (g_runQueue.Empty()) {
        std::exit(0);
    }
    TaskBlock* const next = g_runQueue.PopFront();
    g_current = next;
    TaskContext* const restore = ContextOf(next);
    if (ended != nullptr && ended == g_mainBlock) {
        // The main flow is never resumed, but its frames stay where they are
        // and its block stays the engine object's.
        Leave(&g_mainContext, *restore);
    } else {
        g_ended = ended;
        Leave(nullptr, *restore);
    }
    platform::RestoreContext(&restore->registers);
}

void TaskLayer::RunQueuedTasks() {
    TaskBlock* const self = g_current;
    if (self == nullptr) {
        return;
    }
    if (self->queue != nullptr) {
        self->queue->Remove(self);
    }
    while (!g_runQueue.Empty()) {
        g_runQueue.Append(self);
        TaskBlock* const next = g_runQueue.PopFront();
        g_current = next;
        Switch(ContextOf(self), ContextOf(next));
    }
}

void* TaskLayer::GetArgument() { return g_current != nullptr ? g_current->argument : nullptr; }

intptr_t TaskLayer::GetUserWord() { return g_current != nullptr ? g_current->userWord : 0; }

void TaskLayer::SetUserWord(intptr_t value) {
    if (g_current != nullptr) {
        g_current->userWord = value;
    }
}

void TaskLayer::FreeBlock(TaskBlock* block) {
    if (block == nullptr) {
        return;
    }
    if (block->queue != nullptr) {
        block->queue->Remove(block);
    }
    if (block == g_current || block == g_mainBlock) {
        return;
    }
    // The pool may since have changed, and a pool may itself lie inside the
    // engine heap, so only the block knows where it belongs.
    SubHeap* const home = ControlOf(block)->home;
    void* memory = block;
    if (home != nullptr) {
        home->Free(&memory);
    } else {
        EngineHeap::Free(&memory);
    }
}

int TaskLayer::Switch(TaskContext* save, TaskContext* restore) {
    if (save != nullptr) {
        // The saving call returns twice: 0 now, 1 when `save` is resumed.
        if (platform::SaveContext(&save->registers) != 0) {
            Arrive(*save);
            return 1;
        }
    }
    Leave(save, *restore);
    platform::RestoreContext(&restore->registers);
}

Task::Task(size_t stackSize) : creator_(TaskLayer::CurrentTask()), stackSize_(stackSize) {}

Task::~Task() {
    if (block_ != nullptr) {
        TaskBlock* const block = block_;
        block_ = nullptr;
        TaskLayer::FreeBlock(block);
    }
}

void Task::Run() {}

TaskBlock* Task::Start(TaskQueue& queue) {
    if (block_ == nullptr) {
        block_ = TaskLayer::CreateTask(&Task::Trampoline, stackSize_, this);
        if (block_ == nullptr) {
            return nullptr;
        }
    }
    if (block_->queue == nullptr) {
        queue.Append(block_);
    }
    return block_;
}

void Task::Trampoline(void* task) {
    Task* const self = static_cast<Task*>(task);
    self->Run();
    if (self->block_ != nullptr) {
        self->block_ = nullptr;
        TaskLayer::ExitCurrent();
    }
}
