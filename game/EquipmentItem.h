#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "display/Bitmap.h"
#include "engine/EngineAllocation.h"
#include "engine/Status.h"

class CareerDataFiles;
class IffFile;
class ShipRecord;
class XorChunkStream;

// One item of equipment as the career keeps it: in the catalogue, in the
// stores, or fitted to a ship. Texts, pictures and the mount come from its
// definition in "temp.iff"; the rest is the career's.
class EquipmentItem : public EngineObject {
public:
    static constexpr uint32_t kIdBytes = 16;   // with the NUL
    static constexpr int kKindValues = 8;
    // Kinds that matter outside the kind table.
    static constexpr int32_t kShipKind = -1;
    static constexpr int32_t kArmor = 3;
    static constexpr int32_t kProbe = 14;
    static constexpr int32_t kDecoy = 15;
    static constexpr int32_t kFirstWeapon = 19;
    static constexpr int32_t kLastKind = 24;
    // The range of a maximum: the definitions give -1 to what nothing
    // damages (hardening, repair units); at the top a whole armour item's
    // facings, 100 x maximum, still fit in 32 bits.
    static constexpr int32_t kNeverDamaged = -1;
    static constexpr int32_t kLargestMaximum = INT32_MAX / 100;

    // Filters of the career's and the ship's counts: every item, systems,
    // weapons, ships (catalogue only).
    enum Filter : int32_t { kAll = 0, kSystems = 1, kWeapons = 2, kShips = 3 };

    // The named equipment definition of an open "temp.iff": the one the
    // reader stands in when it stands in that entry, else found from the
    // top. `kindHint` is the kind of a definition without "INFO". Whether it
    // read is LoadStatus(); a failed item keeps its name and the hint.
    EquipmentItem(const char* name, IffFile& definitions, int32_t kindHint);
    // An item standing for a ship (kind -1), owning the record only when
    // `owns` (a catalogue hull; a career ship stays the career's). Its
    // pictures come from the ship's definition: the entry the reader stands
    // in, else the hull's found from the top; no reader, no pictures.
    EquipmentItem(ShipRecord* ship, bool owns, IffFile* definitions = nullptr);
    // A bare item of that name and kind, without a definition.
    EquipmentItem(const char* name, int32_t kind);
    ~EquipmentItem();
    EquipmentItem(const EquipmentItem&) = delete;
    EquipmentItem& operator=(const EquipmentItem&) = delete;

    Status LoadStatus() const { return loadStatus_; }
    // The catalogue category of the kind, 0 to 13; 20 for any other kind.
    int32_t GetCategory() const;
    bool IsWeapon() const { return kind >= kFirstWeapon; }
    bool IsShip() const { return kind == kShipKind; }
    bool Passes(int32_t filter) const;
    // Takes the career's numbers of another item of the same definition
    // (damage, repairs, ammunition, counts, place); texts and pictures stay.
    void TakeNumbersFrom(const EquipmentItem& from);

    // FORM "ITEM" at the stream's current level.
    Status Save(XorChunkStream& stream) const;
    // Reads the current FORM "ITEM" and rebuilds the item from the
    // definitions (none: a bare item) or, for a ship item, from the hulls as
    // well; kStatusCareerBadRecord for a damaged form. Repair points, repair
    // money and the maximum beyond what the game writes are brought within
    // their ranges.
    static Status Load(XorChunkStream& stream, CareerDataFiles& data, std::unique_ptr<EquipmentItem>* out);

    char id[kIdBytes] = {};        // "ID  ", matched against definitions
    std::string name;              // the definition's "NAME"
    std::string description;       // "DESC"
    int32_t kind = 0;              // "EQTP": 1..24, -1 a ship
    int32_t rating = 0;            // INFO word 5
    int32_t damage = 0;            // "DAMG", per cent
    int32_t maximum = 0;           // "MAXD", INFO word 3: kNeverDamaged..kLargestMaximum
    int32_t damageDetail = 0;      // "ARDM": armour's four facings (0..250, facing 0 low), else damage x maximum / 100
    int32_t repairPoints = 0;      // "DAMR": booked by the repair shop, 0..damage
    int32_t repairMoney = 0;       // "MONA": credits booked for them, 0 or more
    int32_t price = 0;             // INFO word 1
    int32_t quantity = 1;          // "QUAN"; in the catalogue the owned count
    int32_t ordered = 0;           // "PURC", catalogue only
    int32_t toSell = 0;            // "SOLD", stores only
    int32_t ammunition = 0;        // "AMMO"
    int32_t k[kKindValues] = {};   // k1..k8 of the kind table
    int32_t mountClass = 0;        // from the first "HARD"
    int32_t width = 0;             // in cells
    int32_t height = 0;
    int32_t column = 0;            // "OFFX"
    int32_t row = 0;               // "OFFY"
    int32_t areaIndex = -1;        // saved as "HARD": the area of its ship's list
    std::string mountName;
    // The cels of the first FORM "XCEL" and the picture of the second.
    std::vector<std::unique_ptr<Bitmap>> listPictures;
    std::unique_ptr<Bitmap> layoutPicture;
    ShipRecord* ship = nullptr;    // the ship a ship item stands for

private:
    void ReadDefinition(IffFile& definitions, int32_t kindHint);
    // The entry's two picture forms; the reader stays inside the entry.
    Status ReadPictures(IffFile& entry);

    std::unique_ptr<ShipRecord> ownedShip_;
    Status loadStatus_ = kStatusOk;
};
