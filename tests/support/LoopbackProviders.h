#pragma once
#include <cstdint>

#include "platform/EnetSessionService.h"
#include "platform/SessionProviders.h"

// Installs, while it lives, providers whose one TCP/IP provider hosts on any
// free port of 127.0.0.1 and looks for sessions there at `port`.
struct LoopbackProviders {
    explicit LoopbackProviders(uint16_t port, uint32_t keepAliveMs, uint32_t answerTimeoutMs = 2000) {
        platform::SessionNetworkSettings settings;
        settings.port = 0;
        settings.endpoints = {{"127.0.0.1", port}};
        settings.keepAliveTimeoutMs = keepAliveMs;
        settings.answerTimeoutMs = answerTimeoutMs;
        platform::AddTcpIpProvider(&providers, settings);
        previous = platform::SessionProviders::Install(&providers);
    }
    ~LoopbackProviders() { platform::SessionProviders::Install(previous); }
    platform::SessionProviders providers;
    platform::SessionProviders* previous;
};
