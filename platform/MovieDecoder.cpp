#include "platform/MovieDecoder.h"

#include <algorithm>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/imgutils.h>
#include <libavutil/log.h>
#include <libswscale/swscale.h>
}

namespace platform {

struct MovieDecoder::State {
    AVFormatContext* format = nullptr;
    AVCodecContext* codec = nullptr;
    AVPacket* packet = nullptr;
    AVFrame* frame = nullptr;
    SwsContext* scaler = nullptr;
    int stream = -1;
    bool draining = false;
    int64_t frameMs = 40;   // a frame's time, from the stream's rate when it says
    int64_t lastMs = -1;    // time of the frame converted last

    ~State() {
        sws_freeContext(scaler);
        av_frame_free(&frame);
        av_packet_free(&packet);
        avcodec_free_context(&codec);
        avformat_close_input(&format);
    }
};

MovieDecoder::MovieDecoder(std::unique_ptr<State> state) : state_(std::move(state)) {}

MovieDecoder::~MovieDecoder() = default;

std::unique_ptr<MovieDecoder> MovieDecoder::Open(const std::string& path, std::string* reason) {
    // Damaged streams are reported by the result; the library's own
    // messages would only clutter the game's output.
    av_log_set_level(AV_LOG_FATAL);
    auto state = std::make_unique<State>();
    const auto fail = [reason](const char* why) -> std::unique_ptr<MovieDecoder> {
        if (reason != nullptr) *reason = why;
        return nullptr;
    };
    if (avformat_open_input(&state->format, path.c_str(), nullptr, nullptr) < 0) return fail("not a movie file");
    if (avformat_find_stream_info(state->format, nullptr) < 0) return fail("no stream information");
    const AVCodec* decoder = nullptr;
    state->stream = av_find_best_stream(state->format, AVMEDIA_TYPE_VIDEO, -1, -1, &decoder, 0);
    if (state->stream < 0 || decoder == nullptr) return fail("no video stream");
    state->codec = avcodec_alloc_context3(decoder);
    if (state->codec == nullptr ||
        avcodec_parameters_to_context(state->codec, state->format->streams[state->stream]->codecpar) < 0 ||
        avcodec_open2(state->codec, decoder, nullptr) < 0) {
        return fail("the video cannot be decoded");
    }
    state->packet = av_packet_alloc();
    state->frame = av_frame_alloc();
    if (state->packet == nullptr || state->frame == nullptr) return fail("out of memory");
    const int32_t width = state->codec->width, height = state->codec->height;
    // A movie is shown at screen sizes; anything larger is not one of ours.
    if (width <= 0 || height <= 0 || width > 4096 || height > 4096) return fail("no picture size");
    const AVStream& video = *state->format->streams[state->stream];
    const AVRational rate = video.avg_frame_rate.num > 0 && video.avg_frame_rate.den > 0 ? video.avg_frame_rate
                                                                                        : video.r_frame_rate;
    if (rate.num > 0 && rate.den > 0) state->frameMs = std::clamp<int64_t>(av_rescale(1000, rate.den, rate.num), 1, 1000);
    std::unique_ptr<MovieDecoder> movie(new MovieDecoder(std::move(state)));
    movie->width_ = width;
    movie->height_ = height;
    const int64_t duration = movie->state_->format->duration;
    movie->durationMs_ = duration > 0 ? duration / (AV_TIME_BASE / 1000) : 0;
    return movie;
}

bool MovieDecoder::NextFrame(std::vector<uint32_t>* pixels, int64_t* timeMs) {
    State& s = *state_;
    for (;;) {
        const int received = avcodec_receive_frame(s.codec, s.frame);
        if (received == 0) return Convert(pixels, timeMs);
        if (received == AVERROR_EOF) return false;
        if (received != AVERROR(EAGAIN)) return false;
        if (s.draining) return false;
        // Feed the decoder the next packet of the video stream.
        bool fed = false;
        while (!fed) {
            const int read = av_read_frame(s.format, s.packet);
            if (read < 0) {
                s.draining = true;
                avcodec_send_packet(s.codec, nullptr);
                fed = true;
                break;
            }
            if (s.packet->stream_index == s.stream) {
                const int sent = avcodec_send_packet(s.codec, s.packet);
                fed = true;
                if (sent < 0 && sent != AVERROR(EAGAIN)) {
                    av_packet_unref(s.packet);
                    return false;
                }
            }
            av_packet_unref(s.packet);
        }
    }
}

bool MovieDecoder::Convert(std::vector<uint32_t>* pixels, int64_t* timeMs) {
    State& s = *state_;
    AVFrame& f = *s.frame;
    // The stream may change its size mid-way: only frames of the opened size count.
    if (f.width != width_ || f.height != height_) return false;
    s.scaler = sws_getCachedContext(s.scaler, f.width, f.height, AVPixelFormat(f.format), width_, height_,
                                    AV_PIX_FMT_BGRA, SWS_BILINEAR, nullptr, nullptr, nullptr);
    if (s.scaler == nullptr) return false;
    if (pixels != nullptr) {
        pixels->assign(size_t(width_) * size_t(height_), 0);
        uint8_t* const planes[4] = {reinterpret_cast<uint8_t*>(pixels->data()), nullptr, nullptr, nullptr};
        const int strides[4] = {width_ * 4, 0, 0, 0};
        sws_scale(s.scaler, f.data, f.linesize, 0, f.height, planes, strides);
        for (uint32_t& p : *pixels) p &= 0xFFFFFF;   // BGRA in memory: 0xAARRGGBB words
    }
    const AVRational base = s.format->streams[s.stream]->time_base;
    const int64_t pts = f.best_effort_timestamp;
    const int64_t start = s.format->streams[s.stream]->start_time;
    int64_t time = 0;
    if (pts != AV_NOPTS_VALUE) {
        time = av_rescale_q(pts - (start == AV_NOPTS_VALUE ? 0 : start), base, {1, 1000});
    } else if (s.lastMs >= 0) {
        // A frame the file gives no time (the last one out of the decoder,
        // often) follows the one before by a frame's time, not at 0.
        time = s.lastMs + s.frameMs;
    }
    s.lastMs = time;
    if (timeMs != nullptr) *timeMs = time;
    return true;
}

bool MovieDecoder::Rewind() {
    State& s = *state_;
    if (av_seek_frame(s.format, s.stream, 0, AVSEEK_FLAG_BACKWARD) < 0) return false;
    avcodec_flush_buffers(s.codec);
    s.draining = false;
    s.lastMs = -1;
    pendingMs_ = shownMs_ = previousMs_ = -1;
    exhausted_ = false;
    return true;
}

bool MovieDecoder::FrameDue(int64_t nowMs, std::vector<uint32_t>* pixels, bool* ended) {
    bool changed = false;
    for (;;) {
        // The next frame is decoded ahead into a buffer of its own: the
        // caller's keeps the frame on show until this one's time comes.
        if (pendingMs_ < 0 && (exhausted_ || !NextFrame(&pending_, &pendingMs_))) {
            pendingMs_ = -1;
            exhausted_ = true;
            break;
        }
        // The first frame shows at once; each other waits for its time.
        if (shownMs_ >= 0 && pendingMs_ > nowMs) break;
        previousMs_ = shownMs_;
        shownMs_ = pendingMs_;
        pendingMs_ = -1;
        if (pixels != nullptr) pixels->swap(pending_);
        changed = true;
    }
    if (ended != nullptr) {
        // The last frame stays on show as long as the one before it did.
        const int64_t span = previousMs_ >= 0 ? std::max<int64_t>(shownMs_ - previousMs_, 0) : 0;
        *ended = exhausted_ && (shownMs_ < 0 || nowMs >= shownMs_ + span);
    }
    return changed;
}

}  // namespace platform
