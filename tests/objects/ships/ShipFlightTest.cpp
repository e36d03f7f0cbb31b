// Ships in flight: a death that ends in debris and maybe a respawn, jumps
// at any frame rate, the cloak fade, wings that outlive none of their
// ships, and the radio queue of an AI ship.
#include <gtest/gtest.h>

#include <algorithm>

#include <cstring>
#include <string>
#include <vector>

#include "ai/WingGroup.h"
#include "engine/Random.h"
#include "game/CommLine.h"
#include "game/EffectRegistries.h"
#include "game/EffectTypes.h"
#include "game/GameState.h"
#include "net/NetGameSettings.h"
#include "objects/effects/TimedEffect.h"
#include "objects/ships/AiShip.h"
#include "objects/ships/PlayerShip.h"
#include "objects/space/Debris.h"
#include "objects/space/ObjectPart.h"
#include "objects/space/WorldPass.h"
#include "objects/systems/ShieldSystem.h"
#include "scene/Camera.h"
#include "scene/FaceRecord.h"
#include "scene/Model.h"
#include "tests/support/world/RecordingNetSession.h"
#include "tests/support/world/WorldBuilder.h"

namespace {

const spawn_records::AiShip* const kNoRecord = nullptr;

class ShipFlightTest : public ::testing::Test {
protected:
    ShipFlightTest() {
        GameRandomSeed(3);
        RegisterSpaceObjects();
        builder_.Game().flightCamera = &camera_;
    }
    ~ShipFlightTest() override {
        builder_.Game().flightCamera = nullptr;
        builder_.Game().netSession = nullptr;
        builder_.Game().netSettings = nullptr;
        builder_.Game().ClearFlight();
    }

    Craft* Ship(int32_t type = SpaceObject::kTypeAiShip) {
        Craft* const ship = builder_.SpawnAs<Craft>(
            builder_.Template("SHIP0", {{"WING0FLHW", {}}, {"WING0FRHW", {}}, {"ENGN0RR0E", {}}, {"SHLD0S00S", {}}}), 14);
        ship->type = type;
        ship->Activate(0);
        ship->SetHitPoints(100);
        return ship;
    }

    void Frame(uint32_t ms) {
        builder_.Clock().Advance(ms);
        builder_.Game().Simulate();
    }

    int32_t Count(int32_t type) const {
        int32_t n = 0;
        for (const SpaceObject* object : builder_.World()) n += object->type == type;
        return n;
    }

    WorldBuilder builder_;
    Camera camera_;
};

// The explosion names a type nobody defined: it removes itself at once, and
// the death must go on without it (ASan watches the pointer it leaves).
TEST_F(ShipFlightTest, ADeathEndsInOneDebrisPerSolidPartAndARespawnWhereTheRulesSay) {
    struct Case {
        const char* what;
        int32_t respawns;
        uint32_t gameType;   // 0: no network game
        bool back;
        bool randomSpot;
    } cases[] = {
        {"single player", 0, 0, false, false},
        {"its own respawn flag", 1, 0, true, false},
        {"host of a respawning free-for-all", 0, 6, true, true},
        {"host of a game that does not respawn", 0, 1, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        RecordingNetSession session(true);
        NetGameSettings settings;
        settings.gameType = c.gameType;
        if (c.gameType != 0) {
            builder_.Game().netSession = &session;
            builder_.Game().netSettings = &settings;
        }
        SpaceObject* const station = builder_.Spawn(builder_.Ball("STATION", 50.0f), 3);
        station->classWord = 33;
        station->Activate(0);
        station->SetPositionFlags({5000.0f, 0.0f, 0.0f}, Transform::kAllFlags | 0x10);

        Craft* const ship = Ship();
        ship->respawns = c.respawns;
        ship->spawnPoint[2] = 777.0f;
        ship->SetPositionFlags({0.0f, 0.0f, 10.0f}, Transform::kAllFlags | 0x10);
        ship->explosionNames.Append(EngineCopyText("Nowhere"));
        int32_t solid = 0;
        for (const ObjectPart* part : ship->parts) solid += part->solid != 0;
        const int32_t debrisBefore = Count(SpaceObject::kTypeDebris);

        SpaceObject* const killer = builder_.Spawn(builder_.Ball("ROCK", 5.0f), 4);
        ship->Explode(killer, 0);
        EXPECT_EQ(ship->dead, 1);
        EXPECT_NE(ship->firstExplosion, nullptr);
        for (int frame = 0; frame < 5 && ship->dead != 0; ++frame) Frame(50);
        EXPECT_EQ(ship->dead, 0);
        EXPECT_EQ(ship->firstExplosion, nullptr);
        EXPECT_EQ(Count(SpaceObject::kTypeDebris) - debrisBefore, solid);
        EXPECT_EQ(ship->active != 0, c.back);
        // A craft that comes back forgets its killer; its death keeps it.
        EXPECT_EQ(ship->killer.Get(), c.back ? nullptr : killer);
        EXPECT_EQ(ship->deathKiller.Get(), killer);
        EXPECT_EQ(ship->deaths, 1);
        if (c.back && !c.randomSpot) {
            EXPECT_FLOAT_EQ(ship->Position().z, 777.0f);
        }
        if (c.randomSpot) {
            EXPECT_NEAR(ship->Position().Difference(station->Position()).Length(), 150.0f, 1.0f);
        }
        builder_.Game().netSession = nullptr;
        builder_.Game().netSettings = nullptr;
        builder_.Remove(ship);
        builder_.Remove(station);
        builder_.Remove(killer);
    }
}

TEST_F(ShipFlightTest, AJumpEndsEighteenHundredMillisecondsOnAtAnyFrameRate) {
    SpaceObject* const gate = builder_.Spawn(builder_.Ball("GATE", 60.0f), 3);
    gate->SetPositionFlags({0.0f, 0.0f, 6000.0f}, Transform::kAllFlags | 0x10);
    for (const uint32_t frameMs : {100u, 10u}) {
        SCOPED_TRACE(frameMs);
        Craft* const ship = Ship();
        ship->velocity = {0.0f, 0.0f, 50.0f};
        Frame(frameMs);
        const uint32_t start = builder_.Clock().Milliseconds();
        ship->Jump(gate);
        EXPECT_FLOAT_EQ(ship->Position().z, 6000.0f);
        EXPECT_FLOAT_EQ(ship->velocity.Length(), 0.0f);
        while (ship->active != 0 && builder_.Clock().Milliseconds() - start < 5000) Frame(frameMs);
        const uint32_t took = builder_.Clock().Milliseconds() - start;
        EXPECT_GE(took, Craft::kJumpMs);
        EXPECT_LT(took, Craft::kJumpMs + frameMs);
        EXPECT_EQ(ship->jumpDeadline, 0);
        builder_.Remove(ship);
    }
}

// Cloaking for a few frames and then not fades back without ever hiding
// the hull; a full fade hides it until the cloak drops.
TEST_F(ShipFlightTest, TheCloakFadesInAndOutOverTenFrames) {
    Craft* const ship = Ship();
    SceneObject* const wing = ship->parts[0]->node;
    ship->cloaked = 1;
    for (int i = 0; i < 4; ++i) Frame(50);
    ship->cloaked = 0;
    for (int i = 0; i < 6; ++i) {
        Frame(50);
        EXPECT_EQ(wing->flags & SpaceObject::kFlagHiddenObject, 0u);
    }
    EXPECT_EQ(ship->cloakFade, 0);
    ship->cloaked = 1;
    for (int i = 0; i < 10; ++i) Frame(50);
    EXPECT_NE(wing->flags & SpaceObject::kFlagHiddenObject, 0u);
    ship->cloaked = 0;
    Frame(50);
    EXPECT_EQ(wing->flags & SpaceObject::kFlagHiddenObject, 0u);
}

// A hit lights the face of its sector; the ripple spreads to faces that
// share an edge with a lit one (never to one that shares a corner only),
// fades, and ends with the mesh hidden again.
TEST_F(ShipFlightTest, AShieldRippleSpreadsAlongEdgesAndDiesOut) {
    Model mesh;
    MeshVertex vertices[6] = {};
    FaceRecord faces[3];
    const uint16_t corners[3][3] = {{0, 1, 2}, {1, 2, 3}, {3, 4, 5}};
    for (int i = 0; i < 3; ++i) {
        faces[i].a = corners[i][0];
        faces[i].b = corners[i][1];
        faces[i].c = corners[i][2];
    }
    mesh.vertexCount = 6;
    mesh.vertices = vertices;
    mesh.faceCount = 3;
    mesh.faces = faces;
    Craft* const ship = Ship();
    auto* const bubble = new SceneObject(&mesh);
    bubble->AttachToParent(ship, 0);
    bubble->flags |= SpaceObject::kFlagHiddenObject;
    ship->shieldMesh = bubble;
    // Every sector starts at face 0 (the ship's own shield part made the array).
    ASSERT_NE(ship->shieldSectors, nullptr);
    std::memset(ship->shieldSectors, 0, sizeof(int32_t) * Craft::kShieldSectors);

    const Vector3 from{0.0f, 0.0f, 1.0f};
    ship->ShowShieldHit(&from, 100);
    ASSERT_NE(ship->shieldHit, nullptr);
    ShieldRipple* const first = ship->shieldHit;
    ship->ShowShieldHit(&from, 10);   // one ripple at a time
    EXPECT_EQ(ship->shieldHit, first);
    Frame(50);
    EXPECT_EQ(bubble->flags & SpaceObject::kFlagHiddenObject, 0u);
    EXPECT_NE(faces[1].flags & 0x2, 0u);   // the neighbour across an edge
    bool cornerLit = false;
    for (int frame = 0; frame < 20 && ship->shieldHit != nullptr; ++frame) {
        cornerLit = cornerLit || (faces[2].flags & 0x2) != 0;
        Frame(50);
    }
    EXPECT_FALSE(cornerLit);
    EXPECT_EQ(ship->shieldHit, nullptr);
    EXPECT_NE(bubble->flags & SpaceObject::kFlagHiddenObject, 0u);
    for (const FaceRecord& face : faces) EXPECT_EQ(face.flags & 0x2, 0u);
    builder_.Remove(ship);
    mesh.vertices = nullptr;
    mesh.faces = nullptr;
}

// Whichever ship of a wing goes first takes the wing with it, and no other
// ship keeps a pointer to it (ASan watches the rest of the flight).
TEST_F(ShipFlightTest, AWingGoesWithTheFirstOfItsShipsAndNobodyKeepsIt) {
    for (const bool playerFirst : {true, false}) {
        SCOPED_TRACE(playerFirst);
        SpaceObject* const model = builder_.Template("FIGHT0000");
        auto* const player = builder_.SpawnAs<PlayerShip>(model, 15);
        auto* const first = builder_.SpawnAs<AiShip>(model, 16, kNoRecord);
        auto* const second = builder_.SpawnAs<AiShip>(model, 16, kNoRecord);
        auto* const wing = new WingGroup("Alpha");
        player->SetWingGroup(wing);
        first->CreateBrain(wing);
        second->CreateBrain(wing);
        EXPECT_EQ(wing->GetMember(0), player);
        EXPECT_EQ(wing->MemberCount(), 2);

        builder_.Remove(playerFirst ? static_cast<SpaceObject*>(player) : first);
        EXPECT_EQ(second->wingGroup, nullptr);
        if (playerFirst) {
            EXPECT_EQ(first->wingGroup, nullptr);
            builder_.Remove(first);
        } else {
            EXPECT_EQ(player->wingGroup, nullptr);
            builder_.Remove(player);
        }
        builder_.Remove(second);
        builder_.Game().playerShip = nullptr;
    }
}

// A line is shown at once; while it shows, the next waits with the ship
// and a third is dropped; the waiting one goes out when the screen is free
// and the player near. Lines of no weight or no uses are never said.
TEST_F(ShipFlightTest, AnAiShipQueuesOneLineAndDropsTheRest) {
    GameState& game = builder_.Game();
    const auto line = [&game](const char* text, int32_t weight, int32_t uses, const char* keyword = "ENEMY") {
        auto made = std::make_unique<CommLine>();
        made->text = text;
        made->keyword = keyword;
        made->weight = weight;
        made->usesLeft = uses;
        made->displayTime = 3000;
        game.commLines.push_back(std::move(made));
    };
    line("Never: weightless", 0, -1);
    line("Never: used up", 10, 0);
    line("Bandits!", 10, 5);
    line("Never: another keyword", 1000, 5, "FRIEND");
    auto* const player = builder_.SpawnAs<PlayerShip>(builder_.Template("PL0500"), 15);
    auto* const pilot = builder_.SpawnAs<AiShip>(builder_.Template("RD0500"), 16, kNoRecord);
    pilot->SetPositionFlags({0.0f, 0.0f, 100.0f}, Transform::kAllFlags | 0x10);

    pilot->SayCommMessage(nullptr);   // a generic face speaks only when asked
    EXPECT_EQ(game.shownRadio, nullptr);
    for (int i = 0; i < 3; ++i) pilot->SayCommMessage("ENEMY");
    ASSERT_NE(game.shownRadio, nullptr);
    EXPECT_STREQ(game.shownRadio->text, "Bandits!");
    ASSERT_NE(pilot->pendingMessage, nullptr);
    EXPECT_EQ(game.commLines[2]->usesLeft, 2);
    EXPECT_EQ(game.commLine, game.commLines[2].get());

    RadioMessage* const waiting = pilot->pendingMessage;
    game.DropRadioMessage(game.shownRadio);
    pilot->UpdateParts(50);
    EXPECT_EQ(game.shownRadio, waiting);
    EXPECT_EQ(pilot->pendingMessage, nullptr);
    builder_.Remove(pilot);
    EXPECT_EQ(game.shownRadio->speaker, nullptr);
    builder_.Remove(player);
}

// A ship whose model carries the number 99 breaks into debris that trail
// red sparks instead of smoke: each piece feeds its trail while it flies,
// the trail fades once the piece is gone, and nobody keeps a dead trail.
TEST_F(ShipFlightTest, AShipNumber99sDebrisTrailSparksInsteadOfSmoke) {
    for (const char* model : {"2399SPARK", "2305PLAIN"}) {
        SCOPED_TRACE(model);
        const bool sparking = std::strcmp(model, "2399SPARK") == 0;
        Craft* const ship = builder_.SpawnAs<Craft>(builder_.Template(model, {{"WING0FLHW", {}}, {"WING0FRHW", {}}}), 14);
        ship->Activate(0);
        ship->SetHitPoints(100);
        ship->explosionNames.Append(EngineCopyText("Nowhere"));
        ship->Explode(nullptr, 0);
        for (int frame = 0; frame < 5 && ship->dead != 0; ++frame) Frame(50);
        ASSERT_EQ(ship->dead, 0);
        std::vector<Debris*> pieces;
        for (SpaceObject* object : builder_.World()) {
            if (object->type == SpaceObject::kTypeDebris) pieces.push_back(dynamic_cast<Debris*>(object));
        }
        ASSERT_FALSE(pieces.empty());
        for (Debris* piece : pieces) {
            ASSERT_NE(piece, nullptr);
            EXPECT_EQ(piece->sparks != nullptr, sparking);
            EXPECT_EQ(piece->parts.Count() > 0 && piece->parts[0]->attached != nullptr, !sparking);
        }
        if (sparking) {
            DebrisSparks* const trail = pieces[0]->sparks;
            const auto live = [trail] {
                uint32_t n = 0;
                for (uint32_t i = 0; i < trail->capacity; ++i) n += trail->members[i] != nullptr;
                return n;
            };
            EXPECT_GT(live(), 0u);
            Frame(50);
            // Fed each frame, drawn where the piece is.
            EXPECT_GT(live(), 2u);
            EXPECT_LT(trail->origin.Difference(pieces[0]->Position()).Length(), pieces[0]->velocity.Length() * 0.1f + 1.0f);
            builder_.Remove(pieces[0]);
            pieces.erase(pieces.begin());
            for (int frame = 0; frame < DebrisSparks::kFadeUpdates + 2; ++frame) Frame(50);   // faded and deleted
        }
        for (Debris* piece : pieces) builder_.Remove(piece);
        builder_.Remove(ship);
    }
}

// A ship that dies fully cloaked is seen whole at once: every solid part
// shown, every face opaque again.
TEST_F(ShipFlightTest, AShipDyingCloakedIsSeenWholeAtOnce) {
    Craft* const ship = Ship();
    SceneObject* const wing = ship->parts[1]->node;
    ASSERT_NE(wing->model, nullptr);
    FaceRecord faces[2];
    wing->model->faces = faces;
    wing->model->faceCount = 2;
    ship->cloaked = 1;
    for (int i = 0; i < 10; ++i) Frame(50);
    ASSERT_NE(wing->flags & SpaceObject::kFlagHiddenObject, 0u);
    ASSERT_NE(faces[0].flags & FaceRecord::kTranslucent, 0u);
    ship->Explode(nullptr, 0);
    EXPECT_EQ(ship->cloakFade, 0);
    EXPECT_EQ(wing->flags & SpaceObject::kFlagHiddenObject, 0u);
    for (const FaceRecord& face : faces) EXPECT_EQ(face.flags & FaceRecord::kTranslucent, 0u);
    wing->model->faces = nullptr;
    wing->model->faceCount = 0;
}

// The shield flashes toward a point it is told of, starting a ripple of
// its depletion's colour in the sector facing it.
TEST_F(ShipFlightTest, AShieldFlashesTowardAPoint) {
    Model mesh;
    MeshVertex vertices[3] = {};
    FaceRecord faces[2];
    faces[0].a = faces[1].a = 0;
    faces[0].b = faces[1].b = 1;
    faces[0].c = faces[1].c = 2;
    mesh.vertexCount = 3;
    mesh.vertices = vertices;
    mesh.faceCount = 2;
    mesh.faces = faces;
    Craft* const ship = Ship();
    auto* const bubble = new SceneObject(&mesh);
    bubble->AttachToParent(ship, 0);
    ship->shieldMesh = bubble;
    ASSERT_NE(ship->shieldSectors, nullptr);
    for (int i = 0; i < Craft::kShieldSectors; ++i) ship->shieldSectors[i] = -1;
    ship->shieldSectors[Craft::ShieldSector({0.0f, 1.0f, 0.0f})] = 1;
    const int16_t shld[4] = {100, 40, 20, 10};
    auto* const shield = ShieldSystem::FromWords(ship, 0, shld, 60);
    ship->AddSystem(0, shield);
    shield->AbsorbHitAt(ship->Position().Sum({0.0f, 300.0f, 0.0f}));   // from above
    ASSERT_NE(ship->shieldHit, nullptr);
    EXPECT_EQ(ship->shieldHit->faceCounters[1], 4);
    EXPECT_EQ(ship->shieldHit->faceCounters[0], -1);
    EXPECT_EQ(ship->shieldHit->colour, ship->shieldColours[std::min(shield->GetDepletionPercent() / 25, 3)]);
    builder_.Remove(ship);
    mesh.vertices = nullptr;
    mesh.faces = nullptr;
}

// With enhanced graphics a plain wreck's end rings with the ring animation,
// where it died and half its size; without them there is none.
TEST_F(ShipFlightTest, AWreckEndsInARingWithEnhancedGraphics) {
    Model frame;
    frame.refCount = 1;
    auto* const ring = new AnimationType;
    std::strcpy(ring->name, "Praxis");
    ring->duration = 60000;   // it lasts the test
    ring->frames = new DynArray<Model*>;
    ring->frames->Append(&frame);
    ring->frameCount = 1;
    const auto rings = [this] {
        std::vector<TimedEffect*> found;
        builder_.Game().Groups().ForEach([&](const void*, NamedObject* object) {
            if (auto* const effect = dynamic_cast<TimedEffect*>(object)) found.push_back(effect);
        });
        return found;
    };
    for (const int32_t enhanced : {0, 1}) {
        SCOPED_TRACE(enhanced);
        builder_.Game().enhancedGraphics = enhanced;
        Craft* const ship = Ship();
        ship->SetPositionFlags({30.0f, 0.0f, 600.0f}, Transform::kAllFlags | 0x10);
        const size_t before = rings().size();
        ship->Explode(nullptr, 0);
        for (int frame = 0; frame < 5 && ship->dead != 0; ++frame) Frame(50);
        ASSERT_EQ(ship->dead, 0);
        const std::vector<TimedEffect*> after = rings();
        ASSERT_EQ(after.size(), before + size_t(enhanced));
        if (enhanced != 0) {
            EXPECT_NEAR(after.back()->position.Difference({30.0f, 0.0f, 600.0f}).Length(), 0.0f, 1.0f);
            EXPECT_NEAR(after.back()->local.scale, ship->Radius() * 0.5f, 1e-3f);
        }
        builder_.Remove(ship);
    }
    builder_.Game().enhancedGraphics = 0;
    builder_.Game().ClearFlight();
    delete ring;
}

}  // namespace
