#include "tests/support/MatrixChecks.h"

#include <gtest/gtest.h>

Matrix34 MakeMatrix(std::initializer_list<float> rowByRow) {
    Matrix34 m;
    const float* value = rowByRow.begin();
    for (auto& row : m.rows) {
        for (float& element : row) {
            element = *value++;
        }
    }
    return m;
}

void ExpectMatrixNear(const Matrix34& actual, const Matrix34& expected, float tolerance) {
    for (int i = 0; i < 4; ++i) {
        for (int j = 0; j < 3; ++j) {
            EXPECT_NEAR(actual.rows[i][j], expected.rows[i][j], tolerance) << "row " << i << " column " << j;
        }
    }
}
