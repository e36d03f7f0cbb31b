#include "shell/RunTrace.h"

#include <cstdio>

#include "game/Cockpit.h"
#include "screens/NetLobbyScreen.h"

namespace run_trace {

namespace {

bool g_enabled = false;
int32_t g_lastMode = -1;

void Quoted(const char* what, const char* text) {
    if (!g_enabled) return;
    std::printf("%s \"%s\"\n", what, text != nullptr ? text : "");
    std::fflush(stdout);
}

}  // namespace

void Enable() {
    g_enabled = true;
    g_lastMode = -1;
    Cockpit::messageShown = Message;
    NetLobbyScreen::chatLineAdded = Chat;
}

void Disable() {
    g_enabled = false;
    Cockpit::messageShown = nullptr;
    NetLobbyScreen::chatLineAdded = nullptr;
}

bool Enabled() { return g_enabled; }

void Screen(const char* name) {
    if (!g_enabled) return;
    std::printf("screen %s\n", name != nullptr ? name : "");
    std::fflush(stdout);
}

void Mode(int32_t mode) {
    if (!g_enabled || mode == g_lastMode) return;
    // The mode a run starts in is no change.
    const bool first = g_lastMode < 0;
    g_lastMode = mode;
    if (first) return;
    std::printf("mode %d\n", int(mode));
    std::fflush(stdout);
}

// A cleared message line is no message.
void Message(const char* text) {
    if (text != nullptr && text[0] != '\0') Quoted("message", text);
}

void Chat(const char* text) { Quoted("chat", text); }

}  // namespace run_trace
