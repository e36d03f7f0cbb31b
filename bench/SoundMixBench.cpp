// Mixing sixteen voices against real time: each iteration mixes one
// 1024-frame buffer (23.2 ms of sound at 44100 Hz) of sixteen looping voices
// at assorted rates, some mono, some stereo. The "realtime" counter says
// how many times faster than playback the mix runs.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/AudioMixer.h"

namespace {

constexpr size_t kFrames = 1024;

std::shared_ptr<const platform::SampleData> Samples(int32_t rate, int32_t channels) {
    auto data = std::make_shared<platform::SampleData>();
    data->rate = rate;
    data->channels = channels;
    for (int32_t i = 0; i < rate * channels; ++i) data->samples.push_back(int16_t((i * 7919) % 20000 - 10000));
    return data;
}

void BM_MixSixteenVoices(benchmark::State& state) {
    platform::AudioMixer mixer;
    const int32_t rates[] = {11025, 22050, 44100, 16000};
    for (int i = 0; i < platform::AudioMixer::kVoices; ++i) {
        platform::VoiceSettings settings;
        settings.rate = rates[i % 4] + 37 * i;   // never a whole step
        settings.loop = true;
        settings.pan = 8 * i;
        settings.volume = 90;
        mixer.Start(Samples(rates[i % 4], 1 + i % 2), settings);
    }
    std::vector<int16_t> out(kFrames * platform::AudioMixer::kChannels);
    for (auto _ : state) {
        mixer.Mix(out.data(), kFrames);
        benchmark::DoNotOptimize(out.data());
    }
    const double seconds = double(state.iterations()) * double(kFrames) / platform::AudioMixer::kRate;
    state.counters["realtime"] = benchmark::Counter(seconds, benchmark::Counter::kIsRate);
}
BENCHMARK(BM_MixSixteenVoices);

}  // namespace
