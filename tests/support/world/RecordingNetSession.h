#pragma once
#include <cstdint>
#include <deque>
#include <vector>

#include "net/NetSession.h"

// A session that keeps what it is asked to send and announce instead of
// reaching a network: host or client, with its ids and players set by the
// test, and a result for the sends to give.
class RecordingNetSession : public NetSession {
public:
    static constexpr uint32_t kToAll = 0;

    struct Sent {
        uint32_t from;
        uint32_t to;   // kToAll for SendToAll
        std::vector<uint8_t> bytes;
    };
    struct Kill {
        int32_t killer;
        int32_t victim;
    };

    // An open, connected session: the host with id 1, or a client with id 2
    // whose server is 1.
    explicit RecordingNetSession(bool host);

    uint32_t Send(uint32_t from, uint32_t to, const void* data, uint32_t size) override;
    uint32_t SendToAll(uint32_t from, const void* data, uint32_t size) override;
    void AnnounceKill(int32_t killerUoid, int32_t victimUoid) override;
    // Counts the passes, noting how much had been sent before each, and
    // sends nothing of its own.
    void FlushFrame() override {
        ++flushes;
        flushedAt.push_back(sent.size());
    }
    // Hands out `receiveResults` in order, then "nothing waiting".
    uint32_t Receive(void* buffer, uint32_t size) override;

    uint32_t sendResult = 0;
    std::vector<Sent> sent;
    std::vector<Kill> kills;
    // Kills are also announced for real (scores, texts, rewards), not only recorded.
    bool announceKills = false;
    int flushes = 0;
    std::vector<size_t> flushedAt;
    std::deque<uint32_t> receiveResults;
    int receives = 0;
};
