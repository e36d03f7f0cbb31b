#include "engine/MathRoutineTable.h"

#include <bit>
#include <cmath>
#include <cstdint>

// Constant-initialised, so the x87 forms are in place before any other
// start-up code can call through the table.
constinit MathRoutineTable g_mathRoutineTable = {
    &TransformPoint, &TransformVector, &CrossProduct, &NormalizeVector, &MultiplyMatrix,
};

void MathRoutineTable::InstallX87() {
    g_mathRoutineTable = {&TransformPoint, &TransformVector, &CrossProduct, &NormalizeVector, &MultiplyMatrix};
}

void MathRoutineTable::Install3dNow() {
    g_mathRoutineTable = {&TransformPoint3dNowTable, &TransformVector3dNowTable, &CrossProduct3dNow,
                          &NormalizeVector3dNowTable, &MultiplyMatrix3dNow};
}

namespace {

// The x87 and the 3DNow! forms of the linear routines compute the same sums
// in the same order and differ only in how wide they keep them, the
// Accumulator:
// - double for the x87 forms. Products of two floats are exact in double, so
//   double models the x87's wide registers closely: one rounding to float
//   when the result is stored.
// - float for the 3DNow! forms, in portable single precision: every product
//   and sum is rounded to float, as the packed float instructions round them.
//   The instruction that leaves the MMX state at their end (FEMMS) has
//   nothing to undo here, so it has no counterpart.
// Reordering a sum here changes the low bits of one form or the other.

template <typename Accumulator, bool kWithTranslation>
Vector3* TransformIn(const Vector3* vector, const Matrix34* matrix, Vector3* out) {
    const Accumulator x = vector->x;
    const Accumulator y = vector->y;
    const Accumulator z = vector->z;
    const auto& r = matrix->rows;
    float result[3];
    for (int j = 0; j < 3; ++j) {
        Accumulator sum = x * r[0][j] + y * r[1][j] + z * r[2][j];
        if constexpr (kWithTranslation) {
            sum += r[Matrix34::kTranslationRow][j];
        }
        result[j] = static_cast<float>(sum);
    }
    out->x = result[0];
    out->y = result[1];
    out->z = result[2];
    return out;
}

template <typename Accumulator>
Vector3* CrossProductIn(const Vector3* a, const Vector3* b, Vector3* out) {
    const Accumulator ax = a->x, ay = a->y, az = a->z;
    const Accumulator bx = b->x, by = b->y, bz = b->z;
    const float ox = static_cast<float>(ay * bz - az * by);
    const float oy = static_cast<float>(az * bx - ax * bz);
    const float oz = static_cast<float>(ax * by - ay * bx);
    out->x = ox;
    out->y = oy;
    out->z = oz;
    return out;
}

template <typename Accumulator>
Matrix34* MultiplyMatrixIn(const Matrix34* a, const Matrix34* b, Matrix34* out) {
    const auto& ra = a->rows;
    const auto& rb = b->rows;
    float result[4][3];
    for (int i = 0; i < 4; ++i) {
        const Accumulator x = ra[i][0];
        const Accumulator y = ra[i][1];
        const Accumulator z = ra[i][2];
        for (int j = 0; j < 3; ++j) {
            Accumulator sum = x * rb[0][j] + y * rb[1][j] + z * rb[2][j];
            // a's translation is a point, its three linear rows are directions.
            if (i == Matrix34::kTranslationRow) {
                sum += rb[Matrix34::kTranslationRow][j];
            }
            result[i][j] = static_cast<float>(sum);
        }
    }
    for (int i = 0; i < 4; ++i) {
        for (int j = 0; j < 3; ++j) {
            out->rows[i][j] = result[i][j];
        }
    }
    return out;
}

// What the processor's reciprocal-square-root estimate gives: about 12 good
// bits. The exact value rounded down to 12 mantissa bits models it the same
// way on every machine, so results do not depend on where they were computed.
float ReciprocalSqrtEstimate(float value) {
    constexpr uint32_t kDroppedMantissaBits = 23 - 12;
    constexpr uint32_t kKeepMask = ~((uint32_t{1} << kDroppedMantissaBits) - 1);
    const float exact = static_cast<float>(1.0 / std::sqrt(static_cast<double>(value)));
    return std::bit_cast<float>(std::bit_cast<uint32_t>(exact) & kKeepMask);
}

// One Newton-Raphson step for 1/sqrt(value), from the estimate r:
// r (3 - value r^2) / 2, which roughly doubles the number of good bits.
float RefineReciprocalSqrt(float value, float r) {
    const float rSquared = r * r;
    const float halfError = 0.5f * (1.0f - value * rSquared);
    return r + r * halfError;
}

}  // namespace

// x87 forms.

Vector3* TransformPoint(const Vector3* point, const Matrix34* matrix, Vector3* out) {
    return TransformIn<double, true>(point, matrix, out);
}

Vector3* TransformVector(const Vector3* vector, const Matrix34* matrix, Vector3* out) {
    return TransformIn<double, false>(vector, matrix, out);
}

Vector3* CrossProduct(const Vector3* a, const Vector3* b, Vector3* out) {
    return CrossProductIn<double>(a, b, out);
}

Vector3* NormalizeVector(Vector3* vector) {
    const double x = vector->x;
    const double y = vector->y;
    const double z = vector->z;
    const double length = std::sqrt(x * x + y * y + z * z);
    if (length >= 0.0001) {
        vector->x = static_cast<float>(x / length);
        vector->y = static_cast<float>(y / length);
        vector->z = static_cast<float>(z / length);
    }
    return vector;
}

Matrix34* MultiplyMatrix(const Matrix34* a, const Matrix34* b, Matrix34* out) {
    return MultiplyMatrixIn<double>(a, b, out);
}

// 3DNow! forms.

Vector3* TransformPoint3dNowTable(const Vector3* point, const Matrix34* matrix, Vector3* out) {
    return TransformIn<float, true>(point, matrix, out);
}

Vector3* TransformVector3dNowTable(const Vector3* vector, const Matrix34* matrix, Vector3* out) {
    return TransformIn<float, false>(vector, matrix, out);
}

Vector3* CrossProduct3dNow(const Vector3* a, const Vector3* b, Vector3* out) {
    return CrossProductIn<float>(a, b, out);
}

// Differs from the x87 form in more than width: it tests the squared length,
// compares it as an integer and multiplies by a reciprocal square root.
Vector3* NormalizeVector3dNowTable(Vector3* vector) {
    const float x = vector->x;
    const float y = vector->y;
    const float z = vector->z;
    const float squared = x * x + y * y + z * z;
    // Compared as integers, as the packed compare does; for a sum of squares
    // (never negative) this orders exactly like the float comparison.
    if (std::bit_cast<int32_t>(squared) < std::bit_cast<int32_t>(0.0001f)) {
        return vector;
    }
    const float scale = RefineReciprocalSqrt(squared, ReciprocalSqrtEstimate(squared));
    vector->x = x * scale;
    vector->y = y * scale;
    vector->z = z * scale;
    return vector;
}

Matrix34* MultiplyMatrix3dNow(const Matrix34* a, const Matrix34* b, Matrix34* out) {
    return MultiplyMatrixIn<float>(a, b, out);
}

// Direct forms.

Vector3* TransformPoint3dNow(const Vector3* point, const Matrix34* matrix, Vector3* out) {
    return TransformPoint3dNowTable(point, matrix, out);
}

Vector3* RotateVector3dNow(const Vector3* vector, const Matrix34* matrix, Vector3* out) {
    return TransformVector3dNowTable(vector, matrix, out);
}

Vector3* NormalizeVector3dNow(Vector3* vector) {
    return NormalizeVector3dNowTable(vector);
}

// On the processor this leaves the MMX state (FEMMS), whose registers alias
// the x87 stack. The portable forms above never enter that state, so there
// is nothing to leave; the call stays so the draw keeps its shape.
void ExitMmxState() {}
