// The lobby picks a provider by a piece of its description and creates its
// interface; providers this machine cannot use are listed but fail.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "platform/SessionProviders.h"
#include "tests/support/ScriptedSessionService.h"

using namespace platform;

namespace {

SessionGuid Id(uint8_t n) {
    SessionGuid id;
    id.bytes[0] = n;
    return id;
}

TEST(SessionProviders, ListsInOrderStopsWhenToldAndOnlyAvailableOnesCreate) {
    ScriptedSessionProviders scripted;
    scripted.Add(Id(1), "IPX Connection", false);
    scripted.Add(Id(2), "Internet TCP/IP Connection");
    scripted.Add(Id(3), "Modem Connection", false);
    scripted.Add(Id(4), "Serial Connection", false);

    struct Search {
        const char* wanted;
        std::vector<std::string> seen;
        SessionGuid found;
    } search{"TCP/IP", {}, {}};
    scripted.providers.Enumerate(
        [](const SessionGuid& id, const char* description, void* context) {
            auto* s = static_cast<Search*>(context);
            s->seen.push_back(description);
            if (std::strstr(description, s->wanted) == nullptr) return true;
            s->found = id;
            return false;
        },
        &search);
    EXPECT_EQ(search.seen, (std::vector<std::string>{"IPX Connection", "Internet TCP/IP Connection"}));

    std::unique_ptr<SessionService> service;
    ASSERT_EQ(scripted.providers.Create(search.found, &service), kSessionOk);
    EXPECT_EQ(service.get(), scripted.created);
    for (uint8_t unavailable : {1, 3, 4, 9}) {
        EXPECT_EQ(scripted.providers.Create(Id(unavailable), &service), kSessionUnavailable) << int(unavailable);
        EXPECT_EQ(service, nullptr);
    }
}

TEST(SessionProviders, TheSystemOffersTcpIp) {
    bool found = false;
    SystemSessionProviders().Enumerate(
        [](const SessionGuid&, const char* description, void* context) {
            *static_cast<bool*>(context) = std::strstr(description, "TCP/IP") != nullptr;
            return false;
        },
        &found);
    EXPECT_TRUE(found);
}

}  // namespace
