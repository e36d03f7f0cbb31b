#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/SessionRecords.h"

namespace platform {

// What session services say to one another, field by field, little-endian.
// Texts are a length byte and that many bytes without a 0. Every reader
// takes the bytes as untrusted: a length or count that runs past the end, a
// text holding a 0 or bytes left over make the record bad, and a bad record
// is dropped whole.
//
// Enumeration goes in plain datagrams beside the session's own traffic:
//   ask:    "VTSQ", token
//   answer: "VTSA", token, description
// Inside a session every message starts with its kind byte.
class SessionWire {
public:
    enum Kind : uint8_t {
        kJoin = 1,            // application, instance
        kJoinAccepted = 2,    // description, count (16 bits), that many players
        kJoinRefused = 3,     // reason (a SessionResult)
        kCreatePlayer = 4,    // token, short and long name
        kPlayerCreated = 5,   // token, id (0: refused)
        kDestroyPlayer = 6,   // id
        kPlayerAdded = 7,     // id, short and long name
        kPlayerRemoved = 8,   // id
        kData = 9,            // flags byte, from, to, the rest is the payload
    };

    struct Player {
        uint32_t id = 0;
        SessionPlayerName name;
    };

    // One decoded message; the fields its kind carries are set.
    struct Message {
        Kind kind = kData;
        SessionGuid application;
        SessionGuid instance;
        SessionDescription description;
        std::vector<Player> players;
        SessionPlayerName name;
        uint32_t token = 0;
        uint32_t id = 0;
        uint32_t reason = 0;
        bool guaranteed = false;
        uint32_t from = 0;
        uint32_t to = 0;
        const uint8_t* payload = nullptr;   // points into the bytes read
        size_t payloadSize = 0;
    };

    static std::vector<uint8_t> EnumRequest(uint32_t token);
    static std::vector<uint8_t> EnumAnswer(uint32_t token, const SessionDescription& description);
    static bool ReadEnumRequest(const uint8_t* data, size_t size, uint32_t* token);
    static bool ReadEnumAnswer(const uint8_t* data, size_t size, uint32_t* token, SessionDescription* description);

    static std::vector<uint8_t> Join(const SessionGuid& application, const SessionGuid& instance);
    static std::vector<uint8_t> JoinAccepted(const SessionDescription& description, const std::vector<Player>& players);
    static std::vector<uint8_t> JoinRefused(uint32_t reason);
    static std::vector<uint8_t> CreatePlayer(uint32_t token, const SessionPlayerName& name);
    static std::vector<uint8_t> PlayerCreated(uint32_t token, uint32_t id);
    static std::vector<uint8_t> DestroyPlayer(uint32_t id);
    static std::vector<uint8_t> PlayerAdded(uint32_t id, const SessionPlayerName& name);
    static std::vector<uint8_t> PlayerRemoved(uint32_t id);
    static std::vector<uint8_t> Data(bool guaranteed, uint32_t from, uint32_t to, const void* payload, size_t size);
    // The bytes a Data message adds in front of its payload.
    static constexpr size_t kDataHeaderSize = 10;

    static bool Read(const uint8_t* data, size_t size, Message* out);
};

}  // namespace platform
