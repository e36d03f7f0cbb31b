#include "display/MoviePlayer.h"

#include <algorithm>
#include <filesystem>

#include "platform/MovieGraph.h"
#include "platform/MultimediaStream.h"

MoviePlayer::~MoviePlayer() = default;

StreamMoviePlayer::StreamMoviePlayer(platform::DisplayDevice* device, std::shared_ptr<platform::Surface> target)
    : device_(device), target_(std::move(target)) {}

StreamMoviePlayer::~StreamMoviePlayer() { Close(); }

int32_t StreamMoviePlayer::Fail(int32_t result) {
    Close();
    return result;
}

int32_t StreamMoviePlayer::Open(const char* path, uint32_t) {
    if (path == nullptr) return kMovieBadArgument;
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error)) return kMovieFileMissing;
    if (stream_ != nullptr) return kMovieAlreadyOpen;
    if (platform::MultimediaStream::Create(&stream_) != platform::kDeviceOk) return kMovieNoObject;
    if (stream_->Initialize() != platform::kDeviceOk) return Fail(kMovieCallFailed);
    if (stream_->AddVideo(device_) != platform::kDeviceOk) return Fail(kMovieNoVideoStream);
    if (stream_->AddAudio() != platform::kDeviceOk) return Fail(kMovieNoAudioStream);
    if (stream_->OpenFile(path) != platform::kDeviceOk) return Fail(kMovieNotAMovie);
    platform::SurfaceRect rect;
    if (stream_->CreateSample(&sample_, &rect) != platform::kDeviceOk) return Fail(kMovieCallFailed);
    videoWidth = uint16_t(rect.right - rect.left);
    videoHeight = uint16_t(rect.bottom - rect.top);
    source = rect;
    if (target_ != nullptr) {
        // Centred, and cut to the target.
        const int32_t w = target_->Width(), h = target_->Height();
        destination.left = std::max(0, w / 2 - videoWidth / 2);
        destination.right = destination.left + std::min<int32_t>(videoWidth, w);
        destination.top = std::max(0, h / 2 - videoHeight / 2);
        destination.bottom = destination.top + std::min<int32_t>(videoHeight, h);
    } else {
        destination = rect;
    }
    state = 0;
    return kMovieOk;
}

int32_t StreamMoviePlayer::Close() {
    if (stream_ != nullptr) Stop();
    sample_.reset();
    stream_.reset();
    state = 0;
    return kMovieOk;
}

int32_t StreamMoviePlayer::Play() {
    if (stream_ == nullptr) return kMovieNotOpen;
    if ((state & kPlaying) != 0) return kMovieOk;
    if (stream_->SetState(platform::MultimediaStream::State::kRun) != platform::kDeviceOk) return kMovieCallFailed;
    state = kPlaying;
    return kMovieOk;
}

int32_t StreamMoviePlayer::Stop() {
    if (stream_ == nullptr) return kMovieNotOpen;
    if ((state & kPlaying) == 0) return kMovieOk;
    StopAtEnd();
    return kMovieOk;
}

void StreamMoviePlayer::StopAtEnd() {
    stream_->SetState(platform::MultimediaStream::State::kStop);
    stream_->Seek(0);
    state = 0;
}

int32_t StreamMoviePlayer::Pause() {
    if (stream_ == nullptr) return kMovieNotOpen;
    if ((state & kPlaying) == 0) return kMovieNotPlaying;
    if ((state & kPaused) != 0) return kMovieOk;
    if (stream_->SetState(platform::MultimediaStream::State::kStop) != platform::kDeviceOk) return kMovieCallFailed;
    state |= kPaused;
    return kMovieOk;
}

int32_t StreamMoviePlayer::Resume() {
    if (stream_ == nullptr) return kMovieNotOpen;
    if ((state & kPlaying) == 0) return kMovieNotPlaying;
    if ((state & kPaused) == 0) return kMovieOk;
    if (stream_->SetState(platform::MultimediaStream::State::kRun) != platform::kDeviceOk) return kMovieCallFailed;
    state &= ~kPaused;
    return kMovieOk;
}

int32_t StreamMoviePlayer::Seek(uint32_t milliseconds) {
    if (stream_ == nullptr) return kMovieNotOpen;
    return stream_->Seek(int64_t(milliseconds) * platform::kStreamUnitsPerMs) == platform::kDeviceOk
               ? kMovieOk
               : kMovieCallFailed;
}

uint32_t StreamMoviePlayer::GetPosition() {
    if (stream_ == nullptr) return kMovieNotOpen;
    int64_t time = 0;
    if (stream_->GetTime(&time) != platform::kDeviceOk) return 0;
    return uint32_t(time / platform::kStreamUnitsPerMs);
}

int32_t StreamMoviePlayer::GetInfo(MovieInfo* info) {
    if (info == nullptr) return kMovieBadArgument;
    if (stream_ == nullptr) return kMovieNotOpen;
    int64_t duration = 0;
    stream_->GetDuration(&duration);
    info->width = videoWidth;
    info->height = videoHeight;
    info->durationMs = uint32_t(duration / platform::kStreamUnitsPerMs);
    return kMovieOk;
}

uint32_t StreamMoviePlayer::Update() {
    if (stream_ != nullptr && (state & kPlaying) != 0 && stream_->EndOfStreamSignalled()) StopAtEnd();
    return state;
}

void StreamMoviePlayer::RenderFrame() {
    if (stream_ == nullptr || sample_ == nullptr || (state & kPlaying) == 0) return;
    if (stream_->UpdateSample() == platform::kStreamEndOfStream) {
        StopAtEnd();
        return;
    }
    if (target_ == nullptr) return;
    if (target_->IsLost() == platform::kDeviceSurfaceLost) target_->Restore();
    // The source part that fits the destination: no stretching here.
    platform::SurfaceRect from = source;
    from.right = from.left + (destination.right - destination.left);
    from.bottom = from.top + (destination.bottom - destination.top);
    target_->Blit(&destination, sample_.get(), &from, platform::kBlitWait, nullptr);
}

int32_t StreamMoviePlayer::SetSourceRect(int32_t left, int32_t top, int32_t width, int32_t height) {
    if (stream_ == nullptr) return kMovieNotOpen;
    source = {left, top, left + width, top + height};
    return kMovieOk;
}

int32_t StreamMoviePlayer::SetDestinationRect(int32_t left, int32_t top, int32_t width, int32_t height) {
    if (stream_ == nullptr) return kMovieNotOpen;
    destination = {left, top, left + width, top + height};
    return kMovieOk;
}

// --- GraphMoviePlayer ----------------------------------------------------------

GraphMoviePlayer::GraphMoviePlayer(platform::Window* owner) : owner_(owner) {}

GraphMoviePlayer::~GraphMoviePlayer() { Close(); }

int32_t GraphMoviePlayer::Fail(int32_t result) {
    Close();
    return result;
}

int32_t GraphMoviePlayer::Open(const char* path, uint32_t flags) {
    if (path == nullptr || owner_ == nullptr) return kMovieBadArgument;
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error)) return kMovieFileMissing;
    if (graph_ != nullptr) return kMovieAlreadyOpen;
    if (platform::MovieGraph::Create(&graph_) != platform::kDeviceOk) {
        graph_.reset();
        return kMovieNoObject;
    }
    if (graph_->RenderFile(path) != platform::kDeviceOk) return Fail(kMovieCallFailed);
    const platform::DeviceResult fullScreen = graph_->SetFullScreenMode((flags & kFullScreen) != 0);
    graph_->SetOwner(owner_);
    graph_->SetWindowStyle(graph_->WindowStyle() & ~(kStyleCaption | kStyleSystemMenu | kStyleThickFrame));
    graph_->SetLeft(0);
    graph_->SetTop(0);
    // A refusal only matters when full screen was asked for.
    if (fullScreen != platform::kDeviceOk && (flags & kFullScreen) != 0) return kMovieFullScreenRefused;
    state = 0;
    return kMovieOk;
}

int32_t GraphMoviePlayer::Close() {
    if (graph_ != nullptr) {
        Stop();
        graph_->SetOwner(nullptr);
        graph_->SetVisible(false);
    }
    graph_.reset();
    state = 0;
    return kMovieOk;
}

int32_t GraphMoviePlayer::Play() {
    if (graph_ == nullptr) return kMovieNotOpen;
    if ((state & kPlaying) != 0) return kMovieOk;
    if (graph_->Run() != platform::kDeviceOk) return kMovieCallFailed;
    state = kPlaying;
    return kMovieOk;
}

int32_t GraphMoviePlayer::Stop() {
    if (graph_ == nullptr) return kMovieNotOpen;
    if ((state & kPlaying) == 0) return kMovieOk;
    graph_->Pause();
    graph_->SetCurrentPosition(0.0);
    graph_->StopWhenReady();
    state = 0;
    return kMovieOk;
}

int32_t GraphMoviePlayer::Pause() {
    if (graph_ == nullptr) return kMovieNotOpen;
    if ((state & kPlaying) == 0) return kMovieNotPlaying;
    if ((state & kPaused) != 0) return kMovieOk;
    if (graph_->Pause() != platform::kDeviceOk) return kMovieCallFailed;
    state |= kPaused;
    return kMovieOk;
}

int32_t GraphMoviePlayer::Resume() {
    if (graph_ == nullptr) return kMovieNotOpen;
    if ((state & kPlaying) == 0) return kMovieNotPlaying;
    if ((state & kPaused) == 0) return kMovieOk;
    if (graph_->Run() != platform::kDeviceOk) return kMovieCallFailed;
    state &= ~kPaused;
    return kMovieOk;
}

int32_t GraphMoviePlayer::Seek(uint32_t milliseconds) {
    if (graph_ == nullptr) return kMovieNotOpen;
    if (graph_->SetCurrentPosition(double(milliseconds) * 0.001) != platform::kDeviceOk) return kMovieCallFailed;
    state = 0;
    return kMovieOk;
}

uint32_t GraphMoviePlayer::GetPosition() {
    double seconds = 0.0;
    if (graph_ == nullptr || graph_->GetCurrentPosition(&seconds) != platform::kDeviceOk) return 0;
    return uint32_t(seconds * 1000.0);
}

int32_t GraphMoviePlayer::GetInfo(MovieInfo* info) {
    if (info == nullptr) return kMovieBadArgument;
    if (graph_ == nullptr) return kMovieNotOpen;
    double seconds = 0.0;
    int32_t w = 0, h = 0;
    if (graph_->GetDuration(&seconds) != platform::kDeviceOk || graph_->GetVideoSize(&w, &h) != platform::kDeviceOk) {
        return kMovieCallFailed;
    }
    info->width = uint16_t(w);
    info->height = uint16_t(h);
    info->durationMs = uint32_t(seconds * 1000.0);
    return kMovieOk;
}

uint32_t GraphMoviePlayer::Update() {
    int32_t code = 0;
    // Complete, user abort, error abort.
    if (graph_ != nullptr && graph_->GetEvent(&code) && code >= 1 && code <= 3) Stop();
    return state;
}

void GraphMoviePlayer::RenderFrame() {
    if (graph_ != nullptr && (state & kPlaying) != 0) graph_->Show();
}

int32_t GraphMoviePlayer::SetSourceRect(int32_t left, int32_t top, int32_t width, int32_t height) {
    if (graph_ == nullptr) return kMovieNotOpen;
    return graph_->SetSourcePosition(left, top, width, height) == platform::kDeviceOk ? kMovieOk : kMovieCallFailed;
}

int32_t GraphMoviePlayer::SetDestinationRect(int32_t left, int32_t top, int32_t width, int32_t height) {
    if (graph_ == nullptr) return kMovieNotOpen;
    return graph_->SetDestinationPosition(left, top, width, height) == platform::kDeviceOk ? kMovieOk
                                                                                           : kMovieCallFailed;
}
