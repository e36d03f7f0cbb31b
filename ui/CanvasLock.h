#pragma once
#include <cstdint>

#include "display/Canvas.h"
#include "game/DrawString.h"

// The controls' hold on the game canvas for one draw: nothing may be drawn
// when the canvas cannot be locked, and a canvas that was locked already
// (a screen's pass holds it) stays locked afterwards.
class CanvasLock {
public:
    static constexpr int32_t kCannotDraw = -1;

    CanvasLock() : canvas_(g_gameCanvas), result_(canvas_ != nullptr ? canvas_->Lock() : kCannotDraw) {}
    ~CanvasLock() {
        if (result_ == 0) canvas_->Unlock();
    }
    CanvasLock(const CanvasLock&) = delete;
    CanvasLock& operator=(const CanvasLock&) = delete;

    bool CanDraw() const { return result_ != kCannotDraw; }
    Canvas* Target() const { return canvas_; }

private:
    Canvas* canvas_;
    int32_t result_;
};
