// The game as `vorn` runs it, driven by a ScreenWalker: one walk of the
// screens by seeded random input, its script written as it goes. tools/crawl
// runs many and judges each.
//
//   crawl-walk --seed S --steps N --record FILE [--start first|new|load|accepted|mission|crash|lobby|hosted|strike]
//              [--port P] [vorn's options]
//
// --port is where the lobby hosts and looks for games on 127.0.0.1 (27900
// unless given): walks side by side on one machine, each on a port of its
// own, never find each other's games, which no walk's script could replay.
//
// Exit status: the game's own. The last line says how far the walk got,
// whether its own quit was given (the walk never chooses another end) and,
// for a walk that stuck, where, for tools/crawl to judge the ending.
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "platform/EnetSessionService.h"
#include "platform/SessionProviders.h"
#include "shell/FramePump.h"
#include "shell/LaunchOptions.h"
#include "shell/Startup.h"
#include "tools/crawl/ScreenWalker.h"

namespace {

constexpr int kExitUsage = 2;

bool Number(const char* text, long low, long high, long* value) {
    char* end = nullptr;
    *value = std::strtol(text, &end, 10);
    return end != text && *end == '\0' && *value >= low && *value <= high;
}

}  // namespace

int main(int argc, char** argv) {
    long seed = -1, steps = -1, port = 0;
    std::string record;
    WalkStart start = WalkStart::kFirstScreen;
    bool startKnown = true;
    std::vector<std::string> passOn = {argv[0], "--headless"};
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        const bool hasValue = i + 1 < argc;
        if (argument == "--seed" && hasValue) {
            if (!Number(argv[++i], 0, 0xFFFFFFFFL, &seed)) seed = -1;
        } else if (argument == "--steps" && hasValue) {
            if (!Number(argv[++i], 1, 1000000, &steps)) steps = -1;
        } else if (argument == "--record" && hasValue) {
            record = argv[++i];
        } else if (argument == "--port" && hasValue) {
            if (!Number(argv[++i], 1, 65535, &port)) seed = -1;
        } else if (argument == "--start" && hasValue) {
            startKnown = ScreenWalker::ParseStart(argv[++i], &start);
        } else if (argument != "--headless") {
            passOn.push_back(argument);
        }
    }
    if (seed < 0 || steps < 0 || record.empty() || !startKnown) {
        std::fprintf(stderr,
                     "usage: crawl-walk --seed 0..4294967295 --steps 1..1000000 --record FILE "
                     "[--start first|new|load|accepted|mission|crash|lobby|hosted|strike] [--port 1..65535] "
                     "[vorn options]\n");
        return kExitUsage;
    }
    {
        std::ofstream header(record, std::ios::trunc);
        header << ScreenWalker::Header(uint32_t(seed), start);
        if (!header) {
            std::fprintf(stderr, "crawl-walk: %s cannot be written\n", record.c_str());
            return kExitUsage;
        }
    }
    passOn.push_back("--script");
    passOn.push_back(record);
    std::vector<char*> arguments;
    for (std::string& argument : passOn) arguments.push_back(argument.data());
    LaunchOptions options;
    std::string error;
    if (!ParseLaunchOptions(int(arguments.size()), arguments.data(), &options, &error)) {
        std::fprintf(stderr, "crawl-walk: %s\n", error.c_str());
        return kExitUsage;
    }

    ScreenWalker walker(uint32_t(seed), int32_t(steps), record, start);
    bool recordFailed = false;
    FramePump::SetScriptFeed([&](int32_t passes, Script& script) {
        if (!walker.Feed(passes, script) && !recordFailed) {
            recordFailed = true;
            std::fprintf(stderr, "crawl-walk: %s cannot be written\n", record.c_str());
        }
    });
    platform::SessionProviders providers;
    platform::SessionProviders* previous = nullptr;
    if (port != 0) {
        platform::AddTcpIpProvider(&providers, platform::SettingsForAddress("127.0.0.1", uint16_t(port)));
        previous = platform::SessionProviders::Install(&providers);
    }
    const int code = RunGame(options);
    if (port != 0) platform::SessionProviders::Install(previous);
    FramePump::SetScriptFeed(nullptr);

    std::printf("crawl: seed %ld, %d of %ld steps, %s, the last on %s, status %d\n", seed, walker.StepsTaken(),
                steps, walker.QuitGiven() ? "quit given" : "no quit given", walker.LastPlace().c_str(), code);
    if (!walker.Stuck().empty()) std::printf("crawl: stuck: %s\n", walker.Stuck().c_str());
    std::fflush(stdout);
    return code == 0 && recordFailed ? kExitUsage : code;
}
