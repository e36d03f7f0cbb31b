#include "game/TextInput.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace std::string_literals;

class TextInputTest : public ::testing::Test {
protected:
    void TearDown() override { SetTextInputBuffer(0); }
};

// Each case takes a new buffer after the last one typed into its own, so a
// buffer that does not start empty shows in the next case.
TEST_F(TextInputTest, TypedCodesEditTheTextWithinTheSizeMinusTwo) {
    const struct {
        int32_t size;
        std::u32string codes;
        std::string text;
    } cases[] = {
        {6, U"Vorn Tessel", "Vorn"},
        {6, U"Vorn Tessel\bxy", "Vorx"},          // room again after a backspace, for one only
        {20, U"ab\b", "a"},
        {20, U"ab\b\b\b\bc", "c"},                // backspace stops at empty
        {20, U"a\r\n\0\x01\x1b\x1f b"s, "a b"},   // control codes are ignored
        {20, U"ab\x163\xFFFFFFFF\xE9", "ab\xE9"}, // no code point is cut down to a byte
        {2, U"a\b", ""},
        {1, U"a", ""},
    };
    for (const auto& c : cases) {
        SetTextInputBuffer(c.size);
        ASSERT_NE(g_textInput, nullptr);
        for (const char32_t code : c.codes) TypeTextInput(uint32_t(code));
        EXPECT_EQ(std::string(g_textInput), c.text) << c.size << " " << c.text;
    }
}

TEST_F(TextInputTest, NoBufferTakesNoHarm) {
    for (const int32_t size : {0, -1, INT32_MIN}) {
        SetTextInputBuffer(size);
        EXPECT_EQ(g_textInput, nullptr);
        EXPECT_EQ(g_textInputSize, 0);
        TypeTextInput('a');
        TypeTextInput(8);
    }
}

}  // namespace
