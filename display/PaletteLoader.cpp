#include "display/PaletteLoader.h"

#include <algorithm>
#include <cstring>

#include "display/Palette.h"
#include "engine/ByteOrder.h"
#include "engine/EngineAllocation.h"
#include "engine/FileWrappers.h"
#include "engine/IffFile.h"
#include "engine/ScopedEngineBlock.h"

namespace {

constexpr uint32_t kVpalForm = MakeTag("VPAL");
constexpr uint32_t kNameChunk = MakeTag("name");
constexpr uint32_t kShadeForm = MakeTag("shdP");
constexpr uint32_t kHeaderChunk = MakeTag("HDR ");
constexpr uint32_t kRowChunk = MakeTag("shdL");
constexpr uint32_t kColorChunk = MakeTag("hwdP");
constexpr uint32_t kConversionChunk = MakeTag("cnvt");

constexpr uint32_t kHeaderBytes = 16;
constexpr uint32_t kColorBytes = Palette::kColorCount * 4;
constexpr uint32_t kIndexBytes = InverseColorTable::kSize;
// The index table and a word that held a memory address in old files: it is
// written as 0 and never read back.
constexpr uint32_t kConversionBytes = kIndexBytes + 4;

// A malformed chunk is reported as the chunk-file's "not found".
constexpr Status kStatusBadChunk = kStatusIffChunkNotFound;

// The lowest pivot: a ramp needs entries below its colour to fall through.
constexpr uint32_t kMinPivot = 16;

// Rows of `levels` entries at colour << shift, each inside its own stride
// and all inside the 256 x 32 table.
bool RowsFit(uint32_t levels, uint32_t shift) {
    return shift >= 1 && shift <= Palette::kShadeShift && levels >= 1 && levels <= (1u << shift);
}

// The pivot of the table from the pivot level of the file: one entry below
// the level's own, pre-shifted. 0 marks a level that the table cannot take:
// a pivot below kMinPivot, or an entry past the row's stride.
uint32_t PivotFromLevel(uint32_t level, uint32_t shift) {
    const uint32_t entry = level >> (8 - shift);
    if (entry == 0 || entry - 1 >= (1u << shift)) {
        return 0;
    }
    const uint32_t pivot = (entry - 1) << (8 - shift);
    return pivot >= kMinPivot ? pivot : 0;
}

// The pivot level that reads back as `pivot`, so that a palette written and
// read again keeps its pivot.
uint32_t LevelFromPivot(uint32_t pivot, uint32_t shift) { return pivot + (1u << (8 - shift)); }

// Reads a chunk that must be exactly `bytes` long.
Status ReadExact(IffFile& iff, uint32_t id, void* buffer, uint32_t bytes) {
    const Status found = iff.FindChunk(id);
    if (found != kStatusOk) {
        return found;
    }
    if (iff.ChunkSize() != bytes) {
        return kStatusBadChunk;
    }
    return iff.ReadChunk(buffer, bytes);
}

}  // namespace

struct PaletteLoader::Image : EngineObject {
    char name[kNameBytes + 1];
    uint32_t levels;
    uint32_t shift;
    uint32_t pivot;
    uint8_t rows[Palette::kShadeEntries];   // the 8-bit kind's rows, at colour << shift
    PaletteColor colors[Palette::kColorCount];
    uint8_t chunk[kConversionBytes];        // "hwdP" and "cnvt" as read
    uint8_t index[kIndexBytes];
};

PaletteLoader::PaletteLoader(Palette& palette) : palette_(palette) { SetName(kDefaultName); }

void PaletteLoader::SetName(const char* name) {
    std::memset(name_, 0, sizeof name_);
    if (name != nullptr) {
        std::strncpy(name_, name, kNameBytes);
    }
}

Status PaletteLoader::Read(IffFile& iff) {
    Image* const image = new Image;
    if (image == nullptr) {
        return kStatusOutOfMemory;
    }
    const uint32_t startLevel = iff.Level();
    Status status = ReadForm(iff, *image);
    if (status == kStatusOk) {
        status = Commit(*image);
    }
    // A failure may leave the walk inside the form; the caller goes on from
    // where it called. An ascend that fails keeps its level: stop there.
    while (iff.Level() > startLevel && iff.Ascend() == kStatusOk) {
    }
    delete image;
    return status;
}

Status PaletteLoader::ReadForm(IffFile& iff, Image& image) const {
    Status status;
    for (;;) {
        if ((status = iff.FindForm(kVpalForm)) != kStatusOk || (status = iff.Descend()) != kStatusOk ||
            (status = iff.FindChunk(kNameChunk)) != kStatusOk) {
            return status;
        }
        if (iff.ChunkSize() > kNameBytes) {
            return kStatusBadChunk;
        }
        std::memset(image.name, 0, sizeof image.name);
        if (iff.ChunkSize() != 0 && (status = iff.ReadChunk(image.name, kNameBytes)) != kStatusOk) {
            return status;
        }
        if (std::strcmp(name_, kDefaultName) == 0 || std::strncmp(name_, image.name, kNameBytes) == 0) {
            break;
        }
        if ((status = iff.Ascend()) != kStatusOk) {
            return status;
        }
    }

    if ((status = iff.FindForm(kShadeForm)) != kStatusOk || (status = iff.Descend()) != kStatusOk) {
        return status;
    }
    uint8_t header[kHeaderBytes];
    if ((status = ReadExact(iff, kHeaderChunk, header, kHeaderBytes)) != kStatusOk) {
        return status;
    }
    image.levels = LoadLe32(header + 4);
    image.shift = LoadLe32(header + 8);
    // Everything that later indexes the table by these numbers relies on
    // this check: rows, pivot entry and ramps.
    if (LoadLe32(header) != kVersion || !RowsFit(image.levels, image.shift)) {
        return kStatusBadChunk;
    }
    image.pivot = PivotFromLevel(LoadLe32(header + 12), image.shift);
    if (image.pivot == 0) {
        return kStatusBadChunk;
    }
    if (palette_.IsIndexed8()) {
        for (uint32_t i = 0; i < uint32_t(Palette::kColorCount); ++i) {
            uint8_t* const row = image.rows + (i << image.shift);
            if ((status = ReadExact(iff, kRowChunk, row, image.levels)) != kStatusOk) {
                return status;
            }
        }
    }
    if ((status = iff.Ascend()) != kStatusOk) {
        return status;
    }

    if ((status = ReadExact(iff, kColorChunk, image.chunk, kColorBytes)) != kStatusOk) {
        return status;
    }
    for (int i = 0; i < Palette::kColorCount; ++i) {
        const uint8_t* const bytes = image.chunk + 4 * i;
        image.colors[i] = PaletteColor{bytes[0], bytes[1], bytes[2], bytes[3]};
    }
    if ((status = ReadExact(iff, kConversionChunk, image.chunk, kConversionBytes)) != kStatusOk) {
        return status;
    }
    std::memcpy(image.index, image.chunk, kIndexBytes);
    return iff.Ascend();
}

Status PaletteLoader::Commit(const Image& image) {
    if (palette_.shades_ == nullptr) {
        const Status status = palette_.SetTables(0, nullptr, nullptr);
        if (status != kStatusOk) {
            return status;
        }
    }
    ShadeTable& shades = *palette_.shades_;
    shades.levels = image.levels;
    shades.shift = image.shift;
    shades.pivot = image.pivot;
    if (palette_.IsIndexed8()) {
        for (uint32_t i = 0; i < uint32_t(Palette::kColorCount); ++i) {
            std::memcpy(shades.Row8(i), image.rows + (i << image.shift), image.levels);
        }
    }
    // Once per read, on the colours as stored: a second read starts again
    // from the file.
    std::copy_n(image.colors, Palette::kColorCount, palette_.colors_);
    ApplyGammaToPalette(palette_.colors_, Palette::kColorCount);
    std::memcpy(palette_.conversion_.index, image.index, kIndexBytes);
    palette_.conversion_.Init(reinterpret_cast<const uint8_t*>(palette_.colors_), 0);
    palette_.RebuildShades();
    std::memcpy(name_, image.name, kNameBytes);
    name_[kNameBytes] = '\0';
    return kStatusOk;
}

Status PaletteLoader::ReadFile(const char* path) {
    IffFile iff(0);
    Status status = iff.OpenFile(path, kOpenRead);
    if (status == kStatusOk) {
        status = Read(iff);
    }
    const Status closed = iff.CloseFile();
    return status != kStatusOk ? status : closed;
}

Status PaletteLoader::Write(IffFile& iff) const {
    if (!palette_.IsIndexed8()) {
        return kStatusOk;
    }
    const ShadeTable* const shades = palette_.Shades();
    if (shades == nullptr || shades->rows == nullptr) {
        return kStatusNothingToDo;
    }
    if (!RowsFit(shades->levels, shades->shift)) {
        return kStatusMalformed;
    }
    const uint32_t startLevel = iff.Level();
    const Status status = WriteForm(iff);
    while (iff.Level() > startLevel && iff.Ascend() == kStatusOk) {
    }
    return status;
}

Status PaletteLoader::WriteForm(IffFile& iff) const {
    const ShadeTable& shades = *palette_.Shades();
    const ScopedEngineBlock conversion(kConversionBytes);
    if (conversion.Get() == nullptr) {
        return kStatusOutOfMemory;
    }
    uint8_t name[kNameBytes];
    std::memcpy(name, name_, kNameBytes);
    uint8_t header[kHeaderBytes];
    StoreLe32(header, kVersion);
    StoreLe32(header + 4, shades.levels);
    StoreLe32(header + 8, shades.shift);
    StoreLe32(header + 12, LevelFromPivot(shades.pivot, shades.shift));

    Status status;
    if ((status = iff.BeginForm(kVpalForm)) != kStatusOk ||
        (status = iff.WriteChunk(kNameChunk, name, kNameBytes)) != kStatusOk ||
        (status = iff.BeginForm(kShadeForm)) != kStatusOk ||
        (status = iff.WriteChunk(kHeaderChunk, header, kHeaderBytes)) != kStatusOk) {
        return status;
    }
    for (uint32_t i = 0; i < uint32_t(Palette::kColorCount); ++i) {
        if ((status = iff.WriteChunk(kRowChunk, shades.Row8(i), shades.levels)) != kStatusOk) {
            return status;
        }
    }
    if ((status = iff.Ascend()) != kStatusOk) {
        return status;
    }

    // The colours go through the same block before the table takes it over.
    uint8_t* const bytes = conversion.Get();
    const PaletteColor* const colors = palette_.Colors();
    for (int i = 0; i < Palette::kColorCount; ++i) {
        bytes[4 * i] = colors[i].red;
        bytes[4 * i + 1] = colors[i].green;
        bytes[4 * i + 2] = colors[i].blue;
        bytes[4 * i + 3] = colors[i].spare;
    }
    if ((status = iff.WriteChunk(kColorChunk, bytes, kColorBytes)) != kStatusOk) {
        return status;
    }
    std::memcpy(bytes, palette_.Conversion().index, kIndexBytes);
    StoreLe32(bytes + kIndexBytes, 0);
    if ((status = iff.WriteChunk(kConversionChunk, bytes, kConversionBytes)) != kStatusOk) {
        return status;
    }
    return iff.Ascend();
}

Status PaletteLoader::WriteFile(const char* path) const {
    if (!palette_.IsIndexed8()) {
        return kStatusOk;
    }
    IffFile iff(0);
    Status status = iff.OpenFile(path, kOpenWrite | kOpenCreate);
    if (status == kStatusOk) {
        status = Write(iff);
    }
    const Status closed = iff.CloseFile();
    return status != kStatusOk ? status : closed;
}
