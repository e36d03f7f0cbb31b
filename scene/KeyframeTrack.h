#pragma once
#include <cstdint>

#include "engine/EngineAllocation.h"
#include "engine/Status.h"

class IffFile;
struct KeyframeAnimation;

// One key: three values at a time, for the channels of its track's mask.
struct Keyframe : public EngineObject {
    float x = 0.0f, y = 0.0f, z = 0.0f;
    uint32_t unused = 0;
    uint32_t mask = 0;
    Keyframe* nextTrack = nullptr;      // on a track's first key: the next track's first key
    Keyframe* nextKey = nullptr;        // the next key of the track, later in time
    Keyframe* previousKey = nullptr;    // the key it was inserted after, if any
    KeyframeAnimation* animation = nullptr;
    int32_t time = 0;
};

// A named animation: tracks of keys, one track per channel mask. The
// header's two words are, as jointed figures read them, the play flags and
// the frame count.
struct KeyframeAnimation : public EngineObject {
    static constexpr int kNameBytes = 80;
    static constexpr uint32_t kLoop = 0x1;
    static constexpr uint32_t kBackAndForth = 0x2;
    static constexpr uint32_t kChain = 0x4;
    static constexpr uint32_t kMirror = 0x8;
    static constexpr uint32_t kSwapFire = 0x10;

    uint32_t Flags() const { return words[0]; }
    int32_t FrameCount() const { return static_cast<int32_t>(words[1]); }

    char name[kNameBytes + 1] = {};
    uint32_t words[2] = {};
    Keyframe* tracks = nullptr;
    KeyframeAnimation* next = nullptr;
    // The animations a chained one hands over to; the reader leaves them null.
    KeyframeAnimation* chainNext = nullptr;
    KeyframeAnimation* chainPrevious = nullptr;
};

// The library of named animations read from FORM "KEYF": what jointed
// figures take their poses from, and where scene files put their "KEYF"
// forms. Reached through g_keyframeLibrary; the game leaves it null.
class KeyframeTrack : public EngineObject {
public:
    KeyframeTrack() = default;
    virtual ~KeyframeTrack();
    KeyframeTrack(const KeyframeTrack&) = delete;
    KeyframeTrack& operator=(const KeyframeTrack&) = delete;

    virtual void Clear();
    // The key of that time in the first track of the named animation (from
    // `start`, or the first) whose mask bits all lie in `mask`; or null.
    virtual Keyframe* FindKey(uint32_t mask, const char* name, int32_t time, KeyframeAnimation* start);
    // 0, 2 no memory, 10 unreadable, 11 not a FORM "KEYF", 12 a chunk of
    // the wrong size. Keys read before a failure stay.
    virtual Status ReadForm(IffFile& iff);
    // Every "KEYF" of the file, also inside "ESEN" and "EMSH" forms: the
    // first result other than 11 ends the walk; 11 when none was read.
    virtual Status Load(const char* fileName);
    virtual Status Finish();

    int32_t CountAnimations() const;
    // The name of the animation after the one called `name` (null: the
    // first) into out (81 bytes); empty when there is none.
    void NextAnimationName(const char* name, char* out) const;

    uint32_t keyCount = 0;
    KeyframeAnimation* animations = nullptr;

private:
    KeyframeAnimation* Animation(const char* name, const uint8_t* header);
    static void Insert(KeyframeAnimation& animation, Keyframe* key);
};

extern KeyframeTrack* g_keyframeLibrary;
