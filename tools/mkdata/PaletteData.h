#pragma once
#include "display/Palette.h"
#include "engine/Status.h"

// The sample palettes: one per name the game asks "palettes.iff" for, in the
// order the file holds them.
inline constexpr const char* kSamplePaletteNames[] = {
    "Vorn",    "explode", "JumpAnim", "3DPROJ", "nebula",          "planets", "sobjects",
    "flare",   "weapons", "Intro",    "WeaponEquipment", "logos",  "mastermenu", "faces",
};
inline constexpr int kSamplePaletteCount = sizeof kSamplePaletteNames / sizeof kSamplePaletteNames[0];

// The 256 colours of sample palette `variant` (an index into the names): a
// 6 x 6 x 6 colour cube at 0..215 and a grey ramp at 216..254, both tinted
// toward a colour of the variant's own (none for variant 0), and the
// transparent magenta 255, 0, 255 at 255.
void MakeSampleColors(int variant, PaletteColor* colours);

// Writes "palettes.iff" to `path`: FORM "VORN" holding, per name, a FORM
// "PALT" of the name's "INFO" chunk and its 8-bit palette as FORM "VPAL".
Status WritePaletteFile(const char* path);
