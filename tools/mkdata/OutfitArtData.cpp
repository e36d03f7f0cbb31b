#include "tools/mkdata/OutfitArtData.h"

#include <memory>

#include "display/Bitmap.h"
#include "display/BitmapCodec.h"
#include "engine/IffFile.h"
#include "engine/input/InputEventMap.h"
#include "tools/mkdata/ArtSprite.h"
#include "tools/mkdata/EventMapData.h"
#include "tools/mkdata/MenuArtData.h"

namespace {

constexpr uint8_t Cube(int red, int green, int blue) { return uint8_t(red * 36 + green * 6 + blue); }

constexpr uint16_t kKeyTab = 15;
constexpr uint16_t kKeyEnter = 28;
constexpr uint16_t kKeyF1 = 59;
constexpr uint16_t kKeyPageUp = 73;
constexpr uint16_t kKeyPageDown = 81;
constexpr uint16_t kKeyUp = 200;
constexpr uint16_t kKeyLeft = 203;
constexpr uint16_t kKeyRight = 205;
constexpr uint16_t kKeyDown = 208;
constexpr uint16_t kKeyDelete = 211;
constexpr uint16_t kLeftButton = 1;

constexpr uint16_t kCodeScrollUp = 0x0620;
constexpr uint16_t kCodeScrollDown = 0x0640;

// The views' scroll buttons cover the shared scroll sprites beneath them,
// which the menus' art file makes this size.
constexpr int kViewScrollWidth = 40;
constexpr int kViewScrollHeight = 24;

constexpr ArtSprite kSprites[] = {
    // Right of the frame's column, and the list's scroll buttons under the
    // list's right end: the frame's buttons keep the column on the list's
    // left, the sheet's plaque stands on its right.
    {"Outfitting Ship Button", "SHIPS", 140, 300, 84, 24, 0x0210},
    {"Outfitting Weapons Button", "WEAPONS", 228, 300, 84, 24, 0x0220},
    {"Outfitting Equipment Button", "SYSTEMS", 316, 300, 84, 24, 0x0240},
    {"Outfitting Assignment Button", "ASSIGN", 410, 300, 84, 24, 0x0480},
    {"Scroll Up", "", 208, 444, 20, 20, kCodeScrollUp},
    {"Scroll Down", "", 252, 444, 20, 20, kCodeScrollDown},
};

// The plaque sits behind the sheet's boxes and names them: left labels
// before the odd boxes, right labels before the even ones.
constexpr int kPlaqueX = 300;
constexpr int kPlaqueY = 340;
constexpr int kPlaqueWidth = 330;
constexpr int kPlaqueHeight = 96;
constexpr int kRowStep = 14;
struct Plaque {
    const char* title;
    const char* labels[10];
};
const Plaque kPlaques[] = {
    {"", {}},
    {"GENERATOR", {"RATE", "DAMAGE", "OUTPUT", "STORE"}},
    {"SHIELD", {"RATE", "DAMAGE", "STRENGTH", "RECHARGE", "FACES"}},
    {"ARMOR", {"MAXIMUM", "DAMAGE"}},
    {"RADAR", {"RATE", "DAMAGE", "RANGE", "IFF", "TRACKS"}},
    {"TARGETING", {"RATE", "DAMAGE", "RANGE", "LOCK", "TRACKS"}},
    {"FLIGHT", {"RATE", "DAMAGE", "TURN", "ROLL"}},
    {"ENGINE", {"RATE", "DAMAGE", "THRUST", "SPEED", "BURNER", "BOOST"}},
    {"CIRCUITRY", {"RATE", "DAMAGE", "GAIN", "LOAD"}},
    {"ECM", {"RATE", "DAMAGE", "POWER", "RANGE"}},
    {"CLOAK", {"RATE", "DAMAGE", "POWER", "DRAIN", "DELAY", "SPAN", "LEVEL"}},
    {"JAMMER", {"RATE", "DAMAGE", "POWER", "RANGE"}},
    {"REPAIR", {"RATE", "DAMAGE", "SPEED", "LOAD"}},
    {"PROBE", {"RATE", "DAMAGE", "RANGE", "SPEED", "LIFE"}},
    {"DECOY", {"RATE", "DAMAGE", "COUNT", "LIFE", "", "DELAY"}},
    {"BEAM", {"RATE", "DAMAGE", "POWER", "RANGE", "DRAIN", "HEAT", "SPAN", "WIDTH", "DELAY"}},
    {"MISSILE", {"RATE", "DAMAGE", "POWER", "RANGE", "SPEED", "TURN", "LIFE", "ARM", "AMMO", "SEEKER"}},
    {"GUN", {"RATE", "DAMAGE", "POWER", "RANGE", "SPEED", "DRAIN", "HEAT", "SPREAD", "DELAY", "BURST"}},
    {"PROJECTILE", {"RATE", "DAMAGE", "POWER", "RANGE", "SPEED", "DRAIN", "HEAT", "SPREAD", "DELAY", "RATE"}},
    {"MINE", {"RATE", "DAMAGE", "POWER", "RANGE", "ARM", "LIFE", "COUNT", "SPREAD", "DELAY"}},
    {"SHIP", {"THRUST", "DAMAGE", "MASS", "CREW", "SPEED", "TURN"}},
};

// The ship pictures in the order the screen numbers them. The stores'
// picture control centres one at x 559: at most 140 wide, it stays inside
// the frame's right rule.
const char* const kShipNames[] = {"LANCER", "WARDEN", "RAPIER", "BASTION", "HALBERD", "SPARROW"};
constexpr int kShipX = 450;
constexpr int kShipY = 30;
constexpr int kShipWidth = 140;
constexpr int kShipHeight = 80;

// Plots a label straight into a picture through a labelled box of the
// menus' face: the box's ink where the label is.
void Label(Bitmap& into, int x, int y, int width, const char* text, uint8_t ink) {
    if (text == nullptr || text[0] == '\0') return;
    const std::unique_ptr<Bitmap> box = LabelledBox(width, 12, text, 0, 0, ink);
    if (box == nullptr) return;
    for (int row = 0; row < box->height; ++row) {
        for (int column = 0; column < box->width; ++column) {
            const uint8_t pixel = box->pixels[row * box->width + column];
            const int px = x + column, py = y + row;
            if (pixel == ink && px >= 0 && px < into.width && py >= 0 && py < into.height) {
                into.pixels[py * into.width + px] = ink;
            }
        }
    }
}

std::unique_ptr<Bitmap> Panel(int x, int y, int width, int height, uint8_t fill, uint8_t edge) {
    auto picture = std::make_unique<Bitmap>();
    if (picture->Create(uint16_t(width), uint16_t(height), Bitmap::kDepth8Bit, true) != kStatusOk) return nullptr;
    for (int row = 0; row < height; ++row) {
        for (int column = 0; column < width; ++column) {
            const bool border = row == 0 || column == 0 || row == height - 1 || column == width - 1;
            picture->pixels[row * width + column] = border ? edge : fill;
        }
    }
    picture->x = int16_t(x);
    picture->y = int16_t(y);
    return picture;
}

Status WritePictureForm(IffFile& iff, uint32_t form, std::unique_ptr<Bitmap> picture) {
    if (picture == nullptr) return kStatusOutOfMemory;
    Status status = iff.BeginForm(form);
    if (status == kStatusOk) status = BitmapCodec::WriteXcelChunk(&iff, picture.get());
    if (status == kStatusOk) status = iff.Ascend();
    return status;
}


}  // namespace

Status WriteOutfitArt(IffFile& iff) {
    Status status = iff.BeginForm(MakeTag("OPTI"));
    for (const ArtSprite& sprite : kSprites) {
        if (status == kStatusOk) status = WriteArtSprite(iff, sprite.name, sprite.x, sprite.y);
    }
    if (status == kStatusOk) status = WriteSheetPlaques(iff, kPlaqueX, kPlaqueY);
    for (const char* name : kShipNames) {
        if (status != kStatusOk) break;
        std::unique_ptr<Bitmap> picture = Panel(kShipX, kShipY, kShipWidth, kShipHeight, Cube(0, 1, 1), Cube(1, 3, 4));
        if (picture != nullptr) Label(*picture, 4, 34, kShipWidth - 8, name, Cube(5, 5, 5));
        status = WritePictureForm(iff, MakeTag("SHIP"), std::move(picture));
    }
    // The weapons and equipment views page their store lists with scroll
    // buttons of their own, over the main page's.
    if (status == kStatusOk) status = iff.BeginForm(MakeTag("SUBS"));
    for (const uint32_t view : {MakeTag("WEAP"), MakeTag("EQUP")}) {
        if (status == kStatusOk) status = iff.BeginForm(view);
        for (const ArtSprite& sprite : kSprites) {
            const bool up = sprite.code == kCodeScrollUp;
            if (status != kStatusOk || (!up && sprite.code != kCodeScrollDown)) continue;
            status = WriteMenuButton(iff, sprite.name, up ? "UP" : "DN", sprite.x, sprite.y, kViewScrollWidth,
                                     kViewScrollHeight);
        }
        if (status == kStatusOk) status = iff.Ascend();
    }
    if (status == kStatusOk) status = iff.Ascend();
    if (status == kStatusOk) status = iff.Ascend();
    return status;
}

Status WriteSheetPlaques(IffFile& iff, int x, int y) {
    Status status = kStatusOk;
    for (const Plaque& plaque : kPlaques) {
        if (status != kStatusOk) break;
        std::unique_ptr<Bitmap> picture = Panel(x, y, kPlaqueWidth, kPlaqueHeight, Cube(0, 0, 1), Cube(0, 2, 3));
        if (picture != nullptr) {
            Label(*picture, 4, 6, 84, plaque.title, Cube(5, 4, 1));
            for (int i = 0; i < 10; ++i) {
                Label(*picture, i % 2 == 0 ? 4 : 136, 21 + kRowStep * (i / 2), 84, plaque.labels[i], Cube(2, 4, 5));
            }
        }
        status = WritePictureForm(iff, MakeTag("PLAQ"), std::move(picture));
    }
    return status;
}

Status WriteOutfitArtItems(IffFile& iff) {
    Status status = kStatusOk;
    for (const ArtSprite& sprite : kSprites) {
        if (status == kStatusOk) status = WriteMenuArtItem(iff, sprite.name, sprite.width, sprite.height, sprite.label);
    }
    return status;
}

Status WriteOutfitMap(const std::string& celDirectory) {
    constexpr uint16_t kAreaCodes[] = {0x0302, 0x0304, 0x0308, 0x0310, 0x0320, 0x0340,
                                       0x0380, 0x0401, 0x0402, 0x0404, 0x0408, 0x0410};
    constexpr size_t kFirstAreaRow = 33;
    EventMapSpec map;
    map.name = "outfit";
    AddArtSpriteSpots(map, kSprites);
    map.events.push_back({EventOfCode(0x0280), SpotTrigger(72, 342, 220, 100)});   // the list
    map.events.push_back({EventOfCode(0x0610), SpotTrigger(270, 21, 220, 189)});   // the ship's layout, below the frame's top rule
    map.events.push_back({EventOfCode(0x0301), SpotTrigger(503, 188, 113, 112)});  // the stores: the picture
    InputTrigger click;
    click.mouseButtons = kLeftButton;
    map.events.push_back({EventOfCode(0x0510), click});
    map.events.push_back({EventOfCode(0x0510), KeyTrigger(kKeyEnter)});
    map.events.push_back({EventOfCode(0x0502), KeyTrigger(kKeyF1)});
    map.events.push_back({EventOfCode(0x0520), KeyTrigger(kKeyDelete)});
    map.events.push_back({EventOfCode(0x0540), KeyTrigger(kKeyUp)});
    map.events.push_back({EventOfCode(0x0580), KeyTrigger(kKeyDown)});
    map.events.push_back({EventOfCode(0x0601), KeyTrigger(kKeyLeft)});
    map.events.push_back({EventOfCode(0x0602), KeyTrigger(kKeyRight)});
    map.events.push_back({EventOfCode(0x0604), KeyTrigger(kKeyPageUp)});
    map.events.push_back({EventOfCode(0x0608), KeyTrigger(kKeyPageDown)});
    map.events.push_back({EventOfCode(0x0504), KeyTrigger(kKeyTab, InputTrigger::kShift + InputTrigger::kNegate)});
    map.events.push_back({EventOfCode(0x0508), KeyTrigger(kKeyTab, InputTrigger::kShift)});
    // Records up to the area rows fire nothing; the screen gives the rows
    // their rectangles.
    while (map.events.size() < kFirstAreaRow) map.events.push_back({EventOfCode(0x0420), InputTrigger{}});
    for (uint16_t code : kAreaCodes) map.events.push_back({EventOfCode(code), InputTrigger{}});
    return WriteEventMapFile((celDirectory + "Outfit.iff").c_str(), {map});
}
