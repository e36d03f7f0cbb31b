#pragma once
#include <cstdint>

#include "scene/SceneObject.h"
#include "scene/Transform.h"

class TokenTable;

// One part of an articulated figure: a scene object classified by the
// body-part mask its model's name gives (scene/TokenTable.h), placed by a
// rest transform and three rotation angles, and found, hidden and shown by
// mask across the figure's tree. The figures share one token table, made by
// the first and freed by the last.
class JointedObject : public SceneObject {
public:
    static constexpr uint16_t kTypeJointed = 1041;
    static constexpr uint32_t kFlagHidden = 0x1;

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

    // The shared table (null before the first figure and after the last).
    static TokenTable* SharedTokens();
    static Status LoadTokenTable(const char* fileName);

    uint32_t mask = 0;
    uint32_t baseMask = 0;
    int32_t mirrored = 0;
    Transform rest;
    float angles[3] = {};
    float angleCopies[3] = {};

private:
    Status Loaded(Status read);
    void Rotate(const float newAngles[3], uint32_t firstFlags);
    // Calls `visit` on this part, its siblings below the top and its children.
    template <typename Visit>
    void ForTree(Visit visit, bool top);
};
