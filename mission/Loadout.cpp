#include "mission/Loadout.h"

#include <cstring>
#include <string>

#include "engine/FileWrappers.h"
#include "engine/IffFile.h"
#include "engine/IffWalk.h"
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
    std::string text;
    return iff_walk::ReadText(iff, 63, &text) ? text : std::string();
}

// The SPOB name of the entry called `id`, or empty.
std::string FindDefinition(IffFile& iff, const char* id) {
    std::string found;
    iff_walk::ForEachNested(iff, {kLoadForm, kTurretForm}, [&](IffFile& entry) {
        if (entry.Descend() != kStatusOk) return false;
        std::string name, definition;
        for (Status inner = entry.NextChunk(); inner == kStatusOk; inner = entry.NextChunk()) {
            if (entry.ChunkId() == MakeTag("ID  ")) name = Text(entry);
            if (entry.ChunkId() == MakeTag("SPOB")) definition = Text(entry);
        }
        if (name == id) {
            found = definition;
            return false;
        }
        return entry.Ascend() == kStatusOk;
    });
    return found;
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
