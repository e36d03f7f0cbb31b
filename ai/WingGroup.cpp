#include "ai/WingGroup.h"

#include <cstring>

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
    if (group != nullptr) group->AddShip(ship);
}

void WingGroup::Dissolve(WingGroup* group, void (*clearLink)(SpaceObject* member)) {
    if (group == nullptr) return;
    if (clearLink != nullptr) {
        for (SpaceObject* member : group->members_) clearLink(member);
    }
    delete group;
}
