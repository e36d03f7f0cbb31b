#pragma once
#include <cstdint>

#include "engine/DynArray.h"
#include "objects/ships/Craft.h"

class WingGroup;

// The craft the player flies (type 15): it leads the player's wing and
// keeps what it salvaged from the ships it destroyed.
class PlayerShip : public Craft {
public:
    static constexpr int kSalvageNameBytes = 16;
    static constexpr int32_t kSalvageChance = 5;   // in 100, per system of the victim
    static constexpr float kClientStartZ = 30.0f;

    struct SalvageItem : EngineObject {
        char name[kSalvageNameBytes] = {};   // at most 15 characters and the NUL
        int32_t condition = 0;               // 50..89
    };

    explicit PlayerShip(SpaceObject* templateObject);
    ~PlayerShip() override;

    void Init() override;
    SpaceObject* Clone(SpaceObject* placementSource, int32_t = 0, int32_t = 0) override;
    void UpdateParts(uint32_t milliseconds) override;

    // The group is the ship's from now on, and the ship leads it.
    void SetWingGroup(WingGroup* group);
    // Each system of each part of the victim, with a chance of 5 in 100.
    void CollectSalvage(const SpaceObject* victim);
    // Names are cut to 15 characters; a null name adds nothing.
    void AddNamedEntry(const char* name);

    Craft* abandonedCraft = nullptr;   // the craft the player ejected from
    uint32_t playerWords[2] = {};
    uint32_t placedWord = 0;
    WingGroup* wingGroup = nullptr;    // owned
    DynArray<SalvageItem*> salvageItems;   // owned
};
