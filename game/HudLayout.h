#pragma once
#include <cstdint>

#include "display/CanvasRect.h"

class Canvas;
class HudKeepClear;
class PixelImage;

// The HUD's text rows and pictures of one frame, gathered before any is
// drawn so that they can make way for the crosshair: wherever the sight
// points, it is drawn whole and the rows move instead.
//
// The rows come in stacks, each anchored at an edge of the screen and made
// of units (a row, or rows and a picture that belong together, such as the
// objective's two lines). A unit the crosshair meets moves away from the
// stack's anchor, just past the crosshair, and the units beyond it in the
// stack go with it: the stack opens a gap round the sight, its rows keeping
// their order and spacing, and lands clear of every other row and of the
// fixed places (the radar's scope).
class HudLayout {
public:
    static constexpr int32_t kPieces = 48;
    static constexpr int32_t kUnits = 40;
    static constexpr int32_t kStacks = 12;
    static constexpr int32_t kFixed = 4;
    static constexpr int32_t kTextChars = 320;

    // Where a stack's gap opens: downward for a stack hung from the top
    // edge, upward for one standing on the bottom edge.
    enum Opening : int32_t { kOpenDown = 1, kOpenUp = -1 };

    // A new stack; the units added from now on belong to it (pieces added
    // before any stack hang from the top).
    void BeginStack(Opening opening);
    // Ends the current unit: the next piece starts a new one in the current
    // stack.
    void BeginUnit();
    // A text at (x, y) in the current font, measured now; colour as 0xBBGGRR.
    // Empty texts are left out, and pieces past kPieces.
    void Text(uint32_t colour, int32_t x, int32_t y, const char* text);
    // A picture in the place `at`; a null one keeps the place and draws
    // nothing.
    void Picture(PixelImage* image, const CanvasRect& at);
    // A place no unit may move into (it never moves itself).
    void Fix(const CanvasRect& place);

    // Makes way for the mark that covers `mark` on a screen `height` pixels
    // high: each stack with a unit that meets it opens its gap. A stack that
    // finds no room on the screen stays where it is.
    void MakeWay(const CanvasRect& mark, int32_t height);

    // Draws every piece where it now stands (texts in the current font) and
    // adds its place to `keepClear`. Needs the canvas's palette.
    void Draw(Canvas& canvas, HudKeepClear& keepClear) const;

    // Where a piece stands now, pieces counted in the order they were added.
    int32_t Count() const { return pieceCount_; }
    CanvasRect PlaceOf(int32_t piece) const;

private:
    struct Piece {
        CanvasRect at;
        int32_t unit;
        uint32_t colour;
        PixelImage* image;   // null for a text
        char text[kTextChars];
    };
    struct Unit {
        int32_t stack;
        int32_t shift;   // pixels down (up when negative) from where it was added
    };

    // Starts the unit the next piece belongs to when none is open; false
    // when there is no room for the piece.
    bool Open();
    // The unit's extent down the screen as it stands: its top and bottom.
    void Extent(int32_t unit, int32_t* top, int32_t* bottom) const;
    void OpenGap(int32_t stack, const CanvasRect& mark, int32_t height);

    Piece pieces_[kPieces] = {};
    int32_t pieceCount_ = 0;
    Unit units_[kUnits] = {};
    int32_t unitCount_ = 0;
    bool unitOpen_ = false;
    Opening stacks_[kStacks] = {};
    int32_t stackCount_ = 0;
    CanvasRect fixed_[kFixed] = {};
    int32_t fixedCount_ = 0;
};
