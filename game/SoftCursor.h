#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include "display/Bitmap.h"
#include "engine/IffFile.h"
#include "engine/Status.h"

class Canvas;

namespace platform {
class Window;
}

// The mouse cursor the game shows: the window system's own, or (the
// software flag set) one of the shapes of "cursors.iff" drawn into each
// frame as it is shown. Screens pick the shape as the pointer passes over
// what it may press, and say when their repaint has wiped the cursor out.
class SoftCursor {
public:
    static constexpr int32_t kShapeArrow = 0;
    static constexpr int32_t kShapeHighlight = 1;
    static constexpr int32_t kShapeWait = 2;
    static constexpr int32_t kShapeCount = 3;
    // In the data directory: a FORM "CURS" holding a FORM "XCEL" per shape
    // in shape order, each cel's position being its hot spot. Index 255 of a
    // shape is clear.
    static constexpr const char* kFileName = "cursors.iff";
    static constexpr uint32_t kFileForm = MakeTag("CURS");
    static constexpr uint32_t kCelForm = MakeTag("XCEL");
    static constexpr uint8_t kClearIndex = 255;
    // Shapes are pointers, not pictures: larger ones are refused.
    static constexpr uint16_t kMaxSide = 64;

    // Reads the shapes; kStatusOk with all three, else the first failure,
    // with the shapes read before it kept.
    Status Load(const char* path);
    bool ShapeLoaded(int32_t shape) const;

    // The screen under the cursor was drawn again: the cursor is no longer in it.
    void ClearDrawnFlag() { drawn = false; }
    // Makes the cursor visible: the software one at once, the window
    // system's by showing it until its display count is 0 or more.
    void Show(platform::Window& window);
    // Shape 0 the arrow, 1 the highlighted shape, 2 the wait shape; others
    // are ignored. The frame and the flag are kept for the animated shapes
    // none of the current ones is (screens pass -1 and 1).
    void SetShape(int32_t shape, int32_t frame = -1, int32_t flag = 1);
    int32_t Shape() const { return shape_; }

    // With the software flag and the visible flag set and the shape read:
    // draws the shape with its hot spot at (x, y), clipped to the canvas, and
    // sets the drawn flag. False when nothing was drawn. The pixels it covers
    // are kept until Erase.
    bool Draw(Canvas& canvas, int32_t x, int32_t y);
    // Puts back the pixels the last Draw on `canvas` covered, once the frame
    // has been shown: a screen that keeps its picture, or copies it, never
    // finds the cursor in it. False when there is nothing to put back.
    bool Erase(Canvas& canvas);

    bool software = false;   // drawn by the game rather than the window system
    bool visible = false;
    // Set when a screen opens; cleared after every background repaint.
    bool repaint = false;
    bool drawn = false;      // the cursor is in the frame last shown

private:
    Status ReadShape(IffFile& iff, Bitmap* shape);
    // Copies the canvas's pixels under the rectangle (the canvas locked).
    void Keep(Canvas& canvas, int32_t left, int32_t top, int32_t width, int32_t height);

    // The rectangle the last Draw covered, clipped to its canvas, and its
    // rows of pixels as the canvas stores them.
    Canvas* underCanvas_ = nullptr;
    int32_t underLeft_ = 0;
    int32_t underTop_ = 0;
    int32_t underRows_ = 0;
    size_t underRowBytes_ = 0;
    std::vector<uint8_t> under_;

    Bitmap shapes_[kShapeCount];
    bool loaded_[kShapeCount] = {};
    int32_t shape_ = kShapeArrow;
};
