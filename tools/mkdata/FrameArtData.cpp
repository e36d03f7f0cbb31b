#include "tools/mkdata/FrameArtData.h"

#include <cstddef>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "display/Bitmap.h"
#include "display/BitmapCodec.h"
#include "display/XfebCodec.h"
#include "engine/FileWrappers.h"
#include "engine/IffFile.h"
#include "tools/mkdata/ArtSprite.h"
#include "tools/mkdata/EventMapData.h"
#include "tools/mkdata/MenuArtData.h"

namespace {

constexpr uint8_t Cube(int red, int green, int blue) { return uint8_t(red * 36 + green * 6 + blue); }

constexpr uint16_t kKeyEscape = 1;
constexpr uint16_t kKeyTab = 15;
constexpr uint16_t kKeyEnter = 28;
constexpr uint16_t kKeyF1 = 59;
constexpr uint16_t kKeyUp = 200;   // the arrows and Delete are extended keys
constexpr uint16_t kKeyLeft = 203;
constexpr uint16_t kKeyRight = 205;
constexpr uint16_t kKeyDown = 208;
constexpr uint16_t kKeyDelete = 211;
constexpr uint16_t kLeftButton = 1;

// A button sprite: the art item's name, its label, where it sits and its
// size, and the event of its hot spot (-1 none).
struct Sprite {
    const char* name;
    const char* label;
    int x, y, width, height;
    int event;
};

// The column keeps left of everything the pages draw: their code places
// the stores lists from x 58 and the pilots' faces from x 78, and the pages
// stay live beside the frame's buttons. A rule at kColumnEdge parts the two.
constexpr int kColumn = 1;
constexpr int kColumnWide = 52;
constexpr int kColumnEdge = 55;
constexpr int kHigh = 26;

// The menus' face draws a letter in 8 pixels, the last 2 of them blank; a
// label leaves at least 2 pixels of its button free on each side, so six
// letters fit the column.
constexpr int Letters(const char* text) {
    int count = 0;
    while (text[count] != '\0') ++count;
    return count;
}
constexpr bool Fits(const char* label, int width) { return Letters(label) * 8 - 2 <= width - 4; }

// The frame's main panel and the four sub-menus, whose buttons share the
// four slots of the left column.
constexpr Sprite kMainSprites[] = {
    {"Main Communication Button", "COMM", kColumn, 60, kColumnWide, kHigh, 1},
    {"Main Equipment Button", "EQUIP", kColumn, 92, kColumnWide, kHigh, 2},
    {"Main Squadron Button", "SQUAD", kColumn, 124, kColumnWide, kHigh, 3},
    {"Main Archives Button", "FILES", kColumn, 156, kColumnWide, kHigh, 4},
    {"OK Button", "OK", kColumn, 440, kColumnWide, kHigh, 0},
};
template <size_t N>
constexpr bool LabelsFit(const Sprite (&sprites)[N]) {
    for (const Sprite& sprite : sprites) {
        if (!Fits(sprite.label, sprite.width)) return false;
    }
    return true;
}
static_assert(LabelsFit(kMainSprites));
constexpr int kSlotTop = 220;
constexpr int kSlotStep = 32;
const std::vector<const char*> kCommButtons = {"Missions Button", "Email Button", "News Button", "Logs Button"};
const std::vector<const char*> kEquipButtons = {"Repair Button", "Requisition Button", "Outfitting Button"};
const std::vector<const char*> kArchButtons = {"Encyclopedia Button", "Game Options Button", "New/Load/Save Button",
                                               "Game Controls Button"};
const std::vector<const char*> kSquadButtons = {"Assign Button", "Personnel Button", "Kill Board Button",
                                                "Voice Button"};
// Short words fit the column: FILES for the archives, OFFERS for the
// missions on offer, TRADE for the requisition's buying and selling, SETUP
// for the options, SAVE for the saved games, KEYS for the controls and
// PILOTS for the personnel.
constexpr const char* kCommLabels[] = {"OFFERS", "EMAIL", "NEWS", "LOGS"};
constexpr const char* kEquipLabels[] = {"REPAIR", "TRADE", "OUTFIT"};
constexpr const char* kArchLabels[] = {"ENCYC", "SETUP", "SAVE", "KEYS"};
constexpr const char* kSquadLabels[] = {"ASSIGN", "PILOTS", "KILLS", "VOICE"};
template <size_t N>
constexpr bool LabelsFit(const char* const (&labels)[N]) {
    for (const char* label : labels) {
        if (!Fits(label, kColumnWide)) return false;
    }
    return true;
}
static_assert(LabelsFit(kCommLabels) && LabelsFit(kEquipLabels) && LabelsFit(kArchLabels) && LabelsFit(kSquadLabels));

// The save page: its three buttons, then one row button per slot, all of
// the same art.
const Sprite kSaveButtons[] = {
    {"Save Game Button", "SAVE", 160, 150, 130, kHigh, 20},
    {"Load Game Button", "LOAD", 160, 190, 130, kHigh, 21},
    {"New Game Button", "NEW GAME", 160, 110, 130, kHigh, 22},
};
constexpr int kRowLeft = 298;
constexpr int kRowWidth = 18;
constexpr int kRowHeight = 13;
constexpr int kEntryLeft = 320;
constexpr int kEntryRight = 520;
constexpr int kEntryTop = 109;
constexpr int kRowStep = 17;
const int kRowEvents[17] = {23, 32, 33, 34, 35, 36, 37, 38, 39, 40, 41, 42, 43, 44, 45, 46, 47};

// The options page.
constexpr int kToggleWide = 150;
const Sprite kOptionSprites[] = {
    {"Options Textures Button", "TEXTURES", 150, 60, kToggleWide, kHigh, 20},
    {"Options Dust Button", "DUST", 150, 92, kToggleWide, kHigh, 21},
    {"Options Lights Button", "LIGHTS", 150, 124, kToggleWide, kHigh, 22},
    {"Options Shading Button", "SHADING", 150, 156, kToggleWide, kHigh, 23},
    {"Options Alpha Button", "ALPHA", 150, 188, kToggleWide, kHigh, 24},
    {"Options Invulnerability Button", "INVULNERABLE", 310, 60, kToggleWide, kHigh, 25},
    {"Options Ammo Button", "AMMO", 310, 92, kToggleWide, kHigh, 26},
    {"Options Fuel Button", "FUEL", 310, 124, kToggleWide, kHigh, 27},
    {"Options Invisibility Button", "INVISIBLE", 310, 156, kToggleWide, kHigh, 28},
    {"Options Scroll Left Button", "L", 470, 60, 40, kHigh, 29},
    {"Options Scroll Right Button", "R", 560, 60, 40, kHigh, 30},
    {"Options Inertial Button", "INERTIAL", 310, 188, kToggleWide, kHigh, 33},
    {"Options View Button", "CREDITS", 470, 400, kToggleWide, kHigh, 34},
    {"Options Restart Button", "RESTART", 470, 400, kToggleWide, kHigh, -1},
    {"Options New Session Button", "NEW SESSION", 470, 400, kToggleWide, kHigh, -1},
    {"Options Exit Button", "EXIT", 470, 440, kToggleWide, kHigh, 35},
    {"Options Controls Button", "CONTROLS", 310, 400, kToggleWide, kHigh, -1},
};
// The volume strips: eight frames of 120 pixels, between the slider steps' edges.
constexpr int kStripLeft = 424;
constexpr int kStripWidth = 120;
constexpr int kStripHeight = 20;
constexpr int kStripFrames = 8;
const struct {
    const char* name;
    int y;
    int event;
} kStrips[] = {{"sound volume", 270, 31}, {"music volume", 320, 32}};

Status WriteName(IffFile& iff, const char* text) {
    return iff.WriteChunk(MakeTag("NAME"), text, uint32_t(std::strlen(text) + 1));
}

// One frame of a volume strip: the first `lit` segments bright.
std::unique_ptr<Bitmap> StripCel(int y, int lit) {
    auto cel = std::make_unique<Bitmap>();
    if (cel->Create(kStripWidth, kStripHeight, Bitmap::kDepth8Bit, true) != kStatusOk) return nullptr;
    const int segment = kStripWidth / kStripFrames;
    for (int row = 0; row < kStripHeight; ++row) {
        for (int column = 0; column < kStripWidth; ++column) {
            const bool gap = column % segment == segment - 1;
            const bool on = column / segment <= lit;
            cel->pixels[row * kStripWidth + column] = gap ? Cube(0, 0, 1) : on ? Cube(1, 5, 2) : Cube(0, 1, 1);
        }
    }
    cel->x = int16_t(kStripLeft);
    cel->y = int16_t(y);
    return cel;
}

// The frame's 24-bit background: a dark fall, the menu column and the
// work area framed, its left edge the rule beside the column.
std::unique_ptr<Bitmap> FrameBackground() {
    constexpr int kWidth = 640, kHeight = 480;
    auto picture = std::make_unique<Bitmap>();
    if (picture->Create(kWidth, kHeight, Bitmap::kDepth24Bit, false) != kStatusOk) return nullptr;
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            uint8_t* const pixel = picture->pixels + 3 * (y * kWidth + x);
            const bool column = x < kColumnEdge;
            const bool edge = (x == kColumnEdge || x == 630) && y >= 20 && y <= 470;
            const bool rule = (y == 20 || y == 470) && x >= kColumnEdge && x <= 630;
            pixel[0] = uint8_t(edge || rule ? 90 : column ? 20 : 6 + y / 30);
            pixel[1] = uint8_t(edge || rule ? 160 : column ? 36 : 10 + y / 20);
            pixel[2] = uint8_t(edge || rule ? 200 : column ? 60 : 24 + y / 8);
        }
    }
    return picture;
}

Status WriteMaps(const std::string& celDirectory) {
    // FRAME: its hot spots in the order of its events, then hold (none),
    // quit (Escape), help, the focus walk and the click.
    EventMapSpec frame;
    frame.name = "frame";
    for (const Sprite& sprite : kMainSprites) {
        frame.events.push_back({uint32_t(sprite.event), SpotTrigger(sprite.x, sprite.y, sprite.width, sprite.height)});
    }
    for (int slot = 0; slot < 4; ++slot) {
        frame.events.push_back({uint32_t(5 + slot), SpotTrigger(kColumn, kSlotTop + kSlotStep * slot, kColumnWide, kHigh)});
    }
    frame.events.push_back({10, KeyTrigger(kKeyEscape)});
    AddFocusWalkKeys(frame, 12, 13, 14, 11);
    Status status = WriteEventMapFile((celDirectory + "FRAME.iff").c_str(), {frame});
    // SAVE: the buttons, the rows over their buttons and entries, and the
    // keys that deselect and step between rows.
    EventMapSpec save;
    save.name = "save";
    for (const Sprite& sprite : kSaveButtons) {
        save.events.push_back({uint32_t(sprite.event), SpotTrigger(sprite.x, sprite.y, sprite.width, sprite.height)});
    }
    for (int slot = 0; slot < 17; ++slot) {
        save.events.push_back({uint32_t(kRowEvents[slot]),
                               SpotTrigger(kRowLeft, kEntryTop + kRowStep * slot - 1, kEntryRight - kRowLeft, kRowStep - 1)});
    }
    AddFocusWalkKeys(save, 26, 27, 28, 25);
    save.events.push_back({29, KeyTrigger(kKeyDelete)});
    save.events.push_back({30, KeyTrigger(kKeyUp)});
    save.events.push_back({31, KeyTrigger(kKeyDown)});
    if (status == kStatusOk) status = WriteEventMapFile((celDirectory + "SAVE.iff").c_str(), {save});
    // OPTI: the buttons, the strips, and the slider steps on the arrows.
    EventMapSpec options;
    options.name = "opti";
    for (const Sprite& sprite : kOptionSprites) {
        if (sprite.event < 0) continue;
        options.events.push_back({uint32_t(sprite.event), SpotTrigger(sprite.x, sprite.y, sprite.width, sprite.height)});
    }
    for (const auto& strip : kStrips) {
        options.events.push_back({uint32_t(strip.event), SpotTrigger(kStripLeft, strip.y, kStripWidth, kStripHeight)});
    }
    AddFocusWalkKeys(options, 38, 39, 40, 37);
    options.events.push_back({42, KeyTrigger(kKeyLeft)});
    options.events.push_back({43, KeyTrigger(kKeyRight)});
    if (status == kStatusOk) status = WriteEventMapFile((celDirectory + "OPTI.iff").c_str(), {options});
    return status;
}

Status WriteFrameSprites(const char* path) {
    IffFile iff(0);
    Status status = iff.OpenFile(path, kOpenWrite | kOpenCreate);
    if (status == kStatusOk) status = iff.BeginForm(MakeTag("OPTI"));
    for (const Sprite& sprite : kMainSprites) {
        if (status == kStatusOk) status = WriteArtSprite(iff, sprite.name, sprite.x, sprite.y);
    }
    const struct {
        const char* form;
        const std::vector<const char*>* buttons;
    } menus[] = {{"COMM", &kCommButtons}, {"EQIP", &kEquipButtons}, {"ARCH", &kArchButtons}, {"SQAD", &kSquadButtons}};
    for (const auto& menu : menus) {
        char tag[5] = {};
        std::memcpy(tag, menu.form, 4);
        if (status == kStatusOk) status = iff.BeginForm(MakeTag(tag));
        for (size_t i = 0; i < menu.buttons->size() && status == kStatusOk; ++i) {
            status = WriteArtSprite(iff, (*menu.buttons)[i], kColumn, kSlotTop + kSlotStep * int(i));
        }
        if (status == kStatusOk) status = iff.Ascend();
    }
    if (status == kStatusOk) status = iff.Ascend();
    const Status closed = iff.CloseFile();
    return status != kStatusOk ? status : closed;
}

Status WriteSaveSprites(const char* path) {
    IffFile iff(0);
    Status status = iff.OpenFile(path, kOpenWrite | kOpenCreate);
    if (status == kStatusOk) status = iff.BeginForm(MakeTag("OPTI"));
    for (const Sprite& sprite : kSaveButtons) {
        if (status == kStatusOk) status = WriteArtSprite(iff, sprite.name, sprite.x, sprite.y);
    }
    // Every row is the same art; the loader numbers the repeats.
    for (int slot = 0; slot < 17 && status == kStatusOk; ++slot) {
        status = WriteArtSprite(iff, "Slot Name Button", kRowLeft, kEntryTop + kRowStep * slot);
    }
    if (status == kStatusOk) status = iff.Ascend();
    const Status closed = iff.CloseFile();
    return status != kStatusOk ? status : closed;
}

Status WriteOptionSprites(const char* path) {
    IffFile iff(0);
    Status status = iff.OpenFile(path, kOpenWrite | kOpenCreate);
    if (status == kStatusOk) status = iff.BeginForm(MakeTag("OPTI"));
    for (const auto& strip : kStrips) {
        if (status == kStatusOk) status = iff.BeginForm(MakeTag("PICT"));
        if (status == kStatusOk) status = WriteName(iff, strip.name);
        if (status == kStatusOk) status = iff.BeginForm(MakeTag("IDLE"));
        for (int frame = 0; frame < kStripFrames && status == kStatusOk; ++frame) {
            const std::unique_ptr<Bitmap> cel = StripCel(strip.y, frame);
            status = cel != nullptr ? BitmapCodec::WriteXcelChunk(&iff, cel.get()) : kStatusOutOfMemory;
        }
        if (status == kStatusOk) status = iff.Ascend();
        if (status == kStatusOk) status = iff.Ascend();
    }
    for (const Sprite& sprite : kOptionSprites) {
        if (status == kStatusOk) status = WriteArtSprite(iff, sprite.name, sprite.x, sprite.y);
    }
    if (status == kStatusOk) status = iff.Ascend();
    const Status closed = iff.CloseFile();
    return status != kStatusOk ? status : closed;
}

}  // namespace

Status WriteFrameArtItems(IffFile& iff) {
    Status status = iff.WriteChunk(MakeTag("PALT"), "mastermenu", uint32_t(std::strlen("mastermenu") + 1));
    if (status == kStatusOk) status = iff.BeginForm(MakeTag("BKGR"));
    if (status == kStatusOk) {
        const std::unique_ptr<Bitmap> background = FrameBackground();
        XfebCodec codec(background.get());
        status = background != nullptr ? codec.WriteForm(&iff, background.get()) : kStatusOutOfMemory;
    }
    if (status == kStatusOk) status = iff.Ascend();
    for (const Sprite& sprite : kMainSprites) {
        if (status == kStatusOk) status = WriteMenuArtItem(iff, sprite.name, sprite.width, sprite.height, sprite.label);
    }
    const struct {
        const std::vector<const char*>* buttons;
        const char* const* labels;
    } menus[] = {{&kCommButtons, kCommLabels}, {&kEquipButtons, kEquipLabels}, {&kArchButtons, kArchLabels},
                 {&kSquadButtons, kSquadLabels}};
    for (const auto& menu : menus) {
        for (size_t i = 0; i < menu.buttons->size() && status == kStatusOk; ++i) {
            status = WriteMenuArtItem(iff, (*menu.buttons)[i], kColumnWide, kHigh, menu.labels[i]);
        }
    }
    for (const Sprite& sprite : kSaveButtons) {
        if (status == kStatusOk) status = WriteMenuArtItem(iff, sprite.name, sprite.width, sprite.height, sprite.label);
    }
    if (status == kStatusOk) status = WriteMenuArtItem(iff, "Slot Name Button", kRowWidth, kRowHeight, "");
    for (const Sprite& sprite : kOptionSprites) {
        if (status == kStatusOk) status = WriteMenuArtItem(iff, sprite.name, sprite.width, sprite.height, sprite.label);
    }
    return status;
}

Status WriteFrameArt(const std::string& root) {
    Status status = WriteMaps(root + "/cel/");
    if (status == kStatusOk) status = WriteFrameSprites((root + "/option/FRAME1.iff").c_str());
    if (status == kStatusOk) status = WriteSaveSprites((root + "/option/SAVE1.iff").c_str());
    if (status == kStatusOk) status = WriteOptionSprites((root + "/option/OPTI1.iff").c_str());
    return status;
}
