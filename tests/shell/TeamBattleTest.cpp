// Pilots play a death match in two teams from the first screen through the
// lobby, each a vorn process on 127.0.0.1 playing by a script: Ann hosts it
// and makes "Red", Bob joins and makes "Blue", Cid joins one of them; each
// launches from the hangar once its team is chosen. The machines wait for
// each other by the lines they print.
#include <gtest/gtest.h>

#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "tests/shell/LobbySteps.h"
#include "tests/shell/NetworkRun.h"

namespace {

// The host waits in flight while both members come through the lobby
// after it, one after the other: every wait gives up after two minutes.
constexpr const char* kWaitLimit = "wait-limit 2400\n";
constexpr int kLaunchMs = 120000;
constexpr int kEndMs = 180000;
// What every machine tells of Bob's kill of Cid, on another team and on his own.
constexpr const char* kKill = "Bob killed Cid!";
constexpr const char* kTeammateKill = "Bob killed a teammate!";
constexpr const char* kHostGone = "wait message \"You have been disconnected from the server!\"";

// The sample host's steps up to TCP/IP, then "Death Match" with "Normal" and
// "Teams" latched (no asteroids, mines, enemies or base), and OK: the game
// is hosted as the team creation opens. The pass of OK.
constexpr int kHostOk = 170;
std::string HostTeamBattle(const LobbyPilots& pilots) {
    return pilots.SampleSteps("host-coop.txt", "at 120 click 320 205", "Ann", "Ace") +
           "# Death Match, Normal, Teams, OK.\n"
           "at 140 click 320 240\n"
           "at 160 click 90 163\n"
           "at 165 click 90 291\n"
           "at 170 click 90 414\n";
}

// A battle's team goes straight to the hangar: its pad is clicked once the
// door, which opens over some passes, is open. Flying from the pass returned
// on, which waits for the flight.
int Launch(int hangarPass, std::string* script) {
    const int pad = hangarPass + 80;
    *script += At(hangarPass, "wait screen HANGAR") + At(pad, "click 320 340") + At(pad, "wait mode 2");
    return pad;
}

// One battle, Cid in team `cidTeam` of the list (0 Red, 1 Blue). Bob and Cid
// start side by side, Cid straight ahead of Bob (the first and second
// members' places beside the arena's spawn station), Bob's nose on him. Cid
// turns his shields' power down (Shift+F1), says so and rolls where he is
// (E held). Bob then takes him as his target (T twice: the first is the
// host's ship), his weapons' power up (F3), and until the kill is told
// holds the guns' and the missiles' triggers (Space, 3) while rolling the
// other way (Q). His missiles leave the nose along its line, through Cid's
// middle, whom they strike wherever the ships turn. The guns aim at an
// enemy in their cone; at a teammate they fire straight ahead from the wing
// tips, at Bob's roll round his nose, and Cid's wings, rolling the other way
// round the line they come along, cross their lines again and again, however
// hits knock him about and however the machines are timed. Bob then says
// so, and the host ends the game.
struct Battle {
    explicit Battle(int team) : cidTeam(team) {}

    std::string AnnScript() const {
        std::string script = kWaitLimit + HostTeamBattle(pilots) + At(kHostOk + 20, "type Red") +
                             At(kHostOk + 25, kAcceptTeam);
        const int flying = Launch(kHostOk + 25, &script);
        return script + At(flying, "wait message \"Bob: [out]\"") + At(flying + 5, "quit");
    }
    std::string BobScript() const {
        std::string script = kWaitLimit + JoinTeamGame(pilots, "Bob", "Bee") + At(kJoined + 20, kCreateTeam) +
                             At(kJoined + 35, "type Blue") + At(kJoined + 40, kAcceptTeam);
        const int flying = Launch(kJoined + 40, &script);
        script += At(flying, "wait message \"Cid: [down]\"");
        for (int press = 0; press < 5; ++press) script += At(flying + 1 + 2 * press, "key F3");
        const int trigger = flying + 15;
        script += At(trigger - 4, "key T") + At(trigger - 2, "key T");
        for (const char* key : {"Space", "3", "Q"}) script += At(trigger, std::string("press ") + key);
        script += At(trigger, std::string("wait message \"") + Kill() + "\"");
        const int off = trigger + 1;
        for (const char* key : {"Space", "3", "Q"}) script += At(off, std::string("release ") + key);
        script += At(off + 5, "key 41") + At(off + 7, "type out");
        return script + At(off + 10, "key Enter") + At(off + 10, kHostGone) + At(off + 20, "quit");
    }
    std::string CidScript() const {
        std::string script = kWaitLimit + JoinTeamGame(pilots, "Cid", "Cay") + At(kJoined + 20, TeamLine(cidTeam)) +
                             At(kJoined + 25, kJoinTeam);
        const int flying = Launch(kJoined + 25, &script);
        script += At(flying + 1, "press 42");
        for (int press = 0; press < 12; ++press) script += At(flying + 2 + 2 * press, "key F1");
        script += At(flying + 26, "release 42") + At(flying + 30, "key 41") + At(flying + 32, "type down");
        const int said = flying + 35;
        const int rolling = said + 2;
        return script + At(said, "key Enter") + At(rolling, "press E") +
               At(rolling, std::string("wait message \"") + Kill() + "\"") + At(rolling, "wait message \"Bob: [out]\"") +
               At(rolling, kHostGone) + At(rolling + 10, "quit");
    }
    const char* Kill() const { return cidTeam == 0 ? kKill : kTeammateKill; }

    int cidTeam;
    LobbyPilots pilots;
    std::unique_ptr<ChildProcess> ann, bob, cid;
};

// The kills a machine told, in order.
std::vector<std::string> KillsTold(const std::string& lines) {
    std::vector<std::string> kills;
    std::istringstream in(lines);
    for (std::string line; std::getline(in, line);) {
        if (line.rfind("message \"", 0) == 0 && line.find(" killed ") != std::string::npos) kills.push_back(line);
    }
    return kills;
}

}  // namespace

// In a death match of two teams every machine holds each pilot's ship on
// its team's side. Bob, on Blue, shoots down Cid, on Red: every machine
// tells "Bob killed Cid!" alone and ends with the kill scored. The same
// attack brings down Cid on Blue, Bob's teammate: every machine tells
// "Bob killed a teammate!" alone, and none scores it. The two games are
// played at once.
TEST(NetworkGame, InATeamBattleAKillAcrossTeamsScoresAndATeammateIsNoEnemy) {
    Battle across(0), within(1);
    const std::vector<Battle*> battles{&across, &within};
    for (Battle* battle : battles) ASSERT_TRUE(battle->pilots.Ready()) << battle->pilots.Failure();
    // Each starts once the one before flies: Bob and Cid take the host's
    // table's places in that order, and Cid finds Bob's team made.
    for (Battle* battle : battles) battle->ann = battle->pilots.Start("Ann", battle->AnnScript());
    for (Battle* battle : battles) {
        ASSERT_TRUE(battle->ann->WaitForLine("launch \"", kLaunchMs)) << battle->ann->Transcript();
    }
    for (Battle* battle : battles) battle->bob = battle->pilots.Start("Bob", battle->BobScript());
    for (Battle* battle : battles) {
        ASSERT_TRUE(battle->bob->WaitForLine("launch \"", kLaunchMs)) << battle->bob->Transcript();
    }
    for (Battle* battle : battles) battle->cid = battle->pilots.Start("Cid", battle->CidScript());
    for (Battle* battle : battles) {
        for (ChildProcess* pilot : {battle->ann.get(), battle->bob.get(), battle->cid.get()}) {
            EXPECT_EQ(pilot->Wait(kEndMs), 0) << pilot->Transcript();
        }
    }

    for (const Battle* battle : battles) {
        const bool enemies = battle == &across;
        // Bob held Cid as his target, 169 m ahead, in either game.
        EXPECT_GE(Count(battle->bob->Transcript(), "hud target \"P102\" 169"), 1) << battle->bob->Transcript();
        const std::vector<std::string> hosted = KillsTold(battle->ann->Transcript());
        EXPECT_EQ(hosted, std::vector<std::string>{std::string("message \"") + battle->Kill() + "\""})
            << battle->ann->Transcript();
        const std::string bobEnds =
            enemies ? "net player \"Bob\" score 1 kills 1" : "net player \"Bob\" score 0 kills 0";
        for (ChildProcess* pilot : {battle->ann.get(), battle->bob.get(), battle->cid.get()}) {
            const std::string lines = pilot->Transcript();
            EXPECT_EQ(KillsTold(lines), hosted) << lines;
            EXPECT_EQ(Count(lines, bobEnds), 1) << lines;
            EXPECT_EQ(Count(lines, "net player \"Cid\" score 0 kills 0"), 1) << lines;
        }
    }
}
