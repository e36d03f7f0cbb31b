#include "screens/squadron/OutfitHotspots.h"

#include "engine/input/InputEventMap.h"
#include "game/MountArea.h"
#include "game/ShipRecord.h"

int32_t g_hotspotRowCount = 0;
const ShipRecord* g_hotspotShip = nullptr;

namespace {

enum class Rows { kNone, kStrips, kBays };

void Disable(InputTrigger& record) {
    record.xMin = record.xMax = record.yMin = record.yMax = 0;
    record.motionX = kDisabledRow;
}

int32_t Walk(InputTrigger* record, Rows rows) {
    const int32_t row = g_hotspotRowCount;
    if (row >= kFirstAreaRow + kAreaRows) return 0;
    ++g_hotspotRowCount;
    if (row < kFirstAreaRow || record == nullptr) return 1;
    const int32_t index = row - kFirstAreaRow;
    const MountArea* area = nullptr;
    if (g_hotspotShip != nullptr && rows == Rows::kStrips) area = g_hotspotShip->GetHardpointStrip(index);
    if (g_hotspotShip != nullptr && rows == Rows::kBays) area = g_hotspotShip->GetBay(index);
    if (area == nullptr) {
        Disable(*record);
        return 1;
    }
    const int32_t cell = rows == Rows::kStrips ? MountArea::kStripCell : MountArea::kBayCell;
    const int32_t bottom = rows == Rows::kStrips ? area->origin.y + MountArea::kStripHeight
                                                 : area->origin.y + area->height * cell;
    record->xMin = int16_t(area->origin.x);
    record->yMin = int16_t(area->origin.y);
    record->xMax = int16_t(area->origin.x + area->width * cell);
    record->yMax = int16_t(bottom);
    record->motionX = 0;
    return 1;
}

}  // namespace

int32_t ResetListHotspotCallback(InputTrigger* record) { return Walk(record, Rows::kNone); }

int32_t PlaceOutfitItemHotspotCallback(InputTrigger* record) { return Walk(record, Rows::kStrips); }

int32_t PlaceOutfitGridHotspotCallback(InputTrigger* record) { return Walk(record, Rows::kBays); }
