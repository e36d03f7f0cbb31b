#pragma once
#include <cstdint>

class Canvas;
class GameState;

// The flight's picture: the world through the flight camera, then the HUD.
void RenderFlightFrame(GameState& game, Canvas& canvas, uint32_t elapsedMs);
