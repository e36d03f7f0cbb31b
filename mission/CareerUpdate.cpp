#include "mission/CareerUpdate.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "engine/Saturate.h"
#include "game/CareerRecord.h"
#include "game/GameState.h"
#include "game/Mission.h"
#include "mission/MissionFile.h"
#include "mission/MissionSetUp.h"
#include "objects/ships/Craft.h"
#include "objects/ships/PlayerShip.h"
#include "objects/weapons/Weapon.h"
#include "objects/systems/ShipSystem.h"

namespace {

int32_t HullDamage(const Craft& craft) {
    const int32_t maximum = craft.GetMaxHitPoints(nullptr);
    if (maximum <= 0) return 0;
    const int64_t left = std::clamp<int64_t>(craft.GetHitPoints(nullptr), 0, maximum);
    return int32_t(100 - left * 100 / maximum);
}

// The hull and the fitted items take the flight's damage; a launcher's
// load (the one ammunition the fit reads back) is what is left of it.
void WriteBackDamage(Craft& craft, ShipRecord& record) {
    record.damage = HullDamage(craft);
    ForEachFittedSystem(craft, record, [](EquipmentItem& item, ShipSystem& system) {
        if (system.maxDamage > 0) item.damage = system.GetDamagePercent();
        if (system.typeId == Weapon::kObjectLauncher) item.ammunition = static_cast<Weapon&>(system).ammunition;
    });
}

// The ship the player ejected from is left behind: lost to the career.
const Craft* Abandoned(const GameState& game) {
    const auto* const pod = dynamic_cast<const PlayerShip*>(game.playerShip);
    return pod != nullptr ? pod->abandonedCraft : nullptr;
}

// A ship out through a gate is inactive too, and whole.
bool Died(const Craft& craft) {
    if (craft.jumpedOut != 0) return false;
    return craft.dead != 0 || craft.active == 0 || craft.GetHitPoints(nullptr) <= 0;
}

// The ship goes with everything fitted to it; the selection keeps its ship.
void RemoveShip(CareerRecord& career, const ShipRecord* record) {
    const ShipRecord* const selected = career.GetShip(career.GetSelectedShipIndex());
    const auto at = std::find_if(career.ships.begin(), career.ships.end(),
                                 [record](const auto& ship) { return ship.get() == record; });
    if (at == career.ships.end()) return;
    career.ships.erase(at);
    career.selectedShip = -1;
    for (int32_t i = 0; i < career.GetShipCount(); ++i) {
        if (career.GetShip(i) == selected) career.selectedShip = i;
    }
    career.EnsureShipSelected();
}

}  // namespace

void UpdateCareerAfterMission(GameState& game) {
    if (game.career == nullptr) return;
    CareerRecord& career = *game.career;
    std::vector<Craft*> lent;
    for (SpaceObject* o = game.mission != nullptr ? game.mission->firstObject : nullptr; o != nullptr; o = o->GetNext()) {
        auto* const craft = o->type >= SpaceObject::kTypeCraft ? dynamic_cast<Craft*>(o) : nullptr;
        if (craft != nullptr && craft->FlownRecord() != nullptr) lent.push_back(craft);
    }
    const Craft* const abandoned = Abandoned(game);
    career.kills = Saturate32(int64_t(career.kills) + career.accuracy.kills);
    // The lobby counted a network game when it was hosted or joined.
    if (!game.IsNetworkGame()) career.missions = Saturate32(int64_t(career.missions) + 1);
    const int32_t mean = career.accuracy.MeanHitPercent();
    if (mean >= 0) career.accuracyValue = career.accuracyValue < 1 ? mean : Saturate32((int64_t(career.accuracyValue) + mean) / 2);

    for (Craft* craft : lent) {
        ShipRecord* const record = craft->FlownRecord();
        PilotRecord* const pilot = record->pilot;
        const bool wingman = pilot != nullptr && craft->accuracy == &pilot->flight;
        if (craft == abandoned) {
            craft->shipSerial = 0;
            RemoveShip(career, record);
            continue;
        }
        if (!wingman) {
            // The player's own wreck is lost, whichever way the loss was
            // taken: it never flies again at a sliver of its hull. A network
            // game brings its ships back, and only leaves them there.
            if (!game.IsNetworkGame() && Died(*craft)) {
                craft->shipSerial = 0;
                RemoveShip(career, record);
                continue;
            }
            WriteBackDamage(*craft, *record);
            continue;
        }
        if (Died(*craft)) {
            // The wreck names a record that is about to go.
            craft->shipSerial = 0;
            career.LosePilot(pilot->name.c_str());
            RemoveShip(career, record);
            continue;
        }
        WriteBackDamage(*craft, *record);
        pilot->ApplyMission(pilot->flight);
        pilot->missions = Saturate32(int64_t(pilot->missions) + 1);
    }
}

int32_t PayAwards(CareerRecord& career, const std::vector<mission_file::Award>& awards, int32_t outcome) {
    int32_t paid = 0;
    for (const mission_file::Award& award : awards) {
        if (award.outcome != 0 && award.outcome != outcome) continue;
        if (career.accuracyValue < award.leastAccuracy || career.accuracyValue > award.mostAccuracy) continue;
        career.funds = int32_t(std::clamp<int64_t>(int64_t(career.funds) + award.credits, INT32_MIN, INT32_MAX));
        if (award.trophyMask != mission_file::Award::kCreditsOnly) career.trophies |= award.trophyMask;
        ++paid;
    }
    return paid;
}
