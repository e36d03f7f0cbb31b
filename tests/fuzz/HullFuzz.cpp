// Reads any bytes as a hull file and as an equipment definition file. A
// hull either reads whole, with areas of 1 to 64 cells each way, or fails
// leaving the record as it was; an item either reads with a picture or
// pictureless, or fails without pictures.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "engine/IffFile.h"
#include "game/EquipmentItem.h"
#include "game/MountArea.h"
#include "game/ShipRecord.h"
#include "tests/support/MemoryStream.h"

extern "C" const char* __asan_default_options() { return "allocator_may_return_null=1:max_allocation_size_mb=64"; }

namespace {

void Check(bool condition) {
    if (!condition) std::abort();
}

void CheckAreas(const ShipRecord& ship, bool strips) {
    for (int32_t i = 0;; ++i) {
        const MountArea* const area = strips ? ship.GetHardpointStrip(i) : ship.GetBay(i);
        if (area == nullptr) {
            Check(size_t(i) <= 2 * ShipRecord::kMaxAreas);
            return;
        }
        Check(area->width >= 1 && area->width <= MountArea::kMaxCells && area->height >= 1 &&
              area->height <= MountArea::kMaxCells);
        Check(area->IsStrip() == strips);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::vector<uint8_t> bytes(data, data + size);
    {
        MemoryStream stream(bytes);
        IffFile hulls(&stream, 0);
        if (hulls.ValidateHeader() != kStatusOk) return 0;
        ShipRecord ship("P102");
        ship.price = 77;
        if (ship.LoadHull(hulls, 2) == kStatusOk) {
            Check(ship.count == 1);
            CheckAreas(ship, true);
            CheckAreas(ship, false);
        } else {
            Check(ship.price == 77 && ship.count == 0 && ship.GetBay(0) == nullptr && ship.GetHardpointStrip(0) == nullptr);
        }
    }
    MemoryStream stream(bytes);
    IffFile definitions(&stream, 0);
    if (definitions.ValidateHeader() != kStatusOk) return 0;
    const EquipmentItem item("Generator 1", definitions, 0);
    if (item.LoadStatus() != kStatusOk) {
        Check(item.listPictures.empty() && item.layoutPicture == nullptr);
    } else if (item.layoutPicture != nullptr) {
        Check(!item.listPictures.empty());
    }
    Check(item.width >= 0 && item.height >= 0);
    return 0;
}
