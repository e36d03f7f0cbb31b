#include "scene/OstrelSystem.h"

#include "engine/EngineHeap.h"
#include "engine/TaskLayer.h"
#include "engine/TimerSystem.h"
#include "display/FontContext.h"

namespace {

// The heap must be reserved before any member that allocates is built, so
// the first base-class-like steps run from the member initialiser: the heap,
// the task layer, then the fonts, whose failure nobody is told of (text then
// simply finds no font).
TaskBlock* ReserveHeapAndStartLayers(uint32_t heapSize, int32_t heapMode) {
    EngineHeap::Reserve(heapSize, heapMode);
    TaskBlock* const mainTask = TaskLayer::Init(nullptr);
    StartFonts();
    return mainTask;
}

}  // namespace

OstrelSystem::OstrelSystem(uint32_t heapSize, int32_t heapMode)
    : taskHandle_(ReserveHeapAndStartLayers(heapSize, heapMode)), world_(0, 0) {
    // The world context takes nothing from the colour tables, so setting
    // them up after it is built changes nothing.
    g_colorTables = &colorTables_;
    colorTables_.SetGamma(1.0f);
    colorTables_.BuildShadeTable();
    colorTables_.currentCanvas = nullptr;
    for (TextureManager*& slot : colorTables_.textureManagers) slot = nullptr;
}

OstrelSystem::~OstrelSystem() {
    TimerSystem::Shutdown();
    world_.Release();
    StopFonts();
    TaskLayer::Shutdown(&taskHandle_);
    // Palettes loaded later must not apply the gamma of a curve that is gone.
    if (g_colorTables == &colorTables_) g_colorTables = nullptr;
    // The world context member is destroyed after this body, once the heap
    // is gone; it has nothing left to give back by then.
    EngineHeap::Release();
}

Status OstrelSystem::Start(uint32_t arenaSize1, uint32_t arenaSize2, SubHeap* taskPool) {
    TimerSystem::Init();
    if (taskPool) TaskLayer::SetPool(taskPool);
    return world_.Init(arenaSize1, arenaSize2);
}
