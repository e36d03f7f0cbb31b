// The flight's side of the game state: object groups, the factory and the
// network defaults, light holders, and forgetting an object that leaves.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "engine/RecordArray.h"
#include "game/GameState.h"
#include "game/LightHolder.h"
#include "game/ObjectGroups.h"
#include "objects/space/SpaceObject.h"
#include "scene/Light.h"
#include "scene/SceneObject.h"

namespace {

// Counts its updates; asks to go after a given number of them, and may
// register a newcomer the first time.
class Effect : public NamedObject {
public:
    Effect(int* updates, bool* deleted, int goAfter, uint32_t how)
        : NamedObject(0), updates_(updates), deleted_(deleted), goAfter_(goAfter), how_(how) {}
    ~Effect() override { *deleted_ = true; }
    void Draw() override {}
    void Update() override {
        if (++*updates_ == goAfter_) flags |= how_;
        if (spawnInto != nullptr) {
            spawnInto->Register(spawned, nullptr, 1);
            spawnInto = nullptr;
        }
    }
    ObjectGroups* spawnInto = nullptr;
    NamedObject* spawned = nullptr;

private:
    int* updates_;
    bool* deleted_;
    int goAfter_;
    uint32_t how_;
};

TEST(ObjectGroupsTest, ObjectsGoWhenTheyAskAndNewcomersWaitAFrame) {
    ObjectGroups groups;
    int nowUpdates = 0, laterUpdates = 0, newcomerUpdates = 0;
    bool nowGone = false, laterGone = false, newcomerGone = false;
    auto* const now = new Effect(&nowUpdates, &nowGone, 2, ObjectGroups::kRemoveNow);
    auto* const later = new Effect(&laterUpdates, &laterGone, 2, ObjectGroups::kRemoveNext);
    now->spawnInto = &groups;
    now->spawned = new Effect(&newcomerUpdates, &newcomerGone, 100, 0);
    const int key = 0;
    groups.Register(now, &key, 1);
    groups.Register(later, nullptr, 1);

    groups.Walk();
    EXPECT_EQ(newcomerUpdates, 0);   // registered during the walk
    EXPECT_EQ(groups.Count(), 3);
    groups.Walk();
    EXPECT_TRUE(nowGone);
    EXPECT_FALSE(laterGone);         // one more update first
    EXPECT_EQ(newcomerUpdates, 1);
    groups.Walk();
    EXPECT_TRUE(laterGone);
    EXPECT_EQ(laterUpdates, 3);
    groups.Clear();
    EXPECT_TRUE(newcomerGone);
}

SpaceObject* Make(int kind) {
    auto* const object = new SpaceObject;
    object->groupKey = uint32_t(kind);
    return object;
}

TEST(GameStateFlightTest, FactoryNetworkAndJammerDefaults) {
    GameState game;
    EXPECT_EQ(game.CreateObject(3, "x", nullptr, nullptr), nullptr);   // nobody filled it
    EXPECT_EQ(game.CreateObject(17, "x", nullptr, nullptr), nullptr);
    GameState::RegisterObjectKind(3, [](const char*, const void*, SpaceObject*) { return Make(3); });
    std::unique_ptr<SpaceObject> made(game.CreateObject(3, "x", nullptr, nullptr));
    ASSERT_NE(made, nullptr);
    EXPECT_EQ(made->groupKey, 3u);
    GameState::RegisterObjectKind(3, nullptr);
    EXPECT_EQ(game.NetCreateObject(made.get()), 1);
    EXPECT_FALSE(game.IsNetworkGame() || game.IsHost() || game.IsClient());

    auto* const jammer = reinterpret_cast<ShipSystem*>(made.get());
    game.AddActiveJammer(jammer);
    game.AddActiveJammer(jammer);
    EXPECT_EQ(game.ActiveJammers().Count(), 1);
    game.RemoveActiveJammer(jammer);
    EXPECT_EQ(game.ActiveJammers().Count(), 0);

    // Objects added as a chain go after their groups in the mission.
    Mission mission;
    game.mission = &mission;
    std::vector<std::unique_ptr<SpaceObject>> world;
    for (int kind : {5, 2, 5}) world.emplace_back(Make(kind));
    world[0]->next = world[1].get();
    world[1]->next = world[2].get();
    game.AddObjectsToWorld(world[0].get(), 0);
    EXPECT_EQ(mission.firstObject, world[0].get());
    EXPECT_EQ(world::Next(world[0].get()), world[2].get());
    EXPECT_EQ(world::Next(world[2].get()), world[1].get());
    for (auto& object : world) world::Remove(mission.firstObject, object.get());
    game.mission = nullptr;
}

// Held by every pointer of the game state and by two light holders, an
// object is forgotten and deleted; the next pass reads none of it (ASan
// would say so) and the holders go with their lights.
TEST(GameStateFlightTest, AForgottenObjectIsNeverReadAgain) {
    GameState game;
    auto* const ship = new SpaceObject;
    game.playerShip = game.viewedObject = game.chaseObject = game.chaseReference = ship;
    game.specialObject = game.trackedPlayerMissile = game.lastPlayerMissile = game.lastSpeaker = ship;
    game.rotatingObject = ship;
    game.viewSwitches[0] = game.playerView = 1;
    game.scriptRecordObjects.Append(ship);
    game.pendingRadio = new RadioMessage(nullptr, "Break left!", ship, nullptr, 3000);
    auto* const flash = new FlashLightHolder(new PointLight(Vector3{0, 0, 0}), ship);
    game.Lights().Add(flash);
    game.weaponFlash = flash;
    game.Lights().Add(new ProjectileLightHolder(new PointLight(Vector3{0, 0, 0}), ship, 0));
    game.Lights().Add(new TimedLightHolder(new Light, 60000));
    game.Simulate();
    EXPECT_EQ(game.Lights().Holders().size(), 3u);

    game.ForgetObject(ship);
    delete ship;
    game.Simulate();
    for (SpaceObject* field : {game.playerShip, game.viewedObject, game.chaseObject, game.chaseReference,
                               game.specialObject, game.trackedPlayerMissile, game.lastPlayerMissile,
                               game.lastSpeaker, game.rotatingObject, game.scriptRecordObjects[0],
                               game.pendingRadio->speaker}) {
        EXPECT_EQ(field, nullptr);
    }
    EXPECT_EQ(game.viewSwitches[0] + game.playerView, 0);
    ASSERT_EQ(game.Lights().Holders().size(), 1u);   // the timed light stays
    EXPECT_EQ(game.Lights().chain, game.Lights().Holders()[0]->light);
    game.ClearFlight();
    EXPECT_EQ(game.weaponFlash, nullptr);
}

}  // namespace

#include "game/DataDirectories.h"
#include "scene/OstrelSystem.h"
#include "tests/support/TempDir.h"
#include "tools/mkdata/SampleTree.h"

namespace {

// The scene library loads a file once and finds its objects by name after.
TEST(GameStateFlightTest, TheSceneLibraryLoadsAFileOnce) {
    const TempDir dir;
    std::string error;
    ASSERT_TRUE(WriteSampleTree(dir.Str(), &error)) << error;
    ASSERT_TRUE(g_dataDirs.Find(dir.Str()));
    OstrelSystem engine(OstrelSystem::kGameHeapSize, OstrelSystem::kGameHeapMode);
    ASSERT_EQ(engine.Start(OstrelSystem::kGameArenaSize1, OstrelSystem::kGameArenaSize2, nullptr), kStatusOk);
    {
        GameState game;
        game.defaultPalette = game.LoadPalette("Vorn");
        const std::string path = g_dataDirs.Prefix(DataDir::kMesh) + "figure.iff";
        SceneObject* const torso = game.AttachToScene("TORSO", path.c_str(), nullptr);
        ASSERT_NE(torso, nullptr);
        EXPECT_NE(torso->firstChild, nullptr);
        EXPECT_EQ(game.AttachToScene("U_ARML", nullptr, nullptr), nullptr);   // linked under the torso, not on top
        EXPECT_EQ(game.AttachToScene("TORSO", nullptr, nullptr), torso);
        EXPECT_EQ(game.AttachToScene("Nothing", path.c_str(), nullptr), nullptr);   // read again: a second torso
        EXPECT_EQ(game.AttachToScene("TORSO", nullptr, nullptr), torso);
    }
    g_dataDirs.Clear();
}

}  // namespace
