#pragma once
#include <cstdint>

#include "engine/EngineAllocation.h"

class PixelImage;
class SoundObject;
class SpaceObject;

// A radio message posted to the cockpit: the speaker's face, the text and
// the voice (both owned), who speaks, and how long it shows.
class RadioMessage : public EngineObject {
public:
    RadioMessage(PixelImage* face, const char* text, SpaceObject* speaker, SoundObject* voice, uint32_t displayTime);
    ~RadioMessage();
    RadioMessage(const RadioMessage&) = delete;
    RadioMessage& operator=(const RadioMessage&) = delete;

    PixelImage* face;
    char* text = nullptr;
    SpaceObject* speaker;
    SoundObject* voice;
    uint32_t reserved = 0;
    uint32_t displayTime;
};
