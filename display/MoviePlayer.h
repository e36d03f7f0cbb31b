#pragma once
#include <cstdint>
#include <memory>

#include "engine/EngineAllocation.h"
#include "platform/Surface.h"

namespace platform {
class DisplayDevice;
class MovieGraph;
class MultimediaStream;
class Window;
}  // namespace platform

// Results of the movie players.
inline constexpr int32_t kMovieOk = 0;
inline constexpr int32_t kMovieBadArgument = 1;     // or no owner window
inline constexpr int32_t kMovieNotAMovie = 3;
inline constexpr int32_t kMovieNotOpen = 4;
inline constexpr int32_t kMovieAlreadyOpen = 10;
inline constexpr int32_t kMovieFileMissing = 11;
inline constexpr int32_t kMovieNotPlaying = 13;
inline constexpr int32_t kMovieNoVideoStream = 15;
inline constexpr int32_t kMovieNoAudioStream = 16;
inline constexpr int32_t kMovieNoObject = 20;
inline constexpr int32_t kMovieNoInterface = 21;
inline constexpr int32_t kMovieNoEvent = 22;
inline constexpr int32_t kMovieFullScreenRefused = 23;
inline constexpr int32_t kMovieCallFailed = 24;

// What GetInfo reports of a movie.
struct MovieInfo {
    uint16_t width = 0;
    uint16_t height = 0;
    uint32_t durationMs = 0;
};

// Plays one MPEG movie at a time.
class MoviePlayer : public EngineObject {
public:
    static constexpr uint32_t kPlaying = 0x1;
    static constexpr uint32_t kPaused = 0x2;
    static constexpr uint32_t kFullScreen = 0x1;   // Open's flag (the window kind only)

    virtual ~MoviePlayer();
    virtual int32_t Open(const char* path, uint32_t flags) = 0;
    virtual int32_t Close() = 0;
    virtual int32_t Play() = 0;
    virtual int32_t Stop() = 0;
    virtual int32_t Pause() = 0;
    virtual int32_t Resume() = 0;
    virtual int32_t Seek(uint32_t milliseconds) = 0;
    virtual uint32_t GetPosition() = 0;
    virtual int32_t GetInfo(MovieInfo* info) = 0;
    // Notices the end of the movie and stops it; the state.
    virtual uint32_t Update() = 0;
    virtual void RenderFrame() = 0;

    uint32_t state = 0;
};

// Decodes into a sample surface and draws each frame, centred, into a
// surface of the display: the player of the DirectDraw and 3D displays.
class StreamMoviePlayer final : public MoviePlayer {
public:
    StreamMoviePlayer(platform::DisplayDevice* device, std::shared_ptr<platform::Surface> target);
    ~StreamMoviePlayer() override;

    int32_t Open(const char* path, uint32_t flags) override;
    int32_t Close() override;
    int32_t Play() override;
    int32_t Stop() override;
    int32_t Pause() override;
    int32_t Resume() override;
    int32_t Seek(uint32_t milliseconds) override;
    uint32_t GetPosition() override;
    int32_t GetInfo(MovieInfo* info) override;
    uint32_t Update() override;
    void RenderFrame() override;
    int32_t SetSourceRect(int32_t left, int32_t top, int32_t width, int32_t height);
    int32_t SetDestinationRect(int32_t left, int32_t top, int32_t width, int32_t height);

    platform::SurfaceRect source;
    platform::SurfaceRect destination;
    uint16_t videoWidth = 0;
    uint16_t videoHeight = 0;

private:
    int32_t Fail(int32_t result);
    void StopAtEnd();

    platform::DisplayDevice* device_;
    std::shared_ptr<platform::Surface> target_;
    std::unique_ptr<platform::MultimediaStream> stream_;
    std::shared_ptr<platform::Surface> sample_;
};

// Renders the movie into a video window of its own, owned by the main
// window: the player of the DIB display.
class GraphMoviePlayer final : public MoviePlayer {
public:
    // The styles the video window loses: caption, system menu, sizing frame.
    static constexpr uint32_t kStyleCaption = 0x00C00000;
    static constexpr uint32_t kStyleSystemMenu = 0x00080000;
    static constexpr uint32_t kStyleThickFrame = 0x00040000;

    explicit GraphMoviePlayer(platform::Window* owner);
    ~GraphMoviePlayer() override;

    int32_t Open(const char* path, uint32_t flags) override;
    int32_t Close() override;
    int32_t Play() override;
    int32_t Stop() override;
    int32_t Pause() override;
    int32_t Resume() override;
    int32_t Seek(uint32_t milliseconds) override;
    uint32_t GetPosition() override;
    int32_t GetInfo(MovieInfo* info) override;
    uint32_t Update() override;
    // The video window shows its frames itself: here it is given the time.
    void RenderFrame() override;
    int32_t SetSourceRect(int32_t left, int32_t top, int32_t width, int32_t height);
    int32_t SetDestinationRect(int32_t left, int32_t top, int32_t width, int32_t height);

private:
    int32_t Fail(int32_t result);

    platform::Window* owner_;
    std::unique_ptr<platform::MovieGraph> graph_;
};
