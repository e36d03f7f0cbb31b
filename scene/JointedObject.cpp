#include "scene/JointedObject.h"

#include <cmath>
#include <cstring>

#include "engine/Saturate.h"
#include "scene/KeyframeTrack.h"
#include "scene/Model.h"
#include "scene/TokenTable.h"

namespace {

TokenTable* g_tokens = nullptr;
int32_t g_figures = 0;

JointedObject* AsJointed(NamedObject* object) {
    // Type tests compare the low 12 bits with the jointed type.
    return object != nullptr && (object->type & 0xFFF) == (JointedObject::kTypeJointed & 0xFFF)
               ? static_cast<JointedObject*>(object)
               : nullptr;
}

constexpr uint32_t kLeftBits = 0x4000, kRightBits = 0x8000;
constexpr uint32_t kLeftGeometry = 0x1000, kRightGeometry = 0x2000;
constexpr uint32_t kFireOne = 0x80000, kFireTwo = 0x100000;
// Circular chains of animations are not ours to refuse; their walk is bounded.
constexpr int kMaxChainWalk = 1024;

Vector3 Difference(const Keyframe& a, const Keyframe& b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }

Keyframe* KeyAt(Keyframe* list, int32_t frame) {
    for (Keyframe* key = list; key != nullptr; key = key->nextKey) {
        if (key->time == frame) return key;
    }
    return nullptr;
}

Keyframe* KeyBefore(Keyframe* list, const Keyframe* key) {
    for (Keyframe* walk = list; walk != nullptr; walk = walk->nextKey) {
        if (walk->nextKey == key) return walk;
    }
    return nullptr;
}

Keyframe* LastKey(Keyframe* list) {
    while (list->nextKey != nullptr) list = list->nextKey;
    return list;
}

// The key list of an animation for a part mask: from the record itself, so
// that two animations of one name stay apart.
Keyframe* Lookup(uint32_t partMask, KeyframeAnimation* animation) {
    if (g_keyframeLibrary == nullptr || animation == nullptr) return nullptr;
    return g_keyframeLibrary->FindKey(partMask, animation->name, 0, animation);
}

uint32_t SwapFireBits(uint32_t partMask) {
    uint32_t out = partMask & ~(kFireOne | kFireTwo);
    if (partMask & kFireOne) out |= kFireTwo;
    if (partMask & kFireTwo) out |= kFireOne;
    return out;
}

// The rest placement turned by three angles, in the order the figure's
// setters use: local y by the third, local x by the first, forward by the second.
void TurnByAngles(Transform& transform, const float angles[3], uint32_t firstFlags) {
    transform.RotateAboutLocalY(angles[2], firstFlags);
    transform.RotateAboutLocalX(angles[0], firstFlags);
    transform.RotateAboutForward(angles[1], Transform::kAllFlags);
    transform.Orthonormalize(Transform::kAllFlags);
}

}  // namespace

JointedObject::JointedObject() {
    type = kTypeJointed;
    if (g_tokens == nullptr) g_tokens = new TokenTable;
    ++g_figures;
}

JointedObject::~JointedObject() {
    if (--g_figures == 0) {
        delete g_tokens;
        g_tokens = nullptr;
    }
}

TokenTable* JointedObject::SharedTokens() { return g_tokens; }

Status JointedObject::LoadTokenTable(const char* fileName) {
    if (fileName == nullptr || g_tokens == nullptr) return kStatusOk;
    return g_tokens->Load(fileName);
}

Status JointedObject::Loaded(Status read) {
    if (read != kStatusOk) return read;
    ComputePartMask();
    local.forward = {local.matrix.rows[2][0], local.matrix.rows[2][1], local.matrix.rows[2][2]};
    for (int i = 0; i < 3; ++i) angles[i] = angleCopies[i] = 0.0f;
    rest = local;
    UpdateWorldTransform(0xFF);
    return kStatusOk;
}

Status JointedObject::ReadModel(IffFile& source, const char* meshName, Palette* palette, Model* target,
                                char* parentName, uint32_t mode) {
    return Loaded(SceneObject::ReadModel(source, meshName, palette, target, parentName, mode));
}

Status JointedObject::LoadModel(const char* path, const char* meshName, Palette* palette, Model* target,
                                char* parentName, uint32_t mode) {
    return Loaded(SceneObject::LoadModel(path, meshName, palette, target, parentName, mode));
}

void JointedObject::ComputePartMask() {
    const char* const modelName = model != nullptr ? model->name : nullptr;
    mask = baseMask = g_tokens != nullptr ? g_tokens->MaskForName(modelName) : TokenTable::BuiltInMaskForName(modelName);
}

template <typename Visit>
void JointedObject::ForTree(Visit visit, bool top) {
    visit(*this);
    if (!top || parent != nullptr) {
        if (JointedObject* const sibling = AsJointed(next)) sibling->ForTree(visit, false);
    }
    if (JointedObject* const child = AsJointed(firstChild)) child->ForTree(visit, false);
}

JointedObject* JointedObject::FindPart(uint32_t wanted) {
    if (mask == wanted) return this;
    if (parent != nullptr) {
        if (JointedObject* const sibling = AsJointed(next)) {
            if (JointedObject* const found = sibling->FindPart(wanted)) return found;
        }
    }
    if (JointedObject* const child = AsJointed(firstChild)) return child->FindPart(wanted);
    return nullptr;
}

void JointedObject::HidePartsAny(uint32_t wanted) {
    ForTree([wanted](JointedObject& part) { if ((part.mask & wanted) != 0) part.flags |= kFlagHidden; }, true);
}

void JointedObject::HidePartsExact(uint32_t wanted) {
    ForTree([wanted](JointedObject& part) { if (part.mask == wanted) part.flags |= kFlagHidden; }, true);
}

void JointedObject::ShowPartsAny(uint32_t wanted) {
    ForTree([wanted](JointedObject& part) { if ((part.mask & wanted) != 0) part.flags &= ~kFlagHidden; }, true);
}

void JointedObject::ShowPartsExact(uint32_t wanted) {
    ForTree([wanted](JointedObject& part) { if (part.mask == wanted) part.flags &= ~kFlagHidden; }, true);
}

void JointedObject::RestoreMasks() {
    ForTree([](JointedObject& part) { part.mask = part.baseMask; }, true);
}

void JointedObject::Rotate(const float newAngles[3], uint32_t firstFlags) {
    local = rest;
    for (int i = 0; i < 3; ++i) angles[i] = angleCopies[i] = newAngles[i];
    TurnByAngles(local, angles, firstFlags);
}

void JointedObject::SetRestRotation(const float newAngles[3]) { Rotate(newAngles, 0); }

void JointedObject::SetRotation(const float newAngles[3]) { Rotate(newAngles, Transform::kAllFlags); }

void JointedObject::RotateAboutLocalX(float angle, uint32_t rotateFlags) {
    rest.RotateAboutLocalX(angle, rotateFlags);
    local.RotateAboutLocalX(angle, rotateFlags);
}

void JointedObject::RotateAboutForward(float angle, uint32_t rotateFlags) {
    rest.RotateAboutForward(angle, rotateFlags);
    local.RotateAboutForward(angle, rotateFlags);
}

void JointedObject::RotateAboutLocalY(float angle, uint32_t rotateFlags) {
    rest.RotateAboutLocalY(angle, rotateFlags);
    local.RotateAboutLocalY(angle, rotateFlags);
}

void JointedObject::RebuildFromAngles(uint32_t rotateFlags) {
    local = rest;
    local.RotateAboutLocalX(angles[0], rotateFlags);
    local.RotateAboutLocalY(angles[2], rotateFlags);
    local.RotateAboutForward(angles[1], rotateFlags);
    if (rotateFlags & 0x10) UpdateWorldTransform(Transform::kAllFlags);
}

float JointedObject::AddAngleLocalX(float delta, uint32_t rotateFlags) {
    const float before = angles[0];
    angles[0] += delta;
    RebuildFromAngles(rotateFlags);
    return angles[0] - before;
}

float JointedObject::AddAngleForward(float delta, uint32_t rotateFlags) {
    const float before = angles[1];
    angles[1] += delta;
    RebuildFromAngles(rotateFlags);
    return angles[1] - before;
}

void JointedObject::ResetChannels(float value) {
    for (Channel& channel : channels) {
        channel = Channel{};
        channel.startTime = channel.lastTime = value;
    }
    channelCount = 0;
}

void JointedObject::ClearChannels(float value) {
    for (Channel& channel : channels) {
        Channel cleared{};
        cleared.first = channel.first;
        cleared.current = channel.current;
        cleared.next = channel.next;
        cleared.reverse = channel.reverse;
        cleared.startTime = cleared.lastTime = value;
        channel = cleared;
    }
}

int32_t JointedObject::AddChannel(Keyframe* keys) {
    for (int i = 0; i < channelCount; ++i) {
        if (channels[i].first == keys) return i;
    }
    if (channelCount >= kMaxChannels) {
        while (channelCount > 0) RemoveChannel(0);
    }
    Channel& channel = channels[channelCount];
    channel = Channel{};
    channel.first = channel.current = channel.next = keys;
    channel.position = channel.lastWhole = static_cast<float>(keys->time);
    return channelCount++;
}

void JointedObject::RemoveChannel(int index) {
    if (index < 0 || index >= channelCount) return;
    for (int i = index; i + 1 < channelCount; ++i) channels[i] = channels[i + 1];
    channels[--channelCount] = Channel{};
}

void JointedObject::ScaleChannel(int index, float factor) {
    if (index < 0 || index >= kMaxChannels) return;
    Vector3& step = channels[index].step;
    step = {step.x * factor, step.y * factor, step.z * factor};
}

int32_t JointedObject::ChannelHasPreviousKey(int index) const {
    if (index < 0 || index >= kMaxChannels) return 0;
    const Channel& channel = channels[index];
    return channel.current != nullptr && KeyBefore(channel.first, channel.current) != nullptr ? 1 : 0;
}

void JointedObject::SetChannelActive(int index) {
    ForTree([index](JointedObject& part) { if (index >= 0 && index < part.channelCount) part.channels[index].active = 1; },
            true);
}

void JointedObject::SetChannelInactive(int index) {
    ForTree([index](JointedObject& part) { if (index >= 0 && index < part.channelCount) part.channels[index].active = 0; },
            true);
}

int32_t JointedObject::PlayAnimation(Keyframe* keys, float duration, float scale) {
    if ((type & 0xFFF) != (kTypeJointed & 0xFFF) || keys == nullptr) return kKeyNotFound;
    const int k = AddChannel(keys);
    Channel& channel = channels[k];
    channel.current = keys;
    channel.position = channel.lastWhole = static_cast<float>(keys->time);
    // Frames 1 to the last are played; a list that ends at frame 1 or
    // earlier has no span to divide.
    const int32_t lastFrame = LastKey(keys)->time;
    channel.period = lastFrame > 1 ? duration / static_cast<float>(lastFrame - 1) : 1.0f;
    channel.duration = duration;
    channel.next = keys->nextKey != nullptr ? keys->nextKey : keys;
    channel.scale = scale != 0.0f ? scale : 1.0f;
    const Vector3 step = Difference(*channel.next, *channel.current);
    channel.step = {step.x * channel.scale, step.y * channel.scale, step.z * channel.scale};
    ComputeOffset(k);
    if (parent != nullptr) {
        if (JointedObject* const sibling = AsJointed(next)) {
            if (Keyframe* const own = Lookup(sibling->mask, keys->animation)) sibling->PlayAnimation(own, duration, scale);
        }
    }
    if (JointedObject* const child = AsJointed(firstChild)) {
        if (Keyframe* const own = Lookup(child->mask, keys->animation)) child->PlayAnimation(own, duration, 0.0f);
    }
    channel.active = 1;
    return k;
}

void JointedObject::ComputeOffset(int k) {
    Channel& channel = channels[k];
    channel.offset = channel.current != nullptr && channel.first != nullptr ? Difference(*channel.current, *channel.first)
                                                                            : Vector3{};
}

void JointedObject::ComputeStep(int k, float a, float b) {
    Channel& channel = channels[k];
    float factor = 1.0f;
    if (channel.time == b && b <= 4.0f) {
        factor = channel.period > 0.0f ? (b * a - channel.startTime * b) / channel.period : 1.0f;
        if (!(factor > 0.0f)) {
            factor = 0.1f;
        } else if (factor > 1.0f) {
            factor = 1.0f;
        }
    } else {
        channel.time = b;
    }
    if (channel.current == nullptr || channel.next == nullptr) {
        channel.step = {};
        return;
    }
    factor *= channel.scale;
    const Vector3 span = Difference(*channel.next, *channel.current);
    channel.step = {span.x * factor, span.y * factor, span.z * factor};
}

void JointedObject::AccumulateMotion(float scale, float) {
    motion = {};
    for (int k = 0; k < channelCount; ++k) {
        Channel& channel = channels[k];
        if (!channel.active) continue;
        channel.offset = {channel.offset.x + channel.step.x, channel.offset.y + channel.step.y,
                          channel.offset.z + channel.step.z};
        motion = {motion.x + channel.offset.x * scale, motion.y + channel.offset.y * scale,
                  motion.z + channel.offset.z * scale};
    }
}

int32_t JointedObject::StepChannel(int k, float a, float b, float c) {
    if (k < 0 || k >= channelCount || channels[k].first == nullptr) return kKeyNotFound;
    Channel& channel = channels[k];
    KeyframeAnimation* const animation = channel.first->animation;
    const uint32_t playFlags = animation != nullptr ? animation->Flags() : 0;
    const int32_t frameCount = animation != nullptr ? animation->FrameCount() : 0;
    if (!(channel.period > 0.0f)) return 0;

    const bool bouncing = (playFlags & KeyframeAnimation::kBackAndForth) != 0;
    const bool backwards = bouncing && channel.reverse != 0;
    if (!backwards) {
        channel.position += a / channel.period;
    } else {
        channel.position -= (c * b - channel.lastTime * c) / channel.period;
    }
    if (!std::isfinite(channel.position)) channel.position = channel.lastWhole;
    const float whole = std::floor(channel.position);
    // Playing backwards the frames fall; either way only a new whole frame
    // moves the keys on.
    if (backwards ? whole >= channel.lastWhole : whole <= channel.lastWhole) return 0;
    int32_t w = SaturateToInt32(whole);
    channel.lastWhole = whole;
    channel.startTime = channel.lastTime = b;

    const int32_t lowest = (playFlags & (KeyframeAnimation::kMirror | KeyframeAnimation::kSwapFire)) != 0 ? 2 : 1;
    const int32_t last = frameCount - 1;
    bool ended = false;
    if ((playFlags & KeyframeAnimation::kLoop) == 0 && w > last) {
        w = last;
        ended = true;
    }
    if (!backwards && w < lowest) w = lowest;
    if (last < lowest) return kTooFewFrames;

    Keyframe* list = channel.first;
    int32_t result = 0;
    const bool chained = (playFlags & KeyframeAnimation::kChain) != 0;
    if (w > last || w < lowest || (ended && chained)) {
        KeyframeAnimation* following = animation;
        if (chained) {
            following = backwards ? animation->chainPrevious : animation->chainNext;
            if (following == nullptr && (playFlags & KeyframeAnimation::kLoop)) {
                // Round to the other end of the chain.
                following = animation;
                for (int i = 0; i < kMaxChainWalk; ++i) {
                    KeyframeAnimation* const further = backwards ? following->chainNext : following->chainPrevious;
                    if (further == nullptr) break;
                    following = further;
                }
            }
        }
        const Keyframe* const atKey = channel.current != nullptr ? channel.current : list;
        uint32_t lookupMask = atKey->mask;
        if (playFlags & KeyframeAnimation::kMirror) {
            lookupMask = MirrorMask(lookupMask, mirrored != 0);
            mask = MirrorMask(mask, mirrored != 0);
        } else if (playFlags & KeyframeAnimation::kSwapFire) {
            lookupMask = SwapFireBits(lookupMask);
            mask = SwapFireBits(mask);
        }
        if (following != nullptr && (following != animation || lookupMask != atKey->mask)) {
            if (Keyframe* const found = Lookup(lookupMask, following)) list = found;
        }
        if (bouncing) {
            w = w > last ? last : lowest;
            channel.reverse ^= 1;
        } else if (playFlags & KeyframeAnimation::kLoop) {
            w = lowest + (w - lowest) % (frameCount - lowest);
        } else {
            w = backwards ? last : lowest;
        }
        channel.position = channel.lastWhole = static_cast<float>(w);
        result = bouncing && list != channel.first ? kSwitchedList : w + 1;
    }

    Keyframe* const key = KeyAt(list, w);
    if (key == nullptr) return kKeyNotFound;
    const bool nowBackwards = bouncing && channel.reverse != 0;
    Keyframe* following = nowBackwards ? KeyBefore(list, key) : key->nextKey;
    if (following == nullptr) {
        if (bouncing) {
            following = nowBackwards ? key->nextKey : KeyBefore(list, key);
        } else if (playFlags & KeyframeAnimation::kLoop) {
            Keyframe* nextList = list;
            if (playFlags & KeyframeAnimation::kMirror) {
                if (Keyframe* const other = Lookup(MirrorMask(key->mask, mirrored != 0), key->animation)) nextList = other;
            } else if (playFlags & KeyframeAnimation::kSwapFire) {
                if (Keyframe* const other = Lookup(SwapFireBits(key->mask), key->animation)) nextList = other;
            }
            following = KeyAt(nextList, lowest);
        } else {
            following = key;
        }
        if (following == nullptr) return kKeyNotFound;
    }
    channel.first = list;
    channel.current = key;
    channel.next = following;
    return result;
}

void JointedObject::AdvanceChannel(int k, float c, float a, float d) {
    ForTree(
        [k, c, a, d](JointedObject& part) {
            if (k < 0 || k >= part.channelCount || part.channels[k].first == nullptr) return;
            Channel& channel = part.channels[k];
            KeyframeAnimation* const animation = channel.first->animation;
            if (animation != nullptr && (animation->Flags() & KeyframeAnimation::kMirror)) {
                part.mask = part.baseMask;
                if (Keyframe* const found = Lookup(part.mask, animation)) channel.first = found;
            }
            channel.current = channel.first->nextKey != nullptr ? channel.first->nextKey : channel.first;
            channel.next = channel.current->nextKey != nullptr ? channel.current->nextKey : channel.current;
            channel.position = channel.lastWhole = static_cast<float>(channel.current->time);
            channel.startTime = channel.lastTime = c;
            part.ComputeStep(k, c, d);
            part.ComputeOffset(k);
            part.AccumulateMotion(1.0f, a);
            const float turn[3] = {part.motion.x, part.motion.y, part.motion.z};
            part.SetRotation(turn);
        },
        true);
}

int32_t JointedObject::Animate(float a, float b, float c, float d) {
    int32_t result = 0;
    if ((flags & kFlagHidden) == 0) {
        for (int k = 0; k < channelCount; ++k) {
            if (!channels[k].active) continue;
            if (channels[k].time < d) AdvanceChannel(k, c, a, d);
            result = StepChannel(k, a, c, d);
            ComputeStep(k, c, d);
            ComputeOffset(k);
        }
        if (channelCount > 0 && result >= 0) {
            AccumulateMotion(b, a);
            const float turn[3] = {motion.x, motion.y, motion.z};
            SetRotation(turn);
        }
    }
    if (parent != nullptr) {
        if (JointedObject* const sibling = AsJointed(next)) result |= sibling->Animate(a, b, c, d);
    }
    if (JointedObject* const child = AsJointed(firstChild)) result |= child->Animate(a, b, c, d);
    return result;
}

int32_t JointedObject::SwitchAnimation(const char* oldName, const char* newName) {
    if (oldName == nullptr || newName == nullptr || std::strcmp(oldName, newName) == 0) return 0;
    int32_t switched = 0;
    for (int k = 0; k < channelCount; ++k) {
        Channel& channel = channels[k];
        if (channel.first == nullptr || channel.first->animation == nullptr ||
            std::strcmp(channel.first->animation->name, oldName) != 0) {
            continue;
        }
        if (g_keyframeLibrary == nullptr) break;
        Keyframe* const keys = g_keyframeLibrary->FindKey(mask, newName, 0, nullptr);
        if (keys == nullptr) break;
        channel.first = channel.current = keys;
        channel.position = channel.lastWhole = static_cast<float>(keys->time);
        channel.next = keys->nextKey != nullptr ? keys->nextKey : keys;
        ComputeOffset(k);
        channel.step = {};
        switched = 1;
        break;
    }
    if (parent != nullptr) {
        if (JointedObject* const sibling = AsJointed(next)) switched |= sibling->SwitchAnimation(oldName, newName);
    }
    if (JointedObject* const child = AsJointed(firstChild)) switched |= child->SwitchAnimation(oldName, newName);
    return switched;
}

void JointedObject::StartAllChannels() {
    for (int k = 0; k < channelCount; ++k) {
        Channel& channel = channels[k];
        if (channel.first == nullptr) continue;
        channel.current = channel.first;
        channel.next = channel.first->nextKey != nullptr ? channel.first->nextKey : channel.first;
        ComputeStep(k, 0.0f, 1.0f);
        ComputeOffset(k);
    }
}

uint32_t JointedObject::MirrorMask(uint32_t partMask, bool mirroredPart) {
    uint32_t out = partMask & ~(kLeftBits | kRightBits);
    if (partMask & kLeftBits) out |= kRightBits;
    if (partMask & kRightBits) out |= kLeftBits;
    if (!mirroredPart) {
        out &= ~(kLeftGeometry | kRightGeometry);
        if (partMask & kLeftGeometry) out |= kRightGeometry;
        if (partMask & kRightGeometry) out |= kLeftGeometry;
    }
    return out;
}

void JointedObject::MirrorPart(int, JointedObject* parentPart) {
    const uint32_t otherSide = MirrorMask(mask, false);
    if (parentPart != nullptr) {
        if (JointedObject* const other = parentPart->FindPart(otherSide)) other->mask = MirrorMask(otherSide, other->mirrored != 0);
    }
    if (!mirrored) {
        const uint32_t geometry = mask & (kLeftGeometry | kRightGeometry);
        mask &= ~(kLeftGeometry | kRightGeometry);
        if (geometry & kLeftGeometry) mask |= kRightGeometry;
        if (geometry & kRightGeometry) mask |= kLeftGeometry;
    }
}

void JointedObject::MirrorChildren() {
    JointedObject* const child = AsJointed(firstChild);
    if (child == nullptr) return;
    for (int k = 0; k < channelCount && k < child->channelCount; ++k) {
        const Keyframe* const key = child->channels[k].current;
        if (key != nullptr && (key->mask & 0x18) != 0) child->MirrorPart(k, this);
    }
}

void JointedObject::PoseAt(int index, int32_t frame, Vector3* out) {
    JointedObject* top = this;
    while (JointedObject* const above = AsJointed(top->parent)) top = above;
    top->ForTree(
        [index, frame](JointedObject& part) {
            if (index < 0 || index >= part.channelCount) return;
            Channel& channel = part.channels[index];
            const Keyframe* const key = KeyAt(channel.first, frame);
            if (key == nullptr) return;
            const Vector3 offset = Difference(*key, *channel.first);
            const float turn[3] = {offset.x, offset.y, offset.z};
            part.SetRotation(turn);
        },
        true);
    top->UpdateWorldTransform(Transform::kAllFlags);
    if (out != nullptr) world.matrix.GetTranslation(out);
}

Status JointedObject::JointPosition(const char* animation, uint32_t partMask, int32_t frame, Vector3* out) {
    Transform placed;
    placed.matrix.SetIdentity();
    if (out != nullptr) *out = Vector3{};
    if (g_keyframeLibrary == nullptr || animation == nullptr) return kStatusOk;
    for (JointedObject* part = this; part != nullptr; part = AsJointed(part->firstChild)) {
        Keyframe* const keys = g_keyframeLibrary->FindKey(part->mask, animation, 0, nullptr);
        if (keys == nullptr) return kNoKeyList;
        const Keyframe* key = KeyAt(keys, frame);
        if (key == nullptr) key = keys;
        const Vector3 offset = Difference(*key, *keys);
        const float turn[3] = {offset.x, offset.y, offset.z};
        Transform own = part->rest;
        TurnByAngles(own, turn, Transform::kAllFlags);
        own.Combine(&placed, &placed);
        if (part->mask == partMask) {
            if (out != nullptr) placed.matrix.GetTranslation(out);
            return kStatusOk;
        }
    }
    return kNoKeyList;
}

float JointedObject::JointDistance(const char* animation, uint32_t maskA, uint32_t maskB, int32_t frame) {
    Vector3 a{}, b{};
    if (JointPosition(animation, maskA, frame, &a) != kStatusOk) return 0.0f;
    if (JointPosition(animation, maskB, frame, &b) != kStatusOk) return 0.0f;
    const float dx = a.x - b.x, dy = a.y - b.y, dz = a.z - b.z;
    return std::sqrt(dx * dx + dy * dy + dz * dz);
}

Status JointedObject::LibraryRead(IffFile& file) {
    return g_keyframeLibrary != nullptr ? g_keyframeLibrary->ReadForm(file) : kStatusOk;
}
