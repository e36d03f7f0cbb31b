#include "scene/MaterialLibrary.h"

#include <cstring>
#include <new>

#include "engine/FileWrappers.h"
#include "engine/IffFile.h"
#include "engine/IffWalk.h"
#include "engine/WorldContext.h"
#include "scene/AnimatedMaterial.h"
#include "scene/Material.h"
#include "scene/MaterialForm.h"
#include "scene/WorldImageTable.h"

namespace {

constexpr uint32_t kReadSharing = 0x20000000 | kOpenRead;
constexpr uint32_t kNameBytes = Material::kNameLength + 1;

void CloseEntry(MaterialLibraryEntry& entry) {
    delete entry.file;
    entry.file = nullptr;
    EngineRelease(entry.names);
    entry.names = nullptr;
    entry.formCount = 0;
}

MaterialLibraryEntry* TakeEntry(MaterialLibraryTable& table) {
    for (uint32_t i = 0; i < table.used; ++i) {
        if (table.entries[i].file == nullptr) return &table.entries[i];
    }
    if (table.used == table.capacity) {
        const uint32_t capacity = table.capacity == 0 ? MaterialLibraryTable::kFirstCapacity : table.capacity * 2;
        auto* const grown = static_cast<MaterialLibraryEntry*>(EngineAllocate(sizeof(MaterialLibraryEntry) * capacity));
        if (grown == nullptr) return nullptr;
        for (uint32_t i = 0; i < capacity; ++i) ::new (&grown[i]) MaterialLibraryEntry{};
        if (table.used > 0) {
            std::memcpy(static_cast<void*>(grown), table.entries, sizeof(MaterialLibraryEntry) * table.used);
        }
        EngineRelease(table.entries);
        table.entries = grown;
        table.capacity = capacity;
    }
    return &table.entries[table.used++];
}

// One walk over every level: material forms go to `visit` (which may enter
// them, but leaves the reader at the same level) and are not entered here;
// scene, mesh and terrain forms are. kStatusOk at the end of the top level
// or once `visit` says stop; kStatusMaterialReadFailed when the walk cannot
// go on (a failed step leaves the reader where it was), or `visit`'s failure.
template <typename Visit>
Status WalkMaterialForms(IffFile& iff, Visit visit) {
    Status visited = kStatusOk;
    const Status walked = iff_walk::Walk(iff, [&](IffFile& at) {
        if (IsMaterialForm(at, true)) {
            bool stop = false;
            visited = visit(&stop);
            return visited != kStatusOk || stop ? iff_walk::Choice::kStop : iff_walk::Choice::kPass;
        }
        return IsMaterialContainer(at) ? iff_walk::Choice::kEnter : iff_walk::Choice::kPass;
    });
    if (walked == kStatusCannotOpen) return kStatusMaterialReadFailed;
    return visited;
}

Status ScanLibrary(MaterialLibraryEntry& entry) {
    IffFile& iff = *entry.file;
    Status status = WalkMaterialForms(iff, [&](bool*) {
        ++entry.formCount;
        return kStatusOk;
    });
    if (status != kStatusOk) return status;
    if (entry.formCount == 0) return kStatusMaterialNotFound;
    if (iff.Rewind(0) != kStatusOk) return kStatusMaterialReadFailed;
    entry.names = static_cast<char*>(EngineAllocate(size_t(entry.formCount) * kNameBytes));
    if (entry.names == nullptr) return kStatusMaterialNoMemory;
    std::memset(entry.names, 0, size_t(entry.formCount) * kNameBytes);

    uint32_t named = 0;
    status = WalkMaterialForms(iff, [&](bool* stop) {
        if (iff.Descend() != kStatusOk) return kStatusMaterialReadFailed;
        MaterialHeader header;
        const Status read = ReadMaterialHeader(iff, nullptr, &header);
        if (read != kStatusOk) return LeaveForm(iff, read);
        std::memcpy(entry.names + size_t(named) * kNameBytes, header.name, Material::kNameLength);
        ++named;
        *stop = named == entry.formCount;
        return LeaveForm(iff, kStatusOk);
    });
    if (status != kStatusOk) return status;
    if (named < entry.formCount) return kStatusMaterialFewerNames;
    return iff.Rewind(0) == kStatusOk ? kStatusOk : kStatusMaterialReadFailed;
}

}  // namespace

Status RegisterMaterialLibrary(const char* path) {
    if (g_worldContext == nullptr || path == nullptr) return kStatusMaterialNoMemory;
    if (g_worldContext->materialLibraries == nullptr) {
        g_worldContext->materialLibraries = new (std::nothrow) MaterialLibraryTable;
        if (g_worldContext->materialLibraries == nullptr) return kStatusMaterialNoMemory;
        WorldContext::releaseSceneTables = &ReleaseSceneTables;
    }
    MaterialLibraryEntry* const entry = TakeEntry(*g_worldContext->materialLibraries);
    if (entry == nullptr) return kStatusMaterialNoMemory;
    std::memset(entry->path, 0, sizeof entry->path);
    std::strncpy(entry->path, path, MaterialLibraryEntry::kPathLength);
    entry->firstWord = 0;
    entry->formCount = 0;
    entry->file = new IffFile(0);
    if (entry->file == nullptr) return kStatusMaterialNoMemory;
    if (entry->file->OpenFile(entry->path, kReadSharing) != kStatusOk) {
        CloseEntry(*entry);
        return kStatusMaterialReadFailed;
    }
    const Status status = ScanLibrary(*entry);
    if (status != kStatusOk) CloseEntry(*entry);
    return status;
}

Material* LoadLibraryMaterial(const char* name, Palette* palette, uint32_t readFlags) {
    MaterialLibraryTable* const table = g_worldContext != nullptr ? g_worldContext->materialLibraries : nullptr;
    if (table == nullptr || name == nullptr) return nullptr;
    for (uint32_t i = 0; i < table->used; ++i) {
        MaterialLibraryEntry& entry = table->entries[i];
        if (entry.file == nullptr) continue;
        for (uint32_t k = 0; k < entry.formCount; ++k) {
            if (std::strncmp(entry.names + size_t(k) * kNameBytes, name, Material::kNameLength) != 0) continue;
            IffFile& iff = *entry.file;
            Material* found = nullptr;
            uint32_t position = 0;
            WalkMaterialForms(iff, [&](bool* stop) {
                if (position++ != k) return kStatusOk;
                *stop = true;
                Material* const material = (readFlags & 0x2) != 0 && IsMaterialForm(iff, false)
                                               ? static_cast<Material*>(new AnimatedMaterial)
                                               : static_cast<Material*>(new BitmapMaterial);
                if (material == nullptr) return kStatusMaterialNoMemory;
                if (material->ReadForm(iff, name, readFlags, palette) == kStatusOk) {
                    found = material;
                } else {
                    delete material;
                }
                return kStatusOk;
            });
            // Ready for the next search, whatever happened.
            while (iff.Level() > 0 && iff.Ascend() == kStatusOk) {
            }
            iff.Rewind(0);
            return found;
        }
    }
    return nullptr;
}

void ReleaseMaterialLibraries(WorldContext& context) {
    MaterialLibraryTable* const table = context.materialLibraries;
    if (table == nullptr) return;
    for (uint32_t i = 0; i < table->used; ++i) CloseEntry(table->entries[i]);
    EngineRelease(table->entries);
    delete table;
    context.materialLibraries = nullptr;
}
