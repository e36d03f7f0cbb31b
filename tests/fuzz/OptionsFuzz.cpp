// Reads any bytes as "opts.sav". A read either takes whole words of at most
// one block, or fails leaving the words it was given untouched; a volume it
// takes is one a strip can show.
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>

#include "game/CareerRecord.h"
#include "game/OptionsFile.h"
#include "tests/support/TempDir.h"

namespace {

void Check(bool condition) {
    if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static TempDir* const dir = new TempDir;
    static const std::string path = dir->Str() + "/" + kOptionsFileName;
    std::ofstream(path, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    CareerOptions options;
    options.musicVolume = -77;
    const CareerOptions before = options;
    const Status status = ReadOptionsFile(path.c_str(), &options);
    if (status != kStatusOk) {
        for (int i = 0; i < CareerOptions::kWords; ++i) Check(options.Word(i) == before.Word(i));
    } else {
        Check(options.soundVolume >= 0 && options.soundVolume <= CareerOptions::kMaxVolume);
        // The music word is taken only when the chunk holds all twelve.
        Check(options.musicVolume == before.musicVolume ||
              (options.musicVolume >= 0 && options.musicVolume <= CareerOptions::kMaxVolume));
    }
    return 0;
}
