#pragma once
#include <string>

// What the command line asks of the program.
struct LaunchOptions {
    std::string dataRoot;    // the folder holding the seven data directories
    bool headless = false;   // no window; message boxes go to standard error
    bool showHelp = false;
};

// Parses argv into `options`; false with `error` set for an unknown or
// incomplete argument.
bool ParseLaunchOptions(int argc, const char* const* argv, LaunchOptions* options, std::string* error);

const char* LaunchUsage();
