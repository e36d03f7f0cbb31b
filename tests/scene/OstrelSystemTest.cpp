#include "scene/OstrelSystem.h"

#include <gtest/gtest.h>

#include "display/FontContext.h"
#include "engine/Arena.h"
#include "engine/EngineHeap.h"
#include "engine/MathRoutineTable.h"
#include "engine/SubHeap.h"
#include "engine/TaskLayer.h"
#include "engine/TimerSystem.h"
#include "tests/support/FakeClock.h"
#include "tests/support/FakeCpu.h"
#include "tests/support/FakeMultimediaTimer.h"
#include "tests/support/ScopedInstall.h"

namespace {

constexpr uint32_t kAmdEbx = 0x68747541, kAmdEdx = 0x69746E65, kAmdEcx = 0x444D4163;

class OstrelSystemTest : public ::testing::Test {
protected:
    void SetUp() override { TimerSystem::ResetForTesting(); }
    void TearDown() override {
        MathRoutineTable::InstallX87();
        TimerSystem::ResetForTesting();
        EXPECT_FALSE(EngineHeap::IsReserved());
    }
    void GiveProcessor3dNow() {
        cpu_.SetLeaf(0, {1, kAmdEbx, kAmdEcx, kAmdEdx});
        cpu_.SetLeaf(1, {0, 0, 0, 0x800000});
        cpu_.SetLeaf(0x80000000, {0x80000001, 0, 0, 0});
        cpu_.SetLeaf(0x80000001, {0, 0, 0, 0x80000000});
    }
    void GiveProcessorMmxOnly() {
        cpu_.SetLeaf(0, {2, 0x756E6547, 0x6C65746E, 0x49656E69});
        cpu_.SetLeaf(1, {0, 0, 0, 0x800000});
    }

    FakeCpu cpu_;
    FakeClock clock_;
    FakeMultimediaTimer timer_;
    ScopedInstall<platform::Cpu> installedCpu_{cpu_};
    ScopedInstall<platform::Clock> installedClock_{clock_};
    ScopedInstall<platform::MultimediaTimer> installedTimer_{timer_};
};

TEST_F(OstrelSystemTest, LivesInTheRuntimeHeapAndOwnsTheEngineHeap) {
    OstrelSystem* engine = new OstrelSystem(OstrelSystem::kGameHeapSize, OstrelSystem::kGameHeapMode);
    ASSERT_NE(engine, nullptr);
    ASSERT_TRUE(EngineHeap::IsReserved());
    EXPECT_FALSE(EngineHeap::Contains(engine));
    EXPECT_EQ(g_worldContext, &engine->World());
    // The main task's block is the heap's first block, taken before any arena.
    ASSERT_NE(engine->TaskHandle(), nullptr);
    EXPECT_TRUE(EngineHeap::Contains(engine->TaskHandle()));
    EXPECT_EQ(TaskLayer::CurrentTask(), engine->TaskHandle());
    EXPECT_EQ(engine->World().arena1, nullptr);
    EXPECT_EQ(TimerSystem::StartCount(), 0);
    delete engine;
}

TEST_F(OstrelSystemTest, PublishesItsColourTablesBuiltForGammaOne) {
    OstrelSystem* engine = new OstrelSystem(OstrelSystem::kGameHeapSize, OstrelSystem::kGameHeapMode);
    ASSERT_NE(engine, nullptr);
    ASSERT_EQ(g_colorTables, &engine->Colors());
    EXPECT_EQ(g_colorTables->gamma, 1.0f);
    for (int i = 0; i < 256; ++i) EXPECT_EQ(g_colorTables->gammaCurve[i], i) << i;
    EXPECT_EQ(g_colorTables->shadeTable[255][31], 30);
    EXPECT_EQ(g_colorTables->shadeTable[128][31], 15);
    EXPECT_EQ(g_colorTables->currentCanvas, nullptr);
    for (TextureManager* slot : g_colorTables->textureManagers) EXPECT_EQ(slot, nullptr);
    delete engine;
    // Nothing may reach the tables of a deleted engine object.
    EXPECT_EQ(g_colorTables, nullptr);
}

TEST_F(OstrelSystemTest, StartAndDeleteLeaveNoHeapNoWorldContextAndNoTimers) {
    OstrelSystem* engine = new OstrelSystem(OstrelSystem::kGameHeapSize, OstrelSystem::kGameHeapMode);
    ASSERT_NE(engine, nullptr);
    alignas(16) uint8_t poolBlock[OstrelSystem::kGameTaskPoolSize];
    SubHeap* pool = SubHeap::Init(poolBlock, sizeof poolBlock);
    ASSERT_EQ(engine->Start(OstrelSystem::kGameArenaSize1, OstrelSystem::kGameArenaSize2, pool), kStatusOk);
    EXPECT_EQ(TaskLayer::Pool(), pool);
    EXPECT_EQ(TimerSystem::StartCount(), 1);
    EXPECT_EQ(TimerSystem::Period(), 54u);
    ASSERT_NE(engine->World().arena1, nullptr);
    ASSERT_NE(engine->World().arena2, nullptr);
    EXPECT_EQ(engine->World().arenaSize1, OstrelSystem::kGameArenaSize1);
    EXPECT_EQ(engine->World().arena1->BlockSize(), OstrelSystem::kGameArenaSize1);
    EXPECT_TRUE(EngineHeap::Contains(engine->World().arena2));

    delete engine;
    EXPECT_EQ(g_worldContext, nullptr);
    EXPECT_FALSE(EngineHeap::IsReserved());
    EXPECT_EQ(TimerSystem::StartCount(), 0);
    EXPECT_EQ(TimerSystem::Period(), 0u);
    EXPECT_TRUE(clock_.ActivePeriods().empty());
    EXPECT_EQ(TaskLayer::CurrentTask(), nullptr);
    // With the heap gone, allocations fall back to the runtime heap.
    void* later = EngineAllocate(64);
    ASSERT_NE(later, nullptr);
    EXPECT_FALSE(EngineHeap::Contains(later));
    EngineRelease(later);
    TaskLayer::SetPool(nullptr);
}

TEST_F(OstrelSystemTest, ArenaThatCannotBeHadFailsTheStartAndIsCleanedUpByDelete) {
    OstrelSystem* engine = new OstrelSystem(0x40000, EngineHeap::kModeExact);
    ASSERT_NE(engine, nullptr);
    const uint64_t inUseBefore = EngineHeap::BytesInUse();
    // The first arena fits, the second cannot.
    EXPECT_EQ(engine->Start(0x10000, 0x80000, nullptr), kStatusOutOfMemory);
    EXPECT_NE(engine->World().arena1, nullptr);
    EXPECT_EQ(engine->World().arena2, nullptr);
    EXPECT_GT(EngineHeap::BytesInUse(), inUseBefore);
    delete engine;
    EXPECT_FALSE(EngineHeap::IsReserved());
}

TEST_F(OstrelSystemTest, AnArenaTooSmallForItsHeaderIsRefused) {
    OstrelSystem engine(0x40000, EngineHeap::kModeExact);
    EXPECT_EQ(engine.World().Init(0x1000, 0), kStatusOutOfMemory);
    EXPECT_EQ(engine.World().arena2, nullptr);
}

TEST_F(OstrelSystemTest, InitTwiceGivesBackTheFirstArenasBeforeTakingNewOnes) {
    OstrelSystem engine(0x100000, EngineHeap::kModeExact);
    // The main task block and the font layer's blocks.
    const uint64_t layers = EngineHeap::BytesInUse();
    ASSERT_EQ(engine.World().Init(0x20000, 0x8000), kStatusOk);
    engine.World().arena1->Alloc(0x30000);  // chains a block behind the first
    ASSERT_EQ(engine.World().arena1->ChainLength(), 1);
    const uint64_t freesBefore = EngineHeap::FreeCount();
    ASSERT_EQ(engine.World().Init(0x20000, 0x8000), kStatusOk);
    EXPECT_EQ(EngineHeap::FreeCount(), freesBefore + 3);
    // Only the layers' blocks and the two new arenas remain.
    EXPECT_EQ(EngineHeap::BytesInUse(), layers + 0x20010u + 0x8010u);
}

TEST_F(OstrelSystemTest, ProcessorWithout3dNowKeepsTheX87Routines) {
    GiveProcessorMmxOnly();
    OstrelSystem engine(0x100000, EngineHeap::kModeExact);
    ASSERT_EQ(engine.World().Init(0x1000, 0x1000), kStatusOk);
    EXPECT_EQ(engine.World().flags, WorldContext::kFlagMmx);
    EXPECT_EQ(engine.World().Use3dNowMath(), kStatusNo3dNow);
    EXPECT_EQ(engine.World().flags, WorldContext::kFlagMmx);
    EXPECT_EQ(g_mathRoutineTable.normalizeVector, &NormalizeVector);
}

TEST_F(OstrelSystemTest, ProcessorWithout3dNowOrMmxLeavesTheFlagsClear) {
    cpu_.SetCanToggleIdFlag(false);
    OstrelSystem engine(0x100000, EngineHeap::kModeExact);
    ASSERT_EQ(engine.World().Init(0x1000, 0x1000), kStatusOk);
    EXPECT_EQ(engine.World().flags, 0u);
}

TEST_F(OstrelSystemTest, ProcessorWith3dNowCanSwitchRoutinesBothWays) {
    GiveProcessor3dNow();
    OstrelSystem engine(0x100000, EngineHeap::kModeExact);
    ASSERT_EQ(engine.World().Init(0x1000, 0x1000), kStatusOk);
    EXPECT_EQ(engine.World().flags, WorldContext::kFlagMmx | WorldContext::kFlag3dNow);
    ASSERT_EQ(engine.World().Use3dNowMath(), kStatusOk);
    EXPECT_TRUE(engine.World().flags & WorldContext::kFlag3dNowMathInstalled);
    EXPECT_EQ(g_mathRoutineTable.normalizeVector, &NormalizeVector3dNowTable);
    engine.World().UseX87Math();
    EXPECT_FALSE(engine.World().flags & WorldContext::kFlag3dNowMathInstalled);
    EXPECT_EQ(g_mathRoutineTable.normalizeVector, &NormalizeVector);
}

TEST_F(OstrelSystemTest, AHeapThatCannotBeReservedLeavesEverythingOnTheRuntimeHeap) {
    OstrelSystem engine(100, EngineHeap::kModeExact);
    EXPECT_FALSE(EngineHeap::IsReserved());
    // The main task block comes straight from the engine heap, so there is none.
    EXPECT_EQ(engine.TaskHandle(), nullptr);
    EXPECT_EQ(engine.Start(0x1000, 0x1000, nullptr), kStatusOutOfMemory);
}

TEST(OstrelSystemFonts, TheEngineObjectStartsTheFontsAndItsDeletionStopsThem) {
    OstrelSystem* engine = new OstrelSystem(0x40000, EngineHeap::kModeExact);
    ASSERT_NE(engine, nullptr);
    ASSERT_NE(g_fontContext, nullptr);
    EXPECT_TRUE(EngineHeap::Contains(g_fontContext));
    delete engine;
    EXPECT_EQ(g_fontContext, nullptr);
    EXPECT_FALSE(EngineHeap::IsReserved());
}

}  // namespace
