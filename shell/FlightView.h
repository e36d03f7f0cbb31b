#pragma once
#include <cstdint>

class Canvas;
class GameState;

// The view mode whose camera looks from the chase object at the viewed
// object; in any other mode the camera sits at the viewed object, but for
// the wreck view, which a death of the player's ship sets: its camera looks
// at the wreck from the chase object's side, clear of the wreck.
inline constexpr int32_t kChaseViewMode = 1;
inline constexpr int32_t kWreckViewMode = 6;

// The picture of one flight frame on the canvas: the world through the
// flight camera under the mission's lights, each object group under its
// palette, the lens flares, then the cockpit's HUD over it; the sound
// listener goes where the camera is and the sound device takes its turn.
// Without a mission only the HUD is drawn, on the cleared canvas.
// `elapsedMs` is the frame's length; nothing drawn depends on it, as what
// moves has moved in the simulate step and the HUD runs from the clock.
void RenderFlightFrame(GameState& game, Canvas& canvas, uint32_t elapsedMs);
