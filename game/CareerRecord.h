#pragma once
#include <cstdint>
#include <memory>
#include <vector>

#include "engine/EngineAllocation.h"
#include "engine/Status.h"
#include "game/EquipmentItem.h"
#include "game/PilotRecord.h"
#include "game/ShipRecord.h"

class IffFile;
class XorChunkStream;

// A saved career that cannot be taken: a missing "PLIN" form, a number chunk
// not exactly 4 bytes, a text not terminated within its chunk or too long, a
// logo outside 0..18 or a face below -1.
inline constexpr Status kStatusCareerBadRecord = 0x20004000;

// The player's option words, in the order of the career's "OPTS" chunk.
struct CareerOptions {
    static constexpr int kWords = 12;
    int32_t textures = 1;
    int32_t spaceDust = 1;
    int32_t extraLights = 1;       // explosions and weapon flashes light the scene
    int32_t shadingLevel = 1;
    int32_t alphaBlend = 1;
    int32_t invulnerability = 0;   // the player's ship takes no damage
    int32_t unlimitedAmmo = 0;
    int32_t unlimitedFuel = 0;
    int32_t invisibility = 0;      // the player's ship cannot be targeted
    int32_t inertialOff = 1;
    int32_t soundVolume = 3;
    int32_t musicVolume = 3;

    // A volume is a frame of the options screen's strip; above this neither
    // master scale (x25 for sound, x10 for the CD) grows, the library topping
    // out at 127.
    static constexpr int32_t kMaxVolume = 12;

    // The word at its place in the chunk, 0 to 11; 0 outside.
    int32_t Word(int index) const;
    // A word as a file holds it, at its place in the chunk: a volume outside
    // 0..kMaxVolume takes the default a new career has; any switch value is
    // a setting. Outside 0 to 11 nothing changes.
    void TakeWord(int index, int32_t value);

    // What the world reads of them.
    bool LightsOn() const { return extraLights != 0; }
    // Exactly 1 turns inertial flight off.
    bool InertialFlightOff() const { return inertialOff == 1; }
};

// The player's campaign state: the pilot's own record, the rosters, the
// ships and the equipment of the catalogue and the stores.
class CareerRecord : public EngineObject {
public:
    static constexpr int kTextBytes = 64;  // texts of at most 63 characters and their NUL
    static constexpr int32_t kLastLogo = 18;
    static constexpr int32_t kStartingFunds = 20000;
    static constexpr const char* kRosterFileName = "wingmen.iff";   // in the data directory
    using PilotList = std::vector<std::unique_ptr<PilotRecord>>;
    using ItemList = std::vector<std::unique_ptr<EquipmentItem>>;

    // A new career: the pilot-only entry, the catalogue from "temp.iff", the
    // hire pool from the roster and one ship of the first catalogue hull
    // fitted with its definition's equipment (what does not fit is stored).
    // Without the data directory only the pilot-only entry.
    explicit CareerRecord(int32_t multiplayer = 0);
    // A record with nothing of a new career in it, to read a saved one into.
    static std::unique_ptr<CareerRecord> Blank(int32_t multiplayer);
    virtual ~CareerRecord();
    CareerRecord(const CareerRecord&) = delete;
    CareerRecord& operator=(const CareerRecord&) = delete;

    const char* GetPilotName() const { return pilotName; }

    // --- The catalogue and the stores (filters of EquipmentItem::Filter) ---
    int32_t CountCatalogueItems(int32_t filter) const;
    EquipmentItem* GetCatalogueItem(int32_t i, int32_t filter) const;
    int32_t CountStoredItems(int32_t filter) const;
    EquipmentItem* GetStoredItem(int32_t i, int32_t filter) const;
    // One unit of stored item i: the item itself when it is the last, else a
    // new item of its definition carrying the stack's damage and ammunition.
    std::unique_ptr<EquipmentItem> TakeStoredItem(int32_t i, int32_t filter);
    // Merges an undamaged item into an undamaged stored one of the same name
    // and ammunition, else inserts it after the stored items of its
    // category, else appends it.
    void StoreEquipment(std::unique_ptr<EquipmentItem> item);
    // The definition of the reader's current entry joins the catalogue
    // unless an item of that name is there: a ship from an object entry, an
    // item from an equipment entry.
    Status AddCatalogueItem(const char* name, IffFile& definitions);
    // Every player hull (OffersHull) and every equipment definition it
    // offers (OffersItem).
    Status FillCatalogue(IffFile& definitions);
    // Whether an object definition of that name is a player hull, which the
    // catalogue offers every pilot: four characters, "P" first, not "PILT".
    static bool OffersHull(const char* id);
    // Whether the catalogue offers the equipment definition of that name:
    // every one but "Missile 29" and "Armor 13".
    static bool OffersItem(const char* id);
    // Each catalogue item's quantity: the stored units of its name plus the
    // ships of its hull.
    void CountOwnedItems();
    void ApplyStoredSales();

    // --- Ships: numbered without the pilot-only entry ---
    int32_t GetShipCount() const;
    // -1 is the selected ship; null out of range.
    ShipRecord* GetShip(int32_t i) const;
    // The ship record of that serial (ShipRecord::serial), while the career
    // still owns it; null once it was sold, lost or replaced.
    ShipRecord* FindShipBySerial(uint32_t serial) const;
    int32_t GetSelectedShipIndex() const { return selectedShip; }
    void EnsureShipSelected();
    // List entry i + 1 (-1 the pilot-only entry) loses its pilot and becomes the selection.
    void SelectShip(int32_t i);
    // Appends the ship; a name in use gets "I" appended until unique, within
    // 15 characters, then its last character varies.
    ShipRecord* AddShip(std::unique_ptr<ShipRecord> ship);
    // Ships marked sold leave; their items go to the stores.
    void RemoveSoldShips();

    // --- Pilots ---
    void HirePilot(const char* name);
    // Back to the hire pool, off his ship.
    void DismissPilot(const char* name);
    // A hired pilot lost in action: to the lost list, off his ship.
    void LosePilot(const char* name);
    const char* FindApilPilot(const char* name) const;
    const char* FindCpilPilot(const char* name) const;
    const char* FindDpilPilot(const char* name) const;
    // The pilots of FORM "WING" in a roster file.
    static Status ReadRoster(const char* path, PilotList* out);

    // Writes FORM "PLIN" at the stream's current level.
    Status Save(XorChunkStream& stream) const;
    // Reads the next FORM "PLIN" of the stream's current level, skipping the
    // chunks it does not know. The file is untrusted: it is read into a fresh
    // record and nothing here changes unless the whole form read and passed.
    // Numbers beyond what the game writes (a debt, repairs past the damage)
    // are brought within their ranges.
    Status Load(XorChunkStream& stream);

    int32_t multiplayer;
    char pilotName[kTextBytes] = "Korvane";  // "NAME"
    char callsign[kTextBytes] = "";          // "CALL"
    int32_t funds = 0;         // "MONY", in credits, 0 or more
    uint32_t trophies = 0;     // "TRPH", bits 0..15 the trophies held
    int32_t kills = 0;         // "KILL"
    int32_t missions = 0;      // "MISS", missions flown
    int32_t accuracyValue = 0; // "ACCV", the pilot's accuracy percentage
    int32_t face = -1;         // "FACE", the pilot's face picture; -1 none
    int32_t logo = 0;          // "LOGO", 0..18
    CareerOptions options;     // "OPTS"
    AccuracyRecord accuracy;
    // The lobby's, never saved.
    int32_t teamIndex = -1;
    int32_t ready = 0;
    PilotList hirePool;        // "APIL"
    PilotList hiredPilots;     // "CPIL"
    PilotList lostPilots;      // "DPIL"
    ItemList catalogue;        // "CATL"
    ItemList stores;           // "STOR"
    // "SHPS": entry 0 is always the pilot-only entry "PILT".
    std::vector<std::unique_ptr<ShipRecord>> ships;
    int32_t selectedShip = -1; // not saved

private:
    struct Empty {};
    CareerRecord(int32_t multiplayer, Empty);
    void StartOut();
    // Takes what a career file holds from `from`.
    void TakeSaved(CareerRecord& from);
    // His ship, if any, goes without him.
    void Unassign(PilotRecord& pilot);
    int32_t FirstShipEntry() const;
};
