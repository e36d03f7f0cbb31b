// The career's "PLIN" form: written enciphered with plain headers, found by
// the lobby chunk by chunk, and read back only when whole and sane.
#include "game/CareerRecord.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "engine/ByteOrder.h"
#include "engine/FileWrappers.h"
#include "game/XorChunkStream.h"
#include "tests/support/MemoryStream.h"
#include "tests/support/TempDir.h"

namespace {

using Bytes = std::vector<uint8_t>;
constexpr uint32_t kKey = 0x7661732E;  // ".sav"

CareerRecord FullCareer() {
    CareerRecord career(1);
    std::strcpy(career.pilotName, "Maren Holt");
    std::strcpy(career.callsign, "Gannet");
    career.funds = -1234567;
    career.trophies = 0x8001;
    career.kills = 42;
    career.missions = 17;
    career.accuracyValue = 63;
    career.face = 5;
    career.logo = 18;
    career.options.spaceDust = 0;
    career.options.inertialOff = 0;
    career.options.soundVolume = 7;
    career.options.musicVolume = 1;
    return career;
}

void ExpectSameSaved(const CareerRecord& a, const CareerRecord& b) {
    EXPECT_STREQ(a.pilotName, b.pilotName);
    EXPECT_STREQ(a.callsign, b.callsign);
    EXPECT_EQ(a.funds, b.funds);
    EXPECT_EQ(a.trophies, b.trophies);
    EXPECT_EQ(a.kills, b.kills);
    EXPECT_EQ(a.missions, b.missions);
    EXPECT_EQ(a.accuracyValue, b.accuracyValue);
    EXPECT_EQ(a.face, b.face);
    EXPECT_EQ(a.logo, b.logo);
    for (int i = 0; i < CareerOptions::kWords; ++i) EXPECT_EQ(a.options.Word(i), b.options.Word(i)) << i;
}

Bytes Saved(const CareerRecord& career) {
    MemoryStream stream;
    XorChunkStream out(&stream);
    EXPECT_EQ(out.ValidateHeader(), kStatusOk);
    out.SetKey(kKey);
    EXPECT_EQ(career.Save(out), kStatusOk);
    EXPECT_EQ(out.Finish(), kStatusOk);
    return stream.Bytes();
}

Status LoadFrom(const Bytes& bytes, CareerRecord& career) {
    MemoryStream stream(bytes);
    XorChunkStream in(&stream);
    const Status header = in.ValidateHeader();
    if (header != kStatusOk) return header;
    in.SetKey(kKey);
    return career.Load(in);
}

// A "PLIN" form of the given chunks, written through the cipher.
struct Piece {
    const char* id;
    Bytes data;
};
Bytes Plin(const std::vector<Piece>& pieces) {
    MemoryStream stream;
    XorChunkStream out(&stream);
    EXPECT_EQ(out.ValidateHeader(), kStatusOk);
    out.SetKey(kKey);
    EXPECT_EQ(out.BeginForm(MakeTag("PLIN")), kStatusOk);
    for (const Piece& piece : pieces) {
        uint32_t id = 0;
        std::memcpy(&id, piece.id, 4);
        EXPECT_EQ(out.WriteChunk(id, piece.data.data(), uint32_t(piece.data.size())), kStatusOk);
    }
    EXPECT_EQ(out.Finish(), kStatusOk);
    return stream.Bytes();
}
Bytes Word(int32_t value) {
    Bytes bytes(4);
    StoreLe32(bytes.data(), uint32_t(value));
    return bytes;
}
Bytes Text(const std::string& text) { return Bytes(text.c_str(), text.c_str() + text.size() + 1); }

TEST(CareerRecord, EveryFieldRoundTripsWithPlainHeadersAndEncipheredData) {
    const CareerRecord career = FullCareer();
    const Bytes bytes = Saved(career);
    ASSERT_GE(bytes.size(), 31u);
    EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 4), "FORM");
    EXPECT_EQ(LoadBe32(bytes.data() + 4), bytes.size() - 8);
    EXPECT_EQ(std::string(bytes.begin() + 8, bytes.begin() + 16), std::string("PLINNAME", 8));
    EXPECT_EQ(LoadBe32(bytes.data() + 16), 11u);  // "Maren Holt" and its NUL
    // The first word deciphers, the tail beyond the last whole word is plain.
    EXPECT_NE(std::string(bytes.begin() + 20, bytes.begin() + 24), "Mare");
    EXPECT_EQ(bytes[20] ^ 0x2E, 'M');
    EXPECT_EQ(std::string(bytes.begin() + 28, bytes.begin() + 31), std::string("lt\0", 3));

    CareerRecord loaded(1);
    ASSERT_EQ(LoadFrom(bytes, loaded), kStatusOk);
    ExpectSameSaved(loaded, career);
    EXPECT_EQ(loaded.teamIndex, -1);  // not saved
}

TEST(CareerRecord, LobbyFindsSixChunksByRewindAndFindInsideThePlinForm) {
    const CareerRecord career = FullCareer();
    MemoryStream stream(Saved(career));
    XorChunkStream in(&stream);
    ASSERT_EQ(in.ValidateHeader(), kStatusOk);
    in.SetKey(kKey);
    ASSERT_EQ(in.FindForm(MakeTag("PLIN")), kStatusOk);
    ASSERT_EQ(in.Descend(), kStatusOk);
    const std::pair<uint32_t, Bytes> chunks[] = {
        {MakeTag("FACE"), Word(5)},          {MakeTag("MISS"), Word(17)}, {MakeTag("KILL"), Word(42)},
        {MakeTag("LOGO"), Word(18)},         {MakeTag("CALL"), Text("Gannet")},
        {MakeTag("NAME"), Text("Maren Holt")}};
    for (const auto& [id, expected] : chunks) {
        ASSERT_EQ(in.Rewind(0), kStatusOk);
        ASSERT_EQ(in.FindChunk(id), kStatusOk) << id;
        Bytes read(expected.size(), 0xAA);
        ASSERT_EQ(in.ReadChunkData(read.data(), uint32_t(read.size())), kStatusOk);
        EXPECT_EQ(read, expected) << id;
    }
}

TEST(CareerRecord, PilotFileOnDiskIsKeyedFromItsPath) {
    const TempDir dir;
    const std::string path = (dir.Path() / "Korvane.plr").string();
    const CareerRecord career = FullCareer();
    {
        XorChunkStream out;
        ASSERT_EQ(out.Open(path.c_str(), kOpenWrite | kOpenCreate), kStatusOk);
        EXPECT_EQ(out.Key(), 0x726C702Eu);  // ".plr"
        ASSERT_EQ(career.Save(out), kStatusOk);
        ASSERT_EQ(out.Finish(), kStatusOk);
        ASSERT_EQ(out.CloseFile(), kStatusOk);
    }
    XorChunkStream in;
    ASSERT_EQ(in.Open(path.c_str(), kOpenRead), kStatusOk);
    CareerRecord loaded(1);
    ASSERT_EQ(loaded.Load(in), kStatusOk);
    ExpectSameSaved(loaded, career);
}

TEST(CareerRecord, TruncatedAtEveryByteLeavesTheOldRecord) {
    const Bytes bytes = Saved(FullCareer());
    CareerRecord old(0);
    old.kills = 9;
    for (size_t length = 0; length < bytes.size(); ++length) {
        SCOPED_TRACE(length);
        CareerRecord career = old;
        EXPECT_NE(LoadFrom(Bytes(bytes.begin(), bytes.begin() + length), career), kStatusOk);
        ExpectSameSaved(career, old);
    }
}

TEST(CareerRecord, DamagedChunksRefuseTheFileAndUnknownOnesAreSkipped) {
    const std::vector<std::vector<Piece>> damaged = {
        {{"KILL", Word(1)}, {"MONY", Bytes{1, 2, 3}}},             // a number of 3 bytes
        {{"KILL", Word(1)}, {"MISS", Bytes{1, 2, 3, 4, 5}}},       // of 5 bytes
        {{"NAME", Bytes{'a', 'b', 'c'}}},                          // not terminated
        {{"NAME", Text(std::string(64, 'x'))}},                    // 64 characters
        {{"CALL", {}}},                                            // empty text
        {{"LOGO", Word(19)}},
        {{"LOGO", Word(-1)}},
        {{"FACE", Word(-2)}},
        {{"OPTS", Bytes(80, 0)}},
    };
    for (size_t i = 0; i < damaged.size(); ++i) {
        SCOPED_TRACE(i);
        CareerRecord career(0);
        career.funds = 500;
        EXPECT_EQ(LoadFrom(Plin(damaged[i]), career), kStatusCareerBadRecord);
        EXPECT_EQ(career.funds, 500);
        EXPECT_EQ(career.kills, 0);
        EXPECT_STREQ(career.pilotName, "Korvane");
        EXPECT_EQ(career.logo, 0);
    }
    CareerRecord career(0);
    EXPECT_EQ(LoadFrom(Plin({{"SHIP", Bytes(37, 9)}, {"NAME", Text(std::string(63, 'y'))}, {"FACE", Word(-1)},
                             {"KILL", Word(3)}, {"APIL", {}}}),
                       career),
              kStatusOk);
    EXPECT_EQ(std::strlen(career.pilotName), 63u);
    EXPECT_EQ(career.kills, 3);
}

TEST(CareerRecord, AFileWithoutPlinFails) {
    CareerRecord career(0);
    EXPECT_NE(LoadFrom({}, career), kStatusOk);
    MemoryStream stream;
    XorChunkStream out(&stream);
    ASSERT_EQ(out.ValidateHeader(), kStatusOk);
    ASSERT_EQ(out.BeginForm(MakeTag("BODY")), kStatusOk);
    ASSERT_EQ(out.Finish(), kStatusOk);
    EXPECT_NE(LoadFrom(stream.Bytes(), career), kStatusOk);
    EXPECT_STREQ(career.pilotName, "Korvane");
}

}  // namespace
