#include "display/TextCursor.h"

#include <algorithm>
#include <cctype>
#include <cstdarg>
#include <cstdio>

#include "display/Canvas.h"
#include "display/FontContext.h"

void TextPoint::CellToPixel(uint8_t row, uint8_t column) {
    const FontContext* const context = g_fontContext;
    const FontRecord* const font = context != nullptr ? context->current : nullptr;
    x = font != nullptr ? int32_t{column} * font->width : 0;
    y = font != nullptr ? int32_t{row} * font->height : 0;
}

void TextPoint::PixelToCell(uint8_t* row, uint8_t* column) const {
    const FontContext* const context = g_fontContext;
    const FontRecord* const font = context != nullptr ? context->current : nullptr;
    // A loaded font never has a zero width or height.
    if (column != nullptr) {
        *column = font != nullptr ? static_cast<uint8_t>(x / font->width) : 0;
    }
    if (row != nullptr) {
        *row = font != nullptr ? static_cast<uint8_t>(y / font->height) : 0;
    }
}

void TextCursor::PutChar(char c) {
    if (c == '\r') {
        return;
    }
    if (c == '\n') {
        x = 0;
        y += static_cast<int32_t>(FontHeight());
        return;
    }
    x += static_cast<int32_t>(DrawFontChar(canvas, x, y, c, false));
}

void TextCursor::PutString(const char* text) {
    for (const char* p = text; p != nullptr && *p != '\0'; ++p) {
        PutChar(*p);
    }
}

void TextCursor::PutLong(int32_t n) {
    char text[kLongChars];
    std::snprintf(text, sizeof text, "%li", static_cast<long>(n));
    PutString(text);
}

void TextCursor::Printf(const char* format, ...) {
    char text[kPrintfChars];
    va_list arguments;
    va_start(arguments, format);
    std::vsnprintf(text, sizeof text, format, arguments);
    va_end(arguments);
    PutString(text);
}

void TextCursor::PutCharDown(char c) {
    if (c == '\r' || c == '\n') {
        return;
    }
    y += static_cast<int32_t>(DrawFontChar(canvas, x, y, c, true));
}

void TextCursor::PutStringDown(const char* text) {
    for (const char* p = text; p != nullptr && *p != '\0'; ++p) {
        PutCharDown(*p);
    }
}

void TextCursor::PutLongDown(int32_t n) {
    char text[kLongChars];
    std::snprintf(text, sizeof text, "%li", static_cast<long>(n));
    PutStringDown(text);
}

void TextCursor::PrintfDown(const char* format, ...) {
    char text[kPrintfChars];
    va_list arguments;
    va_start(arguments, format);
    std::vsnprintf(text, sizeof text, format, arguments);
    va_end(arguments);
    PutStringDown(text);
}

void TextCursor::WriteWrapped(const char* text, const CanvasRect* box) {
    if (text == nullptr || (box == nullptr && canvas == nullptr)) {
        return;
    }
    const CanvasRect area = box != nullptr ? *box : CanvasRect{0, 0, canvas->width, canvas->height};
    const int64_t lineHeight = FontHeight();
    if (lineHeight == 0) {
        return;
    }
    const int64_t left = area.x;
    const int64_t right = left + area.width;
    const int64_t bottom = int64_t{area.y} + area.height;
    x = std::max(x, area.x);
    y = std::max(y, area.y);

    const auto roomForLine = [&] { return y + lineHeight <= bottom; };
    const auto newLine = [&] {
        x = area.x;
        y += static_cast<int32_t>(lineHeight);
    };
    const auto put = [&](const char* from, const char* to) {
        for (const char* q = from; q < to; ++q) {
            x += static_cast<int32_t>(DrawFontChar(canvas, x, y, *q, false));
        }
    };

    // The pending word is not drawn until it is known to fit: x stays at its
    // start and wordWidth says where it would end.
    const char* word = text;
    int64_t wordWidth = 0;
    const char* p = text;
    for (; *p != '\0' && roomForLine(); ++p) {
        const char c = *p;
        if (c == '\n') {
            put(word, p);
            newLine();
            word = p + 1;
            wordWidth = 0;
            continue;
        }
        if (std::isspace(static_cast<unsigned char>(c))) {
            put(word, p);
            word = p + 1;
            wordWidth = 0;
            if (c == '\r') {
                continue;
            }
            // Other blanks count as one space, which the line break swallows
            // when it does not fit.
            if (x + int64_t{FontCharWidth(' ')} <= right) {
                x += static_cast<int32_t>(DrawFontChar(canvas, x, y, ' ', false));
            } else {
                newLine();
            }
            continue;
        }
        const int64_t width = FontCharWidth(c);
        if (x + wordWidth + width > right) {
            if (x > left) {
                newLine();
                if (!roomForLine()) {
                    break;
                }
            }
            if (x + wordWidth + width > right) {
                // The word fills a whole line by itself: break it here.
                if (wordWidth > 0) {
                    put(word, p);
                    newLine();
                    if (!roomForLine()) {
                        break;
                    }
                }
                word = p;
                wordWidth = 0;
                // A glyph wider than the box cannot be shown in it.
                if (width > area.width) {
                    word = p + 1;
                    continue;
                }
            }
        }
        wordWidth += width;
    }
    if (roomForLine()) {
        put(word, p);
    }
}
