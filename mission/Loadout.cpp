#include "mission/Loadout.h"

#include <cstring>
#include <string>

#include "engine/FileWrappers.h"
#include "engine/IffFile.h"
#include "game/DataDirectories.h"
#include "game/GameMessages.h"
#include "game/GameState.h"
#include "mission/ObjectLoader.h"
#include "net/NetPacket.h"
#include "net/NetPacketType.h"
#include "net/NetSession.h"
#include "objects/ships/Craft.h"
#include "platform/MessageBox.h"

namespace loadout {

namespace {

constexpr uint32_t kLoadForm = MakeTag("LOAD");
constexpr uint32_t kTurretForm = MakeTag("TSAT");

std::string Text(IffFile& iff) {
    char text[64] = {};
    const uint32_t size = std::min<uint32_t>(iff.ChunkSize(), sizeof text - 1);
    if (iff.ChunkSize() >= sizeof text || (size > 0 && iff.ReadChunk(text, size) != kStatusOk)) return {};
    return std::string(text, strnlen(text, size));
}

// The SPOB name of the entry called `id`, or empty.
std::string FindDefinition(IffFile& iff, const char* id) {
    for (;;) {
        const Status step = iff.NextChunk();
        if (step == kStatusEndOfData) {
            if (iff.Level() == 0 || iff.Ascend() != kStatusOk) return {};
            continue;
        }
        if (step != kStatusOk) return {};
        if (iff.ChunkId() != IffFile::kFormId) continue;
        if (iff.Level() == 0 && iff.FormType() == kLoadForm) {
            if (iff.Descend() != kStatusOk) return {};
        } else if (iff.Level() == 1 && iff.FormType() == kTurretForm) {
            if (iff.Descend() != kStatusOk) return {};
            std::string name, definition;
            for (Status inner = iff.NextChunk(); inner == kStatusOk; inner = iff.NextChunk()) {
                if (iff.ChunkId() == MakeTag("ID  ")) name = Text(iff);
                if (iff.ChunkId() == MakeTag("SPOB")) definition = Text(iff);
            }
            if (name == id) return definition;
            if (iff.Ascend() != kStatusOk) return {};
        }
    }
}

void Refuse(const char* what) { platform::MessageBox::Current().Show(what, msg::kCaptionLoadoutError, 0); }

}  // namespace

Status LoadLoadout(Craft* owner) {
    if (owner == nullptr || g_gameState == nullptr) return kStatusNothingToDo;
    NetSession* const session = g_gameState->netSession;
    if (session != nullptr && session->IsActive() && !session->IsHost()) {
        NetPacket request;
        request.BuildObjectPacket(kAutoturretRequest, owner);
        if (request.GetData() != nullptr) session->SendGamePacket(request.GetData(), request.GetSize());
    }
    IffFile iff(0);
    const std::string path = g_dataDirs.Prefix(DataDir::kData) + kFile;
    std::string definition;
    if (iff.OpenFile(path.c_str(), kOpenRead) == kStatusOk) {
        if (iff.ValidateHeader() == kStatusOk) definition = FindDefinition(iff, kAutoturret);
        iff.CloseFile();
    }
    if (definition.empty()) {
        Refuse(kAutoturret);
        return kStatusNotThisRecord;
    }
    SpaceObject* const turret =
        DefinitionLibrary::Current().LoadObjectDefinition(definition.c_str(), nullptr, SpaceObject::kTypeCraft, 0);
    if (turret == nullptr) return kStatusNotThisRecord;
    turret->SetSide(owner->side);
    turret->CopyPlacement(*owner);
    const Vector3 behind = owner->Position().Difference(owner->world.forward.Scaled(owner->Radius() + turret->Radius() + kBehind));
    turret->SetPositionFlags(behind, Transform::kAllFlags | 0x10);
    turret->previousPosition = behind;
    turret->Activate(0);
    turret->collisionDelay = 0;
    turret->UpdateVisibility();
    g_gameState->AddObjectsToWorld(turret, 0);
    return kStatusOk;
}

}  // namespace loadout
