#pragma once
#include <cstdint>
#include <memory>
#include <string>

#include "engine/EngineAllocation.h"
#include "engine/Vector3.h"
#include "platform/SoundLibrary.h"

class MusicFile;
class SoundObject;

// The game's one sound device: it starts the sound library on an output,
// plays sound objects on its voices and keeps them in step with the words
// the game sets. When the library cannot open its digital driver every call
// does nothing.
class SoundDevice : public EngineObject {
public:
    static constexpr int32_t kMaxLevel = 10;
    static constexpr int32_t kPriorityPerLevel = 1024;
    // Positional sounds: full strength within this distance, silent beyond the far one.
    static constexpr float kNearDistance = 100.0f;
    static constexpr float kFarDistance = 3000.0f;

    explicit SoundDevice(std::unique_ptr<platform::SoundLibrary> library);
    ~SoundDevice();
    SoundDevice(const SoundDevice&) = delete;
    SoundDevice& operator=(const SoundDevice&) = delete;

    // The device made last and not yet destroyed, or null.
    static SoundDevice* Current();

    bool Open() const { return library_->DigitalDriver(); }
    // Level 0 to 10 raises the sound's priority by 1024 a step. With overlap
    // 0 nothing starts while the sound plays; with 1 another voice starts.
    // 1 when a voice started.
    int32_t Play(SoundObject* sound, int32_t level, int32_t overlap);
    int32_t PlaySound(SoundObject* sound, int32_t level, int32_t overlap) { return Play(sound, level, overlap); }
    // Every voice of the sound; its play-state and started words are cleared.
    void StopSound(SoundObject* sound);
    // Every sample and the music.
    void StopAll();

    // Plays the music's CD track when 0 < track < the track count, else the
    // first sequence of its XMIDI file, from the start, in place of any
    // music before; the music plays again whenever it ends. Null, or a file
    // with neither, stops the music.
    void PlayMusic(const MusicFile* music);
    void StopMusic();
    // True while the music last started from this file is meant to play.
    bool PlayingMusic(const MusicFile* music) const { return music != nullptr && music == musicFile_; }
    // 0 when the device is closed or there is no CD audio.
    int32_t TrackCount() const;

    // 0 to 127.
    void SetDigitalVolume(int32_t volume);
    void SetMidiVolume(int32_t volume);
    void SetCdVolume(int32_t volume);
    int32_t DigitalVolume() const;
    int32_t MidiVolume() const;
    int32_t CdVolume() const;
    bool DigitalDriverPresent() const { return library_->DigitalDriver(); }
    bool MidiDriverPresent() const { return library_->MidiDriver(); }
    bool CdAudioPresent() const { return Open() && library_->CdAudioHandle(); }

    // Where positional sounds are heard from, and the listener's right.
    void SetListener(const Vector3& position, const Vector3& right);
    // Once a frame: ended voices are retired (a sound's play-state word
    // clears with its last voice), live ones take their sound's loop,
    // repeat, rate, volume and position.
    void Update();
    // Once per pass of a screen's loop: music that has ended starts again,
    // then the samples are serviced as Update does.
    void ServiceMusic();

    int32_t LiveVoices() const;
    platform::SoundLibrary& Library() { return *library_; }

private:
    struct Live {
        platform::SoundLibrary::SampleHandle handle = platform::SoundLibrary::kNoSample;
        SoundObject* owner = nullptr;
        int32_t priority = 0;
    };
    platform::VoiceSettings SettingsFor(const SoundObject& sound, int32_t priority) const;
    bool HasVoice(const SoundObject* sound) const;
    // Starts the chosen music again from its start; false when it cannot.
    bool StartMusic();

    std::unique_ptr<platform::SoundLibrary> library_;
    Live live_[platform::AudioMixer::kVoices];
    Vector3 listener_{};
    Vector3 right_{1.0f, 0.0f, 0.0f};
    SoundDevice* previous_ = nullptr;

    // The music meant to play: its file (for its identity only: the file
    // may go before the music stops), the sequence read from it, or its
    // track when that plays instead.
    const MusicFile* musicFile_ = nullptr;
    std::shared_ptr<const platform::MidiSequence> sequence_;
    int32_t track_ = 0;
};
