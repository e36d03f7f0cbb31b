#include "scene/JointedObject.h"

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
    local.RotateAboutLocalY(angles[2], firstFlags);
    local.RotateAboutLocalX(angles[0], firstFlags);
    local.RotateAboutForward(angles[1], Transform::kAllFlags);
    local.Orthonormalize(Transform::kAllFlags);
}

void JointedObject::SetRestRotation(const float newAngles[3]) { Rotate(newAngles, 0); }

void JointedObject::SetRotation(const float newAngles[3]) { Rotate(newAngles, Transform::kAllFlags); }
