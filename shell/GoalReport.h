#pragma once
#include <cstdint>
#include <functional>
#include <map>
#include <string>

// What a run without a window tells of a flight's goals, in one form for a
// mission named on the command line and for every flight a script
// launches: at launch each goal as set up, by id (`goal ID TYPE
// "DESCRIPTION"`); once a frame it compares every goal with what it said of
// it last (by id, so a goal that went is no trouble) and says `goal ID met`
// or `goal ID failed` for each that was decided since, then `outcome won`
// or `outcome failed` once the flight is decided; at the flight's end
// `flight over after MS ms`.
class GoalReport {
public:
    using Say = std::function<void(const std::string& line)>;

    // A new flight: nothing said yet of it but, to `say` (may be empty), its
    // goals as set up.
    void Start(const Say& say);
    void Update(const Say& say);
    // The flight is over after `flownMs` of flight time (time away from it,
    // in a pause or on the map, is none).
    static void End(const Say& say, int64_t flownMs);

private:
    std::map<int32_t, int32_t> said_;   // goal id -> 1 met, 2 failed
    int32_t outcome_ = 0;
};
