#include "game/PilotFile.h"

#include <cstring>

#include "engine/FileWrappers.h"
#include "engine/WholeFileStream.h"
#include "game/CareerRecord.h"
#include "game/GameState.h"
#include "game/XorChunkStream.h"

namespace {

constexpr const char* kPilotPendingSuffix = ".new";
constexpr const char* kPilotNameEmpty = "A pilot needs a name.";
constexpr const char* kPilotNameLeadingDot = "A pilot's name cannot begin with a dot.";
constexpr const char* kPilotNameTooLong = "A pilot's name can be at most 59 characters long.";
constexpr const char* kPilotNameSeparator = "A pilot's name cannot hold / or \\.";
constexpr const char* kPilotNameControl = "A pilot's name can hold only printable characters.";
static_assert(kMaxPilotNameLength == 59, "the text above names the length");

}  // namespace

const char* PilotNameProblem(const char* name) {
    if (name == nullptr || name[0] == '\0') return kPilotNameEmpty;
    // A leading dot hides the file, and "." and ".." name folders.
    if (name[0] == '.') return kPilotNameLeadingDot;
    if (std::strlen(name) > kMaxPilotNameLength) return kPilotNameTooLong;
    if (std::strpbrk(name, "/\\") != nullptr) return kPilotNameSeparator;
    for (const char* c = name; *c != '\0'; ++c) {
        if (static_cast<unsigned char>(*c) < 0x20 || *c == 0x7F) return kPilotNameControl;
    }
    return nullptr;
}

bool PilotNameUsable(const char* name) { return PilotNameProblem(name) == nullptr; }

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
        WholeFileStream file;
        XorChunkStream stream(&file);
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
