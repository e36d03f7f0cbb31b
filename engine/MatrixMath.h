#pragma once
#include <cstdint>

#include "engine/Matrix34.h"
#include "engine/Vector3.h"

// Matrix and vector helpers that the hot paths do not need in both processor
// forms, so they are called directly rather than through the routine table.

// Determinant of the 3x3 linear part; the translation does not enter it.
float MatrixDeterminant(const Matrix34* m);

// Returned by InvertMatrix when the linear part is singular.
constexpr int32_t kMatrixSingular = 1;

// Writes the inverse transform of m: a point mapped by m and then by out
// comes back. Returns 0, or kMatrixSingular when the determinant is exactly 0
// and then leaves out untouched. out may be m.
int32_t InvertMatrix(const Matrix34* m, Matrix34* out);

float DotProduct(const Vector3* a, const Vector3* b);
float VectorLength(const Vector3* v);
