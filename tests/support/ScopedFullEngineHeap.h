#pragma once
#include "tests/support/ScopedEngineHeap.h"

// The full form of ScopedEngineHeap under its older name, for the tests that
// still spell it so; new tests write ScopedEngineHeap(ScopedEngineHeap::kFull).
class ScopedFullEngineHeap : public ScopedEngineHeap {
public:
    ScopedFullEngineHeap() : ScopedEngineHeap(kFull) {}
};
