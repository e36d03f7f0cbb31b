#pragma once
#include <memory>
#include <vector>

#include "platform/SoundLibrary.h"

// The sound library on a headless output, logging every start and stop it
// is asked for, so that a test can tell what the game played.
class RecordingSoundLibrary : public platform::SoundLibrary {
public:
    struct Event {
        enum Kind { kStart, kStop, kStopAll } kind;
        SampleHandle handle;   // kNoSample for a start that was refused
        int32_t priority;
        const platform::SampleData* samples = nullptr;   // what a start was asked to play
    };

    RecordingSoundLibrary();
    SampleHandle StartSample(std::shared_ptr<const platform::SampleData> data,
                             const platform::VoiceSettings& settings) override;
    void StopSample(SampleHandle handle) override;
    void StopAllSamples() override;
    bool MidiDriver() const override { return midiDriver; }

    // The headless output the library mixes into.
    platform::HeadlessAudioOutput& Headless() { return *headless_; }

    std::vector<Event> events;
    bool midiDriver = false;   // true: the library claims an XMIDI driver

private:
    platform::HeadlessAudioOutput* headless_;
};
