#include "display/PaletteLoader.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "display/ColorTables.h"
#include "display/Palette.h"
#include "engine/IffFile.h"
#include "tests/support/ChunkBuilder.h"
#include "tests/support/MemoryStream.h"
#include "tests/support/ScopedColorTables.h"
#include "tests/support/ScopedEngineHeap.h"
#include "tests/support/TempDir.h"

namespace {

using Bytes = ChunkBuilder::Bytes;

constexpr Status kMalformed = kStatusIffChunkNotFound;

uint8_t RowByte(uint32_t colour, uint32_t entry) { return uint8_t(colour * 5 + entry * 3 + 1); }
PaletteColor ColourOf(uint32_t i) { return {uint8_t(i), uint8_t(255 - i), uint8_t(i * 7), uint8_t(i ^ 0x5A)}; }
uint8_t IndexByte(uint32_t k) { return uint8_t(k * 31 + (k >> 8)); }

// The parts of one "VPAL" form, each of which a test may spoil.
struct VpalSpec {
    std::string name = "Main";
    uint32_t version = 1;
    uint32_t levels = 32;
    uint32_t shift = 5;
    uint32_t pivotLevel = 128;
    uint32_t headerBytes = 16;
    int badRow = -1;                 // this row gets badRowBytes bytes
    uint32_t badRowBytes = 0;
    uint32_t colorBytes = 1024;
    uint32_t conversionBytes = 32772;
    uint32_t conversionTail = 0xDEADBEEF;   // an address in old files
    uint8_t colorSalt = 0;
    bool withConversion = true;
};

// Zero-terminated, unless the name fills the whole field.
std::string NameField(const std::string& name) { return name.size() < 16 ? name + std::string(1, '\0') : name; }

Bytes Vpal(const VpalSpec& spec) {
    const ChunkBuilder b;
    Bytes header = ChunkBuilder::Words({spec.version, spec.levels, spec.shift, spec.pivotLevel});
    header.resize(spec.headerBytes);
    Bytes shade = ChunkBuilder::Join({ChunkBuilder::Text("shdP"), b.Chunk("HDR ", header)});
    for (uint32_t i = 0; i < 256; ++i) {
        Bytes row(int(i) == spec.badRow ? spec.badRowBytes : spec.levels);
        for (uint32_t j = 0; j < row.size(); ++j) {
            row[j] = RowByte(i, j);
        }
        const Bytes chunk = b.Chunk("shdL", row);
        shade.insert(shade.end(), chunk.begin(), chunk.end());
    }
    Bytes colors(spec.colorBytes);
    for (uint32_t i = 0; i < colors.size(); ++i) {
        const PaletteColor c = ColourOf(i / 4);
        const uint8_t bytes[4] = {c.red, c.green, c.blue, c.spare};
        colors[i] = uint8_t(bytes[i % 4] + spec.colorSalt);
    }
    Bytes conversion(spec.conversionBytes);
    for (uint32_t k = 0; k < conversion.size(); ++k) {
        conversion[k] = IndexByte(k);
    }
    if (conversion.size() >= 32772) {
        const Bytes tail = ChunkBuilder::Words({spec.conversionTail});
        std::copy(tail.begin(), tail.end(), conversion.begin() + 32768);
    }
    Bytes body = ChunkBuilder::Join({ChunkBuilder::Text("VPAL"), b.Chunk("name", NameField(spec.name)),
                                     b.Chunk(b.GroupId(), shade), b.Chunk("hwdP", colors)});
    if (spec.withConversion) {
        body = ChunkBuilder::Join({body, b.Chunk("cnvt", conversion)});
    }
    return b.Chunk(b.GroupId(), body);
}

std::unique_ptr<Palette> MakePalette(uint32_t kindFlag) {
    switch (kindFlag) {
    case Palette::kFlagIndexed8:
        return std::make_unique<PaletteIndexed8>();
    case Palette::kFlagRgb555:
        return std::make_unique<PaletteRgb555>();
    default:
        return std::make_unique<PaletteRgb565>();
    }
}

// Reads the stream from its start through a loader named `name`.
Status ReadFrom(Palette& palette, MemoryStream& stream, const char* name = PaletteLoader::kDefaultName) {
    stream.Seek(0, 0);
    IffFile iff(&stream, 0);
    iff.ValidateHeader();
    PaletteLoader loader(palette);
    loader.SetName(name);
    return loader.Read(iff);
}

Status ReadInto(Palette& palette, const Bytes& bytes, const char* name = PaletteLoader::kDefaultName) {
    MemoryStream stream(bytes);
    return ReadFrom(palette, stream, name);
}

Bytes WriteOut(Palette& palette, const char* name = "Main") {
    MemoryStream stream;
    IffFile iff(&stream, 0);
    EXPECT_EQ(iff.ValidateHeader(), kStatusOk);
    PaletteLoader loader(palette);
    loader.SetName(name);
    EXPECT_EQ(loader.Write(iff), kStatusOk);
    EXPECT_EQ(iff.Finish(), kStatusOk);
    return stream.Bytes();
}

// Everything a read could change, to show that a refused read changed none of it.
struct Snapshot {
    explicit Snapshot(const Palette& p) : flags(p.Flags()) {
        const auto* colorBytes = reinterpret_cast<const uint8_t*>(p.Colors());
        colors.assign(colorBytes, colorBytes + 1024);
        index.assign(p.Conversion().index, p.Conversion().index + InverseColorTable::kSize);
        entries = p.Conversion().entries;
        if (const ShadeTable* s = p.Shades()) {
            header = {s->shift, s->levels, s->pivot};
            const auto* rowBytes = static_cast<const uint8_t*>(s->rows);
            rows.assign(rowBytes, rowBytes + Palette::kShadeEntries * (p.IsIndexed8() ? 1 : 2));
        }
    }
    bool operator==(const Snapshot&) const = default;

    uint32_t flags;
    std::vector<uint8_t> colors;
    std::vector<uint8_t> index;
    const uint8_t* entries;
    std::vector<uint32_t> header;
    std::vector<uint8_t> rows;
};

TEST(Vpal, ReadsEveryTableOfAnIndexedPalette) {
    PaletteIndexed8 palette;
    MemoryStream stream(Vpal({}));
    IffFile iff(&stream, 0);
    ASSERT_EQ(iff.ValidateHeader(), kStatusOk);
    PaletteLoader loader(palette);
    ASSERT_EQ(loader.Read(iff), kStatusOk);

    EXPECT_STREQ(loader.Name(), "Main");
    EXPECT_EQ(iff.Level(), 0u);
    const ShadeTable* shades = palette.Shades();
    ASSERT_NE(shades, nullptr);
    EXPECT_EQ(shades->levels, 32u);
    EXPECT_EQ(shades->shift, 5u);
    // Pivot level 128 at shift 5: entry (128 >> 3) - 1 = 15, kept pre-shifted.
    EXPECT_EQ(shades->pivot, 120u);
    EXPECT_EQ(shades->PivotEntry(), 15u);
    for (uint32_t i = 0; i < 256; ++i) {
        const PaletteColor c = palette.Colors()[i];
        ASSERT_EQ(c.red, ColourOf(i).red);
        ASSERT_EQ(c.green, ColourOf(i).green);
        ASSERT_EQ(c.blue, ColourOf(i).blue);
        ASSERT_EQ(c.spare, ColourOf(i).spare);
        for (uint32_t j = 0; j < 32; ++j) {
            ASSERT_EQ(shades->Row8(i)[j], RowByte(i, j)) << i << "," << j;
        }
    }
    for (uint32_t k = 0; k < 32768; ++k) {
        ASSERT_EQ(palette.Conversion().index[k], IndexByte(k)) << k;
    }
    // The address word of the file is not taken: the table points at this
    // palette's own colours.
    EXPECT_EQ(palette.Conversion().entries, reinterpret_cast<const uint8_t*>(palette.Colors()));
}

TEST(Vpal, IndexedPaletteRoundTripsThroughTheWriter) {
    PaletteIndexed8 first;
    ASSERT_EQ(ReadInto(first, Vpal({})), kStatusOk);
    const Bytes written = WriteOut(first);

    PaletteIndexed8 second;
    ASSERT_EQ(ReadInto(second, written), kStatusOk);
    EXPECT_EQ(Snapshot(second).colors, Snapshot(first).colors);
    EXPECT_EQ(Snapshot(second).index, Snapshot(first).index);
    EXPECT_EQ(Snapshot(second).header, Snapshot(first).header);
    EXPECT_EQ(Snapshot(second).rows, Snapshot(first).rows);
    // Writing again gives the same bytes: nothing drifts between rounds.
    EXPECT_EQ(WriteOut(second), written);
}

TEST(Vpal, WriterKeepsThePivotLevelAndZeroesTheAddressWord) {
    PaletteIndexed8 palette;
    ASSERT_EQ(ReadInto(palette, Vpal({.pivotLevel = 200})), kStatusOk);
    const Bytes written = WriteOut(palette, "Out");

    // The same form rebuilt by hand, with the address word at 0.
    EXPECT_EQ(written, Vpal({.name = std::string("Out") + std::string(12, '\0'),
                             .pivotLevel = 200,
                             .conversionTail = 0}));
}

// Every pivot from 16 up that a row can hold, at every row layout: what is
// written reads back as the same pivot, and a pivot below 16 is refused.
TEST(Vpal, PivotsFrom16UpRoundTripAtEveryShift) {
    for (uint32_t shift = 1; shift <= 5; ++shift) {
        const uint32_t step = 1u << (8 - shift);
        for (uint32_t pivot = 0; pivot >> (8 - shift) < (1u << shift); pivot += step) {
            PaletteIndexed8 palette;
            const Status read = ReadInto(palette, Vpal({.levels = 1u << shift, .shift = shift, .pivotLevel = pivot + step}));
            if (pivot < 16) {
                EXPECT_NE(read, kStatusOk) << "shift " << shift << " pivot " << pivot;
                continue;
            }
            ASSERT_EQ(read, kStatusOk) << "shift " << shift << " pivot " << pivot;
            ASSERT_EQ(palette.Shades()->pivot, pivot);
            PaletteIndexed8 again;
            ASSERT_EQ(ReadInto(again, WriteOut(palette)), kStatusOk) << "shift " << shift << " pivot " << pivot;
            EXPECT_EQ(again.Shades()->pivot, pivot) << "shift " << shift;
        }
    }
}

TEST(Vpal, WriterRefusesARowLayoutPastTheTableAndWritesNothing) {
    PaletteIndexed8 palette;
    ASSERT_EQ(palette.SetTables(0, nullptr, nullptr), kStatusOk);
    palette.Shades()->levels = 33;
    MemoryStream stream;
    IffFile iff(&stream, 0);
    PaletteLoader loader(palette);
    EXPECT_EQ(loader.Write(iff), kStatusMalformed);
    EXPECT_TRUE(stream.Bytes().empty());

    PaletteIndexed8 bare;
    EXPECT_EQ(PaletteLoader(bare).Write(iff), kStatusNothingToDo);
}

class VpalSixteenBit : public ::testing::TestWithParam<uint32_t> {};

TEST_P(VpalSixteenBit, ReadsColoursAndConversionAndBuildsRampsAtThePivot) {
    PaletteIndexed8 source;
    ASSERT_EQ(ReadInto(source, Vpal({})), kStatusOk);
    const Bytes written = WriteOut(source);

    const std::unique_ptr<Palette> palette = MakePalette(GetParam());
    ASSERT_EQ(ReadInto(*palette, written), kStatusOk);
    EXPECT_EQ(Snapshot(*palette).colors, Snapshot(source).colors);
    EXPECT_EQ(Snapshot(*palette).index, Snapshot(source).index);
    EXPECT_EQ(Snapshot(*palette).header, Snapshot(source).header);

    const ShadeTable* shades = palette->Shades();
    for (uint32_t i = 0; i < 256; ++i) {
        const PaletteColor c = palette->Colors()[i];
        uint16_t expected[32];
        if (GetParam() == Palette::kFlagRgb555) {
            PaletteRgb555::BuildShadeRamp(expected, 32, c, 15);
        } else {
            PaletteRgb565::BuildShadeRamp(expected, 32, c, 15);
        }
        ASSERT_EQ(std::memcmp(shades->Row16(i), expected, sizeof expected), 0) << i;
        ASSERT_EQ(shades->Row16(i)[0], 0) << i;
    }
    const PaletteColor c = palette->Colors()[100];
    const uint16_t packed = GetParam() == Palette::kFlagRgb555
                                ? uint16_t((c.red >> 3) << 10 | (c.green >> 3) << 5 | (c.blue >> 3))
                                : uint16_t((c.red >> 3) << 11 | (c.green >> 2) << 5 | (c.blue >> 3));
    EXPECT_EQ(shades->Row16(100)[15], packed);
}

TEST_P(VpalSixteenBit, SkipsTheRowsSoTheirSizeDoesNotMatter) {
    const std::unique_ptr<Palette> palette = MakePalette(GetParam());
    EXPECT_EQ(ReadInto(*palette, Vpal({.badRow = 3, .badRowBytes = 7})), kStatusOk);
}

TEST_P(VpalSixteenBit, WritesNothing) {
    const std::unique_ptr<Palette> palette = MakePalette(GetParam());
    ASSERT_EQ(ReadInto(*palette, Vpal({})), kStatusOk);
    MemoryStream stream;
    IffFile iff(&stream, 0);
    PaletteLoader loader(*palette);
    EXPECT_EQ(loader.Write(iff), kStatusOk);
    EXPECT_TRUE(stream.Bytes().empty());

    TempDir dir;
    const std::string path = (dir.Path() / "none.iff").string();
    EXPECT_EQ(loader.WriteFile(path.c_str()), kStatusOk);
    EXPECT_FALSE(std::filesystem::exists(path));
}

INSTANTIATE_TEST_SUITE_P(Kinds, VpalSixteenBit, ::testing::Values(Palette::kFlagRgb555, Palette::kFlagRgb565),
                         [](const auto& info) { return info.param == Palette::kFlagRgb555 ? "Rgb555" : "Rgb565"; });

// A malformed form, refused for every palette kind with the palette as it was.
struct Spoilt {
    const char* label;
    VpalSpec spec;
    bool indexedOnly = false;   // the 16-bit kinds skip the rows
};

void PrintTo(const Spoilt& spoilt, std::ostream* out) { *out << spoilt.label; }

const Spoilt kSpoilt[] = {
    {"NameOf17Bytes", {.name = "SeventeenLetters!"}},
    {"HeaderOf12Bytes", {.headerBytes = 12}},
    {"HeaderOf20Bytes", {.headerBytes = 20}},
    {"Version2", {.version = 2}},
    {"Levels33", {.levels = 33}},
    {"Levels0", {.levels = 0}},
    {"Shift6", {.shift = 6}},
    {"Shift0", {.shift = 0}},
    {"LevelsWiderThanShift4Rows", {.levels = 32, .shift = 4}},
    {"ShiftPast32Bits", {.shift = 40}},
    {"PivotLevel15", {.pivotLevel = 15}},
    {"PivotLevel0", {.pivotLevel = 0}},
    {"PivotPastTheRow", {.pivotLevel = 264}},
    {"Pivot8AtShift5", {.pivotLevel = 16}},
    {"PivotLevelHuge", {.pivotLevel = 0xFFFFFFF0}},
    {"PivotLevel16AtShift4", {.levels = 16, .shift = 4, .pivotLevel = 16}},
    {"ShortRowLate", {.badRow = 200, .badRowBytes = 31}, true},
    {"LongRow", {.badRow = 0, .badRowBytes = 33}, true},
    {"ColoursOf1020Bytes", {.colorBytes = 1020}},
    {"ColoursOf1028Bytes", {.colorBytes = 1028}},
    {"ConversionWithoutItsWord", {.conversionBytes = 32768}},
    {"ConversionOf32776Bytes", {.conversionBytes = 32776}},
    {"NoConversion", {.withConversion = false}},
};

class VpalRefused : public ::testing::TestWithParam<std::tuple<uint32_t, Spoilt>> {};

TEST_P(VpalRefused, BeforeAnythingReachesThePalette) {
    const auto& [kind, spoilt] = GetParam();
    const std::unique_ptr<Palette> palette = MakePalette(kind);
    // A palette that already holds another read, so that "untouched" shows.
    ASSERT_EQ(ReadInto(*palette, Vpal({.name = "Before", .pivotLevel = 64, .colorSalt = 9})), kStatusOk);
    const Snapshot before(*palette);

    MemoryStream stream(Vpal(spoilt.spec));
    IffFile iff(&stream, 0);
    ASSERT_EQ(iff.ValidateHeader(), kStatusOk);
    PaletteLoader loader(*palette);
    const Status status = loader.Read(iff);
    if (spoilt.indexedOnly && kind != Palette::kFlagIndexed8) {
        EXPECT_EQ(status, kStatusOk);
        return;
    }
    EXPECT_EQ(status, kMalformed);
    EXPECT_TRUE(Snapshot(*palette) == before);
    EXPECT_STREQ(loader.Name(), PaletteLoader::kDefaultName);
    EXPECT_EQ(iff.Level(), 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Malformed, VpalRefused,
    ::testing::Combine(::testing::Values(Palette::kFlagIndexed8, Palette::kFlagRgb555, Palette::kFlagRgb565),
                       ::testing::ValuesIn(kSpoilt)),
    [](const auto& info) {
        const uint32_t kind = std::get<0>(info.param);
        return std::string(kind == 1 ? "Indexed8_" : kind == 2 ? "Rgb555_" : "Rgb565_") + std::get<1>(info.param).label;
    });

TEST(Vpal, TruncatedInputAtEveryByteFailsAndLeavesThePaletteAlone) {
    const Bytes whole = Vpal({});
    const ChunkBuilder b;
    for (uint32_t kind : {Palette::kFlagIndexed8, Palette::kFlagRgb555, Palette::kFlagRgb565}) {
        const std::unique_ptr<Palette> palette = MakePalette(kind);
        ASSERT_EQ(ReadInto(*palette, Vpal({.pivotLevel = 64, .colorSalt = 3})), kStatusOk);
        const Snapshot before(*palette);
        // Cut as it is, with a form header that overruns the file, and with
        // the form's size mended so that the cut is met inside the form.
        MemoryStream cut(whole);
        MemoryStream mended(whole);
        for (size_t n = whole.size(); n-- > 0;) {
            cut.Bytes().resize(n);
            mended.Bytes().resize(n);
            if (n >= 8) {
                const Bytes size = b.Size(uint32_t(n - 8));
                std::copy(size.begin(), size.end(), mended.Bytes().begin() + 4);
            }
            ASSERT_NE(ReadFrom(*palette, cut), kStatusOk) << n;
            ASSERT_NE(ReadFrom(*palette, mended), kStatusOk) << n;
        }
        EXPECT_TRUE(Snapshot(*palette) == before) << kind;
    }
}

TEST(Vpal, GammaIsAppliedOncePerRead) {
    const ScopedColorTables gamma(2.0f);
    const uint8_t* curve = gamma.Tables().gammaCurve;
    ASSERT_EQ(curve[64], 127);   // so that a second pass would show

    PaletteRgb565 palette;
    for (int round = 0; round < 2; ++round) {
        ASSERT_EQ(ReadInto(palette, Vpal({})), kStatusOk);
        for (uint32_t i = 0; i < 256; ++i) {
            const PaletteColor c = palette.Colors()[i];
            ASSERT_EQ(c.red, curve[ColourOf(i).red]) << i;
            ASSERT_EQ(c.green, curve[ColourOf(i).green]) << i;
            ASSERT_EQ(c.blue, curve[ColourOf(i).blue]) << i;
            ASSERT_EQ(c.spare, ColourOf(i).spare) << i;
        }
    }
    // The ramps are built from the corrected colours.
    const PaletteColor c = palette.Colors()[64];
    EXPECT_EQ(palette.Shades()->Row16(64)[15], uint16_t((c.red >> 3) << 11 | (c.green >> 2) << 5 | (c.blue >> 3)));

    // A copy takes the corrected colours as they are.
    PaletteRgb555 copy;
    ASSERT_EQ(copy.CopyFrom(palette), kStatusOk);
    EXPECT_TRUE(Snapshot(copy).colors == Snapshot(palette).colors);
}

TEST(Vpal, GammaOfOneOrNoColourTablesKeepsTheStoredColours) {
    PaletteIndexed8 palette;
    {
        const ScopedColorTables gamma(1.0f);
        ASSERT_EQ(ReadInto(palette, Vpal({})), kStatusOk);
    }
    EXPECT_EQ(palette.Colors()[64].red, 64);
    EXPECT_EQ(palette.Colors()[64].green, 191);

    ColorTables* const previous = g_colorTables;
    g_colorTables = nullptr;
    const Status status = ReadInto(palette, Vpal({}));
    g_colorTables = previous;
    ASSERT_EQ(status, kStatusOk);
    EXPECT_EQ(palette.Colors()[64].red, 64);
}

TEST(Vpal, ApplyGammaToPaletteLeavesTheSpareByte) {
    const ScopedColorTables gamma(2.0f);
    PaletteColor colours[2] = {{64, 0, 255, 64}, {255, 64, 1, 7}};
    ApplyGammaToPalette(colours, 1);
    EXPECT_EQ(colours[0].red, 127);
    EXPECT_EQ(colours[0].green, 0);
    EXPECT_EQ(colours[0].blue, 255);
    EXPECT_EQ(colours[0].spare, 64);
    EXPECT_EQ(colours[1].green, 64);   // past the count
}

Bytes ThreeForms() {
    return ChunkBuilder::Join({Vpal({.name = "One", .colorSalt = 1}), Vpal({.name = "Two", .colorSalt = 2}),
                               Vpal({.name = "SixteenLettersXY", .colorSalt = 3})});
}

TEST(Vpal, LoadFromFileTakesTheFirstOfSeveralForms) {
    TempDir dir;
    const std::string path = (dir.Path() / "three.iff").string();
    {
        const Bytes bytes = ThreeForms();
        std::FILE* file = std::fopen(path.c_str(), "wb");
        ASSERT_NE(file, nullptr);
        ASSERT_EQ(std::fwrite(bytes.data(), 1, bytes.size(), file), bytes.size());
        std::fclose(file);
    }
    PaletteRgb555 palette;
    ASSERT_EQ(palette.LoadFromFile(path.c_str()), kStatusOk);
    EXPECT_EQ(palette.Colors()[0].red, 1);

    PaletteIndexed8 missing;
    EXPECT_NE(missing.LoadFromFile((dir.Path() / "absent.iff").string().c_str()), kStatusOk);
}

TEST(Vpal, NamedLoaderPassesOverOtherForms) {
    PaletteIndexed8 palette;
    ASSERT_EQ(ReadInto(palette, ThreeForms(), "Two"), kStatusOk);
    EXPECT_EQ(palette.Colors()[0].red, 2);
    // A name that fills the whole field has no terminator in the file.
    ASSERT_EQ(ReadInto(palette, ThreeForms(), "SixteenLettersXY"), kStatusOk);
    EXPECT_EQ(palette.Colors()[0].red, 3);

    const Snapshot before(palette);
    EXPECT_EQ(ReadInto(palette, ThreeForms(), "two"), kStatusIffFormNotFound);
    EXPECT_TRUE(Snapshot(palette) == before);
}

TEST(Vpal, ReadsInsideAnEnclosingFormAndComesBackToItsLevel) {
    const ChunkBuilder b;
    const Bytes file = b.Form("PALT", {b.Chunk("INFO", std::string("Vorn") + '\0'), Vpal({})});
    MemoryStream stream(file);
    IffFile iff(&stream, 0);
    ASSERT_EQ(iff.ValidateHeader(), kStatusOk);
    ASSERT_EQ(iff.FindForm(MakeTag("PALT")), kStatusOk);
    ASSERT_EQ(iff.Descend(), kStatusOk);
    ASSERT_EQ(iff.FindChunk(MakeTag("INFO")), kStatusOk);

    PaletteRgb565 palette;
    ASSERT_EQ(palette.LoadFromIff(iff), kStatusOk);
    EXPECT_EQ(iff.Level(), 1u);
    EXPECT_EQ(iff.Ascend(), kStatusOk);

    // Spoilt the same way, the walk still comes back to the enclosing form.
    const Bytes spoilt = b.Form("PALT", {Vpal({.badRow = 10, .badRowBytes = 1})});
    MemoryStream spoiltStream(spoilt);
    IffFile spoiltIff(&spoiltStream, 0);
    ASSERT_EQ(spoiltIff.ValidateHeader(), kStatusOk);
    ASSERT_EQ(spoiltIff.FindForm(MakeTag("PALT")), kStatusOk);
    ASSERT_EQ(spoiltIff.Descend(), kStatusOk);
    PaletteIndexed8 indexed;
    EXPECT_EQ(indexed.LoadFromIff(spoiltIff), kMalformed);
    EXPECT_EQ(spoiltIff.Level(), 1u);
}

TEST(Vpal, FileRoundTripThroughWriteFileAndReadFile) {
    PaletteIndexed8 source;
    ASSERT_EQ(ReadInto(source, Vpal({})), kStatusOk);
    TempDir dir;
    const std::string path = (dir.Path() / "pal.iff").string();
    PaletteLoader writer(source);
    writer.SetName("Disk");
    ASSERT_EQ(writer.WriteFile(path.c_str()), kStatusOk);

    PaletteIndexed8 copy;
    PaletteLoader reader(copy);
    reader.SetName("Disk");
    ASSERT_EQ(reader.ReadFile(path.c_str()), kStatusOk);
    EXPECT_TRUE(Snapshot(copy).rows == Snapshot(source).rows);
    EXPECT_TRUE(Snapshot(copy).colors == Snapshot(source).colors);
    EXPECT_TRUE(Snapshot(copy).index == Snapshot(source).index);
}

TEST(Vpal, AcceptsRowsNarrowerThanThirtyTwoEntries) {
    const VpalSpec narrow{.levels = 16, .shift = 4, .pivotLevel = 64};
    PaletteIndexed8 indexed;
    ASSERT_EQ(ReadInto(indexed, Vpal(narrow)), kStatusOk);
    EXPECT_EQ(indexed.Shades()->PivotEntry(), 3u);
    EXPECT_EQ(indexed.Shades()->Row8(1)[0], RowByte(1, 0));
    EXPECT_EQ(indexed.Shades()->Row8(255)[15], RowByte(255, 15));

    PaletteRgb555 direct;
    ASSERT_EQ(ReadInto(direct, Vpal(narrow)), kStatusOk);
    uint16_t expected[16];
    PaletteRgb555::BuildShadeRamp(expected, 16, direct.Colors()[255], 3);
    EXPECT_EQ(std::memcmp(direct.Shades()->Row16(255), expected, sizeof expected), 0);
}

TEST(Vpal, ReadGivesAPaletteWithoutTablesItsOwnShadeTable) {
    PaletteRgb555 palette;
    ASSERT_EQ(palette.Shades(), nullptr);
    ASSERT_EQ(ReadInto(palette, Vpal({})), kStatusOk);
    ASSERT_NE(palette.Shades(), nullptr);
    EXPECT_NE(palette.Flags() & Palette::kFlagOwnsShades, 0u);
}

TEST(Vpal, OutOfMemoryLeavesThePaletteAlone) {
    PaletteIndexed8 palette;
    ASSERT_EQ(ReadInto(palette, Vpal({.colorSalt = 5})), kStatusOk);
    const Snapshot before(palette);
    const Bytes bytes = Vpal({});
    {
        const ScopedEngineHeap full(ScopedEngineHeap::kFull);
        EXPECT_EQ(ReadInto(palette, bytes), kStatusOutOfMemory);
    }
    EXPECT_TRUE(Snapshot(palette) == before);

    PaletteIndexed8 bare;
    MemoryStream stream(bytes);
    IffFile iff(&stream, 0);
    {
        const ScopedEngineHeap full(ScopedEngineHeap::kFull);
        EXPECT_EQ(bare.LoadFromIff(iff), kStatusOutOfMemory);
    }
    EXPECT_EQ(bare.Shades(), nullptr);
}

// A stream that fails at any read or seek while the named form is looked
// for, passed over or read ends the load with an error and leaves the
// palette as it was.
TEST(Vpal, AStreamFailingAnywhereInANamedLoadLeavesThePaletteAlone) {
    const Bytes bytes = ThreeForms();
    PaletteIndexed8 palette;
    ASSERT_EQ(ReadInto(palette, Vpal({.colorSalt = 9})), kStatusOk);
    const Snapshot before(palette);
    MemoryStream healthy(bytes);
    PaletteIndexed8 probe;
    ASSERT_EQ(ReadFrom(probe, healthy, "Two"), kStatusOk);
    ASSERT_GT(healthy.ReadCount(), 256);
    for (int32_t call = 1; call < healthy.ReadCount(); ++call) {
        MemoryStream stream(bytes);
        stream.FailReadsFrom(call);
        ASSERT_NE(ReadFrom(palette, stream, "Two"), kStatusOk) << "read " << call;
    }
    for (int32_t call = 1; call < healthy.SeekCount(); ++call) {
        MemoryStream stream(bytes);
        stream.FailSeeksFrom(call);
        ASSERT_NE(ReadFrom(palette, stream, "Two"), kStatusOk) << "seek " << call;
    }
    EXPECT_TRUE(Snapshot(palette) == before);
}

// Likewise for writing: every failure is reported, the walk comes back to
// the level it started at when the stream lets it, and without memory for
// its conversion block the writer writes nothing.
TEST(Vpal, AStreamFailingAnywhereInAWriteIsReportedAtTheStartingLevel) {
    PaletteIndexed8 palette;
    ASSERT_EQ(ReadInto(palette, Vpal({})), kStatusOk);
    uint32_t level = 0;
    const auto write = [&](MemoryStream& stream) {
        IffFile iff(&stream, 0);
        const Status header = iff.ValidateHeader();
        if (header != kStatusOk) return header;
        PaletteLoader loader(palette);
        const Status status = loader.Write(iff);
        level = iff.Level();
        return status;
    };
    MemoryStream healthy;
    ASSERT_EQ(write(healthy), kStatusOk);
    ASSERT_GT(healthy.WriteCount(), 256);
    for (int32_t call = 0; call < healthy.WriteCount(); ++call) {
        MemoryStream stream;
        stream.FailWritesFrom(call);
        ASSERT_NE(write(stream), kStatusOk) << "write " << call;
    }
    for (int32_t call = 0; call < healthy.SeekCount(); ++call) {
        MemoryStream stream;
        stream.FailSeeksFrom(call);
        ASSERT_NE(write(stream), kStatusOk) << "seek " << call;
    }
    // A failure the stream recovers from: the forms are closed again.
    MemoryStream once;
    once.FailWritesAt(int64_t(healthy.Bytes().size() / 2));
    EXPECT_EQ(write(once), MemoryStream::kStatusInjectedFault);
    EXPECT_EQ(level, 0u);

    MemoryStream starved;
    {
        const ScopedEngineHeap full(ScopedEngineHeap::kFull);
        EXPECT_EQ(write(starved), kStatusOutOfMemory);
    }
    EXPECT_EQ(starved.WriteCount(), 0);
}

}  // namespace
