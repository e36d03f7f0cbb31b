#pragma once
#include <cstdint>

#include "engine/Vector3.h"
#include "scene/SceneObject.h"
#include "scene/Transform.h"

class IffFile;
class TokenTable;
struct Keyframe;

// One part of an articulated figure: a scene object classified by the
// body-part mask its model's name gives (scene/TokenTable.h), placed by a
// rest transform and three rotation angles, and found, hidden and shown by
// mask across the figure's tree. The figures share one token table, made by
// the first and freed by the last.
//
// Up to six channels play key lists (tracks of g_keyframeLibrary, looked up
// by the part's mask and the animation's name) whose values are the part's
// three angles: each step moves a channel's frame position on, interpolates
// between its current and next key and turns the part by the sum of the
// active channels' offsets from their first keys. Without a library the
// steps that need another key list find none.
class JointedObject : public SceneObject {
public:
    static constexpr uint16_t kTypeJointed = 1041;
    static constexpr uint32_t kFlagHidden = 0x1;
    static constexpr int kMaxChannels = 6;
    // Results of the channel steps.
    static constexpr int32_t kKeyNotFound = -1;
    static constexpr int32_t kTooFewFrames = -2;
    static constexpr int32_t kSwitchedList = -3;
    static constexpr Status kNoKeyList = 11;

    struct Channel {
        float period = 0.0f;  // duration of one frame
        float duration = 0.0f;
        int32_t active = 0;
        Keyframe* first = nullptr;
        Keyframe* current = nullptr;
        Keyframe* next = nullptr;
        Vector3 offset{};  // current key minus first key, then advanced by the step
        Vector3 step{};    // next key minus current key, scaled
        int32_t reverse = 0;
        float position = 0.0f;
        float lastWhole = 0.0f;
        float startTime = 0.0f;
        float lastTime = 0.0f;
        float time = 1.0f;
        float scale = 1.0f;
    };

    JointedObject();
    JointedObject(const JointedObject&) = delete;
    JointedObject& operator=(const JointedObject&) = delete;
    ~JointedObject() override;

    Status ReadModel(IffFile& source, const char* meshName, Palette* palette, Model* model, char* parentName,
                     uint32_t mode) override;
    Status LoadModel(const char* path, const char* meshName, Palette* palette, Model* model, char* parentName,
                     uint32_t mode) override;

    // The mask of the model's name, as the current and the base mask.
    void ComputePartMask();
    // The first part, depth first over this part, its siblings (below the
    // top) and its children, whose current mask equals `mask`.
    JointedObject* FindPart(uint32_t mask);
    // Hidden or shown: every part of the tree whose mask shares a bit with
    // (Any) or equals (Exact) `mask`.
    void HidePartsAny(uint32_t mask);
    void HidePartsExact(uint32_t mask);
    void ShowPartsAny(uint32_t mask);
    void ShowPartsExact(uint32_t mask);
    void RestoreMasks();
    // The local transform rebuilt from the rest transform turned by the
    // angles (degrees): about the local y axis by the third, the local x
    // axis by the first, the forward axis by the second.
    void SetRestRotation(const float angles[3]);
    void SetRotation(const float angles[3]);

    // Clears every channel, times to `value`; Clear keeps the keys, the
    // reverse switches and the count.
    void ResetChannels(float value);
    void ClearChannels(float value);
    // One animation step of the figure below this part; the results of the
    // parts are or-ed together.
    int32_t Animate(float a, float b, float c, float d);
    void AdvanceChannel(int k, float c, float a, float d);
    int32_t StepChannel(int k, float a, float b, float c);
    void ComputeStep(int k, float a, float b);
    void ComputeOffset(int k);
    void AccumulateMotion(float scale, float a);
    // 1 when a channel playing `oldName` now plays `newName`, here or below.
    int32_t SwitchAnimation(const char* oldName, const char* newName);
    void StartAllChannels();
    // Plays a key list on a new channel and the animation of the same name
    // on the parts below: the channel's index, -1 for a part not jointed.
    int32_t PlayAnimation(Keyframe* keys, float duration, float scale);
    int32_t AddChannel(Keyframe* keys);
    void RemoveChannel(int index);
    void ScaleChannel(int index, float factor);
    int32_t ChannelHasPreviousKey(int index) const;
    void SetChannelActive(int index);
    void SetChannelInactive(int index);
    // Both the rest and the local transform.
    void RotateAboutLocalX(float angle, uint32_t flags);
    void RotateAboutForward(float angle, uint32_t flags);
    void RotateAboutLocalY(float angle, uint32_t flags);
    // The change of the angle.
    float AddAngleLocalX(float delta, uint32_t flags);
    float AddAngleForward(float delta, uint32_t flags);
    void MirrorChildren();
    void MirrorPart(int index, JointedObject* parentPart);
    // Every part of the figure at the key of `frame` on channel `index`;
    // this part's world position into out.
    void PoseAt(int index, int32_t frame, Vector3* out);
    // Where the part of `partMask` stands at `frame` of the named animation,
    // walking down the first children from this part: 0, or 11 when a part
    // on the way has no key list. 0 with the origin without a library.
    Status JointPosition(const char* animation, uint32_t partMask, int32_t frame, Vector3* out);
    float JointDistance(const char* animation, uint32_t maskA, uint32_t maskB, int32_t frame);

    // Left and right swapped in a part mask; the 0x1000/0x2000 pair is kept
    // for a part mirrored from the other side.
    static uint32_t MirrorMask(uint32_t partMask, bool mirroredPart);
    // The library's read of a FORM "KEYF"; 0 without a library.
    static Status LibraryRead(IffFile& file);

    // The shared table (null before the first figure and after the last).
    static TokenTable* SharedTokens();
    static Status LoadTokenTable(const char* fileName);

    uint32_t mask = 0;
    uint32_t baseMask = 0;
    int32_t mirrored = 0;
    Transform rest;
    float angles[3] = {};
    float angleCopies[3] = {};
    int32_t channelCount = 0;
    Channel channels[kMaxChannels];
    Vector3 motion{};  // the accumulated root motion

private:
    Status Loaded(Status read);
    void Rotate(const float newAngles[3], uint32_t firstFlags);
    void RebuildFromAngles(uint32_t flags);
    void SwitchChannel(Channel& channel, Keyframe* keys);
    // Calls `visit` on this part, its siblings below the top and its children.
    template <typename Visit>
    void ForTree(Visit visit, bool top);
};
