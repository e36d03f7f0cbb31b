#include "game/EquipmentItem.h"

#include <algorithm>
#include <cstring>

#include "display/BitmapCodec.h"
#include "display/XfebCodec.h"
#include "engine/ByteOrder.h"
#include "engine/FixedText.h"
#include "engine/IffFile.h"
#include "game/CareerDataFiles.h"
#include "game/CareerRecord.h"
#include "game/DefinitionFormat.h"
#include "game/Definitions.h"
#include "game/ShipRecord.h"
#include "game/XorChunkStream.h"

namespace fmt = definition_format;

namespace {

// A list picture with more cels than this is damage.
constexpr int kMaxCels = 64;

void CopyId(char (&to)[EquipmentItem::kIdBytes], const char* from) {
    CopyFixedText(to, from);
}

// Where k1..k8 come from: the kind's chunk and, per value, the word index
// (-1 none, -2 the constant 100 - w3 of the cloak, -3 the constant 3).
struct KindLayout {
    int32_t kind;
    uint32_t chunk;
    int8_t words[EquipmentItem::kKindValues];
};
constexpr int8_t kNone = -1, kCloakEmission = -2, kThree = -3;
constexpr KindLayout kKindLayouts[] = {
    {1, fmt::kEnergyChunk, {0, 1, kNone, kNone, kNone, kNone, kNone, kNone}},
    {2, fmt::kShieldChunk, {0, 2, 1, kNone, kNone, kNone, kNone, kNone}},
    {4, MakeTag("RADR"), {1, 2, 4, kNone, kNone, kNone, kNone, kNone}},
    {5, MakeTag("TARG"), {0, 1, 2, kNone, kNone, kNone, kNone, kNone}},
    {6, MakeTag("FLGT"), {5, 4, kNone, kNone, kNone, kNone, kNone, kNone}},
    {7, MakeTag("ENGI"), {0, 1, 2, 4, kNone, kNone, kNone, kNone}},
    {9, fmt::kHard, {0, 1, kNone, kNone, kNone, kNone, kNone, kNone}},
    {10, MakeTag("ECM "), {0, 1, kNone, kNone, kNone, kNone, kNone, kNone}},
    {11, MakeTag("CLOK"), {0, 4, 1, 2, kCloakEmission, kNone, kNone, kNone}},
    {12, MakeTag("JAMM"), {0, 1, kNone, kNone, kNone, kNone, kNone, kNone}},
    {13, MakeTag("REPR"), {0, 1, kNone, kNone, kNone, kNone, kNone, kNone}},
    {14, MakeTag("SENS"), {5, 3, 1, kNone, kNone, kNone, kNone, kNone}},
    {15, MakeTag("DECY"), {2, 1, 0, kNone, kNone, kNone, kNone, kNone}},
    {20, fmt::kWeapon, {3, 4, 5, 6, 7, 10, 0, kNone}},
    {21, fmt::kWeapon, {3, 4, 5, 6, 7, 10, 2, 1}},
    {22, fmt::kWeapon, {3, 4, 5, 6, 7, 10, 2, 9}},
    {23, fmt::kWeapon, {3, 4, 5, 6, 7, 10, 0, 1}},
    {24, fmt::kWeapon, {3, 4, 5, 6, 7, 10, 2, kThree}},
};

// The kind chunk's words: the energy, shield and hardening chunks the reader
// keeps apart, every other from its chunks.
std::vector<int16_t> KindWords(const EquipmentDefinition& definition, uint32_t chunk) {
    if (definition.kindChunk == chunk && !definition.kindWords.empty()) return definition.kindWords;
    return definition.Words(chunk, 0);
}

// Whether the reader stands inside the entry of that kind and name, as a
// catalogue walk leaves it; a reader elsewhere searches from the top.
bool StandsIn(IffFile& file, uint32_t entryForm, const char* id) {
    if (file.Level() < 3 || file.FormType() != entryForm || file.Rewind(0) != kStatusOk) return false;
    char text[EquipmentItem::kIdBytes + 1] = {};
    return file.FindChunk(fmt::kId) == kStatusOk && file.ChunkSize() <= EquipmentItem::kIdBytes &&
           file.ReadChunk(text, EquipmentItem::kIdBytes) == kStatusOk && std::strncmp(text, id, EquipmentItem::kIdBytes) == 0;
}

}  // namespace

EquipmentItem::EquipmentItem(const char* name, IffFile& definitions, int32_t kindHint) {
    CopyId(id, name);
    kind = kindHint;
    ReadDefinition(definitions, kindHint);
}

EquipmentItem::EquipmentItem(const char* name, int32_t kind) : kind(kind) { CopyId(id, name); }

EquipmentItem::EquipmentItem(ShipRecord* ship, bool owns, IffFile* definitions) : kind(kShipKind), ship(ship) {
    if (owns) ownedShip_.reset(ship);
    if (ship == nullptr) {
        loadStatus_ = kStatusNothingToDo;
        return;
    }
    CopyId(id, ship->name);
    name = ship->displayName;
    description = ship->description;
    damage = ship->damage;
    price = ship->price;
    maximum = ship->maximum;
    if (definitions == nullptr) return;
    IffFile& file = *definitions;
    if (!StandsIn(file, fmt::kSpobForm, ship->hullId) && (loadStatus_ = definitions::FindSpobForm(file, ship->hullId)) != kStatusOk) return;
    loadStatus_ = ReadPictures(file);
}

EquipmentItem::~EquipmentItem() = default;

void EquipmentItem::ReadDefinition(IffFile& definitions, int32_t kindHint) {
    if (!StandsIn(definitions, fmt::kEqobForm, id) && (loadStatus_ = definitions::FindEntry(definitions, fmt::kEqobForm, id)) != kStatusOk) return;
    EquipmentDefinition definition;
    if ((loadStatus_ = definitions::ReadEqob(definitions, &definition)) != kStatusOk) return;
    if (std::strncmp(definition.id, id, kIdBytes - 1) != 0) {
        loadStatus_ = kStatusNotThisRecord;
        return;
    }
    name = definition.name;
    description = definition.description;
    kind = definition.hasInfo ? definition.info[fmt::kTypeId] : kindHint;
    if (definition.hasInfo) {
        price = definition.info[fmt::kUnitPrice];
        maximum = definition.info[fmt::kMaxDamage];
        rating = definition.info[fmt::kPowerDraw];
    }
    for (const KindLayout& layout : kKindLayouts) {
        if (layout.kind != kind) continue;
        const std::vector<int16_t> words = KindWords(definition, layout.chunk);
        const auto word = [&words](int i) { return size_t(i) < words.size() ? int32_t(words[size_t(i)]) : 0; };
        for (int i = 0; i < kKindValues; ++i) {
            const int8_t from = layout.words[i];
            k[i] = from >= 0 ? word(from) : from == kCloakEmission ? 100 - word(3) : from == kThree ? 3 : 0;
        }
    }
    // The mount: a system's width, height and class; a weapon's class s, s + 1 cells wide.
    const std::vector<uint8_t>& mount = definition.mount;
    const auto mountWord = [&mount](size_t i) { return 2 * i + 2 <= mount.size() ? int32_t(LoadLe16(mount.data() + 2 * i)) : -1; };
    if (IsWeapon()) {
        mountClass = mountWord(0);
        width = mountClass >= 0 ? mountClass + 1 : 0;
        height = mountClass >= 0 ? 1 : 0;
    } else {
        width = std::max(0, mountWord(0));
        height = std::max(0, mountWord(1));
        mountClass = mountWord(2);
    }
    loadStatus_ = ReadPictures(definitions);
}

Status EquipmentItem::ReadPictures(IffFile& entry) {
    listPictures.clear();
    layoutPicture.reset();
    if (entry.Rewind(0) != kStatusOk) return kStatusMalformed;
    // Pictureless definitions are whole; the outfitting screens skip them.
    if (entry.FindForm(fmt::kCelForm) != kStatusOk) return kStatusOk;
    if (entry.Descend() != kStatusOk) return kStatusMalformed;
    uint8_t position[4] = {};
    Status status = entry.FindChunk(MakeTag("COOR"));
    if (status == kStatusOk) status = entry.ChunkSize() < sizeof position ? kStatusMalformed : entry.ReadChunk(position, sizeof position);
    while (status == kStatusOk && entry.FindForm(XfebCodec::kFormType) == kStatusOk) {
        if (listPictures.size() >= size_t(kMaxCels)) {
            status = kStatusMalformed;
            break;
        }
        auto cel = std::make_unique<Bitmap>();
        XfebCodec codec(cel.get());
        status = codec.ReadForm(&entry, cel.get());
        cel->x = int16_t(LoadLe16(position));
        cel->y = int16_t(LoadLe16(position + 2));
        if (status == kStatusOk) listPictures.push_back(std::move(cel));
    }
    const Status ascended = entry.Ascend();
    if (status == kStatusOk) status = ascended;
    if (status == kStatusOk && listPictures.empty()) status = kStatusMalformed;
    if (status == kStatusOk && entry.FindForm(fmt::kCelForm) == kStatusOk) {
        if (entry.Descend() != kStatusOk) return kStatusMalformed;
        auto picture = std::make_unique<Bitmap>();
        status = BitmapCodec::ReadCoorBitmap(&entry, picture.get());
        if (status == kStatusOk) layoutPicture = std::move(picture);
    }
    if (status != kStatusOk) {
        listPictures.clear();
        layoutPicture.reset();
        return kStatusMalformed;
    }
    return kStatusOk;
}

int32_t EquipmentItem::GetCategory() const {
    switch (kind) {
        case 1: return 7;
        case 2: return 12;
        case 3: return 0;
        case 4: return 9;
        case 5: return 13;
        case 6: return 6;
        case 7: case 23: return 5;
        case 9: case 20: return 1;
        case 10: case 22: return 4;
        case 11: case 21: return 2;
        case 12: return 8;
        case 13: return 10;
        case 14: return 11;
        case 15: case 24: return 3;
        default: return 20;
    }
}

bool EquipmentItem::Passes(int32_t filter) const {
    switch (filter) {
        case kAll: return true;
        case kSystems: return kind < kFirstWeapon;
        case kWeapons: return kind >= kFirstWeapon;
        case kShips: return kind == kShipKind;
        default: return false;
    }
}

void EquipmentItem::TakeNumbersFrom(const EquipmentItem& from) {
    kind = from.kind;
    damage = from.damage;
    maximum = from.maximum;
    damageDetail = from.damageDetail;
    repairPoints = from.repairPoints;
    repairMoney = from.repairMoney;
    quantity = from.quantity;
    ordered = from.ordered;
    toSell = from.toSell;
    ammunition = from.ammunition;
    column = from.column;
    row = from.row;
    areaIndex = from.areaIndex;
}

namespace {

constexpr uint32_t kItemForm = MakeTag("ITEM");
constexpr uint32_t kIdChunk = MakeTag("ID  ");
// The saved numbers, in the order of the form.
struct SavedWord {
    uint32_t id;
    int32_t EquipmentItem::*field;
};
constexpr SavedWord kSavedWords[] = {
    {MakeTag("EQTP"), &EquipmentItem::kind},         {MakeTag("DAMG"), &EquipmentItem::damage},
    {MakeTag("MAXD"), &EquipmentItem::maximum},      {MakeTag("ARDM"), &EquipmentItem::damageDetail},
    {MakeTag("DAMR"), &EquipmentItem::repairPoints}, {MakeTag("MONA"), &EquipmentItem::repairMoney},
    {MakeTag("QUAN"), &EquipmentItem::quantity},     {MakeTag("PURC"), &EquipmentItem::ordered},
    {MakeTag("SOLD"), &EquipmentItem::toSell},       {MakeTag("AMMO"), &EquipmentItem::ammunition},
    {MakeTag("OFFX"), &EquipmentItem::column},       {MakeTag("OFFY"), &EquipmentItem::row},
    {MakeTag("HARD"), &EquipmentItem::areaIndex},
};
// Cells of an area are at most 64 across and down.
constexpr int32_t kMaxCell = 63;

}  // namespace

Status EquipmentItem::Save(XorChunkStream& stream) const {
    Status status = stream.BeginForm(kItemForm);
    if (status == kStatusOk) status = stream.WriteTextChunk(kIdChunk, id);
    for (const SavedWord& word : kSavedWords) {
        if (status == kStatusOk) status = stream.WriteWordChunk(word.id, this->*word.field);
    }
    if (status == kStatusOk) status = stream.Ascend();
    return status;
}

Status EquipmentItem::Load(XorChunkStream& stream, CareerDataFiles& data, std::unique_ptr<EquipmentItem>* out) {
    if (stream.ChunkId() != IffFile::kFormId || stream.FormType() != kItemForm) return kStatusCareerBadRecord;
    EquipmentItem saved("", 0);
    char text[XorChunkStream::kTextBytes] = {};
    const Status status = stream.WalkForm(
        [&](uint32_t chunk) -> Status {
            if (chunk == kIdChunk) return stream.ReadTextChunk(text, kStatusCareerBadRecord);
            for (const SavedWord& word : kSavedWords) {
                if (word.id == chunk) return stream.ReadWordChunk(&(saved.*word.field), kStatusCareerBadRecord);
            }
            return kStatusOk;
        },
        kStatusCareerBadRecord);
    if (status != kStatusOk) return status;
    const bool sane = text[0] != 0 && std::strlen(text) < kIdBytes && saved.kind >= kShipKind && saved.kind <= kLastKind &&
                      saved.damage >= 0 && saved.damage <= 100 && saved.quantity >= 0 && saved.ordered >= 0 &&
                      saved.toSell >= 0 && saved.column >= 0 && saved.column <= kMaxCell && saved.row >= 0 &&
                      saved.row <= kMaxCell && saved.areaIndex >= -1;
    if (!sane) return kStatusCareerBadRecord;
    // Repair points are only booked against damage there is, so never more
    // than it; a file holding more would mend for nothing what it never had.
    saved.repairPoints = std::clamp(saved.repairPoints, 0, saved.damage);
    // Repair money is the credits booked for those points: never owed back.
    saved.repairMoney = std::max(saved.repairMoney, 0);
    // The maximum is the definition's, within what the repair rules take.
    saved.maximum = std::clamp(saved.maximum, kNeverDamaged, kLargestMaximum);
    std::unique_ptr<EquipmentItem> item;
    IffFile* const definitions = data.Definitions();
    if (saved.kind == kShipKind) {
        auto ship = std::make_unique<ShipRecord>(text);
        if (IffFile* const hulls = data.Hulls()) ship->LoadHull(*hulls, data.Difficulty());
        ship->damage = saved.damage;
        item = std::make_unique<EquipmentItem>(ship.release(), true, definitions);
    } else if (definitions != nullptr) {
        item = std::make_unique<EquipmentItem>(text, *definitions, saved.kind);
    } else {
        item = std::make_unique<EquipmentItem>(text, saved.kind);
    }
    item->TakeNumbersFrom(saved);
    *out = std::move(item);
    return kStatusOk;
}
