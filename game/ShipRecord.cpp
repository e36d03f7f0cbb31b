#include "game/ShipRecord.h"

#include <algorithm>
#include <cstring>

#include "display/BitmapCodec.h"
#include "engine/ByteOrder.h"
#include "engine/FixedText.h"
#include "engine/IffFile.h"
#include "game/CareerDataFiles.h"
#include "game/CareerRecord.h"
#include "game/DataDirectories.h"
#include "game/GameState.h"
#include "game/PilotRecord.h"
#include "game/XorChunkStream.h"

namespace {

constexpr uint32_t kHullForm = MakeTag("HULL");
constexpr uint32_t kIdChunk = MakeTag("ID  ");
constexpr uint32_t kNameChunk = MakeTag("NAME");
constexpr uint32_t kDescriptionChunk = MakeTag("DESC");
constexpr uint32_t kInfoChunk = MakeTag("INFO");
constexpr uint32_t kPhysChunk = MakeTag("PHYS");
constexpr uint32_t kStripChunk = MakeTag("HARD");
constexpr uint32_t kNozzleChunk = MakeTag("NOZL");
constexpr uint32_t kCelForm = MakeTag("XCEL");
// The bays of one chunk each, in the order they join the list, and their kinds.
constexpr uint32_t kBayChunks[] = {MakeTag("ARMR"), MakeTag("GENL"), MakeTag("FLCN"), MakeTag("GNTR"), MakeTag("ENGI")};
constexpr int32_t kBayKinds[] = {MountArea::kArmorBay, MountArea::kGeneralBay, MountArea::kFlightBay,
                                 MountArea::kGeneratorBay, MountArea::kEngineBay};
// Nozzles at x up to this are the left ones.
constexpr int32_t kNozzleDivide = 375;
// Hull chunks are small; a larger one is damage, as are endless files.
constexpr uint32_t kMaxChunkBytes = 4096;
constexpr int kMaxEntries = 4096;
constexpr uint32_t kTextBytes = 1024;

void CopyName(char (&to)[ShipRecord::kNameBytes], const char* from) {
    CopyFixedText(to, from);
}

// The area's name behind `fixed` bytes of words: none when the chunk ends
// there, else a string that must end inside the chunk.
bool AreaName(const std::vector<uint8_t>& bytes, size_t fixed, std::string* name, bool* hasName) {
    *hasName = bytes.size() > fixed;
    if (!*hasName) return true;
    const auto* const text = reinterpret_cast<const char*>(bytes.data() + fixed);
    const void* const end = std::memchr(text, 0, bytes.size() - fixed);
    if (end == nullptr) return false;
    name->assign(text, static_cast<const char*>(end));
    return true;
}

struct HullRead {
    std::string displayName, description;
    int32_t info[ShipRecord::kInfoWords] = {};
    int32_t phys[ShipRecord::kPhysWords] = {};
    std::vector<std::unique_ptr<MountArea>> strips, bays, nozzles;
    std::unique_ptr<MountArea> bay[5];
    std::unique_ptr<Bitmap> pictures[2];
    int pictureCount = 0;
};

Status ReadHullChunk(IffFile& hulls, HullRead& hull) {
    const uint32_t id = hulls.ChunkId();
    if (id == IffFile::kFormId) {
        if (hulls.FormType() != kCelForm || hull.pictureCount >= 2) return kStatusOk;
        if (hulls.Descend() != kStatusOk) return kStatusMalformed;
        auto picture = std::make_unique<Bitmap>();
        if (BitmapCodec::ReadCoorBitmap(&hulls, picture.get()) != kStatusOk) return kStatusMalformed;
        hull.pictures[hull.pictureCount++] = std::move(picture);
        return kStatusOk;
    }
    if (hulls.ChunkSize() > kMaxChunkBytes) return kStatusMalformed;
    std::vector<uint8_t> bytes(hulls.ChunkSize());
    if (!bytes.empty() && hulls.ReadChunk(bytes.data(), uint32_t(bytes.size())) != kStatusOk) return kStatusMalformed;
    const auto word = [&bytes](size_t i) { return int32_t(LoadLe16(bytes.data() + 2 * i)); };
    const auto text = [&bytes]() {
        const auto* const begin = reinterpret_cast<const char*>(bytes.data());
        return bytes.empty() ? std::string() : std::string(begin, strnlen(begin, std::min<size_t>(bytes.size(), kTextBytes)));
    };
    if (id == kNameChunk) {
        hull.displayName = text();
    } else if (id == kDescriptionChunk) {
        hull.description = text();
    } else if (id == kInfoChunk) {
        if (bytes.size() < 4u * ShipRecord::kInfoWords) return kStatusMalformed;
        for (int i = 0; i < ShipRecord::kInfoWords; ++i) hull.info[i] = int32_t(LoadLe32(bytes.data() + 4 * i));
    } else if (id == kPhysChunk) {
        if (bytes.size() < 4u * ShipRecord::kPhysWords) return kStatusMalformed;
        for (int i = 0; i < ShipRecord::kPhysWords; ++i) hull.phys[i] = int32_t(LoadLe32(bytes.data() + 4 * i));
    } else if (id == kStripChunk) {
        std::string name;
        bool hasName = false;
        if (bytes.size() < 6 || !AreaName(bytes, 6, &name, &hasName)) return kStatusMalformed;
        if (hull.strips.size() >= ShipRecord::kMaxAreas) return kStatusMalformed;
        const int32_t size = word(2);
        // A strip's kind is its size + 1 and stays below the bays' kinds.
        if (size + 1 >= MountArea::kFirstBayKind) return kStatusOk;
        if (auto strip = MountArea::Make({word(0), word(1)}, size + 1, 1, hasName ? name.c_str() : nullptr, size + 1)) {
            hull.strips.push_back(std::move(strip));
        }
    } else if (id == kNozzleChunk) {
        if (bytes.size() < 4 || hull.nozzles.size() >= ShipRecord::kMaxAreas) return kStatusMalformed;
        const int32_t x = word(0);
        hull.nozzles.push_back(MountArea::Make({x, word(1)}, 1, 1, nullptr,
                                               x <= kNozzleDivide ? MountArea::kLeftNozzle : MountArea::kRightNozzle));
    } else {
        for (size_t b = 0; b < std::size(kBayChunks); ++b) {
            if (id != kBayChunks[b]) continue;
            std::string name;
            bool hasName = false;
            if (bytes.size() < 8 || !AreaName(bytes, 8, &name, &hasName)) return kStatusMalformed;
            // Each gives at most one bay: the first.
            if (hull.bay[b] == nullptr) {
                hull.bay[b] = MountArea::Make({word(0), word(1)}, word(2), word(3), hasName ? name.c_str() : nullptr,
                                              kBayKinds[b]);
            }
        }
    }
    return kStatusOk;
}

// Positions the reader inside the top-level FORM "HULL" whose "ID  " is `id`.
Status FindHull(IffFile& hulls, const char* id) {
    while (hulls.Level() > 0) {
        if (hulls.Ascend() != kStatusOk) return kStatusMalformed;
    }
    if (hulls.Rewind(0) != kStatusOk) return kStatusMalformed;
    for (int entries = 0; entries < kMaxEntries; ++entries) {
        if (hulls.FindForm(kHullForm) != kStatusOk) {
            const Status stop = hulls.LastError();
            return stop == kStatusOk || stop == kStatusEndOfData || stop == kStatusIffFormNotFound ? kStatusNotThisRecord
                                                                                                    : kStatusMalformed;
        }
        if (hulls.Descend() != kStatusOk) return kStatusMalformed;
        char name[ShipRecord::kNameBytes + 1] = {};
        if (hulls.FindChunk(kIdChunk) == kStatusOk && hulls.ChunkSize() <= ShipRecord::kNameBytes &&
            hulls.ReadChunk(name, ShipRecord::kNameBytes) == kStatusOk &&
            std::strncmp(name, id, ShipRecord::kNameBytes) == 0) {
            return kStatusOk;
        }
        if (hulls.Ascend() != kStatusOk) return kStatusMalformed;
    }
    return kStatusMalformed;
}

}  // namespace

namespace {

uint32_t NextSerial() {
    static uint32_t last = 0;
    return ++last;
}

}  // namespace

ShipRecord::ShipRecord(const char* hull) : serial(NextSerial()) {
    CopyName(name, hull);
    CopyName(hullId, hull);
}

ShipRecord::~ShipRecord() = default;

bool ShipRecord::IsPilotOnly() const { return std::strcmp(name, kPilotOnlyName) == 0; }

Status ShipRecord::LoadHull(IffFile& hulls, int32_t difficulty) {
    Status status = FindHull(hulls, hullId);
    if (status != kStatusOk) return status;
    HullRead hull;
    if (hulls.Rewind(0) != kStatusOk) status = kStatusMalformed;
    for (int chunks = 0; status == kStatusOk; ++chunks) {
        const Status step = hulls.NextChunk();
        if (step == kStatusEndOfData) break;
        if (step != kStatusOk || chunks >= kMaxEntries) {
            status = kStatusMalformed;
            break;
        }
        status = ReadHullChunk(hulls, hull);
    }
    const Status ascended = hulls.Ascend();
    if (status == kStatusOk && ascended != kStatusOk) status = kStatusMalformed;
    if (status != kStatusOk) return status;

    displayName = std::move(hull.displayName);
    description = std::move(hull.description);
    std::copy(std::begin(hull.info), std::end(hull.info), info);
    maximum = info[3];
    price = int32_t(int64_t(info[0]) * std::max(1, difficulty));
    physMass = uint16_t(uint32_t(hull.phys[0]) >> 16);
    physThrust = int16_t(uint32_t(hull.phys[2]) >> 16);
    count = 1;
    weaponLayout = std::move(hull.pictures[0]);
    equipmentLayout = std::move(hull.pictures[1]);
    // The areas change: every fitted item leaves its cells and goes back in.
    strips_ = std::move(hull.strips);
    bays_.clear();
    for (auto& bay : hull.bay) {
        if (bay != nullptr) bays_.push_back(std::move(bay));
    }
    for (auto& nozzle : hull.nozzles) {
        if (nozzle != nullptr) bays_.push_back(std::move(nozzle));
    }
    for (const auto& item : items_) Refit(item.get());
    return kStatusOk;
}

Status ShipRecord::LoadHull() {
    IffFile hulls(0);
    const std::string path = g_dataDirs.Prefix(DataDir::kOption) + kHullFileName;
    if (hulls.OpenFile(path.c_str(), 0) != kStatusOk) return kStatusCannotOpen;
    const int32_t difficulty = g_gameState != nullptr ? g_gameState->difficulty : 1;
    const Status status = LoadHull(hulls, difficulty);
    hulls.CloseFile();
    return status;
}

int32_t ShipRecord::CountItems(int32_t filter) const {
    return int32_t(std::count_if(items_.begin(), items_.end(), [filter](const auto& item) { return item->Passes(filter); }));
}

EquipmentItem* ShipRecord::GetItem(int32_t i, int32_t filter) const {
    for (const auto& item : items_) {
        if (item->Passes(filter) && i-- == 0) return item.get();
    }
    return nullptr;
}

MountArea* ShipRecord::GetBay(int32_t i) const { return i >= 0 && size_t(i) < bays_.size() ? bays_[size_t(i)].get() : nullptr; }

MountArea* ShipRecord::GetHardpointStrip(int32_t i) const {
    return i >= 0 && size_t(i) < strips_.size() ? strips_[size_t(i)].get() : nullptr;
}

bool ShipRecord::HasBayKindConflict(MountPoint point, const EquipmentItem& item) const {
    for (const auto& bay : bays_) {
        if (bay->HitTest(point, item)) return bay->HasKindConflict(point, item);
    }
    return false;
}

std::unique_ptr<EquipmentItem> ShipRecord::Unfit(const EquipmentItem* item) {
    const auto it = std::find_if(items_.begin(), items_.end(), [item](const auto& held) { return held.get() == item; });
    if (it == items_.end()) return nullptr;
    std::unique_ptr<EquipmentItem> taken = std::move(*it);
    items_.erase(it);
    return taken;
}

std::unique_ptr<EquipmentItem> ShipRecord::Drop(std::vector<std::unique_ptr<MountArea>>& areas, MountPoint point,
                                                std::unique_ptr<EquipmentItem> item) {
    if (item == nullptr) return nullptr;
    for (size_t i = 0; i < areas.size(); ++i) {
        MountArea& area = *areas[i];
        if (area.DropItemAt(point, item.get()) == 0) continue;
        item->areaIndex = int32_t(i);
        item->mountName = area.name;
        EquipmentItem* const displaced = area.LastDisplaced();
        items_.push_back(std::move(item));
        return Unfit(displaced);
    }
    return item;
}

std::unique_ptr<EquipmentItem> ShipRecord::DropItemInBay(MountPoint point, std::unique_ptr<EquipmentItem> item) {
    return Drop(bays_, point, std::move(item));
}

std::unique_ptr<EquipmentItem> ShipRecord::DropItemOnHardpoint(MountPoint point, std::unique_ptr<EquipmentItem> item) {
    return Drop(strips_, point, std::move(item));
}

std::unique_ptr<EquipmentItem> ShipRecord::DropItemInItsCells(std::unique_ptr<EquipmentItem> item) {
    if (item == nullptr) return nullptr;
    MountArea* const area = item->IsWeapon() ? GetHardpointStrip(item->areaIndex) : GetBay(item->areaIndex);
    if (area == nullptr) return item;
    const int32_t cell = area->IsStrip() ? MountArea::kStripCell : MountArea::kBayCell;
    const MountPoint point{area->origin.x + item->column * cell, area->origin.y + (area->IsStrip() ? 0 : item->row * cell)};
    if (area->DropItemAt(point, item.get()) == 0) return item;
    if (EquipmentItem* const lifted = area->LastDisplaced()) {
        area->RemoveItem(item.get());
        area->PlaceSavedItem(lifted);
        return item;
    }
    items_.push_back(std::move(item));
    return nullptr;
}

std::unique_ptr<EquipmentItem> ShipRecord::Take(std::vector<std::unique_ptr<MountArea>>& areas, MountPoint point) {
    for (const auto& area : areas) {
        if (EquipmentItem* const item = area->TakeItemAt(point)) return Unfit(item);
    }
    return nullptr;
}

std::unique_ptr<EquipmentItem> ShipRecord::TakeBayItemAt(MountPoint point) { return Take(bays_, point); }

std::unique_ptr<EquipmentItem> ShipRecord::TakeHardpointItemAt(MountPoint point) { return Take(strips_, point); }

std::unique_ptr<EquipmentItem> ShipRecord::PlaceStoredItem(std::unique_ptr<EquipmentItem> item) {
    if (item == nullptr) return nullptr;
    auto& areas = item->IsWeapon() ? strips_ : bays_;
    for (size_t i = 0; i < areas.size(); ++i) {
        if (areas[i]->PlaceStoredItem(item->column, item->row, item.get()) == 0) continue;
        item->areaIndex = int32_t(i);
        items_.push_back(std::move(item));
        return nullptr;
    }
    return item;
}

std::vector<std::unique_ptr<EquipmentItem>> ShipRecord::TakeAllItems() {
    for (const auto& item : items_) {
        for (const auto& area : strips_) area->RemoveItem(item.get());
        for (const auto& area : bays_) area->RemoveItem(item.get());
    }
    return std::move(items_);
}

void ShipRecord::Refit(EquipmentItem* item) {
    MountArea* const area = item->IsWeapon() ? GetHardpointStrip(item->areaIndex) : GetBay(item->areaIndex);
    if (area != nullptr) area->PlaceSavedItem(item);
}

namespace {

constexpr uint32_t kShipForm = MakeTag("SHIP");
constexpr uint32_t kFittedForm = MakeTag("EQMT");
constexpr uint32_t kItemForm = MakeTag("ITEM");
constexpr uint32_t kShipNameChunk = MakeTag("SHID");
constexpr uint32_t kHullChunk = MakeTag("HULL");
constexpr uint32_t kDamageChunk = MakeTag("DAMA");
constexpr uint32_t kRepairChunk = MakeTag("DAMR");
constexpr uint32_t kSoldChunk = MakeTag("SOLD");
constexpr uint32_t kPilotChunk = MakeTag("PILT");

}  // namespace

Status ShipRecord::Save(XorChunkStream& stream) const {
    Status status = stream.BeginForm(kShipForm);
    if (status == kStatusOk) status = stream.WriteTextChunk(kShipNameChunk, name);
    if (status == kStatusOk) status = stream.WriteTextChunk(kHullChunk, hullId);
    if (status == kStatusOk) status = stream.WriteWordChunk(kDamageChunk, damage);
    if (status == kStatusOk) status = stream.WriteWordChunk(kRepairChunk, repairPoints);
    if (status == kStatusOk) status = stream.WriteWordChunk(kSoldChunk, sold);
    if (status == kStatusOk && pilot != nullptr) status = stream.WriteTextChunk(kPilotChunk, pilot->name.substr(0, 63));
    if (status == kStatusOk) status = stream.BeginForm(kFittedForm);
    for (const auto& item : items_) {
        if (status == kStatusOk) status = item->Save(stream);
    }
    if (status == kStatusOk) status = stream.Ascend();
    if (status == kStatusOk) status = stream.Ascend();
    return status;
}

Status ShipRecord::Load(XorChunkStream& stream, CareerDataFiles& data, std::unique_ptr<ShipRecord>* out,
                        std::string* pilotName) {
    if (stream.ChunkId() != IffFile::kFormId || stream.FormType() != kShipForm) return kStatusCareerBadRecord;
    char shipName[XorChunkStream::kTextBytes] = {};
    char hull[XorChunkStream::kTextBytes] = {};
    char pilotText[XorChunkStream::kTextBytes] = {};
    int32_t damage = 0, repair = 0, sold = 0;
    std::vector<std::unique_ptr<EquipmentItem>> items;
    const Status status = stream.WalkForm(
        [&](uint32_t id) -> Status {
            switch (id) {
                case kShipNameChunk: return stream.ReadTextChunk(shipName, kStatusCareerBadRecord);
                case kHullChunk: return stream.ReadTextChunk(hull, kStatusCareerBadRecord);
                case kDamageChunk: return stream.ReadWordChunk(&damage, kStatusCareerBadRecord);
                case kRepairChunk: return stream.ReadWordChunk(&repair, kStatusCareerBadRecord);
                case kSoldChunk: return stream.ReadWordChunk(&sold, kStatusCareerBadRecord);
                case kPilotChunk: return stream.ReadTextChunk(pilotText, kStatusCareerBadRecord);
                case IffFile::kFormId:
                    if (stream.FormType() != kFittedForm) return kStatusOk;
                    return stream.WalkForm(
                        [&](uint32_t) -> Status {
                            if (stream.ChunkId() != IffFile::kFormId || stream.FormType() != kItemForm) return kStatusOk;
                            std::unique_ptr<EquipmentItem> item;
                            const Status read = EquipmentItem::Load(stream, data, &item);
                            // A ship is not fitted to a ship.
                            if (read == kStatusOk && item->IsShip()) return kStatusCareerBadRecord;
                            if (read == kStatusOk) items.push_back(std::move(item));
                            return read;
                        },
                        kStatusCareerBadRecord);
                default: return kStatusOk;
            }
        },
        kStatusCareerBadRecord);
    if (status != kStatusOk) return status;
    if (shipName[0] == 0 || std::strlen(shipName) >= kNameBytes || std::strlen(hull) >= kNameBytes ||
        damage < 0 || damage > 100 || (sold != 0 && sold != 1)) {
        return kStatusCareerBadRecord;
    }
    // Older saves name only the ship: its name is its hull.
    auto ship = std::make_unique<ShipRecord>(hull[0] != 0 ? hull : shipName);
    CopyName(ship->name, shipName);
    if (!ship->IsPilotOnly()) {
        if (IffFile* const hulls = data.Hulls()) ship->LoadHull(*hulls, data.Difficulty());
    }
    ship->damage = damage;
    // The hull's repair points are booked against its damage: never more.
    ship->repairPoints = std::clamp(repair, 0, damage);
    ship->sold = sold;
    for (auto& item : items) {
        ship->Refit(item.get());
        ship->items_.push_back(std::move(item));
    }
    *pilotName = pilotText;
    *out = std::move(ship);
    return kStatusOk;
}
