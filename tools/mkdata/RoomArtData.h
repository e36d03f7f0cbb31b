#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "engine/Status.h"
#include "engine/input/InputEventMap.h"

class Bitmap;
class IffFile;

// The rooms of the base under the data root: the painted art
// "option/OFFICE1.iff", "option/HALLWAY1.iff", "option/WARROOM1.iff" and
// "option/HANGAR1.iff", and their maps "cel/OFFICE.iff", "cel/HALLWAY.iff",
// "cel/WARROOM.iff" and "cel/HANGAR.iff".
Status WriteRoomArt(const std::string& root);

// The painting of the rooms' art files, for every room's writer: 8-bit
// cels in the colour cube of the menus' palette, keyed on kClear, over
// 24-bit backgrounds.
namespace room_paint {

constexpr uint8_t Cube(int red, int green, int blue) { return uint8_t(red * 36 + green * 6 + blue); }
constexpr uint8_t kClear = 255;   // the cels' key

// Doors close with sounds at frames 8, 6, 4 and 2: one frame more than the
// last sound lets the first one play.
constexpr int kDoorFrames = 10;

struct Rect {
    int x, y, width, height;
    bool Holds(int px, int py) const { return px >= x && px < x + width && py >= y && py < y + height; }
};

struct Rgb {
    int red, green, blue;
};

using Painter = std::function<Rgb(int x, int y)>;
using CelPainter = std::function<uint8_t(int column, int row)>;

// Walls fading to a floor, with the rectangles of doors and furniture.
struct Block {
    Rect area;
    Rgb colour;
};

Rgb Mix(Rgb a, Rgb b, int part, int whole);
Status WriteTextChunk(IffFile& iff, uint32_t tag, const char* text);
Status WriteBackground(IffFile& iff, uint32_t form, const Painter& paint);
std::unique_ptr<Bitmap> Cel(const Rect& at, const CelPainter& paint);
Status WriteXcel(IffFile& iff, std::unique_ptr<Bitmap> cel);
Status WriteAnimation(IffFile& iff, uint32_t form, const char* name, const Rect& at, int frames,
                      const std::function<uint8_t(int frame, int column, int row)>& paint);
Status WriteDoor(IffFile& iff, const char* name, const Rect& at, int frames, uint8_t panel, uint8_t edge);
Status WriteGlow(IffFile& iff, uint32_t form, const char* name, const Rect& at, int frames, int hue);
// A room's art file, open and standing in its FORM "OPTI"; EndArt closes it.
Status BeginArt(IffFile& iff, const std::string& path);
Status EndArt(IffFile& iff, Status status);
Painter RoomPainter(Rgb wallTop, Rgb wallBottom, int floorY, Rgb floorNear, std::vector<Block> blocks);
InputTrigger Spot(const Rect& r);
InputTrigger ClickOn(const Rect& r);

}  // namespace room_paint
