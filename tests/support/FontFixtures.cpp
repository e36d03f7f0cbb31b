#include "tests/support/FontFixtures.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "engine/ByteOrder.h"
#include "display/FontContext.h"
#include "display/FontLoader.h"
#include "display/PixelImage.h"
#include "tests/support/RecordingCanvas.h"
#include "tests/support/TempDir.h"

GfntBuilder::GfntBuilder(std::string fontName, uint16_t fontWidth, uint16_t fontHeight, uint16_t stride,
                         uint16_t fontKind)
    : name(std::move(fontName)), width(fontWidth), height(fontHeight), bytesPerGlyph(stride), kind(fontKind) {
    body.assign(size_t{GlyphCount()} * bytesPerGlyph, 0);
}

uint32_t GfntBuilder::GlyphCount() const { return FontRecord::GlyphCount(kind); }

GfntBuilder& GfntBuilder::Fill() {
    const bool proportional = FontRecord::IsProportional(kind);
    const size_t rowsAt = proportional ? 1 : 0;
    for (uint32_t code = 0; code < GlyphCount(); ++code) {
        uint8_t* const glyph = Glyph(code);
        uint32_t glyphWidth = width;
        if (proportional) {
            glyphWidth = ProportionalWidth(code);
            glyph[0] = static_cast<uint8_t>(glyphWidth);
        }
        const uint32_t rowBytes = (glyphWidth + 7) / 8;
        for (uint32_t row = 0; row < height; ++row) {
            for (uint32_t b = 0; b < rowBytes; ++b) {
                const size_t at = rowsAt + size_t{row} * rowBytes + b;
                if (at < bytesPerGlyph) glyph[at] = static_cast<uint8_t>(code + 16 * row);
            }
        }
    }
    return *this;
}

GfntBuilder::Bytes GfntBuilder::Header() const {
    Bytes header(kGfntHeaderBytes, 0);
    std::memcpy(header.data() + kGfntNameOffset, name.data(), std::min<size_t>(name.size(), FontRecord::kNameChars));
    StoreLe16(header.data() + kGfntWidthOffset, width);
    StoreLe16(header.data() + kGfntHeightOffset, height);
    StoreLe16(header.data() + kGfntStrideOffset, bytesPerGlyph);
    StoreLe16(header.data() + kGfntKindOffset, kind);
    header[kGfntReservedOffset] = byte24;
    // Bytes the loader does not read.
    for (size_t i = kGfntReservedOffset + 1; i < kGfntHeaderBytes; ++i) header[i] = 0xA5;
    return header;
}

GfntBuilder::Bytes GfntBuilder::Form() const {
    const ChunkBuilder b;
    return b.Form("GFNT", {b.Chunk("HDR ", Header()), b.Chunk("BODY", body)});
}

GfntBuilder::Bytes GfntBuilder::FormWithoutBody() const {
    const ChunkBuilder b;
    return b.Form("GFNT", {b.Chunk("HDR ", Header())});
}

std::string GfntBuilder::WriteFile(const TempDir& dir, const std::string& relative, const Bytes& bytes) {
    dir.WriteFile(relative, std::string(bytes.begin(), bytes.end()));
    return (dir.Path() / relative).string();
}

Status LoadFixedWidthFont(const TempDir& dir, const std::string& name, uint16_t width, uint16_t height) {
    const uint16_t stride = static_cast<uint16_t>((width + 7) / 8 * height);
    GfntBuilder font(name, width, height, stride, FontRecord::kFixed256);
    const std::string path = GfntBuilder::WriteFile(dir, name + ".iff", font.Fill().Form());
    return LoadFont(path.c_str(), name.c_str());
}

ScopedFontLayer::ScopedFontLayer() {
    EXPECT_EQ(g_fontContext, nullptr) << "the font layer is already running";
    EXPECT_EQ(StartFonts(), kStatusOk);
}

ScopedFontLayer::~ScopedFontLayer() { StopFonts(); }

GlyphRecorder::GlyphRecorder(RecordingCanvas& canvas) {
    canvas.OnCall([this](const CanvasCall& call) {
        if (call.op != "DrawMonoImage") return;
        const auto* image = static_cast<const PixelImage*>(call.object);
        DrawnGlyph glyph;
        if (call.rect) glyph.rect = *call.rect;
        if (call.words.size() >= 2) {
            glyph.foreground = call.words[0];
            glyph.background = call.words[1];
        }
        if (image != nullptr) {
            glyph.imageWidth = image->width;
            glyph.imageHeight = image->height;
            glyph.imageFormat = image->Format();
            const FontRecord* font = g_fontContext != nullptr ? g_fontContext->current : nullptr;
            if (font != nullptr && font->glyphs != nullptr && image->pixels != nullptr) {
                const ptrdiff_t offset = image->pixels - font->glyphs - (FontRecord::IsProportional(font->kind) ? 1 : 0);
                const ptrdiff_t size = ptrdiff_t{FontRecord::GlyphCount(font->kind)} * font->bytesPerGlyph;
                if (offset >= 0 && offset < size && offset % font->bytesPerGlyph == 0)
                    glyph.code = static_cast<int>(offset / font->bytesPerGlyph);
            }
        }
        glyphs_.push_back(glyph);
    });
}

std::string GlyphRecorder::Text() const {
    std::string text;
    for (const DrawnGlyph& glyph : glyphs_) text += glyph.code >= 0 ? static_cast<char>(glyph.code) : '?';
    return text;
}
