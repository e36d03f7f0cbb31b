#include "raster/GenericSpans.h"
#include "raster/Span.h"
#include "raster/UntexturedSpans.h"

namespace {

// Built once, before main, from the untextured routines, the generic
// families and the units' selectors, all of which are constant-initialised.
struct SpanDispatchTable {
    SpanFiller entries[kSpanSizeClasses][kSpanModes] = {};

    SpanDispatchTable() {
        // Row 0 is the only row untextured triangles index; the texture-
        // coordinate dither bit means nothing to them.
        SpanFiller* const row0 = entries[0];
        const SpanFiller opaque[4] = {&SpanFlat, &SpanFlatDepth, &SpanGouraud, &SpanGouraudDepth};
        const SpanFiller alpha[4] = {&SpanFlatAlpha, &SpanFlatAlphaDepth, &SpanGouraudAlpha, &SpanGouraudAlphaDepth};
        for (uint32_t mode = 0; mode < 8; ++mode) {
            row0[mode] = opaque[mode & 3];
            row0[kSpanModeTranslucent | mode] = alpha[mode & 3];
        }

        // Every class draws translucent textures with the generic loops, and
        // opaque ones with its unit when it has one (both sides 32 or more).
        for (int32_t sizeClass = 0; sizeClass < kSpanSizeClasses; ++sizeClass) {
            const SpanFiller* unit = SpanUnitSelectors(sizeClass);
            const SpanFiller* const opaqueTextured = unit != nullptr ? unit : g_spanTexturedSelectors;
            SpanFiller* const row = entries[sizeClass];
            for (uint32_t mode = 0; mode < 8; ++mode) {
                row[kSpanModeTextured | mode] = opaqueTextured[mode];
                row[kSpanModeTranslucent | kSpanModeTextured | mode] = g_spanTexturedAlphaSelectors[mode];
            }
        }
    }
};

const SpanDispatchTable table;

}  // namespace

constinit const SpanFiller (&g_spanDispatch)[kSpanSizeClasses][kSpanModes] = table.entries;
