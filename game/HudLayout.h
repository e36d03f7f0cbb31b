#pragma once
#include <cstdint>

#include "display/CanvasRect.h"

class Canvas;
class HudKeepClear;
class PixelImage;

// The HUD's text rows and pictures of one frame, each at its own place,
// which no mark moves: gathered, then drawn together, their places handed
// to the marks (the sight, the brackets, the edge arrow) to keep clear of.
class HudLayout {
public:
    static constexpr int32_t kPieces = 48;
    static constexpr int32_t kTextChars = 320;

    // A text at (x, y) in the current font, measured now; colour as 0xBBGGRR.
    // Empty texts are left out, and pieces past kPieces.
    void Text(uint32_t colour, int32_t x, int32_t y, const char* text);
    // A picture in the place `at`; a null one keeps the place and draws
    // nothing.
    void Picture(PixelImage* image, const CanvasRect& at);

    // Draws every piece (texts in the current font) and adds its place to
    // `keepClear`. Needs the canvas's palette.
    void Draw(Canvas& canvas, HudKeepClear& keepClear) const;

private:
    struct Piece {
        CanvasRect at;
        uint32_t colour;
        PixelImage* image;   // null for a text
        char text[kTextChars];
    };

    Piece pieces_[kPieces] = {};
    int32_t pieceCount_ = 0;
};
