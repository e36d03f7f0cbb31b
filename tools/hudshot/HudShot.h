#pragma once
#include <cstdint>

#include "engine/Status.h"

class Canvas;
class GameState;

// The font file the HUD's font comes from, in the data directory.
inline constexpr const char* kHudFontFile = "cockpitf.iff";

// What the picture shows. kLit: every element of the cockpit's HUD switched
// on (the six indicators, the four damage gauges, a warning, a chat
// message, a radio message with its speaker, hits on all four shield
// facings, a rearm charge, the instruments with a missile group locking on
// a target ahead, its first rack spent, and the radar's scope with its contacts) over
// a test background of coloured bands. kCrowded: the same over black space,
// for any screen size. The others show the instruments in flight over black
// space, the scope among them: a target ahead under its brackets, a target
// behind shown by the edge arrow, and no target with the arrow towards the
// chosen nav point. kArrows: the edge arrow towards a target behind in each
// of the eight directions, the eight frames drawn one over another, under
// every text row of the HUD over black space. kChase: a target ahead seen
// from the chase view, high up among the top rows, whose brackets leave out
// the corners that would cover their text.
enum class HudShotScene { kLit, kTargetAhead, kTargetBehind, kNoTarget, kArrows, kCrowded, kChase };

// The scene's name on hudshot's command line ("lit", "ahead", "behind",
// "none", "arrows", "crowded", "chase"); false for any other.
bool HudShotSceneByName(const char* name, HudShotScene* scene);

// Draws the scene. Needs the fonts loaded and the canvas's palette; `now`
// is the clock reading the warnings run from.
Status DrawHudShot(Canvas& canvas, GameState& game, uint32_t now, HudShotScene scene = HudShotScene::kLit);
