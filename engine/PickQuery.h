#pragma once
#include <cstdint>

#include "engine/BoundingSphere.h"
#include "engine/Status.h"
#include "engine/Vector3.h"

class Arena;
class Camera;
class NamedObject;

// Results of the pick queries besides kStatusOk, kStatusNothingToDo (no
// query, no ray, a maximum of 0) and kStatusOutOfMemory (the arena ran dry;
// the hits found so far stay).
inline constexpr Status kStatusNoBoundingSphere = 16;  // the asking object has none
inline constexpr Status kStatusNoObjectList = 30;
inline constexpr Status kStatusNoArena = 31;
inline constexpr Status kStatusNoCamera = 32;           // or a camera without a canvas

// One object found by a pick. Hits live in the query's arena and go with it.
struct PickHit {
    NamedObject* object;
    PickHit* next;
    float distance;  // along the ray; 0 for a point query
};

// What a pick looks for and what it found. The caller fills the fields its
// flags say it gives; NamedObject::CollectRayHits or CollectPointHits fills
// the rest and the hit list.
struct PickQuery {
    // The operation's own state.
    static constexpr uint32_t kPrepared = 0x1;
    static constexpr uint32_t kInsideWalk = 0x2;
    static constexpr uint32_t kTestingObjects = 0x4;
    // What the caller gives.
    static constexpr uint32_t kGivesObjectList = 0x8;
    static constexpr uint32_t kGivesArena = 0x10;
    static constexpr uint32_t kGivesMaxHits = 0x20;
    static constexpr uint32_t kTestFlag = 0x40;    // passed on as the ray or point test's flag
    static constexpr uint32_t kGivesCamera = 0x80;  // ray query; the sphere in a point query
    static constexpr uint32_t kGivesSphere = 0x80;
    static constexpr uint32_t kLimitDistance = 0x100;
    static constexpr uint32_t kScreenRay = 0x200;  // from the camera through a screen point
    static constexpr uint32_t kGivesRay = 0x400;

    uint32_t flags = 0;
    // Every hit that entered the list, so a ray query may count past
    // maxHits while its list never holds more.
    int32_t hitCount = 0;
    PickHit* firstHit = nullptr;  // nearest first in a ray query
    NamedObject* objectList = nullptr;
    Arena* arena = nullptr;
    int32_t maxHits = 0;

    // Ray query.
    int32_t screenX = 0;
    int32_t screenY = 0;
    Camera* camera = nullptr;
    Vector3 origin{};
    Vector3 direction{};  // unit length
    float maxDistance = 0.0f;

    // Point query.
    BoundingSphere sphere{};
    NamedObject* asker = nullptr;  // never reported as its own hit
};
