// tools/savedump and tools/render as the README has a user run them on the
// sample tree: the save and the pilot file printed, a damaged save refused,
// and the hull and an explosion drawn into PNG files.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "tests/support/ChildProcess.h"
#include "tests/support/TempDir.h"
#include "tools/mkdata/SampleTree.h"

namespace {

constexpr int kRunMs = 60000;

struct ToolRun {
    int status = -1;
    std::string output;
};

ToolRun RunTool(const std::vector<std::string>& argv) {
    ToolRun run;
    std::unique_ptr<ChildProcess> child = ChildProcess::Run(argv);
    if (child == nullptr) return run;
    std::string line;
    while (child->ReadLine(&line, kRunMs)) run.output += line + "\n";
    run.status = child->Wait(kRunMs);
    return run;
}

bool IsPng(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    const std::string head((std::istreambuf_iterator<char>(in)), {});
    return head.size() > 64 && head.compare(0, 8, "\x89PNG\r\n\x1a\n") == 0;
}

class SampleToolsTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(WriteSampleTree(dir_.Str(), &error)) << error;
    }
    const TempDir dir_;
};

// The save and the pilot file print their chunks; a save cut short or
// emptied fails naming the file, and so does a missing one; no file at all
// is a usage error.
TEST_F(SampleToolsTest, SaveDumpPrintsTheSampleSaveAndPilotAndRefusesADamagedOne) {
    const std::string save = dir_.Str() + "/slot0.sav";
    ToolRun run = RunTool({VORN_SAVEDUMP, save});
    EXPECT_EQ(run.status, 0) << run.output;
    EXPECT_EQ(run.output.rfind("FORM ", 0), 0u) << run.output;
    EXPECT_NE(run.output.find("\n  "), std::string::npos) << "nested chunks indented: " << run.output;

    run = RunTool({VORN_SAVEDUMP, dir_.Str() + "/Korvane.plr"});
    EXPECT_EQ(run.status, 0) << run.output;
    EXPECT_EQ(run.output.rfind("FORM ", 0), 0u) << run.output;

    // Cut short, its header promises more than the file holds; empty, it
    // holds no save at all.
    const std::string cut = dir_.Str() + "/cut.sav";
    std::filesystem::copy_file(save, cut);
    std::filesystem::resize_file(cut, std::filesystem::file_size(save) - 6);
    run = RunTool({VORN_SAVEDUMP, cut});
    EXPECT_EQ(run.status, 1) << run.output;
    EXPECT_NE(run.output.find("savedump: " + cut), std::string::npos) << run.output;
    std::filesystem::resize_file(cut, 0);
    run = RunTool({VORN_SAVEDUMP, cut});
    EXPECT_EQ(run.status, 1) << run.output;
    EXPECT_NE(run.output.find(cut + " is damaged"), std::string::npos) << run.output;

    run = RunTool({VORN_SAVEDUMP, dir_.Str() + "/none.sav"});
    EXPECT_EQ(run.status, 1) << run.output;
    EXPECT_NE(run.output.find("cannot be opened"), std::string::npos) << run.output;
    EXPECT_EQ(RunTool({VORN_SAVEDUMP}).status, 2);
}

// The hull at both depths and an explosion 300 ms in, each a PNG.
TEST_F(SampleToolsTest, RenderDrawsTheHullAndAnExplosionOfTheSampleTree) {
    const std::vector<std::vector<std::string>> runs = {
        {"hull16.png", "--depth", "16"},
        {"hull8.png", "--depth", "8"},
        {"blast.png", "--effect", "explosion", "--at", "300"},
    };
    for (const std::vector<std::string>& args : runs) {
        const std::filesystem::path picture = dir_.Path() / args[0];
        std::vector<std::string> argv = {VORN_RENDER, dir_.Str(), picture.string()};
        argv.insert(argv.end(), args.begin() + 1, args.end());
        const ToolRun run = RunTool(argv);
        EXPECT_EQ(run.status, 0) << args[0] << ": " << run.output;
        EXPECT_TRUE(IsPng(picture)) << args[0];
    }
}

}  // namespace
