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
Status ApplyDecals(SpaceObject* object, int32_t logo, Palette* palette = nullptr);

}  // namespace decals
