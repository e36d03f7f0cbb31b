#include "shell/LaunchOptions.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

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
    EXPECT_EQ(options.frames, 0);
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

TEST(LaunchOptions, ReadsAFrameCountInBothForms) {
    LaunchOptions options;
    std::string error;
    ASSERT_TRUE(Parse({"--frames", "5", "--headless"}, &options, &error));
    EXPECT_EQ(options.frames, 5);
    EXPECT_TRUE(options.headless);
    ASSERT_TRUE(Parse({"--frames=2147483647"}, &options, &error));
    EXPECT_EQ(options.frames, 2147483647);
}

TEST(LaunchOptions, RefusesFrameCountsThatAreNotWholePositiveNumbers) {
    for (const char* bad : {"0", "-1", "3x", "", " 4", "+4", "2147483648", "99999999999999999999", "1.5"}) {
        LaunchOptions options;
        std::string error;
        EXPECT_FALSE(Parse({"--frames", bad}, &options, &error)) << bad;
        EXPECT_NE(error.find("--frames"), std::string::npos) << bad;
        const std::string joined = std::string("--frames=") + bad;
        EXPECT_FALSE(Parse({joined.c_str()}, &options, &error)) << joined;
    }
    LaunchOptions options;
    std::string error;
    EXPECT_FALSE(Parse({"--frames"}, &options, &error));
    EXPECT_FALSE(Parse({"--frames5"}, &options, &error)) << "an unknown argument";
}

TEST(LaunchOptions, HelpIsRecognised) {
    LaunchOptions options;
    std::string error;
    ASSERT_TRUE(Parse({"--help"}, &options, &error));
    EXPECT_TRUE(options.showHelp);
}

}  // namespace

namespace {

// A mission flies with or without a window; its numbers are whole and positive.
TEST(LaunchOptionsMissionTest, TheMissionFlightNeedsWholeNumbers) {
    const struct {
        std::vector<const char*> args;
        bool ok;
    } cases[] = {
        {{"vorn", "--mission", "sample.uli", "--headless", "--seconds", "3", "--seed", "9"}, true},
        {{"vorn", "--mission", "sample.uli", "--seed", "9", "--seconds", "3"}, true},
        {{"vorn", "--headless", "--mission"}, false},
        {{"vorn", "--headless", "--mission", "a.uli", "--seconds", "0"}, false},
        {{"vorn", "--headless", "--mission", "a.uli", "--seed", "x"}, false},
        {{"vorn", "--headless", "--mission", "a.uli", "--step", "0"}, false},
        {{"vorn", "--headless", "--mission", "a.uli", "--step", "201"}, false},
        {{"vorn", "--headless", "--mission", "a.uli", "--step"}, false},
        {{"vorn", "--headless", "--mission", "a.uli", "--step", "-5"}, false},
    };
    for (const auto& c : cases) {
        LaunchOptions options;
        std::string error;
        EXPECT_EQ(ParseLaunchOptions(int(c.args.size()), c.args.data(), &options, &error), c.ok) << c.args.size();
        if (c.ok) {
            EXPECT_EQ(options.mission, "sample.uli");
            EXPECT_EQ(options.seconds, 3);
            EXPECT_EQ(options.seed, 9);
            EXPECT_EQ(options.step, 50);
        } else {
            EXPECT_FALSE(error.empty());
        }
    }
}

// The frame length of the flight: 1 to 200 ms, both ends taken.
TEST(LaunchOptionsMissionTest, TheStepIsAFrameLengthOfOneTo200Milliseconds) {
    for (const char* step : {"1", "16", "200"}) {
        const char* args[] = {"vorn", "--headless", "--mission", "a.uli", "--step", step};
        LaunchOptions options;
        std::string error;
        ASSERT_TRUE(ParseLaunchOptions(6, args, &options, &error)) << error;
        EXPECT_EQ(options.step, std::atoi(step));
    }
    const char* args[] = {"vorn", "--headless", "--mission", "a.uli", "--step", "1000"};
    LaunchOptions options;
    std::string error;
    EXPECT_FALSE(ParseLaunchOptions(6, args, &options, &error));
    EXPECT_NE(error.find("1 to 200"), std::string::npos) << error;
    EXPECT_NE(std::string(LaunchUsage()).find("--step MS"), std::string::npos);
}

TEST(LaunchOptions, TheNetworkAddressIsFourNumbersAndAPort) {
    LaunchOptions options;
    std::string error;
    EXPECT_FALSE(options.net);
    ASSERT_TRUE(Parse({"--net", "10.0.0.255:4000"}, &options, &error)) << error;
    EXPECT_TRUE(options.net);
    EXPECT_EQ(options.netAddress, "10.0.0.255");
    EXPECT_EQ(options.netPort, 4000);
    for (const char* bad : {"localhost:4000", "10.0.0:4000", "10.0.0.256:4000", "10.0.0.1.2:4000", "10.0.0.1:",
                            "10.0.0.1:65536", "10.0.0.1:0", ":4000", "10..0.1:4000", "10.0.0.1"}) {
        LaunchOptions refused;
        EXPECT_FALSE(Parse({"--net", bad}, &refused, &error)) << bad;
    }
    EXPECT_FALSE(Parse({"--net"}, &options, &error));
}

// A pilot's name is given only to a machine of a network game, and only
// one a pilot file could bear.
TEST(LaunchOptions, APilotsNameGoesWithHostOrJoin) {
    LaunchOptions options;
    std::string error;
    ASSERT_TRUE(Parse({"--headless", "--join", "--pilot", "Bob"}, &options, &error)) << error;
    EXPECT_EQ(options.pilot, "Bob");
    for (const char* bad : {"", ".hidden", "a/b", "tab\there"}) {
        LaunchOptions refused;
        EXPECT_FALSE(Parse({"--headless", "--join", "--pilot", bad}, &refused, &error)) << bad;
    }
    LaunchOptions alone;
    EXPECT_FALSE(Parse({"--headless", "--mission", "sample.uli", "--pilot", "Bob"}, &alone, &error));
    EXPECT_FALSE(Parse({"--headless", "--join", "--pilot"}, &alone, &error));
}

TEST(LaunchOptions, ReadsAScriptAndRepeatedPictures) {
    LaunchOptions options;
    std::string error;
    ASSERT_TRUE(Parse({"--script", "s.txt", "--shot", "3", "a.png", "--headless", "--shot", "40", "b.png"}, &options,
                      &error))
        << error;
    EXPECT_EQ(options.script, "s.txt");
    ASSERT_EQ(options.shots.size(), 2u);
    EXPECT_EQ(options.shots[0].pass, 3);
    EXPECT_EQ(options.shots[0].path, "a.png");
    EXPECT_EQ(options.shots[1].pass, 40);
    EXPECT_EQ(options.shots[1].path, "b.png");
    EXPECT_TRUE(options.headless);
}

TEST(LaunchOptions, RefusesPicturesWithoutAPassOrAFile) {
    const std::initializer_list<const char*> bad[] = {
        {"--shot"}, {"--shot", "3"}, {"--shot", "0", "a.png"}, {"--shot", "-2", "a.png"},
        {"--shot", "x", "a.png"}, {"--shot", "99999999999", "a.png"}, {"--shot", "3", ""},
        {"--script"}, {"--script", ""},
    };
    for (const auto& args : bad) {
        LaunchOptions options;
        std::string error;
        EXPECT_FALSE(Parse(args, &options, &error)) << *args.begin() << " " << args.size();
        EXPECT_FALSE(error.empty());
    }
}

}  // namespace

// A random mission of a kind from 0 to 4 stands in for the mission file; the
// difficulty goes from 0 to 3; anything else is refused with its reason.
TEST(LaunchOptionsMissionTest, RandomKindAndDifficultyAreSmallWholeNumbers) {
    LaunchOptions options;
    std::string error;
    ASSERT_TRUE(Parse({"--random", "4", "--difficulty", "3", "--trace"}, &options, &error)) << error;
    EXPECT_EQ(options.randomKind, 4);
    EXPECT_EQ(options.mission, "Rnd 0");
    EXPECT_EQ(options.difficulty, 3);
    EXPECT_TRUE(options.trace);
    for (const char* bad : {"5", "-1", "x", "2x", ""}) {
        LaunchOptions refused;
        EXPECT_FALSE(Parse({"--random", bad}, &refused, &error)) << bad;
        EXPECT_EQ(error, "--random needs a kind from 0 to 4") << bad;
    }
    for (const char* bad : {"4", "+1", "1.5"}) {
        LaunchOptions refused;
        EXPECT_FALSE(Parse({"--difficulty", bad}, &refused, &error)) << bad;
        EXPECT_EQ(error, "--difficulty needs a level from 0 to 3") << bad;
    }
    LaunchOptions cut;
    EXPECT_FALSE(Parse({"--difficulty"}, &cut, &error));
}

// Hosting needs a headless run with a mission, joining a headless run
// without one, and never both.
TEST(LaunchOptions, HostAndJoinEachNeedTheirOwnCompany) {
    const std::vector<std::vector<const char*>> refused = {
        {"--host", "--mission", "sample.uli"},
        {"--headless", "--host"},
        {"--headless", "--join", "--mission", "sample.uli"},
        {"--headless", "--host", "--join", "--mission", "sample.uli"},
    };
    for (const auto& args : refused) {
        std::vector<const char*> argv{"vorn"};
        argv.insert(argv.end(), args.begin(), args.end());
        LaunchOptions options;
        std::string error;
        EXPECT_FALSE(ParseLaunchOptions(int(argv.size()), argv.data(), &options, &error)) << args.size();
        EXPECT_EQ(error, "--host needs --headless and --mission or --random, --join --headless and neither");
    }
    LaunchOptions host;
    std::string error;
    ASSERT_TRUE(Parse({"--headless", "--host", "--mission", "sample.uli"}, &host, &error)) << error;
    EXPECT_TRUE(host.net);
    ASSERT_TRUE(Parse({"--headless", "--random", "1", "--host"}, &host, &error)) << error;
}
