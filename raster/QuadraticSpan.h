#pragma once
#include <cstdint>

// Forward differences that walk a value along a row of n pixels on the
// parabola through a at the left end, the perspective-weighted middle
// (a x w0 + b x w1) / (w0 + w1), and b at the right end: per pixel
// value += d1, then d1 += d2. Both come out shifted left by shift (0..16), the
// shift that puts a texel coordinate's whole part in its top bits. n = 0
// gives zero differences; weights summing to 0 give the straight line
// (d2 = 0). A middle beyond 32 bits, which only weights of opposite sign
// can give, is taken at the nearest 32-bit value.
void QuadraticSpanCoefficients(int32_t w0, int32_t w1, int32_t a, int32_t b, int32_t n, int32_t* d1,
                               int32_t* d2, int32_t shift);
