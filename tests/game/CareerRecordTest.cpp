// The career's "PLIN" form: written enciphered with plain headers, found by
// the lobby chunk by chunk, and read back only when whole and sane.
#include "game/CareerRecord.h"

#include <gtest/gtest.h>

#include <cstring>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "engine/ByteOrder.h"
#include "engine/FileWrappers.h"
#include "game/XorChunkStream.h"
#include "tests/support/MemoryStream.h"
#include "tests/support/SampleDataSuite.h"

namespace {

using Bytes = std::vector<uint8_t>;
constexpr uint32_t kKey = 0x7661732E;  // ".sav"

std::unique_ptr<CareerRecord> FullCareer() {
    auto full = std::make_unique<CareerRecord>(1);
    CareerRecord& career = *full;
    std::strcpy(career.pilotName, "Maren Holt");
    std::strcpy(career.callsign, "Gannet");
    career.funds = 1234567;
    career.trophies = 0x8001;
    career.kills = 42;
    career.missions = 17;
    career.accuracyValue = 63;
    career.face = 5;
    career.logo = 18;
    career.options.spaceDust = 0;
    career.options.inertialOff = 0;
    career.options.soundVolume = 7;
    career.options.musicVolume = 1;
    // The lists, without the data the game rebuilds texts and areas from.
    career.hirePool.push_back(std::make_unique<PilotRecord>("Ada Brenn", "Twelve years on patrol."));
    auto hired = std::make_unique<PilotRecord>("Tomas Vey", std::string(3000, 'r').c_str());
    hired->kills = 7;
    hired->accuracy = 55;
    hired->missions = 9;
    hired->flying = 1;
    hired->flight.byKind[2] = {40, 12};
    career.hiredPilots.push_back(std::move(hired));
    career.lostPilots.push_back(std::make_unique<PilotRecord>("Ilse Marr", ""));
    auto ship = std::make_unique<ShipRecord>("P303");
    ship->damage = 35;
    ship->repairPoints = 12;
    ship->sold = 1;
    ship->pilot = career.hiredPilots[0].get();
    career.AddShip(std::move(ship));
    auto ordered = std::make_unique<EquipmentItem>("Engine 1", 7);
    ordered->ordered = 2;
    career.catalogue.push_back(std::move(ordered));
    auto stock = std::make_unique<EquipmentItem>("Armor 2", 3);
    stock->quantity = 4;
    stock->toSell = 1;
    stock->repairMoney = 800;
    stock->damage = 40;
    stock->damageDetail = 0x0A141E28;
    career.stores.push_back(std::move(stock));
    return full;
}

// What a list entry is, as text, to compare whole lists at once.
std::string Describe(const PilotRecord& p) {
    return p.name + "|" + std::to_string(p.resume.size()) + "|" + std::to_string(p.missions) + "|" +
           std::to_string(p.accuracy) + "|" + std::to_string(p.kills) + "|" + std::to_string(p.flying) + "|" +
           std::to_string(p.flight.byKind[2].shots) + "/" + std::to_string(p.flight.byKind[2].hits);
}
std::string Describe(const EquipmentItem& i) {
    return std::string(i.id) + "|" + std::to_string(i.kind) + "|" + std::to_string(i.damage) + "|" +
           std::to_string(i.damageDetail) + "|" + std::to_string(i.repairMoney) + "|" + std::to_string(i.quantity) +
           "|" + std::to_string(i.ordered) + "|" + std::to_string(i.toSell) + "|" + std::to_string(i.ammunition) + "|" +
           std::to_string(i.column) + "," + std::to_string(i.row) + "@" + std::to_string(i.areaIndex);
}
template <typename List>
std::vector<std::string> Describe(const List& list) {
    std::vector<std::string> lines;
    for (const auto& entry : list) lines.push_back(Describe(*entry));
    return lines;
}
std::vector<std::string> DescribeShips(const CareerRecord& career) {
    std::vector<std::string> lines;
    for (const auto& ship : career.ships) {
        lines.push_back(std::string(ship->name) + "|" + ship->hullId + "|" + std::to_string(ship->damage) + "|" +
                        std::to_string(ship->repairPoints) + "|" + std::to_string(ship->sold) + "|" +
                        (ship->pilot != nullptr ? ship->pilot->name : "-"));
        for (const auto& item : ship->Items()) lines.push_back("  " + Describe(*item));
    }
    return lines;
}

void ExpectSameSaved(const CareerRecord& a, const CareerRecord& b) {
    EXPECT_STREQ(a.pilotName, b.pilotName);
    EXPECT_STREQ(a.callsign, b.callsign);
    EXPECT_EQ(a.funds, b.funds);
    EXPECT_EQ(a.trophies, b.trophies);
    EXPECT_EQ(a.kills, b.kills);
    EXPECT_EQ(a.missions, b.missions);
    EXPECT_EQ(a.accuracyValue, b.accuracyValue);
    EXPECT_EQ(a.face, b.face);
    EXPECT_EQ(a.logo, b.logo);
    for (int i = 0; i < CareerOptions::kWords; ++i) EXPECT_EQ(a.options.Word(i), b.options.Word(i)) << i;
    EXPECT_EQ(Describe(a.hirePool), Describe(b.hirePool));
    EXPECT_EQ(Describe(a.hiredPilots), Describe(b.hiredPilots));
    EXPECT_EQ(Describe(a.lostPilots), Describe(b.lostPilots));
    EXPECT_EQ(DescribeShips(a), DescribeShips(b));
    EXPECT_EQ(Describe(a.catalogue), Describe(b.catalogue));
    EXPECT_EQ(Describe(a.stores), Describe(b.stores));
}

Bytes Saved(const CareerRecord& career) {
    MemoryStream stream;
    XorChunkStream out(&stream);
    EXPECT_EQ(out.ValidateHeader(), kStatusOk);
    out.SetKey(kKey);
    EXPECT_EQ(career.Save(out), kStatusOk);
    EXPECT_EQ(out.Finish(), kStatusOk);
    return stream.Bytes();
}

Status LoadFrom(const Bytes& bytes, CareerRecord& career) {
    MemoryStream stream(bytes);
    XorChunkStream in(&stream);
    const Status header = in.ValidateHeader();
    if (header != kStatusOk) return header;
    in.SetKey(kKey);
    return career.Load(in);
}

// A "PLIN" form of the given chunks, written through the cipher.
struct Piece {
    const char* id;
    Bytes data;
};
Bytes Plin(const std::vector<Piece>& pieces) {
    MemoryStream stream;
    XorChunkStream out(&stream);
    EXPECT_EQ(out.ValidateHeader(), kStatusOk);
    out.SetKey(kKey);
    EXPECT_EQ(out.BeginForm(MakeTag("PLIN")), kStatusOk);
    for (const Piece& piece : pieces) {
        uint32_t id = 0;
        std::memcpy(&id, piece.id, 4);
        EXPECT_EQ(out.WriteChunk(id, piece.data.data(), uint32_t(piece.data.size())), kStatusOk);
    }
    EXPECT_EQ(out.Finish(), kStatusOk);
    return stream.Bytes();
}
Bytes Word(int32_t value) {
    Bytes bytes(4);
    StoreLe32(bytes.data(), uint32_t(value));
    return bytes;
}
Bytes Text(const std::string& text) { return Bytes(text.c_str(), text.c_str() + text.size() + 1); }

TEST(CareerRecord, EveryFieldRoundTripsWithPlainHeadersAndEncipheredData) {
    const auto full = FullCareer();
    const CareerRecord& career = *full;
    const Bytes bytes = Saved(career);
    ASSERT_GE(bytes.size(), 31u);
    EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 4), "FORM");
    EXPECT_EQ(LoadBe32(bytes.data() + 4), bytes.size() - 8);
    EXPECT_EQ(std::string(bytes.begin() + 8, bytes.begin() + 16), std::string("PLINNAME", 8));
    EXPECT_EQ(LoadBe32(bytes.data() + 16), 11u);  // "Maren Holt" and its NUL
    // The first word deciphers, the tail beyond the last whole word is plain.
    EXPECT_NE(std::string(bytes.begin() + 20, bytes.begin() + 24), "Mare");
    EXPECT_EQ(bytes[20] ^ 0x2E, 'M');
    EXPECT_EQ(std::string(bytes.begin() + 28, bytes.begin() + 31), std::string("lt\0", 3));

    CareerRecord loaded(1);
    ASSERT_EQ(LoadFrom(bytes, loaded), kStatusOk);
    ExpectSameSaved(loaded, career);
    EXPECT_EQ(loaded.teamIndex, -1);  // not saved
}

TEST(CareerRecord, LobbyFindsSixChunksByRewindAndFindInsideThePlinForm) {
    const auto full = FullCareer();
    const CareerRecord& career = *full;
    MemoryStream stream(Saved(career));
    XorChunkStream in(&stream);
    ASSERT_EQ(in.ValidateHeader(), kStatusOk);
    in.SetKey(kKey);
    ASSERT_EQ(in.FindForm(MakeTag("PLIN")), kStatusOk);
    ASSERT_EQ(in.Descend(), kStatusOk);
    const std::pair<uint32_t, Bytes> chunks[] = {
        {MakeTag("FACE"), Word(5)},          {MakeTag("MISS"), Word(17)}, {MakeTag("KILL"), Word(42)},
        {MakeTag("LOGO"), Word(18)},         {MakeTag("CALL"), Text("Gannet")},
        {MakeTag("NAME"), Text("Maren Holt")}};
    for (const auto& [id, expected] : chunks) {
        ASSERT_EQ(in.Rewind(0), kStatusOk);
        ASSERT_EQ(in.FindChunk(id), kStatusOk) << id;
        Bytes read(expected.size(), 0xAA);
        ASSERT_EQ(in.ReadChunkData(read.data(), uint32_t(read.size())), kStatusOk);
        EXPECT_EQ(read, expected) << id;
    }
}

TEST(CareerRecord, TruncatedAtEveryByteLeavesTheOldRecord) {
    const Bytes bytes = Saved(*FullCareer());
    CareerRecord old(0);
    old.kills = 9;
    for (size_t length = 0; length < bytes.size(); ++length) {
        SCOPED_TRACE(length);
        CareerRecord career(0);
        career.kills = old.kills;
        EXPECT_NE(LoadFrom(Bytes(bytes.begin(), bytes.begin() + length), career), kStatusOk);
        ExpectSameSaved(career, old);
    }
}

TEST(CareerRecord, DamagedChunksRefuseTheFileAndUnknownOnesAreSkipped) {
    const std::vector<std::vector<Piece>> damaged = {
        {{"KILL", Word(1)}, {"MONY", Bytes{1, 2, 3}}},             // a number of 3 bytes
        {{"KILL", Word(1)}, {"MISS", Bytes{1, 2, 3, 4, 5}}},       // of 5 bytes
        {{"NAME", Bytes{'a', 'b', 'c'}}},                          // not terminated
        {{"NAME", Text(std::string(64, 'x'))}},                    // 64 characters
        {{"CALL", {}}},                                            // empty text
        {{"LOGO", Word(19)}},
        {{"LOGO", Word(-1)}},
        {{"FACE", Word(-2)}},
        {{"OPTS", Bytes(80, 0)}},
    };
    for (size_t i = 0; i < damaged.size(); ++i) {
        SCOPED_TRACE(i);
        CareerRecord career(0);
        career.funds = 500;
        EXPECT_EQ(LoadFrom(Plin(damaged[i]), career), kStatusCareerBadRecord);
        EXPECT_EQ(career.funds, 500);
        EXPECT_EQ(career.kills, 0);
        EXPECT_STREQ(career.pilotName, "Korvane");
        EXPECT_EQ(career.logo, 0);
    }
    CareerRecord career(0);
    EXPECT_EQ(LoadFrom(Plin({{"SHIP", Bytes(37, 9)}, {"NAME", Text(std::string(63, 'y'))}, {"FACE", Word(-1)},
                             {"KILL", Word(3)}, {"APIL", {}}}),
                       career),
              kStatusOk);
    EXPECT_EQ(std::strlen(career.pilotName), 63u);
    EXPECT_EQ(career.kills, 3);
}

// The game never writes a debt: funds below nothing read as none, the
// largest a word holds as itself.
TEST(CareerRecord, FundsReadNeverBelowNothing) {
    const struct {
        int32_t saved, read;
    } cases[] = {{-1, 0}, {std::numeric_limits<int32_t>::min(), 0}, {0, 0},
                 {std::numeric_limits<int32_t>::max(), std::numeric_limits<int32_t>::max()}};
    for (const auto& c : cases) {
        CareerRecord career(0);
        ASSERT_EQ(LoadFrom(Plin({{"MONY", Word(c.saved)}, {"KILL", Word(2)}}), career), kStatusOk) << c.saved;
        EXPECT_EQ(career.funds, c.read) << c.saved;
        EXPECT_EQ(career.kills, 2) << c.saved;
    }
}

TEST(CareerRecord, OnlyHiredPilotsFlyALoadedShipAndThePilotEntryLeadsTheList) {
    const auto full = FullCareer();
    CareerRecord& career = *full;
    career.ships[1]->pilot = career.hirePool[0].get();   // not hired: flies nobody once loaded
    career.ships.erase(career.ships.begin());            // the pilot entry is never saved anyway
    CareerRecord loaded(0);
    ASSERT_EQ(LoadFrom(Saved(career), loaded), kStatusOk);
    ASSERT_EQ(loaded.ships.size(), 2u);
    EXPECT_TRUE(loaded.ships[0]->IsPilotOnly());
    EXPECT_STREQ(loaded.GetShip(0)->name, "P303");
    EXPECT_EQ(loaded.GetShip(0)->pilot, nullptr);
}

TEST(CareerRecord, AFileWithoutPlinFails) {
    MemoryStream stream;
    XorChunkStream out(&stream);
    ASSERT_EQ(out.ValidateHeader(), kStatusOk);
    ASSERT_EQ(out.BeginForm(MakeTag("BODY")), kStatusOk);
    ASSERT_EQ(out.Finish(), kStatusOk);
    CareerRecord career(0);
    EXPECT_NE(LoadFrom(stream.Bytes(), career), kStatusOk);
    EXPECT_STREQ(career.pilotName, "Korvane");
}

// --- A career made from the sample data ------------------------------------

class CareerWithData : public SampleDataSuite {
protected:
    static std::unique_ptr<EquipmentItem> Bare(const char* id, int32_t kind, int32_t damage = 0, int32_t ammunition = 0) {
        auto item = std::make_unique<EquipmentItem>(id, kind);
        item->damage = damage;
        item->ammunition = ammunition;
        return item;
    }
    static std::vector<std::string> StoreLines(const CareerRecord& career) {
        std::vector<std::string> lines;
        for (const auto& item : career.stores) {
            lines.push_back(std::string(item->id) + " x" + std::to_string(item->quantity) + (item->damage != 0 ? " damaged" : ""));
        }
        return lines;
    }
};

TEST_F(CareerWithData, ANewCareerFliesTheFirstHullFittedFromItsDefinition) {
    CareerRecord career(0);
    ASSERT_EQ(career.ships.size(), 2u);
    EXPECT_TRUE(career.ships[0]->IsPilotOnly());
    EXPECT_EQ(career.funds, CareerRecord::kStartingFunds);
    EXPECT_EQ(career.hirePool.size(), 4u);
    EXPECT_EQ(career.CountCatalogueItems(EquipmentItem::kShips), 3);
    for (const char* excluded : {"Missile 29", "Armor 13", "PILT", "P101"}) {
        for (int32_t i = 0; i < career.CountCatalogueItems(EquipmentItem::kAll); ++i) {
            EXPECT_STRNE(career.GetCatalogueItem(i, EquipmentItem::kAll)->id, excluded);
        }
    }
    const ShipRecord* const ship = career.GetShip(-1);
    ASSERT_NE(ship, nullptr);
    EXPECT_STREQ(ship->hullId, "P102");
    EXPECT_EQ(career.GetSelectedShipIndex(), 0);
    EXPECT_EQ(ship->CountItems(EquipmentItem::kWeapons), 3);
    EXPECT_EQ(ship->CountItems(EquipmentItem::kSystems), 6);
    EXPECT_TRUE(career.stores.empty());
    // Every item sits in the cells of its area, named after it.
    for (const auto& item : ship->Items()) {
        SCOPED_TRACE(item->id);
        const MountArea* const area = item->IsWeapon() ? ship->GetHardpointStrip(item->areaIndex) : ship->GetBay(item->areaIndex);
        ASSERT_NE(area, nullptr);
        EXPECT_EQ(area->Cell(item->column, area->IsStrip() ? 0 : item->row), item.get());
        EXPECT_EQ(item->mountName, area->name);
        EXPECT_FALSE(item->listPictures.empty());
        EXPECT_NE(item->layoutPicture, nullptr);
    }
}

TEST_F(CareerWithData, StoredEquipmentMergesInsertsAfterItsCategoryOrAppends) {
    CareerRecord career(0);
    career.stores.clear();
    career.StoreEquipment(Bare("Armor 2", 3));
    career.StoreEquipment(Bare("Generator 1", 1));
    career.StoreEquipment(Bare("Armor 2", 3));               // merges
    career.StoreEquipment(Bare("Armor 13", 3));              // after the armour
    career.StoreEquipment(Bare("Armor 2", 3, 30));           // damaged: stays apart
    career.StoreEquipment(Bare("Generator 1", 1, 0, 5));     // other ammunition
    career.StoreEquipment(Bare("Odd", 8));                   // no category of its own: appended
    EXPECT_EQ(StoreLines(career), (std::vector<std::string>{"Armor 2 x2", "Armor 13 x1", "Armor 2 x1 damaged",
                                                             "Generator 1 x1", "Generator 1 x1", "Odd x1"}));
    // A damaged one is never merged into, nor merged.
    career.StoreEquipment(Bare("Armor 2", 3, 30));
    EXPECT_EQ(career.GetStoredItem(2, EquipmentItem::kAll)->quantity, 1);

    // Repair units, probes, and the decoy and mine launchers (one category)
    // each keep with their own.
    career.stores.clear();
    for (const auto& [id, kind] : {std::pair{"Repair 1", 13}, std::pair{"Probe 1", 14}, std::pair{"Decoys 1", 15},
                                   std::pair{"Repair 2", 13}, std::pair{"Mines 1", 24}, std::pair{"Probe 2", 14}}) {
        career.StoreEquipment(Bare(id, kind));
    }
    EXPECT_EQ(StoreLines(career), (std::vector<std::string>{"Repair 1 x1", "Repair 2 x1", "Probe 1 x1", "Probe 2 x1",
                                                             "Decoys 1 x1", "Mines 1 x1"}));
}

TEST_F(CareerWithData, TakingFromAStackGivesAUnitOfItsDefinitionWithItsAmmunition) {
    CareerRecord career(0);
    career.stores.clear();
    auto rack = Bare("Missile Rack 1", 22, 0, 6);
    rack->quantity = 3;
    career.StoreEquipment(std::move(rack));
    const auto unit = career.TakeStoredItem(0, EquipmentItem::kWeapons);
    ASSERT_NE(unit, nullptr);
    EXPECT_EQ(unit->quantity, 1);
    EXPECT_EQ(unit->ammunition, 6);
    EXPECT_EQ(unit->width, 2);
    EXPECT_EQ(career.GetStoredItem(0, EquipmentItem::kAll)->quantity, 2);
    career.GetStoredItem(0, EquipmentItem::kAll)->quantity = 1;
    const EquipmentItem* const last = career.GetStoredItem(0, EquipmentItem::kAll);
    EXPECT_EQ(career.TakeStoredItem(0, EquipmentItem::kAll).get(), last);
    EXPECT_TRUE(career.stores.empty());
    EXPECT_EQ(career.TakeStoredItem(0, EquipmentItem::kAll), nullptr);

    // A stack the definitions do not know gives a unit in its likeness.
    auto homemade = Bare("Homemade", 3);
    homemade->name = "Home Plate";
    homemade->price = 77;
    homemade->width = 3;
    homemade->quantity = 2;
    career.StoreEquipment(std::move(homemade));
    const auto likeness = career.TakeStoredItem(0, EquipmentItem::kAll);
    ASSERT_NE(likeness, nullptr);
    EXPECT_EQ(likeness->name, "Home Plate");
    EXPECT_EQ(likeness->price, 77);
    EXPECT_EQ(likeness->width, 3);
    EXPECT_EQ(likeness->quantity, 1);
    EXPECT_EQ(career.GetStoredItem(0, EquipmentItem::kAll)->quantity, 1);
}

TEST_F(CareerWithData, ShipsAreNumberedPastThePilotEntryAndCountedByHull) {
    CareerRecord career(0);
    career.AddShip(std::make_unique<ShipRecord>("P102"));
    ShipRecord* const third = career.AddShip(std::make_unique<ShipRecord>("P102"));
    EXPECT_STREQ(career.GetShip(1)->name, "P102I");
    EXPECT_STREQ(third->name, "P102II");
    EXPECT_EQ(career.GetShipCount(), 3);
    EXPECT_EQ(career.GetShip(3), nullptr);
    EXPECT_EQ(career.GetShip(-2), nullptr);
    career.CountOwnedItems();
    for (int32_t i = 0; i < career.CountCatalogueItems(EquipmentItem::kShips); ++i) {
        const EquipmentItem* const hull = career.GetCatalogueItem(i, EquipmentItem::kShips);
        EXPECT_EQ(hull->quantity, std::string(hull->id) == "P102" ? 3 : 0) << hull->id;
    }
    // Long names stay within 15 characters.
    career.AddShip(std::make_unique<ShipRecord>("ABCDEFGHIJKLMNO"));
    EXPECT_STREQ(career.AddShip(std::make_unique<ShipRecord>("ABCDEFGHIJKLMNO"))->name, "ABCDEFGHIJKLMNA");

    // The first ship without a wingman is taken; the pilot entry is -1.
    career.HirePilot("ash calder");
    ASSERT_EQ(career.hiredPilots.size(), 1u);
    career.GetShip(0)->pilot = career.hiredPilots[0].get();
    career.selectedShip = 7;
    career.EnsureShipSelected();
    EXPECT_EQ(career.GetSelectedShipIndex(), 1);
    career.SelectShip(-1);
    EXPECT_TRUE(career.GetShip(-1) == nullptr && career.GetSelectedShipIndex() == -1);
}

TEST_F(CareerWithData, SoldShipsLeaveTheirItemsInTheStoresAndDismissedPilotsTheirShips) {
    CareerRecord career(0);
    career.HirePilot("JORY TALLIS");
    career.HirePilot("Nobody");
    ASSERT_EQ(career.hiredPilots.size(), 1u);
    PilotRecord* const pilot = career.hiredPilots[0].get();
    EXPECT_NE(career.FindCpilPilot("jory tallis"), nullptr);
    EXPECT_EQ(career.FindApilPilot("jory tallis"), nullptr);

    auto spare = std::make_unique<ShipRecord>("P303");
    ASSERT_EQ(spare->LoadHull(), kStatusOk);
    ShipRecord* const second = career.AddShip(std::move(spare));
    second->pilot = pilot;
    pilot->flying = 1;
    career.DismissPilot("Jory Tallis");
    EXPECT_EQ(second->pilot, nullptr);
    EXPECT_EQ(pilot->flying, 0);
    EXPECT_EQ(career.hirePool.back().get(), pilot);
    EXPECT_NE(career.FindApilPilot("JORY TALLIS"), nullptr);
    EXPECT_EQ(career.FindCpilPilot("jory tallis"), nullptr);
    // Hired again and lost, the pilot's resume is found among the lost alone.
    career.HirePilot("JORY TALLIS");
    career.LosePilot("JORY TALLIS");
    EXPECT_EQ(career.FindDpilPilot("jory tallis"), pilot->resume.c_str());
    EXPECT_EQ(career.FindCpilPilot("jory tallis"), nullptr);
    EXPECT_EQ(career.FindApilPilot("jory tallis"), nullptr);
    EXPECT_EQ(career.FindDpilPilot("Nobody"), nullptr);

    const int32_t fitted = career.GetShip(0)->CountItems(EquipmentItem::kAll);
    career.GetShip(0)->sold = 1;
    career.RemoveSoldShips();
    EXPECT_EQ(career.GetShipCount(), 1);
    EXPECT_EQ(career.GetShip(0), second);
    EXPECT_EQ(career.GetSelectedShipIndex(), 0);
    int32_t stored = 0;
    for (const auto& item : career.stores) stored += item->quantity;
    EXPECT_EQ(stored, fitted);
    EXPECT_EQ(StoreLines(career).size(), size_t(fitted - 1));   // the two cannons merged
}

TEST_F(CareerWithData, FittedShipsCatalogueAndStoresSaveAndLoadEqualWithItemsInTheirCells) {
    const auto full = FullCareer();
    CareerRecord& career = *full;
    CareerRecord made(0);
    career.catalogue = std::move(made.catalogue);
    career.ships[1]->sold = 0;
    career.AddShip(std::move(made.ships[1]));
    auto heavy = std::make_unique<ShipRecord>("P303");
    ASSERT_EQ(heavy->LoadHull(), kStatusOk);
    ShipRecord* const second = career.AddShip(std::move(heavy));
    auto armour = std::make_unique<EquipmentItem>("Armor 2", 3);
    armour->width = 1;
    armour->height = 2;
    armour->mountClass = 3;
    armour->damage = 20;
    EXPECT_EQ(second->PlaceStoredItem(std::move(armour)), nullptr);

    CareerRecord loaded(1);
    ASSERT_EQ(LoadFrom(Saved(career), loaded), kStatusOk);
    ExpectSameSaved(loaded, career);
    for (int32_t s = 0; s < loaded.GetShipCount(); ++s) {
        const ShipRecord& ship = *loaded.GetShip(s);
        EXPECT_EQ(ship.count, 1);   // the hull read again
        for (const auto& item : ship.Items()) {
            SCOPED_TRACE(item->id);
            const MountArea* const area = item->IsWeapon() ? ship.GetHardpointStrip(item->areaIndex) : ship.GetBay(item->areaIndex);
            ASSERT_NE(area, nullptr);
            EXPECT_EQ(area->Cell(item->column, area->IsStrip() ? 0 : item->row), item.get());
            EXPECT_EQ(item->name, item->id);   // the sample's names are their ids
        }
    }
    EXPECT_EQ(loaded.CountCatalogueItems(EquipmentItem::kShips), 3);
    EXPECT_NE(loaded.GetCatalogueItem(0, EquipmentItem::kShips)->ship, nullptr);
}

TEST(PilotRecord, AccuracyIsTheMeanOfTheGroupsThatFiredAveragedWithTheStoredValue) {
    AccuracyRecord flown;
    flown.byKind[0] = {10, 5};
    flown.byKind[1] = {0, 0};
    flown.byKind[3] = {4, 1};
    flown.kills = 2;
    struct Case {
        int32_t stored, expected;
    };
    for (const Case c : {Case{0, 37}, Case{60, 48}, Case{-5, 37}}) {
        PilotRecord pilot("Face 001", "");
        pilot.accuracy = c.stored;
        pilot.kills = 1;
        pilot.ApplyMission(flown);
        EXPECT_EQ(pilot.GetAccuracy(), c.expected) << c.stored;
        EXPECT_EQ(pilot.GetKills(), 3);
    }
    PilotRecord idle("Face 002", "");
    idle.accuracy = 60;
    idle.ApplyMission(AccuracyRecord{});
    EXPECT_EQ(idle.GetAccuracy(), 60);
}

}  // namespace
