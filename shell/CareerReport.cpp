#include "shell/CareerReport.h"

#include <cstdio>
#include <string>

#include "game/CareerRecord.h"
#include "game/EquipmentItem.h"
#include "game/GameState.h"
#include "game/PilotRecord.h"
#include "game/ShipRecord.h"
#include "screens/rooms/MissionsScreen.h"
#include "ui/ListBox.h"
#include "ui/TextBlock.h"

namespace {

// `Career ship "P102" "Lancer" damage 0, flown by the player, fits "Radar 1" ...`:
// the player flies the selected ship, a wingman one he is assigned to.
void PrintShip(const CareerRecord& career, int32_t i) {
    const ShipRecord& ship = *career.GetShip(i);
    std::string pilot = "nobody";
    if (i == career.GetSelectedShipIndex()) {
        pilot = "the player";
    } else if (ship.pilot != nullptr) {
        pilot = "\"" + ship.pilot->name + "\"";
    }
    std::printf("Career ship \"%s\" \"%s\" damage %d, flown by %s, fits", ship.name, ship.displayName.c_str(),
                ship.damage, pilot.c_str());
    if (ship.Items().empty()) std::printf(" nothing");
    for (const auto& item : ship.Items()) {
        std::printf(" \"%s\"", item->id);
        if (item->damage != 0) std::printf(" (damage %d)", item->damage);
    }
    std::printf("\n");
}

}  // namespace

void PrintCareerReport(const GameState& game) {
    if (game.career == nullptr) return;
    const CareerRecord& career = *game.career;
    const auto* const reader = dynamic_cast<const MissionsScreen*>(game.ScreenIn(ScreenSlot::kMissions));
    std::printf("Career: missions flown %d, credits %d, trophies 0x%04X, accepted row %d, offers", career.missions,
                career.funds, unsigned(career.trophies), reader != nullptr ? reader->acceptedRow : -1);
    ListBox* const list = reader != nullptr ? reader->List(reader->newPage) : nullptr;
    const TextBlock* const rows = list != nullptr ? list->GetBlock(0) : nullptr;
    if (rows == nullptr || rows->lines.empty()) std::printf(" none");
    if (rows != nullptr) {
        for (const std::string& title : rows->lines) std::printf(" \"%s\"", title.c_str());
    }
    std::printf("\n");
    for (int32_t i = 0; i < career.GetShipCount(); ++i) PrintShip(career, i);
    std::printf("Career pilots hired:");
    if (career.hiredPilots.empty()) std::printf(" none");
    for (const auto& pilot : career.hiredPilots) std::printf(" \"%s\"", pilot->name.c_str());
    std::printf("\n");
    std::fflush(stdout);
}
