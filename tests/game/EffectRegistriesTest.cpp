// The effect definitions of "fx.iff": the sample file read into the chains
// and the flare table, the later of two entries found, hand-built entries
// that bend the rules, and files cut short or overgrown.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "display/PixelFormat.h"
#include "display/Palette.h"
#include "display/PixelImage.h"
#include "game/DataDirectories.h"
#include "game/EffectRegistries.h"
#include "game/EffectTypes.h"
#include "game/GameState.h"
#include "scene/FaceRecord.h"
#include "scene/AnimatedMaterial.h"
#include "scene/Material.h"
#include "scene/Model.h"
#include "sound/SoundEffectLibrary.h"
#include "tests/support/ChunkBuilder.h"
#include "tests/support/TempDir.h"
#include "tools/mkdata/FxData.h"
#include "tools/mkdata/SampleTree.h"
#include "tools/mkdata/SoundData.h"

namespace {

using Bytes = ChunkBuilder::Bytes;

// A sample tree whose "fx.iff" a test may replace, with a game state to
// load palettes and models through; everything loaded is freed at the end.
class EffectRegistriesTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(WriteSampleTree(dir_.Str(), &error)) << error;
        ASSERT_TRUE(g_dataDirs.Find(dir_.Str()));
        g_pixelFormat = kPixelFormatIndexed8;
        game_ = std::make_unique<GameState>();
    }
    void TearDown() override {
        game_.reset();   // frees the definitions
        EXPECT_EQ(g_explosionTypes, nullptr);
        EXPECT_EQ(g_flareTable.Count(), 0);
        g_dataDirs.Clear();
        g_pixelFormat = savedFormat_;
    }

    std::string FxPath() const { return g_dataDirs.Prefix(DataDir::kData) + kEffectsFile; }
    void WriteFx(const Bytes& bytes) const {
        std::ofstream out(FxPath(), std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    }
    Bytes ReadFx() const {
        std::ifstream in(FxPath(), std::ios::binary);
        return Bytes(std::istreambuf_iterator<char>(in), {});
    }
    void LoadAll() {
        LoadFx();
        LoadEffectRegistries(*game_);
    }
    void FreeAll() {
        FreeFx();
        FreeEffectRegistries();
    }

    TempDir dir_;
    const int32_t savedFormat_ = g_pixelFormat;
    std::unique_ptr<GameState> game_;
};

// A 16 x 16 raw 8-bit picture form.
Bytes Picture(const ChunkBuilder& b) {
    Bytes header(16, 0);
    header[0] = 1;    // version
    header[2] = 16;   // width
    header[4] = 16;   // height
    header[6] = 1;    // 8-bit
    header[7] = 1;    // raw
    return b.Form("XFEB", {b.Chunk("HDR ", header), b.Chunk("PAL ", Bytes(1024, 0)), b.Chunk("BODY", Bytes(256, 7))});
}

Bytes Cel(const ChunkBuilder& b) { return b.Form("XCEL", {b.Chunk("COOR", Bytes(4, 0)), Picture(b)}); }

Bytes FloatWord(float value) {
    uint32_t word;
    std::memcpy(&word, &value, sizeof word);
    return ChunkBuilder::Words({word});
}

int ChainLength(const StreamType* chain) {
    int n = 0;
    for (; chain != nullptr; chain = chain->next) ++n;
    return n;
}

TEST_F(EffectRegistriesTest, SampleFileFillsEveryRegistryOnce) {
    auto* const sounds = new SoundEffectLibrary;
    ASSERT_EQ(sounds->Load(FxPath().c_str()), kStatusOk);
    game_->TakeSound(nullptr, sounds);
    LoadAll();

    // Of the two "Sparks" the later, three-frame one is found.
    const ExplosionType* const sparks = FindExplosionType("Sparks");
    ASSERT_NE(sparks, nullptr);
    EXPECT_EQ(sparks->frameCount, 3);
    EXPECT_EQ(sparks->greatestDelay, 100);
    const ExplosionType* const blast = FindExplosionType("Explosion 1");
    ASSERT_NE(blast, nullptr);
    EXPECT_STREQ(blast->flareName, "Blast Flare");
    EXPECT_EQ(blast->leastFlares, 2);
    EXPECT_EQ(blast->greatestFlares, 4);
    EXPECT_STREQ(blast->animationName, "Praxis");
    EXPECT_NE(blast->sound, nullptr);
    EXPECT_EQ(blast->shockSphere, 0);
    EXPECT_EQ(blast->widestWidth, 16);
    Palette* const explode = game_->LoadPalette("explode");
    for (const BitmapMaterial* frame : blast->frames) EXPECT_EQ(frame->block->palette, explode);
    EXPECT_STREQ(FindExplosionType("Hit Spark")->flareName, "NONE");
    EXPECT_EQ(FindExplosionType("Hit Spark")->sound, nullptr);
    EXPECT_EQ(FindExplosionType("Nova")->shockSphere, 1);

    // The 3-D animations: the scenes' numbered models, see-through.
    const AnimationType* const jump = FindAnimationType("JumpGate");
    ASSERT_NE(jump, nullptr);
    EXPECT_EQ(jump->frameCount, 4);
    EXPECT_EQ(jump->duration, 1200);
    const Model* const first = (*jump->frames)[0];
    EXPECT_NE(first->faces[0].flags & FaceRecord::kTranslucent, 0u);
    EXPECT_EQ(first->faces[0].translucency[0], 128);
    EXPECT_EQ(FindAnimationType("Praxis")->frameCount, 3);

    const ProjectileType* const shell = FindProjectileType("Flak Shell");
    ASSERT_NE(shell, nullptr);
    ASSERT_NE(shell->model, nullptr);
    EXPECT_NE(shell->model->faces[0].flags & FaceRecord::kTranslucent, 0u);
    EXPECT_FLOAT_EQ(shell->speed, 300.0f);
    EXPECT_STREQ(shell->fragmentTypeName, "Flak Bit");
    EXPECT_EQ(shell->fragmentCount, 6);
    EXPECT_EQ(shell->fuseTime, 1500);
    EXPECT_FLOAT_EQ(shell->fragmentSpeed, 40.0f);
    EXPECT_STREQ(shell->muzzleFlashName, "Praxis");
    const ProjectileType* const bolt = FindProjectileType("Laser Bolt");
    EXPECT_EQ(bolt->fuseTime, 9999999);
    EXPECT_EQ(bolt->colour[0], 255);
    EXPECT_EQ(bolt->colour[1], 64);

    const BeamType* const beam = FindBeamType("Ion Beam");
    ASSERT_NE(beam, nullptr);
    EXPECT_EQ(beam->frameCount, 2);
    EXPECT_FLOAT_EQ(beam->halfWidth, 0.25f);
    EXPECT_EQ(beam->level, 200);
    EXPECT_STREQ(beam->explosionName, "Hit Spark");

    const StreamType* const exhaust = FindStreamType("Exhaust");
    ASSERT_NE(exhaust, nullptr);
    EXPECT_EQ(exhaust->timePerFrame, 100);   // 400 ms over four frames
    EXPECT_FLOAT_EQ(exhaust->spacing, 0.5f);
    EXPECT_EQ(exhaust->frames[0]->block->palette, game_->LoadPalette("weapons"));
    for (const char* name : {"Smoke", "MissSmoke", "Fire", "Jump"}) EXPECT_NE(FindStreamType(name), nullptr) << name;

    ASSERT_EQ(g_flareTable.Count(), 2);
    EXPECT_STREQ(g_flareTable[0]->name, "Blast Flare");
    EXPECT_EQ(g_flareTable[0]->elementSize, 3);
    EXPECT_EQ(g_flareTable[0]->pictures.Count(), 2);

    // The step repeated reads nothing again.
    const ExplosionType* const head = g_explosionTypes;
    LoadAll();
    EXPECT_EQ(g_explosionTypes, head);
    EXPECT_EQ(ChainLength(g_streamTypes), 5);
    EXPECT_EQ(g_flareTable.Count(), 2);
    EXPECT_EQ(FindExplosionType("No such"), nullptr);
}

TEST_F(EffectRegistriesTest, EntriesThatBendTheRulesLoadWhatTheyCan) {
    const ChunkBuilder b;
    const std::string longName(40, 'L');
    WriteFx(b.Form("FX  ", {
        b.Form("STRM", {
            // No frame: not made.
            b.Form("STRM", {b.Chunk("ID  ", "Empty"), b.Chunk("INFO", b.Words({1000, 0, 0, 0}))}),
            // Four frames promised, two given: the count and the time per frame follow.
            b.Form("STRM", {b.Chunk("ID  ", "Short"), b.Chunk("INFO", ChunkBuilder::Join({b.Words({1000, 4, 50}), FloatWord(2.0f)})),
                            Cel(b), Cel(b)}),
            // A life below the frame count still gives 1 ms per frame.
            b.Form("STRM", {b.Chunk("ID  ", "Quick"), b.Chunk("INFO", b.Words({1, 2, 0, 0})), Cel(b), Cel(b)}),
        }),
        b.Form("EXPL", {
            // The ID chunk comes first (found after the entry is rewound);
            // the name is cut to its field and the INFO chunk is too short.
            b.Form("EXPL", {b.Chunk("ID  ", longName), b.Chunk("INFO", b.Words({uint32_t(-3), 500})), Picture(b)}),
            // An SNDI whose first byte is not a positive character makes no sound.
            b.Form("EXPL", {b.Chunk("INFO", b.Words({1, 100, 0, 0, 0, 255})), b.Chunk("SNDI", Bytes{0xC8, 'x', 0}),
                            b.Chunk("ID  ", "Late"), b.Chunk("FLAR", Bytes(60, 'F')), Picture(b)}),
        }),
        b.Form("ANIM", {b.Form("ANIM", {b.Chunk("ID  ", "Lost"), b.Chunk("INFO", b.Words({100, 0, 3})),
                                        b.Chunk("FILE", "mesh\\missing.iff")})}),
    }));
    LoadAll();

    EXPECT_EQ(FindStreamType("Empty"), nullptr);
    const StreamType* const shortened = FindStreamType("Short");
    ASSERT_NE(shortened, nullptr);
    EXPECT_EQ(shortened->frameCount, 2);
    EXPECT_EQ(shortened->timePerFrame, 500);
    EXPECT_FLOAT_EQ(shortened->spacing, 2.0f);
    EXPECT_EQ(FindStreamType("Quick")->timePerFrame, 1);

    const ExplosionType* const cut = FindExplosionType(std::string(15, 'L').c_str());
    ASSERT_NE(cut, nullptr);
    EXPECT_EQ(cut->frameCount, 0);      // a negative count
    EXPECT_EQ(cut->duration, 500);
    EXPECT_EQ(cut->sizeCode, 0);        // beyond the short chunk
    const ExplosionType* const late = FindExplosionType("Late");
    ASSERT_NE(late, nullptr);
    EXPECT_EQ(late->sound, nullptr);
    EXPECT_EQ(std::string(late->flareName), std::string(15, 'F'));
    EXPECT_EQ(late->frameCount, 1);

    const AnimationType* const lost = FindAnimationType("Lost");
    ASSERT_NE(lost, nullptr);
    EXPECT_EQ(lost->frameCount, 0);
    FreeAll();
}

TEST_F(EffectRegistriesTest, CutAndCorruptFilesLoadWhatTheyCan) {
    // The visual records alone, without the sounds, keep the file small.
    ASSERT_EQ(WriteSoundFile(FxPath().c_str(), {}, WriteEffectRecords), kStatusOk);
    const Bytes whole = ReadFx();
    ASSERT_GT(whole.size(), 1000u);
    for (size_t cut = 0; cut < whole.size(); cut += (cut < 400 ? 1 : 61)) {
        WriteFx(Bytes(whole.begin(), whole.begin() + std::ptrdiff_t(cut)));
        LoadAll();
        FreeAll();
    }
    // Sizes that claim more than the file holds, and forms inside out.
    for (size_t at = 8; at + 4 < whole.size(); at += 389) {
        Bytes bent = whole;
        bent[at] ^= 0x7F;
        bent[at + 1] ^= 0x41;
        WriteFx(bent);
        LoadAll();
        FreeAll();
    }
    WriteFx(whole);
    LoadAll();
    EXPECT_NE(FindBeamType("Ion Beam"), nullptr);
    std::filesystem::remove(FxPath());
    FreeAll();
    LoadAll();   // no file: nothing, and no failure
    EXPECT_EQ(g_beamTypes, nullptr);
}

// A model's pictures take the palette they are given: a bitmap's one and
// each frame of an animated material; a plain material has none.
TEST(EffectPalettesTest, AModelsPicturesAllTakeThePalette) {
    PixelImage still, frames[2];
    BitmapMaterial bitmap;
    bitmap.block = &still;
    AnimatedMaterial animated;
    animated.frames = frames;
    animated.frameCount = 2;
    Material plain;
    Material* materials[3] = {&bitmap, &animated, &plain};
    Model model;
    model.materials = materials;
    model.materialCount = 3;
    PaletteIndexed8 palette;
    GiveModelPalette(&model, &palette);
    EXPECT_EQ(still.palette, &palette);
    for (const PixelImage& frame : frames) EXPECT_EQ(frame.palette, &palette);
    GiveModelPalette(nullptr, &palette);   // no model: nothing
    model.materials = nullptr;
    model.materialCount = 0;
    animated.frames = nullptr;
    animated.frameCount = 0;
    bitmap.block = nullptr;
}

}  // namespace
