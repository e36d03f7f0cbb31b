#include "engine/NamedObject.h"

#include <cstring>
#include <new>

#include "engine/Arena.h"
#include "engine/BoundingSphere.h"
#include "engine/PickQuery.h"
#include "engine/ViewHooks.h"
#include "engine/WorldContext.h"

namespace {

constexpr uint32_t kWalkState =
    PickQuery::kPrepared | PickQuery::kInsideWalk | PickQuery::kTestingObjects;
// What a walk gives back to the caller as it found it.
constexpr uint32_t kRestoredOnExit = PickQuery::kPrepared | PickQuery::kTestingObjects;

// The list to search when the caller names none: the current view's.
NamedObject* CurrentViewObjectList() {
    const ViewHooks& hooks = CurrentViewHooks();
    return hooks.currentObjectList != nullptr ? hooks.currentObjectList() : nullptr;
}

// The arena hands out bytes without aligning them, and a caller's arena may
// have been used for anything before, so each hit carries the slack it needs
// to align itself.
PickHit* TakeHit(Arena* arena) {
    constexpr uintptr_t kSlack = alignof(PickHit) - 1;
    void* const bytes = arena->Alloc(sizeof(PickHit) + kSlack);
    if (bytes == nullptr) {
        return nullptr;
    }
    const uintptr_t aligned = (reinterpret_cast<uintptr_t>(bytes) + kSlack) & ~kSlack;
    return ::new (reinterpret_cast<void*>(aligned)) PickHit{};
}

// Calls `collect` on each object of the query's list that may be picked,
// `skipped` aside, and stops at the first non-zero result.
Status WalkObjects(PickQuery* query, Status (NamedObject::*collect)(PickQuery*),
                   const NamedObject* skipped) {
    const uint32_t onEntry = query->flags;
    query->flags |= kWalkState;
    Status result = kStatusOk;
    for (NamedObject* object = query->objectList; object != nullptr; object = object->next) {
        if ((object->flags & NamedObject::kFlagNotPickable) != 0 || object == skipped) {
            continue;
        }
        result = (object->*collect)(query);
        if (result != kStatusOk) {
            break;
        }
    }
    query->flags = (query->flags & ~kWalkState) | (onEntry & kRestoredOnExit);
    return result;
}

int32_t TestFlag(const PickQuery* query) {
    return (query->flags & PickQuery::kTestFlag) != 0 ? 1 : 0;
}

}  // namespace

NamedObject::NamedObject(uint16_t type) : type(type) {}

NamedObject::NamedObject(const NamedObject& other)
    : type(other.type),
      renderMask(other.renderMask),
      flags(other.flags & ~kFlagOwnsResources),
      name(other.name),
      sharedWord(other.sharedWord) {}

NamedObject& NamedObject::operator=(const NamedObject& other) {
    if (this != &other) {
        renderMask = other.renderMask;
        flags = other.flags & ~kFlagOwnsResources;
        name = other.name;
        sharedWord = other.sharedWord;
    }
    return *this;
}

NamedObject::~NamedObject() { NamedObject::Unlink(); }

NamedObject* NamedObject::InsertAfter(NamedObject* node) {
    previous = node;
    next = node->next;
    node->next = this;
    if (next != nullptr) {
        next->previous = this;
    }
    return next;
}

void NamedObject::Unlink() {
    if (previous != nullptr) {
        previous->next = next;
    }
    if (next != nullptr) {
        next->previous = previous;
    }
    next = nullptr;
    previous = nullptr;
}

NamedObject* NamedObject::FindByName(const char* wanted) {
    if (wanted == nullptr) {
        return nullptr;
    }
    if (name != nullptr && std::strncmp(wanted, name, kNameLength) == 0) {
        return this;
    }
    // Through the next object's own search, so that a derived one (a frame
    // searching its subtree) takes part.
    return next != nullptr ? next->FindByName(wanted) : nullptr;
}

int32_t NamedObject::GetBoundingSphere(BoundingSphere*) const { return -1; }

float NamedObject::RayDistance(const Vector3* origin, const Vector3* direction, int32_t) const {
    BoundingSphere sphere;
    if (GetBoundingSphere(&sphere) != 0) {
        return -1.0f;
    }
    return sphere.RayDistance(*origin, *direction);
}

int32_t NamedObject::ContainsPoint(const Vector3* point, float radius, int32_t) const {
    BoundingSphere sphere;
    if (GetBoundingSphere(&sphere) != 0) {
        return -1;
    }
    return sphere.ContainsPoint(*point, radius) ? 1 : 0;
}

void NamedObject::Update() {}

// The list, arena and maximum that both queries share.
Status NamedObject::PrepareQuery(PickQuery* query) const {
    query->hitCount = 0;
    query->firstHit = nullptr;
    if ((query->flags & PickQuery::kGivesObjectList) == 0) {
        query->objectList = CurrentViewObjectList();
        if (query->objectList == nullptr) {
            return kStatusNoObjectList;
        }
    }
    if ((query->flags & PickQuery::kGivesArena) == 0) {
        query->arena = g_worldContext != nullptr ? g_worldContext->arena1 : nullptr;
        if (query->arena == nullptr) {
            return kStatusNoArena;
        }
        query->arena->FreeAll();
    }
    if ((query->flags & PickQuery::kGivesMaxHits) == 0) {
        query->maxHits = 1;
    }
    // A negative maximum would leave a full list with nothing in it.
    if (query->maxHits <= 0) {
        return kStatusNothingToDo;
    }
    return kStatusOk;
}

Status NamedObject::CollectRayHits(PickQuery* query) {
    if (query == nullptr) {
        return kStatusNothingToDo;
    }
    if ((query->flags & PickQuery::kPrepared) == 0) {
        if (const Status status = PrepareQuery(query); status != kStatusOk) {
            return status;
        }
        if ((query->flags & PickQuery::kScreenRay) != 0) {
            // From the camera (unless given, the current view's) through the
            // screen point; it needs a canvas to know where its centre is.
            const ViewHooks& hooks = CurrentViewHooks();
            Camera* const camera = (query->flags & PickQuery::kGivesCamera) != 0 ? query->camera : nullptr;
            if (hooks.screenRay == nullptr ||
                hooks.screenRay(camera, query->screenX, query->screenY, &query->origin, &query->direction) !=
                    kStatusOk) {
                return kStatusNoCamera;
            }
        } else if ((query->flags & PickQuery::kGivesRay) == 0) {
            return kStatusNothingToDo;
        }
    }
    if ((query->flags & PickQuery::kInsideWalk) == 0) {
        return WalkObjects(query, &NamedObject::CollectRayHits, nullptr);
    }
    if ((query->flags & PickQuery::kTestingObjects) == 0) {
        return kStatusNothingToDo;
    }
    return TestRayHit(query);
}

Status NamedObject::CollectPointHits(PickQuery* query) {
    if (query == nullptr) {
        return kStatusNothingToDo;
    }
    if ((query->flags & PickQuery::kPrepared) == 0) {
        if (const Status status = PrepareQuery(query); status != kStatusOk) {
            return status;
        }
        if ((query->flags & PickQuery::kGivesSphere) == 0 && GetBoundingSphere(&query->sphere) != 0) {
            return kStatusNoBoundingSphere;
        }
        query->asker = this;
    }
    if ((query->flags & PickQuery::kInsideWalk) == 0) {
        return WalkObjects(query, &NamedObject::CollectPointHits, query->asker);
    }
    if ((query->flags & PickQuery::kTestingObjects) == 0) {
        return kStatusNothingToDo;
    }
    return TestPointHit(query);
}

// Keeps the maxHits nearest hits, nearest first; among equal distances the
// earlier hit stays in front.
Status NamedObject::TestRayHit(PickQuery* query) {
    const float distance = RayDistance(&query->origin, &query->direction, TestFlag(query));
    if (!(distance > 0.0f)) {
        return kStatusOk;
    }
    if ((query->flags & PickQuery::kLimitDistance) != 0 && distance > query->maxDistance) {
        return kStatusOk;
    }
    // When the list is full the farthest hit makes way, unless it is no
    // farther than this one.
    PickHit** farthest = nullptr;
    if (query->hitCount >= query->maxHits && query->firstHit != nullptr) {
        farthest = &query->firstHit;
        while ((*farthest)->next != nullptr) {
            farthest = &(*farthest)->next;
        }
        if ((*farthest)->distance <= distance) {
            return kStatusOk;
        }
    }
    // Taken before the farthest hit goes, so that a dry arena loses no hit.
    PickHit* const hit = TakeHit(query->arena);
    if (hit == nullptr) {
        return kStatusOutOfMemory;
    }
    if (farthest != nullptr) {
        *farthest = nullptr;
    }
    ++query->hitCount;
    hit->object = this;
    hit->distance = distance;
    PickHit** slot = &query->firstHit;
    while (*slot != nullptr && (*slot)->distance <= distance) {
        slot = &(*slot)->next;
    }
    hit->next = *slot;
    *slot = hit;
    return kStatusOk;
}

// The first maxHits objects found stay, in the order found; later ones are
// not counted.
Status NamedObject::TestPointHit(PickQuery* query) {
    if (query->hitCount >= query->maxHits) {
        return kStatusOk;
    }
    if (ContainsPoint(&query->sphere.centre, query->sphere.radius, TestFlag(query)) != 1) {
        return kStatusOk;
    }
    PickHit* const hit = TakeHit(query->arena);
    if (hit == nullptr) {
        return kStatusOutOfMemory;
    }
    ++query->hitCount;
    hit->object = this;
    hit->next = nullptr;
    hit->distance = 0.0f;
    PickHit** slot = &query->firstHit;
    while (*slot != nullptr) {
        slot = &(*slot)->next;
    }
    *slot = hit;
    return kStatusOk;
}
