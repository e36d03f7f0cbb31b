#pragma once
#include <cstdint>

#include "engine/Status.h"

class Canvas;
class GameState;

// The font file the HUD's font comes from, in the data directory.
inline constexpr const char* kHudFontFile = "cockpitf.iff";

// Every element of the cockpit's HUD switched on: the six indicators, the
// four gauges, a warning, a chat message, a radio message with its speaker,
// hits on all four shield facings and a rearm charge; drawn over a test
// background of coloured bands. Needs the fonts loaded and the canvas's
// palette; `now` is the clock reading the warnings run from.
Status DrawHudShot(Canvas& canvas, GameState& game, uint32_t now);
