// Reads any bytes as "tutor.iff" for the introduction, a section's
// overview and a topic; a text, when found, is what the box shows.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "engine/IffFile.h"
#include "tests/support/MemoryStream.h"
#include "ui/TutorialScreen.h"

extern "C" const char* __asan_default_options() { return "allocator_may_return_null=1:max_allocation_size_mb=64"; }

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static TutorialScreen* const tutorial = new TutorialScreen();
    const std::vector<uint8_t> bytes(data, data + size);
    const struct {
        int32_t introduction;
        const char* key;
    } asks[] = {{1, "NONE"}, {0, "NONE"}, {0, "SV_LOAD"}};
    for (const auto& ask : asks) {
        MemoryStream stream(bytes);
        IffFile file(&stream, 0);
        file.ValidateHeader();
        tutorial->introductionPending = ask.introduction;
        tutorial->SetSection(MakeTag("SAVE"));
        tutorial->topicKey = ask.key;
        tutorial->ShowFrom(file);
        if (!tutorial->HasText() && !tutorial->Text().empty()) std::abort();
    }
    return 0;
}
