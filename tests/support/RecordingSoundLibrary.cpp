#include "tests/support/RecordingSoundLibrary.h"

namespace {

// Made first so that the base can take it while this class keeps a pointer.
std::unique_ptr<platform::AudioOutput> MakeHeadless(platform::HeadlessAudioOutput** out) {
    auto output = std::make_unique<platform::HeadlessAudioOutput>();
    *out = output.get();
    return output;
}

}  // namespace

RecordingSoundLibrary::RecordingSoundLibrary() : SoundLibrary(MakeHeadless(&headless_)) {}

RecordingSoundLibrary::SampleHandle RecordingSoundLibrary::StartSample(std::shared_ptr<const platform::SampleData> data,
                                                                       const platform::VoiceSettings& settings) {
    const platform::SampleData* const samples = data.get();
    const SampleHandle handle = SoundLibrary::StartSample(std::move(data), settings);
    events.push_back({Event::kStart, handle, settings.priority, samples});
    return handle;
}

void RecordingSoundLibrary::StopSample(SampleHandle handle) {
    events.push_back({Event::kStop, handle, 0});
    SoundLibrary::StopSample(handle);
}

void RecordingSoundLibrary::StopAllSamples() {
    events.push_back({Event::kStopAll, kNoSample, 0});
    SoundLibrary::StopAllSamples();
}

bool RecordingSoundLibrary::PlaySequence(std::shared_ptr<const platform::MidiSequence> sequence) {
    const bool started = SoundLibrary::PlaySequence(sequence);
    events.push_back({Event::kSequence, kNoSample, 0, nullptr, std::move(sequence), 0, started});
    // A claimed driver takes every sequence, as a real one would.
    return started || midiDriver;
}

bool RecordingSoundLibrary::PlayTrack(int32_t track) {
    const bool started = SoundLibrary::PlayTrack(track);
    events.push_back({Event::kTrack, kNoSample, 0, nullptr, nullptr, track, started});
    return started;
}

void RecordingSoundLibrary::StopMusic() {
    events.push_back({Event::kStopMusic, kNoSample, 0});
    SoundLibrary::StopMusic();
}

std::vector<RecordingSoundLibrary::Event> RecordingSoundLibrary::MusicStarts(Event::Kind kind) const {
    std::vector<Event> starts;
    for (const Event& event : events) {
        if (event.kind == kind) starts.push_back(event);
    }
    return starts;
}
