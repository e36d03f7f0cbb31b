#pragma once
#include <initializer_list>

#include "engine/Matrix34.h"

// A matrix from its twelve numbers, row by row: the three axes, then the
// translation.
Matrix34 MakeMatrix(std::initializer_list<float> rowByRow);

// Every element of `actual` within `tolerance` of `expected`; a failure names
// the row and column.
void ExpectMatrixNear(const Matrix34& actual, const Matrix34& expected, float tolerance);
