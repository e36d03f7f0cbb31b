#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/SessionRecords.h"

namespace platform {

// A message of the session itself, as Receive lays it out in the caller's
// buffer: little-endian 32-bit words, the type first.
//   create (3):  type, player type, id, short length, long length, then the
//                short and the long name, each followed by a 0 byte (a
//                missing name is empty)
//   destroy (5): type, player type, id
//   lost (0x31): type
class SessionSystemMessage {
public:
    static constexpr uint32_t kCreatePlayerOrGroup = 0x03;
    static constexpr uint32_t kDestroyPlayerOrGroup = 0x05;
    static constexpr uint32_t kAddPlayerToGroup = 0x07;
    static constexpr uint32_t kDeletePlayerFromGroup = 0x21;
    static constexpr uint32_t kSessionLost = 0x31;

    static SessionSystemMessage CreatePlayer(uint32_t id, const SessionPlayerName& name);
    static SessionSystemMessage DestroyPlayer(uint32_t id);
    static SessionSystemMessage SessionLost();

    // False for a layout too short for its type or names that do not end,
    // each with its 0 byte, inside `size`. Other types keep only the type.
    static bool Read(const uint8_t* data, size_t size, SessionSystemMessage* out);
    std::vector<uint8_t> Bytes() const;

    uint32_t type = 0;
    uint32_t playerType = kPlayerTypePlayer;
    uint32_t id = 0;
    SessionPlayerName name;
};

}  // namespace platform
