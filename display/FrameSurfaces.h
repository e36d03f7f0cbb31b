#pragma once
#include <cstdint>

#include "engine/EngineAllocation.h"

namespace platform {
class Surface;
}

// What a driver that renders into display surfaces hands to the canvases
// drawing there. The driver owns the record and the surfaces; delete the
// canvases before the driver frees it.
struct FrameSurfaces : public EngineObject {
    // 1 while a canvas has the drawing surface locked; every canvas on the
    // surface shares it, so that no two lock the surface at once.
    uint32_t lockWord = 0;
    uint32_t spare = 0;
    platform::Surface* drawingSurface = nullptr;
    platform::Surface* depthSurface = nullptr;   // null when there is no Z-buffer
};
