// Reads any bytes as a screen's art file: the buttons, pictures and sprites
// of the first "OPTI" form, and the "ARTW" walk of the shared sprite art for
// a name the bytes may hold, and the controls page's two icons. Loading
// must end, whatever it finds.
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <vector>

#include "display/Bitmap.h"
#include "engine/IffFile.h"
#include "screens/ControlScreen.h"
#include "tests/support/MemoryStream.h"
#include "ui/ArtObject.h"
#include "ui/BitmapButton.h"
#include "ui/MenuScreen.h"

extern "C" const char* __asan_default_options() { return "allocator_may_return_null=1:max_allocation_size_mb=64"; }

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::vector<uint8_t> bytes(data, data + size);
    {
        MemoryStream stream(bytes);
        IffFile file(&stream, 0);
        file.ValidateHeader();
        if (file.FindForm(MakeTag("OPTI")) == kStatusOk && file.Descend() == kStatusOk) {
            ArtObject panel("fuzz", 0);
            panel.LoadButtons(file);
            file.Rewind(0);
            panel.LoadPictures(file);
            file.Rewind(0);
            panel.LoadSprites(file);
            if (panel.FindControl("") != nullptr && panel.controls.Count() == 0) std::abort();
        }
    }
    {
        MemoryStream stream(bytes);
        IffFile file(&stream, 0);
        file.ValidateHeader();
        if (file.FindForm(MakeTag("OPTI")) == kStatusOk && file.Descend() == kStatusOk) {
            std::unique_ptr<Bitmap> icons[2];
            ControlScreen::LoadIconImages(file, &icons[0], &icons[1]);
        }
    }
    for (const char* name : {"Tutorial Close", "a", ""}) {
        MemoryStream stream(bytes);
        IffFile file(&stream, 0);
        file.ValidateHeader();
        BitmapButton* const button = LoadOptArtButton(file, name, "fuzz");
        if (button != nullptr && button->Name() != "fuzz") std::abort();
        delete button;
    }
    return 0;
}
