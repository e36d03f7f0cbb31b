#pragma once
#include <cstdint>

namespace platform {

// Where a flow of control stands while it is not running: the registers a
// called function must preserve, the stack pointer inside the SaveContext
// call (pointing at its return address) and that return address. Nothing
// else needs keeping: a switch is an ordinary call as far as the compiler
// knows.
struct ExecutionContext {
    uint64_t preserved[6] = {};
    uint64_t stackPointer = 0;
    uint64_t resume = 0;
};

// Stores the preserved registers, the stack pointer and the return address
// and returns 0; returns again, with 1, when RestoreContext resumes the
// context. The caller's frame must still be live by then.
[[gnu::returns_twice]] int SaveContext(ExecutionContext* context) asm("PlatformSaveContext");
// Loads the registers and the stack pointer, writes the resume address over
// the word the stack pointer points at and returns 1 through it.
[[noreturn]] void RestoreContext(const ExecutionContext* context) asm("PlatformRestoreContext");

// Makes a context that, once restored, enters `start` on a new stack.
// `resumeSlot` is the word the resume address is written over: the lowest
// of the words the new stack starts with, 8 bytes below a 16-byte boundary
// so that `start` finds the stack aligned as at any function's entry.
// `start` must never return.
void PrepareContext(ExecutionContext* context, uintptr_t* resumeSlot, void (*start)());

}  // namespace platform
