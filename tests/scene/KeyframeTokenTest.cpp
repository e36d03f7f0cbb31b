// Keyframe libraries and body-part token tables, read from their forms.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "engine/ByteOrder.h"
#include "scene/KeyframeTrack.h"
#include "scene/TokenTable.h"
#include "tests/support/ChunkBuilder.h"
#include "tests/support/ScopedEngineHeap.h"
#include "tests/support/TempDir.h"

namespace {

using Bytes = ChunkBuilder::Bytes;

class FormTest : public ::testing::Test {
protected:
    std::string Write(const Bytes& bytes) {
        dir_.WriteFile("forms.iff", std::string(bytes.begin(), bytes.end()));
        return dir_.Str() + "/forms.iff";
    }
    Bytes Keyf(const char* name, std::vector<Bytes> keys) const {
        Bytes header(168, 0);
        std::memcpy(header.data(), name, std::strlen(name));
        Bytes body = ChunkBuilder::Text("KEYF");
        const Bytes hdr = b_.Chunk("HDR ", header);
        body.insert(body.end(), hdr.begin(), hdr.end());
        for (const Bytes& k : keys) body.insert(body.end(), k.begin(), k.end());
        return ChunkBuilder::Join({b_.Header("FORM", uint32_t(body.size())), body});
    }
    Bytes Key(uint32_t mask, int32_t time, float x, size_t size = 20) const {
        Bytes k(size, 0);
        StoreLe32(k.data(), mask);
        StoreLe32(k.data() + 4, uint32_t(time));
        uint32_t word;
        std::memcpy(&word, &x, sizeof word);
        StoreLe32(k.data() + 8, word);
        return b_.Chunk("KEY1", k);
    }
    Bytes Etok(int32_t version, int32_t declared, std::vector<std::pair<const char*, uint32_t>> tokens) const {
        Bytes header(8, 0);
        StoreLe32(header.data(), uint32_t(version));
        StoreLe32(header.data() + 4, uint32_t(declared));
        Bytes body = ChunkBuilder::Text("ETOK");
        const Bytes hdr = b_.Chunk("HDR ", header);
        body.insert(body.end(), hdr.begin(), hdr.end());
        for (const auto& [name, mask] : tokens) {
            Bytes record(20, 0);
            std::memcpy(record.data(), name, std::strlen(name));
            StoreLe32(record.data() + 16, mask);
            const Bytes c = b_.Chunk("KTOK", record);
            body.insert(body.end(), c.begin(), c.end());
        }
        return ChunkBuilder::Join({b_.Header("FORM", uint32_t(body.size())), body});
    }

    const ScopedEngineHeap heap_{4 * 1024 * 1024};
    const ChunkBuilder b_;
    const TempDir dir_;
};

TEST_F(FormTest, KeysAreOrderedByTimeAndFormsOfOneNameMerge) {
    KeyframeTrack library;
    // Inside a scene, as scene files carry them.
    ASSERT_EQ(library.Load(Write(b_.Form("ESEN", {Keyf("Walk", {Key(0x5, 30, 3), Key(0x5, 10, 1), Key(0x5, 20, 2)})}))
                               .c_str()),
              0);
    ASSERT_EQ(library.Load(Write(Keyf("Walk", {Key(0x5, 10, 9), Key(0x9, 0, 7)})).c_str()), 0);
    ASSERT_EQ(library.Load(Write(Keyf("Run", {Key(0x1, 0, 5)})).c_str()), 0);
    EXPECT_EQ(library.keyCount, 6u);
    EXPECT_EQ(library.CountAnimations(), 2);
    // One track of mask 5: 10 (the later read first), 10, 20, 30.
    const Keyframe* key = library.animations->tracks;
    std::vector<std::pair<int32_t, float>> order;
    for (; key != nullptr; key = key->nextKey) order.emplace_back(key->time, key->x);
    const std::vector<std::pair<int32_t, float>> expected = {{10, 9.0f}, {10, 1.0f}, {20, 2.0f}, {30, 3.0f}};
    EXPECT_EQ(order, expected);
    // The mask test: every bit of the track's mask within the asked mask.
    ASSERT_NE(library.FindKey(0x7, "Walk", 20, nullptr), nullptr);
    EXPECT_EQ(library.FindKey(0x7, "Walk", 20, nullptr)->x, 2.0f);
    EXPECT_EQ(library.FindKey(0x7, "Walk", 0, nullptr), nullptr);    // the 0x9 track is not taken
    EXPECT_EQ(library.FindKey(0xF, "Walk", 0, nullptr), nullptr);     // the first track that fits (0x5) has none at 0
    ASSERT_NE(library.FindKey(0x9, "Walk", 0, nullptr), nullptr);
    EXPECT_EQ(library.FindKey(0x9, "Walk", 0, nullptr)->x, 7.0f);
    EXPECT_EQ(library.FindKey(0x7, "Jump", 10, nullptr), nullptr);
    char name[81] = "x";
    library.NextAnimationName(nullptr, name);
    EXPECT_STREQ(name, "Walk");
    library.NextAnimationName("Walk", name);
    EXPECT_STREQ(name, "Run");
    library.NextAnimationName("Run", name);
    EXPECT_STREQ(name, "");
}

TEST_F(FormTest, BadKeyframeFilesEndInTheirCodes) {
    struct Case {
        const char* what;
        Bytes file;
        Status expected;
    } const cases[] = {
        {"a 24-byte key", Keyf("Walk", {Key(0x5, 0, 1, 24)}), 12},
        {"no header", b_.Form("KEYF", {}), 12},
        {"no form", b_.Chunk("JUNK", "abcd"), 11},
        {"a truncated form", [&] {
             Bytes full = Keyf("Walk", {Key(0x5, 0, 1), Key(0x5, 1, 1)});
             full.resize(full.size() - 10);
             return full;
         }(), 10},
    };
    for (const Case& c : cases) {
        KeyframeTrack library;
        EXPECT_EQ(library.Load(Write(c.file).c_str()), c.expected) << c.what;
    }
}

TEST(TokenTable, TheBuiltInTokensClassifyPartsByTheirNames) {
    const TokenTable empty;   // nothing loaded: the built-in table serves
    struct Case {
        const char* name;
        uint32_t mask;
    } const cases[] = {
        {"U_ARML", 0x15008},    {"ARMWEAP1F", 0x210008},   // ARMWEAP1 stands first
        {"xxFootL", 0x25001},   {"UPLEG-L", 0x2A004},      // the reversed pair, as written
        {"bodyNONE", 0},        {"antenna", 0},
    };
    for (const Case& c : cases) EXPECT_EQ(empty.MaskForName(c.name), c.mask) << c.name;
    int32_t count = 0;
    TokenTable::BuiltIn(&count);
    EXPECT_EQ(count, 48 + 5);
}

TEST_F(FormTest, TokenFormsLoadOnlyWhatTheyDeclare) {
    TokenTable table;
    ASSERT_EQ(table.Load(Write(Etok(1, 3, {{"FIN", 0x100}, {"NOSE", 0x80}, {"TAIL", 0x40}, {"EXTRA", 0x1}})).c_str()),
              0);
    EXPECT_EQ(table.count, 3);
    EXPECT_EQ(table.MaskForName("left_fin_2"), 0x100u);
    EXPECT_EQ(table.MaskForName("extra"), 0u);
    char name[16] = "?";
    table.NameForMask(name, 0x80);
    EXPECT_STREQ(name, "NOSE");
    struct Case {
        const char* what;
        Bytes file;
        Status expected;
    } const cases[] = {
        {"version 2", Etok(2, 1, {{"A", 1}}), 12},
        {"a negative count", Etok(1, -1, {}), 12},
        {"a count beyond reason", Etok(1, 1 << 30, {}), 12},
        {"a token of 24 bytes", b_.Form("ETOK", {b_.Chunk("HDR ", Bytes{1, 0, 0, 0, 1, 0, 0, 0}),
                                                 b_.Chunk("KTOK", Bytes(24, 0))}), 12},
        {"no form", b_.Chunk("JUNK", "abcd"), 11},
        {"a truncated form", [&] {
             Bytes full = Etok(1, 2, {{"A", 1}, {"B", 2}});
             full.resize(full.size() - 8);
             return full;
         }(), 10},
    };
    for (const Case& c : cases) {
        TokenTable other;
        EXPECT_EQ(other.Load(Write(c.file).c_str()), c.expected) << c.what;
    }
}

}  // namespace
