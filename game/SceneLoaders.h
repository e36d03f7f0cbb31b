#pragma once
#include <cstdint>

#include "engine/DynArray.h"

class BitmapMaterial;
class IffFile;
class Model;
class Palette;

// The models of a scene file's objects named "1", "2", ... in that order,
// up to the first number missing and at most the scene's object count. Each
// model is counted once more, so that it outlives the scene it was read
// with; the caller gives the array back with ReleaseAnimationFrames. Null
// when the scene cannot be read or has no frame "1".
DynArray<Model*>* LoadAnimationFrames(const char* scenePath, Palette* palette);
// Lets go of every model (the last holder deletes it) and of the array.
void ReleaseAnimationFrames(DynArray<Model*>* frames);

// A picture at the reader's position as a material: flag 0 the reader
// stands on a FORM "XFEB"; flag 1 it is inside a FORM "XCEL" ("COOR", then
// the FORM "XFEB"), which it leaves. Index 255 is transparent. Null when
// the picture cannot be read or made into a material.
BitmapMaterial* LoadCelMaterial(IffFile& reader, int32_t flag, Palette* palette);
