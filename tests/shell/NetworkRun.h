#pragma once
// What the tests that run whole vorn processes of one network game on
// 127.0.0.1 share: a free port, and pilots who each play from a copy of
// the sample tree of their own.
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "tests/support/ChildProcess.h"
#include "tests/support/ScopedEnvironment.h"
#include "tests/support/TempDir.h"
#include "tools/mkdata/SampleTree.h"

// A UDP port of the loopback that nobody holds, kept for this test until
// its process ends: the child that binds it starts later, and in between
// another test, or the system handing out ports, could take it. Ports come
// from below the range the system hands out by itself, and each is claimed
// by a name of the abstract socket space that every test of the machine
// asks for first; the name goes with the process, leaving nothing behind.
inline uint16_t FreeLoopbackPort() {
    constexpr uint32_t kFirst = 10000;
    uint32_t handedOut = 32768;
    if (std::ifstream range("/proc/sys/net/ipv4/ip_local_port_range"); range) range >> handedOut;
    const uint32_t last = std::min<uint32_t>(handedOut, 65536) - 1;
    if (last <= kFirst) return 0;
    const uint32_t span = last - kFirst + 1;
    const uint32_t start = uint32_t(getpid()) * 7919u + uint32_t(std::random_device{}());
    for (uint32_t step = 0; step < std::min<uint32_t>(span, 2000); ++step) {
        const uint16_t port = uint16_t(kFirst + (start + step) % span);
        const int claim = socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
        if (claim < 0) return 0;
        sockaddr_un name{};
        name.sun_family = AF_UNIX;
        const std::string text = "vorn-test-port-" + std::to_string(port);
        std::copy(text.begin(), text.end(), name.sun_path + 1);
        const auto nameLength = socklen_t(offsetof(sockaddr_un, sun_path) + 1 + text.size());
        if (bind(claim, reinterpret_cast<sockaddr*>(&name), nameLength) != 0) {
            close(claim);
            continue;
        }
        const int probe = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        address.sin_port = htons(port);
        const bool bound = probe >= 0 && bind(probe, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
        if (probe >= 0) close(probe);
        // The claim stays open, and so held, while the test runs.
        if (bound) return port;
        close(claim);
    }
    return 0;
}

// Pilots who play one game from the first screen through the lobby by
// scripts: each process with its own copy of the sample tree (a pilot
// and a career are written there) and its own runtime folder.
class LobbyPilots {
public:
    LobbyPilots() {
        std::string error;
        if (!WriteSampleTree(base_.Str(), &error)) failure_ = "no sample tree: " + error;
        port_ = FreeLoopbackPort();
        if (port_ == 0) failure_ = "no free port";
    }
    bool Ready() const { return failure_.empty(); }
    const std::string& Failure() const { return failure_; }
    // The sample tree each pilot's copy is made from when it starts.
    std::filesystem::path Tree() const { return base_.Path(); }

    // The lines of the sample tree's script `file` up to and including the
    // first that holds `through`, the sample's client Bob (callsign Bee)
    // made `pilot` (callsign `callsign`).
    std::string SampleSteps(const char* file, const std::string& through, const std::string& pilot,
                            const std::string& callsign) const {
        std::ifstream in(base_.Path() / "scripts" / file);
        std::string steps, line;
        while (std::getline(in, line)) {
            for (const auto& [from, to] : {std::pair<std::string, std::string>{"Bob", pilot}, {"Bee", callsign}}) {
                for (size_t at = line.find(from); at != std::string::npos; at = line.find(from, at + to.size())) {
                    line.replace(at, from.size(), to);
                }
            }
            steps += line + "\n";
            if (line.find(through) != std::string::npos) return steps;
        }
        return "";
    }

    // Starts `pilot`'s process on its script, with `more` arguments.
    std::unique_ptr<ChildProcess> Start(const std::string& pilot, const std::string& script,
                                        const std::vector<std::string>& more = {}) {
        const std::filesystem::path home = runs_.Path() / pilot;
        std::error_code error;
        std::filesystem::create_directories(home / "run", error);
        std::filesystem::copy(base_.Path(), home / "data", std::filesystem::copy_options::recursive, error);
        runs_.WriteFile(pilot + "/script.txt", script);
        ScopedEnvironment locked("VORN_RUNTIME_DIR", (home / "run").c_str());
        std::vector<std::string> argv{VORN_BINARY, "--data", (home / "data").string(), "--headless", "--net",
                                      "127.0.0.1:" + std::to_string(port_), "--script", (home / "script.txt").string()};
        argv.insert(argv.end(), more.begin(), more.end());
        return ChildProcess::Run(argv);
    }

private:
    TempDir base_, runs_;
    uint16_t port_ = 0;
    std::string failure_;
};
