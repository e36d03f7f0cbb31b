#include "game/GameState.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "display/Palette.h"
#include "display/PixelFormat.h"
#include "game/CareerRecord.h"
#include "game/DataDirectories.h"
#include "tests/support/ChunkBuilder.h"
#include "tests/support/FileContents.h"
#include "tests/support/FakeRemovableMedia.h"
#include "tests/support/FaultyFileSystem.h"
#include "tests/support/ScopedInstall.h"
#include "tests/support/TempDir.h"
#include "tools/mkdata/PaletteData.h"

namespace {

using Bytes = ChunkBuilder::Bytes;

const ChunkBuilder kBuilder;

Bytes Terminated(const std::string& text) { return ChunkBuilder::Join({ChunkBuilder::Text(text), Bytes{0}}); }

// An 8-bit "VPAL" form. `marker` is the red of colour 0, so a test can tell
// which form was read; row i, entry j holds i + j and the conversion table
// counts up, so that a dump shows every table in its place.
Bytes Vpal(uint8_t marker, uint32_t version = 1) {
    Bytes rows;
    for (uint32_t i = 0; i < 256; ++i) {
        Bytes row(32);
        for (uint32_t j = 0; j < 32; ++j) row[j] = uint8_t(i + j);
        const Bytes chunk = kBuilder.Chunk("shdL", row);
        rows.insert(rows.end(), chunk.begin(), chunk.end());
    }
    Bytes colours(1024);
    for (uint32_t i = 0; i < 256; ++i) {
        colours[4 * i] = uint8_t(i);
        colours[4 * i + 1] = uint8_t(255 - i);
        colours[4 * i + 2] = uint8_t(i / 2);
    }
    colours[0] = marker;
    Bytes conversion(32772);
    for (uint32_t i = 0; i < 32768; ++i) conversion[i] = uint8_t(i * 7);
    const Bytes header = ChunkBuilder::Words({version, 32, 5, 128});
    return kBuilder.Form("VPAL", {kBuilder.Chunk("name", Terminated("test")),
                                  kBuilder.Form("shdP", {kBuilder.Chunk("HDR ", header), rows}),
                                  kBuilder.Chunk("hwdP", colours), kBuilder.Chunk("cnvt", conversion)});
}

Bytes Info(const std::string& name) { return kBuilder.Chunk("INFO", Terminated(name)); }

Bytes Palt(const std::string& name, uint8_t marker) { return kBuilder.Form("PALT", {Info(name), Vpal(marker)}); }

std::vector<uint8_t> ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class GameStatePaletteTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* name : DataDirectories::kNames) {
            dir_.WriteFile(std::string(name) + "/" + DataDirectories::kProbeFile, "x");
        }
        ASSERT_TRUE(g_dataDirs.Find(dir_.Str()));
        g_pixelFormat = kPixelFormatIndexed8;
    }
    void TearDown() override {
        g_dataDirs.Clear();
        g_pixelFormat = savedFormat_;
    }

    void WritePalettes(const Bytes& file) const {
        dir_.WriteFile(std::string("data/") + GameState::kPaletteFile, std::string(file.begin(), file.end()));
    }
    std::string PalettePath() const { return g_dataDirs.Prefix(DataDir::kData) + GameState::kPaletteFile; }
    uint32_t Opens() const { return files_.Calls(FaultyFileSystem::kOpen); }
    uint32_t Closes() const { return files_.Calls(FaultyFileSystem::kClose); }

    FakeRemovableMedia media_;
    ScopedInstall<platform::RemovableMedia> installedMedia_{media_};
    TempDir dir_;
    const int32_t savedFormat_ = g_pixelFormat;
    FaultyFileSystem files_;
    ScopedInstall<platform::FileSystem> installedFiles_{files_};
    GameState game_;
};

// Finding and caching.

TEST_F(GameStatePaletteTest, RepeatedRequestsShareOneObjectAndOneFileOpen) {
    WritePalettes(kBuilder.Form("VORN", {Palt("explode", 11)}));
    Palette* const first = game_.LoadPalette("explode");
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(game_.LoadPalette("explode"), first);
    EXPECT_EQ(Opens(), 1u);
    EXPECT_EQ(Closes(), 1u);
    ASSERT_EQ(game_.PaletteCache().Count(), 1);
    EXPECT_STREQ(game_.PaletteCache()[0]->name, "explode");
}

TEST_F(GameStatePaletteTest, FindsANameStoredInALaterPaltForm) {
    WritePalettes(kBuilder.Form("VORN", {Palt("Vorn", 1), Palt("nebula", 2), Palt("explode", 3)}));
    Palette* const palette = game_.LoadPalette("explode");
    ASSERT_NE(palette, nullptr);
    EXPECT_EQ(palette->Colors()[0].red, 3);
    EXPECT_EQ(palette->Colors()[1].green, 254);
}

TEST_F(GameStatePaletteTest, NamesCompareCaseSensitively) {
    WritePalettes(kBuilder.Form("VORN", {Palt("vorn", 1), Palt("Vorn", 2)}));
    Palette* const upper = game_.LoadPalette("Vorn");
    Palette* const lower = game_.LoadPalette("vorn");
    ASSERT_NE(upper, nullptr);
    ASSERT_NE(lower, nullptr);
    EXPECT_NE(upper, lower);
    EXPECT_EQ(upper->Colors()[0].red, 2);
    EXPECT_EQ(lower->Colors()[0].red, 1);
    EXPECT_EQ(game_.LoadPalette("VORN"), nullptr);
}

TEST_F(GameStatePaletteTest, APaltFormWithoutInfoDoesNotMatch) {
    WritePalettes(kBuilder.Form("VORN", {kBuilder.Form("PALT", {Vpal(1)}), Palt("explode", 2)}));
    Palette* const palette = game_.LoadPalette("explode");
    ASSERT_NE(palette, nullptr);
    EXPECT_EQ(palette->Colors()[0].red, 2);
}

TEST_F(GameStatePaletteTest, TakesThePaltFormsFirstVpalWhereverTheNameStands) {
    WritePalettes(kBuilder.Form("VORN", {kBuilder.Form("PALT", {Vpal(5), Info("flare"), Vpal(6)})}));
    Palette* const palette = game_.LoadPalette("flare");
    ASSERT_NE(palette, nullptr);
    EXPECT_EQ(palette->Colors()[0].red, 5);
}

TEST_F(GameStatePaletteTest, BuildsTheKindOfTheCurrentPixelFormat) {
    WritePalettes(kBuilder.Form("VORN", {Palt("a", 1), Palt("b", 2), Palt("c", 3)}));
    g_pixelFormat = kPixelFormatIndexed8;
    EXPECT_EQ(game_.LoadPalette("a")->Flags() & 0x7, Palette::kFlagIndexed8);
    g_pixelFormat = kPixelFormatRgb555;
    EXPECT_EQ(game_.LoadPalette("b")->Flags() & 0x7, Palette::kFlagRgb555);
    g_pixelFormat = kPixelFormatRgb565;
    EXPECT_EQ(game_.LoadPalette("c")->Flags() & 0x7, Palette::kFlagRgb565);
}

// Reloading.

TEST_F(GameStatePaletteTest, ReloadReadsAgainInTheNewKindAndLeavesOthersAlone) {
    WritePalettes(kBuilder.Form("VORN", {Palt("Vorn", 1), Palt("explode", 2)}));
    ASSERT_NE(game_.LoadPalette("Vorn"), nullptr);
    Palette* const explode = game_.LoadPalette("explode");
    ASSERT_NE(explode, nullptr);

    g_pixelFormat = kPixelFormatRgb565;
    Palette* const reloaded = game_.LoadPalette("Vorn", true);
    ASSERT_NE(reloaded, nullptr);
    EXPECT_EQ(Opens(), 3u);
    EXPECT_EQ(reloaded->Flags() & 0x7, Palette::kFlagRgb565);
    EXPECT_TRUE(explode->IsIndexed8());
    // The reloaded entry moves to the end; the later ones move down.
    ASSERT_EQ(game_.PaletteCache().Count(), 2);
    EXPECT_EQ(game_.PaletteCache()[0]->palette, explode);
    EXPECT_EQ(game_.PaletteCache()[1]->palette, reloaded);
    EXPECT_EQ(game_.LoadPalette("Vorn"), reloaded);
}

TEST_F(GameStatePaletteTest, ReloadOfAnUncachedNameReadsLikeAFirstRequest) {
    WritePalettes(kBuilder.Form("VORN", {Palt("Intro", 4)}));
    Palette* const palette = game_.LoadPalette("Intro", true);
    ASSERT_NE(palette, nullptr);
    EXPECT_EQ(game_.LoadPalette("Intro"), palette);
    EXPECT_EQ(Opens(), 1u);
}

TEST_F(GameStatePaletteTest, AFailedReloadLeavesTheNameUncached) {
    WritePalettes(kBuilder.Form("VORN", {Palt("Vorn", 1)}));
    ASSERT_NE(game_.LoadPalette("Vorn"), nullptr);
    WritePalettes(kBuilder.Form("VORN", {Palt("other", 1)}));
    EXPECT_EQ(game_.LoadPalette("Vorn", true), nullptr);
    EXPECT_EQ(game_.PaletteCache().Count(), 0);
}

// Failures.

TEST_F(GameStatePaletteTest, UnknownNameGivesNullAndIsTriedAgainNextTime) {
    WritePalettes(kBuilder.Form("VORN", {Palt("Vorn", 1)}));
    EXPECT_EQ(game_.LoadPalette("nebula"), nullptr);
    EXPECT_EQ(game_.LoadPalette("nebula"), nullptr);
    EXPECT_EQ(game_.PaletteCache().Count(), 0);
    EXPECT_EQ(Opens(), 2u);
    EXPECT_EQ(Closes(), 2u);
}

TEST_F(GameStatePaletteTest, NullOrOverlongNameGivesNullWithoutOpeningTheFile) {
    WritePalettes(kBuilder.Form("VORN", {Palt("WeaponEquipment", 1)}));
    EXPECT_EQ(game_.LoadPalette(nullptr), nullptr);
    EXPECT_EQ(game_.LoadPalette("WeaponEquipment1"), nullptr);
    EXPECT_EQ(Opens(), 0u);
    // Fifteen characters are the most a name can have.
    EXPECT_NE(game_.LoadPalette("WeaponEquipment"), nullptr);
}

TEST_F(GameStatePaletteTest, AMissingFileGivesNull) {
    EXPECT_EQ(game_.LoadPalette("Vorn"), nullptr);
    EXPECT_EQ(Opens(), 1u);
    EXPECT_EQ(Closes(), 0u);
}

TEST_F(GameStatePaletteTest, EveryFileThatFailsIsClosedAndNothingIsCached) {
    const Bytes broken[] = {
        kBuilder.Form("XXXX", {Palt("Vorn", 1)}),                                            // no "VORN"
        kBuilder.Form("VORN", {kBuilder.Form("XXXX", {Info("Vorn"), Vpal(1)})}),             // no "PALT"
        kBuilder.Form("VORN", {kBuilder.Form("PALT", {Info("Vorn")})}),                      // no "VPAL"
        kBuilder.Form("VORN", {kBuilder.Form("PALT", {Info("Vorn"), Vpal(1, 2)})}),          // bad version
        kBuilder.Form("VORN", {kBuilder.Chunk("INFO", Bytes(17, 'a')), Palt("x", 1)}),       // stray chunk
        kBuilder.Form("VORN", {kBuilder.Form("PALT", {kBuilder.Chunk("INFO", Bytes(17, 0)), Vpal(1)})}),
    };
    uint32_t calls = 0;
    for (const Bytes& file : broken) {
        WritePalettes(file);
        EXPECT_EQ(game_.LoadPalette("Vorn"), nullptr);
        ++calls;
        EXPECT_EQ(Opens(), calls);
        EXPECT_EQ(Closes(), calls);
    }
    EXPECT_EQ(game_.PaletteCache().Count(), 0);
}

TEST_F(GameStatePaletteTest, AnUnreadableFileGivesNull) {
    WritePalettes(kBuilder.Form("VORN", {Palt("Vorn", 1)}));
    files_.FailNext(FaultyFileSystem::kRead, 100);
    EXPECT_EQ(game_.LoadPalette("Vorn"), nullptr);
    EXPECT_EQ(Closes(), Opens());
    files_.Heal();
    EXPECT_NE(game_.LoadPalette("Vorn"), nullptr);
}

// The cache's other users.

TEST_F(GameStatePaletteTest, FindPaletteEntryGivesTheEntryHoldingThePalette) {
    WritePalettes(kBuilder.Form("VORN", {Palt("a", 1), Palt("b", 2)}));
    Palette* const a = game_.LoadPalette("a");
    Palette* const b = game_.LoadPalette("b");
    ASSERT_NE(b, nullptr);
    PaletteCacheEntry* const entry = game_.FindPaletteEntry(b);
    ASSERT_NE(entry, nullptr);
    EXPECT_STREQ(entry->name, "b");
    EXPECT_EQ(game_.FindPaletteEntry(a)->palette, a);
    EXPECT_EQ(game_.FindPaletteEntry(nullptr), nullptr);
    PaletteIndexed8 stranger;
    EXPECT_EQ(game_.FindPaletteEntry(&stranger), nullptr);
}

TEST_F(GameStatePaletteTest, DumpWritesConversionShadeRowsAndColoursAtTheirRealSizes) {
    WritePalettes(kBuilder.Form("VORN", {Palt("a", 9), Palt("b", 9)}));
    Palette* const indexed = game_.LoadPalette("a");
    g_pixelFormat = kPixelFormatRgb565;
    Palette* const wide = game_.LoadPalette("b");
    ASSERT_NE(indexed, nullptr);
    ASSERT_NE(wide, nullptr);

    const struct {
        Palette* palette;
        uint32_t shadeBytes;
    } cases[] = {{indexed, 256 * 32}, {wide, 256 * 32 * 2}};
    for (const auto& c : cases) {
        const std::string path = dir_.Str() + "/dump.bin";
        ASSERT_EQ(game_.DumpPaletteTables(c.palette, path.c_str()), kStatusOk);
        const std::vector<uint8_t> bytes = ReadBytes(path);
        ASSERT_EQ(bytes.size(), 32768 + c.shadeBytes + 1024);
        EXPECT_EQ(std::memcmp(bytes.data(), c.palette->Conversion().index, 32768), 0);
        EXPECT_EQ(std::memcmp(bytes.data() + 32768, c.palette->Shades()->rows, c.shadeBytes), 0);
        EXPECT_EQ(std::memcmp(bytes.data() + 32768 + c.shadeBytes, c.palette->Colors(), 1024), 0);
        EXPECT_EQ(bytes[32768 + c.shadeBytes], 9);
    }
}

TEST_F(GameStatePaletteTest, DumpOfNoPaletteWritesNothing) {
    const std::string path = dir_.Str() + "/dump.bin";
    EXPECT_EQ(game_.DumpPaletteTables(nullptr, path.c_str()), kStatusNothingToDo);
    PaletteIndexed8 bare;
    EXPECT_EQ(game_.DumpPaletteTables(&bare, path.c_str()), kStatusNothingToDo);
    EXPECT_EQ(Opens(), 0u);
}

// The sample data.

TEST_F(GameStatePaletteTest, EveryNameOfTheSampleFileLoads) {
    ASSERT_EQ(WritePaletteFile(PalettePath().c_str()), kStatusOk);
    std::vector<Palette*> loaded;
    for (const char* name : kSamplePaletteNames) {
        Palette* const palette = game_.LoadPalette(name);
        ASSERT_NE(palette, nullptr) << name;
        EXPECT_EQ(palette->GetColor(255), 0x00FF00FFu) << name;
        for (const Palette* other : loaded) {
            EXPECT_NE(std::memcmp(palette->Colors(), other->Colors(), 1024), 0) << name;
        }
        loaded.push_back(palette);
    }
    EXPECT_EQ(game_.PaletteCache().Count(), kSamplePaletteCount);
}

TEST_F(GameStatePaletteTest, SamplePalettesShadeFromBlackThroughTheColour) {
    ASSERT_EQ(WritePaletteFile(PalettePath().c_str()), kStatusOk);
    const Palette* const palette = game_.LoadPalette("nebula");
    ASSERT_NE(palette, nullptr);
    const ShadeTable& shades = *palette->Shades();
    ASSERT_EQ(shades.PivotEntry(), 15u);
    for (uint32_t i = 0; i < 255; ++i) {
        const PaletteColor colour = palette->Colors()[i];
        const PaletteColor dark = palette->Colors()[shades.Row8(i)[0]];
        const PaletteColor self = palette->Colors()[shades.Row8(i)[15]];
        EXPECT_LT(dark.red + dark.green + dark.blue, 3 * 48) << i;
        EXPECT_NEAR(self.red, colour.red, 48) << i;
        EXPECT_NEAR(self.green, colour.green, 48) << i;
        EXPECT_NEAR(self.blue, colour.blue, 48) << i;
    }
    // The transparent index stays transparent at every level.
    for (uint32_t level = 0; level < 32; ++level) EXPECT_EQ(shades.Row8(255)[level], 255);

    g_pixelFormat = kPixelFormatRgb555;
    const Palette* const wide = game_.LoadPalette("nebula", true);
    ASSERT_NE(wide, nullptr);
    const PaletteColor c = wide->Colors()[100];
    EXPECT_EQ(wide->Shades()->Row16(100)[15], (c.red >> 3) << 10 | (c.green >> 3) << 5 | c.blue >> 3);
}

// The options file.

class GameStateConfigTest : public ::testing::Test {
protected:
    void SetUp() override { game_.SetConfigFolder(dir_.Str()); }
    void TearDown() override {
        g_pixelFormat = saved_.pixelFormat;
        g_graphicsDriver = saved_.graphicsDriver;
        g_textureFilterFlags = saved_.textureFilterFlags;
        g_softwareAlpha = saved_.softwareAlpha;
    }

    void WriteConfig(const Bytes& file) const {
        dir_.WriteFile(GameState::kConfigFile, std::string(file.begin(), file.end()));
    }
    // Globals that no test writes, so that a change shows.
    void MarkGlobals() {
        g_pixelFormat = 77;
        g_graphicsDriver = 78;
        g_textureFilterFlags = 79;
        g_softwareAlpha = 80;
        game_.enhancedGraphics = 81;
    }
    void ExpectGlobalsMarked() const {
        EXPECT_EQ(g_pixelFormat, 77);
        EXPECT_EQ(g_graphicsDriver, 78);
        EXPECT_EQ(g_textureFilterFlags, 79u);
        EXPECT_EQ(g_softwareAlpha, 80);
        EXPECT_EQ(game_.enhancedGraphics, 81);
    }
    // A pixel format and a driver the display knows, told apart by `first`.
    static int32_t Format(int32_t first) { return first % 3; }
    static int32_t Driver(int32_t first) { return (first + 1) % 3; }
    static ConfigRecord Record(int32_t first) {
        ConfigRecord record;
        record.pixelFormat = Format(first);
        record.graphicsDriver = Driver(first);
        record.textureFilterFlags = uint32_t(first + 2);
        record.softwareAlpha = first + 3;
        record.enhancedGraphics = first + 4;
        record.inertialFlight = first + 5;
        return record;
    }
    static void ExpectRecord(const ConfigRecord& record, int32_t first) {
        EXPECT_EQ(record.pixelFormat, Format(first));
        EXPECT_EQ(record.graphicsDriver, Driver(first));
        EXPECT_EQ(record.textureFilterFlags, uint32_t(first + 2));
        EXPECT_EQ(record.softwareAlpha, first + 3);
        EXPECT_EQ(record.enhancedGraphics, first + 4);
        EXPECT_EQ(record.inertialFlight, first + 5);
    }

    TempDir dir_;
    GameState game_;
    const ConfigRecord saved_ = [] {
        ConfigRecord r;
        r.pixelFormat = g_pixelFormat;
        r.graphicsDriver = g_graphicsDriver;
        r.textureFilterFlags = g_textureFilterFlags;
        r.softwareAlpha = g_softwareAlpha;
        return r;
    }();
};

TEST_F(GameStateConfigTest, TheFileLivesInTheConfigFolderOrTheWorkingFolder) {
    EXPECT_EQ(game_.ConfigFilePath(), dir_.Str() + "/vorn.cfg");
    GameState plain;
    EXPECT_EQ(plain.ConfigFilePath(), "vorn.cfg");
}

TEST_F(GameStateConfigTest, WritesOneFormOfOneChunkOfSixLittleEndianWords) {
    ConfigRecord record;
    record.pixelFormat = 1;
    record.graphicsDriver = 0;
    record.textureFilterFlags = 3;
    record.softwareAlpha = 1;
    record.enhancedGraphics = 1;
    record.inertialFlight = -2;
    ASSERT_EQ(game_.WriteConfigFile(record), kStatusOk);
    const Bytes expected = kBuilder.Form("VORN", {kBuilder.Chunk("CNFG", ChunkBuilder::Words({1, 0, 3, 1, 1, 0xFFFFFFFE}))});
    ASSERT_EQ(expected.size(), 44u);
    EXPECT_EQ(FileContents(dir_.Path() / "vorn.cfg"), std::string(expected.begin(), expected.end()));
}

TEST_F(GameStateConfigTest, ReadsBackWhatItWroteAndAppliesItOnlyWhenAsked) {
    ASSERT_EQ(game_.WriteConfigFile(Record(100)), kStatusOk);
    MarkGlobals();
    ConfigRecord record;
    EXPECT_TRUE(game_.ReadConfigFile(&record, false));
    ExpectRecord(record, 100);
    ExpectGlobalsMarked();

    ConfigRecord applied;
    EXPECT_TRUE(game_.ReadConfigFile(&applied, true));
    ExpectRecord(applied, 100);
    EXPECT_EQ(g_pixelFormat, Format(100));
    EXPECT_EQ(g_graphicsDriver, Driver(100));
    EXPECT_EQ(g_textureFilterFlags, 102u);
    EXPECT_EQ(g_softwareAlpha, 103);
    EXPECT_EQ(game_.enhancedGraphics, 104);
}

TEST_F(GameStateConfigTest, ReplacingTheFileOverwritesIt) {
    ASSERT_EQ(game_.WriteConfigFile(Record(100)), kStatusOk);
    ASSERT_EQ(game_.WriteConfigFile(Record(5)), kStatusOk);
    EXPECT_EQ(FileContents(dir_.Path() / "vorn.cfg").size(), 44u);
    ConfigRecord record;
    EXPECT_TRUE(game_.ReadConfigFile(&record, false));
    ExpectRecord(record, 5);
}

// "vorn.cfg" is replaced whole or not at all: a failed write anywhere, a
// failed rename or a full disk keeps the choices last written.
TEST_F(GameStateConfigTest, AFailedWriteKeepsTheOldFile) {
    ASSERT_EQ(game_.WriteConfigFile(Record(100)), kStatusOk);
    ExpectFailedReplaceKeepsTheOldFile(game_.ConfigFilePath(),
                                       [&] { return game_.WriteConfigFile(Record(5)) == kStatusOk; });
    ConfigRecord record;
    EXPECT_TRUE(game_.ReadConfigFile(&record, false));
    ExpectRecord(record, 5);
}

// The sixth word turns inertial flight off for any nonzero value, and only
// when the record is applied.
TEST_F(GameStateConfigTest, AnAppliedRecordSetsTheCareersInertialFlight) {
    for (const auto& [word, inertialOff] : {std::pair{0, 0}, std::pair{1, 1}, std::pair{-7, 1}}) {
        ConfigRecord written = Record(1);
        written.inertialFlight = word;
        ASSERT_EQ(game_.WriteConfigFile(written), kStatusOk);
        game_.career->options.inertialOff = 5;
        ConfigRecord record;
        EXPECT_TRUE(game_.ReadConfigFile(&record, false));
        EXPECT_EQ(game_.career->options.inertialOff, 5);
        EXPECT_TRUE(game_.ReadConfigFile(&record, true));
        EXPECT_EQ(game_.career->options.inertialOff, inertialOff) << "word " << word;
    }
    // No career, nothing to set.
    delete game_.career;
    game_.career = nullptr;
    ConfigRecord record;
    EXPECT_TRUE(game_.ReadConfigFile(&record, true));
}

TEST_F(GameStateConfigTest, AFileThatDoesNotOpenChangesNothing) {
    MarkGlobals();
    ConfigRecord record = Record(10);
    EXPECT_FALSE(game_.ReadConfigFile(&record, true));
    ExpectRecord(record, 10);
    ExpectGlobalsMarked();
}

TEST_F(GameStateConfigTest, AFileWithoutTheRecordChangesNothing) {
    const Bytes words = ChunkBuilder::Words({1, 2, 3, 4, 5, 6});
    const Bytes files[] = {
        kBuilder.Form("VORN", {kBuilder.Chunk("CNFX", words)}),                       // another chunk
        kBuilder.Form("OTHR", {kBuilder.Chunk("CNFG", words)}),                       // another form
        kBuilder.Chunk("CNFG", words),                                                 // outside a form
        kBuilder.Form("VORN", {kBuilder.Chunk("CNFG", ChunkBuilder::Join({words, Bytes(4)}))}),   // 28 bytes
        Bytes{'n', 'o', 'p', 'e'},                                                     // not a chunk file
    };
    for (const Bytes& file : files) {
        WriteConfig(file);
        MarkGlobals();
        ConfigRecord record = Record(10);
        EXPECT_FALSE(game_.ReadConfigFile(&record, true));
        ExpectRecord(record, 10);
        ExpectGlobalsMarked();
    }
}

TEST_F(GameStateConfigTest, AShortRecordReplacesOnlyItsWholeWords) {
    // Two words and two bytes of a third.
    WriteConfig(kBuilder.Form("VORN", {kBuilder.Chunk("CNFG", Bytes{0, 0, 0, 0, 1, 0, 0, 0, 9, 9})}));
    ConfigRecord record = Record(10);
    EXPECT_TRUE(game_.ReadConfigFile(&record, true));
    EXPECT_EQ(record.pixelFormat, 0);
    EXPECT_EQ(record.graphicsDriver, 1);
    EXPECT_EQ(record.textureFilterFlags, 12u);
    EXPECT_EQ(record.inertialFlight, 15);
    EXPECT_EQ(g_pixelFormat, 0);
    EXPECT_EQ(g_graphicsDriver, 1);
    EXPECT_EQ(g_softwareAlpha, 13);
}

TEST_F(GameStateConfigTest, TheRecordIsFoundAmongOtherChunks) {
    WriteConfig(kBuilder.Form("VORN", {kBuilder.Chunk("NOTE", "x"), kBuilder.Chunk("CNFG", ChunkBuilder::Words({2, 1, 0, 0, 0, 0}))}));
    ConfigRecord record = Record(10);
    EXPECT_TRUE(game_.ReadConfigFile(&record, false));
    EXPECT_EQ(record.pixelFormat, 2);
    EXPECT_EQ(record.graphicsDriver, 1);
}

TEST_F(GameStateConfigTest, WritingIntoAMissingFolderFails) {
    game_.SetConfigFolder(dir_.Str() + "/missing");
    EXPECT_NE(game_.WriteConfigFile(Record(1)), kStatusOk);
    EXPECT_FALSE(std::filesystem::exists(dir_.Path() / "missing"));
}

}  // namespace
