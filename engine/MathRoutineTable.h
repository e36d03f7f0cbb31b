#pragma once
#include "engine/Matrix34.h"
#include "engine/Vector3.h"

// The hot vector operations of the 3D layer, called through one process-wide
// table so that the processor's fastest forms serve every caller. Vectors are
// row vectors: a point maps to x * row 0 + y * row 1 + z * row 2 + row 3, a
// direction the same without row 3. Every routine accepts an output that is
// also one of its inputs, writes only the output's three (or twelve) floats,
// and returns the output.
struct MathRoutineTable {
    using TransformRoutine = Vector3* (*)(const Vector3* vector, const Matrix34* matrix, Vector3* out);
    using CrossProductRoutine = Vector3* (*)(const Vector3* a, const Vector3* b, Vector3* out);
    using NormalizeRoutine = Vector3* (*)(Vector3* vector);
    using MultiplyRoutine = Matrix34* (*)(const Matrix34* a, const Matrix34* b, Matrix34* out);

    TransformRoutine transformPoint;    // with the translation
    TransformRoutine transformVector;   // the 3x3 part only
    CrossProductRoutine crossProduct;   // a x b, right-handed
    NormalizeRoutine normalizeVector;   // in place; very short vectors stay as they are
    MultiplyRoutine multiplyMatrix;     // out = a then b: maps first by a, then by b

    // Written at start-up and when the game switches forms, on the game
    // thread only; the table holds the x87 forms until then.
    static void InstallX87();
    static void Install3dNow();
};

extern MathRoutineTable g_mathRoutineTable;

// The x87 forms keep their intermediates wider than a float (as the x87
// registers do) and round once when they store.
Vector3* TransformPoint(const Vector3* point, const Matrix34* matrix, Vector3* out);
Vector3* TransformVector(const Vector3* vector, const Matrix34* matrix, Vector3* out);
Vector3* CrossProduct(const Vector3* a, const Vector3* b, Vector3* out);
// Divides by the length when the length is at least 0.0001.
Vector3* NormalizeVector(Vector3* vector);
Matrix34* MultiplyMatrix(const Matrix34* a, const Matrix34* b, Matrix34* out);

// The 3DNow! forms round every product and sum to single precision.
Vector3* TransformPoint3dNowTable(const Vector3* point, const Matrix34* matrix, Vector3* out);
Vector3* TransformVector3dNowTable(const Vector3* vector, const Matrix34* matrix, Vector3* out);
Vector3* CrossProduct3dNow(const Vector3* a, const Vector3* b, Vector3* out);
// Leaves the vector alone when its squared length is below 0.0001, else
// multiplies by a refined reciprocal square root (no division).
Vector3* NormalizeVector3dNowTable(Vector3* vector);
Matrix34* MultiplyMatrix3dNow(const Matrix34* a, const Matrix34* b, Matrix34* out);

// The scene object's draw calls these directly, not through the table, in its
// 3DNow! path: the same mappings as the table's 3DNow! forms.
Vector3* TransformPoint3dNow(const Vector3* point, const Matrix34* matrix, Vector3* out);
Vector3* RotateVector3dNow(const Vector3* vector, const Matrix34* matrix, Vector3* out);
Vector3* NormalizeVector3dNow(Vector3* vector);
// Ends a draw's 3DNow! section so that x87 code may follow.
void ExitMmxState();
