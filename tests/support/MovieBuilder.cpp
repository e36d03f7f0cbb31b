#include "tests/support/MovieBuilder.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/log.h>
}

#include <algorithm>
#include <cmath>
#include <numbers>
#include <utility>

namespace {

// Every MP2 frame holds this many samples of each channel.
constexpr int32_t kMp2FrameSamples = 1152;

struct Encoding {
    AVFormatContext* out = nullptr;
    AVCodecContext* codec = nullptr;
    AVFrame* frame = nullptr;
    AVPacket* packet = nullptr;
    ~Encoding() {
        av_packet_free(&packet);
        av_frame_free(&frame);
        avcodec_free_context(&codec);
        if (out != nullptr && out->pb != nullptr && (out->oformat->flags & AVFMT_NOFILE) == 0) avio_closep(&out->pb);
        avformat_free_context(out);
    }
};

// Sends `frame` (null: the end) and writes every packet that comes out,
// its times moved from `from` by `offset` (in `from` units) into the stream's.
bool Drain(Encoding& e, AVFrame* frame, AVStream* stream, AVRational from, int64_t offset) {
    if (avcodec_send_frame(e.codec, frame) < 0) return false;
    for (;;) {
        const int got = avcodec_receive_packet(e.codec, e.packet);
        if (got == AVERROR(EAGAIN) || got == AVERROR_EOF) return true;
        if (got < 0) return false;
        if (e.packet->pts != AV_NOPTS_VALUE) e.packet->pts = av_rescale_q(e.packet->pts + offset, from, stream->time_base);
        if (e.packet->dts != AV_NOPTS_VALUE) e.packet->dts = av_rescale_q(e.packet->dts + offset, from, stream->time_base);
        e.packet->duration = av_rescale_q(e.packet->duration, from, stream->time_base);
        e.packet->stream_index = stream->index;
        if (av_interleaved_write_frame(e.out, e.packet) < 0) return false;
    }
}

AVCodecContext* PictureEncoder(int32_t width, int32_t height, int32_t rate, bool globalHeader) {
    const AVCodec* codec = avcodec_find_encoder(AV_CODEC_ID_MPEG1VIDEO);
    if (codec == nullptr) return nullptr;
    AVCodecContext* c = avcodec_alloc_context3(codec);
    if (c == nullptr) return nullptr;
    c->width = width;
    c->height = height;
    c->time_base = {1, rate};
    c->framerate = {rate, 1};
    c->pix_fmt = AV_PIX_FMT_YUV420P;
    c->gop_size = 12;
    c->max_b_frames = 0;   // display order is decoding order: frame i is colour i
    c->bit_rate = 2000000;
    if (globalHeader) c->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    if (avcodec_open2(c, codec, nullptr) < 0) avcodec_free_context(&c);
    return c;
}

AVCodecContext* SoundEncoder(int32_t channels, int32_t rate, bool globalHeader) {
    const AVCodec* codec = avcodec_find_encoder(AV_CODEC_ID_MP2);
    if (codec == nullptr) return nullptr;
    AVCodecContext* c = avcodec_alloc_context3(codec);
    if (c == nullptr) return nullptr;
    c->sample_fmt = AV_SAMPLE_FMT_S16;
    c->sample_rate = rate;
    av_channel_layout_default(&c->ch_layout, channels);
    c->bit_rate = channels == 1 ? 64000 : 128000;
    c->time_base = {1, rate};
    if (globalHeader) c->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    if (avcodec_open2(c, codec, nullptr) < 0) avcodec_free_context(&c);
    return c;
}

// A picture of one colour into `frame`, in studio-range BT.601, what the
// decoder assumes of an MPEG-1 picture.
bool FillPicture(AVFrame* frame, int32_t width, int32_t height, uint32_t colour) {
    av_frame_unref(frame);
    frame->format = AV_PIX_FMT_YUV420P;
    frame->width = width;
    frame->height = height;
    if (av_frame_get_buffer(frame, 0) < 0) return false;
    const double r = (colour >> 16) & 0xFF, g = (colour >> 8) & 0xFF, b = colour & 0xFF;
    const auto level = [](double v) { return uint8_t(std::lround(std::clamp(v, 0.0, 255.0))); };
    const uint8_t values[3] = {level(16 + (65.481 * r + 128.553 * g + 24.966 * b) / 255),
                               level(128 + (-37.797 * r - 74.203 * g + 112.0 * b) / 255),
                               level(128 + (112.0 * r - 93.786 * g - 18.214 * b) / 255)};
    for (int plane = 0; plane < 3; ++plane) {
        const int32_t rows = plane == 0 ? height : (height + 1) / 2;
        for (int32_t row = 0; row < rows; ++row) {
            std::fill_n(frame->data[plane] + ptrdiff_t(row) * frame->linesize[plane], frame->linesize[plane],
                        values[plane]);
        }
    }
    return true;
}

// One MP2 frame of a tone into `frame`, from sample `first` of the run on;
// past the run's `total` samples, silence.
bool FillTone(AVFrame* frame, const AVChannelLayout& layout, int32_t rate, double hertz, int64_t first,
              int64_t total) {
    av_frame_unref(frame);
    frame->format = AV_SAMPLE_FMT_S16;
    frame->sample_rate = rate;
    frame->nb_samples = kMp2FrameSamples;
    if (av_channel_layout_copy(&frame->ch_layout, &layout) < 0 || av_frame_get_buffer(frame, 0) < 0) return false;
    const int32_t channels = layout.nb_channels;
    auto* const samples = reinterpret_cast<int16_t*>(frame->data[0]);
    for (int32_t i = 0; i < frame->nb_samples; ++i) {
        const int64_t n = first + i;
        const double v = n < total ? 16383.0 * std::sin(2 * std::numbers::pi * hertz * double(n) / rate) : 0;
        for (int32_t c = 0; c < channels; ++c) samples[i * channels + c] = int16_t(std::lround(v));
    }
    return true;
}

}  // namespace

MovieBuilder& MovieBuilder::Pictures(int32_t width, int32_t height, int32_t rate, std::vector<uint32_t> colours) {
    width_ = width;
    height_ = height;
    frameRate_ = rate;
    colours_ = std::move(colours);
    return *this;
}

MovieBuilder& MovieBuilder::Tone(int32_t channels, int32_t rate, double hertz, double seconds) {
    runs_.push_back({channels, rate, hertz, seconds});
    return *this;
}

bool MovieBuilder::Write(const std::string& path, const std::string& format, std::string* reason) const {
    av_log_set_level(AV_LOG_ERROR);
    const auto fail = [reason](const char* why) {
        if (reason != nullptr) *reason = why;
        return false;
    };
    Encoding e;
    if (avformat_alloc_output_context2(&e.out, nullptr, format.c_str(), path.c_str()) < 0) return fail("no such muxer");
    const bool global = (e.out->oformat->flags & AVFMT_GLOBALHEADER) != 0;
    e.frame = av_frame_alloc();
    e.packet = av_packet_alloc();
    if (e.frame == nullptr || e.packet == nullptr) return fail("out of memory");

    // The streams first: the muxer wants them all before its header.
    AVStream* pictures = nullptr;
    AVStream* sound = nullptr;
    if (!colours_.empty()) {
        e.codec = PictureEncoder(width_, height_, frameRate_, global);
        if (e.codec == nullptr) return fail("no MPEG-1 video encoder");
        pictures = avformat_new_stream(e.out, nullptr);
        if (pictures == nullptr || avcodec_parameters_from_context(pictures->codecpar, e.codec) < 0) {
            return fail("no picture stream");
        }
        pictures->time_base = e.codec->time_base;
        avcodec_free_context(&e.codec);
    }
    if (!runs_.empty()) {
        // The stream says what its first run is; later runs differ.
        e.codec = SoundEncoder(runs_[0].channels, runs_[0].rate, global);
        if (e.codec == nullptr) return fail("no MP2 encoder");
        sound = avformat_new_stream(e.out, nullptr);
        if (sound == nullptr || avcodec_parameters_from_context(sound->codecpar, e.codec) < 0) {
            return fail("no sound stream");
        }
        sound->time_base = e.codec->time_base;
        avcodec_free_context(&e.codec);
    }
    if ((e.out->oformat->flags & AVFMT_NOFILE) == 0 && avio_open(&e.out->pb, path.c_str(), AVIO_FLAG_WRITE) < 0) {
        return fail("the file cannot be written");
    }
    if (avformat_write_header(e.out, nullptr) < 0) return fail("the muxer refuses the streams");

    if (pictures != nullptr) {
        e.codec = PictureEncoder(width_, height_, frameRate_, global);
        if (e.codec == nullptr) return fail("no MPEG-1 video encoder");
        for (size_t i = 0; i < colours_.size(); ++i) {
            if (!FillPicture(e.frame, width_, height_, colours_[i])) return fail("out of memory");
            e.frame->pts = int64_t(i);
            if (!Drain(e, e.frame, pictures, e.codec->time_base, 0)) return fail("a picture cannot be encoded");
        }
        if (!Drain(e, nullptr, pictures, e.codec->time_base, 0)) return fail("a picture cannot be encoded");
        avcodec_free_context(&e.codec);
    }

    // Each run starts where the one before ended, counted in the stream's
    // first rate.
    int64_t start = 0;
    for (const Run& run : runs_) {
        e.codec = SoundEncoder(run.channels, run.rate, global);
        if (e.codec == nullptr) return fail("no MP2 encoder for a run");
        const int64_t total = std::llround(run.seconds * run.rate);
        const int64_t offset = av_rescale(start, run.rate, sound->codecpar->sample_rate);
        int64_t made = 0;
        while (made < total) {
            if (!FillTone(e.frame, e.codec->ch_layout, run.rate, run.hertz, made, total)) return fail("out of memory");
            e.frame->pts = made;
            made += e.frame->nb_samples;
            if (!Drain(e, e.frame, sound, {1, run.rate}, offset)) return fail("a sound frame cannot be encoded");
        }
        if (!Drain(e, nullptr, sound, {1, run.rate}, offset)) return fail("a sound frame cannot be encoded");
        avcodec_free_context(&e.codec);
        start += av_rescale(made, sound->codecpar->sample_rate, run.rate);
    }
    if (av_write_trailer(e.out) < 0) return fail("the file cannot be finished");
    return true;
}
