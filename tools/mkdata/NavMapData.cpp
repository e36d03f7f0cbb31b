#include "tools/mkdata/NavMapData.h"

#include <cmath>
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

constexpr uint8_t Cube(int red, int green, int blue) { return uint8_t(red * 36 + green * 6 + blue); }
constexpr uint8_t kClear = 255;

constexpr uint16_t kKeyEscape = 1;
constexpr uint16_t kKeyC = 46;
constexpr uint16_t kKeyPageUp = 73;
constexpr uint16_t kKeyPageDown = 81;
constexpr uint16_t kKeyMinus = 12;
constexpr uint16_t kKeyEquals = 13;
constexpr uint16_t kKeyHome = 199;
constexpr uint16_t kKeyEnd = 207;
constexpr uint16_t kKeyInsert = 210;
constexpr uint16_t kKeyDelete = 211;
constexpr uint16_t kKeyUp = 200;
constexpr uint16_t kKeyLeft = 203;
constexpr uint16_t kKeyRight = 205;
constexpr uint16_t kKeyDown = 208;
constexpr uint16_t kRightButton = 2;

// The shape of a symbol image.
enum class Shape { kSquare, kDiamond, kTriangle, kCircle, kCross, kRing, kFlag };

struct SymbolSpec {
    Shape shape;
    int width, height;
    uint8_t colour;
};

constexpr uint8_t kNeutral = Cube(4, 4, 4);
constexpr uint8_t kFriendly = Cube(1, 5, 1);
constexpr uint8_t kHostile = Cube(5, 1, 1);
constexpr uint8_t kGold = Cube(5, 4, 0);
constexpr uint8_t kCyan = Cube(0, 4, 5);
constexpr uint8_t kRock = Cube(3, 2, 1);

// In image-index order: 0 the big base, 1-3 class C bases, 4-6 mines, 7 the
// own ship, 8-16 ships, 17-19 class E bases, 20-21 gates and class D, 22
// unused, 23 a buoy, 24 a gate, 25-26 rocks, 27 a nav point, 28 the
// selection ring, 29 the goal flag, 30-32 energy signatures. The big base is
// the one image of odd, unequal sides.
constexpr SymbolSpec kSymbols[kNavMapSymbolCount] = {
    {Shape::kSquare, 15, 11, kGold},   {Shape::kSquare, 11, 11, kNeutral}, {Shape::kSquare, 11, 11, kFriendly},
    {Shape::kSquare, 11, 11, kHostile}, {Shape::kCross, 7, 7, kNeutral},   {Shape::kCross, 7, 7, kFriendly},
    {Shape::kCross, 7, 7, kHostile},   {Shape::kTriangle, 11, 11, kCyan}, {Shape::kTriangle, 9, 9, kNeutral},
    {Shape::kTriangle, 9, 9, kFriendly}, {Shape::kTriangle, 9, 9, kHostile}, {Shape::kDiamond, 11, 11, kNeutral},
    {Shape::kDiamond, 11, 11, kFriendly}, {Shape::kDiamond, 11, 11, kHostile}, {Shape::kTriangle, 7, 7, kNeutral},
    {Shape::kTriangle, 7, 7, kFriendly}, {Shape::kTriangle, 7, 7, kHostile}, {Shape::kSquare, 9, 9, kNeutral},
    {Shape::kSquare, 9, 9, kFriendly}, {Shape::kSquare, 9, 9, kHostile}, {Shape::kRing, 13, 13, kGold},
    {Shape::kSquare, 13, 13, kGold},   {Shape::kCircle, 5, 5, kNeutral},  {Shape::kCircle, 7, 7, kCyan},
    {Shape::kRing, 13, 13, kCyan},     {Shape::kCircle, 5, 5, kRock},     {Shape::kCircle, 9, 9, kRock},
    {Shape::kDiamond, 7, 7, kCyan},    {Shape::kRing, 17, 17, Cube(5, 5, 5)}, {Shape::kFlag, 9, 9, kGold},
    {Shape::kCircle, 5, 5, Cube(2, 2, 5)}, {Shape::kCircle, 7, 7, Cube(3, 3, 5)}, {Shape::kCircle, 9, 9, Cube(4, 4, 5)},
};

bool Inside(Shape shape, int x, int y, int width, int height) {
    const double cx = (width - 1) / 2.0;
    const double cy = (height - 1) / 2.0;
    const double dx = std::fabs(x - cx) / (cx + 0.5);
    const double dy = std::fabs(y - cy) / (cy + 0.5);
    switch (shape) {
        case Shape::kSquare: return true;
        case Shape::kDiamond: return dx + dy <= 1.0;
        case Shape::kTriangle: return dx <= double(y + 1) / height;
        case Shape::kCircle: return dx * dx + dy * dy <= 1.0;
        case Shape::kCross: return std::fabs(x - cx) < 1.0 || std::fabs(y - cy) < 1.0 || std::fabs(std::fabs(x - cx) - std::fabs(y - cy)) < 0.5;
        case Shape::kRing: {
            const double r = dx * dx + dy * dy;
            return r <= 1.0 && r >= 0.6;
        }
        case Shape::kFlag: return x == 0 || (y < height / 2 && x < width - 1);
    }
    return false;
}

std::unique_ptr<Bitmap> SymbolCel(const SymbolSpec& spec) {
    auto cel = std::make_unique<Bitmap>();
    if (cel->Create(uint16_t(spec.width), uint16_t(spec.height), Bitmap::kDepth8Bit, true) != kStatusOk) return nullptr;
    for (int y = 0; y < spec.height; ++y) {
        for (int x = 0; x < spec.width; ++x) {
            cel->pixels[y * spec.width + x] = Inside(spec.shape, x, y, spec.width, spec.height) ? spec.colour : kClear;
        }
    }
    return cel;
}

// The background: a dark field with the map plane's grid where the
// projection puts the plane, 8 x 8 cells, and a panel below for the list
// and the information boxes.
void Plot(Bitmap& picture, int x, int y, uint8_t red, uint8_t green, uint8_t blue) {
    if (x < 0 || y < 0 || x >= picture.width || y >= picture.height) return;
    uint8_t* const pixel = picture.pixels + 3 * (y * picture.width + x);
    pixel[0] = blue;
    pixel[1] = green;
    pixel[2] = red;
}

void PlanePoint(bool warRoom, double u, double w, int* x, int* y) {
    *x = int(264 + 216 * u + 44 * u * u) - int(70 - 159 * w + 38 * w * w);
    *y = warRoom ? int(175 + 32 * u + 4 * u * u) - int(-34 + 75 * w - 14 * w * w)
                 : int(160 + 31 * u + 6 * u * u) - int(-35 + 79 * w - 18 * w * w);
}

std::unique_ptr<Bitmap> Background(bool warRoom) {
    constexpr int kWidth = 640, kHeight = 480;
    auto picture = std::make_unique<Bitmap>();
    if (picture->Create(kWidth, kHeight, Bitmap::kDepth24Bit, false) != kStatusOk) return nullptr;
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            const bool panel = y >= 350 || x < 148;
            Plot(*picture, x, y, panel ? 24 : 4, panel ? 28 : 6, panel ? 40 : 18 + y / 24);
        }
    }
    constexpr int kCells = 8;
    constexpr int kSteps = 400;
    for (int line = 0; line <= kCells; ++line) {
        const double at = double(line) / kCells;
        for (int step = 0; step <= kSteps; ++step) {
            const double along = double(step) / kSteps;
            int x = 0, y = 0;
            PlanePoint(warRoom, at, along, &x, &y);
            Plot(*picture, x, y, 20, 90, 60);
            PlanePoint(warRoom, along, at, &x, &y);
            Plot(*picture, x, y, 20, 90, 60);
        }
    }
    return picture;
}

struct Button {
    const char* name;
    const char* label;
    int x, y, width, height;
};

constexpr int kFilterX = 4;
constexpr int kFilterWidth = 140;
constexpr int kFilterHeight = 18;
constexpr int FilterY(int row) { return 8 + row * 22; }
// The thirteen filters in the event order of the war-room map.
const Button kFilters[] = {
    {"Ship friendly", "SHIP FRIEND", kFilterX, FilterY(0), kFilterWidth, kFilterHeight},
    {"Ship hostile", "SHIP HOSTILE", kFilterX, FilterY(1), kFilterWidth, kFilterHeight},
    {"Ship neutral", "SHIP NEUTRAL", kFilterX, FilterY(2), kFilterWidth, kFilterHeight},
    {"Base friendly", "BASE FRIEND", kFilterX, FilterY(3), kFilterWidth, kFilterHeight},
    {"Base hostile", "BASE HOSTILE", kFilterX, FilterY(4), kFilterWidth, kFilterHeight},
    {"Base neutral", "BASE NEUTRAL", kFilterX, FilterY(5), kFilterWidth, kFilterHeight},
    {"Mine friendly", "MINE FRIEND", kFilterX, FilterY(6), kFilterWidth, kFilterHeight},
    {"Mine hostile", "MINE HOSTILE", kFilterX, FilterY(7), kFilterWidth, kFilterHeight},
    {"Mine neutral", "MINE NEUTRAL", kFilterX, FilterY(8), kFilterWidth, kFilterHeight},
    {"Asteroid filter", "ASTEROIDS", kFilterX, FilterY(9), kFilterWidth, kFilterHeight},
    {"Mission goal filter", "GOALS", kFilterX, FilterY(10), kFilterWidth, kFilterHeight},
    {"Nav point filter", "NAV POINTS", kFilterX, FilterY(11), kFilterWidth, kFilterHeight},
    {"Attitude bar filter", "BARS", kFilterX, FilterY(12), kFilterWidth, kFilterHeight},
};
constexpr int kCameraY = 322;
constexpr int CameraX(int column) { return 150 + column * 37; }
// The camera buttons in the order of their button events (38 to 54).
const Button kCamera[] = {
    {"Zoom in", "ZMIN", CameraX(0), kCameraY, 35, 20},      {"Zoom out", "ZOUT", CameraX(1), kCameraY, 35, 20},
    {"Move up", "UP", CameraX(2), kCameraY, 35, 20},        {"Move down", "DOWN", CameraX(3), kCameraY, 35, 20},
    {"Rotate right", "ROTR", CameraX(4), kCameraY, 35, 20}, {"Rotate left", "ROTL", CameraX(5), kCameraY, 35, 20},
    {"Bank right", "BNKR", CameraX(6), kCameraY, 35, 20},   {"Bank left", "BNKL", CameraX(7), kCameraY, 35, 20},
    {"Left Scroll up", "", 132, 377, 20, 20},               {"Left Scroll down", "", 132, 437, 20, 20},
    {"Right Scroll up", "", 612, 377, 20, 20},              {"Right Scroll down", "", 612, 437, 20, 20},
    {"Move forward", "FWD", CameraX(8), kCameraY, 35, 20},  {"Move back", "BACK", CameraX(9), kCameraY, 35, 20},
    {"Move left", "LEFT", CameraX(10), kCameraY, 35, 20},   {"Move right", "RGHT", CameraX(11), kCameraY, 35, 20},
    {"Center view", "CNTR", CameraX(12), kCameraY, 35, 20},
};
const Button kExit = {"exit", "EXIT", 560, 456, 70, 20};
const Button kWarRoomOnly[] = {
    {"Create nav point", "CREATE NAV", kFilterX, 300, kFilterWidth, kFilterHeight},
    {"Delete nav point", "DELETE NAV", kFilterX, 322, kFilterWidth, kFilterHeight},
    {"Data display 1", "OBJECT", 470, 356, 70, 14},
    {"Data display 2", "GOAL", 545, 356, 70, 14},
};
const Button kInFlightOnly[] = {
    {"Active Mode", "ACTIVE", kFilterX, 300, 68, kFilterHeight},
    {"Passive Mode", "PASSIVE", 76, 300, 68, kFilterHeight},
    {"Data display 1", "OBJECT", 470, 356, 70, 14},
    {"Data display 2", "GOAL", 545, 356, 70, 14},
};

InputTrigger Spot(const Button& button) { return SpotTrigger(button.x, button.y, button.width, button.height); }

Status WriteButtons(IffFile& iff, const Button* buttons, size_t count, Status status) {
    for (size_t i = 0; i < count && status == kStatusOk; ++i) {
        const Button& b = buttons[i];
        status = WriteMenuButton(iff, b.name, b.label, b.x, b.y, b.width, b.height);
    }
    return status;
}

// The map's thirteen keys, from the first key event on: move forward,
// back, left, right, center view, zoom in, zoom out, rotate right, bank
// right, move up, move down, rotate left, bank left. The turns sit on the
// block above the arrows: rotate in the right column, bank beside it.
void AddCameraKeys(EventMapSpec& map, uint32_t first) {
    const uint16_t keys[] = {kKeyUp,   kKeyDown,   kKeyLeft,   kKeyRight,  kKeyC,      kKeyEquals,  kKeyMinus,
                             kKeyHome, kKeyEnd,    kKeyInsert, kKeyDelete, kKeyPageUp, kKeyPageDown};
    for (uint32_t i = 0; i < sizeof keys / sizeof keys[0]; ++i) map.events.push_back({first + i, KeyTrigger(keys[i])});
}

EventMapSpec WarNavMap() {
    EventMapSpec map;
    map.name = "warnav";
    map.events.push_back({0, KeyTrigger(kKeyEscape)});
    map.events.push_back({1, SpotTrigger(157, 377, 250, 80)});
    map.events.push_back({2, SpotTrigger(148, 5, 487, 306)});
    map.events.push_back({3, Spot(kExit)});
    // The filters stand in event order from 4 to 16.
    for (uint32_t i = 0; i < 13; ++i) map.events.push_back({4 + i, Spot(kFilters[i])});
    map.events.push_back({17, Spot(kWarRoomOnly[0])});
    map.events.push_back({18, Spot(kWarRoomOnly[1])});
    AddFocusWalkKeys(map, 21, 22, 23, 20);
    map.events.push_back({24, MouseButtonTrigger(kRightButton)});
    AddCameraKeys(map, 25);
    for (uint32_t i = 0; i < sizeof kCamera / sizeof kCamera[0]; ++i) map.events.push_back({38 + i, Spot(kCamera[i])});
    return map;
}

EventMapSpec NavMapMap() {
    EventMapSpec map;
    map.name = "navmap";
    map.events.push_back({0, SpotTrigger(157, 377, 250, 80)});
    map.events.push_back({1, SpotTrigger(148, 5, 487, 306)});
    map.events.push_back({2, Spot(kInFlightOnly[0])});
    map.events.push_back({3, Spot(kInFlightOnly[1])});
    map.events.push_back({4, Spot(kExit)});
    // "Ship friendly" to "Asteroid filter", then the goal, nav point and bar filters.
    for (uint32_t i = 0; i < 13; ++i) {
        const uint32_t number = i < 10 ? 5 + i : i == 10 ? 15 : i == 11 ? 16 : 17;
        map.events.push_back({number, Spot(kFilters[i])});
    }
    AddFocusWalkKeys(map, 20, 21, 22, 19);
    map.events.push_back({23, MouseButtonTrigger(kRightButton)});
    AddCameraKeys(map, 24);
    map.events.push_back({37, KeyTrigger(kKeyEscape)});
    for (uint32_t i = 0; i < sizeof kCamera / sizeof kCamera[0]; ++i) map.events.push_back({38 + i, Spot(kCamera[i])});
    return map;
}

}  // namespace

Status WriteNavMapForms(IffFile& iff, bool warRoom) {
    Status status = kStatusOk;
    if (warRoom) status = iff.BeginForm(MakeTag("OPTS"));
    if (warRoom && status == kStatusOk) status = iff.BeginForm(MakeTag("NAVM"));
    for (const SymbolSpec& spec : kSymbols) {
        if (status != kStatusOk) break;
        const std::unique_ptr<Bitmap> cel = SymbolCel(spec);
        status = iff.BeginForm(MakeTag("ICON"));
        if (status == kStatusOk) status = cel != nullptr ? BitmapCodec::WriteXcelChunk(&iff, cel.get()) : kStatusOutOfMemory;
        if (status == kStatusOk) status = iff.Ascend();
    }
    if (status == kStatusOk) status = iff.BeginForm(MakeTag("BKGD"));
    if (status == kStatusOk) {
        const std::unique_ptr<Bitmap> background = Background(warRoom);
        XfebCodec codec(background.get());
        status = background != nullptr ? codec.WriteForm(&iff, background.get()) : kStatusOutOfMemory;
    }
    if (status == kStatusOk) status = iff.Ascend();
    status = status == kStatusOk ? WriteButtons(iff, kFilters, sizeof kFilters / sizeof kFilters[0], status) : status;
    status = WriteButtons(iff, kCamera, sizeof kCamera / sizeof kCamera[0], status);
    status = WriteButtons(iff, &kExit, 1, status);
    status = warRoom ? WriteButtons(iff, kWarRoomOnly, sizeof kWarRoomOnly / sizeof kWarRoomOnly[0], status)
                     : WriteButtons(iff, kInFlightOnly, sizeof kInFlightOnly / sizeof kInFlightOnly[0], status);
    for (int level = warRoom ? 2 : 0; level > 0 && status == kStatusOk; --level) status = iff.Ascend();
    return status;
}

Status WriteNavMapArtFile(const char* path, bool warRoom) {
    IffFile iff(0);
    Status status = iff.OpenFile(path, kOpenWrite | kOpenCreate);
    if (status == kStatusOk) status = iff.BeginForm(MakeTag("OPTI"));
    if (status == kStatusOk) status = iff.WriteChunk(MakeTag("PALT"), "mastermenu", uint32_t(sizeof "mastermenu"));
    if (status == kStatusOk) status = WriteNavMapForms(iff, warRoom);
    if (status == kStatusOk) status = iff.Ascend();
    const Status closed = iff.CloseFile();
    return status != kStatusOk ? status : closed;
}

Status WriteNavMapArt(const std::string& root) {
    // The war-room map's forms live inside the war room's own art file, which the rooms' writer makes.
    Status status = WriteNavMapArtFile((root + "/option/spacenav.iff").c_str(), false);
    if (status == kStatusOk) status = WriteEventMapFile((root + "/cel/WarNav.iff").c_str(), {WarNavMap()});
    if (status == kStatusOk) status = WriteEventMapFile((root + "/cel/NavMap.iff").c_str(), {NavMapMap()});
    return status;
}
