// Reads any bytes as a saved game's slot title: a title is taken whole, at
// most 64 bytes, or the caller's text stays.
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>

#include "screens/SaveScreen.h"
#include "tests/support/TempDir.h"

namespace {

void Check(bool condition) {
    if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static TempDir* const dir = new TempDir;
    static const std::string path = dir->Str() + "/slot0.sav";
    std::ofstream(path, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    std::string title = "kept";
    const Status status = SaveScreen::ReadSlotTitle(path.c_str(), &title);
    Check(status == kStatusOk ? title.size() <= SaveScreen::kMaxTitleBytes : title == "kept");
    return 0;
}
