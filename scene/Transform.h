#pragma once
#include <cstdint>

#include "engine/Matrix34.h"
#include "engine/Vector3.h"

// The placement record of every frame, camera and joint: a 3x4 matrix for
// row vectors (rows 0, 1, 2 the right, up and forward axes in the parent's
// coordinates, each multiplied by `scale`; row 3 the position), its inverse,
// the unit forward axis, the uniform scale and the number of incremental
// rotations since the rows were last re-orthonormalised.
//
// A plain record, copied as a whole. Angles are degrees. The setters' flags
// word is read in its low byte only: kUpdateInverse keeps `inverse` current,
// kOrthonormalize lets the operation rebuild drifting rows. The game passes
// kAllFlags nearly everywhere.
struct Transform {
    static constexpr uint32_t kUpdateInverse = 0x1;
    static constexpr uint32_t kOrthonormalize = 0x2;
    static constexpr uint32_t kAllFlags = 0xFF;
    // The rotation that follows this many incremental ones re-orthonormalises.
    static constexpr uint32_t kMaxIncrementalRotations = 4096;
    // Single-precision pi / 180.
    static constexpr float kDegreesToRadians = 0.017453292f;

    Matrix34 matrix;
    Vector3 forward;         // unit forward axis
    float forwardW;          // carried along with `forward`, never computed
    Matrix34 inverse;        // current only when the writers were asked to keep it
    float scale;             // folded into rows 0 to 2
    uint32_t changeCount;    // incremental rotations since the last re-orthonormalisation

    // The identity state, with the carried word 0.
    Transform();

    void SetIdentity();
    // Full inversion; a singular matrix leaves `inverse` as it was.
    void UpdateInverse();

    // Position, in the parent's coordinates.
    void SetPosition(const Vector3* position, uint32_t flags);
    void SetPositionXyz(float x, float y, float z, uint32_t flags);
    void Translate(const Vector3* offset, uint32_t flags);
    void TranslateXyz(float x, float y, float z, uint32_t flags);
    // The offset is along the transform's own (scaled) axes.
    void MoveLocal(const Vector3* offset, uint32_t flags);
    void MoveLocalXyz(float x, float y, float z, uint32_t flags);

    // Aiming: row 2 follows the new forward, row 0 is rebuilt from the
    // current up; without kOrthonormalize the rows are left unscaled and
    // not mutually orthogonal. This build's Vector3 has no fourth word, so
    // `forwardW` keeps its value in both forms.
    void SetForward(const Vector3* forward, uint32_t flags);
    void SetForwardXyz(float x, float y, float z, uint32_t flags);
    void SetUp(const Vector3* up, uint32_t flags);
    void SetUpXyz(float x, float y, float z, uint32_t flags);

    // Turns about an axis parallel to the parent's x, y or z axis through
    // the position.
    void RotateX(float angle, uint32_t flags);
    void RotateY(float angle, uint32_t flags);
    void RotateZ(float angle, uint32_t flags);
    // Turns about a unit axis given in the parent's coordinates, through the
    // position, in the same sense as RotateX/Y/Z about the parent's axes.
    void RotateAboutAxis(const Vector3* axis, float angle, uint32_t flags);
    void RotateAboutLocalX(float angle, uint32_t flags);
    void RotateAboutLocalY(float angle, uint32_t flags);
    void RotateAboutForward(float angle, uint32_t flags);

    // Multiplies the three axes, not the position.
    void Scale(float factor, uint32_t flags);

    // Rebuild the rows as orthogonal axes of length `scale`, keeping the
    // direction of forward, of row 1 or of row 0. Only kUpdateInverse is read.
    void Orthonormalize(uint32_t flags);
    void OrthonormalizeKeepUp(uint32_t flags);
    void OrthonormalizeKeepRight(uint32_t flags);

    // out = this transform followed by the parent's, inverse included.
    // out may be this or parent.
    void Combine(const Transform* parent, Transform* out) const;
    // this = this followed by other.
    void Multiply(const Transform* other);
};

// Free rotations of a vector; their sense is the opposite of the transform
// rotations for the same angle. out may be the vector.
Vector3* RotateVectorAboutX(const Vector3* vector, float angle, Vector3* out);
Vector3* RotateVectorAboutY(const Vector3* vector, float angle, Vector3* out);
Vector3* RotateVectorAboutZ(const Vector3* vector, float angle, Vector3* out);
