#include "game/OptionsFile.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "engine/ByteOrder.h"
#include "game/CareerRecord.h"
#include "game/GameState.h"
#include "game/XorChunkStream.h"
#include "tests/support/FaultyFileSystem.h"
#include "tests/support/FileContents.h"
#include "tests/support/TempDir.h"

namespace {

CareerOptions Distinct() {
    CareerOptions options;
    options.textures = 0;
    options.spaceDust = -7;
    options.invisibility = 1;
    options.inertialOff = 0;
    options.soundVolume = 5;
    options.musicVolume = CareerOptions::kMaxVolume;
    return options;
}

bool Same(const CareerOptions& a, const CareerOptions& b) {
    for (int i = 0; i < CareerOptions::kWords; ++i) {
        if (a.Word(i) != b.Word(i)) return false;
    }
    return true;
}

void WriteBytes(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc).write(bytes.data(), std::streamsize(bytes.size()));
}

// An options file whose chunk holds `size` bytes of words 100, 101, ...
std::string FileWithChunk(const std::string& path, uint32_t size) {
    std::vector<uint8_t> data(size);
    for (uint32_t i = 0; i < size; ++i) data[i] = i % 4 == 0 ? uint8_t(100 + i / 4) : 0;
    XorChunkStream stream;
    EXPECT_EQ(stream.Open(path.c_str(), kOpenWrite | kOpenCreate), kStatusOk);
    EXPECT_EQ(stream.BeginForm(MakeTag("BODY")), kStatusOk);
    EXPECT_EQ(stream.WriteChunk(MakeTag("OPTS"), data.data(), size), kStatusOk);
    EXPECT_EQ(stream.Ascend(), kStatusOk);
    EXPECT_EQ(stream.CloseFile(), kStatusOk);
    return FileContents(path);
}

}  // namespace

// 68 bytes: the header plain, each data word XORed with the key of the
// name "opts.sav" whatever the folder, and the words read back.
TEST(OptionsFileTest, RoundTripsInSixtyEightBytesWithOnlyTheDataEnciphered) {
    TempDir folder;
    GameState game;
    game.SetConfigFolder(folder.Str());
    const std::string path = OptionsFilePath(game);
    ASSERT_EQ(path, folder.Str() + "/opts.sav");
    const CareerOptions written = Distinct();
    ASSERT_EQ(WriteOptionsFile(path.c_str(), written), kStatusOk);

    const std::string bytes = FileContents(path);
    ASSERT_EQ(bytes.size(), kOptionsFileBytes);
    const uint8_t* const raw = reinterpret_cast<const uint8_t*>(bytes.data());
    EXPECT_EQ(std::memcmp(raw, "FORM", 4), 0);
    EXPECT_EQ(LoadBe32(raw + 4), 60u);
    EXPECT_EQ(std::memcmp(raw + 8, "BODYOPTS", 8), 0);
    EXPECT_EQ(LoadBe32(raw + 16), 48u);
    const uint32_t key = XorChunkStream::KeyFromPath("opts.sav");
    for (int i = 0; i < CareerOptions::kWords; ++i) {
        EXPECT_EQ(LoadLe32(raw + 20 + 4 * i) ^ key, uint32_t(written.Word(i))) << "word " << i;
    }

    CareerOptions read;
    EXPECT_EQ(ReadOptionsFile(path.c_str(), &read), kStatusOk);
    EXPECT_TRUE(Same(read, written));
}

// A short chunk fills its own whole words; a long one is refused whole.
TEST(OptionsFileTest, AShortChunkFillsItsWordsAndALongOneIsRefused) {
    TempDir folder;
    const std::string path = folder.Str() + "/opts.sav";
    const CareerOptions before = Distinct();

    FileWithChunk(path, 10);   // two words and half of a third
    CareerOptions shortRead = before;
    EXPECT_EQ(ReadOptionsFile(path.c_str(), &shortRead), kStatusOk);
    EXPECT_EQ(shortRead.textures, 100);
    EXPECT_EQ(shortRead.spaceDust, 101);
    EXPECT_EQ(shortRead.extraLights, before.extraLights);
    EXPECT_EQ(shortRead.musicVolume, before.musicVolume);

    FileWithChunk(path, 52);
    CareerOptions longRead = before;
    EXPECT_EQ(ReadOptionsFile(path.c_str(), &longRead), kStatusOptionsBadFile);
    EXPECT_TRUE(Same(longRead, before));
}

// Every cut of a good file is either refused with the words kept, or read
// whole (never a part of a word, never past the file).
TEST(OptionsFileTest, EveryTruncationEndsCleanly) {
    TempDir folder;
    const std::string path = folder.Str() + "/opts.sav";
    CareerOptions written;
    written.soundVolume = 9;
    ASSERT_EQ(WriteOptionsFile(path.c_str(), written), kStatusOk);
    const std::string whole = FileContents(path);
    const CareerOptions before = Distinct();
    for (size_t length = 0; length < whole.size(); ++length) {
        WriteBytes(path, whole.substr(0, length));
        CareerOptions read = before;
        const Status status = ReadOptionsFile(path.c_str(), &read);
        EXPECT_NE(status, kStatusOk) << "length " << length;
        EXPECT_TRUE(Same(read, before)) << "length " << length;
    }
}

// No "opts.sav": the career keeps its words, and writing creates the file.
TEST(OptionsFileTest, AMissingFileKeepsTheCareersWords) {
    TempDir folder;
    GameState game;
    game.SetConfigFolder(folder.Str());
    game.career->options = Distinct();
    ReadOptionsFile(game);
    EXPECT_TRUE(Same(game.career->options, Distinct()));
    WriteOptionsFile(game);
    EXPECT_EQ(FileContents(OptionsFilePath(game)).size(), kOptionsFileBytes);
}

// The file is replaced whole or not at all: a failed write anywhere, a
// failed rename or a full disk keeps the words last written, read back
// with the key of "opts.sav" and not of the copy written beside it.
TEST(OptionsFileTest, AFailedWriteKeepsTheOldFile) {
    TempDir folder;
    const std::string path = folder.Str() + "/opts.sav";
    ASSERT_EQ(WriteOptionsFile(path.c_str(), Distinct()), kStatusOk);
    CareerOptions changed = Distinct();
    changed.soundVolume = 2;
    ExpectFailedReplaceKeepsTheOldFile(path, [&] { return WriteOptionsFile(path.c_str(), changed) == kStatusOk; });
    CareerOptions read;
    ASSERT_EQ(ReadOptionsFile(path.c_str(), &read), kStatusOk);
    EXPECT_TRUE(Same(read, changed));
}

// Volumes are strip frames: a word no strip can show (a file bent by hand or
// by the disk) takes the default a new career has, and never reaches the
// sound library's arithmetic; the ends of the range and the switches stay.
TEST(OptionsFileTest, VolumesOutOfRangeTakeTheDefault) {
    TempDir folder;
    const std::string path = folder.Str() + "/opts.sav";
    for (const int32_t volume : {-1, CareerOptions::kMaxVolume + 1, INT32_MAX, INT32_MIN, 0, CareerOptions::kMaxVolume}) {
        const bool kept = volume >= 0 && volume <= CareerOptions::kMaxVolume;
        CareerOptions written;
        written.soundVolume = written.musicVolume = volume;
        written.spaceDust = INT32_MIN;
        ASSERT_EQ(WriteOptionsFile(path.c_str(), written), kStatusOk);
        CareerOptions read;
        read.soundVolume = read.musicVolume = 1;
        ASSERT_EQ(ReadOptionsFile(path.c_str(), &read), kStatusOk);
        EXPECT_EQ(read.soundVolume, kept ? volume : CareerOptions{}.soundVolume) << volume;
        EXPECT_EQ(read.musicVolume, kept ? volume : CareerOptions{}.musicVolume) << volume;
        EXPECT_EQ(read.spaceDust, INT32_MIN);
    }
}
