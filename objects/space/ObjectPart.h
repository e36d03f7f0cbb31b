#pragma once
#include <cstdint>

#include "engine/DynArray.h"
#include "engine/EngineAllocation.h"
#include "engine/Vector3.h"

class PartAttachment;
class SceneObject;
class ShipSystem;
struct DamageRecord;
class Turret;

// One part of a space object: the object itself (part 0) or one node of its
// model's tree. It carries the systems mounted on it, where on the object it
// sits, its kind and display name, and maybe an attachment that follows it.
//
// Node names follow a convention: the kind letter is the last character
// (the second-to-last in a name of exactly ten), the position code the three
// characters from the sixth on. Names shorter than eight characters carry
// neither.
class ObjectPart : public EngineObject {
public:
    enum Kind : int32_t {
        kEngine = 0, kWing, kHull, kCockpit, kTurret, kMissileLauncher, kWeaponSystem, kShield, kAttachment, kTarget,
        kGun,
    };
    static constexpr int kCodeChars = 3;
    static constexpr int kMinConventionChars = 8;

    explicit ObjectPart(SceneObject* node);
    ~ObjectPart();
    ObjectPart(const ObjectPart&) = delete;
    ObjectPart& operator=(const ObjectPart&) = delete;

    void SetKindFromLetter(char letter);
    // Three characters, any of them 0 for absent.
    void SetNameFromCode(const char code[kCodeChars]);
    // The kind and name from a node's name by the convention.
    void SetFromName(const char* name);
    // The direction, or with jitter a randomly disturbed unit direction.
    void GetVector(Vector3* out, bool jitter) const;
    // Hands the part's position and the velocity to the attachment.
    void UpdateAttached(const Vector3& velocity);
    // Deletes the mounted systems.
    void DeleteSystems();
    // The structural damage of a hit (record words 3 and 5, which it uses
    // up), spread in halves over the hull and the systems in line with this
    // part; 1 when the hull gave out.
    int32_t TakeDamage(DamageRecord& record);

    // The kind letter and code of a name by the convention; 0 where absent.
    static char KindLetter(const char* name);
    static void Code(const char* name, char code[kCodeChars]);

    DynArray<ShipSystem*> systems;
    Vector3 direction{};
    uint32_t solid = 1;
    Turret* turret = nullptr;             // the turret this part is the base or barrel of
    PartAttachment* attached = nullptr;   // owned
    int32_t kind = kHull;
    SceneObject* node;
    char* displayName = nullptr;          // owned
    // Hull damage that the halving spread of earlier hits left over, added
    // to the next hit (short frames of fire bring many small amounts).
    int64_t undistributedDamage = 0;
};
