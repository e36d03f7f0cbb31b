#include "platform/MusicSource.h"

#include <algorithm>
#include <cstring>

#include "platform/MidiSynthesizer.h"

namespace platform {

SequencePlayer::SequencePlayer(MidiSynthesizer& synthesizer, std::shared_ptr<const MidiSequence> sequence)
    : synthesizer_(synthesizer), sequence_(std::move(sequence)) {}

uint64_t SequencePlayer::SampleOf(uint32_t tick) const {
    const uint64_t perSecond = std::max<uint32_t>(sequence_->ticksPerSecond, 1);
    return uint64_t(tick) * uint64_t(MidiSynthesizer::kRate) / perSecond;
}

void SequencePlayer::Render(int16_t* out, size_t frames) {
    if (!started_) {
        synthesizer_.Reset();
        started_ = true;
    }
    const std::vector<MidiMessage>& messages = sequence_->messages;
    const uint64_t end = SampleOf(sequence_->lengthTicks);
    while (frames > 0) {
        while (next_ < messages.size() && SampleOf(messages[next_].tick) <= position_) {
            const MidiMessage& m = messages[next_++];
            synthesizer_.Send(m.status, m.data1, m.data2);
        }
        // Up to the next message, so that it sounds at its own sample.
        uint64_t until = position_ + frames;
        if (next_ < messages.size()) until = std::min(until, SampleOf(messages[next_].tick));
        const size_t n = size_t(until - position_);
        synthesizer_.Render(out, n);
        out += n * 2;
        frames -= n;
        position_ += n;
    }
    // What still rings after the end fades in the blocks until the restart.
    if (next_ >= messages.size() && position_ >= end) Finish();
}

TrackPlayer::TrackPlayer(std::shared_ptr<const SampleData> samples) : samples_(std::move(samples)) {}

void TrackPlayer::Render(int16_t* out, size_t frames) {
    const size_t total = samples_ != nullptr && samples_->channels == 2 ? samples_->Frames() : 0;
    const size_t n = std::min(frames, total - std::min(position_, total));
    if (n > 0) std::memcpy(out, samples_->samples.data() + position_ * 2, n * 2 * sizeof(int16_t));
    std::memset(out + n * 2, 0, (frames - n) * 2 * sizeof(int16_t));
    position_ += n;
    if (position_ >= total) Finish();
}

}  // namespace platform
