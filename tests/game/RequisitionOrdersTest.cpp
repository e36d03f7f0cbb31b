// Orders are paid at settlement and filled at delivery.
#include "game/RequisitionOrders.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

#include "game/CareerRecord.h"
#include "tests/support/SampleDataSuite.h"

namespace {

class RequisitionOrders : public SampleDataSuite {
protected:
    static EquipmentItem* Catalogue(const CareerRecord& career, const char* id) {
        for (const auto& item : career.catalogue) {
            if (std::strcmp(item->id, id) == 0) return item.get();
        }
        return nullptr;
    }
    static int32_t Stored(const CareerRecord& career, const char* id) {
        int32_t units = 0;
        for (const auto& item : career.stores) {
            if (std::strcmp(item->id, id) == 0) units += item->quantity;
        }
        return units;
    }
};

TEST_F(RequisitionOrders, SettlementPaysSellsAndMovesASoldShipsItemsIntoTheStores) {
    CareerRecord career(0);
    ShipRecord* const first = career.GetShip(0);
    ASSERT_NE(first, nullptr);
    const EquipmentItem* const cannon = first->GetItem(0, EquipmentItem::kWeapons);
    ASSERT_NE(cannon, nullptr);
    const std::string cannonId = cannon->id;
    const int32_t fittedCannons = [&] {
        int32_t n = 0;
        for (const auto& item : first->Items()) n += std::strcmp(item->id, cannonId.c_str()) == 0 ? 1 : 0;
        return n;
    }();
    // Two stored cannons, both sold; one undamaged twin of a fitted item kept.
    auto sold = std::make_unique<EquipmentItem>(cannonId.c_str(), 21);
    sold->quantity = 2;
    sold->toSell = 2;
    career.StoreEquipment(std::move(sold));
    auto spare = std::make_unique<ShipRecord>("P102");
    ASSERT_EQ(spare->LoadHull(), kStatusOk);
    ShipRecord* const kept = career.AddShip(std::move(spare));
    first->sold = 1;

    int32_t total = -1500;
    SettleOrder(career, &total, first, false);
    EXPECT_EQ(career.funds, CareerRecord::kStartingFunds + 1500);
    EXPECT_EQ(total, 0);
    EXPECT_EQ(career.GetShipCount(), 1);
    EXPECT_EQ(career.GetShip(-1), kept);   // the sold ship cannot stay selected
    EXPECT_EQ(Stored(career, cannonId.c_str()), fittedCannons);
    EXPECT_EQ(Catalogue(career, "P102")->quantity, 1);
    EXPECT_EQ(Catalogue(career, cannonId.c_str())->quantity, fittedCannons);
}

TEST_F(RequisitionOrders, OrderedGoodsArriveOnlyAtDeliveryOrAtOnceInANetworkGame) {
    CareerRecord career(0);
    career.ships.resize(1);   // nothing of hull P102 owned
    career.selectedShip = -1;
    EquipmentItem* const hull = Catalogue(career, "P102");
    ASSERT_NE(hull, nullptr);
    EquipmentItem* const weapon = career.GetCatalogueItem(0, EquipmentItem::kWeapons);
    ASSERT_NE(weapon, nullptr);
    hull->ordered = 2;
    weapon->ordered = 3;
    int32_t total = 0;
    SettleOrder(career, &total, nullptr, false);
    EXPECT_EQ(career.GetShipCount(), 0);
    EXPECT_EQ(hull->ordered, 2);

    DeliverOrders(career);
    ASSERT_EQ(career.GetShipCount(), 2);
    EXPECT_STREQ(career.GetShip(0)->name, "P102");
    EXPECT_STREQ(career.GetShip(1)->name, "P102I");
    EXPECT_EQ(career.GetShip(1)->count, 1);   // hull read
    EXPECT_EQ(hull->ordered, 0);
    EXPECT_EQ(hull->quantity, 2);
    EXPECT_EQ(weapon->ordered, 0);
    EXPECT_EQ(Stored(career, weapon->id), 3);
    EXPECT_FALSE(career.stores.front()->listPictures.empty());   // built from its definition

    hull->ordered = 1;
    SettleOrder(career, &total, nullptr, true);
    EXPECT_EQ(career.GetShipCount(), 3);
    EXPECT_EQ(hull->quantity, 3);
}

TEST_F(RequisitionOrders, TheViewedShipIsSelectedOnlyWhileTheCareerOwnsIt) {
    CareerRecord career(0);
    auto second = std::make_unique<ShipRecord>("P102");
    ShipRecord* const other = career.AddShip(std::move(second));
    int32_t total = 0;
    SettleOrder(career, &total, other, false);
    EXPECT_EQ(career.GetShip(-1), other);
    // A catalogue hull record is not a ship of the career.
    ShipRecord outside("P102");
    SettleOrder(career, &total, &outside, false);
    EXPECT_EQ(career.GetShip(-1), other);
}

}  // namespace
