#pragma once
#include <cstdint>

#include "engine/Vector3.h"

// The records the mission loader hands the object factory for the kinds
// built from records (as the loader reads them from the mission file).
struct WayPointRecord {
    char name[32] = {};
    Vector3 position{};
};

// A navigation buoy: the mission file's long form names two linked objects;
// the factory's kind 6 reads the short form.
struct NavBuoyRecord {
    Vector3 position{};
    char name[32] = {};
    int32_t spinRange = 0;
    char linkName[16] = {};
    char secondLinkName[16] = {};
};
