#pragma once
#include "engine/Vector3.h"

// A 3x4 matrix of 32-bit floats for row vectors: rows 0 to 2 are the linear
// part (a transform's x, y and z axes), row 3 the translation. A point p maps
// to p.x * row 0 + p.y * row 1 + p.z * row 2 + row 3.
struct Matrix34 {
    static constexpr int kTranslationRow = 3;

    float rows[4][3];

    // Writes the twelve floats and nothing else: a record that embeds the
    // matrix sets its own further fields itself.
    void SetIdentity() {
        for (float (&row)[3] : rows) {
            row[0] = 0.0f;
            row[1] = 0.0f;
            row[2] = 0.0f;
        }
        rows[0][0] = 1.0f;
        rows[1][1] = 1.0f;
        rows[2][2] = 1.0f;
    }

    // An object's position is the translation of its local transform.
    void GetTranslation(Vector3* out) const {
        out->x = rows[kTranslationRow][0];
        out->y = rows[kTranslationRow][1];
        out->z = rows[kTranslationRow][2];
    }
};
static_assert(sizeof(Matrix34) == 48);
