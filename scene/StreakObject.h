#pragma once
#include <cstdint>

#include "engine/NamedObject.h"
#include "engine/Vector3.h"

// A streak: one 3D line between two world points in one colour, drawn as a
// depth-sorted line.
class StreakObject : public NamedObject {
public:
    StreakObject() : NamedObject(kTypeStreak) {}

    void Draw() override;

    Vector3 from{};
    Vector3 to{};
    uint32_t colour = 0;
};
