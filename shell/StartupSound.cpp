// The sound device and the sound effects' definitions.
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <utility>

#include "engine/Status.h"
#include "game/DataDirectories.h"
#include "game/GameState.h"
#include "platform/AudioOutput.h"
#include "platform/SoundLibrary.h"
#include "platform/VideoBackend.h"
#include "shell/LaunchOptions.h"
#include "shell/StartupSteps.h"
#include "sound/SoundDevice.h"
#include "sound/SoundEffectLibrary.h"

namespace startup {

namespace {

constexpr const char* kSoundEffectsFile = "fx.iff";

}  // namespace

// The sound device, on the sound card when there is a window, else mixing
// into nothing, and the definitions of "fx.iff". A device that cannot open
// leaves every sound call doing nothing; missing definitions leave every
// sound object null.
void StartSound(const LaunchOptions& options) {
    std::unique_ptr<platform::AudioOutput> output;
    if (!options.headless && platform::VideoBackend::Kind() == platform::VideoBackendKind::kSdl) {
        output = std::make_unique<platform::SdlAudioOutput>();
    } else {
        output = std::make_unique<platform::HeadlessAudioOutput>();
    }
    auto library = std::make_unique<platform::SoundLibrary>(std::move(output));
    const bool midi = library->Startup() && library->StartMidi();
    const int32_t tracks = library->OpenCdAudio(g_dataDirs.Prefix(DataDir::kXmi));
    auto* const device = new SoundDevice(std::move(library));
    auto* const effects = new SoundEffectLibrary;
    const std::string path = g_dataDirs.Prefix(DataDir::kData) + kSoundEffectsFile;
    const Status loaded = effects->Load(path.c_str());
    g_gameState->TakeSound(device, effects);
    std::printf("Sound: %s%s\n", device->Library().Output().Description().c_str(),
                device->Open() ? "" : ", not open: sounds are silent");
    std::printf("Music: %s, %d CD tracks\n",
                midi ? ("synthesizer on " + device->Library().MidiSoundFont()).c_str() : "no MIDI driver (no SoundFont)",
                tracks);
    if (loaded == kStatusOk) {
        std::printf("Sound effects: %zu from %s, %d refused\n", effects->sounds.size(), path.c_str(), effects->refused);
    } else {
        std::printf("Sound effects: %s cannot be read (%u)\n", path.c_str(), loaded);
    }
    std::fflush(stdout);
}

}  // namespace startup
