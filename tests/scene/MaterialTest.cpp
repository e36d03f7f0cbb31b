#include "scene/Material.h"

#include <gtest/gtest.h>

#include <cstring>
#include <initializer_list>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "display/Bitmap.h"
#include "display/InverseColorTable.h"
#include "display/PixelFormat.h"
#include "display/PixelImage.h"
#include "engine/ByteOrder.h"
#include "engine/IffFile.h"
#include "engine/WorldContext.h"
#include "scene/AnimatedMaterial.h"
#include "scene/MaterialLibrary.h"
#include "scene/WorldImageTable.h"
#include "tests/support/ChunkBuilder.h"
#include "tests/support/DistinctPalette.h"
#include "tests/support/MemoryStream.h"
#include "tests/support/ScopedEngineHeap.h"
#include "tests/support/TempDir.h"

namespace {

using Bytes = ChunkBuilder::Bytes;

struct Header {
    const char* name = "Rock";
    uint16_t width = 16;
    uint16_t height = 16;
    uint16_t frames = 1;
    uint8_t format = 1;
    uint8_t encoding = 0;
    uint32_t flags = 0x40;
    size_t bytes = 48;
};

Bytes Mhdr(const Header& h) {
    Bytes b(h.bytes, 0);
    std::memcpy(b.data(), h.name, std::min<size_t>(16, std::strlen(h.name)));
    if (h.bytes >= 28) {
        StoreLe16(b.data() + 16, h.width);
        StoreLe16(b.data() + 18, h.height);
        StoreLe16(b.data() + 20, h.frames);
        b[22] = h.format;
        b[23] = h.encoding;
        StoreLe32(b.data() + 24, h.flags);
    }
    return b;
}

// A raw indexed frame whose pixel i is (i + seed) mod 256.
Bytes Frame(const Header& h, uint8_t seed = 0) {
    Bytes b(size_t(h.width) * h.height);
    for (size_t i = 0; i < b.size(); ++i) b[i] = uint8_t(i + seed);
    return b;
}

class MaterialTest : public ::testing::Test {
protected:
    void SetUp() override {
        world_ = std::make_unique<WorldContext>(4096, 4096);
        // The colour-to-index table that true-colour pixels are matched by.
        ASSERT_EQ(palette_->SetTables(InverseColorTable::kFlagBuild, nullptr, nullptr), kStatusOk);
    }
    void TearDown() override {
        world_.reset();
        EXPECT_EQ(g_worldContext, nullptr);
    }

    // Reads the form through a material of the form's kind.
    template <typename Kind = BitmapMaterial>
    Status Read(Kind& material, const Bytes& form, const char* name = nullptr, uint32_t readFlags = 0,
                Palette* palette = nullptr) {
        MemoryStream stream(form);
        IffFile iff(&stream, 0);
        EXPECT_EQ(iff.ValidateHeader(), kStatusOk);
        EXPECT_EQ(iff.NextChunk(), kStatusOk);
        return material.ReadForm(iff, name, readFlags, palette);
    }

    std::string WriteFile(const char* name, const Bytes& bytes) const {
        dir_.WriteFile(name, std::string(bytes.begin(), bytes.end()));
        return dir_.Str() + "/" + name;
    }

    const ScopedEngineHeap heap_{8 * 1024 * 1024};
    std::unique_ptr<WorldContext> world_;
    const ChunkBuilder b_;
    const TempDir dir_;
    std::unique_ptr<Palette> palette_ = MakeDistinctPalette(kPixelFormatIndexed8);
};

TEST_F(MaterialTest, AnIndexedFormReadsIntoALockableImageAndIsCounted) {
    const Header h;
    BitmapMaterial material;
    EXPECT_EQ(world_->liveMaterials, 1u);
    ASSERT_EQ(Read(material, b_.Form("EMTL", {b_.Chunk("MHDR", Mhdr(h)), b_.Chunk("BODY", Frame(h, 3))})),
              kStatusOk);
    EXPECT_STREQ(material.name, "Rock");
    EXPECT_EQ(material.flags, 0x40u | Material::kFlagOwnsMemory);
    EXPECT_EQ(material.image, nullptr);
    material.Lock();
    ASSERT_NE(material.image, nullptr);
    EXPECT_EQ(material.image->width, 16);
    EXPECT_EQ(material.image->Format(), PixelImage::kFormat8Bit);
    EXPECT_EQ(material.image->pixels[17], 20);
    material.Unlock();
    EXPECT_EQ(material.image, nullptr);
    {
        BitmapMaterial copy(material);
        EXPECT_EQ(world_->liveMaterials, 2u);
        EXPECT_EQ(copy.flags & Material::kFlagOwnsMemory, 0u);
    }
    EXPECT_EQ(world_->liveMaterials, 1u);
}

TEST_F(MaterialTest, BadFormsAreRefusedWithTheirCodes) {
    struct Case {
        const char* what;
        Header header;
        const char* wanted;
        bool withPalette;
        Status expected;
    };
    Header shortHeader;
    shortHeader.bytes = 47;
    Header format5;
    format5.format = 5;
    Header trueColour;
    trueColour.format = 3;
    Header encoding2;
    encoding2.encoding = 2;
    Header noFrames;
    noFrames.frames = 0;
    Header noWidth;
    noWidth.width = 0;
    Header tooTall;
    tooTall.height = 0x8000;
    const Case cases[] = {
        {"47-byte header", shortHeader, nullptr, false, kStatusMaterialBadData},
        {"another name", Header{}, "rock", false, kStatusMaterialNotFound},
        {"format 5", format5, nullptr, false, kStatusMaterialUnsupported},
        {"encoding 2", encoding2, nullptr, false, kStatusMaterialUnsupported},
        {"no frames", noFrames, nullptr, false, kStatusMaterialUnsupported},
        {"no width", noWidth, nullptr, false, kStatusMaterialUnsupported},
        {"a height past 16 signed bits", tooTall, nullptr, false, kStatusMaterialUnsupported},
        {"true colour, no palette", trueColour, nullptr, false, kStatusMaterialNeedsPalette},
    };
    for (const Case& c : cases) {
        BitmapMaterial material;
        const Bytes form = b_.Form("EMTL", {b_.Chunk("MHDR", Mhdr(c.header)), b_.Chunk("BODY", Frame(Header{}))});
        EXPECT_EQ(Read(material, form, c.wanted), c.expected) << c.what;
        EXPECT_STREQ(material.name, Material::kNoName) << c.what;
    }
    BitmapMaterial notAMaterial;
    EXPECT_EQ(Read(notAMaterial, b_.Form("EMSH", {})), kStatusMaterialNotFound);
    AnimatedMaterial animated;
    EXPECT_EQ(Read(animated, b_.Form("EMTL", {b_.Chunk("MHDR", Mhdr(Header{}))})), kStatusMaterialNotFound);
}

TEST_F(MaterialTest, RunLengthAndTrueColourBodiesDecodeOrFailCleanly) {
    Header h;
    h.width = h.height = 16;
    h.encoding = 1;
    // Runs of 128 (control -127, value), two of them fill the 256 pixels.
    const Bytes twoRuns{0x81, 7, 0x81, 9};
    BitmapMaterial material;
    ASSERT_EQ(Read(material, b_.Form("EMTL", {b_.Chunk("MHDR", Mhdr(h)), b_.Chunk("BODY", twoRuns)})), kStatusOk);
    material.Lock();
    EXPECT_EQ(material.image->pixels[0], 7);
    EXPECT_EQ(material.image->pixels[255], 9);
    // One pixel too many, or input that runs out, is bad data.
    const Bytes overflow{0x81, 7, 0x81, 9, 0x00, 1};
    EXPECT_EQ(Read(material, b_.Form("EMTL", {b_.Chunk("MHDR", Mhdr(h)), b_.Chunk("BODY", overflow)})),
              kStatusMaterialBadData);
    const Bytes shortRun{0x81, 7, 0x05, 1};
    EXPECT_EQ(Read(material, b_.Form("EMTL", {b_.Chunk("MHDR", Mhdr(h)), b_.Chunk("BODY", shortRun)})),
              kStatusMaterialBadData);

    // RGBA: alpha 10 or less is transparent, 11 is mapped through the palette.
    Header rgba;
    rgba.format = 4;
    Bytes pixels(size_t(16 * 16 * 4), 0);
    for (size_t i = 0; i < 256; ++i) {
        pixels[4 * i] = 40;
        pixels[4 * i + 1] = 215;
        pixels[4 * i + 2] = 20;
        pixels[4 * i + 3] = i == 0 ? 10 : 11;
    }
    ASSERT_EQ(Read(material, b_.Form("EMTL", {b_.Chunk("MHDR", Mhdr(rgba)), b_.Chunk("BODY", pixels)}), nullptr, 0,
                   palette_.get()),
              kStatusOk);
    material.Lock();
    EXPECT_EQ(material.image->pixels[0], 255);
    EXPECT_EQ(material.image->pixels[1], palette_->MatchColor(40 | 215 << 8 | 20 << 16));
    EXPECT_NE(material.image->pixels[1], 255);
    EXPECT_NE(material.image->flags & PixelImage::kFlagKeyed, 0u);
}

// True-colour bodies in runs: a signed control byte, then the pixels it
// copies or the one pixel it repeats. Each pixel is matched to the palette;
// runs that end early, overrun the picture or lack their pixels are bad
// data.
TEST_F(MaterialTest, TrueColourRunsDecodeAndBrokenRunsAreRefused) {
    Header h;
    h.format = 3;
    h.encoding = 1;
    const Bytes a{40, 215, 20}, b{200, 10, 10}, c{10, 10, 200}, d{250, 250, 250};
    const auto join = [](std::initializer_list<Bytes> parts) {
        Bytes out;
        for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
        return out;
    };
    // 128 of a, 126 of b, then c and d copied: the 256 pixels.
    const Bytes body = join({{0x81}, a, {0x83}, b, {0x01}, c, d});
    BitmapMaterial material;
    ASSERT_EQ(Read(material, b_.Form("EMTL", {b_.Chunk("MHDR", Mhdr(h)), b_.Chunk("BODY", body)}), nullptr, 0,
                   palette_.get()),
              kStatusOk);
    material.Lock();
    const auto index = [&](const Bytes& rgb) { return palette_->MatchColor(rgb[0] | rgb[1] << 8 | rgb[2] << 16); };
    EXPECT_EQ(material.image->pixels[0], index(a));
    EXPECT_EQ(material.image->pixels[127], index(a));
    EXPECT_EQ(material.image->pixels[128], index(b));
    EXPECT_EQ(material.image->pixels[253], index(b));
    EXPECT_EQ(material.image->pixels[254], index(c));
    EXPECT_EQ(material.image->pixels[255], index(d));
    material.Unlock();

    const struct {
        const char* what;
        Bytes body;
    } broken[] = {
        {"runs that end early", join({{0x81}, a})},
        {"a run past the picture", join({{0x81}, a, {0x81}, b, {0x81}, c})},
        {"copied pixels cut short", join({{0x81}, a, {0x83}, b, {0x01}, c})},
    };
    for (const auto& bad : broken) {
        BitmapMaterial other;
        EXPECT_EQ(Read(other, b_.Form("EMTL", {b_.Chunk("MHDR", Mhdr(h)), b_.Chunk("BODY", bad.body)}), nullptr, 0,
                       palette_.get()),
                  kStatusMaterialBadData)
            << bad.what;
        EXPECT_STREQ(other.name, Material::kNoName) << bad.what;
    }
}

// A plain material may own an array of pictures; one assigned from it
// borrows them and goes without freeing them. A plain material reads no
// form of its own.
TEST_F(MaterialTest, APlainMaterialOwnsItsPicturesAndAnAssignedOneBorrowsThem) {
    Material owner;
    owner.image = new PixelImage[2];
    owner.imageCount = 2;
    owner.flags |= Material::kFlagOwnsMemory;
    ASSERT_EQ(owner.image[1].Create(16, 16, 8, false), kStatusOk);
    {
        Material borrower;
        borrower = owner;
        Material& same = borrower;
        borrower = same;
        EXPECT_EQ(borrower.image, owner.image);
        EXPECT_EQ(borrower.imageCount, 2);
        EXPECT_EQ(borrower.flags & Material::kFlagOwnsMemory, 0u);
    }
    EXPECT_NE(owner.image[1].pixels, nullptr);   // still there after the borrower went
    owner.image[1].FreePixels();
    owner.Release();
    EXPECT_EQ(owner.image, nullptr);
    EXPECT_EQ(owner.imageCount, 0);

    const Header h;
    const std::string path =
        WriteFile("plain.iff", b_.Form("EMTL", {b_.Chunk("MHDR", Mhdr(h)), b_.Chunk("BODY", Frame(h))}));
    Material plain;
    EXPECT_EQ(plain.Load(path.c_str(), nullptr, 0, nullptr), kStatusMaterialUnsupported);
}

TEST_F(MaterialTest, RegisteredImagesAreSharedAndFreedAtTheLastRelease) {
    const Header h;
    const Bytes form = b_.Form("EMTL", {b_.Chunk("MHDR", Mhdr(h)), b_.Chunk("BODY", Frame(h, 1))});
    auto first = std::make_unique<BitmapMaterial>();
    ASSERT_EQ(Read(*first, form, nullptr, Material::kReadRegister), kStatusOk);
    EXPECT_EQ(first->flags & (Material::kFlagOwnsMemory | Material::kFlagWorldImage), Material::kFlagWorldImage);
    std::unique_ptr<Material> second(FindWorldMaterial("Rock"));
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(FindWorldMaterial("Stone"), nullptr);
    second->Lock();
    first->Lock();
    EXPECT_EQ(second->image, first->image);
    EXPECT_EQ(second->name, first->name);
    first.reset();
    // Still there for the second; the sanitizers see any use after a free.
    EXPECT_EQ(second->image->pixels[5], 6);
    {
        BitmapMaterial copy(static_cast<BitmapMaterial&>(*second));
    }
    EXPECT_EQ(second->image->pixels[5], 6);
    second.reset();
    const PixelImage unknown;
    EXPECT_EQ(ReleaseWorldImage(&unknown), 0);
}

TEST_F(MaterialTest, TheImageTableGrowsIntactAndReusesFreedEntries) {
    std::vector<PixelImage*> blocks;
    for (int i = 0; i < 65; ++i) {
        PixelImage* const block = static_cast<PixelImage*>(EngineAllocate(sizeof(PixelImage) + 16));
        ::new (block) PixelImage(PixelImage::kFormat8Bit);
        blocks.push_back(block);
        const std::string name = "Image" + std::to_string(i);
        ASSERT_EQ(RegisterWorldImage(name.c_str(), block, Material::kKindBitmap, 0, 4, 4, 1, nullptr, true), kStatusOk);
    }
    ASSERT_NE(world_->worldImages, nullptr);
    EXPECT_EQ(world_->worldImages->capacity, 128u);
    for (int i = 0; i < 65; ++i) {
        EXPECT_EQ(world_->worldImages->entries[i].data, blocks[i]) << i;
        EXPECT_STREQ(world_->worldImages->entries[i].name, ("Image" + std::to_string(i)).c_str());
    }
    EXPECT_EQ(ReleaseWorldImage(blocks[3]), 1);
    PixelImage* const again = static_cast<PixelImage*>(EngineAllocate(sizeof(PixelImage) + 16));
    ::new (again) PixelImage(PixelImage::kFormat8Bit);
    ASSERT_EQ(RegisterWorldImage("Again", again, Material::kKindBitmap, 0, 4, 4, 1, nullptr, false), kStatusOk);
    EXPECT_EQ(world_->worldImages->entries[3].data, again);
    EXPECT_EQ(world_->worldImages->used, 65u);
    // The world context frees the rest; a release after that finds nothing.
    world_->Release();
    EXPECT_EQ(ReleaseWorldImage(blocks[4]), 0);
}

TEST_F(MaterialTest, LibrariesNameTheFormsTheyHoldAndRefuseBrokenFiles) {
    const auto material = [&](const char* name) {
        Header h;
        h.name = name;
        return b_.Form("EMTL", {b_.Chunk("MHDR", Mhdr(h)), b_.Chunk("BODY", Frame(h))});
    };
    const Bytes library = b_.Form(
        "ESEN", {material("Rock"), b_.Form("EMSH", {material("Metal"), b_.Form("ETER", {material("Sky")})}),
                 b_.Form("OTHR", {material("Hidden")}), b_.Chunk("NOTE", "x")});
    ASSERT_EQ(RegisterMaterialLibrary(WriteFile("lib.iff", library).c_str()), kStatusOk);
    const MaterialLibraryEntry& entry = world_->materialLibraries->entries[0];
    ASSERT_EQ(entry.formCount, 3u);
    EXPECT_STREQ(entry.names, "Rock");
    EXPECT_STREQ(entry.names + 17, "Metal");
    EXPECT_STREQ(entry.names + 34, "Sky");

    EXPECT_EQ(RegisterMaterialLibrary(WriteFile("none.iff", b_.Form("ESEN", {})).c_str()), kStatusMaterialNotFound);
    EXPECT_EQ(RegisterMaterialLibrary((dir_.Str() + "/missing.iff").c_str()), kStatusMaterialReadFailed);
    Header shortHeader;
    shortHeader.bytes = 40;
    EXPECT_EQ(RegisterMaterialLibrary(
                  WriteFile("bad.iff", b_.Form("ESEN", {b_.Form("EMTL", {b_.Chunk("MHDR", Mhdr(shortHeader))})}))
                      .c_str()),
              kStatusMaterialBadData);
    // Cut inside a form: the size fits the file, the inner chunk does not.
    Bytes cut(library.begin(), library.begin() + 60);
    StoreBe32(cut.data() + 4, uint32_t(cut.size() - 8));
    EXPECT_EQ(RegisterMaterialLibrary(WriteFile("cut.iff", cut).c_str()), kStatusMaterialReadFailed);
    EXPECT_EQ(world_->materialLibraries->entries[1].file, nullptr);

    // The loader finds a material wherever it stands.
    BitmapMaterial sky;
    EXPECT_EQ(sky.Load((dir_.Str() + "/lib.iff").c_str(), "Sky", 0, nullptr), kStatusOk);
    EXPECT_STREQ(sky.name, "Sky");
    EXPECT_EQ(sky.Load((dir_.Str() + "/lib.iff").c_str(), "Hidden", 0, nullptr), kStatusMaterialNotFound);
}

// More libraries than the table first holds: it grows and every library
// stays found. A name no library holds, or a form that fails to read,
// gives no material.
TEST_F(MaterialTest, ManyLibrariesStayFoundAndBrokenOrUnknownMaterialsGiveNone) {
    const auto library = [&](const char* name, const Bytes& body) {
        Header h;
        h.name = name;
        return b_.Form("ESEN", {b_.Form("EMTL", {b_.Chunk("MHDR", Mhdr(h)), b_.Chunk("BODY", body)})});
    };
    const char* const names[] = {"Ash", "Birch", "Cedar", "Elm", "Fir", "Oak"};
    for (int i = 0; i < 6; ++i) {
        const std::string file = WriteFile((std::string(names[i]) + ".iff").c_str(),
                                           library(names[i], Frame(Header{}, uint8_t(i))));
        ASSERT_EQ(RegisterMaterialLibrary(file.c_str()), kStatusOk);
    }
    ASSERT_GE(world_->materialLibraries->capacity, 6u);
    for (int i = 0; i < 6; ++i) {
        std::unique_ptr<Material> found(LoadLibraryMaterial(names[i], nullptr, 0));
        ASSERT_NE(found, nullptr) << names[i];
        EXPECT_STREQ(found->name, names[i]);
        found->Lock();
        EXPECT_EQ(found->image->pixels[0], i) << names[i];
    }
    EXPECT_EQ(LoadLibraryMaterial("Yew", nullptr, 0), nullptr);
    EXPECT_EQ(LoadLibraryMaterial(nullptr, nullptr, 0), nullptr);

    // Its header names it, its body is three bytes short.
    ASSERT_EQ(RegisterMaterialLibrary(WriteFile("rotten.iff", library("Rotten", Bytes(253, 1))).c_str()), kStatusOk);
    EXPECT_EQ(LoadLibraryMaterial("Rotten", nullptr, 0), nullptr);
    EXPECT_EQ(world_->liveMaterials, 0u);
    // The library is ready for the next search.
    std::unique_ptr<Material> again(LoadLibraryMaterial("Oak", nullptr, 0));
    EXPECT_NE(again, nullptr);
}

TEST_F(MaterialTest, AnimatedFramesStepByCountOrTimeAndShipCopiesKeepTheirOwn) {
    Header h;
    h.name = "HULL_DECAL";
    h.frames = 3;
    const Bytes form = b_.Form("EMT1", {b_.Chunk("MHDR", Mhdr(h)), b_.Chunk("BODY", Frame(h, 0)),
                                        b_.Chunk("BODY", Frame(h, 10)), b_.Chunk("BODY", Frame(h, 20))});
    AnimatedMaterial material;
    ASSERT_EQ(Read(material, form), kStatusOk);
    ASSERT_EQ(material.frameCount, 3u);
    const auto shown = [](AnimatedMaterial& m) {
        m.Lock();
        const int first = m.image->pixels[0];
        m.Unlock();
        return first;
    };
    EXPECT_EQ(shown(material), 0);
    material.Animate();
    material.Lock();
    material.Animate();
    material.Lock();   // locked already: keeps the frame it showed
    EXPECT_EQ(material.image->pixels[0], 10);
    material.Unlock();
    EXPECT_EQ(shown(material), 20);
    EXPECT_EQ(material.Animate(), 1);   // from the last frame back to the first
    EXPECT_EQ(material.frame, 0u);

    material.flags |= Material::kFlagTimed;
    material.timeStep = 0.25f;
    material.period = 0.0f;
    EXPECT_EQ(material.Animate(), 0);   // no period: nothing to step by
    material.period = 1.0f;
    for (int i = 0; i < 4; ++i) material.Animate();
    EXPECT_EQ(material.frame, 0u);      // exactly one period does not step
    material.Animate();
    EXPECT_EQ(material.frame, 1u);

    {
        std::unique_ptr<AnimatedMaterial> copy(material.CopyForShip(5));
        ASSERT_NE(copy, nullptr);
        EXPECT_EQ(copy->frame, 2u);
        EXPECT_NE(copy->flags & Material::kFlagNotStepped, 0u);
        EXPECT_EQ(shown(*copy), 20);
    }
    EXPECT_EQ(shown(material), 10);

    // Fewer bodies than frames.
    const Bytes missing = b_.Form("EMT1", {b_.Chunk("MHDR", Mhdr(h)), b_.Chunk("BODY", Frame(h))});
    EXPECT_EQ(Read(material, missing), kStatusMaterialBadData);
    h.frames = 1;
    EXPECT_EQ(Read(material, b_.Form("EMT1", {b_.Chunk("MHDR", Mhdr(h)), b_.Chunk("BODY", Frame(h))})),
              kStatusMaterialUnsupported);
}

// An animation made from pictures shows them in turn; pictures of unequal
// sides are refused before anything is given up, and one without pixels to
// take leaves nothing behind.
TEST_F(MaterialTest, AnAnimationMadeFromPicturesShowsThemInTurn) {
    Bitmap pictures[3];
    uint8_t shown[3] = {};
    for (int i = 0; i < 3; ++i) {
        ASSERT_EQ(pictures[i].Create(16, 16, Bitmap::kDepth8Bit, true), kStatusOk);
        // Index 10, 20 or 30 in the picture's own palette, with the colour
        // the material's palette has at that index.
        const int index = 10 * (i + 1);
        std::memset(pictures[i].pixels, index, 16 * 16);
        const uint32_t colour = palette_->GetColor(uint32_t(index));
        for (int c = 0; c < 3; ++c) pictures[i].palette[4 * index + c] = uint8_t(colour >> (8 * c));
        shown[i] = palette_->MatchColor(colour);
    }
    ASSERT_TRUE(shown[0] != shown[1] && shown[1] != shown[2] && shown[0] != shown[2]);
    AnimatedMaterial material;
    ASSERT_EQ(material.CreateFromBitmaps(3, pictures, false, palette_.get()), kStatusOk);
    EXPECT_EQ(material.frameCount, 3u);
    EXPECT_FALSE(material.IsLocked());
    material.period = 1.0f;
    for (const uint8_t expected : {shown[0], shown[1], shown[2], shown[0]}) {
        material.Lock();
        ASSERT_NE(material.image, nullptr);
        EXPECT_EQ(material.image->pixels[17], expected);
        material.Unlock();
        material.timeStep = 1.5f;
        material.flags |= Material::kFlagTimed;
        material.elapsed = 0.0f;
        material.Animate();
    }

    Bitmap uneven[2];
    ASSERT_EQ(uneven[0].Create(16, 16, Bitmap::kDepth8Bit, true), kStatusOk);
    ASSERT_EQ(uneven[1].Create(32, 16, Bitmap::kDepth8Bit, true), kStatusOk);
    EXPECT_EQ(material.CreateFromBitmaps(2, uneven, false, palette_.get()), kStatusMaterialBadSize);
    EXPECT_EQ(material.frameCount, 3u);   // the old frames stay

    Bitmap hollow[2];
    for (Bitmap& h : hollow) {
        h.width = h.height = 16;
        h.bytesPerPixel = Bitmap::kDepth8Bit;
    }
    EXPECT_EQ(material.CreateFromBitmaps(2, hollow, false, palette_.get()), kStatusMaterialLockFailed);
    EXPECT_EQ(material.frames, nullptr);
    EXPECT_EQ(material.frameCount, 0u);
    EXPECT_FALSE(material.IsLocked());
}

// A registered animation is found in the world table by name: the one
// found shares the frames, which outlive the first reader. One whose frames
// could never be held is refused as no material this system draws.
TEST_F(MaterialTest, ARegisteredAnimationIsSharedAndAnImpossibleOneRefused) {
    Header h;
    h.name = "Flame";
    h.frames = 2;
    const Bytes form =
        b_.Form("EMT1", {b_.Chunk("MHDR", Mhdr(h)), b_.Chunk("BODY", Frame(h, 1)), b_.Chunk("BODY", Frame(h, 2))});
    auto first = std::make_unique<AnimatedMaterial>();
    ASSERT_EQ(Read(*first, form, nullptr, Material::kReadRegister), kStatusOk);
    EXPECT_EQ(first->flags & (Material::kFlagOwnsMemory | Material::kFlagWorldImage), Material::kFlagWorldImage);
    std::unique_ptr<Material> found(FindWorldMaterial("Flame"));
    ASSERT_NE(found, nullptr);
    ASSERT_EQ(found->kind, Material::kKindAnimated);
    auto* const second = static_cast<AnimatedMaterial*>(found.get());
    EXPECT_EQ(second->frames, first->frames);
    EXPECT_EQ(second->frameCount, 2u);
    first.reset();
    second->Lock();
    EXPECT_EQ(second->image->pixels[5], 6);   // the sanitizers see a use after a free
    second->Unlock();

    Header huge;
    huge.frames = 0xFFFF;
    huge.width = huge.height = 0x7FFF;
    AnimatedMaterial impossible;
    EXPECT_EQ(Read(impossible, b_.Form("EMT1", {b_.Chunk("MHDR", Mhdr(huge)), b_.Chunk("BODY", Frame(h))})),
              kStatusMaterialUnsupported);
    EXPECT_EQ(impossible.frames, nullptr);
    EXPECT_STREQ(impossible.name, Material::kNoName);
}

TEST_F(MaterialTest, TimedFramesStepByTheRemainderOfAnyElapsedTime) {
    Header h;
    h.frames = 3;
    const Bytes form = b_.Form("EMT1", {b_.Chunk("MHDR", Mhdr(h)), b_.Chunk("BODY", Frame(h, 0)),
                                        b_.Chunk("BODY", Frame(h, 10)), b_.Chunk("BODY", Frame(h, 20))});
    AnimatedMaterial material;
    ASSERT_EQ(Read(material, form), kStatusOk);
    material.flags |= Material::kFlagTimed;
    material.period = 1.0f;

    material.timeStep = 7.5f;   // seven periods and a half: frame 7 of a 3-frame cycle, two wraps
    EXPECT_EQ(material.Animate(), 2);
    EXPECT_EQ(material.frame, 1u);
    EXPECT_FLOAT_EQ(material.elapsed, 0.5f);
    material.timeStep = 2.5f;   // three whole periods in all: the last stays unspent
    material.Animate();
    EXPECT_EQ(material.frame, 0u);
    EXPECT_FLOAT_EQ(material.elapsed, 1.0f);

    // Elapsed time that dwarfs the period, and time without end, step at
    // once and leave a time within one period.
    for (const float step : {1e30f, std::numeric_limits<float>::max(), std::numeric_limits<float>::infinity()}) {
        SCOPED_TRACE(step);
        material.elapsed = 0.0f;
        material.period = 1e-3f;
        material.timeStep = step;
        material.Animate();
        EXPECT_LT(material.frame, 3u);
        EXPECT_GE(material.elapsed, 0.0f);
        EXPECT_LE(material.elapsed, material.period);
    }
}

TEST_F(MaterialTest, AFailedReadLeavesTheMaterialReleased) {
    Header h;
    h.frames = 2;
    h.flags = 0x40 | Material::kFlagWorldImage;   // a file's flag word cannot claim a table entry
    // The second frame's body is short of its pixels.
    const Bytes animatedForm =
        b_.Form("EMT1", {b_.Chunk("MHDR", Mhdr(h)), b_.Chunk("BODY", Frame(h)), b_.Chunk("BODY", Bytes(3, 1))});
    h.frames = 1;
    const Bytes bitmapForm = b_.Form("EMTL", {b_.Chunk("MHDR", Mhdr(h)), b_.Chunk("BODY", Bytes(3, 1))});
    AnimatedMaterial animated;
    EXPECT_NE(Read(animated, animatedForm), kStatusOk);
    EXPECT_EQ(animated.flags & (Material::kFlagLocked | Material::kFlagOwnsMemory | Material::kFlagWorldImage), 0u);
    EXPECT_EQ(animated.image, nullptr);
    EXPECT_EQ(animated.frames, nullptr);
    EXPECT_EQ(animated.frameCount, 0u);
    EXPECT_STREQ(animated.name, Material::kNoName);
    BitmapMaterial bitmap;
    EXPECT_NE(Read(bitmap, bitmapForm, nullptr, Material::kReadRegister), kStatusOk);
    EXPECT_EQ(bitmap.flags & (Material::kFlagLocked | Material::kFlagOwnsMemory | Material::kFlagWorldImage), 0u);
    EXPECT_EQ(bitmap.image, nullptr);
    EXPECT_EQ(bitmap.block, nullptr);
    EXPECT_STREQ(bitmap.name, Material::kNoName);
    // Either reads again cleanly.
    h.flags = 0x40;
    EXPECT_EQ(Read(bitmap, b_.Form("EMTL", {b_.Chunk("MHDR", Mhdr(h)), b_.Chunk("BODY", Frame(h, 3))})), kStatusOk);
    EXPECT_STREQ(bitmap.name, "Rock");
}

// A picture in a depth the material cannot take: neither kind keeps the
// block it made for it, nor stays locked.
TEST_F(MaterialTest, AFailedMakingFromPicturesLeavesTheMaterialReleased) {
    Bitmap pictures[2];
    ASSERT_EQ(pictures[0].Create(16, 16, Bitmap::kDepth8Bit, true), kStatusOk);
    ASSERT_EQ(pictures[1].Create(16, 16, Bitmap::kDepth1Bit, true), kStatusOk);
    BitmapMaterial bitmap;
    EXPECT_NE(bitmap.CreateFromBitmap(&pictures[1], false, nullptr), kStatusOk);
    EXPECT_EQ(bitmap.flags & (Material::kFlagLocked | Material::kFlagOwnsMemory), 0u);
    EXPECT_EQ(bitmap.block, nullptr);
    AnimatedMaterial animated;
    EXPECT_NE(animated.CreateFromBitmaps(2, pictures, false, nullptr), kStatusOk);
    EXPECT_EQ(animated.flags & (Material::kFlagLocked | Material::kFlagOwnsMemory), 0u);
    EXPECT_EQ(animated.frames, nullptr);
    EXPECT_EQ(animated.frameCount, 0u);
    // Either is made again cleanly.
    EXPECT_EQ(bitmap.CreateFromBitmap(&pictures[0], true, nullptr), kStatusOk);
}

}  // namespace
