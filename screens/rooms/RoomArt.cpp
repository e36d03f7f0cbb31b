#include "screens/rooms/RoomArt.h"

#include <memory>

#include "display/Bitmap.h"
#include "engine/IffFile.h"
#include "ui/ArtObject.h"
#include "ui/BitmapButton.h"
#include "ui/TimedAnimation.h"

namespace room_art {

namespace {

constexpr uint32_t kNameChunk = MakeTag("NAME");
constexpr uint32_t kCelForm = MakeTag("XCEL");
constexpr uint32_t kShipForm = MakeTag("SHIP");
constexpr uint32_t kPadForm = MakeTag("POSI");
constexpr uint32_t kTrophyForm = MakeTag("TROP");
constexpr uint32_t kHighlightForm = MakeTag("HIGH");
constexpr const char* kHighlightSuffix = "Hilight";

// The form's "NAME", read from its start; the reader goes back there.
std::string ReadFormName(IffFile& file) {
    std::string name;
    if (file.FindChunk(kNameChunk) == kStatusOk) name = art_file::ReadName(file, ArtObject::kMaxNameBytes);
    file.Rewind(0);
    return name;
}

}  // namespace

void ReadAnimations(IffFile& file, uint32_t formType, int32_t mode, int32_t celStride,
                    DynArray<TimedAnimation*>& into) {
    const uint32_t level = file.Level();
    if (celStride < 1) celStride = 1;
    while (file.FindForm(formType) == kStatusOk) {
        if (file.Descend() != kStatusOk) break;
        const std::string name = ReadFormName(file);
        auto animation = std::make_unique<TimedAnimation>(name.c_str(), nullptr, nullptr, kFrameDelayMs, mode);
        // The first cel is always taken, then every stride-th after it.
        int32_t skipped = celStride - 1;
        while (file.FindForm(kCelForm) == kStatusOk) {
            if (skipped < celStride - 1) {
                ++skipped;
                continue;
            }
            skipped = 0;
            std::unique_ptr<Bitmap> cel = art_file::ReadCel(file);
            if (cel != nullptr) animation->AddFrame(cel.release());
        }
        art_file::LeaveTo(file, level);
        if (into.Append(animation.get())) animation.release();
    }
    art_file::LeaveTo(file, level);
    file.Rewind(0);
}

void ReadShipPads(IffFile& file, DynArray<TimedAnimation*>& into) {
    const uint32_t level = file.Level();
    while (file.FindForm(kShipForm) == kStatusOk) {
        if (file.Descend() != kStatusOk) break;
        const uint32_t shipLevel = file.Level();
        const std::string hull = ReadFormName(file);
        while (file.FindForm(kPadForm) == kStatusOk) {
            if (file.Descend() != kStatusOk) break;
            const std::string pad = ReadFormName(file);
            if (file.FindForm(kCelForm) == kStatusOk) {
                const std::string name = hull + pad;
                auto animation = std::make_unique<TimedAnimation>(name.c_str(), nullptr, nullptr, kFrameDelayMs,
                                                                  TimedAnimation::kModeLoop);
                animation->enabled = 0;
                std::unique_ptr<Bitmap> cel = art_file::ReadCel(file);
                if (cel != nullptr) animation->AddFrame(cel.release());
                if (into.Append(animation.get())) animation.release();
            }
            art_file::LeaveTo(file, shipLevel);
        }
        art_file::LeaveTo(file, level);
    }
    art_file::LeaveTo(file, level);
    file.Rewind(0);
}

void ReadTrophies(IffFile& file, ArtObject& into, bool highlights) {
    const uint32_t level = file.Level();
    while (file.FindForm(kTrophyForm) == kStatusOk) {
        if (file.Descend() != kStatusOk) break;
        const uint32_t trophyLevel = file.Level();
        const std::string name = ReadFormName(file);
        auto trophy = std::make_unique<BitmapButton>();
        trophy->SetName(name.c_str());
        while (file.FindForm(kCelForm) == kStatusOk) {
            std::unique_ptr<Bitmap> cel = art_file::ReadCel(file);
            if (cel == nullptr) continue;
            art_file::PlaceByCel(*trophy, *cel);
            trophy->AddIdleFrame(std::move(cel));
        }
        art_file::LeaveTo(file, trophyLevel);
        file.Rewind(0);
        if (highlights && file.FindForm(kHighlightForm) == kStatusOk) {
            auto highlight = std::make_unique<BitmapButton>();
            highlight->SetName((name + kHighlightSuffix).c_str());
            art_file::ReadCels(file, [&](std::unique_ptr<Bitmap> cel) {
                art_file::PlaceByCel(*highlight, *cel);
                highlight->AddHighlightFrame(std::move(cel));
            });
            into.AddControl(highlight.release());
        }
        into.AddControl(trophy.release());
        art_file::LeaveTo(file, level);
    }
    art_file::LeaveTo(file, level);
    file.Rewind(0);
}

bool EnterBackground(IffFile& file, uint32_t formType) {
    return file.FindForm(formType) == kStatusOk && file.Descend() == kStatusOk;
}

}  // namespace room_art
