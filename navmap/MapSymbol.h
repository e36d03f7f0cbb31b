#pragma once
#include <cstdint>

class SpaceObject;

// One symbol of the picture a map pass drew, kept until the next pass for
// the pointer's hit tests.
struct MapSymbol {
    int32_t depthKey = 0;   // larger is farther; drawn first
    int32_t barX = 0;
    int32_t barY = 0;
    int32_t x = 0;
    int32_t y = 0;
    int32_t image = -1;     // index into the screen's symbol images
    int32_t selected = 0;   // 1: the selection image goes over it
    int32_t goalFlag = 0;   // 1: the goal image goes over it (cleared once drawn)
    SpaceObject* object = nullptr;
};

// The sort order of a pass: 1 when a is nearer than b (a smaller key), -1
// when farther, 0 for equal keys, so the farthest symbol comes first.
int32_t SymbolDepthOrder(const MapSymbol& a, const MapSymbol& b);
