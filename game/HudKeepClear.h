#pragma once
#include <cstdint>

// The places of the screen the HUD's marks (the sight, the target's
// brackets and the edge arrow) keep clear of: the text rows, pictures and
// scope's label the cockpit draws this frame, its radar scope and, for the
// arrow, the sight, each with room round it. Places past kPlaces are not
// kept; the cockpit draws fewer.
class HudKeepClear {
public:
    static constexpr int32_t kPlaces = 64;
    // Pixels kept round a place, so that a mark never touches a letter.
    static constexpr int32_t kRoom = 2;

    // A place of width x height pixels with its top left at (x, y); an
    // empty one is ignored.
    void Add(int32_t x, int32_t y, int32_t width, int32_t height);
    // Whether the box [left, right] by [top, bottom] meets a kept place.
    bool Meets(float left, float top, float right, float bottom) const;

private:
    struct Place {
        float left, top, right, bottom;
    };
    Place places_[kPlaces] = {};
    int32_t count_ = 0;
};
