#pragma once

class SpaceObject;

// A reference to a space object that the object clears when it leaves the
// world or is deleted, whichever comes first: every holder of an object
// that may go away (targets, owners, followed objects, killers, partners)
// holds it through a link, so that nothing reads an object after it went.
// Links are copied as references to the same object; a link goes off its
// object's list when it is destroyed or pointed elsewhere.
class ObjectLink {
public:
    ObjectLink() = default;
    explicit ObjectLink(SpaceObject* target) { Set(target); }
    ObjectLink(const ObjectLink& other) { Set(other.target_); }
    ObjectLink& operator=(const ObjectLink& other) {
        Set(other.target_);
        return *this;
    }
    ObjectLink& operator=(SpaceObject* target) {
        Set(target);
        return *this;
    }
    ~ObjectLink() { Set(nullptr); }

    SpaceObject* Get() const { return target_; }
    operator SpaceObject*() const { return target_; }
    SpaceObject* operator->() const { return target_; }
    void Set(SpaceObject* target);

private:
    friend class SpaceObject;
    SpaceObject* target_ = nullptr;
    ObjectLink* previous_ = nullptr;
    ObjectLink* next_ = nullptr;
};
