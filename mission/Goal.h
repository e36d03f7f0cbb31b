#pragma once
#include <cstdint>

#include "engine/EngineAllocation.h"

class SpaceObject;

// A mission goal, as far as the world needs it: every goal is on the global
// goal list from construction to destruction, and names a subject that is
// cleared when the subject leaves the world. The goal kinds grow from here.
class Goal : public EngineObject {
public:
    Goal();
    virtual ~Goal();
    Goal(const Goal&) = delete;
    Goal& operator=(const Goal&) = delete;

    virtual SpaceObject* GetSubject() const { return subject_; }
    virtual void SetSubject(SpaceObject* subject) { subject_ = subject; }

    Goal* next = nullptr;   // on the global goal list

private:
    SpaceObject* subject_ = nullptr;
};

// The head of every goal, newest first.
extern Goal* g_goalList;

// Every goal whose subject is the object gets none.
void ForgetGoalSubject(const SpaceObject* object);
