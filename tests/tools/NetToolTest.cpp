// tools/nettool as two terminals run it, on 127.0.0.1 with a port the host
// takes from the system (it prints it). Every wait is bounded.
#include <gtest/gtest.h>

#include <signal.h>

#include <memory>
#include <string>

#include "tests/support/ChildProcess.h"

namespace {

constexpr int kWaitMs = 4000;

struct Session {
    std::unique_ptr<ChildProcess> host;
    std::string port;
};

Session StartHost(const std::string& keepAlive) {
    Session session;
    session.host = ChildProcess::Run({VORN_NETTOOL, "host", "0", "Ann's game", "--seconds", "20", "--keepalive", keepAlive});
    std::string line;
    if (session.host && session.host->WaitForLine("hosting \"Ann's game\" on 127.0.0.1:", kWaitMs, &line)) {
        session.port = line.substr(line.rfind(':') + 1);
    }
    return session;
}

std::unique_ptr<ChildProcess> Join(const Session& session, const std::string& name,
                                   const std::vector<std::string>& more) {
    std::vector<std::string> argv{VORN_NETTOOL, "join", "127.0.0.1:" + session.port, name, "--keepalive", "1000"};
    argv.insert(argv.end(), more.begin(), more.end());
    return ChildProcess::Run(argv);
}

TEST(NetTool, AJoinerFindsTheSessionJoinsAndItsTextComesBack) {
    const Session session = StartHost("20000");
    ASSERT_FALSE(session.port.empty()) << session.host->Transcript();
    auto bob = Join(session, "Bob", {"--say", "hello"});
    ASSERT_EQ(bob->Wait(kWaitMs), 0) << bob->Transcript();
    EXPECT_EQ(bob->Transcript(),
              "session \"Ann's game\" 1/8\n"
              "joined \"Ann's game\" as 2\n"
              "received 1 \"hello\"\n");
    EXPECT_TRUE(session.host->WaitForLine("player 2 left", kWaitMs));
    EXPECT_NE(session.host->Transcript().find("player 2 \"Bob\" joined\nreceived 2 \"hello\"\n"), std::string::npos)
        << session.host->Transcript();
}

TEST(NetTool, JoinsReachEarlierJoinersAKilledOneLeavesWithinTheKeepAliveAndAStoppedHostIsLost) {
    const Session session = StartHost("1000");
    ASSERT_FALSE(session.port.empty()) << session.host->Transcript();
    auto bob = Join(session, "Bob", {"--seconds", "10"});
    ASSERT_TRUE(bob->WaitForLine("joined", kWaitMs)) << bob->Transcript();
    auto cy = Join(session, "Cy", {"--seconds", "10"});
    ASSERT_TRUE(cy->WaitForLine("joined \"Ann's game\" as 3", kWaitMs)) << cy->Transcript();
    ASSERT_TRUE(bob->WaitForLine("player 3 \"Cy\" joined", kWaitMs)) << bob->Transcript();

    // No goodbye from a killed process: only the keep-alive notices. A second
    // of silence, a ping's interval to start it, and some slack.
    cy->Signal(SIGKILL);
    EXPECT_TRUE(session.host->WaitForLine("player 3 left", 2000)) << session.host->Transcript();
    EXPECT_TRUE(bob->WaitForLine("player 3 left", 2000)) << bob->Transcript();

    session.host->Signal(SIGTERM);
    EXPECT_EQ(session.host->Wait(kWaitMs), 0);
    EXPECT_TRUE(bob->WaitForLine("player 1 left", kWaitMs)) << bob->Transcript();
    EXPECT_TRUE(bob->WaitForLine("lost", kWaitMs)) << bob->Transcript();
    EXPECT_EQ(bob->Wait(kWaitMs), 1);
}

}  // namespace
