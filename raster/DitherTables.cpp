#include "raster/Span.h"

namespace {

constexpr int32_t kOne = 0x10000;  // 1.0 in 16.16

}  // namespace

// Halved and centred on zero, the Bayer matrix moves a shade or a texture
// coordinate by at most half a level or half a texel either way (after the
// loops' scaling), which spreads the steps between levels into an even pattern.
const int32_t g_ditherOffsets[4][4] = {
    {-7 * kOne / 2, 1 * kOne / 2, -5 * kOne / 2, 3 * kOne / 2},
    {5 * kOne / 2, -3 * kOne / 2, 7 * kOne / 2, -1 * kOne / 2},
    {-2 * kOne, 2 * kOne, -3 * kOne, 1 * kOne},
    {4 * kOne, 0, 3 * kOne, -1 * kOne},
};

const int32_t g_bayerMatrix[4][4] = {
    {0 * kOne, 8 * kOne, 2 * kOne, 10 * kOne},
    {12 * kOne, 4 * kOne, 14 * kOne, 6 * kOne},
    {3 * kOne, 11 * kOne, 1 * kOne, 9 * kOne},
    {15 * kOne, 7 * kOne, 13 * kOne, 5 * kOne},
};

// The RGB channels dither with turned copies of one matrix so that their
// rounding steps do not fall on the same pixels.
const int32_t g_bayerMatrixRot90[4][4] = {
    {10 * kOne, 6 * kOne, 9 * kOne, 5 * kOne},
    {2 * kOne, 14 * kOne, 1 * kOne, 13 * kOne},
    {8 * kOne, 4 * kOne, 11 * kOne, 7 * kOne},
    {0 * kOne, 12 * kOne, 3 * kOne, 15 * kOne},
};

const int32_t g_bayerMatrixRot180[4][4] = {
    {5 * kOne, 13 * kOne, 7 * kOne, 15 * kOne},
    {9 * kOne, 1 * kOne, 11 * kOne, 3 * kOne},
    {6 * kOne, 14 * kOne, 4 * kOne, 12 * kOne},
    {10 * kOne, 2 * kOne, 8 * kOne, 0 * kOne},
};

// Entry + level >= 255 draws the pixel, so level L covers about (L + 1) / 256
// of every 4 x 4 block.
const int32_t g_bayerStipple[4][4] = {
    {0, 128, 32, 160},
    {192, 64, 224, 96},
    {48, 176, 16, 144},
    {240, 112, 208, 80},
};
