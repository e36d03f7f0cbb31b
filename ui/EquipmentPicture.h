#pragma once
#include <cstdint>
#include <vector>

#include "ui/UiControl.h"

class Bitmap;
class EquipmentItem;

// The picture of the current item of a list of equipment items, centred in
// the control in the palette "WeaponEquipment". A screen showing one is
// redrawn on every pass.
class EquipmentPicture : public UiControl {
public:
    static constexpr const char* kPaletteName = "WeaponEquipment";

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

    int32_t Refresh(int32_t flag) override;

    int32_t Current() const { return current_; }
    int32_t ItemCount() const { return int32_t(items_.size()); }

    // Pictures shown when the item list has no valid current item; not owned.
    std::vector<Bitmap*> pictures;
    int32_t currentPicture = 0;

private:
    int32_t Choose(int32_t index) const;
    Bitmap* CurrentBitmap() const;

    std::vector<EquipmentItem*> items_;
    int32_t current_ = 0;
};
