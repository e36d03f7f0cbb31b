#include "scene/Transform.h"

#include <cmath>

#include "engine/MathRoutineTable.h"
#include "engine/MatrixMath.h"

// Hand-written sums below keep their intermediates in double and round once
// when they store, as the x87 unit that these operations were tuned for does.

namespace {

constexpr int kTranslation = Matrix34::kTranslationRow;

struct SineCosine {
    float s;
    float c;
};

SineCosine AngleOf(float degrees) {
    const float radians = degrees * Transform::kDegreesToRadians;
    return {static_cast<float>(std::sin(static_cast<double>(radians))),
            static_cast<float>(std::cos(static_cast<double>(radians)))};
}

Vector3 RowOf(const Matrix34& m, int row) {
    return Vector3(m.rows[row][0], m.rows[row][1], m.rows[row][2]);
}

void SetRow(Matrix34& m, int row, const Vector3& v) {
    m.rows[row][0] = v.x;
    m.rows[row][1] = v.y;
    m.rows[row][2] = v.z;
}

double Dot(const Vector3& a, const Vector3& b) {
    return static_cast<double>(a.x) * b.x + static_cast<double>(a.y) * b.y + static_cast<double>(a.z) * b.z;
}

// v minus its component along the unit vector u.
Vector3 WithoutComponent(const Vector3& v, const Vector3& u) {
    const double d = Dot(v, u);
    return Vector3(static_cast<float>(v.x - d * u.x), static_cast<float>(v.y - d * u.y),
                   static_cast<float>(v.z - d * u.z));
}

// Normalises in place and tells whether the vector had a length at all.
// Unlike the routine table's form this normalises vectors of any non-zero
// length: the re-orthonormalisations must give unit axes whenever they can.
bool NormalizeNonZero(Vector3& v) {
    const double length = std::sqrt(Dot(v, v));
    if (!(length > 0.0)) return false;
    v = Vector3(static_cast<float>(v.x / length), static_cast<float>(v.y / length),
                static_cast<float>(v.z / length));
    return true;
}

Vector3 Cross(const Vector3& a, const Vector3& b) {
    Vector3 out;
    g_mathRoutineTable.crossProduct(&a, &b, &out);
    return out;
}

// Carries v by the 3x3 part of m in double, without rounding the sum.
void CarryWide(const Vector3& v, const Matrix34& m, double out[3]) {
    for (int j = 0; j < 3; ++j) {
        out[j] = static_cast<double>(v.x) * m.rows[0][j] + static_cast<double>(v.y) * m.rows[1][j] +
                 static_cast<double>(v.z) * m.rows[2][j];
    }
}

Vector3 TranslationOf(const Matrix34& m) {
    return RowOf(m, kTranslation);
}

// Rows a and b of every rotation row pair turned by (c, s): each row's
// components a and b become (c*a - s*b, s*a + c*b). With the inverse, the
// same mix applies to inverse rows a and b (R transposed times A), and the
// inverse translation follows the changed 3x3 part.
void TurnRows(Transform& t, int a, int b, const SineCosine& angle, uint32_t flags) {
    const double c = angle.c;
    const double s = angle.s;
    for (int row = 0; row < 3; ++row) {
        const double va = t.matrix.rows[row][a];
        const double vb = t.matrix.rows[row][b];
        t.matrix.rows[row][a] = static_cast<float>(c * va - s * vb);
        t.matrix.rows[row][b] = static_cast<float>(s * va + c * vb);
    }

    t.forward = RowOf(t.matrix, 2);
    g_mathRoutineTable.normalizeVector(&t.forward);
    ++t.changeCount;
    if (t.changeCount > Transform::kMaxIncrementalRotations && (flags & Transform::kOrthonormalize)) {
        t.Orthonormalize(flags);
        return;
    }
    if (!(flags & Transform::kUpdateInverse)) return;

    const Vector3 translation = TranslationOf(t.matrix);
    double before[3];
    CarryWide(translation, t.inverse, before);
    for (int j = 0; j < 3; ++j) {
        const double ia = t.inverse.rows[a][j];
        const double ib = t.inverse.rows[b][j];
        t.inverse.rows[a][j] = static_cast<float>(c * ia - s * ib);
        t.inverse.rows[b][j] = static_cast<float>(s * ia + c * ib);
    }
    double after[3];
    CarryWide(translation, t.inverse, after);
    for (int j = 0; j < 3; ++j) {
        t.inverse.rows[kTranslation][j] =
            static_cast<float>(t.inverse.rows[kTranslation][j] - (after[j] - before[j]));
    }
}

void SetScaledRows(Transform& t, const Vector3& right, const Vector3& up, const Vector3& forward) {
    const float k = t.scale;
    SetRow(t.matrix, 0, Vector3(right.x * k, right.y * k, right.z * k));
    SetRow(t.matrix, 1, Vector3(up.x * k, up.y * k, up.z * k));
    SetRow(t.matrix, 2, Vector3(forward.x * k, forward.y * k, forward.z * k));
}

// The end that every re-orthonormalisation shares.
void FinishOrthonormal(Transform& t, const Vector3& right, const Vector3& up, const Vector3& forward,
                       uint32_t flags) {
    SetScaledRows(t, right, up, forward);
    t.changeCount = 0;
    if (flags & Transform::kUpdateInverse) t.UpdateInverse();
}

}  // namespace

Transform::Transform() : forwardW(0.0f) {
    SetIdentity();
}

void Transform::SetIdentity() {
    matrix.SetIdentity();
    forward = Vector3(0.0f, 0.0f, 1.0f);
    inverse.SetIdentity();
    scale = 1.0f;
    changeCount = 0;
}

void Transform::UpdateInverse() {
    InvertMatrix(&matrix, &inverse);
}

void Transform::SetPosition(const Vector3* position, uint32_t flags) {
    SetPositionXyz(position->x, position->y, position->z, flags);
}

void Transform::SetPositionXyz(float x, float y, float z, uint32_t flags) {
    SetRow(matrix, kTranslation, Vector3(x, y, z));
    if (flags & kUpdateInverse) UpdateInverse();
}

void Transform::Translate(const Vector3* offset, uint32_t flags) {
    TranslateXyz(offset->x, offset->y, offset->z, flags);
}

void Transform::TranslateXyz(float x, float y, float z, uint32_t flags) {
    matrix.rows[kTranslation][0] += x;
    matrix.rows[kTranslation][1] += y;
    matrix.rows[kTranslation][2] += z;
    if (!(flags & kUpdateInverse)) return;
    // The linear part is unchanged, so only the undoing of the position moves.
    double carried[3];
    CarryWide(Vector3(x, y, z), inverse, carried);
    for (int j = 0; j < 3; ++j) {
        inverse.rows[kTranslation][j] = static_cast<float>(inverse.rows[kTranslation][j] - carried[j]);
    }
}

void Transform::MoveLocal(const Vector3* offset, uint32_t flags) {
    MoveLocalXyz(offset->x, offset->y, offset->z, flags);
}

void Transform::MoveLocalXyz(float x, float y, float z, uint32_t flags) {
    const Vector3 local(x, y, z);
    Vector3 offset;
    g_mathRoutineTable.transformVector(&local, &matrix, &offset);
    TranslateXyz(offset.x, offset.y, offset.z, flags);
}

void Transform::SetForward(const Vector3* newForward, uint32_t flags) {
    SetForwardXyz(newForward->x, newForward->y, newForward->z, flags);
}

void Transform::SetForwardXyz(float x, float y, float z, uint32_t flags) {
    forward = Vector3(x, y, z);
    g_mathRoutineTable.normalizeVector(&forward);
    const Vector3 up = RowOf(matrix, 1);
    SetRow(matrix, 0, Cross(up, forward));
    SetRow(matrix, 2, forward);
    if (flags & kOrthonormalize)
        Orthonormalize(flags);
    else if (flags & kUpdateInverse)
        UpdateInverse();
}

void Transform::SetUp(const Vector3* up, uint32_t flags) {
    SetUpXyz(up->x, up->y, up->z, flags);
}

void Transform::SetUpXyz(float x, float y, float z, uint32_t flags) {
    Vector3 up(x, y, z);
    g_mathRoutineTable.normalizeVector(&up);
    SetRow(matrix, 0, Cross(up, forward));
    SetRow(matrix, 1, up);
    if (flags & kOrthonormalize)
        OrthonormalizeKeepUp(flags);
    else if (flags & kUpdateInverse)
        UpdateInverse();
}

// Each turn rewrites the two components of every row that the axis does not
// keep: RotateX mixes y and z, RotateY z and x, RotateZ x and y.
void Transform::RotateX(float angle, uint32_t flags) {
    TurnRows(*this, 1, 2, AngleOf(angle), flags);
}

void Transform::RotateY(float angle, uint32_t flags) {
    TurnRows(*this, 2, 0, AngleOf(angle), flags);
}

void Transform::RotateZ(float angle, uint32_t flags) {
    TurnRows(*this, 0, 1, AngleOf(angle), flags);
}

void Transform::RotateAboutAxis(const Vector3* axis, float angle, uint32_t flags) {
    const SineCosine a = AngleOf(angle);
    const float c = a.c;
    const float s = a.s;
    const float k = 1.0f - c;
    const float x = axis->x;
    const float y = axis->y;
    const float z = axis->z;
    Vector3 r[3] = {
        Vector3(k * x * x + c, k * x * y - s * z, k * x * z + s * y),
        Vector3(k * x * y + s * z, k * y * y + c, k * y * z - s * x),
        Vector3(k * x * z - s * y, k * y * z + s * x, k * z * z + c),
    };
    for (Vector3& row : r) g_mathRoutineTable.normalizeVector(&row);

    // Each new row is the old row dotted with the rows of r: the axes turn
    // about the given axis while the position stays.
    for (int i = 0; i < 3; ++i) {
        const Vector3 old = RowOf(matrix, i);
        SetRow(matrix, i,
               Vector3(static_cast<float>(Dot(old, r[0])), static_cast<float>(Dot(old, r[1])),
                       static_cast<float>(Dot(old, r[2]))));
    }

    forward = RowOf(matrix, 2);
    g_mathRoutineTable.normalizeVector(&forward);
    ++changeCount;
    if (changeCount > kMaxIncrementalRotations && (flags & kOrthonormalize)) {
        Orthonormalize(flags);
        return;
    }
    if (flags & kUpdateInverse) UpdateInverse();
}

void Transform::RotateAboutLocalX(float angle, uint32_t flags) {
    Vector3 axis = RowOf(matrix, 0);
    g_mathRoutineTable.normalizeVector(&axis);
    RotateAboutAxis(&axis, angle, flags);
}

void Transform::RotateAboutLocalY(float angle, uint32_t flags) {
    Vector3 axis = RowOf(matrix, 1);
    g_mathRoutineTable.normalizeVector(&axis);
    RotateAboutAxis(&axis, angle, flags);
}

void Transform::RotateAboutForward(float angle, uint32_t flags) {
    // A copy: the rotation rewrites `forward` while it still reads the axis.
    const Vector3 axis = forward;
    RotateAboutAxis(&axis, angle, flags);
}

void Transform::Scale(float factor, uint32_t flags) {
    scale *= factor;
    for (int row = 0; row < 3; ++row) {
        for (float& v : matrix.rows[row]) v *= factor;
    }
    // A zero factor leaves a singular matrix with no inverse to follow;
    // the old inverse stays rather than one full of infinities.
    if (!(flags & kUpdateInverse) || factor == 0.0f) return;

    const double k = 1.0 / static_cast<double>(factor);
    const Vector3 t = TranslationOf(matrix);
    const Vector3 shift(static_cast<float>(t.x - k * t.x), static_cast<float>(t.y - k * t.y),
                        static_cast<float>(t.z - k * t.z));
    double carried[3];
    CarryWide(shift, inverse, carried);
    for (int j = 0; j < 3; ++j) {
        inverse.rows[kTranslation][j] = static_cast<float>(inverse.rows[kTranslation][j] + carried[j]);
    }
    for (int row = 0; row < 3; ++row) {
        for (float& v : inverse.rows[row]) v = static_cast<float>(v * k);
    }
}

void Transform::Orthonormalize(uint32_t flags) {
    const Vector3 f = forward;
    Vector3 up = WithoutComponent(RowOf(matrix, 1), f);
    Vector3 right;
    if (NormalizeNonZero(up)) {
        right = WithoutComponent(WithoutComponent(RowOf(matrix, 0), up), f);
        if (!NormalizeNonZero(right)) right = Cross(up, f);
    } else {
        right = WithoutComponent(RowOf(matrix, 0), f);
        NormalizeNonZero(right);
        up = Cross(f, right);
    }
    FinishOrthonormal(*this, right, up, f, flags);
}

void Transform::OrthonormalizeKeepUp(uint32_t flags) {
    Vector3 up = RowOf(matrix, 1);
    NormalizeNonZero(up);
    Vector3 f = WithoutComponent(forward, up);
    if (!NormalizeNonZero(f)) {
        // Forward lay along up: complete the set from row 0 (z = x cross y).
        Vector3 right = RowOf(matrix, 0);
        NormalizeNonZero(right);
        f = Cross(right, up);
        NormalizeNonZero(f);
    }
    forward = f;
    Vector3 right = WithoutComponent(WithoutComponent(RowOf(matrix, 0), up), f);
    if (!NormalizeNonZero(right)) right = Cross(up, f);
    FinishOrthonormal(*this, right, up, f, flags);
}

void Transform::OrthonormalizeKeepRight(uint32_t flags) {
    Vector3 right = RowOf(matrix, 0);
    NormalizeNonZero(right);
    Vector3 f = WithoutComponent(forward, right);
    if (!NormalizeNonZero(f)) {
        // Forward lay along right: complete the set from row 1 (z = x cross y).
        Vector3 up = RowOf(matrix, 1);
        NormalizeNonZero(up);
        f = Cross(right, up);
        NormalizeNonZero(f);
    }
    forward = f;
    Vector3 up = WithoutComponent(WithoutComponent(RowOf(matrix, 1), right), f);
    if (!NormalizeNonZero(up)) up = Cross(f, right);
    FinishOrthonormal(*this, right, up, f, flags);
}

void Transform::Combine(const Transform* parent, Transform* out) const {
    // Everything that out may share with this or parent is read before it
    // is written.
    const float combinedScale = scale * parent->scale;
    const Matrix34 parentInverse = parent->inverse;
    const Matrix34 ownInverse = inverse;
    g_mathRoutineTable.multiplyMatrix(&matrix, &parent->matrix, &out->matrix);
    g_mathRoutineTable.multiplyMatrix(&parentInverse, &ownInverse, &out->inverse);
    out->forward = RowOf(out->matrix, 2);
    g_mathRoutineTable.normalizeVector(&out->forward);
    out->scale = combinedScale;
    out->changeCount = 0;
}

void Transform::Multiply(const Transform* other) {
    const Matrix34 otherMatrix = other->matrix;
    const Matrix34 otherInverse = other->inverse;
    const float otherScale = other->scale;
    g_mathRoutineTable.multiplyMatrix(&matrix, &otherMatrix, &matrix);
    g_mathRoutineTable.multiplyMatrix(&otherInverse, &inverse, &inverse);
    forward = RowOf(matrix, 2);
    g_mathRoutineTable.normalizeVector(&forward);
    scale *= otherScale;
    changeCount = 0;
}

Vector3* RotateVectorAboutX(const Vector3* vector, float angle, Vector3* out) {
    const SineCosine a = AngleOf(angle);
    const float x = vector->x, y = vector->y, z = vector->z;
    *out = Vector3(x, a.c * y + a.s * z, a.c * z - a.s * y);
    return out;
}

Vector3* RotateVectorAboutY(const Vector3* vector, float angle, Vector3* out) {
    const SineCosine a = AngleOf(angle);
    const float x = vector->x, y = vector->y, z = vector->z;
    *out = Vector3(a.c * x - a.s * z, y, a.c * z + a.s * x);
    return out;
}

Vector3* RotateVectorAboutZ(const Vector3* vector, float angle, Vector3* out) {
    const SineCosine a = AngleOf(angle);
    const float x = vector->x, y = vector->y, z = vector->z;
    *out = Vector3(a.s * y + a.c * x, a.c * y - a.s * x, z);
    return out;
}
