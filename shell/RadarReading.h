#pragma once
#include <cstdint>

class Craft;
class GameState;
class SpaceObject;
struct RadarPicture;

// What the player's ship's radar shows this frame: every object of the
// flight's world that the radar detects from its viewpoint (the sensor
// probe it follows, else the ship) within its range, placed along the
// ship's own axes from that viewpoint, in the blip colour the radar gives it
// as the current palette holds that colour. Nothing is shown without a
// radar, with the radar destroyed, or while the ship is no longer in play
// (a wreck, or inside a jump gate). The radar rolls the game's dice for its
// noise: the caller puts them back.
void ReadRadar(const GameState& game, Craft& ship, RadarPicture* out);

// The colour of the target's blip on the scope, as red, green and blue
// (0xBBGGRR): the one `picture` (read this frame) shows, else, while the
// radar leaves it off the scope, the colour the radar gives it now; grey
// without a radar. Rolls the game's dice as ReadRadar does.
uint32_t TargetBlipColour(const GameState& game, Craft& ship, const RadarPicture& picture, const SpaceObject& target);
