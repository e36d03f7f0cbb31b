#include "ui/PopUpPlacement.h"

#include <algorithm>
#include <cstdlib>
#include <limits>

#include "engine/input/InputEventMap.h"
#include "ui/ArtObject.h"
#include "ui/BitmapButton.h"
#include "ui/MenuScreen.h"
#include "ui/UiControl.h"

namespace pop_up_placement {

namespace {

void AddPanel(const ArtObject& panel, std::vector<Box>* boxes) {
    for (const UiControl* const control : panel.controls) {
        if (control->visible == 0 || control->width <= 0 || control->height <= 0) continue;
        boxes->push_back(Box{control->RegionLeft(), control->RegionTop(), control->RegionLeft() + control->width - 1,
                             control->RegionTop() + control->height - 1});
    }
    for (const SpriteInstance* const sprite : panel.spriteInstances) {
        const BitmapButton* const button = sprite->control;
        if (button == nullptr || button->width <= 0 || button->height <= 0) continue;
        boxes->push_back(Box{sprite->x, sprite->y, sprite->x + button->width - 1, sprite->y + button->height - 1});
    }
}

int64_t OverlapArea(const Box& a, const Box& b) {
    if (!a.Overlaps(b)) return 0;
    const int64_t width = std::min(a.right, b.right) - std::max(a.left, b.left) + 1;
    const int64_t height = std::min(a.bottom, b.bottom) - std::max(a.top, b.top) + 1;
    return width * height;
}

}  // namespace

std::vector<Box> OccupiedBoxes(const Screen& screen) {
    std::vector<Box> boxes;
    if (screen.eventMap != nullptr) {
        screen.eventMap->ForEachEvent([&](InputTrigger* t) {
            if (t->xMin >= 0 && t->xMax >= 0 && t->yMin >= 0 && t->yMax >= 0) {
                boxes.push_back(Box{t->xMin, t->yMin, t->xMax, t->yMax});
            }
            return 1;
        });
    }
    if (const auto* const menu = dynamic_cast<const MenuScreen*>(&screen)) {
        if (menu->currentPanel != nullptr) AddPanel(*menu->currentPanel, &boxes);
        for (const ArtObject* const panel : menu->panelStack) AddPanel(*panel, &boxes);
    }
    return boxes;
}

int32_t ChooseShift(const std::vector<Box>& buttons, const std::vector<Box>& occupied, int32_t lowest,
                    int32_t highest) {
    int32_t best = std::clamp(0, lowest, highest);
    int64_t bestCovered = std::numeric_limits<int64_t>::max();
    for (int32_t shift = lowest; shift <= highest; ++shift) {
        int64_t covered = 0;
        for (const Box& button : buttons) {
            const Box moved = button.Shifted(shift);
            for (const Box& box : occupied) covered += OverlapArea(moved, box);
        }
        if (covered < bestCovered || (covered == bestCovered && std::abs(shift) < std::abs(best))) {
            best = shift;
            bestCovered = covered;
        }
    }
    return best;
}

}  // namespace pop_up_placement
