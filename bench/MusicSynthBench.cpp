// One second of a sixteen-note tune through the synthesizer and the
// mixer's music voice, against real time: each iteration renders 44100
// frames of music from its start. The "realtime" counter says how many
// times faster than playback it runs.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/AudioMixer.h"
#include "platform/MidiSynthesizer.h"
#include "platform/MusicSource.h"

namespace {

// Sixteen overlapping notes on four channels of four instruments, 1/16 s apart.
std::shared_ptr<const platform::MidiSequence> SixteenNotes() {
    auto sequence = std::make_shared<platform::MidiSequence>();
    const uint8_t programs[4] = {0, 33, 48, 73};   // piano, bass, strings, flute
    for (uint8_t channel = 0; channel < 4; ++channel) {
        sequence->messages.push_back({0, uint8_t(0xC0 | channel), programs[channel], 0});
    }
    std::vector<platform::MidiMessage> offs;
    for (uint32_t i = 0; i < 16; ++i) {
        const uint8_t channel = uint8_t(i % 4);
        const uint8_t note = uint8_t(48 + (i * 7) % 24);
        sequence->messages.push_back({i * 7, uint8_t(0x90 | channel), note, 100});
        offs.push_back({i * 7 + 30, uint8_t(0x80 | channel), note, 0});
    }
    sequence->messages.insert(sequence->messages.end(), offs.begin(), offs.end());
    std::stable_sort(sequence->messages.begin(), sequence->messages.end(),
                     [](const platform::MidiMessage& a, const platform::MidiMessage& b) { return a.tick < b.tick; });
    sequence->lengthTicks = 120;
    return sequence;
}

void BM_RenderOneSecondOfSixteenNotes(benchmark::State& state) {
    std::unique_ptr<platform::MidiSynthesizer> synthesizer = platform::MidiSynthesizer::Open();
    if (synthesizer == nullptr) {
        state.SkipWithError("no General MIDI SoundFont");
        return;
    }
    const auto tune = SixteenNotes();
    platform::AudioMixer mixer;
    std::vector<int16_t> out(size_t(platform::AudioMixer::kRate) * platform::AudioMixer::kChannels);
    for (auto _ : state) {
        mixer.PlayMusic(std::make_unique<platform::SequencePlayer>(*synthesizer, tune));
        mixer.Mix(out.data(), size_t(platform::AudioMixer::kRate));
        benchmark::DoNotOptimize(out.data());
    }
    mixer.PlayMusic(nullptr);
    state.counters["realtime"] = benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_RenderOneSecondOfSixteenNotes)->Unit(benchmark::kMillisecond);

}  // namespace
