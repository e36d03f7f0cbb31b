#pragma once
#include <cstdint>

#include "display/ColorTables.h"
#include "engine/EngineAllocation.h"
#include "engine/Status.h"
#include "engine/WorldContext.h"

class SubHeap;
struct TaskBlock;

// The engine system object: created first and deleted last. It owns the
// engine heap, the task layer's main block, the colour tables and the world
// context.
//
// It is allocated before the engine heap exists and freed after the heap is
// released, so it lives in the runtime heap; the allocation functions route
// both by address.
class OstrelSystem : public EngineObject {
public:
    // The game's heap: mode 1 (exactly this size), 32 MB.
    static constexpr uint32_t kGameHeapSize = 0x2000000;
    static constexpr int32_t kGameHeapMode = 1;
    // The game's scratch arenas and the size of its task-stack pool.
    static constexpr uint32_t kGameArenaSize1 = 0x40000;
    static constexpr uint32_t kGameArenaSize2 = 0x10000;
    static constexpr uint32_t kGameTaskPoolSize = 16384;

    // Reserves the engine heap and starts the layers that need no
    // configuration; a heap that cannot be reserved is not reported.
    OstrelSystem(uint32_t heapSize, int32_t heapMode);
    virtual ~OstrelSystem();
    OstrelSystem(const OstrelSystem&) = delete;
    OstrelSystem& operator=(const OstrelSystem&) = delete;

    // Starts the timers, hands the task layer its stack pool (when given)
    // and takes the scratch arenas: kStatusOk or kStatusOutOfMemory.
    Status Start(uint32_t arenaSize1, uint32_t arenaSize2, SubHeap* taskPool);

    WorldContext& World() { return world_; }
    TaskBlock* TaskHandle() const { return taskHandle_; }
    ColorTables& Colors() { return colorTables_; }

private:
    TaskBlock* taskHandle_ = nullptr;
    ColorTables colorTables_;   // published through g_colorTables
    WorldContext world_;
};
