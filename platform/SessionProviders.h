#pragma once
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/SessionRecords.h"
#include "platform/SessionService.h"

namespace platform {

// The ways this machine can reach others, each with an id, a description
// the lobby matches ("TCP/IP", "IPX", "Modem", "Serial") and a factory of
// session interfaces. The system's offers TCP/IP only; tests add others.
class SessionProviders {
public:
    // Makes one interface; null when the provider cannot.
    using Factory = std::function<std::unique_ptr<SessionService>()>;

    // A provider without a factory is listed but cannot be created.
    void Add(const SessionGuid& id, std::string description, Factory factory);
    // Calls back for each provider in the order added until the callback answers false.
    void Enumerate(ProviderFoundCallback callback, void* context) const;
    // The provider's new interface in *service (null on failure).
    uint32_t Create(const SessionGuid& id, std::unique_ptr<SessionService>* service) const;

    static SessionProviders& Current();
    static SessionProviders* Install(SessionProviders* providers);

private:
    struct Entry {
        SessionGuid id;
        std::string description;
        Factory factory;
    };
    std::vector<Entry> entries_;
};

SessionProviders& SystemSessionProviders();

}  // namespace platform
