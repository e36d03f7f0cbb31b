#include "scene/KeyframeTrack.h"

#include <cstring>

#include "engine/ByteOrder.h"
#include "engine/FileWrappers.h"
#include "engine/IffFile.h"
#include "engine/IffWalk.h"

KeyframeTrack* g_keyframeLibrary = nullptr;

namespace {

constexpr uint32_t kKeyframeForm = MakeTag("KEYF");
constexpr uint32_t kSceneForm = MakeTag("ESEN");
constexpr uint32_t kMeshForm = MakeTag("EMSH");
constexpr uint32_t kHeaderChunk = MakeTag("HDR ");
constexpr uint32_t kFixedKey = MakeTag("KEY ");
constexpr uint32_t kFloatKey = MakeTag("KEY1");
constexpr uint32_t kHeaderBytes = 168;
constexpr uint32_t kKeyBytes = 20;

}  // namespace

KeyframeTrack::~KeyframeTrack() { KeyframeTrack::Clear(); }

void KeyframeTrack::Clear() {
    while (animations != nullptr) {
        KeyframeAnimation* const following = animations->next;
        for (Keyframe* track = animations->tracks; track != nullptr;) {
            Keyframe* const nextTrack = track->nextTrack;
            for (Keyframe* key = track; key != nullptr;) {
                Keyframe* const nextKey = key->nextKey;
                delete key;
                key = nextKey;
            }
            track = nextTrack;
        }
        delete animations;
        animations = following;
    }
    keyCount = 0;
}

Keyframe* KeyframeTrack::FindKey(uint32_t mask, const char* name, int32_t time, KeyframeAnimation* start) {
    if (name == nullptr) return nullptr;
    KeyframeAnimation* animation = start != nullptr ? start : animations;
    while (animation != nullptr && std::strcmp(animation->name, name) != 0) animation = animation->next;
    if (animation == nullptr) return nullptr;
    Keyframe* track = animation->tracks;
    while (track != nullptr && (track->mask & mask) != track->mask) track = track->nextTrack;
    for (Keyframe* key = track; key != nullptr; key = key->nextKey) {
        if (key->time == time) return key;
    }
    return nullptr;
}

KeyframeAnimation* KeyframeTrack::Animation(const char* name, const uint8_t* header) {
    KeyframeAnimation* last = nullptr;
    for (KeyframeAnimation* a = animations; a != nullptr; a = a->next) {
        if (std::strncmp(a->name, name, KeyframeAnimation::kNameBytes) == 0) return a;
        last = a;
    }
    auto* const made = new KeyframeAnimation;
    if (made == nullptr) return nullptr;
    std::memcpy(made->name, name, KeyframeAnimation::kNameBytes);
    made->words[0] = LoadLe32(header + 80);
    made->words[1] = LoadLe32(header + 84);
    if (last != nullptr) {
        last->next = made;
    } else {
        animations = made;
    }
    return made;
}

void KeyframeTrack::Insert(KeyframeAnimation& animation, Keyframe* key) {
    key->animation = &animation;
    Keyframe** link = &animation.tracks;
    while (*link != nullptr && (*link)->mask != key->mask) link = &(*link)->nextTrack;
    if (*link == nullptr) {
        *link = key;   // a new track at the end
        return;
    }
    Keyframe* const first = *link;
    if (first->time >= key->time) {
        // The new key takes the first key's place in the track list.
        key->nextTrack = first->nextTrack;
        first->nextTrack = nullptr;
        key->nextKey = first;
        *link = key;
        return;
    }
    // After the last key that is earlier: before any of an equal time.
    Keyframe* after = first;
    while (after->nextKey != nullptr && after->nextKey->time < key->time) after = after->nextKey;
    key->nextKey = after->nextKey;
    key->previousKey = after;
    after->nextKey = key;
}

Status KeyframeTrack::ReadForm(IffFile& iff) {
    if (iff.ChunkId() != IffFile::kFormId || iff.FormType() != kKeyframeForm) return 11;
    if (iff.Descend() != kStatusOk) return 10;
    const auto leave = [&iff](Status result) {
        iff.Ascend();
        return result;
    };
    uint8_t header[kHeaderBytes];
    if (iff.FindChunk(kHeaderChunk) != kStatusOk || iff.ChunkSize() != kHeaderBytes) return leave(12);
    if (iff.ReadChunk(header, sizeof header) != kStatusOk) return leave(10);
    char name[KeyframeAnimation::kNameBytes + 1] = {};
    std::memcpy(name, header, KeyframeAnimation::kNameBytes);
    for (;;) {
        const Status step = iff.NextChunk();
        if (step == kStatusEndOfData) break;
        if (step != kStatusOk) return leave(10);
        const uint32_t id = iff.ChunkId();
        if (id != kFixedKey && id != kFloatKey) continue;
        if (iff.ChunkSize() != kKeyBytes) return leave(12);
        uint8_t bytes[kKeyBytes];
        if (iff.ReadChunk(bytes, sizeof bytes) != kStatusOk) return leave(10);
        KeyframeAnimation* const animation = Animation(name, header);
        auto* const key = new Keyframe;
        if (animation == nullptr || key == nullptr) {
            delete key;
            return leave(2);
        }
        const bool fixed = id == kFixedKey;
        key->mask = LoadLe32(bytes);
        key->time = int32_t(LoadLe32(bytes + 4));
        key->x = LoadLeFixedOrFloat(bytes + 8, fixed);
        key->y = LoadLeFixedOrFloat(bytes + 12, fixed);
        key->z = LoadLeFixedOrFloat(bytes + 16, fixed);
        Insert(*animation, key);
        ++keyCount;
    }
    iff.Ascend();
    return Finish();
}

Status KeyframeTrack::Finish() { return kStatusOk; }

Status KeyframeTrack::Load(const char* fileName) {
    IffFile iff(0);
    if (fileName == nullptr || iff.OpenFile(fileName, kOpenRead) != kStatusOk) return 10;
    Status result = 11;
    const Status walked = iff_walk::Walk(iff, [&](IffFile& at) {
        if (at.ChunkId() != IffFile::kFormId) return iff_walk::Choice::kPass;
        if (at.FormType() == kKeyframeForm) {
            result = ReadForm(at);
            return result == 11 ? iff_walk::Choice::kPass : iff_walk::Choice::kStop;
        }
        return at.FormType() == kSceneForm || at.FormType() == kMeshForm ? iff_walk::Choice::kEnter
                                                                         : iff_walk::Choice::kPass;
    });
    if (walked == kStatusCannotOpen) result = 10;
    iff.CloseFile();
    return result;
}

int32_t KeyframeTrack::CountAnimations() const {
    int32_t n = 0;
    for (const KeyframeAnimation* a = animations; a != nullptr; a = a->next) ++n;
    return n;
}

void KeyframeTrack::NextAnimationName(const char* name, char* out) const {
    if (out == nullptr || animations == nullptr) return;
    out[0] = 0;
    const KeyframeAnimation* found = animations;
    if (name != nullptr) {
        while (found != nullptr && std::strcmp(found->name, name) != 0) found = found->next;
        found = found != nullptr ? found->next : nullptr;
    }
    if (found != nullptr) std::memcpy(out, found->name, KeyframeAnimation::kNameBytes + 1);
}
