#include "raster/QuadraticSpan.h"

#include <cmath>
#include <cstdint>
#include <vector>

#include <gtest/gtest.h>

namespace {

constexpr int32_t kTexel = 0x10000;
constexpr int32_t kShift = 10;   // a 64-texel-wide texture

// The values a row loop reaches, pixel 0 .. n, in texels.
std::vector<double> Walk(int32_t w0, int32_t w1, int32_t a, int32_t b, int32_t n, int32_t shift) {
    int32_t d1 = 0;
    int32_t d2 = 0;
    QuadraticSpanCoefficients(w0, w1, a, b, n, &d1, &d2, shift);
    std::vector<double> values;
    uint32_t value = uint32_t(a) << shift;
    uint32_t first = uint32_t(d1);
    for (int32_t k = 0; k <= n; ++k) {
        values.push_back(double(value) / double(int64_t(kTexel) << shift));
        value += first;
        first += uint32_t(d2);
    }
    return values;
}

double Perspective(double w0, double w1, double a, double b, double t) {
    return (a * w0 * (1.0 - t) + b * w1 * t) / (w0 * (1.0 - t) + w1 * t);
}

}  // namespace

TEST(QuadraticSpanCoefficients, GivesZeroDifferencesForAnEmptyRow) {
    int32_t d1 = -1;
    int32_t d2 = -1;
    QuadraticSpanCoefficients(1 << 30, 1 << 28, 0, 40 * kTexel, 0, &d1, &d2, kShift);
    EXPECT_EQ(d1, 0);
    EXPECT_EQ(d2, 0);
}

TEST(QuadraticSpanCoefficients, GivesAStraightLineForEqualWeights) {
    int32_t d1 = 0;
    int32_t d2 = -1;
    const int32_t a = kTexel / 2;
    const int32_t b = a + 40 * kTexel;
    QuadraticSpanCoefficients(1 << 29, 1 << 29, a, b, 40, &d1, &d2, kShift);
    EXPECT_EQ(d2, 0);
    const int32_t straight = ((b - a) / 40) << kShift;
    EXPECT_NEAR(d1, straight, straight / 1000);
}

TEST(QuadraticSpanCoefficients, FallsBackToTheStraightLineWhenTheWeightsSumToZero) {
    const int32_t a = 3 * kTexel;
    const int32_t b = -17 * kTexel + 123;
    for (const int32_t w : {0, 1 << 29, -12345}) {
        int32_t d1 = 0;
        int32_t d2 = -1;
        QuadraticSpanCoefficients(w, -w, a, b, 7, &d1, &d2, kShift);
        EXPECT_EQ(d2, 0) << w;
        EXPECT_EQ(d1, int32_t(uint32_t((b - a) / 7) << kShift)) << w;
    }
}

TEST(QuadraticSpanCoefficients, MeetsBothEndsAndFollowsThePerspectiveBetween) {
    const int32_t a = kTexel / 2;
    const int32_t b = 63 * kTexel + kTexel / 2;
    for (const int32_t n : {1, 2, 3, 7, 40, 63}) {
        SCOPED_TRACE(n);
        const std::vector<double> walked = Walk(1 << 30, 1 << 29, a, b, n, kShift);
        EXPECT_DOUBLE_EQ(walked.front(), 0.5);
        EXPECT_NEAR(walked.back(), 63.5, 1.0 / 16);
        double quadraticError = 0.0;
        double straightError = 0.0;
        for (int32_t k = 0; k <= n; ++k) {
            const double t = double(k) / n;
            const double exact = Perspective(1.0, 0.5, 0.5, 63.5, t);
            EXPECT_NEAR(walked[size_t(k)], exact, 2.0) << k;
            quadraticError += std::fabs(walked[size_t(k)] - exact);
            straightError += std::fabs(0.5 + 63.0 * t - exact);
        }
        if (n >= 3) {
            EXPECT_LT(quadraticError * 4, straightError);
        }
    }
}

TEST(QuadraticSpanCoefficients, ShiftsTheDifferencesIntoTheTopBits) {
    int32_t d1 = 0;
    int32_t d2 = 0;
    int32_t shiftedD1 = 0;
    int32_t shiftedD2 = 0;
    QuadraticSpanCoefficients(1 << 30, 1 << 28, 0, 10 * kTexel, 16, &d1, &d2, 0);
    QuadraticSpanCoefficients(1 << 30, 1 << 28, 0, 10 * kTexel, 16, &shiftedD1, &shiftedD2, 8);
    EXPECT_NEAR(shiftedD1, d1 * 256, 512);
    EXPECT_NEAR(shiftedD2, d2 * 256, 256);
    EXPECT_NE(d2, 0);
}

// A middle far beyond 32 bits (weights of opposite sign) and the widest
// values must stay defined; the sanitizers watch the arithmetic.
TEST(QuadraticSpanCoefficients, StaysDefinedForExtremeArguments) {
    int32_t d1 = 0;
    int32_t d2 = 0;
    QuadraticSpanCoefficients(INT32_MAX, -(INT32_MAX - 1), INT32_MIN, INT32_MAX, 1, &d1, &d2, 16);
    QuadraticSpanCoefficients(INT32_MIN, INT32_MIN, INT32_MIN, INT32_MIN, 1, &d1, &d2, 16);
    QuadraticSpanCoefficients(INT32_MIN, 1, INT32_MAX, INT32_MIN, INT32_MAX, &d1, &d2, 99);
    QuadraticSpanCoefficients(1, INT32_MAX, INT32_MIN, INT32_MAX, 3, &d1, &d2, -5);
    SUCCEED();
}
