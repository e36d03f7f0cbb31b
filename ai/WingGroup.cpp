#include "ai/WingGroup.h"

#include <cstring>

#include "ai/AiBrain.h"
#include "objects/ships/AiShip.h"
#include "objects/space/SpaceObject.h"

WingGroup::WingGroup(const char* wingName) {
    if (wingName != nullptr) std::strncpy(name, wingName, kNameBytes);
}

bool WingGroup::Contains(const SpaceObject* ship) const {
    for (const SpaceObject* member : members_) {
        if (member == ship) return true;
    }
    return false;
}

void WingGroup::AddShip(SpaceObject* ship) {
    if (ship == nullptr || Contains(ship)) return;
    members_.Append(ship);
}

void WingGroup::RemoveMember(SpaceObject* ship) {
    for (int32_t i = 0; i < members_.Count(); ++i) {
        if (members_[i] == ship) {
            members_.RemoveAt(i);
            break;
        }
    }
    if (owner == ship) owner = nullptr;
}

SpaceObject* WingGroup::GetMember(int32_t index) const {
    return index >= 0 && index < members_.Count() ? members_[index] : nullptr;
}

void WingGroup::SetOwnerShip(SpaceObject* ship) {
    if (ship == nullptr) return;
    for (int32_t i = 0; i < members_.Count(); ++i) {
        if (members_[i] == ship) {
            members_.RemoveAt(i);
            break;
        }
    }
    members_.InsertAt(ship, 0);
    owner = ship;
}

void WingGroup::Setup(WingGroup* group, SpaceObject* ship) {
    if (group == nullptr || ship == nullptr) return;
    group->AddShip(ship);
    AiBrain* const brain = ship->Brain();
    if (brain == nullptr || brain->hostile.Get() != nullptr) return;
    for (int32_t i = 1; i < group->members_.Count(); ++i) {
        if (group->members_[i] != ship) continue;
        const float side = i % 2 == 1 ? 1.0f : -1.0f;
        brain->followed = group->members_[0];
        brain->formationSlot = {side * kSlotSpacing * float(i), 0.0f, -kSlotSpacing * float(i)};
        return;
    }
    brain->followed = nullptr;   // the leader follows nobody
}

void WingGroup::Update() {
    for (int32_t i = members_.Count() - 1; i >= 1; --i) {
        SpaceObject* const member = members_[i];
        if (member->active != 0) continue;
        members_.RemoveAt(i);
        // It no longer holds the wing either.
        ClearWingGroupOf(member);
    }
    SpaceObject* const leader = GetMember(0);
    auto* const leaderCraft = dynamic_cast<Craft*>(leader);
    SpaceObject* const target = leaderCraft != nullptr ? leaderCraft->GetTarget() : nullptr;
    if (target == nullptr || target->active == 0) return;
    for (int32_t i = 1; i < members_.Count(); ++i) {
        AiBrain* const brain = members_[i]->Brain();
        if (brain == nullptr || brain->behavior != AiBrain::kIdle || brain->hostile.Get() != nullptr) continue;
        if (!members_[i]->IsHostile(target) && target->side == members_[i]->side) continue;
        brain->hostile = target;
        if (auto* const craft = dynamic_cast<Craft*>(members_[i])) craft->SetTarget(target);
    }
}

bool WingGroup::IsSteppedBy(const SpaceObject* ship) const {
    for (const SpaceObject* member : members_) {
        if (member->active != 0) return member == ship;
    }
    return false;
}

void WingGroup::Dissolve(WingGroup* group, void (*clearLink)(SpaceObject* member)) {
    if (group == nullptr) return;
    if (clearLink != nullptr) {
        for (SpaceObject* member : group->members_) clearLink(member);
    }
    delete group;
}
