#pragma once
#include <cstdint>
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

    uint32_t sendResult = 0;
    std::vector<Sent> sent;
    std::vector<Kill> kills;
};
