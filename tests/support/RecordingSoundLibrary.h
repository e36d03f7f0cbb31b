#pragma once
#include <memory>
#include <vector>

#include "platform/SoundLibrary.h"

// The sound library on a headless output, logging every start and stop it
// is asked for, samples and music, so that a test can tell what the game
// played. Its MIDI driver is real only after StartMidi().
class RecordingSoundLibrary : public platform::SoundLibrary {
public:
    struct Event {
        enum Kind { kStart, kStop, kStopAll, kSequence, kTrack, kStopMusic } kind;
        SampleHandle handle;   // kNoSample for a start that was refused
        int32_t priority;
        const platform::SampleData* samples = nullptr;   // what a start was asked to play
        std::shared_ptr<const platform::MidiSequence> sequence = nullptr;   // what a sequence start was asked to play
        int32_t track = 0;                                                  // what a track start was asked to play
        bool started = false;                                               // a music start the library took
    };

    RecordingSoundLibrary();
    SampleHandle StartSample(std::shared_ptr<const platform::SampleData> data,
                             const platform::VoiceSettings& settings) override;
    void StopSample(SampleHandle handle) override;
    void StopAllSamples() override;
    bool MidiDriver() const override { return midiDriver || SoundLibrary::MidiDriver(); }
    bool PlaySequence(std::shared_ptr<const platform::MidiSequence> sequence) override;
    bool PlayTrack(int32_t track) override;
    void StopMusic() override;

    // The music starts of one kind (kSequence or kTrack), in order.
    std::vector<Event> MusicStarts(Event::Kind kind) const;

    // The headless output the library mixes into.
    platform::HeadlessAudioOutput& Headless() { return *headless_; }

    std::vector<Event> events;
    bool midiDriver = false;   // true: the library claims an XMIDI driver

private:
    platform::HeadlessAudioOutput* headless_;
};
