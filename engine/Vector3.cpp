#include "engine/Vector3.h"

#include <cmath>

#include "engine/MathRoutineTable.h"

float Vector3::Length() const { return std::sqrt(x * x + y * y + z * z); }

Vector3 Vector3::Cross(const Vector3& other) const {
    Vector3 out;
    g_mathRoutineTable.crossProduct(this, &other, &out);
    return out;
}

Vector3& Vector3::Normalize() {
    g_mathRoutineTable.normalizeVector(this);
    return *this;
}
