#include "tools/mkdata/SquadronArtData.h"

#include <vector>

#include "engine/IffFile.h"
#include "engine/input/InputEventMap.h"
#include "tools/mkdata/ArtSprite.h"
#include "tools/mkdata/EventMapData.h"
#include "tools/mkdata/MenuArtData.h"

namespace {

constexpr uint16_t kKeyF1 = 59;
constexpr uint16_t kKeyPageUp = 73;
constexpr uint16_t kKeyPageDown = 81;
constexpr uint16_t kKeyUp = 200;
constexpr uint16_t kKeyDown = 208;
constexpr uint16_t kKeyDelete = 211;


// A hot spot of the page that is no button: a list or a text.
struct Spot {
    int x, y, width, height;
    uint16_t code;
};

// The codes of one page's keys.
struct Keys {
    uint16_t select, help, focusNext, focusPrevious, clear, lineUp, lineDown, pageUp, pageDown;
};

struct Page {
    const char* screen;
    const char* mapName;
    std::vector<ArtSprite> sprites;
    std::vector<Spot> spots;
    Keys keys;
};

const std::vector<Page>& Pages() {
    static const std::vector<Page> pages = {
        {"REPAIR",
         "repair",
         // The three panel buttons share their art with the requisition screen's, one size for all.
         {{"Ship Frames Button", "SHIPS", 140, 130, 70, 22, 0x0220},
          {"Equipment Button", "SYSTEMS", 288, 130, 70, 22, 0x0280},
          {"Weapons Button", "WEAPONS", 214, 130, 70, 22, 0x0240},
          {"Repair All Button", "REPAIR ALL", 345, 266, 110, 24, 0x0304},
          {"Scroll Up3", "UP", 528, 166, 20, 20, 0x0420},
          {"Scroll Down3", "DN", 528, 236, 20, 20, 0x0440},
          {"Scroll Up", "", 566, 324, 20, 20, 0x0502},
          {"Scroll Down", "", 566, 404, 20, 20, 0x0504},
          // The stores list's pair, under it: the frame's column is left of it.
          {"Scroll Up2", "", 250, 268, 40, 18, 0x0480},
          {"Scroll Down2", "", 296, 268, 40, 18, 0x0501}},
         // The ships list, the stores list (ending short of the ships list) and the text.
         {{345, 166, 180, 90, 0x0210}, {58, 163, 280, 100, 0x0301}, {242, 324, 320, 100, 0x0302}},
         {0x0380, 0x0310, 0x0320, 0x0340, 0x0401, 0x0402, 0x0404, 0x0408, 0x0410}},
        {"PERSON",
         "person",
         {{"Available Pilots Button", "AVAILABLE", 345, 92, 82, 24, 0x0210},
          {"Current Pilots Button", "CURRENT", 431, 92, 82, 24, 0x0220},
          {"Past Pilots Button", "PAST", 517, 92, 82, 24, 0x0240},
          {"Hire Pilot Button", "HIRE", 345, 226, 96, 24, 0x0304},
          {"Fire Pilot Button", "FIRE", 447, 226, 96, 24, 0x0302},
          {"Scroll Up", "", 566, 324, 20, 20, 0x0420},
          {"Scroll Down", "", 566, 404, 20, 20, 0x0440},
          {"Scroll Up2", "", 586, 124, 40, 24, 0x0480},
          {"Scroll Down2", "", 586, 197, 40, 24, 0x0501}},
         {{345, 124, 238, 93, 0x0280}, {242, 324, 320, 100, 0x0301}},
         {0x0380, 0x0310, 0x0320, 0x0340, 0x0401, 0x0402, 0x0404, 0x0408, 0x0410}},
        {"ASSIGN",
         "assign",
         {{"Assign Pilot Button", "ASSIGN", 345, 232, 104, 24, 0x0240},
          {"Remove Pilot Button", "REMOVE", 455, 232, 104, 24, 0x0280},
          {"Scroll Up", "", 568, 124, 20, 20, 0x0404},
          {"Scroll Down", "", 568, 204, 20, 20, 0x0408},
          {"Scroll Up2", "", 586, 324, 40, 24, 0x0410},
          {"Scroll Down2", "", 586, 404, 40, 24, 0x0420}},
         {{345, 124, 220, 100, 0x0210}, {448, 324, 136, 100, 0x0220}},
         {0x0310, 0x0302, 0x0304, 0x0308, 0x0320, 0x0340, 0x0380, 0x0401, 0x0402}},
    };
    return pages;
}


EventMapSpec PageMap(const Page& page) {
    EventMapSpec map;
    map.name = page.mapName;
    AddArtSpriteSpots(map, page.sprites);
    for (const Spot& spot : page.spots) {
        map.events.push_back({EventOfCode(spot.code), SpotTrigger(spot.x, spot.y, spot.width, spot.height)});
    }
    const Keys& keys = page.keys;
    AddFocusWalkKeys(map, EventOfCode(keys.focusNext), EventOfCode(keys.focusPrevious), EventOfCode(keys.select), -1);
    map.events.push_back({EventOfCode(keys.help), KeyTrigger(kKeyF1)});
    map.events.push_back({EventOfCode(keys.clear), KeyTrigger(kKeyDelete)});
    map.events.push_back({EventOfCode(keys.lineUp), KeyTrigger(kKeyUp)});
    map.events.push_back({EventOfCode(keys.lineDown), KeyTrigger(kKeyDown)});
    map.events.push_back({EventOfCode(keys.pageUp), KeyTrigger(kKeyPageUp)});
    map.events.push_back({EventOfCode(keys.pageDown), KeyTrigger(kKeyPageDown)});
    return map;
}

}  // namespace

Status WriteSquadronArt(const std::string& root) {
    Status status = kStatusOk;
    for (const Page& page : Pages()) {
        const std::string art = root + "/option/" + page.screen + "1.iff";
        const std::string map = root + "/cel/" + page.screen + ".iff";
        if (status == kStatusOk) status = WriteArtSpriteFile(art.c_str(), page.sprites);
        if (status == kStatusOk) status = WriteEventMapFile(map.c_str(), {PageMap(page)});
    }
    return status;
}

Status WriteSquadronArtItems(IffFile& iff) {
    // Unlabelled sprites are the scroll buttons the other pages already bring.
    Status status = kStatusOk;
    for (const Page& page : Pages()) {
        for (const ArtSprite& sprite : page.sprites) {
            if (status != kStatusOk || sprite.label[0] == '\0') continue;
            status = WriteMenuArtItem(iff, sprite.name, sprite.width, sprite.height, sprite.label);
        }
    }
    return status;
}
