#include "game/RequisitionOrders.h"

#include <memory>
#include <string>

#include "engine/IffFile.h"
#include "game/CareerRecord.h"
#include "game/DataDirectories.h"
#include "game/DefinitionFormat.h"
#include "game/EquipmentItem.h"
#include "game/ShipRecord.h"

void SettleOrder(CareerRecord& career, int32_t* total, const ShipRecord* viewedShip, bool deliverNow) {
    if (total != nullptr) {
        career.funds -= *total;
        *total = 0;
    }
    career.ApplyStoredSales();
    career.RemoveSoldShips();
    career.CountOwnedItems();
    // In buy mode the viewed ship is a catalogue hull and in sell mode it may
    // just have been sold: only a ship still in the career can be flown.
    if (viewedShip != nullptr) {
        for (int32_t i = 0; i < career.GetShipCount(); ++i) {
            if (career.GetShip(i) == viewedShip) {
                career.SelectShip(i);
                break;
            }
        }
    }
    if (deliverNow) DeliverOrders(career);
}

void DeliverOrders(CareerRecord& career) {
    IffFile definitions(0);
    bool open = false;
    if (g_dataDirs.Found(DataDir::kData)) {
        const std::string path = g_dataDirs.Prefix(DataDir::kData) + definition_format::kFileName;
        open = definitions.OpenFile(path.c_str(), 0) == kStatusOk;
    }
    for (const int32_t filter : {EquipmentItem::kWeapons, EquipmentItem::kSystems}) {
        for (int32_t i = 0; i < career.CountCatalogueItems(filter); ++i) {
            EquipmentItem& ordered = *career.GetCatalogueItem(i, filter);
            // Hulls pass the systems filter too; they are delivered as ships.
            if (ordered.ordered <= 0 || ordered.IsShip()) continue;
            auto item = open ? std::make_unique<EquipmentItem>(ordered.id, definitions, ordered.kind)
                             : std::make_unique<EquipmentItem>(ordered.id, ordered.kind);
            item->quantity = ordered.ordered;
            ordered.ordered = 0;
            career.StoreEquipment(std::move(item));
        }
    }
    for (int32_t i = 0; i < career.CountCatalogueItems(EquipmentItem::kShips); ++i) {
        EquipmentItem& hull = *career.GetCatalogueItem(i, EquipmentItem::kShips);
        for (; hull.ordered > 0; --hull.ordered) {
            auto ship = std::make_unique<ShipRecord>(hull.id);
            ship->LoadHull();
            career.AddShip(std::move(ship));
        }
    }
    career.CountOwnedItems();
    if (open) definitions.CloseFile();
}
