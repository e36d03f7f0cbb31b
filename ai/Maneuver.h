#pragma once
#include <cstdint>

#include "engine/EngineAllocation.h"

class SpaceObject;

// The named maneuvers of "aidetail.iff".
enum class ManeuverKind : int32_t {
    kNone, kBreakLeft, kHeadOn, kImmTurn, kSnake, kSnapRoll, kBackwards, kVectoredThrust, kNoseDownLoop, kNoseUpLoop,
    kScissors, kSwoop, kStrafeSlide, kHighYoYoLeft, kBarrelRollLeft,
};

// A flight maneuver of an AI ship. `Update` steers the ship one frame and
// says whether the maneuver has finished; this base finishes at once (the
// named ones are scripted, ai/ScriptedManeuver.h).
class Maneuver : public EngineObject {
public:
    Maneuver(int32_t first = 0, int32_t second = 0, ManeuverKind kind = ManeuverKind::kNone)
        : words{first, second}, kind(kind) {}
    virtual ~Maneuver() = default;
    Maneuver(const Maneuver&) = delete;
    Maneuver& operator=(const Maneuver&) = delete;

    virtual int32_t Update(SpaceObject* ship) {
        (void)ship;
        return 1;
    }
    // Picked again: it starts from its beginning.
    virtual void Reset() {}

    int32_t words[2];
    ManeuverKind kind;
};
