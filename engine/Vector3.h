#pragma once

// A point or direction of three 32-bit floats. Kept trivial so that engine
// records may embed it and copy it as bytes; `Vector3{}` is the zero vector,
// while a default-initialised one holds whatever was in memory.
struct Vector3 {
    float x;
    float y;
    float z;

    Vector3() = default;
    constexpr Vector3(float x, float y, float z) : x(x), y(y), z(z) {}
};
static_assert(sizeof(Vector3) == 12);
