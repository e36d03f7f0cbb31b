#include "game/MessageList.h"

#include <cstring>

#include "game/XorChunkStream.h"

MessageEntry* MessageList::At(int32_t i) const {
    return i >= 0 && i < Count() ? entries_[size_t(i)].get() : nullptr;
}

MessageEntry* MessageList::Append(std::unique_ptr<MessageEntry> entry) {
    if (entry == nullptr) return nullptr;
    entries_.push_back(std::move(entry));
    return entries_.back().get();
}

std::unique_ptr<MessageEntry> MessageList::TakeAt(int32_t i) {
    if (i < 0 || i >= Count()) return nullptr;
    std::unique_ptr<MessageEntry> entry = std::move(entries_[size_t(i)]);
    entries_.erase(entries_.begin() + i);
    return entry;
}

MessageEntry* MessageList::FindEntry(const char* title) const {
    if (title == nullptr) return nullptr;
    for (const auto& entry : entries_) {
        if (std::strcmp(entry->title.c_str(), title) == 0) return entry.get();
    }
    return nullptr;
}

MessageEntry* MessageList::GetActiveEntry(int32_t n) const {
    if (n < 0) return nullptr;
    for (const auto& entry : entries_) {
        if (entry->active == MessageEntry::kShown && n-- == 0) return entry.get();
    }
    return nullptr;
}

Status MessageList::Save(XorChunkStream& stream, uint32_t formType) const {
    Status status = stream.BeginForm(formType);
    for (const auto& entry : entries_) {
        if (status != kStatusOk) break;
        const std::vector<uint8_t> bytes = entry->Encode();
        status = stream.WriteChunk(MessageEntry::kChunk, bytes.data(), uint32_t(bytes.size()));
    }
    if (status == kStatusOk) status = stream.Ascend();
    return status;
}

Status MessageList::Load(XorChunkStream& stream, MessageList* out) {
    out->Clear();
    return stream.WalkForm(
        [&stream, out](uint32_t id) -> Status {
            if (id != MessageEntry::kChunk) return kStatusOk;   // what a later build may add
            const uint32_t size = stream.ChunkSize();
            if (size < MessageEntry::kFixedBytes || size > MessageEntry::kMaxBytes) return kStatusMessagesBadList;
            std::vector<uint8_t> bytes(size);
            uint32_t stored = 0;
            const Status read = stream.ReadChunkData(bytes.data(), size, &stored);
            if (read != kStatusOk) return read;
            if (stored != size) return kStatusMessagesBadList;
            auto entry = std::make_unique<MessageEntry>();
            if (!MessageEntry::Decode(bytes, entry.get())) return kStatusMessagesBadList;
            out->Append(std::move(entry));
            return kStatusOk;
        },
        kStatusMessagesBadList);
}

bool MessageList::operator==(const MessageList& other) const {
    if (Count() != other.Count()) return false;
    for (int32_t i = 0; i < Count(); ++i) {
        if (!(*entries_[size_t(i)] == *other.entries_[size_t(i)])) return false;
    }
    return true;
}
