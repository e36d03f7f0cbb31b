// Two vorn processes on 127.0.0.1 fly one network game: a host flies
// netfight.uli, a client joins with an empty world. Every wait is bounded.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <csignal>
#include <filesystem>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "tests/shell/NetworkRun.h"

namespace {

// "UOID TYPE NAME" of each match of `pattern`, from its groups u, t and n.
std::set<std::string> Objects(const std::string& transcript, const char* pattern, int u, int t, int n) {
    std::set<std::string> objects;
    const std::regex line(pattern);
    for (auto it = std::sregex_iterator(transcript.begin(), transcript.end(), line); it != std::sregex_iterator(); ++it) {
        objects.insert((*it)[u].str() + " " + (*it)[t].str() + " " + (*it)[n].str());
    }
    return objects;
}

// The uoids a client's `holds` lines name more than once.
std::vector<std::string> HeldTwice(const std::string& clientLines) {
    std::map<std::string, int> seen;
    std::vector<std::string> twice;
    const std::regex line("holds (\\d+) ");
    for (auto it = std::sregex_iterator(clientLines.begin(), clientLines.end(), line); it != std::sregex_iterator(); ++it) {
        if (++seen[(*it)[1].str()] == 2) twice.push_back((*it)[1].str());
    }
    return twice;
}

// A host flying netfight.uli (or another mission) and a client that joins
// it, each with its own single-instance lock, on a free port of the loopback.
class HostAndClient {
public:
    HostAndClient() {
        std::string error;
        ready_ = WriteSampleTree(data_.Str(), &error);
        port_ = FreeLoopbackPort();
        if (!ready_ || port_ == 0) failure_ = "no sample tree or no free port: " + error;
    }
    bool Ready() const { return failure_.empty(); }
    const std::string& Failure() const { return failure_; }
    std::unique_ptr<ChildProcess> Run(const char* lock, std::vector<std::string> more) {
        std::filesystem::create_directories(runtime_.Path() / lock);
        ScopedEnvironment locked("VORN_RUNTIME_DIR", (runtime_.Path() / lock).c_str());
        std::vector<std::string> argv{VORN_BINARY, "--data", data_.Str(), "--headless", "--net",
                                      "127.0.0.1:" + std::to_string(port_)};
        argv.insert(argv.end(), more.begin(), more.end());
        return ChildProcess::Run(argv);
    }
    std::unique_ptr<ChildProcess> Host(int seconds, const char* mission = "netfight.uli") {
        return Run("host", {"--mission", mission, "--seconds", std::to_string(seconds), "--seed", "3", "--host"});
    }
    std::unique_ptr<ChildProcess> Join(int seconds) { return Run("client", {"--join", "--seconds", std::to_string(seconds)}); }
    // `pilot`'s process flying `seconds` on `script`: a member joining, unless `more` says what it hosts.
    std::unique_ptr<ChildProcess> Pilot(const std::string& pilot, int seconds, const std::string& script,
                                        std::vector<std::string> more = {"--join"}) {
        more.insert(more.end(), {"--seconds", std::to_string(seconds), "--pilot", pilot, "--script",
                                 Script((pilot + ".txt").c_str(), script)});
        return Run(pilot.c_str(), std::move(more));
    }
    // A script beside the runtime folders; its path.
    std::string Script(const char* name, const std::string& text) const {
        runtime_.WriteFile(name, text);
        return (runtime_.Path() / name).string();
    }

private:
    TempDir data_, runtime_;
    bool ready_ = false;
    uint16_t port_ = 0;
    std::string failure_;
};

// A client joins and holds the host's world, its own ship once under the
// host's number, and the shots; when the host's process is killed the
// client is told once, leaves the game and ends its flight within seconds,
// long before its own would end.
TEST(NetworkFlight, AJoiningClientHoldsTheHostsWorldAndOutlivesItsHost) {
    HostAndClient pair;
    ASSERT_TRUE(pair.Ready()) << pair.Failure();
    auto host = pair.Host(60);
    ASSERT_TRUE(host->WaitForLine("hosting \"", 15000)) << host->Transcript();
    auto client = pair.Join(60);
    std::string player;
    ASSERT_TRUE(host->WaitForLine("player \"", 20000, &player)) << host->Transcript();
    // The fight reaches the client first.
    ASSERT_TRUE(client->WaitForLine("first projectile", 40000)) << client->Transcript();
    host->Signal(SIGKILL);
    const auto killed = std::chrono::steady_clock::now();
    ASSERT_EQ(client->Wait(20000), 0) << client->Transcript();
    EXPECT_LT(std::chrono::steady_clock::now() - killed, std::chrono::seconds(15));

    const std::string hostLines = host->Transcript(), clientLines = client->Transcript();
    const auto hosted = Objects(hostLines, "object (\\d+) (\".*\") side [^\\n]* uoid (\\d+)\\n", 3, 1, 2);
    const auto held = Objects(clientLines, "holds (\\d+) (\\d+) (\".*\")\\n", 1, 2, 3);
    const auto same = std::count_if(hosted.begin(), hosted.end(), [&](const std::string& o) { return held.count(o) != 0; });
    EXPECT_GE(same, 5) << hostLines << clientLines;
    // The client flies its ship under the uoid the host gave its copy.
    std::smatch ship;
    ASSERT_TRUE(std::regex_match(player, ship, std::regex("player (\".*\") ship (\\d+)")));
    EXPECT_EQ(held.count(ship[2].str() + " 15 " + ship[1].str()), 1u) << clientLines;
    EXPECT_TRUE(HeldTwice(clientLines).empty()) << clientLines;
    std::smatch projectiles;
    ASSERT_TRUE(std::regex_search(clientLines, projectiles, std::regex("\nprojectiles (\\d+)\n")));
    EXPECT_GE(std::stoi(projectiles[1]), 1);
    const auto told = [&](const std::string& text) {
        size_t count = 0;
        for (size_t at = clientLines.find(text); at != std::string::npos; at = clientLines.find(text, at + 1)) ++count;
        return count;
    };
    EXPECT_EQ(told("message \"You have been disconnected from the server!\""), 1u) << clientLines;
    EXPECT_EQ(told("recieved unhandled packet type"), 0u) << clientLines;
}

// Hosted from the command line, netfight.uli is a death match, every ship
// for itself: the host's own ship, made with the mission before the game
// was hosted, flies its own number as every member's does, not the side
// the file gives it beside one of the raiders' wings.
TEST(NetworkFlight, AHostFromTheCommandLineFliesItsOwnSideInAFreeForAll) {
    HostAndClient pair;
    ASSERT_TRUE(pair.Ready()) << pair.Failure();
    auto host = pair.Host(1);
    ASSERT_EQ(host->Wait(30000), 0) << host->Transcript();
    const std::string lines = host->Transcript();
    std::smatch own;
    ASSERT_TRUE(std::regex_search(lines, own, std::regex("\nobject 15 \"P101\" side (-?\\d+) at [^\\n]* uoid (\\d+)\\n")))
        << lines;
    EXPECT_EQ(own[1].str(), own[2].str()) << lines;
}

// Twenty host and join pairs in a row: the client never holds a second
// object under one uoid, nor flies under a number of its own. Minutes
// long, so not run by default:
//   shell_tests --gtest_also_run_disabled_tests --gtest_filter='NetworkFlight.DISABLED_*'
TEST(NetworkFlight, DISABLED_TwentyGamesInARowShowNoGhost) {
    constexpr int kGames = 20;
    for (int game = 0; game < kGames; ++game) {
        HostAndClient pair;
        ASSERT_TRUE(pair.Ready()) << pair.Failure();
        auto host = pair.Host(30);
        ASSERT_TRUE(host->WaitForLine("hosting \"", 15000)) << host->Transcript();
        auto client = pair.Join(6);
        ASSERT_EQ(client->Wait(30000), 0) << "game " << game << client->Transcript();
        std::string player;
        ASSERT_TRUE(host->WaitForLine("player \"", 5000, &player)) << host->Transcript();
        std::smatch ship;
        ASSERT_TRUE(std::regex_match(player, ship, std::regex("player (\".*\") ship (\\d+)")));
        const std::string clientLines = client->Transcript();
        const auto held = Objects(clientLines, "holds (\\d+) (\\d+) (\".*\")\\n", 1, 2, 3);
        EXPECT_EQ(held.count(ship[2].str() + " 15 " + ship[1].str()), 1u) << "game " << game << clientLines;
        EXPECT_TRUE(HeldTwice(clientLines).empty()) << "game " << game << clientLines;
    }
}

// Every line tools/netgame.sh printed for one pilot, its prefix taken off,
// and the script's exit status.
struct NetGame {
    int status = -1;
    std::map<std::string, std::vector<std::string>> lines;
    bool Shows(const std::string& pilot, const std::string& line) const {
        const auto found = lines.find(pilot);
        return found != lines.end() && std::count(found->second.begin(), found->second.end(), line) > 0;
    }
    // The pilot's lines that start so, in order.
    std::vector<std::string> Starting(const std::string& pilot, const std::string& start) const {
        std::vector<std::string> matching;
        const auto found = lines.find(pilot);
        if (found == lines.end()) return matching;
        for (const std::string& line : found->second) {
            if (line.rfind(start, 0) == 0) matching.push_back(line);
        }
        return matching;
    }
};

NetGame PlayNetGame(int players, int seconds, std::string* transcript) {
    TempDir data;
    std::string error;
    NetGame game;
    if (!WriteSampleTree(data.Str(), &error)) {
        *transcript = error;
        return game;
    }
    auto script = ChildProcess::Run({"/bin/bash", VORN_SOURCE_DIR "/tools/netgame.sh", "--vorn", VORN_BINARY, "--data",
                                     data.Str(), std::to_string(players), std::to_string(seconds)});
    std::string line;
    // The lobby, the flight and the late joiner's way in, bounded.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds + 420);
    const auto left = [&deadline] {
        return int(std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now()).count());
    };
    while (left() > 0 && script->ReadLine(&line, left())) {
        const size_t colon = line.find(": ");
        if (colon != std::string::npos) game.lines[line.substr(0, colon)].push_back(line.substr(colon + 2));
    }
    script->Signal(SIGTERM);
    game.status = script->Wait(20000);
    *transcript = script->Transcript();
    return game;
}

// The two counts of a pilot's `net goals N met M` line; -1 each without one.
std::pair<int, int> GoalCounts(const NetGame& game, const std::string& pilot) {
    const std::vector<std::string> lines = game.Starting(pilot, "net goals ");
    std::smatch counts;
    const std::regex line("net goals (\\d+) met (\\d+)");
    if (lines.size() != 1 || !std::regex_match(lines[0], counts, line)) return {-1, -1};
    return {std::stoi(counts[1]), std::stoi(counts[2])};
}

// Every machine ends holding the host's goals and sky, a late joiner's too.
void ExpectSameSharedGame(const NetGame& game, const std::vector<std::string>& pilots, const std::string& transcript) {
    const std::vector<std::string> sky = game.Starting("Ann", "net sky ");
    const int goals = GoalCounts(game, "Ann").first;
    EXPECT_GT(goals, 0) << transcript;
    ASSERT_EQ(sky.size(), 1u) << transcript;
    EXPECT_NE(sky[0], "net sky 0 0 0 0") << transcript;
    for (const std::string& pilot : pilots) {
        EXPECT_EQ(GoalCounts(game, pilot).first, goals) << pilot << transcript;
        EXPECT_EQ(game.Starting(pilot, "net sky "), sky) << pilot << transcript;
    }
}

// The host meets a shared goal (the wing's form-up, by time): each pilot
// flying to the end prints every goal the host printed met, the others'
// word for it having come over the network, and ends holding as many met.
void ExpectSharedGoalsMet(const NetGame& game, const std::vector<std::string>& pilots, const std::string& transcript) {
    std::vector<std::string> met;
    for (const std::string& line : game.Starting("Ann", "goal ")) {
        if (line.size() > 4 && line.compare(line.size() - 4, 4, " met") == 0) met.push_back(line);
    }
    ASSERT_FALSE(met.empty()) << transcript;
    const int held = GoalCounts(game, "Ann").second;
    EXPECT_GE(held, 1) << transcript;
    for (const std::string& pilot : pilots) {
        for (const std::string& line : met) EXPECT_TRUE(game.Shows(pilot, line)) << pilot << " " << line << transcript;
        EXPECT_EQ(GoalCounts(game, pilot).second, held) << pilot << transcript;
    }
}

// Numbers from here up are a client's own, never shared.
constexpr long long kClientUoidBase = 0x40000000;
constexpr int kPlayerShip = 15, kAiShip = 16;
constexpr int kBuoy = 5, kAsteroid = 7, kGate = 10;

// A pilot's `object U TYPE "NAME"` lines: every uoid once, and the types
// by uoid; false when a uoid is held twice.
bool ObjectTable(const NetGame& game, const std::string& pilot, std::map<long long, int>* types, std::string* twice) {
    const std::regex line("object (\\d+) (\\d+) \".*\"");
    for (const std::string& text : game.Starting(pilot, "object ")) {
        std::smatch fields;
        if (!std::regex_match(text, fields, line)) continue;
        if (!types->emplace(std::stoll(fields[1]), std::stoi(fields[2])).second) {
            *twice = text;
            return false;
        }
    }
    return true;
}

// Every machine holds one world: no uoid twice on any of them (a client's
// copy of its own ship under its ship's number, say), its own ship once
// under the number the host gave it, and every object two machines share
// of one type on both; a player's ship is its own kind at home and an AI
// ship elsewhere.
void ExpectOneNumbering(const NetGame& game, const std::vector<std::string>& pilots, const std::string& transcript) {
    std::map<long long, int> hosted;
    std::string twice;
    ASSERT_TRUE(ObjectTable(game, "Ann", &hosted, &twice)) << twice << transcript;
    ASSERT_FALSE(hosted.empty()) << transcript;
    for (const std::string& pilot : pilots) {
        std::map<long long, int> held;
        ASSERT_TRUE(ObjectTable(game, pilot, &held, &twice)) << pilot << " " << twice << transcript;
        int ownShips = 0;
        for (const auto& [uoid, type] : held) {
            if (type == kPlayerShip) {
                ++ownShips;
                EXPECT_LT(uoid, kClientUoidBase) << pilot << " flies under its own number" << transcript;
            }
            const auto found = hosted.find(uoid);
            if (uoid >= kClientUoidBase || found == hosted.end()) continue;
            const bool playerShips = (type == kPlayerShip || type == kAiShip) && (found->second == kPlayerShip || found->second == kAiShip);
            EXPECT_TRUE(type == found->second || playerShips)
                << pilot << " holds " << uoid << " as type " << type << ", the host as " << found->second << transcript;
        }
        EXPECT_EQ(ownShips, 1) << pilot << transcript;
    }
}

// The players' scores and kills as a machine ends with them, by name.
std::map<std::string, std::string> Scores(const NetGame& game, const std::string& pilot) {
    std::map<std::string, std::string> scores;
    const std::regex line("net player \"(.*)\" (score -?\\d+ kills -?\\d+)");
    for (const std::string& text : game.Starting(pilot, "net player ")) {
        std::smatch fields;
        if (std::regex_match(text, fields, line)) scores[fields[1]] = fields[2];
    }
    return scores;
}

// Every machine ends with the host's figures for every player it still
// knows, the host's own included.
void ExpectSameScores(const NetGame& game, const std::vector<std::string>& pilots, const std::string& transcript) {
    const std::map<std::string, std::string> hosted = Scores(game, "Ann");
    ASSERT_EQ(hosted.count("Ann"), 1u) << transcript;
    for (const std::string& pilot : pilots) {
        const std::map<std::string, std::string> held = Scores(game, pilot);
        EXPECT_EQ(held.count(pilot), 1u) << pilot << transcript;
        for (const auto& [name, figures] : held) {
            const auto found = hosted.find(name);
            if (found != hosted.end()) {
                EXPECT_EQ(figures, found->second) << pilot << " on " << name << transcript;
            }
        }
    }
}

// A pilot's `matrix U ...` lines: the twelve numbers by uoid.
std::map<long long, std::vector<double>> Matrices(const NetGame& game, const std::string& pilot) {
    std::map<long long, std::vector<double>> matrices;
    for (const std::string& text : game.Starting(pilot, "matrix ")) {
        std::istringstream in(text.substr(7));
        long long uoid = 0;
        std::vector<double> numbers(12);
        in >> uoid;
        for (double& number : numbers) in >> number;
        if (in) matrices[uoid] = numbers;
    }
    return matrices;
}

double RowLength(const std::vector<double>& m, int row) {
    return std::sqrt(m[size_t(row * 3)] * m[size_t(row * 3)] + m[size_t(row * 3 + 1)] * m[size_t(row * 3 + 1)] +
                     m[size_t(row * 3 + 2)] * m[size_t(row * 3 + 2)]);
}

// Every object two machines share has one shape on both: the rows of its
// matrix as long (its scale) wherever it is held; what stands still (the
// gate) has one whole matrix everywhere, and what only spins (a rock, a
// buoy) one place. Moving ships are compared by shape alone, the machines
// ending at different moments.
void ExpectSameMatrices(const NetGame& game, const std::vector<std::string>& pilots, const std::string& transcript) {
    const auto hosted = Matrices(game, "Ann");
    std::map<long long, int> types;
    std::string twice;
    ASSERT_TRUE(ObjectTable(game, "Ann", &types, &twice)) << twice << transcript;
    ASSERT_FALSE(hosted.empty()) << transcript;
    for (const std::string& pilot : pilots) {
        int compared = 0;
        for (const auto& [uoid, held] : Matrices(game, pilot)) {
            const auto found = hosted.find(uoid);
            if (uoid >= kClientUoidBase || found == hosted.end()) continue;
            ++compared;
            for (int row = 0; row < 3; ++row) {
                EXPECT_NEAR(RowLength(held, row), RowLength(found->second, row), 0.02 * RowLength(found->second, row) + 0.02)
                    << pilot << " holds " << uoid << " row " << row << transcript;
            }
            const int type = types[uoid];
            const bool still = type == kGate, spinning = type == kAsteroid || type == kBuoy;
            for (size_t i = still ? 0 : 9; (still || spinning) && i < 12; ++i) {
                EXPECT_NEAR(held[i], found->second[i], 0.5) << pilot << " holds " << uoid << " word " << i << transcript;
            }
        }
        EXPECT_GT(compared, 3) << pilot << transcript;
    }
}

}  // namespace

// Two players from the first screen through the lobby into one cooperative
// random mission, by the sample tree's two lobby scripts: both see the
// client's word in the waiting room and launch from the hangar; the goal
// the host meets is met on both machines, and both end holding one world
// and one score table.
TEST(NetworkGame, TwoPlayersFlyACooperativeMissionTogether) {
    std::string transcript;
    const NetGame game = PlayNetGame(2, 20, &transcript);
    ASSERT_EQ(game.status, 0) << transcript;
    for (const char* pilot : {"Ann", "Bob"}) {
        for (const char* line : {"chat \"Bob : hello\"", "screen HANGAR", "mode 2"}) {
            EXPECT_TRUE(game.Shows(pilot, line)) << pilot << " " << line << transcript;
        }
    }
    ExpectSameSharedGame(game, {"Bob"}, transcript);
    ExpectSharedGoalsMet(game, {"Bob"}, transcript);
    ExpectOneNumbering(game, {"Bob"}, transcript);
    ExpectSameScores(game, {"Bob"}, transcript);
    ExpectSameMatrices(game, {"Bob"}, transcript);
}

// Of four, Dee joins the running game and Bob leaves it: everyone flying
// hears of both, and Dee gets the mission's goals and sky as she joins.
TEST(NetworkGame, APlayerJoinsARunningGameAndAnotherLeavesIt) {
    std::string transcript;
    const NetGame game = PlayNetGame(4, 10, &transcript);
    ASSERT_EQ(game.status, 0) << transcript;
    ExpectSameSharedGame(game, {"Bob", "Cid", "Dee"}, transcript);
    ExpectOneNumbering(game, {"Bob", "Cid", "Dee"}, transcript);
    ExpectSameScores(game, {"Cid", "Dee"}, transcript);
    ExpectSameMatrices(game, {"Bob", "Cid", "Dee"}, transcript);
    // Bob may leave before the wing has formed up.
    ExpectSharedGoalsMet(game, {"Cid", "Dee"}, transcript);
    for (const char* pilot : {"Ann", "Bob", "Cid"}) {
        EXPECT_TRUE(game.Shows(pilot, "message \"Dee has joined the game.\"")) << pilot << transcript;
    }
    for (const char* pilot : {"Ann", "Cid", "Dee"}) {
        EXPECT_TRUE(game.Shows(pilot, "message \"Bob has left the game.\"")) << pilot << transcript;
    }
}

namespace {

// Ann hosts the range and Bob joins it; neither touches the throttle. Each
// raises its weapons' power to the top (the Ion Beam needs a full pool
// beside the cannon firing with it; the cannon alone never gets through a
// drone's shields), and holds the trigger until its own kill is told. Bob
// fires only once Ann's drone is down, so that a kill line names one
// killer at a time. A wait sees only lines printed after the input before
// it, so each waits before its first key. Every wait gives up after 15 s.
// The host brings a drone back where it died, before the guns: each pilot
// lets go in the very pass its kill is told (a key let go still counts as
// held for that pass).
constexpr const char* kHostKills =
    "wait-limit 300\n"
    "at 1 wait message \"Bob has joined the game.\"\n"
    "at 2 key F3\nat 4 key F3\nat 6 key F3\nat 8 key F3\nat 10 key F3\n"
    "at 30 press Space\n"
    "at 30 wait message \"Ann killed Drone A!\"\n"
    "at 30 release Space\n"
    "at 30 wait message \"Bob killed Drone B!\"\n"
    "at 90 quit\n";
constexpr const char* kClientKills =
    "wait-limit 300\n"
    "at 1 wait message \"Ann killed Drone A!\"\n"
    "at 2 key F3\nat 4 key F3\nat 6 key F3\nat 8 key F3\nat 10 key F3\n"
    "at 12 press Space\n"
    "at 12 wait message \"Bob killed Drone B!\"\n"
    "at 12 release Space\n"
    "at 40 quit\n";

NetGame FromTranscripts(const std::string& host, const std::string& client) {
    NetGame game;
    game.status = 0;
    for (const auto& [pilot, text] : {std::pair{"Ann", &host}, std::pair{"Bob", &client}}) {
        std::istringstream in(*text);
        for (std::string line; std::getline(in, line);) game.lines[pilot].push_back(line);
    }
    return game;
}

}  // namespace

// Two ships that never move kill by their keys alone: the host's drone by
// the host, the client's by the client. The client's drone lies ahead of the
// client's start and far off the host's line of fire, so only a shot that
// leaves from the client's own gun meets it. Every machine tells each kill
// once under its killer's name, ends with the same scores for the players
// it still holds (the client leaves first, the host then holds only its
// own) and holds every shared object where the host holds it.
TEST(NetworkFlight, StillShipsKillByTheirKeysAndEveryMachineAgrees) {
    HostAndClient pair;
    ASSERT_TRUE(pair.Ready()) << pair.Failure();
    auto host = pair.Run("host", {"--mission", "netduel.uli", "--seconds", "60", "--host", "--pilot", "Ann", "--script",
                                  pair.Script("ann.txt", kHostKills)});
    ASSERT_TRUE(host->WaitForLine("hosting \"", 15000)) << host->Transcript();
    auto client = pair.Run("client", {"--join", "--seconds", "60", "--pilot", "Bob", "--script",
                                      pair.Script("bob.txt", kClientKills)});
    EXPECT_EQ(client->Wait(45000), 0) << client->Transcript();
    EXPECT_EQ(host->Wait(20000), 0) << host->Transcript();

    const NetGame game = FromTranscripts(host->Transcript(), client->Transcript());
    const std::string transcript = host->Transcript() + client->Transcript();
    EXPECT_EQ(game.Starting("Ann", "hosting ").size(), 1u) << transcript;
    for (const char* pilot : {"Ann", "Bob"}) {
        EXPECT_EQ(game.Starting(pilot, "message \"Ann killed").size(), 1u) << pilot << transcript;
        EXPECT_EQ(game.Starting(pilot, "message \"Bob killed").size(), 1u) << pilot << transcript;
        EXPECT_TRUE(game.Shows(pilot, "message \"Ann killed Drone A!\"")) << pilot << transcript;
        EXPECT_TRUE(game.Shows(pilot, "message \"Bob killed Drone B!\"")) << pilot << transcript;
    }
    EXPECT_EQ(Scores(game, "Bob"), (std::map<std::string, std::string>{{"Ann", "score 1 kills 1"}, {"Bob", "score 1 kills 1"}}))
        << transcript;
    ExpectSameScores(game, {"Bob"}, transcript);
    ExpectSameMatrices(game, {"Bob"}, transcript);
    // Nothing flies here: every shared object stands where the host has it.
    const auto hosted = Matrices(game, "Ann");
    for (const auto& [uoid, held] : Matrices(game, "Bob")) {
        const auto found = hosted.find(uoid);
        if (uoid >= kClientUoidBase || found == hosted.end()) continue;
        for (size_t i = 9; i < 12; ++i) EXPECT_NEAR(held[i], found->second[i], 0.5) << uoid << " word " << i << transcript;
    }
    // The client's ship ends where it launched, on its own start.
    std::map<long long, int> types;
    std::string twice;
    ASSERT_TRUE(ObjectTable(game, "Bob", &types, &twice)) << twice << transcript;
    const auto own = std::find_if(types.begin(), types.end(), [](const auto& entry) { return entry.second == kPlayerShip; });
    ASSERT_NE(own, types.end()) << transcript;
    const std::vector<double> ship = Matrices(game, "Bob")[own->first];
    ASSERT_EQ(ship.size(), 12u) << transcript;
    EXPECT_NEAR(ship[9], 212.13, 0.5) << transcript;
    EXPECT_NEAR(ship[11], 212.13, 0.5) << transcript;
}

namespace {

// Each pilot of the range switches its ECM as soon as it flies: Ann, the
// host, on before anybody has joined, then says so; Bob on (the host may
// not know his ship yet), then says so; Cid, who comes once Bob has
// spoken, on and off again, then says so. Ann ends the game once Bob and
// Cid have spoken, and the clients then end with it.
constexpr const char* kHostHears =
    "wait-limit 400\n"
    "at 2 key C\n"
    "at 5 key 41\nat 7 type ecm\nat 10 key Enter\n"
    "at 11 wait message \"Bob: [on]\"\n"
    "at 11 wait message \"Cid: [off]\"\n"
    "at 50 quit\n";
constexpr const char* kFirstSwitchesOn =
    "wait-limit 400\n"
    "at 2 key C\n"
    "at 5 key 41\nat 7 type on\nat 10 key Enter\n"
    "at 11 wait message \"You have been disconnected from the server!\"\n"
    "at 100 quit\n";
constexpr const char* kSecondSwitchesOnAndOff =
    "wait-limit 400\n"
    "at 2 key C\nat 12 key C\n"
    "at 15 key 41\nat 17 type off\nat 20 key Enter\n"
    "at 21 wait message \"You have been disconnected from the server!\"\n"
    "at 100 quit\n";

// The uoid of a client's own ship, from the `object U 15 "NAME"` line of its report; -1 without one.
int OwnShip(const std::string& lines) {
    std::smatch ship;
    return std::regex_search(lines, ship, std::regex("\nobject (\\d+) 15 ")) ? std::stoi(ship[1]) : -1;
}

// Ann hosts netrespawn.uli in a raider; Bob, then Cid join it. Cid starts
// straight ahead of Ann, turns his shields' power down (Shift+F1) and says
// so; Ann's gun, fired once she has heard him, brings him down. Six seconds
// later every machine has him back at his start, shields restored; once he
// has turned them down again (7.5 s after the kill) and said so, Ann fires
// again, brings him down again, and he comes back once more. Bob only looks
// on. Waits in a row hear the same lines, so Bob's two are parted by a key
// that does nothing here (the chase view, already shown). Ann waits while
// both members start after her; every other wait gives up after 20 s.
constexpr const char* kHostShoots =
    "wait-limit 600\n"
    "at 1 wait message \"Cid: [down]\"\n"
    "at 2 key F3\nat 4 key F3\nat 6 key F3\nat 8 key F3\nat 10 key F3\n"
    "at 12 press Space\n"
    "at 12 wait message \"Ann killed Cid!\"\n"
    "at 12 release Space\n"
    "at 13 wait message \"Cid: [down]\"\n"
    "at 14 press Space\n"
    "at 14 wait message \"Ann killed Cid!\"\n"
    "at 14 release Space\n"
    "at 15 wait message \"Cid has left the game.\"\n"
    "at 17 quit\n";
constexpr const char* kClientLooksOn =
    "wait-limit 400\n"
    "at 1 wait message \"Ann killed Cid!\"\n"
    "at 2 key F10\n"
    "at 3 wait message \"Ann killed Cid!\"\n"
    "at 143 quit\n";
constexpr const char* kClientIsShot =
    "wait-limit 400\n"
    "at 2 press 42\nat 3 key F1\nat 5 key F1\nat 7 key F1\nat 9 key F1\nat 11 key F1\nat 13 key F1\nat 15 release 42\n"
    "at 17 key 41\nat 19 type down\nat 22 key Enter\n"
    "at 22 wait message \"Ann killed Cid!\"\n"
    "at 172 press 42\nat 173 key F1\nat 175 key F1\nat 177 key F1\nat 179 key F1\nat 181 key F1\nat 183 key F1\n"
    "at 185 release 42\n"
    "at 187 key 41\nat 189 type down\nat 192 key Enter\n"
    "at 192 wait message \"Ann killed Cid!\"\n"
    "at 342 quit\n";

// The uoid of the ship a pilot's own machine flies (its one object of the
// player's ship type), or -1.
long long OwnShip(const NetGame& game, const std::string& pilot) {
    std::map<long long, int> types;
    std::string twice;
    if (!ObjectTable(game, pilot, &types, &twice)) return -1;
    for (const auto& [uoid, type] : types) {
        if (type == kPlayerShip) return uoid;
    }
    return -1;
}

double Distance(const std::vector<double>& a, const std::vector<double>& b) {
    return std::sqrt((a[9] - b[9]) * (a[9] - b[9]) + (a[10] - b[10]) * (a[10] - b[10]) + (a[11] - b[11]) * (a[11] - b[11]));
}

}  // namespace

// Every pilot's ECM is its own to switch, and every machine of the game
// holds it as switched, whenever that was: Ann's, switched before anybody
// joined, and Bob's, switched before Cid joined and maybe before the host
// knew his ship, on (at the standard range) on every machine; Cid's,
// switched on and off again, off everywhere. The machines wait for each
// other by the lines they print, never by the clock.
TEST(NetworkFlight, AClientsEcmReachesTheHostAndTheOtherMembers) {
    HostAndClient game;
    ASSERT_TRUE(game.Ready()) << game.Failure();
    auto host = game.Pilot("Ann", 60, kHostHears, {"--mission", "netduel.uli", "--host"});
    ASSERT_TRUE(host->WaitForLine("message \"Ann: [ecm]\"", 20000)) << host->Transcript();
    auto bob = game.Pilot("Bob", 60, kFirstSwitchesOn);
    ASSERT_TRUE(host->WaitForLine("message \"Bob: [on]\"", 30000)) << host->Transcript() << bob->Transcript();
    auto cid = game.Pilot("Cid", 60, kSecondSwitchesOnAndOff);
    EXPECT_EQ(host->Wait(45000), 0) << host->Transcript();
    EXPECT_EQ(bob->Wait(20000), 0) << bob->Transcript();
    EXPECT_EQ(cid->Wait(20000), 0) << cid->Transcript();

    const int annShip = OwnShip(host->Transcript()), bobShip = OwnShip(bob->Transcript()),
              cidShip = OwnShip(cid->Transcript());
    ASSERT_GE(annShip, 0) << host->Transcript();
    ASSERT_GE(bobShip, 0) << bob->Transcript();
    ASSERT_GE(cidShip, 0) << cid->Transcript();
    for (const std::string& lines : {host->Transcript(), bob->Transcript(), cid->Transcript()}) {
        EXPECT_NE(lines.find("\necm " + std::to_string(annShip) + " 1000\n"), std::string::npos) << lines;
        EXPECT_NE(lines.find("\necm " + std::to_string(bobShip) + " 1000\n"), std::string::npos) << lines;
        EXPECT_EQ(lines.find("\necm " + std::to_string(cidShip) + " "), std::string::npos) << lines;
    }
}

// A client pilot shot down flies again on every machine: each of them tells
// both deaths and both returns at his start, 300 units ahead of the host
// (not the origin, where the host's ship stands), the host's second volley
// after the first return kills him on every machine, and every machine
// ends holding each pilot's ship where its own pilot holds it, no two of
// them hull on hull.
TEST(NetworkFlight, AClientPilotShotDownFliesAgainOnEveryMachine) {
    HostAndClient game;
    ASSERT_TRUE(game.Ready()) << game.Failure();
    auto ann = game.Pilot("Ann", 120, kHostShoots, {"--mission", "netrespawn.uli", "--host"});
    ASSERT_TRUE(ann->WaitForLine("hosting \"", 15000)) << ann->Transcript();
    // Bob first: the places of the table decide the starts.
    auto bob = game.Pilot("Bob", 120, kClientLooksOn);
    ASSERT_TRUE(bob->WaitForLine("joined \"", 15000)) << bob->Transcript();
    auto cid = game.Pilot("Cid", 120, kClientIsShot);
    EXPECT_EQ(bob->Wait(90000), 0) << bob->Transcript();
    EXPECT_EQ(cid->Wait(30000), 0) << cid->Transcript();
    EXPECT_EQ(ann->Wait(30000), 0) << ann->Transcript();

    NetGame played;
    played.status = 0;
    for (const auto& [pilot, process] : {std::pair{"Ann", ann.get()}, std::pair{"Bob", bob.get()}, std::pair{"Cid", cid.get()}}) {
        std::istringstream in(process->Transcript());
        for (std::string line; std::getline(in, line);) played.lines[pilot].push_back(line);
    }
    const std::string transcript = ann->Transcript() + bob->Transcript() + cid->Transcript();
    const std::vector<std::string> pilots{"Ann", "Bob", "Cid"};
    std::map<std::string, long long> ships;
    for (const std::string& pilot : pilots) {
        ships[pilot] = OwnShip(played, pilot);
        ASSERT_GE(ships[pilot], 0) << pilot << transcript;
    }
    const std::string cidsReturn = "respawn " + std::to_string(ships["Cid"]) + " ";
    for (const std::string& pilot : pilots) {
        EXPECT_EQ(played.Starting(pilot, "message \"Ann killed Cid!\"").size(), 2u) << pilot << transcript;
        // Each death told, by the raider.
        const std::vector<std::string> deaths = played.Starting(pilot, "destroyed ");
        EXPECT_EQ(std::count_if(deaths.begin(), deaths.end(),
                                [](const std::string& line) { return line.ends_with(" \"Raider\""); }),
                  2)
            << pilot << transcript;
        // Every return is Cid's, at his start.
        const std::vector<std::string> returns = played.Starting(pilot, "respawn ");
        EXPECT_EQ(returns.size(), 2u) << pilot << transcript;
        for (const std::string& line : returns) {
            ASSERT_EQ(line.rfind(cidsReturn, 0), 0u) << pilot << " " << line << transcript;
            std::istringstream at(line.substr(cidsReturn.size()));
            double x = 0.0, y = 0.0, z = 0.0;
            at >> x >> y >> z;
            EXPECT_NEAR(x, 0.0, 1.0) << pilot << " " << line;
            EXPECT_NEAR(y, 0.0, 1.0) << pilot << " " << line;
            EXPECT_NEAR(z, 300.0, 1.0) << pilot << " " << line;
        }
    }
    // Where each pilot holds its own ship, every machine holds it.
    std::map<std::string, std::map<long long, std::vector<double>>> held;
    for (const std::string& pilot : pilots) held[pilot] = Matrices(played, pilot);
    for (const std::string& owner : pilots) {
        const std::vector<double>& own = held[owner][ships[owner]];
        ASSERT_EQ(own.size(), 12u) << owner << transcript;
        for (const std::string& pilot : pilots) {
            const std::vector<double>& copy = held[pilot][ships[owner]];
            ASSERT_EQ(copy.size(), 12u) << pilot << " holds no ship of " << owner << transcript;
            EXPECT_LT(Distance(copy, own), 3.0) << pilot << " holds " << owner << "'s ship elsewhere" << transcript;
            for (const std::string& other : pilots) {
                if (other == owner || held[pilot][ships[other]].size() != 12u) continue;
                EXPECT_GE(Distance(copy, held[pilot][ships[other]]), 30.0)
                    << pilot << " holds " << owner << " and " << other << " together" << transcript;
            }
        }
    }
    EXPECT_NEAR(held["Cid"][ships["Cid"]][11], 300.0, 1.0) << transcript;
}

namespace {

// Ann hosts netgate.uli; Bob, then Cid join it. Once Cid is in, Bob opens
// his throttle and flies into the gate ahead of his start; Cid only looks
// on. Ann ends the game ten seconds after Bob's jump met the shared goal of
// passing the gate, past the six seconds in which a wreck would have been
// brought back; the clients then end with it, waiting as long as she may
// take for those passes.
constexpr const char* kHostWaitsOut =
    "wait-limit 2400\n"
    "at 1 wait message \"Cid has joined the game.\"\n"
    "at 1 wait goal 1 met\n"
    "at 201 quit\n";
constexpr const char* kClientFliesThroughTheGate =
    "wait-limit 2400\n"
    "at 1 wait message \"Cid has joined the game.\"\n"
    "at 20 press 13\nat 60 release 13\n"
    "at 61 wait message \"You have been disconnected from the server!\"\n"
    "at 70 quit\n";
constexpr const char* kClientStays =
    "wait-limit 2400\n"
    "at 1 wait message \"You have been disconnected from the server!\"\n"
    "at 10 quit\n";

// The uoids a pilot's report holds out of the world.
std::set<int> Inactive(const std::string& lines) {
    std::set<int> uoids;
    const std::regex line("\ninactive (\\d+)\n");
    for (auto it = std::sregex_iterator(lines.begin(), lines.end(), line); it != std::sregex_iterator(); ++it) {
        uoids.insert(std::stoi((*it)[1].str()));
    }
    return uoids;
}

}  // namespace

// A client who leaves through the gate is gone on every machine: the host,
// the client himself and another member end holding his ship out of the
// world, many seconds after the jump, and none of them ever tells it back;
// the two ships that stayed still fly everywhere.
TEST(NetworkFlight, AClientWhoJumpsOutIsGoneOnEveryMachineForGood) {
    HostAndClient game;
    ASSERT_TRUE(game.Ready()) << game.Failure();
    auto ann = game.Pilot("Ann", 60, kHostWaitsOut, {"--mission", "netgate.uli", "--host"});
    ASSERT_TRUE(ann->WaitForLine("hosting \"", 15000)) << ann->Transcript();
    // Bob first: his place in the table puts him before the gate.
    auto bob = game.Pilot("Bob", 60, kClientFliesThroughTheGate);
    ASSERT_TRUE(bob->WaitForLine("joined \"", 15000)) << bob->Transcript();
    auto cid = game.Pilot("Cid", 60, kClientStays);
    ASSERT_TRUE(ann->WaitForLine("goal 1 met", 30000)) << bob->Transcript() << ann->Transcript();
    const auto jumped = std::chrono::steady_clock::now();
    EXPECT_EQ(ann->Wait(40000), 0) << ann->Transcript();
    const auto ended = std::chrono::steady_clock::now();
    EXPECT_EQ(bob->Wait(20000), 0) << bob->Transcript();
    EXPECT_EQ(cid->Wait(20000), 0) << cid->Transcript();
    // The host's end came well past the jump's 1.8 s and a wreck's 6 s.
    EXPECT_GE(ended - jumped, std::chrono::seconds(9));

    const std::string transcript = ann->Transcript() + bob->Transcript() + cid->Transcript();
    const int annShip = OwnShip(ann->Transcript()), bobShip = OwnShip(bob->Transcript()), cidShip = OwnShip(cid->Transcript());
    ASSERT_GE(annShip, 0) << transcript;
    ASSERT_GE(bobShip, 0) << transcript;
    ASSERT_GE(cidShip, 0) << transcript;
    for (const std::string& lines : {ann->Transcript(), bob->Transcript(), cid->Transcript()}) {
        EXPECT_NE(lines.find("\nobject " + std::to_string(bobShip) + " "), std::string::npos) << lines;
        const std::set<int> out = Inactive(lines);
        EXPECT_EQ(out.count(bobShip), 1u) << lines;
        EXPECT_EQ(out.count(annShip), 0u) << lines;
        EXPECT_EQ(out.count(cidShip), 0u) << lines;
        EXPECT_EQ(lines.find("\nrespawn " + std::to_string(bobShip) + " "), std::string::npos) << lines;
    }
}

namespace {

// Bob chooses his missiles (a group key's first press only chooses) and
// launches all four; Ann calls the depot in by a short hop. Each wait hears
// an answer to its pilot's step before it.
constexpr const char* kHostCallsTheDepot =
    "wait-limit 1200\nat 1 wait message \"Bob: [dry]\"\nat 1 wait message \"Cid has joined the game.\"\n"
    "at 2 press 13\nat 6 release 13\nat 7 wait goal 2 met\nat 8 press 12\nat 28 release 12\n"
    "at 29 key 41\nat 31 type down\nat 34 key Enter\nat 35 wait message \"Bob: [again]\"\nat 55 quit\n";
constexpr const char* kClientRearms =
    "wait-limit 1200\nat 1 wait goal 1 met\nat 2 key 3\nat 22 key 3\nat 44 key 3\nat 66 key 3\nat 88 key 3\n"
    "at 90 key 41\nat 92 type dry\nat 95 key Enter\nat 96 wait goal 0 met\nat 96 wait message \"Ann: [down]\"\n"
    "at 97 key 3\nat 99 key 41\nat 101 type again\nat 104 key Enter\n"
    "at 105 wait message \"You have been disconnected from the server!\"\nat 106 quit\n";

}  // namespace

// Bob, resting where he started beside the place of netdepot.uli's depot,
// launches his four missiles before it comes; Cid joins. Once it has come,
// Bob's own reload goal (goal 0, never shared) rearms him there, and the
// host his copy: the missile he launches then, numbered after Cid's ship,
// flies on the host and on Cid's machine. The host's ship meets no reload.
TEST(NetworkFlight, AClientRearmsAtADepotByItsOwnReloadGoal) {
    HostAndClient game;
    ASSERT_TRUE(game.Ready()) << game.Failure();
    auto ann = game.Pilot("Ann", 90, kHostCallsTheDepot, {"--mission", "netdepot.uli", "--host"});
    ASSERT_TRUE(ann->WaitForLine("hosting \"", 15000)) << ann->Transcript();
    auto bob = game.Pilot("Bob", 90, kClientRearms);
    ASSERT_TRUE(ann->WaitForLine("message \"Bob: [dry]\"", 60000)) << ann->Transcript() << bob->Transcript();
    auto cid = game.Pilot("Cid", 90, kClientStays);
    EXPECT_EQ(ann->Wait(60000), 0) << ann->Transcript();
    EXPECT_EQ(bob->Wait(20000), 0) << bob->Transcript();
    EXPECT_EQ(cid->Wait(20000), 0) << cid->Transcript();
    const std::string transcript = ann->Transcript() + bob->Transcript() + cid->Transcript();
    EXPECT_NE(bob->Transcript().find("\ngoal 0 met\n"), std::string::npos) << transcript;
    EXPECT_EQ(ann->Transcript().find("goal 0 met"), std::string::npos) << transcript;
    // The highest numbered of a kind in a machine's world.
    const auto last = [](const std::string& lines, int kind) {
        int uoid = -1;
        const std::regex object("\nobject (\\d+) " + std::to_string(kind) + " ");
        for (auto it = std::sregex_iterator(lines.begin(), lines.end(), object); it != std::sregex_iterator(); ++it) {
            uoid = std::max(uoid, std::stoi((*it)[1].str()));
        }
        return uoid;
    };
    // Cid's ship, as the host numbered it: its own machine may end the
    // flight before it hears the number, when it joins late on a busy one.
    const int cidShip = last(ann->Transcript(), kAiShip);
    ASSERT_GE(cidShip, 0) << transcript;
    for (const std::string& lines : {ann->Transcript(), cid->Transcript()}) EXPECT_GT(last(lines, 12), cidShip) << transcript;
}
