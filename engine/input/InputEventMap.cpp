#include "engine/input/InputEventMap.h"

#include <cstdlib>
#include <cstring>
#include <utility>
#include <vector>

#include "engine/ByteOrder.h"
#include "engine/FileWrappers.h"
#include "engine/IffFile.h"
#include "engine/input/InputSystem.h"

namespace {

constexpr uint32_t kMapForm = MakeTag("MEVT");
constexpr uint32_t kHeaderChunk = MakeTag("HDR ");
constexpr uint32_t kEventsChunk = MakeTag("EVNT");
constexpr uint32_t kTriggersChunk = MakeTag("TRGS");
constexpr uint32_t kHeaderBytes = 16;
constexpr int kNameBytes = 12;
constexpr uint16_t kUnset = 0xFFFF;

InputEventMap* g_lastPolled = nullptr;

bool Set(int16_t word) { return uint16_t(word) != kUnset; }

bool KeyHolds(uint16_t condition, const InputSystem& input) {
    bool holds;
    if ((condition & InputTrigger::kModifier) != 0) {
        switch (condition & ~InputTrigger::kNegate) {
            case InputTrigger::kAlt: holds = input.IsKeyDown(0x38) || input.IsKeyDown(0xB8); break;
            case InputTrigger::kCtrl: holds = input.IsKeyDown(0x1D) || input.IsKeyDown(0x9D); break;
            case InputTrigger::kShift: holds = input.IsKeyDown(0x2A) || input.IsKeyDown(0x36); break;
            default: holds = false; break;
        }
    } else {
        holds = input.IsKeyDown(condition & 0xFF);
    }
    return (condition & InputTrigger::kNegate) != 0 ? !holds : holds;
}

}  // namespace

// --- InputTrigger --------------------------------------------------------------

bool InputTrigger::Test(const InputSystem& input) const {
    for (const uint16_t key : keys) {
        if (key == kNone) break;
        if (!KeyHolds(key, input)) return false;
    }
    uint16_t x = 0, y = 0;
    int16_t dx = 0, dy = 0;
    input.GetMousePosition(&x, &y);
    input.GetMouseMotion(&dx, &dy);
    // The position words are screen pixels, compared as the signed bounds.
    if (Set(xMin) && Set(xMax) && (int16_t(x) < xMin || int16_t(x) > xMax)) return false;
    if (Set(yMin) && Set(yMax) && (int16_t(y) < yMin || int16_t(y) > yMax)) return false;
    if (Set(motionX) && Set(motionY) && (std::abs(int32_t(dx)) < motionX || std::abs(int32_t(dy)) < motionY)) {
        return false;
    }
    if (mouseButtons != 0 && (input.GetMouseButtons() & mouseButtons) != mouseButtons) return false;
    if (joystickButtons != 0) {
        platform::JoystickInfo state;
        input.GetJoystickState(&state);
        if ((state.buttons & joystickButtons) != joystickButtons) return false;
    }
    return true;
}

bool InputTrigger::HasMouseCondition() const {
    return mouseButtons != 0 || Set(xMin) || Set(xMax) || Set(yMin) || Set(yMax) || Set(motionX) || Set(motionY);
}

bool InputTrigger::HasJoystickCondition() const { return joystickButtons != 0; }

InputTrigger InputTrigger::FromBytes(const uint8_t* b) {
    InputTrigger t;
    for (int i = 0; i < 4; ++i) t.keys[i] = LoadLe16(b + 2 * i);
    t.mouseButtons = LoadLe16(b + 8);
    t.joystickButtons = LoadLe16(b + 10);
    int16_t* const words[6] = {&t.xMin, &t.xMax, &t.yMin, &t.yMax, &t.motionX, &t.motionY};
    for (int i = 0; i < 6; ++i) *words[i] = int16_t(LoadLe16(b + 12 + 2 * i));
    return t;
}

void InputTrigger::ToBytes(uint8_t* b) const {
    const uint16_t words[12] = {keys[0], keys[1], keys[2], keys[3], mouseButtons, joystickButtons,
                                uint16_t(xMin), uint16_t(xMax), uint16_t(yMin), uint16_t(yMax),
                                uint16_t(motionX), uint16_t(motionY)};
    for (int i = 0; i < 12; ++i) StoreLe16(b + 2 * i, words[i]);
}

// --- InputEventMap -------------------------------------------------------------

InputEventMap::InputEventMap(InputSystem* input, const char* fileName, const char* mapName) : input_(input) {
    if (fileName != nullptr) Load(fileName, mapName);
}

InputEventMap::~InputEventMap() {
    if (g_lastPolled == this) g_lastPolled = nullptr;
    Clear();
}

InputEventMap* InputEventMap::TakeLastPolled() { return std::exchange(g_lastPolled, nullptr); }

int32_t InputEventMap::Load(const char* fileName, const char* mapName) {
    IffFile iff(0);
    if (fileName == nullptr || iff.OpenFile(fileName, kOpenRead) != kStatusOk) return 1;
    const int32_t result = iff.ValidateHeader() == kStatusOk ? Load(iff, mapName) : 1;
    iff.CloseFile();
    return result;
}

int32_t InputEventMap::Load(IffFile& iff, const char* mapName) {
    // Only the top level; a failed step leaves the reader where it was, so
    // anything but a chunk or the end of the file ends the walk.
    while (iff.NextChunk() == kStatusOk) {
        if (iff.ChunkId() == IffFile::kFormId && iff.FormType() == kMapForm && ReadForm(iff, mapName) == 0) return 0;
    }
    return 1;
}

int32_t InputEventMap::ReadForm(IffFile& iff, const char* mapName) {
    if (iff.Descend() != kStatusOk) return 1;
    const auto leave = [&iff](int32_t result) {
        iff.Ascend();
        return result;
    };
    uint8_t header[kHeaderBytes];
    if (iff.FindChunk(kHeaderChunk) != kStatusOk || iff.ChunkSize() != kHeaderBytes ||
        iff.ReadChunk(header, sizeof header) != kStatusOk) {
        return leave(1);
    }
    if (mapName != nullptr && std::strncmp(reinterpret_cast<const char*>(header), mapName, kNameBytes) != 0) {
        return leave(1);
    }
    const uint32_t count = LoadLe32(header + 12);
    Clear();
    // The chunks must hold exactly the declared records; a count they
    // cannot hold is refused before anything is allocated for it.
    const uint64_t eventBytes = uint64_t(count) * 4;
    const uint64_t triggerBytes = uint64_t(count) * InputTrigger::kBytes;
    if (iff.FindChunk(kEventsChunk) != kStatusOk || iff.ChunkSize() != eventBytes) return leave(1);
    std::vector<uint8_t> events(size_t(eventBytes) + 1);
    if (count != 0 && iff.ReadChunk(events.data(), iff.ChunkSize()) != kStatusOk) return leave(1);
    for (uint32_t i = 0; i < count; ++i) {
        if (LoadLe32(events.data() + 4 * size_t(i)) > kMaxEvent) return leave(1);
    }
    triggers_.reset(new InputTrigger[count]);
    triggerCount_ = count;
    if (iff.FindChunk(kTriggersChunk) != kStatusOk || iff.ChunkSize() != triggerBytes) return leave(1);
    std::vector<uint8_t> records(size_t(triggerBytes) + 1);
    if (count != 0 && iff.ReadChunk(records.data(), iff.ChunkSize()) != kStatusOk) return leave(1);
    for (uint32_t i = 0; i < count; ++i) {
        triggers_[i] = InputTrigger::FromBytes(records.data() + size_t(i) * InputTrigger::kBytes);
    }
    for (uint32_t i = 0; i < count; ++i) AddEvent(&triggers_[i], EventKey(LoadLe32(events.data() + 4 * size_t(i))));
    return leave(0);
}

void InputEventMap::AddEvent(InputTrigger* trigger, uint16_t eventKey) {
    nodes_ = new Node{nodes_, trigger, eventKey};
}

void InputEventMap::RemoveEvent(const InputTrigger* trigger, uint16_t eventKey) {
    if (trigger == nullptr) return;
    for (Node** link = &nodes_; *link != nullptr; link = &(*link)->next) {
        Node* const node = *link;
        if (node->eventKey == eventKey && *node->trigger == *trigger) {
            *link = node->next;
            delete node;
            return;
        }
    }
}

void InputEventMap::Clear() {
    while (nodes_ != nullptr) {
        Node* const next = nodes_->next;
        delete nodes_;
        nodes_ = next;
    }
    triggers_.reset();
    triggerCount_ = 0;
}

void InputEventMap::ForEachEvent(const TriggerCallback& callback) {
    for (uint32_t i = 0; i < triggerCount_; ++i) {
        if (callback(&triggers_[i]) == 0) return;
    }
}

void InputEventMap::ForEachEventKey(
    const std::function<void(const InputTrigger& trigger, uint16_t eventKey)>& callback) const {
    for (const Node* node = nodes_; node != nullptr; node = node->next) callback(*node->trigger, node->eventKey);
}

uint32_t InputEventMap::EventCount() const {
    uint32_t count = 0;
    for (const Node* node = nodes_; node != nullptr; node = node->next) ++count;
    return count;
}

void InputEventMap::Activate() {
    if (input_ == nullptr) return;
    bool mouse = false, joystick = false;
    for (const Node* node = nodes_; node != nullptr; node = node->next) {
        mouse = mouse || node->trigger->HasMouseCondition();
        joystick = joystick || node->trigger->HasJoystickCondition();
    }
    input_->EnableMouse(mouse);
    input_->EnableKeyboard(nodes_ != nullptr);
    input_->EnableJoystick(joystick);
    input_->Update();
    uint8_t all[64], ignored[64];
    std::memset(all, 0xFF, sizeof all);
    Poll(ignored, all);
}

void InputEventMap::Deactivate() {
    if (input_ == nullptr) return;
    input_->EnableMouse(false);
    input_->EnableKeyboard(false);
    input_->EnableJoystick(false);
}

void InputEventMap::Poll(uint8_t out[64], const uint8_t mask[64]) {
    g_lastPolled = this;
    KeySet maskSet, result;
    maskSet.FromBytes(mask);
    if (input_ != nullptr) {
        for (const Node* node = nodes_; node != nullptr; node = node->next) {
            if (maskSet.TestEvent(node->eventKey) && node->trigger->Test(*input_)) result.SetEvent(node->eventKey);
        }
    }
    result.ToBytes(out);
}

KeySet InputEventMap::Poll(const KeySet& mask) {
    uint8_t in[64], out[64];
    mask.ToBytes(in);
    Poll(out, in);
    KeySet result;
    result.FromBytes(out);
    return result;
}

void InputEventMap::GetMouseMotion(int16_t* dx, int16_t* dy) const {
    if (input_ != nullptr) input_->GetMouseMotion(dx, dy);
}

void InputEventMap::GetMousePosition(uint16_t* x, uint16_t* y) const {
    if (input_ != nullptr) input_->GetMousePosition(x, y);
}

void InputEventMap::SetMousePosition(int16_t x, int16_t y) {
    if (input_ != nullptr) input_->SetMousePosition(x, y);
}

uint8_t InputEventMap::GetMouseButtons() const { return input_ != nullptr ? input_->GetMouseButtons() : 0; }

bool InputEventMap::IsKeyDown(uint32_t key) const { return input_ != nullptr && input_->IsKeyDown(key); }

void InputEventMap::GetJoystickState(platform::JoystickInfo* out) const {
    if (input_ != nullptr) input_->GetJoystickState(out);
}
