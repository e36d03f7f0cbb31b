#pragma once
#include <cstdint>

#include "engine/Status.h"

class IffFile;
class Palette;

// Reads and writes a palette as FORM "VPAL":
//   "name"            at most 16 bytes, zero-terminated
//   FORM "shdP"       "HDR " (16 bytes: version 1, levels, shift, pivot level)
//                     and 256 "shdL" rows of `levels` palette indices
//   "hwdP"            the 256 colours, 1024 bytes
//   "cnvt"            the 32768-byte conversion table and a word kept at 0
// Integers are little-endian u32. Only 8-bit palettes keep their rows in the
// file; the 16-bit kinds skip them on reading, build their rows from the
// colours, and write nothing.
class PaletteLoader {
public:
    static constexpr uint32_t kNameBytes = 16;
    static constexpr uint32_t kVersion = 1;
    static constexpr char kDefaultName[] = "Default";

    // The palette must outlive the loader. The name starts as "Default".
    explicit PaletteLoader(Palette& palette);

    // Under the name "Default" the next "VPAL" form is taken; under any other
    // name the next one of that name (case-sensitive), passing over others.
    // The whole form is read and checked before anything reaches the palette:
    // on failure the palette and the name are untouched and the chunk file is
    // back at the level it was at. Malformed chunks give
    // kStatusIffChunkNotFound; the rest are the chunk file's own failures.
    Status Read(IffFile& iff);
    // Opens the file for reading, reads, closes; the first failure wins.
    Status ReadFile(const char* path);
    // Appends the form at the chunk file's current level. 8-bit palettes only:
    // the others return kStatusOk and write nothing. kStatusNothingToDo
    // without a shade table, kStatusMalformed for a table whose rows do not
    // fit 256 x 32 entries.
    Status Write(IffFile& iff) const;
    // Creates the file, writes, closes; the first failure wins.
    Status WriteFile(const char* path) const;

    const char* Name() const { return name_; }
    // Keeps the first 16 characters.
    void SetName(const char* name);

private:
    // Everything one form holds, read and checked before it is committed.
    struct Image;

    Status ReadForm(IffFile& iff, Image& image) const;
    Status WriteForm(IffFile& iff) const;
    // Nothing here fails once the palette has its shade table.
    Status Commit(const Image& image);

    Palette& palette_;
    char name_[kNameBytes + 1];
};
