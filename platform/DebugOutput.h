#pragma once

// The debugger's output line: standard error unless a sink is set (tests
// capture the lines through one).
namespace platform {

using DebugSink = void (*)(const char* text);

void DebugOutput(const char* text);
// The sink from now on (null: standard error again); the previous one.
DebugSink SetDebugSink(DebugSink sink);

}  // namespace platform
