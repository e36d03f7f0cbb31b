#pragma once
#include <cstdint>

struct InputTrigger;

// The keyboard's walk over the current screen's hot spots. A hot spot is an
// event record of the screen's map: its xMin, xMax, yMin and yMax are the
// left, right, top and bottom corners (negative: not set), and its motionX
// word, which a hot spot never needs as a motion threshold, is its disabled
// value (above 0: disabled).

// The hot spot the next forward step focuses; the focused one is the one
// before it. A screen's Open sets it to 0.
extern int32_t g_hotspotFocus;
// The record a walk is visiting.
extern int32_t g_hotspotWalkCount;
// 1 when the last forward walk found a hot spot.
extern int32_t g_hotspotFound;
// The backward walk's result, -1 none.
extern int32_t g_hotspotPrevIndex;

// Walk callbacks: 1 goes on to the next record, 0 stops.
// Focuses the record at g_hotspotFocus when it is usable, moving the
// pointer 5 pixels inside its lower-left corner.
int32_t FocusHotspotCallback(InputTrigger* record);
// Notes the last usable record before g_hotspotFocus or the first disabled one.
int32_t FindPrevHotspotCallback(InputTrigger* record);
