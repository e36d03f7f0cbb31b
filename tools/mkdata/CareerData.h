#pragma once
#include <cstdint>

#include "engine/Status.h"

// What a new career is made of besides the definitions:
// "outfit1.iff" (option directory): FORM "HULL" entries for the hulls
// "P102" and "P303": "ID  ", "NAME", "DESC", "INFO" (seven i32: price,
// two shown values, maximum, 0, 0, a shown value), "PHYS" (three i32),
// three hardpoint strips, the five bays and a nozzle each side of x = 375,
// then the weapon and the equipment layout pictures (FORM "XCEL" each).
// Areas are named after the model parts their equipment works from.
Status WriteSampleHulls(const char* path);
// "wingmen.iff" (data directory): FORM "WING" of four FORM "PILO", the
// pilots kSamplePilots, each named like a face of "faces.iff" (faces 1 to 4
// carry their names), which the squadron pages show beside him.
inline constexpr int32_t kSamplePilotCount = 4;
inline constexpr const char* kSamplePilots[kSamplePilotCount] = {"Jory Tallis", "Ash Calder", "Rin Hollis",
                                                                 "Wren Sato"};
Status WriteSampleRoster(const char* path);
