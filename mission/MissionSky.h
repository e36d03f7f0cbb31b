#pragma once
#include <cstdint>
#include <memory>
#include <vector>

class Light;
class Mission;
class NamedObject;
class Nebula;
class Palette;
class PointField;

// What the flight draws of a mission's sky records: a star field for each
// "STAR" record, a nebula for each "WALL" record that names one in the
// definitions, and a light for each "LGHT" record. Made again whenever the
// records or the palette change (a network game's records arrive after the
// set-up); the same records always give the same sky, and making it leaves
// the game's dice where they were.
class MissionSky {
public:
    MissionSky();
    ~MissionSky();
    MissionSky(const MissionSky&) = delete;
    MissionSky& operator=(const MissionSky&) = delete;

    // Brings the drawings up to the mission's records under `palette` (null:
    // the stars take colour index 0).
    void Update(const Mission& mission, const Palette* palette);

    // The star fields, linked by `next` for one drawing pass; null without any.
    NamedObject* Stars() const;
    // The nebulae, linked the same way.
    NamedObject* Nebulae() const;
    // The lights joined in a chain, or null. While a frame draws, the last
    // one's `next` may be set to more lights; JoinLights(nullptr) parts them.
    Light* Lights() const;
    Light* JoinLights(Light* more);

private:
    void Build(const Mission& mission, const Palette* palette);

    std::vector<std::unique_ptr<PointField>> stars_;
    std::vector<std::unique_ptr<Nebula>> nebulae_;
    std::vector<std::unique_ptr<Light>> lights_;
    const Palette* palette_ = nullptr;
    size_t starRecords_ = 0;
    size_t wallRecords_ = 0;
    size_t lightRecords_ = 0;
    bool built_ = false;
};
