#include "platform/ExecutionContext.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace {

TEST(ExecutionContext, RestoreResumesBehindTheSaveWithOne) {
    platform::ExecutionContext context;
    volatile int results[2] = {-1, -1};
    volatile int passes = 0;
    const int result = platform::SaveContext(&context);
    results[passes] = result;
    passes = passes + 1;
    if (result == 0) {
        platform::RestoreContext(&context);
    }
    EXPECT_EQ(passes, 2);
    EXPECT_EQ(results[0], 0);
    EXPECT_EQ(results[1], 1);
}

// A prepared context starts its routine on the new stack, which switches
// straight back to the flow that started it.
platform::ExecutionContext g_caller;
platform::ExecutionContext g_fresh;
uintptr_t g_seenStackWord = 0;

[[noreturn]] void FreshStart() noexcept {
    volatile int local = 0;
    g_seenStackWord = reinterpret_cast<uintptr_t>(&local);
    platform::RestoreContext(&g_caller);
}

TEST(ExecutionContext, APreparedContextEntersItsRoutineOnTheNewStack) {
    alignas(16) static uint8_t stack[16384];
    uintptr_t* const slot = reinterpret_cast<uintptr_t*>(stack + sizeof(stack)) - 4;
    platform::PrepareContext(&g_fresh, slot, &FreshStart);
    if (platform::SaveContext(&g_caller) == 0) {
        platform::RestoreContext(&g_fresh);
    }
    EXPECT_GE(g_seenStackWord, reinterpret_cast<uintptr_t>(stack));
    EXPECT_LT(g_seenStackWord, reinterpret_cast<uintptr_t>(stack + sizeof(stack)));
}

}  // namespace
