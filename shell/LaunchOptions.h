#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "platform/SessionRecords.h"

// What the command line asks of the program.
struct LaunchOptions {
    // The folder holding the seven data directories and the files
    // "VORN.INI", "vorn.cfg" and "screen.log".
    std::string dataRoot;
    bool headless = false;   // no window; message boxes go to standard error
    // Frames the intro screen shows before the program ends on its own; 0
    // waits for a key, a click or the window's close, which a run without
    // a window takes as 1.
    int32_t frames = 0;
    bool showHelp = false;
    // A mission file of the missions directory to fly, in a window or without.
    std::string mission;
    // --random KIND: a random mission of that kind (0 to 4) at --difficulty
    // (0 to 3), flown like a mission file under the name "Rnd 0"; -1 none.
    int32_t randomKind = -1;
    int32_t difficulty = 0;
    int32_t seconds = 10;    // simulated seconds of the flight
    int32_t seed = 1;        // the game's dice
    // --seed was given: a run in a window throws its dice from it too,
    // instead of from the clock.
    bool seedGiven = false;
    // The flight's frame length in milliseconds, from kMinStep to kMaxStep.
    int32_t step = 50;
    static constexpr int32_t kMinStep = 1;
    static constexpr int32_t kMaxStep = 200;
    bool trace = false;      // the flight tells each AI ship's state every second, and every hit
    // A file of input events delivered at their passes (see game/Script.h).
    std::string script;
    // Pictures of the frames presented by given passes of the message pump.
    struct Shot {
        int32_t pass = 0;
        std::string path;   // a PNG file
    };
    std::vector<Shot> shots;
    // --net ADDRESS:PORT: where sessions are looked for and the port this
    // machine hosts on. With it a run without a window keeps real time.
    bool net = false;
    std::string netAddress = "127.0.0.1";
    uint16_t netPort = platform::kDefaultSessionPort;
    // Without a window, a network game until the lobby makes one: --host
    // flies --mission hosted at the --net port, --join joins the first
    // session found at the --net address. Either implies --net.
    bool host = false;
    bool join = false;
    // --pilot NAME: with --host or --join, the name the other machines know
    // this one's pilot by; empty keeps the career's.
    std::string pilot;
};

// Parses argv into `options`; false with `error` set for an unknown or
// incomplete argument.
bool ParseLaunchOptions(int argc, const char* const* argv, LaunchOptions* options, std::string* error);

const char* LaunchUsage();
