#pragma once
#include <cstdint>
#include <string>

#include "engine/DynArray.h"

class ArtObject;
class IffFile;
class TimedAnimation;

// The readers of a room's art file, standing inside its FORM "OPTI": each
// animated form ("ANIM", "HABI", "HOTS") is a "NAME" chunk and its "XCEL"
// cels; the hangar's "SHIP" forms hold one "POSI" form per pad. Whatever
// cannot be read is left out; the reader ends where it began.
namespace room_art {

// Frames are this far apart in every room animation.
inline constexpr int32_t kFrameDelayMs = 100;

// Every form of that type at the reader's level becomes an animation of
// that mode appended to `into`, with cels 0, stride, 2 * stride ... of it.
void ReadAnimations(IffFile& file, uint32_t formType, int32_t mode, int32_t celStride,
                    DynArray<TimedAnimation*>& into);
// Every pad of every "SHIP" form: a looping, hidden one-frame animation
// named by the hull and the pad ("P102" and "POS1" give "P102POS1").
void ReadShipPads(IffFile& file, DynArray<TimedAnimation*>& into);
// Every trophy form ("TROP") at the reader's level becomes a button named
// by its "NAME" whose idle frames are its cels, appended to `into`. With
// `highlights`, a "HIGH" form inside it gives a second button, named by
// the name and "Hilight", whose highlight frames are that form's cels and
// which comes before the trophy in the panel (so it draws over it).
void ReadTrophies(IffFile& file, ArtObject& into, bool highlights);
// The background form's picture for Screen::LoadBackground: true with the
// reader inside the form.
bool EnterBackground(IffFile& file, uint32_t formType);

}  // namespace room_art
