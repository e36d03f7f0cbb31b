#pragma once
#include <cstddef>
#include <cstdint>

#include "engine/IffFile.h"
#include "engine/Status.h"

// The font form of a chunk file: FORM "GFNT" holding a 32-byte "HDR " and a
// "BODY" of every glyph in code order (256 or 128 of them, by kind). A file
// holds one or more such forms at its top level.
inline constexpr uint32_t kGfntFormType = MakeTag("GFNT");
inline constexpr uint32_t kGfntHeaderChunk = MakeTag("HDR ");
inline constexpr uint32_t kGfntBodyChunk = MakeTag("BODY");

// "HDR ", little-endian. Bytes 25 to 31 are not read.
inline constexpr uint32_t kGfntHeaderBytes = 32;
inline constexpr size_t kGfntNameOffset = 0;       // 16 characters
inline constexpr size_t kGfntWidthOffset = 16;     // u16
inline constexpr size_t kGfntHeightOffset = 18;    // u16
inline constexpr size_t kGfntStrideOffset = 20;    // u16 bytes per glyph
inline constexpr size_t kGfntKindOffset = 22;      // u16, FontRecord::k*
inline constexpr size_t kGfntReservedOffset = 24;  // u8, must be 0

// A glyph is drawn as a PixelImage, whose sizes are signed 16-bit: a wider
// fixed font or a taller one is refused as malformed.
inline constexpr uint16_t kMaxFontExtent = 0x7FFF;

// Loads a font from a chunk file and makes it current. With a font name the
// first GFNT form whose 16-character name matches is taken, and a current
// font of that name is kept without opening the file; without one the
// file's first form is taken. Results are the kStatusFont* words of
// FontContext.h: 0; kStatusFontNoMemory (also before StartFonts);
// kStatusFontCannotRead for a null file name, a file that does not open or
// a failed read; kStatusFontMalformed; kStatusFontBadKind;
// kStatusFontNotThisFont when no form matches. Glyph rows that do not fit
// their glyph size make a fixed font malformed; a proportional glyph's width
// is cut to what its rows hold. After a failure no font is current and
// nothing the load took is kept.
Status LoadFont(const char* fileName, const char* fontName);
