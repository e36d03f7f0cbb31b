#pragma once
#include <cstdint>
#include <string>

#include "engine/EngineAllocation.h"

class SpaceObject;

// A mission goal: every goal is on the global goal list from construction
// to destruction. What the world reads of it: its kind, its description,
// and the objects it names (its subject, a destination and the ship that met
// it), all of which it forgets when they leave the world. The kinds and
// their evaluation grow from here.
class Goal : public EngineObject {
public:
    enum Kind : int32_t { kNone = 0, kDisable = 3, kTravel = 5, kReload = 20 };

    Goal();
    virtual ~Goal();
    Goal(const Goal&) = delete;
    Goal& operator=(const Goal&) = delete;

    virtual int32_t GetKind() const { return kNone; }
    // The generated goal text, made on first use.
    virtual const char* GetDescription();
    virtual SpaceObject* GetSubject() const { return subject_; }
    virtual void SetSubject(SpaceObject* subject) { subject_ = subject; }

    // Every name of the object the goal holds is cleared.
    void ForgetObject(const SpaceObject* object);

    Goal* next = nullptr;   // on the global goal list
    int32_t id = 0;
    int32_t recordType = 0;     // 9: jump through
    int32_t playerGoal = 0;     // counts for the player
    int32_t side = 0;           // 0 any, else the player's team number + 1
    int32_t display = 0;
    int32_t active = 0;         // 0: nothing left to check
    int32_t clockStart = 0;
    int32_t clockRestart = 0;
    int32_t met = 0;
    int32_t done = 0;
    SpaceObject* metBy = nullptr;
    int32_t location[3] = {};
    SpaceObject* destination = nullptr;
    std::string objectiveText;
    std::string secondText;

protected:
    std::string description_;

private:
    SpaceObject* subject_ = nullptr;
};

// "Reload at": a rearm station's goal, on the global goal list like any.
class ReloadGoal : public Goal {
public:
    explicit ReloadGoal(SpaceObject* ship);
    int32_t GetKind() const override { return kReload; }
    const char* GetDescription() override;
};

// The head of every goal, newest first.
extern Goal* g_goalList;

// Every goal forgets the object: its subject, destination and the ship that met it.
void ForgetGoalSubject(const SpaceObject* object);
// Deletes every goal.
void FreeGoals();
