#pragma once
#include <cstdint>

#include "ai/Maneuver.h"

class Craft;

// A named maneuver flown as a short script: each step holds pitch, yaw and
// roll rates (percent of the craft's turn rate), the afterburner and free
// drift, for a turn of so many degrees at the step's largest rate or for a
// fixed time. It ends with its commands cleared.
class ScriptedManeuver : public Maneuver {
public:
    struct Step {
        int8_t pitch, yaw, roll;   // percent of the turn rate, signed
        bool afterburner;
        bool freeDrift;
        float degrees;             // a turn: lasts degrees / (turn rate x largest percent)
        uint32_t ms;               // or a fixed time when degrees is 0
    };

    ScriptedManeuver(ManeuverKind kind, int32_t first = 0, int32_t second = 0);

    int32_t Update(SpaceObject* ship) override;
    void Reset() override { started = false; }

    // The script of a kind (null for kNone) and its length in steps.
    static const Step* Script(ManeuverKind kind, int32_t* steps);
    // How long the script of a kind runs on a craft of this turn rate, in ms.
    static uint32_t Duration(ManeuverKind kind, float maxTurnRate);

    uint32_t startAge = 0;
    bool started = false;

private:
    static uint32_t StepMs(const Step& step, float maxTurnRate);
    static void Apply(Craft& craft, const Step& step);
    static void Clear(Craft& craft);
};
