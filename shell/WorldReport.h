#pragma once
#include <cstdint>
#include <map>
#include <set>

#include "shell/FlightReport.h"

class GameState;
class SpaceObject;

// What a flight tells of its world after each frame, in one form for a
// mission flown without a window and for a flight a script flies with the
// trace: each craft's deaths, respawns and jumps (see
// flight_report::ReportCraft), the death of any other object the world
// removes (chips and debris aside), `debris N` for the pieces that broke
// off in the frame and, with the trace, every hit and each AI ship's line
// once a flight second.
class WorldReport {
public:
    // At launch: the crafts the world holds are watched from now on, and
    // the debris it holds already is not told again.
    void Start(const GameState& game, bool trace, flight_report::Say say);
    // After a frame that ended `flownMs` into the flight. `newCrafts`: a
    // craft that came into the world after the launch is watched from the
    // frame it is first seen in (a network game's grows by its players'
    // ships); otherwise only the launch's are.
    void Update(const GameState& game, int64_t flownMs, bool newCrafts);
    // The deaths told so far that were kills.
    int32_t Kills() const { return kills_; }

private:
    bool trace_ = false;
    flight_report::Say say_;
    std::map<const SpaceObject*, flight_report::CraftState> crafts_;
    std::set<const SpaceObject*> seenDebris_;
    std::set<const SpaceObject*> reported_;   // removed objects whose death was told
    int32_t kills_ = 0;
    int64_t flownMs_ = 0;   // where the last frame ended
};
