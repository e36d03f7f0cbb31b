#pragma once
#include <array>
#include <cstdint>
#include <string>

namespace platform {

// A 16-byte id of a provider, an application or a session instance.
struct SessionGuid {
    std::array<uint8_t, 16> bytes{};

    bool IsNull() const { return bytes == std::array<uint8_t, 16>{}; }
    friend bool operator==(const SessionGuid&, const SessionGuid&) = default;
};

// What a session says of itself. Only the fields travel, one by one; the
// record is never copied to the wire as it lies in memory.
struct SessionDescription {
    uint32_t flags = 0;             // kSessionKeepAlive
    SessionGuid instance;           // chosen by the host when it opens the session
    SessionGuid application;        // only sessions of the same application are found
    uint32_t maxPlayers = 0;
    uint32_t currentPlayers = 0;
    std::string name;               // 8-bit text, at most kMaxSessionNameLength bytes
};

struct SessionPlayerName {
    std::string shortName;          // 8-bit text, at most kMaxSessionNameLength bytes each
    std::string longName;
};

// Results of the session service. The first three are those the game's
// link reports on to its callers and the lobby; 0 is success.
enum SessionResult : uint32_t {
    kSessionOk = 0,
    kSessionUninitialized = 0x887700FA,   // no session is open
    kSessionNoMessages = 0x887700BE,      // Receive: nothing waiting
    kSessionBusy = 0x8877010E,            // Send: the backlog is above its limit; try a later frame
    kSessionBufferTooSmall = 0x8877001E,  // Receive: the size says what is needed; the message stays
    kSessionInvalidPlayer = 0x88770096,   // a sender that is not local, or an unknown receiver
    kSessionTooBig = 0x887700E1,          // Send: more than kMaxSessionMessageSize bytes
    kSessionInvalidParams = 0x80070057,
    kSessionNoSessions = 0x88770104,      // Open to join: no enumeration found that instance
    kSessionRefused = 0x887700E6,         // the host refused: full, closed, or another application
    kSessionNoConnection = 0x88770082,    // the host is out of reach or lost
    kSessionTimedOut = 0x887700D2,        // no answer within the wait
    kSessionUnavailable = 0x88770154,     // the provider cannot create an interface
    kSessionUnsupported = 0x80004001,     // groups
    kSessionFailed = 0x80004005,          // the network refused for a reason it cannot name
};

// Open's mode.
enum SessionOpenMode : uint32_t { kSessionJoin = 1, kSessionCreate = 2 };

constexpr uint32_t kSessionKeepAlive = 0x40;      // SessionDescription::flags
constexpr uint32_t kSendGuaranteed = 0x1;         // Send's flags
constexpr uint32_t kEnumSessionsAvailable = 0x1;  // EnumSessions' flags
constexpr uint32_t kEnumSessionsTimedOut = 0x1;   // the flags of the last SessionFound call
constexpr uint32_t kEnumPlayersRemote = 0x10;     // EnumPlayers' flags: skip local players

constexpr uint32_t kSystemPlayerId = 0;           // the sender of system messages
constexpr uint32_t kAllPlayers = 0;               // Send's receiver for every player but the sender
constexpr uint32_t kPlayerTypeGroup = 0;
constexpr uint32_t kPlayerTypePlayer = 1;

constexpr uint32_t kMaxSessionMessageSize = 32768;
constexpr uint32_t kMaxSessionNameLength = 255;
constexpr uint16_t kDefaultSessionPort = 27900;

// Callbacks run on the caller's thread before the enumerating call returns;
// each returns true to ask for the next answer.
using ProviderFoundCallback = bool (*)(const SessionGuid& id, const char* description, void* context);
// description is null on the last call, which carries kEnumSessionsTimedOut.
using SessionFoundCallback = bool (*)(const SessionDescription* description, uint32_t flags, void* context);
using PlayerFoundCallback = bool (*)(uint32_t id, uint32_t playerType, const SessionPlayerName& name,
                                     uint32_t flags, void* context);

}  // namespace platform
