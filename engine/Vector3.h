#pragma once

// A point or direction of three 32-bit floats. Kept trivial so that engine
// records may embed it and copy it as bytes; `Vector3{}` is the zero vector,
// while a default-initialised one holds whatever was in memory.
//
// The arithmetic is plain; the cross product and normalising go through the
// engine's math routine table (engine/MathRoutineTable.h), as every vector
// the 3D layer normalises does.
struct Vector3 {
    float x;
    float y;
    float z;

    Vector3() = default;
    constexpr Vector3(float x, float y, float z) : x(x), y(y), z(z) {}

    // In place, returning a copy.
    Vector3 MultiplyScalar(float factor) {
        x *= factor, y *= factor, z *= factor;
        return *this;
    }
    Vector3 DivideScalar(float divisor) {
        x /= divisor, y /= divisor, z /= divisor;
        return *this;
    }
    Vector3& AddAssign(const Vector3& other) {
        x += other.x, y += other.y, z += other.z;
        return *this;
    }
    Vector3& SubtractAssign(const Vector3& other) {
        x -= other.x, y -= other.y, z -= other.z;
        return *this;
    }
    Vector3& Negate() {
        x = -x, y = -y, z = -z;
        return *this;
    }
    // Copies.
    constexpr Vector3 Scaled(float factor) const { return {x * factor, y * factor, z * factor}; }
    constexpr Vector3 DividedBy(float divisor) const { return {x / divisor, y / divisor, z / divisor}; }
    constexpr Vector3 Sum(const Vector3& other) const { return {x + other.x, y + other.y, z + other.z}; }
    // This minus other.
    constexpr Vector3 Difference(const Vector3& other) const { return {x - other.x, y - other.y, z - other.z}; }
    constexpr float Dot(const Vector3& other) const { return x * other.x + y * other.y + z * other.z; }
    float Length() const;
    // This x other, through the routine table.
    Vector3 Cross(const Vector3& other) const;
    // In place through the routine table (very short vectors stay as they are).
    Vector3& Normalize();
};
static_assert(sizeof(Vector3) == 12);
