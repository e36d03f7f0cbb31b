#include "scene/Frame.h"

#include <cstring>

#include "engine/MathRoutineTable.h"
#include "engine/MatrixMath.h"
#include "engine/PickQuery.h"

namespace {

constexpr uint32_t kAllFlags = Transform::kAllFlags;
constexpr uint32_t kWalkingObjects = PickQuery::kPrepared | PickQuery::kInsideWalk;

}  // namespace

Frame::Frame() : NamedObject(kTypeFrame) {}

Frame::Frame(const Frame& other)
    : NamedObject(other),
      local(other.local),
      world(other.local),
      ownSphere(other.ownSphere),
      subtreeSphere(other.subtreeSphere) {}

Frame& Frame::operator=(const Frame& other) {
    if (this == &other) return *this;
    NamedObject::operator=(other);
    local = other.local;
    ownSphere = other.ownSphere;
    subtreeSphere = other.subtreeSphere;
    UpdateWorldTransform(kAllFlags);
    return *this;
}

Frame::~Frame() {
    Detach(0, kAllFlags);
    // Children that nobody destroyed first would point at this frame after
    // it is gone; they stay together as a list of roots instead.
    for (Frame* child = firstChild; child != nullptr; child = child->NextSibling()) {
        child->parent = nullptr;
    }
    firstChild = nullptr;
}

void Frame::InsertAfterSibling(Frame* sibling, uint32_t flags) {
    InsertAfter(sibling);
    parent = sibling->parent;
    if (parent != nullptr && (flags & kRefreshParentBounds)) parent->UpdateBounds(1, 1);
}

void Frame::AttachToParent(Frame* newParent, uint32_t flags) {
    parent = newParent;
    if (newParent != nullptr) {
        if (newParent->firstChild == nullptr) {
            newParent->firstChild = this;
        } else {
            Frame* last = newParent->firstChild;
            while (last->next != nullptr) last = last->NextSibling();
            InsertAfter(last);
        }
    }
    if (flags & kUpdateWorld) UpdateWorldTransform(flags);
}

void Frame::Detach(int32_t deleteChildren, uint32_t flags) {
    Frame* const oldParent = parent;
    if (oldParent != nullptr) {
        if (oldParent->firstChild == this) {
            oldParent->firstChild = previous != nullptr ? PreviousSibling() : NextSibling();
        }
        parent = nullptr;
    }
    Unlink();
    if (oldParent != nullptr && (flags & kRefreshParentBounds)) oldParent->UpdateBounds(1, 1);

    if (deleteChildren != 0) {
        Frame* child = firstChild;
        while (child != nullptr) {
            Frame* const successor = child->NextSibling();
            child->Detach(1, kAllFlags);
            delete child;
            child = successor;
        }
        firstChild = nullptr;
    }

    if (flags & kUpdateWorld) UpdateWorldTransform(flags);
}

NamedObject* Frame::FindByName(const char* wanted) {
    if (wanted == nullptr) return nullptr;
    if (name != nullptr && std::strncmp(wanted, name, kNameLength) == 0) return this;
    if (firstChild != nullptr) {
        if (NamedObject* found = firstChild->FindByName(wanted)) return found;
    }
    // A root's siblings are the objects of its list, which need not be frames.
    return next != nullptr ? next->FindByName(wanted) : nullptr;
}

void Frame::Draw() {
    for (Frame* child = firstChild; child != nullptr; child = child->NextSibling()) {
        if (!(child->flags & kFlagHidden)) child->Draw();
    }
}

void Frame::Update() {
    // The successor is taken first, so that a child may leave the tree (or
    // delete itself) while it updates.
    Frame* child = firstChild;
    while (child != nullptr) {
        Frame* const successor = child->NextSibling();
        if (!(child->flags & kFlagFrozen)) child->Update();
        child = successor;
    }
}

void Frame::UpdateWorldTransform(uint32_t flags) {
    if (parent != nullptr) {
        if (flags & Transform::kUpdateInverse) {
            local.Combine(&parent->world, &world);
        } else {
            g_mathRoutineTable.multiplyMatrix(&local.matrix, &parent->world.matrix, &world.matrix);
        }
        world.changeCount = 0;
    } else {
        world = local;
    }
    // One refresh of the parent's bounds per call, after the whole subtree.
    const uint32_t childFlags = flags & ~kRefreshParentBounds;
    for (Frame* child = firstChild; child != nullptr; child = child->NextSibling()) {
        child->UpdateWorldTransform(childFlags);
    }
    if (parent != nullptr && (flags & kRefreshParentBounds)) parent->UpdateBounds(1, 1);
}

void Frame::UpdateBounds(int32_t childrenCurrent, int32_t propagate) {
    if (childrenCurrent == 0 && firstChild != nullptr) firstChild->UpdateBounds(0, 0);
    if (ownSphere == nullptr) return;

    subtreeSphere = *ownSphere;
    for (const Frame* child = firstChild; child != nullptr; child = child->NextSibling()) {
        Vector3 centre;
        g_mathRoutineTable.transformPoint(&child->subtreeSphere.centre, &child->local.matrix, &centre);
        const Vector3 apart(centre.x - subtreeSphere.centre.x, centre.y - subtreeSphere.centre.y,
                            centre.z - subtreeSphere.centre.z);
        const float reach = VectorLength(&apart) + child->subtreeSphere.radius * child->local.scale;
        if (reach > subtreeSphere.radius) subtreeSphere.radius = reach;
    }
    if (parent != nullptr && propagate != 0) parent->UpdateBounds(1, 1);
}

int32_t Frame::GetBoundingSphere(BoundingSphere* out) const {
    if (ownSphere == nullptr) return NamedObject::GetBoundingSphere(out);
    g_mathRoutineTable.transformPoint(&ownSphere->centre, &world.matrix, &out->centre);
    out->radius = ownSphere->radius * world.scale;
    return 0;
}

// The direction is carried as it is, not normalised again.
float Frame::RayDistance(const Vector3* origin, const Vector3* direction, int32_t flag) const {
    if (ownSphere == nullptr) return NamedObject::RayDistance(origin, direction, flag);
    Vector3 localOrigin;
    Vector3 localDirection;
    g_mathRoutineTable.transformPoint(origin, &world.inverse, &localOrigin);
    g_mathRoutineTable.transformVector(direction, &world.inverse, &localDirection);
    float distance = ownSphere->RayDistance(localOrigin, localDirection);
    if (!(distance > 0.0f)) return 0.0f;
    if (world.scale != 1.0f) distance *= world.scale;
    return distance;
}

int32_t Frame::ContainsPoint(const Vector3* point, float radius, int32_t flag) const {
    if (ownSphere == nullptr) return NamedObject::ContainsPoint(point, radius, flag);
    Vector3 localPoint;
    g_mathRoutineTable.transformPoint(point, &world.inverse, &localPoint);
    if (world.scale != 1.0f) radius /= world.scale;
    return ownSphere->ContainsPoint(localPoint, radius) ? 1 : 0;
}

Status Frame::CollectRayHits(PickQuery* query) {
    if (query == nullptr) return kStatusNothingToDo;
    if (!(query->flags & PickQuery::kTestingObjects)) return NamedObject::CollectRayHits(query);
    if ((query->flags & kWalkingObjects) != kWalkingObjects) return kStatusNothingToDo;

    Vector3 localOrigin;
    Vector3 localDirection;
    g_mathRoutineTable.transformPoint(&query->origin, &world.inverse, &localOrigin);
    g_mathRoutineTable.transformVector(&query->direction, &world.inverse, &localDirection);
    g_mathRoutineTable.normalizeVector(&localDirection);
    if (!(subtreeSphere.RayDistance(localOrigin, localDirection) > 0.0f)) return kStatusOk;

    if (const Status status = NamedObject::CollectRayHits(query); status != kStatusOk) return status;
    for (Frame* child = firstChild; child != nullptr; child = child->NextSibling()) {
        if (const Status status = child->CollectRayHits(query); status != kStatusOk) return status;
    }
    return kStatusOk;
}

Status Frame::CollectPointHits(PickQuery* query) {
    if (query == nullptr) return kStatusNothingToDo;
    if (!(query->flags & PickQuery::kTestingObjects)) return NamedObject::CollectPointHits(query);
    if ((query->flags & kWalkingObjects) != kWalkingObjects) return kStatusNothingToDo;

    Vector3 localCentre;
    g_mathRoutineTable.transformPoint(&query->sphere.centre, &world.inverse, &localCentre);
    const float localRadius = query->sphere.radius / world.scale;
    if (!subtreeSphere.ContainsPoint(localCentre, localRadius)) return kStatusOk;

    if (const Status status = NamedObject::CollectPointHits(query); status != kStatusOk) return status;
    for (Frame* child = firstChild; child != nullptr; child = child->NextSibling()) {
        if (const Status status = child->CollectPointHits(query); status != kStatusOk) return status;
    }
    return kStatusOk;
}
