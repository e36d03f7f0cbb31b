#include "engine/MatrixMath.h"

#include <cmath>
#include <cstring>

// These run on the x87 unit only, so like the x87 table forms they keep their
// intermediates in double and round once when they store a float.

namespace {

double DeterminantIn(const float (&r)[4][3]) {
    const double a = r[0][0], b = r[0][1], c = r[0][2];
    const double d = r[1][0], e = r[1][1], f = r[1][2];
    const double g = r[2][0], h = r[2][1], i = r[2][2];
    return a * (e * i - f * h) - b * (d * i - f * g) + c * (d * h - e * g);
}

}  // namespace

float MatrixDeterminant(const Matrix34* m) {
    return static_cast<float>(DeterminantIn(m->rows));
}

int32_t InvertMatrix(const Matrix34* m, Matrix34* out) {
    const auto& r = m->rows;
    // A placement that only moves (a billboard's, every frame for each) has
    // the identity for its linear part, to the bit: the adjugate would give
    // the identity again, over a determinant of exactly 1.
    static constexpr float kIdentityRows[3][3] = {{1.0f, 0.0f, 0.0f}, {0.0f, 1.0f, 0.0f}, {0.0f, 0.0f, 1.0f}};
    double inverse[3][3] = {{1.0, 0.0, 0.0}, {0.0, 1.0, 0.0}, {0.0, 0.0, 1.0}};
    if (std::memcmp(r, kIdentityRows, sizeof kIdentityRows) != 0) {
        // Tested before rounding to float: a determinant too small for a
        // float is still invertible in the wider registers.
        const double determinant = DeterminantIn(r);
        if (determinant == 0.0) {
            return kMatrixSingular;
        }

        const double a = r[0][0], b = r[0][1], c = r[0][2];
        const double d = r[1][0], e = r[1][1], f = r[1][2];
        const double g = r[2][0], h = r[2][1], i = r[2][2];
        const double scale = 1.0 / determinant;
        // Adjugate (transposed cofactors) over the determinant.
        const double adjugate[3][3] = {
            {(e * i - f * h) * scale, (c * h - b * i) * scale, (b * f - c * e) * scale},
            {(f * g - d * i) * scale, (a * i - c * g) * scale, (c * d - a * f) * scale},
            {(d * h - e * g) * scale, (b * g - a * h) * scale, (a * e - b * d) * scale},
        };
        std::memcpy(inverse, adjugate, sizeof inverse);
    }
    // Undoing the translation comes after undoing the linear part, so the
    // new translation is the old one, negated, mapped by the inverse.
    const double tx = r[Matrix34::kTranslationRow][0];
    const double ty = r[Matrix34::kTranslationRow][1];
    const double tz = r[Matrix34::kTranslationRow][2];
    double translation[3];
    for (int j = 0; j < 3; ++j) {
        translation[j] = -(tx * inverse[0][j] + ty * inverse[1][j] + tz * inverse[2][j]);
    }

    // Everything is read by now, so out may be m.
    for (int row = 0; row < 3; ++row) {
        for (int j = 0; j < 3; ++j) {
            out->rows[row][j] = static_cast<float>(inverse[row][j]);
        }
    }
    for (int j = 0; j < 3; ++j) {
        out->rows[Matrix34::kTranslationRow][j] = static_cast<float>(translation[j]);
    }
    return 0;
}

float DotProduct(const Vector3* a, const Vector3* b) {
    return static_cast<float>(double{a->x} * b->x + double{a->y} * b->y + double{a->z} * b->z);
}

float VectorLength(const Vector3* v) {
    return static_cast<float>(std::sqrt(double{v->x} * v->x + double{v->y} * v->y + double{v->z} * v->z));
}
