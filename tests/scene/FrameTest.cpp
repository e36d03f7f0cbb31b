#include "scene/Frame.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "engine/EngineHeap.h"
#include "engine/MathRoutineTable.h"
#include "engine/MatrixMath.h"
#include "scene/OstrelSystem.h"
#include "engine/PickQuery.h"
#include "engine/TimerSystem.h"
#include "tests/support/FakeClock.h"
#include "tests/support/FakeCpu.h"
#include "tests/support/FakeMultimediaTimer.h"
#include "tests/support/MatrixChecks.h"
#include "tests/support/ScopedInstall.h"

namespace {

constexpr uint32_t kAll = Transform::kAllFlags;

// A frame that writes what happens to it into a shared log: draws,
// updates and its destruction, each as "<verb> <name>".
class ProbeFrame : public Frame {
public:
    ProbeFrame(const char* frameName, std::vector<std::string>* eventLog) : log(eventLog) {
        name = frameName;
    }
    ~ProbeFrame() override {
        if (log) log->push_back(std::string("delete ") + name);
    }

    void Draw() override {
        if (log) log->push_back(std::string("draw ") + name);
        Frame::Draw();
    }
    void Update() override {
        if (log) log->push_back(std::string("update ") + name);
        Frame::Update();
    }
    Status CollectRayHits(PickQuery* query) override {
        ++collectCalls;
        return forcedResult != kStatusOk ? forcedResult : Frame::CollectRayHits(query);
    }
    Status CollectPointHits(PickQuery* query) override {
        ++collectCalls;
        return forcedResult != kStatusOk ? forcedResult : Frame::CollectPointHits(query);
    }

    std::vector<std::string>* log;
    Status forcedResult = kStatusOk;
    int collectCalls = 0;
};

BoundingSphere Sphere(float x, float y, float z, float radius) {
    BoundingSphere sphere{};
    sphere.centre = Vector3(x, y, z);
    sphere.radius = radius;
    return sphere;
}

bool SameBytes(const Transform& a, const Transform& b) {
    return std::memcmp(&a, &b, sizeof(Transform)) == 0;
}

Matrix34 Product(const Matrix34& first, const Matrix34& second) {
    Matrix34 out;
    MultiplyMatrix(&first, &second, &out);
    return out;
}

std::vector<const Frame*> Children(const Frame& frame) {
    std::vector<const Frame*> children;
    for (const NamedObject* child = frame.firstChild; child != nullptr; child = child->next) {
        children.push_back(static_cast<const Frame*>(child));
    }
    return children;
}

// Every frame test runs inside a started engine: frames live on the engine
// heap, and the pick queries take their hits from its first scratch arena.
class FrameTest : public ::testing::Test {
protected:
    void SetUp() override {
        TimerSystem::ResetForTesting();
        engine_ = new OstrelSystem(kHeapSize, EngineHeap::kModeExact);
        ASSERT_NE(engine_, nullptr);
        ASSERT_EQ(engine_->Start(kArenaSize, kArenaSize, nullptr), kStatusOk);
    }
    void TearDown() override {
        delete engine_;
        TimerSystem::ResetForTesting();
        EXPECT_FALSE(EngineHeap::IsReserved());
        EXPECT_EQ(g_worldContext, nullptr);
    }

    ProbeFrame* Make(const char* frameName) {
        ProbeFrame* frame = new ProbeFrame(frameName, &log_);
        EXPECT_NE(frame, nullptr);
        EXPECT_TRUE(EngineHeap::Contains(frame));
        return frame;
    }
    // Destroys a root and everything below it.
    static void Destroy(Frame* root) {
        root->Detach(1, 0);
        delete root;
    }

    static constexpr uint32_t kHeapSize = 0x100000;
    static constexpr uint32_t kArenaSize = 0x10000;

    FakeCpu cpu_;  // a 486: the timers start without calibrating
    FakeClock clock_;
    FakeMultimediaTimer timer_;
    ScopedInstall<platform::Cpu> installedCpu_{cpu_};
    ScopedInstall<platform::Clock> installedClock_{clock_};
    ScopedInstall<platform::MultimediaTimer> installedTimer_{timer_};
    OstrelSystem* engine_ = nullptr;
    std::vector<std::string> log_;
};

// Construction and copying.

TEST_F(FrameTest, StartsUnattachedWithIdentityPlacement) {
    Frame frame;
    EXPECT_EQ(frame.type, NamedObject::kTypeFrame);
    EXPECT_STREQ(frame.name, "NoName");
    EXPECT_EQ(frame.parent, nullptr);
    EXPECT_EQ(frame.firstChild, nullptr);
    EXPECT_EQ(frame.ownSphere, nullptr);
    EXPECT_TRUE(SameBytes(frame.local, Transform()));
    EXPECT_TRUE(SameBytes(frame.world, Transform()));
}

TEST_F(FrameTest, CopyIsUnattachedAndTakesTheSourceLocalAsItsWorld) {
    const BoundingSphere own = Sphere(1, 2, 3, 4);
    ProbeFrame* parent = Make("parent");
    ProbeFrame* source = Make("source");
    parent->local.SetPositionXyz(100, 0, 0, kAll);
    source->local.SetPositionXyz(0, 5, 0, kAll);
    source->ownSphere = &own;
    source->subtreeSphere = Sphere(0, 0, 0, 9);
    source->AttachToParent(parent, kAll);
    parent->UpdateWorldTransform(kAll);

    Frame copy(*source);
    EXPECT_EQ(copy.parent, nullptr);
    EXPECT_EQ(copy.firstChild, nullptr);
    EXPECT_EQ(copy.next, nullptr);
    EXPECT_EQ(copy.previous, nullptr);
    EXPECT_TRUE(SameBytes(copy.local, source->local));
    EXPECT_TRUE(SameBytes(copy.world, source->local));
    EXPECT_EQ(copy.ownSphere, &own);
    EXPECT_EQ(copy.subtreeSphere.radius, 9.0f);
    EXPECT_STREQ(copy.name, "source");
    Destroy(parent);
}

TEST_F(FrameTest, AssignmentKeepsTheTreeAndRefreshesTheWorld) {
    ProbeFrame* parent = Make("parent");
    ProbeFrame* target = Make("target");
    ProbeFrame* child = Make("child");
    parent->local.SetPositionXyz(10, 0, 0, kAll);
    target->AttachToParent(parent, 0);
    child->AttachToParent(target, 0);
    child->local.SetPositionXyz(0, 0, 1, kAll);

    const BoundingSphere own = Sphere(0, 0, 0, 2);
    Frame source;
    source.name = "source";
    source.local.SetPositionXyz(0, 3, 0, kAll);
    source.ownSphere = &own;
    source.subtreeSphere = Sphere(0, 0, 0, 7);
    parent->UpdateWorldTransform(kAll);

    static_cast<Frame&>(*target) = source;
    EXPECT_EQ(target->parent, parent);
    EXPECT_EQ(target->firstChild, child);
    EXPECT_EQ(parent->firstChild, target);
    EXPECT_STREQ(target->name, "source");
    EXPECT_EQ(target->ownSphere, &own);
    EXPECT_EQ(target->subtreeSphere.radius, 7.0f);
    // The world follows the parent, and the child's world follows it.
    EXPECT_FLOAT_EQ(target->world.matrix.rows[3][0], 10.0f);
    EXPECT_FLOAT_EQ(target->world.matrix.rows[3][1], 3.0f);
    EXPECT_FLOAT_EQ(child->world.matrix.rows[3][2], 1.0f);
    EXPECT_FLOAT_EQ(child->world.matrix.rows[3][0], 10.0f);

    const Transform before = target->local;
    Frame& self = *target;
    self = *target;
    EXPECT_TRUE(SameBytes(target->local, before));
    Destroy(parent);
}

// Attach, insert and detach.

TEST_F(FrameTest, AttachAppendsChildrenInOrder) {
    ProbeFrame* parent = Make("parent");
    ProbeFrame* a = Make("a");
    ProbeFrame* b = Make("b");
    ProbeFrame* c = Make("c");
    a->AttachToParent(parent, 0);
    b->AttachToParent(parent, 0);
    c->AttachToParent(parent, 0);
    EXPECT_EQ(Children(*parent), (std::vector<const Frame*>{a, b, c}));
    EXPECT_EQ(a->previous, nullptr);
    EXPECT_EQ(b->previous, a);
    EXPECT_EQ(c->previous, b);
    for (const Frame* child : {a, b, c}) EXPECT_EQ(child->parent, parent);
    Destroy(parent);
}

TEST_F(FrameTest, AttachWithTheWorldBitPlacesTheChildUnderItsParent) {
    ProbeFrame* parent = Make("parent");
    ProbeFrame* child = Make("child");
    parent->local.RotateY(90.0f, kAll);
    parent->local.Scale(2.0f, kAll);
    parent->local.SetPositionXyz(10, 0, 0, kAll);
    parent->UpdateWorldTransform(kAll);
    child->local.SetPositionXyz(0, 0, 5, kAll);

    child->AttachToParent(parent, 0);
    EXPECT_TRUE(SameBytes(child->world, Transform())) << "no world update without bit 0x10";

    child->Detach(0, 0);
    child->AttachToParent(parent, kAll);
    // Forward of the parent is +x at scale 2: 5 along it is 10 further.
    EXPECT_NEAR(child->world.matrix.rows[3][0], 20.0f, 1e-5f);
    EXPECT_NEAR(child->world.matrix.rows[3][2], 0.0f, 1e-5f);
    EXPECT_FLOAT_EQ(child->world.scale, 2.0f);
    Matrix34 inverse;
    ASSERT_EQ(InvertMatrix(&child->world.matrix, &inverse), 0);
    ExpectMatrixNear(child->world.inverse, inverse, 1e-5f);
    Destroy(parent);
}

TEST_F(FrameTest, InsertAfterSiblingLinksIntoTheMiddleUnderTheSameParent) {
    ProbeFrame* parent = Make("parent");
    ProbeFrame* a = Make("a");
    ProbeFrame* b = Make("b");
    ProbeFrame* x = Make("x");
    a->AttachToParent(parent, 0);
    b->AttachToParent(parent, 0);
    x->InsertAfterSibling(a, 0);
    EXPECT_EQ(Children(*parent), (std::vector<const Frame*>{a, x, b}));
    EXPECT_EQ(x->previous, a);
    EXPECT_EQ(b->previous, x);
    EXPECT_EQ(x->parent, parent);

    ProbeFrame* last = Make("last");
    last->InsertAfterSibling(b, 0);
    EXPECT_EQ(Children(*parent), (std::vector<const Frame*>{a, x, b, last}));
    EXPECT_EQ(last->next, nullptr);
    Destroy(parent);
}

TEST_F(FrameTest, InsertAfterSiblingRefreshesTheParentBoundsOnlyWhenAsked) {
    const BoundingSphere own = Sphere(0, 0, 0, 1);
    ProbeFrame* parent = Make("parent");
    ProbeFrame* a = Make("a");
    parent->ownSphere = &own;
    a->ownSphere = &own;
    a->AttachToParent(parent, 0);
    parent->UpdateBounds(0, 0);
    EXPECT_FLOAT_EQ(parent->subtreeSphere.radius, 1.0f);

    ProbeFrame* far = Make("far");
    far->ownSphere = &own;
    far->subtreeSphere = own;
    far->local.SetPositionXyz(10, 0, 0, kAll);
    far->InsertAfterSibling(a, 0);
    EXPECT_FLOAT_EQ(parent->subtreeSphere.radius, 1.0f);

    far->Detach(0, 0);
    far->InsertAfterSibling(a, Frame::kRefreshParentBounds);
    EXPECT_FLOAT_EQ(parent->subtreeSphere.radius, 11.0f);
    Destroy(parent);
}

TEST_F(FrameTest, DetachingTheFirstChildMakesTheSecondFirst) {
    ProbeFrame* parent = Make("parent");
    ProbeFrame* a = Make("a");
    ProbeFrame* b = Make("b");
    ProbeFrame* c = Make("c");
    for (Frame* child : {a, b, c}) child->AttachToParent(parent, 0);

    a->Detach(0, 0);
    EXPECT_EQ(parent->firstChild, b);
    EXPECT_EQ(b->previous, nullptr);
    EXPECT_EQ(a->parent, nullptr);
    EXPECT_EQ(a->next, nullptr);

    c->Detach(0, 0);
    EXPECT_EQ(Children(*parent), (std::vector<const Frame*>{b}));
    EXPECT_EQ(b->next, nullptr);

    b->Detach(0, 0);
    EXPECT_EQ(parent->firstChild, nullptr);
    for (Frame* frame : {parent, a, b, c}) Destroy(frame);
}

TEST_F(FrameTest, DetachRefreshesTheOldParentBoundsOnlyWhenAsked) {
    const BoundingSphere own = Sphere(0, 0, 0, 1);
    ProbeFrame* parent = Make("parent");
    ProbeFrame* far = Make("far");
    parent->ownSphere = &own;
    far->ownSphere = &own;
    far->local.SetPositionXyz(0, 20, 0, kAll);
    far->AttachToParent(parent, 0);
    parent->UpdateBounds(0, 0);
    ASSERT_FLOAT_EQ(parent->subtreeSphere.radius, 21.0f);

    far->Detach(0, 0);
    EXPECT_FLOAT_EQ(parent->subtreeSphere.radius, 21.0f);

    far->AttachToParent(parent, 0);
    far->Detach(0, Frame::kRefreshParentBounds);
    EXPECT_FLOAT_EQ(parent->subtreeSphere.radius, 1.0f);
    Destroy(parent);
    Destroy(far);
}

TEST_F(FrameTest, DetachWithTheWorldBitMakesTheFrameARoot) {
    ProbeFrame* parent = Make("parent");
    ProbeFrame* child = Make("child");
    parent->local.SetPositionXyz(50, 0, 0, kAll);
    child->local.SetPositionXyz(1, 0, 0, kAll);
    child->AttachToParent(parent, 0);
    parent->UpdateWorldTransform(kAll);
    ASSERT_FLOAT_EQ(child->world.matrix.rows[3][0], 51.0f);

    child->Detach(0, Frame::kUpdateWorld | Transform::kUpdateInverse);
    EXPECT_TRUE(SameBytes(child->world, child->local));
    Destroy(parent);
    Destroy(child);
}

TEST_F(FrameTest, DetachWithDeleteChildrenDestroysTheSubtreeDeepestFirst) {
    ProbeFrame* root = Make("root");
    ProbeFrame* a = Make("a");
    ProbeFrame* a1 = Make("a1");
    ProbeFrame* a2 = Make("a2");
    ProbeFrame* a21 = Make("a21");
    ProbeFrame* b = Make("b");
    a->AttachToParent(root, 0);
    b->AttachToParent(root, 0);
    a1->AttachToParent(a, 0);
    a2->AttachToParent(a, 0);
    a21->AttachToParent(a2, 0);
    const uint64_t freesBefore = EngineHeap::FreeCount();

    root->Detach(1, 0);
    EXPECT_EQ(log_, (std::vector<std::string>{"delete a1", "delete a21", "delete a2", "delete a", "delete b"}));
    EXPECT_EQ(root->firstChild, nullptr);
    EXPECT_EQ(EngineHeap::FreeCount(), freesBefore + 5);
    delete root;
}

TEST_F(FrameTest, DestroyingAChildTakesItOutOfItsParentsList) {
    ProbeFrame* parent = Make("parent");
    ProbeFrame* a = Make("a");
    ProbeFrame* b = Make("b");
    ProbeFrame* c = Make("c");
    for (Frame* child : {a, b, c}) child->AttachToParent(parent, 0);
    delete b;
    EXPECT_EQ(Children(*parent), (std::vector<const Frame*>{a, c}));
    EXPECT_EQ(c->previous, a);
    delete a;
    EXPECT_EQ(parent->firstChild, c);
    Destroy(parent);
}

// The frame's own destructor deletes no children; those still attached
// must not keep pointing at it.
TEST_F(FrameTest, DestroyingAFrameWithChildrenLeavesThemAsRoots) {
    ProbeFrame* grandparent = Make("grandparent");
    ProbeFrame* frame = Make("frame");
    ProbeFrame* a = Make("a");
    ProbeFrame* b = Make("b");
    frame->AttachToParent(grandparent, 0);
    a->AttachToParent(frame, 0);
    b->AttachToParent(frame, 0);

    delete frame;
    EXPECT_EQ(log_, (std::vector<std::string>{"delete frame"}));
    EXPECT_EQ(grandparent->firstChild, nullptr);
    EXPECT_EQ(a->parent, nullptr);
    EXPECT_EQ(b->parent, nullptr);
    EXPECT_EQ(a->previous, nullptr);
    EXPECT_EQ(a->next, b);

    // The orphans can be updated and re-attached without touching the
    // destroyed frame.
    a->UpdateWorldTransform(kAll);
    a->Detach(0, 0);
    a->AttachToParent(grandparent, kAll);
    EXPECT_EQ(a->parent, grandparent);
    Destroy(grandparent);
    Destroy(b);
}

// World transforms.

TEST_F(FrameTest, RootWorldIsAnExactCopyOfLocalWhateverTheFlags) {
    Frame root;
    root.local.RotateX(33.0f, kAll);
    root.local.Scale(1.5f, kAll);
    root.local.SetPositionXyz(1, 2, 3, kAll);
    root.local.changeCount = 12;
    root.local.forwardW = 4.0f;
    for (const uint32_t flags : {0u, 1u, kAll}) {
        root.world = Transform();
        root.UpdateWorldTransform(flags);
        EXPECT_TRUE(SameBytes(root.world, root.local)) << "flags " << flags;
    }
}

TEST_F(FrameTest, ChildWorldIsLocalThenParentWorldDownTheTree) {
    ProbeFrame* root = Make("root");
    ProbeFrame* child = Make("child");
    ProbeFrame* grandchild = Make("grandchild");
    child->AttachToParent(root, 0);
    grandchild->AttachToParent(child, 0);
    root->local.RotateZ(30.0f, kAll);
    root->local.SetPositionXyz(5, 6, 7, kAll);
    child->local.RotateX(-45.0f, kAll);
    child->local.Scale(3.0f, kAll);
    child->local.SetPositionXyz(1, 0, 0, kAll);
    child->local.changeCount = 5;
    grandchild->local.RotateY(10.0f, kAll);
    grandchild->local.SetPositionXyz(0, 2, 0, kAll);

    root->UpdateWorldTransform(kAll);
    const Matrix34 childWorld = Product(child->local.matrix, root->local.matrix);
    ExpectMatrixNear(child->world.matrix, childWorld, 1e-5f);
    ExpectMatrixNear(grandchild->world.matrix, Product(grandchild->local.matrix, childWorld), 1e-5f);
    EXPECT_EQ(child->world.changeCount, 0u);
    EXPECT_FLOAT_EQ(grandchild->world.scale, 3.0f);
    for (const Frame* frame : {static_cast<Frame*>(child), static_cast<Frame*>(grandchild)}) {
        Matrix34 inverse;
        ASSERT_EQ(InvertMatrix(&frame->world.matrix, &inverse), 0);
        ExpectMatrixNear(frame->world.inverse, inverse, 1e-5f);
        const float* row2 = frame->world.matrix.rows[2];
        const float length = std::sqrt(row2[0] * row2[0] + row2[1] * row2[1] + row2[2] * row2[2]);
        EXPECT_NEAR(frame->world.forward.x, row2[0] / length, 1e-6f);
        EXPECT_NEAR(frame->world.forward.z, row2[2] / length, 1e-6f);
    }
    Destroy(root);
}

TEST_F(FrameTest, WithoutTheInverseBitOnlyTheWorldMatrixFollows) {
    ProbeFrame* root = Make("root");
    ProbeFrame* child = Make("child");
    child->AttachToParent(root, 0);
    root->local.Scale(2.0f, kAll);
    root->UpdateWorldTransform(kAll);
    const Transform stale = child->world;

    root->local.Scale(1.5f, kAll);
    root->local.RotateY(90.0f, kAll);
    root->local.SetPositionXyz(0, 0, 9, kAll);
    child->world.changeCount = 77;
    root->UpdateWorldTransform(Frame::kRefreshParentBounds);

    ExpectMatrixNear(child->world.matrix, Product(child->local.matrix, root->local.matrix), 1e-6f);
    EXPECT_EQ(child->world.changeCount, 0u);
    EXPECT_EQ(std::memcmp(&child->world.inverse, &stale.inverse, sizeof(Matrix34)), 0);
    EXPECT_EQ(child->world.scale, stale.scale);
    EXPECT_EQ(child->world.forward.z, stale.forward.z);
    Destroy(root);
}

TEST_F(FrameTest, ParentBoundsAreRefreshedOnceAfterTheWholeSubtree) {
    const BoundingSphere own = Sphere(0, 0, 0, 1);
    ProbeFrame* top = Make("top");
    ProbeFrame* middle = Make("middle");
    ProbeFrame* bottom = Make("bottom");
    top->ownSphere = middle->ownSphere = bottom->ownSphere = &own;
    middle->AttachToParent(top, 0);
    bottom->AttachToParent(middle, 0);
    bottom->local.SetPositionXyz(0, 0, 30, kAll);
    middle->local.SetPositionXyz(10, 0, 0, kAll);
    // Stale on purpose: only a refresh of the middle frame's bounds would
    // replace it.
    middle->subtreeSphere = Sphere(0, 0, 0, 4);

    middle->UpdateWorldTransform(kAll);
    EXPECT_EQ(middle->subtreeSphere.radius, 4.0f) << "bit 0x20 passed on to a child";
    EXPECT_FLOAT_EQ(top->subtreeSphere.radius, 14.0f);
    Destroy(top);
}

// Bounds.

TEST_F(FrameTest, SubtreeSphereKeepsTheOwnCentreAndReachesEveryChild) {
    BoundingSphere own = Sphere(1, 0, 0, 1);
    own.spare = 7.0f;
    const BoundingSphere childOwn = Sphere(0, 0, 0, 2);
    ProbeFrame* parent = Make("parent");
    ProbeFrame* child = Make("child");
    parent->ownSphere = &own;
    child->ownSphere = &childOwn;
    child->local.Scale(2.0f, kAll);
    child->local.SetPositionXyz(10, 0, 0, kAll);
    child->AttachToParent(parent, 0);

    parent->UpdateBounds(0, 0);
    // 9 from the own centre to the child's, plus 2 scaled by 2.
    EXPECT_FLOAT_EQ(parent->subtreeSphere.radius, 13.0f);
    EXPECT_EQ(parent->subtreeSphere.centre.x, 1.0f);
    EXPECT_EQ(parent->subtreeSphere.centre.y, 0.0f);
    EXPECT_EQ(parent->subtreeSphere.spare, 7.0f);
    EXPECT_FLOAT_EQ(child->subtreeSphere.radius, 2.0f);
    Destroy(parent);
}

TEST_F(FrameTest, ChildInsideTheOwnSphereLeavesTheRadius) {
    const BoundingSphere own = Sphere(0, 0, 0, 10);
    const BoundingSphere small = Sphere(0, 0, 0, 1);
    ProbeFrame* parent = Make("parent");
    ProbeFrame* child = Make("child");
    parent->ownSphere = &own;
    child->ownSphere = &small;
    child->local.SetPositionXyz(0, 3, 0, kAll);
    child->AttachToParent(parent, 0);
    parent->UpdateBounds(0, 0);
    EXPECT_EQ(parent->subtreeSphere.radius, 10.0f);
    Destroy(parent);
}

TEST_F(FrameTest, BoundsRefreshTheFirstChildChainOnlyAndTakeLaterChildrenAsTheyStand) {
    const BoundingSphere own = Sphere(0, 0, 0, 1);
    ProbeFrame* root = Make("root");
    ProbeFrame* a = Make("a");
    ProbeFrame* a1 = Make("a1");
    ProbeFrame* b = Make("b");
    ProbeFrame* b1 = Make("b1");
    for (Frame* frame : {root, a, a1, b, b1}) frame->ownSphere = &own;
    a->AttachToParent(root, 0);
    b->AttachToParent(root, 0);
    a1->AttachToParent(a, 0);
    b1->AttachToParent(b, 0);
    a1->local.SetPositionXyz(5, 0, 0, kAll);
    b1->local.SetPositionXyz(0, 8, 0, kAll);
    a1->subtreeSphere = own;
    b1->subtreeSphere = own;
    b->subtreeSphere = Sphere(0, 0, 0, 2);

    root->UpdateBounds(0, 0);
    EXPECT_FLOAT_EQ(a->subtreeSphere.radius, 6.0f);
    EXPECT_EQ(b->subtreeSphere.radius, 2.0f) << "a later child was refreshed";
    EXPECT_FLOAT_EQ(root->subtreeSphere.radius, 6.0f);
    Destroy(root);
}

TEST_F(FrameTest, BoundsPropagateUpOnlyWhenAskedAndNeverWithoutAnOwnSphere) {
    const BoundingSphere own = Sphere(0, 0, 0, 1);
    const BoundingSphere big = Sphere(0, 0, 0, 50);
    ProbeFrame* top = Make("top");
    ProbeFrame* middle = Make("middle");
    top->ownSphere = &own;
    middle->ownSphere = &big;
    middle->AttachToParent(top, 0);
    top->subtreeSphere = own;

    middle->UpdateBounds(1, 0);
    EXPECT_EQ(top->subtreeSphere.radius, 1.0f);
    middle->UpdateBounds(1, 1);
    EXPECT_FLOAT_EQ(top->subtreeSphere.radius, 50.0f);

    top->subtreeSphere = own;
    middle->ownSphere = nullptr;
    middle->subtreeSphere = Sphere(0, 0, 0, 3);
    middle->UpdateBounds(1, 1);
    EXPECT_EQ(middle->subtreeSphere.radius, 3.0f);
    EXPECT_EQ(top->subtreeSphere.radius, 1.0f);
    Destroy(top);
}

// Sphere queries of the frame itself.

TEST_F(FrameTest, BoundingSphereIsTheOwnSphereInWorldCoordinates) {
    const BoundingSphere own = Sphere(1, 0, 0, 3);
    Frame frame;
    BoundingSphere out = Sphere(0, 0, 0, 0);
    out.spare = -2.0f;
    EXPECT_NE(frame.GetBoundingSphere(&out), 0);

    frame.ownSphere = &own;
    frame.local.Scale(2.0f, kAll);
    frame.local.SetPositionXyz(5, 0, 0, kAll);
    frame.UpdateWorldTransform(kAll);
    EXPECT_EQ(frame.GetBoundingSphere(&out), 0);
    EXPECT_FLOAT_EQ(out.centre.x, 7.0f);
    EXPECT_FLOAT_EQ(out.radius, 6.0f);
    EXPECT_EQ(out.spare, -2.0f);
}

TEST_F(FrameTest, RayDistanceIsMeasuredInWorldUnits) {
    const BoundingSphere own = Sphere(0, 0, 0, 1);
    Frame frame;
    const Vector3 origin(0, 0, 0);
    const Vector3 alongZ(0, 0, 1);
    EXPECT_EQ(frame.RayDistance(&origin, &alongZ, 0), -1.0f);

    frame.ownSphere = &own;
    frame.local.RotateY(40.0f, kAll);
    frame.local.SetPositionXyz(0, 0, 10, kAll);
    frame.UpdateWorldTransform(kAll);
    EXPECT_NEAR(frame.RayDistance(&origin, &alongZ, 0), 9.0f, 1e-5f);
    const Vector3 away(0, 0, -1);
    EXPECT_EQ(frame.RayDistance(&origin, &away, 0), 0.0f);
    const Vector3 alongX(1, 0, 0);
    EXPECT_EQ(frame.RayDistance(&origin, &alongX, 0), 0.0f);

    // From the centre of a sphere scaled by 2, the way out is 2 world units.
    frame.local.Scale(2.0f, kAll);
    frame.UpdateWorldTransform(kAll);
    const Vector3 centre(0, 0, 10);
    EXPECT_NEAR(frame.RayDistance(&centre, &alongZ, 0), 2.0f, 1e-5f);
}

TEST_F(FrameTest, ContainsPointScalesTheMarginIntoLocalUnits) {
    const BoundingSphere own = Sphere(0, 0, 0, 1);
    Frame frame;
    const Vector3 point(12.5f, 0, 0);
    EXPECT_EQ(frame.ContainsPoint(&point, 0.0f, 0), -1);

    frame.ownSphere = &own;
    frame.local.Scale(2.0f, kAll);
    frame.local.SetPositionXyz(10, 0, 0, kAll);
    frame.UpdateWorldTransform(kAll);
    // 2.5 world units from the centre of a sphere of world radius 2.
    EXPECT_EQ(frame.ContainsPoint(&point, 0.0f, 0), 0);
    EXPECT_EQ(frame.ContainsPoint(&point, 1.0f, 0), 1);
    EXPECT_EQ(frame.ContainsPoint(&point, 0.4f, 0), 0);
}

// Names, draws and updates.

TEST_F(FrameTest, FindByNameSearchesDepthFirstParentsBeforeChildren) {
    ProbeFrame* root = Make("root");
    ProbeFrame* a = Make("a");
    ProbeFrame* a1 = Make("twin");
    ProbeFrame* b = Make("twin");
    ProbeFrame* b1 = Make("only-below-b");
    a->AttachToParent(root, 0);
    b->AttachToParent(root, 0);
    a1->AttachToParent(a, 0);
    b1->AttachToParent(b, 0);

    EXPECT_EQ(root->FindByName("root"), root);
    EXPECT_EQ(root->FindByName("twin"), a1);
    EXPECT_EQ(root->FindByName("only-below-b"), b1);
    EXPECT_EQ(root->FindByName("missing"), nullptr);
    EXPECT_EQ(root->FindByName(nullptr), nullptr);
    // Started below, the search covers that subtree and the later siblings.
    EXPECT_EQ(b->FindByName("a"), nullptr);
    EXPECT_EQ(a->FindByName("only-below-b"), b1);
    Destroy(root);
}

TEST_F(FrameTest, FindByNameComparesSixteenCharactersAndGoesOnToTheNextRoot) {
    ProbeFrame* first = Make("first");
    ProbeFrame* second = Make("sixteen-chars-xxAAAA");
    ProbeFrame* child = Make("child");
    child->AttachToParent(second, 0);
    second->InsertAfter(first);

    EXPECT_EQ(first->FindByName("sixteen-chars-xxBBBB"), second);
    EXPECT_EQ(first->FindByName("child"), child);
    Destroy(first);
    Destroy(second);
}

TEST_F(FrameTest, HiddenChildrenAreNotDrawnAndFrozenOnesNotUpdated) {
    ProbeFrame* root = Make("root");
    ProbeFrame* hidden = Make("hidden");
    ProbeFrame* frozen = Make("frozen");
    ProbeFrame* below = Make("below");
    hidden->AttachToParent(root, 0);
    frozen->AttachToParent(root, 0);
    below->AttachToParent(hidden, 0);
    hidden->flags |= Frame::kFlagHidden;
    frozen->flags |= Frame::kFlagFrozen;

    root->Frame::Draw();
    EXPECT_EQ(log_, (std::vector<std::string>{"draw frozen"}));
    log_.clear();
    root->Frame::Update();
    EXPECT_EQ(log_, (std::vector<std::string>{"update hidden", "update below"}));
    log_.clear();
    Destroy(root);
}

// A child that leaves the tree during its own update does not end the pass.
class LeavingFrame : public ProbeFrame {
public:
    using ProbeFrame::ProbeFrame;
    void Update() override {
        ProbeFrame::Update();
        Detach(0, 0);
    }
};

TEST_F(FrameTest, UpdateGoesOnPastAChildThatDetachesItself) {
    ProbeFrame* root = Make("root");
    LeavingFrame* leaving = new LeavingFrame("leaving", &log_);
    ProbeFrame* after = Make("after");
    leaving->AttachToParent(root, 0);
    after->AttachToParent(root, 0);
    root->Frame::Update();
    EXPECT_EQ(log_, (std::vector<std::string>{"update leaving", "update after"}));
    EXPECT_EQ(root->firstChild, after);
    Destroy(root);
    Destroy(leaving);
}

// Picks.

class FramePickTest : public FrameTest {
protected:
    void SetUp() override {
        FrameTest::SetUp();
        root_ = Make("root");
        child_ = Make("child");
        root_->ownSphere = &own_;
        child_->ownSphere = &own_;
        child_->local.SetPositionXyz(0, 0, 20, kAll);
        child_->AttachToParent(root_, 0);
        root_->UpdateWorldTransform(kAll);
        child_->subtreeSphere = own_;
        root_->subtreeSphere = own_;  // stale: does not reach the child yet
    }
    void TearDown() override {
        Destroy(root_);
        FrameTest::TearDown();
    }

    // A ray down the z axis towards both frames, or along `origin` + t z.
    PickQuery RayQuery(const Vector3& origin) const {
        PickQuery query;
        query.flags = PickQuery::kGivesObjectList | PickQuery::kGivesMaxHits | PickQuery::kGivesRay;
        query.objectList = root_;
        query.maxHits = 4;
        query.origin = origin;
        query.direction = Vector3(0, 0, 1);
        return query;
    }
    PickQuery PointQuery(const Vector3& centre, float radius) const {
        PickQuery query;
        query.flags = PickQuery::kGivesObjectList | PickQuery::kGivesMaxHits | PickQuery::kGivesSphere;
        query.objectList = root_;
        query.maxHits = 4;
        query.sphere = Sphere(centre.x, centre.y, centre.z, radius);
        return query;
    }
    static std::vector<const NamedObject*> Hits(const PickQuery& query) {
        std::vector<const NamedObject*> hits;
        for (const PickHit* hit = query.firstHit; hit != nullptr; hit = hit->next) hits.push_back(hit->object);
        return hits;
    }

    const BoundingSphere own_ = Sphere(0, 0, 0, 1);
    // A point query never reports the object that asks, so the tree is
    // searched on behalf of a frame outside it.
    Frame asker_;
    ProbeFrame* root_ = nullptr;
    ProbeFrame* child_ = nullptr;
};

TEST_F(FramePickTest, RayQueryReachesChildrenOnlyThroughTheSubtreeBounds) {
    // Aimed at the child alone: the root's stale bounds hide it.
    PickQuery query = RayQuery(Vector3(0, 0, 15));
    EXPECT_EQ(root_->CollectRayHits(&query), kStatusOk);
    EXPECT_TRUE(Hits(query).empty());
    EXPECT_EQ(child_->collectCalls, 0);

    root_->UpdateBounds(0, 0);
    query = RayQuery(Vector3(0, 0, 15));
    EXPECT_EQ(root_->CollectRayHits(&query), kStatusOk);
    EXPECT_EQ(Hits(query), (std::vector<const NamedObject*>{child_}));
    EXPECT_NEAR(query.firstHit->distance, 4.0f, 1e-5f);
}

TEST_F(FramePickTest, RayQueryCollectsTheFrameAndItsChildrenNearestFirst) {
    root_->UpdateBounds(0, 0);
    PickQuery query = RayQuery(Vector3(0, 0, -10));
    EXPECT_EQ(root_->CollectRayHits(&query), kStatusOk);
    ASSERT_EQ(Hits(query), (std::vector<const NamedObject*>{root_, child_}));
    EXPECT_NEAR(query.firstHit->distance, 9.0f, 1e-5f);
    EXPECT_NEAR(query.firstHit->next->distance, 29.0f, 1e-5f);
    EXPECT_EQ(query.flags & (PickQuery::kInsideWalk | PickQuery::kTestingObjects), 0u);
}

TEST_F(FramePickTest, RayQueryCarriesTheRayIntoTurnedFrames) {
    root_->local.RotateX(90.0f, kAll);
    root_->local.SetPositionXyz(3, 0, 0, kAll);
    root_->UpdateWorldTransform(kAll);
    root_->UpdateBounds(0, 0);
    // The parent's +z is the world's -y after the turn.
    PickQuery query = RayQuery(Vector3(3, -20, -10));
    EXPECT_EQ(root_->CollectRayHits(&query), kStatusOk);
    ASSERT_EQ(Hits(query), (std::vector<const NamedObject*>{child_}));
    EXPECT_NEAR(query.firstHit->distance, 9.0f, 1e-5f);
}

TEST_F(FramePickTest, PointQueryReachesChildrenOnlyThroughTheSubtreeBounds) {
    PickQuery query = PointQuery(Vector3(0, 0, 20.5f), 0.1f);
    EXPECT_EQ(asker_.CollectPointHits(&query), kStatusOk);
    EXPECT_TRUE(Hits(query).empty());

    root_->UpdateBounds(0, 0);
    query = PointQuery(Vector3(0, 0, 20.5f), 0.1f);
    EXPECT_EQ(asker_.CollectPointHits(&query), kStatusOk);
    EXPECT_EQ(Hits(query), (std::vector<const NamedObject*>{child_}));

    query = PointQuery(Vector3(0, 0, 10), 10.5f);
    EXPECT_EQ(asker_.CollectPointHits(&query), kStatusOk);
    EXPECT_EQ(Hits(query), (std::vector<const NamedObject*>{root_, child_}));
}

TEST_F(FramePickTest, PointQueryDividesTheRadiusByTheWorldScale) {
    root_->local.Scale(4.0f, kAll);
    root_->UpdateWorldTransform(kAll);
    // The root's world radius is 4; a sphere of radius 1.5 at 5 touches it.
    PickQuery query = PointQuery(Vector3(5, 0, 0), 1.5f);
    EXPECT_EQ(asker_.CollectPointHits(&query), kStatusOk);
    EXPECT_EQ(Hits(query), (std::vector<const NamedObject*>{root_}));
    query = PointQuery(Vector3(5, 0, 0), 0.5f);
    EXPECT_EQ(asker_.CollectPointHits(&query), kStatusOk);
    EXPECT_TRUE(Hits(query).empty());

    // The child sits 80 out with world radius 4. With the stale bounds (4
    // world units) a sphere of radius 30 at 60 misses the subtree only when
    // its radius is taken in local units, although it touches the child.
    query = PointQuery(Vector3(0, 0, 60), 30.0f);
    EXPECT_EQ(asker_.CollectPointHits(&query), kStatusOk);
    EXPECT_TRUE(Hits(query).empty());
    root_->UpdateBounds(0, 0);
    query = PointQuery(Vector3(0, 0, 60), 30.0f);
    EXPECT_EQ(asker_.CollectPointHits(&query), kStatusOk);
    EXPECT_EQ(Hits(query), (std::vector<const NamedObject*>{child_}));
}

TEST_F(FramePickTest, AChildsFailureEndsTheWalk) {
    ProbeFrame* second = Make("second");
    second->ownSphere = &own_;
    second->AttachToParent(root_, kAll);
    root_->UpdateBounds(0, 0);
    child_->forcedResult = kStatusNoCamera;

    PickQuery query = RayQuery(Vector3(0, 0, -10));
    EXPECT_EQ(root_->CollectRayHits(&query), kStatusNoCamera);
    EXPECT_EQ(second->collectCalls, 0);
    query = PointQuery(Vector3(0, 0, 0), 1.0f);
    EXPECT_EQ(asker_.CollectPointHits(&query), kStatusNoCamera);
    EXPECT_EQ(second->collectCalls, 0);
}

TEST_F(FramePickTest, QueriesWithoutAWalkInProgressAreRefused) {
    EXPECT_EQ(root_->CollectRayHits(nullptr), kStatusNothingToDo);
    EXPECT_EQ(root_->CollectPointHits(nullptr), kStatusNothingToDo);

    PickQuery query = RayQuery(Vector3(0, 0, -10));
    query.flags |= PickQuery::kTestingObjects | PickQuery::kPrepared;
    EXPECT_EQ(root_->CollectRayHits(&query), kStatusNothingToDo);
    query.flags = PickQuery::kTestingObjects | PickQuery::kInsideWalk;
    EXPECT_EQ(root_->CollectPointHits(&query), kStatusNothingToDo);
    EXPECT_EQ(query.firstHit, nullptr);
}

TEST_F(FramePickTest, QueriesWithoutAnArenaFail) {
    engine_->World().Release();
    PickQuery query = RayQuery(Vector3(0, 0, -10));
    EXPECT_EQ(root_->CollectRayHits(&query), kStatusNoArena);
}

}  // namespace
