#pragma once
#include <cstdint>

#include "engine/EngineAllocation.h"

class D3DHalDriver;
class Texture;

// One texture's entry in the texture manager's lists.
struct TextureNode : public EngineObject {
    static constexpr uint32_t kEvicted = 0x1;
    static constexpr uint32_t kResident = 0x2;
    uint32_t flags = 0;
    Texture* texture = nullptr;
    TextureNode* next = nullptr;
    TextureNode* previous = nullptr;
};

// The 3D driver's share-out of texture memory: the textures holding a
// surface (resident) and those whose surface was taken (evicted), each list
// oldest first. Kept in ColorTables::textureManagers[0].
class TextureManager : public EngineObject {
public:
    explicit TextureManager(D3DHalDriver* owner) : driver(owner) {}

    // Takes the node off whichever of this manager's lists holds it.
    void Remove(TextureNode* node);
    // Moves the node to the tail of the resident or the evicted list.
    void Append(TextureNode* node, bool resident);

    D3DHalDriver* driver;
    TextureNode* residentHead = nullptr;
    TextureNode* residentTail = nullptr;
    TextureNode* evictedHead = nullptr;
    TextureNode* evictedTail = nullptr;
};

// Takes the node off the lists of every texture manager of the colour tables.
void RemoveFromEveryManager(TextureNode* node);
