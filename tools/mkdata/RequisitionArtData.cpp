#include "tools/mkdata/RequisitionArtData.h"


#include "engine/IffFile.h"
#include "engine/input/InputEventMap.h"
#include "tools/mkdata/ArtSprite.h"
#include "tools/mkdata/EventMapData.h"
#include "tools/mkdata/MenuArtData.h"
#include "tools/mkdata/OutfitArtData.h"

namespace {

constexpr uint16_t kKeyPageUp = 73;
constexpr uint16_t kKeyPageDown = 81;
constexpr uint16_t kKeyUp = 200;
constexpr uint16_t kKeyDown = 208;
constexpr uint16_t kKeyDelete = 211;
constexpr uint16_t kRightButton = 2;


// The buttons lie right of the frame's column of buttons, which stay live
// beside the page.
constexpr ArtSprite kRequisitionSprites[] = {
    {"Buy Mode Button", "BUY", 150, 70, 90, 22, 0x0210},
    {"Sell Mode Button", "SELL", 246, 70, 90, 22, 0x0220},
    {"Ship Frames Button", "SHIPS", 140, 134, 70, 22, 0x0240},
    {"Weapons Button", "WEAPONS", 214, 134, 70, 22, 0x0280},
    {"Equipment Button", "SYSTEMS", 288, 134, 70, 22, 0x0301},
    {"Place Order Button", "ORDER", 440, 120, 110, 24, 0x0308},
    {"Scroll Up", nullptr, 548, 326, 20, 20, 0x0440},
    {"Scroll Down", nullptr, 548, 396, 20, 20, 0x0480},
    {"Scroll Up", nullptr, 282, 164, 20, 20, 0x0501},     // the list's pair, "Scroll Up2" on screen
    {"Scroll Down", nullptr, 282, 244, 20, 20, 0x0502},
};
constexpr int kRequisitionPlaqueX = 300;
constexpr int kRequisitionPlaqueY = 163;

constexpr ArtSprite kSalvageSprites[] = {
    {"Salvage OK Button", "ACCEPT", 360, 440, 100, 24, 0x0002},
    {"Salvage Repair Button", "REPAIR", 470, 440, 140, 24, 0x0004},
    {"Scroll Up", nullptr, 565, 122, 20, 20, 0x0120},
    {"Scroll Down", nullptr, 565, 242, 20, 20, 0x0140},
};
constexpr int kSalvagePlaqueX = 201;
constexpr int kSalvagePlaqueY = 326;


template <size_t N>
Status WriteArtFile(const char* path, const ArtSprite (&sprites)[N], int plaqueX, int plaqueY) {
    IffFile iff(0);
    Status status = iff.OpenFile(path, kOpenWrite | kOpenCreate);
    if (status == kStatusOk) status = iff.BeginForm(MakeTag("OPTI"));
    for (const ArtSprite& sprite : sprites) {
        if (status == kStatusOk) status = WriteArtSprite(iff, sprite.name, sprite.x, sprite.y);
    }
    if (status == kStatusOk) status = WriteSheetPlaques(iff, plaqueX, plaqueY);
    if (status == kStatusOk) status = iff.Ascend();
    const Status closed = iff.CloseFile();
    return status != kStatusOk ? status : closed;
}

Status WriteRequisitionMap(const std::string& celDirectory) {
    EventMapSpec map;
    map.name = "requ";
    AddArtSpriteSpots(map, kRequisitionSprites);
    map.events.push_back({EventOfCode(0x0302), SpotTrigger(58, 164, 220, 100)});   // each panel's list
    // Tab walks, Enter and the left button add one, F1 helps; the right
    // button and Delete take one away.
    AddFocusWalkKeys(map, EventOfCode(0x0340), EventOfCode(0x0380), EventOfCode(0x0401), int32_t(EventOfCode(0x0320)));
    map.events.push_back({EventOfCode(0x0402), MouseButtonTrigger(kRightButton)});
    map.events.push_back({EventOfCode(0x0402), KeyTrigger(kKeyDelete)});
    map.events.push_back({EventOfCode(0x0404), KeyTrigger(kKeyUp)});
    map.events.push_back({EventOfCode(0x0408), KeyTrigger(kKeyDown)});
    map.events.push_back({EventOfCode(0x0410), KeyTrigger(kKeyPageUp)});
    map.events.push_back({EventOfCode(0x0420), KeyTrigger(kKeyPageDown)});
    return WriteEventMapFile((celDirectory + "REQU.iff").c_str(), {map});
}

Status WriteSalvageMap(const std::string& celDirectory) {
    EventMapSpec map;
    map.name = "salvage";
    map.events.push_back({EventOfCode(0x0001), SpotTrigger(60, 122, 500, 140)});   // the list
    AddArtSpriteSpots(map, kSalvageSprites);
    // Tab walks (5, 6), Enter and the left button select (7), F1 helps (4).
    AddFocusWalkKeys(map, EventOfCode(0x0020), EventOfCode(0x0040), EventOfCode(0x0080), int32_t(EventOfCode(0x0010)));
    map.events.push_back({EventOfCode(0x0101), KeyTrigger(kKeyDelete)});
    map.events.push_back({EventOfCode(0x0102), KeyTrigger(kKeyUp)});
    map.events.push_back({EventOfCode(0x0104), KeyTrigger(kKeyDown)});
    map.events.push_back({EventOfCode(0x0108), KeyTrigger(kKeyPageUp)});
    map.events.push_back({EventOfCode(0x0110), KeyTrigger(kKeyPageDown)});
    return WriteEventMapFile((celDirectory + "SALVAGE.iff").c_str(), {map});
}

}  // namespace

Status WriteRequisitionArt(const std::string& root) {
    Status status = WriteArtFile((root + "/option/REQU1.iff").c_str(), kRequisitionSprites, kRequisitionPlaqueX,
                                 kRequisitionPlaqueY);
    if (status == kStatusOk) {
        status = WriteArtFile((root + "/option/salvage1.iff").c_str(), kSalvageSprites, kSalvagePlaqueX, kSalvagePlaqueY);
    }
    if (status == kStatusOk) status = WriteRequisitionMap(root + "/cel/");
    if (status == kStatusOk) status = WriteSalvageMap(root + "/cel/");
    return status;
}

Status WriteRequisitionArtItems(IffFile& iff) {
    Status status = kStatusOk;
    for (const ArtSprite& sprite : kRequisitionSprites) {
        if (status == kStatusOk && sprite.label != nullptr) {
            status = WriteMenuArtItem(iff, sprite.name, sprite.width, sprite.height, sprite.label);
        }
    }
    for (const ArtSprite& sprite : kSalvageSprites) {
        if (status == kStatusOk && sprite.label != nullptr) {
            status = WriteMenuArtItem(iff, sprite.name, sprite.width, sprite.height, sprite.label);
        }
    }
    return status;
}
