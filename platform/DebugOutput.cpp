#include "platform/DebugOutput.h"

#include <cstdio>

namespace platform {

namespace {
DebugSink g_sink = nullptr;
}  // namespace

void DebugOutput(const char* text) {
    if (text == nullptr) return;
    if (g_sink != nullptr) {
        g_sink(text);
        return;
    }
    std::fputs(text, stderr);
}

DebugSink SetDebugSink(DebugSink sink) {
    const DebugSink previous = g_sink;
    g_sink = sink;
    return previous;
}

}  // namespace platform
