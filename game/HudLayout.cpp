#include "game/HudLayout.h"

#include <cstring>

#include "display/Canvas.h"
#include "display/FontContext.h"
#include "display/Palette.h"
#include "game/DrawString.h"
#include "game/HudKeepClear.h"

void HudLayout::Text(uint32_t colour, int32_t x, int32_t y, const char* text) {
    if (text == nullptr || text[0] == 0 || pieceCount_ >= kPieces) return;
    Piece& piece = pieces_[pieceCount_++];
    piece.at = CanvasRect{x, y, int32_t(FontStringWidth(text)), int32_t(FontHeight())};
    piece.colour = colour;
    piece.image = nullptr;
    const size_t length = strnlen(text, kTextChars - 1);
    std::memcpy(piece.text, text, length);
    piece.text[length] = 0;
}

void HudLayout::Picture(PixelImage* image, const CanvasRect& at) {
    if (at.width <= 0 || at.height <= 0 || pieceCount_ >= kPieces) return;
    Piece& piece = pieces_[pieceCount_++];
    piece.at = at;
    piece.colour = 0;
    piece.image = image;
    piece.text[0] = 0;
}

void HudLayout::Draw(Canvas& canvas, HudKeepClear& keepClear) const {
    if (canvas.palette == nullptr) return;
    for (int32_t i = 0; i < pieceCount_; ++i) {
        const Piece& piece = pieces_[i];
        if (piece.image != nullptr) {
            CanvasRect at = piece.at;
            canvas.BlitImage(&at, piece.image, 0);
        } else if (piece.text[0] != 0) {
            SetFontColors(canvas.palette->MatchColor(piece.colour), Canvas::kColorTransparent);
            DrawStringOn(canvas, piece.text, piece.at.x, piece.at.y);
        }
        keepClear.Add(piece.at.x, piece.at.y, piece.at.width, piece.at.height);
    }
}
