// nettool host PORT NAME [--seconds N] [--keepalive MS]
// nettool join ADDRESS:PORT NAME [--say TEXT] [--seconds N] [--keepalive MS]
//
// One line per event, flushed at once so that a reader on a pipe sees it
// when it happens. The host echoes every message to everybody; a joiner
// exits 0 once its --say text came back (or after --seconds without one).
#include <chrono>
#include <csignal>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "platform/EnetSessionService.h"
#include "platform/SessionProviders.h"
#include "platform/SessionSystemMessage.h"
#include "platform/Sleeper.h"

namespace {

using platform::SessionService;

// Sessions of other programs are not listed.
constexpr platform::SessionGuid kApplication{{0x4e, 0x65, 0x74, 0x54, 0x6f, 0x6f, 0x6c, 0x2d,
                                              0x56, 0x6f, 0x72, 0x6e, 0x2d, 0x31, 0x00, 0x01}};
constexpr uint32_t kMaxPlayers = 8;
constexpr uint32_t kEnumerationMs = 500;
constexpr uint32_t kPollPauseMs = 5;
constexpr double kJoinDefaultSeconds = 10;

volatile std::sig_atomic_t g_stop = 0;

void OnSignal(int) { g_stop = 1; }

void Say(const char* format, ...) __attribute__((format(printf, 1, 2)));
void Say(const char* format, ...) {
    va_list args;
    va_start(args, format);
    std::vprintf(format, args);
    va_end(args);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

int Usage() {
    std::fprintf(stderr,
                 "usage: nettool host PORT NAME [--seconds N] [--keepalive MS]\n"
                 "       nettool join ADDRESS:PORT NAME [--say TEXT] [--seconds N] [--keepalive MS]\n");
    return 2;
}

bool ParsePort(const std::string& text, uint16_t* port) {
    char* end = nullptr;
    const long value = std::strtol(text.c_str(), &end, 10);
    if (text.empty() || *end != 0 || value < 0 || value > 65535) return false;
    *port = static_cast<uint16_t>(value);
    return true;
}

// Non-printing bytes of a message show as '?': the line stays one line.
std::string Printable(const uint8_t* data, size_t size) {
    std::string text(reinterpret_cast<const char*>(data), size);
    for (char& c : text) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) c = '?';
    }
    return text;
}

struct Options {
    std::string mode;
    std::string where;
    std::string name;
    std::string say;
    bool hasSay = false;
    double seconds = -1;
    uint32_t keepAliveMs = 0;
};

bool ParseOptions(int argc, char** argv, Options* options) {
    if (argc < 4) return false;
    options->mode = argv[1];
    options->where = argv[2];
    options->name = argv[3];
    for (int i = 4; i < argc; ++i) {
        const std::string flag = argv[i];
        if (i + 1 >= argc) return false;
        const char* const value = argv[++i];
        char* end = nullptr;
        if (flag == "--seconds") {
            options->seconds = std::strtod(value, &end);
            if (*end != 0 || !(options->seconds >= 0)) return false;
        } else if (flag == "--keepalive") {
            const long ms = std::strtol(value, &end, 10);
            if (*end != 0 || ms <= 0) return false;
            options->keepAliveMs = static_cast<uint32_t>(ms);
        } else if (flag == "--say" && options->mode == "join") {
            options->say = value;
            options->hasSay = true;
        } else {
            return false;
        }
    }
    return options->mode == "host" || options->mode == "join";
}

std::unique_ptr<SessionService> CreateTcpIp(const platform::SessionNetworkSettings& settings) {
    platform::SessionProviders providers;
    platform::AddTcpIpProvider(&providers, settings);
    struct Choice {
        platform::SessionGuid id;
        bool found = false;
    } choice;
    providers.Enumerate(
        [](const platform::SessionGuid& id, const char* description, void* context) {
            if (std::strstr(description, "TCP/IP") == nullptr) return true;
            auto* const wanted = static_cast<Choice*>(context);
            wanted->id = id;
            wanted->found = true;
            return false;
        },
        &choice);
    std::unique_ptr<SessionService> service;
    if (choice.found) providers.Create(choice.id, &service);
    return service;
}

// What one pass over the waiting messages met.
struct Events {
    std::vector<std::string> texts;
    bool lost = false;
};

// Prints every waiting message; the host echoes data to all but itself.
Events Drain(SessionService* service, uint32_t echoFrom) {
    Events events;
    std::vector<uint8_t> buffer(platform::kMaxSessionMessageSize);
    for (;;) {
        uint32_t from = 0;
        uint32_t to = 0;
        uint32_t size = static_cast<uint32_t>(buffer.size());
        const uint32_t result = service->Receive(&from, &to, buffer.data(), &size);
        if (result == platform::kSessionBufferTooSmall) {
            buffer.resize(size);
            continue;
        }
        if (result != platform::kSessionOk) return events;
        if (from != platform::kSystemPlayerId) {
            const std::string text = Printable(buffer.data(), size);
            Say("received %u \"%s\"", from, text.c_str());
            events.texts.push_back(text);
            if (echoFrom != 0) service->Send(echoFrom, platform::kAllPlayers, platform::kSendGuaranteed, buffer.data(), size);
            continue;
        }
        platform::SessionSystemMessage message;
        if (!platform::SessionSystemMessage::Read(buffer.data(), size, &message)) continue;
        if (message.type == platform::SessionSystemMessage::kCreatePlayerOrGroup) {
            Say("player %u \"%s\" joined", message.id, message.name.shortName.c_str());
        } else if (message.type == platform::SessionSystemMessage::kDestroyPlayerOrGroup) {
            Say("player %u left", message.id);
        } else if (message.type == platform::SessionSystemMessage::kSessionLost) {
            Say("lost");
            events.lost = true;
        }
    }
}

using Clock = std::chrono::steady_clock;

bool TimeUp(Clock::time_point start, double seconds) {
    return seconds >= 0 && std::chrono::duration<double>(Clock::now() - start).count() >= seconds;
}

int Host(const Options& options, platform::SessionNetworkSettings settings) {
    if (!ParsePort(options.where, &settings.port)) return Usage();
    const auto service = CreateTcpIp(settings);
    platform::SessionDescription description;
    description.flags = platform::kSessionKeepAlive;
    description.application = kApplication;
    description.maxPlayers = kMaxPlayers;
    description.name = options.name;
    uint32_t result = service ? service->Open(description, platform::kSessionCreate) : platform::kSessionUnavailable;
    if (result != platform::kSessionOk) {
        std::fprintf(stderr, "nettool: cannot host on port %s (0x%08X)\n", options.where.c_str(), result);
        return 1;
    }
    uint32_t self = 0;
    result = service->CreatePlayer({options.name, "Server"}, &self);
    if (result != platform::kSessionOk) {
        std::fprintf(stderr, "nettool: cannot create the host's player (0x%08X)\n", result);
        return 1;
    }
    // The TCP/IP provider's interfaces are ENet sessions: ask for the port the system picked for 0.
    const uint16_t port = static_cast<platform::EnetSessionService*>(service.get())->Port();
    Say("hosting \"%s\" on %s:%u", options.name.c_str(), settings.bindAddress.c_str(), port);
    const Clock::time_point start = Clock::now();
    while (g_stop == 0 && !TimeUp(start, options.seconds)) {
        Drain(service.get(), self);
        platform::Sleeper::Current().Sleep(kPollPauseMs);
    }
    service->Close();
    return 0;
}

int Join(const Options& options, platform::SessionNetworkSettings settings) {
    const size_t colon = options.where.rfind(':');
    platform::SessionEndpoint endpoint;
    if (colon == std::string::npos || !ParsePort(options.where.substr(colon + 1), &endpoint.port)) return Usage();
    endpoint.address = options.where.substr(0, colon);
    settings.endpoints = {endpoint};
    const auto service = CreateTcpIp(settings);
    if (!service) return 1;

    platform::SessionDescription wanted;
    wanted.application = kApplication;
    std::vector<platform::SessionDescription> sessions;
    service->EnumSessions(
        wanted, kEnumerationMs,
        [](const platform::SessionDescription* description, uint32_t, void* context) {
            if (description == nullptr) return false;
            Say("session \"%s\" %u/%u", description->name.c_str(), description->currentPlayers, description->maxPlayers);
            static_cast<std::vector<platform::SessionDescription>*>(context)->push_back(*description);
            return true;
        },
        &sessions, platform::kEnumSessionsAvailable);
    if (sessions.empty()) {
        std::fprintf(stderr, "nettool: no session at %s\n", options.where.c_str());
        return 1;
    }
    uint32_t result = service->Open(sessions.front(), platform::kSessionJoin);
    uint32_t self = 0;
    if (result == platform::kSessionOk) result = service->CreatePlayer({options.name, "Client"}, &self);
    if (result != platform::kSessionOk) {
        std::fprintf(stderr, "nettool: cannot join \"%s\" (0x%08X)\n", sessions.front().name.c_str(), result);
        return 1;
    }
    Say("joined \"%s\" as %u", sessions.front().name.c_str(), self);

    if (options.hasSay) {
        // The host's player entered the session first.
        uint32_t host = platform::kAllPlayers;
        service->EnumPlayers(
            [](uint32_t id, uint32_t, const platform::SessionPlayerName&, uint32_t, void* context) {
                *static_cast<uint32_t*>(context) = id;
                return false;
            },
            &host, platform::kEnumPlayersRemote);
        service->Send(self, host, platform::kSendGuaranteed, options.say.data(), static_cast<uint32_t>(options.say.size()));
    }
    const double seconds = options.seconds >= 0 ? options.seconds : kJoinDefaultSeconds;
    const Clock::time_point start = Clock::now();
    while (g_stop == 0 && !TimeUp(start, seconds)) {
        const Events events = Drain(service.get(), 0);
        for (const std::string& text : events.texts) {
            if (options.hasSay && text == options.say) return 0;
        }
        if (events.lost) return 1;
        platform::Sleeper::Current().Sleep(kPollPauseMs);
    }
    service->Close();
    return options.hasSay ? 1 : 0;
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    if (!ParseOptions(argc, argv, &options)) return Usage();
    std::signal(SIGINT, OnSignal);
    std::signal(SIGTERM, OnSignal);
    platform::SessionNetworkSettings settings;
    if (options.keepAliveMs != 0) settings.keepAliveTimeoutMs = options.keepAliveMs;
    return options.mode == "host" ? Host(options, settings) : Join(options, settings);
}
