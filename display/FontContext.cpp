#include "display/FontContext.h"

#include <cstdlib>
#include <cstring>

#include "display/Canvas.h"
#include "engine/EngineAllocation.h"
#include "display/PixelImage.h"

FontContext* g_fontContext = nullptr;

namespace {

constexpr uint32_t kStartForeground = 1;
constexpr uint32_t kStartBackground = 0;

const FontRecord* CurrentFont() { return g_fontContext != nullptr ? g_fontContext->current : nullptr; }

// The width of a glyph found by FontRecord::Glyph. The load keeps every
// proportional width within its glyph, and below 128 in the 128-glyph kind,
// which reads it as a signed code, so one unsigned reading serves both kinds.
uint32_t GlyphWidth(const FontRecord& font, const uint8_t* glyph) {
    return FontRecord::IsProportional(font.kind) ? glyph[0] : font.width;
}

}  // namespace

bool FontRecord::IsKnownKind(uint16_t kind) {
    return kind == kFixed128 || kind == kFixed256 || kind == kProportional128 || kind == kProportional256;
}

uint32_t FontRecord::GlyphCount(uint16_t kind) {
    return kind == kFixed256 || kind == kProportional256 ? 256 : 128;
}

bool FontRecord::NameIs(const char* wanted) const {
    return wanted != nullptr && std::strncmp(name, wanted, kNameChars) == 0;
}

const uint8_t* FontRecord::Glyph(char c) const {
    const uint32_t code = static_cast<uint8_t>(c);
    if (glyphs == nullptr || !IsKnownKind(kind) || code >= GlyphCount(kind)) {
        return nullptr;
    }
    return glyphs + size_t{code} * bytesPerGlyph;
}

Status StartFonts() {
    if (g_fontContext != nullptr) {
        return kStatusOk;
    }
    auto* const context = static_cast<FontContext*>(EngineAllocate(sizeof(FontContext)));
    auto* const fonts = static_cast<FontRecord*>(EngineAllocate(FontContext::kInitialCapacity * sizeof(FontRecord)));
    auto* const spares =
        static_cast<FontSpareRecord*>(EngineAllocate(FontContext::kInitialCapacity * sizeof(FontSpareRecord)));
    if (context == nullptr || fonts == nullptr || spares == nullptr) {
        EngineRelease(spares);
        EngineRelease(fonts);
        EngineRelease(context);
        return kStatusFontNoMemory;
    }
    context->current = nullptr;
    context->foreground = kStartForeground;
    context->background = kStartBackground;
    context->fontCount = 0;
    context->fontCapacity = FontContext::kInitialCapacity;
    context->fonts = fonts;
    context->spareCount = 0;
    context->spareCapacity = FontContext::kInitialCapacity;
    context->spares = spares;
    g_fontContext = context;
    return kStatusOk;
}

void StopFonts() {
    FontContext* const context = g_fontContext;
    if (context == nullptr) {
        return;
    }
    for (uint32_t i = 0; i < context->fontCount; ++i) {
        std::free(context->fonts[i].glyphs);
    }
    for (uint32_t i = 0; i < context->spareCount; ++i) {
        std::free(context->spares[i].block);
    }
    EngineRelease(context->spares);
    EngineRelease(context->fonts);
    EngineRelease(context);
    g_fontContext = nullptr;
}

FontRecord* TakeFontRecord() {
    FontContext* const context = g_fontContext;
    if (context == nullptr) {
        return nullptr;
    }
    for (uint32_t i = 0; i < context->fontCount; ++i) {
        if (context->fonts[i].glyphs == nullptr) {
            return &context->fonts[i];
        }
    }
    if (context->fontCount == context->fontCapacity) {
        const uint32_t capacity = context->fontCapacity * 2;
        auto* const fonts = static_cast<FontRecord*>(EngineAllocate(size_t{capacity} * sizeof(FontRecord)));
        if (fonts == nullptr) {
            return nullptr;
        }
        std::memcpy(fonts, context->fonts, size_t{context->fontCount} * sizeof(FontRecord));
        EngineRelease(context->fonts);
        context->fonts = fonts;
        context->fontCapacity = capacity;
    }
    FontRecord* const record = &context->fonts[context->fontCount++];
    std::memset(record, 0, sizeof *record);
    return record;
}

void DropCurrentFont() {
    if (g_fontContext == nullptr || g_fontContext->current == nullptr) {
        return;
    }
    g_fontContext->current->glyphView = nullptr;
    g_fontContext->current = nullptr;
}

Status SelectFont(const char* fontName) {
    FontContext* const context = g_fontContext;
    if (fontName == nullptr || context == nullptr) {
        return kStatusFontNotFound;
    }
    if (context->current != nullptr && context->current->NameIs(fontName)) {
        return kStatusOk;
    }
    FontRecord* found = nullptr;
    for (uint32_t i = 0; i < context->fontCount && found == nullptr; ++i) {
        if (context->fonts[i].NameIs(fontName)) {
            found = &context->fonts[i];
        }
    }
    if (found == nullptr) {
        return kStatusFontNotFound;
    }
    DropCurrentFont();
    found->glyphView = found->glyphs;
    if (found->glyphs == nullptr) {
        return kStatusFontNoGlyphs;
    }
    context->current = found;
    return kStatusOk;
}

Status SetFontColors(uint32_t foreground, uint32_t background) {
    if (g_fontContext != nullptr) {
        g_fontContext->foreground = foreground;
        g_fontContext->background = background;
    }
    return kStatusOk;
}

uint32_t FontCharWidth(char c) {
    const FontRecord* const font = CurrentFont();
    if (font == nullptr) {
        return 0;
    }
    const uint8_t* const glyph = font->Glyph(c);
    return glyph != nullptr ? GlyphWidth(*font, glyph) : 0;
}

uint32_t FontHeight() {
    const FontRecord* const font = CurrentFont();
    return font != nullptr ? font->height : 0;
}

uint32_t FontStringWidth(const char* text) {
    if (text == nullptr) {
        return 0;
    }
    uint32_t width = 0;
    for (const char* p = text; *p != '\0'; ++p) {
        width += FontCharWidth(*p);
    }
    return width;
}

uint32_t DrawFontChar(Canvas* canvas, int32_t x, int32_t y, char c, bool vertical) {
    const FontRecord* const font = CurrentFont();
    const uint8_t* const glyph = font != nullptr ? font->Glyph(c) : nullptr;
    if (glyph == nullptr || canvas == nullptr) {
        return vertical ? FontHeight() : 0;
    }
    const bool proportional = FontRecord::IsProportional(font->kind);
    const uint32_t width = GlyphWidth(*font, glyph);
    if (width != 0) {
        // The image only borrows the glyph's rows; nothing of it is freed.
        PixelImage image(PixelImage::kFormat1Bit);
        image.width = static_cast<int16_t>(width);
        image.height = static_cast<int16_t>(font->height);
        image.pixels = const_cast<uint8_t*>(proportional ? glyph + 1 : glyph);
        const CanvasRect rect{x, y, static_cast<int32_t>(width), font->height};
        const int32_t wasLocked = canvas->Lock();
        // -1: the canvas cannot be drawn on now; the text still advances.
        if (wasLocked != -1) {
            canvas->DrawMonoImage(&rect, &image, g_fontContext->foreground, g_fontContext->background);
            if (wasLocked == 0) {
                canvas->Unlock();
            }
        }
        image.ReleaseCopies();
        image.pixels = nullptr;
    }
    return vertical ? font->height : width;
}
