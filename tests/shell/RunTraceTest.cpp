#include "shell/RunTrace.h"

#include <gtest/gtest.h>

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

// What a traced flight told of its ships: each ship named in the lines a
// second, and each ship hit, once; each death as often as it was told; and
// "gap" where the seconds did not run on from 1.
static std::multiset<std::string> Told(const std::string& out) {
    std::multiset<std::string> told;
    int last = 0;
    const std::regex line("\n(?:([0-9]+)s|(hit)|destroyed 1[56]) \"([^\"]*)\"");
    for (std::sregex_iterator it(out.begin(), out.end(), line), end; it != end; ++it) {
        const std::smatch& m = *it;
        if (m[1].matched && std::stoi(m[1]) > last + 1) told.insert("gap");
        if (m[1].matched) last = std::stoi(m[1]);
        const std::string entry = (m[1].matched ? "second " : m[2].matched ? "hit " : "destroyed ") + m[3].str();
        if (entry[0] == 'd' || told.count(entry) == 0) told.insert(entry);
    }
    return told;
}

// The strike flown idle from the command line, without a window: with
// --trace the flight a script flies tells what the flight without a script
// tells, and without --trace none of it. In the skirmish the idle pilot's
// death, which a scripted flight tells of itself, is told once.
static std::multiset<std::string> Fly(bool scripted, bool trace, const char* mission = "strike.uli", int32_t seed = 1) {
    SampleScriptRun run;
    std::string error;
    EXPECT_TRUE(WriteSampleTree(run.dir.Str(), &error)) << error;
    // Only if the flight has not ended by its goals.
    run.dir.WriteFile("idle.txt", "at 3000 quit\n");
    LaunchOptions options;
    options.dataRoot = run.dir.Str(), options.headless = true, options.seconds = 150;
    options.mission = mission, options.seed = seed, options.trace = trace;
    if (scripted) options.script = run.dir.Str() + "/idle.txt";
    testing::internal::CaptureStdout();
    EXPECT_EQ(RunGame(options), 0);
    return Told(testing::internal::GetCapturedStdout());
}

const std::multiset<std::string> kStrike = {"second Alpha 2", "second Red 1", "second Red 2",    "hit P101",
                                            "hit Red 1",       "hit Red 2",    "destroyed Red 1", "destroyed Red 2"};

TEST(RunTraceFlight, AFlightWithoutAScriptTellsItsShipsHitsAndDeaths) { EXPECT_EQ(Fly(false, true), kStrike); }

TEST(RunTraceFlight, AScriptedFlightTellsTheTraceAsAFlightWithoutAScriptDoes) { EXPECT_EQ(Fly(true, true), kStrike); }

TEST(RunTraceFlight, AScriptedFlightWithoutTraceTellsNone) { EXPECT_TRUE(Fly(true, false).empty()); }

TEST(RunTraceFlight, TheIdlePilotsDeathInTheSkirmishIsToldOnce) {
    EXPECT_EQ(Fly(true, true, "skirmish.uli").count("destroyed P101"), 1u);
}
