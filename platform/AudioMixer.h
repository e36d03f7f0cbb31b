#pragma once
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>

#include "platform/MusicSource.h"
#include "platform/SampleData.h"

namespace platform {

// What the game sets on a playing voice. Volume and pan run 0 to 127 (pan
// 64 is the centre), rate is the samples' playback rate in Hz, gain the
// distance attenuation in 256ths.
struct VoiceSettings {
    int32_t priority = 0;
    int32_t volume = 127;
    int32_t pan = 64;
    int32_t rate = 22050;
    bool loop = false;
    int32_t gain = 256;
};

// Our own mixer: sixteen voices mixed into 44100 Hz signed 16-bit stereo
// with linear resampling. The game thread starts, changes and stops voices;
// an audio thread (or a test) calls Mix. The two meet under one mutex held
// for a few instructions per call; Mix never allocates or frees, and a
// voice that ends keeps its samples until the game thread reuses or clears
// the slot, so that no memory is released on the audio thread.
class AudioMixer {
public:
    static constexpr int kVoices = 16;
    static constexpr int32_t kRate = 44100;
    static constexpr int kChannels = 2;
    // A handle names one start of one voice slot: once the slot is reused
    // the old handle no longer answers.
    using Handle = int64_t;
    static constexpr Handle kNoVoice = -1;

    AudioMixer() = default;
    ~AudioMixer();
    AudioMixer(const AudioMixer&) = delete;
    AudioMixer& operator=(const AudioMixer&) = delete;

    // A free slot, else the lowest-priority voice when the new priority is
    // higher; kNoVoice when neither (or for empty samples).
    Handle Start(std::shared_ptr<const SampleData> data, const VoiceSettings& settings);
    void Change(Handle handle, const VoiceSettings& settings);
    void Stop(Handle handle);
    void StopAll();
    // False once the voice has ended, been stopped or been taken by another.
    bool Playing(Handle handle) const;
    // Every slot that has ended gives its samples back (game thread).
    void ReleaseEnded();
    int32_t ActiveVoices() const;

    // 0 to 127, applied to every voice.
    void SetMasterVolume(int32_t volume);
    int32_t MasterVolume() const;

    // The music voice (game thread): plays `source` from its start in place
    // of whatever played; null stops the music. Never waits for a block.
    void PlayMusic(std::unique_ptr<MusicSource> source);
    // True once the music last asked for has played to its end, or when
    // none was; false while it plays or waits for its first block.
    bool MusicFinished() const;
    // 0 to 127: the XMIDI and the CD master volumes, each for its own kind of music.
    void SetMusicVolume(MusicSource::Master which, int32_t volume);

    // Mixes `frames` stereo frames into `out`, silence where nothing plays.
    void Mix(int16_t* out, size_t frames);

private:
    struct Voice {
        std::shared_ptr<const SampleData> data;
        VoiceSettings settings;
        uint64_t position = 0;   // in frames, 32.32 fixed point
        uint32_t generation = 0;
        bool active = false;     // started and neither ended nor stopped
    };
    static constexpr size_t kBlockFrames = 512;

    // Stands for "no music" in the hand-over, so that null can mean "no post".
    class Silence : public MusicSource {
    public:
        Master Volume() const override { return Master::kMidi; }
        void Render(int16_t*, size_t) override {}
    };

    int Slot(Handle handle) const;
    void MixVoice(Voice& voice, int32_t* accumulator, size_t frames) const;
    // Audio thread: takes a posted source and renders the next block of
    // music into music_; false when none plays.
    bool RenderMusic(size_t frames);
    // Game thread: deletes what the audio thread let go of.
    void CollectMusic();

    mutable std::mutex mutex_;
    Voice voices_[kVoices];
    int32_t master_ = 127;
    int32_t accumulator_[kBlockFrames * kChannels] = {};

    Silence silence_;
    std::atomic<MusicSource*> posted_{nullptr};    // game to audio: the next music, or null
    std::atomic<MusicSource*> dropped_{nullptr};   // audio to game: a source to delete
    MusicSource* playing_ = nullptr;               // the audio thread's own, until the output closes
    MusicSource* wanted_ = &silence_;              // game thread's: the last one asked for
    std::atomic<int32_t> musicVolume_[2] = {127, 127};
    int16_t music_[kBlockFrames * kChannels] = {};
};

}  // namespace platform
