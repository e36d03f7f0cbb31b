// The palettes loaded by name from "palettes.iff": the cache that keeps
// them, and the dump of one palette's tables.
#include <cstring>
#include <string>

#include "display/Palette.h"
#include "display/PixelFormat.h"
#include "engine/FileWrappers.h"
#include "engine/IffFile.h"
#include "game/DataDirectories.h"
#include "game/GameState.h"
#include "game/VornForm.h"

namespace {

constexpr uint32_t kPaletteForm = MakeTag("PALT");
constexpr uint32_t kInfoChunk = MakeTag("INFO");

// True when the "PALT" form just entered names this palette. A form without
// "INFO", or with one larger than a cache entry's name, does not.
bool InfoMatches(IffFile& iff, const char* name) {
    if (iff.FindChunk(kInfoChunk) != kStatusOk || iff.ChunkSize() > PaletteCacheEntry::kNameBytes) {
        return false;
    }
    char info[PaletteCacheEntry::kNameBytes + 1] = {};
    if (iff.ChunkSize() != 0 && iff.ReadChunk(info, PaletteCacheEntry::kNameBytes) != kStatusOk) {
        return false;
    }
    return std::strcmp(info, name) == 0;
}

bool WriteAll(platform::FileHandle file, const void* data, uint32_t bytes) {
    return FileWrite(file, data, bytes) == static_cast<int32_t>(bytes);
}

}  // namespace

PaletteCacheEntry::~PaletteCacheEntry() { delete palette; }

Palette* GameState::LoadPalette(const char* name, bool reload) {
    // A cache entry could not hold a longer name, and no "INFO" chunk can either.
    if (name == nullptr || std::strlen(name) >= PaletteCacheEntry::kNameBytes) {
        return nullptr;
    }
    const int32_t cached = FindCachedPalette(name);
    if (cached >= 0) {
        PaletteCacheEntry* const entry = paletteCache_[cached];
        if (!reload) {
            return entry->palette;
        }
        paletteCache_.RemoveAt(cached);
        delete entry;
    }
    return ReadPalette(name);
}

int32_t GameState::FindCachedPalette(const char* name) const {
    for (int32_t i = 0; i <= paletteCache_.LastIndex(); ++i) {
        if (std::strcmp(paletteCache_[i]->name, name) == 0) {
            return i;
        }
    }
    return -1;
}

Palette* GameState::ReadPalette(const char* name) {
    const std::string path = g_dataDirs.Prefix(DataDir::kData) + kPaletteFile;
    IffFile iff(0);
    Palette* palette = nullptr;
    if (iff.OpenFile(path.c_str(), kOpenGameData) == kStatusOk) {
        palette = ReadPaletteFrom(iff, name);
    }
    iff.CloseFile();
    return palette;
}

Palette* GameState::ReadPaletteFrom(IffFile& iff, const char* name) {
    if (iff.FindForm(kVornForm) != kStatusOk || iff.Descend() != kStatusOk) {
        return nullptr;
    }
    for (;;) {
        if (iff.FindForm(kPaletteForm) != kStatusOk || iff.Descend() != kStatusOk) {
            return nullptr;
        }
        if (InfoMatches(iff, name)) {
            break;
        }
        if (iff.Ascend() != kStatusOk) {
            return nullptr;
        }
    }
    // The form's first "VPAL" is the palette, whether it stands before the
    // name or after it.
    if (iff.Rewind(0) != kStatusOk) {
        return nullptr;
    }

    PaletteCacheEntry* const entry = new PaletteCacheEntry;
    if (entry == nullptr) {
        return nullptr;
    }
    std::strncpy(entry->name, name, PaletteCacheEntry::kNameBytes - 1);
    entry->palette = Palette::Create(g_pixelFormat);
    if (entry->palette == nullptr || entry->palette->LoadFromIff(iff) != kStatusOk ||
        !paletteCache_.Append(entry)) {
        delete entry;
        return nullptr;
    }
    return entry->palette;
}

PaletteCacheEntry* GameState::FindPaletteEntry(const Palette* palette) const {
    if (palette == nullptr) {
        return nullptr;
    }
    for (PaletteCacheEntry* entry : paletteCache_) {
        if (entry->palette == palette) {
            return entry;
        }
    }
    return nullptr;
}

Status GameState::DumpPaletteTables(const Palette* palette, const char* path) const {
    const ShadeTable* const shades = palette != nullptr ? palette->Shades() : nullptr;
    if (shades == nullptr || shades->rows == nullptr || shades->shift > Palette::kShadeShift) {
        return kStatusNothingToDo;
    }
    const uint32_t entryBytes = palette->IsIndexed8() ? 1 : 2;
    const uint32_t shadeBytes = (uint32_t{Palette::kColorCount} << shades->shift) * entryBytes;

    const platform::FileHandle file = FileOpen(path, kOpenWrite | kOpenCreate);
    if (file == platform::kNoFile) {
        const Status error = FileLastError();
        return error != kStatusOk ? error : kStatusCannotOpen;
    }
    const bool written = WriteAll(file, palette->Conversion().index, InverseColorTable::kSize) &&
                         WriteAll(file, shades->rows, shadeBytes) &&
                         WriteAll(file, palette->Colors(), Palette::kColorCount * sizeof(PaletteColor));
    const uint32_t closed = FileClose(file);
    if (!written) {
        return kStatusShortWrite;
    }
    return closed;
}
