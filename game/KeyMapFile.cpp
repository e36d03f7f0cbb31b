#include "game/KeyMapFile.h"

#include <cstring>
#include <string_view>

#include "engine/ByteOrder.h"
#include "game/CommandTable.h"

namespace {

constexpr uint32_t kHeaderBytes = 8;
constexpr uint32_t kFunctionTriggerBytes = 14;
constexpr uint32_t kAxisTriggerBytes = 4;
constexpr uint32_t kModifierBytes = 4;

// A chunk inside its parent: the id and the data (for a form, its type
// first).
struct Chunk {
    std::string_view id;
    std::span<const uint8_t> data;

    bool IsForm(std::string_view type) const {
        return id == "FORM" && data.size() >= 4 && std::string_view(reinterpret_cast<const char*>(data.data()), 4) == type;
    }
    std::span<const uint8_t> FormBody() const { return data.subspan(4); }
};

// The chunks of a form's body, in order. False when one overruns the body;
// every step moves forward by at least a header.
bool Children(std::span<const uint8_t> body, std::vector<Chunk>* out) {
    size_t at = 0;
    while (at < body.size()) {
        if (body.size() - at < kHeaderBytes) return false;
        const uint32_t size = LoadBe32(body.data() + at + 4);
        if (size > body.size() - at - kHeaderBytes) return false;
        out->push_back({std::string_view(reinterpret_cast<const char*>(body.data() + at), 4),
                        body.subspan(at + kHeaderBytes, size)});
        at += kHeaderBytes + size;
        // An odd chunk is padded to an even size unless it ends its parent.
        if ((size & 1) != 0 && at < body.size()) ++at;
    }
    return true;
}

// The name up to its NUL, which must lie inside the chunk.
bool ReadName(const Chunk& chunk, std::string* name) {
    const void* const end = std::memchr(chunk.data.data(), 0, chunk.data.size());
    if (end == nullptr) return false;
    name->assign(reinterpret_cast<const char*>(chunk.data.data()), static_cast<const uint8_t*>(end) - chunk.data.data());
    return true;
}

bool ValidHat(int32_t degrees) {
    return degrees == FunctionBinding::kNoHat || degrees == 0 || degrees == 90 || degrees == 180 || degrees == 270;
}

bool ReadTrigger(std::span<const uint8_t> data, KeyTrigger* trigger, int32_t* hat) {
    if (data.size() != kFunctionTriggerBytes) return false;
    const uint8_t* const b = data.data();
    *hat = int16_t(LoadLe16(b + 12));
    if (!ValidHat(*hat)) return false;
    for (int i = 0; i < 4; ++i) trigger->keys[i] = LoadLe16(b + 2 * i);
    // Both words mean no key; the event map reads only one of them so.
    if (trigger->keys[0] == 0) trigger->keys[0] = KeyTrigger::kNone;
    trigger->joystickButtons = LoadLe16(b + 8);
    trigger->mouseButtons = LoadLe16(b + 10);
    return true;
}

std::unique_ptr<FunctionBinding> ReadFunction(std::span<const uint8_t> body, uint32_t number) {
    std::vector<Chunk> chunks;
    if (!Children(body, &chunks)) return nullptr;
    auto function = std::make_unique<FunctionBinding>("", number);
    int names = 0, triggers = 0;
    for (const Chunk& chunk : chunks) {
        if (chunk.id == "NAME") {
            if (++names > 1 || !ReadName(chunk, &function->name)) return nullptr;
        } else if (chunk.id == "TRIG") {
            if (triggers >= 2) return nullptr;
            KeyTrigger* const trigger = triggers == 0 ? function->trigger1.get() : function->trigger2.get();
            if (!ReadTrigger(chunk.data, trigger, &function->hatDirection[triggers])) return nullptr;
            ++triggers;
        }
    }
    return names == 1 && triggers == 2 ? std::move(function) : nullptr;
}

bool ValidAxisBits(int32_t bits) { return bits == -1 || bits == 0 || bits == 1 || bits == 2 || bits == 4 || bits == 8; }
bool ValidButton(int32_t button) { return button == 0 || button == 1 || button == 2 || button == 4 || button == 8; }

std::unique_ptr<AxisBinding> ReadAxis(std::span<const uint8_t> body) {
    std::vector<Chunk> chunks;
    if (!Children(body, &chunks)) return nullptr;
    auto axis = std::make_unique<AxisBinding>();
    int names = 0, triggers = 0;
    for (const Chunk& chunk : chunks) {
        if (chunk.id == "NAME") {
            if (++names > 1 || !ReadName(chunk, &axis->name)) return nullptr;
        } else if (chunk.id == "TRIG") {
            if (++triggers > 1 || chunk.data.size() != kAxisTriggerBytes) return nullptr;
            axis->axisBits = int16_t(LoadLe16(chunk.data.data()));
            axis->buttonCondition = LoadLe16(chunk.data.data() + 2);
            if (!ValidAxisBits(axis->axisBits) || !ValidButton(axis->buttonCondition)) return nullptr;
        }
    }
    return names == 1 && triggers == 1 ? std::move(axis) : nullptr;
}

std::unique_ptr<FunctionBinding> DefaultFunction(const command_table::Entry& entry, uint32_t modifierKey,
                                                 uint32_t modifierKeyRight) {
    auto function = std::make_unique<FunctionBinding>(entry.name, entry.number);
    if (entry.key != 0) {
        function->trigger1 = MakeKeyTrigger(entry.key);
        // Both modifier keys are named, so that a plain key does not fire
        // with either of them held.
        if (entry.withModifier) {
            function->trigger1->keys[1] = uint16_t(modifierKey);
        } else {
            function->trigger1->keys[1] = uint16_t(modifierKey + 0x200);
            function->trigger1->keys[2] = uint16_t(modifierKeyRight + 0x200);
        }
    }
    function->trigger2->joystickButtons = entry.joystickButtons;
    function->MakeTwins(modifierKey, modifierKeyRight);
    return function;
}

std::unique_ptr<AxisBinding> DefaultAxis(const command_table::AxisEntry& entry) {
    auto axis = std::make_unique<AxisBinding>();
    axis->name = entry.name;
    axis->axisBits = entry.axisBits;
    return axis;
}

// Appends a chunk header whose size is patched once the data is there.
size_t Open(std::vector<uint8_t>* out, const char* id) {
    const size_t at = out->size();
    out->insert(out->end(), id, id + 4);
    out->resize(out->size() + 4);
    return at;
}

void Close(std::vector<uint8_t>* out, size_t at) {
    const uint32_t size = uint32_t(out->size() - at - kHeaderBytes);
    StoreBe32(out->data() + at + 4, size);
    if ((size & 1) != 0) out->push_back(0);
}

size_t OpenForm(std::vector<uint8_t>* out, const char* type) {
    const size_t at = Open(out, "FORM");
    out->insert(out->end(), type, type + 4);
    return at;
}

void Add(std::vector<uint8_t>* out, const char* id, const uint8_t* data, size_t size) {
    const size_t at = Open(out, id);
    out->insert(out->end(), data, data + size);
    Close(out, at);
}

void AddName(std::vector<uint8_t>* out, const std::string& name) {
    Add(out, "NAME", reinterpret_cast<const uint8_t*>(name.c_str()), name.size() + 1);
}

}  // namespace

KeyMap KeyMap::Defaults() {
    KeyMap map;
    map.modifierKey = command_table::kDefaultModifierKey;
    map.modifierKeyRight = RightModifierKey(map.modifierKey);
    for (const auto& entry : command_table::Defaults()) {
        map.functions.push_back(DefaultFunction(entry, map.modifierKey, map.modifierKeyRight));
    }
    for (const auto& entry : command_table::AxisDefaults()) map.axes.push_back(DefaultAxis(entry));
    return map;
}

bool KeyMap::Parse(std::span<const uint8_t> bytes, KeyMap* out) {
    if (bytes.size() < kHeaderBytes + 4) return false;
    std::vector<Chunk> top;
    if (!Children(bytes, &top) || top.size() != 1 || !top[0].IsForm("BODY")) return false;
    std::vector<Chunk> chunks;
    if (!Children(top[0].FormBody(), &chunks)) return false;

    KeyMap map;
    bool haveModifier = false;
    // The twins depend on the modifier, which may come after the functions.
    for (const Chunk& chunk : chunks) {
        if (chunk.id != "MODI") continue;
        if (haveModifier || chunk.data.size() != kModifierBytes) return false;
        map.modifierKey = LoadLe32(chunk.data.data());
        map.modifierKeyRight = RightModifierKey(map.modifierKey);
        if (map.modifierKeyRight == 0) return false;
        haveModifier = true;
    }
    if (!haveModifier) return false;
    for (const Chunk& chunk : chunks) {
        if (chunk.IsForm("FUNC")) {
            if (map.functions.size() >= kMaxFunctions) return false;
            auto function = ReadFunction(chunk.FormBody(), uint32_t(map.functions.size()));
            if (function == nullptr) return false;
            function->MakeTwins(map.modifierKey, map.modifierKeyRight);
            map.functions.push_back(std::move(function));
        } else if (chunk.IsForm("AXIS")) {
            auto axis = ReadAxis(chunk.FormBody());
            if (axis == nullptr) return false;
            map.axes.push_back(std::move(axis));
        }
    }
    // A short map still gives every command the controls screen shows.
    const auto functions = command_table::Defaults();
    for (size_t i = map.functions.size(); i < functions.size(); ++i) {
        map.functions.push_back(DefaultFunction(functions[i], map.modifierKey, map.modifierKeyRight));
    }
    const auto axes = command_table::AxisDefaults();
    for (size_t i = map.axes.size(); i < axes.size(); ++i) map.axes.push_back(DefaultAxis(axes[i]));
    *out = std::move(map);
    return true;
}

std::vector<uint8_t> KeyMap::Build(uint32_t modifierKey, std::span<const std::unique_ptr<FunctionBinding>> functions,
                                   std::span<const std::unique_ptr<AxisBinding>> axes) {
    std::vector<uint8_t> out;
    const size_t body = OpenForm(&out, "BODY");
    uint8_t modifier[kModifierBytes];
    StoreLe32(modifier, modifierKey);
    Add(&out, "MODI", modifier, sizeof modifier);
    for (const auto& function : functions) {
        const size_t form = OpenForm(&out, "FUNC");
        AddName(&out, function->name);
        const KeyTrigger* const triggers[2] = {function->trigger1.get(), function->trigger2.get()};
        for (int i = 0; i < 2; ++i) {
            const KeyTrigger& t = *triggers[i];
            const uint16_t words[7] = {t.keys[0], t.keys[1], t.keys[2], t.keys[3], t.joystickButtons, t.mouseButtons,
                                       uint16_t(function->hatDirection[i])};
            uint8_t record[kFunctionTriggerBytes];
            for (int w = 0; w < 7; ++w) StoreLe16(record + 2 * w, words[w]);
            Add(&out, "TRIG", record, sizeof record);
        }
        Close(&out, form);
    }
    for (const auto& axis : axes) {
        const size_t form = OpenForm(&out, "AXIS");
        AddName(&out, axis->name);
        uint8_t record[kAxisTriggerBytes];
        StoreLe16(record, uint16_t(axis->axisBits));
        StoreLe16(record + 2, uint16_t(axis->buttonCondition));
        Add(&out, "TRIG", record, sizeof record);
        Close(&out, form);
    }
    Close(&out, body);
    return out;
}
