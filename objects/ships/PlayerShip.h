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
    // The side the player's ship, its wing and whatever it protects fly
    // for; the cooperative games put every pilot on it.
    static constexpr int32_t kPlayersSide = 1;

    // A salvaged item is known by its equipment id, the key of its
    // definition in "temp.iff" (the display name is the definition's and
    // may differ).
    struct SalvageItem : EngineObject {
        char id[kSalvageNameBytes] = {};     // at most 15 characters and the NUL
        int32_t condition = 0;               // 50..89
    };

    explicit PlayerShip(SpaceObject* templateObject);
    ~PlayerShip() override;

    void Init() override;
    SpaceObject* Clone(SpaceObject* placementSource, int32_t = 0, int32_t = 0) override;
    void UpdateParts(uint32_t milliseconds) override;

    // The group is the ship's from now on, and the ship leads it.
    void SetWingGroup(WingGroup* group);
    // Each system the victim carries, with a chance of 5 in 100, recorded
    // by its equipment id; a system built from no equipment definition (no
    // id) yields nothing.
    void CollectSalvage(const SpaceObject* victim);
    // An item of that equipment id, cut to 15 characters; a null or empty
    // id adds nothing.
    void AddNamedEntry(const char* id);

    Craft* abandonedCraft = nullptr;   // the craft the player ejected from
    uint32_t playerWords[2] = {};
    uint32_t placedWord = 0;
    WingGroup* wingGroup = nullptr;    // owned
    DynArray<SalvageItem*> salvageItems;   // owned
};
