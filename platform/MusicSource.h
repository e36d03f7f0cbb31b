#pragma once
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/SampleData.h"

namespace platform {

class MidiSynthesizer;

// A channel message of a sequence at its tick.
struct MidiMessage {
    uint32_t tick = 0;
    uint8_t status = 0;   // 0x80 to 0xEF
    uint8_t data1 = 0;
    uint8_t data2 = 0;
};

// A sequence as the synthesizer plays it: messages in tick order, and where
// it ends. Made once and never changed, so that a restart shares it.
struct MidiSequence {
    std::vector<MidiMessage> messages;
    uint32_t lengthTicks = 0;
    uint32_t ticksPerSecond = 120;
};

// What feeds the mixer's music voice: made on the game thread, rendered on
// the mixing thread, destroyed on the game thread once the mixer has let go
// of it. Render never allocates.
class MusicSource {
public:
    // Which master volume scales it.
    enum class Master { kMidi, kCd };

    virtual ~MusicSource() = default;
    virtual Master Volume() const = 0;
    // Overwrites `frames` interleaved stereo frames at 44100 Hz.
    virtual void Render(int16_t* out, size_t frames) = 0;
    // Set by the mixing thread once the music has played to its end.
    bool Finished() const { return finished_.load(std::memory_order_acquire); }

protected:
    void Finish() { finished_.store(true, std::memory_order_release); }

private:
    std::atomic<bool> finished_{false};
};

// A sequence through the synthesizer, each message at its own sample. Its
// first block resets the synthesizer, so that nothing of the music before
// (a note whose end never came) sounds on into it.
class SequencePlayer : public MusicSource {
public:
    SequencePlayer(MidiSynthesizer& synthesizer, std::shared_ptr<const MidiSequence> sequence);
    Master Volume() const override { return Master::kMidi; }
    void Render(int16_t* out, size_t frames) override;

private:
    // The sample at which a tick falls.
    uint64_t SampleOf(uint32_t tick) const;

    MidiSynthesizer& synthesizer_;
    std::shared_ptr<const MidiSequence> sequence_;
    uint64_t position_ = 0;   // samples rendered
    size_t next_ = 0;         // the next message to send
    bool started_ = false;
};

// A CD track already at 44100 Hz stereo, played once.
class TrackPlayer : public MusicSource {
public:
    explicit TrackPlayer(std::shared_ptr<const SampleData> samples);
    Master Volume() const override { return Master::kCd; }
    void Render(int16_t* out, size_t frames) override;

private:
    std::shared_ptr<const SampleData> samples_;
    size_t position_ = 0;   // frames played
};

}  // namespace platform
