#include <SDL.h>

#include "platform/AudioMixer.h"
#include "platform/AudioOutput.h"

namespace platform {

namespace {

// SDL's audio thread: the mixer fills the whole buffer, silence included.
void Pull(void* user, Uint8* stream, int bytes) {
    auto* const mixer = static_cast<AudioMixer*>(user);
    mixer->Mix(reinterpret_cast<int16_t*>(stream), size_t(bytes) / (sizeof(int16_t) * AudioMixer::kChannels));
}

}  // namespace

SdlAudioOutput::~SdlAudioOutput() { Close(); }

bool SdlAudioOutput::Open(AudioMixer& mixer) {
    Close();
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return false;
    subsystem_ = true;
    SDL_AudioSpec wanted{};
    wanted.freq = AudioMixer::kRate;
    wanted.format = AUDIO_S16SYS;
    wanted.channels = AudioMixer::kChannels;
    wanted.samples = 1024;
    wanted.callback = Pull;
    wanted.userdata = &mixer;
    device_ = SDL_OpenAudioDevice(nullptr, 0, &wanted, nullptr, 0);
    if (device_ == 0) {
        Close();
        return false;
    }
    const char* const driver = SDL_GetCurrentAudioDriver();
    name_ = std::string("SDL2 audio (") + (driver != nullptr ? driver : "unknown") + ")";
    SDL_PauseAudioDevice(device_, 0);
    return true;
}

void SdlAudioOutput::Close() {
    if (device_ != 0) {
        SDL_CloseAudioDevice(device_);   // waits for the callback to return
        device_ = 0;
    }
    if (subsystem_) {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        subsystem_ = false;
    }
}

std::string SdlAudioOutput::Description() const { return device_ != 0 ? name_ : "SDL2 audio (closed)"; }

}  // namespace platform
