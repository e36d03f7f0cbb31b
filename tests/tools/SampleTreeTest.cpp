#include "tools/mkdata/SampleTree.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "tests/support/TempDir.h"

namespace fs = std::filesystem;

namespace {

std::vector<char> ReadAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace

// The data tree is the same bytes on every run: a byte left unset in a
// writer (a palette, a pad) would make golden pictures and saved games
// differ from machine to machine.
TEST(SampleTree, TwoRunsWriteTheSameBytes) {
    TempDir first;
    TempDir second;
    std::string error;
    ASSERT_TRUE(WriteSampleTree(first.Str(), &error)) << error;
    ASSERT_TRUE(WriteSampleTree(second.Str(), &error)) << error;
    int files = 0;
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(first.Path())) {
        if (!entry.is_regular_file()) continue;
        const fs::path relative = fs::relative(entry.path(), first.Path());
        EXPECT_TRUE(ReadAll(entry.path()) == ReadAll(second.Path() / relative)) << relative;
        ++files;
    }
    EXPECT_GT(files, 50);
}
