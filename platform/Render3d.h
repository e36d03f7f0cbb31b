#pragma once
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/DeviceResult.h"
#include "platform/PixelLayout.h"

namespace platform {

class DisplayAdapter;
class Surface;

// Identifies one display driver of the machine; all zero for the primary
// display driver, which stands for the default device.
struct DriverId {
    std::array<uint8_t, 16> bytes{};
    bool IsZero() const;
    bool operator==(const DriverId& other) const = default;
};

// A texture pixel format the 3D device offers.
struct TextureFormat {
    PixelLayout layout;
    uint32_t alphaMask = 0;     // alpha bits beside the colour
    bool alphaOnly = false;     // alpha and no colour
};

// One display driver as the enumeration reports it.
struct DisplayDriverEntry {
    DriverId id;
    std::string description;   // "Primary Display Driver"
    std::string driverName;    // "display"
};

// What the display device can do.
struct DisplayCaps {
    bool hardware3d = true;
    bool hardwareBlits = true;
    bool no2dDuringScene = false;
};

// What a 3D device can do; each group counts only when its bit of `valid`
// is set.
struct DeviceCaps3d {
    static constexpr uint32_t kValidColorModel = 0x1;
    static constexpr uint32_t kValidDeviceCaps = 0x2;
    static constexpr uint32_t kValidRenderDepths = 0x4;
    static constexpr uint32_t kValidZBufferDepths = 0x8;
    static constexpr uint32_t kValidTriangleCaps = 0x10;
    static constexpr uint32_t kValidAll = 0x1F;
    // Bit depths.
    static constexpr uint32_t kDepth8 = 0x1;
    static constexpr uint32_t kDepth16 = 0x2;
    static constexpr uint32_t kDepth24 = 0x4;
    // Triangle capabilities.
    static constexpr uint32_t kCullNone = 0x1;
    static constexpr uint32_t kDither = 0x2;
    static constexpr uint32_t kVertexFog = 0x4;
    static constexpr uint32_t kTableFog = 0x8;
    static constexpr uint32_t kStipple = 0x10;
    static constexpr uint32_t kAlphaStipple = 0x20;
    static constexpr uint32_t kSourceBothAlpha = 0x40;
    static constexpr uint32_t kDestinationBothAlpha = 0x80;
    static constexpr uint32_t kGouraudSpecular = 0x100;
    static constexpr uint32_t kFlatFog = 0x200;
    static constexpr uint32_t kGouraudFog = 0x400;
    static constexpr uint32_t kPerspective = 0x800;
    static constexpr uint32_t kSquareOnly = 0x1000;   // a lack, not a capability
    static constexpr uint32_t kTransparency = 0x2000;
    static constexpr uint32_t kLinearFilter = 0x4000;
    static constexpr uint32_t kModulate = 0x8000;
    static constexpr uint32_t kWrap = 0x10000;
    static constexpr uint32_t kAllTriangleCaps = 0x1EFFF;

    uint32_t valid = kValidAll;
    bool rgbColorModel = true;
    bool transformedFloatVertices = true;
    uint32_t renderDepths = kDepth16;
    uint32_t zBufferDepths = kDepth16;
    uint32_t triangleCaps = kAllTriangleCaps;
    // 0: not given.
    int32_t minTextureWidth = 0, minTextureHeight = 0;
    int32_t maxTextureWidth = 256, maxTextureHeight = 256;
};

// The render states the drivers set.
enum class RenderState : int32_t {
    kTextureHandle,
    kTexturePerspective,
    kZEnable,
    kShadeMode,
    kZWriteEnable,
    kLastPixel,
    kTextureMag,
    kTextureMin,
    kSourceBlend,
    kDestinationBlend,
    kTextureMapBlend,
    kCullMode,
    kZFunction,
    kDitherEnable,
    kAlphaBlendEnable,
    kColorKeyEnable,
    kFogEnable,
    kFogColor,         // 0xRRGGBB
    kCount
};

// Values of the render states.
inline constexpr uint32_t kShadeFlat = 1;
inline constexpr uint32_t kShadeGouraud = 2;
inline constexpr uint32_t kCullNoneMode = 1;
inline constexpr uint32_t kCompareLessEqual = 4;
inline constexpr uint32_t kBlendBothSourceAlpha = 12;
inline constexpr uint32_t kFilterPoint = 1;
inline constexpr uint32_t kFilterLinear = 2;
inline constexpr uint32_t kMapBlendDecal = 1;
inline constexpr uint32_t kMapBlendModulate = 2;

// A transformed and lit vertex: screen position, depth 0..1, 1/w, colour
// 0xAARRGGBB, specular whose alpha is the fog factor (255 no fog), and
// texture coordinates.
struct TlVertex {
    float x = 0.0f, y = 0.0f, z = 0.0f, rhw = 1.0f;
    uint32_t color = 0xFFFFFFFF;
    uint32_t specular = 0xFF000000;
    float u = 0.0f, v = 0.0f;
};
static_assert(sizeof(TlVertex) == 32);

enum class PrimitiveKind : int32_t { kLineList, kTriangleFan };

// The light states the canvas sets for vertex fog.
enum class LightState : int32_t { kAmbient, kFogMode, kFogStart, kFogEnd, kCount };

// The visible part of the render target and its clip volume.
struct ViewportRect {
    int32_t x = 0, y = 0, width = 0, height = 0;
    float clipX = 0.0f, clipY = 0.0f, clipWidth = 0.0f, clipHeight = 0.0f;
    float minZ = 0.0f, maxZ = 1.0f;
};

class RenderDevice3d;

class Viewport3d {
public:
    DeviceResult Set(const ViewportRect& rect);
    const ViewportRect& Rect() const { return rect_; }

private:
    friend class Render3d;
    friend class RenderDevice3d;
    explicit Viewport3d(DisplayAdapter& adapter) : adapter_(adapter) {}
    DisplayAdapter& adapter_;
    ViewportRect rect_;
    RenderDevice3d* device_ = nullptr;
};

// A 3D device rendering into a surface (and its attached Z-buffer).
class RenderDevice3d {
public:
    static constexpr int32_t kMaxPrimitiveVertices = 65535;
    ~RenderDevice3d();
    RenderDevice3d(const RenderDevice3d&) = delete;
    RenderDevice3d& operator=(const RenderDevice3d&) = delete;

    DeviceResult GetCaps(DeviceCaps3d* hardware, DeviceCaps3d* emulation);
    DeviceResult AddViewport(Viewport3d* viewport);
    DeviceResult SetCurrentViewport(Viewport3d* viewport);
    DeviceResult BeginScene();
    DeviceResult EndScene();
    DeviceResult SetRenderState(RenderState state, uint32_t value);
    DeviceResult SetLightState(LightState state, uint32_t value);
    uint32_t Light(LightState state) const { return lightStates_[size_t(state)]; }
    // Draws into the target (and its Z-buffer) with the current states:
    // a fan of count - 2 triangles, or count / 2 lines. Only inside a scene.
    DeviceResult DrawPrimitive(PrimitiveKind kind, const TlVertex* vertices, int32_t count);
    // The vertices of the last DrawPrimitive, for tests to read.
    const std::vector<TlVertex>& LastVertices() const { return lastVertices_; }
    uint32_t State(RenderState state) const { return states_[size_t(state)]; }
    // The handle by which the device draws from a texture surface; handles
    // count from 1 and stay valid while the surface lives.
    DeviceResult GetTextureHandle(const std::shared_ptr<Surface>& texture, uint32_t* handle);
    // The surface of a handle, or null for 0, an unknown handle or one whose
    // surface is gone.
    std::shared_ptr<Surface> TextureOf(uint32_t handle) const;
    bool InScene() const { return inScene_; }
    Viewport3d* CurrentViewport() const { return current_; }
    Surface& Target() const { return *target_; }

private:
    friend class Render3d;
    RenderDevice3d(DisplayAdapter& adapter, std::shared_ptr<Surface> target);
    DisplayAdapter& adapter_;
    std::shared_ptr<Surface> target_;
    std::array<uint32_t, size_t(RenderState::kCount)> states_{};
    std::array<uint32_t, size_t(LightState::kCount)> lightStates_{};
    std::vector<std::weak_ptr<Surface>> textures_;
    std::vector<TlVertex> lastVertices_;
    Viewport3d* current_ = nullptr;
    bool inScene_ = false;
};

// The 3D interface of a display device.
class Render3d {
public:
    ~Render3d();
    Render3d(const Render3d&) = delete;
    Render3d& operator=(const Render3d&) = delete;

    // The hardware device, rendering into `target`, which must be a 3D
    // device surface.
    DeviceResult CreateDevice(std::shared_ptr<Surface> target, std::unique_ptr<RenderDevice3d>* device);
    DeviceResult CreateViewport(std::unique_ptr<Viewport3d>* viewport);
    // The texture formats the device offers, in the adapter's order.
    std::vector<TextureFormat> TextureFormats() const;

private:
    friend class DisplayDevice;
    explicit Render3d(DisplayAdapter& adapter);
    DisplayAdapter& adapter_;
};

}  // namespace platform
