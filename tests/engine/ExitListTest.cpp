#include "engine/ExitList.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

namespace {

bool g_handlerCalled = false;

void NoteCall() { g_handlerCalled = true; }

void AnnounceExit() { std::fputs("exit handler ran\n", stderr); }

TEST(ExitList, RegisteredHandlerRunsAtExit) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            if (RegisterExitHandler(AnnounceExit) != 0) std::_Exit(3);
            std::exit(0);
        },
        testing::ExitedWithCode(0), "exit handler ran");
}

TEST(ExitList, EmptyDebugHookDoesNotCallTheHandler) {
    g_handlerCalled = false;
    EmptyDebugHook(NoteCall);
    EXPECT_FALSE(g_handlerCalled);
}

}  // namespace
