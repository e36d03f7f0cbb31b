#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "engine/Status.h"
#include "display/FontContext.h"

// The sample fonts: one file per font the game loads at start-up, each
// holding one GFNT form. All are drawn by code from one 5 x 7 design of the
// printable ASCII characters (32 to 126); other codes are blank (0 wide in
// the proportional kinds). The file names are the ones the game asks for,
// letter case included.
struct SampleFont {
    const char* fileName;
    const char* fontName;      // the form's name, for SelectFont
    uint16_t width;            // the proportional kinds: their widest glyph
    uint16_t height;
    uint16_t bytesPerGlyph;
    uint16_t kind;             // FontRecord::k*
};

// 8X13: fixed 8 x 13, the design in bold, stretched to 11 rows.
// font03: proportional, 7 rows and one below.
// font07: proportional, the design in bold with a row above and below.
// cockpitf: fixed 6 x 8.
// 9x7opt: fixed 9 x 7 of 256 codes, the design in bold.
// 5x7digit: fixed 6 x 7, only digits and the signs that go with numbers.
// ttf: proportional of 256 codes, the design in bold with a row above and
// below: the text boxes' font, small enough that the pages' number boxes
// hold their widest values (seven digits of credits in the 70 pixels of a
// funds box, three of kills in the 40 of a kill board's).
inline constexpr SampleFont kSampleFonts[] = {
    {"8X13.iff", "8X13", 8, 13, 13, FontRecord::kFixed128},
    {"font03.iff", "font03", 6, 8, 9, FontRecord::kProportional128},
    {"font07.iff", "font07", 7, 9, 10, FontRecord::kProportional128},
    {"cockpitf.iff", "cockpitf", 6, 8, 8, FontRecord::kFixed128},
    {"9x7opt.iff", "9x7opt", 9, 7, 14, FontRecord::kFixed256},
    {"5x7digit.iff", "5x7digit", 6, 7, 7, FontRecord::kFixed128},
    {"ttf.iff", "ttf", 7, 9, 10, FontRecord::kProportional256},
};
inline constexpr int kSampleFontCount = sizeof kSampleFonts / sizeof kSampleFonts[0];

// Rows of the 5 x 7 design for c, bit 4 the leftmost column; all zero for
// codes outside 32..126.
void SampleGlyphRows(char c, uint8_t rows[7]);

// The glyph block of sample font `which` (an index into kSampleFonts), all
// glyphs in code order; empty for an index out of range.
std::vector<uint8_t> DrawSampleFont(int which);

// Writes sample font `which` to `path` as a chunk file of one GFNT form.
// kStatusNothingToDo for an index out of range, else what the chunk file
// returns.
Status WriteSampleFont(int which, const char* path);

// Writes all seven into `directory`, a prefix that ends in '/'; stops at the
// first failure and returns it.
Status WriteSampleFonts(const std::string& directory);
