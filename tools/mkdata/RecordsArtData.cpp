#include "tools/mkdata/RecordsArtData.h"

#include <cstring>
#include <memory>
#include <vector>

#include "display/Bitmap.h"
#include "display/BitmapCodec.h"
#include "engine/FileWrappers.h"
#include "engine/IffFile.h"
#include "tools/mkdata/ArtSprite.h"
#include "tools/mkdata/EventMapData.h"
#include "tools/mkdata/MenuArtData.h"

namespace {

constexpr uint16_t kKeyHome = 199;
constexpr uint16_t kKeyUp = 200;
constexpr uint16_t kKeyPageUp = 73;
constexpr uint16_t kKeyDown = 208;
constexpr uint16_t kKeyPageDown = 81;
constexpr uint16_t kKeyDelete = 211;
constexpr uint16_t kKeyReturn = 28;

constexpr uint8_t Cube(int red, int green, int blue) { return uint8_t(red * 36 + green * 6 + blue); }



constexpr ArtSprite kKillSprites[] = {
    {"Pilot Kills Button", "KILLS", 150, 40, 130, 22, 0x0240},
    {"Pilot Missions Flown Button", "MISSIONS", 150, 68, 130, 22, 0x0280},
    {"Pilot Accuracy Button", "ACCURACY", 150, 96, 130, 22, 0x0220},
    // The shared scroll items are 40 x 24: inside the frame's right rule.
    {"Scroll Up", "", 586, 124, 40, 24, 0x0404},
    {"Scroll Down", "", 586, 228, 40, 24, 0x0408},
    {"Scroll Up2", "", 586, 150, 40, 24, 0x0410},
    {"Scroll Down2", "", 586, 202, 40, 24, 0x0420},
};

constexpr ArtSprite kEncyclopediaSprites[] = {
    {"Encyclopedia Search Button", "SEARCH", 250, 74, 80, 22, 0x0302},
    {"Previous Match Button", "PREVIOUS", 345, 222, 105, 22, 0x0240},
    {"Next Match Button", "NEXT", 460, 222, 105, 22, 0x0280},
    {"Scroll Up", "", 548, 324, 20, 20, 0x0420},
    {"Scroll Down", "", 548, 404, 20, 20, 0x0440},
    {"Scroll Up2", "", 570, 124, 20, 20, 0x0480},
    {"Scroll Down2", "", 570, 194, 20, 20, 0x0501},
};

// Buttons no other screen's art brings; the scroll arrows are shared.
const char* const kOwnItems[] = {"Pilot Kills Button", "Pilot Missions Flown Button", "Pilot Accuracy Button",
                                  "Encyclopedia Search Button", "Previous Match Button", "Next Match Button",
                                  "Scroll Up2", "Scroll Down2"};

struct Entry {
    const char* title;
    std::vector<const char*> keywords;   // "" makes a chunk of its NUL alone
    const char* body;
};

const std::vector<Entry>& Entries() {
    static const std::vector<Entry> entries = {
        {"Missile Rack", {"missile", "weapon"}, "A rack of four light missiles that home on heat."},
        {"Seeker Missiles", {"missiles"}, "Missiles that follow the target's drive flare until they hit or burn out."},
        {"MIS Launcher", {"mis"}, "The squadron's multiple-interceptor system: a launcher of small darts."},
        {"Anti-Matter Cannon", {"Anti-Matter", "anti matter", "weapon"},
         "A cannon firing bolts of contained antimatter. Slow to recharge, devastating on a hit."},
        {"Antimatter Core", {"ANTIMATTER", ""}, "The power core of the capital ships, and their weak point."},
        {"Lancer", {"ship", "fighter"}, "The squadron's light fighter: fast, lightly armoured, two hardpoints."},
        {"Warden", {"ship", "escort"}, "A heavy escort with strong shields and a slow turn."},
        {"Shield Generator", {"shield", "system"}, "Projects the faces of a ship's shield and recharges them."},
        {"Mine Layer", {"mine", "weapon"}, "Drops proximity mines behind the ship."},
    };
    return entries;
}

Status WriteText(IffFile& iff, const char* tag, const char* text) {
    char id[5] = {};
    std::memcpy(id, tag, 4);
    return iff.WriteChunk(MakeTag(id), text, uint32_t(std::strlen(text) + 1));
}

Status WriteMaps(const std::string& celDirectory) {
    EventMapSpec kill;
    kill.name = "kill";
    AddArtSpriteSpots(kill, kKillSprites);
    kill.events.push_back({EventOfCode(0x0210), SpotTrigger(345, 124, 238, 124)});
    AddFocusWalkKeys(kill, EventOfCode(0x0304), EventOfCode(0x0308), EventOfCode(0x0310), int32_t(EventOfCode(0x0302)));
    kill.events.push_back({EventOfCode(0x0320), KeyTrigger(kKeyDelete)});
    kill.events.push_back({EventOfCode(0x0340), KeyTrigger(kKeyUp)});
    kill.events.push_back({EventOfCode(0x0380), KeyTrigger(kKeyDown)});
    kill.events.push_back({EventOfCode(0x0401), KeyTrigger(kKeyPageUp)});
    kill.events.push_back({EventOfCode(0x0402), KeyTrigger(kKeyPageDown)});
    Status status = WriteEventMapFile((celDirectory + "KILL.iff").c_str(), {kill});

    EventMapSpec encyclopedia;
    encyclopedia.name = "encyc";
    AddArtSpriteSpots(encyclopedia, kEncyclopediaSprites);
    encyclopedia.events.push_back({EventOfCode(0x0301), SpotTrigger(345, 124, 220, 90)});    // the list
    encyclopedia.events.push_back({EventOfCode(0x0304), SpotTrigger(242, 324, 300, 100)});   // the text
    AddFocusWalkKeys(encyclopedia, EventOfCode(0x0320), EventOfCode(0x0340), EventOfCode(0x0380), int32_t(EventOfCode(0x0310)));
    encyclopedia.events.push_back({EventOfCode(0x0220), KeyTrigger(kKeyReturn)});
    encyclopedia.events.push_back({EventOfCode(0x0210), KeyTrigger(kKeyHome)});
    encyclopedia.events.push_back({EventOfCode(0x0401), KeyTrigger(kKeyDelete)});
    encyclopedia.events.push_back({EventOfCode(0x0402), KeyTrigger(kKeyUp)});
    encyclopedia.events.push_back({EventOfCode(0x0404), KeyTrigger(kKeyDown)});
    encyclopedia.events.push_back({EventOfCode(0x0408), KeyTrigger(kKeyPageUp)});
    encyclopedia.events.push_back({EventOfCode(0x0410), KeyTrigger(kKeyPageDown)});
    if (status == kStatusOk) status = WriteEventMapFile((celDirectory + "ENCYC.iff").c_str(), {encyclopedia});
    return status;
}

}  // namespace

Status WriteEncyclopedia(const char* path) {
    IffFile iff(0);
    Status status = iff.OpenFile(path, kOpenWrite | kOpenCreate);
    if (status == kStatusOk) status = iff.BeginForm(MakeTag("ENCY"));
    int32_t number = 0;
    for (const Entry& entry : Entries()) {
        if (status != kStatusOk) break;
        status = iff.BeginForm(MakeTag("ENTR"));
        if (status == kStatusOk) status = WriteText(iff, "TITL", entry.title);
        for (const char* keyword : entry.keywords) {
            if (status == kStatusOk) status = WriteText(iff, "KWRD", keyword);
        }
        if (status == kStatusOk) status = WriteText(iff, "BODY", entry.body);
        if (status == kStatusOk) status = WriteText(iff, "PALT", "mastermenu");
        std::unique_ptr<Bitmap> picture = LabelledBox(112, 113, entry.title, Cube(0, 1, 2 + number % 3),
                                                      Cube(2, 4, 5), Cube(5, 5, 4));
        if (picture == nullptr) {
            status = kStatusOutOfMemory;
        } else {
            picture->x = 79;
            picture->y = 315;
            if (status == kStatusOk) status = BitmapCodec::WriteXcelChunk(&iff, picture.get());
        }
        if (status == kStatusOk) status = iff.Ascend();
        ++number;
    }
    if (status == kStatusOk) status = iff.Ascend();
    const Status closed = iff.CloseFile();
    return status != kStatusOk ? status : closed;
}

Status WriteRecordsArtItems(IffFile& iff) {
    Status status = kStatusOk;
    const auto write = [&](const ArtSprite& sprite) {
        for (const char* own : kOwnItems) {
            if (status == kStatusOk && std::strcmp(own, sprite.name) == 0) {
                status = WriteMenuArtItem(iff, sprite.name, sprite.width, sprite.height, sprite.label);
            }
        }
    };
    for (const ArtSprite& sprite : kKillSprites) write(sprite);
    for (const ArtSprite& sprite : kEncyclopediaSprites) {
        if (std::strncmp(sprite.name, "Scroll", 6) != 0) write(sprite);
    }
    return status;
}

Status WriteRecordsArt(const std::string& root) {
    Status status = WriteMaps(root + "/cel/");
    if (status == kStatusOk) status = WriteArtSpriteFile((root + "/option/kill1.iff").c_str(), kKillSprites);
    if (status == kStatusOk) status = WriteArtSpriteFile((root + "/option/ENCYC1.iff").c_str(), kEncyclopediaSprites);
    if (status == kStatusOk) status = WriteEncyclopedia((root + "/data/encyclopedia.iff").c_str());
    return status;
}
