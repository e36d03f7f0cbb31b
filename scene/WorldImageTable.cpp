#include "scene/WorldImageTable.h"

#include <cstring>
#include <new>

#include "display/PixelImage.h"
#include "engine/WorldContext.h"
#include "scene/AnimatedMaterial.h"
#include "scene/Material.h"
#include "scene/MaterialForm.h"
#include "scene/MaterialLibrary.h"

namespace {

constexpr uint32_t kClearedFlags = Material::kFlagLocked | Material::kFlagOwnsMemory | Material::kFlagWorldImage;

WorldImageTable* Table() { return g_worldContext != nullptr ? g_worldContext->worldImages : nullptr; }

WorldImageEntry* EntryHolding(const PixelImage* data) {
    WorldImageTable* const table = Table();
    if (table == nullptr || data == nullptr) return nullptr;
    for (uint32_t i = 0; i < table->used; ++i) {
        if (table->entries[i].data == data) return &table->entries[i];
    }
    return nullptr;
}

void FreeEntry(WorldImageEntry& entry) {
    FreeImageBlock(entry.data, entry.frameCount > 0 ? entry.frameCount : 1);
    EngineRelease(entry.name);
    entry = WorldImageEntry{};
}

// A free entry among the used ones, else the next one, doubling the array
// when it is full; null (and the table as it was) when memory is short.
WorldImageEntry* TakeEntry(WorldImageTable& table) {
    for (uint32_t i = 0; i < table.used; ++i) {
        if (table.entries[i].data == nullptr) return &table.entries[i];
    }
    if (table.used == table.capacity) {
        const uint32_t capacity = table.capacity == 0 ? WorldImageTable::kFirstCapacity : table.capacity * 2;
        auto* const grown = static_cast<WorldImageEntry*>(EngineAllocate(sizeof(WorldImageEntry) * capacity));
        if (grown == nullptr) return nullptr;
        for (uint32_t i = 0; i < capacity; ++i) ::new (&grown[i]) WorldImageEntry{};
        if (table.used > 0) std::memcpy(static_cast<void*>(grown), table.entries, sizeof(WorldImageEntry) * table.used);
        EngineRelease(table.entries);
        table.entries = grown;
        table.capacity = capacity;
    }
    return &table.entries[table.used++];
}

}  // namespace

void ReleaseSceneTables(WorldContext& context) {
    if (WorldImageTable* const table = context.worldImages) {
        for (uint32_t i = 0; i < table->used; ++i) {
            if (table->entries[i].data != nullptr) FreeEntry(table->entries[i]);
        }
        EngineRelease(table->entries);
        delete table;
        context.worldImages = nullptr;
    }
    ReleaseMaterialLibraries(context);
}

Status RegisterWorldImage(const char* name, PixelImage* data, uint16_t kind, uint32_t flags, uint16_t width,
                          uint16_t height, uint16_t frameCount, const char** nameSlot, bool referenced) {
    if (g_worldContext == nullptr || data == nullptr) return kStatusMaterialNoMemory;
    if (g_worldContext->worldImages == nullptr) {
        g_worldContext->worldImages = new (std::nothrow) WorldImageTable;
        if (g_worldContext->worldImages == nullptr) return kStatusMaterialNoMemory;
        WorldContext::releaseSceneTables = &ReleaseSceneTables;
    }
    char* const copy = CopyMaterialName(name != nullptr ? name : Material::kNoName);
    if (copy == nullptr) return kStatusMaterialNoMemory;
    WorldImageEntry* const entry = TakeEntry(*g_worldContext->worldImages);
    if (entry == nullptr) {
        EngineRelease(copy);
        return kStatusMaterialNoMemory;
    }
    *entry = WorldImageEntry{data, referenced ? 1u : 0u, flags & ~kClearedFlags, kind, width, height, frameCount, copy};
    if (nameSlot != nullptr && *nameSlot != nullptr) *nameSlot = copy;
    return kStatusOk;
}

Material* FindWorldMaterial(const char* name) {
    WorldImageTable* const table = Table();
    if (table == nullptr || name == nullptr) return nullptr;
    for (uint32_t i = 0; i < table->used; ++i) {
        WorldImageEntry& entry = table->entries[i];
        if (entry.data == nullptr || std::strncmp(entry.name, name, Material::kNameLength) != 0) continue;
        Material* material = nullptr;
        if (entry.kind == Material::kKindBitmap) {
            material = new BitmapMaterial(entry.data);
        } else if (entry.kind == Material::kKindAnimated) {
            material = new AnimatedMaterial(entry.data, entry.frameCount, entry.width, entry.height);
        }
        if (material == nullptr) return nullptr;
        material->flags |= entry.flags | Material::kFlagWorldImage;
        material->name = entry.name;
        ++entry.references;
        return material;
    }
    return nullptr;
}

int32_t ReleaseWorldImage(const PixelImage* data) {
    WorldImageEntry* const entry = EntryHolding(data);
    if (entry == nullptr) return 0;
    if (entry->references > 0) --entry->references;
    if (entry->references > 0) return 1;
    FreeEntry(*entry);
    return 1;
}

bool AddWorldImageReference(const PixelImage* data) {
    WorldImageEntry* const entry = EntryHolding(data);
    if (entry == nullptr) return false;
    ++entry->references;
    return true;
}
