#pragma once
#include <cstdint>

#include "engine/BoundingSphere.h"
#include "engine/NamedObject.h"
#include "engine/Status.h"
#include "scene/Transform.h"
#include "engine/Vector3.h"

struct PickQuery;

// The node of the 3D hierarchy: a named object with a parent, a list of
// children, a placement relative to the parent and the world placement
// derived from it, and bounds for the whole subtree that cull draws and
// prune picks. A frame has no picture of its own: draw and update pass on
// to the children. Scene objects derive from it and supply the own sphere.
//
// The children are a doubly linked list through the base's next and
// previous links, so a frame's own links are its sibling links. `world` and
// `subtreeSphere` are derived: valid once UpdateWorldTransform and
// UpdateBounds have run since the last change of `local`, the tree or the
// own sphere.
class Frame : public NamedObject {
public:
    // Flag bits of the base's flags word that frames read.
    static constexpr uint32_t kFlagHidden = 0x1;  // not drawn by the parent's draw
    static constexpr uint32_t kFlagFrozen = 0x8;  // not updated by the parent's update

    // Bits of the hierarchy operations' flags word beside the transform
    // flags (Transform::kUpdateInverse for UpdateWorldTransform).
    static constexpr uint32_t kUpdateWorld = 0x10;          // refresh this frame's world transform
    static constexpr uint32_t kRefreshParentBounds = 0x20;  // refresh the parent's bounds

    Frame();
    // Unattached; `world` starts as the source's `local`.
    Frame(const Frame& other);
    // Takes the placement and spheres, keeps the tree links, then refreshes
    // the world transforms.
    Frame& operator=(const Frame& other);
    // Leaves the tree but does not delete the children (Detach with a
    // non-zero first argument does); children still attached become roots.
    ~Frame() override;

    // This frame, then its subtree, then its later siblings and theirs.
    NamedObject* FindByName(const char* name) override;
    void Draw() override;
    // The own sphere in world coordinates; -1 without one.
    int32_t GetBoundingSphere(BoundingSphere* out) const override;
    // World distance along the ray to the own sphere, 0 on a miss; -1
    // without a sphere. The flag is not read.
    float RayDistance(const Vector3* origin, const Vector3* direction, int32_t flag) const override;
    // 1 when the point lies within the own sphere grown by radius (world
    // units); -1 without a sphere. The flag is not read.
    int32_t ContainsPoint(const Vector3* point, float radius, int32_t flag) const override;
    // Inside a walk, skip the whole subtree when the query cannot reach its
    // bounds, else test this frame and then each child.
    Status CollectRayHits(PickQuery* query) override;
    Status CollectPointHits(PickQuery* query) override;
    void Update() override;

    // Links this frame behind `sibling` under the same parent. The frame
    // must not be in a tree already.
    virtual void InsertAfterSibling(Frame* sibling, uint32_t flags);
    // Appends this frame as the parent's last child. The frame must not be
    // in a tree already.
    virtual void AttachToParent(Frame* parent, uint32_t flags);
    // Leaves the parent and the sibling list; with deleteChildren non-zero
    // destroys the whole subtree, deepest first (the children must have
    // come from `new`).
    virtual void Detach(int32_t deleteChildren, uint32_t flags);

    // world = local then the parent's world, for this frame and its
    // subtree. Without Transform::kUpdateInverse only the world matrix
    // follows; the world forward, scale and inverse keep their old values.
    void UpdateWorldTransform(uint32_t flags);
    // Grows subtreeSphere (own centre, own radius) to enclose every child's
    // subtree sphere; with childrenCurrent 0 the chain of first children is
    // refreshed first, with propagate non-zero the parent's bounds after.
    // Nothing happens past the first step without an own sphere.
    void UpdateBounds(int32_t childrenCurrent, int32_t propagate);

    Frame* parent = nullptr;      // not owned; null for a root
    Frame* firstChild = nullptr;  // has no previous sibling
    Transform local;              // in the parent's coordinates (world for a root)
    Transform world;
    const BoundingSphere* ownSphere = nullptr;  // local coordinates; owned by the model
    BoundingSphere subtreeSphere{};             // local coordinates

private:
    Frame* NextSibling() const { return static_cast<Frame*>(next); }
    Frame* PreviousSibling() const { return static_cast<Frame*>(previous); }
};
