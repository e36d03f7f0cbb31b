#pragma once
#include <cstddef>

// An engine heap of the test's own for the life of a scope, released at its
// end even when an assertion returns early. The engine heap is process-wide,
// so a heap left over from before counts as a failure.
//
// Two kinds: a heap of a given size (exact mode), whose blocks a test can
// count and make run out; or a full heap, the smallest there is with blocks
// taken from it until it refuses, so that every engine allocation fails.
// Blocks made before either stay in the C runtime heap and are freed there
// whether the engine heap exists or not.
class ScopedEngineHeap {
public:
    struct Full {};
    static constexpr Full kFull{};

    explicit ScopedEngineHeap(size_t bytes);
    explicit ScopedEngineHeap(Full);
    ~ScopedEngineHeap();

    ScopedEngineHeap(const ScopedEngineHeap&) = delete;
    ScopedEngineHeap& operator=(const ScopedEngineHeap&) = delete;
};
