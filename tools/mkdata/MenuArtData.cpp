#include "tools/mkdata/MenuArtData.h"

#include <cstring>
#include <memory>
#include <vector>

#include "display/Bitmap.h"
#include "display/BitmapCodec.h"
#include "display/XfebCodec.h"
#include "engine/ByteOrder.h"
#include "engine/FileWrappers.h"
#include "engine/IffFile.h"
#include "tools/mkdata/ArtSprite.h"
#include "tools/mkdata/EventMapData.h"
#include "tools/mkdata/DialogArtData.h"
#include "tools/mkdata/FrameArtData.h"
#include "tools/mkdata/OutfitArtData.h"
#include "tools/mkdata/SquadronArtData.h"
#include "tools/mkdata/RecordsArtData.h"
#include "tools/mkdata/RequisitionArtData.h"
#include "tools/mkdata/ReaderArtData.h"

namespace {

// The art's colours in the sample palettes: the 6 x 6 x 6 cube at 0..215.
constexpr uint8_t Cube(int red, int green, int blue) { return uint8_t(red * 36 + green * 6 + blue); }
constexpr uint8_t kClear = 255;

// Scan codes of the maps' keys.
constexpr uint16_t kKeyEscape = 1;
constexpr uint16_t kKeyTab = 15;
constexpr uint16_t kKeyEnter = 28;
constexpr uint16_t kKeyL = 38;
constexpr uint16_t kKeyN = 49;
constexpr uint16_t kKeyM = 50;
constexpr uint16_t kKeyF1 = 59;
constexpr uint16_t kKeyPageUp = 73;
constexpr uint16_t kKeyPageDown = 81;
constexpr uint16_t kLeftButton = 1;

// A 3 x 5 letter face for the labels, drawn twice as large.
struct Glyph {
    char c;
    const char* rows[5];
};
constexpr Glyph kGlyphs[] = {
    {'A', {"###", "#.#", "###", "#.#", "#.#"}}, {'B', {"##.", "#.#", "##.", "#.#", "##."}},
    {'C', {"###", "#..", "#..", "#..", "###"}}, {'D', {"##.", "#.#", "#.#", "#.#", "##."}},
    {'E', {"###", "#..", "##.", "#..", "###"}}, {'F', {"###", "#..", "##.", "#..", "#.."}},
    {'G', {"###", "#..", "#.#", "#.#", "###"}}, {'H', {"#.#", "#.#", "###", "#.#", "#.#"}},
    {'I', {"###", ".#.", ".#.", ".#.", "###"}}, {'J', {"..#", "..#", "..#", "#.#", "###"}},
    {'K', {"#.#", "#.#", "##.", "#.#", "#.#"}}, {'L', {"#..", "#..", "#..", "#..", "###"}},
    {'M', {"#.#", "###", "###", "#.#", "#.#"}}, {'N', {"##.", "#.#", "#.#", "#.#", "#.#"}},
    {'O', {"###", "#.#", "#.#", "#.#", "###"}}, {'P', {"###", "#.#", "###", "#..", "#.."}},
    {'Q', {"###", "#.#", "#.#", "###", "..#"}}, {'R', {"##.", "#.#", "##.", "#.#", "#.#"}},
    {'S', {"###", "#..", "###", "..#", "###"}}, {'T', {"###", ".#.", ".#.", ".#.", ".#."}},
    {'U', {"#.#", "#.#", "#.#", "#.#", "###"}}, {'V', {"#.#", "#.#", "#.#", "#.#", ".#."}},
    {'W', {"#.#", "#.#", "###", "###", "#.#"}}, {'X', {"#.#", "#.#", ".#.", "#.#", "#.#"}},
    {'Y', {"#.#", "#.#", ".#.", ".#.", ".#."}}, {'Z', {"###", "..#", ".#.", "#..", "###"}},
    {'2', {"##.", "..#", ".#.", "#..", "###"}}, {'3', {"##.", "..#", ".#.", "..#", "##."}},
    {'?', {"##.", "..#", ".#.", "...", ".#."}},
};
constexpr int kGlyphScale = 2;
constexpr int kGlyphAdvance = 4 * kGlyphScale;

const Glyph* FindGlyph(char c) {
    for (const Glyph& glyph : kGlyphs) {
        if (glyph.c == c) return &glyph;
    }
    return nullptr;
}

int TextWidth(const char* text) { return int(std::strlen(text)) * kGlyphAdvance - kGlyphScale; }

// Calls plot(x, y) for every lit pixel of the text at (left, top).
template <typename Plot>
void DrawText(const char* text, int left, int top, Plot plot) {
    for (int i = 0; text[i] != '\0'; ++i) {
        const Glyph* const glyph = FindGlyph(text[i]);
        if (glyph == nullptr) continue;
        for (int row = 0; row < 5; ++row) {
            for (int column = 0; column < 3; ++column) {
                if (glyph->rows[row][column] != '#') continue;
                for (int dy = 0; dy < kGlyphScale; ++dy) {
                    for (int dx = 0; dx < kGlyphScale; ++dx) {
                        plot(left + i * kGlyphAdvance + column * kGlyphScale + dx, top + row * kGlyphScale + dy);
                    }
                }
            }
        }
    }
}

// An 8-bit cel: a framed box with a centred label; `fill` up to `filled`
// columns (the rest clear), for the step frames that slide a button in.
std::unique_ptr<Bitmap> ButtonCel(int x, int y, int width, int height, const char* label, uint8_t fill,
                                  uint8_t edge, uint8_t ink, int filled) {
    auto cel = std::make_unique<Bitmap>();
    if (cel->Create(uint16_t(width), uint16_t(height), Bitmap::kDepth8Bit, true) != kStatusOk) return nullptr;
    for (int row = 0; row < height; ++row) {
        for (int column = 0; column < width; ++column) {
            const bool border = row == 0 || column == 0 || row == height - 1 || column == width - 1;
            uint8_t pixel = border ? edge : fill;
            if (column >= filled) pixel = kClear;
            cel->pixels[row * width + column] = pixel;
        }
    }
    if (label != nullptr) {
        const int left = (width - TextWidth(label)) / 2;
        const int top = (height - 5 * kGlyphScale) / 2;
        DrawText(label, left, top, [&](int px, int py) {
            if (px >= 0 && px < width && py >= 0 && py < height && px < filled) cel->pixels[py * width + px] = ink;
        });
    }
    cel->x = int16_t(x);
    cel->y = int16_t(y);
    return cel;
}

Status WriteCel(IffFile& iff, std::unique_ptr<Bitmap> cel) {
    if (cel == nullptr) return kStatusOutOfMemory;
    return BitmapCodec::WriteXcelChunk(&iff, cel.get());
}

Status WriteText(IffFile& iff, uint32_t tag, const char* text) {
    return iff.WriteChunk(tag, text, uint32_t(std::strlen(text) + 1));
}

struct ButtonSpec {
    const char* name;
    const char* label;
    int x, y, width, height;
    int16_t delay;   // 0: no "DLAY"
    int steps;       // cels of " FU "
};

constexpr int kWide = 170;
constexpr int kHigh = 28;
// The fourteen buttons in event order.
constexpr ButtonSpec kInitButtons[] = {
    {"New Game", "NEW GAME", 40, 110, kWide, kHigh, 6, 3},
    {"Difficulty Easy", "EASY", 250, 110, 140, kHigh, 0, 0},
    {"Difficulty Medium", "MEDIUM", 250, 150, 140, kHigh, 0, 0},
    {"Difficulty Hard", "HARD", 250, 190, 140, kHigh, 0, 0},
    {"Load Game", "LOAD GAME", 40, 150, kWide, kHigh, 6, 3},
    {"Multiplayer Game", "MULTIPLAYER", 40, 190, kWide, kHigh, 6, 3},
    {"Exit", "EXIT", 40, 410, kWide, kHigh, 6, 3},
    {"DIB", "DIB", 430, 110, 170, kHigh, 0, 0},
    {"DDRAW", "DIRECTDRAW", 430, 150, 170, kHigh, 0, 0},
    {"D3D", "DIRECT3D", 430, 190, 170, kHigh, 0, 0},
    {"Texture Filter 2D", "FILTER 2D", 250, 280, 200, kHigh, 0, 0},
    {"Texture Filter 3D", "FILTER 3D", 250, 320, 200, kHigh, 0, 0},
    {"Enhanced Graphics", "ENHANCED", 250, 360, 200, kHigh, 0, 0},
    {"Software Alpha", "SOFT ALPHA", 250, 400, 200, kHigh, 0, 0},
};

constexpr uint8_t kIdleFill = Cube(0, 1, 2);
constexpr uint8_t kIdleEdge = Cube(0, 3, 4);
constexpr uint8_t kIdleInk = Cube(3, 5, 5);
constexpr uint8_t kLitFill = Cube(0, 2, 3);
constexpr uint8_t kLitEdge = Cube(5, 5, 5);
constexpr uint8_t kOnFill = Cube(0, 3, 0);
constexpr uint8_t kOnEdge = Cube(3, 5, 3);
constexpr uint8_t kOnInk = Cube(5, 5, 5);

Status WriteButton(IffFile& iff, const ButtonSpec& spec) {
    Status status = iff.BeginForm(MakeTag("BUTT"));
    if (status == kStatusOk) status = WriteText(iff, MakeTag("NAME"), spec.name);
    if (status == kStatusOk && spec.delay != 0) {
        uint8_t delay[2];
        StoreLe16(delay, uint16_t(spec.delay));
        status = iff.WriteChunk(MakeTag("DLAY"), delay, sizeof delay);
    }
    if (status == kStatusOk && spec.steps > 0) {
        status = iff.BeginForm(MakeTag(" FU "));
        // The loader keeps every third cel: the button's step frames fill in
        // from the left.
        for (int i = 0; i < spec.steps && status == kStatusOk; ++i) {
            const int filled = spec.width * (i + 1) / spec.steps;
            status = WriteCel(iff, ButtonCel(spec.x, spec.y, spec.width, spec.height, spec.label, kIdleFill, kIdleEdge,
                                             kIdleInk, filled));
        }
        if (status == kStatusOk) status = iff.Ascend();
    }
    const struct {
        const char* form;
        uint8_t fill, edge, ink;
    } kinds[] = {{"IDLE", kIdleFill, kIdleEdge, kIdleInk},
                 {"HIGH", kLitFill, kLitEdge, kLitEdge},
                 {"CLIK", kOnFill, kOnEdge, kOnInk}};
    for (const auto& kind : kinds) {
        if (status != kStatusOk) break;
        char tag[5] = {};
        std::memcpy(tag, kind.form, 4);
        status = iff.BeginForm(MakeTag(tag));
        if (status == kStatusOk) {
            status = WriteCel(iff, ButtonCel(spec.x, spec.y, spec.width, spec.height, spec.label, kind.fill, kind.edge,
                                             kind.ink, spec.width));
        }
        if (status == kStatusOk) status = iff.Ascend();
    }
    if (status == kStatusOk) status = iff.Ascend();
    return status;
}

// The 24-bit background of the first screen: a dark blue fall with the
// title and the group captions.
std::unique_ptr<Bitmap> InitialBackground() {
    constexpr int kWidth = 640, kHeight = 480;
    auto picture = std::make_unique<Bitmap>();
    if (picture->Create(kWidth, kHeight, Bitmap::kDepth24Bit, false) != kStatusOk) return nullptr;
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            uint8_t* const pixel = picture->pixels + 3 * (y * kWidth + x);
            pixel[0] = uint8_t(8 + y / 24);
            pixel[1] = uint8_t(12 + y / 12);
            pixel[2] = uint8_t(40 + y / 5);
        }
    }
    const auto text = [&](const char* label, int left, int top, int scale) {
        DrawText(label, left, top, [&](int px, int py) {
            for (int dy = 0; dy < scale; ++dy) {
                for (int dx = 0; dx < scale; ++dx) {
                    const int x = left + (px - left) * scale + dx, y = top + (py - top) * scale + dy;
                    if (x < 0 || x >= kWidth || y < 0 || y >= kHeight) continue;
                    uint8_t* const pixel = picture->pixels + 3 * (y * kWidth + x);
                    pixel[0] = 255;
                    pixel[1] = 200;
                    pixel[2] = 64;
                }
            }
        });
    };
    text("VORN TESSEL", (kWidth - TextWidth("VORN TESSEL") * 3) / 2, 30, 3);
    text("GAME", 40, 90, 1);
    text("DIFFICULTY", 250, 90, 1);
    text("DISPLAY", 430, 90, 1);
    text("GRAPHICS", 250, 260, 1);
    return picture;
}

InputTrigger Spot(const ButtonSpec& spec) { return SpotTrigger(spec.x, spec.y, spec.width, spec.height); }

// The pop-up's four sprite buttons, in one short row under the text: the
// pop-up slides up or down over a screen until the row lies clear of the
// screen's controls, and a short row finds room where a wide one would not.
struct SpriteSpec {
    const char* name;
    const char* label;
    int x, y, width, height;
};
constexpr SpriteSpec kTutorialSprites[] = {
    {"Tutorial Close", "CLOSE", 370, 272, 110, 24},
    {"Tutorial Deactivate", "NO MORE", 130, 272, 110, 24},
    {"Scroll Up", "UP", 260, 272, 40, 24},
    {"Scroll Down", "DN", 310, 272, 40, 24},
};

struct Topic {
    const char* key;
    const char* text;
};
struct Section {
    const char* tag;
    const char* overview;
    std::vector<Topic> topics;
};

}  // namespace

Status WriteInitialOptionsArt(const char* path) {
    IffFile iff(0);
    Status status = iff.OpenFile(path, kOpenWrite | kOpenCreate);
    if (status == kStatusOk) status = iff.BeginForm(MakeTag("OPTI"));
    if (status == kStatusOk) status = WriteText(iff, MakeTag("PALT"), "mastermenu");
    if (status == kStatusOk) status = iff.BeginForm(MakeTag("BKGR"));
    if (status == kStatusOk) {
        const std::unique_ptr<Bitmap> background = InitialBackground();
        XfebCodec codec(background.get());
        status = background != nullptr ? codec.WriteForm(&iff, background.get()) : kStatusOutOfMemory;
    }
    if (status == kStatusOk) status = iff.Ascend();
    for (const ButtonSpec& spec : kInitButtons) {
        if (status == kStatusOk) status = WriteButton(iff, spec);
    }
    if (status == kStatusOk) status = iff.Ascend();
    const Status closed = iff.CloseFile();
    return status != kStatusOk ? status : closed;
}

Status WriteTutorialArt(const char* path) {
    IffFile iff(0);
    Status status = iff.OpenFile(path, kOpenWrite | kOpenCreate);
    if (status == kStatusOk) status = iff.BeginForm(MakeTag("OPTI"));
    for (const SpriteSpec& sprite : kTutorialSprites) {
        if (status == kStatusOk) status = WriteArtSprite(iff, sprite.name, sprite.x, sprite.y);
    }
    if (status == kStatusOk) status = iff.Ascend();
    const Status closed = iff.CloseFile();
    return status != kStatusOk ? status : closed;
}

Status WriteMenuButton(IffFile& iff, const char* name, const char* label, int x, int y, int width, int height) {
    return WriteButton(iff, ButtonSpec{name, label, x, y, width, height, 0, 3});
}

Status WriteMenuArtItem(IffFile& iff, const char* name, int width, int height, const char* label) {
    Status status = iff.BeginForm(MakeTag("ARTW"));
    if (status == kStatusOk) status = WriteText(iff, MakeTag("NAME"), name);
    const struct {
        uint32_t form;
        uint8_t fill, edge, ink;
    } kinds[] = {{MakeTag("IDLE"), kIdleFill, kIdleEdge, kIdleInk},
                 {MakeTag("HIGH"), kLitFill, kLitEdge, kLitEdge},
                 {MakeTag("CLIK"), kOnFill, kOnEdge, kOnInk}};
    for (const auto& kind : kinds) {
        if (status == kStatusOk) status = iff.BeginForm(kind.form);
        // Sprites draw where they are placed: the cels sit at 0, 0.
        if (status == kStatusOk) {
            status = WriteCel(iff, ButtonCel(0, 0, width, height, label, kind.fill, kind.edge, kind.ink, width));
        }
        if (status == kStatusOk) status = iff.Ascend();
    }
    if (status == kStatusOk) status = iff.Ascend();
    return status;
}

Status WriteOptArt(const char* path) {
    IffFile iff(0);
    Status status = iff.OpenFile(path, kOpenWrite | kOpenCreate);
    if (status == kStatusOk) status = iff.BeginForm(MakeTag("OPTI"));
    for (const SpriteSpec& sprite : kTutorialSprites) {
        if (status == kStatusOk) status = WriteMenuArtItem(iff, sprite.name, sprite.width, sprite.height, sprite.label);
    }
    if (status == kStatusOk) status = WriteFrameArtItems(iff);
    if (status == kStatusOk) status = WriteOutfitArtItems(iff);
    if (status == kStatusOk) status = WriteSquadronArtItems(iff);
    if (status == kStatusOk) status = WriteRequisitionArtItems(iff);
    if (status == kStatusOk) status = WriteReaderArtItems(iff);
    if (status == kStatusOk) status = WriteDialogArtItems(iff);
    if (status == kStatusOk) status = WriteRecordsArtItems(iff);
    if (status == kStatusOk) status = iff.Ascend();
    const Status closed = iff.CloseFile();
    return status != kStatusOk ? status : closed;
}

Status WriteTutorTexts(const char* path) {
    const std::vector<Section> sections = {
        {"FRAM",
         "The computer. Its menus lead to the missions, the mail, the news and logs, the squadron and the options.",
         {{"FR_OK", "Leaves the computer."},
          {"FR_SAVE", "Saves or loads a game."},
          {"FR_OPTI", "The game's options."},
          {"FR_CONT", "The controls of flight."},
          {"FR_MISS", "The missions on offer."},
          {"FR_EMAI", "Your mail."},
          {"FR_NEWS", "The news."},
          {"FR_LOGS", "The logs of past flights."},
          {"FR_ENCY", "The encyclopedia."},
          {"FR_KILL", "The kill board."},
          {"FR_REPA", "Repairs to your ships."},
          {"FR_REQU", "Buying and selling equipment."},
          {"FR_OUTF", "Fitting out your ships."},
          {"FR_ASSI", "Assigning pilots to ships."},
          {"FR_PERS", "Hiring and firing pilots."},
          {"FR_VOIC", "The voice messages received."},
          {"FR_ARCH", "The archives."},
          {"FR_COMM", "Communications."},
          {"FR_EQUIP", "The equipment menu."},
          {"FR_SQUAD", "The squadron menu."},
          {"FR_BUTTON2", "A menu of the computer."},
          {"FR_BUTTON4", "A menu of the computer."}}},
        {"REST",
         "Your ship was lost. Fly the mission again, or go on with the campaign.",
         {{"RS_YES", "Flies the mission again."}, {"RS_NO", "Goes on with the campaign."}}},
        {"CONT",
         "The controls. Pick a function, then press the key, button or axis it should answer to.",
         {{"CN_SHIFT", "Shift is the modifier key."},
          {"CN_CTRL", "Ctrl is the modifier key."},
          {"CN_ALT", "Alt is the modifier key."},
          {"CN_MOUSE", "Fly with the mouse."},
          {"CN_JOYSTICK", "Fly with the joystick."}}},
        {"OPTI",
         "The options: graphics, play aids, inertial flight, the volumes and the music.",
         {{"OP_TEXTURES", "Textured surfaces."},
          {"OP_SPACEDUST", "Dust streaming past the ship."},
          {"OP_EXTRALIGHTS", "Extra lights."},
          {"OP_SHADINGLEVEL", "The shading of surfaces."},
          {"OP_ALPHABLEND", "See-through effects."},
          {"OP_INVULNERABILITY", "Your ship takes no damage."},
          {"OP_UNLIMITEDAMMO", "Weapons never run dry."},
          {"OP_UNLIMITEDFUEL", "Fuel never runs out."},
          {"OP_INVISIBILITY", "Enemies do not see you."},
          {"OP_INERTIAL", "Inertial flight on or off."},
          {"OP_TRACKLEFT", "The previous music track."},
          {"OP_TRACKRIGHT", "The next music track."},
          {"OP_RESTART", "Restarts the mission."},
          {"OP_EXITGAME", "Leaves the game."}}},
        {"OUTF",
         "Outfitting. Pick a ship, then drag systems and weapons from the stores onto its bays and hardpoints.",
         {{"OU_SHIPTOGGLE", "The ships: pick the one to fit out."},
          {"OU_WEAPONTOGGLE", "The weapons and the ship's hardpoints."},
          {"OU_EQUIPMENTTOGGLE", "The systems and the ship's bays."}}},
        {"REPA",
         "The repair shop. Pick the stores or a ship, then click a damaged line again to buy ten points of repair.",
         {{"RE_REPAIR_ALL", "Repairs everything listed, if the funds allow."},
          {"RE_STRUCT", "Armour and hulls."},
          {"RE_EQUIP", "Ship systems."},
          {"RE_WEAPON", "Weapons."}}},
        {"PERS",
         "Personnel. Hire wingmen from the pilots available, or let go of those you have.",
         {{"PE_AVAILABLE", "Pilots you can hire."},
          {"PE_CURRENT", "Your wingmen."},
          {"PE_PAST", "Wingmen lost in action."},
          {"PE_HIRE", "Hires the selected pilot."},
          {"PE_FIRE", "Lets the selected wingman go."}}},
        {"ASSI",
         "Assignment. Pick a pilot and a ship, then assign him to it.",
         {{"AS_PILOT_ASSIGN", "Puts the selected pilot into the selected ship."},
          {"AS_PILOT_REMOVE", "Takes the selected pilot off his ship."}}},
        {"REQU",
         "Requisition. Order ships, weapons and systems against the squadron's funds, or sell what it owns; "
         "orders arrive at the next launch.",
         {{"RQ_BUY", "Buy mode: the catalogue."},
          {"RQ_SELL", "Sell mode: what the squadron owns."},
          {"RQ_WEAPON", "The weapons."},
          {"RQ_EQUIP", "The systems."},
          {"RQ_SHIPS", "The ships."},
          {"RQ_BOUGHT", "Places the order and pays for it."}}},
        {"SALV",
         "The salvage bay. Click a piece twice to keep or leave it.",
         {{"SA_ACCEPT", "Keeps the chosen pieces and goes to the hangar."},
          {"SA_ACCEPTREPAIR", "Keeps the chosen pieces and goes to repairs."}}},
        {"MISS",
         "The missions on offer. Pick one, accept it, then launch from the hangar.",
         {{"MI_UNREADMISSION", "The offers not yet taken."},
          {"MI_READMISSION", "The offers of the past."},
          {"MI_ACCEPT", "Accepts the chosen offer and sets its mission up."},
          {"MI_LAUNCH", "To the hangar, to fly the accepted mission."}}},
        {"EMAI",
         "Your mail. Pick a message to read it.",
         {{"EM_UNREADEMAIL", "The mail not yet read."}, {"EM_READEMAIL", "The mail of the past."}}},
        {"NEWS",
         "The news. Pick an item to read it.",
         {{"NE_UNREADNEWS", "The news not yet read."}, {"NE_READNEWS", "The news of the past."}}},
        {"LOGS", "The logs of the campaign. Pick an entry to read it.", {}},
        {"SAVE",
         "Saving and loading. Pick a slot, then save into it or load from it.",
         {{"SV_SAVE", "Saves into the slot."}, {"SV_LOAD", "Loads the slot's game."}, {"SV_NEW", "A new pilot."}}},
        {"OFFI",
         "Your office. Point at a door to walk through it; the computer opens the menus of the squadron.",
         {{"OF_WARROOM", "The door to the war room."},
          {"OF_HALLWAY", "The door to the hallway."},
          {"OF_COMPUTER", "The computer: missions, mail, the squadron and the options."}}},
        {"HALL",
         "The hallway joins the office, the common room and the hangar.",
         {{"HL_OFFICE", "The door to your office."},
          {"HL_COMMON", "The door to the common room."},
          {"HL_HANGAR", "The door to the hangar, where missions start."}}},
        {"WARR",
         "The war room. Its table shows the map of the mission you chose.",
         {{"WA_OFFICE", "The door to your office."},
          {"WA_MAP", "The map of the mission; choose a mission first."},
          {"WA_SHIPINFO", "The computer: missions, mail, the squadron and the options."}}},
        {"COMM",
         "The common room, where the squadron rests. The case on the right holds the trophies you have earned; the "
         "computer shows the kill board.",
         {{"CO_TROPHY", "The trophy case: a closer look at your trophies."},
          {"CO_KILLS", "The kill board: how the squadron's pilots rank."}}},
        {"TROP", "The trophy case. Point at a trophy to light it; Escape goes back to the common room.", {}},
        {"HANG",
         "The hangar. Your ships stand on their pads; the selected one is in front. Launch it to fly the mission.",
         {{"HA_HALLWAY", "The door back to the hallway."},
          {"HA_LAUNCH", "Launches the mission once every ship that flies is complete."}}},
        {"KILL",
         "The kill board ranks the squadron's pilots. Pick a pilot in the list to see his figures; the buttons "
         "sort the board.",
         {{"KI_KILLS", "Ranks the pilots by kills."},
          {"KI_MISSIONS", "Ranks the pilots by missions flown."},
          {"KI_ACCURACY", "Ranks the pilots by accuracy."}}},
        {"ENCY",
         "The encyclopedia. Pick an entry in the list, or search: type words into the box and press Enter.",
         {{"EN_PREVMATCH", "The entry above in the list."},
          {"EN_NEXTMATCH_A", "The entry below in the list."},
          {"EN_SEARCH_A", "Type the words to search for."},
          {"EN_CLEAR_A", "Clears the search and lists every entry."}}},
        {"WARN",
         "The war-room map: the mission's objects and goals before launch. The buttons on the left filter what it "
         "shows; the row below the map moves the view.",
         {{"WN_EXIT", "Back to the war room."},
          {"WN_MISSIONGOALFILTER", "Lists the mission's goals in place of the objects."},
          {"WN_ALTITUDEBARFILTER", "The bars that show how far above or below the map plane an object is."},
          {"WN_CREATENAVPOINT", "Places a way point on the map."},
          {"WN_DELETENAVPOINT", "Deletes a way point."},
          {"WN_ZOOMIN", "Closer."},
          {"WN_ZOOMOUT", "Farther."},
          {"WN_CENTERVIEW", "Centres the view on the selected object."}}},
        {"NAVM",
         "The navigation map: what your radar sees. The object you select becomes your target when you leave.",
         {{"NM_EXIT", "Back to the flight."},
          {"NM_ACTIVE", "Active radar: every ship in range shows."},
          {"NM_PASSIVE", "Passive radar: ships show only by their energy signatures."},
          {"NM_MISSIONGOALFILTER", "Lists the mission's goals in place of the objects."},
          {"NM_ALTITUDEBARFILTER", "The bars that show how far above or below the map plane an object is."},
          {"NM_ZOOMIN", "Closer."},
          {"NM_ZOOMOUT", "Farther."},
          {"NM_CENTERVIEW", "Centres the view on the selected object."}}},
        {"NETO",
         "The front menu: a career of your own, a network game, or out. Network pilots are chosen or made here.",
         {{"SINGLE_B", "Starts a career of your own."},
          {"MULTI_B", "A network game: choose or create your pilot."},
          {"EXIT_B", "Leaves the game."},
          {"SEL_LOAD", "Flies as the pilot chosen in the list."},
          {"SEL_CREATE", "Makes a new pilot."},
          {"SEL_EXIT", "Back to the front menu."},
          {"CRE_NAME_ENTRY", "Type the pilot's name."},
          {"CRE_CALLSIGN_ENTRY", "Type the pilot's callsign."},
          {"CRE_ACCEPT", "Takes the new pilot; a name and a callsign are needed."},
          {"CRE_EXIT", "Back to the pilot list."},
          {"MULTI_CREATE", "Hosts a game of your own."},
          {"MULTI_JOIN", "Joins a game someone hosts."},
          {"MULTI_ABORT", "Back to the front menu."},
          {"IPX", "Connects over IPX."},
          {"TCPIP", "Connects over TCP/IP."},
          {"MODEM", "Connects by modem."},
          {"DIRECT_CONNECT", "Connects over a serial cable."},
          {"CONNECTION_ABORT", "Back to the choice of hosting or joining."},
          {"CHOOSE_GAME_ACCEPT", "Joins the game chosen in the list."},
          {"CHOOSE_GAME_ABORT", "Back to the connections."},
          {"CREATE_COOP", "A cooperative mission against the computer."},
          {"CREATE_DEATH", "A death match between the players."},
          {"CREATE_ABORT", "Back to the connections."},
          {"COOP_SCOUT", "A scouting mission."},
          {"COOP_DESTROY", "A mission to destroy a target."},
          {"COOP_PROTECT", "A mission to protect a ship."},
          {"COOP_CAPTURE", "A mission to capture a ship."},
          {"COOP_TEAMS", "Players fly in teams."},
          {"COOP_OK", "Hosts the mission."},
          {"COOP_CANCEL", "Back to the kinds of game."},
          {"COOP_NEW", "Another mission of the same kind."},
          {"DETH_NORMAL", "Every kill counts."},
          {"DETH_TAG", "Only the player who is IT scores."},
          {"DETH_ASTEROIDS", "Asteroids in the arena."},
          {"DETH_MINES_A", "Mines in the arena."},
          {"DETH_ENEMIES", "Computer enemies in the arena."},
          {"DETH_BASE", "A base in the arena."},
          {"DETH_TEAMS", "Players fly in teams."},
          {"DETH_OK", "Hosts the death match."},
          {"DETH_CANCEL", "Back to the kinds of game."},
          {"JOIN_TEAM", "Joins the team chosen in the list."},
          {"ABORT", "Back to the games."},
          {"CREATE_TEAM", "Makes a new team; there are two at most."},
          {"TEAM_LOGO_LEFT", "The next logo."},
          {"TEAM_LOGO_RIGHT", "The previous logo."},
          {"TEAM_NAME", "Type the team's name."},
          {"TEAM_ACCEPT", "Makes the team."},
          {"TEAM_BACK", "Back to the teams."},
          {"WAIT_CANCEL", "Leaves the waiting room."},
          {"WAIT_START", "Starts the game once every player is ready."}}},
        {"QUIT",
         "Leaving the game, or pausing a flight.",
         {{"QU_YES", "Leaves the game."},
          {"QU_NO", "Stays in the game."},
          {"PA_RESUME", "Back to the flight."},
          {"PA_OPTIONS", "The options, in flight."}}},
    };
    IffFile iff(0);
    Status status = iff.OpenFile(path, kOpenWrite | kOpenCreate);
    if (status == kStatusOk) status = iff.BeginForm(MakeTag("BASE"));
    if (status == kStatusOk) {
        status = WriteText(iff, MakeTag("TEXT"),
                           "Welcome, pilot. These pop-ups explain each screen as you meet it. Close this one to read "
                           "about the screen you are on; No More switches them off for the rest of the game.");
    }
    for (const Section& section : sections) {
        if (status != kStatusOk) break;
        char tag[5] = {};
        std::memcpy(tag, section.tag, 4);
        status = iff.BeginForm(MakeTag(tag));
        if (status == kStatusOk) status = WriteText(iff, MakeTag("TEXT"), section.overview);
        for (const Topic& topic : section.topics) {
            if (status == kStatusOk) status = iff.BeginForm(MakeTag("EVNT"));
            if (status == kStatusOk) status = WriteText(iff, MakeTag("ID  "), topic.key);
            if (status == kStatusOk) status = WriteText(iff, MakeTag("TEXT"), topic.text);
            if (status == kStatusOk) status = iff.Ascend();
        }
        if (status == kStatusOk) status = iff.Ascend();
    }
    if (status == kStatusOk) status = iff.Ascend();
    const Status closed = iff.CloseFile();
    return status != kStatusOk ? status : closed;
}

Status WriteMenuMaps(const std::string& celDirectory) {
    // INIT: the fourteen hot spots in event order, the focus walk (16, 17),
    // activation (18), the keys that press the game buttons, and the quit
    // dialog's (19).
    EventMapSpec init;
    init.name = "init";
    for (uint32_t event = 0; event < sizeof kInitButtons / sizeof kInitButtons[0]; ++event) {
        init.events.push_back({event, Spot(kInitButtons[event])});
    }
    AddFocusWalkKeys(init, 16, 17, 18, -1);
    const struct {
        uint16_t key;
        uint32_t event;
    } presses[] = {{kKeyN, 0}, {kKeyL, 4}, {kKeyM, 5}};
    for (const auto& press : presses) {
        init.events.push_back({press.event, KeyTrigger(press.key)});
        init.events.push_back({18, KeyTrigger(press.key)});
    }
    // Escape asks before the game ends, as it does on every screen.
    init.events.push_back({19, KeyTrigger(kKeyEscape)});
    Status status = WriteEventMapFile((celDirectory + "INIT.iff").c_str(), {init});
    // TUT: "Tutorial Close" is the first hot spot, so Enter answers the
    // pop-up, as Escape does; N answers "No More". Events as the pop-up's
    // codes name them.
    EventMapSpec tutorial;
    tutorial.name = "tut";
    const uint32_t spriteEvents[] = {0, 1, 13, 14};   // close, deactivate, scroll up, scroll down
    for (size_t i = 0; i < sizeof spriteEvents / sizeof spriteEvents[0]; ++i) {
        const SpriteSpec& sprite = kTutorialSprites[i];
        const ButtonSpec spot{sprite.name, sprite.label, sprite.x, sprite.y, sprite.width, sprite.height, 0, 0};
        tutorial.events.push_back({spriteEvents[i], Spot(spot)});
    }
    AddFocusWalkKeys(tutorial, 5, 6, 7, -1);
    tutorial.events.push_back({2, KeyTrigger(kKeyPageUp)});
    tutorial.events.push_back({2, KeyTrigger(kKeyPageDown)});
    tutorial.events.push_back({11, KeyTrigger(kKeyPageUp)});
    tutorial.events.push_back({12, KeyTrigger(kKeyPageDown)});
    tutorial.events.push_back({0, KeyTrigger(kKeyEscape)});
    tutorial.events.push_back({7, KeyTrigger(kKeyEscape)});
    // N answers "No More", wherever the pop-up lies.
    tutorial.events.push_back({1, KeyTrigger(kKeyN)});
    tutorial.events.push_back({7, KeyTrigger(kKeyN)});
    if (status == kStatusOk) status = WriteEventMapFile((celDirectory + "TUT.iff").c_str(), {tutorial});
    // HELP: its one text box has nothing to press; the keys walk and help.
    EventMapSpec help;
    help.name = "help";
    AddFocusWalkKeys(help, 16, 17, 18, 19);
    if (status == kStatusOk) status = WriteEventMapFile((celDirectory + "HELP.iff").c_str(), {help});
    return status;
}

Status WriteMenuArt(const std::string& root) {
    Status status = WriteMenuMaps(root + "/cel/");
    if (status == kStatusOk) status = WriteInitialOptionsArt((root + "/option/initopt1.iff").c_str());
    if (status == kStatusOk) status = WriteTutorialArt((root + "/option/TUT1.iff").c_str());
    if (status == kStatusOk) status = WriteOptArt((root + "/option/optart.iff").c_str());
    if (status == kStatusOk) status = WriteTutorTexts((root + "/data/tutor.iff").c_str());
    if (status == kStatusOk) status = WriteFrameArt(root);
    if (status == kStatusOk) status = WriteOutfitMap(root + "/cel/");
    if (status == kStatusOk) status = WriteReaderArt(root);
    if (status == kStatusOk) status = WriteDialogArt(root);
    return status;
}

std::unique_ptr<Bitmap> LabelledBox(int width, int height, const char* label, uint8_t fill, uint8_t edge, uint8_t ink) {
    return ButtonCel(0, 0, width, height, label, fill, edge, ink, width);
}
