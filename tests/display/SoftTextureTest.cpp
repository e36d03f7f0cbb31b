#include "display/SoftTexture.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <set>
#include <vector>

#include "display/Palette.h"
#include "engine/EngineHeap.h"
#include "display/PixelImage.h"
#include "tests/support/RecordingTexture.h"
#include "tests/support/ScopedEngineHeap.h"

namespace {

// The texture reads only the image's size, so no pixels are needed.
struct SizedImage : PixelImage {
    SizedImage(int16_t w, int16_t h) : PixelImage(kFormat8Bit) {
        width = w;
        height = h;
    }
};

std::vector<Texture*> Chain(const PixelImage& image) {
    std::vector<Texture*> chain;
    for (Texture* texture = image.copies; texture != nullptr && chain.size() < 16; texture = texture->nextOfImage) {
        chain.push_back(texture);
    }
    return chain;
}

// Reserves an engine heap for the test so that what the textures take and
// give back can be counted.
class SoftTextureHeap : public ::testing::Test {
protected:
    const ScopedEngineHeap heap_{1 << 16};
};

}  // namespace

TEST(SoftTexture, EveryPowerOfTwoPairGetsItsOwnSizeClassAndShifts) {
    std::set<int32_t> classes;
    for (int32_t lw = 4; lw <= 8; ++lw) {
        for (int32_t lh = 4; lh <= 8; ++lh) {
            SCOPED_TRACE(testing::Message() << (1 << lw) << " x " << (1 << lh));
            SizedImage image(int16_t(1 << lw), int16_t(1 << lh));
            auto* const texture = new SoftTexture(&image, nullptr);
            ASSERT_NE(texture, nullptr);
            EXPECT_EQ(texture->status, 0);
            EXPECT_EQ(texture->textureKind, Texture::kKindSoft);
            EXPECT_EQ(texture->log2Width, lw);
            EXPECT_EQ(texture->log2Height, lh);
            EXPECT_EQ(texture->uScaleShift, 16 - lw);
            EXPECT_EQ(texture->vScaleShift, 16 - lh);
            EXPECT_EQ(texture->uTexelShift, 32 - lw);
            EXPECT_EQ(texture->vTexelShift, 32 - lh);
            // The dispatch table reads the class back as a size.
            const int32_t c = texture->sizeClass;
            EXPECT_EQ(16 << (c / 5), image.width);
            EXPECT_EQ(16 << (c % 5), image.height);
            classes.insert(c);
            EXPECT_EQ(image.copies, texture);
        }
    }
    EXPECT_EQ(classes.size(), 25u);
    EXPECT_EQ(*classes.begin(), 0);
    EXPECT_EQ(*classes.rbegin(), 24);
}

TEST(SoftTexture, TallAndWideStripsSitAtTheEndsOfTheFirstAndLastColumns) {
    SizedImage tall(16, 256);
    SizedImage wide(256, 16);
    const SoftTexture* const tallTexture = SoftTexture::FindOrCreate(&tall, nullptr);
    const SoftTexture* const wideTexture = SoftTexture::FindOrCreate(&wide, nullptr);
    ASSERT_NE(tallTexture, nullptr);
    ASSERT_NE(wideTexture, nullptr);
    EXPECT_EQ(tallTexture->sizeClass, 4);
    EXPECT_EQ(wideTexture->sizeClass, 20);
}

TEST(SoftTexture, RefusesSidesThatAreNotPowersOfTwoFrom16To256) {
    const int16_t refused[] = {0, -16, 1, 8, 15, 17, 48, 100, 255, 257, 512, 1024};
    for (const int16_t side : refused) {
        SCOPED_TRACE(side);
        SizedImage badWidth(side, 64);
        SoftTexture byWidth(&badWidth, nullptr);
        EXPECT_EQ(byWidth.status, SoftTexture::kUnsupportedSize);
        EXPECT_EQ(byWidth.log2Width, 0) << "nothing is written past a refused width";
        EXPECT_EQ(badWidth.copies, nullptr);

        SizedImage badHeight(64, side);
        SoftTexture byHeight(&badHeight, nullptr);
        EXPECT_EQ(byHeight.status, SoftTexture::kUnsupportedSize);
        EXPECT_EQ(badHeight.copies, nullptr);
    }
}

TEST(SoftTexture, ARefusedHeightLeavesTheWidthFieldsWrittenAndTheTextureUnchained) {
    SizedImage image(16, 100);
    auto* const texture = new SoftTexture(&image, nullptr);
    ASSERT_NE(texture, nullptr);
    EXPECT_EQ(texture->status, SoftTexture::kUnsupportedSize);
    EXPECT_EQ(texture->log2Width, 4);
    EXPECT_EQ(texture->uScaleShift, 12);
    EXPECT_EQ(texture->log2Height, 0);
    EXPECT_EQ(texture->sizeClass, 0);
    EXPECT_EQ(image.copies, nullptr);
    delete texture;   // its release finds nothing to unlink
    EXPECT_EQ(image.copies, nullptr);
}

TEST(SoftTexture, WithoutAnImageItIsRefusedAndUnchained) {
    SoftTexture texture(nullptr, nullptr);
    EXPECT_EQ(texture.status, SoftTexture::kUnsupportedSize);
    EXPECT_EQ(texture.image, nullptr);
    EXPECT_EQ(SoftTexture::FindOrCreate(nullptr, nullptr), nullptr);
}

TEST(SoftTextureChain, NewTexturesGoToTheHeadAndLeaveFromAnywhere) {
    SizedImage image(32, 32);
    auto* const first = new SoftTexture(&image, nullptr);
    auto* const second = new SoftTexture(&image, nullptr);
    auto* const third = new SoftTexture(&image, nullptr);
    EXPECT_EQ(Chain(image), (std::vector<Texture*>{third, second, first}));

    delete second;
    EXPECT_EQ(Chain(image), (std::vector<Texture*>{third, first}));
    delete third;
    EXPECT_EQ(Chain(image), (std::vector<Texture*>{first}));
    delete first;
    EXPECT_EQ(image.copies, nullptr);
}

TEST(SoftTextureChain, ReleaseUnlinksAndForgetsTheImageAndThePalette) {
    PaletteIndexed8 palette;
    SizedImage image(64, 128);
    SoftTexture texture(&image, &palette);
    ASSERT_EQ(texture.status, 0);
    EXPECT_EQ(texture.palette, &palette);
    EXPECT_EQ(texture.image, &image);

    texture.Release();
    EXPECT_EQ(image.copies, nullptr);
    EXPECT_EQ(texture.image, nullptr);
    EXPECT_EQ(texture.palette, nullptr);
}

TEST(SoftTextureChain, RecreateMovesTheTextureToTheNewImage) {
    PaletteIndexed8 palette;
    SizedImage before(64, 64);
    SizedImage after(128, 32);
    SoftTexture texture(&before, nullptr);
    ASSERT_EQ(texture.status, 0);

    EXPECT_EQ(texture.Recreate(&after, &palette), 0);
    EXPECT_EQ(texture.status, 0);
    EXPECT_EQ(before.copies, nullptr);
    EXPECT_EQ(Chain(after), std::vector<Texture*>{&texture});
    EXPECT_EQ(texture.sizeClass, 16);
    EXPECT_EQ(texture.palette, &palette);

    SizedImage refused(128, 48);
    EXPECT_EQ(texture.Recreate(&refused, nullptr), SoftTexture::kUnsupportedSize);
    EXPECT_EQ(texture.status, SoftTexture::kUnsupportedSize);
    EXPECT_EQ(after.copies, nullptr);
    EXPECT_EQ(refused.copies, nullptr);
}

TEST(SoftTextureChain, CreatingTwiceKeepsOneLinkInTheChain) {
    SizedImage image(32, 64);
    SoftTexture texture(&image, nullptr);
    ASSERT_EQ(texture.Create(&image, nullptr), 0);
    EXPECT_EQ(Chain(image), std::vector<Texture*>{&texture});
    EXPECT_EQ(texture.nextOfImage, nullptr);
}

TEST(SoftTextureFind, ReturnsTheSameTextureEveryTime) {
    PaletteIndexed8 palette;
    PaletteIndexed8 later;
    SizedImage image(128, 128);
    SoftTexture* const made = SoftTexture::FindOrCreate(&image, &palette);
    ASSERT_NE(made, nullptr);
    EXPECT_EQ(made->status, 0);
    EXPECT_EQ(made->palette, &palette);
    EXPECT_EQ(made->sizeClass, 18);
    EXPECT_EQ(SoftTexture::FindOrCreate(&image, &later), made);
    EXPECT_EQ(made->palette, &palette) << "a found texture keeps the palette it was made with";
    EXPECT_EQ(Chain(image), std::vector<Texture*>{made});
}

TEST(SoftTextureFind, LooksPastTexturesOfOtherKinds) {
    SizedImage image(64, 64);
    SoftTexture* const soft = SoftTexture::FindOrCreate(&image, nullptr);
    ASSERT_NE(soft, nullptr);
    auto* const hardware = new RecordingTexture(&image, nullptr, 1, true);
    hardware->textureKind = Texture::kKindD3D;
    auto* const impostor = new RecordingTexture(&image, nullptr, 2, true);   // software kind, not a SoftTexture
    ASSERT_EQ(Chain(image), (std::vector<Texture*>{impostor, hardware, soft}));

    EXPECT_EQ(SoftTexture::FindOrCreate(&image, nullptr), soft);
    EXPECT_EQ(Chain(image).size(), 3u);
}

TEST_F(SoftTextureHeap, ARefusedSizeIsDeletedAndLeavesNothingBehind) {
    SizedImage image(48, 64);
    EXPECT_EQ(SoftTexture::FindOrCreate(&image, nullptr), nullptr);
    EXPECT_EQ(image.copies, nullptr);
    EXPECT_EQ(EngineHeap::BytesInUse(), 0u);
    EXPECT_EQ(EngineHeap::AllocationCount(), EngineHeap::FreeCount());
}

TEST_F(SoftTextureHeap, ReleaseCopiesOfTheImageDeletesTheTexture) {
    SizedImage image(256, 256);
    ASSERT_NE(SoftTexture::FindOrCreate(&image, nullptr), nullptr);
    ASSERT_NE(new SoftTexture(&image, nullptr), nullptr);
    EXPECT_GT(EngineHeap::BytesInUse(), 0u);

    image.ReleaseCopies();
    EXPECT_EQ(image.copies, nullptr);
    EXPECT_EQ(EngineHeap::BytesInUse(), 0u);

    SoftTexture* const again = SoftTexture::FindOrCreate(&image, nullptr);
    ASSERT_NE(again, nullptr) << "a released image gets a new texture";
    EXPECT_EQ(image.copies, again);
    image.ReleaseCopies();
    EXPECT_EQ(EngineHeap::BytesInUse(), 0u);
}

TEST_F(SoftTextureHeap, ReleaseCopiesDeletesItBesideTexturesThatStayLinked) {
    // The hardware kind does not unlink itself as it goes, so the software
    // texture behind it must not walk a chain whose head is already freed.
    std::vector<int> deleted;
    SizedImage image(32, 32);
    ASSERT_NE(SoftTexture::FindOrCreate(&image, nullptr), nullptr);
    new RecordingTexture(&image, &deleted, 1);
    image.ReleaseCopies();
    EXPECT_EQ(deleted, std::vector<int>{1});
    EXPECT_EQ(image.copies, nullptr);
    EXPECT_EQ(EngineHeap::BytesInUse(), 0u);
}

TEST_F(SoftTextureHeap, TheImageDestructorDeletesTheTexture) {
    {
        SizedImage image(16, 32);
        ASSERT_NE(SoftTexture::FindOrCreate(&image, nullptr), nullptr);
    }
    EXPECT_EQ(EngineHeap::BytesInUse(), 0u);
}

TEST(SoftTextureFind, OutOfMemoryGivesNullAndLeavesTheChainAlone) {
    SizedImage image(64, 32);
    {
        ScopedEngineHeap full(ScopedEngineHeap::kFull);
        EXPECT_EQ(SoftTexture::FindOrCreate(&image, nullptr), nullptr);
    }
    EXPECT_EQ(image.copies, nullptr);
}
