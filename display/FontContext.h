#pragma once
#include <cstddef>
#include <cstdint>

#include "engine/Status.h"

class Canvas;

// Results of the text layer.
inline constexpr Status kStatusFontNoMemory = 1;       // out of memory, or no font record
inline constexpr Status kStatusFontNoGlyphs = 2;       // SelectFont: the record has no glyph block
inline constexpr Status kStatusFontCannotRead = 3;     // file cannot be opened, header invalid, a read failed
inline constexpr Status kStatusFontMalformed = 4;      // malformed "HDR " or "BODY", or no "BODY"
inline constexpr Status kStatusFontBadKind = 5;        // unknown kind, or a non-zero header byte 24
inline constexpr Status kStatusFontNotFound = 20;      // SelectFont: null name or no font of that name
inline constexpr Status kStatusFontNotThisFont = 21;   // no font of that name in the file

// One loaded font. Glyph rows are 1 bit per pixel, most significant bit
// first, each row starting on a byte. Fixed kinds: height rows of
// (width + 7) / 8 bytes per glyph. Proportional kinds: the glyph's width in
// its first byte, then height rows of (that width + 7) / 8 bytes.
struct FontRecord {
    static constexpr size_t kNameChars = 16;
    // kind
    static constexpr uint16_t kFixed128 = 0;
    static constexpr uint16_t kFixed256 = 10;
    static constexpr uint16_t kProportional128 = 20;   // width bytes read as signed codes
    static constexpr uint16_t kProportional256 = 30;

    static bool IsKnownKind(uint16_t kind);
    static bool IsProportional(uint16_t kind) { return kind == kProportional128 || kind == kProportional256; }
    // 256 for kFixed256 and kProportional256, else 128.
    static uint32_t GlyphCount(uint16_t kind);

    // The font's name over its 16 characters, which need not end in a zero:
    // the comparison every name lookup of the text layer makes.
    bool NameIs(const char* wanted) const;
    // The glyph of c, or null when c lies outside the font (codes 128 to
    // 255 in the 128-glyph kinds), the kind is unknown or there are no glyphs.
    const uint8_t* Glyph(char c) const;

    char name[kNameChars];         // as in the file, not necessarily terminated
    uint16_t width;                // advance and glyph width of the fixed kinds
    uint16_t height;               // rows per glyph
    uint16_t bytesPerGlyph;        // stride between glyphs in the block
    uint16_t kind;                 // k*
    uint8_t* glyphView;            // the glyph block while the font is current, null otherwise
    uint8_t* glyphs;               // owned, C runtime heap; null marks a free record
};

// A record of the second list the context keeps. Nothing fills the list; the
// text layer only allocates it and frees the blocks it might hold.
struct FontSpareRecord {
    uint32_t words[5];
    void* block;                   // owned, C runtime heap
};

// The process-wide state of the text layer: the loaded fonts, the current
// one and the colours every glyph is drawn in. It and its tables live in the
// engine heap.
struct FontContext {
    static constexpr uint32_t kInitialCapacity = 2;

    FontRecord* current;           // null when no font is current
    uint32_t foreground;           // colour words of Canvas::DrawMonoImage
    uint32_t background;
    uint32_t fontCount;            // records in use
    uint32_t fontCapacity;
    FontRecord* fonts;
    uint32_t spareCount;
    uint32_t spareCapacity;
    FontSpareRecord* spares;
};

// Null until StartFonts and after StopFonts.
extern FontContext* g_fontContext;

// 0, also when the context already exists; kStatusFontNoMemory when an
// allocation fails, having freed what it took. Colours start as 1 on 0.
Status StartFonts();
// Frees every glyph block, the tables and the context.
void StopFonts();

// A free record (one in use whose load failed) or a new one at the end of
// the table, which doubles when full. Null without a context or memory.
// Loading is the only caller: the table may move, so no font may be current.
FontRecord* TakeFontRecord();

// 0 when selected or already current; kStatusFontNotFound for a null name
// or a name no loaded font has; kStatusFontNoGlyphs when the record found has
// no glyph block, which leaves no font current.
Status SelectFont(const char* fontName);
// Makes no font current.
void DropCurrentFont();
// The colour words given to the canvas with each glyph; 0xFF000000 or 0xFF
// leaves those pixels alone. Returns 0.
Status SetFontColors(uint32_t foreground, uint32_t background);

// Metrics of the current font; 0 without one. A code outside the font is 0
// wide.
uint32_t FontCharWidth(char c);
uint32_t FontHeight();
uint32_t FontStringWidth(const char* text);

// Draws c with its top left at (x, y) in the current colours, locking the
// canvas for the call unless it was locked already. Returns the advance: the
// font height when vertical, else the glyph width; a glyph that cannot be
// drawn (no font, a code outside the font) still advances by the height
// when vertical, by 0 otherwise.
uint32_t DrawFontChar(Canvas* canvas, int32_t x, int32_t y, char c, bool vertical);
