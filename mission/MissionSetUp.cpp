#include "mission/MissionSetUp.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "ai/WingGroup.h"
#include "engine/Clock.h"
#include "engine/FixedText.h"
#include "engine/PrintableText.h"
#include "engine/Random.h"
#include "engine/Saturate.h"
#include "game/CareerRecord.h"
#include "game/DataDirectories.h"
#include "game/EffectRegistries.h"
#include "game/GameState.h"
#include "game/Mission.h"
#include "mission/Goal.h"
#include "mission/MissionFile.h"
#include "mission/CooperativeEnd.h"
#include "mission/Decals.h"
#include "mission/FlightGoals.h"
#include "mission/ObjectLoader.h"
#include "mission/RandomMissionGenerator.h"
#include "mission/SkyRecords.h"
#include "net/NetGameSettings.h"
#include "net/NetPacket.h"
#include "net/NetPacketType.h"
#include "net/NetSession.h"
#include "objects/ships/AiShip.h"
#include "objects/ships/AiTables.h"
#include "objects/ships/Craft.h"
#include "objects/ships/PlayerShip.h"
#include "objects/systems/ShipSystem.h"
#include "objects/space/ChaseObject.h"
#include "objects/space/SpaceObject.h"
#include "scene/Light.h"

namespace {

constexpr int32_t kSpawnClass = 33;
constexpr float kSpawnMargin = 100.0f;
constexpr float kChaseTrail = 10.0f;
// A career's wingmen start abreast of the leader, this far apart. One
// that starts behind flies on at the leader's target and catches up with
// the place where a leader turning from the launch crosses its line; one
// abreast is past that place by then, and this far out the turn reaches
// its line late, if at all.
constexpr float kWingmanSpacing = 200.0f;
// A network game's client starts this far from every ship already flying,
// on rings round the mission's start when no spawn point is free.
constexpr float kStartApart = 150.0f;
constexpr int32_t kStartsPerRing = 8;
constexpr int32_t kStartTries = 32;
// The spots beside a spawn station stand this many to a ring.
constexpr int32_t kSpotsPerRing = 6;
// A ship brought back stands this many times the two hulls' radii from
// every other ship.
constexpr float kSpawnClearance = 2.0f;

// The wings named while a mission is set up. The ships that fly in a wing
// hold it from then on (the first of them to go deletes it); a wing no ship
// joined is deleted when the set-up ends.
std::vector<WingGroup*> g_wings;
// While a set-up runs; a ship made outside one (a joining client's) lets
// go of the wing list at once, since its ship may delete its wing any time.
bool g_settingUp = false;
std::vector<std::string> g_setUpReport;

WingGroup* WingNamed(const char* name) {
    for (WingGroup* wing : g_wings) {
        if (std::strncmp(wing->name, name, WingGroup::kNameBytes) == 0) return wing;
    }
    g_wings.push_back(new WingGroup(name));
    return g_wings.back();
}

// The wing of that name some ship of the world flies in, or null.
WingGroup* WingInWorld(const Mission& mission, const char* name) {
    for (SpaceObject* object = mission.firstObject; object != nullptr; object = object->GetNext()) {
        const auto* const pilot = dynamic_cast<const AiShip*>(object);
        if (pilot != nullptr && pilot->wingGroup != nullptr &&
            std::strncmp(pilot->wingGroup->name, name, WingGroup::kNameBytes) == 0) {
            return pilot->wingGroup;
        }
    }
    return nullptr;
}

void ReleaseWings() {
    for (WingGroup* wing : g_wings) {
        if (wing->GetMember(0) == nullptr) delete wing;
    }
    g_wings.clear();
}

SpaceObject* Build(const mission_file::Record& record, WingGroup* playerWing) {
    DefinitionLibrary& library = DefinitionLibrary::Current();
    switch (record.chunk) {
        case mission_file::kRock:
        case mission_file::kMine: {
            const auto rock = spawn_records::DecodeRock(record.bytes.data(), uint32_t(record.bytes.size()));
            const int32_t kind = record.chunk == mission_file::kRock ? SpaceObject::kTypeAsteroid : SpaceObject::kTypeMine;
            return rock ? library.LoadObjectDefinition(rock->definition, nullptr, kind, 0, &*rock) : nullptr;
        }
        case mission_file::kGate: {
            const auto gate = spawn_records::DecodeGate(record.bytes.data(), uint32_t(record.bytes.size()));
            if (!gate) return nullptr;
            SpaceObject* const object = library.LoadObjectDefinition(gate->definition, nullptr, SpaceObject::kTypeJumpGate, 0, &*gate);
            // Goals name the gate they lead through.
            if (object != nullptr && gate->name[0] != 0) object->SetName(gate->name);
            return object;
        }
        case mission_file::kDebris: {
            const auto debris = spawn_records::DecodeDebris(record.bytes.data(), uint32_t(record.bytes.size()));
            return debris ? library.LoadObjectDefinition(debris->definition, nullptr, SpaceObject::kTypeDebris, 0, &*debris)
                          : nullptr;
        }
        case mission_file::kWayPoint: {
            char definition[16];
            WayPointRecord point;
            if (!mission_file::DecodeWayPoint(record, definition, &point)) return nullptr;
            SpaceObject* const object = library.LoadObjectDefinition(definition, nullptr, SpaceObject::kTypeWayPoint, 0, &point);
            if (object != nullptr) object->SetName(point.name);
            return object;
        }
        case mission_file::kBuoy: {
            char definition[16];
            NavBuoyRecord buoy;
            if (!mission_file::DecodeBuoy(record, definition, &buoy)) return nullptr;
            SpaceObject* const object = library.LoadObjectDefinition(definition, nullptr, SpaceObject::kTypeNavBuoy, 0, &buoy);
            if (object != nullptr) object->SetName(buoy.name);
            return object;
        }
        case mission_file::kShip: {
            spawn_records::AiShip ship;
            int32_t side = 0, wingman = 0;
            if (!mission_file::DecodeShip(record, &ship, &side, &wingman)) return nullptr;
            SpaceObject* const object = library.LoadObjectDefinition(ship.definition, nullptr, SpaceObject::kTypeAiShip, 0, &ship);
            auto* const pilot = dynamic_cast<AiShip*>(object);
            if (pilot == nullptr) return object;
            library.LoadShipDefinition(pilot, nullptr, nullptr, 0);
            pilot->SetSide(side);
            if (ship.names[0][0] != 0) pilot->SetName(ship.names[0]);
            WingGroup* const wing = wingman != 0 && playerWing != nullptr ? playerWing
                                    : ship.wing[0] != 0                  ? WingNamed(ship.wing)
                                                                         : nullptr;
            pilot->CreateBrain(wing);
            return pilot;
        }
        default:
            return nullptr;
    }
}

// The fitted items as the loader takes equipment: each works from the
// model part its area is named after.
std::vector<SpobDefinition::Equipment> FittedEquipment(const ShipRecord& record) {
    std::vector<SpobDefinition::Equipment> equipment;
    for (const auto& item : record.Items()) {
        SpobDefinition::Equipment entry;
        std::strncpy(entry.id, item->id, sizeof entry.id - 1);
        std::strncpy(entry.partName, item->mountName.c_str(), sizeof entry.partName - 1);
        entry.ammunition = item->ammunition;
        equipment.push_back(entry);
    }
    return equipment;
}

}  // namespace

void FitFromRecord(Craft& craft, ShipRecord& record) {
    const std::vector<SpobDefinition::Equipment> equipment = FittedEquipment(record);
    DefinitionLibrary::Current().LoadShipDefinition(&craft, &equipment, nullptr, 0);
    craft.shipSerial = record.serial;
    ForEachFittedSystem(craft, record, [](EquipmentItem& item, ShipSystem& system) {
        if (system.maxDamage > 0) system.SetDamage(Saturate32(int64_t(item.damage) * system.maxDamage / 100));
    });
    // The hull flies as damaged as it came back, but never launches dead.
    const int32_t maximum = craft.GetMaxHitPoints(nullptr);
    const int32_t damage = std::clamp(record.damage, 0, 100);
    craft.hitPoints = std::max(1, int32_t(maximum - int64_t(maximum) * damage / 100));
}

namespace {

// Each crewed ship of the career flies in the player's wing, beside the
// player (the first on the right, the next on the left, the rest farther
// out in turn) and named after its pilot.
void LaunchWingmen(GameState& game, const SpaceObject& player, WingGroup* wing) {
    CareerRecord& career = *game.career;
    DefinitionLibrary& library = DefinitionLibrary::Current();
    int32_t slot = 0;
    for (int32_t i = 0; i < career.GetShipCount(); ++i) {
        ShipRecord* const record = career.GetShip(i);
        if (record == nullptr || record->pilot == nullptr || i == career.GetSelectedShipIndex()) continue;
        spawn_records::AiShip ship;
        CopyFixedText(ship.definition, record->hullId);
        CopyFixedText(ship.names[0], record->pilot->name.c_str());
        ship.transform[0] = ship.transform[4] = ship.transform[8] = 1.0f;
        ++slot;
        ship.position[0] = player.Position().x + float(slot % 2 == 1 ? kWingmanSpacing : -kWingmanSpacing) * float((slot + 1) / 2);
        ship.position[1] = player.Position().y;
        ship.position[2] = player.Position().z;
        ship.transform[9] = ship.position[0];
        ship.transform[10] = ship.position[1];
        ship.transform[11] = ship.position[2];
        SpaceObject* const object = library.LoadObjectDefinition(ship.definition, nullptr, SpaceObject::kTypeAiShip, 0, &ship);
        auto* const pilot = dynamic_cast<AiShip*>(object);
        if (pilot == nullptr) {
            delete object;
            continue;
        }
        FitFromRecord(*pilot, *record);
        pilot->SetSide(player.side);
        pilot->SetName(record->pilot->name.c_str());
        record->pilot->flight.Clear();
        record->pilot->flying = 1;
        pilot->accuracy = &record->pilot->flight;
        pilot->CreateBrain(wing);
        game.AddObjectsToWorld(pilot, 0);
    }
}

// A sky record makes its part of the sky; false for any other record.
bool MakeSky(const mission_file::Record& record) {
    const uint8_t* const bytes = record.bytes.data();
    const uint32_t size = uint32_t(record.bytes.size());
    switch (record.chunk) {
        case sky_records::kStarChunk: sky_records::CreateStarField(bytes, size); return true;
        case sky_records::kDustChunk: sky_records::CreateSpaceDust(nullptr, bytes, size); return true;
        case sky_records::kWallChunk: sky_records::CreateWallpaper(nullptr, bytes, size); return true;
        case sky_records::kLightChunk: sky_records::CreateMissionLight(bytes, size); return true;
        default: return false;
    }
}

// The goals whose next-goal links come back to a goal already passed: the
// chain of such a file would never end.
std::vector<int32_t> LoopingGoals() {
    std::vector<int32_t> looping;
    const int32_t count = CountGoals();
    for (Goal* start = g_goalList; start != nullptr; start = start->next) {
        int32_t steps = 0;
        for (Goal* goal = start->nextGoal; goal != nullptr && steps <= count; goal = goal->nextGoal) ++steps;
        if (steps > count) looping.push_back(start->id);
    }
    return looping;
}

// Why a goal can never be met where it stands, or null while it can: a
// kill, disable or protect goal without its subject would be decided by
// nothing, a travel goal (a jump through a gate too) with nowhere to go
// would stay open for the whole flight.
const char* WhyNeverMet(const Goal& goal) {
    const int32_t kind = goal.GetKind();
    const bool hasSubject = goal.GetSubject() != nullptr || goal.pendingSubject >= 0;
    if ((kind == Goal::kKill || kind == Goal::kDisable || kind == Goal::kProtect) && !hasSubject &&
        goal.subjectWing[0] == 0) {
        return set_up_refusal::kNoSubject;
    }
    const bool hasPlace = goal.location[0] != 0 || goal.location[1] != 0 || goal.location[2] != 0;
    if (kind == Goal::kTravel && !hasSubject && goal.destination == nullptr && !hasPlace) {
        return set_up_refusal::kNoDestination;
    }
    return nullptr;
}

int32_t CountPlayerGoals() {
    int32_t count = 0;
    for (const Goal* goal = g_goalList; goal != nullptr; goal = goal->next) count += goal->playerGoal != 0 ? 1 : 0;
    return count;
}

// True when `by` could switch `goal` on in time to be flown for: its chain
// leads there, or one of its links switches it on (a link that switches it
// off is no way in). A finish-in goal is met only after its next goal, so
// it switches that one on too late to matter; a goal that holds until the
// end switches its links only as the flight is won.
bool CouldSwitchOn(const Goal& by, const Goal& goal) {
    if (&by == &goal) return false;
    if (by.nextGoal == &goal && by.GetKind() != Goal::kFinishIn) return true;
    if (by.HoldsUntilTheEnd()) return false;
    return std::any_of(std::begin(by.links), std::end(by.links), [&goal](const Goal::Link& link) {
        return link.name[0] != 0 && link.on != 0 && goal.objectiveText == link.name;
    });
}

// Goals that can never be met are refused, each named in the report: those
// WhyNeverMet names; a finish-in goal whose next goal on the chain is
// missing (one written last has none), refused itself, or met only at the
// end of the flight (it is met only with that goal); and a goal that is off
// and that only refused goals could switch on. False when the mission had
// goals of the player's and refusing left none: such a flight could never
// be won.
bool RefuseGoalsNeverMet(GameState& game) {
    const int32_t playerGoals = CountPlayerGoals();
    // Reported by id, in the list's order among equal ids: the same every run.
    std::vector<std::pair<Goal*, const char*>> refused;
    const auto isRefused = [&refused](const Goal* goal) {
        return std::any_of(refused.begin(), refused.end(), [goal](const auto& entry) { return entry.first == goal; });
    };
    for (Goal* goal = g_goalList; goal != nullptr; goal = goal->next) {
        if (const char* const why = WhyNeverMet(*goal)) refused.emplace_back(goal, why);
    }
    // A refusal may leave others unmeetable: each round refuses those that
    // waited on a goal the round before refused.
    for (bool more = true; more;) {
        more = false;
        for (Goal* goal = g_goalList; goal != nullptr; goal = goal->next) {
            if (isRefused(goal)) continue;
            const char* why = nullptr;
            const Goal* const next = goal->nextGoal;
            if (goal->GetKind() == Goal::kFinishIn) {
                if (next == nullptr || next == goal || isRefused(next)) {
                    why = set_up_refusal::kNothingToFinish;
                } else if (next->HoldsUntilTheEnd()) {
                    why = set_up_refusal::kNextOnlyAtEnd;
                }
            }
            if (why == nullptr && goal->active == 0) {
                bool switched = false;
                bool live = false;
                for (const Goal* by = g_goalList; by != nullptr; by = by->next) {
                    if (!CouldSwitchOn(*by, *goal)) continue;
                    switched = true;
                    live = live || !isRefused(by);
                }
                if (switched && !live) why = set_up_refusal::kOnlyRefusedSwitch;
            }
            if (why != nullptr) {
                refused.emplace_back(goal, why);
                more = true;
            }
        }
    }
    std::stable_sort(refused.begin(), refused.end(), [](const auto& a, const auto& b) { return a.first->id < b.first->id; });
    for (const auto& [goal, why] : refused) {
        g_setUpReport.push_back("goal " + std::to_string(goal->id) + " \"" + PrintableText(goal->GetObjectiveText()) +
                                "\": " + why);
        delete goal;
    }
    if (game.mission != nullptr) game.mission->goalList = g_goalList;
    if (playerGoals > 0 && CountPlayerGoals() == 0) {
        g_setUpReport.push_back(set_up_refusal::kNoGoalLeft);
        return false;
    }
    return true;
}

// Why the goals left could never win the flight, or null while they can: a
// flight is won by meeting a goal of the player's that is flown for, one
// that is on or that another goal could switch on. A network game's death
// match has no goal at all, and ends by its own rules.
const char* WhyNeverWon(bool networkGame) {
    bool anyGoal = false;
    bool flownFor = false;
    for (const Goal* goal = g_goalList; goal != nullptr; goal = goal->next) {
        if (goal->playerGoal == 0) continue;
        anyGoal = true;
        if (goal->HoldsUntilTheEnd()) continue;
        bool comes = goal->active != 0;
        for (const Goal* by = g_goalList; by != nullptr && !comes; by = by->next) comes = CouldSwitchOn(*by, *goal);
        flownFor = flownFor || comes;
    }
    if (!anyGoal) return networkGame ? nullptr : set_up_refusal::kNoPlayerGoal;
    return flownFor ? nullptr : set_up_refusal::kOnlyHolding;
}

// The file's goals, once every object they name is in the world: their
// subjects and destinations by name (a kill goal's subject may name a
// wing), their chain by the ids they name. False when the chain loops or
// no goal of the player's can be met.
bool BuildGoals(GameState& game, const std::vector<mission_file::Record>& records) {
    Mission& mission = *game.mission;
    const auto named = [&mission](const char* name) -> SpaceObject* {
        if (name[0] == 0) return nullptr;
        for (SpaceObject* object = mission.firstObject; object != nullptr; object = object->GetNext()) {
            if (object->name != nullptr && std::strcmp(object->name, name) == 0) return object;
        }
        return nullptr;
    };
    bool any = false;
    for (const mission_file::Record& record : records) {
        mission_file::GoalRecord entry;
        if (!mission_file::DecodeGoal(record, &entry)) continue;
        Goal* const goal = MakeGoal(entry.recordType, mission.firstObject);
        if (goal == nullptr) continue;
        any = true;
        goal->id = entry.id;
        goal->recordType = entry.recordType;
        goal->playerGoal = entry.playerGoal;
        goal->side = entry.side;
        goal->display = entry.display;
        goal->active = entry.active;
        goal->wordC = entry.wordC;
        goal->threshold = entry.threshold;
        goal->timeMs = entry.timeMs;
        goal->distance = entry.distance;
        goal->travelSecond = entry.travelSecond;
        goal->nextGoalId = entry.nextGoalId;
        goal->SetObjectiveText(entry.objective);
        goal->SetSecondText(entry.second);
        goal->SetSubject(named(entry.subject));
        if (goal->GetSubject() == nullptr && goal->GetKind() == Goal::kKill && entry.subject[0] != 0 &&
            WingInWorld(mission, entry.subject) != nullptr) {
            CopyFixedText(goal->subjectWing, entry.subject);
        }
        goal->destination = named(entry.destination);
        for (int i = 0; i < Goal::kLinks; ++i) {
            CopyFixedText(goal->links[i].name, entry.linkNames[i]);
            goal->links[i].on = entry.linkOn[i];
        }
        if (entry.recordType == Goal::kJumpThrough) game.jumpGoal = goal;
        // A subject that starts crippled flies so from the first frame.
        if ((goal->wordC & Goal::kCrippledSubject) != 0) {
            if (auto* const craft = dynamic_cast<Craft*>(goal->GetSubject())) craft->ResetSystemLevels();
        }
    }
    if (!any) return true;
    mission.goalList = g_goalList;
    LinkGoals(1);
    // A chain the file spells out wins over the order of the ids.
    for (Goal* goal = g_goalList; goal != nullptr; goal = goal->next) {
        if (goal->nextGoalId >= 0) goal->nextGoal = FindGoalById(goal->nextGoalId);
    }
    const std::vector<int32_t> looping = LoopingGoals();
    if (!looping.empty()) {
        g_setUpReport.push_back(set_up_refusal::kChainLoops + std::to_string(looping.front()));
        return false;
    }
    return RefuseGoalsNeverMet(game);
}

// A random mission's kind and difficulty: the lobby's (or the command
// line's) parameters for the network game's "Rnd 0", else the offer's slot
// at the game's difficulty, its choices seeded by the accepted offer.
RandomMissionGenerator& PrepareRandomMission(GameState& game, const char* name) {
    RandomMissionGenerator& generator = RandomMissionGenerator::Of(game);
    if (generator.networkGame != 0) {
        if (generator.parametersSet == 0) generator.SetUp(RandomMissionGenerator::kScout, 0);
        return generator;
    }
    const int32_t slot = std::max(0, std::atoi(name + 3));
    const int32_t level = game.difficulty >= 4 ? 2 : game.difficulty >= 2 ? 1 : 0;
    GameRandomSeed(generator.chosenOffer);
    RandomSeed(int32_t(generator.chosenOffer), int32_t(generator.chosenOffer + 1u));
    generator.SetUp(slot % 4, level);
    return generator;
}

// Only a cooperative game shares a mission's payment: a death match or a
// tag game is paid by its kills.
bool CooperativeGame(const GameState& game, const RandomMissionGenerator& generator) {
    if (generator.kind == RandomMissionGenerator::kDeathMatch) return false;
    if (game.netSettings == nullptr) return true;
    const uint32_t type = game.netSettings->gameType;
    return type == NetGameSettings::kCooperative || type == NetGameSettings::kCooperativeTeams;
}

// A spawn point lies beside its station by design: the station itself
// does not count as a ship the start must keep away from.
bool ApartFromShips(const GameState& game, const Vector3& point) {
    for (const SpaceObject* object = game.mission->firstObject; object != nullptr; object = object->GetNext()) {
        if (object->active == 0 || object->type < SpaceObject::kTypeCraft || object->classWord == kSpawnClass) continue;
        if (object->Position().Difference(point).Length() < kStartApart + object->Radius()) return false;
    }
    return true;
}

std::vector<const SpaceObject*> SpawnStations(const GameState& game) {
    std::vector<const SpaceObject*> stations;
    for (const SpaceObject* object = game.mission->firstObject; object != nullptr; object = object->GetNext()) {
        if (object->active != 0 && object->classWord == kSpawnClass) stations.push_back(object);
    }
    return stations;
}

// The place's own spot beside a spawn station: the places share the
// stations out, and each station's share stand round it on level rings,
// kSpotsPerRing to a ring, the first kSpawnMargin beyond the station's hull
// and at least kStartApart out, each next one kStartApart farther
// (`farther` rings more when the place's own spot is taken). Two spots of
// one ring lie a radius apart, never nearer than kStartApart, so players
// who launch at once without seeing each other start apart.
Vector3 SpawnSpot(const SpaceObject& station, int32_t slot, int32_t farther) {
    constexpr float kTurn = 6.2831853f / float(kSpotsPerRing);
    const int32_t ring = slot / kSpotsPerRing + farther;
    // Round a small station the first ring is as wide as two spots must
    // stand apart: six to a ring, neighbours stand a radius apart.
    const float firstRing = std::max(station.Radius() + kSpawnMargin, kStartApart);
    const float radius = firstRing + kStartApart * float(ring);
    // Each ring turned half a step against the one inside it.
    const float angle = kTurn * (float(slot % kSpotsPerRing) + 0.5f * float(ring % 2));
    return station.Position().Sum(Vector3{radius * std::sin(angle), 0.0f, -radius * std::cos(angle)});
}

}  // namespace

Vector3 PickNetworkStart(int32_t place) {
    Vector3 point{0.0f, 0.0f, 0.0f};
    const GameState* const found = g_gameState;
    if (found == nullptr || found->mission == nullptr) return point;
    const GameState& game = *found;
    const int32_t own = std::max(place, 0);
    const std::vector<const SpaceObject*> stations = SpawnStations(game);
    if (!stations.empty()) {
        const SpaceObject& station = *stations[size_t(own) % stations.size()];
        const int32_t slot = own / int32_t(stations.size());
        for (int32_t farther = 0; farther < kStartTries; ++farther) {
            point = SpawnSpot(station, slot, farther);
            if (ApartFromShips(game, point)) return point;
        }
    }
    constexpr float kTurn = 6.2831853f / float(kStartsPerRing);
    // Out along the player's own bearing, so that no two places of the
    // table ever try one spot.
    const int32_t bearing = std::max(place, 1) % kStartsPerRing;
    for (int32_t ring = 1; ring <= kStartTries; ++ring) {
        const float radius = kStartApart * float(ring);
        const float angle = kTurn * float(bearing);
        point = Vector3{radius * std::cos(angle), 0.0f, radius * std::sin(angle)};
        if (ApartFromShips(game, point)) return point;
    }
    return point;
}

namespace {

// Every object of the world goes (their references first).
void RemoveWorldObjects(Mission& mission) {
    while (mission.firstObject != nullptr) {
        SpaceObject* const object = mission.firstObject;
        object->OnRemove(0);
        delete object;
    }
}

// A mission that could never end is no mission: nothing of it stays.
void AbandonWorld(GameState& game) {
    game.ClearFlight();
    game.playerShip = game.viewedObject = game.chaseObject = game.chaseReference = nullptr;
    FreeGoals();
    game.jumpGoal = nullptr;
    ReleaseWings();
    if (game.mission != nullptr) RemoveWorldObjects(*game.mission);
}

// Each line of the report on standard error and in the log, wherever the
// mission is set up: a refusal is never silent.
void TellSetUpReport(const char* name) {
    const std::string mission = PrintableText(name != nullptr ? name : "");
    for (const std::string& line : g_setUpReport) {
        std::fprintf(stderr, "vorn: %s: %s\n", mission.c_str(), line.c_str());
        std::printf("Mission %s: %s\n", mission.c_str(), line.c_str());
    }
    if (!g_setUpReport.empty()) std::fflush(stdout);
}

// The set-up itself, on the game state there is.
Status SetUpWorld(const char* name);

}  // namespace

const std::vector<std::string>& SetUpReport() { return g_setUpReport; }

void FreeMission() {
    GameState* const game = g_gameState;
    if (game == nullptr) return;
    game->ClearFlight();
    if (Mission* const mission = game->mission) RemoveWorldObjects(*mission);
    // The explosions' and animations' device textures go with the world that
    // showed them; their definitions stay for the next flight.
    DropEffectTextures();
    game->playerShip = game->viewedObject = game->chaseObject = game->chaseReference = nullptr;
    FreeGoals();
    game->jumpGoal = nullptr;
    game->cooperativeTimeUp = 0;
    game->SetSimulateHook(GameState::kCooperativeStep, nullptr);
    game->SetSimulateHook(GameState::kGoalStep, nullptr);
    ReleaseWings();
    // The next flight may fly on other data files.
    decals::ForgetDecals();
    ai_tables::ForgetCachedTables();
    DefinitionLibrary::Reset();
    if (game->mission == game->missionStore.get()) game->mission = nullptr;
    if (game->missionStore != nullptr) delete game->missionStore->ambient;
    game->missionStore.reset();
    game->MissionFreed();
}

SpaceObject* LaunchPlayerShip() {
    GameState* const game = g_gameState;
    if (game == nullptr || game->mission == nullptr || game->playerShip != nullptr) {
        return game != nullptr ? game->playerShip : nullptr;
    }
    const Mission& mission = *game->mission;
    if (!mission.hasPlayer) return nullptr;
    mission_file::Player player;
    std::memcpy(player.definition, mission.playerDefinition, sizeof player.definition);
    std::memcpy(player.wing, mission.playerWing, sizeof player.wing);
    return CreatePlayerShip(player);
}

SpaceObject* CreatePlayerShip(const mission_file::Player& player) {
    GameState* const game = g_gameState;
    if (game == nullptr) return nullptr;
    DefinitionLibrary& library = DefinitionLibrary::Current();
    ShipRecord* const record =
        game->launchFromBase != 0 && game->career != nullptr ? game->career->GetShip(-1) : nullptr;
    // A career flight flies the career's ship or nothing, never the file's;
    // a network game has a ship of its own for a pilot without one.
    if (record == nullptr && game->launchFromBase != 0 && game->career != nullptr && !game->IsNetworkGame()) return nullptr;
    const char* const definition = record != nullptr ? record->hullId : player.definition;
    SpaceObject* const ship = library.LoadObjectDefinition(definition, nullptr, SpaceObject::kTypePlayerShip, 0);
    if (ship == nullptr) return nullptr;
    if (auto* const craft = dynamic_cast<Craft*>(ship)) {
        if (record != nullptr) {
            FitFromRecord(*craft, *record);
            game->career->accuracy.Clear();
        } else {
            library.LoadShipDefinition(craft, nullptr, nullptr, 0);
        }
        if (game->career != nullptr) craft->accuracy = &game->career->accuracy;
    }
    NetSession* const session = game->IsNetworkGame() ? game->netSession : nullptr;
    Vector3 start = ship->Position();
    if (session != nullptr && !session->IsHost() && game->mission != nullptr) {
        start = PickNetworkStart(session->FindPlayerByDpid(session->ownDpid));
    }
    // A network pilot comes back where it started.
    if (auto* const craft = dynamic_cast<Craft*>(ship)) {
        craft->StartAt(start);
    } else {
        ship->SetPositionFlags(start, Transform::kAllFlags | 0x10);
    }
    // The host's own entry follows its ship, as a client's follows its copy.
    // Every machine holds a pilot's ship on the side the game gives it (a
    // client's again once the host numbers it).
    if (session != nullptr) {
        const int32_t own = session->FindPlayerByDpid(session->ownDpid);
        if (session->IsHost()) session->SetPlayerUoid(own, ship->uoid);
        session->GivePilotSide(own, *ship);
    }
    game->playerShip = ship;
    game->viewedObject = ship;
    game->AddObjectsToWorld(ship, 0);
    if (SpaceObject* const chase = game->CreateObject(SpaceObject::kTypeChase, "Chase", nullptr, ship)) {
        if (auto* const anchor = dynamic_cast<ChaseObject*>(chase)) {
            anchor->target = ship;
            anchor->trailDistance = kChaseTrail;
        }
        game->chaseObject = chase;
        game->chaseReference = ship;
        game->chaseDistance = kChaseTrail;
        game->AddObjectsToWorld(chase, 0);
    }
    if (game->weaponFlash == nullptr) {
        // The weapons' flash lights the scene from the player's ship.
        auto* const light = new FrameAttenuatedLight(Vector3{0.0f, 0.0f, 0.0f}, 0.0f, ship->Radius());
        game->weaponFlash = new FlashLightHolder(light, ship);
        game->Lights().Add(game->weaponFlash);
    }
    // Made at launch, the ship leads the wing the file's wingmen joined at set-up.
    if (!g_settingUp && game->mission != nullptr) {
        if (WingGroup* const flying = WingInWorld(*game->mission, player.wing)) g_wings.push_back(flying);
    }
    WingGroup* const wing = WingNamed(player.wing);
    if (auto* const own = dynamic_cast<PlayerShip*>(ship)) own->SetWingGroup(wing);
    // A network game's players fly without the career's wingmen.
    if (record != nullptr && !game->IsNetworkGame()) LaunchWingmen(*game, *ship, wing);
    if (!g_settingUp) ReleaseWings();
    // The host makes its own copy of a client's ship and names it.
    if (game->IsClient() && game->netSession != nullptr) {
        NetPacket announce;
        announce.BuildObjectPacket(kNewPlayer, ship);
        NetSession& session = *game->netSession;
        if (announce.GetData() != nullptr) {
            session.Send(session.ownDpid, session.serverDpid, announce.GetData(), announce.GetSize());
        }
    }
    return ship;
}

Status SetUpMission(const char* name, int32_t) {
    if (g_gameState == nullptr) return kStatusCannotOpen;
    const Status status = SetUpWorld(name);
    TellSetUpReport(name);
    return status;
}

namespace {

Status SetUpWorld(const char* name) {
    GameState* const game = g_gameState;
    FreeMission();
    g_settingUp = true;
    const struct SetUpEnds {
        ~SetUpEnds() { g_settingUp = false; }
    } setUpEnds;
    game->missionStore = std::make_unique<Mission>();
    game->mission = game->missionStore.get();
    game->MissionCleared();
    g_setUpReport.clear();
    LoadEffectRegistries(*game);
    game->MakeExclamationSounds();
    game->chatTyping = 0;   // a line left half typed in the last flight is gone
    // Every flight has its effects' palettes and a camera, headless too:
    // explosions are placed by the camera and grouped by the palettes.
    game->LoadFlightPalettes();
    game->EnsureFlightCamera();
    if (name == nullptr || name[0] == 0) {
        // A joining client's goals come from its host.
        flight_goals::Start(*game);
        game->MissionAccepted();
        return kStatusOk;
    }
    const bool random = std::strncmp(name, "Rnd", 3) == 0;
    RandomMissionGenerator* const generator = random ? &PrepareRandomMission(*game, name) : nullptr;
    mission_file::Contents contents;
    const std::string path = g_dataDirs.Prefix(DataDir::kMissions) + (random ? RandomMissionGenerator::kSectorsFile : name);
    const Status loaded = mission_file::Load(path.c_str(), &contents);
    for (const mission_file::Refusal& refused : contents.refusals) g_setUpReport.push_back(mission_file::DescribeRefusal(refused));
    if (loaded != kStatusOk) {
        if (contents.failure != nullptr) g_setUpReport.push_back(contents.failure);
        return loaded;
    }

    Mission& mission = *game->mission;
    const mission_file::Header& header = contents.header;
    for (int i = 0; i < 3; ++i) mission.reportDelays[i] = header.reportDelays[i];
    for (int i = 0; i < 4; ++i) {
        mission.referencePosition[i] = header.reference[i];
        mission.mapCentre[i] = header.mapCentre[i];
    }
    for (int i = 0; i < 12; ++i) mission.mapView.matrix.rows[i / 3][i % 3] = header.mapView[i];
    mission.mapView.UpdateInverse();
    mission.ambient = new Light;
    if (contents.hasMusic) {
        const std::string music = g_dataDirs.Prefix(DataDir::kXmi) + contents.music.file;
        mission.music = MusicFile::Load(music.c_str(), contents.music.track);
        if (mission.music == nullptr) g_setUpReport.push_back("the music \"" + music + "\" cannot be read");
    }

    // The player's wing is there before its wingmen.
    WingGroup* const playerWing = contents.hasPlayer ? WingNamed(contents.player.wing) : nullptr;
    for (const mission_file::Record& record : contents.records) {
        if (record.chunk == mission_file::kGoal) continue;   // once the world is there
        if (MakeSky(record)) continue;
        if (SpaceObject* const object = Build(record, playerWing)) {
            game->AddObjectsToWorld(object, 0);
        } else {
            g_setUpReport.push_back(mission_file::DescribeRefusal(mission_file::RefusalOf(record, mission_file::refusal::kNotMade)));
        }
    }
    // A career's flight takes its ship and wing from the career as it stands
    // at launch (a network game's host flies from here, where its clients
    // look for it); any other flight the file's ship, now.
    mission.hasPlayer = contents.hasPlayer;
    CopyFixedText(mission.playerDefinition, contents.player.definition);
    CopyFixedText(mission.playerWing, contents.player.wing);
    const bool atLaunch = game->launchFromBase != 0 && !(generator != nullptr && generator->networkGame != 0);
    // A flight without the player's ship is no flight: the world goes again.
    SpaceObject* const player = !contents.hasPlayer ? nullptr
                                : atLaunch          ? mission.firstObject
                                                    : CreatePlayerShip(contents.player);
    if (player == nullptr) {
        g_setUpReport.push_back(contents.hasPlayer ? "the player's ship \"" + PrintableText(contents.player.definition) +
                                                         "\" cannot be made"
                                                   : std::string("the mission names no player's ship"));
        game->playerShip = game->viewedObject = game->chaseObject = game->chaseReference = nullptr;
        // Wings no ship joined go first; the others go with their ships.
        ReleaseWings();
        RemoveWorldObjects(mission);
        return kStatusMalformed;
    }
    if (!BuildGoals(*game, contents.records)) {
        AbandonWorld(*game);
        return kStatusMalformed;
    }
    if (generator != nullptr) generator->AddSky();
    sky_records::BuildDustField();
    if (generator != nullptr) {
        generator->Populate(*game);
        if (!RefuseGoalsNeverMet(*game)) {
            AbandonWorld(*game);
            return kStatusMalformed;
        }
        generator->flightStartMs = GetMilliseconds();
        generator->cooperativePaid = 0;
        if (generator->networkGame != 0 && CooperativeGame(*game, *generator)) {
            game->SetSimulateHook(GameState::kCooperativeStep, CheckCooperativeEnd);
        }
    }
    // A host sets its mission up before its session opens.
    const bool networkGame = game->IsNetworkGame() || game->netSession != nullptr ||
                             (generator != nullptr && generator->networkGame != 0);
    if (const char* const why = WhyNeverWon(networkGame)) {
        g_setUpReport.push_back(why);
        AbandonWorld(*game);
        return kStatusMalformed;
    }
    flight_goals::Start(*game);
    if (game->viewedObject != nullptr) game->AimFlightCamera(game->viewedObject->world);
    ReleaseWings();
    game->MissionAccepted();
    return kStatusOk;
}

}  // namespace

int32_t PickRandomSpawnPoint(Vector3* out, int32_t) {
    const GameState* const game = g_gameState;
    if (out == nullptr || game == nullptr || game->mission == nullptr) return 0;
    const std::vector<const SpaceObject*> stations = SpawnStations(*game);
    if (stations.empty()) return 0;
    // A point no ship holds: a few random tries beside the stations, then
    // farther out, ring by ring, until one is free.
    Vector3 point;
    for (int32_t tries = 0; tries < kStartTries; ++tries) {
        const SpaceObject& station = *stations[size_t(GameRandom()) % stations.size()];
        const float reach = station.Radius() + kSpawnMargin + kStartApart * float(tries / kStartsPerRing);
        point = station.Position().Sum(RandomUnitVector().Scaled(reach));
        if (ApartFromShips(*game, point)) break;
    }
    *out = point;
    return 1;
}

Vector3 FreeSpawnPlace(const SpaceObject& ship, const Vector3& wanted) {
    const GameState* const game = g_gameState;
    if (game == nullptr || game->mission == nullptr) return wanted;
    // Hulls that merely do not touch would meet on the first frame of a
    // turn: a ship comes back clear of every other by twice their two radii.
    const auto clear = [&](const Vector3& point) {
        for (const SpaceObject* object = game->mission->firstObject; object != nullptr; object = object->GetNext()) {
            if (object == &ship || object->active == 0 || object->type < SpaceObject::kTypeCraft) continue;
            const float margin = kSpawnClearance * (object->Radius() + ship.Radius());
            if (object->Position().Difference(point).Length() < margin) return false;
        }
        return true;
    };
    if (clear(wanted)) return wanted;
    // Out from the wanted place on level rings until no hull is there.
    constexpr float kTurn = 6.2831853f / float(kStartsPerRing);
    for (int32_t ring = 1; ring <= kStartTries; ++ring) {
        for (int32_t bearing = 0; bearing < kStartsPerRing; ++bearing) {
            const float radius = kStartApart * float(ring), angle = kTurn * float(bearing);
            const Vector3 point = wanted.Sum(Vector3{radius * std::cos(angle), 0.0f, radius * std::sin(angle)});
            if (clear(point)) return point;
        }
    }
    return wanted;
}

Status SetUpSeededMission(const char* name, int32_t seed) {
    GameRandomSeed(uint32_t(seed));
    RandomSeed(seed, int32_t(uint32_t(seed) + 1u));
    const Status status = SetUpMission(name, -1);
    if (status != kStatusOk) return status;
    return g_gameState != nullptr && g_gameState->missionReady != 0 ? kStatusOk : kStatusMalformed;
}

void ForEachFittedSystem(Craft& craft, ShipRecord& record,
                         const std::function<void(EquipmentItem& item, ShipSystem& system)>& visit) {
    std::vector<const ShipSystem*> matched;
    for (const auto& item : record.Items()) {
        for (ShipSystem* system = craft.GetSystem(ShipSystem::kAny, nullptr); system != nullptr;
             system = craft.GetSystem(ShipSystem::kAny, system)) {
            if (std::strncmp(system->equipmentId, item->id, ShipSystem::kNameBytes) != 0) continue;
            if (std::find(matched.begin(), matched.end(), system) != matched.end()) continue;
            matched.push_back(system);
            visit(*item, *system);
            break;
        }
    }
}
