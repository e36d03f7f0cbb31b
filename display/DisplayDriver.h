#pragma once
#include <cstdint>
#include <memory>

#include "display/CanvasRect.h"
#include "engine/EngineAllocation.h"
#include "engine/Status.h"
#include "platform/DisplayDevice.h"
#include "platform/DisplayPalette.h"

class Palette;

class Palette;

// Results of the driver operations; textures return them too.
inline constexpr int32_t kDisplayOk = 0;
inline constexpr int32_t kDisplayUnsupported = 1;        // nothing to do; a depth, device or flag the kind cannot take
inline constexpr int32_t kDisplayOutOfMemory = 2;
inline constexpr int32_t kDisplayBadFrameFormat = 3;     // a 3D frame surface neither 5-6-5 nor 5-5-5
inline constexpr int32_t kDisplayCallFailed = 8;         // a display device call failed (see lastResult)
inline constexpr int32_t kDisplayNotOpened = 9;          // or no 3D driver for a texture
inline constexpr int32_t kDisplayNeeds555Palette = 13;   // the frame is 5-5-5, the palette is not
inline constexpr int32_t kDisplayNeeds565Palette = 14;   // the frame is 5-6-5, the palette is not

// The owner of the screen: takes the main window, switches the display
// mode, makes the frame buffers, holds the current palette, collects the
// dirty rectangle and shows finished frames. One exists at a time; the kinds
// (DirectDraw, DIB, 3D hardware) fill in the pure operations, and canvases
// draw into the buffers a driver made. Drivers live in the engine heap.
class DisplayDriver : public EngineObject {
public:
    // kind
    static constexpr int32_t kKindDirectDraw = 1;
    static constexpr int32_t kKindDib = 2;
    static constexpr int32_t kKindD3dHal = 3;

    // Mode flags of SetMode.
    static constexpr uint32_t kModeFullScreen = 0x1;     // exclusive use and a display mode change
    static constexpr uint32_t kModePageFlip = 0x2;       // a flip chain; else an off-screen buffer blitted
    static constexpr uint32_t kModeSystemDrawing = 0x4;  // draw into system memory, copied at Present
    static constexpr uint32_t kModeDepthBuffer = 0x8;    // 16-bit Z-buffer (3D kind)
    static constexpr uint32_t kMode3dDevice = 0x10;      // frame surfaces a 3D device can render into

    // sins: a set bit is a capability the display lacks.
    static constexpr uint32_t kSinNoDepthBuffer16 = 0x1;
    static constexpr uint32_t kSinNoHardwareBlits = 0x2;
    static constexpr uint32_t kSinEmulatedBlits = 0x4;           // only with kSinNoHardwareBlits
    static constexpr uint32_t kSinNoTextureTransparency = 0x20;
    static constexpr uint32_t kSinNoModulatedBlend = 0x40;
    static constexpr uint32_t kSinNoWrappedTextures = 0x80;
    static constexpr uint32_t kSinNoBilinearFilter = 0x100;
    static constexpr uint32_t kSinNoPerspectiveTextures = 0x200;
    static constexpr uint32_t kSinTextureSizes = 0x400;          // square only, or sides out of 16..256
    static constexpr uint32_t kSinNoCullNone = 0x1000;
    static constexpr uint32_t kSinNoDither = 0x2000;
    static constexpr uint32_t kSinNoSpecular = 0x4000;
    static constexpr uint32_t kSinNoTableFog = 0x10000;
    static constexpr uint32_t kSinNoVertexFog = 0x20000;
    static constexpr uint32_t kSinNoStipple = 0x40000;
    static constexpr uint32_t kSinNoAlphaBlend = 0x80000;        // with kSinNoStipple
    static constexpr uint32_t kSinNo16BitTargets = 0x10000000;
    static constexpr uint32_t kSinNoRgbModel = 0x20000000;
    static constexpr uint32_t kSinNoTransformedVertices = 0x30000000;
    static constexpr uint32_t kSinNo3dHardware = 0x40000000;
    static constexpr uint32_t kSinNo2dInScene = 0x80000000;
    // What the software kinds add at every successful SetMode.
    static constexpr uint32_t kSinsSoftware =
        kSinNo3dHardware | kSinNoVertexFog | kSinNoTableFog | kSinNoBilinearFilter;

    static constexpr int32_t kNameLength = 12;

    virtual ~DisplayDriver();
    DisplayDriver(const DisplayDriver&) = delete;
    DisplayDriver& operator=(const DisplayDriver&) = delete;

    // Makes the display device and sets kind: kDisplayOk or kDisplayCallFailed.
    virtual int32_t Open() = 0;
    // kDisplayUnsupported without a stored palette, else SetPaletteEntries.
    virtual int32_t ReapplyPalette(int32_t brightness);
    // Stores the arguments, switches the display and builds the frame buffers.
    virtual int32_t SetMode(int32_t width, int32_t height, int32_t depth, Palette* palette, uint32_t modeFlags) = 0;
    // Returns kDisplayUnsupported on every kind.
    virtual int32_t SpareCall(uint32_t a, uint32_t b, uint32_t c, uint32_t d, uint32_t e);
    // Stores the palette and gives its colours to the display, each colour's
    // lightness raised by `brightness` (16.16, the sum kept within 0..1.0).
    virtual int32_t SetPaletteEntries(Palette* palette, int32_t brightness) = 0;
    // Releases every surface, palette and the display device; safe twice.
    virtual int32_t Close() = 0;
    // Shows the frame and empties the dirty rectangle (the base only empties it).
    virtual int32_t Present();
    virtual void InvalidateAll();
    // Grows the dirty rectangle to take in `area`.
    virtual void Invalidate(const CanvasRect& area);
    virtual void BeginScene();
    virtual void EndScene();
    virtual int32_t SpareQuery() = 0;

    // The dirty rectangle cut to the frame; false when nothing is left.
    bool DirtyArea(CanvasRect* area) const;
    void EmptyDirtyRect();
    // Writes "screen.log": the name, mode flags, sins and `errorValue`.
    // kStatusCannotOpen or kStatusPlatformFailed when the file cannot be
    // made or written.
    Status WriteScreenLog(const char* path, int32_t errorValue) const;

    int32_t kind = 0;                  // kKind*, set by a successful Open
    uint32_t flags = 0;                // mode flags of the last SetMode
    int32_t openResult = kDisplayNotOpened;
    int32_t inScene = 0;               // 3D kind: between BeginScene and EndScene
    // Screen pixels, right and bottom exclusive; empty is (width, height, 0, 0).
    int32_t dirtyLeft = 0;
    int32_t dirtyTop = 0;
    int32_t dirtyRight = 0;
    int32_t dirtyBottom = 0;
    int32_t spareWords[2] = {};        // cleared by SetMode
    int32_t width = 0;
    int32_t height = 0;
    int32_t depth = 0;                 // bits per pixel asked of SetMode
    char name[kNameLength] = {};
    Palette* palette = nullptr;        // not owned
    uint32_t sins = 0;
    int32_t lastResult = 0;            // of the last display device call
    std::unique_ptr<platform::DisplayDevice> directDraw;

protected:
    DisplayDriver() = default;

    void SetName(const char* text);
    // Opens the display device and records `deviceKind`: kDisplayOk, or
    // kDisplayCallFailed having closed.
    int32_t OpenDevice(int32_t deviceKind);
    // Closes and passes `result` on: a kind that fails half-way through
    // Open or SetMode keeps nothing of what it made.
    int32_t Fail(int32_t result);
    // For a kind's destructor: puts back the desktop's mode when a
    // full-screen SetMode changed it, then closes. Close runs here rather
    // than in this class's destructor, where the kind is already gone.
    void RestoreModeAndClose();
    // The palette's colours with `brightness` (16.16) added to each one's
    // lightness, the sum kept within 0..1.0, for the 8-bit display palette.
    static DisplayPalette BrightenedColors(const Palette& palette, int32_t brightness);
};
