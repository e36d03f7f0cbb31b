#include "tools/mkdata/EventMapData.h"

#include <cstring>

#include "engine/ByteOrder.h"
#include "engine/FileWrappers.h"
#include "engine/IffFile.h"

Status WriteEventMap(IffFile& iff, const EventMapSpec& map) {
    uint8_t header[16] = {};
    std::strncpy(reinterpret_cast<char*>(header), map.name, 12);
    StoreLe32(header + 12, uint32_t(map.events.size()));
    std::vector<uint8_t> numbers(map.events.size() * 4);
    std::vector<uint8_t> triggers(map.events.size() * InputTrigger::kBytes);
    for (size_t i = 0; i < map.events.size(); ++i) {
        StoreLe32(numbers.data() + 4 * i, map.events[i].number);
        map.events[i].trigger.ToBytes(triggers.data() + InputTrigger::kBytes * i);
    }
    Status status = iff.BeginForm(MakeTag("MEVT"));
    if (status == kStatusOk) status = iff.WriteChunk(MakeTag("HDR "), header, sizeof header);
    if (status == kStatusOk) status = iff.WriteChunk(MakeTag("EVNT"), numbers.data(), uint32_t(numbers.size()));
    if (status == kStatusOk) status = iff.WriteChunk(MakeTag("TRGS"), triggers.data(), uint32_t(triggers.size()));
    if (status == kStatusOk) status = iff.Ascend();
    return status;
}

Status WriteEventMapFile(const char* path, const std::vector<EventMapSpec>& maps) {
    IffFile iff(0);
    Status status = iff.OpenFile(path, kOpenWrite | kOpenCreate);
    for (const EventMapSpec& map : maps) {
        if (status == kStatusOk) status = WriteEventMap(iff, map);
    }
    const Status closed = iff.CloseFile();
    return status != kStatusOk ? status : closed;
}

InputTrigger SpotTrigger(int x, int y, int width, int height) {
    InputTrigger trigger;
    trigger.xMin = int16_t(x);
    trigger.xMax = int16_t(x + width);
    trigger.yMin = int16_t(y);
    trigger.yMax = int16_t(y + height);
    return trigger;
}

InputTrigger KeyTrigger(uint16_t key, uint16_t condition) {
    InputTrigger trigger;
    trigger.keys[0] = key;
    trigger.keys[1] = condition;
    return trigger;
}

InputTrigger MouseButtonTrigger(uint16_t button) {
    InputTrigger trigger;
    trigger.mouseButtons = button;
    return trigger;
}

void AddFocusWalkKeys(EventMapSpec& map, uint32_t next, uint32_t previous, uint32_t activate, int32_t help,
                      bool enterActivates) {
    constexpr uint16_t kKeyTab = 15;
    constexpr uint16_t kKeyEnter = 28;
    constexpr uint16_t kKeyF1 = 59;
    constexpr uint16_t kLeftButton = 1;
    map.events.push_back({next, KeyTrigger(kKeyTab, InputTrigger::kShift + InputTrigger::kNegate)});
    map.events.push_back({previous, KeyTrigger(kKeyTab, InputTrigger::kShift)});
    if (enterActivates) map.events.push_back({activate, KeyTrigger(kKeyEnter)});
    map.events.push_back({activate, MouseButtonTrigger(kLeftButton)});
    if (help >= 0) map.events.push_back({uint32_t(help), KeyTrigger(kKeyF1)});
}
