#include "platform/AudioMixer.h"

#include <algorithm>
#include <cstring>

namespace platform {

namespace {

constexpr int32_t kMaxRate = 1 << 20;
// Full volume, full master and full gain give unit gain in 1/32768ths.
constexpr int64_t kFullScale = int64_t(127) * 127 * 256;

}  // namespace

AudioMixer::~AudioMixer() {
    // The audio thread has stopped by now: everything is ours.
    for (MusicSource* source : {posted_.exchange(nullptr), dropped_.exchange(nullptr), playing_}) {
        if (source != &silence_) delete source;
    }
}

int AudioMixer::Slot(Handle handle) const {
    if (handle < 0) return -1;
    const int slot = int(handle & 0xFF);
    if (slot >= kVoices || voices_[slot].generation != uint32_t(handle >> 8)) return -1;
    return slot;
}

AudioMixer::Handle AudioMixer::Start(std::shared_ptr<const SampleData> data, const VoiceSettings& settings) {
    if (data == nullptr || data->Frames() == 0 || data->channels < 1 || data->channels > 2) return kNoVoice;
    std::shared_ptr<const SampleData> previous;   // released after the lock
    std::lock_guard<std::mutex> lock(mutex_);
    int chosen = -1;
    for (int i = 0; i < kVoices && chosen < 0; ++i) {
        if (!voices_[i].active) chosen = i;
    }
    if (chosen < 0) {
        int lowest = 0;
        for (int i = 1; i < kVoices; ++i) {
            if (voices_[i].settings.priority < voices_[lowest].settings.priority) lowest = i;
        }
        if (settings.priority <= voices_[lowest].settings.priority) return kNoVoice;
        chosen = lowest;
    }
    Voice& voice = voices_[chosen];
    previous = std::move(voice.data);
    voice.data = std::move(data);
    voice.settings = settings;
    voice.position = 0;
    voice.generation = (voice.generation + 1) & 0x00FFFFFFu;
    if (voice.generation == 0) voice.generation = 1;
    voice.active = true;
    return Handle(uint64_t(voice.generation) << 8 | uint64_t(chosen));
}

void AudioMixer::Change(Handle handle, const VoiceSettings& settings) {
    std::lock_guard<std::mutex> lock(mutex_);
    const int slot = Slot(handle);
    if (slot >= 0 && voices_[slot].active) voices_[slot].settings = settings;
}

void AudioMixer::Stop(Handle handle) {
    std::shared_ptr<const SampleData> previous;
    std::lock_guard<std::mutex> lock(mutex_);
    const int slot = Slot(handle);
    if (slot < 0) return;
    voices_[slot].active = false;
    previous = std::move(voices_[slot].data);
}

void AudioMixer::StopAll() {
    std::shared_ptr<const SampleData> previous[kVoices];
    std::lock_guard<std::mutex> lock(mutex_);
    for (int i = 0; i < kVoices; ++i) {
        voices_[i].active = false;
        previous[i] = std::move(voices_[i].data);
    }
}

bool AudioMixer::Playing(Handle handle) const {
    std::lock_guard<std::mutex> lock(mutex_);
    const int slot = Slot(handle);
    return slot >= 0 && voices_[slot].active;
}

void AudioMixer::ReleaseEnded() {
    CollectMusic();
    std::shared_ptr<const SampleData> previous[kVoices];
    std::lock_guard<std::mutex> lock(mutex_);
    for (int i = 0; i < kVoices; ++i) {
        if (!voices_[i].active) previous[i] = std::move(voices_[i].data);
    }
}

int32_t AudioMixer::ActiveVoices() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return int32_t(std::count_if(std::begin(voices_), std::end(voices_), [](const Voice& v) { return v.active; }));
}

void AudioMixer::SetMasterVolume(int32_t volume) {
    std::lock_guard<std::mutex> lock(mutex_);
    master_ = std::clamp(volume, 0, 127);
}

int32_t AudioMixer::MasterVolume() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return master_;
}

void AudioMixer::CollectMusic() {
    delete dropped_.exchange(nullptr, std::memory_order_acq_rel);
}

void AudioMixer::PlayMusic(std::unique_ptr<MusicSource> source) {
    CollectMusic();
    wanted_ = source != nullptr ? source.release() : &silence_;
    // A post the audio thread never took was never seen by it: ours to delete.
    MusicSource* const unseen = posted_.exchange(wanted_, std::memory_order_acq_rel);
    if (unseen != &silence_) delete unseen;
}

bool AudioMixer::MusicFinished() const { return wanted_ == &silence_ || wanted_->Finished(); }

void AudioMixer::SetMusicVolume(MusicSource::Master which, int32_t volume) {
    musicVolume_[which == MusicSource::Master::kCd ? 1 : 0].store(std::clamp(volume, 0, 127), std::memory_order_relaxed);
}

bool AudioMixer::RenderMusic(size_t frames) {
    // The dropped slot holds one source: a post waits while the game thread
    // has not yet collected the last one.
    if (dropped_.load(std::memory_order_acquire) == nullptr) {
        if (MusicSource* const next = posted_.exchange(nullptr, std::memory_order_acq_rel)) {
            if (playing_ != nullptr && playing_ != &silence_) dropped_.store(playing_, std::memory_order_release);
            playing_ = next;
        }
    }
    if (playing_ == nullptr || playing_ == &silence_) return false;
    playing_->Render(music_, frames);
    return true;
}

void AudioMixer::Mix(int16_t* out, size_t frames) {
    while (frames > 0) {
        const size_t n = std::min(frames, kBlockFrames);
        // Outside the lock: the game thread's voice calls never wait for the synthesizer.
        const bool music = RenderMusic(n);
        std::lock_guard<std::mutex> lock(mutex_);
        std::memset(accumulator_, 0, n * kChannels * sizeof accumulator_[0]);
        for (Voice& voice : voices_) {
            if (voice.active) MixVoice(voice, accumulator_, n);
        }
        if (music) {
            const int32_t level =
                musicVolume_[playing_->Volume() == MusicSource::Master::kCd ? 1 : 0].load(std::memory_order_relaxed);
            // 127 is unit gain.
            const int32_t scale = level * 32768 / 127;
            for (size_t i = 0; i < n * kChannels; ++i) accumulator_[i] += (int32_t(music_[i]) * scale) >> 15;
        }
        for (size_t i = 0; i < n * kChannels; ++i) out[i] = int16_t(std::clamp(accumulator_[i], -32768, 32767));
        out += n * kChannels;
        frames -= n;
    }
}

void AudioMixer::MixVoice(Voice& voice, int32_t* accumulator, size_t frames) const {
    const SampleData& data = *voice.data;
    const VoiceSettings& s = voice.settings;
    const uint64_t length = data.Frames();
    const int16_t* const samples = data.samples.data();
    const bool stereo = data.channels == 2;
    const uint64_t step = (uint64_t(std::clamp(s.rate, 1, kMaxRate)) << 32) / uint64_t(kRate);
    const int64_t level =
        int64_t(std::clamp(s.volume, 0, 127)) * master_ * std::clamp(s.gain, 0, 256) * 32768 / kFullScale;
    const int32_t pan = std::clamp(s.pan, 0, 127);
    // Each side at full strength from the centre outwards, fading on the other.
    const int32_t left = int32_t(level * std::min(64, (127 - pan) * 64 / 63) >> 6);
    const int32_t right = int32_t(level * std::min(64, pan) >> 6);
    const uint64_t end = length << 32;

    for (size_t i = 0; i < frames; ++i) {
        if (voice.position >= end) {
            if (!s.loop) {
                voice.active = false;
                return;
            }
            voice.position %= end;
        }
        const uint64_t at = voice.position >> 32;
        const uint64_t following = at + 1 < length ? at + 1 : (s.loop ? 0 : at);
        const int32_t fraction = int32_t(voice.position >> 17) & 0x7FFF;
        int32_t a = samples[at * data.channels];
        int32_t b = samples[following * data.channels];
        const int32_t first = a + (((b - a) * fraction) >> 15);
        int32_t second = first;
        if (stereo) {
            a = samples[at * 2 + 1];
            b = samples[following * 2 + 1];
            second = a + (((b - a) * fraction) >> 15);
        }
        accumulator[2 * i] += (first * left) >> 15;
        accumulator[2 * i + 1] += (second * right) >> 15;
        voice.position += step;
    }
    if (!s.loop && voice.position >= end) voice.active = false;
}

}  // namespace platform
