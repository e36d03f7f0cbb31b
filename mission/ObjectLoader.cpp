#include "mission/ObjectLoader.h"

#include "mission/Goal.h"

#include <cmath>
#include <cstring>

#include "engine/FileWrappers.h"
#include "engine/ByteOrder.h"
#include "engine/IffFile.h"
#include "engine/PrintableText.h"
#include "engine/Saturate.h"
#include "game/DataDirectories.h"
#include "game/GameMessages.h"
#include "game/GameState.h"
#include "objects/ships/Craft.h"
#include "objects/space/ObjectPart.h"
#include "objects/space/SpaceObject.h"
#include "objects/systems/CountermeasureSystems.h"
#include "objects/systems/EnergySystem.h"
#include "objects/systems/RepairSystem.h"
#include "objects/systems/EngineSystem.h"
#include "objects/systems/RadarSystem.h"
#include "objects/systems/ShieldSystem.h"
#include "objects/systems/TargetingSystem.h"
#include "objects/space/Missile.h"
#include "objects/weapons/BeamWeapon.h"
#include "objects/weapons/GunWeapon.h"
#include "objects/weapons/Launchers.h"
#include "objects/weapons/ProjectileWeapon.h"
#include "platform/MessageBox.h"
#include "scene/Model.h"
#include "scene/SceneObject.h"

namespace fmt = definition_format;

namespace {

constexpr int32_t kTypes = 32;

DefinitionLibrary::SystemBuilder g_builders[kTypes] = {};
DefinitionLibrary::KindStep g_kindSteps[kTypes] = {};
DefinitionLibrary* g_library = nullptr;

}  // namespace

// The definitions file a call reads: the one given, or the data directory's,
// opened when first asked for and closed with the call.
class DefinitionsFile {
public:
    explicit DefinitionsFile(IffFile* given) : iff_(given), given_(given != nullptr) {}
    ~DefinitionsFile() {
        if (opened_) own_.CloseFile();
    }
    DefinitionsFile(const DefinitionsFile&) = delete;
    DefinitionsFile& operator=(const DefinitionsFile&) = delete;
    IffFile* Get() {
        if (iff_ != nullptr || tried_) return iff_;
        tried_ = true;
        if (own_.OpenFile(Path().c_str(), kOpenRead) == kStatusOk && own_.ValidateHeader() == kStatusOk) {
            iff_ = &own_;
            opened_ = true;
        }
        return iff_;
    }
    // The data directory's file, whose definitions may be kept.
    bool DataFile() const { return !given_; }
    static std::string Path() { return g_dataDirs.Prefix(DataDir::kData) + fmt::kFileName; }

private:
    IffFile own_{0};
    IffFile* iff_;
    bool given_;
    bool tried_ = false;
    bool opened_ = false;
};

namespace {

// A weapon from WEAP's eleven words: `make` builds it from them; the lock
// class and the EMP charge every kind takes are set here.
template <typename Make>
ShipSystem* BuildWeapon(const EquipmentDefinition& d, Make make) {
    const std::vector<int16_t> words = d.Words(MakeTag("WEAP"), 11);
    if (words.empty()) return nullptr;
    const Weapon::Definition w = Weapon::Definition::FromWords(words.data());
    Weapon* const weapon = make(w);
    weapon->lockClass = w.lockClass;
    weapon->empCharge = w.empCharge;
    return weapon;
}

}  // namespace

DefinitionLibrary::DefinitionLibrary() = default;

DefinitionLibrary::~DefinitionLibrary() {
    for (auto& [id, kept] : systems_) delete kept.first;
    // Templates never leave a world, yet goals may name them (a rearm
    // station's reload goal): they forget them first.
    for (auto& [id, object] : templates_) ForgetGoalSubject(object);
    for (auto& [id, object] : launchTemplates_) ForgetGoalSubject(object);
    for (auto& [id, object] : templates_) delete object;
    for (auto& [id, object] : launchTemplates_) delete object;
}

SpaceObject* DefinitionLibrary::LaunchTemplate(const char* name, int32_t type) {
    if (name == nullptr || name[0] == 0) return nullptr;
    const std::string key = std::to_string(type) + "/" + name;
    if (auto it = launchTemplates_.find(key); it != launchTemplates_.end()) return it->second;
    // Marked before loading: a carrier whose payload (or the payload's own)
    // names it again gets nothing, instead of loading for ever.
    launchTemplates_[key] = nullptr;
    SpaceObject* const made = LoadObjectDefinition(name, nullptr, type, 0);
    launchTemplates_[key] = made;
    return made;
}

const SpobDefinition* DefinitionLibrary::FindSpob(DefinitionsFile& file, const char* name, SpobDefinition* scratch) {
    std::string key;
    if (file.DataFile()) {
        key = DefinitionsFile::Path() + '\n' + name;
        if (const auto kept = dataSpobs_.find(key); kept != dataSpobs_.end()) return &kept->second;
    }
    IffFile* const iff = file.Get();
    if (iff == nullptr || definitions::FindSpobForm(*iff, name) != kStatusOk ||
        definitions::ReadSpob(*iff, scratch) != kStatusOk) {
        return nullptr;
    }
    if (!file.DataFile()) return scratch;
    return &(dataSpobs_[key] = std::move(*scratch));
}

std::vector<SpobDefinition::Equipment> DefinitionLibrary::EquipmentOfTypes(const char* name, int32_t firstType,
                                                                           int32_t lastType) {
    std::vector<SpobDefinition::Equipment> chosen;
    DefinitionsFile file(nullptr);
    SpobDefinition own;
    const SpobDefinition* const found = name != nullptr && file.Get() != nullptr ? FindSpob(file, name, &own) : nullptr;
    if (found == nullptr) return chosen;
    for (const SpobDefinition::Equipment& item : found->equipment) {
        int32_t typeId = -1;
        if (const auto cached = systems_.find(item.id); cached != systems_.end()) {
            typeId = cached->second.first->typeId;
        } else {
            EquipmentDefinition definition;
            if (definitions::FindEntry(*file.Get(), fmt::kEqobForm, item.id) == kStatusOk &&
                definitions::ReadEqob(*file.Get(), &definition) == kStatusOk && definition.hasInfo) {
                typeId = definition.info[fmt::kTypeId];
            }
        }
        if (typeId >= firstType && typeId <= lastType) chosen.push_back(item);
    }
    return chosen;
}

DefinitionLibrary& DefinitionLibrary::Current() {
    if (g_library == nullptr) g_library = new DefinitionLibrary;
    return *g_library;
}

void DefinitionLibrary::Reset() {
    delete g_library;
    g_library = nullptr;
}

void DefinitionLibrary::RegisterSystemBuilder(int32_t typeId, SystemBuilder builder) {
    if (typeId >= 0 && typeId < kTypes) g_builders[typeId] = builder;
}

void DefinitionLibrary::RegisterKindStep(int32_t type, KindStep step) {
    if (type >= 0 && type < kTypes) g_kindSteps[type] = step;
}

void DefinitionLibrary::RegisterCoreBuilders() {
    RegisterSystemBuilder(ShipSystem::kEnergy, [](Craft* craft, int32_t part, const EquipmentDefinition& d,
                                                 const DynArray16* sounds) -> ShipSystem* {
        if (d.kindChunk != fmt::kEnergyChunk || d.kindWords.size() < fmt::kEnergyWords) return nullptr;
        return EnergySystem::FromWords(craft, part, d.kindWords.data(), d.info[fmt::kMaxDamage], sounds);
    });
    RegisterSystemBuilder(ShipSystem::kShield, [](Craft* craft, int32_t part, const EquipmentDefinition& d,
                                                 const DynArray16* sounds) -> ShipSystem* {
        if (d.kindChunk != fmt::kShieldChunk || d.kindWords.size() < fmt::kShieldWords) return nullptr;
        return ShieldSystem::FromWords(craft, part, d.kindWords.data(), d.info[fmt::kMaxDamage], sounds);
    });
    RegisterSystemBuilder(ShipSystem::kArmor, [](Craft* craft, int32_t part, const EquipmentDefinition& d,
                                                const DynArray16* sounds) -> ShipSystem* {
        return new ArmorSystem(craft, part, d.info[fmt::kMaxDamage], sounds);
    });
    RegisterSystemBuilder(ShipSystem::kHardening, [](Craft* craft, int32_t part, const EquipmentDefinition& d,
                                                    const DynArray16*) -> ShipSystem* {
        if (d.kindChunk != fmt::kHard || d.kindWords.size() < fmt::kHardeningWords) return nullptr;
        return new HardeningSystem(craft, part, d.kindWords[0], d.kindWords[1]);
    });
    RegisterSystemBuilder(ShipSystem::kRadar, [](Craft* craft, int32_t part, const EquipmentDefinition& d,
                                                const DynArray16* sounds) -> ShipSystem* {
        const std::vector<int16_t> words = d.Words(MakeTag("RADR"), 7);
        return words.empty() ? nullptr : new RadarSystem(craft, part, words.data(), d.info[fmt::kMaxDamage], sounds);
    });
    RegisterSystemBuilder(ShipSystem::kTargeting, [](Craft* craft, int32_t part, const EquipmentDefinition& d,
                                                    const DynArray16* sounds) -> ShipSystem* {
        const auto it = d.chunks.find(MakeTag("TARG"));
        if (it == d.chunks.end()) return nullptr;
        return TargetingSystem::FromChunk(craft, part, it->second.data(), uint32_t(it->second.size()),
                                          d.info[fmt::kMaxDamage], sounds);
    });
    RegisterSystemBuilder(ShipSystem::kFlightControl, [](Craft* craft, int32_t part, const EquipmentDefinition& d,
                                                        const DynArray16*) -> ShipSystem* {
        const std::vector<int16_t> words = d.Words(MakeTag("FLGT"), 7);
        if (words.empty()) return nullptr;
        const std::string control = d.Text(MakeTag("CTRL"));
        // The player's curve comes from the control file named here.
        if (craft != nullptr && craft->type == SpaceObject::kTypePlayerShip && g_gameState != nullptr && !control.empty()) {
            g_gameState->LoadFlightControl(control.c_str());
        }
        return new FlightControlSystem(craft, part, words.data(), control.c_str(), d.info[fmt::kMaxDamage]);
    });
    RegisterSystemBuilder(ShipSystem::kEngine, [](Craft* craft, int32_t part, const EquipmentDefinition& d,
                                                 const DynArray16* sounds) -> ShipSystem* {
        const std::vector<int16_t> words = d.Words(MakeTag("ENGI"), 5);
        return words.empty() ? nullptr : new EngineSystem(craft, part, words.data(), d.info[fmt::kMaxDamage], sounds);
    });
    RegisterSystemBuilder(ShipSystem::kSensor, [](Craft* craft, int32_t part, const EquipmentDefinition& d,
                                                 const DynArray16* sounds) -> ShipSystem* {
        const std::vector<int16_t> words = d.Words(MakeTag("SENS"), 6);
        if (words.empty()) return nullptr;
        SpaceObject* const probe =
            DefinitionLibrary::Current().LaunchTemplate(d.Text(MakeTag("LINK")).c_str(), SpaceObject::kTypeMissile);
        return new SensorSystem(craft, part, probe, words[1], words[3], words[5], sounds);
    });
    RegisterSystemBuilder(ShipSystem::kEcm, [](Craft* craft, int32_t part, const EquipmentDefinition& d,
                                              const DynArray16* sounds) -> ShipSystem* {
        const std::vector<int16_t> words = d.Words(MakeTag("ECM "), 3);
        return words.empty() ? nullptr : new EcmSystem(craft, part, words.data(), d.info[fmt::kMaxDamage], sounds);
    });
    RegisterSystemBuilder(ShipSystem::kCloak, [](Craft* craft, int32_t part, const EquipmentDefinition& d,
                                                const DynArray16* sounds) -> ShipSystem* {
        const std::vector<int16_t> words = d.Words(MakeTag("CLOK"), 5);
        return words.empty() ? nullptr : new CloakSystem(craft, part, words.data(), d.info[fmt::kMaxDamage], sounds);
    });
    RegisterSystemBuilder(ShipSystem::kJammer, [](Craft* craft, int32_t part, const EquipmentDefinition& d,
                                                 const DynArray16* sounds) -> ShipSystem* {
        const std::vector<int16_t> words = d.Words(MakeTag("JAMM"), 2);
        if (words.empty()) return nullptr;
        return new JammerSystem(craft, part, words[0], words[1], d.info[fmt::kMaxDamage], sounds);
    });
    RegisterSystemBuilder(ShipSystem::kRepair, [](Craft* craft, int32_t part, const EquipmentDefinition& d,
                                                 const DynArray16*) -> ShipSystem* {
        const std::vector<int16_t> words = d.Words(MakeTag("REPR"), 2);
        return words.empty() ? nullptr : new RepairSystem(craft, part, words[0], words[1]);
    });
    RegisterSystemBuilder(ShipSystem::kDecoy, [](Craft* craft, int32_t part, const EquipmentDefinition& d,
                                                const DynArray16* sounds) -> ShipSystem* {
        const std::vector<int16_t> words = d.Words(MakeTag("DECY"), 3);
        if (words.empty()) return nullptr;
        SpaceObject* const decoy =
            DefinitionLibrary::Current().LaunchTemplate(d.Text(MakeTag("LINK")).c_str(), SpaceObject::kTypeDecoy);
        return new DecoySystem(craft, part, decoy, words.data(), d.info[fmt::kMaxDamage], sounds);
    });
    // The weapons: WEAP's eleven words, and the kind's own chunk.
    RegisterSystemBuilder(Weapon::kBeam, [](Craft* craft, int32_t part, const EquipmentDefinition& d,
                                           const DynArray16* sounds) -> ShipSystem* {
        return BuildWeapon(d, [&](const Weapon::Definition& w) {
            return new BeamWeapon(craft, part, d.info[fmt::kMaxDamage], Weapon::kGunGroup, w.energyPerShot,
                                  w.kindValue, w.damage, d.Text(MakeTag("BEAM")).c_str(), sounds);
        });
    });
    RegisterSystemBuilder(Weapon::kGun, [](Craft* craft, int32_t part, const EquipmentDefinition& d,
                                          const DynArray16* sounds) -> ShipSystem* {
        return BuildWeapon(d, [&](const Weapon::Definition& w) {
            return new GunWeapon(craft, part, d.info[fmt::kMaxDamage], Weapon::kGunGroup, w.refireDelay,
                                 w.energyPerShot, w.ammunition, w.kindValue, w.damage,
                                 d.Text(MakeTag("EXPL")).c_str(), sounds);
        });
    });
    RegisterSystemBuilder(Weapon::kMissileLauncher, [](Craft* craft, int32_t part, const EquipmentDefinition& d,
                                                      const DynArray16* sounds) -> ShipSystem* {
        return BuildWeapon(d, [&](const Weapon::Definition& w) {
            SpaceObject* const missile = DefinitionLibrary::Current().LaunchTemplate(d.Text(MakeTag("LINK")).c_str(),
                                                                                    SpaceObject::kTypeMissile);
            return new MissileLauncher(craft, part, d.info[fmt::kMaxDamage], Weapon::kMissileGroup, w.refireDelay,
                                       w.energyPerShot, w.ammunition, w.kindValue * 1000, w.damage, missile, sounds);
        });
    });
    RegisterSystemBuilder(Weapon::kProjectileWeapon, [](Craft* craft, int32_t part, const EquipmentDefinition& d,
                                                       const DynArray16* sounds) -> ShipSystem* {
        return BuildWeapon(d, [&](const Weapon::Definition& w) {
            Weapon::Light light;
            if (const std::vector<int16_t> lght = d.Words(MakeTag("LGHT"), 3); !lght.empty()) {
                light = {uint16_t(lght[0]), uint16_t(lght[1]), uint8_t(lght[2] & 0xFF)};
            }
            auto* const weapon = new ProjectileWeapon(craft, part, d.info[fmt::kMaxDamage], Weapon::kProjectileGroup,
                                                      w.refireDelay, w.energyPerShot, w.ammunition, w.kindValue,
                                                      w.damage, d.Text(MakeTag("PROJ")).c_str(), sounds, light);
            if (d.chunks.count(MakeTag("STRM")) != 0) weapon->BindStreamType(d.Text(MakeTag("STRM")).c_str());
            return weapon;
        });
    });
    RegisterSystemBuilder(Weapon::kObjectLauncher, [](Craft* craft, int32_t part, const EquipmentDefinition& d,
                                                     const DynArray16* sounds) -> ShipSystem* {
        return BuildWeapon(d, [&](const Weapon::Definition& w) {
            SpaceObject* const mine =
                DefinitionLibrary::Current().LaunchTemplate(d.Text(MakeTag("LINK")).c_str(), SpaceObject::kTypeMine);
            // The count comes from the ship's equipment record (see LoadShipDefinition).
            return new ObjectLauncher(craft, part, d.info[fmt::kMaxDamage], Weapon::kObjectGroup, w.refireDelay,
                                      w.energyPerShot, 0, w.damage, mine, sounds);
        });
    });
    // A missile's steering and lifetime, and what a carrier releases.
    RegisterKindStep(SpaceObject::kTypeMissile, [](SpaceObject* object, const SpobDefinition& d) {
        auto* const missile = dynamic_cast<Missile*>(object);
        if (missile == nullptr) return;
        if (auto it = d.chunks.find(MakeTag("WEAP")); it != d.chunks.end() && it->second.size() >= 8) {
            missile->lifetime = int32_t(LoadLe32(it->second.data()));
            missile->turnRate = int32_t(LoadLe32(it->second.data() + 4));
        }
        const auto spawn = d.chunks.find(MakeTag("SPWN"));
        if (spawn == d.chunks.end() || spawn->second.size() < 16 + 1) return;
        const uint8_t* const bytes = spawn->second.data();
        char name[fmt::kNameBytes + 1] = {};
        std::memcpy(name, bytes + 16, std::min<size_t>(spawn->second.size() - 16, fmt::kNameBytes));
        const int32_t kind = LoadLe32(bytes + 12) != 0 ? SpaceObject::kTypeMine : SpaceObject::kTypeMissile;
        SpaceObject* const payload = DefinitionLibrary::Current().LaunchTemplate(name, kind);
        if (payload == nullptr) return;
        missile->SetLaunchParams(payload, int32_t(LoadLe32(bytes)), int32_t(LoadLe32(bytes + 4)),
                                 float(int32_t(LoadLe32(bytes + 8))) * 0.01f);
    });
    // Crafts keep their definition's bits and get a turret per TURR record.
    for (int32_t type = SpaceObject::kTypeCraft; type <= SpaceObject::kTypeAiShip; ++type) {
        RegisterKindStep(type, [](SpaceObject* object, const SpobDefinition& d) {
            auto* const craft = static_cast<Craft*>(object);
            craft->bits = d.bits;
            for (const SpobDefinition::Turret& entry : d.turrets) {
                Turret::Record record{};
                std::memcpy(record.baseName, entry.partName, sizeof record.baseName);
                record.greatestPitch = entry.values[0];
                record.turnRate = entry.values[1];
                record.yawAxis = entry.values[2];
                record.barrelAxis = entry.values[3];
                craft->AddTurret(record);
            }
        });
    }
}

SpaceObject* DefinitionLibrary::ModelTemplate(const char* file, const char* model) {
    const std::string key = std::string(file) + "/" + model;
    if (auto it = templates_.find(key); it != templates_.end()) return it->second;
    if (g_gameState == nullptr) return nullptr;
    const std::string path = g_dataDirs.Prefix(DataDir::kMesh) + file;
    SceneObject* const source = g_gameState->AttachToScene(model, path.c_str(), nullptr);
    if (source == nullptr || source->model == nullptr) return nullptr;
    auto* const made = new SpaceObject(source->model);
    if (made == nullptr) return nullptr;
    made->flags = source->flags;
    // The model's placement in its scene file sizes it; the objects made
    // from the template keep that scale (its position and turn are the
    // scene's, not the world's).
    made->local.Scale(SpaceObject::PlacementScale(source->local.matrix), Transform::kAllFlags);
    made->UpdateWorldTransform(Transform::kAllFlags);
    made->BuildParts(made, source->firstChild);
    made->UpdatePartBounds();
    templates_[key] = made;
    return made;
}

SpaceObject* DefinitionLibrary::Template(const SpobDefinition& definition) {
    return ModelTemplate(definition.modelFile, definition.modelName);
}

SpaceObject* DefinitionLibrary::LoadObjectDefinition(const char* name, IffFile* reader, int32_t type, uint32_t flags,
                                                     const void* record) {
    DefinitionsFile file(reader);
    SpobDefinition scratch;
    const SpobDefinition* const found = name != nullptr ? FindSpob(file, name, &scratch) : nullptr;
    if (found == nullptr) {
        // The name comes from a mission file: the box shows it escaped.
        platform::MessageBox::Current().Show(PrintableText(name != nullptr ? name : "").c_str(), msg::kCaptionUnfoundSpob, 0);
        return nullptr;
    }
    const SpobDefinition& definition = *found;
    SpaceObject* const templateObject = Template(definition);
    if (templateObject == nullptr || g_gameState == nullptr) return nullptr;
    SpaceObject* const object = g_gameState->CreateObject(type, name, record, templateObject);
    if (object == nullptr) return nullptr;
    object->SetTemplate(templateObject);
    if (definition.lowModelFile[0] != 0) {
        if (SpaceObject* const low = ModelTemplate(definition.lowModelFile, definition.lowModelName)) object->SetTemplate(low);
    }
    std::strncpy(object->label, definition.id, SpaceObject::kLabelBytes);
    object->label[SpaceObject::kLabelBytes] = 0;
    object->SetName(!definition.name.empty() ? definition.name.c_str() : definition.id);
    if (definition.hasInfo) {
        const int32_t* const info = definition.info;
        object->mass = float(info[fmt::kMass]);
        object->fuelAllowance = info[fmt::kFuelAllowance];
        const int64_t detail = info[fmt::kDetailDistance];
        object->lodFarSq = detail * detail - 100;
        object->lodNearSq = detail * detail + 100;
        object->classWord = info[fmt::kClassWord];
        object->groupKey = uint32_t(info[fmt::kGroupKey]);
        object->SetAccelerations(float(info[fmt::kVelocityCap]), float(info[fmt::kSpinCap]));
        object->SetMaxRates(float(info[fmt::kMaxSpeed]), float(info[fmt::kMaxTurnRate]));
        object->SetHitPoints(info[fmt::kHitPoints]);
    }
    for (const std::string& explosion : definition.explosions) {
        if (char* const copy = EngineCopyText(explosion.c_str())) object->explosionNames.Append(copy);
    }
    if (type >= SpaceObject::kTypeCraft) {
        // A craft's definition words are the templates of its debris.
        for (const std::string& debris : definition.debris) {
            SpobDefinition piece;
            const SpobDefinition* const known = FindSpob(file, debris.c_str(), &piece);
            if (known == nullptr) continue;
            if (SpaceObject* const debrisTemplate = Template(*known)) object->definitionWords.Append(uintptr_t(debrisTemplate));
        }
    }
    if (type >= 0 && type < kTypes && g_kindSteps[type] != nullptr) g_kindSteps[type](object, definition);
    (void)flags;
    return object;
}

Status DefinitionLibrary::LoadShipDefinition(Craft* craft, const std::vector<SpobDefinition::Equipment>* items,
                                             IffFile* reader, uint32_t) {
    if (craft == nullptr) return kStatusNothingToDo;
    DefinitionsFile file(reader);
    if (file.Get() == nullptr) return kStatusCannotOpen;
    SpobDefinition own;
    if (items == nullptr) {
        const SpobDefinition* const found = FindSpob(file, craft->label, &own);
        if (found == nullptr) return kStatusNotThisRecord;
        items = &found->equipment;
    }
    for (const SpobDefinition::Equipment& item : *items) {
        int32_t part = 0;
        for (int32_t i = 0; i < craft->parts.Count(); ++i) {
            const SceneObject* const node = craft->parts[i]->node;
            if (node != nullptr && node->model != nullptr && std::strncmp(node->model->name, item.partName, 16) == 0) {
                part = i;
                break;
            }
        }
        ShipSystem* system = nullptr;
        int32_t massAdded = 0;
        auto cached = systems_.find(item.id);
        // The player's flight control is always loaded afresh, for the player's curve.
        if (cached != systems_.end() && cached->second.first->typeId == ShipSystem::kFlightControl &&
            craft->type == SpaceObject::kTypePlayerShip) {
            cached = systems_.end();
        }
        if (cached != systems_.end()) {
            system = cached->second.first->Clone(craft, part);
            massAdded = cached->second.second;
        } else {
            EquipmentDefinition definition;
            if (definitions::FindEntry(*file.Get(), fmt::kEqobForm, item.id) != kStatusOk ||
                definitions::ReadEqob(*file.Get(), &definition) != kStatusOk || !definition.hasInfo) {
                continue;
            }
            const int32_t typeId = definition.info[fmt::kTypeId];
            if (typeId < 0 || typeId >= kTypes || g_builders[typeId] == nullptr) continue;
            DynArray16 sounds;
            for (const std::string& sound : definition.sounds) {
                Record<16> record{};
                std::memcpy(record.words, sound.c_str(), std::min<size_t>(sound.size(), 15));
                sounds.Add(record);
            }
            system = g_builders[typeId](craft, part, definition, &sounds);
            if (system == nullptr) continue;
            if (typeId != ShipSystem::kArmor) system->maxDamage = definition.info[fmt::kMaxDamage];
            system->powerDraw = definition.info[fmt::kPowerDraw];
            system->unitPrice = definition.info[fmt::kUnitPrice];
            system->SetName(definition.name.c_str());
            std::strncpy(system->equipmentId, item.id, ShipSystem::kNameBytes);
            massAdded = definition.info[fmt::kMassAdded];
            // The kept template belongs to the library, not to the craft.
            if (systems_.find(item.id) == systems_.end()) {
                if (ShipSystem* const kept = system->Clone(nullptr, 0)) systems_[item.id] = {kept, massAdded};
            }
        }
        if (system == nullptr) continue;
        std::strncpy(system->equipmentId, item.id, ShipSystem::kNameBytes);
        if (system->typeId == Weapon::kObjectLauncher) {
            auto* const launcher = static_cast<Weapon*>(system);
            launcher->ammunition = launcher->maxAmmunition = item.ammunition;
        }
        craft->mass += float(massAdded);
        craft->AddSystem(part, system);
    }
    return kStatusOk;
}
