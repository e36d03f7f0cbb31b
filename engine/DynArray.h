#pragma once
#include <cassert>
#include <cstdint>
#include <cstring>
#include <type_traits>

#include "engine/EngineAllocation.h"
#include "engine/DynArrayGrowth.h"

// The game's growable array of 32-bit words or pointers. Elements are kept
// by value and never owned: removing one, clearing or destroying the array
// leaves whatever a pointer element points at to its owner.
//
// Everything that grows allocates the new block before changing anything,
// so when the engine heap is out of memory the array stays exactly as it
// was: `At` then yields null and the others false. A last index that would
// pass kDynArrayMaxIndex fails the same way instead of wrapping.
template <typename T>
class DynArray {
    static_assert(std::is_trivially_copyable_v<T>, "elements are moved with memcpy");
    static_assert(sizeof(T) <= sizeof(void*), "elements are words or pointers");

public:
    static constexpr int32_t kDefaultGrowStep = 4;

    explicit DynArray(int32_t growStep = kDefaultGrowStep) : growStep_(growStep) {}
    ~DynArray() { EngineRelease(data_); }
    DynArray(const DynArray&) = delete;
    DynArray& operator=(const DynArray&) = delete;
    DynArray(DynArray&& other) noexcept;
    DynArray& operator=(DynArray&& other) noexcept;

    // Reading. Indexing does not grow: the index must be within 0..LastIndex().
    int32_t Count() const { return lastIndex_ + 1; }
    int32_t LastIndex() const { return lastIndex_; }
    int32_t Capacity() const { return capacityLast_ + 1; }
    int32_t GrowStep() const { return growStep_; }
    T* Data() { return data_; }
    const T* Data() const { return data_; }
    T& operator[](int32_t index) { assert(index >= 0 && index <= lastIndex_); return data_[index]; }
    const T& operator[](int32_t index) const { assert(index >= 0 && index <= lastIndex_); return data_[index]; }
    T* begin() { return data_; }
    T* end() { return data_ + Count(); }
    const T* begin() const { return data_; }
    const T* end() const { return data_ + Count(); }

    // Growing. A negative index counts as 0; an index past the last index
    // becomes the last index; past the capacity the block grows by the larger
    // of the shortfall and the grow step. New elements are not cleared.
    bool EnsureIndex(int32_t index);
    // The element's address after EnsureIndex, or null when that failed.
    T* At(int32_t index);
    bool Append(T value);
    // An index past the last index appends at the end; otherwise the
    // elements from the index up move up by one to make room.
    bool InsertAt(T value, int32_t index);
    // Grows to exactly the room needed, without the grow step. A count of 0
    // does nothing and succeeds; a negative count does nothing and fails.
    // The source may lie within this array.
    bool AppendRange(const T* source, int32_t count);
    bool AppendRange(const DynArray& source) { return AppendRange(source.data_, source.Count()); }

    // Shrinking. Only 0 <= index <= LastIndex() removes anything; the later
    // elements move down by one and the capacity stays.
    void RemoveAt(int32_t index);
    // Both empty the array and free its block; the grow step stays.
    void Clear();
    void FreeData() { Clear(); }

private:
    bool GrowFor(int32_t index);
    void Adopt(T* block, int32_t capacityLast);

    int32_t lastIndex_ = -1;
    int32_t capacityLast_ = -1;  // -1 while there is no block
    T* data_ = nullptr;
    int32_t growStep_;
};

template <typename T>
DynArray<T>::DynArray(DynArray&& other) noexcept
    : lastIndex_(other.lastIndex_), capacityLast_(other.capacityLast_), data_(other.data_),
      growStep_(other.growStep_) {
    other.lastIndex_ = -1;
    other.capacityLast_ = -1;
    other.data_ = nullptr;
}

template <typename T>
DynArray<T>& DynArray<T>::operator=(DynArray&& other) noexcept {
    if (this != &other) {
        EngineRelease(data_);
        lastIndex_ = other.lastIndex_;
        capacityLast_ = other.capacityLast_;
        data_ = other.data_;
        growStep_ = other.growStep_;
        other.lastIndex_ = -1;
        other.capacityLast_ = -1;
        other.data_ = nullptr;
    }
    return *this;
}

template <typename T>
bool DynArray<T>::EnsureIndex(int32_t index) {
    if (index < 0) {
        index = 0;
    }
    if (index > kDynArrayMaxIndex) {
        return false;
    }
    if (index > capacityLast_ && !GrowFor(index)) {
        return false;
    }
    if (index > lastIndex_) {
        lastIndex_ = index;
    }
    return true;
}

template <typename T>
T* DynArray<T>::At(int32_t index) {
    if (!EnsureIndex(index)) {
        return nullptr;
    }
    return data_ + (index < 0 ? 0 : index);
}

template <typename T>
bool DynArray<T>::Append(T value) {
    if (!EnsureIndex(lastIndex_ + 1)) {
        return false;
    }
    data_[lastIndex_] = value;
    return true;
}

template <typename T>
bool DynArray<T>::InsertAt(T value, int32_t index) {
    if (index < 0) {
        index = 0;
    }
    if (index > lastIndex_) {
        return Append(value);
    }
    if (!EnsureIndex(lastIndex_ + 1)) {
        return false;
    }
    std::memmove(data_ + index + 1, data_ + index, static_cast<size_t>(lastIndex_ - index) * sizeof(T));
    data_[index] = value;
    return true;
}

template <typename T>
bool DynArray<T>::AppendRange(const T* source, int32_t count) {
    if (count <= 0) {
        return count == 0;
    }
    if (count > kDynArrayMaxIndex - lastIndex_) {
        return false;
    }
    const int32_t newLast = lastIndex_ + count;
    T* block = data_;
    if (newLast > capacityLast_) {
        block = static_cast<T*>(DynArrayAllocateGrown(data_, capacityLast_, newLast, sizeof(T), false));
        if (block == nullptr) {
            return false;
        }
    }
    // Copied before the old block goes, in case the source lies within it.
    std::memmove(block + lastIndex_ + 1, source, static_cast<size_t>(count) * sizeof(T));
    if (block != data_) {
        Adopt(block, newLast);
    }
    lastIndex_ = newLast;
    return true;
}

template <typename T>
void DynArray<T>::RemoveAt(int32_t index) {
    if (index < 0 || index > lastIndex_) {
        return;
    }
    std::memmove(data_ + index, data_ + index + 1, static_cast<size_t>(lastIndex_ - index) * sizeof(T));
    --lastIndex_;
}

template <typename T>
void DynArray<T>::Clear() {
    EngineRelease(data_);
    data_ = nullptr;
    lastIndex_ = -1;
    capacityLast_ = -1;
}

template <typename T>
bool DynArray<T>::GrowFor(int32_t index) {
    const int32_t capacityLast = DynArrayGrownCapacity(capacityLast_, index, growStep_);
    void* const block = DynArrayAllocateGrown(data_, capacityLast_, capacityLast, sizeof(T), false);
    if (block == nullptr) {
        return false;
    }
    Adopt(static_cast<T*>(block), capacityLast);
    return true;
}

template <typename T>
void DynArray<T>::Adopt(T* block, int32_t capacityLast) {
    EngineRelease(data_);
    data_ = block;
    capacityLast_ = capacityLast;
}
