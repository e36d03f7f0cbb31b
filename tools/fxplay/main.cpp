// fxplay: plays one sound definition of a data tree's "fx.iff" through the
// sound device, as the game would, or mixes it into a WAV file; or plays a
// tune of the xmi directory once through the synthesizer.
//   fxplay DATA_ROOT NAME [--wav FILE] [--level N] [--rate HZ]
//   fxplay DATA_ROOT --music NAME [--wav FILE]
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "game/DataDirectories.h"
#include "platform/AudioOutput.h"
#include "platform/SoundLibrary.h"
#include "sound/MusicFile.h"
#include "sound/SoundDevice.h"
#include "sound/SoundEffectLibrary.h"
#include "sound/SoundObject.h"

namespace {

int Usage() {
    std::fprintf(stderr, "Usage: fxplay DATA_ROOT NAME [--wav FILE] [--level N] [--rate HZ]\n"
                         "       fxplay DATA_ROOT --music NAME [--wav FILE]\n");
    return 2;
}

// A sound that loops forever would never end: ten seconds is enough to hear it.
constexpr int32_t kMaxSeconds = 10;
// A tune plays once, up to this long.
constexpr int32_t kMaxMusicSeconds = 300;

// The sound card, or with `wav` the headless output, whose pointer `offline` gets.
std::unique_ptr<platform::AudioOutput> MakeOutput(const char* wav, platform::HeadlessAudioOutput** offline) {
    if (wav == nullptr) {
        *offline = nullptr;
        return std::make_unique<platform::SdlAudioOutput>();
    }
    auto headless = std::make_unique<platform::HeadlessAudioOutput>();
    *offline = headless.get();
    return headless;
}

bool WriteMix(const char* wav, const std::vector<int16_t>& mixed) {
    if (!platform::WriteWav(wav, mixed, platform::AudioMixer::kRate, platform::AudioMixer::kChannels)) {
        std::fprintf(stderr, "fxplay: %s cannot be written\n", wav);
        return false;
    }
    std::printf("Wrote %s: %.2f s\n", wav, double(mixed.size() / 2) / platform::AudioMixer::kRate);
    return true;
}

int PlayTune(const char* name, const char* wav) {
    const std::string path = g_dataDirs.Prefix(DataDir::kXmi) + name;
    std::unique_ptr<MusicFile> music = MusicFile::Load(path.c_str(), 0);
    if (music == nullptr) {
        std::fprintf(stderr, "fxplay: %s cannot be read\n", path.c_str());
        return 1;
    }
    platform::HeadlessAudioOutput* offline = nullptr;
    auto library = std::make_unique<platform::SoundLibrary>(MakeOutput(wav, &offline));
    if (!library->Startup()) {
        std::fprintf(stderr, "fxplay: no sound device could be opened (try --wav FILE)\n");
        return 1;
    }
    if (!library->StartMidi()) {
        std::fprintf(stderr, "fxplay: no General MIDI SoundFont found (set VORN_SOUNDFONT)\n");
        return 1;
    }
    platform::SoundLibrary& sound = *library;
    SoundDevice device(std::move(library));
    device.PlayMusic(music.get());
    if (sound.MusicFinished()) {
        std::fprintf(stderr, "fxplay: %s holds no sequence that reads\n", path.c_str());
        return 1;
    }
    std::printf("Playing %s on %s through %s\n", name, sound.MidiSoundFont().c_str(), sound.Output().Description().c_str());
    std::vector<int16_t> mixed;
    const auto started = std::chrono::steady_clock::now();
    // Update, not ServiceMusic: the tune plays once.
    while (!sound.MusicFinished()) {
        if (offline != nullptr) {
            const std::vector<int16_t> block = offline->Render(platform::AudioMixer::kRate / 100);
            mixed.insert(mixed.end(), block.begin(), block.end());
            if (mixed.size() >= size_t(kMaxMusicSeconds) * platform::AudioMixer::kRate * 2) break;
        } else {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
            if (std::chrono::steady_clock::now() - started > std::chrono::seconds(kMaxMusicSeconds)) break;
        }
        device.Update();
    }
    if (offline != nullptr) return WriteMix(wav, mixed) ? 0 : 1;
    // The last notes' release.
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) return Usage();
    if (std::strcmp(argv[2], "--music") == 0) {
        if (argc != 4 && !(argc == 6 && std::strcmp(argv[4], "--wav") == 0)) return Usage();
        if (!g_dataDirs.Find(argv[1])) {
            std::fprintf(stderr, "fxplay: no sample data tree under %s (run mkdata first)\n", argv[1]);
            return 1;
        }
        return PlayTune(argv[3], argc == 6 ? argv[5] : nullptr);
    }
    const char* wav = nullptr;
    int32_t level = 5;
    int32_t rate = 0;
    for (int i = 3; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--wav") == 0) {
            wav = argv[i + 1];
        } else if (std::strcmp(argv[i], "--level") == 0) {
            level = std::atoi(argv[i + 1]);
        } else if (std::strcmp(argv[i], "--rate") == 0) {
            rate = std::atoi(argv[i + 1]);
        } else {
            return Usage();
        }
    }
    if (!g_dataDirs.Find(argv[1])) {
        std::fprintf(stderr, "fxplay: no sample data tree under %s (run mkdata first)\n", argv[1]);
        return 1;
    }
    SoundEffectLibrary effects;
    const std::string path = g_dataDirs.Prefix(DataDir::kData) + "fx.iff";
    if (effects.Load(path.c_str()) != kStatusOk) {
        std::fprintf(stderr, "fxplay: %s cannot be read\n", path.c_str());
        return 1;
    }
    g_soundEffects = &effects;

    platform::HeadlessAudioOutput* offline = nullptr;
    SoundDevice device(std::make_unique<platform::SoundLibrary>(MakeOutput(wav, &offline)));
    if (!device.Open()) {
        std::fprintf(stderr, "fxplay: no sound device could be opened (try --wav FILE)\n");
        return 1;
    }
    std::unique_ptr<SoundObject> sound(CreateSoundObject(argv[2]));
    if (sound == nullptr) {
        std::fprintf(stderr, "fxplay: \"%s\" is not a sound of %s; it has:\n", argv[2], path.c_str());
        for (const auto& definition : effects.sounds) std::fprintf(stderr, "  \"%s\"\n", definition->name);
        return 1;
    }
    if (rate > 0) sound->SetRate(rate);
    if (device.Play(sound.get(), level, 1) != 1) {
        std::fprintf(stderr, "fxplay: the sound did not start\n");
        return 1;
    }
    std::printf("Playing \"%s\" through %s\n", sound->name, device.Library().Output().Description().c_str());
    std::vector<int16_t> mixed;
    const auto started = std::chrono::steady_clock::now();
    while (sound->playState != 0) {
        if (offline != nullptr) {
            const std::vector<int16_t> block = offline->Render(platform::AudioMixer::kRate / 100);
            mixed.insert(mixed.end(), block.begin(), block.end());
            if (mixed.size() >= size_t(kMaxSeconds) * platform::AudioMixer::kRate * 2) break;
        } else {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
            if (std::chrono::steady_clock::now() - started > std::chrono::seconds(kMaxSeconds)) break;
        }
        device.Update();
    }
    if (offline != nullptr) {
        if (!WriteMix(wav, mixed)) return 1;
    } else {
        // The device's buffer still holds the end of the sound.
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    sound.reset();
    g_soundEffects = nullptr;
    return 0;
}
