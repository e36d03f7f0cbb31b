#include "tools/mkdata/MissionRecords.h"

#include <algorithm>
#include <cstring>

#include "engine/ByteOrder.h"
#include "game/Mission.h"
#include "mission/SkyRecords.h"
#include "mission/MissionFile.h"
#include "mission/SpawnRecords.h"

MissionRecord& MissionRecord::Text(uint32_t at, const char* text, uint32_t field) {
    std::memcpy(bytes_.data() + at, text, std::min<size_t>(std::strlen(text), field - 1));
    return *this;
}

MissionRecord& MissionRecord::Word(uint32_t at, int32_t value) {
    StoreLe32(bytes_.data() + at, uint32_t(value));
    return *this;
}

MissionRecord& MissionRecord::Floats(uint32_t at, std::initializer_list<float> values) {
    for (const float v : values) {
        uint32_t word;
        std::memcpy(&word, &v, 4);
        StoreLe32(bytes_.data() + at, word);
        at += 4;
    }
    return *this;
}

Status PutRecord(IffFile& iff, uint32_t chunk, const MissionRecord& record, Status status) {
    return PutBytes(iff, chunk, record.Bytes(), status);
}

Status PutBytes(IffFile& iff, uint32_t chunk, const std::vector<uint8_t>& bytes, Status status) {
    if (status != kStatusOk) return status;
    return iff.WriteChunk(chunk, bytes.data(), uint32_t(bytes.size()));
}

MissionRecord MissionHeader(float mapCentreZ) {
    MissionRecord header(mission_file::kHeaderBytes);
    header.Word(0, 30).Word(4, 20).Word(8, 10);
    header.Floats(12, {0.0f, 0.0f, -50.0f, 0.0f});
    header.Floats(28, {0.0f, 0.0f, mapCentreZ, 0.0f});
    header.Floats(44, {1, 0, 0, 0, 0, 1, 0, -1, 0, 0, 4000, mapCentreZ});
    return header;
}

MissionRecord PlayerRecord(const char* definition, const char* wing) {
    MissionRecord player(mission_file::kPlayerBytes);
    player.Text(0, definition, 16).Text(16, wing, 16);
    return player;
}

MissionRecord AiShipRecord(const char* definition, const char* name, const char* wing, float x, float y, float z,
                           int32_t side, int32_t wingman, int32_t respawn, bool facingBack, PilotSkill skill) {
    MissionRecord r(mission_file::kShipBytes);
    r.Text(0, definition, 16).Word(20, int32_t(skill)).Word(32, respawn).Text(40, wing, 16).Text(56, name, 16);
    const float f = facingBack ? -1.0f : 1.0f;   // turned about y to face -z
    r.Floats(120, {f, 0, 0, 0, 1, 0, 0, 0, f, x, y, z});
    r.Floats(240, {x, y, z, 0.0f});
    r.Word(spawn_records::kAiShipBytes, side).Word(spawn_records::kAiShipBytes + 4, wingman);
    return r;
}

MissionRecord RockRecord(const char* definition, float x, float y, float z, float scatter, float drift, const char* name) {
    MissionRecord r(spawn_records::kRockBytes);
    r.Text(0, definition, 16).Floats(40, {x, y, z, 0.0f}).Floats(60, {scatter}).Floats(68, {drift}).Text(96, name, 32);
    return r;
}

MissionRecord NavPointRecord(const char* name, float x, float y, float z) {
    MissionRecord r(mission_file::kWayPointBytes);
    r.Text(0, "Way Point", 16).Text(16, name, 32).Floats(48, {x, y, z});
    return r;
}

MissionRecord BuoyRecord(const char* name, float x, float y, float z, int32_t spin) {
    MissionRecord r(mission_file::kBuoyBytes);
    r.Text(0, "Nav Buoy", 16).Floats(16, {x, y, z}).Text(28, name, 32).Word(60, spin);
    return r;
}

Status PutSky(IffFile& iff, const SkyLook& look, Status status) {
    MissionRecord stars(Mission::kStarFieldBytes);
    // Single pixels within the flight camera's depth range (10000).
    stars.Word(0, int32_t(look.seed)).Word(4, look.stars).Word(8, int32_t(look.starColour));
    stars.Floats(12, {5000.0f, 1.0f, look.brightness});
    status = PutRecord(iff, sky_records::kStarChunk, stars, status);
    MissionRecord sun(Mission::kLightBytes);
    sun.Word(0, 1).Floats(4, {0.0f, 0.0f, 0.0f, look.sun[0], look.sun[1], look.sun[2]});
    sun.Word(28, int32_t(look.sunColour)).Floats(32, {look.sunIntensity, 0.0f, 0.0f});
    status = PutRecord(iff, sky_records::kLightChunk, sun, status);
    if (look.nebula == nullptr) return status;
    MissionRecord nebula(Mission::kWallpaperBytes);
    nebula.Text(0, look.nebula, 16).Floats(16, {look.nebulaAt[0], look.nebulaAt[1], look.nebulaAt[2], 0.0f, 0.0f, 0.0f});
    nebula.Word(40, int32_t(look.seed)).Floats(44, {1.0f});
    return PutRecord(iff, sky_records::kWallChunk, nebula, status);
}
