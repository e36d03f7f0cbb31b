#pragma once
#include <cstdint>

class Craft;

// The weapon group the pilot's fire key fires. The trigger fires it and the
// cockpit names it from this one answer, so the rows never name a group the
// trigger passes over.
//
// The pilot's choice while the ship has a weapon the group's fire fires
// (a gun on a turret's barrel is its turret's, never the group's); once the
// choice is spent (its racks run dry, its guns destroyed) or with nothing
// chosen, the next group round the four that has one; 0 when none has.
int32_t TriggerGroup(Craft& ship, int32_t chosen);

// The group the next-group key moves the choice to: the next one round the
// four after the group the fire key fires now; that group itself when it is
// the only one.
int32_t NextTriggerGroup(Craft& ship, int32_t chosen);
