#include "platform/AudioOutput.h"

#include <cstdio>

#include "platform/AudioMixer.h"

namespace platform {

bool HeadlessAudioOutput::Open(AudioMixer& mixer) {
    mixer_ = &mixer;
    return true;
}

void HeadlessAudioOutput::Close() { mixer_ = nullptr; }

std::vector<int16_t> HeadlessAudioOutput::Render(size_t frames) {
    if (mixer_ == nullptr) return {};
    std::vector<int16_t> out(frames * AudioMixer::kChannels);
    mixer_->Mix(out.data(), frames);
    return out;
}

std::vector<uint8_t> EncodeWav(const std::vector<int16_t>& samples, int32_t rate, int32_t channels) {
    constexpr size_t kHeaderBytes = 44;
    std::vector<uint8_t> out;
    out.reserve(kHeaderBytes + samples.size() * 2);
    const auto put32 = [&out](uint32_t v) {
        for (int i = 0; i < 4; ++i) out.push_back(uint8_t(v >> (8 * i)));
    };
    const auto put16 = [&out](uint32_t v) {
        out.push_back(uint8_t(v));
        out.push_back(uint8_t(v >> 8));
    };
    const auto tag = [&out](const char* t) {
        for (int i = 0; i < 4; ++i) out.push_back(uint8_t(t[i]));
    };
    const uint32_t bytes = uint32_t(samples.size() * 2);
    tag("RIFF");
    put32(36 + bytes);
    tag("WAVE");
    tag("fmt ");
    put32(16);
    put16(1);   // PCM
    put16(uint32_t(channels));
    put32(uint32_t(rate));
    put32(uint32_t(rate * channels * 2));
    put16(uint32_t(channels * 2));
    put16(16);
    tag("data");
    put32(bytes);
    for (const int16_t s : samples) put16(uint16_t(s));
    return out;
}

bool WriteWav(const std::string& path, const std::vector<int16_t>& samples, int32_t rate, int32_t channels) {
    const std::vector<uint8_t> bytes = EncodeWav(samples, rate, channels);
    std::FILE* const file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) return false;
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && written;
}

}  // namespace platform
