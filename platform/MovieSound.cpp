#include "platform/MovieSound.h"

#include <SDL2/SDL.h>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/log.h>
#include <libswresample/swresample.h>
}

#include <algorithm>
#include <memory>

namespace platform {
namespace {

struct Decoding {
    AVFormatContext* format = nullptr;
    AVCodecContext* codec = nullptr;
    SwrContext* resampler = nullptr;
    AVPacket* packet = nullptr;
    AVFrame* frame = nullptr;
    // What the resampler takes in: the last frame's layout, rate and format.
    AVChannelLayout layout{};
    int32_t rate = 0;
    int32_t sampleFormat = -1;
    ~Decoding() {
        av_channel_layout_uninit(&layout);
        av_frame_free(&frame);
        av_packet_free(&packet);
        swr_free(&resampler);
        avcodec_free_context(&codec);
        avformat_close_input(&format);
    }
};

// Converts `count` samples of `input` (null: what the resampler still holds)
// onto the end of `out`.
bool Convert(Decoding& d, const uint8_t** input, int count, std::vector<int16_t>* out) {
    const int capacity = swr_get_out_samples(d.resampler, count);
    if (capacity < 0) return false;
    const size_t at = out->size();
    out->resize(at + size_t(capacity) * MovieSound::kChannels);
    uint8_t* target = reinterpret_cast<uint8_t*>(out->data() + at);
    const int made = swr_convert(d.resampler, &target, capacity, input, count);
    if (made < 0) {
        out->resize(at);
        return false;
    }
    out->resize(at + size_t(made) * MovieSound::kChannels);
    return true;
}

// Sets the resampler up for the decoded frame. A stream may change its
// layout or rate from one frame to the next (MP2 says both in every frame
// header), and a mono frame has one plane where a stereo one has two: a
// change ends the old resampler, its last samples kept, and starts another.
bool Prepare(Decoding& d, std::vector<int16_t>* out) {
    const AVFrame& f = *d.frame;
    // A frame that only counts its channels gets the usual layout for them.
    AVChannelLayout layout{};
    bool known = true;
    if (f.ch_layout.order == AV_CHANNEL_ORDER_UNSPEC) {
        av_channel_layout_default(&layout, f.ch_layout.nb_channels);
    } else {
        known = av_channel_layout_copy(&layout, &f.ch_layout) == 0;
    }
    if (!known || layout.nb_channels <= 0 || f.sample_rate <= 0) {
        av_channel_layout_uninit(&layout);
        return false;
    }
    if (d.resampler != nullptr && f.sample_rate == d.rate && f.format == d.sampleFormat &&
        av_channel_layout_compare(&layout, &d.layout) == 0) {
        av_channel_layout_uninit(&layout);
        return true;
    }
    if (d.resampler != nullptr && !Convert(d, nullptr, 0, out)) {
        av_channel_layout_uninit(&layout);
        return false;
    }
    swr_free(&d.resampler);
    av_channel_layout_uninit(&d.layout);
    d.layout = layout;
    d.rate = f.sample_rate;
    d.sampleFormat = f.format;
    AVChannelLayout stereo = AV_CHANNEL_LAYOUT_STEREO;
    return swr_alloc_set_opts2(&d.resampler, &stereo, AV_SAMPLE_FMT_S16, MovieSound::kRate, &d.layout,
                               AVSampleFormat(d.sampleFormat), d.rate, 0, nullptr) == 0 &&
           swr_init(d.resampler) == 0;
}

// Resamples one decoded frame onto the end of `out`.
bool Append(Decoding& d, std::vector<int16_t>* out) {
    if (!Prepare(d, out)) return false;
    return Convert(d, const_cast<const uint8_t**>(d.frame->extended_data), d.frame->nb_samples, out);
}

}  // namespace

MovieSound::~MovieSound() { Stop(); }

bool MovieSound::Load(const std::string& path, std::string* reason) {
    av_log_set_level(AV_LOG_FATAL);
    samples_.clear();
    Decoding d;
    const auto fail = [reason](const char* why) {
        if (reason != nullptr) *reason = why;
        return false;
    };
    if (avformat_open_input(&d.format, path.c_str(), nullptr, nullptr) < 0) return fail("not a movie file");
    if (avformat_find_stream_info(d.format, nullptr) < 0) return fail("no stream information");
    const AVCodec* decoder = nullptr;
    const int stream = av_find_best_stream(d.format, AVMEDIA_TYPE_AUDIO, -1, -1, &decoder, 0);
    if (stream < 0 || decoder == nullptr) return fail("no sound");
    d.codec = avcodec_alloc_context3(decoder);
    if (d.codec == nullptr || avcodec_parameters_to_context(d.codec, d.format->streams[stream]->codecpar) < 0 ||
        avcodec_open2(d.codec, decoder, nullptr) < 0) {
        return fail("the sound cannot be decoded");
    }
    d.packet = av_packet_alloc();
    d.frame = av_frame_alloc();
    if (d.packet == nullptr || d.frame == nullptr) return fail("out of memory");
    const auto drain = [&]() {
        while (avcodec_receive_frame(d.codec, d.frame) == 0) {
            if (!Append(d, &samples_)) return false;
        }
        return true;
    };
    while (av_read_frame(d.format, d.packet) >= 0) {
        const bool ours = d.packet->stream_index == stream;
        if (ours) avcodec_send_packet(d.codec, d.packet);
        av_packet_unref(d.packet);
        if (ours && !drain()) return fail("the sound cannot be converted");
    }
    avcodec_send_packet(d.codec, nullptr);
    // The last samples the resampler holds belong to the sound too.
    if (!drain() || (d.resampler != nullptr && !Convert(d, nullptr, 0, &samples_))) {
        return fail("the sound cannot be converted");
    }
    return !samples_.empty() || fail("no sound");
}

bool MovieSound::Start(int64_t fromMs) {
    Stop();
    if (samples_.empty()) return false;
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return false;
    subsystem_ = true;
    SDL_AudioSpec wanted{};
    wanted.freq = kRate;
    wanted.format = AUDIO_S16SYS;
    wanted.channels = kChannels;
    wanted.samples = 2048;
    device_ = SDL_OpenAudioDevice(nullptr, 0, &wanted, nullptr, 0);
    if (device_ == 0) {
        Stop();
        return false;
    }
    const size_t frames = samples_.size() / kChannels;
    const size_t first = std::min(frames, size_t(std::max<int64_t>(0, fromMs)) * kRate / 1000);
    SDL_QueueAudio(device_, samples_.data() + first * kChannels,
                   uint32_t((frames - first) * kChannels * sizeof(int16_t)));
    SDL_PauseAudioDevice(device_, 0);
    return true;
}

void MovieSound::Stop() {
    if (device_ != 0) {
        SDL_ClearQueuedAudio(device_);
        SDL_CloseAudioDevice(device_);
        device_ = 0;
    }
    if (subsystem_) {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        subsystem_ = false;
    }
}

uint32_t MovieSound::QueuedBytes() const { return device_ != 0 ? SDL_GetQueuedAudioSize(device_) : 0; }

}  // namespace platform
