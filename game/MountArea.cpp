#include "game/MountArea.h"

#include <algorithm>

#include "display/Canvas.h"
#include "display/CanvasRect.h"
#include "display/PixelImage.h"
#include "game/DrawString.h"
#include "game/EquipmentItem.h"
#include "game/GameState.h"

namespace {

// Kinds of which an area holds any number.
constexpr const char* kPaletteName = "WeaponEquipment";
// Key pixels are left out of the pictures.
constexpr uint32_t kBlitMode = 0xFF000000;

bool KindRepeats(int32_t kind) {
    return kind == EquipmentItem::kArmor || kind == EquipmentItem::kProbe || kind == EquipmentItem::kDecoy;
}

}  // namespace

MountArea::MountArea(MountPoint origin, int32_t width, int32_t height, const char* name)
    : origin(origin), name(name != nullptr ? name : ""), hasName(name != nullptr), width(width), height(height) {
    cells_.assign(size_t(std::max(0, width)) * size_t(std::max(0, height)), nullptr);
}

std::unique_ptr<MountArea> MountArea::Make(MountPoint origin, int32_t width, int32_t height, const char* name,
                                           int32_t kind) {
    if (width < 1 || width > kMaxCells || height < 1 || height > kMaxCells) return nullptr;
    auto area = std::make_unique<MountArea>(origin, width, height, name);
    area->kind = kind;
    return area;
}

bool MountArea::CellAt(MountPoint point, int32_t* column, int32_t* row) const {
    // Division truncates toward zero: a point up to a cell less one to the
    // left of or above the area still falls into column or row 0.
    if (IsStrip()) {
        if (point.y < origin.y || point.y >= origin.y + kStripHeight) return false;
        *column = (point.x - origin.x) / kStripCell;
        *row = 0;
    } else {
        *column = (point.x - origin.x) / kBayCell;
        *row = (point.y - origin.y) / kBayCell;
    }
    return *column >= 0 && *column < width && *row >= 0 && *row < height;
}

bool MountArea::FootprintFits(int32_t column, int32_t row, const EquipmentItem& item) const {
    if (item.width < 1 || item.height < 1) return false;
    if (column + item.width > width) return false;
    if (IsStrip()) return true;
    return row + item.height <= height && kind == item.mountClass + kFirstBayKind;
}

bool MountArea::CoveredItem(MountPoint point, const EquipmentItem& item, int32_t* column, int32_t* row,
                            EquipmentItem** covered) const {
    if (!CellAt(point, column, row) || !FootprintFits(*column, *row, item)) return false;
    const int32_t rows = IsStrip() ? 1 : item.height;
    *covered = nullptr;
    for (int32_t r = *row; r < *row + rows; ++r) {
        for (int32_t c = *column; c < *column + item.width; ++c) {
            EquipmentItem* const held = Cell(c, r);
            if (held == nullptr) continue;
            if (*covered == nullptr) {
                *covered = held;
            } else if (held != *covered) {
                return false;   // a drop covers at most one item
            }
        }
    }
    return true;
}

bool MountArea::KindTaken(const EquipmentItem& item, const EquipmentItem* covered) const {
    if (KindRepeats(item.kind)) return false;
    return std::any_of(cells_.begin(), cells_.end(), [&](const EquipmentItem* held) {
        return held != nullptr && held != covered && held != &item && held->kind == item.kind;
    });
}

void MountArea::Write(int32_t column, int32_t row, EquipmentItem* item) {
    const int32_t rows = IsStrip() ? 1 : item->height;
    for (int32_t r = row; r < row + rows; ++r) {
        for (int32_t c = column; c < column + item->width; ++c) cells_[size_t(r * width + c)] = item;
    }
    if (hasName) item->mountName = name;
}

int32_t MountArea::DropItemAt(MountPoint point, EquipmentItem* item) {
    if (item == nullptr) return 0;
    int32_t column = 0, row = 0;
    EquipmentItem* covered = nullptr;
    if (!CoveredItem(point, *item, &column, &row, &covered)) return 0;
    if (!IsStrip() && KindTaken(*item, covered)) return 0;
    RemoveItem(covered);
    // Dropped again where it already lies: its old cells go first.
    RemoveItem(item);
    lastDisplaced_ = covered;
    Write(column, row, item);
    item->column = column;
    item->row = row;
    return 1;
}

bool MountArea::HitTest(MountPoint point, const EquipmentItem& item) const {
    int32_t column = 0, row = 0;
    return !IsStrip() && CellAt(point, &column, &row) && FootprintFits(column, row, item);
}

bool MountArea::HasKindConflict(MountPoint point, const EquipmentItem& item) const {
    int32_t column = 0, row = 0;
    EquipmentItem* covered = nullptr;
    return !IsStrip() && CoveredItem(point, item, &column, &row, &covered) && KindTaken(item, covered);
}

EquipmentItem* MountArea::ItemAt(MountPoint point) const {
    int32_t column = 0, row = 0;
    return CellAt(point, &column, &row) ? Cell(column, row) : nullptr;
}

EquipmentItem* MountArea::TakeItemAt(MountPoint point) {
    EquipmentItem* const item = ItemAt(point);
    RemoveItem(item);
    return item;
}

int32_t MountArea::PlaceStoredItem(int32_t column, int32_t, EquipmentItem* item) {
    if (item == nullptr || item->width < 1 || item->height < 1) return 0;
    if (IsStrip()) {
        if (column < 0 || column >= width || column + item->width > width) return 0;
        for (int32_t c = column; c < column + item->width; ++c) {
            if (cells_[size_t(c)] != nullptr) {
                RemoveItem(item);
                return 0;
            }
            cells_[size_t(c)] = item;
        }
        if (hasName) item->mountName = name;
        return 1;
    }
    if (kind != item->mountClass + kFirstBayKind) return 0;
    for (int32_t c = 0; c + item->width <= width; ++c) {
        for (int32_t r = 0; r + item->height <= height; ++r) {
            bool free = true;
            for (int32_t y = r; free && y < r + item->height; ++y) {
                for (int32_t x = c; free && x < c + item->width; ++x) free = Cell(x, y) == nullptr;
            }
            if (!free) continue;
            Write(c, r, item);
            item->column = c;
            item->row = r;
            return 1;
        }
    }
    return 0;
}

int32_t MountArea::PlaceSavedItem(EquipmentItem* item) {
    if (item == nullptr || item->column < 0 || item->row < 0) return 0;
    if (item->column + item->width > width || (!IsStrip() && item->row + item->height > height)) return 0;
    if (item->width < 1 || item->height < 1) return 0;
    const int32_t row = IsStrip() ? 0 : item->row;
    const int32_t rows = IsStrip() ? 1 : item->height;
    for (int32_t r = row; r < row + rows; ++r) {
        for (int32_t c = item->column; c < item->column + item->width; ++c) {
            if (Cell(c, r) != nullptr) return 0;
        }
    }
    Write(item->column, row, item);
    return 1;
}

void MountArea::RemoveItem(const EquipmentItem* item) {
    if (item == nullptr) return;
    std::replace(cells_.begin(), cells_.end(), const_cast<EquipmentItem*>(item), static_cast<EquipmentItem*>(nullptr));
}

std::vector<EquipmentItem*> MountArea::Items() const {
    std::vector<EquipmentItem*> items;
    for (EquipmentItem* held : cells_) {
        if (held != nullptr && std::find(items.begin(), items.end(), held) == items.end()) items.push_back(held);
    }
    return items;
}

void MountArea::Draw() const {
    if (g_gameCanvas == nullptr) return;
    Draw(*g_gameCanvas, g_gameState != nullptr ? g_gameState->LoadPalette(kPaletteName) : nullptr);
}

void MountArea::Draw(Canvas& canvas, Palette* palette) const {
    Palette* const previous = canvas.palette;
    if (palette != nullptr) canvas.palette = palette;
    const std::vector<EquipmentItem*> items = Items();
    const int32_t lock = canvas.Lock();
    if (lock != -1) {
        for (const EquipmentItem* item : items) {
            const Bitmap* const picture = item->layoutPicture.get();
            if (picture == nullptr || picture->pixels == nullptr || picture->bytesPerPixel != Bitmap::kDepth8Bit) continue;
            // A view of the picture's pixels for the blit; they stay the item's.
            PixelImage image(PixelImage::kFormat8Bit);
            image.width = int16_t(picture->width);
            image.height = int16_t(picture->height);
            image.pixels = picture->pixels;
            const CanvasRect rect = IsStrip()
                                        ? CanvasRect{origin.x + kStripCell * item->column + 1, origin.y + 1, picture->width, picture->height}
                                        : CanvasRect{origin.x + kBayCell * item->column + 1, origin.y + kBayCell * item->row + 1,
                                                     picture->width, picture->height};
            canvas.BlitImage(&rect, &image, kBlitMode);
            image.ReleaseCopies();
            image.pixels = nullptr;
        }
        if (lock == 0) canvas.Unlock();
    }
    canvas.palette = previous;
}
