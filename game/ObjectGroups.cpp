#include "game/ObjectGroups.h"

#include "engine/NamedObject.h"

ObjectGroups::~ObjectGroups() { Clear(); }

void ObjectGroups::Register(NamedObject* object, const void* key, uint32_t subKey) {
    if (object == nullptr) return;
    for (Group& group : groups_) {
        if (group.key == key) {
            group.members.push_back(object);
            return;
        }
    }
    groups_.push_back(Group{key, subKey, {object}});
}

void ObjectGroups::Walk() {
    // By index and up to the counts at the start: an update may register
    // more objects, in any group, which wait for the next walk.
    std::vector<size_t> counts;
    counts.reserve(groups_.size());
    for (const Group& group : groups_) counts.push_back(group.members.size());
    for (size_t g = 0; g < counts.size(); ++g) {
        const size_t members = counts[g];
        size_t kept = 0;
        for (size_t i = 0; i < members; ++i) {
            NamedObject* const object = groups_[g].members[i];
            object->Update();
            if (object->flags & kRemoveNow) {
                delete object;
                continue;
            }
            if (object->flags & kRemoveNext) object->flags = (object->flags & ~kRemoveNext) | kRemoveNow;
            groups_[g].members[kept++] = object;
        }
        std::vector<NamedObject*>& all = groups_[g].members;
        all.erase(all.begin() + long(kept), all.begin() + long(members));
    }
}

void ObjectGroups::Clear() {
    for (Group& group : groups_) {
        for (NamedObject* object : group.members) delete object;
    }
    groups_.clear();
}

int32_t ObjectGroups::Count() const {
    size_t count = 0;
    for (const Group& group : groups_) count += group.members.size();
    return int32_t(count);
}
