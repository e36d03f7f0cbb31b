#include "platform/SessionWire.h"

#include <cstring>

namespace platform {
namespace {

constexpr uint8_t kAskMagic[4] = {'V', 'T', 'S', 'Q'};
constexpr uint8_t kAnswerMagic[4] = {'V', 'T', 'S', 'A'};

class Writer {
public:
    void Byte(uint8_t value) { bytes.push_back(value); }
    void Word(uint32_t value) {
        for (int shift = 0; shift < 32; shift += 8) bytes.push_back(static_cast<uint8_t>(value >> shift));
    }
    void Half(uint16_t value) {
        bytes.push_back(static_cast<uint8_t>(value));
        bytes.push_back(static_cast<uint8_t>(value >> 8));
    }
    void Raw(const void* data, size_t size) {
        const auto* at = static_cast<const uint8_t*>(data);
        bytes.insert(bytes.end(), at, at + size);
    }
    void Guid(const SessionGuid& guid) { Raw(guid.bytes.data(), guid.bytes.size()); }
    // Callers keep texts within kMaxSessionNameLength; a longer one is cut
    // rather than let its length byte wrap.
    void Text(const std::string& text) {
        const size_t length = text.size() < kMaxSessionNameLength ? text.size() : kMaxSessionNameLength;
        Byte(static_cast<uint8_t>(length));
        Raw(text.data(), length);
    }
    void Name(const SessionPlayerName& name) {
        Text(name.shortName);
        Text(name.longName);
    }
    void Description(const SessionDescription& d) {
        Word(d.flags);
        Guid(d.instance);
        Guid(d.application);
        Word(d.maxPlayers);
        Word(d.currentPlayers);
        Text(d.name);
    }

    std::vector<uint8_t> bytes;
};

class Reader {
public:
    Reader(const uint8_t* data, size_t size) : at_(data), left_(data == nullptr ? 0 : size) {}

    bool Byte(uint8_t* value) {
        if (left_ < 1) return false;
        *value = *at_;
        Skip(1);
        return true;
    }
    bool Half(uint16_t* value) {
        if (left_ < 2) return false;
        *value = static_cast<uint16_t>(at_[0] | at_[1] << 8);
        Skip(2);
        return true;
    }
    bool Word(uint32_t* value) {
        if (left_ < 4) return false;
        *value = static_cast<uint32_t>(at_[0]) | static_cast<uint32_t>(at_[1]) << 8 |
                 static_cast<uint32_t>(at_[2]) << 16 | static_cast<uint32_t>(at_[3]) << 24;
        Skip(4);
        return true;
    }
    bool Guid(SessionGuid* guid) {
        if (left_ < guid->bytes.size()) return false;
        std::memcpy(guid->bytes.data(), at_, guid->bytes.size());
        Skip(guid->bytes.size());
        return true;
    }
    bool Magic(const uint8_t (&magic)[4]) {
        if (left_ < 4 || std::memcmp(at_, magic, 4) != 0) return false;
        Skip(4);
        return true;
    }
    bool Text(std::string* text) {
        uint8_t length = 0;
        if (!Byte(&length) || left_ < length) return false;
        if (std::memchr(at_, 0, length) != nullptr) return false;
        text->assign(reinterpret_cast<const char*>(at_), length);
        Skip(length);
        return true;
    }
    bool Name(SessionPlayerName* name) { return Text(&name->shortName) && Text(&name->longName); }
    bool Description(SessionDescription* d) {
        return Word(&d->flags) && Guid(&d->instance) && Guid(&d->application) && Word(&d->maxPlayers) &&
               Word(&d->currentPlayers) && Text(&d->name);
    }

    const uint8_t* At() const { return at_; }
    size_t Left() const { return left_; }
    bool AtEnd() const { return left_ == 0; }

private:
    void Skip(size_t n) {
        at_ += n;
        left_ -= n;
    }

    const uint8_t* at_;
    size_t left_;
};

// The smallest player record: an id and two empty names.
constexpr size_t kMinPlayerSize = 6;

}  // namespace

std::vector<uint8_t> SessionWire::EnumRequest(uint32_t token) {
    Writer w;
    w.Raw(kAskMagic, 4);
    w.Word(token);
    return w.bytes;
}

std::vector<uint8_t> SessionWire::EnumAnswer(uint32_t token, const SessionDescription& description) {
    Writer w;
    w.Raw(kAnswerMagic, 4);
    w.Word(token);
    w.Description(description);
    return w.bytes;
}

bool SessionWire::ReadEnumRequest(const uint8_t* data, size_t size, uint32_t* token) {
    Reader r(data, size);
    return r.Magic(kAskMagic) && r.Word(token) && r.AtEnd();
}

bool SessionWire::ReadEnumAnswer(const uint8_t* data, size_t size, uint32_t* token, SessionDescription* description) {
    Reader r(data, size);
    return r.Magic(kAnswerMagic) && r.Word(token) && r.Description(description) && r.AtEnd();
}

std::vector<uint8_t> SessionWire::Join(const SessionGuid& application, const SessionGuid& instance) {
    Writer w;
    w.Byte(kJoin);
    w.Guid(application);
    w.Guid(instance);
    return w.bytes;
}

std::vector<uint8_t> SessionWire::JoinAccepted(const SessionDescription& description, const std::vector<Player>& players) {
    Writer w;
    w.Byte(kJoinAccepted);
    w.Description(description);
    const size_t count = players.size() < 0xFFFF ? players.size() : 0xFFFF;
    w.Half(static_cast<uint16_t>(count));
    for (size_t i = 0; i < count; ++i) {
        w.Word(players[i].id);
        w.Name(players[i].name);
    }
    return w.bytes;
}

std::vector<uint8_t> SessionWire::JoinRefused(uint32_t reason) {
    Writer w;
    w.Byte(kJoinRefused);
    w.Word(reason);
    return w.bytes;
}

std::vector<uint8_t> SessionWire::CreatePlayer(uint32_t token, const SessionPlayerName& name) {
    Writer w;
    w.Byte(kCreatePlayer);
    w.Word(token);
    w.Name(name);
    return w.bytes;
}

std::vector<uint8_t> SessionWire::PlayerCreated(uint32_t token, uint32_t id) {
    Writer w;
    w.Byte(kPlayerCreated);
    w.Word(token);
    w.Word(id);
    return w.bytes;
}

std::vector<uint8_t> SessionWire::DestroyPlayer(uint32_t id) {
    Writer w;
    w.Byte(kDestroyPlayer);
    w.Word(id);
    return w.bytes;
}

std::vector<uint8_t> SessionWire::PlayerAdded(uint32_t id, const SessionPlayerName& name) {
    Writer w;
    w.Byte(kPlayerAdded);
    w.Word(id);
    w.Name(name);
    return w.bytes;
}

std::vector<uint8_t> SessionWire::PlayerRemoved(uint32_t id) {
    Writer w;
    w.Byte(kPlayerRemoved);
    w.Word(id);
    return w.bytes;
}

std::vector<uint8_t> SessionWire::Data(bool guaranteed, uint32_t from, uint32_t to, const void* payload, size_t size) {
    Writer w;
    w.bytes.reserve(kDataHeaderSize + size);
    w.Byte(kData);
    w.Byte(guaranteed ? 1 : 0);
    w.Word(from);
    w.Word(to);
    if (size > 0) w.Raw(payload, size);
    return w.bytes;
}

bool SessionWire::Read(const uint8_t* data, size_t size, Message* out) {
    *out = Message();
    Reader r(data, size);
    uint8_t kind = 0;
    if (!r.Byte(&kind)) return false;
    out->kind = static_cast<Kind>(kind);
    switch (kind) {
    case kJoin:
        return r.Guid(&out->application) && r.Guid(&out->instance) && r.AtEnd();
    case kJoinAccepted: {
        uint16_t count = 0;
        if (!r.Description(&out->description) || !r.Half(&count)) return false;
        // A count the bytes cannot hold is refused before anything is kept.
        if (r.Left() < static_cast<size_t>(count) * kMinPlayerSize) return false;
        out->players.resize(count);
        for (Player& player : out->players) {
            if (!r.Word(&player.id) || !r.Name(&player.name)) return false;
        }
        return r.AtEnd();
    }
    case kJoinRefused:
        return r.Word(&out->reason) && r.AtEnd();
    case kCreatePlayer:
        return r.Word(&out->token) && r.Name(&out->name) && r.AtEnd();
    case kPlayerCreated:
        return r.Word(&out->token) && r.Word(&out->id) && r.AtEnd();
    case kDestroyPlayer:
    case kPlayerRemoved:
        return r.Word(&out->id) && r.AtEnd();
    case kPlayerAdded:
        return r.Word(&out->id) && r.Name(&out->name) && r.AtEnd();
    case kData: {
        uint8_t flags = 0;
        if (!r.Byte(&flags) || flags > 1 || !r.Word(&out->from) || !r.Word(&out->to)) return false;
        if (r.Left() > kMaxSessionMessageSize) return false;
        out->guaranteed = flags == 1;
        out->payload = r.At();
        out->payloadSize = r.Left();
        return true;
    }
    default:
        return false;
    }
}

}  // namespace platform
