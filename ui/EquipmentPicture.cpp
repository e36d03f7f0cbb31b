#include "ui/EquipmentPicture.h"

#include "display/Canvas.h"
#include "game/EquipmentItem.h"
#include "game/GameState.h"
#include "ui/CanvasLock.h"
#include "ui/CelFrame.h"
#include "ui/Screen.h"
#include "ui/ScreenRedraw.h"

EquipmentPicture::EquipmentPicture(int32_t controlWidth, int32_t controlHeight, const FrameRect& at,
                                   const char* name)
    : UiControl(controlWidth, controlHeight, at, at, at, FrameRect::kNoFrame, 0, name) {}

void EquipmentPicture::AddImage(EquipmentItem* item) {
    items_.push_back(item);
    current_ = ItemCount() - 1;
}

void EquipmentPicture::Next() {
    current_ = current_ + 1 > ItemCount() - 1 ? 0 : current_ + 1;
    RequestScreenRedraw();
}

void EquipmentPicture::Previous() {
    current_ = current_ - 1 < 0 ? ItemCount() - 1 : current_ - 1;
    RequestScreenRedraw();
}

int32_t EquipmentPicture::Choose(int32_t index) const {
    if (index >= 0 && index < ItemCount()) return index;
    if (index == -1 && current_ >= 0 && current_ < ItemCount()) return current_;
    return -1;
}

EquipmentItem* EquipmentPicture::GetItem(int32_t index) const {
    const int32_t chosen = Choose(index);
    return chosen >= 0 ? items_[size_t(chosen)] : nullptr;
}

EquipmentItem* EquipmentPicture::RemoveItem(int32_t index) {
    const int32_t chosen = Choose(index);
    if (chosen < 0) return nullptr;
    EquipmentItem* const item = items_[size_t(chosen)];
    items_.erase(items_.begin() + chosen);
    return item;
}

void EquipmentPicture::AddShip(const ShipRecord* ship) {
    ships_.push_back(ship);
    currentShip_ = ShipCount() - 1;
}

const ShipRecord* EquipmentPicture::CurrentShip() const {
    return currentShip_ >= 0 && currentShip_ < ShipCount() ? ships_[size_t(currentShip_)] : nullptr;
}

void EquipmentPicture::ClearLists() {
    items_.clear();
    ships_.clear();
    current_ = 0;
    currentShip_ = 0;
}

Bitmap* EquipmentPicture::CurrentBitmap() const {
    if (current_ >= 0 && current_ < ItemCount()) {
        const EquipmentItem* const item = items_[size_t(current_)];
        return item != nullptr && !item->listPictures.empty() ? item->listPictures.front().get() : nullptr;
    }
    const ShipRecord* const ship = CurrentShip();
    return ship != nullptr && shipPicture ? shipPicture(*ship) : nullptr;
}

int32_t EquipmentPicture::Refresh(int32_t) {
    if (visible == 0) return 0;
    {
        const CanvasLock lock;
        if (lock.CanDraw()) {
            Canvas& canvas = *lock.Target();
            Palette* const own = canvas.palette;
            Palette* const equipment = g_gameState != nullptr ? g_gameState->LoadPalette(kPaletteName) : nullptr;
            if (equipment != nullptr) canvas.palette = equipment;
            if (Bitmap* const bitmap = CurrentBitmap()) {
                BorrowedImage image(*bitmap);
                if (image.HasPixels()) {
                    BlitKeyed(canvas, image.Image(), (width - image.Image().width) / 2 + RegionLeft(),
                              (height - image.Image().height) / 2 + RegionTop());
                }
            }
            canvas.palette = own;
        }
    }
    // The picture may change under the screen at any time.
    if (Screen* const screen = CurrentScreen()) screen->dirty = 1;
    return 0;
}
