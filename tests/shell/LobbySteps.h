#pragma once
// What the scripts of pilots who come into one network game through the
// lobby share: a client's way into the game listed, the buttons of the
// team panels, a script's line, and the lines of a transcript.
#include <cstddef>
#include <string>

#include "tests/shell/NetworkRun.h"

// A script's line: `step` at pass `pass`.
inline std::string At(int pass, const std::string& step) { return "at " + std::to_string(pass) + " " + step + "\n"; }

// A client's steps through the join of the one game listed: the sample
// client's under another name. In a team game it is on the team panel from
// the pass of the join's Accept on.
inline constexpr int kJoined = 160;
inline std::string JoinTeamGame(const LobbyPilots& pilots, const std::string& pilot, const std::string& callsign) {
    return pilots.SampleSteps("join-coop.txt", "at 160 click 293 444", pilot, callsign);
}

// The team panel's and the team creation's buttons, and the team list's lines.
inline constexpr const char* kJoinTeam = "click 570 344";
inline constexpr const char* kLeaveTeams = "click 570 378";
inline constexpr const char* kCreateTeam = "click 570 412";
inline constexpr const char* kAcceptTeam = "click 288 434";
inline constexpr const char* kCancelTeam = "click 400 434";
inline std::string TeamLine(int line) { return "click 300 " + std::to_string(329 + 15 * line); }

// The transcript's lines that start with `start`; whole lines when `whole`.
inline int Count(const std::string& transcript, const std::string& start, bool whole = true) {
    const std::string wanted = whole ? start + "\n" : start;
    int count = 0;
    for (size_t at = transcript.find(wanted); at != std::string::npos; at = transcript.find(wanted, at + 1)) {
        if (at == 0 || transcript[at - 1] == '\n') ++count;
    }
    return count;
}
