#include "tools/mkdata/NetScriptData.h"

#include <cstdio>
#include <filesystem>
#include <string>

namespace {

// The screens up to the network choice are the same for both players: the
// multiplayer start, "No More" on the first pop-up, and a new pilot.
std::string PilotSteps(const char* name, const char* callsign) {
    return std::string("# Multiplayer from the first screen; the pop-ups switched off.\n"
                       "at 10 click 125 204\n"
                       "at 40 key N\n"
                       "# A new pilot.\n"
                       "at 50 click 77 408\n"
                       "at 70 click 235 143\n"
                       "at 72 type ") + name + "\n"
           "at 75 click 235 172\n"
           "at 77 type " + callsign + "\n"
           "at 80 click 347 404\n";
}

// The two processes run at their own paces, so each waits for what the
// other must have done: the host starts once the client says it is ready
// (the word is sent after the ready state, on the same ordered link),
// and both take off from the hangar once they are there. The pad is
// clicked once the hangar's door, which opens over some passes, is open,
// and the flight then waited for.
std::string LaunchSteps(int pass) {
    const std::string at = "at ";
    std::string text = at + std::to_string(pass) + " wait screen HANGAR\n";
    text += at + std::to_string(pass + 80) + " click 320 340\n";
    text += at + std::to_string(pass + 80) + " wait mode 2\n";
    text += "# A while in flight, then out.\n";
    return text + at + std::to_string(pass + 200) + " quit\n";
}

std::string HostScript() {
    std::string text = "# Hosts a cooperative game without teams for join-coop.txt.\n";
    text += PilotSteps("Ann", "Ace");
    text += "# Host a game over TCP/IP: cooperative, OK.\n"
            "at 100 click 320 188\n"
            "at 120 click 320 205\n"
            "at 140 click 320 188\n"
            "at 160 click 90 414\n"
            "# Once the other pilot says it is ready, our own slot ready, and Start.\n"
            "at 200 wait chat \"Bob : ready\"\n"
            "at 210 click 480 165\n"
            "at 220 click 90 394\n";
    return text + LaunchSteps(221);
}

std::string JoinScript() {
    std::string text = "# Joins the game of host-coop.txt, started once that one is hosting.\n";
    text += PilotSteps("Bob", "Bee");
    text += "# Join over TCP/IP: the listed game, accepted.\n"
            "at 100 click 320 240\n"
            "at 120 click 320 205\n"
            "at 150 click 270 327\n"
            "at 160 click 293 444\n"
            "# A word in the waiting room; once it has come back through the\n"
            "# host our slot is listed: ready, and say so.\n"
            "at 200 type hello\n"
            "at 205 key Enter\n"
            "at 206 wait chat \"Bob : hello\"\n"
            "at 216 click 480 180\n"
            "at 226 type ready\n"
            "at 231 key Enter\n";
    return text + LaunchSteps(232);
}

bool WriteText(const std::filesystem::path& path, const std::string& text) {
    FILE* const file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) return false;
    const bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
    return std::fclose(file) == 0 && written;
}

}  // namespace

bool WriteNetScripts(const std::string& root) {
    const std::filesystem::path folder = std::filesystem::path(root) / "scripts";
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (error) return false;
    return WriteText(folder / "host-coop.txt", HostScript()) && WriteText(folder / "join-coop.txt", JoinScript());
}
