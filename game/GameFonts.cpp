#include "game/GameFonts.h"

#include "display/FontLoader.h"
#include "game/DataDirectories.h"

Status LoadGameFonts(std::string* failedPath) {
    for (const char* file : kGameFontFiles) {
        const std::string path = g_dataDirs.Prefix(DataDir::kData) + file;
        const Status status = LoadFont(path.c_str(), nullptr);
        if (status != kStatusOk) {
            if (failedPath != nullptr) *failedPath = path;
            return status;
        }
    }
    return kStatusOk;
}
