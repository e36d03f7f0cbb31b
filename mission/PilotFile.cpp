#include "mission/PilotFile.h"

#include <string>

#include "engine/FileWrappers.h"
#include "game/CareerRecord.h"
#include "game/GameState.h"
#include "game/XorChunkStream.h"

namespace {

constexpr const char* kPilotExtension = ".plr";
constexpr size_t kPathBytes = 64;

}  // namespace

Status WritePilotFile() {
    const GameState* const game = g_gameState;
    if (game == nullptr || game->career == nullptr) return kStatusCannotOpen;
    const std::string path = std::string(game->career->GetPilotName()) + kPilotExtension;
    if (path.size() + 1 > kPathBytes) return kStatusPilotNameTooLong;
    XorChunkStream stream;
    Status status = stream.OpenFile(path.c_str(), kOpenWrite | kOpenCreate);
    if (status != kStatusOk) return status;
    stream.SetKeyFromPath(path.c_str());
    status = game->career->Save(stream);
    const Status closed = stream.CloseFile();
    return status != kStatusOk ? status : closed;
}
