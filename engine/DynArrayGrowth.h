#pragma once
#include <cstddef>
#include <cstdint>

// Growth arithmetic and block handling shared by the growable arrays
// (`DynArray<T>`, `DynArray36`). Their headers keep two int32 words: the
// index of the last element (-1 when empty) and the capacity minus one
// (-1 when no block).

// The largest last index an array may reach, so that its count (last
// index + 1) still fits an int32.
inline constexpr int32_t kDynArrayMaxIndex = INT32_MAX - 1;

// The capacity-minus-one word after growing so that `index` fits: raised
// by the larger of the shortfall (index - capacityLast) and the grow step.
// A grow step that would carry it past kDynArrayMaxIndex is cut there, since
// the step is only a hint while the index is required. Expects
// capacityLast < index <= kDynArrayMaxIndex.
int32_t DynArrayGrownCapacity(int32_t capacityLast, int32_t index, int32_t growStep);

// A new engine-heap block for (newCapacityLast + 1) elements holding a copy
// of the old block's (oldCapacityLast + 1) elements; with `zeroFirst` the
// whole new block is cleared before the copy, so the elements past the old
// ones read as zero. Null when the engine heap is out of memory. The old
// block is left alone: the caller frees it once nothing more is read from
// it (an array appending its own elements reads them from there).
void* DynArrayAllocateGrown(const void* oldBlock, int32_t oldCapacityLast,
                            int32_t newCapacityLast, size_t elementSize, bool zeroFirst);
