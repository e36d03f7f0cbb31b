#pragma once
#include <cstdint>

#include "engine/EngineAllocation.h"
#include "engine/Vector3.h"
#include "objects/space/ObjectLink.h"

class Craft;
class ShipSystem;
class SpaceObject;

// A two-jointed gun mount: a base part that yaws about one local axis and
// its first child, the barrel, that points along a second and pitches about
// the third. It turns toward its target at its turn rate each frame.
class Turret : public EngineObject {
public:
    // The TURR record: base part name, greatest pitch, turn rate, yaw and barrel axis codes.
    struct Record {
        static constexpr int kNameChars = 16;
        char baseName[kNameChars + 1];   // up to 16 characters, always terminated
        int32_t greatestPitch, turnRate, yawAxis, barrelAxis;
    };

    Turret(Craft* craft, int32_t basePart, int32_t greatestPitch, int32_t turnRate, int32_t yawAxis, int32_t barrelAxis);
    ~Turret();
    Turret(const Turret&) = delete;
    Turret& operator=(const Turret&) = delete;

    void Describe(Record* out) const;
    bool IsObjectInArc(const SpaceObject* object) const;
    bool IsInArc(const Vector3& point) const;
    ShipSystem* FindWeapon();
    void GetWorldPosition(Vector3* out) const;
    void GetAimDirection(Vector3* out) const;
    // Takes a target (null drops it); locked while it holds one, stamped when it takes it.
    void SetTarget(SpaceObject* object);
    // Aims at a point for this frame only.
    void SetTargetPosition(const Vector3& point);
    void Update();

    int32_t greatestPitch;
    int32_t turnRate;
    float yawSoFar = 0.0f;
    float pitch = 0.0f;
    float aimError = 0.0f;
    int32_t yawAxis;
    int32_t barrelAxis;
    ShipSystem* weapon = nullptr;
    uint32_t createdAt;
    ObjectLink target;
    Vector3 targetPosition{};
    int32_t positionGiven = 0;
    Craft* craft;
    int32_t basePart;
    int32_t barrelPart = -1;
    uint32_t lastUpdate = 0;
    int32_t locked = 0;
    uint32_t lockedAt = 0;
};
