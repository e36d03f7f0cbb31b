#include "engine/DynArray36.h"

#include <cassert>

#include "engine/EngineAllocation.h"
#include "engine/DynArrayGrowth.h"

DynArray36::~DynArray36() {
    EngineRelease(data_);
}

Record36& DynArray36::operator[](int32_t index) {
    assert(index >= 0 && index <= lastIndex_);
    return data_[index];
}

const Record36& DynArray36::operator[](int32_t index) const {
    assert(index >= 0 && index <= lastIndex_);
    return data_[index];
}

bool DynArray36::EnsureIndex(int32_t index) {
    if (index > kDynArrayMaxIndex) {
        return false;
    }
    if (index > capacityLast_) {
        const int32_t capacityLast = DynArrayGrownCapacity(capacityLast_, index, growStep_);
        void* const block =
            DynArrayAllocateGrown(data_, capacityLast_, capacityLast, sizeof(Record36), true);
        if (block == nullptr) {
            return false;
        }
        EngineRelease(data_);
        data_ = static_cast<Record36*>(block);
        capacityLast_ = capacityLast;
    }
    if (index > lastIndex_) {
        lastIndex_ = index;
    }
    return true;
}

Record36* DynArray36::At(int32_t index) {
    if (index < 0) {
        index = 0;
    }
    return EnsureIndex(index) ? data_ + index : nullptr;
}

bool DynArray36::Add(const Record36& record) {
    // Copied first: the record may be one of ours, and growing moves them.
    const Record36 copy = record;
    if (!EnsureIndex(lastIndex_ + 1)) {
        return false;
    }
    data_[lastIndex_] = copy;
    return true;
}

void DynArray36::Clear() {
    EngineRelease(data_);
    data_ = nullptr;
    lastIndex_ = -1;
    capacityLast_ = -1;
}
