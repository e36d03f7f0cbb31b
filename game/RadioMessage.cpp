#include "game/RadioMessage.h"

#include <cstring>

#include "sound/SoundObject.h"

RadioMessage::RadioMessage(PixelImage* face, const char* text, SpaceObject* speaker, SoundObject* voice,
                           uint32_t displayTime)
    : face(face), speaker(speaker), voice(voice), displayTime(displayTime) {
    const size_t length = text != nullptr ? std::strlen(text) : 0;
    this->text = static_cast<char*>(EngineAllocate(length + 1));
    if (this->text != nullptr) {
        if (length > 0) std::memcpy(this->text, text, length);
        this->text[length] = 0;
    }
}

RadioMessage::~RadioMessage() {
    EngineRelease(text);
    delete voice;
}
