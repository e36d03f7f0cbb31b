#pragma once
#include <cstdint>
#include <memory>
#include <string>

#include "platform/AudioMixer.h"
#include "platform/AudioOutput.h"
#include "platform/CdAudio.h"
#include "platform/MidiSynthesizer.h"
#include "platform/MusicSource.h"

namespace platform {

// The game's sound library: started and shut down once, it opens the
// digital driver (our mixer on an output) and plays samples on handles,
// under three master volumes. Its MIDI driver is a synthesizer and its
// CD audio a folder of track files, each opened on request; either plays
// on the mixer's music voice, one at a time.
class SoundLibrary {
public:
    enum class Master { kDigital, kMidi, kCd };
    using SampleHandle = AudioMixer::Handle;
    static constexpr SampleHandle kNoSample = AudioMixer::kNoVoice;

    explicit SoundLibrary(std::unique_ptr<AudioOutput> output);
    virtual ~SoundLibrary();
    SoundLibrary(const SoundLibrary&) = delete;
    SoundLibrary& operator=(const SoundLibrary&) = delete;

    // Opens the digital driver; false when the output has no device.
    bool Startup();
    void Shutdown();
    bool DigitalDriver() const { return digital_; }
    // Opens the synthesizer on the first General MIDI SoundFont found
    // (MidiSynthesizer::Open); false when there is none.
    bool StartMidi();
    // A test library may claim a driver it has not got.
    virtual bool MidiDriver() const { return synthesizer_ != nullptr; }
    // The SoundFont the synthesizer plays, empty without one.
    std::string MidiSoundFont() const { return synthesizer_ != nullptr ? synthesizer_->SoundFont() : std::string(); }
    // Counts the tracks in the folder (a prefix ending in '/'); the
    // CD-audio handle exists while the count is above 0.
    int32_t OpenCdAudio(const std::string& folder);
    bool CdAudioHandle() const { return cd_.TrackCount() > 0; }
    int32_t TrackCount() const { return cd_.TrackCount(); }

    virtual SampleHandle StartSample(std::shared_ptr<const SampleData> data, const VoiceSettings& settings);
    virtual void StopSample(SampleHandle handle);
    virtual void StopAllSamples();
    void ChangeSample(SampleHandle handle, const VoiceSettings& settings);
    bool SampleDone(SampleHandle handle) const;
    // Gives the samples of ended voices back; once per frame.
    void Service();

    // The music voice: each start ends whatever music played. False when
    // nothing could start (no driver, no such track).
    virtual bool PlaySequence(std::shared_ptr<const MidiSequence> sequence);
    virtual bool PlayTrack(int32_t track);
    virtual void StopMusic();
    // True once the music has played to its end, or when none plays.
    bool MusicFinished() const { return mixer_.MusicFinished(); }

    // 0 to 127; the digital one scales every voice, the other two the music.
    void SetMasterVolume(Master which, int32_t volume);
    int32_t MasterVolume(Master which) const;

    AudioOutput& Output() { return *output_; }
    AudioMixer& Mixer() { return mixer_; }

private:
    // Declared first so that it outlives the mixer, whose music may use it.
    std::unique_ptr<MidiSynthesizer> synthesizer_;
    AudioMixer mixer_;
    std::unique_ptr<AudioOutput> output_;
    bool digital_ = false;
    int32_t midiVolume_ = 127;
    int32_t cdVolume_ = 127;
    CdAudio cd_;
};

}  // namespace platform
