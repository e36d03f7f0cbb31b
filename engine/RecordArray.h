#pragma once
#include <cassert>
#include <cstddef>
#include <cstdint>

#include "engine/DynArrayGrowth.h"
#include "engine/EngineAllocation.h"

// One record of a RecordArray: Bytes / 4 32-bit words whose meaning is the
// holder's (a mission's space-dust records travel over the network byte for
// byte, a response curve's are five percentages).
template <size_t Bytes>
struct Record {
    static_assert(Bytes % 4 == 0 && Bytes > 0);
    uint32_t words[Bytes / 4];
};

// The growable array of fixed-size records. Same header as DynArray<T>,
// but a grown block is cleared before the old records are copied in, so
// records that were never written read as zero.
//
// Growing allocates first and changes nothing when the engine heap is out of
// memory: `At` then yields null and the others false.
template <size_t Bytes>
class RecordArray {
public:
    using Element = Record<Bytes>;
    static constexpr int32_t kDefaultGrowStep = 4;

    explicit RecordArray(int32_t growStep = kDefaultGrowStep) : growStep_(growStep) {}
    ~RecordArray() { EngineRelease(data_); }
    RecordArray(const RecordArray&) = delete;
    RecordArray& operator=(const RecordArray&) = delete;

    // Reading. Indexing does not grow: the index must be within 0..LastIndex().
    int32_t Count() const { return lastIndex_ + 1; }
    int32_t LastIndex() const { return lastIndex_; }
    int32_t Capacity() const { return capacityLast_ + 1; }
    int32_t GrowStep() const { return growStep_; }
    Element* Data() { return data_; }
    const Element* Data() const { return data_; }
    Element& operator[](int32_t index) {
        assert(index >= 0 && index <= lastIndex_);
        return data_[index];
    }
    const Element& operator[](int32_t index) const {
        assert(index >= 0 && index <= lastIndex_);
        return data_[index];
    }

    // Growing. The last index rises to the index when that is larger; past
    // the capacity the block grows by the larger of the shortfall and the
    // grow step. A negative index ensures nothing.
    bool EnsureIndex(int32_t index) {
        if (index > kDynArrayMaxIndex) return false;
        if (index > capacityLast_) {
            const int32_t capacityLast = DynArrayGrownCapacity(capacityLast_, index, growStep_);
            void* const block = DynArrayAllocateGrown(data_, capacityLast_, capacityLast, sizeof(Element), true);
            if (block == nullptr) return false;
            EngineRelease(data_);
            data_ = static_cast<Element*>(block);
            capacityLast_ = capacityLast;
        }
        if (index > lastIndex_) lastIndex_ = index;
        return true;
    }
    // The record's address after EnsureIndex, a negative index counting as
    // 0; null when growing failed.
    Element* At(int32_t index) {
        if (index < 0) index = 0;
        return EnsureIndex(index) ? data_ + index : nullptr;
    }
    // Stores the record after the last one.
    bool Add(const Element& record) {
        // Copied first: the record may be one of ours, and growing moves them.
        const Element copy = record;
        if (!EnsureIndex(lastIndex_ + 1)) return false;
        data_[lastIndex_] = copy;
        return true;
    }

    // Both empty the array and free its block; the grow step stays.
    void Clear() {
        EngineRelease(data_);
        data_ = nullptr;
        lastIndex_ = -1;
        capacityLast_ = -1;
    }
    void FreeData() { Clear(); }

private:
    int32_t lastIndex_ = -1;
    int32_t capacityLast_ = -1;  // -1 while there is no block
    Element* data_ = nullptr;
    int32_t growStep_;
};

using Record16 = Record<16>;
using Record20 = Record<20>;
using Record24 = Record<24>;
using Record36 = Record<36>;
using DynArray16 = RecordArray<16>;
using DynArray20 = RecordArray<20>;
using DynArray24 = RecordArray<24>;
using DynArray36 = RecordArray<36>;
static_assert(sizeof(Record36) == 36 && sizeof(Record20) == 20);
