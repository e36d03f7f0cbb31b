#include "tools/mkdata/ControlArtData.h"

#include <memory>
#include <string>
#include <vector>

#include "display/Bitmap.h"
#include "display/BitmapCodec.h"
#include "engine/IffFile.h"
#include "tools/mkdata/ArtSprite.h"
#include "tools/mkdata/EventMapData.h"
#include "tools/mkdata/MenuArtData.h"

namespace {

constexpr uint16_t kKeyTab = 15;
constexpr uint16_t kKeyEnter = 28;
constexpr uint16_t kKeyF1 = 59;
constexpr uint16_t kKeyUp = 200;
constexpr uint16_t kKeyPageUp = 201;
constexpr uint16_t kKeyLeft = 203;
constexpr uint16_t kKeyRight = 205;
constexpr uint16_t kKeyDown = 208;
constexpr uint16_t kKeyPageDown = 209;
constexpr uint16_t kKeyDelete = 211;

struct Sprite {
    std::string name;
    const char* label;
    int x, y, width, height;
    int event;
};

constexpr int kRowTop = 121;
constexpr int kRowStep = 18;
constexpr int kCellHigh = 16;
constexpr int kAxisTops[5] = {335, 352, 371, 389, 407};
// The cells of a row: binding 1's modifier and key, binding 2's.
constexpr struct {
    int x, width, firstBox;
    int events[8];
} kCells[] = {{288, 70, 1, {55, 58, 62, 66, 70, 74, 78, 82}},
              {361, 86, 9, {20, 59, 63, 67, 71, 75, 79, 83}},
              {453, 70, 17, {56, 60, 64, 68, 72, 76, 80, 84}},
              {526, 86, 25, {57, 61, 65, 69, 73, 77, 81, 85}}};
constexpr int kAxisCellX = 428, kAxisCellWidth = 90, kAxisFirstBox = 33;
constexpr int kSpotX[4] = {332, 350, 368, 386};
constexpr int kSpotWidth = 16;

std::string BoxName(int number) { return number == 1 ? "Controls Box" : "Controls Box" + std::to_string(number); }

// Every sprite of the page with the event of its spot (-1: a cell's box
// without one of its own).
std::vector<Sprite> Sprites() {
    std::vector<Sprite> sprites = {
        // Right of the frame's OK (x 10 to 120 on this row).
        {"Controls Shift Button", "SHIFT", 143, 440, 80, 26, 25},
        {"Controls CTRL Button", "CTRL", 230, 440, 80, 26, 24},
        {"Controls ALT Button", "ALT", 317, 440, 80, 26, 26},
        {"Controls Joystick Button", "JOYSTICK", 420, 440, 90, 26, 22},
        {"Controls Mouse Button", "MOUSE", 520, 440, 90, 26, 23},
        // Inside the frame's right rule at x 630.
        {"Scroll Up", "UP", 586, 100, 40, 18, 47},
        {"Scroll Down", "DOWN", 586, 266, 40, 18, 49},
        {"Scroll Up2", "UP", 586, 314, 40, 18, 51},
        {"Scroll Down2", "DOWN", 586, 412, 40, 24, 53},   // above MOUSE
    };
    for (const auto& cell : kCells) {
        for (int row = 0; row < 8; ++row) {
            sprites.push_back({BoxName(cell.firstBox + row), "", cell.x, kRowTop + kRowStep * row, cell.width,
                               kCellHigh, cell.events[row]});
        }
    }
    for (int row = 0; row < 5; ++row) {
        sprites.push_back({BoxName(kAxisFirstBox + row), "", kAxisCellX, kAxisTops[row], kAxisCellWidth, kCellHigh,
                           105 + row});
    }
    return sprites;
}

InputTrigger Stick(uint16_t mask) {
    InputTrigger trigger;
    trigger.joystickButtons = mask;
    return trigger;
}

EventMapSpec ControlMap() {
    EventMapSpec map;
    map.name = "control";
    for (const Sprite& sprite : Sprites()) {
        map.events.push_back({uint32_t(sprite.event), SpotTrigger(sprite.x, sprite.y, sprite.width, sprite.height)});
    }
    for (int row = 0; row < 5; ++row) {
        const int masks[4] = {row == 0 ? 21 : 85 + row, 90 + row, 95 + row, 100 + row};
        for (int bit = 0; bit < 4; ++bit) {
            map.events.push_back({uint32_t(masks[bit]), SpotTrigger(kSpotX[bit], kAxisTops[row], kSpotWidth, kCellHigh)});
        }
    }
    map.events.push_back({28, KeyTrigger(kKeyF1)});
    map.events.push_back({29, KeyTrigger(kKeyTab, InputTrigger::kShift + InputTrigger::kNegate)});
    map.events.push_back({30, KeyTrigger(kKeyTab, InputTrigger::kShift)});
    map.events.push_back({31, KeyTrigger(kKeyEnter)});
    map.events.push_back({31, MouseButtonTrigger(1)});
    map.events.push_back({32, KeyTrigger(kKeyDelete)});
    map.events.push_back({32, MouseButtonTrigger(2)});
    map.events.push_back({33, KeyTrigger(kKeyUp)});
    map.events.push_back({34, KeyTrigger(kKeyDown)});
    map.events.push_back({35, KeyTrigger(kKeyLeft)});
    map.events.push_back({36, KeyTrigger(kKeyRight)});
    map.events.push_back({37, KeyTrigger(kKeyPageUp)});
    map.events.push_back({38, KeyTrigger(kKeyPageDown)});
    map.events.push_back({39, SpotTrigger(280, kRowTop, 340, kRowStep * 8)});
    map.events.push_back({40, SpotTrigger(320, kAxisTops[0], 210, 90)});
    for (int button = 0; button < 4; ++button) map.events.push_back({uint32_t(41 + button), Stick(uint16_t(1 << button))});
    map.events.push_back({45, MouseButtonTrigger(1)});
    map.events.push_back({46, MouseButtonTrigger(2)});
    return map;
}

// A 12 x 12 icon: a yellow disc for a held button, a red square with a
// white bar for a clash.
std::unique_ptr<Bitmap> Icon(bool conflict) {
    constexpr int kSize = 12;
    constexpr uint8_t kYellow = 5 * 36 + 5 * 6 + 0, kRed = 5 * 36, kWhite = 215;
    auto icon = std::make_unique<Bitmap>();
    if (icon->Create(kSize, kSize, Bitmap::kDepth8Bit, false) != kStatusOk) return nullptr;
    for (int y = 0; y < kSize; ++y) {
        for (int x = 0; x < kSize; ++x) {
            const int dx = 2 * x - (kSize - 1), dy = 2 * y - (kSize - 1);
            const bool bar = x >= 5 && x <= 6 && y >= 2 && y <= 9 && y != 7;
            uint8_t pixel = conflict ? (bar ? kWhite : kRed) : (dx * dx + dy * dy <= 100 ? kYellow : uint8_t(255));
            icon->pixels[y * kSize + x] = pixel;
        }
    }
    icon->x = 0;
    icon->y = 0;
    return icon;
}

Status WriteControlSprites(const char* path) {
    IffFile iff(0);
    Status status = iff.OpenFile(path, kOpenWrite | kOpenCreate);
    if (status == kStatusOk) status = iff.BeginForm(MakeTag("OPTI"));
    for (const bool conflict : {false, true}) {
        if (status == kStatusOk) status = iff.BeginForm(MakeTag("ICON"));
        const std::unique_ptr<Bitmap> icon = Icon(conflict);
        if (status == kStatusOk) status = icon != nullptr ? BitmapCodec::WriteXcelChunk(&iff, icon.get()) : kStatusOutOfMemory;
        if (status == kStatusOk) status = iff.Ascend();
    }
    for (const Sprite& sprite : Sprites()) {
        if (status == kStatusOk) status = WriteArtSprite(iff, sprite.name.c_str(), sprite.x, sprite.y);
    }
    if (status == kStatusOk) status = iff.Ascend();
    const Status closed = iff.CloseFile();
    return status != kStatusOk ? status : closed;
}

}  // namespace

Status WriteControlArtItems(IffFile& iff) {
    Status status = kStatusOk;
    for (const Sprite& sprite : Sprites()) {
        if (status == kStatusOk) {
            status = WriteMenuArtItem(iff, sprite.name.c_str(), sprite.width, sprite.height, sprite.label);
        }
    }
    return status;
}

Status WriteControlArt(const std::string& root) {
    Status status = WriteEventMapFile((root + "/cel/CONTROL.iff").c_str(), {ControlMap()});
    if (status == kStatusOk) status = WriteControlSprites((root + "/option/CONTROL1.iff").c_str());
    return status;
}
