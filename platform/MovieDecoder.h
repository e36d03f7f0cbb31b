#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace platform {

// An MPEG movie file decoded frame by frame into 0xRRGGBB pixels: what the
// movie players' stand-in reads its pictures from.
class MovieDecoder {
public:
    ~MovieDecoder();
    MovieDecoder(const MovieDecoder&) = delete;
    MovieDecoder& operator=(const MovieDecoder&) = delete;

    // Null, with the reason, when the file cannot be opened or holds no
    // video stream that can be decoded.
    static std::unique_ptr<MovieDecoder> Open(const std::string& path, std::string* reason);

    int32_t Width() const { return width_; }
    int32_t Height() const { return height_; }
    // 0 when the file does not say.
    int64_t DurationMs() const { return durationMs_; }

    // The next frame in display order and its time from the start; false at
    // the end of the movie or on a damaged stream.
    bool NextFrame(std::vector<uint32_t>* pixels, int64_t* timeMs);
    // Back to the first frame.
    bool Rewind();
    // The frame due at `nowMs` (the first one at once, then the last whose
    // time has come) into `pixels`, which keeps it between calls: true when
    // it is a newer frame than the last call gave. `ended` says that the
    // movie is over: no frame is left to come, and the last one has been on
    // show as long as the one before it.
    bool FrameDue(int64_t nowMs, std::vector<uint32_t>* pixels, bool* ended);

private:
    struct State;
    explicit MovieDecoder(std::unique_ptr<State> state);
    bool Convert(std::vector<uint32_t>* pixels, int64_t* timeMs);

    std::unique_ptr<State> state_;
    int32_t width_ = 0;
    int32_t height_ = 0;
    int64_t durationMs_ = 0;
    std::vector<uint32_t> pending_;   // the decoded frame not given out yet
    int64_t pendingMs_ = -1;          // its time, -1 when there is none
    int64_t shownMs_ = -1;            // time of the frame given out last
    int64_t previousMs_ = -1;         // time of the one given out before it
    bool exhausted_ = false;          // the decoder has no frame left
};

}  // namespace platform
