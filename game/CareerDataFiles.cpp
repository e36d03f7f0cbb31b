#include "game/CareerDataFiles.h"

#include <string>

#include "game/DataDirectories.h"
#include "game/DefinitionFormat.h"
#include "game/ShipRecord.h"

namespace {

IffFile* Open(IffFile& file, int8_t& state, DataDir dir, const char* name) {
    if (state == 0) {
        const std::string path = g_dataDirs.Prefix(dir) + name;
        state = g_dataDirs.Found(dir) && file.OpenFile(path.c_str(), 0) == kStatusOk ? 1 : -1;
    }
    return state > 0 ? &file : nullptr;
}

}  // namespace

CareerDataFiles::~CareerDataFiles() {
    if (definitionsState_ > 0) definitions_.CloseFile();
    if (hullsState_ > 0) hulls_.CloseFile();
}

IffFile* CareerDataFiles::Definitions() {
    return Open(definitions_, definitionsState_, DataDir::kData, definition_format::kFileName);
}

IffFile* CareerDataFiles::Hulls() { return Open(hulls_, hullsState_, DataDir::kOption, ShipRecord::kHullFileName); }
