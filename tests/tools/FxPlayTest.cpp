// tools/fxplay as a user runs it: without a sound card it fails and points
// to --wav, which then writes the sound.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "tests/support/TempDir.h"
#include "tools/mkdata/SampleTree.h"

namespace {

// Runs a shell command line: its exit status and everything it printed.
int RunCommand(const std::string& command, std::string* output) {
    FILE* const pipe = popen((command + " 2>&1").c_str(), "r");
    if (pipe == nullptr) return -1;
    char buffer[512];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) output->append(buffer, n);
    const int status = pclose(pipe);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(FxPlay, WithoutASoundCardItFailsAndPointsToWav) {
    const TempDir dir;
    std::string error;
    ASSERT_TRUE(WriteSampleTree(dir.Str(), &error)) << error;
    const std::string program = "'" + std::string(VORN_FXPLAY) + "' '" + dir.Str() + "' Flyby";
    // An audio driver that does not exist: no sound output can be opened.
    std::string said;
    EXPECT_EQ(RunCommand("SDL_AUDIODRIVER=none-here " + program, &said), 1);
    EXPECT_NE(said.find("--wav"), std::string::npos) << said;
    said.clear();
    const std::string wav = dir.Str() + "/flyby.wav";
    EXPECT_EQ(RunCommand("SDL_AUDIODRIVER=none-here " + program + " --wav '" + wav + "'", &said), 0) << said;
    EXPECT_GT(std::filesystem::file_size(wav), 44u);
}

}  // namespace
