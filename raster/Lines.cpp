#include "raster/Lines.h"

#include <algorithm>
#include <cstdlib>
#include <limits>
#include <optional>

#include "display/Canvas.h"
#include "display/Palette.h"

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

    // Only steps whose pixel can lie on the canvas along the major axis are
    // walked; the others are skipped by computing the walk's state where the
    // canvas begins, so a line far longer than the canvas costs no more than
    // its pixels on it.
    const int64_t majorSize = xMajor ? canvas->width : canvas->height;
    const int64_t startMajor = xMajor ? start.screenX : start.screenY;
    const int64_t endMajor = xMajor ? end.screenX : end.screenY;

    if (dx != 0 && dy != 0) {
        const bool minorFalls = xMajor ? end.screenY < start.screenY : end.screenX < start.screenX;
        const int64_t minorStep = minorFalls ? -1 : 1;
        const int64_t startMinor = xMajor ? start.screenY : start.screenX;
        const int64_t endMinor = xMajor ? end.screenY : end.screenX;
        // Steps 1..steps from both ends; step k moves the front to
        // startMajor + k and the back to endMajor - k, and both ends' minor
        // coordinates by the number of times the error term was >= 0 so far:
        // floor((2 k minor + major) / (2 major)).
        const int64_t steps = (major + 1) / 2;
        const auto minorMoves = [&](int64_t k) {
            // 128 bits: k and minor may each come near 2^32.
            return int64_t(((unsigned __int128)(2 * k) * uint64_t(minor) + uint64_t(major)) / uint64_t(2 * major));
        };
        // The steps whose front, or back, lies in 0..majorSize-1.
        const int64_t frontFirst = std::max<int64_t>(1, -startMajor);
        const int64_t frontLast = std::min<int64_t>(steps, majorSize - 1 - startMajor);
        const int64_t backFirst = std::max<int64_t>(1, endMajor - (majorSize - 1));
        const int64_t backLast = std::min<int64_t>(steps, endMajor);
        int64_t segments[2][2] = {{frontFirst, frontLast}, {backFirst, backLast}};
        if (segments[1][0] < segments[0][0]) std::swap(segments[0], segments[1]);
        if (segments[0][1] >= segments[1][0] - 1) {
            segments[0][1] = std::max(segments[0][1], segments[1][1]);
            segments[1][0] = 1;
            segments[1][1] = 0;
        }
        for (const auto& segment : segments) {
            for (int64_t k = segment[0]; k <= segment[1]; ++k) {
                const int64_t moves = minorMoves(k);
                const int64_t majorFront = startMajor + k;
                const int64_t majorBack = endMajor - k;
                const int64_t minorFront = startMinor + minorStep * moves;
                const int64_t minorBack = endMinor - minorStep * moves;
                (xMajor ? front.screenX : front.screenY) = int32_t(majorFront);
                // Every coordinate lies between the two ends', so fits.
                (xMajor ? front.screenY : front.screenX) = int32_t(minorFront);
                (xMajor ? back.screenX : back.screenY) = int32_t(majorBack);
                (xMajor ? back.screenY : back.screenX) = int32_t(minorBack);
                front.depth = start.depth + uint32_t(int64_t(depthStep) * k);
                back.depth = end.depth - uint32_t(int64_t(depthStep) * k);
                const int64_t frontShadeNow = frontShade + int64_t(shadeStep) * k;
                const int64_t backShadeNow = backShade - int64_t(shadeStep) * k;
                front.intensity = int32_t(frontShadeNow >> 16);
                back.intensity = int32_t(backShadeNow >> 16);
                if (k >= frontFirst && k <= frontLast) canvas->PlotPixelInt(&front, plotColour);
                if (k >= backFirst && k <= backLast) canvas->PlotPixelInt(&back, plotColour);
            }
        }
    } else {
        // Along one axis the end pixel is left to the end-point plots.
        int32_t& along = xMajor ? front.screenX : front.screenY;
        const int64_t first = std::max<int64_t>(startMajor, 0);
        const int64_t last = std::min<int64_t>(endMajor, majorSize);
        for (int64_t at = first; at < last; ++at) {
            const int64_t k = at - startMajor + 1;
            front.depth = start.depth + uint32_t(int64_t(depthStep) * k);
            front.intensity = int32_t((frontShade + int64_t(shadeStep) * k) >> 16);
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
