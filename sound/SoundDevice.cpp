#include "sound/SoundDevice.h"

#include <algorithm>
#include <cmath>

#include "sound/MusicFile.h"
#include "sound/SoundObject.h"
#include "sound/Xmidi.h"

namespace {

SoundDevice* g_current = nullptr;

// The first sequence of an XMIDI file as the synthesizer takes it; null
// when the file holds none that reads.
std::shared_ptr<const platform::MidiSequence> ReadSequence(const MusicFile& music) {
    XmidiSequence read;
    std::string error;
    if (music.Size() == 0 || CountXmidiSequences(music.Data(), music.Size()) < 1 ||
        ReadXmidiSequence(music.Data(), music.Size(), 0, read, error) != kStatusOk) {
        return nullptr;
    }
    auto sequence = std::make_shared<platform::MidiSequence>();
    sequence->ticksPerSecond = kXmidiTicksPerSecond;
    sequence->lengthTicks = read.lengthTicks;
    sequence->messages.reserve(read.events.size());
    for (const MidiEvent& e : read.events) sequence->messages.push_back({e.tick, e.status, e.data1, e.data2});
    return sequence;
}

}  // namespace

SoundDevice::SoundDevice(std::unique_ptr<platform::SoundLibrary> library) : library_(std::move(library)) {
    library_->Startup();
    previous_ = g_current;
    g_current = this;
}

SoundDevice::~SoundDevice() {
    StopAll();
    library_->Shutdown();
    if (g_current == this) g_current = previous_;
}

SoundDevice* SoundDevice::Current() { return g_current; }

platform::VoiceSettings SoundDevice::SettingsFor(const SoundObject& sound, int32_t priority) const {
    platform::VoiceSettings settings;
    settings.priority = priority;
    settings.volume = std::clamp(sound.volume, 0, 127);
    settings.rate = sound.rate;
    settings.loop = sound.loop != 0 || sound.repeat != 0;
    settings.pan = sound.side != 0 ? std::clamp(sound.side, 0, 127) : sound.pan;
    if (sound.positional) {
        const float dx = sound.position.x - listener_.x, dy = sound.position.y - listener_.y,
                    dz = sound.position.z - listener_.z;
        const float distance = std::sqrt(dx * dx + dy * dy + dz * dz);
        float strength = 1.0f;
        if (distance >= kFarDistance) {
            strength = 0.0f;
        } else if (distance > kNearDistance) {
            strength = (kFarDistance - distance) / (kFarDistance - kNearDistance);
        }
        settings.gain = int32_t(strength * 256.0f);
        if (distance > 0.0f) {
            const float across = (dx * right_.x + dy * right_.y + dz * right_.z) / distance;
            settings.pan = std::clamp(int32_t(std::lround(64.0f + 63.0f * across)), 0, 127);
        } else {
            settings.pan = 64;
        }
    }
    return settings;
}

bool SoundDevice::HasVoice(const SoundObject* sound) const {
    return std::any_of(std::begin(live_), std::end(live_), [sound](const Live& l) { return l.owner == sound; });
}

int32_t SoundDevice::Play(SoundObject* sound, int32_t level, int32_t overlap) {
    if (sound == nullptr || !Open() || sound->samples == nullptr) return 0;
    if (overlap == 0 && sound->playState != 0) return 0;
    const int32_t priority = sound->basePriority + kPriorityPerLevel * std::clamp(level, 0, kMaxLevel);
    // Retire what has ended, so that its slot counts as free.
    Update();
    const auto handle = library_->StartSample(sound->samples, SettingsFor(*sound, priority));
    if (handle == platform::SoundLibrary::kNoSample) return 0;
    Live* slot = std::find_if(std::begin(live_), std::end(live_), [](const Live& l) { return l.owner == nullptr; });
    if (slot == std::end(live_)) {
        // The mixer took one of ours for it: that one's record gives way.
        slot = std::find_if(std::begin(live_), std::end(live_),
                            [this](const Live& l) { return library_->SampleDone(l.handle); });
        if (slot == std::end(live_)) {
            library_->StopSample(handle);
            return 0;
        }
        SoundObject* const old = slot->owner;
        slot->owner = nullptr;
        if (!HasVoice(old)) old->playState = 0;
    }
    *slot = Live{handle, sound, priority};
    sound->playState = 1;
    return 1;
}

void SoundDevice::StopSound(SoundObject* sound) {
    if (sound == nullptr) return;
    for (Live& l : live_) {
        if (l.owner != sound) continue;
        library_->StopSample(l.handle);
        l = Live{};
    }
    sound->playState = 0;
    sound->started = 0;
}

void SoundDevice::StopAll() {
    for (Live& l : live_) {
        if (l.owner == nullptr) continue;
        l.owner->playState = 0;
        l.owner->started = 0;
        l = Live{};
    }
    library_->StopAllSamples();
    StopMusic();
}

void SoundDevice::PlayMusic(const MusicFile* music) {
    musicFile_ = music;
    track_ = 0;
    if (music == nullptr) {
        StopMusic();
        return;
    }
    const int32_t track = music->GetTrack();
    if (track > 0 && track < TrackCount()) {
        track_ = track;
    } else {
        sequence_ = ReadSequence(*music);
    }
    if (!StartMusic()) StopMusic();
}

bool SoundDevice::StartMusic() {
    if (track_ > 0) return library_->PlayTrack(track_);
    return sequence_ != nullptr && library_->PlaySequence(sequence_);
}

void SoundDevice::StopMusic() {
    musicFile_ = nullptr;
    sequence_.reset();
    track_ = 0;
    library_->StopMusic();
}

int32_t SoundDevice::TrackCount() const { return Open() ? library_->TrackCount() : 0; }

void SoundDevice::ServiceMusic() {
    if (musicFile_ != nullptr && library_->MusicFinished() && !StartMusic()) StopMusic();
    Update();
}

void SoundDevice::SetDigitalVolume(int32_t volume) {
    library_->SetMasterVolume(platform::SoundLibrary::Master::kDigital, volume);
}
void SoundDevice::SetMidiVolume(int32_t volume) { library_->SetMasterVolume(platform::SoundLibrary::Master::kMidi, volume); }
void SoundDevice::SetCdVolume(int32_t volume) { library_->SetMasterVolume(platform::SoundLibrary::Master::kCd, volume); }
int32_t SoundDevice::DigitalVolume() const { return library_->MasterVolume(platform::SoundLibrary::Master::kDigital); }
int32_t SoundDevice::MidiVolume() const { return library_->MasterVolume(platform::SoundLibrary::Master::kMidi); }
int32_t SoundDevice::CdVolume() const { return library_->MasterVolume(platform::SoundLibrary::Master::kCd); }

void SoundDevice::SetListener(const Vector3& position, const Vector3& right) {
    listener_ = position;
    const float length = std::sqrt(right.x * right.x + right.y * right.y + right.z * right.z);
    right_ = length > 0.0f ? Vector3{right.x / length, right.y / length, right.z / length} : Vector3{1.0f, 0.0f, 0.0f};
}

void SoundDevice::Update() {
    for (Live& l : live_) {
        if (l.owner == nullptr) continue;
        if (library_->SampleDone(l.handle)) {
            SoundObject* const owner = l.owner;
            l = Live{};
            if (!HasVoice(owner)) owner->playState = 0;
            continue;
        }
        library_->ChangeSample(l.handle, SettingsFor(*l.owner, l.priority));
    }
    library_->Service();
}

int32_t SoundDevice::LiveVoices() const {
    return int32_t(std::count_if(std::begin(live_), std::end(live_), [](const Live& l) { return l.owner != nullptr; }));
}
