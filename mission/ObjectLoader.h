#pragma once
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "engine/RecordArray.h"
#include "engine/Status.h"
#include "game/Definitions.h"

class Craft;
class DefinitionsFile;
class IffFile;
class ShipSystem;
class SpaceObject;

// Builds objects and their equipment from "temp.iff". The templates it
// makes (a model's node tree as a space object) and the systems it builds
// are cached by definition and equipment id for the mission's life.
class DefinitionLibrary {
public:
    // One system of an equipment definition for a craft's part; null when
    // the entry cannot make one.
    using SystemBuilder = ShipSystem* (*)(Craft* craft, int32_t part, const EquipmentDefinition& definition,
                                          const DynArray16* sounds);
    // A kind's own step over a definition (turrets and bits for crafts, a
    // missile's launch parameters...).
    using KindStep = void (*)(SpaceObject* object, const SpobDefinition& definition);

    DefinitionLibrary();
    ~DefinitionLibrary();
    DefinitionLibrary(const DefinitionLibrary&) = delete;
    DefinitionLibrary& operator=(const DefinitionLibrary&) = delete;

    // The library of the current mission (the game's one), made on first use.
    static DefinitionLibrary& Current();
    static void Reset();

    static void RegisterSystemBuilder(int32_t typeId, SystemBuilder builder);
    static void RegisterKindStep(int32_t type, KindStep step);
    // The generator, shields, armour and hardening.
    static void RegisterCoreBuilders();

    // The object of that definition, made through the factory as `type`
    // from the definition's template, not yet in the world; null (and the
    // "Unfound SPOB" message) for a name the file does not hold. The reader
    // may be an open "temp.iff", or null to open the data directory's.
    // A mission record goes with `record` to the kind's record constructor.
    SpaceObject* LoadObjectDefinition(const char* name, IffFile* reader, int32_t type, uint32_t flags,
                                      const void* record = nullptr);
    // What a launcher launches: the object of that definition as `type`,
    // made once and kept by the library; null when there is none.
    SpaceObject* LaunchTemplate(const char* name, int32_t type);
    // One system per equipment entry (the craft's own "EQPT" when `items`
    // is null): built by its type's builder, or cloned from the first one
    // built for the same equipment id. 0, or 10 when the file cannot be read.
    Status LoadShipDefinition(Craft* craft, const std::vector<SpobDefinition::Equipment>* items, IffFile* reader,
                              uint32_t flags);
    // The entries of a ship definition's own "EQPT" whose equipment is of a
    // type from `firstType` to `lastType`: none for a definition the file
    // does not hold. A weapon-less copy of a ship takes its weapons so.
    std::vector<SpobDefinition::Equipment> EquipmentOfTypes(const char* name, int32_t firstType, int32_t lastType);
    // The template object of a definition (its model's nodes as a space object).
    SpaceObject* Template(const SpobDefinition& definition);

private:
    SpaceObject* ModelTemplate(const char* file, const char* model);
    // The entry of that name, read from the file as given; from the data
    // directory's file, which nothing writes while a mission flies, read
    // once and kept, so a stream of launches walks the file once. Null when
    // the file holds none (or cannot be read).
    const SpobDefinition* FindSpob(DefinitionsFile& file, const char* name, SpobDefinition* scratch);
    std::map<std::string, SpobDefinition> dataSpobs_;   // by the file's path and the entry's name
    std::map<std::string, SpaceObject*> templates_;
    std::map<std::string, SpaceObject*> launchTemplates_;   // by type and name
    // Equipment kept by id, with the mass it adds.
    std::map<std::string, std::pair<ShipSystem*, int32_t>> systems_;
    std::vector<std::unique_ptr<SpobDefinition>> definitions_;
};
