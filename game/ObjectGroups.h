#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

class NamedObject;

// The game's object groups: effect objects and projectiles, drawn under the
// palette that keys their group and owned by it. Once a frame the walk
// updates every member; a member that set kRemoveNow goes, one that set
// kRemoveNext gets one more update first.
class ObjectGroups {
public:
    static constexpr uint32_t kRemoveNow = 0x1000000;
    static constexpr uint32_t kRemoveNext = 0x2000000;

    ObjectGroups() = default;
    ~ObjectGroups();
    ObjectGroups(const ObjectGroups&) = delete;
    ObjectGroups& operator=(const ObjectGroups&) = delete;

    // Appends the object to the group of that key (a palette), opening the
    // group when it is new. Registered during a walk, it is first updated
    // by the next one.
    void Register(NamedObject* object, const void* key, uint32_t subKey);
    void Walk();
    // Deletes every member.
    void Clear();

    int32_t Count() const;
    template <typename Visit>
    void ForEach(Visit visit) const {
        for (const Group& group : groups_) {
            for (NamedObject* object : group.members) visit(group.key, object);
        }
    }
    // Each group whole: its key, its members in order and their count.
    template <typename Visit>
    void ForEachGroup(Visit visit) const {
        for (const Group& group : groups_) {
            if (!group.members.empty()) visit(group.key, group.members.data(), group.members.size());
        }
    }

private:
    struct Group {
        const void* key;
        uint32_t subKey;
        std::vector<NamedObject*> members;
    };
    std::vector<Group> groups_;
};
