#include "tools/mkdata/LobbyArtData.h"

#include <cstring>
#include <memory>
#include <vector>

#include "display/Bitmap.h"
#include "display/BitmapCodec.h"
#include "display/XfebCodec.h"
#include "engine/IffFile.h"
#include "engine/input/InputEventMap.h"
#include "tools/mkdata/EventMapData.h"
#include "tools/mkdata/MenuArtData.h"
#include "tools/mkdata/RoomArtData.h"

namespace {

constexpr uint16_t kKeyEscape = 1;
constexpr uint16_t kKeyBackspace = 14;
constexpr uint16_t kKeyEnter = 28;
constexpr uint16_t kKeyUp = 72;
constexpr uint16_t kKeyPageUp = 73;
constexpr uint16_t kKeyDown = 80;
constexpr uint16_t kKeyPageDown = 81;
constexpr uint16_t kKeyLeft = 203;   // the arrows of their own block are extended keys
constexpr uint16_t kKeyRight = 205;

struct Button {
    uint32_t event;   // its hot spot in the panel's page
    const char* name;
    const char* label;
    int x, y, width, height;
};

// A page: the panel's form, its buttons, the inputs of the focus walk and
// whatever else the page holds (hot spots over controls, keys).
struct Page {
    const char* form;
    const char* page;
    std::vector<Button> buttons;
    uint32_t click, help, next, previous;
};

// Rectangles of the lobby's list controls, clickable on their pages.
struct Area {
    int x, y, width, height;
};
constexpr Area kPilotListArea{32, 73, 90, 275};
constexpr Area kGameListArea{243, 322, 260, 100};
constexpr Area kTeamListArea{243, 323, 175, 200};

// A strip of equal segments, one cel per choice with the segments up to it
// lit; a spot over it and the two step keys on its page.
struct Strip {
    const char* form;
    const char* name;
    uint32_t event;
    int x, y, segments, segmentWidth;
    uint32_t stepLeft, stepRight;
};
constexpr int kStripHeight = 20;
// The difficulty's four segments and the amount sliders' seven, each beside its toggle.
constexpr Strip kStrips[] = {{"COOP", "Difficulty", 8, 369, 293, 4, 40, 13, 14},
                             {"DETH", "AsterSlide", 4, 438, 153, 7, 20, 17, 18},
                             {"DETH", "MineSlide", 6, 438, 185, 7, 20, 17, 18},
                             {"DETH", "EnemySlide", 8, 438, 217, 7, 20, 17, 18}};

const std::vector<Page>& Pages() {
    static const std::vector<Page> pages = {
        {"MENU", "netopt",
         {{2, "Single B", "SINGLE PLAYER", 230, 290, 180, 36},
          {3, "Multi B", "MULTIPLAYER", 230, 342, 180, 36},
          {4, "Exit", "EXIT", 230, 394, 180, 36}},
         9, 6, 7, 8},
        {"CHRS", "sel",
         {{0, "Load", "LOAD", 32, 360, 90, 28},
          {1, "Create", "CREATE", 32, 394, 90, 28},
          {2, "Exit", "EXIT", 32, 428, 90, 28},
          {14, "Up", "UP", 128, 73, 40, 22},
          {15, "Down", "DOWN", 128, 326, 40, 22}},
         8, 5, 6, 7},
        {"CHRC", "cre",
         {{0, "Name Entry", "NAME", 180, 132, 110, 22},
          {1, "Callsign Entry", "CALLSIGN", 180, 161, 110, 22},
          {2, "Face Left", "PREV", 430, 150, 46, 22},
          {3, "Face Right", "NEXT", 566, 150, 46, 22},
          {4, "Logo Left", "PREV", 430, 268, 46, 22},
          {5, "Logo Right", "NEXT", 566, 268, 46, 22},
          {6, "Accept", "ACCEPT", 297, 390, 100, 28},
          {7, "Exit", "EXIT", 420, 390, 100, 28}},
         13, 10, 11, 12},
        {"MULT", "multi",
         {{0, "Creat B", "HOST A GAME", 230, 170, 180, 36},
          {1, "Join", "JOIN A GAME", 230, 222, 180, 36},
          {2, "Cancel", "CANCEL", 230, 274, 180, 36}},
         7, 4, 5, 6},
        // Clear of the refusal of a third team, drawn from (253, 400).
        {"TMSL", "cret",
         {{0, "Join Team", "JOIN TEAM", 510, 330, 120, 28},
          {1, "Cancel", "CANCEL", 510, 364, 120, 28},
          {2, "Create Team", "CREATE TEAM", 510, 398, 120, 28}},
         8, 5, 6, 7},
        {"TMCR", "team",
         {{0, "Logo left", "PREV", 390, 380, 46, 22},
          {1, "Logo right", "NEXT", 480, 380, 46, 22},
          {2, "Team name", "NAME", 130, 346, 100, 22},
          {3, "Accept", "ACCEPT", 238, 420, 100, 28},
          {4, "Cancel", "CANCEL", 350, 420, 100, 28}},
         10, 7, 8, 9},
        {"WAIT", "wait",
         {{0, "Cancel", "CANCEL", 40, 420, 100, 28},
          {1, "Start Button", "START", 40, 380, 100, 28},
          {16, "Chat Scroll Up", "UP", 540, 323, 40, 22},
          {17, "Chat Scroll Down", "DOWN", 540, 391, 40, 22}},
         14, 11, 12, 13},
        {"JOIN", "connect",
         {{0, "IPX", "IPX", 230, 150, 180, 32},
          {1, "TCPIP", "TCP/IP", 230, 190, 180, 32},
          {2, "Modem", "MODEM", 230, 230, 180, 32},
          {3, "Direct Connect", "DIRECT CONNECT", 230, 270, 180, 32},
          {4, "Cancel", "CANCEL", 230, 310, 180, 32}},
         9, 6, 7, 8},
        {"IPXO", "ipx",
         {{0, "Accept", "ACCEPT", 243, 430, 100, 28},
          {1, "Cancel", "CANCEL", 403, 430, 100, 28},
          {13, "Up Button", "UP", 510, 322, 40, 22},
          {14, "Down Button", "DOWN", 510, 400, 40, 22}},
         7, 4, 5, 6},
        {"CREA", "cres",
         {{0, "Cooperative", "COOPERATIVE", 230, 170, 180, 36},
          {1, "Death Match", "DEATH MATCH", 230, 222, 180, 36},
          {2, "Cancel", "CANCEL", 230, 274, 180, 36}},
         7, 4, 5, 6},
        {"COOP", "coop",
         {{0, "Scout", "SCOUT", 40, 150, 100, 26},
          {1, "Destroy", "DESTROY", 40, 182, 100, 26},
          {2, "Protect", "PROTECT", 40, 214, 100, 26},
          {3, "Capture", "CAPTURE", 40, 246, 100, 26},
          {4, "Teams", "TEAMS", 40, 290, 100, 26},
          {5, "OK", "OK", 40, 400, 100, 28},
          {6, "Cancel", "CANCEL", 40, 436, 100, 28},
          {7, "New", "NEW", 150, 400, 100, 28},
          {17, "ArrowUp", "UP", 548, 322, 40, 22},
          {18, "ArrowDown", "DOWN", 548, 400, 40, 22}},
         15, 10, 11, 12},
        {"DETH", "deth",
         {{0, "Normal", "NORMAL", 40, 150, 100, 26},
          {1, "Tag", "TAG", 40, 182, 100, 26},
          {3, "Asteroids", "ASTEROIDS", 330, 150, 100, 26},
          {5, "Mines", "MINES", 330, 182, 100, 26},
          {7, "Enemies", "ENEMIES", 330, 214, 100, 26},
          {9, "Base", "BASE", 40, 246, 100, 26},
          {10, "Teams", "TEAMS", 40, 278, 100, 26},
          {11, "OK", "OK", 40, 400, 100, 28},
          {12, "Cancel", "CANCEL", 40, 436, 100, 28}},
         19, 14, 15, 16},
    };
    return pages;
}

const Page& PageOf(const char* form) {
    for (const Page& page : Pages()) {
        if (std::strcmp(page.form, form) == 0) return page;
    }
    return Pages().front();
}

Status WriteText(IffFile& iff, uint32_t tag, const char* text) {
    return iff.WriteChunk(tag, text, uint32_t(std::strlen(text) + 1));
}

std::unique_ptr<Bitmap> LobbyBackground() {
    constexpr int kWidth = 640, kHeight = 480;
    auto picture = std::make_unique<Bitmap>();
    if (picture->Create(kWidth, kHeight, Bitmap::kDepth24Bit, false) != kStatusOk) return nullptr;
    // The wells behind the pilot panels' list, texts and pictures.
    const Area wells[] = {kPilotListArea, {292, 132, 170, 120}, {480, 130, 80, 210}};
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            uint8_t* const pixel = picture->pixels + 3 * (y * kWidth + x);
            bool well = false;
            for (const Area& area : wells) {
                well = well || (x >= area.x - 3 && x < area.x + area.width + 3 && y >= area.y - 3 &&
                                y < area.y + area.height + 3);
            }
            const bool stripe = (y / 4) % 24 == 0;
            pixel[0] = uint8_t(well ? 6 : 14 + y / 20);
            pixel[1] = uint8_t(well ? 10 : (stripe ? 40 : 20) + y / 14);
            pixel[2] = uint8_t(well ? 24 : 36 + x / 12);
        }
    }
    return picture;
}

std::unique_ptr<Bitmap> StripCel(const Strip& strip, int lit) {
    const int width = strip.segments * strip.segmentWidth;
    auto cel = std::make_unique<Bitmap>();
    if (cel->Create(width, kStripHeight, Bitmap::kDepth8Bit, true) != kStatusOk) return nullptr;
    for (int row = 0; row < kStripHeight; ++row) {
        for (int column = 0; column < width; ++column) {
            const bool gap = column % strip.segmentWidth >= strip.segmentWidth - 2;
            const bool on = column / strip.segmentWidth <= lit;
            cel->pixels[row * width + column] =
                gap ? room_paint::Cube(0, 0, 1) : on ? room_paint::Cube(1, 5, 2) : room_paint::Cube(0, 1, 1);
        }
    }
    cel->x = int16_t(strip.x);
    cel->y = int16_t(strip.y);
    return cel;
}

Status WriteStrips(IffFile& iff, const char* form) {
    Status status = kStatusOk;
    for (const Strip& strip : kStrips) {
        if (std::strcmp(strip.form, form) != 0) continue;
        if (status == kStatusOk) status = iff.BeginForm(MakeTag("PICT"));
        if (status == kStatusOk) status = WriteText(iff, MakeTag("NAME"), strip.name);
        if (status == kStatusOk) status = iff.BeginForm(MakeTag("IDLE"));
        for (int lit = 0; lit < strip.segments && status == kStatusOk; ++lit) {
            const std::unique_ptr<Bitmap> cel = StripCel(strip, lit);
            status = cel != nullptr ? BitmapCodec::WriteXcelChunk(&iff, cel.get()) : kStatusOutOfMemory;
        }
        if (status == kStatusOk) status = iff.Ascend();   // IDLE
        if (status == kStatusOk) status = iff.Ascend();   // PICT
    }
    return status;
}

Status WriteButtons(IffFile& iff, const char* form) {
    Status status = kStatusOk;
    for (const Button& button : PageOf(form).buttons) {
        if (status == kStatusOk) {
            status = WriteMenuButton(iff, button.name, button.label, button.x, button.y, button.width, button.height);
        }
    }
    return status;
}

// A panel's form with its buttons and the panels nested in it.
Status WritePanel(IffFile& iff, const char* form, const std::vector<const char*>& nested) {
    char tag[5] = {};
    std::memcpy(tag, form, 4);
    Status status = iff.BeginForm(MakeTag(tag));
    if (status == kStatusOk) status = WriteButtons(iff, form);
    if (status == kStatusOk) status = WriteStrips(iff, form);
    for (const char* const inner : nested) {
        if (status == kStatusOk) status = WritePanel(iff, inner, {});
        if (status == kStatusOk) status = iff.Ascend();   // a nested panel is closed; its holder stays open
    }
    return status;
}

}  // namespace

Status WriteLobbyArtFile(const char* path) {
    IffFile iff(0);
    Status status = iff.OpenFile(path, kOpenWrite | kOpenCreate);
    if (status == kStatusOk) status = iff.BeginForm(MakeTag("OPTI"));
    if (status == kStatusOk) status = WriteText(iff, MakeTag("PALT"), "mastermenu");
    if (status == kStatusOk) status = iff.BeginForm(MakeTag("BKGR"));
    if (status == kStatusOk) {
        const std::unique_ptr<Bitmap> background = LobbyBackground();
        XfebCodec codec(background.get());
        status = background != nullptr ? codec.WriteForm(&iff, background.get()) : kStatusOutOfMemory;
    }
    if (status == kStatusOk) status = iff.Ascend();
    // "OPTI" holds "MENU"; "MENU" holds "CHRS" (holding "CHRC") and "MULT";
    // "MULT" holds "TMSL", "TMCR", "WAIT", "JOIN" (holding "IPXO") and
    // "CREA" (holding "COOP" and "DETH").
    if (status == kStatusOk) status = WritePanel(iff, "MENU", {});
    if (status == kStatusOk) status = WritePanel(iff, "CHRS", {"CHRC"});
    if (status == kStatusOk) status = iff.Ascend();   // CHRS
    if (status == kStatusOk) status = WritePanel(iff, "MULT", {"TMSL", "TMCR", "WAIT"});
    if (status == kStatusOk) status = WritePanel(iff, "JOIN", {"IPXO"});
    if (status == kStatusOk) status = iff.Ascend();   // JOIN
    if (status == kStatusOk) status = WritePanel(iff, "CREA", {"COOP", "DETH"});
    for (int level = 0; level < 4 && status == kStatusOk; ++level) status = iff.Ascend();   // CREA, MULT, MENU, OPTI
    const Status closed = iff.CloseFile();
    return status != kStatusOk ? status : closed;
}

Status WriteLobbyMaps(const std::string& celDirectory) {
    Status status = kStatusOk;
    for (const Page& page : Pages()) {
        EventMapSpec map;
        map.name = page.page;
        for (const Button& button : page.buttons) {
            map.events.push_back({button.event, SpotTrigger(button.x, button.y, button.width, button.height)});
        }
        // In the waiting room Enter sends the chat line; were it the click
        // too, a pointer resting on one's own row would undo one's
        // readiness with every line sent.
        const bool chatting = std::strcmp(page.form, "WAIT") == 0;
        AddFocusWalkKeys(map, page.next, page.previous, page.click, int32_t(page.help), !chatting);
        const auto list = [&map](uint32_t spot, const Area& area, uint32_t first) {
            map.events.push_back({spot, SpotTrigger(area.x, area.y, area.width, area.height)});
            const uint16_t keys[] = {kKeyBackspace, kKeyUp, kKeyDown, kKeyPageUp, kKeyPageDown};
            for (uint32_t i = 0; i < 5; ++i) map.events.push_back({first + i, KeyTrigger(keys[i])});
        };
        if (std::strcmp(page.form, "MENU") == 0) map.events.push_back({1, KeyTrigger(kKeyEscape)});
        if (std::strcmp(page.form, "CHRS") == 0) list(3, kPilotListArea, 9);
        if (std::strcmp(page.form, "IPXO") == 0) list(2, kGameListArea, 8);
        if (std::strcmp(page.form, "TMSL") == 0) list(3, kTeamListArea, 9);
        const Strip* stepped = nullptr;
        for (const Strip& strip : kStrips) {
            if (std::strcmp(page.form, strip.form) != 0) continue;
            map.events.push_back(
                {strip.event, SpotTrigger(strip.x, strip.y, strip.segments * strip.segmentWidth, kStripHeight)});
            stepped = &strip;
        }
        // The page's strips share their step keys; the pointer says which strip steps.
        if (stepped != nullptr) {
            map.events.push_back({stepped->stepLeft, KeyTrigger(kKeyLeft)});
            map.events.push_back({stepped->stepRight, KeyTrigger(kKeyRight)});
        }
        if (std::strcmp(page.form, "WAIT") == 0) {
            // A player's own name row toggles readiness; Enter sends the typed chat line.
            constexpr int kRowTops[] = {158, 173, 187, 201, 215, 229, 243, 257};
            for (uint32_t row = 0; row < 8; ++row) {
                map.events.push_back({2 + row, SpotTrigger(385, kRowTops[row], 189, 14)});
            }
            map.events.push_back({18, KeyTrigger(kKeyEnter)});
        }
        if (status == kStatusOk) {
            status = WriteEventMapFile((celDirectory + page.page + ".iff").c_str(), {map});
        }
    }
    return status;
}

Status WriteLobbyArt(const std::string& root) {
    Status status = WriteLobbyArtFile((root + "/option/NETOPT1.iff").c_str());
    if (status == kStatusOk) status = WriteLobbyMaps(root + "/cel/");
    return status;
}
