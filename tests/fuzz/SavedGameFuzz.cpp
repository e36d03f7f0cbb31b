// Reads any bytes as a saved game. A load either fails leaving the same
// career object with its values, the difficulty, the plot counter and the
// mission name and message lists as they were, or takes a sane career, a
// known difficulty and sound messages.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <string>

#include "game/CareerRecord.h"
#include "game/GameState.h"
#include "game/MessageEntry.h"
#include "mission/SavedGame.h"
#include "tests/support/TempDir.h"
#include "tests/support/world/WorldBuilder.h"

extern "C" const char* __asan_default_options() { return "allocator_may_return_null=1:max_allocation_size_mb=64"; }

namespace {

void Check(bool condition) {
    if (!condition) std::abort();
}

struct Fixture {
    TempDir dir;
    WorldBuilder builder;
    Fixture() { builder.Game().SetConfigFolder(dir.Str()); }
};

void Keep(GameState& game) {
    game.career->funds = 77;
    std::strcpy(game.career->pilotName, "Kept");
    game.difficulty = 2;
    game.plotCounter = 5;
    game.missionName = "kept.uli";
    game.voice.Clear();
    game.voice.Append(std::make_unique<MessageEntry>())->title = "kept";
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static Fixture* const fixture = new Fixture;
    GameState& game = fixture->builder.Game();
    {
        std::ofstream out(SavedGamePath("fuzz"), std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    Keep(game);
    CareerRecord* const career = game.career;
    const Status status = LoadGame("fuzz");
    if (game.career == career) {
        // Refused: nothing taken.
        Check(status != kStatusOk);
        Check(career->funds == 77 && std::strcmp(career->pilotName, "Kept") == 0);
        Check(game.difficulty == 2 && game.plotCounter == 5 && game.missionName == "kept.uli");
        Check(game.voice.Count() == 1 && game.voice.At(0)->title == "kept");
        return 0;
    }
    // Taken (the set-up of its mission may still fail: there is no data tree).
    const CareerRecord& taken = *game.career;
    Check(taken.logo >= 0 && taken.logo <= CareerRecord::kLastLogo && taken.face >= -1);
    Check(std::memchr(taken.pilotName, 0, CareerRecord::kTextBytes) != nullptr);
    Check(game.difficulty == 1 || game.difficulty == 2 || game.difficulty == 4);
    Check(game.missionName.size() < CareerRecord::kTextBytes);
    Check(game.missionFlown == 0);
    // The lists: the pilot-only entry first and alone, wingmen only from
    // the hired list, items of known kinds on ships and in the stores.
    Check(!taken.ships.empty() && taken.ships[0]->IsPilotOnly() && taken.ships[0]->pilot == nullptr);
    for (const auto& ship : taken.ships) {
        bool hired = ship->pilot == nullptr;
        for (const auto& pilot : taken.hiredPilots) hired = hired || pilot.get() == ship->pilot;
        Check(hired && std::strlen(ship->name) < ShipRecord::kNameBytes);
        for (const auto& item : ship->Items()) Check(!item->IsShip() && item->kind <= EquipmentItem::kLastKind);
    }
    for (const auto& item : taken.stores) Check(!item->IsShip() && item->quantity >= 0);
    Check(taken.GetSelectedShipIndex() < taken.GetShipCount());
    for (const MessageList* list : {&game.newMail, &game.oldMail, &game.newNews, &game.oldNews, &game.logs, &game.voice}) {
        for (int32_t i = 0; i < list->Count(); ++i) {
            const MessageEntry& message = *list->At(i);
            Check(message.list >= MessageEntry::kNews && message.list <= MessageEntry::kVoice && message.face >= -1);
        }
    }
    return 0;
}
