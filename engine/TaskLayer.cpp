#include "engine/TaskLayer.h"

#include "engine/EngineHeap.h"

#include <new>

namespace {

SubHeap* g_pool = nullptr;
TaskBlock* g_current = nullptr;

}  // namespace

TaskBlock* TaskLayer::Init(SubHeap* pool) {
    g_pool = pool;
    void* memory = EngineHeap::Alloc(sizeof(TaskBlock));
    if (!memory) return nullptr;
    g_current = new (memory) TaskBlock{};
    return g_current;
}

void TaskLayer::SetPool(SubHeap* pool) { g_pool = pool; }

SubHeap* TaskLayer::Pool() { return g_pool; }

TaskBlock* TaskLayer::CurrentTask() { return g_current; }

void TaskLayer::Shutdown(TaskBlock** handle) {
    if (!handle || !*handle) return;
    if (*handle == g_current) g_current = nullptr;
    void* block = *handle;
    EngineHeap::Free(&block);
    *handle = nullptr;
}
