#pragma once
#include <cstdint>

// One record of a DynArray36: nine 32-bit words whose meaning is the
// holder's (a mission's space-dust records, for instance, which travel over
// the network byte for byte).
struct Record36 {
    uint32_t words[9];
};
static_assert(sizeof(Record36) == 36);

// The growable array of 36-byte records. Same header as DynArray<T>, but a
// grown block is cleared before the old records are copied in, so records
// that were never written read as zero.
//
// Growing allocates first and changes nothing when the engine heap is out of
// memory: `At` then yields null and the others false.
class DynArray36 {
public:
    static constexpr int32_t kDefaultGrowStep = 4;

    explicit DynArray36(int32_t growStep = kDefaultGrowStep) : growStep_(growStep) {}
    ~DynArray36();
    DynArray36(const DynArray36&) = delete;
    DynArray36& operator=(const DynArray36&) = delete;

    // Reading. Indexing does not grow: the index must be within 0..LastIndex().
    int32_t Count() const { return lastIndex_ + 1; }
    int32_t LastIndex() const { return lastIndex_; }
    int32_t Capacity() const { return capacityLast_ + 1; }
    int32_t GrowStep() const { return growStep_; }
    Record36* Data() { return data_; }
    const Record36* Data() const { return data_; }
    Record36& operator[](int32_t index);
    const Record36& operator[](int32_t index) const;

    // Growing. The last index rises to the index when that is larger; past
    // the capacity the block grows by the larger of the shortfall and the
    // grow step. A negative index ensures nothing.
    bool EnsureIndex(int32_t index);
    // The record's address after EnsureIndex, a negative index counting as
    // 0; null when growing failed.
    Record36* At(int32_t index);
    // Stores the record after the last one.
    bool Add(const Record36& record);

    // Both empty the array and free its block; the grow step stays.
    void Clear();
    void FreeData() { Clear(); }

private:
    int32_t lastIndex_ = -1;
    int32_t capacityLast_ = -1;  // -1 while there is no block
    Record36* data_ = nullptr;
    int32_t growStep_;
};
