#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "display/CanvasRect.h"
#include "engine/Status.h"
#include "tests/support/ChunkBuilder.h"

class RecordingCanvas;
class TempDir;

// Builds GFNT font forms for tests of the text layer. Fill() gives every
// glyph rows of its own: in the fixed kinds row r of glyph c holds the byte
// (c + 16 r) & 0xFF in each of its bytes; in the proportional kinds the
// first byte is ProportionalWidth(c) and the rows follow the same rule.
struct GfntBuilder {
    using Bytes = ChunkBuilder::Bytes;

    GfntBuilder(std::string fontName, uint16_t fontWidth, uint16_t fontHeight, uint16_t stride, uint16_t fontKind);

    // 256 for kinds 10 and 30, else 128.
    uint32_t GlyphCount() const;
    // The width Fill() gives glyph c of a proportional kind: 1 + c % 7.
    static uint8_t ProportionalWidth(uint32_t code) { return static_cast<uint8_t>(1 + code % 7); }
    GfntBuilder& Fill();
    uint8_t* Glyph(uint32_t code) { return body.data() + size_t{code} * bytesPerGlyph; }

    // The 32 bytes of "HDR ".
    Bytes Header() const;
    // FORM "GFNT" of "HDR " and "BODY".
    Bytes Form() const;
    Bytes FormWithoutBody() const;
    // A chunk file of the forms, written to `relative` under dir; the full path.
    static std::string WriteFile(const TempDir& dir, const std::string& relative, const Bytes& bytes);

    std::string name;     // at most 16 characters go to the header
    uint16_t width;
    uint16_t height;
    uint16_t bytesPerGlyph;
    uint16_t kind;
    uint8_t byte24 = 0;   // the header byte that must be 0
    Bytes body;           // GlyphCount() x bytesPerGlyph zero bytes until filled
};

// Loads a fixed-width font of 256 glyphs into the running text layer under
// `name`, every glyph (the blank too) `width` pixels wide, from a file
// written under dir, and makes it current: text that wraps or pages by
// pixel widths then counts characters. The load's status.
Status LoadFixedWidthFont(const TempDir& dir, const std::string& name, uint16_t width, uint16_t height);

// Starts the font layer for a test and stops it afterwards.
class ScopedFontLayer {
public:
    ScopedFontLayer();
    ~ScopedFontLayer();
    ScopedFontLayer(const ScopedFontLayer&) = delete;
    ScopedFontLayer& operator=(const ScopedFontLayer&) = delete;
};

// One glyph as a recording canvas received it from the text layer: the
// character, found from where the image's rows lie in the current font's
// glyph block, its rectangle and the image's size and format.
struct DrawnGlyph {
    int code = -1;        // -1 when the rows are not the current font's
    CanvasRect rect{};
    int32_t imageWidth = 0;
    int32_t imageHeight = 0;
    uint32_t imageFormat = 0;
    uint32_t foreground = 0;
    uint32_t background = 0;
};

// Collects every DrawMonoImage of a recording canvas as a DrawnGlyph while
// the call is made, when the temporary image still exists.
class GlyphRecorder {
public:
    explicit GlyphRecorder(RecordingCanvas& canvas);

    const std::vector<DrawnGlyph>& Glyphs() const { return glyphs_; }
    // The characters drawn, in order ('?' for rows of no glyph).
    std::string Text() const;
    void Clear() { glyphs_.clear(); }

private:
    std::vector<DrawnGlyph> glyphs_;
};
