#pragma once
#include <cstdint>

class GameState;
class IffFile;
class Model;
class Palette;

// The effect definitions of "fx.iff" in the data directory.
inline constexpr const char* kEffectsFile = "fx.iff";

// The lens-flare definitions into g_flareTable, once at start-up (a filled
// table is left alone). Nothing when the file cannot be read.
void LoadFx();
// The same from a reader standing before the file's FORM "FX  ".
void ReadFlares(IffFile& iff);
// Deletes every flare definition, last first, with its pictures.
void FreeFx();

// The explosion, animation, projectile, beam and stream chains, each read
// only while it is empty, so that repeating the loading step reads nothing
// twice. Palettes and models come through the game state.
void LoadEffectRegistries(GameState& game);
void ReadEffectRegistries(IffFile& iff, GameState& game);
// Empties the chains in the order explosions, projectiles, streams, beams,
// animations (the game state's destructor, after FreeFx).
void FreeEffectRegistries();
// When the world is freed with its flag set: every frame of the explosions
// and 3-D animations lets go of its device textures; the definitions stay.
void DropEffectTextures();

// The faces of a model drawn see-through at `level`, and every material's
// picture (each frame of an animated one) read through `palette`.
void MakeModelTranslucent(Model* model, uint8_t level);
void GiveModelPalette(Model* model, Palette* palette);
