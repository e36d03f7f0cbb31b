#include "game/CareerRecord.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <strings.h>
#include <type_traits>

#include "engine/ByteOrder.h"
#include "engine/Saturate.h"
#include "game/CareerDataFiles.h"
#include "game/DataDirectories.h"
#include "game/DefinitionFormat.h"
#include "game/Definitions.h"
#include "game/GameState.h"
#include "game/XorChunkStream.h"

int32_t CareerOptions::Word(int index) const {
    const int32_t words[kWords] = {textures,     spaceDust,     extraLights,   shadingLevel, alphaBlend,  invulnerability,
                                   unlimitedAmmo, unlimitedFuel, invisibility, inertialOff,  soundVolume, musicVolume};
    return index >= 0 && index < kWords ? words[index] : 0;
}

void CareerOptions::TakeWord(int index, int32_t value) {
    int32_t* const words[kWords] = {&textures,     &spaceDust,     &extraLights,  &shadingLevel, &alphaBlend,
                                    &invulnerability, &unlimitedAmmo, &unlimitedFuel, &invisibility, &inertialOff,
                                    &soundVolume,  &musicVolume};
    if (index < 0 || index >= kWords) return;
    if (words[index] == &soundVolume || words[index] == &musicVolume) {
        if (value < 0 || value > kMaxVolume) value = CareerOptions{}.Word(index);
    }
    *words[index] = value;
}

namespace {

constexpr uint32_t kPlinType = MakeTag("PLIN");
constexpr uint32_t kNameId = MakeTag("NAME");
constexpr uint32_t kCallId = MakeTag("CALL");
constexpr uint32_t kFaceId = MakeTag("FACE");
constexpr uint32_t kLogoId = MakeTag("LOGO");
constexpr uint32_t kMoneyId = MakeTag("MONY");
constexpr uint32_t kTrophyId = MakeTag("TRPH");
constexpr uint32_t kKillId = MakeTag("KILL");
constexpr uint32_t kMissionId = MakeTag("MISS");
constexpr uint32_t kAccuracyId = MakeTag("ACCV");
constexpr uint32_t kOptionsId = MakeTag("OPTS");
constexpr uint32_t kOptionsBytes = CareerOptions::kWords * 4;
constexpr uint32_t kHirePoolForm = MakeTag("APIL");
constexpr uint32_t kHiredForm = MakeTag("CPIL");
constexpr uint32_t kLostForm = MakeTag("DPIL");
constexpr uint32_t kShipsForm = MakeTag("SHPS");
constexpr uint32_t kCatalogueForm = MakeTag("CATL");
constexpr uint32_t kStoresForm = MakeTag("STOR");
constexpr uint32_t kRosterForm = MakeTag("WING");
// Far more chunks than a career holds: a damaged form stops here.
constexpr int kMaxChunks = 4096;

Status ReadOptions(XorChunkStream& stream, CareerOptions* options) {
    if (stream.ChunkSize() != kOptionsBytes || stream.UnreadCount() != kOptionsBytes) {
        return kStatusCareerBadRecord;
    }
    uint8_t bytes[kOptionsBytes];
    const Status status = stream.ReadChunkData(bytes, sizeof bytes);
    if (status != kStatusOk) {
        return status;
    }
    for (int i = 0; i < CareerOptions::kWords; ++i) {
        options->TakeWord(i, static_cast<int32_t>(LoadLe32(bytes + 4 * i)));
    }
    return kStatusOk;
}

}  // namespace

CareerRecord::CareerRecord(int32_t multiplayer, Empty) : multiplayer(multiplayer) {}

CareerRecord::CareerRecord(int32_t multiplayer) : multiplayer(multiplayer) { StartOut(); }

CareerRecord::~CareerRecord() = default;

std::unique_ptr<CareerRecord> CareerRecord::Blank(int32_t multiplayer) {
    return std::unique_ptr<CareerRecord>(new CareerRecord(multiplayer, Empty{}));
}

Status CareerRecord::Save(XorChunkStream& stream) const {
    uint8_t optionBytes[kOptionsBytes];
    for (int i = 0; i < CareerOptions::kWords; ++i) {
        StoreLe32(optionBytes + 4 * i, static_cast<uint32_t>(options.Word(i)));
    }
    Status status = stream.BeginForm(kPlinType);
    if (status == kStatusOk) status = stream.WriteTextChunk(kNameId, pilotName);
    if (status == kStatusOk) status = stream.WriteTextChunk(kCallId, callsign);
    if (status == kStatusOk) status = stream.WriteWordChunk(kFaceId, face);
    if (status == kStatusOk) status = stream.WriteWordChunk(kLogoId, logo);
    if (status == kStatusOk) status = stream.WriteWordChunk(kMoneyId, funds);
    if (status == kStatusOk) status = stream.WriteWordChunk(kTrophyId, static_cast<int32_t>(trophies));
    if (status == kStatusOk) status = stream.WriteWordChunk(kKillId, kills);
    if (status == kStatusOk) status = stream.WriteWordChunk(kMissionId, missions);
    if (status == kStatusOk) status = stream.WriteWordChunk(kAccuracyId, accuracyValue);
    if (status == kStatusOk) status = stream.WriteChunk(kOptionsId, optionBytes, sizeof optionBytes);
    // Empty lists are left out, and so is the pilot-only entry, which holds
    // nothing and leads every list loaded.
    const auto list = [&](uint32_t form, const auto& entries) {
        bool any = false;
        for (const auto& entry : entries) {
            if (status != kStatusOk) break;
            if constexpr (std::is_same_v<std::decay_t<decltype(*entry)>, ShipRecord>) {
                if (entry->IsPilotOnly()) continue;
            }
            if (!any) status = stream.BeginForm(form);
            any = true;
            if (status == kStatusOk) status = entry->Save(stream);
        }
        if (any && status == kStatusOk) status = stream.Ascend();
    };
    list(kHirePoolForm, hirePool);
    list(kHiredForm, hiredPilots);
    list(kLostForm, lostPilots);
    list(kShipsForm, ships);
    list(kCatalogueForm, catalogue);
    list(kStoresForm, stores);
    if (status == kStatusOk) status = stream.Ascend();
    return status;
}

Status CareerRecord::Load(XorChunkStream& stream) {
    if (stream.FindForm(kPlinType) != kStatusOk) {
        return stream.LastError() != kStatusOk && stream.LastError() != kStatusEndOfData ? stream.LastError()
                                                                                          : kStatusCareerBadRecord;
    }
    Status status = stream.Descend();
    if (status != kStatusOk) {
        return status;
    }
    CareerRecord fresh(multiplayer, Empty{});
    int32_t trophyWord = 0;
    int chunks = 0;
    // Texts, pictures and areas come from the data, not from the file.
    CareerDataFiles data(g_gameState != nullptr ? g_gameState->difficulty : 1);
    std::vector<std::pair<ShipRecord*, std::string>> assignments;
    const auto readPilots = [&](PilotList* list) {
        return stream.WalkForm(
            [&](uint32_t) -> Status {
                std::unique_ptr<PilotRecord> pilot;
                const Status read = PilotRecord::Load(stream, &pilot);
                if (read == kStatusOk) list->push_back(std::move(pilot));
                return read;
            },
            kStatusCareerBadRecord);
    };
    const auto readItems = [&](ItemList* list, bool shipsAllowed) {
        return stream.WalkForm(
            [&](uint32_t) -> Status {
                std::unique_ptr<EquipmentItem> item;
                const Status read = EquipmentItem::Load(stream, data, &item);
                if (read != kStatusOk) return read;
                if (item->IsShip() && !shipsAllowed) return kStatusCareerBadRecord;
                list->push_back(std::move(item));
                return kStatusOk;
            },
            kStatusCareerBadRecord);
    };
    const auto readShips = [&]() {
        return stream.WalkForm(
            [&](uint32_t) -> Status {
                std::unique_ptr<ShipRecord> ship;
                std::string pilot;
                const Status read = ShipRecord::Load(stream, data, &ship, &pilot);
                if (read != kStatusOk) return read;
                assignments.emplace_back(ship.get(), pilot);
                fresh.ships.push_back(std::move(ship));
                return kStatusOk;
            },
            kStatusCareerBadRecord);
    };
    while (status == kStatusOk) {
        status = stream.NextChunk();
        if (status == kStatusEndOfData) {
            status = kStatusOk;
            break;
        }
        if (status != kStatusOk) {
            break;
        }
        if (++chunks > kMaxChunks) {
            status = kStatusCareerBadRecord;
            break;
        }
        switch (stream.ChunkId()) {
            case kNameId: status = stream.ReadTextChunk(fresh.pilotName, kStatusCareerBadRecord); break;
            case kCallId: status = stream.ReadTextChunk(fresh.callsign, kStatusCareerBadRecord); break;
            case kFaceId: status = stream.ReadWordChunk(&fresh.face, kStatusCareerBadRecord); break;
            case kLogoId: status = stream.ReadWordChunk(&fresh.logo, kStatusCareerBadRecord); break;
            case kMoneyId: status = stream.ReadWordChunk(&fresh.funds, kStatusCareerBadRecord); break;
            case kTrophyId: status = stream.ReadWordChunk(&trophyWord, kStatusCareerBadRecord); break;
            case kKillId: status = stream.ReadWordChunk(&fresh.kills, kStatusCareerBadRecord); break;
            case kMissionId: status = stream.ReadWordChunk(&fresh.missions, kStatusCareerBadRecord); break;
            case kAccuracyId: status = stream.ReadWordChunk(&fresh.accuracyValue, kStatusCareerBadRecord); break;
            case kOptionsId: status = ReadOptions(stream, &fresh.options); break;
            case IffFile::kFormId:
                switch (stream.FormType()) {
                    case kHirePoolForm: status = readPilots(&fresh.hirePool); break;
                    case kHiredForm: status = readPilots(&fresh.hiredPilots); break;
                    case kLostForm: status = readPilots(&fresh.lostPilots); break;
                    case kShipsForm: status = readShips(); break;
                    case kCatalogueForm: status = readItems(&fresh.catalogue, true); break;
                    case kStoresForm: status = readItems(&fresh.stores, false); break;
                    default: break;
                }
                break;
            default: break;  // a later list, or one this build does not know
        }
    }
    fresh.trophies = static_cast<uint32_t>(trophyWord);
    // Every purchase and repair is refused past the funds and a lost ship
    // costs at most what is there, so the game never writes a debt.
    fresh.funds = std::max(fresh.funds, 0);
    // Counts only grow: a negative one is damage, never a debt to pay off.
    if (status == kStatusOk &&
        (fresh.logo < 0 || fresh.logo > kLastLogo || fresh.face < -1 || fresh.kills < 0 || fresh.missions < 0)) {
        status = kStatusCareerBadRecord;
    }
    const Status ascended = stream.Ascend();
    if (status == kStatusOk) {
        status = ascended;
    }
    if (status != kStatusOk) {
        return status;
    }
    // Only a hired pilot flies; a name the rosters do not hold flies nobody.
    for (auto& [ship, name] : assignments) {
        for (const auto& pilot : fresh.hiredPilots) {
            if (!name.empty() && pilot->name == name) ship->pilot = pilot.get();
        }
    }
    // The pilot-only entry leads the list whatever the file held.
    const auto pilotOnly = std::find_if(fresh.ships.begin(), fresh.ships.end(), [](const auto& ship) { return ship->IsPilotOnly(); });
    if (pilotOnly == fresh.ships.end()) {
        fresh.ships.insert(fresh.ships.begin(), std::make_unique<ShipRecord>(ShipRecord::kPilotOnlyName));
    } else {
        std::rotate(fresh.ships.begin(), pilotOnly, pilotOnly + 1);
    }
    TakeSaved(fresh);
    EnsureShipSelected();
    return kStatusOk;
}

void CareerRecord::TakeSaved(CareerRecord& from) {
    hirePool = std::move(from.hirePool);
    hiredPilots = std::move(from.hiredPilots);
    lostPilots = std::move(from.lostPilots);
    catalogue = std::move(from.catalogue);
    stores = std::move(from.stores);
    ships = std::move(from.ships);
    selectedShip = -1;
    std::memcpy(pilotName, from.pilotName, sizeof pilotName);
    std::memcpy(callsign, from.callsign, sizeof callsign);
    funds = from.funds;
    trophies = from.trophies;
    kills = from.kills;
    missions = from.missions;
    accuracyValue = from.accuracyValue;
    face = from.face;
    logo = from.logo;
    options = from.options;
}

// --- A new career ----------------------------------------------------------

void CareerRecord::StartOut() {
    ships.push_back(std::make_unique<ShipRecord>(ShipRecord::kPilotOnlyName));
    funds = kStartingFunds;
    if (!g_dataDirs.Found(DataDir::kData)) return;
    const std::string data = g_dataDirs.Prefix(DataDir::kData);
    ReadRoster((data + kRosterFileName).c_str(), &hirePool);
    IffFile definitions(0);
    if (definitions.OpenFile((data + definition_format::kFileName).c_str(), 0) != kStatusOk) return;
    FillCatalogue(definitions);
    const EquipmentItem* const hull = GetCatalogueItem(0, EquipmentItem::kShips);
    SpobDefinition spob;
    if (hull != nullptr && definitions::FindSpobForm(definitions, hull->id) == kStatusOk &&
        definitions::ReadSpob(definitions, &spob) == kStatusOk) {
        auto ship = std::make_unique<ShipRecord>(hull->id);
        ship->LoadHull();
        for (const SpobDefinition::Equipment& fitted : spob.equipment) {
            auto item = std::make_unique<EquipmentItem>(fitted.id, definitions, 0);
            if (item->LoadStatus() != kStatusOk) continue;
            item->ammunition = fitted.ammunition;
            if (auto left = ship->PlaceStoredItem(std::move(item))) StoreEquipment(std::move(left));
        }
        AddShip(std::move(ship));
        SelectShip(0);
    }
    definitions.CloseFile();
    CountOwnedItems();
}

Status CareerRecord::ReadRoster(const char* path, PilotList* out) {
    // The roster is a plain chunk file: the stream without a key.
    XorChunkStream roster;
    Status status = roster.Open(path, 0);
    if (status != kStatusOk) return status;
    roster.SetKey(0);
    PilotList pilots;
    if (roster.FindForm(kRosterForm) != kStatusOk) {
        status = kStatusCareerBadRecord;
    } else {
        status = roster.WalkForm(
            [&](uint32_t) -> Status {
                std::unique_ptr<PilotRecord> pilot;
                const Status read = PilotRecord::Load(roster, &pilot);
                if (read == kStatusOk) pilots.push_back(std::move(pilot));
                return read;
            },
            kStatusCareerBadRecord);
    }
    roster.CloseFile();
    if (status != kStatusOk) return status;
    for (auto& pilot : pilots) out->push_back(std::move(pilot));
    return kStatusOk;
}

// --- The catalogue and the stores -------------------------------------------

namespace {

int32_t CountIn(const CareerRecord::ItemList& list, int32_t filter) {
    return int32_t(std::count_if(list.begin(), list.end(), [filter](const auto& item) { return item->Passes(filter); }));
}

// The position in the list of item i under the filter; -1 when out of range.
int32_t IndexIn(const CareerRecord::ItemList& list, int32_t i, int32_t filter) {
    if (i < 0) return -1;
    for (size_t at = 0; at < list.size(); ++at) {
        if (list[at]->Passes(filter) && i-- == 0) return int32_t(at);
    }
    return -1;
}

}  // namespace

int32_t CareerRecord::CountCatalogueItems(int32_t filter) const { return CountIn(catalogue, filter); }

EquipmentItem* CareerRecord::GetCatalogueItem(int32_t i, int32_t filter) const {
    const int32_t at = IndexIn(catalogue, i, filter);
    return at >= 0 ? catalogue[size_t(at)].get() : nullptr;
}

int32_t CareerRecord::CountStoredItems(int32_t filter) const { return CountIn(stores, filter); }

EquipmentItem* CareerRecord::GetStoredItem(int32_t i, int32_t filter) const {
    const int32_t at = IndexIn(stores, i, filter);
    return at >= 0 ? stores[size_t(at)].get() : nullptr;
}

std::unique_ptr<EquipmentItem> CareerRecord::TakeStoredItem(int32_t i, int32_t filter) {
    const int32_t at = IndexIn(stores, i, filter);
    if (at < 0) return nullptr;
    EquipmentItem& stack = *stores[size_t(at)];
    if (stack.quantity <= 1) {
        std::unique_ptr<EquipmentItem> item = std::move(stores[size_t(at)]);
        stores.erase(stores.begin() + at);
        return item;
    }
    --stack.quantity;
    std::unique_ptr<EquipmentItem> unit;
    IffFile definitions(0);
    const std::string path = g_dataDirs.Prefix(DataDir::kData) + definition_format::kFileName;
    if (g_dataDirs.Found(DataDir::kData) && definitions.OpenFile(path.c_str(), 0) == kStatusOk) {
        unit = std::make_unique<EquipmentItem>(stack.id, definitions, stack.kind);
        definitions.CloseFile();
    }
    if (unit == nullptr || unit->LoadStatus() != kStatusOk) {
        // Without the data the unit is the stack's likeness, pictures aside.
        unit = std::make_unique<EquipmentItem>(stack.id, stack.kind);
        unit->name = stack.name;
        unit->description = stack.description;
        unit->rating = stack.rating;
        unit->price = stack.price;
        std::copy(std::begin(stack.k), std::end(stack.k), unit->k);
        unit->mountClass = stack.mountClass;
        unit->width = stack.width;
        unit->height = stack.height;
    }
    unit->TakeNumbersFrom(stack);
    unit->quantity = 1;
    unit->toSell = 0;
    unit->areaIndex = -1;
    return unit;
}

void CareerRecord::StoreEquipment(std::unique_ptr<EquipmentItem> item) {
    if (item == nullptr) return;
    // Damage is per item: merging a damaged one would erase it.
    if (item->damage == 0) {
        for (const auto& stored : stores) {
            if (stored->damage == 0 && std::strcmp(stored->id, item->id) == 0 && stored->ammunition == item->ammunition) {
                stored->quantity = Saturate32(int64_t(stored->quantity) + item->quantity);
                return;
            }
        }
    }
    const int32_t category = item->GetCategory();
    item->areaIndex = -1;
    for (size_t at = stores.size(); at-- > 0;) {
        if (stores[at]->GetCategory() == category) {
            stores.insert(stores.begin() + int32_t(at) + 1, std::move(item));
            return;
        }
    }
    stores.push_back(std::move(item));
}

Status CareerRecord::AddCatalogueItem(const char* name, IffFile& definitions) {
    if (name == nullptr) return kStatusNothingToDo;
    for (const auto& item : catalogue) {
        if (std::strncmp(item->id, name, EquipmentItem::kIdBytes - 1) == 0) return kStatusOk;
    }
    std::unique_ptr<EquipmentItem> item;
    if (definitions.FormType() == definition_format::kSpobForm) {
        auto ship = std::make_unique<ShipRecord>(name);
        const Status hull = ship->LoadHull();
        if (hull != kStatusOk) return hull;
        item = std::make_unique<EquipmentItem>(ship.release(), true, &definitions);
    } else {
        item = std::make_unique<EquipmentItem>(name, definitions, 0);
    }
    if (item->LoadStatus() != kStatusOk) return item->LoadStatus();
    catalogue.push_back(std::move(item));
    return kStatusOk;
}

Status CareerRecord::FillCatalogue(IffFile& definitions) {
    namespace fmt = definition_format;
    const auto idOf = [](IffFile& entry, std::string* id) {
        char text[65] = {};
        if (entry.FindChunk(fmt::kId) != kStatusOk || entry.ChunkSize() > 64 || entry.ReadChunk(text, 64) != kStatusOk) {
            return false;
        }
        *id = std::string(text, strnlen(text, 64));
        return true;
    };
    Status status = definitions::ForEachEntry(definitions, fmt::kSpobForm, [&](IffFile& entry) {
        std::string id;
        if (idOf(entry, &id) && OffersHull(id.c_str())) AddCatalogueItem(id.c_str(), entry);
        return true;
    });
    if (status != kStatusOk) return status;
    return definitions::ForEachEntry(definitions, fmt::kEqobForm, [&](IffFile& entry) {
        std::string id;
        if (idOf(entry, &id) && OffersItem(id.c_str())) AddCatalogueItem(id.c_str(), entry);
        return true;
    });
}

bool CareerRecord::OffersHull(const char* id) {
    return id != nullptr && std::strlen(id) == 4 && id[0] == 'P' && std::strcmp(id, ShipRecord::kPilotOnlyName) != 0;
}

bool CareerRecord::OffersItem(const char* id) {
    return id != nullptr && std::strcmp(id, "Missile 29") != 0 && std::strcmp(id, "Armor 13") != 0;
}

void CareerRecord::CountOwnedItems() {
    for (const auto& item : catalogue) {
        int64_t owned = 0;
        for (const auto& stored : stores) {
            if (std::strcmp(stored->id, item->id) == 0) owned += stored->quantity;
        }
        for (const auto& ship : ships) {
            if (std::strcmp(ship->hullId, item->id) == 0) ++owned;
        }
        item->quantity = Saturate32(owned);
    }
}

void CareerRecord::ApplyStoredSales() {
    for (const auto& item : stores) {
        item->quantity -= item->toSell;
        item->toSell = 0;
    }
    std::erase_if(stores, [](const auto& item) { return item->quantity < 1; });
}

// --- Ships -------------------------------------------------------------------

int32_t CareerRecord::FirstShipEntry() const { return !ships.empty() && ships.front()->IsPilotOnly() ? 1 : 0; }

int32_t CareerRecord::GetShipCount() const { return int32_t(ships.size()) - FirstShipEntry(); }

ShipRecord* CareerRecord::GetShip(int32_t i) const {
    if (i == -1) {
        if (selectedShip >= 0) return GetShip(selectedShip);
        return FirstShipEntry() == 0 && !ships.empty() ? ships.front().get() : nullptr;
    }
    if (i < 0 || i >= GetShipCount()) return nullptr;
    return ships[size_t(i + FirstShipEntry())].get();
}

void CareerRecord::EnsureShipSelected() {
    if (selectedShip >= 0 && GetShip(selectedShip) != nullptr) return;
    selectedShip = -1;
    for (int32_t i = 0; i < GetShipCount(); ++i) {
        if (GetShip(i)->pilot == nullptr) {
            selectedShip = i;
            return;
        }
    }
}

void CareerRecord::SelectShip(int32_t i) {
    const int32_t entry = i + 1;
    if (entry < 0 || size_t(entry) >= ships.size()) return;
    ShipRecord& ship = *ships[size_t(entry)];
    if (ship.pilot != nullptr) ship.pilot->flying = 0;
    ship.pilot = nullptr;
    selectedShip = i;
}

ShipRecord* CareerRecord::FindShipBySerial(uint32_t serial) const {
    for (const auto& ship : ships) {
        if (ship->serial == serial) return ship.get();
    }
    return nullptr;
}

ShipRecord* CareerRecord::AddShip(std::unique_ptr<ShipRecord> ship) {
    if (ship == nullptr) return nullptr;
    const auto used = [this](const char* name) {
        return std::any_of(ships.begin(), ships.end(), [name](const auto& held) { return std::strcmp(held->name, name) == 0; });
    };
    static constexpr char kLastCharacters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    constexpr size_t kLongest = ShipRecord::kNameBytes - 1;
    char* const name = ship->name;
    while (used(name) && std::strlen(name) < kLongest) std::strcat(name, "I");
    for (size_t i = 0; used(name) && i + 1 < sizeof kLastCharacters; ++i) name[kLongest - 1] = kLastCharacters[i];
    ships.push_back(std::move(ship));
    return ships.back().get();
}

void CareerRecord::RemoveSoldShips() {
    for (;;) {
        const auto sold = std::find_if(ships.begin(), ships.end(), [](const auto& ship) { return ship->sold > 0; });
        if (sold == ships.end()) break;
        const int32_t index = int32_t(sold - ships.begin()) - FirstShipEntry();
        std::unique_ptr<ShipRecord> ship = std::move(*sold);
        ships.erase(sold);
        if (ship->pilot != nullptr) ship->pilot->flying = 0;
        for (auto& item : ship->TakeAllItems()) StoreEquipment(std::move(item));
        if (selectedShip == index) {
            selectedShip = -1;
        } else if (selectedShip > index) {
            --selectedShip;
        }
    }
    EnsureShipSelected();
}

// --- Pilots ------------------------------------------------------------------

namespace {

CareerRecord::PilotList::iterator FindPilot(CareerRecord::PilotList& list, const char* name) {
    return std::find_if(list.begin(), list.end(), [name](const auto& pilot) { return strcasecmp(pilot->name.c_str(), name) == 0; });
}

const char* ResumeOf(const CareerRecord::PilotList& list, const char* name) {
    if (name == nullptr) return nullptr;
    for (const auto& pilot : list) {
        if (strcasecmp(pilot->name.c_str(), name) == 0) return pilot->resume.c_str();
    }
    return nullptr;
}

// Moves the named pilot from one list to the end of another; null when he is not there.
PilotRecord* MovePilot(CareerRecord::PilotList& from, CareerRecord::PilotList& to, const char* name) {
    if (name == nullptr) return nullptr;
    const auto it = FindPilot(from, name);
    if (it == from.end()) return nullptr;
    to.push_back(std::move(*it));
    from.erase(it);
    return to.back().get();
}

}  // namespace

void CareerRecord::Unassign(PilotRecord& pilot) {
    pilot.flying = 0;
    for (const auto& ship : ships) {
        if (ship->pilot == &pilot) ship->pilot = nullptr;
    }
}

void CareerRecord::HirePilot(const char* name) { MovePilot(hirePool, hiredPilots, name); }

void CareerRecord::DismissPilot(const char* name) {
    if (PilotRecord* const pilot = MovePilot(hiredPilots, hirePool, name)) Unassign(*pilot);
}

void CareerRecord::LosePilot(const char* name) {
    if (PilotRecord* const pilot = MovePilot(hiredPilots, lostPilots, name)) Unassign(*pilot);
}

const char* CareerRecord::FindApilPilot(const char* name) const { return ResumeOf(hirePool, name); }
const char* CareerRecord::FindCpilPilot(const char* name) const { return ResumeOf(hiredPilots, name); }
const char* CareerRecord::FindDpilPilot(const char* name) const { return ResumeOf(lostPilots, name); }
