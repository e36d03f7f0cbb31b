#pragma once
#include <cstdint>

#include "engine/EngineAllocation.h"
#include "engine/Status.h"
#include "engine/Vector3.h"

struct BoundingSphere;
struct PickQuery;

// The base of every object of the 3D layer and of the game's space objects:
// a node of a doubly linked list with a type, a render mask, flags and a
// name, and the operations the scene graph calls on every node. Derived
// classes override the queries to cover what they hold (a frame its
// children). The virtual operations keep the order below, which every
// derived class extends. Game thread only.
class NamedObject : public EngineObject {
public:
    // Type numbers.
    static constexpr uint16_t kTypeUntyped = 0;  // parts built by the game's projectiles
    static constexpr uint16_t kTypeParticle = 512;
    static constexpr uint16_t kTypeParticleSystem = 768;
    static constexpr uint16_t kTypeFrame = 1024;
    static constexpr uint16_t kTypeSceneObject = 1040;
    static constexpr uint16_t kTypeJointedObject = 1041;
    static constexpr uint16_t kTypeBillboard = 1536;
    static constexpr uint16_t kTypeStreak = 2048;
    static constexpr uint16_t kTypePointField = 4096;
    static constexpr uint16_t kTypeBoxObject = 4608;

    // Edges, fills, Gouraud shading, texturing, translucency and edge
    // visibility: every face feature the render path may use.
    static constexpr uint16_t kDefaultRenderMask = 0x1F8F;

    // Flag bits this class reads; the others belong to derived classes.
    static constexpr uint32_t kFlagOwnsResources = 0x2;  // never passes to a copy
    static constexpr uint32_t kFlagNotPickable = 0x4;    // skipped by both picks

    static constexpr const char* kDefaultName = "NoName";
    // Names are the same when their first this many characters are.
    static constexpr int kNameLength = 16;

    explicit NamedObject(uint16_t type);
    // Unlinked; the flags lose kFlagOwnsResources; instanceWord is 0.
    NamedObject(const NamedObject& other);
    // Keeps this object's links, type and instanceWord; takes the rest,
    // the flags without kFlagOwnsResources.
    NamedObject& operator=(const NamedObject& other);
    virtual ~NamedObject();

    // Links this object behind `node` (not null) and returns its new next.
    // It must not be in a list already.
    virtual NamedObject* InsertAfter(NamedObject* node);
    // Joins the neighbours to each other and clears both links.
    virtual void Unlink();
    // This object or a later one of its list whose name matches over
    // kNameLength characters; null for a null name or none.
    virtual NamedObject* FindByName(const char* name);

    virtual void Draw() = 0;
    // 0 when a world-space sphere was written to out, non-zero when the
    // object has none (the base has none: -1).
    virtual int32_t GetBoundingSphere(BoundingSphere* out) const;
    // Distance along the ray (direction of unit length) to the object's
    // bounding sphere, 0 when the ray misses it; -1 without a sphere.
    virtual float RayDistance(const Vector3* origin, const Vector3* direction, int32_t flag) const;
    // 1 when the point lies within the bounding sphere grown by radius,
    // 0 when not, -1 without a sphere.
    virtual int32_t ContainsPoint(const Vector3* point, float radius, int32_t flag) const;
    // Called on any object, prepares the query and walks its object list;
    // called by that walk, tests this object. Derived classes call these
    // forms for the object itself.
    virtual Status CollectRayHits(PickQuery* query);
    virtual Status CollectPointHits(PickQuery* query);
    virtual void Update();

    NamedObject* next = nullptr;
    NamedObject* previous = nullptr;
    uint16_t type;
    uint16_t renderMask = kDefaultRenderMask;  // ANDed with the camera's and each face's flags
    uint32_t flags = 0;
    const char* name = kDefaultName;  // not owned
    uint32_t instanceWord = 0;        // a copy starts at 0; assignment leaves it
    uint32_t sharedWord = 0;          // carried over by copying and assignment

private:
    Status PrepareQuery(PickQuery* query) const;
    Status TestRayHit(PickQuery* query);
    Status TestPointHit(PickQuery* query);
};
