#pragma once
#include "tools/mkdata/MeshShape.h"

// The shapes of the models and parts of "ships.iff", by node name: the
// player's side flies pale hulls with blue markings, the raiders' side dark
// red ones. Each shape lies within its part's box of -1 to 1 on every axis
// and the sphere through the box's corners (parts placed beside each other
// reach a little over the box towards their neighbour), which are the
// bounds the part is written with. A name without a shape of its own gets
// a plain block.
MeshShape ShipPartShape(const char* node);
