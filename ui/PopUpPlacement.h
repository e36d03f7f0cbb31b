#pragma once
#include <cstdint>
#include <vector>

class Screen;

// Where a pop-up laid over a screen goes: the screen's controls are
// boxes it must not put its own buttons on, and the pop-up slides up or
// down, as little as will do, until its buttons lie clear of all of them.
namespace pop_up_placement {

// A box of screen pixels, both corners inside it.
struct Box {
    int32_t left = 0, top = 0, right = -1, bottom = -1;

    bool Overlaps(const Box& other) const {
        return left <= other.right && other.left <= right && top <= other.bottom && other.top <= bottom;
    }
    Box Shifted(int32_t dy) const { return Box{left, top + dy, right, bottom + dy}; }
};

// What answers the pointer or shows a control on the screen: the hot
// spots of its event map, and for a menu screen the sized, visible controls
// and the sprite buttons of the panels it shows.
std::vector<Box> OccupiedBoxes(const Screen& screen);

// The vertical shift in [lowest, highest] that puts the buttons on the
// least of the occupied boxes' area, the smallest such shift when several
// do (0 when it is one of them).
int32_t ChooseShift(const std::vector<Box>& buttons, const std::vector<Box>& occupied, int32_t lowest,
                    int32_t highest);

}  // namespace pop_up_placement
