#pragma once
#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "platform/DeviceResult.h"
#include "platform/MovieSound.h"

namespace platform {

class MovieDecoder;
class Window;

// Events of a movie graph.
inline constexpr int32_t kGraphEventComplete = 1;

// A movie file rendered into a video window of its own, owned by the main
// window: run, pause and stop, positions in seconds, an event when the
// movie is complete, and the video window, whose frames go to the display
// presenter as the owner window's picture with the movie at its destination
// rectangle. Timed by the platform clock.
class MovieGraph {
public:
    enum class State { kStopped, kPaused, kRunning };

    ~MovieGraph();
    MovieGraph(const MovieGraph&) = delete;
    MovieGraph& operator=(const MovieGraph&) = delete;

    static DeviceResult Create(std::unique_ptr<MovieGraph>* graph);
    static int32_t CreatedCount();
    // Whether the video windows may go full screen (a test may say no).
    static void SetFullScreenSupported(bool supported);

    // kDeviceWrongFormat for a file that is not a movie.
    DeviceResult RenderFile(const std::string& path);
    DeviceResult Run();
    DeviceResult Pause();
    DeviceResult StopWhenReady();
    State GetState() const { return state_; }
    DeviceResult SetCurrentPosition(double seconds);
    DeviceResult GetCurrentPosition(double* seconds) const;
    DeviceResult GetDuration(double* seconds) const;
    // The next event, without waiting: false when there is none. A running
    // movie is complete once its last frame has had its time, or once the
    // length its file states has passed, whichever comes first.
    bool GetEvent(int32_t* code);
    DeviceResult GetVideoSize(int32_t* width, int32_t* height) const;
    DeviceResult SetSourcePosition(int32_t left, int32_t top, int32_t width, int32_t height);
    DeviceResult SetDestinationPosition(int32_t left, int32_t top, int32_t width, int32_t height);

    // The video window. Full screen may be refused: kDeviceUnsupported.
    DeviceResult SetFullScreenMode(bool on);
    DeviceResult SetOwner(Window* owner);
    DeviceResult SetWindowStyle(uint32_t style);
    uint32_t WindowStyle() const { return style_; }
    DeviceResult SetLeft(int32_t left);
    DeviceResult SetTop(int32_t top);
    int32_t Left() const { return left_; }
    int32_t Top() const { return top_; }
    DeviceResult SetVisible(bool visible);

    // Decodes the frame due now and shows it, when the window has an owner
    // and is visible.
    void Show();

private:
    MovieGraph() = default;
    int64_t NowMs() const;

    std::unique_ptr<MovieDecoder> decoder_;
    // The sound plays only where the game has a real window (the SDL video
    // backend): a headless run stays silent.
    MovieSound sound_;
    bool soundLoaded_ = false;
    void StartSound();
    // Brings the decoder to the frame due now.
    void Advance();
    State state_ = State::kStopped;
    int64_t baseMs_ = 0;
    uint32_t runStart_ = 0;
    std::deque<int32_t> events_;
    bool completed_ = false;
    Window* owner_ = nullptr;
    bool visible_ = true;
    uint32_t style_ = 0;
    int32_t left_ = 0, top_ = 0;
    int32_t source_[4] = {};
    int32_t destination_[4] = {};
    std::vector<uint32_t> frame_;
    bool fresh_ = false;          // frame_ was not shown yet
    bool decoderEnded_ = false;   // the last frame has had its time
};

}  // namespace platform
