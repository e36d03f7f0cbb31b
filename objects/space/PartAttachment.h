#pragma once

struct Vector3;

// Something that rides on an object part (an engine's exhaust stream): each
// frame it is told where the part is and how fast the object moves. The
// part owns it.
class PartAttachment {
public:
    virtual ~PartAttachment() = default;
    virtual void Follow(const Vector3& position, const Vector3& velocity) = 0;
};
