// Messages: a chunk written and read back keeps every field; any cut, or a
// field out of range, is refused; the lists' look-ups by title and by
// shown entries.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <memory>
#include <vector>

#include "engine/ByteOrder.h"
#include "game/MessageEntry.h"
#include "game/MessageList.h"

namespace {

MessageEntry Sample(int32_t face) {
    MessageEntry m;
    std::memcpy(m.missionName, "sixteen-chars.ul", 16);   // fills its field: no NUL in the chunk
    m.launchFile = "strike.uli";
    m.face = face;
    m.offer = 0x80000003u;
    m.kind = MessageEntry::kKindOffer;
    m.list = MessageEntry::kVoice;
    m.conditions[0] = 1;
    m.conditions[1] = -5;
    m.conditions[2] = 0x100;
    m.read = 1;
    m.active = MessageEntry::kReleased;
    m.lifetime = 3;
    m.title = "Raider Strike";
    m.body = "Two raiders.";
    return m;
}

TEST(MessageEntry, ARoundTripKeepsEveryField) {
    for (const int32_t face : {-1, 0, 112}) {
        const MessageEntry written = Sample(face);
        const std::vector<uint8_t> bytes = written.Encode();
        // The chunk holds the face less 68 and the launch file without ".uli".
        EXPECT_EQ(int32_t(LoadLe32(bytes.data() + 32)), face - 68);
        EXPECT_EQ(std::memcmp(bytes.data() + 16, "strike\0", 7), 0);
        MessageEntry read;
        ASSERT_TRUE(MessageEntry::Decode(bytes, &read)) << face;
        EXPECT_TRUE(read == written) << face;
        EXPECT_EQ(read.launchFile, "strike.uli");
    }
}

TEST(MessageEntry, EveryCutIsRefusedAndLeavesTheEntry) {
    const std::vector<uint8_t> whole = Sample(112).Encode();
    for (size_t size = 0; size < whole.size(); ++size) {
        MessageEntry out;
        out.title = "kept";
        EXPECT_FALSE(MessageEntry::Decode(std::span(whole.data(), size), &out)) << size;
        EXPECT_EQ(out.title, "kept");
    }
}

TEST(MessageEntry, FieldsOutOfRangeAreRefused) {
    const auto with = [](uint32_t at, int32_t value) {
        std::vector<uint8_t> bytes = Sample(0).Encode();
        StoreLe32(bytes.data() + at, uint32_t(value));
        MessageEntry out;
        return MessageEntry::Decode(bytes, &out);
    };
    constexpr uint32_t kFace = 32, kList = 44, kLifetime = 68;
    EXPECT_FALSE(with(kFace, -70));           // a face below -1
    EXPECT_FALSE(with(kFace, INT32_MAX));     // would wrap past the top
    EXPECT_TRUE(with(kFace, INT32_MAX - 68));
    EXPECT_FALSE(with(kList, 4));
    EXPECT_FALSE(with(kList, -1));
    EXPECT_FALSE(with(kLifetime, -1));
    EXPECT_FALSE(with(kLifetime, INT32_MIN));
    // Texts must end inside the chunk.
    std::vector<uint8_t> open = Sample(0).Encode();
    open.pop_back();
    open.push_back('x');
    MessageEntry out;
    EXPECT_FALSE(MessageEntry::Decode(open, &out));
}

TEST(MessageList, FindsByTitleAndCountsOnlyShownEntries) {
    MessageList list;
    const int32_t states[] = {MessageEntry::kShown, MessageEntry::kReleased, MessageEntry::kHidden, MessageEntry::kShown};
    const char* const titles[] = {"A", "B", "A", "C"};
    for (int i = 0; i < 4; ++i) {
        auto m = std::make_unique<MessageEntry>();
        m->title = titles[i];
        m->active = states[i];
        list.Append(std::move(m));
    }
    EXPECT_EQ(list.FindEntry("A"), list.At(0));
    EXPECT_EQ(list.FindEntry("C"), list.At(3));
    EXPECT_EQ(list.FindEntry("a"), nullptr);
    EXPECT_EQ(list.FindEntry(nullptr), nullptr);
    EXPECT_EQ(list.GetActiveEntry(0), list.At(0));
    EXPECT_EQ(list.GetActiveEntry(1), list.At(3));
    EXPECT_EQ(list.GetActiveEntry(2), nullptr);
    EXPECT_EQ(list.GetActiveEntry(-1), nullptr);
}

}  // namespace
