#include "objects/space/CollisionCandidates.h"

#include <algorithm>
#include <cmath>

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
// frame, of the sphere's centre. Nothing else reaches past contact.
double Reach(const Place& a, const Place& b) {
    const auto either = [&a, &b](int32_t type) { return a.type == type || b.type == type; };
    if (either(SpaceObject::kTypeMissile)) return kNearRange;
    if ((a.type == SpaceObject::kTypePlayerShip && b.type >= SpaceObject::kTypeCraft) ||
        (b.type == SpaceObject::kTypePlayerShip && a.type >= SpaceObject::kTypeCraft)) {
        return kNearRange;
    }
    if (either(SpaceObject::kTypeAiShip)) {
        // A speed or move that is not a number leaves the whole range.
        return std::min(kNearRange, 2.0 * (a.speed + b.speed) + std::max(a.moved, b.moved) + std::max(a.offset, b.offset));
    }
    if (either(SpaceObject::kTypeMine)) return kMineGap;
    return 0.0;
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
    return std::sqrt(dx * dx + dy * dy + dz * dz) < WithSlack(a.radius + b.radius + Reach(a, b));
}

}  // namespace

bool CollisionCandidates::MayTouch(const SpaceObject& a, const SpaceObject& b) { return Touches(PlaceOf(a), PlaceOf(b)); }

void CollisionCandidates::Take(SpaceObject* first) {
    order_.clear();
    indexOf_.clear();
    unbounded_.clear();
    pairs_.clear();
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
        const Entry entry{place, index, object};
        order_.push_back(entry);
        indexOf_.emplace(object, index);
        // A place or radius that is not a number, or an infinite place, is
        // never within any bound: such objects touch nothing.
        if (!std::isfinite(place.x) || !std::isfinite(place.y) || !std::isfinite(place.z) || std::isnan(place.radius)) continue;
        // Nor does a speed that is not a number bound anything: such a
        // ship reaches the whole near range.
        if (std::isnan(place.speed) || std::isnan(place.moved) || std::isnan(place.offset)) unsure_ = true;
        if (std::isinf(place.radius)) {
            unbounded_.push_back(entry);
            continue;
        }
        Bucket& bucket = buckets_[place.type >= 0 && place.type < 32 ? place.type : 32];
        bucket.byX.push_back(entry);
        bucket.maxRadius = std::max(bucket.maxRadius, place.radius);
        bucket.widest.speed = std::max(bucket.widest.speed, place.speed);
        bucket.widest.moved = std::max(bucket.widest.moved, place.moved);
        bucket.widest.offset = std::max(bucket.widest.offset, place.offset);
        bucket.masks |= place.mask;
    }
    for (Bucket& bucket : buckets_) {
        std::sort(bucket.byX.begin(), bucket.byX.end(),
                  [](const Entry& a, const Entry& b) { return a.place.x < b.place.x; });
    }

    // Each object, in world order, against the earlier ones near it.
    for (const Entry& self : order_) {
        const Place& b = self.place;
        const auto consider = [this, &b, &self](const Entry& entry) {
            if (entry.index < self.index && Touches(entry.place, b)) pairs_.push_back({entry.index, self.index});
        };
        if (std::isinf(b.radius)) {
            for (int32_t i = 0; i < self.index; ++i) consider(order_[size_t(i)]);
            continue;
        }
        for (const Entry& entry : unbounded_) consider(entry);
        for (const Bucket& bucket : buckets_) {
            if (bucket.byX.empty() || (!Lets(b.mask, bucket.type) && !Lets(bucket.masks, b.type))) continue;
            Place widest = bucket.widest;
            widest.type = bucket.type;
            const double reach = bucket.type >= 0 && !unsure_ ? Reach(b, widest) : kNearRange;
            const double band = WithSlack(b.radius + bucket.maxRadius + reach);
            if (!(band >= 0.0)) continue;
            const auto from = std::lower_bound(bucket.byX.begin(), bucket.byX.end(), b.x - band,
                                               [](const Entry& entry, double x) { return entry.place.x < x; });
            for (auto entry = from; entry != bucket.byX.end() && entry->place.x <= b.x + band; ++entry) consider(*entry);
        }
    }
    // Into lists by the earlier object, each in the order found: a
    // counting sort, which keeps the later objects ascending.
    firstLater_.assign(order_.size() + 1, 0);
    for (const auto& [earlier, later] : pairs_) ++firstLater_[size_t(earlier) + 1];
    for (size_t i = 1; i < firstLater_.size(); ++i) firstLater_[i] += firstLater_[i - 1];
    later_.assign(pairs_.size(), nullptr);
    std::vector<int32_t> filled(firstLater_.begin(), firstLater_.end() - 1);
    for (const auto& [earlier, later] : pairs_) later_[size_t(filled[size_t(earlier)]++)] = order_[size_t(later)].object;
    madeCount_ = SpaceObject::g_nextUoid;
}

bool CollisionCandidates::Stale() const { return SpaceObject::g_nextUoid != madeCount_; }

bool CollisionCandidates::Collect(const SpaceObject& object, std::vector<SpaceObject*>* out) {
    out->clear();
    const auto it = indexOf_.find(&object);
    if (it == indexOf_.end()) return false;
    const size_t i = size_t(it->second);
    out->assign(later_.begin() + firstLater_[i], later_.begin() + firstLater_[i + 1]);
    return true;
}
