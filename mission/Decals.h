#pragma once
#include <cstdint>

#include "engine/Status.h"

class SpaceObject;
class Palette;

// A definition's decals: nested FORM "DECL" entries of its SPOB, each a
// "LOGO" (i32), a "MATL" (the 16-byte name of the material it replaces) and
// the picture as FORM "XFEB".
namespace decals {

// The decals of `logo` replace the object's materials of their names (the
// object gets its own material list; the model's stays as it was). -1 does
// nothing. 0; 11 when the object's definition is not in "temp.iff".
// Each definition's decals are read from the file once (see DecalCache).
Status ApplyDecals(SpaceObject* object, int32_t logo, Palette* palette = nullptr);
// Lets go of the decals read so far; the next ship reads its file again.
void ForgetDecals();
// Reads of "temp.iff" for decals so far.
int32_t DecalFileReads();

}  // namespace decals
