#include "platform/MovieGraph.h"

#include <algorithm>

#include "platform/Clock.h"
#include "platform/DisplayPresenter.h"
#include "platform/MovieDecoder.h"
#include "platform/PixelLayout.h"
#include "platform/VideoBackend.h"
#include "platform/Window.h"

namespace platform {
namespace {

int32_t g_created = 0;
bool g_fullScreenSupported = true;

}  // namespace

MovieGraph::~MovieGraph() = default;

DeviceResult MovieGraph::Create(std::unique_ptr<MovieGraph>* graph) {
    if (graph == nullptr) return kDeviceInvalidArguments;
    graph->reset(new MovieGraph());
    ++g_created;
    return kDeviceOk;
}

int32_t MovieGraph::CreatedCount() { return g_created; }

void MovieGraph::SetFullScreenSupported(bool supported) { g_fullScreenSupported = supported; }

DeviceResult MovieGraph::RenderFile(const std::string& path) {
    std::string reason;
    decoder_ = MovieDecoder::Open(path, &reason);
    if (decoder_ == nullptr) return kDeviceWrongFormat;
    soundLoaded_ = sound_.Load(path, &reason);   // a movie without sound plays silent
    const int32_t w = decoder_->Width(), h = decoder_->Height();
    const int32_t whole[4] = {0, 0, w, h};
    std::copy(std::begin(whole), std::end(whole), source_);
    std::copy(std::begin(whole), std::end(whole), destination_);
    return kDeviceOk;
}

int64_t MovieGraph::NowMs() const {
    if (state_ != State::kRunning) return baseMs_;
    return baseMs_ + int64_t(uint32_t(Clock::Current().Milliseconds() - runStart_));
}

DeviceResult MovieGraph::Run() {
    if (decoder_ == nullptr) return kDeviceFailed;
    if (state_ != State::kRunning) {
        runStart_ = Clock::Current().Milliseconds();
        state_ = State::kRunning;
        StartSound();
    }
    return kDeviceOk;
}

DeviceResult MovieGraph::Pause() {
    if (decoder_ == nullptr) return kDeviceFailed;
    baseMs_ = NowMs();
    state_ = State::kPaused;
    sound_.Stop();
    return kDeviceOk;
}

DeviceResult MovieGraph::StopWhenReady() {
    if (decoder_ == nullptr) return kDeviceFailed;
    baseMs_ = NowMs();
    state_ = State::kStopped;
    sound_.Stop();
    return kDeviceOk;
}

DeviceResult MovieGraph::SetCurrentPosition(double seconds) {
    if (decoder_ == nullptr || !(seconds >= 0.0)) return kDeviceInvalidArguments;
    if (!decoder_->Rewind()) return kDeviceFailed;
    baseMs_ = int64_t(seconds * 1000.0);
    runStart_ = Clock::Current().Milliseconds();
    completed_ = false;
    decoderEnded_ = false;
    if (state_ == State::kRunning) StartSound();
    return kDeviceOk;
}

DeviceResult MovieGraph::GetCurrentPosition(double* seconds) const {
    if (decoder_ == nullptr || seconds == nullptr) return kDeviceFailed;
    *seconds = double(NowMs()) / 1000.0;
    return kDeviceOk;
}

DeviceResult MovieGraph::GetDuration(double* seconds) const {
    if (decoder_ == nullptr || seconds == nullptr) return kDeviceFailed;
    *seconds = double(decoder_->DurationMs()) / 1000.0;
    return kDeviceOk;
}

void MovieGraph::StartSound() {
    if (soundLoaded_ && VideoBackend::Kind() == VideoBackendKind::kSdl) sound_.Start(NowMs());
}

void MovieGraph::Advance() {
    bool ended = false;
    if (decoder_->FrameDue(NowMs(), &frame_, &ended)) fresh_ = true;
    decoderEnded_ = ended;
}

bool MovieGraph::GetEvent(int32_t* code) {
    if (decoder_ != nullptr && state_ == State::kRunning && !completed_) {
        // The movie runs on whether it is shown or not. Its end is the
        // decoder's, or the length the file states when that comes first;
        // many files state none.
        Advance();
        const int64_t duration = decoder_->DurationMs();
        if (decoderEnded_ || (duration > 0 && NowMs() >= duration)) {
            completed_ = true;
            events_.push_back(kGraphEventComplete);
        }
    }
    if (events_.empty() || code == nullptr) return false;
    *code = events_.front();
    events_.pop_front();
    return true;
}

DeviceResult MovieGraph::GetVideoSize(int32_t* width, int32_t* height) const {
    if (decoder_ == nullptr || width == nullptr || height == nullptr) return kDeviceFailed;
    *width = decoder_->Width();
    *height = decoder_->Height();
    return kDeviceOk;
}

DeviceResult MovieGraph::SetSourcePosition(int32_t left, int32_t top, int32_t width, int32_t height) {
    if (decoder_ == nullptr || width <= 0 || height <= 0) return kDeviceInvalidArguments;
    const int32_t r[4] = {left, top, width, height};
    std::copy(std::begin(r), std::end(r), source_);
    return kDeviceOk;
}

DeviceResult MovieGraph::SetDestinationPosition(int32_t left, int32_t top, int32_t width, int32_t height) {
    if (decoder_ == nullptr || width <= 0 || height <= 0) return kDeviceInvalidArguments;
    const int32_t r[4] = {left, top, width, height};
    std::copy(std::begin(r), std::end(r), destination_);
    return kDeviceOk;
}

DeviceResult MovieGraph::SetFullScreenMode(bool on) { return on && !g_fullScreenSupported ? kDeviceUnsupported : kDeviceOk; }

DeviceResult MovieGraph::SetOwner(Window* owner) {
    owner_ = owner;
    return kDeviceOk;
}

DeviceResult MovieGraph::SetWindowStyle(uint32_t style) {
    style_ = style;
    return kDeviceOk;
}

DeviceResult MovieGraph::SetLeft(int32_t left) {
    left_ = left;
    return kDeviceOk;
}

DeviceResult MovieGraph::SetTop(int32_t top) {
    top_ = top;
    return kDeviceOk;
}

DeviceResult MovieGraph::SetVisible(bool visible) {
    visible_ = visible;
    return kDeviceOk;
}

void MovieGraph::Show() {
    if (decoder_ == nullptr) return;
    Advance();
    if (owner_ == nullptr || !visible_ || !fresh_ || frame_.empty()) return;
    fresh_ = false;
    // The owner window's picture, the movie scaled into its destination.
    const int32_t w = owner_->Width(), h = owner_->Height();
    if (w <= 0 || h <= 0) return;
    std::vector<uint16_t> picture(size_t(w) * size_t(h), 0);
    const int32_t vw = decoder_->Width(), vh = decoder_->Height();
    for (int32_t y = 0; y < destination_[3]; ++y) {
        const int32_t ty = destination_[1] + y;
        if (ty < 0 || ty >= h) continue;
        const int32_t sy = std::clamp(source_[1] + y * source_[3] / destination_[3], 0, vh - 1);
        for (int32_t x = 0; x < destination_[2]; ++x) {
            const int32_t tx = destination_[0] + x;
            if (tx < 0 || tx >= w) continue;
            const int32_t sx = std::clamp(source_[0] + x * source_[2] / destination_[2], 0, vw - 1);
            const uint32_t rgb = frame_[size_t(sy) * size_t(vw) + size_t(sx)];
            picture[size_t(ty) * size_t(w) + size_t(tx)] =
                uint16_t((rgb >> 8 & 0xF800) | (rgb >> 5 & 0x07E0) | (rgb >> 3 & 0x001F));
        }
    }
    DisplayPresenter::Current().Present(reinterpret_cast<const uint8_t*>(picture.data()), w, h, w * 2, kLayoutRgb565,
                                        nullptr);
}

}  // namespace platform
