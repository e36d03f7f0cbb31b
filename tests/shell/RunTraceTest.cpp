#include "shell/RunTrace.h"

#include <gtest/gtest.h>

#include <map>
#include <regex>
#include <set>
#include <string>

#include "game/Cockpit.h"
#include "screens/NetLobbyScreen.h"
#include "shell/LaunchOptions.h"
#include "shell/Startup.h"
#include "tests/shell/SampleScriptRun.h"

// Each line once, in order; a mode only when it changes (not the first), a cleared message
// line not at all, and nothing once disabled.
TEST(RunTrace, PrintsScreensModeChangesMessagesAndChat) {
    testing::internal::CaptureStdout();
    run_trace::Enable();
    run_trace::Screen("NETOPT");
    run_trace::Mode(2);
    run_trace::Mode(4);
    run_trace::Mode(4);
    run_trace::Mode(1);
    ASSERT_NE(Cockpit::messageShown, nullptr);
    ASSERT_NE(NetLobbyScreen::chatLineAdded, nullptr);
    Cockpit::messageShown("Kestrel: [go]");
    Cockpit::messageShown("");
    ASSERT_NE(Cockpit::radioShown, nullptr);
    Cockpit::radioShown("Alpha 2", "Got one!");
    NetLobbyScreen::chatLineAdded("Ann : hi");
    run_trace::Disable();
    run_trace::Screen("HANGAR");
    EXPECT_EQ(Cockpit::messageShown, nullptr);
    EXPECT_EQ(Cockpit::radioShown, nullptr);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "screen NETOPT\nmode 4\nmode 1\nmessage \"Kestrel: [go]\"\nradio \"Alpha 2\" \"Got one!\"\nchat \"Ann : hi\"\n");
}

namespace {

// What a traced flight of the strike told of its AI ships: the ships named
// in each flight second's lines, the ships hit, and each death told.
struct Traced {
    std::map<int, std::set<std::string>> seconds;
    std::set<std::string> hit;
    std::multiset<std::string> deaths;
};

Traced ReadTrace(const std::string& out) {
    Traced traced;
    const std::regex second("\n([0-9]+)s \"([^\"]*)\" [a-z]+ target .* at -?[0-9]+ -?[0-9]+ -?[0-9]+ speed [0-9]+ hp -?[0-9]+ "
                            "volleys [0-9]+(?=\n)");
    for (std::sregex_iterator it(out.begin(), out.end(), second), end; it != end; ++it) {
        traced.seconds[std::stoi((*it)[1])].insert((*it)[2]);
    }
    const std::regex hit("\nhit \"([^\"]*)\" -?[0-9]+ -> -?[0-9]+ by [^\n]+(?=\n)");
    for (std::sregex_iterator it(out.begin(), out.end(), hit), end; it != end; ++it) traced.hit.insert((*it)[1]);
    const std::regex death("\ndestroyed 16 \"([^\"]*)\" by [^\n]+(?=\n)");
    for (std::sregex_iterator it(out.begin(), out.end(), death), end; it != end; ++it) traced.deaths.insert((*it)[1]);
    return traced;
}

// The strike flown idle from the command line with --trace, without a
// window: the flight a script flies tells what the flight without a script
// tells, each AI ship's line every second, the hits and the raiders'
// deaths; without --trace the scripted flight tells none of them. In the
// skirmish the idle pilot is shot down among the raiders' deaths.
TEST(RunTraceFlight, AScriptedFlightTellsTheTraceAsAFlightWithoutAScriptDoes) {
    SampleScriptRun run;
    std::string error;
    ASSERT_TRUE(WriteSampleTree(run.dir.Str(), &error)) << error;
    // Only if the flight has not ended by its goals.
    run.dir.WriteFile("idle.txt", "at 3000 quit\n");
    const auto fly = [&run](bool scripted, bool trace, const char* mission = "strike.uli", int32_t seed = 1) {
        LaunchOptions options;
        options.dataRoot = run.dir.Str();
        options.headless = true;
        options.mission = mission;
        options.seconds = 150;
        options.seed = seed;
        options.trace = trace;
        if (scripted) options.script = run.dir.Str() + "/idle.txt";
        testing::internal::CaptureStdout();
        EXPECT_EQ(RunGame(options), 0);
        return testing::internal::GetCapturedStdout();
    };
    const std::set<std::string> ships = {"Alpha 2", "Red 1", "Red 2"};
    for (const bool scripted : {false, true}) {
        SCOPED_TRACE(scripted ? "with a script" : "without a script");
        const std::string out = fly(scripted, true);
        ASSERT_NE(out.find("\noutcome won\n"), std::string::npos) << out;
        const Traced traced = ReadTrace(out);
        ASSERT_FALSE(traced.seconds.empty()) << out;
        EXPECT_EQ(traced.seconds.begin()->first, 1) << out;
        EXPECT_EQ(traced.seconds.begin()->second, ships) << out;
        // A line a second from the first to the last.
        EXPECT_EQ(traced.seconds.rbegin()->first, int(traced.seconds.size())) << out;
        EXPECT_TRUE(traced.hit.count("Red 1") != 0 || traced.hit.count("Red 2") != 0) << out;
        EXPECT_EQ(traced.deaths, (std::multiset<std::string>{"Red 1", "Red 2"})) << out;
    }
    const Traced untraced = ReadTrace(fly(true, false));
    EXPECT_TRUE(untraced.seconds.empty());
    EXPECT_TRUE(untraced.hit.empty());
    EXPECT_TRUE(untraced.deaths.empty());

    // The pilot's own death, which a scripted flight tells with the trace
    // or without, is told once.
    const std::string skirmish = fly(true, true, "skirmish.uli", 7);
    const size_t shotDown = skirmish.find("\ndestroyed 15 \"P101\" by ");
    ASSERT_NE(shotDown, std::string::npos) << skirmish;
    EXPECT_EQ(skirmish.find("\ndestroyed 15 ", shotDown + 1), std::string::npos) << skirmish;
    EXPECT_GE(ReadTrace(skirmish).deaths.size(), 2u) << skirmish;
}

}  // namespace
