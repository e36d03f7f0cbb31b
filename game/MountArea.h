#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/EngineAllocation.h"

class Canvas;
class EquipmentItem;
class Palette;

// A screen position in pixels.
struct MountPoint {
    int32_t x = 0;
    int32_t y = 0;
};

// One place on a ship's layout where equipment is fitted: a hardpoint strip
// (kinds below 7: one row of 10-pixel cells, answering 44 pixels down) on
// which items sit side by side, or a bay (kinds 7 and up: a grid of 22-pixel
// cells) taking the systems of one mount class. The area records which item
// covers each cell; it never owns the items.
class MountArea : public EngineObject {
public:
    static constexpr int32_t kFirstBayKind = 7;   // bay kind = mount class + 7
    static constexpr int32_t kGeneralBay = 7;
    static constexpr int32_t kGeneratorBay = 8;
    static constexpr int32_t kFlightBay = 9;
    static constexpr int32_t kArmorBay = 10;
    static constexpr int32_t kEngineBay = 11;
    static constexpr int32_t kLeftNozzle = 12;
    static constexpr int32_t kRightNozzle = 13;
    static constexpr int32_t kStripCell = 10;     // pixels across
    static constexpr int32_t kStripHeight = 44;
    static constexpr int32_t kBayCell = 22;
    static constexpr int32_t kMaxCells = 64;      // across or down

    // A null name makes an area without one. W and H must be 1 to kMaxCells:
    // Make gives null otherwise.
    MountArea(MountPoint origin, int32_t width, int32_t height, const char* name);
    static std::unique_ptr<MountArea> Make(MountPoint origin, int32_t width, int32_t height, const char* name,
                                           int32_t kind);

    bool IsStrip() const { return kind < kFirstBayKind; }

    // 1 placed with its top-left cell under the point, lifting at most one
    // covered item out of the way (LastDisplaced()); 0 refused.
    int32_t DropItemAt(MountPoint point, EquipmentItem* item);
    // The item's footprint at the point lies inside a bay of its class;
    // occupancy is not looked at. False on a strip.
    bool HitTest(MountPoint point, const EquipmentItem& item) const;
    // A bay drop at the point would pass, yet another item of the same kind
    // (Armor, Probe and Decoy excepted) is there already. False on a strip.
    bool HasKindConflict(MountPoint point, const EquipmentItem& item) const;
    // Lifts the item under the point off the area; null when none.
    EquipmentItem* TakeItemAt(MountPoint point);
    EquipmentItem* ItemAt(MountPoint point) const;
    // Without a mouse point: a bay takes the first free footprint by columns
    // (the arguments unused); a strip takes the given column or nothing.
    int32_t PlaceStoredItem(int32_t column, int32_t row, EquipmentItem* item);
    // A saved item back into its own cells, when they are all free.
    int32_t PlaceSavedItem(EquipmentItem* item);
    void RemoveItem(const EquipmentItem* item);
    // Every item's layout picture at its cells on the game canvas, through
    // the palette "WeaponEquipment".
    void Draw() const;
    // The same on a canvas through a palette (null keeps the canvas's); the
    // canvas's palette is restored. Items without a picture are skipped; a
    // canvas that cannot be locked draws nothing.
    void Draw(Canvas& canvas, Palette* palette) const;

    EquipmentItem* LastDisplaced() const { return lastDisplaced_; }
    EquipmentItem* Cell(int32_t column, int32_t row) const { return cells_[size_t(row * width + column)]; }
    // The distinct items in the order of their first cell.
    std::vector<EquipmentItem*> Items() const;

    MountPoint origin;             // the screen position of the top-left corner
    int32_t frameColour = 0;
    int32_t kind = 0;
    std::string name;
    bool hasName = false;
    int32_t width;
    int32_t height;

private:
    // The cell under the point; false when the point hits none.
    bool CellAt(MountPoint point, int32_t* column, int32_t* row) const;
    bool FootprintFits(int32_t column, int32_t row, const EquipmentItem& item) const;
    // Steps 1 and 2 of a drop: false when refused, else the one covered item (or null).
    bool CoveredItem(MountPoint point, const EquipmentItem& item, int32_t* column, int32_t* row,
                     EquipmentItem** covered) const;
    bool KindTaken(const EquipmentItem& item, const EquipmentItem* covered) const;
    void Write(int32_t column, int32_t row, EquipmentItem* item);

    std::vector<EquipmentItem*> cells_;   // row-major, W x H
    EquipmentItem* lastDisplaced_ = nullptr;
};
