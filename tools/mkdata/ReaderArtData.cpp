#include "tools/mkdata/ReaderArtData.h"

#include <cstring>
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

struct Sprite {
    const char* name;
    const char* label;
    int x, y, width, height;
};

// The buttons every reader with pages shows, and the scroll buttons beside
// its list and its text.
constexpr int kPageButtonWidth = 110;
constexpr int kHigh = 24;
// The scroll buttons take the size of the menus' shared "Scroll Up".
constexpr int kScrollWidth = 40;
constexpr int kScrollLeft = 560;
const Sprite kScrollSprites[] = {
    {"Scroll Up", "UP", kScrollLeft, 121, kScrollWidth, kHigh},
    {"Scroll Down", "DN", kScrollLeft, 197, kScrollWidth, kHigh},
    {"Scroll Up2", "UP", kScrollLeft, 323, kScrollWidth, kHigh},
    {"Scroll Down2", "DN", kScrollLeft, 399, kScrollWidth, kHigh},
};
const Sprite kLaunchSprites[] = {
    {"Accept Missions Button", "ACCEPT", 350, 440, kPageButtonWidth, kHigh},
    {"Launch Button", "LAUNCH", 470, 440, kPageButtonWidth, kHigh},
};

struct Reader {
    const char* screen;
    const char* mapName;   // the screen name in lower case
    const char* unread;
    const char* read;
    // The codes of: the page buttons, the list, the text, the four scroll
    // buttons, activate, help, clear, line up and down, page up and down,
    // the focus walk forward and back.
    uint16_t codes[17];
};
const Reader kReaders[] = {
    {"MISSIONS", "missions", "Unread Missions Button", "Read Missions Button",
     {0x210, 0x220, 0x240, 0x280, 0x410, 0x420, 0x440, 0x480, 0x340, 0x308, 0x380, 0x401, 0x402, 0x404, 0x408, 0x310,
      0x320}},
    {"EMAIL", "email", "Unread Email Button", "Read Email Button",
     {0x210, 0x220, 0x240, 0x280, 0x404, 0x408, 0x410, 0x420, 0x310, 0x302, 0x320, 0x340, 0x380, 0x401, 0x402, 0x304,
      0x308}},
    {"NEWS", "news", "Unread News Button", "Read News Button",
     {0x210, 0x220, 0x240, 0x280, 0x404, 0x408, 0x410, 0x420, 0x310, 0x302, 0x320, 0x340, 0x380, 0x401, 0x402, 0x304,
      0x308}},
    {"LOGS", "logs", nullptr, nullptr,
     {0, 0, 0x210, 0x220, 0x401, 0x402, 0x404, 0x408, 0x304, 0, 0x308, 0x310, 0x320, 0x340, 0x380, 0x301, 0x302}},
};
constexpr int kUnreadLeft = 160;
constexpr int kReadLeft = 280;
constexpr int kPageButtonTop = 40;

Status WriteSprites(const std::string& path, const Reader& reader) {
    IffFile iff(0);
    Status status = iff.OpenFile(path.c_str(), kOpenWrite | kOpenCreate);
    if (status == kStatusOk) status = iff.BeginForm(MakeTag("OPTI"));
    if (reader.unread != nullptr) {
        if (status == kStatusOk) status = WriteArtSprite(iff, reader.unread, kUnreadLeft, kPageButtonTop);
        if (status == kStatusOk) status = WriteArtSprite(iff, reader.read, kReadLeft, kPageButtonTop);
    }
    if (std::strcmp(reader.screen, "MISSIONS") == 0) {
        for (const Sprite& sprite : kLaunchSprites) {
            if (status == kStatusOk) status = WriteArtSprite(iff, sprite.name, sprite.x, sprite.y);
        }
    }
    for (const Sprite& sprite : kScrollSprites) {
        if (status == kStatusOk) status = WriteArtSprite(iff, sprite.name, sprite.x, sprite.y);
    }
    if (status == kStatusOk) status = iff.Ascend();
    const Status closed = iff.CloseFile();
    return status != kStatusOk ? status : closed;
}

Status WriteMap(const std::string& celDirectory, const Reader& reader) {
    const uint16_t* const code = reader.codes;
    EventMapSpec map;
    map.name = reader.mapName;
    if (reader.unread != nullptr) {
        map.events.push_back({EventOfCode(code[0]), SpotTrigger(kUnreadLeft, kPageButtonTop, kPageButtonWidth, kHigh)});
        map.events.push_back({EventOfCode(code[1]), SpotTrigger(kReadLeft, kPageButtonTop, kPageButtonWidth, kHigh)});
    }
    if (std::strcmp(reader.screen, "MISSIONS") == 0) {
        const uint16_t launchCodes[] = {0x301, 0x302};
        for (int i = 0; i < 2; ++i) {
            const Sprite& sprite = kLaunchSprites[i];
            map.events.push_back({EventOfCode(launchCodes[i]), SpotTrigger(sprite.x, sprite.y, sprite.width, sprite.height)});
        }
    }
    map.events.push_back({EventOfCode(code[2]), SpotTrigger(345, 121, 210, 100)});
    map.events.push_back({EventOfCode(code[3]), SpotTrigger(242, 323, 310, 100)});
    for (int i = 0; i < 4; ++i) {
        const Sprite& sprite = kScrollSprites[i];
        map.events.push_back({EventOfCode(code[4 + i]), SpotTrigger(sprite.x, sprite.y, sprite.width, sprite.height)});
    }
    AddFocusWalkKeys(map, EventOfCode(code[15]), EventOfCode(code[16]), EventOfCode(code[8]), code[9] != 0 ? int32_t(EventOfCode(code[9])) : -1);
    map.events.push_back({EventOfCode(code[10]), KeyTrigger(kKeyDelete)});
    map.events.push_back({EventOfCode(code[11]), KeyTrigger(kKeyUp)});
    map.events.push_back({EventOfCode(code[12]), KeyTrigger(kKeyDown)});
    map.events.push_back({EventOfCode(code[13]), KeyTrigger(kKeyPageUp)});
    map.events.push_back({EventOfCode(code[14]), KeyTrigger(kKeyPageDown)});
    return WriteEventMapFile((celDirectory + reader.screen + ".iff").c_str(), {map});
}

}  // namespace

Status WriteReaderArtItems(IffFile& iff) {
    Status status = kStatusOk;
    for (const Reader& reader : kReaders) {
        if (reader.unread == nullptr) continue;
        if (status == kStatusOk) status = WriteMenuArtItem(iff, reader.unread, kPageButtonWidth, kHigh, "UNREAD");
        if (status == kStatusOk) status = WriteMenuArtItem(iff, reader.read, kPageButtonWidth, kHigh, "READ");
    }
    for (const Sprite& sprite : kLaunchSprites) {
        if (status == kStatusOk) status = WriteMenuArtItem(iff, sprite.name, sprite.width, sprite.height, sprite.label);
    }
    // "Scroll Up" and "Scroll Down" are already the menus' own.
    for (const Sprite& sprite : {kScrollSprites[2], kScrollSprites[3]}) {
        if (status == kStatusOk) status = WriteMenuArtItem(iff, sprite.name, sprite.width, sprite.height, sprite.label);
    }
    return status;
}

Status WriteReaderArt(const std::string& root) {
    Status status = kStatusOk;
    for (const Reader& reader : kReaders) {
        if (status == kStatusOk) status = WriteSprites(root + "/option/" + reader.screen + "1.iff", reader);
        if (status == kStatusOk) status = WriteMap(root + "/cel/", reader);
    }
    // The voice screen answers no event; its map only has to be there.
    EventMapSpec voice;
    voice.name = "voice";
    voice.events.push_back({0, KeyTrigger(kKeyF1)});
    if (status == kStatusOk) status = WriteEventMapFile((root + "/cel/VOICE.iff").c_str(), {voice});
    return status;
}
