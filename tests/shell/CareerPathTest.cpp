// One career over two processes of the vorn program on one sample tree, as
// a person plays it with `vorn --data DIR --headless --script FILE`:
// tests/scripts/career.txt buys a second ship and kits it out, hires a
// wingman, flies the training, saves and launches the next mission; tests/scripts/career-load.txt loads
// that save in a new process and launches the next mission again.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <initializer_list>
#include <string>
#include <vector>

#include "game/CareerRecord.h"
#include "tests/shell/SampleScriptRun.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/GoldenImage.h"
#include "tests/support/ScopedEnvironment.h"
#include "tests/support/TempDir.h"
#include "tools/mkdata/CampaignData.h"
#include "tools/mkdata/SampleTree.h"

namespace {

// What the requisition page asks at the sample tree's Medium difficulty
// for the order of career.txt: a Sparrow (4,000), a "Flak Cannon" (3,300)
// and the six systems a ship needs to launch (8,500).
constexpr int32_t kOrderTotal = 15800;

// The Lancer as a new career flies it; the Sparrow as the career fits it,
// the bought cannon on its right wing strip.
const char* const kStockLaunch =
    "launch \"P102\" Radar 1 Targeting 1 Flight 1 Missile Rack 1 Laser Cannon Laser Cannon Generator 1 Engine 1 "
    "Shields 1";
const char* const kSparrowLaunch =
    "launch \"P107\" Radar 1 Targeting 1 Flight 1 Flak Cannon Engine 1 Generator 1 Shields 1";
// "Raider Strike" brings its own wingman; the hired pilot joins him.
const char* const kStrikeWingman = "wingman \"Alpha 2\" \"P101\"";
const char* const kHiredWingman = "wingman \"Jory Tallis\" \"P102\"";

// What the career holds once the Sparrow is fitted and the game saved: the
// training paid, the order paid for, the next offer alone on the reader's
// new page, the Lancer unharmed by a flight without enemies and flown by
// the hired pilot, the player in the Sparrow.
std::string SavedCareer() {
    char first[256];
    std::snprintf(first, sizeof first,
                  "Career: missions flown 1, credits %d, trophies 0x%04X, accepted row -1, offers \"Raider Strike\"\n",
                  CareerRecord::kStartingFunds + kTrainingAward - kOrderTotal, unsigned(kTrainingTrophy));
    return std::string(first) +
           "Career ship \"P102\" \"Lancer\" damage 0, flown by \"Jory Tallis\", fits \"Generator 1\" \"Shields 1\" "
           "\"Radar 1\" \"Targeting 1\" \"Flight 1\" \"Engine 1\" \"Laser Cannon\" \"Laser Cannon\" "
           "\"Missile Rack 1\"\n"
           "Career ship \"P107\" \"Sparrow\" damage 0, flown by the player, fits \"Engine 1\" \"Generator 1\" "
           "\"Shields 1\" \"Radar 1\" \"Targeting 1\" \"Flight 1\" \"Flak Cannon\"\n"
           "Career pilots hired: \"Jory Tallis\"\n";
}

// How many whole lines of `out` read `line`.
size_t Count(const std::string& out, const std::string& line) {
    size_t count = 0;
    for (size_t at = out.find("\n" + line + "\n"); at != std::string::npos; at = out.find("\n" + line + "\n", at + 1)) {
        ++count;
    }
    return count;
}

// The throttle the HUD reads: of the `hud throttle` lines, the last before
// `from`, or with `after` the first after it; -1 when there is none.
int32_t HudThrottle(const std::string& out, size_t from, bool after) {
    const std::string mark = "\nhud throttle ";
    const size_t at = after ? out.find(mark, from) : out.rfind(mark, from);
    return at == std::string::npos ? -1 : std::stoi(out.substr(at + mark.size()));
}

// The pass of career.txt that shows the repair page on the Lancer's row:
// the script chooses the row 69 passes after the landing, which the
// training's flight by its keys brings at pass 1254, and leaves the page
// 16 passes later.
constexpr int32_t kRepairPass = 1332;

// Pixels of the picture's rectangle for which `lit` holds.
template <typename Lit>
int32_t CountPixels(const RgbImage& picture, int32_t left, int32_t top, int32_t right, int32_t bottom, Lit lit) {
    int32_t count = 0;
    for (int32_t y = top; y < bottom; ++y) {
        for (int32_t x = left; x < right; ++x) {
            const uint8_t* const rgb = &picture.rgb[size_t(y * picture.width + x) * 3];
            count += lit(rgb[0], rgb[1], rgb[2]) ? 1 : 0;
        }
    }
    return count;
}

struct Played {
    int status = -1;
    std::string out;   // standard output and error
};

// One vorn process headless on the data tree with a committed script and
// `more` arguments, its own single-instance lock in `runtime`; bounded,
// killed when it overruns.
Played Play(const TempDir& data, const std::filesystem::path& runtime, const char* script,
            const std::vector<std::string>& more = {}) {
    std::filesystem::create_directories(runtime);
    ScopedEnvironment locked("VORN_RUNTIME_DIR", runtime.c_str());
    std::vector<std::string> argv{VORN_BINARY, "--data", data.Str(), "--headless", "--script",
                                  std::string(VORN_SOURCE_DIR) + "/tests/scripts/" + script};
    argv.insert(argv.end(), more.begin(), more.end());
    auto child = ChildProcess::Run(argv);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(240);
    const auto left = [&deadline] {
        const auto remaining = deadline - std::chrono::steady_clock::now();
        return int(std::chrono::duration_cast<std::chrono::milliseconds>(remaining).count());
    };
    std::string line;
    while (left() > 0 && child->ReadLine(&line, left())) {
    }
    Played run;
    run.status = child->Wait(std::max(left(), 1000));
    run.out = "\n" + child->Transcript();
    return run;
}

// The squadron buys a Sparrow, its systems and a Flak Cannon and hires a
// wingman, flies the training in its Lancer (the order arrives with that
// launch), fits the Sparrow out and flies it from now on, puts the
// wingman in the Lancer, saves to slot 1 and launches "Raider Strike"
// with both ships, which start with the throttle at 0 though the training
// ended at full throttle. A new process loads slot 1 from the first
// screen: the training is done, so "Raider Strike" is the one offer and is
// accepted (a mission still set up would refuse it) and launched with the
// saved ship; the career reads as it was saved. Loaded once more with
// --seed 2, the strike is fought otherwise.
TEST(CareerPath, ACareerKittedOutAndSavedBetweenFlightsLoadsInANewProcess) {
    TempDir data, runtime;
    std::string error;
    ASSERT_TRUE(WriteSampleTree(data.Str(), &error)) << error;

    const std::string repair = (runtime.Path() / "repair.png").string();
    const Played first =
        Play(data, runtime.Path() / "first", "career.txt", {"--shot", std::to_string(kRepairPass), repair});
    ASSERT_EQ(first.status, 0) << first.out;
    EXPECT_TRUE(InOrder(first.out, {"screen FRAME", "mode 2", kStockLaunch, "goal 1 met", "goal 3 met", "goal 2 met",
                                    "outcome won", "mode 4", "screen HANGAR", "screen FRAME", "screen HANGAR", "mode 2",
                                    kSparrowLaunch}))
        << first.out;
    EXPECT_EQ(Count(first.out, "mode 2"), 2u) << first.out;
    // Each flight tells its goals at launch; the training its end too (the
    // run quits during the strike).
    const std::vector<int64_t> over = FlightsOver(first.out);
    ASSERT_EQ(over.size(), 1u) << first.out;
    const std::string overLine = FlightOverLine(over[0]);
    EXPECT_TRUE(InOrder(first.out, {kStockLaunch, "goal 1 5 \"Fly to the Outer Beacon\"", "outcome won", overLine.c_str(),
                                    "mode 4", kSparrowLaunch, "goal 1 1 \"Destroy the raiders\""}))
        << first.out;
    // The hired pilot had no ship for the training, and flies the strike.
    EXPECT_EQ(Count(first.out, kHiredWingman), 1u) << first.out;
    EXPECT_TRUE(InOrder(first.out, {kSparrowLaunch, kHiredWingman})) << first.out;
    EXPECT_NE(first.out.find("\n" + SavedCareer()), std::string::npos) << first.out;
    // The training is flown home at full throttle; the strike starts with
    // none, whatever the hands left behind, and the HUD reads what the
    // engine gets.
    const size_t strike = first.out.find("\n" + std::string(kSparrowLaunch) + "\n");
    ASSERT_NE(strike, std::string::npos) << first.out;
    EXPECT_EQ(HudThrottle(first.out, strike, false), 100) << first.out;
    EXPECT_EQ(HudThrottle(first.out, strike, true), 0) << first.out;
    ASSERT_TRUE(std::filesystem::exists(data.Path() / "slot1.sav"));

    // Back at base the repair page is on the ship just flown: of its ship
    // list (the stores, then the Lancer) the Lancer's line is the chosen
    // one, in white, and the list of damaged items beside it stays empty.
    RgbImage picture;
    ASSERT_TRUE(ReadStoredPng(repair, &picture)) << repair;
    ASSERT_EQ(picture.width, 640);
    const auto white = [](uint8_t r, uint8_t g, uint8_t b) { return r > 200 && g > 200 && b > 200; };
    const auto lit = [](uint8_t r, uint8_t g, uint8_t) { return r > 150 || g > 150; };
    EXPECT_GT(CountPixels(picture, 345, 177, 395, 188, white), 0) << "the Lancer's line is not the chosen one";
    EXPECT_EQ(CountPixels(picture, 345, 166, 395, 177, white), 0) << "the stores' line is still the chosen one";
    EXPECT_GT(CountPixels(picture, 345, 166, 395, 177, lit), 0) << "no stores' line: not the repair page";
    EXPECT_EQ(CountPixels(picture, 145, 163, 340, 263, lit), 0) << "a damaged item listed";

    const Played second = Play(data, runtime.Path() / "second", "career-load.txt");
    ASSERT_EQ(second.status, 0) << second.out;
    EXPECT_TRUE(InOrder(second.out, {"screen FRAME", "screen HANGAR", "mode 2", kSparrowLaunch, kStrikeWingman}))
        << second.out;
    EXPECT_EQ(Count(second.out, "mode 2"), 1u) << second.out;
    EXPECT_EQ(Count(second.out, kHiredWingman), 1u) << second.out;
    EXPECT_NE(second.out.find("\n" + SavedCareer()), std::string::npos) << second.out;

    // Other dice, another fight: the same load and launch with --seed 2
    // flies the strike its own way.
    const Played third = Play(data, runtime.Path() / "third", "career-load.txt", {"--seed", "2"});
    ASSERT_EQ(third.status, 0) << third.out;
    const auto flight = [](const std::string& out, const char* dice) {
        const size_t from = out.find(std::string("\nFlight 1: dice seeded with ") + dice + "\n");
        const size_t to = out.find("\nCareer: ", from);
        return from == std::string::npos || to == std::string::npos ? std::string() : out.substr(from, to - from);
    };
    const std::string once = flight(second.out, "1"), again = flight(third.out, "2");
    ASSERT_FALSE(once.empty()) << second.out;
    ASSERT_FALSE(again.empty()) << third.out;
    EXPECT_NE(once.substr(once.find('\n', 1)), again.substr(again.find('\n', 1))) << "--seed changes nothing";
}

}  // namespace

// The sample save is a career a while in, for those who walk the game
// beyond its start: loaded from the first screen it brings three ships,
// each fitted to fly, two hired pilots, one flying the second ship on the
// Load Game from the first screen with nothing loaded: an empty slot
// changes nothing, and leaving the page is a new career with its training
// offered, never one with nothing to fly.
TEST(CareerPath, LeavingTheLoadPageWithoutALoadStartsANewCareer) {
    TempDir data, runtime;
    std::string error;
    ASSERT_TRUE(WriteSampleTree(data.Str(), &error)) << error;
    const Played run = Play(data, runtime.Path(), "load-empty.txt");
    ASSERT_EQ(run.status, 0) << run.out;
    EXPECT_NE(run.out.find("\nCareer: missions flown 0, credits 20000, trophies 0x0000, accepted row -1, offers \"Training Flight\""),
              std::string::npos)
        << run.out;
}

// player's wing, and money to spend.
TEST(CareerPath, TheSampleSaveLoadsACareerWithShipsPilotsAndMoney) {
    TempDir data, runtime;
    std::string error;
    ASSERT_TRUE(WriteSampleTree(data.Str(), &error)) << error;
    const Played run = Play(data, runtime.Path(), "sample-save.txt");
    ASSERT_EQ(run.status, 0) << run.out;
    EXPECT_NE(run.out.find("\nCareer: missions flown 3, credits 250000,"), std::string::npos) << run.out;
    const char* const fit = "fits \"Generator 1\" \"Shields 1\" \"Radar 1\" \"Targeting 1\" \"Flight 1\" \"Engine 1\"";
    EXPECT_TRUE(InOrder(run.out, {(std::string("Career ship \"P102\" \"Lancer\" damage 0, flown by the player, ") + fit +
                                   " \"Laser Cannon\" \"Laser Cannon\" \"Missile Rack 1\"").c_str(),
                                  (std::string("Career ship \"P303\" \"Warden\" damage 0, flown by \"Jory Tallis\", ") + fit +
                                   " \"Laser Cannon\" \"Laser Cannon\" \"Missile Rack 1\"").c_str(),
                                  "Career pilots hired: \"Jory Tallis\" \"Ash Calder\""}))
        << run.out;
    EXPECT_EQ(Count(run.out, "Career ship \"P107\" \"Sparrow\" damage 0, flown by nobody, " + std::string(fit) +
                                 " \"Laser Cannon\" \"Laser Cannon\" \"Missile Rack 1\""),
              1u)
        << run.out;
}
