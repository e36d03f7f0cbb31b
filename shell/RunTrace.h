#pragma once
#include <cstdint>
#include <string>

// The lines a headless run prints on standard output, each flushed at
// once, so that the runs of several processes of one network game can be
// followed side by side: `screen NAME` as a screen becomes current,
// `mode N` as the game mode changes, `message "TEXT"` for each cockpit
// message and each line of a missions reader's notice, `radio "CALLSIGN"
// "TEXT"` for each radio message as it comes up on the cockpit, `chat
// "TEXT"` for each line of the lobby's chat box (and `message "TEXT"` for
// each of its notices), `team "PILOT" "TEAM"` as a row of a team game's
// waiting room comes to show a pilot in a team, `read "TITLE": BODY` for
// each message chosen in a reader's list, and each flight's lines of its
// goals (see GoalReport) and of its HUD.
// Silent until enabled.
namespace run_trace {

// Also hooks the cockpit's messages and radio, the missions reader's
// notices and the lobby's chat lines.
void Enable();
void Disable();
bool Enabled();

void Screen(const char* name);
// Prints only when the mode differs from the one before; the first mode
// seen is where the run starts, not a change.
void Mode(int32_t mode);
void Message(const char* text);
void Radio(const char* callsign, const char* text);
void Chat(const char* text);
void Team(const char* pilot, const char* team);
// Any other line of the run's own (the flight's goals, its outcome).
void Line(const std::string& line);

// The lines printed since Enable, counted from 1: a mark taken as a
// script's step is delivered, so that the waits after it hear only what
// comes after it.
uint64_t LinesPrinted();
// Whether a line (without its newline) was printed after the mark, that is
// as line mark + 1 or later: what a script's wait waits for.
bool PrintedSince(const std::string& line, uint64_t mark);

}  // namespace run_trace
