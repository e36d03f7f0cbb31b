#pragma once
#include <cstdint>
#include <vector>

#include "engine/DynArray.h"
#include "engine/RecordArray.h"
#include "engine/Vector3.h"
#include "game/WorldList.h"
#include "objects/space/NetObjectState.h"
#include "objects/space/ObjectLink.h"
#include "scene/SceneObject.h"

class AiBrain;
class Material;
class ObjectPart;

// The record every TakeDamage receives: the source, then five amounts (1
// the shield's, 2 and 4 the armour's, 3 and 5 structural damage).
struct DamageRecord {
    SpaceObject* source = nullptr;
    int32_t amounts[5] = {};
};

// Everything that exists in a mission's world: a scene object with an
// identity (uoid), a kind, a side, hit points, parts, simple flight state
// and a lifetime. The kinds override the virtual operations; the world pass
// drives them once a frame. Objects stand in the mission's world list
// (game/WorldList.h) in groups of equal `groupKey`.
//
// An object that leaves the world (OnRemove) or is deleted clears every
// ObjectLink that still names it.
class SpaceObject : public SceneObject {
public:
    enum Type : int32_t {
        kTypeSpaceObject = 0, kTypeMoving = 1, kTypeHull = 2, kTypeChase = 3, kTypeWayPoint = 4, kTypeNavBuoy = 5,
        kTypeAsteroid = 7, kTypeMine = 8, kTypeDebris = 9, kTypeJumpGate = 10, kTypeDecoy = 11, kTypeMissile = 12,
        kTypeCraft = 14, kTypePlayerShip = 15, kTypeAiShip = 16,
    };
    // Flags of the scene object's word that the world reads.
    static constexpr uint32_t kFlagHiddenObject = 0x1;
    static constexpr uint32_t kFlagNoCollisions = 0x4;
    static constexpr uint32_t kFlagChanged = 0x80000000;
    static constexpr uint32_t kTemplateOnlyFlags = 0x2 | 0x10000;
    static constexpr int kLabelBytes = 20;
    static constexpr int kLinkNameBytes = 16;
    static constexpr int32_t kDefaultHitPoints = 500;
    static constexpr int32_t kNeverSeenClass = 48;

    // One record per distinct part direction.
    struct HitPoints {
        int32_t hp;
        int32_t max;
        Vector3 direction;
    };

    // With the template's model and a copy of its node tree (null: none).
    explicit SpaceObject(SpaceObject* templateObject);
    // A template made from a model alone (the definition loaders' kind).
    explicit SpaceObject(Model* model = nullptr);
    ~SpaceObject() override;
    SpaceObject(const SpaceObject&) = delete;
    SpaceObject& operator=(const SpaceObject&) = delete;

    virtual const char* GetRaceName() const { return "NONE"; }
    virtual void Activate(float seconds);
    virtual void SetHandlingFactor(float) {}
    virtual void SetRotationRates(float, float, float) {}
    virtual void SetVelocity(float, float, float) {}
    virtual void Accelerate(float) {}
    virtual void Decelerate(float) {}
    virtual void SetThrottle(float value) { localVelocity.z = value; }
    virtual void Damp(float) {}
    virtual void SetAccelerations(float newVelocityCap, float newSpinCap) {
        velocityCap = newVelocityCap;
        spinCap = newSpinCap;
    }
    virtual void SetMaxRates(float pushLimit, float turnScale) {
        maxSpeed = pushLimit;
        maxTurnRate = turnScale;
    }
    // Effects (a light when the career wants them), then Destroy.
    virtual void Explode(SpaceObject* killerObject, int32_t fromNetwork);
    // The jammer's state for the player-info packet (range | percent << 16,
    // -1 once after it went off, 0 nothing to tell). Taking it is the report,
    // so only the packet that carries it asks; 0 for objects without a jammer.
    virtual int32_t TakeJammerReport() const { return 0; }
    // The brain that flies the object; only AI ships have one.
    virtual AiBrain* Brain() const { return nullptr; }
    virtual SpaceObject* Clone(SpaceObject* placementSource, int32_t = 0, int32_t = 0);
    virtual int32_t TakeDamage(int32_t, const DamageRecord&, SpaceObject*) { return 0; }
    // Tells the other machines (unless the news came from them), then
    // goes inactive to be removed at the next world pass.
    virtual void Destroy(SpaceObject* killerObject, int32_t fromNetwork);
    virtual void Init();
    // Just before the object is deleted: goals, parts, the game state's
    // pointers, with `clearReferences` the other objects' references, then
    // the world list; last, every link to it.
    virtual void OnRemove(int32_t clearReferences);
    // Damages the collision partner by both objects' momentum.
    virtual void ApplyImpact(int32_t unused = 0);
    virtual void BuildParts(Frame* parentNode, Frame* templateNode);
    virtual void Simulate(uint32_t) {}
    virtual void UpdateParts(uint32_t) {}
    // Collision exemption follows the delay; an inactive object hides.
    virtual void UpdateVisibility();
    // Tests this object against the objects after it in world order; at
    // most one hit, which is resolved (bounce, impacts, packet, sound).
    virtual void Collide();
    // The same test against only these objects after this one, in world
    // order: the ones the world pass's broad phase left. True after a hit.
    bool CollideAmong(const std::vector<SpaceObject*>& later);
    // The kind's fields for the network packets; the base: a plain object's
    // tail (navigation-point flag, no lifetime) and an explode flag of 1.
    virtual void FillNetState(NetObjectState& state) const;
    // Another object is leaving the world: the player's ship moves its
    // navigation target on when it was that object.
    virtual void OnObjectRemoved(SpaceObject*) {}
    // The type other machines know the object by (a player's ship is an AI
    // ship there).
    int32_t NetType() const { return type == kTypePlayerShip ? kTypeAiShip : type; }

    void Deactivate(uint32_t remove);
    // The local position; the world transform follows only with flag 0x10.
    void SetPositionFlags(const Vector3& position, uint32_t flags);
    // The bounding radius in world units, over the object and its parts at
    // their scales (0 without a sphere).
    float Radius() const;
    // The frame's own sphere in the world, for every kind: the weapons' hit
    // search reads the sphere's centre without the call.
    int32_t GetBoundingSphere(BoundingSphere* out) const final { return SceneObject::GetBoundingSphere(out); }
    // The model's name, "" without a model (ship numbers, races and classes
    // are read from it).
    const char* ModelName() const;
    void SetSide(int32_t newSide) { side = newSide; }
    void SetName(const char* text);
    void SetMass(float value);
    float GetSpinCap() const { return spinCap; }
    float GetMaxTurnRate() const { return maxTurnRate; }
    bool IsHostile(const SpaceObject* other) const;
    void SetTemplate(SpaceObject* object) { templateObject = object; }
    // Takes the other object's world placement; this object keeps its size.
    void CopyPlacement(const SpaceObject& other);
    // The placement's orientation and position; the object keeps its own
    // scale (its model's size), whatever scale the placement carries.
    void TakePlacement(const Transform& placement);
    // The uniform scale a placement matrix carries in its axis rows (the
    // scene reader leaves the transform's scale word at 1); 1 for a matrix
    // without a usable scale.
    static float PlacementScale(const Matrix34& matrix);
    // The bounding spheres of the node tree, deepest first, so that the
    // object's bounds enclose every part at its scale (Radius reads them).
    void UpdatePartBounds();
    SpaceObject* GetNext() const { return world::Next(this); }
    SpaceObject* GetPrevious() const { return world::Previous(this); }
    SpaceObject* FindByUoid(int32_t n);
    float DistanceTo(const SpaceObject& other) const;
    void GetMotionVector(Vector3* out) const { *out = angularVelocity; }
    Vector3 Position() const;
    // The object's age on the millisecond clock.
    uint32_t Age() const;

    void SetHitPoints(int32_t value);
    // True when the total is below 1 afterwards.
    bool DamageHitPoints(const Vector3* point, int32_t amount);
    int32_t GetHitPoints(const Vector3* point) const;
    int32_t GetMaxHitPoints(const Vector3* point) const;
    int32_t HitPointRecordCount() const { return hitPointRecords.Count(); }
    HitPoints HitPointRecord(int32_t index) const;
    void SetHitPointRecord(int32_t index, int32_t hp);

    // Switches between the full model and the template's (low-detail) one
    // by the squared distance of the offset from the camera.
    void UpdateDetailLevel(const Vector3& offset);
    // Back to the full model, with the parts the switch hid shown again.
    void RestoreFullModel();

    // A fresh uoid for every object of the process.
    static int32_t g_nextUoid;

    uint32_t createdAt;
    DynArray<ObjectPart*> parts;
    DynArray<uintptr_t> definitionWords;   // words, and a craft's debris templates
    DynArray<char*> explosionNames;         // owned texts
    char label[kLabelBytes + 1] = {};
    uint32_t groupKey = 0;
    WorldGroupNode<SpaceObject>* groupNode = nullptr;
    char linkName[kLinkNameBytes + 1] = {};
    char secondLinkName[kLinkNameBytes + 1] = {};
    uint32_t zeroWords[3] = {};
    int32_t classWord = -1;
    DynArray<uint32_t> ownedWords;
    int32_t hitPoints = kDefaultHitPoints;
    int32_t maxHitPoints = kDefaultHitPoints;
    uint32_t collisionMask = 0;
    int32_t craftWord = -1;
    ObjectLink collisionPartner;
    int32_t partnerPart = -1;
    Model* savedModel = nullptr;
    SpaceObject* templateObject = nullptr;   // definitions outlive the world
    int64_t lodFarSq = 0;
    int64_t lodNearSq = 0;
    uint32_t removeWhenDone = 0;
    uint32_t isNavPoint = 0;
    uint32_t active = 0;
    uint32_t zeroWord21 = 0;
    uint32_t isBase = 0;
    // Known to the player's side: AI ships take it from their record, the
    // player's targeting sets it on identifying its target, and the maps
    // leave out what lacks it.
    uint32_t identified = 1;
    int32_t uoid = -1;
    int32_t type = kTypeSpaceObject;
    int32_t side = 0;
    int32_t collisionDelay = -1;
    int32_t lastUpdateAge = 0;
    int32_t expiresAt = -1;
    int32_t fuelAllowance = 1000;
    ObjectLink killer;
    char* name = nullptr;         // owned; hides the scene name, which stays the model's
    char* callsign = nullptr;     // owned
    char* recordText = nullptr;   // owned
    uint32_t zeroWord33 = 0;
    float mass = 1.0f;
    Vector3 velocity{};
    Vector3 angularVelocity{};
    float speed = 0.0f;
    float maxSpeed = 0.0f;
    float velocityCap = 0.0f;
    Vector3 localVelocity{};
    float maxTurnRate = 0.0f;
    float spinCap = 0.0f;
    Vector3 rotationRates{};
    Vector3 previousPosition{};
    uint32_t lastElapsed = 0;   // the world pass's step for this object, in ms
    // Decals: the object's own copy of its model's material list, with the
    // decal materials (owned) in the places they took.
    Material** decalMaterialList = nullptr;
    DynArray<Material*> decals;

protected:
    // The base Clone's copying, for the kinds' own clones: limits, label,
    // words, collision delay, explosion names, group and placement; the
    // names only when asked.
    void CopyInto(SpaceObject& clone, SpaceObject* placementSource, bool names) const;

private:
    friend class ObjectLink;
    void ReleaseLinks();
    void DeleteParts();
    // One pair of the collision test; true when it was the hit that ends it.
    bool CollidePair(SpaceObject& other);
    ObjectLink* links_ = nullptr;
    RecordArray<24> hitPointRecords;
};
