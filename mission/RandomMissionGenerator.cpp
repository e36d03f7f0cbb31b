#include "mission/RandomMissionGenerator.h"

#include <algorithm>
#include <cstring>

#include "engine/FixedText.h"
#include "engine/IffWalk.h"
#include "engine/Random.h"
#include "game/DataDirectories.h"
#include "game/GameState.h"
#include "game/Mission.h"
#include "mission/Goal.h"
#include "mission/MissionSetUp.h"
#include "mission/ObjectLoader.h"
#include "mission/SkyRecords.h"
#include "net/NetGameSettings.h"
#include "net/PacketBytes.h"
#include "objects/ships/AiShip.h"
#include "objects/ships/PlayerShip.h"
#include "objects/space/SpaceObject.h"
#include "objects/space/SpawnRecords.h"
#include "mission/SpawnRecords.h"

namespace {

bool CountInRange(int32_t count) { return count >= 0 && count <= RandomMissionGenerator::kMaxCount; }

}  // namespace

namespace {

bool IsSkyChunk(uint32_t chunk) {
    return chunk == sky_records::kStarChunk || chunk == sky_records::kDustChunk || chunk == sky_records::kWallChunk ||
           chunk == sky_records::kLightChunk;
}

// A template's goal texts or one of its sky records; what is not whole and sound is skipped.
void ReadTemplatePart(IffFile& reader, RandomMissionGenerator::Template& entry) {
    using Generator = RandomMissionGenerator;
    uint8_t bytes[2 * Generator::kGoalTextBytes] = {};
    const uint32_t size = reader.ChunkSize();
    if (reader.ChunkId() == Generator::kGoalTextChunk) {
        if (size != sizeof bytes || iff_walk::ReadBounded(reader, bytes, size) != size) return;
        PacketReader in(bytes, size);
        char objective[Generator::kGoalTextBytes + 1] = {};
        char second[Generator::kGoalTextBytes + 1] = {};
        if (!in.Text(0, Generator::kGoalTextBytes, objective, sizeof objective) ||
            !in.Text(Generator::kGoalTextBytes, Generator::kGoalTextBytes, second, sizeof second)) {
            return;
        }
        entry.objective = objective;
        entry.second = second;
        return;
    }
    if (entry.sky.size() >= Generator::kMaxSkyRecords || size > sizeof bytes ||
        iff_walk::ReadBounded(reader, bytes, size) != size || !sky_records::Sound(reader.ChunkId(), bytes, size)) {
        return;
    }
    entry.sky.push_back({reader.ChunkId(), std::vector<uint8_t>(bytes, bytes + size)});
}

}  // namespace

RandomMissionGenerator& RandomMissionGenerator::Of(GameState& game) {
    if (game.randomMissions == nullptr) {
        game.randomMissions = std::make_shared<RandomMissionGenerator>();
        game.randomMissions->Load((g_dataDirs.Prefix(DataDir::kData) + kFileName).c_str());
    }
    return *game.randomMissions;
}

Status RandomMissionGenerator::Read(IffFile& iff) {
    if (iff_walk::FindNext(iff, IffFile::kFormId, kForm) != kStatusOk || iff.Descend() != kStatusOk) return kStatusCannotOpen;
    int32_t read[kPayWords] = {};
    bool hasPays = false;
    std::vector<Template> found;
    // Whether the last template read is the one whose form is being walked.
    bool inTemplate = false;
    const Status walked = iff_walk::Walk(iff, [&](IffFile& reader) {
        const uint32_t chunk = reader.ChunkId();
        if (chunk == IffFile::kFormId) {
            inTemplate = false;
            return reader.FormType() == kTemplateForm ? iff_walk::Choice::kEnter : iff_walk::Choice::kPass;
        }
        if (inTemplate && (chunk == kGoalTextChunk || IsSkyChunk(chunk))) {
            ReadTemplatePart(reader, found.back());
            return iff_walk::Choice::kPass;
        }
        if (chunk == kPaysChunk) {
            uint8_t bytes[kPayWords * 4] = {};
            if (reader.ChunkSize() == sizeof bytes && iff_walk::ReadBounded(reader, bytes, sizeof bytes) == sizeof bytes) {
                PacketReader in(bytes, sizeof bytes);
                for (int32_t i = 0; i < kPayWords; ++i) read[i] = in.I32(uint32_t(4 * i));
                hasPays = true;
            }
        } else if (chunk == kTemplateChunk && found.size() < size_t(kMaxTemplates)) {
            uint8_t bytes[kTemplateBytes] = {};
            if (reader.ChunkSize() != kTemplateBytes || iff_walk::ReadBounded(reader, bytes, kTemplateBytes) != kTemplateBytes) {
                return iff_walk::Choice::kPass;
            }
            PacketReader in(bytes, kTemplateBytes);
            char text[kDescriptionBytes + 1] = {};
            Template entry;
            entry.kind = in.I32(0);
            entry.enemies = in.I32(4 + kDescriptionBytes);
            entry.asteroids = in.I32(8 + kDescriptionBytes);
            entry.mines = in.I32(12 + kDescriptionBytes);
            if (!in.Text(4, kDescriptionBytes, text, sizeof text) || entry.kind < 0 || entry.kind >= kKinds ||
                !CountInRange(entry.enemies) || !CountInRange(entry.asteroids) || !CountInRange(entry.mines)) {
                return iff_walk::Choice::kPass;
            }
            entry.description = text;
            found.push_back(std::move(entry));
            inTemplate = true;
        }
        return iff_walk::Choice::kPass;
    });
    if (walked == kStatusCannotOpen) return kStatusCannotOpen;
    if (!hasPays) return kStatusMalformed;
    std::copy(read, read + kPayWords, pays);
    templates_ = std::move(found);
    return kStatusOk;
}

Status RandomMissionGenerator::Load(const char* path) {
    IffFile iff(0);
    if (path == nullptr || iff.OpenFile(path, kOpenRead) != kStatusOk) return kStatusCannotOpen;
    const Status read = iff.ValidateHeader() == kStatusOk ? Read(iff) : kStatusCannotOpen;
    iff.CloseFile();
    return read;
}

int32_t RandomMissionGenerator::Pay(int32_t payKind, int32_t payDifficulty) const {
    if (payKind == kDeathMatch) return pays[kDeathMatchPayWord];
    if (payKind < 0 || payKind >= kDeathMatch || payDifficulty < 0 || payDifficulty >= kDifficulties) return 0;
    return pays[4 * payKind + payDifficulty];
}

int32_t RandomMissionGenerator::SetUp(int32_t wantedKind, int32_t wantedDifficulty) {
    kind = wantedKind >= 0 && wantedKind < kKinds ? wantedKind : kScout;
    difficulty = kind == kDeathMatch ? 0 : std::clamp(wantedDifficulty, 0, kDifficulties - 1);
    payment = Pay(kind, difficulty);
    std::vector<int32_t> candidates;
    for (size_t i = 0; i < templates_.size(); ++i) {
        if (templates_[i].kind == kind) candidates.push_back(int32_t(i));
    }
    templateIndex = candidates.empty() ? -1 : candidates[size_t(GameRandom()) % candidates.size()];
    static const char* const kNames[kKinds] = {"Scout", "Destroy", "Protect", "Capture", "Death match"};
    description = templateIndex >= 0 ? templates_[size_t(templateIndex)].description : kNames[kind];
    parametersSet = 1;
    cooperativePaid = 0;
    return 1;
}

namespace {

constexpr int32_t kEnemySide = 2;
// A death match's raiders and base fight every pilot: a side beyond those
// of the two teams (their numbers plus 1), which a team battle gives its pilots.
constexpr int32_t kDeathMatchEnemySide = NetGameSettings::kMostTeams + 1;
constexpr float kGoalReach = 250.0f;
constexpr uint32_t kProtectMs = 60000;
constexpr int32_t kCaptureThreshold = 25;

Vector3 Around(const Vector3& centre, float least, float most) {
    const float reach = least + float(GameRandom() % std::max(1, int32_t(most - least)));
    return centre.Sum(RandomUnitVector().Scaled(reach));
}

SpaceObject* AddRock(GameState& game, const char* definition, int32_t type, const Vector3& at, const char* name) {
    spawn_records::Rock rock;
    CopyFixedText(rock.definition, definition);
    rock.position = at;
    rock.scatter = 200.0f;
    CopyFixedText(rock.name, name);
    SpaceObject* const object = DefinitionLibrary::Current().LoadObjectDefinition(definition, nullptr, type, 0, &rock);
    if (object != nullptr) game.AddObjectsToWorld(object, 0);
    return object;
}

SpaceObject* AddShip(GameState& game, const char* definition, const char* name, int32_t side, const Vector3& at) {
    spawn_records::AiShip ship;
    CopyFixedText(ship.definition, definition);
    CopyFixedText(ship.names[0], name);
    ship.transform[0] = ship.transform[4] = ship.transform[8] = 1.0f;
    ship.transform[9] = ship.position[0] = at.x;
    ship.transform[10] = ship.position[1] = at.y;
    ship.transform[11] = ship.position[2] = at.z;
    DefinitionLibrary& library = DefinitionLibrary::Current();
    SpaceObject* const object = library.LoadObjectDefinition(definition, nullptr, SpaceObject::kTypeAiShip, 0, &ship);
    auto* const pilot = dynamic_cast<AiShip*>(object);
    if (pilot == nullptr) {
        delete object;
        return nullptr;
    }
    library.LoadShipDefinition(pilot, nullptr, nullptr, 0);
    pilot->SetSide(side);
    pilot->SetName(name);
    pilot->CreateBrain(nullptr);
    game.AddObjectsToWorld(pilot, 0);
    return pilot;
}

SpaceObject* AddBuoy(GameState& game, const Vector3& at, const char* name) {
    NavBuoyRecord buoy;
    buoy.position = at;
    CopyFixedText(buoy.name, name);
    SpaceObject* const object =
        DefinitionLibrary::Current().LoadObjectDefinition("Nav Buoy", nullptr, SpaceObject::kTypeNavBuoy, 0, &buoy);
    if (object == nullptr) return nullptr;
    object->SetName(name);
    game.AddObjectsToWorld(object, 0);
    return object;
}

SpaceObject* AddGate(GameState& game, const Vector3& at) {
    spawn_records::Gate gate;
    CopyFixedText(gate.definition, "Gate");
    gate.position = at;
    const float transform[12] = {1, 0, 0, 0, 1, 0, 0, 0, 1, at.x, at.y, at.z};
    std::copy(transform, transform + 12, gate.transform);
    CopyFixedText(gate.name, "Exit Gate");
    SpaceObject* const object =
        DefinitionLibrary::Current().LoadObjectDefinition("Gate", nullptr, SpaceObject::kTypeJumpGate, 0, &gate);
    if (object == nullptr) return nullptr;
    object->SetName("Exit Gate");
    game.AddObjectsToWorld(object, 0);
    return object;
}

Goal* AddGoal(Goal* goal, int32_t id, int32_t recordType, const std::string& text, SpaceObject* subject) {
    goal->id = id;
    goal->recordType = recordType;
    goal->playerGoal = 1;
    goal->display = 1;
    goal->active = 1;
    goal->SetObjectiveText(text.c_str());
    goal->SetSubject(subject);
    return goal;
}

}  // namespace

void RandomMissionGenerator::Populate(GameState& game) {
    if (game.mission == nullptr) return;
    const Template chosen = templateIndex >= 0 && size_t(templateIndex) < templates_.size() ? templates_[size_t(templateIndex)]
                                                                                          : Template{};
    SpaceObject* const world = game.mission->firstObject;
    const Vector3 origin{0.0f, 0.0f, 0.0f};
    const bool deathMatch = kind == kDeathMatch;
    const int32_t asteroids = deathMatch ? asteroidAmount * 8 : chosen.asteroids;
    const int32_t mines = deathMatch ? mineAmount * 4 : chosen.mines;
    const int32_t enemies = deathMatch ? enemyAmount * 2 : chosen.enemies + difficulty;
    for (int32_t i = 0; i < asteroids; ++i) AddRock(game, "Asteroid", SpaceObject::kTypeAsteroid, Around(origin, 800, 4000), "Field");
    for (int32_t i = 0; i < mines; ++i) AddRock(game, "Mine", SpaceObject::kTypeMine, Around(origin, 1000, 4000), "Mine");
    const Vector3 target = Around(origin, 2500, 3500);
    const int32_t enemySide = deathMatch ? kDeathMatchEnemySide : kEnemySide;
    for (int32_t i = 0; i < enemies; ++i) {
        AddShip(game, "Raider", ("Raider " + std::to_string(i + 1)).c_str(), enemySide, Around(target, 200, 600));
    }
    if (deathMatch) {
        if (base != 0) {
            if (SpaceObject* const station = AddShip(game, "Carrier", "Base", enemySide, Around(origin, 1500, 2500))) {
                station->classWord = 33;
            }
        }
        Vector3 start;
        if (game.playerShip != nullptr && PickRandomSpawnPoint(&start, 1) != 0) {
            if (auto* const craft = dynamic_cast<Craft*>(game.playerShip)) {
                craft->StartAt(start);
            } else {
                game.playerShip->SetPositionFlags(start, Transform::kAllFlags | 0x10);
            }
        }
        return;
    }
    int32_t id = 1;
    if (networkGame != 0) {
        // The players leave the hangar one by one: the wing holds at the
        // launch point a while, and the mission's clock starts from there.
        // A pilot alone holds as long, and is told so without a wing.
        const bool wing = wingFlies != 0;
        auto* const formUp = new WaitGoal(world, 0);
        AddGoal(formUp, id++, Goal::kWait, wing ? kFormUpText : kStandByText, nullptr);
        formUp->timeMs = kFormUpMs;
        formUp->wordC = Goal::kStartsClock;
        if (wing) {
            formUp->SetSecondText(kFormUpSecondText);
        } else {
            formUp->SetCountdown(kStandByCountdownLead);
        }
    }
    Goal* first = nullptr;
    switch (kind) {
        case kScout:
            for (int32_t i = 1; i <= 3; ++i) {
                const std::string name = "Buoy " + std::to_string(i);
                SpaceObject* const buoy = AddBuoy(game, Around(origin, 1500, 3000), name.c_str());
                Goal* const goal = AddGoal(new TravelGoal(world, 0), id++, Goal::kTravel, "Scout " + name, nullptr);
                goal->destination = buoy;
                goal->distance = kGoalReach;
                if (first == nullptr) first = goal;
            }
            break;
        case kDestroy: {
            SpaceObject* const prey = AddShip(game, "Capital", "Target", kEnemySide, target);
            first = AddGoal(new KillGoal(world, 0), id++, Goal::kKill, "Destroy Target", prey);
            break;
        }
        case kProtect: {
            // Unarmed: what keeps the raiders off it is the pilot.
            SpaceObject* const convoy = AddShip(game, "Freighter", "Convoy", PlayerShip::kPlayersSide, Around(origin, 500, 800));
            first = AddGoal(new ProtectGoal(world, 0), id++, Goal::kProtect, "Protect Convoy", convoy);
            first->timeMs = kProtectMs;
            break;
        }
        case kCapture: {
            SpaceObject* const prize = AddShip(game, "Raider", "Prize", kEnemySide, target);
            first = AddGoal(new DisableGoal(world, 0), id++, Goal::kDisable, "Disable Prize", prize);
            first->threshold = kCaptureThreshold;
            break;
        }
        default:
            break;
    }
    if (first != nullptr && !chosen.objective.empty()) first->SetObjectiveText(chosen.objective.c_str());
    if (first != nullptr) first->SetSecondText(chosen.second.c_str());
    SpaceObject* const gate = AddGate(game, Around(origin, 4000, 5000));
    Goal* const jump = AddGoal(new TravelGoal(world, 0), id, Goal::kJumpThrough, "Jump through Exit Gate", nullptr);
    jump->destination = gate;
    jump->distance = kGoalReach;
    game.jumpGoal = jump;
    game.mission->goalList = g_goalList;
    LinkGoals(1);
}

void RandomMissionGenerator::AddSky() const {
    if (templateIndex < 0 || size_t(templateIndex) >= templates_.size()) return;
    for (const Template::SkyRecord& record : templates_[size_t(templateIndex)].sky) {
        const uint32_t size = uint32_t(record.bytes.size());
        switch (record.chunk) {
            case sky_records::kStarChunk: sky_records::CreateStarField(record.bytes.data(), size); break;
            case sky_records::kDustChunk: sky_records::CreateSpaceDust(nullptr, record.bytes.data(), size); break;
            case sky_records::kWallChunk: sky_records::CreateWallpaper(nullptr, record.bytes.data(), size); break;
            case sky_records::kLightChunk: sky_records::CreateMissionLight(record.bytes.data(), size); break;
            default: break;
        }
    }
}
