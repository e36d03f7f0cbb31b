#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "display/Bitmap.h"
#include "engine/EngineAllocation.h"
#include "engine/Status.h"
#include "game/EquipmentItem.h"
#include "game/MountArea.h"

class CareerDataFiles;
class IffFile;
class PilotRecord;
class XorChunkStream;

// The career's record of one ship: its hull, read from the ship-class file,
// its mount areas and the items fitted to them. A craft built for the player
// or a wingman keeps a pointer to it.
class ShipRecord : public EngineObject {
public:
    static constexpr uint32_t kNameBytes = 16;   // with the NUL
    static constexpr const char* kHullFileName = "outfit1.iff";   // in the option directory
    static constexpr const char* kPilotOnlyName = "PILT";
    static constexpr int32_t kInfoWords = 7;
    static constexpr int32_t kPhysWords = 3;
    // More areas than this of one list is a damaged hull.
    static constexpr size_t kMaxAreas = 32;

    // A record of that hull (its name and hull id), nothing read yet.
    explicit ShipRecord(const char* hull);
    ~ShipRecord();
    ShipRecord(const ShipRecord&) = delete;
    ShipRecord& operator=(const ShipRecord&) = delete;

    bool IsPilotOnly() const;
    // Reads the hull of the record's hull id from the open ship-class file
    // and builds its areas anew; the price is the hull's scaled by the
    // difficulty. kStatusNotThisRecord when the file has no such hull,
    // kStatusMalformed for a damaged one; either leaves the record as it was.
    Status LoadHull(IffFile& hulls, int32_t difficulty);
    // The same from the option directory's file at the game's difficulty.
    Status LoadHull();

    int32_t CountItems(int32_t filter) const;
    EquipmentItem* GetItem(int32_t i, int32_t filter) const;
    MountArea* GetBay(int32_t i) const;
    MountArea* GetHardpointStrip(int32_t i) const;
    // True when the first bay whose hit test holds reports a kind conflict:
    // the drop is refused.
    bool HasBayKindConflict(MountPoint point, const EquipmentItem& item) const;
    // Offer the item to each area in list order; the first that takes it
    // fits it. Returns the item it displaced (null when none), or the item
    // itself when no area took it.
    std::unique_ptr<EquipmentItem> DropItemInBay(MountPoint point, std::unique_ptr<EquipmentItem> item);
    std::unique_ptr<EquipmentItem> DropItemOnHardpoint(MountPoint point, std::unique_ptr<EquipmentItem> item);
    // The item dropped, as on the outfitting screen, at the cells its area
    // index (a strip's for a weapon, a bay's for a system), column and row
    // name; the item back, the ship as it was, when that drop is refused or
    // would lift another item out of the way.
    std::unique_ptr<EquipmentItem> DropItemInItsCells(std::unique_ptr<EquipmentItem> item);
    // The fitted item under the point, off the ship; null when none.
    std::unique_ptr<EquipmentItem> TakeBayItemAt(MountPoint point);
    std::unique_ptr<EquipmentItem> TakeHardpointItemAt(MountPoint point);
    // A stored or default item into the first area that takes it (weapons
    // on strips at their own column, systems in bays); the item back when
    // none does.
    std::unique_ptr<EquipmentItem> PlaceStoredItem(std::unique_ptr<EquipmentItem> item);
    // Every fitted item, in fitting order.
    const std::vector<std::unique_ptr<EquipmentItem>>& Items() const { return items_; }
    std::vector<std::unique_ptr<EquipmentItem>> TakeAllItems();

    // FORM "SHIP" at the stream's current level.
    Status Save(XorChunkStream& stream) const;
    // Reads the current FORM "SHIP": the hull rebuilt from the data's hulls
    // (when they have it), the items from its definitions and back in their
    // cells; repair points beyond the damage are cut to it. `pilotName` gets
    // the assigned pilot's name, "" for none.
    static Status Load(XorChunkStream& stream, CareerDataFiles& data, std::unique_ptr<ShipRecord>* out,
                       std::string* pilotName);

    // Who this record is for the length of the process, never reused: a
    // craft that flies the record names it by this, so a record sold, lost
    // or replaced meanwhile is simply not found. Not saved.
    const uint32_t serial;
    char name[kNameBytes] = {};      // "SHID": unique in the career ("P102", "P102I")
    char hullId[kNameBytes] = {};    // "HULL": what pads, pictures and definitions mean
    std::string displayName;         // the hull's "NAME"
    std::string description;         // "DESC"
    int32_t damage = 0;              // "DAMA", hull points 0..100
    int32_t repairPoints = 0;        // "DAMR": booked by the repair shop, 0..damage
    int32_t hullRepairMoney = 0;     // credits, not saved; cleared when a craft resets its systems
    int32_t price = 0;
    int32_t maximum = 0;             // INFO word 3
    int32_t info[kInfoWords] = {};   // the hull's INFO (words 1, 2 and 6 are shown)
    uint16_t physMass = 0;           // upper 16 bits of PHYS word 0
    int16_t physThrust = 0;          // upper 16 bits of PHYS word 2
    int32_t sold = 0;                // "SOLD": 1 to be sold
    int32_t count = 0;               // 1 once the hull is read
    PilotRecord* pilot = nullptr;    // "PILT" by name: a wingman flies the ship
    std::unique_ptr<Bitmap> weaponLayout;
    std::unique_ptr<Bitmap> equipmentLayout;

private:
    std::unique_ptr<EquipmentItem> Drop(std::vector<std::unique_ptr<MountArea>>& areas, MountPoint point,
                                        std::unique_ptr<EquipmentItem> item);
    std::unique_ptr<EquipmentItem> Take(std::vector<std::unique_ptr<MountArea>>& areas, MountPoint point);
    std::unique_ptr<EquipmentItem> Unfit(const EquipmentItem* item);
    // A loaded item back into the cells it was saved in.
    void Refit(EquipmentItem* item);

    std::vector<std::unique_ptr<MountArea>> strips_;
    std::vector<std::unique_ptr<MountArea>> bays_;
    std::vector<std::unique_ptr<EquipmentItem>> items_;
};
