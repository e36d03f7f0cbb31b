#include "display/FontLoader.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "engine/ByteOrder.h"
#include "display/FontContext.h"
#include "tests/support/ChunkBuilder.h"
#include "tests/support/FaultyFileSystem.h"
#include "tests/support/FontFixtures.h"
#include "tests/support/ScopedInstall.h"
#include "tests/support/TempDir.h"

namespace {

using Bytes = ChunkBuilder::Bytes;

class FontLoaderTest : public ::testing::Test {
protected:
    std::string Write(const Bytes& bytes, const std::string& file = "font.iff") const {
        return GfntBuilder::WriteFile(dir_, file, bytes);
    }
    static const FontRecord* Current() { return g_fontContext->current; }
    // No record of the table keeps a glyph block: what a failed load took is gone.
    static int RecordsWithGlyphs() {
        int n = 0;
        for (uint32_t i = 0; i < g_fontContext->fontCount; ++i) n += g_fontContext->fonts[i].glyphs != nullptr;
        return n;
    }
    // Loads a font that works, so that a failure after it has a font to drop.
    void LoadGoodFont() {
        const std::string path = Write(GfntBuilder("good", 8, 2, 2, FontRecord::kFixed128).Fill().Form(), "good.iff");
        ASSERT_EQ(LoadFont(path.c_str(), nullptr), kStatusOk);
        ASSERT_NE(Current(), nullptr);
    }
    // A failed load leaves no font current and holds no glyphs beyond the good font's.
    void ExpectRefused(const Bytes& bytes, Status expected) {
        const int before = RecordsWithGlyphs();
        EXPECT_EQ(LoadFont(Write(bytes).c_str(), nullptr), expected);
        EXPECT_EQ(Current(), nullptr);
        EXPECT_EQ(RecordsWithGlyphs(), before);
    }

    TempDir dir_;
    ScopedFontLayer fonts_;
};

TEST_F(FontLoaderTest, FixedFontRoundTripsEveryFieldAndGlyph) {
    GfntBuilder font("Fixed8x3", 8, 3, 3, FontRecord::kFixed128);
    font.Fill();
    ASSERT_EQ(LoadFont(Write(font.Form()).c_str(), nullptr), kStatusOk);
    const FontRecord* loaded = Current();
    ASSERT_NE(loaded, nullptr);
    EXPECT_EQ(std::string(loaded->name, 8), "Fixed8x3");
    EXPECT_EQ(loaded->width, 8);
    EXPECT_EQ(loaded->height, 3);
    EXPECT_EQ(loaded->bytesPerGlyph, 3);
    EXPECT_EQ(loaded->kind, FontRecord::kFixed128);
    ASSERT_NE(loaded->glyphs, nullptr);
    EXPECT_EQ(loaded->glyphView, loaded->glyphs);
    EXPECT_EQ(std::memcmp(loaded->glyphs, font.body.data(), font.body.size()), 0);
    EXPECT_EQ(FontHeight(), 3u);
    EXPECT_EQ(FontCharWidth('A'), 8u);
    // Row 2 of 'A' as the builder wrote it.
    EXPECT_EQ(loaded->Glyph('A')[2], uint8_t('A' + 32));
}

TEST_F(FontLoaderTest, ProportionalFontsKeepTheirGlyphWidths) {
    GfntBuilder font("prop", 8, 4, 5, FontRecord::kProportional256);
    font.Fill();
    ASSERT_EQ(LoadFont(Write(font.Form()).c_str(), nullptr), kStatusOk);
    EXPECT_EQ(std::memcmp(Current()->glyphs, font.body.data(), font.body.size()), 0);
    EXPECT_EQ(FontCharWidth('A'), GfntBuilder::ProportionalWidth('A'));
    EXPECT_EQ(FontCharWidth(char(200)), GfntBuilder::ProportionalWidth(200));
}

TEST_F(FontLoaderTest, TheFirstFormIsTakenWithoutANameAndANamedOneWithIt) {
    const Bytes two = ChunkBuilder::Join({GfntBuilder("first", 8, 1, 1, FontRecord::kFixed128).Fill().Form(),
                                          GfntBuilder("second", 8, 2, 2, FontRecord::kFixed128).Fill().Form()});
    const std::string path = Write(two);
    ASSERT_EQ(LoadFont(path.c_str(), nullptr), kStatusOk);
    EXPECT_STREQ(Current()->name, "first");
    ASSERT_EQ(LoadFont(path.c_str(), "second"), kStatusOk);
    EXPECT_STREQ(Current()->name, "second");
    EXPECT_EQ(FontHeight(), 2u);
    EXPECT_EQ(LoadFont(path.c_str(), "third"), kStatusFontNotThisFont);
    EXPECT_EQ(Current(), nullptr);
}

TEST_F(FontLoaderTest, OtherChunksAndFormsAroundTheFontAreSkipped) {
    const ChunkBuilder b;
    const Bytes file = ChunkBuilder::Join({
        b.Chunk("JUNK", "xyz"),
        b.Form("XFEB", {b.Chunk("HDR ", Bytes(32, 0))}),
        b.Form("GFNT", {b.Chunk("NOTE", "before"), b.Chunk("HDR ", GfntBuilder("f", 8, 1, 1, 0).Header()),
                        b.Form("SUB ", {}), b.Chunk("BODY", Bytes(128, 0x3C)), b.Chunk("NOTE", "after")}),
    });
    ASSERT_EQ(LoadFont(Write(file).c_str(), "f"), kStatusOk);
    EXPECT_EQ(Current()->glyphs[127], 0x3C);
}

TEST_F(FontLoaderTest, TheCurrentFontsNameIsKeptWithoutOpeningTheFile) {
    ASSERT_EQ(LoadFont(Write(GfntBuilder("keep", 8, 1, 1, 0).Fill().Form()).c_str(), nullptr), kStatusOk);
    const FontRecord* kept = Current();
    EXPECT_EQ(LoadFont((dir_.Str() + "/no-such-file.iff").c_str(), "keep"), kStatusOk);
    EXPECT_EQ(Current(), kept);
    // Without a name there is nothing to compare: the file is opened.
    EXPECT_EQ(LoadFont((dir_.Str() + "/no-such-file.iff").c_str(), nullptr), kStatusFontCannotRead);
    EXPECT_EQ(Current(), nullptr);
}

TEST_F(FontLoaderTest, FilesThatCannotBeReadAreRefused) {
    LoadGoodFont();
    EXPECT_EQ(LoadFont(nullptr, "good"), kStatusFontCannotRead);
    EXPECT_EQ(LoadFont((dir_.Str() + "/missing.iff").c_str(), nullptr), kStatusFontCannotRead);
    EXPECT_EQ(Current(), nullptr);
    ExpectRefused(ChunkBuilder::Text("not a chunk file"), kStatusFontCannotRead);
    // An empty file and a file of no font have no font to give.
    ExpectRefused({}, kStatusFontNotThisFont);
    const ChunkBuilder b;
    ExpectRefused(b.Form("XFEB", {}), kStatusFontNotThisFont);
}

TEST_F(FontLoaderTest, WithoutTheFontLayerNothingLoads) {
    StopFonts();
    const std::string path = Write(GfntBuilder("f", 8, 1, 1, 0).Fill().Form());
    EXPECT_EQ(LoadFont(path.c_str(), nullptr), kStatusFontNoMemory);
    EXPECT_EQ(StartFonts(), kStatusOk);
}

TEST_F(FontLoaderTest, MalformedHeadersAreRefused) {
    const ChunkBuilder b;
    LoadGoodFont();
    ExpectRefused(b.Form("GFNT", {b.Chunk("BODY", Bytes(128, 0))}), kStatusFontMalformed);
    ExpectRefused(b.Form("GFNT", {b.Chunk("HDR ", Bytes(31, 0)), b.Chunk("BODY", Bytes(128, 0))}),
                  kStatusFontMalformed);
    ExpectRefused(b.Form("GFNT", {b.Chunk("HDR ", Bytes(33, 0)), b.Chunk("BODY", Bytes(128, 0))}),
                  kStatusFontMalformed);
    ExpectRefused(GfntBuilder("zero", 0, 1, 1, 0).Form(), kStatusFontMalformed);
    ExpectRefused(GfntBuilder("zero", 8, 0, 1, 0).Form(), kStatusFontMalformed);
    ExpectRefused(GfntBuilder("zero", 8, 1, 0, 0).Form(), kStatusFontMalformed);
}

TEST_F(FontLoaderTest, UnknownKindsAndAFilledReservedByteAreRefused) {
    LoadGoodFont();
    ExpectRefused(GfntBuilder("kind", 8, 1, 1, 5).Form(), kStatusFontBadKind);
    ExpectRefused(GfntBuilder("kind", 8, 1, 1, 40).Form(), kStatusFontBadKind);
    GfntBuilder reserved("reserved", 8, 1, 1, 0);
    reserved.byte24 = 1;
    ExpectRefused(reserved.Form(), kStatusFontBadKind);
}

TEST_F(FontLoaderTest, ABodyOfAnyOtherSizeOrNoneIsRefused) {
    const ChunkBuilder b;
    LoadGoodFont();
    // A 256-glyph kind with the body of a 128-glyph one.
    GfntBuilder wide("wide", 8, 1, 1, FontRecord::kFixed256);
    ExpectRefused(b.Form("GFNT", {b.Chunk("HDR ", wide.Header()), b.Chunk("BODY", Bytes(128, 0))}),
                  kStatusFontMalformed);
    GfntBuilder font("f", 8, 1, 1, 0);
    ExpectRefused(b.Form("GFNT", {b.Chunk("HDR ", font.Header()), b.Chunk("BODY", Bytes(129, 0))}),
                  kStatusFontMalformed);
    ExpectRefused(font.FormWithoutBody(), kStatusFontMalformed);
    // A body in front of the header is not the font's.
    ExpectRefused(b.Form("GFNT", {b.Chunk("BODY", font.body), b.Chunk("HDR ", font.Header())}),
                  kStatusFontMalformed);
}

TEST_F(FontLoaderTest, FixedGlyphRowsBeyondTheGlyphSizeAreRefused) {
    LoadGoodFont();
    // Nine columns take two bytes a row: 2 x 3 rows do not fit in 5 bytes.
    ExpectRefused(GfntBuilder("rows", 9, 3, 5, FontRecord::kFixed128).Form(), kStatusFontMalformed);
    ExpectRefused(GfntBuilder("rows", 8, 4, 3, FontRecord::kFixed256).Form(), kStatusFontMalformed);
    // Sizes a glyph image cannot hold.
    ExpectRefused(GfntBuilder("wide", 0x8000, 1, 0x1000, 0).Form(), kStatusFontMalformed);
    ExpectRefused(GfntBuilder("tall", 8, 0x8000, 0x8000, 20).Form(), kStatusFontMalformed);
    // Exactly full is fine.
    EXPECT_EQ(LoadFont(Write(GfntBuilder("full", 9, 3, 6, 0).Fill().Form()).c_str(), nullptr), kStatusOk);
}

TEST_F(FontLoaderTest, ProportionalWidthsAreCutToWhatTheirRowsHold) {
    // Four rows of one byte after the width byte: at most 8 columns.
    GfntBuilder narrow("narrow", 8, 4, 5, FontRecord::kProportional128);
    narrow.Glyph('A')[0] = 200;
    narrow.Glyph('B')[0] = 9;
    narrow.Glyph('C')[0] = 8;
    ASSERT_EQ(LoadFont(Write(narrow.Form()).c_str(), nullptr), kStatusOk);
    EXPECT_EQ(FontCharWidth('A'), 8u);
    EXPECT_EQ(FontCharWidth('B'), 8u);
    EXPECT_EQ(FontCharWidth('C'), 8u);

    // Rows with room for 256 columns: the signed widths of kind 20 stop at
    // 127, the unsigned ones of kind 30 keep 200.
    GfntBuilder signedWidths("signed", 8, 1, 33, FontRecord::kProportional128);
    signedWidths.Glyph('A')[0] = 200;
    ASSERT_EQ(LoadFont(Write(signedWidths.Form()).c_str(), nullptr), kStatusOk);
    EXPECT_EQ(FontCharWidth('A'), 127u);
    EXPECT_EQ(FontStringWidth("AA"), 254u);
    GfntBuilder unsignedWidths("unsigned", 8, 1, 33, FontRecord::kProportional256);
    unsignedWidths.Glyph('A')[0] = 200;
    ASSERT_EQ(LoadFont(Write(unsignedWidths.Form()).c_str(), nullptr), kStatusOk);
    EXPECT_EQ(FontCharWidth('A'), 200u);

    // Rows that cannot hold one byte each leave every glyph 0 wide.
    GfntBuilder flat("flat", 8, 4, 4, FontRecord::kProportional128);
    flat.Glyph('A')[0] = 3;
    ASSERT_EQ(LoadFont(Write(flat.Form()).c_str(), nullptr), kStatusOk);
    EXPECT_EQ(FontCharWidth('A'), 0u);
}

TEST_F(FontLoaderTest, AFileCutShortAtAnyByteIsRefusedAndKeepsNothing) {
    LoadGoodFont();
    const Bytes whole = GfntBuilder("cut", 8, 2, 2, FontRecord::kProportional128).Fill().Form();
    for (size_t length = 1; length < whole.size(); ++length) {
        SCOPED_TRACE(length);
        Bytes cut(whole.begin(), whole.begin() + length);
        const int before = RecordsWithGlyphs();
        EXPECT_NE(LoadFont(Write(cut).c_str(), nullptr), kStatusOk);
        EXPECT_EQ(Current(), nullptr);
        EXPECT_EQ(RecordsWithGlyphs(), before);
        // The same cut with a form size that agrees, so that the walk inside
        // the form meets the cut rather than the file check.
        if (length >= 12) {
            StoreBe32(cut.data() + 4, static_cast<uint32_t>(length - 8));
            EXPECT_NE(LoadFont(Write(cut).c_str(), nullptr), kStatusOk);
            EXPECT_EQ(Current(), nullptr);
            EXPECT_EQ(RecordsWithGlyphs(), before);
        }
    }
    EXPECT_EQ(LoadFont(Write(whole).c_str(), nullptr), kStatusOk);
}

// A disk that refuses any one read or seek of a font that is in order
// (after another form has been passed over) fails the load and keeps
// nothing of it: unreadable, or malformed where the failed read was the
// search for a chunk. Only the last seek, out of a form already read, may
// fail without harm.
TEST_F(FontLoaderTest, ADiskFailingAtAnyReadOrSeekIsRefusedAndKeepsNothing) {
    const Bytes file = ChunkBuilder::Join({GfntBuilder("other", 8, 2, 2, FontRecord::kFixed128).Fill().Form(),
                                           GfntBuilder("disk", 8, 2, 2, FontRecord::kProportional128).Fill().Form()});
    const std::string path = Write(file);
    FaultyFileSystem files;
    const ScopedInstall<platform::FileSystem> installed(files);
    LoadGoodFont();
    const uint32_t readsBefore = files.Calls(FaultyFileSystem::kRead);
    const uint32_t seeksBefore = files.Calls(FaultyFileSystem::kSeek);
    ASSERT_EQ(LoadFont(path.c_str(), "disk"), kStatusOk);
    const uint32_t reads = files.Calls(FaultyFileSystem::kRead) - readsBefore;
    const uint32_t seeks = files.Calls(FaultyFileSystem::kSeek) - seeksBefore;
    ASSERT_GT(reads, 3u);
    int cannotRead = 0;
    for (const auto operation : {FaultyFileSystem::kRead, FaultyFileSystem::kSeek}) {
        const uint32_t calls = operation == FaultyFileSystem::kRead ? reads : seeks;
        for (uint32_t after = 0; after < calls; ++after) {
            SCOPED_TRACE(testing::Message() << (operation == FaultyFileSystem::kRead ? "read " : "seek ") << after);
            // Another font current, so that the named load goes to the disk.
            files.Heal();
            LoadGoodFont();
            const int before = RecordsWithGlyphs();
            files.FailNext(operation, 1, platform::kFileGeneralFailure, after);
            const Status status = LoadFont(path.c_str(), "disk");
            if (operation == FaultyFileSystem::kSeek && after == calls - 1) {
                // The walk out of a form already read whole: the font stands.
                EXPECT_EQ(status, kStatusOk);
                EXPECT_TRUE(Current() != nullptr && Current()->NameIs("disk"));
                continue;
            }
            EXPECT_TRUE(status == kStatusFontCannotRead || status == kStatusFontMalformed) << status;
            cannotRead += status == kStatusFontCannotRead;
            EXPECT_EQ(Current(), nullptr);
            EXPECT_EQ(RecordsWithGlyphs(), before);
        }
    }
    EXPECT_GT(cannotRead, 0);
    files.Heal();
    LoadGoodFont();
    EXPECT_EQ(LoadFont(path.c_str(), "disk"), kStatusOk);
    EXPECT_TRUE(Current()->NameIs("disk"));
}

TEST_F(FontLoaderTest, ARecordWhoseLoadFailedIsTakenByTheNextLoad) {
    LoadGoodFont();
    EXPECT_EQ(LoadFont(Write(GfntBuilder("bad", 8, 1, 1, 0).FormWithoutBody()).c_str(), nullptr),
              kStatusFontMalformed);
    ASSERT_EQ(g_fontContext->fontCount, 2u);
    EXPECT_EQ(g_fontContext->fonts[1].name[0], '\0');
    ASSERT_EQ(LoadFont(Write(GfntBuilder("next", 8, 1, 1, 0).Fill().Form()).c_str(), nullptr), kStatusOk);
    EXPECT_EQ(g_fontContext->fontCount, 2u);
    EXPECT_EQ(Current(), &g_fontContext->fonts[1]);
}

TEST_F(FontLoaderTest, TheTableGrowsAndKeepsEveryFontSelectable) {
    const char* names[] = {"one", "two", "three", "four", "five"};
    for (int i = 0; i < 5; ++i) {
        const std::string path =
            Write(GfntBuilder(names[i], 8, uint16_t(i + 1), uint16_t(i + 1), 0).Fill().Form(), std::string(names[i]));
        ASSERT_EQ(LoadFont(path.c_str(), nullptr), kStatusOk);
    }
    EXPECT_EQ(g_fontContext->fontCount, 5u);
    EXPECT_EQ(g_fontContext->fontCapacity, 8u);
    for (int i = 0; i < 5; ++i) {
        ASSERT_EQ(SelectFont(names[i]), kStatusOk) << names[i];
        EXPECT_EQ(FontHeight(), uint32_t(i + 1));
    }
}

}  // namespace
