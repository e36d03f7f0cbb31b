#pragma once
#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

#include "platform/InstanceLock.h"
#include "platform/WindowGraphics.h"
#include "shell/LaunchOptions.h"
#include "tests/support/FakeRemovableMedia.h"
#include "tests/support/RecordingMessageBox.h"
#include "tests/support/ScopedDisplay.h"
#include "tests/support/ScopedEnvironment.h"
#include "tests/support/ScopedInstall.h"
#include "tests/support/TempDir.h"
#include "tools/mkdata/SampleTree.h"

// A committed script played on a fresh sample tree, headless, as a person
// runs it with `./run.sh --headless --script tests/scripts/NAME`: the disc,
// message boxes, instance lock and display are the test's own.
struct SampleScriptRun {
    FakeRemovableMedia media;
    ScopedInstall<platform::RemovableMedia> installedMedia{media};
    RecordingMessageBox boxes;
    ScopedInstall<platform::MessageBox> installedBoxes{boxes};
    TempDir dir;
    ScopedEnvironment runtime{platform::InstanceLock::kFolderVariable, dir.Str().c_str()};
    ScopedDisplay display;
    platform::WindowGraphics graphics;
    ScopedInstall<platform::WindowGraphics> installedGraphics{graphics};

    // The sample tree written, and the options of a run of `script` (a file
    // of tests/scripts); false with `error` when the tree cannot be written.
    bool Prepare(const char* script, LaunchOptions* options, std::string* error) {
        if (!WriteSampleTree(dir.Str(), error)) return false;
        options->dataRoot = dir.Str();
        options->headless = true;
        options->script = std::string(VORN_SOURCE_DIR) + "/tests/scripts/" + script;
        return true;
    }
};

// A script's lines from the first screen: a new career accepts the training
// in the war room's computer and launches; the flight is on by pass 221.
inline constexpr const char* kNewCareerToTheFlight =
    "at 5 key N\nat 15 key Space\nat 25 key Enter\nat 35 key Enter\nat 45 click 550 250\n"
    "at 70 key Enter\nat 80 click 555 235\nat 100 key Enter\nat 110 click 28 72\nat 125 click 28 232\n"
    "at 150 key Enter\nat 160 click 390 126\nat 170 click 405 452\nat 220 click 525 452\nat 221 wait mode 2\n";

// The flight times of a run's `flight over after MS ms` lines, in order.
inline std::vector<int64_t> FlightsOver(const std::string& out) {
    std::vector<int64_t> times;
    const std::string mark = "\nflight over after ";
    for (size_t at = out.find(mark); at != std::string::npos; at = out.find(mark, at + 1)) {
        times.push_back(std::stoll(out.substr(at + mark.size())));
    }
    return times;
}

// The line that tells the flight's end after `ms`.
inline std::string FlightOverLine(int64_t ms) { return "flight over after " + std::to_string(ms) + " ms"; }

// True when every line is a whole line of a run's output `out`, each after
// the one before it.
inline bool InOrder(const std::string& out, std::initializer_list<const char*> lines) {
    size_t at = 0;
    for (const char* line : lines) {
        at = out.find(std::string("\n") + line + "\n", at);
        if (at == std::string::npos) return false;
        ++at;
    }
    return true;
}
