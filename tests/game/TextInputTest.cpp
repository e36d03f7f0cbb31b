#include "game/TextInput.h"

#include <gtest/gtest.h>

#include <string>

namespace {

class TextInputTest : public ::testing::Test {
protected:
    void TearDown() override { SetTextInputBuffer(0); }

    static void Type(const std::string& text) {
        for (const char c : text) TypeTextInput(uint8_t(c));
    }
};

TEST_F(TextInputTest, PrintableCharactersAreAppendedUntilTheSizeMinusTwo) {
    SetTextInputBuffer(6);
    ASSERT_NE(g_textInput, nullptr);
    EXPECT_STREQ(g_textInput, "");
    Type("Vorn Tessel");
    EXPECT_STREQ(g_textInput, "Vorn");
    // Room again after a backspace, for one character only.
    TypeTextInput(8);
    Type("xy");
    EXPECT_STREQ(g_textInput, "Vorx");
}

TEST_F(TextInputTest, BackspaceTakesTheLastCharacterAndStopsAtEmpty) {
    SetTextInputBuffer(20);
    Type("ab");
    TypeTextInput(8);
    EXPECT_STREQ(g_textInput, "a");
    TypeTextInput(8);
    TypeTextInput(8);
    TypeTextInput(8);
    EXPECT_STREQ(g_textInput, "");
    Type("c");
    EXPECT_STREQ(g_textInput, "c");
}

TEST_F(TextInputTest, ReturnLineFeedAndOtherControlCodesAreIgnored) {
    SetTextInputBuffer(20);
    Type("a");
    for (uint32_t code = 0; code < 32; ++code) {
        if (code != 8) TypeTextInput(code);
    }
    Type("b");
    EXPECT_STREQ(g_textInput, "ab");
    // A code point no byte holds is not cut down to one that it does.
    TypeTextInput(0x100 + 'c');
    TypeTextInput(0xFFFFFFFFu);
    EXPECT_STREQ(g_textInput, "ab");
    TypeTextInput(0xE9);
    EXPECT_EQ(std::string(g_textInput), "ab\xE9");
}

TEST_F(TextInputTest, TinyBuffersTakeNothingAndNoBufferTakesNoHarm) {
    for (const int32_t size : {1, 2}) {
        SetTextInputBuffer(size);
        ASSERT_NE(g_textInput, nullptr);
        Type("a");
        TypeTextInput(8);
        EXPECT_STREQ(g_textInput, "") << size;
        EXPECT_EQ(g_textInputSize, size);
    }
    for (const int32_t size : {0, -1, INT32_MIN}) {
        SetTextInputBuffer(size);
        EXPECT_EQ(g_textInput, nullptr);
        EXPECT_EQ(g_textInputSize, 0);
        Type("a");
        TypeTextInput(8);
    }
}

TEST_F(TextInputTest, ANewBufferStartsEmpty) {
    SetTextInputBuffer(20);
    Type("old");
    SetTextInputBuffer(28);
    EXPECT_STREQ(g_textInput, "");
    EXPECT_EQ(g_textInputSize, 28);
}

}  // namespace
