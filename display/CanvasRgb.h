#pragma once
#include <cstdint>
#include <vector>

class Canvas;

// A software canvas's colour buffer as red, green, blue bytes, rows top to
// bottom: 8-bit pixels through the canvas's palette (black without one),
// 16-bit ones as 5-5-5 or 5-6-5 by the palette's flag, each channel widened
// by repeating its top bits so that full white stays 255. Empty without
// pixels.
std::vector<uint8_t> CanvasToRgbBytes(const Canvas& canvas);
