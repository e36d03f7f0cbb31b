#include "tools/mkdata/RoomArtData.h"
#include "tools/mkdata/NavMapData.h"

#include <cstring>
#include <functional>
#include <memory>
#include <vector>

#include "display/Bitmap.h"
#include "display/BitmapCodec.h"
#include "display/XfebCodec.h"
#include "engine/IffFile.h"
#include "engine/input/InputEventMap.h"
#include "tools/mkdata/EventMapData.h"
#include "tools/mkdata/MenuArtData.h"

namespace {

constexpr uint16_t kKeyEscape = 1;
constexpr uint16_t kKeyW = 17;
constexpr uint16_t kKeyY = 21;
constexpr uint16_t kKeyO = 24;
constexpr uint16_t kKeyF = 33;
constexpr uint16_t kKeyH = 35;
constexpr uint16_t kKeyK = 37;
constexpr uint16_t kKeyC = 46;
constexpr uint16_t kKeyN = 49;
constexpr uint16_t kLeftButton = 1;

// The hangar door closes with sounds at 19, 17 and 10.
constexpr int kHangarDoorFrames = 21;

}  // namespace

namespace room_paint {

Rgb Mix(Rgb a, Rgb b, int part, int whole) {
    if (whole <= 0) return a;
    return Rgb{a.red + (b.red - a.red) * part / whole, a.green + (b.green - a.green) * part / whole,
               a.blue + (b.blue - a.blue) * part / whole};
}

Status WriteTextChunk(IffFile& iff, uint32_t tag, const char* text) {
    return iff.WriteChunk(tag, text, uint32_t(std::strlen(text) + 1));
}

// A 640 x 480 picture of 24-bit pixels in the order the background reader takes.
Status WriteBackground(IffFile& iff, uint32_t form, const Painter& paint) {
    constexpr int kWidth = 640, kHeight = 480;
    auto picture = std::make_unique<Bitmap>();
    if (picture->Create(kWidth, kHeight, Bitmap::kDepth24Bit, false) != kStatusOk) return kStatusOutOfMemory;
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            const Rgb colour = paint(x, y);
            uint8_t* const pixel = picture->pixels + 3 * (y * kWidth + x);
            pixel[0] = uint8_t(colour.red);
            pixel[1] = uint8_t(colour.green);
            pixel[2] = uint8_t(colour.blue);
        }
    }
    Status status = iff.BeginForm(form);
    XfebCodec codec(picture.get());
    if (status == kStatusOk) status = codec.WriteForm(&iff, picture.get());
    if (status == kStatusOk) status = iff.Ascend();
    return status;
}

std::unique_ptr<Bitmap> Cel(const Rect& at, const CelPainter& paint) {
    auto cel = std::make_unique<Bitmap>();
    if (cel->Create(uint16_t(at.width), uint16_t(at.height), Bitmap::kDepth8Bit, true) != kStatusOk) return nullptr;
    for (int row = 0; row < at.height; ++row) {
        for (int column = 0; column < at.width; ++column) cel->pixels[row * at.width + column] = paint(column, row);
    }
    cel->x = int16_t(at.x);
    cel->y = int16_t(at.y);
    return cel;
}

Status WriteXcel(IffFile& iff, std::unique_ptr<Bitmap> cel) {
    return cel != nullptr ? BitmapCodec::WriteXcelChunk(&iff, cel.get()) : kStatusOutOfMemory;
}

// One animated form: its name and `frames` cels painted by frame number.
Status WriteAnimation(IffFile& iff, uint32_t form, const char* name, const Rect& at, int frames,
                      const std::function<uint8_t(int frame, int column, int row)>& paint) {
    Status status = iff.BeginForm(form);
    if (status == kStatusOk) status = WriteTextChunk(iff, MakeTag("NAME"), name);
    for (int frame = 0; frame < frames && status == kStatusOk; ++frame) {
        status = WriteXcel(iff, Cel(at, [&](int column, int row) { return paint(frame, column, row); }));
    }
    if (status == kStatusOk) status = iff.Ascend();
    return status;
}

// A door sliding aside: frame 0 shut, the last one open on the dark beyond.
Status WriteDoor(IffFile& iff, const char* name, const Rect& at, int frames, uint8_t panel, uint8_t edge) {
    return WriteAnimation(iff, MakeTag("HOTS"), name, at, frames, [&](int frame, int column, int row) -> uint8_t {
        const int open = at.width * frame / (frames - 1);
        if (column < open) {
            // The beyond: a lit floor under darkness.
            return row > at.height * 3 / 4 ? Cube(1, 1, 1) : Cube(0, 0, 1);
        }
        const bool border = column == open || column == at.width - 1 || row == 0 || row == at.height - 1;
        if (border) return edge;
        // A stripe of light at the panel's middle.
        return (row / 6) % 7 == 3 ? Cube(3, 3, 2) : panel;
    });
}

// A screen glowing in `frames` shades of one hue.
Status WriteGlow(IffFile& iff, uint32_t form, const char* name, const Rect& at, int frames, int hue) {
    return WriteAnimation(iff, form, name, at, frames, [&](int frame, int column, int row) -> uint8_t {
        if (row == 0 || column == 0 || row == at.height - 1 || column == at.width - 1) return Cube(1, 1, 1);
        const int level = 1 + (frame + (row + column) / 8) % 5;
        const bool line = (row + frame * 3) % 6 == 0;
        if (hue == 0) return Cube(0, line ? 5 : level, line ? 2 : 1);
        if (hue == 1) return Cube(0, level / 2, line ? 5 : level);
        return Cube(line ? 5 : level, level / 2, 0);
    });
}

Status BeginArt(IffFile& iff, const std::string& path) {
    Status status = iff.OpenFile(path.c_str(), kOpenWrite | kOpenCreate);
    if (status == kStatusOk) status = iff.BeginForm(MakeTag("OPTI"));
    if (status == kStatusOk) status = WriteTextChunk(iff, MakeTag("PALT"), "mastermenu");
    return status;
}

Status EndArt(IffFile& iff, Status status) {
    if (status == kStatusOk) status = iff.Ascend();
    const Status closed = iff.CloseFile();
    return status != kStatusOk ? status : closed;
}

Painter RoomPainter(Rgb wallTop, Rgb wallBottom, int floorY, Rgb floorNear, std::vector<Block> blocks) {
    return [=](int x, int y) -> Rgb {
        for (auto it = blocks.rbegin(); it != blocks.rend(); ++it) {
            if (!it->area.Holds(x, y)) continue;
            const Rect& r = it->area;
            const bool edge = x == r.x || y == r.y || x == r.x + r.width - 1 || y == r.y + r.height - 1;
            return edge ? Mix(it->colour, Rgb{0, 0, 0}, 1, 2) : it->colour;
        }
        if (y >= floorY) {
            const Rgb floor = Mix(Mix(floorNear, Rgb{0, 0, 0}, 1, 2), floorNear, y - floorY, 480 - floorY);
            return (x / 40 + y / 20) % 2 == 0 ? floor : Mix(floor, Rgb{0, 0, 0}, 1, 6);
        }
        return Mix(wallTop, wallBottom, y, floorY);
    };
}

InputTrigger Spot(const Rect& r) { return SpotTrigger(r.x, r.y, r.width, r.height); }

InputTrigger ClickOn(const Rect& r) {
    InputTrigger trigger = Spot(r);
    trigger.mouseButtons = kLeftButton;
    return trigger;
}

}  // namespace room_paint

namespace {

using namespace room_paint;

// ---------------------------------------------------------------- office

constexpr Rect kOfficeHallDoor{40, 130, 100, 230};
constexpr Rect kOfficeWarDoor{500, 130, 100, 230};
constexpr Rect kOfficeMonitor{270, 200, 100, 80};
constexpr Rect kOfficeMug{404, 276, 22, 24};
constexpr Rect kOfficeChair{180, 250, 50, 110};
constexpr Rect kOfficeClock{300, 24, 40, 40};

Status WriteOffice(const std::string& path) {
    IffFile iff(0);
    Status status = BeginArt(iff, path);
    const Painter paint = RoomPainter(
        Rgb{96, 88, 80}, Rgb{150, 136, 116}, 360, Rgb{110, 80, 52},
        {{{190, 50, 260, 120}, {10, 14, 40}},      // the window
         {kOfficeHallDoor, {70, 80, 96}},
         {kOfficeWarDoor, {70, 80, 96}},
         {{200, 300, 240, 70}, {92, 60, 36}},      // the desk
         {{300, 280, 40, 20}, {40, 40, 44}},       // the monitor's foot
         {kOfficeMonitor, {30, 30, 34}},
         {kOfficeMug, {200, 200, 210}},
         {kOfficeChair, {60, 30, 30}}});
    // Stars in the window.
    const Painter withStars = [paint](int x, int y) -> Rgb {
        if (x > 190 && x < 449 && y > 50 && y < 169 && (x * 7 + y * 13) % 97 == 0) return Rgb{230, 230, 255};
        return paint(x, y);
    };
    if (status == kStatusOk) status = WriteBackground(iff, MakeTag("BKGR"), withStars);
    // The clock's hand sweeps: the office keeps every third of its twelve cels.
    if (status == kStatusOk) {
        status = WriteAnimation(iff, MakeTag("ANIM"), "Wall Clock", kOfficeClock, 12, [](int frame, int column, int row) -> uint8_t {
            const int dx = column - 20, dy = row - 20;
            if (dx * dx + dy * dy > 19 * 19) return kClear;
            if (dx * dx + dy * dy > 17 * 17) return Cube(1, 1, 1);
            static const int kHand[12][2] = {{0, -1}, {1, -2}, {2, -1}, {1, 0}, {2, 1}, {1, 2},
                                             {0, 1},  {-1, 2}, {-2, 1}, {-1, 0}, {-2, -1}, {-1, -2}};
            const int hx = kHand[frame][0], hy = kHand[frame][1];
            for (int s = 0; s <= 7; ++s) {
                if (dx == hx * s && dy == hy * s) return Cube(5, 0, 0);
            }
            return Cube(5, 5, 4);
        });
    }
    // Habits: a screen saver, a pen, the chair, the coffee.
    const Rect screen{kOfficeMonitor.x + 6, kOfficeMonitor.y + 6, kOfficeMonitor.width - 12, kOfficeMonitor.height - 12};
    if (status == kStatusOk) status = WriteGlow(iff, MakeTag("HABI"), "Screensaver", screen, 12, 1);
    if (status == kStatusOk) {
        status = WriteAnimation(iff, MakeTag("HABI"), "Pen Tap", Rect{380, 290, 16, 12}, 6, [](int frame, int column, int row) -> uint8_t {
            const int tip = frame % 2 == 0 ? 2 : 8;
            return column == 8 && row >= tip ? Cube(0, 0, 4) : kClear;
        });
    }
    if (status == kStatusOk) {
        status = WriteAnimation(iff, MakeTag("HABI"), "Chair Turn", kOfficeChair, 9, [](int frame, int column, int row) -> uint8_t {
            const int left = (frame / 3) * 8;
            return column >= left && column < left + 30 && row < 70 ? Cube(3, 1, 1) : kClear;
        });
    }
    if (status == kStatusOk) {
        status = WriteAnimation(iff, MakeTag("HABI"), "Coffee Sip", Rect{404, 250, 22, 26}, 9, [](int frame, int column, int row) -> uint8_t {
            const int wave = (row + frame) % 6;
            return (column == 8 + wave / 2 || column == 14 - wave / 2) && row < 22 ? Cube(4, 4, 4) : kClear;
        });
    }
    if (status == kStatusOk) status = WriteDoor(iff, "Door to Hall", kOfficeHallDoor, kDoorFrames, Cube(2, 2, 3), Cube(1, 1, 1));
    if (status == kStatusOk) status = WriteDoor(iff, "Door to Warroom", kOfficeWarDoor, kDoorFrames, Cube(2, 2, 3), Cube(1, 1, 1));
    if (status == kStatusOk) status = WriteGlow(iff, MakeTag("HOTS"), "Monitor Anim", kOfficeMonitor, 4, 0);
    return EndArt(iff, status);
}

EventMapSpec OfficeMap() {
    EventMapSpec map;
    map.name = "office";
    map.events.push_back({0, Spot(kOfficeWarDoor)});
    map.events.push_back({1, Spot(kOfficeHallDoor)});
    map.events.push_back({2, Spot(kOfficeMonitor)});
    map.events.push_back({3, KeyTrigger(kKeyK)});
    AddFocusWalkKeys(map, 6, 7, 8, 5);
    map.events.push_back({11, Spot(kOfficeMug)});
    map.events.push_back({12, Spot(kOfficeChair)});
    map.events.push_back({13, KeyTrigger(kKeyEscape)});
    map.events.push_back({14, KeyTrigger(kKeyC)});
    map.events.push_back({15, KeyTrigger(kKeyH)});
    map.events.push_back({16, KeyTrigger(kKeyF)});
    map.events.push_back({17, KeyTrigger(kKeyW)});
    return map;
}

// ---------------------------------------------------------------- hallway

constexpr Rect kHallOfficeDoor{40, 150, 100, 230};
constexpr Rect kHallCommonDoor{500, 150, 100, 230};
constexpr Rect kHallHangarDoor{230, 130, 180, 220};
constexpr Rect kHallPanel{170, 220, 34, 44};
constexpr Rect kHallPipe{0, 20, 640, 16};

Status WriteHallway(const std::string& path) {
    IffFile iff(0);
    Status status = BeginArt(iff, path);
    const Painter room = RoomPainter(Rgb{60, 66, 80}, Rgb{110, 118, 130}, 350, Rgb{80, 84, 90},
                                     {{kHallPipe, {120, 110, 90}},
                                      {{210, 110, 220, 250}, {50, 54, 64}},   // the hangar door's frame
                                      {kHallOfficeDoor, {80, 90, 110}},
                                      {kHallCommonDoor, {90, 80, 70}},
                                      {kHallHangarDoor, {120, 100, 40}},
                                      {kHallPanel, {30, 60, 40}}});
    // Warning chevrons across the hangar door.
    const Painter paint = [room](int x, int y) -> Rgb {
        if (kHallHangarDoor.Holds(x, y) && y > 320 && ((x + y) / 10) % 2 == 0) return Rgb{20, 20, 20};
        return room(x, y);
    };
    if (status == kStatusOk) status = WriteBackground(iff, MakeTag("BKGR"), paint);
    if (status == kStatusOk) {
        status = WriteAnimation(iff, MakeTag("ANIM"), "Ceiling Light", Rect{300, 60, 40, 10}, 2, [](int frame, int, int) -> uint8_t {
            return frame == 0 ? Cube(5, 5, 4) : Cube(3, 3, 2);
        });
    }
    if (status == kStatusOk) status = WriteDoor(iff, "Office Door", kHallOfficeDoor, kDoorFrames, Cube(2, 2, 3), Cube(1, 1, 1));
    if (status == kStatusOk) status = WriteDoor(iff, "Common Door", kHallCommonDoor, kDoorFrames, Cube(3, 2, 1), Cube(1, 1, 0));
    if (status == kStatusOk) status = WriteDoor(iff, "Hanger Door", kHallHangarDoor, kHangarDoorFrames, Cube(4, 3, 1), Cube(1, 1, 0));
    return EndArt(iff, status);
}

EventMapSpec HallwayMap() {
    EventMapSpec map;
    map.name = "hallway";
    map.events.push_back({0, Spot(kHallOfficeDoor)});
    map.events.push_back({1, Spot(kHallCommonDoor)});
    map.events.push_back({2, Spot(kHallHangarDoor)});
    map.events.push_back({3, Spot(kHallPanel)});
    map.events.push_back({4, Spot(kHallPipe)});
    AddFocusWalkKeys(map, 7, 8, 9, 6);
    map.events.push_back({10, KeyTrigger(kKeyEscape)});
    return map;
}

// ---------------------------------------------------------------- war room

constexpr Rect kWarDoor{30, 140, 100, 230};
constexpr Rect kWarTable{200, 250, 240, 110};
constexpr Rect kWarMonitor{500, 190, 110, 90};
constexpr Rect kWarPipe{150, 30, 340, 14};

Status WriteWarRoom(const std::string& path) {
    IffFile iff(0);
    Status status = BeginArt(iff, path);
    const Painter paint = RoomPainter(Rgb{20, 24, 40}, Rgb{40, 46, 70}, 370, Rgb{36, 40, 56},
                                      {{kWarPipe, {90, 90, 100}},
                                       {kWarDoor, {60, 70, 90}},
                                       {{190, 240, 260, 130}, {30, 34, 44}},   // the table's rim
                                       {kWarTable, {10, 30, 40}},
                                       {{495, 185, 120, 100}, {44, 44, 50}},
                                       {{540, 285, 30, 60}, {44, 44, 50}}});
    if (status == kStatusOk) status = WriteBackground(iff, MakeTag("BKGR"), paint);
    const Rect upper{kWarMonitor.x, kWarMonitor.y, kWarMonitor.width, kWarMonitor.height / 2};
    const Rect lower{kWarMonitor.x, kWarMonitor.y + kWarMonitor.height / 2, kWarMonitor.width, kWarMonitor.height / 2};
    if (status == kStatusOk) status = WriteGlow(iff, MakeTag("ANIM"), "Monitor #1 Anim #2", upper, 3, 1);
    if (status == kStatusOk) status = WriteGlow(iff, MakeTag("ANIM"), "Monitor #1 Anim #3", lower, 3, 2);
    if (status == kStatusOk) {
        status = WriteAnimation(iff, MakeTag("HABI"), "Plotter", Rect{60, 60, 60, 40}, 4, [](int frame, int column, int row) -> uint8_t {
            return row == (frame * 10 + column / 3) % 40 ? Cube(0, 4, 0) : Cube(0, 1, 0);
        });
    }
    if (status == kStatusOk) status = WriteDoor(iff, "Office Door", kWarDoor, kDoorFrames, Cube(2, 2, 3), Cube(1, 1, 1));
    // The mission map: a star map rising out of the table.
    if (status == kStatusOk) {
        status = WriteAnimation(iff, MakeTag("HOTS"), "Navmap", kWarTable, 6, [](int frame, int column, int row) -> uint8_t {
            const int rise = kWarTable.height - (frame + 1) * kWarTable.height / 6;
            if (row < rise) return kClear;
            if ((column * 31 + row * 17) % 53 == 0) return Cube(5, 5, 5);
            if (column % 20 == 0 || row % 20 == 0) return Cube(0, 3, 3);
            return kClear;
        });
    }
    if (status == kStatusOk) status = WriteGlow(iff, MakeTag("HOTS"), "Monitor #1 Anim #1", kWarMonitor, 4, 0);
    if (status == kStatusOk) status = WriteNavMapForms(iff, true);
    return EndArt(iff, status);
}

EventMapSpec WarRoomMap() {
    EventMapSpec map;
    map.name = "warroom";
    map.events.push_back({0, Spot(kWarDoor)});
    map.events.push_back({1, Spot(kWarTable)});
    map.events.push_back({2, Spot(kWarMonitor)});
    map.events.push_back({3, Spot(kWarPipe)});
    AddFocusWalkKeys(map, 6, 7, 8, 5);
    map.events.push_back({10, KeyTrigger(kKeyEscape)});
    map.events.push_back({11, KeyTrigger(kKeyC)});
    map.events.push_back({12, KeyTrigger(kKeyH)});
    map.events.push_back({13, KeyTrigger(kKeyF)});
    map.events.push_back({14, KeyTrigger(kKeyO)});
    return map;
}

// ---------------------------------------------------------------- hangar

// Every flyable hull of the sample data, in the order of the back row.
const char* const kHulls[] = {"P102", "P303", "P504", "P405", "P408", "P107"};
// The letters painted on each hull.
const char* const kHullLabels[] = {"LANCER", "WARDEN", "RAPIER", "BASTION", "HALBERD", "SPARROW"};
constexpr Rect kFrontPad{200, 270, 240, 110};
constexpr Rect kHangarDoor{20, 230, 90, 170};
// The launch warning's buttons, above the front pad's spot.
constexpr Rect kYes{196, 238, 120, 28};
constexpr Rect kNo{326, 238, 120, 28};

Rect BackPad(int slot) { return Rect{130 + slot * 82, 170, 76, 44}; }

// A wedge of a fighter seen from above and behind, with its hull on it.
std::unique_ptr<Bitmap> ShipCel(const Rect& at, int hull, const char* id) {
    const uint8_t body = Cube(1 + hull % 3, 2 + hull % 2, 3 + hull % 3 > 5 ? 5 : 3 + hull % 3);
    std::unique_ptr<Bitmap> cel = Cel(at, [&](int column, int row) -> uint8_t {
        const int half = at.width / 2;
        const int spread = (row + 1) * half / at.height;
        const int dx = column - half;
        if (dx < -spread || dx > spread) return kClear;
        if (dx == -spread || dx == spread || row == at.height - 1) return Cube(5, 5, 5);
        return body;
    });
    if (cel == nullptr || at.width < 60) return cel;
    const std::unique_ptr<Bitmap> label = LabelledBox(at.width - 8, 12, id, kClear, kClear, Cube(5, 5, 0));
    if (label == nullptr) return cel;
    const int left = (at.width - label->width) / 2, top = at.height - 18;
    for (int row = 0; row < label->height; ++row) {
        for (int column = 0; column < label->width; ++column) {
            const uint8_t pixel = label->pixels[row * label->width + column];
            if (pixel == Cube(5, 5, 0)) cel->pixels[(top + row) * at.width + left + column] = pixel;
        }
    }
    return cel;
}

Status WriteHangar(const std::string& path) {
    IffFile iff(0);
    Status status = BeginArt(iff, path);
    // The warning panel: its plaque and its two answers.
    if (status == kStatusOk) status = iff.BeginForm(MakeTag("PICT"));
    if (status == kStatusOk) status = WriteTextChunk(iff, MakeTag("NAME"), "Warning Plaque");
    if (status == kStatusOk) status = iff.BeginForm(MakeTag("IDLE"));
    if (status == kStatusOk) {
        std::unique_ptr<Bitmap> plaque = LabelledBox(300, 40, "DAMAGED EQUIPMENT ABOARD - LAUNCH?", Cube(1, 0, 0), Cube(5, 1, 0), Cube(5, 5, 3));
        if (plaque != nullptr) {
            plaque->x = 170;
            plaque->y = 200;
        }
        status = WriteXcel(iff, std::move(plaque));
    }
    if (status == kStatusOk) status = iff.Ascend();
    if (status == kStatusOk) status = iff.Ascend();
    if (status == kStatusOk) status = WriteMenuButton(iff, "Warning Launch", "LAUNCH", kYes.x, kYes.y, kYes.width, kYes.height);
    if (status == kStatusOk) status = WriteMenuButton(iff, "Warning Cancel", "CANCEL", kNo.x, kNo.y, kNo.width, kNo.height);
    for (int hull = 0; hull < int(sizeof kHulls / sizeof kHulls[0]) && status == kStatusOk; ++hull) {
        status = iff.BeginForm(MakeTag("SHIP"));
        if (status == kStatusOk) status = WriteTextChunk(iff, MakeTag("NAME"), kHulls[hull]);
        const struct {
            const char* name;
            Rect at;
        } pads[] = {{"POS1", kFrontPad}, {"POS2", BackPad(hull)}};
        for (const auto& pad : pads) {
            if (status == kStatusOk) status = iff.BeginForm(MakeTag("POSI"));
            if (status == kStatusOk) status = WriteTextChunk(iff, MakeTag("NAME"), pad.name);
            if (status == kStatusOk) status = WriteXcel(iff, ShipCel(pad.at, hull, kHullLabels[hull]));
            if (status == kStatusOk) status = iff.Ascend();
        }
        if (status == kStatusOk) status = iff.Ascend();
    }
    if (status == kStatusOk) status = WriteDoor(iff, "Hallway Door", kHangarDoor, kDoorFrames, Cube(2, 2, 2), Cube(1, 1, 1));
    std::vector<Block> blocks = {{{120, 40, 400, 140}, {14, 16, 30}},   // the launch bay's mouth
                                 {kHangarDoor, {70, 74, 80}},
                                 {{kFrontPad.x - 10, kFrontPad.y + 60, kFrontPad.width + 20, 60}, {70, 70, 60}}};
    for (int slot = 0; slot < 6; ++slot) {
        const Rect pad = BackPad(slot);
        blocks.push_back({{pad.x, pad.y + 24, pad.width, 24}, {64, 64, 56}});
    }
    const Painter room = RoomPainter(Rgb{50, 50, 56}, Rgb{90, 92, 96}, 200, Rgb{96, 96, 92}, blocks);
    const Painter paint = [room](int x, int y) -> Rgb {
        // Stars beyond the bay, and its hazard stripes.
        if (x > 120 && x < 519 && y > 40 && y < 179) {
            if (y > 170 && ((x + y) / 8) % 2 == 0) return Rgb{200, 160, 20};
            if ((x * 11 + y * 7) % 89 == 0) return Rgb{220, 220, 255};
        }
        return room(x, y);
    };
    if (status == kStatusOk) status = WriteBackground(iff, MakeTag("BKGD"), paint);
    return EndArt(iff, status);
}

EventMapSpec HangarMap() {
    EventMapSpec map;
    map.name = "hangar";
    map.events.push_back({0, Spot(kHangarDoor)});
    AddFocusWalkKeys(map, 4, 5, 6, 3);
    map.events.push_back({7, Spot(kFrontPad)});
    map.events.push_back({8, KeyTrigger(kKeyEscape)});
    map.events.push_back({9, ClickOn(kYes)});
    map.events.push_back({10, ClickOn(kNo)});
    map.events.push_back({11, KeyTrigger(kKeyN)});
    map.events.push_back({12, KeyTrigger(kKeyY)});
    map.events.push_back({13, KeyTrigger(kKeyC)});
    map.events.push_back({14, KeyTrigger(kKeyF)});
    map.events.push_back({15, KeyTrigger(kKeyO)});
    map.events.push_back({16, KeyTrigger(kKeyW)});
    return map;
}

}  // namespace

Status WriteRoomArt(const std::string& root) {
    const std::string option = root + "/option/";
    const std::string cel = root + "/cel/";
    Status status = WriteOffice(option + "OFFICE1.iff");
    if (status == kStatusOk) status = WriteHallway(option + "HALLWAY1.iff");
    if (status == kStatusOk) status = WriteWarRoom(option + "WARROOM1.iff");
    if (status == kStatusOk) status = WriteHangar(option + "HANGAR1.iff");
    if (status == kStatusOk) status = WriteEventMapFile((cel + "OFFICE.iff").c_str(), {OfficeMap()});
    if (status == kStatusOk) status = WriteEventMapFile((cel + "HALLWAY.iff").c_str(), {HallwayMap()});
    if (status == kStatusOk) status = WriteEventMapFile((cel + "WARROOM.iff").c_str(), {WarRoomMap()});
    if (status == kStatusOk) status = WriteEventMapFile((cel + "HANGAR.iff").c_str(), {HangarMap()});
    return status;
}
