#include "tools/mkdata/SaveData.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>

#include "engine/FileWrappers.h"
#include "game/CareerRecord.h"
#include "game/DataDirectories.h"
#include "game/DefinitionFormat.h"
#include "game/Definitions.h"
#include "engine/IffFile.h"
#include "game/XorChunkStream.h"
#include "tools/mkdata/MissionData.h"

namespace {

// Hulls of the catalogue beside the new career's first, each fitted as its
// definition fits it.
constexpr int32_t kExtraShips = 2;
constexpr int32_t kHiredPilots = 2;
// Spare items laid up in the stores: the catalogue's first few of each kind.
constexpr int32_t kStoredOfEachKind = 2;

void FillSampleCareer(CareerRecord& career) {
    std::strcpy(career.callsign, "Kestrel");
    career.funds = 25000;
    career.kills = 12;
    career.missions = 3;
    career.accuracyValue = 48;
    career.face = 2;
    career.logo = 5;
}

// A career a while in: more ships, each fitted, a first hired pilot on the
// wing in the second, another waiting, spares in the stores and money to
// spend. What the tree lacks is left out.
void OutfitSampleCareer(CareerRecord& career) {
    career.funds = 250000;
    if (!g_dataDirs.Found(DataDir::kData)) return;
    IffFile definitions(0);
    const std::string path = g_dataDirs.Prefix(DataDir::kData) + definition_format::kFileName;
    if (definitions.OpenFile(path.c_str(), 0) != kStatusOk) return;
    const int32_t hulls = career.CountCatalogueItems(EquipmentItem::kShips);
    for (int32_t i = 1; i <= kExtraShips && i < hulls; ++i) {
        const EquipmentItem* const hull = career.GetCatalogueItem(i, EquipmentItem::kShips);
        SpobDefinition spob;
        if (definitions::FindSpobForm(definitions, hull->id) != kStatusOk ||
            definitions::ReadSpob(definitions, &spob) != kStatusOk) {
            continue;
        }
        auto ship = std::make_unique<ShipRecord>(hull->id);
        if (ship->LoadHull() != kStatusOk) continue;
        for (const SpobDefinition::Equipment& fitted : spob.equipment) {
            auto item = std::make_unique<EquipmentItem>(fitted.id, definitions, 0);
            if (item->LoadStatus() != kStatusOk) continue;
            item->ammunition = fitted.ammunition;
            if (auto left = ship->PlaceStoredItem(std::move(item))) career.StoreEquipment(std::move(left));
        }
        career.AddShip(std::move(ship));
    }
    for (const int32_t filter : {EquipmentItem::kSystems, EquipmentItem::kWeapons}) {
        const int32_t count = std::min(career.CountCatalogueItems(filter), kStoredOfEachKind);
        for (int32_t i = 0; i < count; ++i) {
            auto item = std::make_unique<EquipmentItem>(career.GetCatalogueItem(i, filter)->id, definitions, 0);
            if (item->LoadStatus() == kStatusOk) career.StoreEquipment(std::move(item));
        }
    }
    definitions.CloseFile();
    for (int32_t i = 0; i < kHiredPilots && !career.hirePool.empty(); ++i) {
        const std::string name = career.hirePool.front()->name;
        career.HirePilot(name.c_str());
    }
    // The first hired pilot flies the second ship on the player's wing.
    ShipRecord* const wingShip = career.GetShip(1);
    if (wingShip != nullptr && !career.hiredPilots.empty()) {
        wingShip->pilot = career.hiredPilots.front().get();
        wingShip->pilot->flying = 1;
    }
    career.CountOwnedItems();
}

}  // namespace

Status WriteSampleSave(const char* path) {
    CareerRecord career(0);
    FillSampleCareer(career);
    OutfitSampleCareer(career);
    XorChunkStream stream;
    Status status = stream.Open(path, kOpenWrite | kOpenCreate);
    if (status != kStatusOk) return status;
    status = stream.BeginForm(MakeTag("BODY"));
    if (status == kStatusOk) status = stream.WriteTextChunk(MakeTag("NAME"), "Sample career");
    if (status == kStatusOk) status = stream.WriteWordChunk(MakeTag("DIFF"), 2);
    if (status == kStatusOk) status = stream.WriteWordChunk(MakeTag("PLOT"), 1);
    if (status == kStatusOk) status = stream.WriteTextChunk(MakeTag("MNAM"), kSampleMissionFile);
    if (status == kStatusOk) status = career.Save(stream);
    if (status == kStatusOk) status = stream.Ascend();
    const Status closed = stream.CloseFile();
    return status != kStatusOk ? status : closed;
}

Status WriteSamplePilot(const char* path) {
    CareerRecord career(0);
    FillSampleCareer(career);
    XorChunkStream stream;
    Status status = stream.Open(path, kOpenWrite | kOpenCreate);
    if (status != kStatusOk) return status;
    status = career.Save(stream);
    const Status closed = stream.CloseFile();
    return status != kStatusOk ? status : closed;
}
