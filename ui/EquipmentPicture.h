#pragma once
#include <cstdint>
#include <functional>
#include <vector>

#include "ui/UiControl.h"

class Bitmap;
class EquipmentItem;
class ShipRecord;

// The picture of the current item of a list of equipment items, or else of
// the current ship of a list of ships, centred in the control in the palette
// "WeaponEquipment". A screen showing one is redrawn on every pass.
class EquipmentPicture : public UiControl {
public:
    static constexpr const char* kPaletteName = "WeaponEquipment";
    // What the control is for.
    static constexpr int32_t kKindShips = 0;
    static constexpr int32_t kKindWeapons = 1;
    static constexpr int32_t kKindEquipment = 2;

    EquipmentPicture(int32_t width, int32_t height, const FrameRect& position, const char* name);

    // The item (not owned) joins the list and becomes the current one.
    void AddImage(EquipmentItem* item);
    // Step through the list, wrapping at either end.
    void Next();
    void Previous();
    // Item i, or for -1 the current one; null otherwise.
    EquipmentItem* GetItem(int32_t index) const;
    // The same item taken out of the list (not freed); the current index stays.
    EquipmentItem* RemoveItem(int32_t index);

    // The ship (not owned) joins the ship list and becomes its current one.
    void AddShip(const ShipRecord* ship);
    // The current ship, null when the list has none.
    const ShipRecord* CurrentShip() const;
    // Both lists emptied, both currents 0; nothing is freed.
    void ClearLists();

    int32_t Refresh(int32_t flag) override;

    int32_t Current() const { return current_; }
    int32_t ItemCount() const { return int32_t(items_.size()); }
    int32_t ShipCount() const { return int32_t(ships_.size()); }

    int32_t kind = kKindShips;
    // The picture of a ship, owned by whoever shows the ships; null draws
    // nothing. Unset: ships have no picture.
    std::function<Bitmap*(const ShipRecord&)> shipPicture;

private:
    int32_t Choose(int32_t index) const;
    Bitmap* CurrentBitmap() const;

    std::vector<EquipmentItem*> items_;
    int32_t current_ = 0;
    std::vector<const ShipRecord*> ships_;
    int32_t currentShip_ = 0;
};
