#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

class SpaceObject;

// The broad phase of the world pass's collisions. Taken once before the
// pass collides (and again when objects were made meanwhile), it gives each
// object the objects after it in world order that a collision test could
// find anything with, still in world order: what collides with what, how
// far apart and how large decides, so skipping the rest changes nothing but
// the time. Collisions change velocities, not places, so the places taken
// hold for the whole pass and the sorted order with them: after a hit only
// the entries whose speeds (or anything else the test reads) changed are
// written again. An object's list is found when it is asked for, from the
// places as they are then, so a list asked for after a hit sees the hit's
// new speeds as a fresh walk would.
class CollisionCandidates {
public:
    // What the test of a pair reads of an object, taken with its place: an
    // AI ship's speed, its move this frame and the distance from its place
    // to its bounding sphere's centre bound how far its warnings reach.
    struct Place {
        double x, y, z, radius;
        int32_t type;
        uint32_t mask;
        double speed, moved, offset;
    };

    // Whether a collision test of the pair could find anything: a hit, a
    // near miss or an obstacle. No when neither collides with the other's
    // type, or when they are farther apart than both radii and the reach
    // of their kinds (missiles' sweeps and AI ships' warnings reach the
    // test's whole near range, mines their trigger gap, the player's ship
    // near misses of craft; everything else needs contact).
    static bool MayTouch(const SpaceObject& a, const SpaceObject& b);

    // Takes the places of the world from `first` on.
    void Take(SpaceObject* first);
    // Takes the places again after a hit, as Take would, but rewrites only
    // the entries that changed and keeps the sorted order while no place,
    // kind or world link did (a hit changes speeds); anything more takes
    // it all.
    void Refresh(SpaceObject* first);
    // True when objects were made since the places were taken.
    bool Stale() const;
    // The objects after `object` that may touch it, in world order, into
    // `out`; false (and `out` empty) when the object was not in the world
    // when the places were taken.
    bool Collect(const SpaceObject& object, std::vector<SpaceObject*>* out);

private:
    static constexpr int kBuckets = 33;   // one per type 0 to 31, then every other type
    struct Entry {
        Place place;
        SpaceObject* object;
    };
    // Where a bucketed object lies, apart from the rest of its place, so
    // that a band of the sorted order is walked through little memory.
    struct Probe {
        double x, y, z;
        int32_t index;   // into order_
    };
    struct Bucket {
        std::vector<Probe> byX;   // finite places only, sorted by x
        // The probes of byX after `liveFrom` in world order, still by x: the
        // pass asks in world order, so those before the object asked for
        // are never its candidates, nor any later object's.
        std::vector<Probe> live;
        int32_t liveFrom = -1;
        double maxRadius = 0.0;
        Place widest{};           // the largest speed, move and offset of its objects
        uint32_t masks = 0;       // the collision masks of its objects together
        int32_t type = 0;         // its objects' type; -1 for the last bucket
    };
    // Where an object of this place is kept: a bucket, unbounded_ (-1), or
    // nowhere, touching nothing (-2).
    static int32_t Home(const Place& place);
    void Widen(const Place& place);

    std::vector<Entry> order_;   // the world in order
    size_t cursor_ = 0;          // where the last object asked for was found
    Bucket buckets_[kBuckets];
    std::vector<int32_t> unbounded_;   // infinite radii, by index: they reach everything
    std::vector<int32_t> found_;       // one list's indices while it is gathered
    int32_t madeCount_ = 0;
    bool unsure_ = false;   // an object's speed is not a number: no bucket is bounded by speeds
};
