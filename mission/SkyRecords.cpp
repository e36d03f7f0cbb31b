#include "mission/SkyRecords.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "game/GameState.h"
#include "game/Mission.h"
#include "mission/Goal.h"
#include "net/PacketBytes.h"
#include "objects/effects/SpaceDust.h"

namespace sky_records {

namespace {

bool FiniteAt(PacketReader& in, uint32_t at, int count, bool notNegative = false) {
    for (int i = 0; i < count; ++i) {
        const float value = in.F32(at + uint32_t(4 * i));
        if (!std::isfinite(value) || (notNegative && value < 0.0f)) return false;
    }
    return true;
}

template <size_t N>
bool Keep(std::vector<std::array<uint8_t, N>>& list, const uint8_t* record) {
    std::array<uint8_t, N> copy;
    std::memcpy(copy.data(), record, N);
    list.push_back(copy);
    return true;
}

Mission* CurrentMission() { return g_gameState != nullptr ? g_gameState->mission : nullptr; }

}  // namespace

bool Sound(uint32_t chunk, const uint8_t* bytes, uint32_t size) {
    if (bytes == nullptr) return false;
    PacketReader in(bytes, size);
    char name[17];
    switch (chunk) {
        case kStarChunk: {
            const int32_t count = in.I32(4);
            return size == Mission::kStarFieldBytes && count >= 0 && count <= kMostStars && FiniteAt(in, 12, 3, true);
        }
        case kDustChunk: {
            const int32_t count = in.I32(16);
            return size == Mission::kSpaceDustBytes && in.Text(0, 16, name, sizeof name) && count >= 0 &&
                   count <= kMostMotes && FiniteAt(in, 20, 2, true);
        }
        case kWallChunk:
            return size == Mission::kWallpaperBytes && in.Text(0, 16, name, sizeof name) && FiniteAt(in, 16, 6) &&
                   FiniteAt(in, 44, 1, true);
        case kLightChunk: {
            const int32_t kind = in.I32(0);
            return size == Mission::kLightBytes && kind >= 0 && kind < kLightKinds && FiniteAt(in, 4, 6) &&
                   FiniteAt(in, 32, 3, true);
        }
        default:
            return false;
    }
}

bool CreateStarField(const uint8_t* record, uint32_t size) {
    Mission* const mission = CurrentMission();
    if (mission == nullptr || !Sound(kStarChunk, record, size)) return false;
    return Keep(mission->starFields, record);
}

bool CreateWallpaper(IffFile*, const uint8_t* record, uint32_t size) {
    Mission* const mission = CurrentMission();
    if (mission == nullptr || !Sound(kWallChunk, record, size)) return false;
    return Keep(mission->wallpapers, record);
}

bool CreateSpaceDust(IffFile*, const uint8_t* record, uint32_t size) {
    Mission* const mission = CurrentMission();
    if (mission == nullptr || !Sound(kDustChunk, record, size)) return false;
    PacketReader in(record, size);
    Mission::DustTemplate dust;
    in.Text(0, 16, dust.particle, sizeof dust.particle);
    dust.count = in.I32(16);
    mission->dustTemplates.push_back(dust);
    return Keep(mission->spaceDust, record);
}

bool CreateMissionLight(const uint8_t* record, uint32_t size) {
    Mission* const mission = CurrentMission();
    if (mission == nullptr || !Sound(kLightChunk, record, size)) return false;
    return Keep(mission->lights, record);
}

void BuildDustField() {
    const Mission* const mission = CurrentMission();
    if (mission == nullptr) return;
    int32_t sum = 0;
    for (const Mission::DustTemplate& dust : mission->dustTemplates) sum = std::min(kMostMotes, sum + dust.count);
    if (sum > 0) CreateDustField(sum);
}

Held CountHeld() {
    Held held;
    for (const Goal* goal = g_goalList; goal != nullptr; goal = goal->next) {
        if (goal->playerGoal != 0) ++held.goals;
    }
    if (const Mission* const mission = CurrentMission()) {
        held.starFields = int32_t(mission->starFields.size());
        held.spaceDust = int32_t(mission->spaceDust.size());
        held.wallpapers = int32_t(mission->wallpapers.size());
        held.lights = int32_t(mission->lights.size());
    }
    return held;
}

}  // namespace sky_records
