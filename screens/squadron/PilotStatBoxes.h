#pragma once
#include <cstdint>

class ArtObject;

// The three boxes of a pilot's record that the personnel and assignment
// panels show one above the other: kills, missions flown and accuracy.
struct PilotStatBoxes {
    static void Add(ArtObject* panel);
    static void Clear(const ArtObject* panel);
    static void Show(const ArtObject* panel, int32_t kills, int32_t missions, int32_t accuracy);
};
