// Reads any bytes as a room's art file: the decorations, habits and hot
// spots every third cel and every cel, the hangar's ship pads, the common
// room's trophies and the close-up of its case with their highlights, and
// the background form. Loading must end, whatever it finds, with every
// animation named and holding only cels it could read.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "engine/DynArray.h"
#include "engine/IffFile.h"
#include "screens/rooms/RoomArt.h"
#include "tests/support/MemoryStream.h"
#include "ui/ArtObject.h"
#include "ui/TimedAnimation.h"

extern "C" const char* __asan_default_options() { return "allocator_may_return_null=1:max_allocation_size_mb=64"; }

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::vector<uint8_t> bytes(data, data + size);
    MemoryStream stream(bytes);
    IffFile file(&stream, 0);
    file.ValidateHeader();
    if (file.FindForm(MakeTag("OPTI")) != kStatusOk || file.Descend() != kStatusOk) return 0;
    const uint32_t level = file.Level();
    DynArray<TimedAnimation*> animations;
    room_art::ReadAnimations(file, MakeTag("ANIM"), TimedAnimation::kModeLoop, 3, animations);
    room_art::ReadAnimations(file, MakeTag("HABI"), TimedAnimation::kModeForward, 1, animations);
    room_art::ReadAnimations(file, MakeTag("HOTS"), TimedAnimation::kModeHotspot, 1, animations);
    room_art::ReadShipPads(file, animations);
    if (file.Level() != level) std::abort();
    for (TimedAnimation* const animation : animations) {
        if (animation->FrameCount() < 0 || animation->SetFrame(animation->FrameCount()) != 0) std::abort();
        animation->LockFrames();
        animation->UnlockFrames();
        delete animation;
    }
    ArtObject room("cmain", 1);
    room_art::ReadTrophies(file, room, false);
    if (file.Level() != level) std::abort();
    if (file.FindForm(MakeTag("UPCL")) == kStatusOk && file.Descend() == kStatusOk) {
        const uint32_t closeUpLevel = file.Level();
        ArtObject closeUp("tmain", 1);
        room_art::ReadTrophies(file, closeUp, true);
        DynArray<TimedAnimation*> closeUpAnimations;
        room_art::ReadAnimations(file, MakeTag("ANIM"), TimedAnimation::kModeHotspot, 1, closeUpAnimations);
        if (file.Level() != closeUpLevel) std::abort();
        for (TimedAnimation* const animation : closeUpAnimations) delete animation;
        room_art::EnterBackground(file, MakeTag("BKGD"));
        art_file::LeaveTo(file, level);
    }
    room_art::EnterBackground(file, MakeTag("BKGR"));
    return 0;
}
