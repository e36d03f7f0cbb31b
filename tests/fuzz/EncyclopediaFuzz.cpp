// Reads any bytes as "encyclopedia.iff": the titles and keyword index, then
// every title's entry and one that is not there; a search over whatever
// keywords were read must list only entries that exist.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "engine/IffFile.h"
#include "screens/rooms/EncyclopediaScreen.h"
#include "tests/support/MemoryStream.h"

extern "C" const char* __asan_default_options() { return "allocator_may_return_null=1:max_allocation_size_mb=64"; }

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static EncyclopediaScreen* const screen = new EncyclopediaScreen();
    const std::vector<uint8_t> bytes(data, data + size);
    screen->titles.clear();
    screen->keywords.clear();
    screen->matches.clear();
    {
        MemoryStream stream(bytes);
        IffFile file(&stream, 0);
        file.ValidateHeader();
        screen->LoadEntries(file);
    }
    for (const auto& keyword : screen->keywords) {
        for (const int32_t entry : keyword->entries) {
            if (entry < 0 || entry >= int32_t(screen->titles.size())) std::abort();
        }
    }
    std::vector<std::string> titles = screen->titles;
    titles.emplace_back("no such title");
    for (const std::string& title : titles) {
        if (title.size() > EncyclopediaScreen::kMaxNameBytes) std::abort();
        MemoryStream stream(bytes);
        IffFile file(&stream, 0);
        file.ValidateHeader();
        std::string body;
        screen->ShowEntry(file, title.c_str(), &body);
    }
    return 0;
}
