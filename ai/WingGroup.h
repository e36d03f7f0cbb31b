#pragma once
#include <cstdint>

#include "engine/DynArray.h"
#include "engine/EngineAllocation.h"

class SpaceObject;

// A wing: its leader and the ships that fly with it. Entry 0 is the leader
// (the owner once one is set, else the first ship added); the member count
// is the number of ships after it.
class WingGroup : public EngineObject {
public:
    static constexpr int kNameBytes = 16;

    explicit WingGroup(const char* name);
    virtual ~WingGroup() = default;
    WingGroup(const WingGroup&) = delete;
    WingGroup& operator=(const WingGroup&) = delete;

    // Nothing for a ship already in the wing.
    void AddShip(SpaceObject* ship);
    // The leader's place goes to the next ship.
    void RemoveMember(SpaceObject* ship);
    // Entry `index` (0 the leader), or null.
    SpaceObject* GetMember(int32_t index) const;
    int32_t MemberCount() const { return members_.LastIndex(); }
    // The player's ship leads the wing from now on.
    void SetOwnerShip(SpaceObject* ship);
    // The ship joins the wing; a member without a target takes its slot
    // beside the leader: member i flies at i x (+-40, 0, -40) in the
    // leader's frame, odd members on the right.
    static void Setup(WingGroup* group, SpaceObject* ship);
    // The wing's frame step: members no longer active leave it, and idle
    // ones take the leader's target.
    virtual void Update();
    // Whether `ship` steps the wing this frame: the first active member
    // does (the player's ship while it flies), so that every wing, AI
    // wings too, is stepped once a frame while any of it flies.
    bool IsSteppedBy(const SpaceObject* ship) const;
    static constexpr float kSlotSpacing = 40.0f;
    bool Contains(const SpaceObject* ship) const;

    // A ship that holds the group goes: every member lets go of it (through
    // `clearLink`) and the group is deleted.
    static void Dissolve(WingGroup* group, void (*clearLink)(SpaceObject* member));

    char name[kNameBytes + 1] = {};
    SpaceObject* owner = nullptr;

private:
    DynArray<SpaceObject*> members_;
};
