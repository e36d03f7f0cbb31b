#pragma once
#include <cstdint>

#include "engine/NamedObject.h"
#include "engine/Status.h"

// A fixed set of points of one colour, with optional per-point brightness,
// drawn as sorted points at the back of the depth range: the star field.
// Without kFlagWorldPoints the points are directions from the camera, so
// they turn with it but never come nearer.
class PointField : public NamedObject {
public:
    static constexpr uint32_t kFlagOwnsPoints = 0x2;
    static constexpr uint32_t kFlagWorldPoints = 0x10000;

    struct Point {
        float x = 0.0f, y = 0.0f, z = 0.0f, w = 0.0f;
    };

    PointField();
    PointField(const PointField&) = delete;
    // Shares the other field's blocks without owning them.
    PointField& operator=(const PointField& other);
    ~PointField() override;

    // n points from the engine random generator, each coordinate
    // RandomNext / 65536; brightness ((RandomNext & 14) * 16) | 31 after
    // each point. 2 when memory runs out.
    Status Create(uint32_t n, bool withBrightness);
    virtual void Clear();
    void Draw() override;

    uint32_t pointCount = 0;
    Point* points = nullptr;
    uint32_t* brightness = nullptr;
    uint32_t colour = 0;
};
