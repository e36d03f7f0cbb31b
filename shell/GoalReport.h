#pragma once
#include <cstdint>
#include <functional>
#include <map>
#include <string>

// What a run without a window tells of the flight's goals: once a frame it
// compares every goal with what it said of it last (by id, so a goal that
// went is no trouble) and says `goal ID met` or `goal ID failed` for each
// that was decided since, then `outcome won` or `outcome failed` once the
// flight is decided.
class GoalReport {
public:
    using Say = std::function<void(const std::string& line)>;

    // A new flight: nothing said yet.
    void Start();
    void Update(const Say& say);

private:
    std::map<int32_t, int32_t> said_;   // goal id -> 1 met, 2 failed
    int32_t outcome_ = 0;
};
