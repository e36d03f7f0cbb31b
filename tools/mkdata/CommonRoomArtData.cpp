#include "tools/mkdata/CommonRoomArtData.h"

#include <memory>

#include "display/Bitmap.h"
#include "engine/IffFile.h"
#include "tools/mkdata/EventMapData.h"
#include "tools/mkdata/MenuArtData.h"
#include "tools/mkdata/RoomArtData.h"

namespace {

using namespace room_paint;

constexpr uint16_t kKeyEscape = 1;
constexpr uint16_t kKeyQ = 16;
constexpr uint16_t kKeyW = 17;
constexpr uint16_t kKeyO = 24;
constexpr uint16_t kKeyF = 33;
constexpr uint16_t kKeyH = 35;
constexpr uint16_t kKeyC = 46;
constexpr uint16_t kKeyTab = 15;

// The trophies by bit, with the bit each shares its place with (-1 none),
// the combined picture of a pair and the colour of the piece.
struct TrophyArt {
    const char* name;
    const char* label;
    int partner;
    const char* combined;
    uint8_t colour;
};
constexpr TrophyArt kTrophies[16] = {
    {"Armor", "ARMOR", -1, nullptr, Cube(3, 3, 3)},
    {"Artifact", "ARTIFACT", -1, nullptr, Cube(4, 1, 4)},
    {"Coin", "COIN", 10, "Rune & Coin", Cube(5, 4, 0)},
    {"Dagger", "DAGGER", 5, "Gun & Dagger", Cube(4, 4, 5)},
    {"Device", "DEVICE", 15, "Device & Silver Ball", Cube(0, 4, 3)},
    {"Gun", "GUN", 3, "Gun & Dagger", Cube(2, 2, 2)},
    {"Mech Arm", "MECH ARM", -1, nullptr, Cube(4, 2, 0)},
    {"Knife", "KNIFE", 13, "Sun & Knife", Cube(3, 4, 5)},
    {"Medal", "MEDAL", -1, nullptr, Cube(5, 3, 0)},
    {"Symbol", "SYMBOL", 11, "Symbol & Shippart", Cube(5, 0, 1)},
    {"Rune", "RUNE", 2, "Rune & Coin", Cube(0, 5, 2)},
    {"Shippart", "PART", 9, "Symbol & Shippart", Cube(1, 3, 5)},
    {"Stock", "STOCK", -1, nullptr, Cube(3, 2, 1)},
    {"Sun", "SUN", 7, "Sun & Knife", Cube(5, 5, 1)},
    {"Timepiece", "TIMEPIECE", -1, nullptr, Cube(2, 5, 5)},
    {"Silver Ball", "BALL", 4, "Device & Silver Ball", Cube(4, 4, 4)},
};
// The eleven places of the display: the six single trophies, then the five
// pairs by their first (lower) bit.
constexpr int kPlaceOf[16] = {0, 1, 6, 7, 8, 7, 2, 9, 3, 10, 6, 10, 4, 9, 5, 8};

// ---------------------------------------------------------------- the room

constexpr Rect kHallDoor{30, 140, 100, 230};
constexpr Rect kCabinet{440, 80, 180, 240};
constexpr Rect kCasePanels{440, 330, 180, 30};
constexpr Rect kComputer{290, 190, 90, 70};
constexpr Rect kGlass{262, 338, 12, 18};
constexpr Rect kDrinker{200, 250, 50, 100};
constexpr Rect kSofa{140, 360, 120, 50};
constexpr Rect kCardPlayer{320, 300, 70, 60};
constexpr Rect kMechanic{400, 280, 30, 100};

// A place of the cabinet's three columns and four rows.
Rect RoomPlace(int place) { return Rect{kCabinet.x + 6 + (place % 3) * 58, kCabinet.y + 6 + (place / 3) * 58, 52, 52}; }

// A piece of the display: a shape of its colour on a small plinth; a pair's
// single piece stands on its own half of the place.
uint8_t Piece(int bit, int column, int row, int width, int height) {
    if (row >= height - 6) return column > 4 && column < width - 5 ? Cube(1, 1, 1) : kClear;
    const int cx = width / 2, cy = (height - 6) / 2;
    const int dx = column - cx, dy = row - cy;
    const int r = (width < height ? width : height) / 2 - 6;
    bool inside = false;
    switch (bit % 4) {
        case 0: inside = dx * dx + dy * dy <= r * r; break;                    // a disc
        case 1: inside = (dx < 0 ? -dx : dx) + (dy < 0 ? -dy : dy) <= r; break;   // a diamond
        case 2: inside = (dx < 0 ? -dx : dx) <= r * 2 / 3 && (dy < 0 ? -dy : dy) <= r; break;   // a block
        default: inside = dy >= -r && (dx < 0 ? -dx : dx) <= (dy + r) / 2; break;   // a spire
    }
    if (!inside) return kClear;
    return (row + column) % 9 == 0 ? Cube(5, 5, 5) : kTrophies[bit].colour;
}

Status WriteTrophyForm(IffFile& iff, const char* name, std::unique_ptr<Bitmap> cel, std::unique_ptr<Bitmap> lit) {
    Status status = iff.BeginForm(MakeTag("TROP"));
    if (status == kStatusOk) status = WriteTextChunk(iff, MakeTag("NAME"), name);
    if (status == kStatusOk) status = WriteXcel(iff, std::move(cel));
    if (lit != nullptr) {
        if (status == kStatusOk) status = iff.BeginForm(MakeTag("HIGH"));
        if (status == kStatusOk) status = WriteXcel(iff, std::move(lit));
        if (status == kStatusOk) status = iff.Ascend();
    }
    if (status == kStatusOk) status = iff.Ascend();
    return status;
}

// A single piece in its half of a pair's place, or alone in its own place.
Rect PieceArea(const Rect& place, int bit, bool half) {
    if (!half) return place;
    const bool left = bit < kTrophies[bit].partner;
    return Rect{left ? place.x : place.x + place.width / 2, place.y, place.width / 2, place.height};
}

std::unique_ptr<Bitmap> PieceCel(const Rect& at, int bit) {
    return Cel(at, [&](int column, int row) { return Piece(bit, column, row, at.width, at.height); });
}

// The combined picture: both pieces of the pair side by side.
std::unique_ptr<Bitmap> PairCel(const Rect& place, int bit) {
    const int partner = kTrophies[bit].partner;
    const int left = bit < partner ? bit : partner, right = bit < partner ? partner : bit;
    const int half = place.width / 2;
    return Cel(place, [&](int column, int row) {
        return column < half ? Piece(left, column, row, half, place.height)
                             : Piece(right, column - half, row, place.width - half, place.height);
    });
}

// The trophies of the room's display, or of the close-up with their names
// and highlights.
Status WriteTrophies(IffFile& iff, Rect (*placeOf)(int place), bool closeUp) {
    Status status = kStatusOk;
    for (int bit = 0; bit < 16 && status == kStatusOk; ++bit) {
        const TrophyArt& trophy = kTrophies[bit];
        const Rect place = placeOf(kPlaceOf[bit]);
        const Rect area = PieceArea(place, bit, trophy.partner >= 0);
        std::unique_ptr<Bitmap> lit;
        if (closeUp) {
            // A ring of light round the piece, with its name under it.
            lit = Cel(area, [&](int column, int row) -> uint8_t {
                const bool ring = column < 3 || row < 3 || column >= area.width - 3 || row >= area.height - 3;
                return ring ? Cube(5, 5, 0) : kClear;
            });
            const std::unique_ptr<Bitmap> label = LabelledBox(area.width - 8, 12, trophy.label, kClear, kClear, Cube(5, 5, 0));
            if (lit != nullptr && label != nullptr) {
                for (int row = 0; row < label->height; ++row) {
                    for (int column = 0; column < label->width; ++column) {
                        const uint8_t pixel = label->pixels[row * label->width + column];
                        if (pixel != kClear) lit->pixels[(area.height - 18 + row) * area.width + 4 + column] = pixel;
                    }
                }
            }
        }
        status = WriteTrophyForm(iff, trophy.name, PieceCel(area, bit), std::move(lit));
    }
    for (int bit = 0; bit < 16 && status == kStatusOk; ++bit) {
        const TrophyArt& trophy = kTrophies[bit];
        if (trophy.partner < bit) continue;
        status = WriteTrophyForm(iff, trophy.combined, PairCel(placeOf(kPlaceOf[bit]), bit), nullptr);
    }
    return status;
}

// A panel of lamps: a slider running, a red throb, a blue ramp.
Status WritePanel(IffFile& iff, uint32_t form, const char* name, const Rect& at, int kind) {
    return WriteAnimation(iff, form, name, at, 6, [&](int frame, int column, int row) -> uint8_t {
        if (row == 0 || column == 0 || row == at.height - 1 || column == at.width - 1) return Cube(1, 1, 1);
        if (kind == 0) return column / 4 == frame % 6 + 1 ? Cube(5, 0, 0) : Cube(1, 0, 0);
        if (kind == 1) return Cube(1 + (frame < 3 ? frame : 5 - frame) * 2 > 5 ? 5 : 1 + (frame < 3 ? frame : 5 - frame) * 2, 0, 0);
        return column * 6 / at.width <= frame ? Cube(0, 1 + column * 4 / at.width, 5) : Cube(0, 0, 1);
    });
}

// A seated or standing figure; the frames move one part of it.
Status WriteHabitue(IffFile& iff, const char* name, const Rect& at, uint8_t body, int move) {
    return WriteAnimation(iff, MakeTag("HABI"), name, at, 8, [&](int frame, int column, int row) -> uint8_t {
        const int cx = at.width / 2;
        const int head = at.width / 5 + 2;
        const int dx = column - cx, dy = row - head;
        if (dx * dx + dy * dy <= head * head) return Cube(4, 3, 2);
        if (row > head * 2 && (dx < 0 ? -dx : dx) < at.width / 3) return body;
        // An arm raised by the frame.
        const int lift = move * (frame < 4 ? frame : 7 - frame) * 3;
        if (column > cx && column < cx + at.width / 3 + 4 && row > head * 2 + 10 - lift && row < head * 2 + 16 - lift) {
            return Cube(4, 3, 2);
        }
        return kClear;
    });
}

Status WriteRoom(IffFile& iff) {
    const Painter paint = RoomPainter(Rgb{70, 50, 40}, Rgb{120, 90, 64}, 340, Rgb{90, 60, 40},
                                      {{{150, 60, 240, 110}, {12, 10, 30}},   // the window
                                       {kHallDoor, {90, 80, 70}},
                                       {{kCabinet.x - 6, kCabinet.y - 6, kCabinet.width + 12, 290}, {60, 36, 20}},
                                       {kCabinet, {24, 20, 30}},
                                       {{270, 260, 130, 12}, {80, 50, 30}},    // the desk
                                       {kComputer, {20, 24, 30}},
                                       {kCasePanels, {40, 20, 20}},
                                       {{240, 330, 60, 40}, {70, 44, 26}},     // the bar table
                                       {kSofa, {100, 30, 40}}});
    Status status = WriteBackground(iff, MakeTag("BKGR"), paint);
    if (status == kStatusOk) {
        status = WriteAnimation(iff, MakeTag("ANIM"), "Stars Drifting", Rect{152, 62, 236, 106}, 4, [](int frame, int column, int row) -> uint8_t {
            return ((column + frame * 3) * 7 + row * 13) % 89 == 0 ? Cube(5, 5, 5) : kClear;
        });
    }
    if (status == kStatusOk) status = WriteHabitue(iff, "Pilot With Drink", kDrinker, Cube(0, 2, 3), 1);
    if (status == kStatusOk) status = WriteHabitue(iff, "Pilot On Cushion", Rect{kSofa.x + 30, kSofa.y - 40, 50, 80}, Cube(3, 0, 1), 0);
    if (status == kStatusOk) status = WriteHabitue(iff, "Card Player", kCardPlayer, Cube(1, 3, 1), 1);
    if (status == kStatusOk) status = WriteHabitue(iff, "Mechanic", kMechanic, Cube(3, 3, 0), 1);
    if (status == kStatusOk) status = WriteTrophies(iff, RoomPlace, false);
    if (status == kStatusOk) status = WriteDoor(iff, "Hall Door", kHallDoor, kDoorFrames, Cube(3, 2, 1), Cube(1, 1, 0));
    const int third = kCasePanels.width / 3;
    if (status == kStatusOk) status = WritePanel(iff, MakeTag("HOTS"), "Panel w/ red slider", Rect{kCasePanels.x, kCasePanels.y, third, kCasePanels.height}, 0);
    if (status == kStatusOk) status = WritePanel(iff, MakeTag("HOTS"), "Throbbing red panel", Rect{kCasePanels.x + third, kCasePanels.y, third, kCasePanels.height}, 1);
    if (status == kStatusOk) status = WritePanel(iff, MakeTag("HOTS"), "Blue ramp panel", Rect{kCasePanels.x + 2 * third, kCasePanels.y, third, kCasePanels.height}, 2);
    if (status == kStatusOk) {
        status = WriteAnimation(iff, MakeTag("HOTS"), "Tiger coming on monitor", kComputer, 6, [](int frame, int column, int row) -> uint8_t {
            if (row < 2 || column < 2 || row >= kComputer.height - 2 || column >= kComputer.width - 2) return Cube(1, 1, 1);
            // Stripes of a tiger fading in.
            const bool stripe = (column + row / 2) % 10 < 3;
            if (row > kComputer.height * (6 - frame) / 6) return stripe ? Cube(0, 0, 0) : Cube(5, 3, 0);
            return Cube(0, 0, 1);
        });
    }
    return status;
}

// ---------------------------------------------------------------- the case

// Below the bottom shelf by a row of buttons, the height the help pop-up
// needs to keep clear of the case.
constexpr Rect kCaseLamp{270, 442, 100, 26};

Rect CasePlace(int place) { return Rect{40 + (place % 4) * 145, 40 + (place / 4) * 130, 130, 116}; }

Status WriteCloseUp(IffFile& iff) {
    Status status = iff.BeginForm(MakeTag("UPCL"));
    if (status == kStatusOk) status = WriteTextChunk(iff, MakeTag("PALT"), "mastermenu");
    if (status == kStatusOk) status = WriteTrophies(iff, CasePlace, true);
    if (status == kStatusOk) status = WritePanel(iff, MakeTag("ANIM"), "Throbbing red panel", kCaseLamp, 1);
    const Painter glass = [](int x, int y) -> Rgb {
        // Dark velvet behind glass, with the shelves under each row.
        for (int row = 0; row < 3; ++row) {
            const int shelf = 40 + row * 130 + 116;
            if (y >= shelf && y < shelf + 8) return Rgb{110, 70, 30};
        }
        const int shine = (x + y) % 160 < 3 ? 30 : 0;
        return Rgb{40 + shine, 12 + shine, 24 + shine};
    };
    if (status == kStatusOk) status = WriteBackground(iff, MakeTag("BKGD"), glass);
    if (status == kStatusOk) status = iff.Ascend();
    return status;
}

EventMapSpec CommonMap() {
    EventMapSpec map;
    map.name = "common";
    map.events.push_back({0, Spot(Rect{kCabinet.x, kCabinet.y, kCabinet.width, kCasePanels.y + kCasePanels.height - kCabinet.y})});
    map.events.push_back({1, Spot(kHallDoor)});
    map.events.push_back({2, Spot(kComputer)});
    map.events.push_back({3, Spot(kGlass)});
    AddFocusWalkKeys(map, 6, 7, 8, 5);
    map.events.push_back({9, Spot(kSofa)});
    map.events.push_back({10, Spot(kDrinker)});
    map.events.push_back({11, KeyTrigger(kKeyEscape)});
    map.events.push_back({12, KeyTrigger(kKeyH)});
    map.events.push_back({13, KeyTrigger(kKeyF)});
    map.events.push_back({14, KeyTrigger(kKeyO)});
    map.events.push_back({15, KeyTrigger(kKeyW)});
    return map;
}

EventMapSpec TrophyMap() {
    EventMapSpec map;
    map.name = "trophy";
    map.events.push_back({0, Spot(kCaseLamp)});
    map.events.push_back({3, KeyTrigger(kKeyEscape)});
    map.events.push_back({3, KeyTrigger(kKeyC)});
    map.events.push_back({4, KeyTrigger(kKeyTab, InputTrigger::kShift + InputTrigger::kNegate)});
    map.events.push_back({5, KeyTrigger(kKeyTab, InputTrigger::kShift)});
    for (int bit = 0; bit < 16; ++bit) {
        const TrophyArt& trophy = kTrophies[bit];
        // A spot's right edge is its last column: one short, so that the two
        // halves of a pair do not share the column where they meet.
        const Rect piece = PieceArea(CasePlace(kPlaceOf[bit]), bit, trophy.partner >= 0);
        map.events.push_back({uint32_t(7 + bit), Spot(Rect{piece.x, piece.y, piece.width - 1, piece.height})});
    }
    map.events.push_back({23, KeyTrigger(kKeyQ)});
    return map;
}

}  // namespace

Status WriteCommonRoomArt(const std::string& root) {
    IffFile iff(0);
    Status status = BeginArt(iff, root + "/option/COMMON1.iff");
    if (status == kStatusOk) status = WriteRoom(iff);
    if (status == kStatusOk) status = WriteCloseUp(iff);
    status = EndArt(iff, status);
    const std::string cel = root + "/cel/";
    if (status == kStatusOk) status = WriteEventMapFile((cel + "COMMON.iff").c_str(), {CommonMap()});
    if (status == kStatusOk) status = WriteEventMapFile((cel + "TROPHY.iff").c_str(), {TrophyMap()});
    return status;
}
