#include "objects/effects/Turret.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "engine/Clock.h"
#include "engine/MathRoutineTable.h"
#include "objects/ships/Craft.h"
#include "objects/space/ObjectPart.h"
#include "objects/systems/ShipSystem.h"
#include "scene/Model.h"

namespace {

constexpr float kDegrees = 57.295776f;

float Wrap(float angle) {
    while (angle > 180.0f) angle -= 360.0f;
    while (angle < -180.0f) angle += 360.0f;
    return angle;
}

Vector3 AxisVector(int32_t code) {
    const float sign = code < 0 ? -1.0f : 1.0f;
    switch (std::abs(code)) {
        case 1: return {sign, 0.0f, 0.0f};
        case 2: return {0.0f, sign, 0.0f};
        case 3: return {0.0f, 0.0f, sign};
        default: return {0.0f, 0.0f, 0.0f};
    }
}

void Turn(Transform& transform, int32_t axis, float degrees) {
    switch (axis) {
        case 1: transform.RotateAboutLocalX(degrees, Transform::kAllFlags); break;
        case 2: transform.RotateAboutLocalY(degrees, Transform::kAllFlags); break;
        case 3: transform.RotateAboutForward(degrees, Transform::kAllFlags); break;
        default: break;
    }
}

}  // namespace

Turret::Turret(Craft* craft, int32_t basePart, int32_t greatestPitch, int32_t turnRate, int32_t yawAxis, int32_t barrelAxis)
    : greatestPitch(greatestPitch),
      turnRate(turnRate),
      yawAxis(yawAxis),
      barrelAxis(barrelAxis),
      createdAt(GetMilliseconds()),
      craft(craft),
      basePart(basePart) {
    if (craft == nullptr || basePart < 0 || basePart >= craft->parts.Count()) return;
    ObjectPart* const base = craft->parts[basePart];
    base->turret = this;
    const Frame* const firstChild = base->node != nullptr ? base->node->firstChild : nullptr;
    for (int32_t i = 0; i < craft->parts.Count() && firstChild != nullptr; ++i) {
        if (craft->parts[i]->node == firstChild) {
            barrelPart = i;
            craft->parts[i]->turret = this;
            break;
        }
    }
}

Turret::~Turret() {
    if (craft == nullptr) return;
    for (ObjectPart* part : craft->parts) {
        if (part->turret == this) part->turret = nullptr;
    }
}

void Turret::Describe(Record* out) const {
    std::memset(out, 0, sizeof *out);
    out->greatestPitch = greatestPitch;
    out->turnRate = turnRate;
    out->yawAxis = yawAxis;
    out->barrelAxis = barrelAxis;
    const SceneObject* const node = craft != nullptr && basePart >= 0 && basePart < craft->parts.Count()
                                        ? craft->parts[basePart]->node
                                        : nullptr;
    static_assert(sizeof out->baseName == sizeof node->model->name, "a model's name fits the record");
    if (node != nullptr && node->model != nullptr) {
        std::memcpy(out->baseName, node->model->name, sizeof out->baseName);
        out->baseName[Record::kNameChars] = '\0';
    }
}

bool Turret::IsObjectInArc(const SpaceObject* object) const { return object != nullptr && IsInArc(object->Position()); }

bool Turret::IsInArc(const Vector3& point) const {
    if (craft == nullptr || basePart < 0 || basePart >= craft->parts.Count()) return false;
    const SceneObject* const base = craft->parts[basePart]->node;
    if (base == nullptr) return false;
    Transform frame = base->world;
    frame.UpdateInverse();
    Vector3 local;
    g_mathRoutineTable.transformPoint(&point, &frame.inverse, &local);
    const float values[3] = {local.x, local.y, local.z};
    const int32_t axis = std::abs(yawAxis);
    if (axis < 1 || axis > 3) return false;
    return yawAxis < 0 ? values[axis - 1] < 0.0f : values[axis - 1] > 0.0f;
}

ShipSystem* Turret::FindWeapon() {
    if (weapon != nullptr || craft == nullptr || barrelPart < 0) return weapon;
    for (ShipSystem* system : craft->parts[barrelPart]->systems) {
        if (system->typeId > ShipSystem::kAnyWeapon) return weapon = system;
    }
    return nullptr;
}

void Turret::GetWorldPosition(Vector3* out) const {
    *out = Vector3{0.0f, 0.0f, 0.0f};
    if (craft == nullptr || barrelPart < 0) return;
    const SceneObject* const barrel = craft->parts[barrelPart]->node;
    if (barrel == nullptr) return;
    barrel->local.matrix.GetTranslation(out);
    if (barrel->parent != nullptr) {
        Vector3 world;
        g_mathRoutineTable.transformPoint(out, &barrel->parent->world.matrix, &world);
        *out = world;
    }
}

void Turret::GetAimDirection(Vector3* out) const {
    Vector3 axis = AxisVector(barrelAxis);
    const int32_t part = barrelPart >= 0 ? barrelPart : basePart;
    if (craft != nullptr && part >= 0 && part < craft->parts.Count() && craft->parts[part]->node != nullptr) {
        g_mathRoutineTable.transformVector(&axis, &craft->parts[part]->node->world.matrix, out);
        out->Normalize();
        return;
    }
    *out = axis;
}

void Turret::SetTarget(SpaceObject* object) {
    if (object == target.Get()) return;
    target = object;
    locked = object != nullptr ? 1 : 0;
    lockedAt = GetMilliseconds();
}

void Turret::SetTargetPosition(const Vector3& point) {
    targetPosition = point;
    positionGiven = 1;
}

void Turret::Update() {
    if (craft == nullptr || basePart < 0 || basePart >= craft->parts.Count()) return;
    const uint32_t now = GetMilliseconds() - uint32_t(craft->createdMs);
    const float dt = float(now - lastUpdate) * 0.001f;
    lastUpdate = now;
    if (target.Get() != nullptr && positionGiven == 0) {
        if (target->active == 0) {
            SetTarget(nullptr);
        } else {
            targetPosition = target->Position();
        }
    }
    positionGiven = 0;
    SceneObject* const base = craft->parts[basePart]->node;
    if (base == nullptr) return;
    base->UpdateWorldTransform(Transform::kAllFlags);
    Transform frame = base->world;
    frame.UpdateInverse();
    Vector3 p;
    g_mathRoutineTable.transformPoint(&targetPosition, &frame.inverse, &p);
    float yaw = 0.0f, wantedPitch = 0.0f;
    const int32_t yawCode = std::abs(yawAxis), barrelCode = std::abs(barrelAxis);
    // A barrel on the yaw axis itself, or no barrel: pitch 0.
    const bool pitches = barrelPart >= 0 && barrelCode != yawCode;
    switch (yawCode) {
        case 2:
            yaw = std::atan2(p.x, p.z) * kDegrees;
            if (barrelCode == 3) wantedPitch = std::atan2(p.y, p.z) * kDegrees;
            if (barrelCode == 1) {
                wantedPitch = std::atan2(p.y, p.x) * kDegrees;
                yaw -= 90.0f;
            }
            break;
        case 1:
            yaw = -std::atan2(p.y, p.z) * kDegrees;
            if (barrelCode == 3) wantedPitch = std::atan2(p.x, p.z) * kDegrees;
            if (barrelCode == 2) {
                wantedPitch = std::atan2(p.x, p.y) * kDegrees;
                yaw += 90.0f;
            }
            break;
        case 3:
            yaw = std::atan2(p.y, p.x) * kDegrees;
            if (barrelCode == 2) {
                wantedPitch = std::atan2(p.z, p.y) * kDegrees;
                yaw -= 90.0f;
            }
            if (barrelCode == 1) wantedPitch = std::atan2(p.z, p.x) * kDegrees;
            break;
        default: return;
    }
    if (barrelAxis < 0) {
        yaw += 180.0f;
        wantedPitch += 180.0f;
    }
    yaw = Wrap(yaw);
    wantedPitch = pitches ? Wrap(wantedPitch) : pitch;
    // Definitions refuse negative rates and limits; one made otherwise does
    // not turn rather than break the clamps below.
    const float limit = float(std::max(turnRate, 0)) * dt;
    float pitchStep = std::clamp(wantedPitch - pitch, -limit, limit);
    const bool sameSign = (yawAxis > 0) == (barrelAxis > 0);
    const float greatest = float(std::max(greatestPitch, 0));
    const float low = sameSign ? 0.0f : -greatest, high = sameSign ? greatest : 0.0f;
    pitchStep = std::clamp(pitch + pitchStep, low, high) - pitch;
    aimError = std::max(std::abs(yaw), std::abs(wantedPitch - pitch));
    pitch += pitchStep;
    const float yawStep = std::clamp(yaw, -limit, limit);
    yawSoFar += yawStep;
    Turn(base->local, yawCode, yawStep);
    base->UpdateWorldTransform(Transform::kAllFlags);
    if (pitches && pitchStep != 0.0f) {
        SceneObject* const barrel = craft->parts[barrelPart]->node;
        const int32_t third = 6 - yawCode - barrelCode;
        const bool negated = (yawCode == 2 && barrelCode == 3) || (yawCode == 1 && barrelCode == 2) || (yawCode == 3 && barrelCode == 1);
        if (barrel != nullptr) {
            Turn(barrel->local, third, negated ? -pitchStep : pitchStep);
            barrel->UpdateWorldTransform(Transform::kAllFlags);
        }
    }
}
