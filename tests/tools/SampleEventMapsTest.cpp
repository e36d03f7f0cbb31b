// What mkdata writes as input event maps, the maps read back.
#include <gtest/gtest.h>

#include <string>

#include "engine/input/InputEventMap.h"
#include "tests/support/TempDir.h"
#include "tools/mkdata/EventMapData.h"

namespace {

TEST(SampleEventMaps, WrittenMapsLoadByNameWithTheirTriggers) {
    const TempDir dir;
    const std::string path = dir.Str() + "/maps.iff";
    InputTrigger escape;
    escape.keys[0] = 0x01;
    InputTrigger area;
    area.xMin = 10;
    area.xMax = 90;
    area.mouseButtons = 1;
    const std::vector<EventMapSpec> maps = {
        {"Intro", {{1, escape}}},
        {"Hangar", {{4, escape}, {511, area}}},
    };
    ASSERT_EQ(WriteEventMapFile(path.c_str(), maps), kStatusOk);
    InputEventMap map(nullptr);
    ASSERT_EQ(map.Load(path.c_str(), "Hangar"), 0);
    ASSERT_EQ(map.TriggerCount(), 2u);
    EXPECT_EQ(map.Triggers()[0], escape);
    EXPECT_EQ(map.Triggers()[1], area);
    EXPECT_EQ(map.EventCount(), 2u);
    EXPECT_EQ(map.Load(path.c_str(), "Outro"), 1);
}

}  // namespace
