#include "shell/LaunchOptions.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "game/PilotFile.h"

#ifndef VORN_DEFAULT_DATA_DIR
#define VORN_DEFAULT_DATA_DIR "build/data"
#endif

namespace {

// A whole positive decimal number that fits 32 bits, nothing after it.
bool ParseFrameCount(const char* text, int32_t* frames) {
    if (text[0] < '0' || text[0] > '9') return false;
    errno = 0;
    char* end = nullptr;
    const long long value = std::strtoll(text, &end, 10);
    if (errno != 0 || *end != '\0' || value < 1 || value > INT32_MAX) return false;
    *frames = int32_t(value);
    return true;
}

// ADDRESS:PORT, the address numeric IPv4 (names are not looked up).
bool ParseNetAddress(const char* text, LaunchOptions* options) {
    const char* const colon = std::strrchr(text, ':');
    if (colon == nullptr || colon == text) return false;
    const std::string address(text, colon);
    int parts = 0;
    for (size_t at = 0; at <= address.size(); ++parts) {
        const size_t dot = std::min(address.find('.', at), address.size());
        const std::string part = address.substr(at, dot - at);
        if (part.empty() || part.size() > 3 || part.find_first_not_of("0123456789") != std::string::npos ||
            std::stoi(part) > 255) {
            return false;
        }
        at = dot + 1;
    }
    int32_t port = 0;
    if (parts != 4 || !ParseFrameCount(colon + 1, &port) || port > 65535) return false;
    options->net = true;
    options->netAddress = address;
    options->netPort = uint16_t(port);
    return true;
}

}  // namespace

bool ParseLaunchOptions(int argc, const char* const* argv, LaunchOptions* options, std::string* error) {
    options->dataRoot = VORN_DEFAULT_DATA_DIR;
    for (int i = 1; i < argc; ++i) {
        const char* arg = argv[i];
        if (std::strcmp(arg, "--help") == 0 || std::strcmp(arg, "-h") == 0) {
            options->showHelp = true;
        } else if (std::strcmp(arg, "--headless") == 0) {
            options->headless = true;
        } else if (std::strcmp(arg, "--data") == 0) {
            if (i + 1 >= argc || argv[i + 1][0] == '\0') {
                *error = "--data needs a folder";
                return false;
            }
            options->dataRoot = argv[++i];
        } else if (std::strncmp(arg, "--data=", 7) == 0 && arg[7] != '\0') {
            options->dataRoot = arg + 7;
        } else if (std::strcmp(arg, "--frames") == 0 || std::strncmp(arg, "--frames=", 9) == 0) {
            const char* count = arg[8] == '=' ? arg + 9 : (i + 1 < argc ? argv[++i] : "");
            if (!ParseFrameCount(count, &options->frames)) {
                *error = "--frames needs a whole number of frames from 1 up";
                return false;
            }
        } else if (std::strcmp(arg, "--mission") == 0) {
            if (i + 1 >= argc || argv[i + 1][0] == '\0') {
                *error = "--mission needs a mission file";
                return false;
            }
            options->mission = argv[++i];
        } else if (std::strcmp(arg, "--random") == 0 || std::strcmp(arg, "--difficulty") == 0) {
            const bool random = std::strcmp(arg, "--random") == 0;
            const int32_t most = random ? 4 : 3;
            const char* const text = i + 1 < argc ? argv[++i] : "";
            char* end = nullptr;
            const long value = std::strtol(text, &end, 10);
            if (text[0] < '0' || text[0] > '9' || *end != '\0' || value > most) {
                *error = random ? "--random needs a kind from 0 to 4" : "--difficulty needs a level from 0 to 3";
                return false;
            }
            (random ? options->randomKind : options->difficulty) = int32_t(value);
            if (random) options->mission = "Rnd 0";
        } else if (std::strcmp(arg, "--trace") == 0) {
            options->trace = true;
        } else if (std::strcmp(arg, "--seconds") == 0 || std::strcmp(arg, "--seed") == 0) {
            const bool seconds = std::strcmp(arg, "--seconds") == 0;
            int32_t* const target = seconds ? &options->seconds : &options->seed;
            if (i + 1 >= argc || !ParseFrameCount(argv[++i], target)) {
                *error = std::string(arg) + " needs a whole number from 1 up";
                return false;
            }
            if (!seconds) options->seedGiven = true;
        } else if (std::strcmp(arg, "--step") == 0) {
            if (i + 1 >= argc || !ParseFrameCount(argv[++i], &options->step) || options->step < LaunchOptions::kMinStep ||
                options->step > LaunchOptions::kMaxStep) {
                *error = "--step needs a frame length of 1 to 200 milliseconds";
                return false;
            }
        } else if (std::strcmp(arg, "--script") == 0) {
            if (i + 1 >= argc || argv[i + 1][0] == '\0') {
                *error = "--script needs a script file";
                return false;
            }
            options->script = argv[++i];
        } else if (std::strcmp(arg, "--shot") == 0) {
            LaunchOptions::Shot shot;
            if (i + 2 >= argc || !ParseFrameCount(argv[i + 1], &shot.pass) || argv[i + 2][0] == '\0') {
                *error = "--shot needs a pass from 1 up and a PNG file";
                return false;
            }
            shot.path = argv[i + 2];
            i += 2;
            options->shots.push_back(shot);
        } else if (std::strcmp(arg, "--net") == 0) {
            if (i + 1 >= argc || !ParseNetAddress(argv[++i], options)) {
                *error = "--net needs ADDRESS:PORT, the address as four numbers (127.0.0.1:27900)";
                return false;
            }
        } else if (std::strcmp(arg, "--host") == 0) {
            options->host = true;
        } else if (std::strcmp(arg, "--join") == 0) {
            options->join = true;
        } else if (std::strcmp(arg, "--pilot") == 0) {
            const char* const name = i + 1 < argc ? argv[++i] : "";
            if (const char* const problem = PilotNameProblem(name)) {
                *error = std::string("--pilot needs a pilot's name: ") + problem;
                return false;
            }
            options->pilot = name;
        } else {
            *error = std::string("unknown argument: ") + arg;
            return false;
        }
    }
    if (options->host || options->join) {
        // A machine hosts a mission (a file's or a random one) or joins one;
        // the joiner's world comes from the host.
        if (!options->headless || options->host == options->join || options->host == options->mission.empty()) {
            *error = "--host needs --headless and --mission or --random, --join --headless and neither";
            return false;
        }
        options->net = true;
    } else if (!options->pilot.empty()) {
        *error = "--pilot needs --host or --join";
        return false;
    }
    return true;
}

const char* LaunchUsage() {
    return "Usage: vorn [--data DIR] [--headless] [--frames N] [--seed S] [--help]\n"
           "       vorn [--data DIR] [--headless] --mission FILE [--seed S] [--seconds N]\n"
           "            [--step MS] [--trace]\n"
           "       vorn [--data DIR] [--headless] --random KIND [--difficulty D] [--seed S]\n"
           "            [--seconds N] [--step MS] [--trace]\n"
           "       vorn [...] [--script FILE] [--shot N FILE.png]...\n"
           "       vorn [--data DIR] --headless --mission FILE|--random KIND --host\n"
           "            [--net ADDRESS:PORT] [--pilot NAME] [...]\n"
           "       vorn [--data DIR] --headless --join [--net ADDRESS:PORT] [--pilot NAME]\n"
           "            [--seconds N]\n"
           "  --data DIR   the folder holding the seven data directories\n"
           "               (data, video, cel, option, xmi, mesh, missions)\n"
           "               and the files VORN.INI, vorn.cfg and screen.log\n"
           "  --headless   run without a window; the log goes to standard output,\n"
           "               message boxes to standard error\n"
           "  --frames N   show N frames of the intro screen, then end\n"
           "               (without a window: 1 unless given)\n"
           "  --seed S     the game's dice start from S (a whole number from 1 up),\n"
           "               and so do each flight's; without it a mission named\n"
           "               here, and a run a script or picture plays without a\n"
           "               window, start from 1, the rest from the clock\n"
           "  --mission FILE  fly the mission file of the missions directory; in a\n"
           "               window until it lands or the window closes, without one\n"
           "               for N simulated seconds (10), printing the world, its\n"
           "               goals, what is destroyed, the kills and the outcome\n"
           "  --random KIND  fly a random mission of KIND (0 scout, 1 destroy, 2 protect,\n"
           "               3 capture, 4 death match) at --difficulty D (0 to 3, 0),\n"
           "               in a window or without one, as --mission flies a file\n"
           "  --step MS    a flight without a window or script: each frame lasts MS\n"
           "               simulated milliseconds, 1 to 200 (50)\n"
           "  --trace      with --mission, --random or --script: each AI ship's\n"
           "               behaviour and target every simulated second, every hit\n"
           "               and every death\n"
           "  --script FILE  deliver the input events of FILE at their passes of the\n"
           "               message pump, as a window would; lines are\n"
           "               \"at N key|press|release K\", \"at N click|move X Y\",\n"
           "               \"at N type TEXT\", \"at N quit\"; K a key name (Escape,\n"
           "               Enter, Space, Up, Down, Left, Right, A-Z, 0-9, F1-F12)\n"
           "               or a key code; \"at N wait LINE\" holds the script from\n"
           "               pass N until the run prints the whole line LINE (such\n"
           "               as \"screen HANGAR\", \"mode 2\" or \"goal 1 met\"); a\n"
           "               wait gives up after 3600 passes, or as many as a line\n"
           "               \"wait-limit PASSES\" says, and the run ends with\n"
           "               status 2; '#' starts a comment\n"
           "  --shot N FILE.png  write the frame presented by pass N as a picture;\n"
           "               repeatable. Without a window the clock steps 50 ms a\n"
           "               pass and the run ends after its last shot and event,\n"
           "               or at quit\n"
           "  --net ADDRESS:PORT  look for network games at ADDRESS and host them\n"
           "               on PORT (127.0.0.1:27900); without a window the run\n"
           "               then keeps real time, 50 ms a pass\n"
           "  --host       with --headless and --mission or --random: host the\n"
           "               mission on the --net port in real time; each object line\n"
           "               ends with its uoid, and each ship a player brings is told\n"
           "  --join       with --headless and no mission: join the first game found\n"
           "               at the --net address in real time, fly a \"P101\" once the\n"
           "               host is heard, and at the end list the host's objects held\n"
           "  --pilot NAME  with --host or --join: the pilot's name the other\n"
           "               machines are told (the career's otherwise)\n"
           "  --help       show this text\n";
}
