#include "platform/SessionProviders.h"

#include "platform/EnetSessionService.h"
#include "platform/ServiceSlot.h"

namespace platform {
namespace {

constinit ServiceSlot<SessionProviders> g_slot{&SystemSessionProviders};

}  // namespace

void SessionProviders::Add(const SessionGuid& id, std::string description, Factory factory) {
    entries_.push_back({id, std::move(description), std::move(factory)});
}

void SessionProviders::Enumerate(ProviderFoundCallback callback, void* context) const {
    for (const Entry& entry : entries_) {
        if (!callback(entry.id, entry.description.c_str(), context)) return;
    }
}

uint32_t SessionProviders::Create(const SessionGuid& id, std::unique_ptr<SessionService>* service) const {
    service->reset();
    for (const Entry& entry : entries_) {
        if (entry.id != id) continue;
        if (entry.factory) *service = entry.factory();
        return *service ? kSessionOk : kSessionUnavailable;
    }
    return kSessionUnavailable;
}

SessionProviders& SessionProviders::Current() { return g_slot.Get(); }

SessionProviders* SessionProviders::Install(SessionProviders* providers) { return g_slot.Swap(providers); }

SessionProviders& SystemSessionProviders() {
    static SessionProviders* const providers = [] {
        auto* made = new SessionProviders();
        AddTcpIpProvider(made, SessionNetworkSettings{});
        return made;
    }();
    return *providers;
}

}  // namespace platform
