#pragma once
#include <cstdint>

#include "engine/Status.h"
#include "tools/mkdata/MissionRecords.h"

// "random.iff" in the data directory: what each kind of random mission pays
// at each difficulty, a 60-second cooperative time limit, the kill pay rate
// and a template of each kind, with the texts of its first goal and a
// record of every sky kind.
Status WriteRandomTable(const char* path);

// "sectors.uli" in the missions directory: the sky every random mission
// starts from, with the player's fighter and a station (class 33) that
// death matches spawn players near.
Status WriteSectors(const char* path);

// What a goal record holds beyond its kind, the objects it names and its
// place on the chain; the defaults make a player's goal of every side,
// checked from the start.
struct GoalTerms {
    int32_t side = 0;        // 0 every side, else the side whose player it counts for
    int32_t active = 1;      // 0: waits to be switched on by the goal before it on the chain
    int32_t wordC = 0;       // Goal::kUndetected and the other bits
    int32_t threshold = 0;   // percent of the subject's hit points (protect, disable)
    uint32_t timeMs = 0;     // on the mission clock (protect, wait, finish-in)
};

// "GOAL": a goal record of a type, about the named subject or destination.
MissionRecord GoalRecord(int32_t id, int32_t recordType, const char* subject, const char* destination,
                         const char* objective, float distance = 0.0f, int32_t nextGoalId = -1,
                         const GoalTerms& terms = {});
