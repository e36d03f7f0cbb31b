#include "objects/ships/AiShip.h"

#include <cctype>
#include <cstdlib>
#include <cstring>
#include <string>

#include "ai/AiBrain.h"
#include "ai/Maneuver.h"
#include "ai/ScriptedManeuver.h"
#include "ai/WingGroup.h"
#include "engine/Clock.h"
#include "engine/Random.h"
#include "game/GameState.h"
#include "game/RadioMessage.h"
#include "mission/Goal.h"
#include "objects/effects/Turret.h"
#include "objects/ships/AiTables.h"
#include "objects/ships/PlayerShip.h"
#include "objects/ships/ShipRadio.h"
#include "scene/Model.h"

namespace {

struct RaceEntry {
    int32_t code;
    const char* name;
    const char* facePrefix;
};
constexpr RaceEntry kRaces[] = {
    {16, "IPEC", "IPE_"},  {17, "Scavage", "SCV_"}, {18, "Mayjr", "MJR_"},     {19, "K'norg", "KNG_"},
    {20, "Galrog", "GAL_"}, {22, "Tartarus", "TAR_"}, {23, "Pyriph", "PYR_"}, {24, "Scherie", "SCH_"},
};

const RaceEntry* FindRace(int32_t code) {
    for (const RaceEntry& race : kRaces) {
        if (race.code == code) return &race;
    }
    return nullptr;
}

struct ManeuverName {
    const char* name;
    ManeuverKind kind;
};
constexpr ManeuverName kManeuvers[] = {
    {"Break", ManeuverKind::kBreakLeft},          {"HeadOn", ManeuverKind::kHeadOn},
    {"Immelmann", ManeuverKind::kImmTurn},        {"Snake", ManeuverKind::kSnake},
    {"SnapRoll", ManeuverKind::kSnapRoll},        {"Backwards", ManeuverKind::kBackwards},
    {"VectoredThrust", ManeuverKind::kVectoredThrust}, {"NoseDownLoop", ManeuverKind::kNoseDownLoop},
    {"NoseUpLoop", ManeuverKind::kNoseUpLoop},    {"Scissors", ManeuverKind::kScissors},
    {"Swoop", ManeuverKind::kSwoop},              {"StrafeSlide", ManeuverKind::kStrafeSlide},
    {"HighYoYo", ManeuverKind::kHighYoYoLeft},    {"BarrelRoll", ManeuverKind::kBarrelRollLeft},
};

// Faces whose pilots speak with a woman's voice.
bool FemaleFace(int32_t face) { return face == 36 || face == 50 || face == 54 || face == 55; }

// Adds a record's five words to the traits: words 1-5 feed traits 1, 2, 5, 3, 4.
void ApplyRecord(int32_t traits[AiShip::kTraits], const ai_tables::TraitRecord& record, bool add) {
    static constexpr int kTraitOfWord[6] = {0, 1, 2, 5, 3, 4};
    for (int word = 1; word < 6; ++word) {
        int32_t& trait = traits[kTraitOfWord[word]];
        trait = (add ? trait : 0) + record.words[word];
    }
}

void DeleteAll(DynArray<Maneuver*>& list) {
    for (Maneuver* maneuver : list) delete maneuver;
    list.Clear();
}

}  // namespace

void ClearWingGroupOf(SpaceObject* member) {
    if (auto* const ai = dynamic_cast<AiShip*>(member)) ai->wingGroup = nullptr;
    if (auto* const player = dynamic_cast<PlayerShip*>(member)) player->wingGroup = nullptr;
}

AiShip::AiShip(SpaceObject* templateObject, const spawn_records::AiShip* record, const char* definitionLabel)
    : Craft(templateObject), aiStartMs(GetMilliseconds()) {
    reportClock = aiStartMs;
    if (definitionLabel != nullptr) std::strncpy(label, definitionLabel, kLabelBytes);
    if (record != nullptr) {
        skill = record->skill;
        race = record->race;
    }
    AiShip::Init();
    if (record == nullptr) return;
    aiSetting = record->aiValues[0];
    secondAiValue = record->aiValues[1];
    identified = uint32_t(record->objectWord);
    respawns = record->respawn;
    EngineRelease(recordText);
    recordText = EngineCopyText(record->wing, sizeof record->wing);
    std::strncpy(linkName, record->names[0], kLinkNameBytes);
    std::strncpy(secondLinkName, record->names[1], kLinkNameBytes);
    for (int i = 0; i < 2; ++i) std::strncpy(extraNames[i], record->names[2 + i], kLinkNameBytes);
    SetFace(*record);
    SetAccelerations(100.0f, 100.0f);
    SetMaxRates(100.0f, 100.0f);
    Transform placed;
    for (int row = 0; row < 4; ++row) {
        for (int column = 0; column < 3; ++column) placed.matrix.rows[row][column] = record->transform[row * 3 + column];
    }
    TakePlacement(placed);
    const Vector3 at{record->position[0], record->position[1], record->position[2]};
    previousPosition = at;
    SetPositionFlags(at, Transform::kAllFlags | 0x10);
    world = local;
    spawnPoint[0] = at.x;
    spawnPoint[1] = at.y;
    spawnPoint[2] = at.z;
}

void AiShip::SetFace(const spawn_records::AiShip& record) {
    std::string face;
    if (record.face >= 1) {
        face = kNamedFace;
        faceNumber = record.face;
        voiceGender = FemaleFace(record.face) ? 1 : 2;
    } else {
        const RaceEntry* const entry = FindRace(race);
        face = entry != nullptr ? entry->facePrefix : "???_";
        const int32_t shipClass = std::strlen(label) > 2 ? std::atoi(label + 2) : 0;
        face += shipClass < 3 ? "CIV_" : shipClass < 12 ? "FTR_" : "COM_";
        const bool female = race != kAlwaysMaleRace && GameRandom() % 3 == 0;
        face += female ? "F" : "M";
        voiceGender = female ? 1 : 2;
        faceNumber = 0;
    }
    EngineRelease(faceName);
    faceName = EngineCopyText(face.c_str());
}

AiShip::~AiShip() {
    WingGroup* const group = wingGroup;
    wingGroup = nullptr;
    WingGroup::Dissolve(group, ClearWingGroupOf);
    delete brain;
    brain = nullptr;
    currentManeuver = nullptr;
    DeleteAll(defensiveManeuvers);
    DeleteAll(attackManeuvers);
    DeleteAll(aggressiveManeuvers);
    EngineRelease(aiRecord);
    aiRecord = nullptr;
    delete pendingMessage;
}

void AiShip::Init() {
    traits[0] = 0;
    for (int i = 1; i < kTraits; ++i) traits[i] = kDefaultTrait;
    aiSetting = 0;
    aiCounter = 25;
    aiRecord = nullptr;
    currentManeuver = nullptr;
    sawPlayer = 0;
    secondAiValue = 0;
    aiEnabled = 1;
    collisionMask = kCollisionMask;
    type = kTypeAiShip;
    mass = 10.0f;
    UpdateVisibility();
    collisionDelay = 0;
    UpdateVisibility();
    SetAccelerations(100.0f, 100.0f);
    SetMaxRates(100.0f, 100.0f);
    previousPosition = {};
    SetPositionFlags({}, Transform::kAllFlags | 0x10);
    Activate(0);
    const char* const modelName = ModelName();
    if (std::strstr(modelName, "MULT") != nullptr) {
        isBase = 1;
        mass = kBaseMass;
        UpdateVisibility();
        new ReloadGoal(this);
        if (g_gameState != nullptr && g_gameState->mission != nullptr) g_gameState->mission->goalList = g_goalList;
    }
    if (std::isdigit(static_cast<unsigned char>(modelName[0]))) {
        ReadTraits();
        ReadManeuverLists();
    }
    brain = nullptr;
    wingGroup = nullptr;
}

void AiShip::ReadTraits() {
    const ai_tables::TraitTables& tables = ai_tables::CachedTraits();
    const char* const modelName = ModelName();
    const int32_t shipNumber = ship_radio::ShipNumber(modelName);
    if (shipNumber >= 0) {
        for (const ai_tables::TraitRecord& record : tables.ships) {
            if (record.words[0] == shipNumber) {
                ApplyRecord(traits, record, false);
                break;
            }
        }
    }
    const unsigned char raceDigit = static_cast<unsigned char>(modelName[1]);
    if (std::isdigit(raceDigit)) {
        const int32_t raceId = (raceDigit - '0') * 100;
        for (const ai_tables::TraitRecord& record : tables.races) {
            if (record.words[0] == raceId) {
                ApplyRecord(traits, record, true);
                break;
            }
        }
    }
}

void AiShip::ReadManeuverLists() {
    const std::vector<ai_tables::KillShip>& ships = ai_tables::CachedKillLists();
    const char* const modelName = ModelName();
    const ai_tables::Skill level = ai_tables::SkillOf(skill);
    DynArray<Maneuver*>* const lists[ai_tables::kManeuverLists] = {&attackManeuvers, &aggressiveManeuvers, &defensiveManeuvers};
    for (const ai_tables::KillShip& ship : ships) {
        if (std::strstr(modelName, ship.name.c_str()) == nullptr) continue;
        for (int list = 0; list < ai_tables::kManeuverLists; ++list) {
            for (const std::string& name : ship.maneuvers[level][list]) {
                if (Maneuver* const maneuver = CreateManeuver(name.c_str())) lists[list]->Append(maneuver);
            }
        }
    }
}

Maneuver* AiShip::CreateManeuver(const char* name) {
    if (name == nullptr) return nullptr;
    for (const ManeuverName& entry : kManeuvers) {
        if (std::strcmp(name, entry.name) == 0) return new ScriptedManeuver(entry.kind, 0, 0);
    }
    return nullptr;
}

const char* AiShip::RaceName(int32_t code) {
    const RaceEntry* const entry = FindRace(code);
    return entry != nullptr ? entry->name : "None";
}

const char* AiShip::GetRaceName() const { return RaceName(race); }

SpaceObject* AiShip::Clone(SpaceObject* placementSource, int32_t, int32_t) {
    auto* const clone = new AiShip(this, nullptr);
    if (clone == nullptr) return nullptr;
    CopyInto(*clone, placementSource, false);
    clone->name = EngineCopyText(name);
    clone->callsign = EngineCopyText(callsign);
    clone->mass = mass;
    clone->isBase = isBase;
    clone->side = side;
    clone->isNavPoint = isNavPoint;
    clone->SetHitPoints(maxHitPoints);
    clone->decalSet = decalSet;
    for (const Turret* turret : turrets) {
        Turret::Record record;
        turret->Describe(&record);
        clone->AddTurret(record);
    }
    std::memcpy(clone->traits, traits, sizeof traits);
    clone->aiSetting = aiSetting;
    clone->skill = skill;
    clone->race = race;
    clone->UpdateVisibility();
    if (g_gameState != nullptr) g_gameState->AddObjectsToWorld(clone, 0);
    return clone;
}
