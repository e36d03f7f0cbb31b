#pragma once
#include <cstdint>
#include <vector>

// Music files made in code: XMIDI tunes and CD track files.

// A note of a hand-made tune: on at `tick` (120 a second) for `duration` ticks.
struct TuneNote {
    uint32_t tick = 0;
    uint8_t note = 60;
    uint8_t velocity = 100;
    uint32_t duration = 120;
    uint8_t channel = 0;
};

// An XMIDI file (a lone FORM "XMID") of the notes, in tick order, on the
// channels' first programs, ending at `endTick`.
std::vector<uint8_t> XmidiTune(const std::vector<TuneNote>& notes, uint32_t endTick);

// A 16-bit PCM WAV file of `frames` frames of a loud square wave, the
// format chunk's fields as given.
struct WaveFormat {
    uint16_t tag = 1;
    uint16_t channels = 2;
    uint32_t rate = 22050;
    uint16_t bits = 16;
};
std::vector<uint8_t> WaveFile(const WaveFormat& format, uint32_t frames);
