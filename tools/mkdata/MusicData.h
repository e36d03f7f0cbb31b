#pragma once
#include <cstdint>
#include <vector>

#include "engine/Status.h"

// The music of the sample tree, all in the xmi directory: three tunes for
// General MIDI instruments, each one XMIDI sequence of 20 to 40 seconds,
// and two short CD tracks.
//   "menu.xmi"      the option screens: a slow pad, harp and flute in A minor
//   "patrol.xmi"    "sample.uli": strings, bass, horn and light drums in D minor
//   "skirmish.xmi"  "skirmish.uli": fast guitar, bass, brass and drums in E minor
inline constexpr int kSampleTuneCount = 3;
inline constexpr const char* kMenuTune = "menu.xmi";
inline constexpr const char* kPatrolTune = "patrol.xmi";
inline constexpr const char* kSkirmishTune = "skirmish.xmi";
inline constexpr const char* kSampleTunes[kSampleTuneCount] = {kMenuTune, kPatrolTune, kSkirmishTune};
std::vector<uint8_t> SampleTune(int index);
Status WriteSampleTune(int index, const char* path);

// "track01.wav" and "track02.wav": about two seconds of a chord each, as
// 16-bit PCM mono at 22050 Hz.
inline constexpr int kSampleCdTrackCount = 2;
inline constexpr const char* kSampleCdTracks[kSampleCdTrackCount] = {"track01.wav", "track02.wav"};
std::vector<uint8_t> SampleCdTrack(int index);
Status WriteSampleCdTrack(int index, const char* path);
