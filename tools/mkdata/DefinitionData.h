#pragma once
#include "engine/Status.h"

// The object and equipment definitions of the sample tree and the files
// that go with them, all in the data directory:
// "temp.iff": a fighter ("P101") equipped with a generator, shields, two
// armour systems, hardening, an ECM, a cloak, a jammer, a repair unit and a
// decoy launcher, radar, targeting computer, flight controls, engine and
// sensor launcher (with sound names for the player's ship); a capital ship
// with two turrets (bases and kind-10 barrels); the ejection pod "PILT"; an asteroid, a mine, a missile and a carrier, a gate,
// debris, "Nav Buoy" and "Autoturret"; their equipment.
// "load.iff": the auto-turret loadout. "faces.iff": 180 pilot faces.
// "comm.iff": radio lines; "comm16.iff" to "comm24.iff" and "commwm.iff":
// voice samples. "ctrl.iff": the player's response curve, {0, 50, 0, 25}
// and {50, 100, 25, 100}. A raider ("Raider", model "2305RAIDR") flown by
// the AI, with its pilot traits in "ai.iff" and its maneuvers in
// "aidetail.iff"; the first fight's "Skiff", a raider whose "Skiff Gun"
// reaches 800; its armed kin "Marauder" with a gun, an ion beam, a
// missile rack and the projectile weapon "Flak Cannon" ("Flak Shell").
Status WriteSampleDefinitions(const char* dataDirectory);
