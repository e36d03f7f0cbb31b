// The key map: the bindings read from and written to "controls.iff", and
// the event map of the input system that carries them.
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "engine/FileWrappers.h"
#include "engine/input/InputEventMap.h"
#include "engine/input/InputSystem.h"
#include "game/DataDirectories.h"
#include "game/GameState.h"
#include "game/KeyBindings.h"
#include "game/KeyMapFile.h"

namespace {

std::string KeyMapPath() { return g_dataDirs.Prefix(DataDir::kData) + KeyMap::kFileName; }

}  // namespace

void GameState::TakeInputSystem(InputSystem* input) {
    if (input == input_) return;
    // The map polls the system: it goes first, and comes back on the new one.
    eventMap_.reset();
    commands.Clear();
    delete input_;
    input_ = input;
    if (input_ == nullptr) return;
    eventMap_ = std::make_unique<InputEventMap>(input_);
    RegisterKeyMap();
}

void GameState::RegisterKeyMap() {
    if (eventMap_ == nullptr) return;
    eventMap_->Clear();
    for (const auto& function : functionBindings) {
        for (KeyTrigger* trigger : {function->trigger1.get(), function->trigger1Twin.get(), function->trigger2.get(),
                                    function->trigger2Twin.get()}) {
            if (trigger != nullptr && !IsEmptyTrigger(*trigger)) eventMap_->AddEvent(trigger, function->commandCode);
        }
    }
}

bool GameState::LoadKeyMap(std::span<const uint8_t> bytes) {
    KeyMap map;
    if (!KeyMap::Parse(bytes, &map)) return false;
    // The event map holds the old triggers until it takes the new ones.
    if (eventMap_ != nullptr) eventMap_->Clear();
    modifierKey = map.modifierKey;
    modifierKeyRight = map.modifierKeyRight;
    functionBindings = std::move(map.functions);
    axisBindings = std::move(map.axes);
    RegisterKeyMap();
    return true;
}

bool GameState::LoadKeyMap(const char* path) {
    const platform::FileHandle file = FileOpen(path, kOpenRead);
    if (file == platform::kNoFile) return false;
    const int32_t size = FileSize(file);
    // Far more than any key map of 512 functions needs.
    constexpr int32_t kMaxBytes = 1 << 20;
    std::vector<uint8_t> bytes(size > 0 && size <= kMaxBytes ? size_t(size) : 0);
    const bool read = !bytes.empty() && FileRead(file, bytes.data(), uint32_t(bytes.size())) == size;
    FileClose(file);
    return read && LoadKeyMap(bytes);
}

bool GameState::LoadKeyMap() { return LoadKeyMap(KeyMapPath().c_str()); }

Status GameState::SaveKeyMap(const char* path) const {
    const std::vector<uint8_t> bytes = KeyMap::Build(modifierKey, functionBindings, axisBindings);
    // Written beside the old map and renamed over it, so that a failed or
    // interrupted write keeps the old bindings.
    const std::string pending = std::string(path) + ".new";
    const platform::FileHandle file = FileOpen(pending.c_str(), kOpenWrite | kOpenCreate);
    if (file == platform::kNoFile) return kStatusCannotOpen;
    bool written = FileWrite(file, bytes.data(), uint32_t(bytes.size())) == int32_t(bytes.size());
    // On the disk before the rename: a crash after it must not leave an
    // empty map in place of the old one.
    written = written && FileFlush(file) == platform::kFileOk;
    written = FileClose(file) == platform::kFileOk && written;
    const uint32_t result = FinishReplacement(written ? platform::kFileOk : platform::kFileGeneralFailure, pending.c_str(), path);
    return result == platform::kFileOk ? kStatusOk : kStatusPlatformFailed;
}

void GameState::SaveKeyMap() const { SaveKeyMap(KeyMapPath().c_str()); }
