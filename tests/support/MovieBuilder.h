#pragma once
#include <cstdint>
#include <string>
#include <vector>

// Small movie files made by a test with FFmpeg's own encoders: MPEG-1
// pictures of one colour each, and MP2 sound in runs whose channel count and
// rate may differ from run to run, as a badly made movie's do.
//   MovieBuilder movie;
//   movie.Pictures(64, 48, 25, {0xFF0000, 0x00FF00}).Tone(2, 44100, 440, 0.5).Tone(1, 22050, 880, 0.5);
//   movie.Write(dir.Str() + "/mixed.mpg", "mpeg", &reason);
class MovieBuilder {
public:
    // One frame a colour (0xRRGGBB), `rate` frames a second, in that order.
    MovieBuilder& Pictures(int32_t width, int32_t height, int32_t rate, std::vector<uint32_t> colours);
    // A run of MP2 frames after the runs before: a sine of `hertz` at half
    // loudness on every channel, `channels` 1 or 2.
    MovieBuilder& Tone(int32_t channels, int32_t rate, double hertz, double seconds);

    // Writes the file with the muxer named `format` ("mpeg" for a program
    // stream, "mpeg1video" for the bare pictures, whose file says nothing of
    // its length). False, with the reason, when a step fails.
    bool Write(const std::string& path, const std::string& format, std::string* reason) const;

private:
    struct Run {
        int32_t channels;
        int32_t rate;
        double hertz;
        double seconds;
    };
    int32_t width_ = 0, height_ = 0, frameRate_ = 25;
    std::vector<uint32_t> colours_;
    std::vector<Run> runs_;
};
