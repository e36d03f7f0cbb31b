#include <cstdio>
#include <string>

#include "shell/LaunchOptions.h"
#include "shell/Startup.h"

int main(int argc, char** argv) {
    LaunchOptions options;
    std::string error;
    if (!ParseLaunchOptions(argc, argv, &options, &error)) {
        std::fprintf(stderr, "vorn: %s\n%s", error.c_str(), LaunchUsage());
        return 2;
    }
    if (options.showHelp) {
        std::fputs(LaunchUsage(), stdout);
        return 0;
    }
    return RunGame(options);
}
