#include "tools/mkdata/DefinitionData.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "display/Bitmap.h"
#include "display/BitmapCodec.h"
#include "display/XfebCodec.h"
#include "engine/ByteOrder.h"
#include "engine/FileWrappers.h"
#include "engine/IffFile.h"
#include "game/DefinitionFormat.h"
#include "tools/mkdata/CareerData.h"
#include "tools/mkdata/ChunkBytes.h"
#include "tools/mkdata/SoundData.h"

namespace fmt = definition_format;

namespace {

using chunk_bytes::Bytes;
using chunk_bytes::Words16;
using chunk_bytes::Words32;

Bytes Field(const char* text, size_t bytes) { return chunk_bytes::FixedText(text, bytes); }

Bytes Text(const std::string& text) { return Bytes(text.c_str(), text.c_str() + text.size() + 1); }

Bytes Join(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& part : parts) out.insert(out.end(), part.begin(), part.end());
    return out;
}

class Writer {
public:
    explicit Writer(const std::string& path) { status_ = iff_.OpenFile(path.c_str(), kOpenWrite | kOpenCreate); }
    Writer& Form(const char* type) {
        if (status_ == kStatusOk) status_ = iff_.BeginForm(Tag(type));
        return *this;
    }
    Writer& End() {
        if (status_ == kStatusOk) status_ = iff_.Ascend();
        return *this;
    }
    Writer& Chunk(const char* id, const Bytes& data) {
        if (status_ == kStatusOk) status_ = iff_.WriteChunk(Tag(id), data.data(), uint32_t(data.size()));
        return *this;
    }
    IffFile& File() { return iff_; }
    Status Close() {
        const Status closed = iff_.CloseFile();
        return status_ != kStatusOk ? status_ : closed;
    }
    void Fail(Status status) {
        if (status_ == kStatusOk) status_ = status;
    }

private:
    static uint32_t Tag(const char* text) {
        return uint32_t(uint8_t(text[0])) | uint32_t(uint8_t(text[1])) << 8 | uint32_t(uint8_t(text[2])) << 16 |
               uint32_t(uint8_t(text[3])) << 24;
    }
    IffFile iff_{0};
    Status status_ = kStatusOk;
};


void WriteSpob(Writer& w, const char* id, const char* model, std::initializer_list<int32_t> info,
               const std::vector<std::pair<const char*, Bytes>>& extra = {},
               const std::function<void(Writer&)>& forms = nullptr) {
    w.Form("SPOB").Chunk("ID  ", Text(id)).Chunk("NAME", Text(id));
    Bytes words;
    for (const int32_t value : info) {
        const Bytes word = Words32({value});
        words.insert(words.end(), word.begin(), word.end());
    }
    w.Chunk("INFO", words).Chunk("MODL", Join({Field("ships.iff", fmt::kFileBytes), Field(model, fmt::kNameBytes)}));
    for (const auto& [chunk, bytes] : extra) w.Chunk(chunk, bytes);
    if (forms) forms(w);
    w.End();
}

// A 16 x 16 picture in a simple pattern, as FORM "XFEB".
void WritePicture(Writer& w, int32_t seed) {
    Bitmap picture;
    if (picture.Create(16, 16, Bitmap::kDepth8Bit, true) != kStatusOk) {
        w.Fail(kStatusOutOfMemory);
        return;
    }
    for (int y = 0; y < 16; ++y) {
        for (int x = 0; x < 16; ++x) picture.pixels[y * 16 + x] = uint8_t((x * 16 + y + seed) & 0xFF);
    }
    XfebCodec codec(&picture);
    const Status written = codec.WriteForm(&w.File(), &picture);
    if (written != kStatusOk) w.Fail(written);
}

// A 64 x 64 cloud: soft blobs in the sample palettes' colour cube, fading
// to black at the edges.
void WriteCloudPicture(Writer& w) {
    Bitmap picture;
    if (picture.Create(64, 64, Bitmap::kDepth8Bit, true) != kStatusOk) {
        w.Fail(kStatusOutOfMemory);
        return;
    }
    for (int y = 0; y < 64; ++y) {
        for (int x = 0; x < 64; ++x) {
            const float dx = (float(x) - 31.5f) / 32.0f, dy = (float(y) - 31.5f) / 32.0f;
            const float swirl = 0.5f + 0.5f * std::sin(float(x) * 0.31f + std::sin(float(y) * 0.23f) * 2.0f);
            const float fade = std::max(0.0f, 1.0f - (dx * dx + dy * dy));
            const int level = std::min(5, int(fade * (2.0f + 4.0f * swirl)));
            // Blue to violet as the cloud thickens.
            picture.pixels[y * 64 + x] = uint8_t((level / 2) * 36 + (level / 3) * 6 + level);
        }
    }
    XfebCodec codec(&picture);
    const Status written = codec.WriteForm(&w.File(), &picture);
    if (written != kStatusOk) w.Fail(written);
}

// A picture of an outfitting screen as FORM "XCEL" at (0, 0): a frame
// around a fill, in a colour of the seed.
void WriteCel(Writer& w, int32_t width, int32_t height, int32_t seed) {
    Bitmap picture;
    if (picture.Create(uint16_t(width), uint16_t(height), Bitmap::kDepth8Bit, true) != kStatusOk) {
        w.Fail(kStatusOutOfMemory);
        return;
    }
    for (int32_t y = 0; y < height; ++y) {
        for (int32_t x = 0; x < width; ++x) {
            const bool edge = x == 0 || y == 0 || x == width - 1 || y == height - 1;
            picture.pixels[y * width + x] = uint8_t(edge ? 215 : 16 + (seed * 37) % 200);
        }
    }
    const Status written = BitmapCodec::WriteXcelChunk(&w.File(), &picture);
    if (written != kStatusOk) w.Fail(written);
}

// Equipment's mount "HARD": a system's width, height and mount class; a
// weapon's class s (s + 1 strip cells).
Bytes SystemMount(int16_t width, int16_t height, int16_t mountClass) { return Words16({width, height, mountClass}); }
Bytes WeaponMount(int16_t mountClass) { return Words16({mountClass}); }

void WriteEqob(Writer& w, const char* id, int32_t type, int32_t maxDamage, int32_t powerDraw,
               const std::vector<const char*>& sounds, const std::vector<std::pair<const char*, Bytes>>& kind,
               const Bytes& mount) {
    w.Form("EQOB").Chunk("ID  ", Text(id)).Chunk("NAME", Text(id));
    w.Chunk("DESC", Text(std::string(id) + ": standard issue of the fleet yards."));
    w.Chunk("INFO", Words32({type, 1000 + type * 100, 2, maxDamage, 0, powerDraw}));
    w.Chunk("HARD", mount);
    if (!sounds.empty()) {
        Bytes names;
        for (const char* sound : sounds) {
            const Bytes name = Field(sound, 16);
            names.insert(names.end(), name.begin(), name.end());
        }
        w.Chunk("SNDI", names);
    }
    for (const auto& [chunk, bytes] : kind) w.Chunk(chunk, bytes);
    // The list picture, then the layout picture that covers the item's cells.
    WriteCel(w, 48, 24, type);
    const bool weapon = type >= 19;
    const int32_t across = weapon ? int32_t(LoadLe16(mount.data())) + 1 : int32_t(LoadLe16(mount.data()));
    const int32_t down = weapon ? 1 : int32_t(LoadLe16(mount.data() + 2));
    WriteCel(w, weapon ? 10 * across - 1 : 22 * across - 1, weapon ? 43 : 22 * down - 1, type + 1);
    w.End();
}

struct Item {
    const char* id;
    const char* part;
    int32_t count = 0;   // an object launcher's load
};

Bytes Equipment(const std::vector<Item>& items) {
    Bytes out;
    for (const Item& item : items) {
        const Bytes record = Join({Field(item.id, 16), Field(item.part, 16), Words32({item.count})});
        out.insert(out.end(), record.begin(), record.end());
    }
    return out;
}

Status WriteTemp(const std::string& path) {
    Writer w(path);
    w.Form("OBJS").Form("SPOB");
    // The sectors' own fighter, which `--random` flies. Its fuel (INFO word
    // 1) lasts some four minutes at the full power of its generator, which
    // burns a tenth of a unit for each unit it allocates: time for a random
    // mission's fight and the flight home. With 1000 its generator fell to
    // reserve power, every allocation 0, in a minute and a half of flight.
    WriteSpob(w, "P101", "FIGHT0000", {10, 3000, 400, 1, 14, 100, 60, 30, 40, 400},
              {{"EXPL", Join({Field("Explosion 1", 16), Field("Sparks", 16)})},
               {"DEBR", Join({Field("Debris", 16)})},
               {"BITS", Words32({5})},
               {"EQPT", Equipment({{"Generator 1", "ENGN0RR0E"},
                                   {"Shields 1", "SHLD0S00S"},
                                   {"Armor 2", "FIGHT0000"},
                                   {"Armor 13", "WING0FLHW"},
                                   {"Hardening 1", "FIGHT0000"},
                                   {"ECM 1", "FIGHT0000"},
                                   {"Cloak 1", "FIGHT0000"},
                                   {"Jammer 1", "FIGHT0000"},
                                   {"Repair 1", "FIGHT0000"},
                                   {"Decoy 1", "WING0FRHW"},
                                   {"Radar 1", "FIGHT0000"},
                                   {"Targeting 1", "FIGHT0000"},
                                   {"Flight 1", "FIGHT0000"},
                                   {"Engine 1", "ENGN0RR0E"},
                                   {"Sensor 1", "WING0FLHW"},
                                   {"Laser Cannon", "WING0FLHW"},
                                   {"Ion Beam 1", "FIGHT0000"},
                                   // Two launchers of one label: the second takes over when the first is empty.
                                   {"Missile Rack 1", "WING0FLHW"},
                                   {"Missile Rack 1", "WING0FRHW"},
                                   {"Mine Layer 1", "FIGHT0000", 3}})}},
              [](Writer& decal) {
                  // Logo 4 paints the material "Paint".
                  decal.Form("DECL").Chunk("LOGO", Words32({4})).Chunk("MATL", Field("Paint", 16));
                  WritePicture(decal, 4);
                  decal.End();
              });
    // The career's hulls: flyable fighters whose equipment fills their
    // layouts in "outfit1.iff"; the list and layout pictures follow.
    for (const char* hull : {"P102", "P303", "P107"}) {
        WriteSpob(w, hull, "FIGHT0000", {12, 1200, 400, 1, 14, 110, 60, 30, 40, 450},
                  {{"EXPL", Join({Field("Explosion 1", 16)})},
                   {"DEBR", Join({Field("Debris", 16)})},
                   {"EQPT", Equipment({{"Generator 1", "ENGN0RR0E"},
                                       {"Shields 1", "SHLD0S00S"},
                                       {"Radar 1", "FIGHT0000"},
                                       {"Targeting 1", "FIGHT0000"},
                                       {"Flight 1", "FIGHT0000"},
                                       {"Engine 1", "ENGN0RR0E"},
                                       {"Laser Cannon", "WING0FLHW"},
                                       {"Laser Cannon", "WING0FRHW"},
                                       {"Missile Rack 1", "FIGHT0000", 4}})}},
                  [hull](Writer& pictures) {
                      WriteCel(pictures, 64, 32, hull[1]);
                      WriteCel(pictures, 96, 64, hull[2]);
                  });
    }
    // The pilot's pod of an ejection: a generator, sensors, controls and an
    // engine, nothing to fight with.
    WriteSpob(w, "PILT", "MISSL0000", {2, 200, 200, 1, 14, 80, 60, 30, 30, 60},
              {{"EXPL", Join({Field("Explosion 1", 16)})},
               {"EQPT", Equipment({{"Generator 1", "MISSL0000"},
                                   {"Radar 1", "MISSL0000"},
                                   {"Targeting 1", "MISSL0000"},
                                   {"Flight 1", "MISSL0000"},
                                   {"Engine 1", "MISSL0000"}})}});
    const std::vector<Item> raider = {{"Generator 1", "RENG0RR0E"}, {"Shields 1", "RSHL0S00S"},
                                      {"Armor 2", "2305RAIDR"},     {"Radar 1", "2305RAIDR"},
                                      {"Targeting 1", "2305RAIDR"}, {"Flight 1", "2305RAIDR"},
                                      {"Engine 1", "RENG0RR0E"},    {"Raider Gun", "RWNG0FLHW"}};
    WriteSpob(w, "Raider", "2305RAIDR", {10, 1000, 400, 1, 14, 120, 70, 40, 50, 300},
              {{"EXPL", Join({Field("Explosion 1", 16)})},
               {"DEBR", Join({Field("Debris", 16)})},
               {"EQPT", Equipment(raider)}});
    // The first fight's raider, the "Skiff": the raider's systems with a
    // gun of short reach, so that a new pilot who flies at it firing has
    // the first shots, on a hull a third stronger (400 to the raider's
    // 300): one wingman's laser takes long enough to burn through it that
    // the other skiff reaches a pilot who sits idle and shoots him down.
    std::vector<Item> skiff = raider;
    skiff.back() = {"Skiff Gun", "RWNG0FLHW"};
    WriteSpob(w, "Skiff", "2305RAIDR", {10, 1000, 400, 1, 14, 120, 70, 40, 50, 400},
              {{"EXPL", Join({Field("Explosion 1", 16)})},
               {"DEBR", Join({Field("Debris", 16)})},
               {"EQPT", Equipment(skiff)}});
    // The network fight's raider: a gun, a beam, missiles and flak.
    std::vector<Item> marauder = raider;
    marauder.insert(marauder.end(), {{"Ion Beam 1", "RCKP0F00C"}, {"Flak Cannon", "2305RAIDR"},
                                     {"Missile Rack 1", "RWNG0FRHW"}});
    WriteSpob(w, "Marauder", "2305RAIDR", {10, 1000, 400, 1, 14, 120, 70, 40, 50, 300},
              {{"EXPL", Join({Field("Explosion 1", 16)})},
               {"DEBR", Join({Field("Debris", 16)})},
               {"EQPT", Equipment(marauder)}});
    // A practice target: a fighter's hull that neither flies, turns nor
    // fights, and breaks at the first hit.
    WriteSpob(w, "Drone", "FIGHT0000", {10, 0, 400, 1, 14, 0, 0, 0, 0, 1},
              {{"EXPL", Join({Field("Explosion 1", 16)})}, {"EQPT", Equipment({{"Generator 1", "FIGHT0000"}})}});
    // The capital ship fights with its two deck turrets: each yaws about its
    // up axis (TURR code 2), its barrel points along its own forward axis
    // (code 3) and tilts up to 60 degrees above the deck, both joints at 30
    // degrees a second; a gun sits on each barrel. Below the deck neither
    // turret bears.
    // Its hull (1800 points) is tuned against the fighters that fly the
    // random missions: a laser takes some 5 points off it a round fired and
    // a missile some 25, so a pilot who holds off at the lasers' reach,
    // outside the turrets', burns it down in some 300 to 500 rounds: within
    // a load of the career's Lancer (two lasers of 500) and of the sectors'
    // P101 (one of 500, and four missiles); at 20000 no load could.
    WriteSpob(w, "Capital", "CAPIT0000", {5000, 5000, 3000, 2, 14, 20, 5, 5, 5, 1800},
              {{"TURR", Join({Field("TURR0FLHL", 16), Words32({60, 30, 2, 3}), Field("TURR0RRHL", 16), Words32({60, 30, 2, 3})})},
               {"EQPT", Equipment({{"Generator 1", "CAPIT0000"},
                                   {"Shields 1", "CAPIT0000"},
                                   {"Radar 1", "CAPIT0000"},
                                   {"Targeting 1", "CAPIT0000"},
                                   {"Turret Gun", "BARL0FLHG"},
                                   {"Turret Gun", "BARL0RRHG"}})}});
    // The convoy a pilot guards on the random missions: a freighter on the
    // carrier's smaller hull, shielded and unarmed, holding station at the
    // mouth of the lane until it is clear, so that only its escort stands
    // between it and a raider. A raider left alone with it brings it down
    // well inside the minute it must last (its shields go at the first burst,
    // and its hull of 2000 in some 20 to 45 s); a heavier hull would outlast
    // a raider nobody fights. Holding still, it never runs a raider down.
    WriteSpob(w, "Freighter", "CARRI0000", {2000, 3000, 2000, 2, 14, 0, 0, 0, 0, 2000},
              {{"EXPL", Join({Field("Explosion 1", 16)})},
               {"EQPT", Equipment({{"Generator 1", "CARRI0000"},
                                   {"Shields 1", "CARRI0000"},
                                   {"Radar 1", "CARRI0000"},
                                   {"Targeting 1", "CARRI0000"}})}});
    WriteSpob(w, "Asteroid", "ROCK00000", {200, 0, 2000, 3, 7, 20, 20, 0, 0, 300});
    WriteSpob(w, "Mine", "MINE00000", {5, 0, 800, 4, 8, 0, 0, 0, 0, 50});
    WriteSpob(w, "Missile 29", "MISSL0000", {2, 0, 800, 5, 12, 300, 90, 300, 90, 20},
              {{"WEAP", Words32({8000, 90})}});
    WriteSpob(w, "Carrier", "CARRI0000", {800, 2000, 2000, 2, 14, 40, 10, 10, 10, 4000},
              {{"SPWN", Join({Words32({2, 3000, 50, 0}), Field("Missile 29", 16)})}});
    // A missile that splits into three after 1.5 s; and the decoy the launcher drops.
    WriteSpob(w, "Cluster", "MISSL0000", {4, 0, 800, 5, 12, 250, 90, 400, 90, 20},
              {{"WEAP", Words32({6000, 60})}, {"SPWN", Join({Words32({3, 1500, 2000, 0}), Field("Missile 29", 16)})}});
    WriteSpob(w, "Decoy", "MISSL0000", {2, 0, 800, 5, 11, 150, 60, 120, 60, 10});
    // A nebula of the backdrop: 4 to 6 spine points turning up to 30 degrees,
    // segments of 200 to 400, a 10 % margin, sides of 60 to 150.
    WriteSpob(w, "Nebula 1", "ROCK00000", {1, 0, 100000, 0, 0, 0, 0, 0, 0, 1}, {}, [](Writer& nebula) {
        float scale = 1.0f, height = 0.0f;
        int32_t scaleWord, heightWord;
        std::memcpy(&scaleWord, &scale, 4);
        std::memcpy(&heightWord, &height, 4);
        nebula.Form("NEBU").Chunk("INFO", Words32({4, 6, 30, 200, 400, 10, 60, 150, 120, 200, 0x9060C0, scaleWord, heightWord}));
        nebula.Chunk("PALT", Text("nebula"));
        WriteCloudPicture(nebula);
        nebula.End();
    });
    // The skirmish's backdrop: a broad cloud of long segments and wide sides,
    // thick enough to show against the stars.
    WriteSpob(w, "Nebula 2", "ROCK00000", {1, 0, 100000, 0, 0, 0, 0, 0, 0, 1}, {}, [](Writer& nebula) {
        float scale = 1.0f, height = 0.0f;
        int32_t scaleWord, heightWord;
        std::memcpy(&scaleWord, &scale, 4);
        std::memcpy(&heightWord, &height, 4);
        nebula.Form("NEBU").Chunk("INFO", Words32({5, 7, 40, 600, 900, 10, 400, 700, 200, 250, 0xC070B0, scaleWord, heightWord}));
        nebula.Chunk("PALT", Text("nebula"));
        WriteCloudPicture(nebula);
        nebula.End();
    });
    // The station random missions start players near: class 33.
    WriteSpob(w, "Station", "CAPIT0000", {100000, 0, 6000, 33, 7, 0, 0, 0, 0, 50000});
    WriteSpob(w, "Gate", "GATE00000", {100000, 0, 6000, 6, 10, 0, 0, 0, 0, 100000});
    WriteSpob(w, "Debris", "DEBRI0000", {1, 0, 500, 7, 9, 30, 30, 0, 0, 10});
    WriteSpob(w, "Nav Buoy", "BUOY00000", {5, 0, 1000, 8, 5, 10, 25, 0, 0, 20});
    WriteSpob(w, "Way Point", "BUOY00000", {1, 0, 1000, 8, 4, 0, 0, 0, 0, 1});
    // What the map test mission places: rocks, a base and a depot the maps
    // know by their models' names, and gates of each class word.
    const char* const rocks[][2] = {{"Rock 1", "ROCK-01"}, {"Rock 2", "ROCK-02"}, {"Rock 3", "ROCK-03"},
                                    {"Rock 4", "ROCK-04"}, {"Rock 5", "ROCK-05"}};
    for (const auto& rock : rocks) WriteSpob(w, rock[0], rock[1], {200, 0, 2000, 3, 7, 20, 20, 0, 0, 300});
    for (const auto& base : {std::pair{"Outpost", "BASE-CCCH9"}, std::pair{"Depot", "MULT-CCHH4"}}) {
        WriteSpob(w, base.first, base.second, {5000, 5000, 3000, 2, 14, 0, 0, 0, 0, 20000},
                  {{"EQPT", Equipment({{"Generator 1", base.second}})}});
    }
    const char* const gates[] = {"Gate 50", "Gate 51", "Gate 52", "Gate 53"};
    for (int32_t i = 0; i < 4; ++i) WriteSpob(w, gates[i], "GATE00000", {100000, 0, 6000, 50 + i, 10, 0, 0, 0, 0, 100000});
    WriteSpob(w, "Autoturret", "TURRT0000", {50, 1000, 800, 9, 14, 0, 0, 0, 20, 300},
              {{"EQPT", Equipment({{"Generator 1", "TURRT0000"}})}});
    w.End();
    w.Form("EQOB");
    WriteEqob(w, "Generator 1", 1, 100, 10, {"Power Up", "Power Down"}, {{"ENRG", Words16({120, 12, 20})}}, SystemMount(2, 2, 1));
    WriteEqob(w, "Shields 1", 2, 100, 40, {"Shield Hit", "Shield Drain"}, {{"SHLD", Words16({80, 40, 30, 10})}}, SystemMount(2, 1, 0));
    WriteEqob(w, "Armor 2", 3, 40, 0, {"Armor Hit"}, {}, SystemMount(1, 2, 3));
    WriteEqob(w, "Armor 13", 3, 60, 0, {"Armor Hit"}, {}, SystemMount(1, 2, 3));
    WriteEqob(w, "Hardening 1", 9, -1, 5, {}, {{"HARD", Words16({25, 50})}}, SystemMount(1, 1, 0));
    // ECM: chances against homing modes 2 and 3 (per cent), range.
    WriteEqob(w, "ECM 1", 10, 50, 15, {"ECM On", "ECM Off", "Missile Alert"}, {{"ECM ", Words16({40, 30, 1000})}}, SystemMount(1, 1, 0));
    // CLOK: EMP surge, stealth level, a kept word, emission per cent, reserved power.
    WriteEqob(w, "Cloak 1", 11, 50, 30, {"Cloak On", "Cloak Off"}, {{"CLOK", Words16({20, 80, 0, 25, 5})}}, SystemMount(2, 1, 0));
    WriteEqob(w, "Jammer 1", 12, 50, 20, {"Jammer On"}, {{"JAMM", Words16({2000, 60})}}, SystemMount(1, 1, 0));
    WriteEqob(w, "Repair 1", 13, -1, 10, {"Repair"}, {{"REPR", Words16({500, 10})}}, SystemMount(1, 1, 0));
    WriteEqob(w, "Decoy 1", 15, 40, 5, {"Decoy Launch"}, {{"LINK", Field("Decoy", 16)}, {"DECY", Words16({30, 50, 10000})}}, SystemMount(1, 1, 0));
    WriteEqob(w, "Radar 1", 4, 80, 10, {"Radar Range", "Radar Active", "Radar Passive"},
              {{"RADR", Words16({2000, 8000, 1, 95, 40, 90, 20})}}, SystemMount(2, 1, 2));
    // TARG: gain, loss, range, then a 10-degree cone in 16.16 at bytes 6 to 9.
    WriteEqob(w, "Targeting 1", 5, 60, 10, {"Target Select", "Lock Tone A", "Lock Tone B"},
              {{"TARG", Join({Words16({50, 30, 6000}), Words32({10 << 16})})}}, SystemMount(1, 1, 2));
    WriteEqob(w, "Flight 1", 6, 50, 5, {}, {{"FLGT", Words16({50, 100, 150, 50, 80, 100, 10})}, {"CTRL", Text("ctrl.iff")}}, SystemMount(1, 1, 2));
    WriteEqob(w, "Engine 1", 7, 100, 30, {"Engine", "Boost"}, {{"ENGI", Words16({10, 100, 20, 60, 50})}}, SystemMount(2, 2, 4));
    // WEAP: energy per shot, refire delay (a gun's rate), ammunition, damage words 1, 2, 4, 5, 3,
    // lifetime or range, lock class, EMP charge.
    // The laser: ten shots a second; a second of fire drains 300 of shields
    // and does hull damage of 150 (a gun's damage is per second of fire,
    // not per shot): enough that a P101's one laser brings a raider down in
    // a head-on pass more often than not, and the capital ship within its
    // load of 500 rounds.
    WriteEqob(w, "Laser Cannon", 21, 60, 8, {"Laser"},
              {{"WEAP", Words16({2, 10, 500, 300, 200, 0, 0, 150, 1500, 1, 0})}, {"EXPL", Field("Hit Spark", 16)}}, WeaponMount(1));
    // The raider's gun: one energy a shot, 40 shots a second; a second of fire
    // drains 300 of shields and does hull damage of 400 and 200 (WEAP words 3,
    // 7 and 6).
    WriteEqob(w, "Raider Gun", 21, 60, 8, {"Laser"},
              {{"WEAP", Words16({1, 40, 4000, 300, 20, 0, 200, 400, 1200, 1, 0})}, {"EXPL", Field("Hit Spark", 16)}}, WeaponMount(1));
    WriteEqob(w, "Ion Beam 1", 20, 60, 20, {"Beam"},
              {{"WEAP", Words16({30, 0, 0, 40, 30, 0, 0, 20, 2000, 0, 5})}, {"BEAM", Field("Ion Beam", 16)}}, WeaponMount(2));
    // Flak: a shell every 0.6 s that lives 4 s and bursts into bits (fx.iff).
    WriteEqob(w, "Flak Cannon", 23, 60, 12, {"Laser"},
              {{"WEAP", Words16({6, 600, 200, 60, 40, 0, 0, 30, 4000, 0, 0})}, {"PROJ", Field("Flak Shell", 16)}}, WeaponMount(1));
    WriteEqob(w, "Missile Rack 1", 22, 40, 0, {"Missile Launch"},
              {{"WEAP", Words16({0, 1000, 2, 200, 150, 0, 0, 100, 20, 2, 0})}, {"LINK", Field("Missile 29", 16)}}, WeaponMount(1));
    WriteEqob(w, "Mine Layer 1", 24, 40, 0, {"Mine Drop"},
              {{"WEAP", Words16({0, 2000, 0, 300, 200, 0, 0, 150, 0, 0, 0})}, {"LINK", Field("Mine", 16)}}, WeaponMount(0));
    // The skiff's gun: the raider's, reaching 800, well short of the laser.
    // The requisition lists the weapons in this order: the skiff's comes
    // last, so that the rows a career has bought by stay where they were.
    WriteEqob(w, "Skiff Gun", 21, 60, 8, {"Laser"},
              {{"WEAP", Words16({1, 40, 4000, 300, 20, 0, 200, 400, 800, 1, 0})}, {"EXPL", Field("Hit Spark", 16)}}, WeaponMount(1));
    WriteEqob(w, "Sensor 1", 14, 30, 5, {"Probe Launch"}, {{"LINK", Field("Missile 29", 16)}, {"SENS", Words16({0, 12000, 0, 80, 0, 20000})}}, SystemMount(1, 1, 0));
    // Last, so that the shop's rows before it stay as they were: the
    // capital ship's turret gun, tuned against the career's first
    // fighter: its reach (1000) is short of the Lancer's lasers (1500), and a
    // Lancer caught by both turrets lasts some 25 s (a second of fire drains
    // 150 of shields and does hull damage of 25); WEAP words as the laser's.
    // Its shells pierce armour (10 a second): armour stops hull damage while
    // the facing hit holds, and a second layer behind the first is worn only
    // by piercing damage, so without it a P101, which wears two layers,
    // would sit under the turrets unharmed for ever. The piercing wears a
    // facing of both its layers through in some 2.5 s of one gun's fire.
    WriteEqob(w, "Turret Gun", 21, 100, 6, {"Laser"},
              {{"WEAP", Words16({1, 8, 30000, 150, 20, 10, 0, 25, 1000, 1, 0})}, {"EXPL", Field("Hit Spark", 16)}}, WeaponMount(1));
    w.End().End();
    return w.Close();
}

Status WriteLoad(const std::string& path) {
    Writer w(path);
    w.Form("LOAD").Form("TSAT").Chunk("ID  ", Text("Autoturret")).Chunk("SPOB", Text("Autoturret")).End().End();
    return w.Close();
}

Status WriteFaces(const std::string& path) {
    Writer w(path);
    w.Form("FACS");
    for (int32_t i = 0; i < 180; ++i) {
        // Faces 1 to 4 are the roster's pilots', under their names.
        char number[32];
        std::snprintf(number, sizeof number, "Face %03d", i);
        const char* const name = i >= 1 && i <= kSamplePilotCount ? kSamplePilots[i - 1] : number;
        Bytes palette(768, 0);
        for (int c = 0; c < 256; ++c) {
            palette[3 * c] = uint8_t(c);
            palette[3 * c + 1] = uint8_t((c * (i + 3)) & 0xFF);
            palette[3 * c + 2] = uint8_t(255 - c);
        }
        w.Form("FACE").Chunk("ID  ", Text(name)).Chunk("PALT", palette);
        WritePicture(w, i);
        w.End();
    }
    w.End();
    return w.Close();
}

Status WriteComm(const std::string& path) {
    struct Line {
        const char* text;
        int32_t when, race, gender;
        const char* keyword;
        const char* sample;
    };
    const Line lines[] = {
        {"Bandits, bandits!", 1, 0, 0, "ENEMY", "BM01"},
        {"Form on me.", 2, 0, 1, "FORM", "BF02"},
        {"I'm hit!", 3, 17, 0, "HIT", "CM03"},
        {"Target destroyed.", 4, 0, 1, "KILL", "CF16"},
    };
    Writer w(path);
    w.Form("COMM");
    for (const Line& line : lines) {
        w.Form("LINE").Chunk("TEXT", Text(line.text));
        w.Chunk("INFO", Words32({4000, line.when, 0, line.race, 0, line.gender, 0, 1, 10, -1, 1}));
        w.Chunk("KEYW", Text(line.keyword)).Chunk("SMPL", Text(line.sample)).End();
    }
    w.End();
    return w.Close();
}

// "ai.iff": pilot traits for ship number 5 and modifiers for race 3 (the
// raider's), with a ship record that matches nothing.
Status WriteAiTraits(const std::string& path) {
    Writer w(path);
    w.Form(" AI ");
    w.Form("SHIP").Chunk("DATA", Words16({5, 70, 40, 60, 55, 45})).End();
    w.Form("RACE").Chunk("DATA", Words16({300, 5, -5, 0, 10, 0})).End();
    w.Form("SHIP").Chunk("DATA", Words16({42, 10, 10, 10, 10, 10})).End();
    w.End();
    return w.Close();
}

// "aidetail.iff": the raider's maneuvers at each skill level.
Status WriteAiDetail(const std::string& path) {
    struct Skill {
        const char* form;
        std::vector<const char*> attack, aggressive, defensive;
    };
    const Skill skills[] = {
        {"LOSY", {"HeadOn"}, {"Swoop"}, {"Break"}},
        {"NORM", {"HeadOn", "Immelmann"}, {"Swoop", "HighYoYo"}, {"Break", "Snake"}},
        {"ACE ", {"HeadOn", "Immelmann", "Scissors"}, {"HighYoYo", "NoseUpLoop"}, {"Break", "BarrelRoll", "SnapRoll", "Dance"}},
    };
    Writer w(path);
    w.Form("KILL").Form("SHIP").Chunk("NAME", Text("RAIDR"));
    for (const Skill& skill : skills) {
        w.Form(skill.form);
        const std::pair<const char*, const std::vector<const char*>*> lists[] = {
            {"ATTK", &skill.attack}, {"AGGR", &skill.aggressive}, {"DEFN", &skill.defensive}};
        for (const auto& [form, names] : lists) {
            w.Form(form);
            for (const char* name : *names) w.Chunk("MANU", Text(name));
            w.End();
        }
        w.End();
    }
    w.End().End();
    return w.Close();
}

// A voice entry of a comm file: its sample name and the words it says,
// which the cockpit shows while it plays.
struct VoiceLine {
    std::string name;
    std::string text;
};

// Voice files in the sound format: a short two-tone call per entry.
Status WriteVoices(const std::string& path, const std::vector<VoiceLine>& lines) {
    std::vector<SoundEntry> voices;
    for (size_t i = 0; i < lines.size(); ++i) {
        SoundEntry entry;
        entry.name = lines[i].name;
        entry.bits = 8;
        entry.text = lines[i].text;
        for (int32_t s = 0; s < 2205; ++s) {
            const float t = float(s) / 22050.0f;
            const float pitch = (s < 1100 ? 300.0f : 360.0f) + 20.0f * float(i % 5);
            entry.pcm.push_back(uint8_t(128 + int(90.0f * std::sin(6.2831853f * pitch * t))));
        }
        voices.push_back(std::move(entry));
    }
    return WriteSoundFile(path.c_str(), voices);
}

// The wingmen's lines, found by level letter, voice letter and number: 01
// attacking, 02 breaking, 03 target down, 15 hurt, 16 a kill, 19 friendly
// fire. The level letters B, C and D say a line three ways; friendly fire
// climbs them as the hits go on, so its lines grow sharper.
std::vector<VoiceLine> WingmanLines() {
    struct Said {
        const char* number;
        const char* byLevel[3];
    };
    static constexpr Said kSaid[] = {
        {"01", {"Engaging the enemy.", "I'm going in!", "Tally ho, attacking."}},
        {"02", {"Breaking off!", "Too hot here, breaking away.", "Pulling out, cover me."}},
        {"03", {"He's down.", "Scratch one bandit.", "Target's gone."}},
        {"15", {"I'm taking hits!", "My hull is breaking up!", "I'm hurt bad, need help!"}},
        {"16", {"Got one!", "Splash one!", "That one won't fly again."}},
        {"19", {"Watch your fire!", "Hey, I'm on your side!", "Cease fire, or I fire back!"}},
    };
    std::vector<VoiceLine> lines;
    for (const Said& said : kSaid) {
        for (int32_t level = 0; level < 3; ++level) {
            for (const char voice : {'F', 'M'}) {
                lines.push_back({std::string{char('B' + level), voice} + said.number, said.byLevel[level]});
            }
        }
    }
    return lines;
}

Status WriteControl(const std::string& path) {
    Writer w(path);
    w.Form("CTRL").Chunk("CURV", Words32({0, 50, 0, 0, 25})).Chunk("CURV", Words32({50, 100, 0, 25, 100})).End();
    return w.Close();
}

}  // namespace

Status WriteSampleDefinitions(const char* dataDirectory) {
    const std::string dir = std::string(dataDirectory) + "/";
    Status status = WriteTemp(dir + definition_format::kFileName);
    if (status == kStatusOk) status = WriteLoad(dir + "load.iff");
    if (status == kStatusOk) status = WriteFaces(dir + "faces.iff");
    if (status == kStatusOk) status = WriteComm(dir + "comm.iff");
    for (int n = 16; n <= 24 && status == kStatusOk; ++n) {
        char file[32];
        std::snprintf(file, sizeof file, "comm%02d.iff", n);
        // The samples of comm.iff's lines say the lines' words.
        status = WriteVoices(dir + file,
                             {{"BM01", "Bandits, bandits!"}, {"BF02", "Form on me."}, {"CM03", "I'm hit!"}});
    }
    if (status == kStatusOk) status = WriteVoices(dir + "commwm.iff", WingmanLines());
    if (status == kStatusOk) status = WriteControl(dir + "ctrl.iff");
    if (status == kStatusOk) status = WriteAiTraits(dir + "ai.iff");
    if (status == kStatusOk) status = WriteAiDetail(dir + "aidetail.iff");
    return status;
}
