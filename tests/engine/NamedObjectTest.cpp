#include "engine/NamedObject.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <utility>
#include <vector>

#include "engine/Arena.h"
#include "engine/BoundingSphere.h"
#include "engine/EngineHeap.h"
#include "engine/PickQuery.h"
#include "engine/WorldContext.h"
#include "tests/support/ScopedEngineHeap.h"

namespace {

// The base leaves Draw to derived classes; this one has a sphere when told
// to and remembers the flag the tests pass it.
class Probe : public NamedObject {
public:
    explicit Probe(const char* objectName = nullptr, uint16_t objectType = kTypeUntyped)
        : NamedObject(objectType) {
        if (objectName != nullptr) name = objectName;
    }

    void Draw() override {}
    int32_t GetBoundingSphere(BoundingSphere* out) const override {
        if (!hasSphere) return NamedObject::GetBoundingSphere(out);
        *out = sphere;
        return 0;
    }
    float RayDistance(const Vector3* origin, const Vector3* direction, int32_t flag) const override {
        lastFlag = flag;
        return fixedDistance ? *fixedDistance : NamedObject::RayDistance(origin, direction, flag);
    }
    int32_t ContainsPoint(const Vector3* point, float radius, int32_t flag) const override {
        lastFlag = flag;
        return NamedObject::ContainsPoint(point, radius, flag);
    }
    Status CollectRayHits(PickQuery* query) override {
        ++collectCalls;
        return forcedResult != kStatusOk ? forcedResult : NamedObject::CollectRayHits(query);
    }
    Status CollectPointHits(PickQuery* query) override {
        ++collectCalls;
        return forcedResult != kStatusOk ? forcedResult : NamedObject::CollectPointHits(query);
    }

    // A sphere of radius 1 whose near side lies `distance` along +z.
    void PlaceOnRay(float distance) { SetSphere(0.0f, 0.0f, distance + 1.0f, 1.0f); }
    void SetSphere(float x, float y, float z, float radius) {
        hasSphere = true;
        sphere = BoundingSphere{};
        sphere.centre = Vector3(x, y, z);
        sphere.radius = radius;
    }

    bool hasSphere = false;
    BoundingSphere sphere{};
    const float* fixedDistance = nullptr;
    Status forcedResult = kStatusOk;
    mutable int32_t lastFlag = -1;
    int collectCalls = 0;
};

// Searches as a derived class would and counts that it was asked.
class CountingSearch : public Probe {
public:
    using Probe::Probe;
    NamedObject* FindByName(const char* wanted) override {
        ++searches;
        return NamedObject::FindByName(wanted);
    }
    int searches = 0;
};

// Links the objects in the order given and returns the first.
NamedObject* Chain(const std::vector<NamedObject*>& objects) {
    for (size_t i = 1; i < objects.size(); ++i) objects[i]->InsertAfter(objects[i - 1]);
    return objects.front();
}

std::vector<std::pair<const NamedObject*, float>> Hits(const PickQuery& query) {
    std::vector<std::pair<const NamedObject*, float>> hits;
    for (const PickHit* hit = query.firstHit; hit != nullptr; hit = hit->next)
        hits.emplace_back(hit->object, hit->distance);
    return hits;
}

// --- Construction and copying -------------------------------------------

TEST(NamedObject, ConstructionLeavesAnUnlinkedObjectWithTheDefaults) {
    const Probe object(nullptr, NamedObject::kTypeBillboard);
    EXPECT_EQ(object.next, nullptr);
    EXPECT_EQ(object.previous, nullptr);
    EXPECT_EQ(object.type, 1536);
    EXPECT_EQ(object.renderMask, 0x1F8F);
    EXPECT_EQ(object.flags, 0u);
    EXPECT_STREQ(object.name, "NoName");
    EXPECT_EQ(object.instanceWord, 0u);
    EXPECT_EQ(object.sharedWord, 0u);
}

TEST(NamedObject, CopyIsUnlinkedDropsFlag2AndStartsItsInstanceWordAtZero) {
    Probe head;
    Probe source("Source", NamedObject::kTypeFrame);
    Probe tail;
    Chain({&head, &source, &tail});
    source.renderMask = 0x0803;
    source.flags = 0xF00F;
    source.instanceWord = 11;
    source.sharedWord = 22;

    const Probe copy(source);

    EXPECT_EQ(copy.next, nullptr);
    EXPECT_EQ(copy.previous, nullptr);
    EXPECT_EQ(copy.type, NamedObject::kTypeFrame);
    EXPECT_EQ(copy.renderMask, 0x0803);
    EXPECT_EQ(copy.flags, 0xF00Du);
    EXPECT_EQ(copy.name, source.name);
    EXPECT_EQ(copy.instanceWord, 0u);
    EXPECT_EQ(copy.sharedWord, 22u);
    EXPECT_EQ(source.flags, 0xF00Fu);
    EXPECT_EQ(head.next, &source);
}

TEST(NamedObject, AssignmentKeepsTypeLinksAndInstanceWord) {
    Probe source("Source", NamedObject::kTypeFrame);
    source.renderMask = 0x0100;
    source.flags = 0x7;
    source.instanceWord = 11;
    source.sharedWord = 22;
    Probe before;
    Probe target(nullptr, NamedObject::kTypeParticle);
    Probe after;
    Chain({&before, &target, &after});
    target.instanceWord = 5;

    target = source;

    EXPECT_EQ(target.type, NamedObject::kTypeParticle);
    EXPECT_EQ(target.previous, &before);
    EXPECT_EQ(target.next, &after);
    EXPECT_EQ(target.instanceWord, 5u);
    EXPECT_EQ(target.renderMask, 0x0100);
    EXPECT_EQ(target.flags, 0x5u);
    EXPECT_EQ(target.name, source.name);
    EXPECT_EQ(target.sharedWord, 22u);
}

TEST(NamedObject, AssignmentToItselfKeepsFlag2) {
    Probe object;
    object.flags = NamedObject::kFlagOwnsResources;
    Probe& same = object;
    object = same;
    EXPECT_EQ(object.flags, NamedObject::kFlagOwnsResources);
}

// --- The list -----------------------------------------------------------

TEST(NamedObject, InsertAfterLinksBetweenTheNodeAndItsNextAndReturnsTheNewNext) {
    Probe a;
    Probe c;
    EXPECT_EQ(c.InsertAfter(&a), nullptr);
    Probe b;

    EXPECT_EQ(b.InsertAfter(&a), &c);

    EXPECT_EQ(a.next, &b);
    EXPECT_EQ(b.previous, &a);
    EXPECT_EQ(b.next, &c);
    EXPECT_EQ(c.previous, &b);
    EXPECT_EQ(a.previous, nullptr);
    EXPECT_EQ(c.next, nullptr);
}

TEST(NamedObject, UnlinkJoinsTheNeighboursAndClearsBothLinks) {
    Probe a;
    Probe b;
    Probe c;
    Chain({&a, &b, &c});

    b.Unlink();

    EXPECT_EQ(a.next, &c);
    EXPECT_EQ(c.previous, &a);
    EXPECT_EQ(b.next, nullptr);
    EXPECT_EQ(b.previous, nullptr);
    a.Unlink();
    EXPECT_EQ(c.previous, nullptr);
}

TEST(NamedObject, DestructionLeavesTheList) {
    Probe a;
    Probe c;
    {
        Probe b;
        Chain({&a, &b, &c});
    }
    EXPECT_EQ(a.next, &c);
    EXPECT_EQ(c.previous, &a);
}

TEST(NamedObject, FindByNameSearchesFromThisObjectOnward) {
    Probe first("Alpha");
    Probe second("Beta");
    Probe third("Beta");
    Chain({&first, &second, &third});

    EXPECT_EQ(first.FindByName("Alpha"), &first);
    EXPECT_EQ(first.FindByName("Beta"), &second);
    EXPECT_EQ(third.FindByName("Alpha"), nullptr);
    EXPECT_EQ(first.FindByName("Gamma"), nullptr);
    EXPECT_EQ(first.FindByName(nullptr), nullptr);
    EXPECT_EQ(first.FindByName("alpha"), nullptr);
}

TEST(NamedObject, FindByNameComparesTheFirst16CharactersOnly) {
    Probe object("SixteenCharsLong");  // exactly 16
    EXPECT_EQ(object.FindByName("SixteenCharsLong+four"), &object);
    EXPECT_EQ(object.FindByName("SixteenCharsLon"), nullptr);

    Probe shortName("Alpha");
    EXPECT_EQ(shortName.FindByName("AlphaBeta"), nullptr);
    EXPECT_EQ(shortName.FindByName("Alph"), nullptr);
}

TEST(NamedObject, FindByNameAsksTheNextObjectThroughItsOwnSearch) {
    Probe first("First");
    CountingSearch second("Second");
    Probe third("Third");
    Chain({&first, &second, &third});

    EXPECT_EQ(first.FindByName("Third"), &third);
    EXPECT_EQ(second.searches, 1);
}

// --- Sphere queries -----------------------------------------------------

TEST(NamedObject, WithoutASphereTheQueriesAnswerMinusOne) {
    const Probe object;
    BoundingSphere sphere{};
    const Vector3 origin(0.0f, 0.0f, 0.0f);
    const Vector3 direction(0.0f, 0.0f, 1.0f);
    EXPECT_EQ(object.GetBoundingSphere(&sphere), -1);
    EXPECT_EQ(object.RayDistance(&origin, &direction, 0), -1.0f);
    EXPECT_EQ(object.ContainsPoint(&origin, 1.0f, 0), -1);
}

TEST(NamedObject, WithASphereTheQueriesUseIt) {
    Probe object;
    object.SetSphere(0.0f, 0.0f, 10.0f, 2.0f);
    const Vector3 origin(0.0f, 0.0f, 0.0f);
    const Vector3 direction(0.0f, 0.0f, 1.0f);
    const Vector3 away(0.0f, 1.0f, 0.0f);
    EXPECT_FLOAT_EQ(object.RayDistance(&origin, &direction, 0), 8.0f);
    EXPECT_EQ(object.RayDistance(&origin, &away, 0), 0.0f);
    const Vector3 near(0.0f, 0.0f, 7.5f);
    EXPECT_EQ(object.ContainsPoint(&near, 0.0f, 0), 0);
    EXPECT_EQ(object.ContainsPoint(&near, 1.0f, 0), 1);
}

// --- Picks --------------------------------------------------------------

// Picks take their hits from the world context's first scratch arena, which
// lives in the engine heap.
class NamedObjectPickTest : public ::testing::Test {
protected:
    static constexpr uint32_t kGiven = PickQuery::kGivesObjectList | PickQuery::kGivesRay;

    void SetUp() override {
        world_.reset(new WorldContext(4096, 1024));
        ASSERT_NE(world_, nullptr);
        ASSERT_EQ(g_worldContext, world_.get());
        ASSERT_NE(world_->arena1, nullptr);
    }
    void TearDown() override { world_.reset(); }

    // A ray from the origin along +z over `objects`, keeping `maxHits`.
    PickQuery RayQuery(NamedObject* list, int32_t maxHits) const {
        PickQuery query;
        query.flags = kGiven | PickQuery::kGivesMaxHits;
        query.objectList = list;
        query.maxHits = maxHits;
        query.origin = Vector3(0.0f, 0.0f, 0.0f);
        query.direction = Vector3(0.0f, 0.0f, 1.0f);
        return query;
    }

    // Probes placed along the ray at the given distances, linked in order.
    std::vector<std::unique_ptr<Probe>> OnRay(const std::vector<float>& distances) {
        std::vector<std::unique_ptr<Probe>> objects;
        std::vector<NamedObject*> order;
        for (const float distance : distances) {
            objects.push_back(std::make_unique<Probe>());
            objects.back()->PlaceOnRay(distance);
            order.push_back(objects.back().get());
        }
        Chain(order);
        return objects;
    }

    const ScopedEngineHeap heap_{1024 * 1024};
    std::unique_ptr<WorldContext> world_;
};

TEST_F(NamedObjectPickTest, NothingToDoWithoutAQueryARayOrAMaximum) {
    Probe object;
    EXPECT_EQ(object.CollectRayHits(nullptr), kStatusNothingToDo);
    EXPECT_EQ(object.CollectPointHits(nullptr), kStatusNothingToDo);

    PickQuery noRay = RayQuery(&object, 1);
    noRay.flags &= ~PickQuery::kGivesRay;
    EXPECT_EQ(object.CollectRayHits(&noRay), kStatusNothingToDo);

    PickQuery noMaximum = RayQuery(&object, 0);
    EXPECT_EQ(object.CollectRayHits(&noMaximum), kStatusNothingToDo);
    noMaximum.maxHits = -3;
    EXPECT_EQ(object.CollectRayHits(&noMaximum), kStatusNothingToDo);
}

TEST_F(NamedObjectPickTest, AQueryLackingAListArenaCameraOrSphereFails) {
    Probe object;
    PickQuery noList = RayQuery(&object, 1);
    noList.flags &= ~PickQuery::kGivesObjectList;
    EXPECT_EQ(object.CollectRayHits(&noList), kStatusNoObjectList);

    PickQuery screenRay = RayQuery(&object, 1);
    screenRay.flags |= PickQuery::kScreenRay;
    EXPECT_EQ(object.CollectRayHits(&screenRay), kStatusNoCamera);

    PickQuery ownSphere = RayQuery(&object, 1);
    EXPECT_EQ(object.CollectPointHits(&ownSphere), kStatusNoBoundingSphere);

    world_.reset();
    PickQuery noArena = RayQuery(&object, 1);
    EXPECT_EQ(object.CollectRayHits(&noArena), kStatusNoArena);
    EXPECT_EQ(object.CollectPointHits(&noArena), kStatusNoArena);
}

TEST_F(NamedObjectPickTest, TheDefaultMaximumIsOneAndTheDefaultArenaIsEmptiedFirst) {
    // A block chained to the scratch arena before the pick must be gone after.
    ASSERT_NE(world_->arena1->Alloc(8192), nullptr);
    ASSERT_EQ(world_->arena1->ChainLength(), 1);
    auto objects = OnRay({4.0f, 2.0f});
    PickQuery query = RayQuery(objects.front().get(), 0);
    query.flags &= ~PickQuery::kGivesMaxHits;

    ASSERT_EQ(objects.front()->CollectRayHits(&query), kStatusOk);

    EXPECT_EQ(query.maxHits, 1);
    EXPECT_EQ(query.arena, world_->arena1);
    EXPECT_EQ(world_->arena1->ChainLength(), 0);
    ASSERT_EQ(Hits(query).size(), 1u);
    EXPECT_EQ(query.firstHit->object, objects[1].get());

    // Running it again empties the arena again, so the hit lands where the
    // last one did and is the only one.
    const PickHit* const previous = query.firstHit;
    ASSERT_EQ(objects.front()->CollectRayHits(&query), kStatusOk);
    EXPECT_EQ(query.firstHit, previous);
    EXPECT_EQ(query.hitCount, 2);
    EXPECT_EQ(Hits(query).size(), 1u);
}

TEST_F(NamedObjectPickTest, AFullListReplacesItsFarthestHitAndRefusesFartherOnes) {
    auto objects = OnRay({5.0f, 3.0f, 4.0f});
    PickQuery query = RayQuery(objects.front().get(), 1);

    ASSERT_EQ(objects.front()->CollectRayHits(&query), kStatusOk);

    ASSERT_EQ(Hits(query).size(), 1u);
    EXPECT_EQ(query.firstHit->object, objects[1].get());
    EXPECT_FLOAT_EQ(query.firstHit->distance, 3.0f);
    EXPECT_EQ(query.hitCount, 2);  // 5 entered, 3 replaced it, 4 was refused
}

TEST_F(NamedObjectPickTest, RayHitsAreSortedNearestFirstAndCappedAtTheMaximum) {
    auto objects = OnRay({7.0f, 2.0f, 5.0f, 9.0f, 1.0f});
    PickQuery query = RayQuery(objects.front().get(), 3);

    ASSERT_EQ(objects.front()->CollectRayHits(&query), kStatusOk);

    const auto hits = Hits(query);
    ASSERT_EQ(hits.size(), 3u);
    EXPECT_EQ(hits[0].first, objects[4].get());
    EXPECT_EQ(hits[1].first, objects[1].get());
    EXPECT_EQ(hits[2].first, objects[2].get());
    EXPECT_FLOAT_EQ(hits[0].second, 1.0f);
    EXPECT_FLOAT_EQ(hits[1].second, 2.0f);
    EXPECT_FLOAT_EQ(hits[2].second, 5.0f);
    EXPECT_EQ(query.hitCount, 4);  // 9 was refused
}

TEST_F(NamedObjectPickTest, EqualDistancesKeepTheOrderFoundAndAFullListRefusesATie) {
    auto objects = OnRay({4.0f, 4.0f, 2.0f, 4.0f});
    PickQuery query = RayQuery(objects.front().get(), 3);

    ASSERT_EQ(objects.front()->CollectRayHits(&query), kStatusOk);

    const auto hits = Hits(query);
    ASSERT_EQ(hits.size(), 3u);
    EXPECT_EQ(hits[0].first, objects[2].get());
    EXPECT_EQ(hits[1].first, objects[0].get());
    EXPECT_EQ(hits[2].first, objects[1].get());
    EXPECT_EQ(query.hitCount, 3);
}

TEST_F(NamedObjectPickTest, HitsAtZeroOrBehindTheOriginAndMissesAreNotRecorded) {
    const float zero = 0.0f;
    const float behind = -2.0f;
    Probe atOrigin;
    atOrigin.fixedDistance = &zero;
    Probe backwards;
    backwards.fixedDistance = &behind;
    Probe wide;
    wide.SetSphere(5.0f, 0.0f, 5.0f, 1.0f);
    Probe noSphere;
    Chain({&atOrigin, &backwards, &wide, &noSphere});
    PickQuery query = RayQuery(&atOrigin, 4);

    ASSERT_EQ(atOrigin.CollectRayHits(&query), kStatusOk);

    EXPECT_EQ(query.firstHit, nullptr);
    EXPECT_EQ(query.hitCount, 0);
}

TEST_F(NamedObjectPickTest, ALimitedRayKeepsHitsUpToItsMaximumDistance) {
    auto objects = OnRay({6.0f, 3.0f, 3.5f});
    PickQuery query = RayQuery(objects.front().get(), 4);
    query.flags |= PickQuery::kLimitDistance;
    query.maxDistance = 3.0f;

    ASSERT_EQ(objects.front()->CollectRayHits(&query), kStatusOk);

    const auto hits = Hits(query);
    ASSERT_EQ(hits.size(), 1u);
    EXPECT_EQ(hits[0].first, objects[1].get());
}

TEST_F(NamedObjectPickTest, ObjectsFlaggedNotPickableAreSkippedByBothPicks) {
    auto objects = OnRay({1.0f, 2.0f});
    objects[0]->flags |= NamedObject::kFlagNotPickable;
    PickQuery ray = RayQuery(objects.front().get(), 4);
    ASSERT_EQ(objects.front()->CollectRayHits(&ray), kStatusOk);
    ASSERT_EQ(Hits(ray).size(), 1u);
    EXPECT_EQ(ray.firstHit->object, objects[1].get());
    EXPECT_EQ(objects[0]->collectCalls, 1);  // only as the one asked

    PickQuery point;
    point.flags = PickQuery::kGivesObjectList | PickQuery::kGivesSphere | PickQuery::kGivesMaxHits;
    point.objectList = objects.front().get();
    point.maxHits = 4;
    point.sphere.centre = Vector3(0.0f, 0.0f, 2.5f);
    point.sphere.radius = 10.0f;
    ASSERT_EQ(objects[1]->CollectPointHits(&point), kStatusOk);
    EXPECT_EQ(point.firstHit, nullptr);
    EXPECT_EQ(objects[0]->collectCalls, 1);
}

TEST_F(NamedObjectPickTest, TheWalkRestoresTheCallersFlagsAndPassesTheTestFlag) {
    auto objects = OnRay({1.0f});
    PickQuery query = RayQuery(objects.front().get(), 1);
    query.flags |= PickQuery::kTestFlag | PickQuery::kTestingObjects;
    const uint32_t onEntry = query.flags;

    ASSERT_EQ(objects.front()->CollectRayHits(&query), kStatusOk);

    EXPECT_EQ(query.flags, onEntry);
    EXPECT_EQ(objects.front()->lastFlag, 1);

    query.flags &= ~(PickQuery::kTestFlag | PickQuery::kTestingObjects);
    ASSERT_EQ(objects.front()->CollectRayHits(&query), kStatusOk);
    EXPECT_EQ(objects.front()->lastFlag, 0);
    EXPECT_EQ(query.flags, onEntry & ~(PickQuery::kTestFlag | PickQuery::kTestingObjects));
}

TEST_F(NamedObjectPickTest, TheWalkStopsAtTheFirstObjectThatFails) {
    auto objects = OnRay({1.0f, 2.0f, 3.0f});
    PickQuery query = RayQuery(objects.front().get(), 4);
    objects[1]->forcedResult = 7;

    EXPECT_EQ(objects.front()->CollectRayHits(&query), 7u);

    EXPECT_EQ(objects[2]->collectCalls, 0);
    EXPECT_EQ(query.flags & PickQuery::kInsideWalk, 0u);
    EXPECT_EQ(Hits(query).size(), 1u);
}

TEST_F(NamedObjectPickTest, APointPickUsesTheAskersSphereAndNeverReportsTheAsker) {
    Probe asker;
    asker.SetSphere(0.0f, 0.0f, 0.0f, 2.0f);
    Probe inside;
    inside.SetSphere(0.0f, 2.5f, 0.0f, 1.0f);
    Probe outside;
    outside.SetSphere(0.0f, 10.0f, 0.0f, 1.0f);
    Probe alsoInside;
    alsoInside.SetSphere(1.0f, 0.0f, 0.0f, 1.0f);
    Chain({&asker, &inside, &outside, &alsoInside});
    PickQuery query;
    query.flags = PickQuery::kGivesObjectList | PickQuery::kGivesMaxHits | PickQuery::kTestFlag;
    query.objectList = &asker;
    query.maxHits = 8;

    ASSERT_EQ(asker.CollectPointHits(&query), kStatusOk);

    EXPECT_EQ(query.asker, &asker);
    EXPECT_EQ(query.sphere.radius, 2.0f);
    const auto hits = Hits(query);
    ASSERT_EQ(hits.size(), 2u);
    EXPECT_EQ(hits[0].first, &inside);
    EXPECT_EQ(hits[1].first, &alsoInside);
    EXPECT_EQ(query.hitCount, 2);
    EXPECT_EQ(asker.collectCalls, 1);
    EXPECT_EQ(inside.lastFlag, 1);
}

TEST_F(NamedObjectPickTest, APointPickKeepsTheFirstHitsInTheOrderFound) {
    Probe asker;
    std::vector<std::unique_ptr<Probe>> objects;
    std::vector<NamedObject*> order;
    for (int i = 0; i < 4; ++i) {
        objects.push_back(std::make_unique<Probe>());
        objects.back()->SetSphere(static_cast<float>(4 - i), 0.0f, 0.0f, 1.0f);
        order.push_back(objects.back().get());
    }
    Chain(order);
    PickQuery query;
    query.flags = PickQuery::kGivesObjectList | PickQuery::kGivesMaxHits | PickQuery::kGivesSphere;
    query.objectList = order.front();
    query.maxHits = 2;
    query.sphere.radius = 10.0f;

    ASSERT_EQ(asker.CollectPointHits(&query), kStatusOk);

    const auto hits = Hits(query);
    ASSERT_EQ(hits.size(), 2u);
    EXPECT_EQ(hits[0].first, objects[0].get());
    EXPECT_EQ(hits[1].first, objects[1].get());
    EXPECT_EQ(query.hitCount, 2);  // later hits are not counted
}

// An arena that runs dry ends the pick with the hits found so far.
TEST(NamedObjectPick, ADryArenaEndsThePickAndKeepsTheHitsFound) {
    // Made before the heap fills, so they live in the runtime heap.
    std::vector<std::unique_ptr<Probe>> objects;
    std::vector<NamedObject*> order;
    for (int i = 0; i < 40; ++i) {
        objects.push_back(std::make_unique<Probe>());
        objects.back()->PlaceOnRay(static_cast<float>(100 - i));  // each nearer than the last
        order.push_back(objects.back().get());
    }
    Chain(order);
    alignas(16) uint8_t block[Arena::kHeaderBytes + 128];
    Arena* const arena = Arena::Init(block, sizeof block);
    PickQuery query;
    query.flags = PickQuery::kGivesObjectList | PickQuery::kGivesRay | PickQuery::kGivesArena |
                  PickQuery::kGivesMaxHits;
    query.objectList = order.front();
    query.arena = arena;
    query.maxHits = 40;
    query.direction = Vector3(0.0f, 0.0f, 1.0f);
    const ScopedEngineHeap full(ScopedEngineHeap::kFull);

    EXPECT_EQ(order.front()->CollectRayHits(&query), kStatusOutOfMemory);

    const auto hits = Hits(query);
    ASSERT_GT(hits.size(), 0u);
    EXPECT_EQ(static_cast<int32_t>(hits.size()), query.hitCount);
    const int32_t found = query.hitCount;
    ASSERT_LT(found + 1, 40);
    EXPECT_EQ(objects[found]->collectCalls, 1);
    EXPECT_EQ(objects[found + 1]->collectCalls, 0);
    for (size_t i = 1; i < hits.size(); ++i) EXPECT_LT(hits[i - 1].second, hits[i].second);

    // A full list whose replacement cannot be had keeps the hits it holds.
    query.maxHits = found;
    Probe nearest;
    nearest.PlaceOnRay(0.5f);
    query.objectList = &nearest;
    query.flags |= PickQuery::kPrepared;  // keeps the hits of the first pick
    EXPECT_EQ(nearest.CollectRayHits(&query), kStatusOutOfMemory);
    EXPECT_EQ(Hits(query), hits);
    EXPECT_EQ(query.hitCount, found);
}

}  // namespace
