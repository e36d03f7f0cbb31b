// Hits on crafts and their ends, and the systems a pilot switches: where a
// hit is applied in a network game, what a destroying hit tells the network,
// friendly fire, the spread of structural damage, the knock, the heavy-damage
// trail; ECM reports, the cloak's reserve, jammer reports and the repair rate.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "engine/Random.h"
#include "game/CareerRecord.h"
#include "game/Cockpit.h"
#include "game/GameMessages.h"
#include "net/NetPacket.h"
#include "net/NetPacketType.h"
#include "objects/effects/StreamEffect.h"
#include "objects/ships/Craft.h"
#include "objects/space/ObjectPart.h"
#include "objects/systems/CountermeasureSystems.h"
#include "objects/systems/EnergySystem.h"
#include "objects/systems/RepairSystem.h"
#include "tests/support/GoldenImage.h"
#include "tests/support/world/RecordingNetSession.h"
#include "tests/support/world/WorldBuilder.h"

namespace {

uint16_t PacketType(const std::vector<uint8_t>& bytes) { return uint16_t(bytes[0] | bytes[1] << 8); }

int32_t Word(const std::vector<uint8_t>& bytes, size_t at) {
    return int32_t(uint32_t(bytes[at]) | uint32_t(bytes[at + 1]) << 8 | uint32_t(bytes[at + 2]) << 16 |
                   uint32_t(bytes[at + 3]) << 24);
}

// A system that takes any damage up to a large maximum, to see where it lands.
class Sponge : public ShipSystem {
public:
    explicit Sponge(Craft* owner) : ShipSystem(owner, 0, kArmor + 100) { maxDamage = 1 << 20; }
};

class CraftDamageTest : public ::testing::Test {
protected:
    CraftDamageTest() {
        GameRandomSeed(7);
        craft_ = Ship(1, 77);
        enemy_ = Ship(2, 78);
    }
    ~CraftDamageTest() override { builder_.Game().netSession = nullptr; }

    // An active ship with a wing part, a sponge system and 1000 hit points.
    Craft* Ship(int32_t side, int32_t uoid) {
        Craft* const ship = builder_.SpawnAs<Craft>(builder_.Template("SHIP0", {{"WING0FLHW", {}}}), uint32_t(side));
        ship->uoid = uoid;
        ship->side = side;
        ship->active = 1;
        ship->mass = 100.0f;
        ship->SetHitPoints(1000);
        ship->AddSystem(0, new Sponge(ship));
        return ship;
    }
    static DamageRecord Structural(SpaceObject* source, int32_t amount) {
        DamageRecord record;
        record.source = source;
        record.amounts[2] = amount;
        return record;
    }
    int32_t SpongeDamage(Craft* ship) { return ship->parts[0]->systems[0]->damage; }

    WorldBuilder builder_;
    Craft* craft_ = nullptr;
    Craft* enemy_ = nullptr;
};

// Each half of the damage goes to the hull or to a system in line, until
// the halves run out; a destroying hit ends the craft and tells the network
// as the machine's role asks.
TEST_F(CraftDamageTest, HitsAreAppliedWhereTheyBelongAndDestroyingHitsAreAnnounced) {
    // Single player: applied. 1000 spreads as 500 + 250 + ... + 1 = 994.
    EXPECT_EQ(craft_->TakeDamage(0, Structural(enemy_, 1000), enemy_), 0);
    EXPECT_EQ(1000 - craft_->hitPoints + SpongeDamage(craft_), 994);
    EXPECT_EQ(craft_->lastAttacker.Get(), enemy_);

    struct Case {
        bool host;
        int32_t type;
        bool applied;
    } cases[] = {
        {true, SpaceObject::kTypeAiShip, true},       // the host decides for its AI ships
        {false, SpaceObject::kTypeAiShip, false},     // a client leaves it to the host
        {false, SpaceObject::kTypePlayerShip, true},  // but applies hits on its own ship
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.host) + " " + std::to_string(c.type));
        RecordingNetSession session(c.host);
        builder_.Game().netSession = &session;
        Craft* const ship = Ship(1, 90);
        ship->type = c.type;
        EXPECT_EQ(ship->TakeDamage(0, Structural(enemy_, 1000), enemy_), 0);
        EXPECT_EQ(ship->hitPoints < 1000 || SpongeDamage(ship) > 0, c.applied);

        // A hit that cannot miss the hull's last point ends the craft.
        ship->hitPoints = 1;
        for (int i = 0; i < 20 && ship->dead == 0; ++i) ship->TakeDamage(0, Structural(enemy_, 1 << 20), enemy_);
        if (!c.applied) {
            EXPECT_EQ(ship->dead, 0);
            EXPECT_TRUE(session.sent.empty());
        } else if (c.host) {
            EXPECT_EQ(ship->dead, 1);
            ASSERT_EQ(session.sent.size(), 1u);
            EXPECT_EQ(PacketType(session.sent[0].bytes), kObjectDestroy);
            EXPECT_EQ(session.sent[0].to, RecordingNetSession::kToAll);
            ASSERT_EQ(session.kills.size(), 1u);
            EXPECT_EQ(session.kills[0].killer, 78);
            EXPECT_EQ(session.kills[0].victim, 90);
        } else {
            ASSERT_EQ(session.sent.size(), 2u);
            EXPECT_EQ(PacketType(session.sent[0].bytes), kDestructionRequest);
            EXPECT_EQ(PacketType(session.sent[1].bytes), kDeath);
            EXPECT_EQ(Word(session.sent[1].bytes, 8), 78);   // the killer, then the ship
            EXPECT_EQ(Word(session.sent[1].bytes, 12), 90);
            EXPECT_EQ(session.sent[1].to, 1u);
            EXPECT_EQ(ship->dead, 1);   // the player's ship paid for it
        }
        builder_.Game().netSession = nullptr;
    }

    // A dead or invulnerable ship takes nothing.
    craft_->dead = 1;
    const int32_t before = craft_->hitPoints;
    EXPECT_EQ(craft_->TakeDamage(0, Structural(enemy_, 1000), enemy_), 0);
    EXPECT_EQ(craft_->hitPoints, before);
}

// Many small hits, as short frames of fire bring, add up to their sum: what
// one hit's halving spread leaves over goes with the next (a hit of 3 alone
// spreads only 1, so 300 of them would do 100).
TEST_F(CraftDamageTest, SmallHitsAddUpToTheirSum) {
    for (int i = 0; i < 300; ++i) EXPECT_EQ(craft_->TakeDamage(0, Structural(enemy_, 3), enemy_), 0);
    const int32_t dealt = 1000 - craft_->hitPoints + SpongeDamage(craft_);
    EXPECT_GE(dealt, 890);
    EXPECT_LE(dealt, 900);
}

TEST_F(CraftDamageTest, FriendlyFireCountsHitsSpacedAQuarterSecondApart) {
    Craft* const player = Ship(1, 10);
    player->type = SpaceObject::kTypePlayerShip;
    builder_.Game().playerShip = player;
    craft_->type = SpaceObject::kTypeAiShip;
    Cockpit& cockpit = builder_.Game().TheCockpit();
    std::vector<int32_t> warnedAt;
    const uint32_t gaps[] = {0, 100, 150, 250, 10, 260, 300, 300, 300, 300, 300, 300, 300, 300};
    for (const uint32_t gap : gaps) {
        builder_.Clock().Advance(gap);
        craft_->TakeDamage(0, Structural(player, 2), player);
        if (std::string(cockpit.WarningAt(builder_.Clock().Milliseconds())) == msg::kWarningFriendlyFire) {
            warnedAt.push_back(craft_->friendlyHits);
        }
        cockpit.ShowWarning("", 0);
    }
    // A hit 100 ms after a counted one does not count, one 250 ms after does;
    // past ten the ship turns on the player and its hits are no longer friendly.
    EXPECT_EQ(craft_->friendlyHits, 11);
    EXPECT_EQ(craft_->side, -11);
    EXPECT_EQ(warnedAt, (std::vector<int32_t>{4, 7, 10}));

    // An enemy's hit, or one without a source, is no friendly fire.
    enemy_->type = SpaceObject::kTypeAiShip;
    builder_.Clock().Advance(1000);
    enemy_->TakeDamage(0, Structural(player, 2), player);
    craft_->TakeDamage(0, Structural(nullptr, 2), nullptr);
    EXPECT_EQ(enemy_->friendlyHits, 0);
    EXPECT_EQ(craft_->friendlyHits, 11);
}

TEST_F(CraftDamageTest, KnocksAreCappedAndHeavyDamageTrailsExhaust) {
    const auto knock = [this](int32_t amount) {
        craft_->angularVelocity = {};
        GameRandomSeed(3);
        DamageRecord record;
        record.amounts[1] = amount;   // armour's share: it knocks but never reaches the hull
        craft_->TakeDamage(-1, record, enemy_);
        return craft_->angularVelocity.Length();
    };
    EXPECT_NEAR(knock(500), 500 * 0.002f * 100000.0f / 100.0f, 1e-2f);
    EXPECT_FLOAT_EQ(knock(600), knock(500));
    craft_->mass = 0.0f;
    EXPECT_FLOAT_EQ(knock(500), 0.0f);

    craft_->type = SpaceObject::kTypePlayerShip;
    craft_->hitPoints = 390;   // below 40 %
    craft_->TakeDamage(-1, DamageRecord{}, enemy_);
    EXPECT_NE(dynamic_cast<StreamEffect*>(craft_->parts[0]->attached), nullptr);
    EXPECT_STREQ(builder_.Game().TheCockpit().WarningAt(builder_.Clock().Milliseconds()), msg::kWarningHullDamage);
    PartAttachment* const trail = craft_->parts[0]->attached;
    craft_->TakeDamage(-1, DamageRecord{}, enemy_);
    EXPECT_EQ(craft_->parts[0]->attached, trail);   // one trail
}

TEST_F(CraftDamageTest, TheCloakHoldsOneReserveAndMasksEmissions) {
    const int16_t enrg[3] = {100, 10, 20};
    EnergySystem* const energy = EnergySystem::FromWords(craft_, 0, enrg, 50);
    craft_->AddSystem(0, energy);
    energy->InitPowerSplit();
    const int16_t clok[5] = {30, 80, 0, 25, 40};
    auto* const cloak = new CloakSystem(craft_, 0, clok, 50);
    cloak->powerDraw = 20;
    craft_->AddSystem(0, cloak);

    cloak->TurnOn();
    cloak->TurnOn();
    EXPECT_EQ(energy->reserved, 40);
    EXPECT_EQ(craft_->empLevel, 30);   // one surge
    EXPECT_EQ(craft_->cloaked, 80);
    craft_->powerDrawCache = -1;
    const int32_t masked = craft_->GetTotalPowerDraw();
    cloak->TurnOff();
    EXPECT_EQ(energy->reserved, 0);
    EXPECT_EQ(craft_->cloaked, 0);
    EXPECT_EQ(masked, (craft_->GetTotalPowerDraw() + cloak->powerDraw) * 25 / 100);

    // Without an energy system only a cloak that reserves nothing engages,
    // and it drops at its next update.
    energy->output = 0;
    cloak->TurnOn();
    EXPECT_EQ(cloak->Update(16, energy), 0);
    const int16_t free[5] = {0, 50, 0, 100, 0};
    CloakSystem costless(enemy_, 0, free, 50);
    costless.TurnOn();
    EXPECT_EQ(costless.active, 1);
    EXPECT_EQ(costless.Update(16, nullptr), 0);
}

TEST_F(CraftDamageTest, JammersReportTheirOwnStateAndEcmIsReportedByClients) {
    auto* const first = new JammerSystem(craft_, 0, 2000, 60, 50);
    auto* const second = new JammerSystem(enemy_, 0, 1500, 100, 50);
    craft_->AddSystem(0, first);
    enemy_->AddSystem(0, second);
    first->TurnOn();
    second->TurnOn();
    EXPECT_EQ(builder_.Game().ActiveJammers().Count(), 2);
    EXPECT_EQ(first->GetNetState(), 2000 | 60 << 16);
    EXPECT_EQ(second->GetNetState(), 1500 | 100 << 16);
    first->TurnOff();
    second->TurnOff();
    // Asked in the other order, each still reports its own -1 once.
    EXPECT_EQ(second->GetNetState(), -1);
    EXPECT_EQ(first->GetNetState(), -1);
    EXPECT_EQ(first->GetNetState(), 0);
    EXPECT_EQ(second->GetNetState(), 0);

    // The player-info packet carries the low half of the report.
    second->TurnOn();
    enemy_->SetHitPoints(300);
    NetPacket on, off;
    on.BuildObjectPacket(kPlayerInfo, enemy_);
    second->TurnOff();
    off.BuildObjectPacket(kPlayerInfo, enemy_);
    ASSERT_EQ(on.GetSize(), NetPacket::kPlayerInfoBytes);
    EXPECT_TRUE(MatchesGoldenBytes(std::vector<uint8_t>(on.GetData(), on.GetData() + on.GetSize()), "net_player_info.bin"));
    EXPECT_EQ(off.GetData()[130] | off.GetData()[131] << 8, 0xFFFF);

    // A jammer deleted while on leaves the list.
    second->TurnOn();
    builder_.Remove(enemy_);
    EXPECT_EQ(builder_.Game().ActiveJammers().Count(), 0);

    // ECM_STATUS goes out for the pilot's own ship only, a client's to the
    // server and the host's to everybody: a copy of another's, switched at
    // the host's word, tells nobody.
    const int16_t words[3] = {40, 30, 1000};
    for (const bool host : {false, true}) {
        RecordingNetSession session(host);
        builder_.Game().netSession = &session;
        const auto kind = craft_->type;
        craft_->type = SpaceObject::kTypeAiShip;
        EcmSystem copy(craft_, 0, words, 50);
        copy.TurnOn();
        EXPECT_TRUE(session.sent.empty());
        craft_->type = SpaceObject::kTypePlayerShip;
        EcmSystem ecm(craft_, 0, words, 50);
        ecm.TurnOn();
        ecm.TurnOff();
        craft_->type = kind;
        ASSERT_EQ(session.sent.size(), 2u);
        EXPECT_EQ(PacketType(session.sent[0].bytes), kEcmStatus);
        EXPECT_EQ(Word(session.sent[0].bytes, 12), 1000);
        EXPECT_EQ(session.sent[0].bytes[16], 30);   // against mode 3, then mode 2
        EXPECT_EQ(session.sent[0].bytes[17], 40);
        EXPECT_EQ(Word(session.sent[1].bytes, 12), -1);
        EXPECT_EQ(session.sent[1].to, host ? RecordingNetSession::kToAll : 1u);
        builder_.Game().netSession = nullptr;
    }
}

// Rate 3 a second for 10 s: 30 points, whatever the frame length.
TEST_F(CraftDamageTest, TheRepairUnitKeepsItsRateThroughTheCarry) {
    for (const int32_t frame : {100, 16}) {
        SCOPED_TRACE(frame);
        Craft* const ship = Ship(1, 200 + frame);
        const int16_t enrg[3] = {100, 10, 20};
        EnergySystem* const energy = EnergySystem::FromWords(ship, 0, enrg, 500);
        ship->AddSystem(0, energy);
        energy->SetDamage(400);
        auto* const repair = new RepairSystem(ship, 0, 1000, 3);
        ship->AddSystem(0, repair);
        ASSERT_TRUE(repair->SetRepairTarget(energy));
        for (int32_t t = 0; t < 10000; t += frame) repair->Update(frame, nullptr);
        EXPECT_NEAR(400 - energy->damage, 30, 1);
        EXPECT_EQ(repair->pointsLeft, 1000 - (400 - energy->damage));

        // Another craft's system, or an undamaged one, is refused.
        EXPECT_FALSE(repair->SetRepairTarget(enemy_->parts[0]->systems[0]));
        energy->SetDamage(0);
        repair->target = nullptr;
        EXPECT_FALSE(repair->SetRepairTarget(energy));
        RepairSystem idle(ship, 0, 10, 0);
        EXPECT_EQ(idle.Update(100, nullptr), 1);   // a rate of 0 repairs nothing, and divides by nothing
    }

    // Reset switches the countermeasures off and fills the pool again.
    const int16_t ecmWords[3] = {40, 30, 1000};
    auto* const ecm = new EcmSystem(craft_, 0, ecmWords, 50);
    auto* const jammer = new JammerSystem(craft_, 0, 2000, 60, 50);
    auto* const repair = new RepairSystem(craft_, 0, 100, 3);
    for (ShipSystem* system : std::vector<ShipSystem*>{ecm, jammer, repair}) craft_->AddSystem(0, system);
    ecm->TurnOn();
    jammer->TurnOn();
    repair->pointsLeft = 5;
    craft_->ResetSystems();
    EXPECT_EQ(ecm->switchedOn + jammer->active, 0);
    EXPECT_EQ(repair->pointsLeft, 100);
    EXPECT_EQ(builder_.Game().ActiveJammers().Count(), 0);
}

TEST_F(CraftDamageTest, DestructionCountsTheKillOfAnotherSide) {
    enemy_->accuracy = new AccuracyRecord;
    craft_->cloakFade = 5;
    craft_->Destroy(enemy_, 0);
    EXPECT_EQ(enemy_->accuracy->kills, 1);
    EXPECT_EQ(craft_->cloakFade, 0);
    EXPECT_EQ(craft_->killer.Get(), enemy_);
    Craft* const friendShip = Ship(2, 300);
    friendShip->Destroy(enemy_, 0);
    EXPECT_EQ(enemy_->accuracy->kills, 1);   // same side: no kill
    delete enemy_->accuracy;
    enemy_->accuracy = nullptr;
}

}  // namespace
