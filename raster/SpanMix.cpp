#include "raster/SpanMix.h"

#include "display/ColorTables.h"
#include "raster/Span.h"

SpanScaleRows MakeSpanScaleRows(const SpanSetup* setup) {
    const uint32_t level = setup->level > 255 ? 255 : setup->level;
    SpanScaleRows rows;
    rows.source = g_colorTables->shadeTable[level];
    rows.destination = g_colorTables->shadeTable[255 - level];
    return rows;
}
