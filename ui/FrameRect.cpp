#include "ui/FrameRect.h"

#include "ui/CanvasLock.h"

FrameRect FrameRect::Init(int32_t x, int32_t y, uint32_t colour) {
    FrameRect record;
    record.screenX = x;
    record.screenY = y;
    record.colour = colour;
    return record;
}

FrameRect& FrameRect::Set(int32_t x, int32_t y, uint32_t depthValue, uint32_t colourIndex, int32_t value2) {
    screenX = x;
    screenY = y;
    depth = depthValue;
    colour = colourIndex;
    intensity = value2;
    return *this;
}

void FrameRect::Draw(const FrameRect* region) {
    if (region == nullptr || region[0].colour == kNoFrame) return;
    const CanvasLock lock;
    if (!lock.CanDraw()) return;
    const FrameRect& topLeft = region[0];
    const FrameRect& bottomRight = region[1];
    FrameRect topRight = topLeft;
    topRight.Set(bottomRight.screenX, topLeft.screenY, 0, topLeft.colour, topLeft.intensity);
    FrameRect bottomLeft = topLeft;
    bottomLeft.Set(topLeft.screenX, bottomRight.screenY, 0, topLeft.colour, topLeft.intensity);
    Canvas* const canvas = lock.Target();
    canvas->DrawLineClippedInt(&topLeft, &topRight, nullptr, nullptr);
    canvas->DrawLineClippedInt(&topRight, &bottomRight, nullptr, nullptr);
    canvas->DrawLineClippedInt(&bottomRight, &bottomLeft, nullptr, nullptr);
    canvas->DrawLineClippedInt(&bottomLeft, &topLeft, nullptr, nullptr);
}
