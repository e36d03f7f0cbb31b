// Sound definitions read from "fx.iff" and voice files: what mkdata writes
// reads back, and every entry that cannot be trusted is refused on its own.
#include "sound/SoundEffectDef.h"

#include <gtest/gtest.h>

#include <string>

#include "engine/IffFile.h"
#include "sound/SoundEffectLibrary.h"
#include "tests/support/ChunkBuilder.h"
#include "tests/support/MemoryStream.h"
#include "tests/support/TempDir.h"
#include "tools/mkdata/SoundData.h"

namespace {

using Bytes = ChunkBuilder::Bytes;
const ChunkBuilder kBuild;

Bytes Info(int32_t rate, int32_t bits, int32_t channels) {
    return kBuild.Chunk("INFO", ChunkBuilder::Words({uint32_t(rate), uint32_t(bits), uint32_t(channels), 0, 7, 100, 30}));
}

Bytes Entry(const char* name, const Bytes& info, const Bytes& pcm) {
    return kBuild.Form("SNDS", {kBuild.Chunk("ID  ", ChunkBuilder::Text(name)), info, kBuild.Chunk("PCM ", pcm)});
}

Bytes Good(const char* name) { return Entry(name, Info(22050, 16, 1), Bytes{0x00, 0x40, 0x00, 0xC0}); }

Status ReadLibrary(const Bytes& file, SoundEffectLibrary* library) {
    MemoryStream stream(file);
    IffFile iff(&stream, 0);
    if (iff.ValidateHeader() != kStatusOk) return kStatusCannotOpen;
    return library->Read(iff);
}

TEST(SoundEffectDefTest, TheSampleSoundsReadBackAsWritten) {
    const TempDir dir;
    const std::string path = (dir.Path() / "fx.iff").string();
    const std::vector<SoundEntry> written = SampleSounds();
    ASSERT_EQ(WriteSoundFile(path.c_str(), written), kStatusOk);
    SoundEffectLibrary library;
    ASSERT_EQ(library.Load(path.c_str()), kStatusOk);
    ASSERT_EQ(library.sounds.size(), written.size());
    EXPECT_EQ(library.refused, 0);

    const SoundEffectDef* const small = library.Find("Collide Small");
    ASSERT_NE(small, nullptr);
    ASSERT_EQ(small->bits, 8);
    ASSERT_EQ(small->samples->samples.size(), written[0].pcm.size());
    EXPECT_EQ(small->samples->samples[10], (int32_t(written[0].pcm[10]) - 128) * 256);
    const SoundEffectDef* const flyby = library.Find("Flyby");
    ASSERT_NE(flyby, nullptr);
    EXPECT_EQ(flyby->samples->channels, 2);
    EXPECT_EQ(flyby->samples->Frames() * 4, written[3].pcm.size());
    EXPECT_EQ(library.Find("flyby"), nullptr);   // names compare exactly

    SoundEffectDef voice;
    EXPECT_EQ(voice.Load("Jumpgate", path.c_str()), kStatusOk);
    EXPECT_EQ(voice.text, "The jump gate opens.");
    EXPECT_EQ(voice.Load("Nobody", path.c_str()), kStatusNotThisRecord);
    EXPECT_EQ(voice.Load("Jumpgate", (dir.Path() / "none.iff").c_str()), kStatusCannotOpen);
}

// Each bad entry is refused alone; the good ones around it stay, and a
// name keeps its trailing blank.
TEST(SoundEffectDefTest, BadEntriesAreRefusedOneByOne) {
    const Bytes pcm{0, 0, 0, 0};
    const Bytes bad[] = {
        Entry("Slow", Info(100, 16, 1), pcm),
        Entry("Twelve", Info(22050, 12, 1), pcm),
        Entry("Three", Info(22050, 16, 3), pcm),
        Entry("Half", Info(22050, 16, 2), Bytes{0, 0, 0}),
        Entry("Empty", Info(22050, 8, 1), Bytes{}),
        kBuild.Form("SNDS", {kBuild.Chunk("ID  ", ChunkBuilder::Text("NoInfo")), kBuild.Chunk("PCM ", pcm)}),
        Entry("ShortInfo", kBuild.Chunk("INFO", ChunkBuilder::Words({22050, 16, 1, 0, 0, 127})), pcm),
        Entry("A name far too long", Info(22050, 16, 1), pcm),
    };
    for (const Bytes& entry : bad) {
        SCOPED_TRACE(testing::Message() << "entry of " << entry.size() << " bytes");
        SoundEffectLibrary library;
        const Bytes file = kBuild.Form("FX  ", {kBuild.Form("SNDS", {Good("Hangar Door 2 "), entry, Good("After")})});
        ASSERT_EQ(ReadLibrary(file, &library), kStatusOk);
        EXPECT_EQ(library.refused, 1);
        ASSERT_EQ(library.sounds.size(), 2u);
        EXPECT_NE(library.Find("Hangar Door 2 "), nullptr);
        EXPECT_EQ(library.Find("Hangar Door 2"), nullptr);
        EXPECT_NE(library.Find("After"), nullptr);
    }
}

// Cut anywhere, a file ends its walk with what it read; it never loops or
// reads past what is there.
TEST(SoundEffectDefTest, TruncatedFilesEndTheirWalk) {
    const Bytes file = kBuild.Form("FX  ", {kBuild.Form("SNDS", {Good("One"), Good("Two")})});
    for (size_t cut = 0; cut < file.size(); ++cut) {
        SoundEffectLibrary library;
        const Status read = ReadLibrary(Bytes(file.begin(), file.begin() + long(cut)), &library);
        EXPECT_TRUE(read == kStatusOk || read == kStatusCannotOpen) << cut;
        EXPECT_LE(library.sounds.size(), 2u);
    }
}

}  // namespace
