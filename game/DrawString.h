#pragma once
#include <cstdint>

class Canvas;

// The canvas the game draws its frames on (the display's frame); null
// before the display starts.
extern Canvas* g_gameCanvas;

// The text at (x, y) in the current font and text colours: DrawString on
// the game canvas (nothing without one), DrawStringOn on any canvas.
void DrawString(const char* text, int32_t x, int32_t y, int32_t flags);
void DrawStringOn(Canvas& canvas, const char* text, int32_t x, int32_t y);
