// The game's fonts, and the name of the one the intro's banner is drawn in.
#include <cstdio>
#include <cstring>
#include <iterator>
#include <string>

#include "display/FontContext.h"
#include "display/FontLoader.h"
#include "game/GameFonts.h"
#include "game/GameMessages.h"
#include "shell/StartupSteps.h"

namespace startup {

// Tells the player which font failed and how; false then. Keeps the name
// of the banner's font.
bool LoadFonts(Session& session) {
    std::string failed;
    const Status status = LoadGameFonts(&failed);
    if (status != kStatusOk) {
        char text[512];
        std::snprintf(text, sizeof text, msg::kFailedToLoadFont, failed.c_str(), static_cast<int>(status));
        ShowFatal(text, msg::kCaptionError);
        return false;
    }
    const FontRecord& font = *g_fontContext->current;
    session.bannerFont.assign(font.name, strnlen(font.name, FontRecord::kNameChars));
    std::printf("Fonts loaded: %zu\n", std::size(kGameFontFiles));
    std::fflush(stdout);
    return true;
}

}  // namespace startup
