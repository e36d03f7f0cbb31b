#pragma once
#include <cstdint>

#include "engine/EngineAllocation.h"
#include "engine/Status.h"
#include "shell/DynArray.h"

class IffFile;
class Palette;

// A palette loaded by name. The entry owns the palette.
struct PaletteCacheEntry : EngineObject {
    static constexpr uint32_t kNameBytes = 16;

    PaletteCacheEntry() = default;
    ~PaletteCacheEntry();
    PaletteCacheEntry(const PaletteCacheEntry&) = delete;
    PaletteCacheEntry& operator=(const PaletteCacheEntry&) = delete;

    char name[kNameBytes] = {};   // zero-terminated, so at most 15 characters
    Palette* palette = nullptr;
};

// The one game object.
class GameState : public EngineObject {
public:
    // In the first data directory.
    static constexpr const char* kPaletteFile = "palettes.iff";

    GameState() = default;
    ~GameState();
    GameState(const GameState&) = delete;
    GameState& operator=(const GameState&) = delete;

    // Palettes by name. Repeated requests give the same object; `reload`
    // drops a cached one and reads it again, in the kind of the pixel format
    // now in force (callers holding the old pointer must let it go). Null
    // for a null name, a name the file does not hold, or a palette that
    // cannot be read; failures are not cached, so the next request tries the
    // file again.
    Palette* LoadPalette(const char* name, bool reload = false);
    // The cache entry that holds this palette, or null.
    PaletteCacheEntry* FindPaletteEntry(const Palette* palette) const;
    // Writes the palette's conversion table, its shade rows and its 256
    // colours, each at its real size, to a new file. kStatusNothingToDo for
    // a null palette or one without a shade table (nothing is written).
    Status DumpPaletteTables(const Palette* palette, const char* path) const;

    // Entries in the order they were loaded.
    const DynArray<PaletteCacheEntry*>& PaletteCache() const { return paletteCache_; }

private:
    // Index of the cached entry of that name, or -1.
    int32_t FindCachedPalette(const char* name) const;
    // Reads the palette from the file and appends it to the cache.
    Palette* ReadPalette(const char* name);
    // With the file open: walks to the named "PALT" form and reads it.
    Palette* ReadPaletteFrom(IffFile& iff, const char* name);

    DynArray<PaletteCacheEntry*> paletteCache_;
};
