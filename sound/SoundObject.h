#pragma once
#include <cstdint>
#include <memory>

#include "engine/EngineAllocation.h"
#include "engine/Vector3.h"
#include "platform/SampleData.h"

class SoundEffectDef;

// One playable sound: the shared samples of a definition and the words the
// game sets while it plays. The sound device reads the words once a frame
// and pushes them to the sound's live voices.
class SoundObject : public EngineObject {
public:
    explicit SoundObject(const SoundEffectDef& definition);
    // Stops the sound's voices first: a sound may be deleted while it plays.
    virtual ~SoundObject();
    SoundObject(const SoundObject&) = delete;
    SoundObject& operator=(const SoundObject&) = delete;

    // A sound given a world position is heard from the listener's place
    // from then on.
    virtual void SetPosition(const Vector3& worldPosition);
    // The stereo side (0 to 127, 64 the centre); 0 keeps the definition's pan.
    void SetSide(int32_t value) { side = value; }
    void SetRate(int32_t value) { rate = value; }

    char name[17] = {};
    std::shared_ptr<const platform::SampleData> samples;
    int32_t basePriority = 0;
    int32_t pan = 64;
    Vector3 position{};
    bool positional = false;
    int32_t side = 0;
    int32_t repeat = 0;    // set while a gun or beam fires: the sound goes round
    int32_t loop = 0;      // kept set while a looping sound should go on
    int32_t rate = 0;      // playback rate in Hz
    int32_t volume = 127;
    int32_t playState = 0; // set while a voice of the sound plays
    int32_t started = 1;   // the screens' "loop already started" word
};

// A new sound for the definition of that name in the loaded "fx.iff"; null
// for "null", for an unknown name or before the definitions are loaded.
SoundObject* CreateSoundObject(const char* name);
