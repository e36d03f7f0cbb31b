#include "engine/input/InputEventMap.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "engine/input/InputSystem.h"
#include "tests/support/ChunkBuilder.h"
#include "tests/support/ScriptedInput.h"
#include "tests/support/TempDir.h"

namespace {

using Bytes = ChunkBuilder::Bytes;

InputTrigger Keys(std::initializer_list<uint16_t> keys) {
    InputTrigger t;
    int i = 0;
    for (const uint16_t key : keys) t.keys[i++] = key;
    return t;
}

class InputEventMapTest : public ::testing::Test {
protected:
    void SetUp() override {
        input_.PlugJoystick();
        system_ = std::make_unique<DirectInputSystem>(nullptr);
        system_->OpenDevices();
    }
    // The events the map fires now, every one enabled.
    KeySet Fired(InputEventMap& map) {
        system_->Update();
        return map.Poll(~KeySet{});
    }
    bool Fires(const InputTrigger& trigger) {
        InputTrigger copy = trigger;
        InputEventMap map(system_.get());
        map.AddEvent(&copy, EventKey(7));
        return Fired(map).TestEvent(EventKey(7));
    }

    // A "MEVT" form of the given triggers.
    Bytes Form(const char* name, const std::vector<uint32_t>& events, const std::vector<InputTrigger>& triggers,
               int32_t countDelta = 0, int32_t triggerBytesDelta = 0) const {
        Bytes header(16);
        std::memcpy(header.data(), name, std::strlen(name));
        const uint32_t count = uint32_t(int32_t(events.size()) + countDelta);
        for (int i = 0; i < 4; ++i) header[12 + i] = uint8_t(count >> (8 * i));
        Bytes numbers, records;
        for (const uint32_t e : events) {
            for (int i = 0; i < 4; ++i) numbers.push_back(uint8_t(e >> (8 * i)));
        }
        for (const InputTrigger& t : triggers) {
            uint8_t bytes[24];
            t.ToBytes(bytes);
            records.insert(records.end(), bytes, bytes + 24);
        }
        records.resize(size_t(int64_t(records.size()) + triggerBytesDelta));
        return b_.Form("MEVT", {b_.Chunk("HDR ", header), b_.Chunk("EVNT", numbers), b_.Chunk("TRGS", records)});
    }
    std::string Write(const Bytes& bytes) {
        dir_.WriteFile("map.iff", std::string(bytes.begin(), bytes.end()));
        return dir_.Str() + "/map.iff";
    }

    ScriptedInput input_;
    std::unique_ptr<DirectInputSystem> system_;
    const ChunkBuilder b_;
    const TempDir dir_;
};

TEST_F(InputEventMapTest, TriggersHoldWhenEveryConditionDoes) {
    InputTrigger xRange;
    xRange.xMin = 100;
    xRange.xMax = 200;
    InputTrigger buttons;
    buttons.mouseButtons = 3;
    InputTrigger stick;
    stick.joystickButtons = 2;
    InputTrigger motion;
    motion.motionX = 4;
    motion.motionY = 0;
    struct Case {
        const char* what;
        InputTrigger trigger;
        std::vector<uint32_t> keys;
        int32_t mouseX;
        uint8_t mouseButtons;
        bool fires;
    } const cases[] = {
        {"no condition", InputTrigger{}, {}, 0, 0, true},
        {"enter and alt", Keys({0x1C, 0x401}), {0x1C, 0x38}, 0, 0, true},
        {"enter without alt", Keys({0x1C, 0x401}), {0x1C}, 0, 0, false},
        {"enter and right alt", Keys({0x1C, 0x401}), {0x1C, 0xB8}, 0, 0, true},
        {"alt, not enter", Keys({0x21C, 0x401}), {0x38}, 0, 0, true},
        {"alt and enter, not enter", Keys({0x21C, 0x401}), {0x38, 0x1C}, 0, 0, false},
        {"an unknown modifier", Keys({0x404}), {0x38}, 0, 0, false},
        {"shift", Keys({0x403}), {0x36}, 0, 0, true},
        {"ctrl", Keys({0x402}), {0x1D}, 0, 0, true},
        {"right ctrl", Keys({0x402}), {0x9D}, 0, 0, true},
        {"ctrl, not held", Keys({0x402}), {0x2A}, 0, 0, false},
        {"x at 100", xRange, {}, 100, 0, true},
        {"x at 200", xRange, {}, 200, 0, true},
        {"x at 99", xRange, {}, 99, 0, false},
        {"both buttons", buttons, {}, 0, 3, true},
        {"one of two buttons", buttons, {}, 0, 1, false},
        {"joystick button 2 up", stick, {}, 0, 0, false},
    };
    for (const Case& c : cases) {
        for (const uint32_t key : c.keys) input_.Press(key);
        input_.FeedCursor(c.mouseX, 10);
        for (int b = 0; b < 2; ++b) input_.FeedMouseButton(b, (c.mouseButtons >> b & 1) != 0);
        EXPECT_EQ(Fires(c.trigger), c.fires) << c.what;
        for (const uint32_t key : c.keys) input_.Release(key);
        for (int b = 0; b < 2; ++b) input_.FeedMouseButton(b, false);
        system_->Update();
        system_->Snapshot();
    }
    input_.FeedJoystickButton(1, true);
    EXPECT_TRUE(Fires(stick));
    // Motion thresholds read the last poll's movement.
    input_.FeedMouseMotion(5, 0);
    EXPECT_TRUE(Fires(motion));
    input_.FeedMouseMotion(3, 1);
    EXPECT_FALSE(Fires(motion));
}

// A screen reads the devices through its map; a map without an input
// system reads them all at rest.
TEST_F(InputEventMapTest, TheDevicesReadThroughTheMapAreItsInputSystems) {
    InputEventMap map(system_.get());
    InputEventMap detached(nullptr);
    input_.Press(0x1D);
    input_.FeedMouseButton(1, true);
    input_.FeedMouseMotion(6, -3);
    input_.FeedJoystickButton(2, true);
    system_->Update();

    EXPECT_TRUE(map.IsKeyDown(0x1D));
    EXPECT_FALSE(map.IsKeyDown(0x1E));
    EXPECT_EQ(map.GetMouseButtons(), system_->GetMouseButtons());
    EXPECT_NE(map.GetMouseButtons(), 0);
    int16_t dx = 0;
    int16_t dy = 0;
    map.GetMouseMotion(&dx, &dy);
    EXPECT_EQ(dx, 6);
    EXPECT_EQ(dy, -3);
    platform::JoystickInfo stick;
    map.GetJoystickState(&stick);
    EXPECT_EQ(stick.buttons, 4u);

    EXPECT_FALSE(detached.IsKeyDown(0x1D));
    EXPECT_EQ(detached.GetMouseButtons(), 0);
    dx = dy = 0;
    detached.GetMouseMotion(&dx, &dy);
    EXPECT_EQ(dx, 0);
    platform::JoystickInfo none;
    detached.GetJoystickState(&none);
    EXPECT_EQ(none.buttons, 0u);
}

TEST_F(InputEventMapTest, ActivationSwitchesOnTheDevicesTheTriggersNeed) {
    InputTrigger key = Keys({0x1C});
    InputTrigger mouse;
    mouse.mouseButtons = 1;
    InputTrigger stick;
    stick.joystickButtons = 1;
    struct Case {
        const char* what;
        std::vector<InputTrigger*> triggers;
        bool keyboard, mouse, joystick;
    } const cases[] = {
        {"keys only", {&key}, true, false, false},
        {"mouse only", {&mouse}, true, true, false},
        {"joystick and key", {&stick, &key}, true, false, true},
        {"empty", {}, false, false, false},
    };
    for (const Case& c : cases) {
        InputEventMap map(system_.get());
        for (InputTrigger* t : c.triggers) map.AddEvent(t, EventKey(1));
        map.Activate();
        EXPECT_EQ(system_->IsKeyboardActive(), c.keyboard) << c.what;
        EXPECT_EQ(system_->IsMouseActive(), c.mouse) << c.what;
        EXPECT_EQ(system_->IsJoystickActive(), c.joystick) << c.what;
        map.Deactivate();
        EXPECT_FALSE(system_->IsKeyboardActive() || system_->IsMouseActive() || system_->IsJoystickActive());
    }
}

TEST_F(InputEventMapTest, TheMaskKeepsEventsOutAndEvent511IsTheLastBit) {
    InputTrigger always;
    InputEventMap map(system_.get());
    map.AddEvent(&always, EventKey(511));
    map.AddEvent(&always, EventKey(3));
    uint8_t mask[64], out[64];
    std::memset(mask, 0xFF, sizeof mask);
    mask[0] = uint8_t(~(1u << 3));
    system_->Update();
    map.Poll(out, mask);
    EXPECT_EQ(out[63], 0x80);
    EXPECT_EQ(out[0], 0);
    for (int i = 1; i < 63; ++i) EXPECT_EQ(out[i], 0) << i;
    // Removing matches the trigger by its contents and the key.
    InputTrigger same;
    map.RemoveEvent(&same, EventKey(511));
    EXPECT_EQ(map.EventCount(), 1u);
    map.RemoveEvent(&same, EventKey(4));
    EXPECT_EQ(map.EventCount(), 1u);
}

TEST_F(InputEventMapTest, LoadTakesTheNamedFormAndItsTriggers) {
    InputTrigger enter = Keys({0x1C});
    InputTrigger area;
    area.xMin = 10;
    area.xMax = 20;
    const std::string path = Write(ChunkBuilder::Join(
        {Form("Other", {1}, {enter}), Form("Hangar", {5, 511}, {enter, area})}));
    InputEventMap map(system_.get(), path.c_str(), "Hangar");
    ASSERT_EQ(map.TriggerCount(), 2u);
    EXPECT_EQ(map.Triggers()[1], area);
    input_.Press(0x1C);
    input_.FeedCursor(15, 0);
    const KeySet fired = Fired(map);
    EXPECT_TRUE(fired.TestEvent(EventKey(5)));
    EXPECT_TRUE(fired.TestEvent(EventKey(511)));
    EXPECT_FALSE(fired.TestEvent(EventKey(1)));

    // The screens shift their rectangles through the records.
    int seen = 0;
    map.ForEachEvent([&seen](InputTrigger* t) {
        ++seen;
        t->xMin = int16_t(t->xMin + 100);
        return 0;   // stop after the first
    });
    EXPECT_EQ(seen, 1);
    EXPECT_EQ(map.Triggers()[0].xMin, -1 + 100);
    // Any form when no name is given.
    InputEventMap any(system_.get());
    EXPECT_EQ(any.Load(path.c_str(), nullptr), 0);
    EXPECT_EQ(any.TriggerCount(), 1u);
}

TEST_F(InputEventMapTest, HostileOrBrokenFormsAreRefused) {
    const InputTrigger t = Keys({0x1C});
    const Bytes good = Form("Map", {1}, {t});
    struct Case {
        const char* what;
        Bytes file;
    } const cases[] = {
        {"another name", Form("Mop", {1}, {t})},
        {"triggers one byte short", Form("Map", {1}, {t}, 0, -1)},
        {"a count beyond its chunks", Form("Map", {1}, {t}, 0x10000000)},
        {"a count of 2^32 - 1", Form("Map", {1}, {t}, -2)},
        {"a header one byte short", b_.Form("MEVT", {b_.Chunk("HDR ", Bytes{'M', 'a', 'p', 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0})})},
        {"no header", b_.Form("MEVT", {b_.Chunk("EVNT", Bytes{1, 0, 0, 0})})},
        {"event 512", Form("Map", {512}, {t})},
        {"a truncated file", Bytes(good.begin(), good.end() - 10)},
        {"a form size beyond the file", ChunkBuilder::Join({b_.Header("FORM", 4000), ChunkBuilder::Text("MEVT")})},
        {"no form", b_.Chunk("JUNK", "abcd")},
        {"an empty file", {}},
    };
    for (const Case& c : cases) {
        InputEventMap map(system_.get());
        EXPECT_EQ(map.Load(Write(c.file).c_str(), "Map"), 1) << c.what;
        EXPECT_EQ(map.EventCount(), 0u) << c.what;
    }
    InputEventMap map(system_.get());
    EXPECT_EQ(map.Load((dir_.Str() + "/missing.iff").c_str(), "Map"), 1);
    EXPECT_EQ(map.Load(Write(good).c_str(), "Map"), 0);
}

}  // namespace
