#include "platform/VideoBackend.h"

#include "platform/SdlVideo.h"

namespace platform {
namespace {

// Why the process runs headless; unused while SDL runs.
std::string g_headlessReason = "headless (no video backend started)";

}  // namespace

VideoBackendKind VideoBackend::Start(bool wantWindow) {
    Stop();
    if (!wantWindow) {
        g_headlessReason = "headless (no window asked for)";
        return VideoBackendKind::kHeadless;
    }
    std::string reason;
    if (!SdlVideo::Start(&reason)) {
        g_headlessReason = "headless (no display: " + reason + ")";
        return VideoBackendKind::kHeadless;
    }
    return VideoBackendKind::kSdl;
}

void VideoBackend::Stop() {
    if (SdlVideo::Started()) g_headlessReason = "headless (video backend stopped)";
    SdlVideo::Stop();
}

VideoBackendKind VideoBackend::Kind() {
    return SdlVideo::Started() ? VideoBackendKind::kSdl : VideoBackendKind::kHeadless;
}

std::string VideoBackend::Description() {
    if (!SdlVideo::Started()) return g_headlessReason;
    return std::string("SDL2 video (") + SdlVideo::DriverName() + ")";
}

void VideoBackend::FallBackToHeadless(const std::string& reason) {
    SdlVideo::Stop();
    g_headlessReason = "headless (" + reason + ")";
}

}  // namespace platform
