#include "objects/space/SpaceObject.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

#include "ai/AiBrain.h"
#include "engine/Clock.h"
#include "engine/Saturate.h"
#include "engine/TimeStamp.h"
#include "game/GameState.h"
#include "mission/Goal.h"
#include "objects/space/ObjectPart.h"
#include "scene/Material.h"
#include "scene/Model.h"

int32_t SpaceObject::g_nextUoid = 0;

namespace {

const char* NodeModelName(const SceneObject& object) { return object.model != nullptr ? object.model->name : ""; }

// A hit-point record's words: hp, max, x, y, z and one carried along.
SpaceObject::HitPoints Unpack(const Record<24>& record) {
    return {int32_t(record.words[0]), int32_t(record.words[1]),
            Vector3{std::bit_cast<float>(record.words[2]), std::bit_cast<float>(record.words[3]),
                    std::bit_cast<float>(record.words[4])}};
}

bool SameDirection(const Record<24>& record, const Vector3& point) {
    const SpaceObject::HitPoints unpacked = Unpack(record);
    return unpacked.direction.x == point.x && unpacked.direction.y == point.y && unpacked.direction.z == point.z;
}

}  // namespace

SpaceObject::SpaceObject(SpaceObject* from)
    : SceneObject(from != nullptr ? from->model : nullptr), createdAt(GetMilliseconds()) {
    SpaceObject::Init();
    if (from != nullptr) {
        flags = from->flags & ~kTemplateOnlyFlags;
        // The template's size: its model's placement in the scene file.
        if (from->local.scale != 1.0f) {
            local.Scale(from->local.scale, Transform::kAllFlags);
            UpdateWorldTransform(Transform::kAllFlags);
        }
        SpaceObject::BuildParts(this, from->firstChild);
        UpdatePartBounds();
    }
}

SpaceObject::SpaceObject(Model* model) : SceneObject(model), createdAt(GetMilliseconds()) { SpaceObject::Init(); }

SpaceObject::~SpaceObject() {
    ReleaseLinks();
    if (g_gameState != nullptr) {
        g_gameState->ForgetObject(this);
        if (groupNode != nullptr && g_gameState->mission != nullptr) world::Remove(g_gameState->mission->firstObject, this);
    }
    if (groupNode != nullptr) {
        // A world without a mission to hold its head: leave the group as is.
        previous = next = nullptr;
        groupNode = nullptr;
    }
    if (savedModel != nullptr) {
        model = savedModel;
        savedModel = nullptr;
    }
    for (char* text : explosionNames) EngineRelease(text);
    EngineRelease(name);
    EngineRelease(callsign);
    EngineRelease(recordText);
    DeleteParts();
    // The part nodes: the copy of the template's tree under this object.
    Detach(1, 0);
    if (decalMaterialList != nullptr) {
        if (materials == decalMaterialList) materials = model != nullptr ? model->materials : nullptr;
        EngineRelease(decalMaterialList);
    }
    for (Material* decal : decals) delete decal;
}

void SpaceObject::Init() {
    type = kTypeSpaceObject;
    uoid = g_nextUoid++;
    hitPoints = maxHitPoints = kDefaultHitPoints;
    mass = 1.0f;
    velocity = angularVelocity = localVelocity = rotationRates = Vector3{0.0f, 0.0f, 0.0f};
    collisionDelay = -1;
    expiresAt = -1;
    fuelAllowance = 1000;
    identified = 1;
    classWord = craftWord = -1;
    std::strcpy(linkName, "NONE");
    label[0] = 0;
    active = removeWhenDone = isNavPoint = 0;
    side = 0;
    groupKey = 0;
    templateObject = nullptr;
    killer = nullptr;
    collisionPartner = nullptr;
    partnerPart = -1;
    maxSpeed = velocityCap = maxTurnRate = spinCap = speed = 0.0f;
    const char* const modelName = ModelName();
    isBase = std::strncmp(modelName, "BASE", 4) == 0 ? 1 : 0;
    auto* const self = new ObjectPart(this);
    if (self != nullptr) {
        self->SetFromName(modelName);
        parts.Append(self);
    }
    if (std::strstr(modelName, "7720") != nullptr && g_gameState != nullptr) g_gameState->specialObject = this;
}

void SpaceObject::BuildParts(Frame* parentNode, Frame* templateNode) {
    // Siblings in order first, then the children of each, the last
    // sibling's first: the order the parts have always been numbered in.
    std::vector<std::pair<SceneObject*, Frame*>> made;
    for (Frame* from = templateNode; from != nullptr; from = static_cast<Frame*>(from->next)) {
        auto* const source = dynamic_cast<SceneObject*>(from);
        auto* const node = new SceneObject(source != nullptr ? source->model : nullptr);
        if (node == nullptr) return;
        node->local = from->local;
        // A node read from a scene file has its scale in the matrix only.
        node->local.scale = PlacementScale(from->local.matrix);
        node->local.UpdateInverse();
        node->AttachToParent(parentNode, 0);
        node->UpdateWorldTransform(Transform::kUpdateInverse);
        node->flags = from->flags & ~kTemplateOnlyFlags;
        auto* const part = new ObjectPart(node);
        if (part != nullptr) {
            part->SetFromName(source != nullptr ? NodeModelName(*source) : "");
            parts.Append(part);
        }
        made.emplace_back(node, from);
    }
    for (auto it = made.rbegin(); it != made.rend(); ++it) BuildParts(it->first, it->second->firstChild);
}

void SpaceObject::UpdatePartBounds() {
    const auto refresh = [](auto& self, Frame& frame) -> void {
        for (Frame* child = frame.firstChild; child != nullptr; child = static_cast<Frame*>(child->next)) self(self, *child);
        frame.UpdateBounds(1, 0);
    };
    refresh(refresh, *this);
}

float SpaceObject::PlacementScale(const Matrix34& matrix) {
    double sum = 0.0;
    for (int row = 0; row < 3; ++row) {
        const double x = matrix.rows[row][0], y = matrix.rows[row][1], z = matrix.rows[row][2];
        sum += std::sqrt(x * x + y * y + z * z);
    }
    const double scale = sum / 3.0;
    return std::isfinite(scale) && scale > 0.0 && scale <= double(std::numeric_limits<float>::max())
               ? float(scale)
               : 1.0f;
}

void SpaceObject::TakePlacement(const Transform& placement) {
    const float own = local.scale;
    local = placement;
    for (int row = 0; row < 3; ++row) {
        float* const axis = local.matrix.rows[row];
        const double length = std::sqrt(double(axis[0]) * axis[0] + double(axis[1]) * axis[1] + double(axis[2]) * axis[2]);
        if (!(length > 0.0) || !std::isfinite(length)) continue;
        for (int column = 0; column < 3; ++column) axis[column] = float(axis[column] * (own / length));
    }
    local.scale = own;
    local.forward = Vector3{local.matrix.rows[2][0], local.matrix.rows[2][1], local.matrix.rows[2][2]};
    if (local.forward.Length() > 0.0f) local.forward.Normalize();
    local.changeCount = 0;
    local.UpdateInverse();
    UpdateWorldTransform(Transform::kAllFlags);
}

void SpaceObject::DeleteParts() {
    for (ObjectPart* part : parts) delete part;
    parts.Clear();
}

void SpaceObject::ReleaseLinks() {
    while (links_ != nullptr) {
        ObjectLink* const link = links_;
        links_ = link->next_;
        link->target_ = nullptr;
        link->previous_ = link->next_ = nullptr;
    }
}

void SpaceObject::OnRemove(int32_t clearReferences) {
    ForgetGoalSubject(this);
    DeleteParts();
    if (g_gameState != nullptr && g_gameState->playerShip != nullptr && g_gameState->playerShip != this) {
        g_gameState->playerShip->OnObjectRemoved(this);
    }
    if (g_gameState != nullptr) g_gameState->ForgetObject(this);
    Mission* const mission = g_gameState != nullptr ? g_gameState->mission : nullptr;
    if (clearReferences != 0 && mission != nullptr) {
        for (SpaceObject* object = mission->firstObject; object != nullptr; object = object->GetNext()) {
            if (object->collisionPartner.Get() == this) {
                object->collisionPartner = nullptr;
                object->partnerPart = -1;
            }
        }
    }
    if (groupNode != nullptr && mission != nullptr) world::Remove(mission->firstObject, this);
    ReleaseLinks();
}

uint32_t SpaceObject::Age() const { return TimeStamp::Elapsed(createdAt); }

void SpaceObject::Activate(float seconds) {
    active = 1;
    expiresAt = seconds == 0.0f ? -1 : SaturateToInt32(double(Age()) + 1000.0 * double(seconds));
    UpdateVisibility();
}

void SpaceObject::Deactivate(uint32_t remove) {
    collisionDelay = -1;
    active = 0;
    removeWhenDone = remove;
    UpdateVisibility();
}

void SpaceObject::UpdateVisibility() {
    if (collisionDelay != 0) {
        flags |= kFlagNoCollisions;
    } else {
        flags &= ~kFlagNoCollisions;
    }
    if (active == 0) {
        flags |= kFlagHiddenObject | kFlagNoCollisions;
    } else {
        flags &= ~kFlagHiddenObject;
    }
}

void SpaceObject::SetName(const char* text) {
    EngineRelease(name);
    name = text != nullptr ? EngineCopyText(text) : nullptr;
}

void SpaceObject::SetMass(float value) {
    mass = value;
    UpdateVisibility();
}

bool SpaceObject::IsHostile(const SpaceObject* other) const {
    if (other == nullptr || other->active == 0) return false;
    // What a pilot's brain holds hostile is, whatever its side.
    if (const AiBrain* const brain = type == kTypeAiShip ? Brain() : nullptr; brain != nullptr && brain->hostile.Get() == other) {
        return true;
    }
    return side != 0 && other->side != 0 && side != other->side;
}

void SpaceObject::CopyPlacement(const SpaceObject& other) { TakePlacement(other.world); }

Vector3 SpaceObject::Position() const {
    Vector3 at;
    local.matrix.GetTranslation(&at);
    return at;
}

SpaceObject* SpaceObject::FindByUoid(int32_t n) {
    if (n < 0) return nullptr;
    for (SpaceObject* object = this; object != nullptr; object = object->GetNext()) {
        if (object->uoid == n) return object;
    }
    return nullptr;
}

float SpaceObject::DistanceTo(const SpaceObject& other) const { return Position().Difference(other.Position()).Length(); }

void SpaceObject::CopyInto(SpaceObject& clone, SpaceObject* placementSource, bool names) const {
    clone.SetAccelerations(velocityCap, spinCap);
    clone.SetMaxRates(maxSpeed, maxTurnRate);
    std::memcpy(clone.label, label, sizeof label);
    if (names) {
        clone.name = EngineCopyText(name);
        clone.callsign = EngineCopyText(callsign);
    }
    clone.definitionWords.AppendRange(definitionWords);
    clone.collisionDelay = collisionDelay < 0 ? -1 : 0;
    for (const char* explosion : explosionNames) clone.explosionNames.Append(EngineCopyText(explosion));
    // A clone stands with its original.
    clone.groupKey = groupKey;
    const SpaceObject& from = placementSource != nullptr ? *placementSource : *this;
    clone.TakePlacement(from.world);
}

SpaceObject* SpaceObject::Clone(SpaceObject* placementSource, int32_t, int32_t) {
    auto* const clone = new SpaceObject(this);
    if (clone == nullptr) return nullptr;
    CopyInto(*clone, placementSource, true);
    if (g_gameState != nullptr) g_gameState->AddObjectsToWorld(clone, 0);
    return clone;
}

void SpaceObject::SetPositionFlags(const Vector3& position, uint32_t positionFlags) {
    local.SetPosition(&position, positionFlags);
    if (positionFlags & 0x10) UpdateWorldTransform(positionFlags);
}

const char* SpaceObject::ModelName() const { return NodeModelName(*this); }

float SpaceObject::Radius() const { return ownSphere != nullptr ? subtreeSphere.radius * world.scale : 0.0f; }

void SpaceObject::SetHitPoints(int32_t value) {
    hitPoints = maxHitPoints = value;
    for (ObjectPart* part : parts) {
        if (part->solid == 0) continue;
        Vector3 direction;
        part->GetVector(&direction, false);
        bool known = false;
        for (int32_t i = 0; i < hitPointRecords.Count() && !known; ++i) known = SameDirection(hitPointRecords[i], direction);
        if (known) continue;
        Record<24> record{};
        record.words[2] = std::bit_cast<uint32_t>(direction.x);
        record.words[3] = std::bit_cast<uint32_t>(direction.y);
        record.words[4] = std::bit_cast<uint32_t>(direction.z);
        hitPointRecords.Add(record);
    }
    const int32_t records = hitPointRecords.Count();
    if (records == 0) return;
    for (int32_t i = 0; i < records; ++i) {
        hitPointRecords[i].words[0] = hitPointRecords[i].words[1] = uint32_t(value / records);
    }
}

bool SpaceObject::DamageHitPoints(const Vector3* point, int32_t amount) {
    if (amount <= 0 || point == nullptr) return false;
    hitPoints = Saturate32(int64_t(hitPoints) - amount);
    for (int32_t i = 0; i < hitPointRecords.Count(); ++i) {
        if (!SameDirection(hitPointRecords[i], *point)) continue;
        const int32_t left = std::max(0, int32_t(hitPointRecords[i].words[0]) - amount);
        hitPointRecords[i].words[0] = uint32_t(left);
        break;
    }
    return hitPoints < 1;
}

int32_t SpaceObject::GetHitPoints(const Vector3* point) const {
    if (point == nullptr) return hitPoints;
    for (int32_t i = 0; i < hitPointRecords.Count(); ++i) {
        if (SameDirection(hitPointRecords[i], *point)) return Unpack(hitPointRecords[i]).hp;
    }
    return 0;
}

int32_t SpaceObject::GetMaxHitPoints(const Vector3* point) const {
    if (point == nullptr) return maxHitPoints;
    for (int32_t i = 0; i < hitPointRecords.Count(); ++i) {
        if (SameDirection(hitPointRecords[i], *point)) return Unpack(hitPointRecords[i]).max;
    }
    return 0;
}

SpaceObject::HitPoints SpaceObject::HitPointRecord(int32_t index) const { return Unpack(hitPointRecords[index]); }

void SpaceObject::SetHitPointRecord(int32_t index, int32_t hp) {
    if (index >= 0 && index < hitPointRecords.Count()) hitPointRecords[index].words[0] = uint32_t(hp);
}

void SpaceObject::UpdateDetailLevel(const Vector3& offset) {
    // Whole units, squared and summed in double: three squares of 32-bit
    // coordinates overflow even 64 bits, and far off only the order matters.
    const double x = SaturateToInt32(offset.x), y = SaturateToInt32(offset.y), z = SaturateToInt32(offset.z);
    const double distanceSq = x * x + y * y + z * z;
    if (savedModel == nullptr) {
        if (templateObject == nullptr || distanceSq <= double(lodFarSq)) return;
        for (ObjectPart* part : parts) {
            if (part->kind != ObjectPart::kShield && part->node != nullptr) part->node->flags |= kFlagHiddenObject;
        }
        savedModel = model;
        model = templateObject->model;
        flags &= ~kFlagHiddenObject;
        return;
    }
    if (distanceSq >= double(lodNearSq)) return;
    RestoreFullModel();
}

void SpaceObject::RestoreFullModel() {
    if (savedModel == nullptr) return;
    model = savedModel;
    savedModel = nullptr;
    for (ObjectPart* part : parts) {
        if (part->kind != ObjectPart::kShield && part->kind != ObjectPart::kAttachment && part->node != nullptr) {
            part->node->flags &= ~kFlagHiddenObject;
        }
    }
}

void SpaceObject::FillNetState(NetObjectState& state) const {
    state = NetObjectState{};
    state.tail[0] = isNavPoint;
    state.tail[1] = uint32_t(-1);   // lifetime: none
    state.tailWords = 2;
}
