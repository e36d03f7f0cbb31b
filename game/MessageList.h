#pragma once
#include <cstdint>
#include <memory>
#include <vector>

#include "engine/Status.h"
#include "game/MessageEntry.h"

class XorChunkStream;

// A saved message list that cannot be taken: a "MESS" that does not decode,
// or more messages than a list holds.
inline constexpr Status kStatusMessagesBadList = 0x20004200;

// The messages of one list, owned, in arrival order.
class MessageList {
public:
    // A saved list holds at most this many (the chunk walk's own cap).
    static constexpr int32_t kMaxEntries = 4096;

    int32_t Count() const { return int32_t(entries_.size()); }
    // Null out of range.
    MessageEntry* At(int32_t i) const;
    MessageEntry* Append(std::unique_ptr<MessageEntry> entry);
    // The entry leaves the list and is handed over; null out of range.
    std::unique_ptr<MessageEntry> TakeAt(int32_t i);
    void RemoveAt(int32_t i) { TakeAt(i); }
    void Clear() { entries_.clear(); }

    // The first entry whose title equals `title` byte for byte; null for a
    // null title or none.
    MessageEntry* FindEntry(const char* title) const;
    // The n-th entry among those whose active state is exactly 1.
    MessageEntry* GetActiveEntry(int32_t n) const;

    // FORM `formType` of one "MESS" per entry, at the stream's current level.
    Status Save(XorChunkStream& stream, uint32_t formType) const;
    // Reads the current FORM into `out` (emptied first); on failure `out`
    // holds what was read so far and the caller drops it.
    static Status Load(XorChunkStream& stream, MessageList* out);

    bool operator==(const MessageList& other) const;

private:
    std::vector<std::unique_ptr<MessageEntry>> entries_;
};
