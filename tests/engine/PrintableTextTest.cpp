// Texts from files made fit for a report line.
#include "engine/PrintableText.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(PrintableTextTest, EscapesWhatCannotBePrintedOrWouldEndAQuote) {
    EXPECT_EQ(PrintableText("Red 1"), "Red 1");
    EXPECT_TRUE(IsPrintableText("Red 1"));
    EXPECT_EQ(PrintableText(std::string("a\0b", 3)), "a\\x00b");
    EXPECT_EQ(PrintableText("\x1b[2J\x7f\x80\xff"), "\\x1b[2J\\x7f\\x80\\xff");
    EXPECT_EQ(PrintableText("say \"hi\" \\ bye"), "say \\x22hi\\x22 \\x5c bye");
    EXPECT_FALSE(IsPrintableText("tab\there"));
    EXPECT_FALSE(IsPrintableText("\""));
    EXPECT_EQ(PrintableText(""), "");
}

}  // namespace
