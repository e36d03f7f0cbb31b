#pragma once
#include <cstdint>

class SubHeap;
struct TaskQueue;

// The control data at the start of every task's block; the task's stack
// follows it in the same block.
struct TaskBlock {
    TaskBlock* next = nullptr;     // next block of the queue it is in
    intptr_t userWord = 0;
    void* argument = nullptr;
    TaskQueue* queue = nullptr;    // the queue it is in, null when in none
};

// Flows of control inside the game thread, each on a private stack. The
// engine system object starts the layer with the block of the main flow.
class TaskLayer {
public:
    // Makes `pool` the pool of task blocks (null: the engine heap) and takes
    // the main flow's block from the engine heap; null when it is exhausted.
    static TaskBlock* Init(SubHeap* pool);
    static void SetPool(SubHeap* pool);
    static SubHeap* Pool();
    // Gives the main block back to the engine heap and clears the handle.
    static void Shutdown(TaskBlock** handle);
    static TaskBlock* Current(TaskBlock* const* handle) { return *handle; }
    static TaskBlock* CurrentTask();
};
