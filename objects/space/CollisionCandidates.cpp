#include "objects/space/CollisionCandidates.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "engine/BoundingSphere.h"
#include "objects/space/SpaceObject.h"

namespace {

// The collision test's own bounds (see SpaceObject::Collide).
constexpr double kNearRange = 1000.0;
constexpr double kMineGap = 50.0;

bool Lets(uint32_t mask, int32_t type) { return type >= 0 && type < 32 && ((mask >> type) & 1u) != 0; }

using Place = CollisionCandidates::Place;

// How far beyond contact a pair can still find something. Missiles'
// sweeps and the player's near misses of craft reach the test's whole near
// range, mines their trigger gap. An AI ship is warned of the other when
// the other's sphere, widened by both radii, lies ahead of it within twice
// their closing speed: from where it was, so within that and its move this
// frame, of the sphere's centre. A mine beside an AI ship reaches the
// farther of the two. Nothing else reaches past contact.
double Reach(const Place& a, const Place& b) {
    const auto either = [&a, &b](int32_t type) { return a.type == type || b.type == type; };
    if (either(SpaceObject::kTypeMissile)) return kNearRange;
    if ((a.type == SpaceObject::kTypePlayerShip && b.type >= SpaceObject::kTypeCraft) ||
        (b.type == SpaceObject::kTypePlayerShip && a.type >= SpaceObject::kTypeCraft)) {
        return kNearRange;
    }
    double reach = 0.0;
    if (either(SpaceObject::kTypeAiShip)) {
        // A speed or move that is not a number leaves the whole range.
        reach = std::min(kNearRange, 2.0 * (a.speed + b.speed) + std::max(a.moved, b.moved) + std::max(a.offset, b.offset));
    }
    if (either(SpaceObject::kTypeMine)) reach = std::max(reach, kMineGap);
    return reach;
}

// The test measures in floats: a little more than the bound never misses.
double WithSlack(double bound) { return bound + 1.0 + std::abs(bound) * 1e-3; }

Place PlaceOf(const SpaceObject& object) {
    const Vector3 at = object.Position();
    const Vector3 moved = at.Difference(object.previousPosition);
    const Vector3& v = object.velocity;
    double offset = 0.0;
    BoundingSphere sphere;
    if (object.GetBoundingSphere(&sphere) == 0) {
        const double dx = double(sphere.centre.x) - at.x, dy = double(sphere.centre.y) - at.y,
                     dz = double(sphere.centre.z) - at.z;
        offset = std::sqrt(dx * dx + dy * dy + dz * dz);
    }
    return {at.x,
            at.y,
            at.z,
            object.Radius(),
            object.type,
            object.collisionMask,
            std::sqrt(double(v.x) * v.x + double(v.y) * v.y + double(v.z) * v.z),
            std::sqrt(double(moved.x) * moved.x + double(moved.y) * moved.y + double(moved.z) * moved.z),
            offset};
}

bool Touches(const Place& a, const Place& b) {
    if (!Lets(a.mask, b.type) && !Lets(b.mask, a.type)) return false;
    const double dx = a.x - b.x, dy = a.y - b.y, dz = a.z - b.z;
    // Squared on both sides: the slack is far wider than the rounding
    // either way, and a bound that is not a positive number admits nothing.
    const double bound = WithSlack(a.radius + b.radius + Reach(a, b));
    return bound > 0.0 && dx * dx + dy * dy + dz * dz < bound * bound;
}

}  // namespace

bool CollisionCandidates::MayTouch(const SpaceObject& a, const SpaceObject& b) { return Touches(PlaceOf(a), PlaceOf(b)); }

int32_t CollisionCandidates::Home(const Place& place) {
    // A place or radius that is not a number, or an infinite place, is
    // never within any bound: such objects touch nothing.
    if (!std::isfinite(place.x) || !std::isfinite(place.y) || !std::isfinite(place.z) || std::isnan(place.radius)) return -2;
    if (std::isinf(place.radius)) return -1;
    return place.type >= 0 && place.type < 32 ? place.type : 32;
}

void CollisionCandidates::Widen(const Place& place) {
    // Nor does a speed that is not a number bound anything: such a ship
    // reaches the whole near range.
    if (std::isnan(place.speed) || std::isnan(place.moved) || std::isnan(place.offset)) unsure_ = true;
    const int32_t home = Home(place);
    if (home < 0) return;
    Bucket& bucket = buckets_[home];
    bucket.maxRadius = std::max(bucket.maxRadius, place.radius);
    bucket.widest.speed = std::max(bucket.widest.speed, place.speed);
    bucket.widest.moved = std::max(bucket.widest.moved, place.moved);
    bucket.widest.offset = std::max(bucket.widest.offset, place.offset);
    bucket.masks |= place.mask;
}

void CollisionCandidates::Take(SpaceObject* first) {
    order_.clear();
    unbounded_.clear();
    cursor_ = 0;
    unsure_ = false;
    for (int k = 0; k < kBuckets; ++k) {
        buckets_[k].byX.clear();
        buckets_[k].maxRadius = 0.0;
        buckets_[k].widest = Place{};
        buckets_[k].masks = 0;
        buckets_[k].type = k < 32 ? k : -1;
    }
    int32_t index = 0;
    for (SpaceObject* object = first; object != nullptr; object = object->GetNext(), ++index) {
        const Place place = PlaceOf(*object);
        order_.push_back({place, object});
        const int32_t home = Home(place);
        if (home == -2) continue;
        Widen(place);
        if (home == -1) {
            unbounded_.push_back(index);
        } else {
            buckets_[home].byX.push_back({place.x, place.y, place.z, index});
        }
    }
    for (Bucket& bucket : buckets_) {
        std::sort(bucket.byX.begin(), bucket.byX.end(), [](const Probe& a, const Probe& b) { return a.x < b.x; });
        bucket.live = bucket.byX;
        bucket.liveFrom = -1;
    }
    madeCount_ = SpaceObject::g_nextUoid;
}

void CollisionCandidates::Refresh(SpaceObject* first) {
    size_t index = 0;
    for (SpaceObject* object = first; object != nullptr; object = object->GetNext(), ++index) {
        if (index >= order_.size() || order_[index].object != object) {
            Take(first);
            return;
        }
        const Place place = PlaceOf(*object);
        Place& kept = order_[index].place;
        if (std::memcmp(&place, &kept, sizeof(Place)) == 0) continue;
        // The sorted order and the buckets hold while the place and the
        // kind stay; larger bounds only widen the bands (a smaller one
        // keeps the old, which still bounds it).
        if (std::memcmp(&place.x, &kept.x, sizeof(double)) != 0 || std::memcmp(&place.y, &kept.y, sizeof(double)) != 0 ||
            std::memcmp(&place.z, &kept.z, sizeof(double)) != 0 || place.type != kept.type || Home(place) != Home(kept)) {
            Take(first);
            return;
        }
        kept = place;
        Widen(place);
    }
    if (index != order_.size()) Take(first);
}

bool CollisionCandidates::Stale() const { return SpaceObject::g_nextUoid != madeCount_; }

bool CollisionCandidates::Collect(const SpaceObject& object, std::vector<SpaceObject*>* out) {
    out->clear();
    // The pass asks in world order: looked for from where the last one
    // was found, the whole pass walks the world once.
    size_t i = cursor_;
    while (i < order_.size() && order_[i].object != &object) ++i;
    if (i == order_.size()) {
        for (i = 0; i < cursor_ && i < order_.size() && order_[i].object != &object;) ++i;
        if (i == cursor_ || i == order_.size()) return false;
    }
    cursor_ = i;
    const Place& a = order_[i].place;
    const int32_t self = int32_t(i);
    found_.clear();
    if (std::isinf(a.radius)) {
        for (size_t j = i + 1; j < order_.size(); ++j) {
            if (Touches(a, order_[j].place)) out->push_back(order_[j].object);
        }
        return true;
    }
    for (const int32_t j : unbounded_) {
        if (j > self && Touches(a, order_[size_t(j)].place)) found_.push_back(j);
    }
    for (Bucket& bucket : buckets_) {
        if (bucket.byX.empty() || (!Lets(a.mask, bucket.type) && !Lets(bucket.masks, a.type))) continue;
        // Once an eighth of the live probes lie before the object, they are
        // dropped: each object's band then walks few it must pass over.
        if (self >= bucket.liveFrom && int64_t(self - bucket.liveFrom) * 8 > int64_t(order_.size()) - bucket.liveFrom) {
            std::erase_if(bucket.live, [self](const Probe& probe) { return probe.index <= self; });
            bucket.liveFrom = self;
        }
        const std::vector<Probe>& probes = self >= bucket.liveFrom ? bucket.live : bucket.byX;
        Place widest = bucket.widest;
        widest.type = bucket.type;
        const double reach = bucket.type >= 0 && !unsure_ ? Reach(a, widest) : kNearRange;
        const double band = WithSlack(a.radius + bucket.maxRadius + reach);
        if (!(band >= 0.0)) continue;
        // Across y and z the band is only a quick rejection before the
        // test itself, a little wider so rounding never rejects a pair.
        const double across = band * (1.0 + 1e-9) + 1e-9;
        const auto from = std::lower_bound(probes.begin(), probes.end(), a.x - band,
                                           [](const Probe& probe, double x) { return probe.x < x; });
        for (auto probe = from; probe != probes.end() && probe->x <= a.x + band; ++probe) {
            if (probe->index > self && std::abs(probe->y - a.y) <= across && std::abs(probe->z - a.z) <= across &&
                Touches(a, order_[size_t(probe->index)].place)) {
                found_.push_back(probe->index);
            }
        }
    }
    std::sort(found_.begin(), found_.end());
    out->reserve(found_.size());
    for (const int32_t j : found_) out->push_back(order_[size_t(j)].object);
    return true;
}
