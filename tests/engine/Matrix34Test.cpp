#include "engine/Matrix34.h"

#include <gtest/gtest.h>

namespace {

// A larger transform record that embeds a matrix and keeps fields after it.
struct TransformLike {
    float before;
    Matrix34 matrix;
    float after[4];
};

}  // namespace

TEST(Matrix34, SetIdentityOverwritesEveryFloatOfTheMatrix) {
    Matrix34 matrix;
    float* const floats = &matrix.rows[0][0];
    for (int i = 0; i < 12; ++i) {
        floats[i] = 5.0f + static_cast<float>(i);
    }
    matrix.SetIdentity();
    for (int i = 0; i < 12; ++i) {
        const float expected = (i == 0 || i == 4 || i == 8) ? 1.0f : 0.0f;
        EXPECT_EQ(floats[i], expected) << "float " << i;
    }
}

TEST(Matrix34, SetIdentityLeavesTheSurroundingFieldsAlone) {
    TransformLike record{};
    record.before = -2.0f;
    for (float& value : record.after) {
        value = 3.5f;
    }
    record.matrix.SetIdentity();
    EXPECT_EQ(record.before, -2.0f);
    for (const float value : record.after) {
        EXPECT_EQ(value, 3.5f);
    }
    EXPECT_EQ(record.matrix.rows[Matrix34::kTranslationRow][0], 0.0f);
    EXPECT_EQ(record.matrix.rows[2][2], 1.0f);
}
