#include "shell/LaunchOptions.h"

#include <gtest/gtest.h>

namespace {

bool Parse(std::initializer_list<const char*> args, LaunchOptions* options, std::string* error) {
    std::vector<const char*> argv{"vorn"};
    argv.insert(argv.end(), args.begin(), args.end());
    return ParseLaunchOptions(static_cast<int>(argv.size()), argv.data(), options, error);
}

TEST(LaunchOptions, DefaultsToTheGeneratedTreeWithAWindow) {
    LaunchOptions options;
    std::string error;
    ASSERT_TRUE(Parse({}, &options, &error));
    EXPECT_FALSE(options.dataRoot.empty());
    EXPECT_FALSE(options.headless);
    EXPECT_FALSE(options.showHelp);
}

TEST(LaunchOptions, ReadsDataFolderInBothForms) {
    LaunchOptions options;
    std::string error;
    ASSERT_TRUE(Parse({"--data", "/tmp/a", "--headless"}, &options, &error));
    EXPECT_EQ(options.dataRoot, "/tmp/a");
    EXPECT_TRUE(options.headless);
    ASSERT_TRUE(Parse({"--data=/tmp/b"}, &options, &error));
    EXPECT_EQ(options.dataRoot, "/tmp/b");
}

TEST(LaunchOptions, RefusesMissingFolderAndUnknownArguments) {
    LaunchOptions options;
    std::string error;
    EXPECT_FALSE(Parse({"--data"}, &options, &error));
    EXPECT_NE(error.find("--data"), std::string::npos);
    EXPECT_FALSE(Parse({"--data="}, &options, &error));
    EXPECT_FALSE(Parse({"--fullscreen"}, &options, &error));
    EXPECT_NE(error.find("--fullscreen"), std::string::npos);
}

TEST(LaunchOptions, HelpIsRecognised) {
    LaunchOptions options;
    std::string error;
    ASSERT_TRUE(Parse({"--help"}, &options, &error));
    EXPECT_TRUE(options.showHelp);
}

}  // namespace
