#include "engine/DynArrayGrowth.h"

#include <cstring>

#include "engine/EngineAllocation.h"

int32_t DynArrayGrownCapacity(int32_t capacityLast, int32_t index, int32_t growStep) {
    const int64_t byStep = int64_t{capacityLast} + growStep;
    const int64_t grown = byStep > index ? byStep : index;
    return grown > kDynArrayMaxIndex ? kDynArrayMaxIndex : static_cast<int32_t>(grown);
}

void* DynArrayAllocateGrown(const void* oldBlock, int32_t oldCapacityLast,
                            int32_t newCapacityLast, size_t elementSize, bool zeroFirst) {
    const size_t newBytes = (static_cast<size_t>(newCapacityLast) + 1) * elementSize;
    void* const block = EngineAllocate(newBytes);
    if (block == nullptr) {
        return nullptr;
    }
    if (zeroFirst) {
        std::memset(block, 0, newBytes);
    }
    if (oldBlock != nullptr && oldCapacityLast >= 0) {
        std::memcpy(block, oldBlock, (static_cast<size_t>(oldCapacityLast) + 1) * elementSize);
    }
    return block;
}
