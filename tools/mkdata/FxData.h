#pragma once
#include "engine/Status.h"

class IffFile;

// The visual effect records of "fx.iff", written inside its FORM "FX  "
// after the sounds: explosions ("Explosion 1" with a lens flare, a sound and
// the 3-D animation "Praxis"; "Sparks", given twice so that the later entry
// is the one found; "Hit Spark"; "Nova" with the shock spheres), the 3-D
// animations "JumpGate" and "Praxis" over the scenes below, the projectile
// looks "Laser Bolt" and "Flak Shell" (which bursts into "Flak Bit"), the
// beam "Ion Beam", the streams "Exhaust", "Smoke", "MissSmoke", "Fire" and
// "Jump", and the lens flares "Blast Flare" and "Sun Flare". Frames are
// 16 x 16 pictures in the index space of the palette they are shown with.
Status WriteEffectRecords(IffFile& iff);

// The scenes the 3-D animations name, relative to the game folder.
inline constexpr const char* kJumpAnimationFile = "mesh\\jumpanim.iff";
inline constexpr const char* kPraxisAnimationFile = "mesh\\praxis.iff";

// "dust.iff" in the cel directory: FORM "DUST" of the space dust's sprite
// pictures, two small soft dots.
Status WriteDustSprites(const char* path);
