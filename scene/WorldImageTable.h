#pragma once
#include <cstdint>

#include "engine/Status.h"

class Material;
class PixelImage;
class WorldContext;

// Images that several materials share, registered once under a 16-character
// name in the world context and counted by reference: single bitmaps
// (kind 0x100) and animation frame sets (kind 0x200), each a block of image
// records followed by their pixels.
struct WorldImageEntry {
    PixelImage* data = nullptr;   // null: a free entry
    uint32_t references = 0;
    uint32_t flags = 0;           // the registering caller's, bits 0, 16 and 17 cleared
    uint16_t kind = 0;
    uint16_t width = 0;
    uint16_t height = 0;
    uint16_t frameCount = 0;
    char* name = nullptr;         // 17 bytes: 16 characters and a terminator
};

struct WorldImageTable {
    static constexpr uint32_t kFirstCapacity = 64;
    WorldImageEntry* entries = nullptr;
    uint32_t used = 0;
    uint32_t capacity = 0;
};

// kStatusOk, or kStatusMaterialNoMemory (2) with the table as it was. When
// `nameSlot` holds a name pointer it is pointed at the table's copy.
Status RegisterWorldImage(const char* name, PixelImage* data, uint16_t kind, uint32_t flags, uint16_t width,
                          uint16_t height, uint16_t frameCount, const char** nameSlot, bool referenced);
// A new material over the entry of that name (its first 16 characters),
// holding a reference; null when there is none or memory is short.
Material* FindWorldMaterial(const char* name);
// Gives back one reference; at the last the image goes. 1 when an entry held
// the data, 0 when none does (also once the world context let the table go).
int32_t ReleaseWorldImage(const PixelImage* data);
// One more reference for a material that copies another; false when no
// entry holds the data.
bool AddWorldImageReference(const PixelImage* data);

// Frees both scene tables of a world context; the context calls it from
// its release once the scene layer has made a table.
void ReleaseSceneTables(WorldContext& context);
