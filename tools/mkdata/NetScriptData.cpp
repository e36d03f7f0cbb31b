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
                       "at 40 click 185 284\n"
                       "# A new pilot.\n"
                       "at 50 click 77 408\n"
                       "at 70 click 235 143\n"
                       "at 72 type ") + name + "\n"
           "at 75 click 235 172\n"
           "at 77 type " + callsign + "\n"
           "at 80 click 347 404\n";
}

// The passes run at each process's own pace, so the host waits long for
// the client before it presses Start; Start, then the hangar's pad, are
// clicked in turn until the game launches and the pad takes off.
std::string HostScript() {
    std::string text = "# Hosts a cooperative game without teams for join-coop.txt.\n";
    text += PilotSteps("Ann", "Ace");
    text += "# Host a game over TCP/IP: cooperative, OK; then our own slot ready.\n"
            "at 100 click 320 188\n"
            "at 120 click 320 205\n"
            "at 140 click 320 188\n"
            "at 160 click 90 414\n"
            "at 190 click 480 165\n"
            "# Start until everyone is ready, and the pad once in the hangar.\n";
    for (int pass = 600; pass < 1000; pass += 10) {
        text += "at " + std::to_string(pass) + (pass % 20 == 10 ? " click 90 394\n" : " click 320 340\n");
    }
    return text + "at 1000 quit\n";
}

std::string JoinScript() {
    std::string text = "# Joins the game of host-coop.txt, started once that one is hosting.\n";
    text += PilotSteps("Bob", "Bee");
    text += "# Join over TCP/IP: the listed game, accepted.\n"
            "at 100 click 320 240\n"
            "at 120 click 320 205\n"
            "at 150 click 270 327\n"
            "at 160 click 293 444\n"
            "# A word in the waiting room, then our own slot ready.\n"
            "at 200 type hello\n"
            "at 205 key Enter\n"
            "at 220 click 480 180\n"
            "# The hangar's pad until the game takes off.\n";
    for (int pass = 300; pass < 1000; pass += 10) text += "at " + std::to_string(pass) + " click 320 340\n";
    return text + "at 1000 quit\n";
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
