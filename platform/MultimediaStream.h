#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/DeviceResult.h"
#include "platform/MovieSound.h"
#include "platform/Surface.h"

namespace platform {

class DisplayDevice;
class MovieDecoder;

// What a sample update reports at the end of the movie.
inline constexpr int32_t kStreamEndOfStream = 0x40003;
// Stream positions count 100-nanosecond units.
inline constexpr int64_t kStreamUnitsPerMs = 10000;

// A movie file opened as a multimedia stream: its primary video decodes into
// a sample surface of the display device, frame by frame as the platform
// clock says, while it runs. The stream and its sample live together.
class MultimediaStream {
public:
    enum class State { kStop, kRun };

    ~MultimediaStream();
    MultimediaStream(const MultimediaStream&) = delete;
    MultimediaStream& operator=(const MultimediaStream&) = delete;

    // The stream object; kDeviceFailed when it cannot be made.
    static DeviceResult Create(std::unique_ptr<MultimediaStream>* stream);
    // How many streams were made in the process.
    static int32_t CreatedCount();

    DeviceResult Initialize();
    // The primary video, decoded into surfaces of `device`.
    DeviceResult AddVideo(DisplayDevice* device);
    // The primary audio through the default renderer.
    DeviceResult AddAudio();
    // kDeviceWrongFormat for a file that is not a movie.
    DeviceResult OpenFile(const std::string& path);
    // The end-of-stream event: signalled once a running stream passed its end.
    bool EndOfStreamSignalled() const;
    // A sample surface of the video's size in the display's 16-bit format,
    // and its rectangle.
    DeviceResult CreateSample(std::shared_ptr<Surface>* surface, SurfaceRect* rect);
    // Decodes the frame due now into the sample: kDeviceOk, or
    // kStreamEndOfStream past the end.
    int32_t UpdateSample();
    DeviceResult SetState(State state);
    DeviceResult Seek(int64_t time);
    DeviceResult GetTime(int64_t* time) const;
    DeviceResult GetDuration(int64_t* duration) const;

private:
    MultimediaStream() = default;
    int64_t NowMs() const;

    bool initialized_ = false;
    DisplayDevice* device_ = nullptr;
    bool audio_ = false;
    std::unique_ptr<MovieDecoder> decoder_;
    // The sound plays only where the game has a real window (the SDL video
    // backend): a headless run stays silent.
    MovieSound sound_;
    bool soundLoaded_ = false;
    void StartSound();
    std::shared_ptr<Surface> sample_;
    State state_ = State::kStop;
    int64_t baseMs_ = 0;          // position when the stream last started or was sought
    uint32_t runStart_ = 0;       // clock when it last started running
    std::vector<uint32_t> frame_;  // the frame in the sample
    bool ended_ = false;
};

}  // namespace platform
