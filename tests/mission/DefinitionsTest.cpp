// Objects, equipment, loadouts, faces and radio lines built from the sample
// data tree as mkdata writes it.
#include "mission/ObjectLoader.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "engine/FileWrappers.h"
#include "engine/IffFile.h"
#include "game/DataDirectories.h"
#include "game/GameMessages.h"
#include "mission/CommLines.h"
#include "game/Definitions.h"
#include "mission/Faces.h"
#include "mission/Loadout.h"
#include "mission/MissionFile.h"
#include "mission/SpawnRecords.h"
#include "net/PacketBytes.h"
#include "objects/ships/Craft.h"
#include "objects/ships/PlayerShip.h"
#include "objects/space/ObjectPart.h"
#include "objects/space/WorldPass.h"
#include "objects/systems/EnergySystem.h"
#include "objects/systems/ShieldSystem.h"
#include "objects/weapons/Projectile.h"
#include "objects/weapons/Weapon.h"
#include "game/EffectRegistries.h"
#include "game/GameState.h"
#include "scene/Model.h"
#include "scene/OstrelSystem.h"
#include "tests/support/RecordingMessageBox.h"
#include "tests/support/ScopedInstall.h"
#include "tests/support/TempDir.h"
#include "tests/support/world/WorldBuilder.h"
#include "tools/mkdata/SampleTree.h"

namespace {

class DefinitionsTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(WriteSampleTree(dir_.Str(), &error)) << error;
        ASSERT_TRUE(g_dataDirs.Find(dir_.Str()));
        ASSERT_EQ(engine_.Start(OstrelSystem::kGameArenaSize1, OstrelSystem::kGameArenaSize2, nullptr), kStatusOk);
        builder_ = std::make_unique<WorldBuilder>();
        builder_->Game().defaultPalette = builder_->Game().LoadPalette("Vorn");
        RegisterSpaceObjects();
        DefinitionLibrary::RegisterCoreBuilders();
    }
    void TearDown() override {
        builder_.reset();
        DefinitionLibrary::Reset();
        ResetFaces();
        g_dataDirs.Clear();
    }
    Craft* LoadCraft(const char* name) {
        auto* const craft = static_cast<Craft*>(
            DefinitionLibrary::Current().LoadObjectDefinition(name, nullptr, SpaceObject::kTypeCraft, 0));
        if (craft != nullptr) builder_->Game().AddObjectsToWorld(craft, 0);
        return craft;
    }

    const TempDir dir_;
    OstrelSystem engine_{OstrelSystem::kGameHeapSize, OstrelSystem::kGameHeapMode};
    std::unique_ptr<WorldBuilder> builder_;
    RecordingMessageBox boxes_;
    ScopedInstall<platform::MessageBox> boxInstalled_{boxes_};
};

// The pod an ejection puts the player in flies and sees, and fights with nothing.
TEST_F(DefinitionsTest, TheEjectionPodLoadsAsAPlayerShip) {
    SpaceObject* const object =
        DefinitionLibrary::Current().LoadObjectDefinition("PILT", nullptr, SpaceObject::kTypePlayerShip, 0);
    auto* const pod = dynamic_cast<PlayerShip*>(object);
    ASSERT_NE(pod, nullptr);
    builder_->Game().AddObjectsToWorld(pod, 0);
    ASSERT_EQ(DefinitionLibrary::Current().LoadShipDefinition(pod, nullptr, nullptr, 0), kStatusOk);
    for (const int32_t kind : {ShipSystem::kEnergy, ShipSystem::kRadar, ShipSystem::kTargeting, ShipSystem::kFlightControl,
                               ShipSystem::kEngine}) {
        EXPECT_NE(pod->GetSystem(kind, nullptr), nullptr) << kind;
    }
    EXPECT_EQ(pod->GetSystem(ShipSystem::kAnyWeapon, nullptr), nullptr);
    EXPECT_EQ(pod->abandonedCraft, nullptr);
}

TEST_F(DefinitionsTest, TheSampleFighterLoadsWithItsEquipment) {
    Craft* const fighter = LoadCraft("P101");
    ASSERT_NE(fighter, nullptr);
    EXPECT_STREQ(fighter->label, "P101");
    EXPECT_FLOAT_EQ(fighter->mass, 10.0f);
    EXPECT_EQ(fighter->lodFarSq, 400 * 400 - 100);
    EXPECT_EQ(fighter->classWord, 1);
    EXPECT_EQ(fighter->groupKey, 14u);
    EXPECT_EQ(fighter->GetMaxHitPoints(nullptr), 400);
    EXPECT_EQ(fighter->explosionNames.Count(), 2);
    EXPECT_EQ(fighter->definitionWords.Count(), 1);   // the debris template
    EXPECT_EQ(fighter->bits, 5);
    EXPECT_NE(fighter->shieldMesh, nullptr);
    EXPECT_NE(fighter->engineGlow, nullptr);

    ASSERT_EQ(DefinitionLibrary::Current().LoadShipDefinition(fighter, nullptr, nullptr, 0), kStatusOk);
    // Every item of the fighter: generator, shields, two armour systems,
    // hardening, ECM, cloak, jammer, repair unit, decoy launcher, radar,
    // targeting, flight controls, engine, sensor launcher, gun, beam, two
    // missile launchers and a mine layer.
    std::vector<int32_t> kinds;
    for (ShipSystem* s = fighter->GetSystem(0, nullptr); s != nullptr; s = fighter->GetSystem(0, s)) kinds.push_back(s->typeId);
    EXPECT_EQ(kinds.size(), 20u);
    EXPECT_FLOAT_EQ(fighter->mass, 10.0f + 20 * 2.0f);
    for (const int32_t kind : {ShipSystem::kEcm, ShipSystem::kCloak, ShipSystem::kJammer, ShipSystem::kRepair, ShipSystem::kDecoy}) {
        EXPECT_NE(fighter->GetSystem(kind, nullptr), nullptr) << kind;
    }
    ShipSystem* const shield = fighter->GetSystem(ShipSystem::kShield, nullptr);
    ASSERT_NE(shield, nullptr);
    EXPECT_STREQ(fighter->parts[shield->partIndex]->node->model->name, "SHLD0S00S");
    EXPECT_EQ(shield->powerDraw, 40);
    EXPECT_STREQ(shield->equipmentId, "Shields 1");
    shield->AddDamage(50);

    // A second ship gets clones, undamaged.
    Craft* const wingman = LoadCraft("P101");
    ASSERT_EQ(DefinitionLibrary::Current().LoadShipDefinition(wingman, nullptr, nullptr, 0), kStatusOk);
    ShipSystem* const second = wingman->GetSystem(ShipSystem::kShield, nullptr);
    ASSERT_NE(second, nullptr);
    EXPECT_NE(second, shield);
    EXPECT_EQ(second->damage, 0);
    EXPECT_EQ(second->owner, wingman);

    EXPECT_EQ(DefinitionLibrary::Current().LoadObjectDefinition("Nowhere", nullptr, 1, 0), nullptr);
    ASSERT_FALSE(boxes_.Boxes().empty());
    EXPECT_EQ(boxes_.Boxes().back().caption, msg::kCaptionUnfoundSpob);
    EXPECT_EQ(boxes_.Boxes().back().text, "Nowhere");
    EXPECT_EQ(DefinitionLibrary::Current().LoadObjectDefinition("Nowhere\x1b[2J\n", nullptr, 1, 0), nullptr);
    EXPECT_EQ(boxes_.Boxes().back().text, "Nowhere\\x1b[2J\\x0a");
    SpaceObject* const buoy = DefinitionLibrary::Current().LoadObjectDefinition("Nav Buoy", nullptr, 4, 0);
    ASSERT_NE(buoy, nullptr);
    EXPECT_EQ(buoy->type, SpaceObject::kTypeWayPoint);
    delete buoy;
}

TEST_F(DefinitionsTest, LoadoutsFacesAndRadioLines) {
    Craft* const fighter = LoadCraft("P101");
    ASSERT_NE(fighter, nullptr);
    fighter->SetSide(3);
    const size_t before = builder_->World().size();
    ASSERT_EQ(loadout::LoadLoadout(fighter), kStatusOk);
    ASSERT_EQ(builder_->World().size(), before + 1);
    EXPECT_EQ(builder_->World().back()->side, 3);

    const FaceEntry* const first = LoadFaceByIndex(0);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->name, "Face 000");
    EXPECT_NE(LoadFaceByIndex(179), nullptr);
    EXPECT_EQ(LoadFaceByIndex(180), nullptr);
    EXPECT_EQ(LoadFaceByName("Face 042"), LoadFaceByIndex(42));
    EXPECT_EQ(first->picture.width, 16);

    ASSERT_EQ(comm_lines::Load(), kStatusOk);
    ASSERT_EQ(builder_->Game().commLines.size(), 4u);
    EXPECT_EQ(builder_->Game().commLines[2]->race, 17);
    EXPECT_EQ(builder_->Game().commLines[3]->sample, "CF16");

    std::remove((g_dataDirs.Prefix(DataDir::kData) + loadout::kFile).c_str());
    EXPECT_EQ(loadout::LoadLoadout(fighter), kStatusNotThisRecord);
    EXPECT_EQ(boxes_.Boxes().back().caption, msg::kCaptionLoadoutError);
}

// Every cut of the definitions file ends its walk; an entry cut short is
// refused, never read past.
TEST_F(DefinitionsTest, TruncatedDefinitionsAreRefused) {
    const std::string path = g_dataDirs.Prefix(DataDir::kData) + "temp.iff";
    std::FILE* const file = std::fopen(path.c_str(), "rb");
    ASSERT_NE(file, nullptr);
    std::vector<uint8_t> bytes(1 << 20);
    bytes.resize(std::fread(bytes.data(), 1, bytes.size(), file));
    std::fclose(file);
    int found = 0;
    std::vector<size_t> cuts;
    // About 2000 cuts, at an odd stride so that they fall on every kind of byte.
    for (size_t cut = 0; cut < bytes.size(); cut += bytes.size() / 2000 | 1) cuts.push_back(cut);
    cuts.push_back(bytes.size());   // and the whole file, which must read
    for (const size_t cut : cuts) {
        const std::string cutPath = dir_.Str() + "/cut.iff";
        std::FILE* const out = std::fopen(cutPath.c_str(), "wb");
        std::fwrite(bytes.data(), 1, cut, out);
        std::fclose(out);
        IffFile iff(0);
        if (iff.OpenFile(cutPath.c_str(), kOpenRead) != kStatusOk) continue;
        if (iff.ValidateHeader() == kStatusOk && definitions::FindEntry(iff, definition_format::kEqobForm, "Shields 1") == kStatusOk) {
            EquipmentDefinition shields;
            if (definitions::ReadEqob(iff, &shields) == kStatusOk && shields.kindWords.size() == 4) ++found;
        }
        iff.CloseFile();
    }
    EXPECT_GT(found, 0);
}

TEST(SpawnRecordsTest, RecordsDecodeAtTheirOffsets) {
    std::vector<uint8_t> rock(spawn_records::kRockBytes, 0);
    PacketWriter out(rock.data(), uint32_t(rock.size()));
    out.Text(0, 16, "Asteroid");
    out.F32(40, 10.0f);
    out.F32(48, 30.0f);
    out.F32(60, 250.0f);
    out.F32(68, 4.0f);
    out.Text(96, 32, "Belt 1");
    const auto decoded = spawn_records::DecodeRock(rock.data(), uint32_t(rock.size()));
    ASSERT_TRUE(decoded);
    EXPECT_STREQ(decoded->definition, "Asteroid");
    EXPECT_FLOAT_EQ(decoded->position.z, 30.0f);
    EXPECT_FLOAT_EQ(decoded->scatter, 250.0f);
    EXPECT_STREQ(decoded->name, "Belt 1");
    EXPECT_FALSE(spawn_records::DecodeRock(rock.data(), uint32_t(rock.size() - 1)));
    std::memset(rock.data(), 'x', 16);   // a definition name without its end
    EXPECT_FALSE(spawn_records::DecodeRock(rock.data(), uint32_t(rock.size())));
    std::vector<uint8_t> gate(spawn_records::kGateBytes, 0);
    PacketWriter(gate.data(), uint32_t(gate.size())).F32(56, std::numeric_limits<float>::infinity());
    EXPECT_FALSE(spawn_records::DecodeGate(gate.data(), uint32_t(gate.size())));
}

// Scatter, drift and spin beyond their ranges refuse the record; the
// ranges' ends and the sample's values pass.
TEST(SpawnRecordsTest, HostileScatterDriftAndSpinAreRefused) {
    const float inf = std::numeric_limits<float>::infinity(), nan = std::numeric_limits<float>::quiet_NaN();
    const auto rockWith = [](float scatter, float drift) {
        std::vector<uint8_t> rock(spawn_records::kRockBytes, 0);
        PacketWriter out(rock.data(), uint32_t(rock.size()));
        out.Text(0, 16, "Asteroid");
        out.F32(60, scatter);
        out.F32(68, drift);
        return spawn_records::DecodeRock(rock.data(), uint32_t(rock.size())).has_value();
    };
    EXPECT_TRUE(rockWith(300.0f, 7.0f));
    EXPECT_TRUE(rockWith(0.0f, 0.0f));
    EXPECT_TRUE(rockWith(spawn_records::kMaxScatter, float(spawn_records::kMaxDrift)));
    for (const float bad : {-1.0f, 1.5e9f, 3.0e38f, inf, -inf, nan}) {
        SCOPED_TRACE(bad);
        EXPECT_FALSE(rockWith(bad, 4.0f));
        EXPECT_FALSE(rockWith(80.0f, bad));
        std::vector<uint8_t> debris(spawn_records::kDebrisBytes, 0);
        PacketWriter out(debris.data(), uint32_t(debris.size()));
        out.Text(0, 16, "Debris");
        out.F32(64, bad);
        EXPECT_FALSE(spawn_records::DecodeDebris(debris.data(), uint32_t(debris.size())));
    }
    const auto buoyWith = [](int32_t spin) {
        mission_file::Record record{mission_file::kBuoy, std::vector<uint8_t>(mission_file::kBuoyBytes, 0)};
        PacketWriter out(record.bytes.data(), uint32_t(record.bytes.size()));
        out.Text(0, 16, "Nav Buoy");
        out.I32(60, spin);
        char definition[16];
        NavBuoyRecord buoy;
        return mission_file::DecodeBuoy(record, definition, &buoy);
    };
    EXPECT_TRUE(buoyWith(20));
    EXPECT_TRUE(buoyWith(0));
    EXPECT_TRUE(buoyWith(spawn_records::kMaxDrift));
    EXPECT_FALSE(buoyWith(spawn_records::kMaxDrift + 1));
    EXPECT_FALSE(buoyWith(-1));
    EXPECT_FALSE(buoyWith(std::numeric_limits<int32_t>::max()));
    EXPECT_FALSE(buoyWith(std::numeric_limits<int32_t>::min()));
}

}  // namespace

#include "tests/support/ChunkBuilder.h"
#include "tests/support/MemoryStream.h"

namespace {

// Found by fuzzing: empty chunks have no bytes to read a text from.
TEST(DefinitionReaderTest, EmptyChunksReadAsEmptyTexts) {
    const ChunkBuilder b;
    const auto file = b.Form("OBJS", {b.Form("SPOB", {b.Form("SPOB", {b.Chunk("ID  ", ChunkBuilder::Bytes{}),
                                                                     b.Chunk("NAME", ChunkBuilder::Bytes{}),
                                                                     b.Chunk("EXPL", ChunkBuilder::Bytes{})})})});
    MemoryStream stream(file);
    IffFile iff(&stream, 0);
    ASSERT_EQ(iff.ValidateHeader(), kStatusOk);
    int entries = 0;
    definitions::ForEachEntry(iff, definition_format::kSpobForm, [&entries](IffFile& entry) {
        SpobDefinition spob;
        EXPECT_EQ(definitions::ReadSpob(entry, &spob), kStatusOk);
        EXPECT_STREQ(spob.id, "");
        EXPECT_TRUE(spob.name.empty() && spob.explosions.empty());
        ++entries;
        return true;
    });
    EXPECT_EQ(entries, 1);
}

}  // namespace

#include <algorithm>
#include <fstream>

#include "mission/Decals.h"
#include "scene/Material.h"
#include "tests/support/FileContents.h"

namespace {

// The fighter's logo 4 paints its material "Paint": the object gets its own
// material list, the model keeps its own; another logo changes nothing.
TEST_F(DefinitionsTest, DecalsReplaceNamedMaterials) {
    Craft* const fighter = LoadCraft("P101");
    ASSERT_NE(fighter, nullptr);
    Material paint, hull;
    paint.name = "Paint";
    hull.name = "Hull";
    Material* list[2] = {&hull, &paint};
    Model* const model = fighter->model;
    Material** const saved = model->materials;
    const uint32_t savedCount = model->materialCount;
    model->materials = list;
    model->materialCount = 2;
    fighter->materials = list;
    EXPECT_EQ(decals::ApplyDecals(fighter, 7), kStatusOk);
    EXPECT_EQ(fighter->materials, list);
    EXPECT_EQ(decals::ApplyDecals(fighter, -1), kStatusOk);
    ASSERT_EQ(decals::ApplyDecals(fighter, 4), kStatusOk);
    ASSERT_NE(fighter->materials, list);
    EXPECT_EQ(fighter->materials[0], &hull);
    EXPECT_NE(fighter->materials[1], &paint);
    EXPECT_EQ(fighter->materials[1]->kind, Material::kKindBitmap);
    EXPECT_EQ(list[1], &paint);
    builder_->Remove(fighter);
    model->materials = saved;
    model->materialCount = savedCount;
}

// A host builds a ship for every peer that asks: the decals of a definition
// come from one read of the file however many ships take them, each ship
// owning materials of its own.
TEST_F(DefinitionsTest, ManyShipsOfOneDefinitionReadTheirDecalsOnce) {
    Material paint;
    paint.name = "Paint";
    Material* list[1] = {&paint};
    decals::ForgetDecals();
    const int32_t readsBefore = decals::DecalFileReads();
    std::vector<Craft*> fleet;
    std::vector<std::pair<Material**, uint32_t>> models;
    for (int i = 0; i < 30; ++i) {
        Craft* const ship = LoadCraft("P101");
        ASSERT_NE(ship, nullptr);
        models.emplace_back(ship->model->materials, ship->model->materialCount);
        ship->model->materials = list;
        ship->model->materialCount = 1;
        ASSERT_EQ(decals::ApplyDecals(ship, 4), kStatusOk);
        ASSERT_EQ(ship->decals.Count(), 1);
        if (!fleet.empty()) {
            EXPECT_NE(ship->decals[0], fleet.back()->decals[0]);
        }
        fleet.push_back(ship);
    }
    EXPECT_EQ(decals::DecalFileReads() - readsBefore, 1);
    for (size_t i = fleet.size(); i-- > 0;) {
        Model* const model = fleet[i]->model;
        builder_->Remove(fleet[i]);
        model->materials = models[i].first;
        model->materialCount = models[i].second;
    }
}

// The fighter's decal entry cut short at every byte and bent byte by byte:
// each read ends with what it could take, never past the file.
TEST_F(DefinitionsTest, ADamagedDecalEntryGivesWhatCanBeRead) {
    Craft* const fighter = LoadCraft("P101");
    ASSERT_NE(fighter, nullptr);
    Material paint;
    paint.name = "Paint";
    Material* list[1] = {&paint};
    Model* const model = fighter->model;
    Material** const saved = model->materials;
    const uint32_t savedCount = model->materialCount;
    model->materials = list;
    model->materialCount = 1;

    const std::string file = g_dataDirs.Prefix(DataDir::kData) + definition_format::kFileName;
    const std::string whole = FileContents(file);
    const size_t entry = whole.find("DECL");
    ASSERT_NE(entry, std::string::npos);
    const size_t entryEnd = std::min(whole.size(), entry + 200);
    const auto tryWith = [&](const std::string& bytes) {
        {
            std::ofstream out(file, std::ios::binary | std::ios::trunc);
            out << bytes;
        }
        decals::ForgetDecals();
        const Status status = decals::ApplyDecals(fighter, 4);
        // A file cut inside its first form does not open at all.
        EXPECT_TRUE(status == kStatusOk || status == kStatusNotThisRecord || status == kStatusCannotOpen) << status;
    };
    for (size_t cut = entry - 8; cut < entryEnd; ++cut) tryWith(whole.substr(0, cut));
    for (size_t at = entry - 8; at < entryEnd; ++at) {
        for (const uint8_t bent : {uint8_t(0x00), uint8_t(0xFF)}) {
            std::string bytes = whole;
            bytes[at] = char(bent);
            tryWith(bytes);
        }
    }
    tryWith(whole);
    EXPECT_NE(fighter->materials[0], &paint);
    builder_->Remove(fighter);
    model->materials = saved;
    model->materialCount = savedCount;
    decals::ForgetDecals();
}

// Equipment kinds a game build makes in its own way: a repair unit made as a
// plain system loads on every ship, each later ship getting a copy of the
// library's; a weapon of no kind of its own cannot be copied, so it is built
// afresh for each ship, and fires nothing.
TEST_F(DefinitionsTest, EquipmentOfPlainKindsIsCopiedOrBuiltAfresh) {
    DefinitionLibrary::RegisterSystemBuilder(ShipSystem::kRepair, [](Craft* craft, int32_t part, const EquipmentDefinition&,
                                                                    const DynArray16* sounds) -> ShipSystem* {
        return new ShipSystem(craft, part, ShipSystem::kRepair, sounds);
    });
    DefinitionLibrary::RegisterSystemBuilder(Weapon::kGun, [](Craft* craft, int32_t part, const EquipmentDefinition&,
                                                             const DynArray16* sounds) -> ShipSystem* {
        const int32_t damage[5] = {};
        auto* const bare = new Weapon(craft, part, 10, 7, 100, 0, 0, damage, Weapon::Light{}, sounds);
        bare->typeId = Weapon::kGun;
        return bare;
    });
    Craft* const first = LoadCraft("P101");
    Craft* const second = LoadCraft("P101");
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    ASSERT_EQ(DefinitionLibrary::Current().LoadShipDefinition(first, nullptr, nullptr, 0), kStatusOk);
    first->GetSystem(ShipSystem::kRepair, nullptr)->AddDamage(5);
    ASSERT_EQ(DefinitionLibrary::Current().LoadShipDefinition(second, nullptr, nullptr, 0), kStatusOk);
    ShipSystem* const repairs[2] = {first->GetSystem(ShipSystem::kRepair, nullptr),
                                    second->GetSystem(ShipSystem::kRepair, nullptr)};
    ASSERT_NE(repairs[0], nullptr);
    ASSERT_NE(repairs[1], nullptr);
    EXPECT_EQ(repairs[1]->owner, second);
    EXPECT_EQ(repairs[1]->damage, 0);
    EXPECT_EQ(repairs[1]->maxDamage, repairs[0]->maxDamage);
    EXPECT_STREQ(repairs[1]->name, repairs[0]->name);
    EXPECT_STREQ(repairs[1]->equipmentId, repairs[0]->equipmentId);
    EXPECT_EQ(repairs[1]->LockClass(), -1);   // no weapon: no lock, no group
    EXPECT_EQ(repairs[1]->Group(), 0);

    for (Craft* craft : {first, second}) {
        ShipSystem* gun = nullptr;
        for (ShipSystem* s = craft->GetSystem(0, nullptr); s != nullptr; s = craft->GetSystem(0, s)) {
            if (s->typeId == Weapon::kGun) gun = s;
        }
        ASSERT_NE(gun, nullptr);
        EXPECT_EQ(gun->owner, craft);
        EXPECT_EQ(craft->FireWeaponGroup(7), 0);
        EXPECT_EQ(gun->Clone(craft, 0), nullptr);
    }
    DefinitionLibrary::RegisterCoreBuilders();
}

}  // namespace

// A host asked for missile after missile reads the definitions file once a
// mission: what it read stays with the mission's library, and only with it.
TEST_F(DefinitionsTest, ADefinitionIsReadOnceAMission) {
    const auto load = [](const char* name) {
        return DefinitionLibrary::Current().LoadObjectDefinition(name, nullptr, SpaceObject::kTypeMissile, 0);
    };
    SpaceObject* const first = load("Missile 29");
    ASSERT_NE(first, nullptr);
    const std::string path = g_dataDirs.Prefix(DataDir::kData) + "temp.iff";
    ASSERT_EQ(std::rename(path.c_str(), (path + ".away").c_str()), 0);
    SpaceObject* const again = load("Missile 29");
    ASSERT_NE(again, nullptr);
    EXPECT_STREQ(again->label, first->label);
    EXPECT_EQ(again->mass, first->mass);
    EXPECT_EQ(load("Decoy"), nullptr);   // never read: the file is gone
    delete first;
    delete again;
    DefinitionLibrary::Reset();
    EXPECT_EQ(load("Missile 29"), nullptr);
    ASSERT_EQ(std::rename((path + ".away").c_str(), path.c_str()), 0);
    DefinitionLibrary::Reset();
    SpaceObject* const back = load("Decoy");
    EXPECT_NE(back, nullptr);
    delete back;
}

// A projectile weapon whose definition names a stream of "fx.iff" in its
// STRM chunk trails that stream behind every shot; one naming a stream fx.iff
// lacks fires bare shots. No sample definition has the chunk: this one is
// built here.
TEST_F(DefinitionsTest, AWeaponsStreamChunkTrailsItsShots) {
    LoadEffectRegistries(builder_->Game());
    const ChunkBuilder b;
    const auto fixed = [](const char* text, size_t bytes) {
        ChunkBuilder::Bytes out(bytes, 0);
        std::memcpy(out.data(), text, std::min(bytes - 1, std::strlen(text)));
        return out;
    };
    const auto words16 = [](std::initializer_list<int16_t> words) {
        ChunkBuilder::Bytes out;
        for (const int16_t word : words) {
            out.push_back(uint8_t(word & 0xFF));
            out.push_back(uint8_t((word >> 8) & 0xFF));
        }
        return out;
    };
    const auto item = [&](const char* id, const char* part) {
        return ChunkBuilder::Join({fixed(id, 16), fixed(part, 16), ChunkBuilder::Words({0})});
    };
    const auto gun = [&](const char* id, const char* stream) {
        return b.Form("EQOB", {b.Chunk("ID  ", fixed(id, 16)), b.Chunk("INFO", ChunkBuilder::Words({23, 1000, 2, 60, 0, 12})),
                               b.Chunk("HARD", words16({1})),
                               b.Chunk("WEAP", words16({6, 600, 200, 60, 40, 0, 0, 30, 4000, 0, 0})),
                               b.Chunk("PROJ", fixed("Flak Shell", 16)), b.Chunk("STRM", fixed(stream, 16))});
    };
    const auto file = b.Form(
        "OBJS",
        {b.Form("SPOB", {b.Form("SPOB", {b.Chunk("ID  ", fixed("Streamer", 16)),
                                         b.Chunk("INFO", ChunkBuilder::Words({10, 1000, 400, 1, 14, 100, 60, 30, 40, 400})),
                                         b.Chunk("MODL", ChunkBuilder::Join({fixed("ships.iff", 32), fixed("FIGHT0000", 16)})),
                                         b.Chunk("EQPT", ChunkBuilder::Join({item("Generator 1", "FIGHT0000"),
                                                                             item("Smoke Flak", "WING0FLHW"),
                                                                             item("Bare Flak", "WING0FRHW")}))})}),
         b.Form("EQOB", {b.Form("EQOB", {b.Chunk("ID  ", fixed("Generator 1", 16)),
                                         b.Chunk("INFO", ChunkBuilder::Words({1, 1100, 2, 100, 0, 10})),
                                         b.Chunk("HARD", words16({2, 2, 1})), b.Chunk("ENRG", words16({120, 12, 20}))}),
                         gun("Smoke Flak", "Smoke"), gun("Bare Flak", "No Such Stream")})});
    const std::string path = g_dataDirs.Prefix(DataDir::kData) + "temp.iff";
    {
        FILE* const out = std::fopen(path.c_str(), "wb");
        ASSERT_NE(out, nullptr);
        ASSERT_EQ(std::fwrite(file.data(), 1, file.size(), out), file.size());
        std::fclose(out);
    }
    DefinitionLibrary::Reset();
    Craft* const craft = LoadCraft("Streamer");
    ASSERT_NE(craft, nullptr);
    ASSERT_EQ(DefinitionLibrary::Current().LoadShipDefinition(craft, nullptr, nullptr, 0), kStatusOk);
    craft->Activate(0);
    std::vector<Weapon*> weapons;
    for (ShipSystem* system = craft->GetSystem(ShipSystem::kAnyWeapon, nullptr); system != nullptr;
         system = craft->GetSystem(ShipSystem::kAnyWeapon, system)) {
        weapons.push_back(static_cast<Weapon*>(system));
    }
    ASSERT_EQ(weapons.size(), 2u);
    auto* const energy = static_cast<EnergySystem*>(craft->GetSystem(ShipSystem::kEnergy, nullptr));
    ASSERT_NE(energy, nullptr);
    GameState& game = builder_->Game();
    for (Weapon* weapon : weapons) {
        const bool smoking = std::strcmp(weapon->equipmentId, "Smoke Flak") == 0;
        SCOPED_TRACE(weapon->equipmentId);
        energy->weaponPool = 1000;
        builder_->Clock().Advance(1000);
        const int32_t before = game.projectiles.Count();
        ASSERT_EQ(weapon->Fire(nullptr, nullptr), 1);
        ASSERT_EQ(game.projectiles.Count(), before + 1);
        const Projectile* const shot = game.projectiles[before];
        EXPECT_EQ(shot->stream != nullptr, smoking);
        EXPECT_STREQ(shot->trailName, smoking ? "Smoke" : "");
    }
    for (int frame = 0; frame < 10; ++frame) {
        builder_->Clock().Advance(50);
        game.Simulate();
    }
    game.ClearFlight();
}
