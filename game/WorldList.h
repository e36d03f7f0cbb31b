#pragma once
#include <cstdint>

#include "engine/EngineAllocation.h"

// The world list: a mission's objects stand in groups of equal `groupKey`,
// in the order the groups were opened. Inside a group the objects are
// chained by their own next and previous links; every member points at one
// node per group that knows the first objects of the groups before and after.
//
// Written once over any object type T with `next` and `previous` links (of
// T or a base of it), a `groupKey` and a `groupNode` (WorldGroupNode<T>*),
// so that the game state can keep the world without knowing the objects.
template <typename T>
struct WorldGroupNode : public EngineObject {
    T* previousFirst = nullptr;   // first object of the group before
    T* nextFirst = nullptr;       // first object of the group after
};

namespace world {

template <typename T>
T* Following(const T* object) { return static_cast<T*>(object->next); }

// An object joining the world stands where its placement says from its
// first frame: guns, launchers and collisions read the world transform,
// which a still object never moves to refresh. (A template, so that the
// world's element type need only be complete where an object joins.)
template <typename T>
void StandAsPlaced(T* object) { object->UpdateWorldTransform(decltype(object->local)::kAllFlags); }

template <typename T>
T* Preceding(const T* object) { return static_cast<T*>(object->previous); }

// The next object of the world: the next link, or at the end of a group the
// first object of the next group; null after the last.
template <typename T>
T* Next(const T* object) {
    if (T* const next = Following(object)) return next;
    return object->groupNode != nullptr ? object->groupNode->nextFirst : nullptr;
}

// The previous object: the previous link, or at the start of a group the
// last object of the group before; null before the first.
template <typename T>
T* Previous(const T* object) {
    if (T* const previous = Preceding(object)) return previous;
    if (object->groupNode == nullptr) return nullptr;
    T* last = object->groupNode->previousFirst;
    while (last != nullptr && Following(last) != nullptr) last = Following(last);
    return last;
}

// Puts the object after the last object of its key; a key not yet in the
// world opens a group at the end. False when no node could be made.
template <typename T>
bool Insert(T*& first, T* object) {
    object->next = nullptr;
    object->previous = nullptr;
    T* lastGroup = nullptr;
    for (T* group = first; group != nullptr; group = group->groupNode->nextFirst) {
        if (group->groupKey == object->groupKey) {
            T* last = group;
            while (Following(last) != nullptr) last = Following(last);
            last->next = object;
            object->previous = last;
            object->groupNode = group->groupNode;
            return true;
        }
        lastGroup = group;
    }
    auto* const node = new WorldGroupNode<T>;
    if (node == nullptr) return false;
    node->previousFirst = lastGroup;
    object->groupNode = node;
    if (lastGroup != nullptr) {
        lastGroup->groupNode->nextFirst = object;
    } else {
        first = object;
    }
    return true;
}

// Takes the object out of the world: a later member just leaves its chain;
// the first member of a group hands the group to the next; the only member
// closes the group and frees its node. `first` follows.
template <typename T>
void Remove(T*& first, T* object) {
    WorldGroupNode<T>* const node = object->groupNode;
    T* const previous = Preceding(object);
    T* const next = Following(object);
    if (node == nullptr) return;
    if (previous != nullptr) {
        previous->next = next;
        if (next != nullptr) next->previous = previous;
    } else if (next != nullptr) {
        next->previous = nullptr;
        if (node->previousFirst != nullptr) node->previousFirst->groupNode->nextFirst = next;
        if (node->nextFirst != nullptr) node->nextFirst->groupNode->previousFirst = next;
        if (first == object) first = next;
    } else {
        if (node->previousFirst != nullptr) node->previousFirst->groupNode->nextFirst = node->nextFirst;
        if (node->nextFirst != nullptr) node->nextFirst->groupNode->previousFirst = node->previousFirst;
        if (first == object) first = node->nextFirst;
        delete node;
    }
    object->next = nullptr;
    object->previous = nullptr;
    object->groupNode = nullptr;
}

}  // namespace world
