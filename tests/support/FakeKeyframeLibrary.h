#pragma once
// Header only: the support library sits below the scene layer, and only the
// scene's tests need a keyframe library.
#include <cstring>
#include <initializer_list>

#include "scene/KeyframeTrack.h"

// A keyframe library built in code instead of read from "KEYF" forms, and
// installed as g_keyframeLibrary for its life. Counts the lookups so that a
// test can tell a figure asked for keys.
class FakeKeyframeLibrary : public KeyframeTrack {
public:
    struct Key {
        int32_t frame;
        float x, y, z;
    };

    FakeKeyframeLibrary() : previous_(g_keyframeLibrary) { g_keyframeLibrary = this; }
    ~FakeKeyframeLibrary() override { g_keyframeLibrary = previous_; }

    // Appended at the end of the list, as the reader does.
    KeyframeAnimation* AddAnimation(const char* name, uint32_t playFlags, int32_t frameCount) {
        auto* const animation = new KeyframeAnimation;
        std::strncpy(animation->name, name, KeyframeAnimation::kNameBytes);
        animation->words[0] = playFlags;
        animation->words[1] = static_cast<uint32_t>(frameCount);
        KeyframeAnimation** end = &animations;
        while (*end != nullptr) end = &(*end)->next;
        *end = animation;
        return animation;
    }

    // A track of the keys in the order given; its first key.
    Keyframe* AddTrack(KeyframeAnimation* animation, uint32_t mask, std::initializer_list<Key> keys) {
        Keyframe* first = nullptr;
        Keyframe* last = nullptr;
        for (const Key& k : keys) {
            auto* const key = new Keyframe;
            key->x = k.x, key->y = k.y, key->z = k.z;
            key->mask = mask;
            key->time = k.frame;
            key->animation = animation;
            key->previousKey = last;
            (last != nullptr ? last->nextKey : first) = key;
            last = key;
            ++keyCount;
        }
        Keyframe** end = &animation->tracks;
        while (*end != nullptr) end = &(*end)->nextTrack;
        *end = first;
        return first;
    }

    Keyframe* FindKey(uint32_t mask, const char* name, int32_t time, KeyframeAnimation* start) override {
        ++lookups;
        return KeyframeTrack::FindKey(mask, name, time, start);
    }

    int lookups = 0;

private:
    KeyframeTrack* const previous_;
};
