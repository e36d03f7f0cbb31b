#pragma once
#include <cstdint>

#include "display/CanvasRect.h"

class Canvas;

// One blip of the cockpit's radar: where the contact lies from the radar's
// viewpoint, in metres along the player's ship's own axes, and the colour of
// its blip as red, green and blue (0xBBGGRR).
struct RadarContact {
    float right = 0.0f, up = 0.0f, ahead = 0.0f;
    uint32_t colour = 0;
    bool target = false;     // the targeting computer's target
    bool wayPoint = false;   // drawn under every other blip
};

// What the radar shows this frame, gathered by the flight frame. Without a
// working radar nothing is shown, not even the scope.
struct RadarPicture {
    static constexpr int32_t kContacts = 96;

    bool shown = false;
    bool probe = false;   // seen from a sensor probe, which stands at the centre
    int32_t range = 0;    // metres from the centre to the rim
    int32_t count = 0;
    RadarContact contacts[kContacts];

    // False, the contact left out, once the picture is full.
    bool Add(const RadarContact& contact);
};

// The radar's scope: a disc that shows the space round the viewpoint as
// seen from above the ship, ahead up and behind down, the rim at the range
// setting. A blip stands where its contact lies across the ship's plane; a
// stalk up or down from it tells how far above or below the plane the
// contact is, on the same scale. The target's blip is bracketed in its own
// colour. Way points are drawn first, so that a contact on a way point's
// line is never hidden by it. The range setting reads in metres under the
// disc.
class RadarScope {
public:
    // The height of the range line under the disc.
    static constexpr int32_t kRangeLine = 12;

    // Draws the picture in `place` (the disc as wide as the place, the range
    // line under it) in the current font, which the cockpit has selected.
    // Nothing without a shown picture or the canvas's palette.
    static void Draw(Canvas& canvas, const RadarPicture& picture, const CanvasRect& place);
    // Where the range line's text stands when the picture is drawn in
    // `place`, measured in the current font; empty without a shown picture.
    static CanvasRect LabelPlace(const RadarPicture& picture, const CanvasRect& place);
};
