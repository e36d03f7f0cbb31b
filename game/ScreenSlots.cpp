#include "game/ScreenSlots.h"

#include <cstring>

ScreenSlot FindScreenSlot(const char* name) {
    if (name == nullptr) return ScreenSlot::kCount;
    for (int32_t i = 0; i < kScreenSlotCount; ++i) {
        if (std::strcmp(kScreenSlotNames[i], name) == 0) return static_cast<ScreenSlot>(i);
    }
    return ScreenSlot::kCount;
}
