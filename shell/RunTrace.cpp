#include "shell/RunTrace.h"

#include <cstdio>
#include <map>

#include "game/Cockpit.h"
#include "screens/NetLobbyScreen.h"
#include "screens/rooms/MessageReader.h"
#include "screens/rooms/MissionsScreen.h"

namespace run_trace {

namespace {

bool g_enabled = false;
int32_t g_lastMode = -1;
uint64_t g_lineCount = 0;
// Each line's number the last time it was printed.
std::map<std::string, uint64_t> g_lastPrinted;

void Print(const std::string& line) {
    std::printf("%s\n", line.c_str());
    std::fflush(stdout);
    g_lastPrinted[line] = ++g_lineCount;
}

// The text may be another machine's: its control characters print as '?',
// so that none moves the reader's cursor or starts an escape sequence.
std::string QuotedText(const char* text) {
    std::string shown = text != nullptr ? text : "";
    for (char& c : shown) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) c = '?';
    }
    return "\"" + shown + "\"";
}

void Quoted(const char* what, const char* text) {
    if (g_enabled) Print(std::string(what) + " " + QuotedText(text));
}

// `read "TITLE": BODY`, a message as the player reads it.
void Read(const char* title, const char* body) {
    if (!g_enabled) return;
    Print(std::string("read \"") + (title != nullptr ? title : "") + "\": " + (body != nullptr ? body : ""));
}

}  // namespace

void Enable() {
    g_enabled = true;
    g_lastMode = -1;
    g_lineCount = 0;
    g_lastPrinted.clear();
    Cockpit::messageShown = Message;
    MissionsScreen::noticeShown = Message;
    Cockpit::radioShown = Radio;
    MessageReader::messageRead = Read;
    NetLobbyScreen::chatLineAdded = Chat;
    NetLobbyScreen::noticeShown = Message;
    NetLobbyScreen::teamRowShown = Team;
}

void Disable() {
    g_enabled = false;
    Cockpit::messageShown = nullptr;
    MissionsScreen::noticeShown = nullptr;
    Cockpit::radioShown = nullptr;
    MessageReader::messageRead = nullptr;
    NetLobbyScreen::chatLineAdded = nullptr;
    NetLobbyScreen::noticeShown = nullptr;
    NetLobbyScreen::teamRowShown = nullptr;
}

bool Enabled() { return g_enabled; }

void Screen(const char* name) {
    if (!g_enabled) return;
    Print(std::string("screen ") + (name != nullptr ? name : ""));
}

void Mode(int32_t mode) {
    if (!g_enabled || mode == g_lastMode) return;
    // The mode a run starts in is no change.
    const bool first = g_lastMode < 0;
    g_lastMode = mode;
    if (first) return;
    Print("mode " + std::to_string(mode));
}

// A cleared message line is no message.
void Message(const char* text) {
    if (text != nullptr && text[0] != '\0') Quoted("message", text);
}

void Radio(const char* callsign, const char* text) {
    if (!g_enabled) return;
    const std::string who = callsign != nullptr ? callsign : "";
    Print("radio \"" + who + "\" \"" + (text != nullptr ? text : "") + "\"");
}

void Chat(const char* text) { Quoted("chat", text); }

void Team(const char* pilot, const char* team) {
    if (!g_enabled) return;
    Print("team " + QuotedText(pilot) + " " + QuotedText(team));
}

void Line(const std::string& line) {
    if (g_enabled) Print(line);
}

uint64_t LinesPrinted() { return g_lineCount; }

bool PrintedSince(const std::string& line, uint64_t mark) {
    const auto found = g_lastPrinted.find(line);
    return found != g_lastPrinted.end() && found->second > mark;
}

}  // namespace run_trace
