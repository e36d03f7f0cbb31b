#include "display/FontLoader.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "engine/ByteOrder.h"
#include "engine/FileWrappers.h"
#include "display/FontContext.h"

namespace {

// The widest a proportional glyph may claim: what its rows can hold, and for
// the 128-glyph kind what a signed width byte can say.
uint32_t MaxProportionalWidth(const FontRecord& font) {
    const uint32_t rowBytes = (font.bytesPerGlyph - 1u) / font.height;
    const uint32_t byteLimit = font.kind == FontRecord::kProportional128 ? 127u : 255u;
    return std::min(rowBytes * 8u, byteLimit);
}

void ClampProportionalWidths(FontRecord& font) {
    if (!FontRecord::IsProportional(font.kind)) {
        return;
    }
    const uint32_t limit = MaxProportionalWidth(font);
    const uint32_t count = FontRecord::GlyphCount(font.kind);
    for (uint32_t i = 0; i < count; ++i) {
        uint8_t& width = font.glyphs[size_t{i} * font.bytesPerGlyph];
        width = static_cast<uint8_t>(std::min<uint32_t>(width, limit));
    }
}

bool SizesFit(const FontRecord& font) {
    if (font.width == 0 || font.height == 0 || font.bytesPerGlyph == 0 || font.height > kMaxFontExtent) {
        return false;
    }
    if (FontRecord::IsProportional(font.kind)) {
        return true;
    }
    const uint32_t rowBytes = (font.width + 7u) / 8u;
    return font.width <= kMaxFontExtent && rowBytes * font.height <= font.bytesPerGlyph;
}

// The form's fields and glyphs into a record; on failure the caller frees the
// glyph block.
Status FillRecord(IffFile& iff, const uint8_t* header, FontRecord& font) {
    const uint16_t kind = LoadLe16(header + kGfntKindOffset);
    if (!FontRecord::IsKnownKind(kind) || header[kGfntReservedOffset] != 0) {
        return kStatusFontBadKind;
    }
    std::memcpy(font.name, header + kGfntNameOffset, FontRecord::kNameChars);
    font.width = LoadLe16(header + kGfntWidthOffset);
    font.height = LoadLe16(header + kGfntHeightOffset);
    font.bytesPerGlyph = LoadLe16(header + kGfntStrideOffset);
    font.kind = kind;
    if (!SizesFit(font)) {
        return kStatusFontMalformed;
    }
    const uint32_t blockBytes = FontRecord::GlyphCount(kind) * font.bytesPerGlyph;
    font.glyphs = static_cast<uint8_t*>(std::malloc(blockBytes));
    if (font.glyphs == nullptr) {
        return kStatusFontNoMemory;
    }
    font.glyphView = font.glyphs;

    bool haveBody = false;
    for (;;) {
        const Status step = iff.NextChunk();
        if (step == kStatusEndOfData) {
            break;
        }
        if (step != kStatusOk) {
            return kStatusFontCannotRead;
        }
        if (iff.ChunkId() != kGfntBodyChunk) {
            continue;
        }
        if (iff.ChunkSize() != blockBytes) {
            return kStatusFontMalformed;
        }
        if (iff.ReadChunk(font.glyphs, blockBytes) != kStatusOk) {
            return kStatusFontCannotRead;
        }
        haveBody = true;
    }
    // Glyphs nobody wrote would be drawn from whatever the block held.
    if (!haveBody) {
        return kStatusFontMalformed;
    }
    ClampProportionalWidths(font);
    return kStatusOk;
}

// Inside a GFNT form: the header, the name test, then a record.
Status ReadFormContents(IffFile& iff, const char* fontName) {
    if (iff.FindChunk(kGfntHeaderChunk) != kStatusOk || iff.ChunkSize() != kGfntHeaderBytes) {
        return kStatusFontMalformed;
    }
    uint8_t header[kGfntHeaderBytes];
    if (iff.ReadChunk(header, sizeof header) != kStatusOk) {
        return kStatusFontCannotRead;
    }
    if (fontName != nullptr &&
        std::strncmp(reinterpret_cast<const char*>(header + kGfntNameOffset), fontName, FontRecord::kNameChars) != 0) {
        return kStatusFontNotThisFont;
    }
    FontRecord* const font = TakeFontRecord();
    if (font == nullptr) {
        return kStatusFontNoMemory;
    }
    const Status status = FillRecord(iff, header, *font);
    if (status != kStatusOk) {
        // The record stays in the table, free for the next load.
        std::free(font->glyphs);
        std::memset(font, 0, sizeof *font);
        return status;
    }
    g_fontContext->current = font;
    return kStatusOk;
}

// At a GFNT form of the top level; leaves the walk behind the form.
Status ReadForm(IffFile& iff, const char* fontName) {
    if (iff.Descend() != kStatusOk) {
        return kStatusFontCannotRead;
    }
    const Status status = ReadFormContents(iff, fontName);
    // A walk that cannot leave the form cannot look at the next one.
    if (iff.Ascend() != kStatusOk && status == kStatusFontNotThisFont) {
        return kStatusFontCannotRead;
    }
    return status;
}

}  // namespace

Status LoadFont(const char* fileName, const char* fontName) {
    if (fileName == nullptr) {
        return kStatusFontCannotRead;
    }
    if (g_fontContext == nullptr) {
        return kStatusFontNoMemory;
    }
    if (fontName != nullptr && g_fontContext->current != nullptr && g_fontContext->current->NameIs(fontName)) {
        return kStatusOk;
    }
    DropCurrentFont();

    IffFile iff(0);
    if (iff.OpenFile(fileName, kOpenRead) != kStatusOk) {
        iff.CloseFile();
        return kStatusFontCannotRead;
    }
    Status result = kStatusFontNotThisFont;
    for (;;) {
        const Status step = iff.NextChunk();
        if (step == kStatusEndOfData) {
            break;
        }
        if (step != kStatusOk) {
            result = kStatusFontCannotRead;
            break;
        }
        if (iff.ChunkId() != IffFile::kFormId || iff.FormType() != kGfntFormType) {
            continue;
        }
        result = ReadForm(iff, fontName);
        if (result != kStatusFontNotThisFont) {
            break;
        }
    }
    iff.CloseFile();
    return result;
}
