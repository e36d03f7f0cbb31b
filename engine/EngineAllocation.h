#pragma once
#include <cstddef>

// The engine's allocation functions: the engine heap while one is reserved,
// the C runtime heap otherwise. They return null on failure and never throw.
void* EngineAllocate(size_t bytes) noexcept;
// Frees a block from whichever heap its address belongs to, so a block made
// before the engine heap existed may be freed after, and the other way round.
// Null is ignored.
void EngineRelease(void* block) noexcept;
// An engine-allocated copy of at most `limit` characters of a text, always
// terminated (an empty text for null); null when memory runs out.
char* EngineCopyText(const char* text, size_t limit = static_cast<size_t>(-1)) noexcept;

// Base of engine and game objects: `new` on a derived class allocates through
// the engine's allocation functions and yields null when memory runs out, so
// callers test the result at once. The process-wide operators stay standard.
class EngineObject {
public:
    static void* operator new(size_t bytes) noexcept { return EngineAllocate(bytes); }
    static void* operator new[](size_t bytes) noexcept { return EngineAllocate(bytes); }
    static void operator delete(void* block) noexcept { EngineRelease(block); }
    static void operator delete[](void* block) noexcept { EngineRelease(block); }
};
