#include "display/Circles.h"

#include <limits>

#include "display/Palette.h"
#include "display/Canvas.h"

namespace {

bool FitsInt32(int64_t value) {
    return value >= std::numeric_limits<int32_t>::min() && value <= std::numeric_limits<int32_t>::max();
}

// Steps one octant with the midpoint rule and hands plot the eight mirrored
// points of each step, in the order the outline has always been drawn.
template <class Plot>
void PlotCircle(int32_t cx, int32_t cy, int32_t radius, Plot&& plot) {
    if (radius < 0) return;
    // 64 bits: a centre near the end of the range plus the radius would
    // overflow.
    int64_t x = 0;
    int64_t y = radius;
    int64_t d = -int64_t(radius);
    while (x <= y) {
        const int64_t px[8] = {cx + x, cx + x, cx - x, cx - x, cx + y, cx + y, cx - y, cx - y};
        const int64_t py[8] = {cy + y, cy - y, cy - y, cy + y, cy + x, cy - x, cy - x, cy + x};
        for (int i = 0; i < 8; ++i) {
            if (FitsInt32(px[i]) && FitsInt32(py[i])) plot(int32_t(px[i]), int32_t(py[i]));
        }
        d += 2 * x + 1;
        if (d > 0) {
            y -= 1;
            d -= 2 * y;
        }
        x += 1;
    }
}

// The level at which the palette's shades show a colour unaltered.
int32_t FullIntensity(const Canvas& canvas) {
    const ShadeTable* shades = canvas.palette != nullptr ? canvas.palette->Shades() : nullptr;
    return shades != nullptr ? int32_t(shades->pivot) : 0;
}

ViewVertex ColourPoint(const Canvas& canvas, uint32_t colour) {
    ViewVertex point;
    point.colour = colour;
    point.intensity = FullIntensity(canvas);
    return point;
}

// Plots through the vertex slot `plot` of the canvas with `point` moved to
// each position.
template <class Plot>
void PlotAt(int32_t x, int32_t y, int32_t radius, ViewVertex point, Plot&& plot) {
    PlotCircle(x, y, radius, [&](int32_t px, int32_t py) {
        point.screenX = px;
        point.screenY = py;
        plot(&point);
    });
}

template <class Fill>
void DotsAt(int32_t x, int32_t y, int32_t radius, int32_t size, Fill&& fill) {
    const int32_t half = size / 2;
    PlotCircle(x, y, radius, [&](int32_t px, int32_t py) {
        const int64_t left = int64_t(px) - half;
        const int64_t top = int64_t(py) - half;
        if (!FitsInt32(left) || !FitsInt32(top)) return;
        const CanvasRect square{int32_t(left), int32_t(top), size, size};
        fill(&square);
    });
}

}  // namespace

void DrawCircleVertex(Canvas* canvas, const ViewVertex* centre, int32_t radius) {
    PlotAt(centre->screenX, centre->screenY, radius, *centre,
           [canvas](const ViewVertex* p) { canvas->PlotPixelInt(p, nullptr); });
}

void DrawCircleVertexClipped(Canvas* canvas, const ViewVertex* centre, int32_t radius) {
    PlotAt(centre->screenX, centre->screenY, radius, *centre,
           [canvas](const ViewVertex* p) { canvas->PlotPixelClippedInt(p, nullptr, nullptr); });
}

void DrawCircleColor(Canvas* canvas, int32_t x, int32_t y, int32_t radius, uint32_t colour) {
    PlotAt(x, y, radius, ColourPoint(*canvas, colour),
           [canvas](const ViewVertex* p) { canvas->PlotPixelInt(p, nullptr); });
}

void DrawCircleRgb(Canvas* canvas, int32_t x, int32_t y, int32_t radius, const uint8_t* rgb) {
    PlotAt(x, y, radius, ViewVertex{}, [canvas, rgb](const ViewVertex* p) { canvas->PlotPixelInt(p, rgb); });
}

void DrawCircle(Canvas* canvas, int32_t x, int32_t y, int32_t radius, uint32_t colour) {
    PlotAt(x, y, radius, ColourPoint(*canvas, colour),
           [canvas](const ViewVertex* p) { canvas->PlotPixelClippedInt(p, nullptr, nullptr); });
}

void DrawCircleRgbClipped(Canvas* canvas, int32_t x, int32_t y, int32_t radius, const uint8_t* rgb) {
    PlotAt(x, y, radius, ViewVertex{},
           [canvas, rgb](const ViewVertex* p) { canvas->PlotPixelClippedInt(p, rgb, nullptr); });
}

void DrawCircleDots(Canvas* canvas, int32_t x, int32_t y, int32_t radius, uint32_t colour, int32_t size) {
    DotsAt(x, y, radius, size, [canvas, colour](const CanvasRect* r) { canvas->FillRect(r, colour); });
}

void DrawCircleDotsClipped(Canvas* canvas, int32_t x, int32_t y, int32_t radius, uint32_t colour, int32_t size) {
    DotsAt(x, y, radius, size,
           [canvas, colour](const CanvasRect* r) { canvas->FillRectClipped(r, colour, nullptr); });
}
