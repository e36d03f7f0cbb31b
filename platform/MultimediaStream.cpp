#include "platform/MultimediaStream.h"

#include <algorithm>

#include "platform/Clock.h"
#include "platform/DisplayAdapter.h"
#include "platform/DisplayDevice.h"
#include "platform/MovieDecoder.h"
#include "platform/VideoBackend.h"

namespace platform {
namespace {

int32_t g_created = 0;

uint16_t Pack(uint32_t rgb, const PixelLayout& format) {
    const uint32_t r = (rgb >> 16) & 0xFF, g = (rgb >> 8) & 0xFF, b = rgb & 0xFF;
    if (format == kLayoutRgb555) return uint16_t((r & 0xF8) << 7 | (g & 0xF8) << 2 | b >> 3);
    return uint16_t((r & 0xF8) << 8 | (g & 0xFC) << 3 | b >> 3);
}

}  // namespace

MultimediaStream::~MultimediaStream() = default;

DeviceResult MultimediaStream::Create(std::unique_ptr<MultimediaStream>* stream) {
    if (stream == nullptr) return kDeviceInvalidArguments;
    stream->reset(new MultimediaStream());
    ++g_created;
    return kDeviceOk;
}

int32_t MultimediaStream::CreatedCount() { return g_created; }

DeviceResult MultimediaStream::Initialize() {
    initialized_ = true;
    return kDeviceOk;
}

DeviceResult MultimediaStream::AddVideo(DisplayDevice* device) {
    if (!initialized_ || device == nullptr) return kDeviceFailed;
    device_ = device;
    return kDeviceOk;
}

DeviceResult MultimediaStream::AddAudio() {
    if (!initialized_) return kDeviceFailed;
    audio_ = true;
    return kDeviceOk;
}

DeviceResult MultimediaStream::OpenFile(const std::string& path) {
    if (!initialized_ || device_ == nullptr) return kDeviceFailed;
    std::string reason;
    decoder_ = MovieDecoder::Open(path, &reason);
    if (decoder_ == nullptr) return kDeviceWrongFormat;
    // A movie without sound plays silent.
    soundLoaded_ = audio_ && sound_.Load(path, &reason);
    return kDeviceOk;
}

int64_t MultimediaStream::NowMs() const {
    if (state_ != State::kRun) return baseMs_;
    return baseMs_ + int64_t(uint32_t(Clock::Current().Milliseconds() - runStart_));
}

bool MultimediaStream::EndOfStreamSignalled() const {
    if (decoder_ == nullptr) return false;
    return ended_ || (state_ == State::kRun && decoder_->DurationMs() > 0 && NowMs() >= decoder_->DurationMs());
}

DeviceResult MultimediaStream::CreateSample(std::shared_ptr<Surface>* surface, SurfaceRect* rect) {
    if (decoder_ == nullptr || device_ == nullptr || surface == nullptr || rect == nullptr) return kDeviceFailed;
    SurfaceDescription description;
    description.width = decoder_->Width();
    description.height = decoder_->Height();
    description.caps = kCapsOffscreen | kCapsSystemMemory;
    const PixelLayout& mode = device_->Adapter().CurrentMode().format;
    description.format = mode.bitsPerPixel == 16 ? mode : kLayoutRgb565;
    const DeviceResult made = device_->CreateSurface(description, &sample_);
    if (made != kDeviceOk) return made;
    *surface = sample_;
    *rect = SurfaceRect{0, 0, decoder_->Width(), decoder_->Height()};
    return kDeviceOk;
}

int32_t MultimediaStream::UpdateSample() {
    if (decoder_ == nullptr || sample_ == nullptr) return kDeviceFailed;
    bool ended = false;
    const bool changed = decoder_->FrameDue(NowMs(), &frame_, &ended);
    if (ended) ended_ = true;
    if (changed) {
        SurfaceDescription locked;
        if (sample_->Lock(&locked, kLockWait) == kDeviceOk) {
            for (int32_t y = 0; y < decoder_->Height(); ++y) {
                auto* const row = reinterpret_cast<uint16_t*>(locked.memory + size_t(y) * size_t(locked.pitch));
                for (int32_t x = 0; x < decoder_->Width(); ++x) {
                    row[x] = Pack(frame_[size_t(y) * size_t(decoder_->Width()) + size_t(x)], locked.format);
                }
            }
            sample_->Unlock();
        }
    }
    if (ended_ && !changed) return kStreamEndOfStream;
    return kDeviceOk;
}

DeviceResult MultimediaStream::SetState(State state) {
    if (decoder_ == nullptr) return kDeviceFailed;
    if (state == state_) return kDeviceOk;
    if (state == State::kRun) {
        runStart_ = Clock::Current().Milliseconds();
    } else {
        baseMs_ = NowMs();
        sound_.Stop();
    }
    state_ = state;
    if (state == State::kRun) StartSound();
    return kDeviceOk;
}

DeviceResult MultimediaStream::Seek(int64_t time) {
    if (decoder_ == nullptr) return kDeviceFailed;
    const int64_t ms = std::max<int64_t>(0, time / kStreamUnitsPerMs);
    if (!decoder_->Rewind()) return kDeviceFailed;
    baseMs_ = ms;
    runStart_ = Clock::Current().Milliseconds();
    ended_ = false;
    if (state_ == State::kRun) StartSound();
    return kDeviceOk;
}

void MultimediaStream::StartSound() {
    if (soundLoaded_ && VideoBackend::Kind() == VideoBackendKind::kSdl) sound_.Start(NowMs());
}

DeviceResult MultimediaStream::GetTime(int64_t* time) const {
    if (decoder_ == nullptr || time == nullptr) return kDeviceFailed;
    *time = NowMs() * kStreamUnitsPerMs;
    return kDeviceOk;
}

DeviceResult MultimediaStream::GetDuration(int64_t* duration) const {
    if (decoder_ == nullptr || duration == nullptr) return kDeviceFailed;
    *duration = decoder_->DurationMs() * kStreamUnitsPerMs;
    return kDeviceOk;
}

}  // namespace platform
