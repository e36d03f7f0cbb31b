#include "platform/SoundLibrary.h"

#include <algorithm>

namespace platform {

SoundLibrary::SoundLibrary(std::unique_ptr<AudioOutput> output) : output_(std::move(output)) {}

SoundLibrary::~SoundLibrary() { Shutdown(); }

bool SoundLibrary::Startup() {
    if (!digital_ && output_ != nullptr) digital_ = output_->Open(mixer_);
    return digital_;
}

void SoundLibrary::Shutdown() {
    if (!digital_) return;
    output_->Close();
    digital_ = false;
    mixer_.StopAll();
    mixer_.PlayMusic(nullptr);
}

bool SoundLibrary::StartMidi() {
    if (synthesizer_ == nullptr) synthesizer_ = MidiSynthesizer::Open();
    return synthesizer_ != nullptr;
}

int32_t SoundLibrary::OpenCdAudio(const std::string& folder) { return cd_.Open(folder); }

bool SoundLibrary::PlaySequence(std::shared_ptr<const MidiSequence> sequence) {
    if (!digital_ || synthesizer_ == nullptr || sequence == nullptr) {
        mixer_.PlayMusic(nullptr);
        return false;
    }
    mixer_.PlayMusic(std::make_unique<SequencePlayer>(*synthesizer_, std::move(sequence)));
    return true;
}

bool SoundLibrary::PlayTrack(int32_t track) {
    std::shared_ptr<const SampleData> samples = digital_ ? cd_.Load(track) : nullptr;
    if (samples == nullptr) {
        mixer_.PlayMusic(nullptr);
        return false;
    }
    mixer_.PlayMusic(std::make_unique<TrackPlayer>(std::move(samples)));
    return true;
}

void SoundLibrary::StopMusic() { mixer_.PlayMusic(nullptr); }

SoundLibrary::SampleHandle SoundLibrary::StartSample(std::shared_ptr<const SampleData> data,
                                                      const VoiceSettings& settings) {
    return digital_ ? mixer_.Start(std::move(data), settings) : kNoSample;
}

void SoundLibrary::StopSample(SampleHandle handle) { mixer_.Stop(handle); }

void SoundLibrary::StopAllSamples() { mixer_.StopAll(); }

void SoundLibrary::ChangeSample(SampleHandle handle, const VoiceSettings& settings) { mixer_.Change(handle, settings); }

bool SoundLibrary::SampleDone(SampleHandle handle) const { return !mixer_.Playing(handle); }

void SoundLibrary::Service() { mixer_.ReleaseEnded(); }

void SoundLibrary::SetMasterVolume(Master which, int32_t volume) {
    volume = std::clamp(volume, 0, 127);
    switch (which) {
        case Master::kDigital: mixer_.SetMasterVolume(volume); break;
        case Master::kMidi:
            midiVolume_ = volume;
            mixer_.SetMusicVolume(MusicSource::Master::kMidi, volume);
            break;
        case Master::kCd:
            cdVolume_ = volume;
            mixer_.SetMusicVolume(MusicSource::Master::kCd, volume);
            break;
    }
}

int32_t SoundLibrary::MasterVolume(Master which) const {
    switch (which) {
        case Master::kDigital: return mixer_.MasterVolume();
        case Master::kMidi: return midiVolume_;
        case Master::kCd: return cdVolume_;
    }
    return 0;
}

}  // namespace platform
