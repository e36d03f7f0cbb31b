#pragma once
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "engine/Status.h"
#include "game/DefinitionFormat.h"

class IffFile;

// One object definition of "temp.iff", as read: what the object loader
// applies to an object made from it.
struct SpobDefinition {
    struct Turret {
        char partName[17] = {};
        int32_t values[4] = {};
    };
    struct Equipment {
        char id[17] = {};
        char partName[17] = {};
        int32_t ammunition = 0;
    };

    char id[64] = {};
    int32_t info[definition_format::kSpobInfoWords] = {};
    bool hasInfo = false;
    std::string name;
    char modelFile[definition_format::kFileBytes + 1] = {};
    char modelName[definition_format::kNameBytes + 1] = {};
    char lowModelFile[definition_format::kFileBytes + 1] = {};
    char lowModelName[definition_format::kNameBytes + 1] = {};
    std::vector<std::string> explosions;
    std::vector<std::string> debris;
    int32_t bits = 0;
    std::vector<Turret> turrets;
    std::vector<Equipment> equipment;
    std::map<uint32_t, std::vector<uint8_t>> chunks;   // the kinds' own chunks (WEAP, SPWN...), the first of each id
};

// One equipment definition: the shared words, the name, the sounds and the
// kind's chunk words.
struct EquipmentDefinition {
    char id[64] = {};
    int32_t info[definition_format::kEqobInfoWords] = {};
    bool hasInfo = false;
    std::string name;
    std::string description;
    std::vector<std::string> sounds;
    std::vector<int16_t> kindWords;       // the kind chunk, or the second "HARD"
    uint32_t kindChunk = 0;
    std::vector<uint8_t> mount;           // the first "HARD"
    std::map<uint32_t, std::vector<uint8_t>> chunks;   // every other chunk, the first of each id
    // A chunk's i16 words when it holds at least `needed`; empty otherwise.
    std::vector<int16_t> Words(uint32_t id, size_t needed) const;
    std::string Text(uint32_t id) const;
};

namespace definitions {

// The reader is inside the entry's FORM (as FindEntry leaves it); every
// chunk of the entry is read, and the reader stays inside. 0; 10
// unreadable; 12 a chunk too short, a count that does not fit its chunk,
// or a value that is not finite.
Status ReadSpob(IffFile& iff, SpobDefinition* out);
Status ReadEqob(IffFile& iff, EquipmentDefinition* out);

// Positions the reader inside the entry FORM of that kind whose "ID  " is
// `name`, searching the whole file from its top: 0 found; 11 on a miss, 10
// when the file cannot be walked.
Status FindEntry(IffFile& iff, uint32_t entryForm, const char* name);
// Calls visit on every entry of that kind (the reader inside it) until it
// returns false; 0, or 10 when the file cannot be walked.
Status ForEachEntry(IffFile& iff, uint32_t entryForm, const std::function<bool(IffFile&)>& visit);
inline Status FindSpobForm(IffFile& iff, const char* name) { return FindEntry(iff, definition_format::kSpobForm, name); }

}  // namespace definitions
