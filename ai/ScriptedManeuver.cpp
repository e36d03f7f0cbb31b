#include "ai/ScriptedManeuver.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <iterator>

#include "objects/ships/Craft.h"
#include "objects/systems/EngineSystem.h"

namespace {

using Step = ScriptedManeuver::Step;

// Turns are at full rate on their main axis; straight runs are timed.
constexpr Step kBreakLeft[] = {{0, 0, -100, false, false, 90, 0}, {100, 0, 0, false, false, 90, 0}, {0, 0, 0, false, false, 0, 500}};
constexpr Step kHeadOn[] = {{0, 0, 0, true, false, 0, 1500}};
constexpr Step kImmTurn[] = {{100, 0, 0, false, false, 180, 0}, {0, 0, 100, false, false, 180, 0}};
constexpr Step kSnake[] = {{0, 100, 0, false, false, 60, 0}, {0, -100, 0, false, false, 120, 0}, {0, 100, 0, false, false, 60, 0}};
constexpr Step kSnapRoll[] = {{0, 0, 100, false, false, 360, 0}};
constexpr Step kBackwards[] = {{0, 100, 0, false, true, 180, 0}, {0, 0, 0, false, true, 0, 1000}};
constexpr Step kVectoredThrust[] = {{100, 0, 0, false, true, 90, 0}, {0, 0, 0, false, true, 0, 500}};
constexpr Step kNoseDownLoop[] = {{-100, 0, 0, false, false, 360, 0}};
constexpr Step kNoseUpLoop[] = {{100, 0, 0, false, false, 360, 0}};
constexpr Step kScissors[] = {{0, 0, 100, false, false, 90, 0},
                              {0, 100, 0, false, false, 45, 0},
                              {0, 0, -100, false, false, 180, 0},
                              {0, -100, 0, false, false, 45, 0}};
constexpr Step kSwoop[] = {{-100, 0, 0, false, false, 45, 0}, {0, 0, 0, true, false, 0, 800}, {100, 0, 0, false, false, 45, 0}};
constexpr Step kStrafeSlide[] = {{0, 100, 0, false, true, 90, 0}, {0, 0, 0, false, true, 0, 800}};
constexpr Step kHighYoYoLeft[] = {{100, 0, 0, false, false, 60, 0}, {0, 0, -100, false, false, 90, 0}, {-100, 0, 0, false, false, 60, 0}};
constexpr Step kBarrelRollLeft[] = {{30, 0, -100, false, false, 360, 0}};

struct Entry {
    ManeuverKind kind;
    const Step* steps;
    int32_t count;
};
#define VORN_SCRIPT(kind, table) {ManeuverKind::kind, table, int32_t(std::size(table))}
constexpr Entry kScripts[] = {
    VORN_SCRIPT(kBreakLeft, kBreakLeft),       VORN_SCRIPT(kHeadOn, kHeadOn),
    VORN_SCRIPT(kImmTurn, kImmTurn),           VORN_SCRIPT(kSnake, kSnake),
    VORN_SCRIPT(kSnapRoll, kSnapRoll),         VORN_SCRIPT(kBackwards, kBackwards),
    VORN_SCRIPT(kVectoredThrust, kVectoredThrust), VORN_SCRIPT(kNoseDownLoop, kNoseDownLoop),
    VORN_SCRIPT(kNoseUpLoop, kNoseUpLoop),     VORN_SCRIPT(kScissors, kScissors),
    VORN_SCRIPT(kSwoop, kSwoop),               VORN_SCRIPT(kStrafeSlide, kStrafeSlide),
    VORN_SCRIPT(kHighYoYoLeft, kHighYoYoLeft), VORN_SCRIPT(kBarrelRollLeft, kBarrelRollLeft),
};
#undef VORN_SCRIPT

// A craft that cannot turn gives each turn a second, so that the maneuver
// still ends.
constexpr uint32_t kStalledTurnMs = 1000;

}  // namespace

ScriptedManeuver::ScriptedManeuver(ManeuverKind kind, int32_t first, int32_t second) : Maneuver(first, second, kind) {}

const Step* ScriptedManeuver::Script(ManeuverKind kind, int32_t* steps) {
    for (const Entry& entry : kScripts) {
        if (entry.kind == kind) {
            *steps = entry.count;
            return entry.steps;
        }
    }
    *steps = 0;
    return nullptr;
}

uint32_t ScriptedManeuver::StepMs(const Step& step, float maxTurnRate) {
    if (step.degrees <= 0.0f) return step.ms;
    const int largest = std::max({std::abs(int(step.pitch)), std::abs(int(step.yaw)), std::abs(int(step.roll))});
    const float rate = maxTurnRate * float(largest) / 100.0f;
    if (!(rate > 0.0f)) return kStalledTurnMs;
    return uint32_t(std::lround(step.degrees / rate * 1000.0f));
}

uint32_t ScriptedManeuver::Duration(ManeuverKind kind, float maxTurnRate) {
    int32_t count = 0;
    const Step* const steps = Script(kind, &count);
    uint32_t total = 0;
    for (int32_t i = 0; i < count; ++i) total += StepMs(steps[i], maxTurnRate);
    return total;
}

void ScriptedManeuver::Apply(Craft& craft, const Step& step) {
    const auto set = [](int8_t percent, void (Craft::*plus)(int32_t), void (Craft::*minus)(int32_t), Craft& c) {
        if (percent >= 0) {
            (c.*plus)(percent);
        } else {
            (c.*minus)(-percent);
        }
    };
    set(step.pitch, &Craft::PitchRatePlus, &Craft::PitchRateMinus, craft);
    set(step.yaw, &Craft::YawRatePlus, &Craft::YawRateMinus, craft);
    set(step.roll, &Craft::RollRatePlus, &Craft::RollRateMinus, craft);
    craft.freeDrift = step.freeDrift ? 1 : 0;
    if (auto* const engine = static_cast<EngineSystem*>(craft.GetSystem(ShipSystem::kEngine, nullptr))) {
        if (step.afterburner) {
            engine->StartAfterburner();
        } else {
            engine->StopAfterburner();
        }
    }
}

void ScriptedManeuver::Clear(Craft& craft) {
    craft.rotationRates = {};
    craft.freeDrift = 0;
    if (auto* const engine = static_cast<EngineSystem*>(craft.GetSystem(ShipSystem::kEngine, nullptr))) {
        engine->StopAfterburner();
    }
}

int32_t ScriptedManeuver::Update(SpaceObject* ship) {
    auto* const craft = dynamic_cast<Craft*>(ship);
    int32_t count = 0;
    const Step* const steps = Script(kind, &count);
    if (craft == nullptr || steps == nullptr) return 1;
    const uint32_t age = craft->Age();
    if (!started) {
        started = true;
        startAge = age;
    }
    uint32_t elapsed = age - startAge;
    for (int32_t i = 0; i < count; ++i) {
        const uint32_t length = StepMs(steps[i], craft->maxTurnRate);
        if (elapsed < length) {
            Apply(*craft, steps[i]);
            return 0;
        }
        elapsed -= length;
    }
    Clear(*craft);
    started = false;   // picked again, it starts over
    return 1;
}
