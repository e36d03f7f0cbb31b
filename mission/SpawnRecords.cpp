#include "mission/SpawnRecords.h"

#include <cmath>
#include <cstring>

#include "net/PacketBytes.h"

namespace spawn_records {

namespace {

bool Text(PacketReader& in, uint32_t at, uint32_t field, char* out) { return in.Text(at, field, out, field); }

bool Finite(const Vector3& v) { return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z); }

}  // namespace

bool ScatterInRange(float scatter) { return scatter >= 0.0f && scatter <= kMaxScatter; }

bool DriftInRange(float drift) { return drift >= 0.0f && drift <= float(kMaxDrift); }

std::optional<Rock> DecodeRock(const uint8_t* bytes, uint32_t size) {
    if (bytes == nullptr || size < kRockBytes) return std::nullopt;
    PacketReader in(bytes, size);
    Rock rock;
    if (!Text(in, 0, kDefinitionBytes, rock.definition) || !Text(in, 96, kInstanceNameBytes, rock.name)) return std::nullopt;
    rock.position = in.Vector(40);
    rock.scatter = in.F32(60);
    rock.drift = in.F32(68);
    if (!Finite(rock.position) || !ScatterInRange(rock.scatter) || !DriftInRange(rock.drift)) return std::nullopt;
    return rock;
}

std::optional<Gate> DecodeGate(const uint8_t* bytes, uint32_t size) {
    if (bytes == nullptr || size < kGateBytes) return std::nullopt;
    PacketReader in(bytes, size);
    Gate gate;
    if (!Text(in, 0, kDefinitionBytes, gate.definition) || !Text(in, 236, kInstanceNameBytes, gate.name)) return std::nullopt;
    gate.position = in.Vector(36);
    for (uint32_t i = 0; i < 12; ++i) {
        gate.transform[i] = in.F32(56 + 4 * i);
        if (!std::isfinite(gate.transform[i])) return std::nullopt;
    }
    if (!Finite(gate.position)) return std::nullopt;
    return gate;
}

std::optional<Debris> DecodeDebris(const uint8_t* bytes, uint32_t size) {
    if (bytes == nullptr || size < kDebrisBytes) return std::nullopt;
    PacketReader in(bytes, size);
    Debris debris;
    if (!Text(in, 0, kDefinitionBytes, debris.definition) || !Text(in, 92, kInstanceNameBytes, debris.name)) {
        return std::nullopt;
    }
    debris.position = in.Vector(44);
    debris.drift = in.F32(64);
    if (!Finite(debris.position) || !DriftInRange(debris.drift)) return std::nullopt;
    return debris;
}

std::optional<AiShip> DecodeAiShip(const uint8_t* bytes, uint32_t size) {
    if (bytes == nullptr || size < kAiShipBytes) return std::nullopt;
    PacketReader in(bytes, size);
    AiShip ship;
    uint32_t at = 0;
    if (!Text(in, at, kDefinitionBytes, ship.definition)) return std::nullopt;
    at += kDefinitionBytes;
    for (int32_t* word : {&ship.race, &ship.skill, &ship.aiValues[0], &ship.aiValues[1], &ship.respawn, &ship.objectWord}) {
        *word = in.I32(at);
        at += 4;
    }
    if (!Text(in, at, 16, ship.wing)) return std::nullopt;
    at += 16;
    for (char* name : ship.names) {
        if (!Text(in, at, 16, name)) return std::nullopt;
        at += 16;
    }
    for (float& word : ship.transform) {
        word = in.F32(at);
        at += 4;
        if (!std::isfinite(word)) return std::nullopt;
    }
    for (float& word : ship.position) {
        word = in.F32(at);
        at += 4;
        if (!std::isfinite(word)) return std::nullopt;
    }
    ship.face = in.I32(at);
    return ship;
}

}  // namespace spawn_records
