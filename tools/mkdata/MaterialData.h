#pragma once
#include "engine/Status.h"

// The sample material library "mesh/materials.iff": FORM "ESEN" holding the
// 64 x 64 textures "Rock" (raw), "Metal" and "Sky" (run-length) as FORM
// "EMTL", and "Beacon", a 32 x 32 three-frame pulse with transparent
// corners, as FORM "EMT1". Indices are those of the sample palette "Vorn".
inline constexpr const char* kSampleMaterialNames[] = {"Rock", "Metal", "Sky", "Beacon"};
inline constexpr int kSampleMaterialCount = sizeof kSampleMaterialNames / sizeof kSampleMaterialNames[0];
inline constexpr int kBeaconFrames = 3;

Status WriteMaterialLibrary(const char* path);

class IffFile;
// The named single-picture texture ("Rock", "Metal" or "Sky") as a FORM
// "EMTL" at the writer's current level: a mesh that carries its textures
// draws them where the material libraries are not read.
Status WriteMaterialForm(IffFile& iff, const char* name);
