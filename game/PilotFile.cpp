#include "game/PilotFile.h"

#include <cstring>

#include "engine/FileWrappers.h"
#include "game/CareerRecord.h"
#include "game/GameState.h"
#include "game/XorChunkStream.h"

namespace {

constexpr const char* kPilotPendingSuffix = ".new";

}  // namespace

bool PilotNameUsable(const char* name) {
    if (name == nullptr || name[0] == '\0' || name[0] == '.') return false;
    const size_t length = std::strlen(name);
    if (length > kMaxPilotNameLength) return false;
    return std::strpbrk(name, "/\\") == nullptr;
}

std::string PilotFilePath(const GameState& game, const char* name) {
    if (!PilotNameUsable(name)) return std::string();
    std::string path = game.ConfigFilePath();
    const size_t slash = path.rfind('/');
    path = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
    return path + name + kPilotFileExtension;
}

Status WritePilotFile(GameState& game) {
    if (game.career == nullptr) return kStatusPilotBadName;
    const std::string path = PilotFilePath(game, game.career->GetPilotName());
    if (path.empty()) return kStatusPilotBadName;
    // Written beside the old file and renamed over it, so that a failed or
    // interrupted write keeps the old pilot.
    const std::string pending = path + kPilotPendingSuffix;
    Status status;
    {
        XorChunkStream stream;
        status = stream.OpenFile(pending.c_str(), kOpenWrite | kOpenCreate);
        if (status != kStatusOk) return status;
        // Keyed as the file it becomes.
        stream.SetKeyFromPath(path.c_str());
        status = game.career->Save(stream);
        const Status closed = stream.CloseFile();
        if (status == kStatusOk) status = closed;
    }
    return static_cast<Status>(FinishReplacement(status, pending.c_str(), path.c_str()));
}

Status ReadPilotFile(GameState& game, const char* name) {
    if (game.career == nullptr) return kStatusPilotBadName;
    const std::string path = PilotFilePath(game, name);
    if (path.empty()) return kStatusPilotBadName;
    XorChunkStream stream;
    const Status status = stream.Open(path.c_str(), kOpenRead);
    if (status != kStatusOk) return status;
    return game.career->Load(stream);
}
