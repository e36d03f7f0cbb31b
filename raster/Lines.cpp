#include "raster/Lines.h"

#include <cstdlib>
#include <limits>
#include <optional>

#include "display/Palette.h"
#include "display/Canvas.h"

namespace {

// Quotient truncated toward zero, held at the ends of the 32-bit range when
// it would not fit; a zero divisor (a line of no length) steps by 0.
int32_t SaturatingDivide(int64_t numerator, int64_t denominator) {
    if (denominator == 0) {
        return 0;
    }
    const int64_t quotient = numerator / denominator;
    if (quotient > std::numeric_limits<int32_t>::max()) {
        return std::numeric_limits<int32_t>::max();
    }
    if (quotient < std::numeric_limits<int32_t>::min()) {
        return std::numeric_limits<int32_t>::min();
    }
    return int32_t(quotient);
}

ViewVertex PlotRecord(const ViewVertex& at, uint32_t colour, int32_t intensity) {
    ViewVertex record;
    record.screenX = at.screenX;
    record.screenY = at.screenY;
    record.depth = at.depth;
    record.colour = colour;
    record.intensity = intensity;
    return record;
}

// The walk both lines share. In a shaded line the intensity (16.16 in the
// walk) runs from the start's to the end's; otherwise every pixel has the
// start's. Every pixel has the start's colour word unless a matched colour
// stands in for it.
void WalkLine(Canvas* canvas, const ViewVertex* p, const ViewVertex* q, const uint8_t* plotColour, bool shaded,
              std::optional<uint32_t> matchedColour) {
    // 64-bit differences: the ends are whatever the caller had, unclipped.
    const int64_t dx = std::llabs(int64_t(p->screenX) - q->screenX);
    const int64_t dy = std::llabs(int64_t(p->screenY) - q->screenY);
    const bool xMajor = dx >= dy;
    const bool swapped = xMajor ? q->screenX < p->screenX : q->screenY < p->screenY;
    const ViewVertex& start = swapped ? *q : *p;
    const ViewVertex& end = swapped ? *p : *q;
    const int64_t major = xMajor ? dx : dy;
    const int64_t minor = xMajor ? dy : dx;
    const uint32_t colourWord = matchedColour.value_or(start.colour);

    const int32_t depthStep = (canvas->flags & Canvas::kFlagDepthTest) != 0
                                  ? SaturatingDivide(int64_t(end.depth) - int64_t(start.depth), major)
                                  : 0;
    int64_t frontShade = int64_t(start.intensity) * 0x10000;
    int64_t backShade = shaded ? int64_t(end.intensity) * 0x10000 : frontShade;
    const int32_t shadeStep = shaded ? SaturatingDivide(backShade - frontShade, major) : 0;

    ViewVertex front = PlotRecord(start, colourWord, start.intensity);
    ViewVertex back = PlotRecord(end, colourWord, shaded ? end.intensity : start.intensity);

    if (dx != 0 && dy != 0) {
        int32_t& frontMajor = xMajor ? front.screenX : front.screenY;
        int32_t& frontMinor = xMajor ? front.screenY : front.screenX;
        int32_t& backMajor = xMajor ? back.screenX : back.screenY;
        int32_t& backMinor = xMajor ? back.screenY : back.screenX;
        const bool minorFalls = xMajor ? end.screenY < start.screenY : end.screenX < start.screenX;
        const int32_t minorStep = minorFalls ? -1 : 1;
        int64_t error = 2 * minor - major;
        do {
            ++frontMajor;
            --backMajor;
            if (error >= 0) {
                frontMinor += minorStep;
                backMinor -= minorStep;
                error += 2 * (minor - major);
            } else {
                error += 2 * minor;
            }
            front.depth += uint32_t(depthStep);
            back.depth -= uint32_t(depthStep);
            frontShade += shadeStep;
            backShade -= shadeStep;
            front.intensity = int32_t(frontShade >> 16);
            back.intensity = int32_t(backShade >> 16);
            canvas->PlotPixelInt(&front, plotColour);
            canvas->PlotPixelInt(&back, plotColour);
        } while (frontMajor < backMajor);
    } else {
        // Along one axis the end pixel is left to the end-point plots.
        int32_t& along = xMajor ? front.screenX : front.screenY;
        const int32_t first = xMajor ? start.screenX : start.screenY;
        const int32_t last = xMajor ? end.screenX : end.screenY;
        for (int64_t at = first; at < last; ++at) {
            front.depth += uint32_t(depthStep);
            frontShade += shadeStep;
            front.intensity = int32_t(frontShade >> 16);
            along = int32_t(at);
            canvas->PlotPixelInt(&front, plotColour);
        }
    }

    if ((canvas->flags & Canvas::kFlag16Bit) == 0) {
        ViewVertex point = PlotRecord(start, colourWord, start.intensity);
        canvas->PlotPixelInt(&point, plotColour);
        point = PlotRecord(end, colourWord, shaded ? end.intensity : start.intensity);
        canvas->PlotPixelInt(&point, plotColour);
    }
}

}  // namespace

void RasterLineFlat(Canvas* canvas, const ViewVertex* p, const ViewVertex* q, const uint8_t* colour) {
    WalkLine(canvas, p, q, colour, false, std::nullopt);
}

void RasterLineShaded(Canvas* canvas, const ViewVertex* p, const ViewVertex* q, const uint8_t* colour) {
    std::optional<uint32_t> matched;
    if (colour != nullptr && canvas->palette != nullptr) {
        matched = canvas->palette->MatchColor(Canvas::RgbToColor(colour));
    }
    WalkLine(canvas, p, q, nullptr, true, matched);
}
