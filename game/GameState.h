#pragma once
#include <cstdint>
#include <string>

#include "engine/EngineAllocation.h"
#include "engine/Status.h"
#include "engine/DynArray.h"

class IffFile;
class InputSystem;
class SoundDevice;
class SoundEffectLibrary;
class SoundObject;
class Palette;

// The display driver the start-up opens (g_graphicsDriver).
inline constexpr int32_t kGraphicsDriverDib = 0;
inline constexpr int32_t kGraphicsDriverDirectDraw = 1;
inline constexpr int32_t kGraphicsDriverDirect3d = 2;

// g_textureFilterFlags
inline constexpr uint32_t kTextureFilter2d = 0x1;
inline constexpr uint32_t kTextureFilter3d = 0x2;

// The graphics choices that "vorn.cfg" keeps besides g_pixelFormat
// (display/PixelFormat.h).
extern int32_t g_graphicsDriver;
extern uint32_t g_textureFilterFlags;
extern int32_t g_softwareAlpha;   // 0 or 1

// The record of "vorn.cfg": six 32-bit words, stored little-endian in this
// order.
struct ConfigRecord {
    static constexpr uint32_t kBytes = 24;

    int32_t pixelFormat = 0;
    int32_t graphicsDriver = 0;
    uint32_t textureFilterFlags = 0;
    int32_t softwareAlpha = 0;
    int32_t enhancedGraphics = 0;
    int32_t inertialFlight = 0;    // nonzero: inertial flight is off
};

// A palette loaded by name. The entry owns the palette.
struct PaletteCacheEntry : EngineObject {
    static constexpr uint32_t kNameBytes = 16;

    PaletteCacheEntry() = default;
    ~PaletteCacheEntry();
    PaletteCacheEntry(const PaletteCacheEntry&) = delete;
    PaletteCacheEntry& operator=(const PaletteCacheEntry&) = delete;

    char name[kNameBytes] = {};   // zero-terminated, so at most 15 characters
    Palette* palette = nullptr;
};

// The one game object.
class GameState : public EngineObject {
public:
    // In the first data directory.
    static constexpr const char* kPaletteFile = "palettes.iff";
    // In the config folder: FORM "VORN" holding the chunk "CNFG".
    static constexpr const char* kConfigFile = "vorn.cfg";

    GameState() = default;
    ~GameState();
    GameState(const GameState&) = delete;
    GameState& operator=(const GameState&) = delete;

    // Palettes by name. Repeated requests give the same object; `reload`
    // drops a cached one and reads it again, in the kind of the pixel format
    // now in force (callers holding the old pointer must let it go). Null
    // for a null name, a name the file does not hold, or a palette that
    // cannot be read; failures are not cached, so the next request tries the
    // file again.
    Palette* LoadPalette(const char* name, bool reload = false);
    // The cache entry that holds this palette, or null.
    PaletteCacheEntry* FindPaletteEntry(const Palette* palette) const;
    // Writes the palette's conversion table, its shade rows and its 256
    // colours, each at its real size, to a new file. kStatusNothingToDo for
    // a null palette or one without a shade table (nothing is written).
    Status DumpPaletteTables(const Palette* palette, const char* path) const;

    // Entries in the order they were loaded.
    const DynArray<PaletteCacheEntry*>& PaletteCache() const { return paletteCache_; }

    // Where "vorn.cfg" lives; empty (the default) is the working folder.
    void SetConfigFolder(const std::string& folder) { configFolder_ = folder; }
    std::string ConfigFilePath() const;
    // Reads the "CNFG" chunk of the options file into `record`: its whole
    // words replace the record's first words, at most six. With `apply` the
    // record's words then become g_pixelFormat, g_graphicsDriver,
    // g_textureFilterFlags, g_softwareAlpha and enhancedGraphics. A file that
    // cannot be opened, or holds no "CNFG" chunk of at most 24 bytes inside
    // FORM "VORN", changes nothing and gives false.
    bool ReadConfigFile(ConfigRecord* record, bool apply);
    // Creates the options file anew: FORM "VORN" holding "CNFG" of the six
    // words. The chunk file's status, or the first failure.
    Status WriteConfigFile(const ConfigRecord& record) const;

    int32_t enhancedGraphics = 0;   // 0 or 1, from the options file

    // The player's devices, made at start-up; the game state owns them from
    // then on and deletes them with itself.
    void TakeInputSystem(InputSystem* input);
    InputSystem* Input() const { return input_; }

    // The sound device and the definitions of "fx.iff", made at start-up
    // after the display; the game state owns them and installs the
    // definitions as g_soundEffects while it holds them.
    void TakeSound(SoundDevice* device, SoundEffectLibrary* effects);
    SoundDevice* Sound() const { return soundDevice_; }
    // The explosion of a ship's model: "Explosion" at level 5, overlapping
    // any explosion still sounding. The model does not choose the sound.
    void PlayExplosionSound(const char* modelName);

private:
    // Index of the cached entry of that name, or -1.
    int32_t FindCachedPalette(const char* name) const;
    // Reads the palette from the file and appends it to the cache.
    Palette* ReadPalette(const char* name);
    // With the file open: walks to the named "PALT" form and reads it.
    Palette* ReadPaletteFrom(IffFile& iff, const char* name);

    DynArray<PaletteCacheEntry*> paletteCache_;
    std::string configFolder_;
    InputSystem* input_ = nullptr;
    SoundDevice* soundDevice_ = nullptr;
    SoundEffectLibrary* soundEffects_ = nullptr;
    SoundObject* explosionSound_ = nullptr;   // made on first use
};
