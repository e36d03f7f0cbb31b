#include "tools/mkdata/CareerData.h"

#include <cstring>
#include <string>
#include <vector>

#include "display/Bitmap.h"
#include "display/BitmapCodec.h"
#include "engine/ByteOrder.h"
#include "engine/FileWrappers.h"
#include "engine/IffFile.h"
#include "game/XorChunkStream.h"
#include "tools/mkdata/ChunkBytes.h"
#include "tools/mkdata/OutfitArtData.h"

namespace {

using chunk_bytes::Bytes;
using chunk_bytes::Words16;
using chunk_bytes::Words32;

Bytes WithName(Bytes words, const char* name) {
    words.insert(words.end(), name, name + std::strlen(name) + 1);
    return words;
}

Bytes Text(const std::string& text) { return Bytes(text.c_str(), text.c_str() + text.size() + 1); }

struct Strip {
    uint16_t x, y, size;
    const char* name;
};
struct Bay {
    const char* chunk;
    uint16_t x, y, width, height;
    const char* name;
};
struct Hull {
    const char* id;
    const char* name;
    const char* description;
    int32_t info[7];
    int32_t phys[3];
    std::vector<Strip> strips;
    std::vector<Bay> bays;
    uint16_t nozzleY;
};

// A layout picture at its place on the outfit page: right of the frame's
// column of buttons, under the mount areas drawn over it.
Status WritePicture(IffFile& iff, int16_t x, int16_t y, int32_t width, int32_t height, uint8_t colour) {
    Bitmap picture;
    Status status = picture.Create(uint16_t(width), uint16_t(height), Bitmap::kDepth8Bit, true);
    if (status != kStatusOk) return status;
    picture.x = x;
    picture.y = y;
    for (int32_t y = 0; y < height; ++y) {
        for (int32_t x = 0; x < width; ++x) picture.pixels[y * width + x] = uint8_t(x == 0 || y == 0 ? 215 : colour);
    }
    return BitmapCodec::WriteXcelChunk(&iff, &picture);
}

Status WriteHull(IffFile& iff, const Hull& hull) {
    const auto chunk = [&iff](const char* id, const Bytes& data) {
        uint32_t tag = 0;
        std::memcpy(&tag, id, 4);
        return iff.WriteChunk(tag, data.data(), uint32_t(data.size()));
    };
    Status status = iff.BeginForm(MakeTag("HULL"));
    if (status == kStatusOk) status = chunk("ID  ", Text(hull.id));
    if (status == kStatusOk) status = chunk("NAME", Text(hull.name));
    if (status == kStatusOk) status = chunk("DESC", Text(hull.description));
    const auto& i = hull.info;
    if (status == kStatusOk) status = chunk("INFO", Words32({i[0], i[1], i[2], i[3], i[4], i[5], i[6]}));
    if (status == kStatusOk) status = chunk("PHYS", Words32({hull.phys[0], hull.phys[1], hull.phys[2]}));
    for (const Strip& strip : hull.strips) {
        if (status == kStatusOk) status = chunk("HARD", WithName(Words16({strip.x, strip.y, strip.size}), strip.name));
    }
    for (const Bay& bay : hull.bays) {
        if (status == kStatusOk) status = chunk(bay.chunk, WithName(Words16({bay.x, bay.y, bay.width, bay.height}), bay.name));
    }
    // A nozzle each side of the line that parts left from right.
    if (status == kStatusOk) status = chunk("NOZL", Words16({340, hull.nozzleY}));
    if (status == kStatusOk) status = chunk("NOZL", Words16({410, hull.nozzleY}));
    if (status == kStatusOk) status = WritePicture(iff, 280, 30, 200, 120, 40);
    if (status == kStatusOk) status = WritePicture(iff, 280, 30, 200, 180, 80);
    if (status == kStatusOk) status = iff.Ascend();
    return status;
}

}  // namespace

Status WriteSampleHulls(const char* path) {
    const Hull hulls[] = {
        {"P102", "Lancer", "A light fighter: quick, lightly armoured, two wing guns and a nose rack.",
         {60000, 3, 2, 100, 0, 0, 4}, {12 << 16, 0, 900 << 16},
         {{320, 90, 1, "WING0FLHW"}, {420, 90, 1, "WING0FRHW"}, {370, 50, 2, "FIGHT0000"}},
         {{"ARMR", 300, 40, 2, 2, "FIGHT0000"},
          {"GENL", 360, 40, 3, 2, "SHLD0S00S"},
          {"FLCN", 300, 100, 3, 2, "FIGHT0000"},
          {"GNTR", 380, 100, 2, 2, "ENGN0RR0E"},
          {"ENGI", 300, 160, 2, 2, "ENGN0RR0E"}},
         220},
        {"P303", "Warden", "A heavy escort: slower, with room for more systems and a wider nose strip.",
         {90000, 4, 3, 160, 0, 0, 6}, {18 << 16, 0, 1100 << 16},
         {{320, 90, 1, "WING0FLHW"}, {420, 90, 1, "WING0FRHW"}, {370, 50, 3, "FIGHT0000"}},
         {{"ARMR", 300, 40, 3, 2, "FIGHT0000"},
          {"GENL", 370, 40, 4, 2, "SHLD0S00S"},
          {"FLCN", 300, 100, 3, 2, "FIGHT0000"},
          {"GNTR", 380, 100, 2, 2, "ENGN0RR0E"},
          {"ENGI", 300, 160, 3, 2, "ENGN0RR0E"}},
         220},
        {"P107", "Sparrow", "A scout: cheap and quick, with a gun on each wing and little room for more.",
         {2000, 2, 1, 70, 0, 0, 3}, {9 << 16, 0, 800 << 16},
         {{320, 90, 1, "WING0FLHW"}, {420, 90, 1, "WING0FRHW"}, {370, 50, 2, "FIGHT0000"}},
         {{"ARMR", 300, 40, 2, 2, "FIGHT0000"},
          {"GENL", 360, 40, 3, 2, "SHLD0S00S"},
          {"FLCN", 300, 100, 3, 2, "FIGHT0000"},
          {"GNTR", 380, 100, 2, 2, "ENGN0RR0E"},
          {"ENGI", 300, 160, 2, 2, "ENGN0RR0E"}},
         220},
    };
    IffFile iff(0);
    Status status = iff.OpenFile(path, kOpenWrite | kOpenCreate);
    if (status != kStatusOk) return status;
    for (const Hull& hull : hulls) {
        if (status == kStatusOk) status = WriteHull(iff, hull);
    }
    if (status == kStatusOk) status = WriteOutfitArt(iff);
    const Status closed = iff.CloseFile();
    return status != kStatusOk ? status : closed;
}

Status WriteSampleRoster(const char* path) {
    struct Pilot {
        const char* name;
        const char* resume;
        int32_t missions, accuracy, kills;
    };
    const Pilot pilots[] = {
        {kSamplePilots[0], "Flew convoy escort for six years; steady under fire.", 22, 54, 9},
        {kSamplePilots[1], "A former racer. Fast hands, short temper.", 8, 61, 4},
        {kSamplePilots[2], "Transferred from the reserve. Careful, by the book.", 14, 47, 6},
        {kSamplePilots[3], "Fresh from the academy, top of the gunnery class.", 0, 0, 0},
    };
    // A plain chunk file: the stream without a key.
    XorChunkStream roster;
    Status status = roster.Open(path, kOpenWrite | kOpenCreate);
    if (status != kStatusOk) return status;
    roster.SetKey(0);
    status = roster.BeginForm(MakeTag("WING"));
    for (const Pilot& pilot : pilots) {
        if (status == kStatusOk) status = roster.BeginForm(MakeTag("PILO"));
        if (status == kStatusOk) status = roster.WriteTextChunk(MakeTag("NAME"), pilot.name);
        if (status == kStatusOk) status = roster.WriteTextChunk(MakeTag("RESU"), std::string(pilot.resume));
        if (status == kStatusOk) status = roster.WriteWordChunk(MakeTag("MISS"), pilot.missions);
        if (status == kStatusOk) status = roster.WriteWordChunk(MakeTag("ACCV"), pilot.accuracy);
        if (status == kStatusOk) status = roster.WriteWordChunk(MakeTag("KILS"), pilot.kills);
        if (status == kStatusOk) status = roster.WriteWordChunk(MakeTag("FLYN"), 0);
        if (status == kStatusOk) status = roster.WriteChunk(MakeTag("ACCU"), Words32({0, 0, 0, 0, 0, 0, 0, 0, 0}).data(), 36);
        if (status == kStatusOk) status = roster.Ascend();
    }
    if (status == kStatusOk) status = roster.Ascend();
    const Status closed = roster.CloseFile();
    return status != kStatusOk ? status : closed;
}
