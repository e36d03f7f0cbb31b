#include "net/DirectPlayLink.h"

#include <cstring>
#include <vector>

#include "net/PacketBytes.h"
#include "platform/SessionProviders.h"
#include "platform/SessionSystemMessage.h"
#include "platform/Sleeper.h"

using namespace platform;

namespace {

constexpr uint32_t kLargestMessage = 1u << 24;

void Pause(uint32_t milliseconds) { Sleeper::Current().Sleep(milliseconds); }

// Remote players and groups already in a joined session, announced as
// those who arrive later are.
bool AnnounceFound(uint32_t id, uint32_t playerType, const SessionPlayerName& name, uint32_t, void* context) {
    auto* const link = static_cast<DirectPlayLink*>(context);
    if (playerType == kPlayerTypeGroup) {
        link->OnCreateGroup(id, name.shortName.c_str(), name.longName.c_str());
    } else {
        link->OnCreatePlayer(id, name.shortName.c_str(), name.longName.c_str());
    }
    return true;
}

SessionPlayerName NameOf(const char* shortName, const char* longName) {
    SessionPlayerName name;
    if (shortName != nullptr) name.shortName.assign(shortName, strnlen(shortName, kMaxSessionNameLength));
    if (longName != nullptr) name.longName.assign(longName, strnlen(longName, kMaxSessionNameLength));
    return name;
}

}  // namespace

DirectPlayLink::DirectPlayLink(const SessionGuid& application, const char* name, uint32_t maxPlayers) {
    if (name != nullptr) std::strncpy(sessionName, name, kNameBytes - 1);
    sessionDesc.flags = kSessionKeepAlive;
    sessionDesc.application = application;
    sessionDesc.maxPlayers = maxPlayers;
    sessionDesc.name = sessionName;
}

DirectPlayLink::~DirectPlayLink() { DirectPlayLink::Close(); }

uint32_t DirectPlayLink::Create(const SessionGuid& provider) {
    std::unique_ptr<SessionService> made;
    const uint32_t result = SessionProviders::Current().Create(provider, &made);
    if (result != kSessionOk) return result;
    directPlay = std::move(made);
    return kSessionOk;
}

uint32_t DirectPlayLink::Host(uint32_t) {
    if (directPlay == nullptr) return kUninitialized;
    const uint32_t result = directPlay->Open(sessionDesc, kSessionCreate);
    Pause(kOpenPauseMs);
    connected = isHost = result == kSessionOk ? 1 : 0;
    return result;
}

uint32_t DirectPlayLink::Join(const SessionGuid& instance, uint32_t) {
    if (directPlay == nullptr) return kUninitialized;
    sessionDesc.instance = instance;
    const uint32_t result = directPlay->Open(sessionDesc, kSessionJoin);
    Pause(kOpenPauseMs);
    isHost = 0;
    connected = result == kSessionOk ? 1 : 0;
    if (result != kSessionOk) return result;
    directPlay->EnumGroups(AnnounceFound, this, kEnumPlayersRemote);
    directPlay->EnumPlayers(AnnounceFound, this, kEnumPlayersRemote);
    return kSessionOk;
}

uint32_t DirectPlayLink::CreatePlayer(const char* shortName, const char* longName) {
    if (directPlay == nullptr) return 0;
    uint32_t id = 0;
    if (directPlay->CreatePlayer(NameOf(shortName, longName), &id) != kSessionOk) id = 0;
    Pause(kCreatePlayerPauseMs);
    return id;
}

uint32_t DirectPlayLink::DestroyPlayer(uint32_t id) { return directPlay != nullptr ? directPlay->DestroyPlayer(id) : 0; }

uint32_t DirectPlayLink::CreateGroup(const char* shortName, const char* longName) {
    if (directPlay == nullptr) return 0;
    uint32_t id = 0;
    return directPlay->CreateGroup(NameOf(shortName, longName), &id) == kSessionOk ? id : 0;
}

uint32_t DirectPlayLink::DestroyGroup(uint32_t id) { return directPlay != nullptr ? directPlay->DestroyGroup(id) : 0; }

uint32_t DirectPlayLink::AddPlayerToGroup(uint32_t group, uint32_t player) {
    return directPlay != nullptr ? directPlay->AddPlayerToGroup(group, player) : kUninitialized;
}

uint32_t DirectPlayLink::DeletePlayerFromGroup(uint32_t group, uint32_t player) {
    return directPlay != nullptr ? directPlay->DeletePlayerFromGroup(group, player) : kUninitialized;
}

void DirectPlayLink::Close() {
    if (directPlay == nullptr) return;
    connected = 0;
    directPlay->Close();
    directPlay.reset();
}

uint32_t DirectPlayLink::Receive(void* buffer, uint32_t size) {
    if (directPlay == nullptr) return kUninitialized;
    Pause(0);
    if (!MessageWaiting()) return kNoMessages;
    uint32_t from = 0;
    uint32_t to = 0;
    uint32_t received = size;
    const uint32_t result = directPlay->Receive(&from, &to, buffer, &received);
    // A size beyond any the service could have taken is not believed.
    if (result == kSessionBufferTooSmall && received > size && received <= kLargestMessage) {
        std::vector<uint8_t> scratch(received);
        directPlay->Receive(&from, &to, scratch.data(), &received);
        return result;
    }
    if (result != kSessionOk) return result;
    const auto* const bytes = static_cast<const uint8_t*>(buffer);
    if (from == kSystemPlayerId) {
        HandleSystemMessage(bytes, received);
    } else {
        HandleMessage(from, to, bytes, received);
    }
    return kSessionOk;
}

uint32_t DirectPlayLink::SendWith(uint32_t from, uint32_t to, uint32_t flags, const void* data, uint32_t size) {
    if (directPlay == nullptr) return kUninitialized;
    const uint32_t result = directPlay->Send(from, to, flags, data, size);
    Pause(0);
    return result;
}

uint32_t DirectPlayLink::Send(uint32_t from, uint32_t to, const void* data, uint32_t size) {
    return SendWith(from, to, 0, data, size);
}

uint32_t DirectPlayLink::SendToAll(uint32_t from, const void* data, uint32_t size) {
    return SendWith(from, kAllPlayers, 0, data, size);
}

int32_t DirectPlayLink::HandleMessage(uint32_t, uint32_t, const uint8_t*, uint32_t) { return 0; }

int32_t DirectPlayLink::HandleSystemMessage(const uint8_t* data, uint32_t size) {
    SessionSystemMessage message;
    if (!SessionSystemMessage::Read(data, size, &message)) return 0;
    const char* const shortName = message.name.shortName.c_str();
    const char* const longName = message.name.longName.c_str();
    PacketReader words(data, size);
    switch (message.type) {
    case SessionSystemMessage::kCreatePlayerOrGroup:
        return message.playerType == kPlayerTypePlayer ? OnCreatePlayer(message.id, shortName, longName)
                                                       : OnCreateGroup(message.id, shortName, longName);
    case SessionSystemMessage::kDestroyPlayerOrGroup:
        return message.playerType == kPlayerTypePlayer ? OnDestroyPlayer(message.id) : OnDestroyGroup(message.id);
    case SessionSystemMessage::kAddPlayerToGroup:
        return words.Size() >= 12 ? OnAddPlayerToGroup(words.U32(4), words.U32(8)) : 0;
    case SessionSystemMessage::kDeletePlayerFromGroup:
        return words.Size() >= 12 ? OnDeletePlayerFromGroup(words.U32(4), words.U32(8)) : 0;
    case SessionSystemMessage::kSessionLost:
        return OnSessionLost();
    default:
        return 0;
    }
}

int32_t DirectPlayLink::OnCreatePlayer(uint32_t, const char*, const char*) { return 0; }
int32_t DirectPlayLink::OnCreateGroup(uint32_t, const char*, const char*) { return 0; }
int32_t DirectPlayLink::OnDestroyPlayer(uint32_t) { return 0; }
int32_t DirectPlayLink::OnDestroyGroup(uint32_t) { return 0; }
int32_t DirectPlayLink::OnAddPlayerToGroup(uint32_t, uint32_t) { return 0; }
int32_t DirectPlayLink::OnDeletePlayerFromGroup(uint32_t, uint32_t) { return 0; }
int32_t DirectPlayLink::OnSessionLost() { return 0; }
