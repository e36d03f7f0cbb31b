#pragma once
#include <cstdint>

#include "engine/Status.h"

class IffFile;
class Palette;
class PixelImage;

// The pieces both material kinds read a FORM "EMTL" or "EMT1" with, and the
// image blocks they keep: `frames` PixelImage records, then the pixels of
// every frame one after the other.

inline constexpr uint32_t kMaterialHeaderBytes = 48;

struct MaterialHeader {
    char name[17] = {};      // 16 bytes from the file, always terminated
    uint16_t width = 0;
    uint16_t height = 0;
    uint16_t frameCount = 0;
    uint8_t format = 0;      // 1 indexed, 2 indexed with transparency, 3 RGB, 4 RGBA
    uint8_t encoding = 0;    // 0 raw, 1 run-length
    uint32_t flags = 0;      // ORed into the material's flags
};

// True when the current chunk is a FORM of type "EMTL" (when accepted) or "EMT1".
bool IsMaterialForm(const IffFile& iff, bool acceptSingle);
// True when the current chunk is a form that may hold materials: a scene
// ("ESEN"), a mesh ("EMSH") or a terrain ("ETER").
bool IsMaterialContainer(const IffFile& iff);

// Finds and reads the "MHDR" chunk of the entered form: kStatusMaterialBadData
// when missing or not 48 bytes, kStatusMaterialReadFailed, or
// kStatusMaterialNotFound when `wanted` is given and differs in its first 16
// characters.
Status ReadMaterialHeader(IffFile& iff, const char* wanted, MaterialHeader* header);
// At least minFrames frames, encoding 0 or 1, format 1 to 4, sides that an
// image record holds (else kStatusMaterialUnsupported); true colour needs a
// palette (kStatusMaterialNeedsPalette).
Status CheckMaterialHeader(const MaterialHeader& header, uint16_t minFrames, const Palette* palette);

// Finds the next "BODY" chunk and decodes one frame into width x height
// index bytes: raw, run-length, or true colour mapped through the palette
// (a fourth byte of 10 or less gives index 255).
Status DecodeMaterialBody(IffFile& iff, const MaterialHeader& header, Palette* palette, uint8_t* pixels);

// A 17-byte copy of a material name (16 characters and a terminator) in
// the engine heap; null when memory is short.
char* CopyMaterialName(const char* name);
// Steps out of the form a reader entered and passes `result` on: every exit
// of a form reader leaves the form first.
Status LeaveForm(IffFile& iff, Status result);

// A zeroed block of `frames` image records and their pixels, the records
// constructed and pointing at their frames; null when too large or short of
// memory. Sizes are computed in 64 bits.
PixelImage* NewImageBlock(uint32_t frames, uint32_t width, uint32_t height, bool keyed, Palette* palette);
// Releases each record's textures and frees the block; null is ignored.
void FreeImageBlock(PixelImage* block, uint32_t frames);
// The first pixel of frame `frame` of a block.
uint8_t* FramePixels(PixelImage* block, uint32_t frames, uint32_t frame);
