#include "objects/space/CollisionCandidates.h"

#include <algorithm>
#include <cmath>

#include "objects/space/SpaceObject.h"

namespace {

// The collision test's own bounds (see SpaceObject::Collide).
constexpr double kNearRange = 1000.0;
constexpr double kMineGap = 50.0;

bool Lets(uint32_t mask, int32_t type) { return type >= 0 && type < 32 && ((mask >> type) & 1u) != 0; }

// How far beyond contact a pair of these types can still find something.
double Reach(int32_t a, int32_t b) {
    const auto either = [a, b](int32_t type) { return a == type || b == type; };
    if (either(SpaceObject::kTypeMissile) || either(SpaceObject::kTypeAiShip)) return kNearRange;
    if ((a == SpaceObject::kTypePlayerShip && b >= SpaceObject::kTypeCraft) ||
        (b == SpaceObject::kTypePlayerShip && a >= SpaceObject::kTypeCraft)) {
        return kNearRange;
    }
    if (either(SpaceObject::kTypeMine)) return kMineGap;
    return 0.0;
}

// The test measures in floats: a little more than the bound never misses.
double WithSlack(double bound) { return bound + 1.0 + std::abs(bound) * 1e-3; }

struct Place {
    double x, y, z, radius;
    int32_t type;
    uint32_t mask;
};

Place PlaceOf(const SpaceObject& object) {
    const Vector3 at = object.Position();
    return {at.x, at.y, at.z, object.Radius(), object.type, object.collisionMask};
}

bool Touches(const Place& a, const Place& b) {
    if (!Lets(a.mask, b.type) && !Lets(b.mask, a.type)) return false;
    const double dx = a.x - b.x, dy = a.y - b.y, dz = a.z - b.z;
    return std::sqrt(dx * dx + dy * dy + dz * dz) < WithSlack(a.radius + b.radius + Reach(a.type, b.type));
}

}  // namespace

bool CollisionCandidates::MayTouch(const SpaceObject& a, const SpaceObject& b) { return Touches(PlaceOf(a), PlaceOf(b)); }

void CollisionCandidates::Take(SpaceObject* first) {
    order_.clear();
    indexOf_.clear();
    unbounded_.clear();
    for (int k = 0; k < kBuckets; ++k) {
        buckets_[k].byX.clear();
        buckets_[k].maxRadius = 0.0;
        buckets_[k].masks = 0;
        buckets_[k].type = k < 32 ? k : -1;
    }
    int32_t index = 0;
    for (SpaceObject* object = first; object != nullptr; object = object->GetNext(), ++index) {
        const Place place = PlaceOf(*object);
        const Entry entry{place.x, place.y, place.z, place.radius, index, object};
        order_.push_back(entry);
        indexOf_.emplace(object, index);
        // A place or radius that is not a number, or an infinite place, is
        // never within any bound: such objects touch nothing.
        if (!std::isfinite(place.x) || !std::isfinite(place.y) || !std::isfinite(place.z) || std::isnan(place.radius)) continue;
        if (std::isinf(place.radius)) {
            unbounded_.push_back(entry);
            continue;
        }
        Bucket& bucket = buckets_[place.type >= 0 && place.type < 32 ? place.type : 32];
        bucket.byX.push_back(entry);
        bucket.maxRadius = std::max(bucket.maxRadius, place.radius);
        bucket.masks |= place.mask;
    }
    for (Bucket& bucket : buckets_) {
        std::sort(bucket.byX.begin(), bucket.byX.end(), [](const Entry& a, const Entry& b) { return a.x < b.x; });
    }
    madeCount_ = SpaceObject::g_nextUoid;
}

bool CollisionCandidates::Stale() const { return SpaceObject::g_nextUoid != madeCount_; }

bool CollisionCandidates::Collect(const SpaceObject& object, std::vector<SpaceObject*>* out) {
    out->clear();
    found_.clear();
    const auto it = indexOf_.find(&object);
    if (it == indexOf_.end()) return false;
    const Entry& self = order_[size_t(it->second)];
    const Place a{self.x, self.y, self.z, self.radius, object.type, object.collisionMask};
    const auto consider = [this, &a, &self](const Entry& entry) {
        if (entry.index <= self.index) return;
        const Place b{entry.x, entry.y, entry.z, entry.radius, entry.object->type, entry.object->collisionMask};
        if (Touches(a, b)) found_.push_back({entry.index, entry.object});
    };
    if (std::isinf(self.radius)) {
        for (size_t i = size_t(self.index) + 1; i < order_.size(); ++i) consider(order_[i]);
    } else {
        for (const Entry& entry : unbounded_) consider(entry);
        for (const Bucket& bucket : buckets_) {
            if (bucket.byX.empty() || (!Lets(a.mask, bucket.type) && !Lets(bucket.masks, a.type))) continue;
            const double reach = bucket.type >= 0 ? Reach(a.type, bucket.type) : kNearRange;
            const double band = WithSlack(a.radius + bucket.maxRadius + reach);
            if (!(band >= 0.0)) continue;
            const auto from = std::lower_bound(bucket.byX.begin(), bucket.byX.end(), a.x - band,
                                               [](const Entry& entry, double x) { return entry.x < x; });
            for (auto entry = from; entry != bucket.byX.end() && entry->x <= a.x + band; ++entry) consider(*entry);
        }
    }
    std::sort(found_.begin(), found_.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    for (const auto& [index, later] : found_) out->push_back(later);
    return true;
}
