#include "engine/WorldContext.h"

#include "engine/Arena.h"
#include "engine/CpuFeatures.h"
#include "engine/EngineHeap.h"
#include "engine/MathRoutineTable.h"

WorldContext* g_worldContext = nullptr;
void (*WorldContext::releaseSceneTables)(WorldContext&) = nullptr;

WorldContext::WorldContext(uint32_t size1, uint32_t size2) {
    g_worldContext = this;
    if (size1 != 0) Init(size1, size2);
}

WorldContext::~WorldContext() {
    Release();
    if (g_worldContext == this) g_worldContext = nullptr;
}

namespace {

// The arena lies over a block taken straight from the engine heap, not
// through the allocation operators, so it is given back the same way.
// A size too small for the arena's own header counts as a block that
// cannot be had.
Arena* TakeArena(uint32_t size) {
    if (size <= Arena::kHeaderBytes) return nullptr;
    void* block = EngineHeap::Alloc(size);
    return block ? Arena::Init(block, size) : nullptr;
}

void GiveBackArena(Arena*& arena) {
    if (!arena) return;
    arena->FreeAll();
    void* block = arena;
    EngineHeap::Free(&block);
    arena = nullptr;
}

}  // namespace

Status WorldContext::Init(uint32_t size1, uint32_t size2) {
    Release();
    if (CpuHas3dNow())
        flags = kFlagMmx | kFlag3dNow;
    else if (CpuHasMmx())
        flags = kFlagMmx;
    objectScratchBytes = 0;
    peakTreeDepth = 0;
    peakPrimitiveBytes = 0;
    arenaSize1 = size1;
    arena1 = TakeArena(size1);
    if (!arena1) return kStatusOutOfMemory;
    arenaSize2 = size2;
    arena2 = TakeArena(size2);
    if (!arena2) return kStatusOutOfMemory;
    depthTreeRoot = nullptr;
    return kStatusOk;
}

void WorldContext::Release() {
    if ((worldImages != nullptr || materialLibraries != nullptr) && releaseSceneTables != nullptr) {
        releaseSceneTables(*this);
    }
    GiveBackArena(arena1);
    GiveBackArena(arena2);
    depthTreeRoot = nullptr;
}

Status WorldContext::Use3dNowMath() {
    if (!(flags & kFlag3dNow)) return kStatusNo3dNow;
    flags |= kFlag3dNowMathInstalled;
    MathRoutineTable::Install3dNow();
    return kStatusOk;
}

void WorldContext::UseX87Math() {
    flags &= ~kFlag3dNowMathInstalled;
    MathRoutineTable::InstallX87();
}
