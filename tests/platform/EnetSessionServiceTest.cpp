// Sessions between real processes on 127.0.0.1: this test hosts, forked
// copies of it join. Every wait is bounded; the host listens on a port the
// system picks.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/EnetSessionService.h"
#include "platform/SessionSystemMessage.h"
#include "tests/support/ChildProcess.h"

using namespace platform;

namespace {

constexpr SessionGuid kApplication{{0x76, 0x74, 0x2d, 0x74, 0x65, 0x73, 0x74, 0x2d, 1, 2, 3, 4, 5, 6, 7, 8}};
constexpr SessionGuid kOtherApplication{{0x76, 0x74, 0x2d, 0x74, 0x65, 0x73, 0x74, 0x2d, 9, 9, 9, 9, 9, 9, 9, 9}};
constexpr uint32_t kEnumerationMs = 200;
// The time a connected peer has to make its first player before the host lets it go.
constexpr int kJoinWindowMs = 3000;
constexpr int kWaitMs = 4000;

// Searches with `search` until it finds a session, for kWaitMs at most: a
// host on a loaded machine may answer a search after it has ended.
template <typename Search>
std::vector<SessionDescription> SearchUntilFound(Search search) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kWaitMs);
    std::vector<SessionDescription> found = search();
    while (found.empty() && std::chrono::steady_clock::now() < deadline) found = search();
    return found;
}

struct Received {
    uint32_t from = 0;
    uint32_t to = 0;
    std::string text;                // data
    SessionSystemMessage system;     // from kSystemPlayerId
};

std::string Describe(const Received& r) {
    if (r.from != kSystemPlayerId) return "data " + std::to_string(r.from) + " " + std::to_string(r.to) + " " + r.text;
    if (r.system.type == SessionSystemMessage::kCreatePlayerOrGroup) {
        return "joined " + std::to_string(r.system.id) + " " + r.system.name.shortName + " " + r.system.name.longName;
    }
    if (r.system.type == SessionSystemMessage::kDestroyPlayerOrGroup) return "left " + std::to_string(r.system.id);
    if (r.system.type == SessionSystemMessage::kSessionLost) return "lost";
    return "system " + std::to_string(r.system.type);
}

// Everything waiting now.
std::vector<Received> Drain(SessionService* service) {
    std::vector<Received> all;
    for (;;) {
        std::vector<uint8_t> buffer(kMaxSessionMessageSize);
        Received r;
        uint32_t size = static_cast<uint32_t>(buffer.size());
        if (service->Receive(&r.from, &r.to, buffer.data(), &size) != kSessionOk) return all;
        if (r.from == kSystemPlayerId) {
            EXPECT_TRUE(SessionSystemMessage::Read(buffer.data(), size, &r.system));
        } else {
            r.text.assign(reinterpret_cast<const char*>(buffer.data()), size);
        }
        all.push_back(r);
    }
}

// Serves `service` into `log` until `done` holds; false after kWaitMs.
template <typename Done>
bool ServeUntil(SessionService* service, std::vector<std::string>* log, Done done) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kWaitMs);
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        for (const Received& r : Drain(service)) log->push_back(Describe(r));
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

bool Has(const std::vector<std::string>& log, const std::string& line) {
    return std::find(log.begin(), log.end(), line) != log.end();
}

std::string Joined(const std::vector<std::string>& log) {
    std::string text;
    for (const std::string& line : log) text += line + "\n";
    return text;
}

SessionNetworkSettings Settings(uint16_t port) {
    SessionNetworkSettings settings;
    settings.port = port;
    settings.endpoints = {{"127.0.0.1", port}};
    settings.keepAliveTimeoutMs = 1000;
    return settings;
}

SessionNetworkSettings Relaying(SessionNetworkSettings settings, bool relay) {
    settings.relayBetweenMembers = relay;
    return settings;
}

class Host {
public:
    explicit Host(uint32_t maxPlayers, bool relay = false) : service(Relaying(Settings(0), relay)) {
        SessionDescription description;
        description.flags = kSessionKeepAlive;
        description.application = kApplication;
        description.maxPlayers = maxPlayers;
        description.name = "Ann's game";
        EXPECT_EQ(service.Open(description, kSessionCreate), kSessionOk);
        EXPECT_EQ(service.CreatePlayer({"Ann", "Server"}, &ann), kSessionOk);
        port = service.Port();
    }

    // Serves until the child prints a line starting with `text`; the line.
    std::string UntilChildSays(ChildProcess* child, const std::string& text) {
        std::string line;
        bool seen = false;
        EXPECT_TRUE(ServeUntil(&service, &log, [&] {
            std::string next;
            while (!seen && child->ReadLine(&next, 0)) {
                seen = next.rfind(text, 0) == 0;
                line = next;
            }
            return seen;
        })) << "waiting for \"" << text << "\"; the child said:\n" << child->Transcript();
        return line;
    }

    EnetSessionService service;
    uint32_t ann = 0;
    uint16_t port = 0;
    std::vector<std::string> log;
};

// A joiner in a forked process: finds the session, joins and creates its
// player, reporting each step.
struct Joiner {
    explicit Joiner(uint16_t port) : service(Settings(port)) {}

    bool Join(const std::string& name) {
        SessionDescription wanted;
        wanted.application = kApplication;
        const std::vector<SessionDescription> found = SearchUntilFound([&] {
            std::vector<SessionDescription> listed;
            service.EnumSessions(
                wanted, kEnumerationMs,
                [](const SessionDescription* d, uint32_t, void* context) {
                    if (d != nullptr) static_cast<std::vector<SessionDescription>*>(context)->push_back(*d);
                    return true;
                },
                &listed, kEnumSessionsAvailable);
            return listed;
        });
        for (const SessionDescription& d : found) {
            ChildProcess::Report("session " + d.name + " " + std::to_string(d.currentPlayers) + "/" +
                                 std::to_string(d.maxPlayers));
        }
        if (found.empty() || service.Open(found.front(), kSessionJoin) != kSessionOk) return false;
        if (service.CreatePlayer({name, "Client"}, &self) != kSessionOk) return false;
        ChildProcess::Report("me " + std::to_string(self));
        return true;
    }

    // Reports everything received until `done` holds (false after kWaitMs).
    template <typename Done>
    bool ReportUntil(Done done) {
        std::vector<std::string> log;
        return ServeUntil(&service, &log, [&] {
            for (const std::string& line : log) {
                ChildProcess::Report(line);
                seen.push_back(line);
            }
            log.clear();
            return done();
        });
    }

    EnetSessionService service;
    uint32_t self = 0;
    std::vector<std::string> seen;
};

uint32_t IdAfter(const std::string& line, const std::string& word) {
    return static_cast<uint32_t>(std::stoul(line.substr(line.find(word) + word.size())));
}

TEST(EnetSessionService, AJoinerIsAnnouncedToTheHostAndMessagesGoBothWays) {
    Host host(8);
    auto child = ChildProcess::Fork([port = host.port] {
        Joiner bob(port);
        if (!bob.Join("Bob")) return 1;
        uint32_t ann = 0;
        bob.service.EnumPlayers(
            [](uint32_t id, uint32_t, const SessionPlayerName&, uint32_t, void* context) {
                *static_cast<uint32_t*>(context) = id;
                return false;
            },
            &ann, kEnumPlayersRemote);
        bob.service.Send(bob.self, ann, kSendGuaranteed, "sure", 4);
        bob.service.Send(bob.self, ann, 0, "maybe", 5);
        bob.service.Send(bob.self, kAllPlayers, kSendGuaranteed, "everyone", 8);
        const bool done = bob.ReportUntil([&] { return Has(bob.seen, "data " + std::to_string(ann) + " " + std::to_string(bob.self) + " bye"); });
        return done ? 0 : 1;
    });
    ASSERT_NE(child, nullptr);
    const uint32_t bob = IdAfter(host.UntilChildSays(child.get(), "me "), "me ");
    const std::string from = "data " + std::to_string(bob) + " " + std::to_string(host.ann) + " ";
    ASSERT_TRUE(ServeUntil(&host.service, &host.log, [&] { return Has(host.log, from + "everyone"); }))
        << Joined(host.log);
    EXPECT_TRUE(Has(host.log, "joined " + std::to_string(bob) + " Bob Client")) << Joined(host.log);
    EXPECT_TRUE(Has(host.log, from + "sure"));
    EXPECT_TRUE(Has(host.log, from + "maybe"));

    // Only a local player can be destroyed; Bob stays.
    EXPECT_EQ(host.service.DestroyPlayer(bob), kSessionInvalidPlayer);
    std::vector<uint32_t> players;
    host.service.EnumPlayers(
        [](uint32_t id, uint32_t, const SessionPlayerName&, uint32_t, void* context) {
            static_cast<std::vector<uint32_t>*>(context)->push_back(id);
            return true;
        },
        &players, 0);
    EXPECT_EQ(players, (std::vector<uint32_t>{host.ann, bob}));

    uint32_t cy = 0;
    ASSERT_EQ(host.service.CreatePlayer({"Cy", "Server"}, &cy), kSessionOk);
    host.log.clear();
    EXPECT_EQ(host.service.Send(host.ann, bob, kSendGuaranteed, "sure", 4), kSessionOk);
    EXPECT_EQ(host.service.Send(host.ann, bob, 0, "maybe", 5), kSessionOk);
    EXPECT_EQ(host.service.Send(host.ann, cy, 0, "next door", 9), kSessionOk);
    EXPECT_EQ(host.service.Send(host.ann, host.ann, 0, "self", 4), kSessionOk);
    EXPECT_EQ(host.service.Send(host.ann, kAllPlayers, kSendGuaranteed, "bye", 3), kSessionOk);
    EXPECT_EQ(host.service.Send(host.ann, 999, 0, "nobody", 6), kSessionInvalidPlayer);
    EXPECT_EQ(host.service.Send(bob, host.ann, 0, "forged", 6), kSessionInvalidPlayer);
    ASSERT_EQ(child->Wait(kWaitMs), 0) << child->Transcript();
    for (const Received& r : Drain(&host.service)) host.log.push_back(Describe(r));
    const std::string annTo = "data " + std::to_string(host.ann) + " ";
    EXPECT_EQ(host.log, (std::vector<std::string>{annTo + std::to_string(cy) + " next door",
                                                  annTo + std::to_string(host.ann) + " self",
                                                  annTo + std::to_string(cy) + " bye",
                                                  "left " + std::to_string(bob)}));
    const std::string said = child->Transcript();
    EXPECT_NE(said.find("session Ann's game 1/8\n"), std::string::npos) << said;
    EXPECT_NE(said.find("joined " + std::to_string(cy) + " Cy Server\n"), std::string::npos) << said;
    EXPECT_NE(said.find(annTo + std::to_string(bob) + " sure\n"), std::string::npos) << said;
    EXPECT_NE(said.find(annTo + std::to_string(bob) + " maybe\n"), std::string::npos) << said;
    // Nobody announces Bob to himself, and his own broadcast does not come back.
    EXPECT_EQ(said.find("joined " + std::to_string(bob)), std::string::npos) << said;
    EXPECT_EQ(said.find("everyone"), std::string::npos) << said;
}

TEST(EnetSessionService, AFullSessionIsNeitherListedNorJoinedAndOtherApplicationsAreNotListed) {
    Host host(2);
    auto child = ChildProcess::Fork([port = host.port] {
        Joiner joiner(port);
        auto count = [&](const SessionGuid& application) {
            SessionDescription wanted;
            wanted.application = application;
            std::vector<SessionDescription> found;
            int timedOut = 0;
            struct Seen {
                std::vector<SessionDescription>* found;
                int* timedOut;
            } seen{&found, &timedOut};
            joiner.service.EnumSessions(
                wanted, kEnumerationMs,
                [](const SessionDescription* d, uint32_t flags, void* context) {
                    auto* s = static_cast<Seen*>(context);
                    if (d != nullptr) s->found->push_back(*d);
                    if (d == nullptr && flags == kEnumSessionsTimedOut) ++*s->timedOut;
                    return true;   // the timed-out call must end it all the same
                },
                &seen, kEnumSessionsAvailable);
            ChildProcess::Report("timed out " + std::to_string(timedOut));
            return found;
        };
        ChildProcess::Report("other " + std::to_string(count(kOtherApplication).size()));
        const std::vector<SessionDescription> found = SearchUntilFound([&] { return count(kApplication); });
        if (found.size() != 1) return 1;
        ChildProcess::Report("found " + std::to_string(found[0].currentPlayers) + "/" +
                             std::to_string(found[0].maxPlayers));
        std::string go;
        ChildProcess::Await(&go);
        ChildProcess::Report("open " + std::to_string(joiner.service.Open(found[0], kSessionJoin)));
        ChildProcess::Report("again " + std::to_string(count(kApplication).size()));
        return 0;
    });
    ASSERT_NE(child, nullptr);
    host.UntilChildSays(child.get(), "found ");
    uint32_t cy = 0;
    ASSERT_EQ(host.service.CreatePlayer({"Cy", "Server"}, &cy), kSessionOk);
    uint32_t extra = 0;
    EXPECT_EQ(host.service.CreatePlayer({"Dee", "Server"}, &extra), kSessionRefused);
    EXPECT_EQ(extra, 0u);
    child->Tell("go");
    host.UntilChildSays(child.get(), "again ");
    EXPECT_EQ(child->Wait(kWaitMs), 0);
    const std::string said = child->Transcript();
    EXPECT_NE(said.find("other 0\n"), std::string::npos) << said;
    EXPECT_NE(said.find("found 1/2\n"), std::string::npos) << said;
    EXPECT_NE(said.find("open " + std::to_string(kSessionRefused) + "\n"), std::string::npos) << said;
    EXPECT_NE(said.find("again 0\n"), std::string::npos) << said;
    EXPECT_EQ(said.find("timed out 0"), std::string::npos) << said;
    EXPECT_EQ(said.find("timed out 2"), std::string::npos) << said;
}

TEST(EnetSessionService, SendsAboveTheBacklogAreBusyAboveTheLimitTooBigAndASmallBufferKeepsTheMessage) {
    Host host(8);
    host.service.SetBacklogLimit(3000);
    auto child = ChildProcess::Fork([port = host.port] {
        Joiner bob(port);
        if (!bob.Join("Bob")) return 1;
        // Serves nothing until told, so nothing the host sends is acknowledged.
        std::string done;
        ChildProcess::Await(&done);
        return 0;
    });
    ASSERT_NE(child, nullptr);
    const uint32_t bob = IdAfter(host.UntilChildSays(child.get(), "me "), "me ");
    const std::vector<uint8_t> kilobyte(1000, 0x11);
    EXPECT_EQ(host.service.Send(host.ann, bob, kSendGuaranteed, kilobyte.data(), 1000), kSessionOk);
    EXPECT_EQ(host.service.Send(host.ann, bob, kSendGuaranteed, kilobyte.data(), 1000), kSessionOk);
    EXPECT_EQ(host.service.Send(host.ann, bob, kSendGuaranteed, kilobyte.data(), 1000), kSessionBusy);
    EXPECT_EQ(host.service.Send(host.ann, kAllPlayers, 0, kilobyte.data(), 1000), kSessionBusy);
    child->Tell("done");
    EXPECT_EQ(child->Wait(kWaitMs), 0);

    const std::vector<uint8_t> largest(kMaxSessionMessageSize + 1, 0x22);
    EXPECT_EQ(host.service.Send(host.ann, host.ann, 0, largest.data(), kMaxSessionMessageSize + 1), kSessionTooBig);
    ASSERT_EQ(host.service.Send(host.ann, host.ann, 0, largest.data(), kMaxSessionMessageSize), kSessionOk);
    Drain(&host.service);   // Bob's departure
    ASSERT_EQ(host.service.Send(host.ann, host.ann, 0, largest.data(), kMaxSessionMessageSize), kSessionOk);
    std::vector<uint8_t> buffer(kMaxSessionMessageSize);
    uint32_t from = 0;
    uint32_t to = 0;
    uint32_t size = 100;
    EXPECT_EQ(host.service.Receive(&from, &to, buffer.data(), &size), kSessionBufferTooSmall);
    EXPECT_EQ(size, kMaxSessionMessageSize);
    size = kMaxSessionMessageSize;
    EXPECT_EQ(host.service.Receive(&from, &to, buffer.data(), &size), kSessionOk);
    EXPECT_EQ(size, kMaxSessionMessageSize);
    EXPECT_EQ(host.service.Receive(&from, &to, buffer.data(), &size), kSessionNoMessages);
}

TEST(EnetSessionService, TheHostRelaysBetweenClientsAndAClientThatClosesLeaves) {
    Host host(8, true);
    auto bobProcess = ChildProcess::Fork([port = host.port] {
        Joiner bob(port);
        if (!bob.Join("Bob")) return 1;
        return bob.ReportUntil([&] {
            for (const std::string& line : bob.seen) {
                if (line.find(" hi Bob") != std::string::npos) return true;
            }
            return false;
        }) ? 0 : 1;
    });
    ASSERT_NE(bobProcess, nullptr);
    const uint32_t bob = IdAfter(host.UntilChildSays(bobProcess.get(), "me "), "me ");
    auto cyProcess = ChildProcess::Fork([port = host.port] {
        Joiner cy(port);
        if (!cy.Join("Cy")) return 1;
        std::string to;
        if (!ChildProcess::Await(&to)) return 1;
        cy.service.Send(cy.self, static_cast<uint32_t>(std::stoul(to)), kSendGuaranteed, "hi Bob", 6);
        cy.service.Close();
        return 0;
    });
    ASSERT_NE(cyProcess, nullptr);
    const uint32_t cy = IdAfter(host.UntilChildSays(cyProcess.get(), "me "), "me ");
    cyProcess->Tell(std::to_string(bob));
    ASSERT_TRUE(ServeUntil(&host.service, &host.log, [&] { return Has(host.log, "left " + std::to_string(cy)); }))
        << Joined(host.log);
    EXPECT_EQ(cyProcess->Wait(kWaitMs), 0) << cyProcess->Transcript();
    std::string line;
    bool relayed = false;
    ASSERT_TRUE(ServeUntil(&host.service, &host.log, [&] {
        const std::string wanted = "data " + std::to_string(cy) + " " + std::to_string(bob) + " hi Bob";
        while (!relayed && bobProcess->ReadLine(&line, 0)) relayed = line == wanted;
        return relayed;
    })) << bobProcess->Transcript();
    EXPECT_EQ(bobProcess->Wait(kWaitMs), 0);
    EXPECT_NE(bobProcess->Transcript().find("joined " + std::to_string(cy) + " Cy Client"), std::string::npos);
}


// A host served on a thread of this process, so that a joiner on the test's
// thread can be answered while it waits: sessions without a second process.
// The host is touched from the test's thread only while it is not served.
class ServedHost {
public:
    ServedHost(uint32_t maxPlayers, bool relay) : host_(maxPlayers, relay) {}
    ~ServedHost() { Stop(); }

    void Serve() {
        stop_ = false;
        thread_ = std::thread([this] {
            while (!stop_) {
                const std::vector<Received> got = Drain(&host_.service);
                {
                    const std::lock_guard lock(mutex_);
                    for (const Received& r : got) log_.push_back(Describe(r));
                }
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            }
        });
    }
    void Stop() {
        stop_ = true;
        if (thread_.joinable()) thread_.join();
    }
    // Whether the host has heard `line`, waiting for it up to kWaitMs.
    bool Heard(const std::string& line) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kWaitMs);
        while (std::chrono::steady_clock::now() < deadline) {
            {
                const std::lock_guard lock(mutex_);
                if (Has(log_, line)) return true;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        return false;
    }
    std::string Log() {
        const std::lock_guard lock(mutex_);
        return Joined(log_);
    }

    Host& host() { return host_; }

private:
    Host host_;
    std::thread thread_;
    std::atomic<bool> stop_{false};
    std::mutex mutex_;
    std::vector<std::string> log_;
};

// Every session the joiner finds for the application, searching again
// while it finds none.
std::vector<SessionDescription> Find(EnetSessionService* joiner, bool firstOnly = false) {
    return SearchUntilFound([&] {
        SessionDescription wanted;
        wanted.application = kApplication;
        struct Search {
            std::vector<SessionDescription> found;
            bool firstOnly = false;
            bool timedOut = false;
        } search{{}, firstOnly};
        EXPECT_EQ(joiner->EnumSessions(
                      wanted, kEnumerationMs,
                      [](const SessionDescription* d, uint32_t flags, void* context) {
                          auto* const s = static_cast<Search*>(context);
                          if (d != nullptr) s->found.push_back(*d);
                          if (flags == kEnumSessionsTimedOut) s->timedOut = true;
                          return !s->firstOnly;
                      },
                      &search, kEnumSessionsAvailable),
                  kSessionOk);
        // A search stopped by its callback is over: no time-out call follows it.
        EXPECT_EQ(search.timedOut, !(firstOnly && !search.found.empty()));
        return search.found;
    });
}

// Serves a joiner until it has received `line`; false after kWaitMs.
bool JoinerHears(EnetSessionService* joiner, std::vector<std::string>* log, const std::string& line) {
    return ServeUntil(joiner, log, [&] { return Has(*log, line); });
}

TEST(EnetSessionServiceInProcess, MembersLeavingAndBroadcastsAreToldToEveryone) {
    ServedHost served(8, true);
    Host& host = served.host();
    served.Serve();

    EnetSessionService bob(Settings(host.port));
    const std::vector<SessionDescription> found = Find(&bob, true);
    ASSERT_EQ(found.size(), 1u);
    ASSERT_EQ(bob.Open(found[0], kSessionJoin), kSessionOk);
    EXPECT_EQ(bob.Open(found[0], kSessionJoin), kSessionInvalidParams);   // already in one
    uint32_t bobId = 0;
    ASSERT_EQ(bob.CreatePlayer({"Bob", "Client"}, &bobId), kSessionOk);
    // One player for each machine: a second would take a place another machine waits for.
    uint32_t second = 0;
    EXPECT_EQ(bob.CreatePlayer({"Bob2", "Client"}, &second), kSessionRefused);
    EXPECT_EQ(second, 0u);

    EnetSessionService cy(Settings(host.port));
    ASSERT_EQ(cy.Open(Find(&cy).at(0), kSessionJoin), kSessionOk);
    uint32_t cyId = 0;
    ASSERT_EQ(cy.CreatePlayer({"Cy", "Client"}, &cyId), kSessionOk);
    std::vector<std::string> bobLog;
    std::vector<std::string> cyLog;
    ASSERT_TRUE(JoinerHears(&bob, &bobLog, "joined " + std::to_string(cyId) + " Cy Client")) << Joined(bobLog);

    // A broadcast from one member reaches the host's players and, relayed,
    // the other member's.
    ASSERT_EQ(bob.Send(bobId, kAllPlayers, kSendGuaranteed, "all hands", 9), kSessionOk);
    EXPECT_TRUE(served.Heard("data " + std::to_string(bobId) + " " + std::to_string(host.ann) + " all hands"))
        << served.Log();
    EXPECT_TRUE(JoinerHears(&cy, &cyLog, "data " + std::to_string(bobId) + " " + std::to_string(cyId) + " all hands"))
        << Joined(cyLog);

    // A member's player leaving is told to the host and to the other member.
    ASSERT_EQ(bob.DestroyPlayer(bobId), kSessionOk);
    EXPECT_EQ(bob.DestroyPlayer(bobId), kSessionInvalidPlayer);
    EXPECT_TRUE(served.Heard("left " + std::to_string(bobId))) << served.Log();
    EXPECT_TRUE(JoinerHears(&cy, &cyLog, "left " + std::to_string(bobId))) << Joined(cyLog);

    // And so is the host's own.
    served.Stop();
    EXPECT_EQ(host.service.DestroyPlayer(host.ann), kSessionOk);
    served.Serve();
    EXPECT_TRUE(JoinerHears(&cy, &cyLog, "left " + std::to_string(host.ann))) << Joined(cyLog);
    EXPECT_TRUE(JoinerHears(&bob, &bobLog, "left " + std::to_string(host.ann))) << Joined(bobLog);

    // Groups are no part of these sessions.
    uint32_t group = 7;
    EXPECT_EQ(cy.CreateGroup({"Wing", "Wing"}, &group), kSessionUnsupported);
    EXPECT_EQ(group, 0u);
    EXPECT_EQ(cy.DestroyGroup(1), kSessionUnsupported);
    EXPECT_EQ(cy.AddPlayerToGroup(1, cyId), kSessionUnsupported);
    EXPECT_EQ(cy.DeletePlayerFromGroup(1, cyId), kSessionUnsupported);

    cy.Close();
    EXPECT_TRUE(served.Heard("left " + std::to_string(cyId))) << served.Log();

    // The host going away takes everyone reached through it, and the session.
    served.Stop();
    uint32_t dee = 0;
    ASSERT_EQ(host.service.CreatePlayer({"Dee", "Server"}, &dee), kSessionOk);
    served.Serve();
    ASSERT_TRUE(JoinerHears(&bob, &bobLog, "joined " + std::to_string(dee) + " Dee Server")) << Joined(bobLog);
    served.Stop();
    host.service.Close();
    EXPECT_TRUE(JoinerHears(&bob, &bobLog, "lost")) << Joined(bobLog);
    EXPECT_TRUE(Has(bobLog, "left " + std::to_string(dee))) << Joined(bobLog);
}

// A member whose player leaves has joined all the same: long after the
// window in which a peer must make its first player, it keeps its place,
// holding none, and comes back with another.
TEST(EnetSessionServiceInProcess, AMemberWithoutAPlayerNowIsNoLatecomer) {
    ServedHost served(8, false);
    served.Serve();
    EnetSessionService bob(Settings(served.host().port));
    ASSERT_EQ(bob.Open(Find(&bob, true).at(0), kSessionJoin), kSessionOk);
    uint32_t first = 0;
    ASSERT_EQ(bob.CreatePlayer({"Bob", "Client"}, &first), kSessionOk);
    ASSERT_EQ(bob.DestroyPlayer(first), kSessionOk);
    ASSERT_TRUE(served.Heard("left " + std::to_string(first))) << served.Log();
    // Past the join window and the host's look at its latecomers after it.
    std::vector<std::string> log;
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(kJoinWindowMs + 600);
    ServeUntil(&bob, &log, [&] { return std::chrono::steady_clock::now() >= end; });
    EXPECT_FALSE(Has(log, "lost")) << Joined(log);
    uint32_t second = 0;
    ASSERT_EQ(bob.CreatePlayer({"Bob", "Client"}, &second), kSessionOk);
    EXPECT_TRUE(served.Heard("joined " + std::to_string(second) + " Bob Client")) << served.Log();
}

TEST(EnetSessionServiceInProcess, AJoinThatIsRefusedOrUnansweredLeavesTheJoinerClosed) {
    ServedHost served(2, false);
    Host& host = served.host();
    served.Serve();
    SessionNetworkSettings settings = Settings(host.port);
    settings.answerTimeoutMs = 300;
    EnetSessionService joiner(settings);
    const std::vector<SessionDescription> found = Find(&joiner);
    ASSERT_EQ(found.size(), 1u);

    // The last place is taken between the search and the join.
    served.Stop();
    uint32_t cy = 0;
    ASSERT_EQ(host.service.CreatePlayer({"Cy", "Server"}, &cy), kSessionOk);
    served.Serve();
    EXPECT_EQ(joiner.Open(found[0], kSessionJoin), kSessionRefused);
    uint32_t self = 0;
    EXPECT_EQ(joiner.CreatePlayer({"Bob", "Client"}, &self), kSessionUninitialized);

    // The host goes away between the search and the join.
    served.Stop();
    served.host().service.Close();
    EXPECT_EQ(joiner.Open(found[0], kSessionJoin), kSessionTimedOut);
    EXPECT_EQ(joiner.CreatePlayer({"Bob", "Client"}, &self), kSessionUninitialized);

    // A session never found cannot be joined, and there is no third way to open one.
    SessionDescription unknown;
    unknown.application = kApplication;
    EXPECT_EQ(joiner.Open(unknown, kSessionJoin), kSessionNoSessions);
    EXPECT_EQ(joiner.Open(unknown, 0x7F), kSessionInvalidParams);
}

}  // namespace

// A host listens where the command line says, on one address of the machine
// or on all of them, not on the loopback alone or everywhere regardless.
TEST(EnetSessionService, SettingsListenOnTheAddressNamedAndLookThere) {
    const platform::SessionNetworkSettings named = platform::SettingsForAddress("10.1.2.3", 28001);
    EXPECT_EQ(named.bindAddress, "10.1.2.3");
    EXPECT_EQ(named.port, 28001);
    ASSERT_EQ(named.endpoints.size(), 1u);
    EXPECT_EQ(named.endpoints[0].address, "10.1.2.3");
    EXPECT_EQ(named.endpoints[0].port, 28001);

    const platform::SessionNetworkSettings all = platform::SettingsForAddress("0.0.0.0", 28002);
    EXPECT_EQ(all.bindAddress, "0.0.0.0");
    ASSERT_EQ(all.endpoints.size(), 1u);
    EXPECT_EQ(all.endpoints[0].address, "127.0.0.1");   // 0.0.0.0 is no machine to ask

    EXPECT_EQ(platform::SettingsForAddress("127.0.0.1", 0).bindAddress, "127.0.0.1");

    // A broadcast or multicast address would take the port but never a peer: no game is hosted there.
    for (const char* address : {"255.255.255.255", "224.0.0.1"}) {
        platform::EnetSessionService service(platform::SettingsForAddress(address, 0));
        platform::SessionDescription description;
        description.maxPlayers = 2;
        EXPECT_EQ(service.Open(description, platform::kSessionCreate), platform::kSessionInvalidParams) << address;
    }
}
