#pragma once
#include <cstdint>

#include "engine/Vector3.h"

class BoxObject;
class Frame;
class NamedObject;
class Palette;
class SpaceObject;
struct Transform;

// What the effect objects share: the registration with the game state's object groups, palette colours and the
// placement arithmetic of their frames.
namespace effects {

// Hands the object to the game state's groups under the palette of that
// name (null: the default palette), sub key 1. Without a game state
// nothing would own it: it is deleted and false returned.
bool Register(NamedObject* object, const char* paletteName);
// The index closest to red, green, blue in the palette of that name (null:
// the default palette); 0 without one.
uint32_t ColourIn(const char* paletteName, uint8_t red, uint8_t green, uint8_t blue);
// The space object a frame belongs to: the frame itself, or the top of its
// tree (a part or a turret's node); null when the top is no space object.
SpaceObject* SpaceObjectOf(Frame* frame);
// The world position of a frame (its world transform's translation).
Vector3 WorldPosition(const Frame& frame);
// A world point, or a world direction, in a transform's own coordinates.
Vector3 PointToLocal(const Transform& transform, const Vector3& point);
Vector3 DirectionToLocal(const Transform& transform, const Vector3& direction);
// A box stretched from `start` to `end` along z, `halfX` and `halfY` to
// either side of each end.
void SpanBox(BoxObject& box, const Vector3& start, const Vector3& end, float halfX, float halfY);

}  // namespace effects
