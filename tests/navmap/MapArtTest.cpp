#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "display/Bitmap.h"
#include "engine/ByteOrder.h"
#include "engine/IffFile.h"
#include "navmap/MapScreen.h"
#include "tests/support/FileContents.h"
#include "tests/support/MemoryStream.h"
#include "tests/support/TempDir.h"
#include "tools/mkdata/NavMapData.h"

namespace {

// The in-flight map's sample art as bytes.
std::vector<uint8_t> SampleArt() {
    TempDir folder;
    const std::string path = (folder.Path() / "spacenav.iff").string();
    if (WriteNavMapArtFile(path.c_str(), false) != kStatusOk) return {};
    const std::string text = FileContents(path);
    return std::vector<uint8_t>(text.begin(), text.end());
}

std::vector<std::unique_ptr<Bitmap>> Load(const std::vector<uint8_t>& bytes) {
    std::vector<std::unique_ptr<Bitmap>> images;
    MemoryStream stream(bytes);
    IffFile file(&stream, 0);
    file.ValidateHeader();
    if (file.FindForm(MakeTag("OPTI")) == kStatusOk && file.Descend() == kStatusOk) {
        MapScreen::LoadSymbolImages(file, &images);
    }
    return images;
}

// Cut anywhere or with a form claiming more than the file holds, loading
// ends with what it could read.
TEST(MapArt, TruncatedOrOverlongFormsEndTheLoad) {
    const std::vector<uint8_t> art = SampleArt();
    ASSERT_GT(art.size(), 200u);
    for (size_t size = 0; size < 4000 && size < art.size(); size += 37) {
        const std::vector<uint8_t> cut(art.begin(), art.begin() + long(size));
        EXPECT_LE(Load(cut).size(), size_t(kNavMapSymbolCount)) << size;
    }
    std::vector<uint8_t> overlong = art;
    // The first ICON form's size word (after "FORM", size, "OPTI", the PALT chunk, "FORM").
    const size_t icon = 12 + 8 + ((LoadBe32(&art[16]) + 1) & ~1u) + 4;
    ASSERT_EQ(std::string(art.begin() + long(icon) + 4, art.begin() + long(icon) + 8), "ICON");
    for (uint32_t claim : {0x7FFFFFF0u, 0xFFFFFFFFu, 2u}) {
        StoreBe32(&overlong[icon], claim);
        EXPECT_LE(Load(overlong).size(), size_t(kNavMapSymbolCount)) << claim;
    }
}

}  // namespace
