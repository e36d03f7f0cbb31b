#include "shell/LaunchOptions.h"

#include <cstring>

#ifndef VORN_DEFAULT_DATA_DIR
#define VORN_DEFAULT_DATA_DIR "build/data"
#endif

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
        } else {
            *error = std::string("unknown argument: ") + arg;
            return false;
        }
    }
    return true;
}

const char* LaunchUsage() {
    return "Usage: vorn [--data DIR] [--headless] [--help]\n"
           "  --data DIR   the folder holding the seven data directories\n"
           "               (data, video, cel, option, xmi, mesh, missions)\n"
           "  --headless   run without a window; messages go to standard error\n"
           "  --help       show this text\n";
}
