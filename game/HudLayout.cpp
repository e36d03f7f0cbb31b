#include "game/HudLayout.h"

#include <algorithm>
#include <cstring>

#include "display/Canvas.h"
#include "display/FontContext.h"
#include "display/Palette.h"
#include "game/DrawString.h"
#include "game/HudKeepClear.h"

namespace {

constexpr int32_t kRoom = HudKeepClear::kRoom;

// Whether a piece at `a` comes within the room of `b`.
bool Meets(const CanvasRect& a, const CanvasRect& b) {
    return a.x - kRoom < b.x + b.width && a.x + a.width + kRoom > b.x && a.y - kRoom < b.y + b.height &&
           a.y + a.height + kRoom > b.y;
}

CanvasRect Shifted(CanvasRect at, int32_t by) {
    at.y += by;
    return at;
}

}  // namespace

void HudLayout::BeginStack(Opening opening) {
    if (stackCount_ >= kStacks) return;
    stacks_[stackCount_++] = opening;
    unitOpen_ = false;
}

void HudLayout::BeginUnit() { unitOpen_ = false; }

bool HudLayout::Open() {
    if (stackCount_ == 0) stacks_[stackCount_++] = kOpenDown;
    if (!unitOpen_) {
        if (unitCount_ >= kUnits) return false;
        units_[unitCount_++] = Unit{stackCount_ - 1, 0};
        unitOpen_ = true;
    }
    return pieceCount_ < kPieces;
}

void HudLayout::Text(uint32_t colour, int32_t x, int32_t y, const char* text) {
    if (text == nullptr || text[0] == 0 || !Open()) return;
    Piece& piece = pieces_[pieceCount_++];
    piece.at = CanvasRect{x, y, int32_t(FontStringWidth(text)), int32_t(FontHeight())};
    piece.unit = unitCount_ - 1;
    piece.colour = colour;
    piece.image = nullptr;
    const size_t length = strnlen(text, kTextChars - 1);
    std::memcpy(piece.text, text, length);
    piece.text[length] = 0;
}

void HudLayout::Picture(PixelImage* image, const CanvasRect& at) {
    if (at.width <= 0 || at.height <= 0 || !Open()) return;
    Piece& piece = pieces_[pieceCount_++];
    piece.at = at;
    piece.unit = unitCount_ - 1;
    piece.colour = 0;
    piece.image = image;
    piece.text[0] = 0;
}

void HudLayout::Fix(const CanvasRect& place) {
    if (fixedCount_ < kFixed && place.width > 0 && place.height > 0) fixed_[fixedCount_++] = place;
}

CanvasRect HudLayout::PlaceOf(int32_t piece) const {
    if (piece < 0 || piece >= pieceCount_) return CanvasRect{};
    return Shifted(pieces_[piece].at, units_[pieces_[piece].unit].shift);
}

void HudLayout::Extent(int32_t unit, int32_t* top, int32_t* bottom) const {
    *top = 0x7FFFFFFF;
    *bottom = -0x7FFFFFFF;
    for (int32_t i = 0; i < pieceCount_; ++i) {
        if (pieces_[i].unit != unit) continue;
        const CanvasRect at = PlaceOf(i);
        *top = std::min(*top, at.y);
        *bottom = std::max(*bottom, at.y + at.height);
    }
}

void HudLayout::MakeWay(const CanvasRect& mark, int32_t height) {
    if (mark.width <= 0 || mark.height <= 0) return;
    for (int32_t stack = 0; stack < stackCount_; ++stack) OpenGap(stack, mark, height);
}

void HudLayout::OpenGap(int32_t stack, const CanvasRect& mark, int32_t height) {
    const int32_t opening = stacks_[stack];
    // The unit nearest the anchor that the mark meets: the gap opens there.
    bool met = false;
    int32_t pivot = 0;
    for (int32_t i = 0; i < pieceCount_; ++i) {
        const int32_t unit = pieces_[i].unit;
        if (units_[unit].stack != stack || !Meets(PlaceOf(i), mark)) continue;
        int32_t top, bottom;
        Extent(unit, &top, &bottom);
        const int32_t edge = opening == kOpenDown ? top : bottom;
        pivot = !met ? edge : opening == kOpenDown ? std::min(pivot, edge) : std::max(pivot, edge);
        met = true;
    }
    if (!met) return;
    bool moving[kUnits] = {};
    for (int32_t unit = 0; unit < unitCount_; ++unit) {
        if (units_[unit].stack != stack) continue;
        int32_t top, bottom;
        Extent(unit, &top, &bottom);
        moving[unit] = opening == kOpenDown ? top >= pivot : bottom <= pivot;
    }

    // The least distance that clears the mark and every piece staying put.
    // A piece that already crossed another (a long radio line over the
    // scope) may go on crossing it; nothing may come to cross the mark.
    const auto clearance = [&](const CanvasRect& at, const CanvasRect& other) {
        return opening == kOpenDown ? other.y + other.height + kRoom - at.y : at.y + at.height + kRoom - other.y;
    };
    int32_t distance = 0;
    for (bool settled = false; !settled;) {
        settled = true;
        for (int32_t i = 0; i < pieceCount_ && settled; ++i) {
            if (!moving[pieces_[i].unit]) continue;
            const CanvasRect from = PlaceOf(i);
            const CanvasRect at = Shifted(from, opening * distance);
            if (at.y < 0 || at.y + at.height > height) return;   // no room on the screen
            int32_t need = Meets(at, mark) ? clearance(at, mark) : 0;
            for (int32_t f = 0; f < fixedCount_; ++f) {
                if (Meets(at, fixed_[f]) && !Meets(from, fixed_[f])) need = std::max(need, clearance(at, fixed_[f]));
            }
            for (int32_t j = 0; j < pieceCount_; ++j) {
                if (moving[pieces_[j].unit]) continue;
                const CanvasRect other = PlaceOf(j);
                if (Meets(at, other) && !Meets(from, other)) need = std::max(need, clearance(at, other));
            }
            if (need > 0) {
                distance += need;
                settled = false;
            }
        }
    }
    for (int32_t unit = 0; unit < unitCount_; ++unit) {
        if (moving[unit]) units_[unit].shift += opening * distance;
    }
}

void HudLayout::Draw(Canvas& canvas, HudKeepClear& keepClear) const {
    if (canvas.palette == nullptr) return;
    for (int32_t i = 0; i < pieceCount_; ++i) {
        const Piece& piece = pieces_[i];
        const CanvasRect at = PlaceOf(i);
        if (piece.image != nullptr) {
            canvas.BlitImage(&at, piece.image, 0);
        } else if (piece.text[0] != 0) {
            SetFontColors(canvas.palette->MatchColor(piece.colour), Canvas::kColorTransparent);
            DrawStringOn(canvas, piece.text, at.x, at.y);
        }
        keepClear.Add(at.x, at.y, at.width, at.height);
    }
}
