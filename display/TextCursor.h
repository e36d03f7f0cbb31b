#pragma once
#include <cstdint>

#include "display/CanvasRect.h"

class Canvas;

// A pixel position that converts to and from character cells of the current
// font: cells are the font's width by its height. Without a font every
// conversion gives 0.
struct TextPoint {
    void CellToPixel(uint8_t row, uint8_t column);
    void PixelToCell(uint8_t* row, uint8_t* column) const;

    int32_t x = 0;
    int32_t y = 0;
};

// Where the next character goes on a canvas, in the current font and colours
// of the text layer. The user owns the record and the canvas outlives it.
class TextCursor : public TextPoint {
public:
    TextCursor() = default;
    TextCursor(Canvas* target, int32_t startX, int32_t startY) : canvas(target) {
        x = startX;
        y = startY;
    }

    // Along a line: a carriage return does nothing, a line feed goes to x 0
    // one font height down, any other character is drawn and x moves past it.
    void PutChar(char c);
    void PutString(const char* text);
    void PutLong(int32_t n);
    // printf-style; at most 255 characters come out.
    void Printf(const char* format, ...) __attribute__((format(printf, 2, 3)));

    // Down a column: carriage return and line feed do nothing, every other
    // character is drawn and y moves one font height down.
    void PutCharDown(char c);
    void PutStringDown(const char* text);
    void PutLongDown(int32_t n);
    void PrintfDown(const char* format, ...) __attribute__((format(printf, 2, 3)));

    // Word-wrapped text inside box (the whole canvas when null), starting at
    // the cursor moved into the box. Words move to the next line when they
    // would cross the right edge; a word longer than a line is broken at the
    // edge; a space that would cross it is dropped with the line break; a
    // line feed starts a new line. Only whole lines are drawn: output stops
    // at the first line that would cross the bottom edge. Each new line
    // starts at the box's left edge.
    void WriteWrapped(const char* text, const CanvasRect* box = nullptr);

    Canvas* canvas = nullptr;

private:
    static constexpr int kLongChars = 16;
    static constexpr int kPrintfChars = 256;
};
