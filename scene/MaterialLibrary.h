#pragma once
#include <cstdint>

#include "engine/Status.h"

class IffFile;
class Material;
class Palette;
class WorldContext;

// A chunk file kept open with the names of the material forms it holds, so
// that materials can be found by name without reading the file again.
struct MaterialLibraryEntry {
    static constexpr int kPathLength = 260;
    uint32_t firstWord = 0;
    IffFile* file = nullptr;        // null: a free entry
    uint32_t formCount = 0;
    char* names = nullptr;          // formCount names of 17 bytes each, in file order
    char path[kPathLength + 1] = {};
};

struct MaterialLibraryTable {
    static constexpr uint32_t kFirstCapacity = 4;
    MaterialLibraryEntry* entries = nullptr;
    uint32_t used = 0;
    uint32_t capacity = 0;
};

// Opens the file and names its FORM "EMTL" and "EMT1" forms, wherever they
// stand in FORM "ESEN", "EMSH" and "ETER": kStatusOk, or
// kStatusMaterialNoMemory (2), kStatusMaterialReadFailed (10: no file, no
// valid header, or a walk that cannot go on), kStatusMaterialNotFound (11:
// no material form), kStatusMaterialBadData (12: a form without a 48-byte
// "MHDR") or kStatusMaterialFewerNames (17).
Status RegisterMaterialLibrary(const char* path);

// A new material read from the registered libraries, found by its
// 16-character name (the first library and form that carry it); an
// animated one for a FORM "EMT1" when readFlags has 0x2. Null when none
// holds it or its read fails. The library is left rewound either way.
Material* LoadLibraryMaterial(const char* name, Palette* palette, uint32_t readFlags);

// The chunk files and name tables of the world context's libraries.
void ReleaseMaterialLibraries(WorldContext& context);
