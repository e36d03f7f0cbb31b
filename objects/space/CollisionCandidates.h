#pragma once
#include <cstdint>
#include <unordered_map>
#include <utility>
#include <vector>

class SpaceObject;

// The broad phase of the world pass's collisions. Taken once before the
// pass collides (and again when objects were made meanwhile), it gives each
// object the objects after it in world order that a collision test could
// find anything with, still in world order: what collides with what, how
// far apart and how large decides, so skipping the rest changes nothing but
// the time. Collisions change velocities, not places, so the places taken
// hold for the whole pass. Every pair is found once, when the places are
// taken, from its later object: walking the world in order, each object is
// appended to the lists of the earlier ones it may touch, so every list
// comes out in world order with no sorting.
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

    // Takes the places of the world from `first` on, and every pair.
    void Take(SpaceObject* first);
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
        int32_t index;
        SpaceObject* object;
    };
    struct Bucket {
        std::vector<Entry> byX;   // finite places only, sorted by x
        double maxRadius = 0.0;
        Place widest{};           // the largest speed, move and offset of its objects
        uint32_t masks = 0;       // the collision masks of its objects together
        int32_t type = 0;         // its objects' type; -1 for the last bucket
    };
    std::vector<Entry> order_;   // the world in order
    std::unordered_map<const SpaceObject*, int32_t> indexOf_;
    Bucket buckets_[kBuckets];
    std::vector<Entry> unbounded_;   // infinite radii: they reach everything
    // The pairs as found, (earlier, later) by index, later ones ascending.
    std::vector<std::pair<int32_t, int32_t>> pairs_;
    // Object i's later candidates are later_[firstLater_[i]] up to
    // later_[firstLater_[i + 1]].
    std::vector<int32_t> firstLater_;
    std::vector<SpaceObject*> later_;
    int32_t madeCount_ = 0;
    bool unsure_ = false;   // an object's speed is not a number: no bucket is bounded by speeds
};
