#include "mission/MissionSky.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <utility>

#include "display/Palette.h"
#include "engine/EngineAllocation.h"
#include "engine/IffFile.h"
#include "engine/Random.h"
#include "engine/Vector3.h"
#include "game/DataDirectories.h"
#include "game/DefinitionFormat.h"
#include "game/Mission.h"
#include "net/PacketBytes.h"
#include "objects/effects/Nebula.h"
#include "scene/Light.h"
#include "scene/PointField.h"

namespace {

// The sky records' fields, little-endian (the layouts are in SkyRecords.h).
constexpr uint32_t kStarSeed = 0, kStarCount = 4, kStarColour = 8, kStarRadius = 12, kStarBrightness = 20;
constexpr uint32_t kLightKind = 0, kLightPosition = 4, kLightDirection = 16, kLightColour = 28, kLightIntensity = 32,
                   kLightInner = 36, kLightOuter = 40;
constexpr uint32_t kWallName = 0, kWallPosition = 16;
constexpr int32_t kAmbientKind = 0, kDirectionalKind = 1;
// The faintest star keeps this share of the record's brightness.
constexpr float kFaintest = 0.3f;
// Nearer than this a direction would meet the camera's near plane.
constexpr float kLeastStarRadius = 100.0f;

// The stars' own sequence, so that a sky never draws on the game's dice.
class StarSequence {
public:
    explicit StarSequence(uint32_t seed) : state_(seed != 0 ? seed : 1) {}
    // 0 to 1.
    float Next() {
        state_ ^= state_ << 13;
        state_ ^= state_ >> 17;
        state_ ^= state_ << 5;
        return float(state_ >> 8) * (1.0f / 16777216.0f);
    }

private:
    uint32_t state_;
};

std::unique_ptr<PointField> StarField(const uint8_t* record, const Palette* palette) {
    PacketReader in(record, Mission::kStarFieldBytes);
    const uint32_t count = uint32_t(std::max(0, in.I32(kStarCount)));
    const float radius = std::max(kLeastStarRadius, in.F32(kStarRadius));
    const float brightness = std::clamp(in.F32(kStarBrightness), 0.0f, 1.0f);
    auto field = std::make_unique<PointField>();
    if (field == nullptr) return nullptr;
    auto* const points = static_cast<PointField::Point*>(EngineAllocate(size_t(count) * sizeof(PointField::Point)));
    auto* const levels = static_cast<uint32_t*>(EngineAllocate(size_t(count) * sizeof(uint32_t)));
    if (count == 0 || points == nullptr || levels == nullptr) {
        EngineRelease(points);
        EngineRelease(levels);
        return field;
    }
    StarSequence sequence(in.U32(kStarSeed));
    for (uint32_t i = 0; i < count; ++i) {
        // Even over the sphere: a height and an angle around it.
        const float y = 2.0f * sequence.Next() - 1.0f;
        const float around = 6.2831853f * sequence.Next();
        const float ring = std::sqrt(std::max(0.0f, 1.0f - y * y));
        points[i] = {radius * ring * std::cos(around), radius * y, radius * ring * std::sin(around), 0.0f};
        // Most stars faint, a few bright.
        const float share = kFaintest + (1.0f - kFaintest) * sequence.Next() * sequence.Next();
        levels[i] = uint32_t(255.0f * brightness * share);
    }
    field->points = points;
    field->brightness = levels;
    field->pointCount = count;
    field->flags |= PointField::kFlagOwnsPoints;
    field->colour = palette != nullptr ? palette->MatchColor(in.U32(kStarColour)) : 0;
    return field;
}

std::unique_ptr<Light> MissionLight(const uint8_t* record) {
    PacketReader in(record, Mission::kLightBytes);
    const Vector3 position{in.F32(kLightPosition), in.F32(kLightPosition + 4), in.F32(kLightPosition + 8)};
    Vector3 direction{in.F32(kLightDirection), in.F32(kLightDirection + 4), in.F32(kLightDirection + 8)};
    std::unique_ptr<Light> light;
    switch (in.I32(kLightKind)) {
        case kAmbientKind:
            light = std::make_unique<Light>();
            break;
        case kDirectionalKind:
            if (!(direction.Length() > 0.0f)) direction = {0.0f, 0.0f, 1.0f};
            direction.Normalize();
            light = std::make_unique<VectorLight>(direction);
            break;
        default:
            // One direction a ship: a sun or a flare far off lights a hull evenly.
            light = std::make_unique<FrameAttenuatedLight>(position, in.F32(kLightInner), in.F32(kLightOuter));
            break;
    }
    if (light == nullptr) return nullptr;
    const uint32_t colour = in.U32(kLightColour);
    const float strongest = float(std::max({colour & 0xFF, (colour >> 8) & 0xFF, (colour >> 16) & 0xFF}));
    light->intensity = uint8_t(std::clamp(strongest * in.F32(kLightIntensity), 0.0f, 255.0f));
    return light;
}

// The nebulae of the wallpaper records, from the definitions file.
std::vector<std::unique_ptr<Nebula>> MakeNebulae(const Mission& mission) {
    std::vector<std::unique_ptr<Nebula>> made;
    if (mission.wallpapers.empty()) return made;
    IffFile iff(0);
    const std::string path = g_dataDirs.Prefix(DataDir::kData) + definition_format::kFileName;
    if (iff.OpenFile(path.c_str(), kOpenRead) != kStatusOk) return made;
    if (iff.ValidateHeader() == kStatusOk) {
        for (const auto& record : mission.wallpapers) {
            PacketReader in(record.data(), Mission::kWallpaperBytes);
            char name[17] = {};
            if (!in.Text(kWallName, 16, name, sizeof name)) continue;
            std::unique_ptr<Nebula> nebula(Nebula::NebulaFromIff(iff, name, in.Vector(kWallPosition)));
            if (nebula == nullptr) continue;
            const uint32_t dice = GameRandomState();
            nebula->Build();
            GameRandomSeed(dice);
            made.push_back(std::move(nebula));
        }
    }
    iff.CloseFile();
    return made;
}

}  // namespace

MissionSky::MissionSky() = default;

MissionSky::~MissionSky() { JoinLights(nullptr); }

void MissionSky::Update(const Mission& mission, const Palette* palette) {
    if (built_ && palette == palette_ && mission.starFields.size() == starRecords_ &&
        mission.wallpapers.size() == wallRecords_ && mission.lights.size() == lightRecords_) {
        return;
    }
    Build(mission, palette);
}

void MissionSky::Build(const Mission& mission, const Palette* palette) {
    JoinLights(nullptr);
    stars_.clear();
    nebulae_.clear();
    lights_.clear();
    // A drawing the engine heap had no room for is left out.
    for (const auto& record : mission.starFields) {
        if (auto field = StarField(record.data(), palette)) stars_.push_back(std::move(field));
    }
    for (size_t i = 1; i < stars_.size(); ++i) stars_[i - 1]->next = stars_[i].get();
    nebulae_ = MakeNebulae(mission);
    for (size_t i = 1; i < nebulae_.size(); ++i) nebulae_[i - 1]->next = nebulae_[i].get();
    for (const auto& record : mission.lights) {
        if (auto light = MissionLight(record.data())) lights_.push_back(std::move(light));
    }
    for (size_t i = 1; i < lights_.size(); ++i) lights_[i - 1]->next = lights_[i].get();
    palette_ = palette;
    starRecords_ = mission.starFields.size();
    wallRecords_ = mission.wallpapers.size();
    lightRecords_ = mission.lights.size();
    built_ = true;
}

NamedObject* MissionSky::Stars() const { return stars_.empty() ? nullptr : stars_.front().get(); }

NamedObject* MissionSky::Nebulae() const { return nebulae_.empty() ? nullptr : nebulae_.front().get(); }

Light* MissionSky::Lights() const { return lights_.empty() ? nullptr : lights_.front().get(); }

Light* MissionSky::JoinLights(Light* more) {
    if (lights_.empty()) return more;
    lights_.back()->next = more;
    return lights_.front().get();
}
