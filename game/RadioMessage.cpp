#include "game/RadioMessage.h"

#include <cstring>

#include "sound/SoundObject.h"

RadioMessage::RadioMessage(PixelImage* face, const char* text, SpaceObject* speaker, SoundObject* voice,
                           uint32_t displayTime)
    : face(face), speaker(speaker), voice(voice), displayTime(displayTime) {
    this->text = EngineCopyText(text);
}

RadioMessage::~RadioMessage() {
    EngineRelease(text);
    delete voice;
}
