#pragma once
#include <cstdint>

#include "engine/EngineAllocation.h"
#include "engine/Status.h"

class Arena;
struct MaterialLibraryTable;
struct WorldImageTable;

// The engine-wide context of the 3D layer: processor features, the scratch
// arenas of the draw and the root of the depth-sorted primitives. One
// instance, published through g_worldContext while it exists.
class WorldContext : public EngineObject {
public:
    static constexpr uint32_t kFlagMmx = 0x10000;
    static constexpr uint32_t kFlag3dNow = 0x20000;
    static constexpr uint32_t kFlag3dNowMathInstalled = 0x2;

    // Takes the arenas at once when arenaSize1 is not 0.
    WorldContext(uint32_t arenaSize1, uint32_t arenaSize2);
    virtual ~WorldContext();
    WorldContext(const WorldContext&) = delete;
    WorldContext& operator=(const WorldContext&) = delete;

    // Releases what the context holds, reads the processor features and
    // takes both arenas straight from the engine heap: kStatusOk, or
    // kStatusOutOfMemory as soon as one cannot be had.
    Status Init(uint32_t arenaSize1, uint32_t arenaSize2);
    void Release();

    // kStatusNo3dNow, changing nothing, on a processor without 3DNow!.
    Status Use3dNowMath();
    void UseX87Math();

    uint32_t flags = 0;
    uint32_t objectScratchBytes = 0;    // largest single object draw's need of arena 1
    uint32_t arenaSize1 = 0;
    Arena* arena1 = nullptr;            // picks and per-object draw scratch
    uint32_t peakTreeDepth = 0;
    uint32_t peakPrimitiveBytes = 0;
    uint32_t arenaSize2 = 0;
    Arena* arena2 = nullptr;            // depth-sorted primitives
    void* depthTreeRoot = nullptr;
    uint32_t loadedFaces = 0;
    uint32_t loadedVertices = 0;
    uint32_t attachedFaces = 0;
    uint32_t attachedVertices = 0;
    uint32_t liveMaterials = 0;
    // The scene's shared images and open material libraries, made on first
    // use by the scene layer, which frees them through releaseSceneTables.
    WorldImageTable* worldImages = nullptr;
    MaterialLibraryTable* materialLibraries = nullptr;
    static void (*releaseSceneTables)(WorldContext& context);
};

extern WorldContext* g_worldContext;
