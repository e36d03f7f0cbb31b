#include "display/D3DHalDriver.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <string>

#include "display/ColorTables.h"
#include "display/D3DTexture.h"
#include "display/Palette.h"
#include "display/TextureManager.h"
#include "platform/DisplayAdapter.h"

using platform::DeviceCaps3d;
using platform::RenderState;

namespace {

constexpr uint32_t kRedMask565 = 0xF800;
constexpr uint32_t kRedMask555 = 0x7C00;
constexpr int32_t kDeviceLabelBytes = 128;

// What SetRenderState last sent, for every 3D driver of the process.
uint32_t g_cachedHandle = 0;
int64_t g_cachedFlags = -1;   // nothing sent yet

}  // namespace

D3DHalDriver::D3DHalDriver() : SurfaceDisplayDriver(nullptr) {}

D3DHalDriver::D3DHalDriver(platform::Window* mainWindow, const char* wantedDevice)
    : SurfaceDisplayDriver(mainWindow) {
    openResult = EnumerateDevices(wantedDevice);
}

D3DHalDriver::~D3DHalDriver() { Close(); }

int32_t D3DHalDriver::Open() { return EnumerateDevices(nullptr); }

int32_t D3DHalDriver::EnumerateDevices(const char* wantedDevice) {
    deviceName = wantedDevice;
    platform::DisplayAdapter& adapter = platform::DisplayAdapter::Current();
    bool enumerated = false;
    if (wantedDevice != nullptr) {
        std::string wanted(wantedDevice);
        std::transform(wanted.begin(), wanted.end(), wanted.begin(), [](unsigned char c) { return char(std::tolower(c)); });
        enumerated = adapter.EnumerateDrivers([&](const platform::DisplayDriverEntry& entry) {
                         char label[kDeviceLabelBytes];
                         std::snprintf(label, sizeof label, "%s (%s)", entry.description.c_str(),
                                       entry.driverName.c_str());
                         for (char* c = label; *c != 0; ++c) *c = char(std::tolower(static_cast<unsigned char>(*c)));
                         // The primary display driver is never taken.
                         if (std::strstr(label, wanted.c_str()) != nullptr && !entry.id.IsZero()) {
                             deviceId = entry.id;
                             return false;
                         }
                         return true;
                     }) == platform::kDeviceOk;
        if (enumerated && directDraw == nullptr && !deviceId.IsZero()) {
            if (adapter.Open(&directDraw, &deviceId) != platform::kDeviceOk) directDraw.reset();
        }
    }
    if (directDraw == nullptr) {
        lastResult = adapter.Open(&directDraw);
        if (lastResult != platform::kDeviceOk) return Fail(kDisplayCallFailed);
    }
    lastResult = directDraw->QueryRender3d(&direct3D);
    if (lastResult != platform::kDeviceOk) return Fail(kDisplayCallFailed);
    if (g_colorTables != nullptr) {
        delete g_colorTables->textureManagers[0];
        g_colorTables->textureManagers[0] = new TextureManager(this);
        if (g_colorTables->textureManagers[0] == nullptr) return Fail(kDisplayCallFailed);
    }
    kind = kKindD3dHal;
    return kDisplayOk;
}

int32_t D3DHalDriver::SetMode(int32_t newWidth, int32_t newHeight, int32_t newDepth, Palette* newPalette,
                              uint32_t modeFlags) {
    const int32_t taken = TakeDisplayAndBuffers(newWidth, newHeight, newDepth, modeFlags);
    if (taken != kDisplayOk) return taken;
    if (!ProbeDrawingSurface()) return Fail(kDisplayCallFailed);

    const uint32_t redMask = description.format.redMask;
    const uint32_t paletteFlags = newPalette != nullptr ? newPalette->Flags() : 0;
    if (redMask == kRedMask565) {
        if ((paletteFlags & Palette::kFlagRgb565) == 0) return Fail(kDisplayNeeds565Palette);
    } else if (redMask == kRedMask555) {
        if ((paletteFlags & Palette::kFlagRgb555) == 0) return Fail(kDisplayNeeds555Palette);
    } else {
        return Fail(kDisplayBadFrameFormat);
    }

    if ((flags & kModeDepthBuffer) != 0) {
        platform::SurfaceDescription z;
        z.width = width;
        z.height = height;
        z.caps = platform::kCapsDepthBuffer;
        z.format = platform::PixelLayout{16, 0, 0, 0};
        lastResult = directDraw->CreateSurface(z, &zBuffer);
        if (lastResult == platform::kDeviceOk) lastResult = drawingSurface->AddAttachedSurface(zBuffer);
        if (lastResult != platform::kDeviceOk) return Fail(kDisplayCallFailed);
    }
    delete frameSurfaces;
    frameSurfaces = new FrameSurfaces;
    if (frameSurfaces == nullptr) return Fail(kDisplayOutOfMemory);
    frameSurfaces->drawingSurface = drawingSurface.get();
    frameSurfaces->depthSurface = zBuffer.get();

    if ((flags & kMode3dDevice) == 0) return Fail(kDisplayUnsupported);
    if (direct3D == nullptr) return Fail(kDisplayCallFailed);
    lastResult = direct3D->CreateDevice(drawingSurface, &device);
    if (lastResult != platform::kDeviceOk) return Fail(kDisplayCallFailed);
    SetName("D3D HAL");
    // A new device knows none of the states sent to the one before.
    ResetRenderStateCache();

    const int32_t measured = MeasureCapabilities();
    if (measured != kDisplayOk) return measured;

    lastResult = direct3D->CreateViewport(&viewport);
    if (lastResult == platform::kDeviceOk) lastResult = device->AddViewport(viewport.get());
    if (lastResult != platform::kDeviceOk) return Fail(kDisplayCallFailed);
    const float aspect = 2.0f * float(height) / float(width);
    platform::ViewportRect rect;
    rect.width = width;
    rect.height = height;
    rect.clipX = -1.0f;
    rect.clipY = 0.5f * aspect;
    rect.clipWidth = 2.0f;
    rect.clipHeight = aspect;
    rect.minZ = 0.0f;
    rect.maxZ = 1.0f;
    lastResult = viewport->Set(rect);
    if (lastResult == platform::kDeviceOk) lastResult = device->SetCurrentViewport(viewport.get());
    if (lastResult != platform::kDeviceOk) return Fail(kDisplayCallFailed);

    if ((flags & kModeDepthBuffer) != 0) {
        SetState(RenderState::kZEnable, 1);
        SetState(RenderState::kZWriteEnable, 1);
        SetState(RenderState::kZFunction, platform::kCompareLessEqual);
    } else {
        SetState(RenderState::kZEnable, 0);
        SetState(RenderState::kZWriteEnable, 0);
    }
    SetState(RenderState::kShadeMode, platform::kShadeGouraud);
    SetState(RenderState::kDitherEnable, 1);
    SetState(RenderState::kCullMode, platform::kCullNoneMode);
    SetState(RenderState::kTextureHandle, 0);
    SetState(RenderState::kLastPixel, 0);
    return kDisplayOk;
}

int32_t D3DHalDriver::MeasureCapabilities() {
    platform::DisplayCaps hardware, emulation;
    lastResult = directDraw->GetCaps(&hardware, &emulation);
    if (lastResult != platform::kDeviceOk) {
        sins = uint32_t(lastResult);
        return Fail(kDisplayCallFailed);
    }
    if (!hardware.hardware3d) {
        sins |= kSinNo3dHardware;
        return Fail(kDisplayCallFailed);
    }
    if (!hardware.hardwareBlits) {
        sins |= kSinNoHardwareBlits;
        if (!emulation.hardwareBlits) sins |= kSinEmulatedBlits;
    }
    if (hardware.no2dDuringScene) sins |= kSinNo2dInScene;

    DeviceCaps3d caps, emulated;
    lastResult = device->GetCaps(&caps, &emulated);
    if (lastResult != platform::kDeviceOk) {
        sins = uint32_t(lastResult);
        return Fail(kDisplayCallFailed);
    }
    const auto valid = [&caps](uint32_t bit) { return (caps.valid & bit) != 0; };
    hardwareColorModel = !valid(DeviceCaps3d::kValidColorModel) || caps.rgbColorModel;
    if (valid(DeviceCaps3d::kValidColorModel) && !caps.rgbColorModel) {
        sins |= kSinNoRgbModel;
        return Fail(kDisplayUnsupported);
    }
    if (valid(DeviceCaps3d::kValidDeviceCaps) && !caps.transformedFloatVertices) {
        sins |= kSinNoTransformedVertices;
        return Fail(kDisplayUnsupported);
    }
    if (valid(DeviceCaps3d::kValidRenderDepths) && (caps.renderDepths & DeviceCaps3d::kDepth16) == 0) {
        sins |= kSinNo16BitTargets;
        return Fail(kDisplayUnsupported);
    }
    if (valid(DeviceCaps3d::kValidZBufferDepths) && (caps.zBufferDepths & DeviceCaps3d::kDepth16) == 0) {
        sins |= kSinNoDepthBuffer16;
    }
    if (valid(DeviceCaps3d::kValidTriangleCaps)) {
        const uint32_t t = caps.triangleCaps;
        const auto lacks = [t](uint32_t bits) { return (t & bits) == 0; };
        if (lacks(DeviceCaps3d::kCullNone)) sins |= kSinNoCullNone;
        if (lacks(DeviceCaps3d::kDither)) sins |= kSinNoDither;
        if (lacks(DeviceCaps3d::kVertexFog)) sins |= kSinNoVertexFog;
        if (lacks(DeviceCaps3d::kTableFog)) sins |= kSinNoTableFog;
        if (lacks(DeviceCaps3d::kStipple | DeviceCaps3d::kAlphaStipple)) sins |= kSinNoStipple;
        if (lacks(DeviceCaps3d::kSourceBothAlpha) || lacks(DeviceCaps3d::kDestinationBothAlpha)) {
            sins |= kSinNoStipple | kSinNoAlphaBlend;
        }
        if (lacks(DeviceCaps3d::kGouraudSpecular)) sins |= kSinNoSpecular;
        if (lacks(DeviceCaps3d::kFlatFog | DeviceCaps3d::kGouraudFog)) sins |= kSinNoTableFog | kSinNoVertexFog;
        if (lacks(DeviceCaps3d::kPerspective)) sins |= kSinNoPerspectiveTextures;
        if (!lacks(DeviceCaps3d::kSquareOnly)) sins |= kSinTextureSizes;
        if (lacks(DeviceCaps3d::kTransparency)) sins |= kSinNoTextureTransparency;
        if (lacks(DeviceCaps3d::kLinearFilter)) sins |= kSinNoBilinearFilter;
        if (lacks(DeviceCaps3d::kModulate)) sins |= kSinNoModulatedBlend;
        if (lacks(DeviceCaps3d::kWrap)) sins |= kSinNoWrappedTextures;
    }
    // Whatever the flags say: sides the game's textures cannot keep to.
    if ((caps.minTextureWidth > 0 && caps.minTextureHeight > 0 &&
         (caps.minTextureWidth > 16 || caps.minTextureHeight > 16)) ||
        (caps.maxTextureWidth > 0 && caps.maxTextureHeight > 0 &&
         (caps.maxTextureWidth < 256 || caps.maxTextureHeight < 256))) {
        sins |= kSinTextureSizes;
    }
    return kDisplayOk;
}

void D3DHalDriver::SetState(RenderState state, uint32_t value) {
    if (device != nullptr) device->SetRenderState(state, value);
}

void D3DHalDriver::SetRenderState(uint32_t renderFlags, uint32_t textureHandle) {
    if (textureHandle != g_cachedHandle) {
        SetState(RenderState::kTextureHandle, textureHandle);
        g_cachedHandle = textureHandle;
    }
    if (int64_t(renderFlags) == g_cachedFlags) return;
    const bool first = g_cachedFlags < 0;
    uint32_t cached = first ? 0 : uint32_t(g_cachedFlags);
    const auto changed = [&](uint32_t bit) { return first || ((renderFlags ^ cached) & bit) != 0; };
    const auto on = [&](uint32_t bit) { return (renderFlags & bit) != 0; };
    if (changed(kRenderTranslucent)) {
        if (on(kRenderTranslucent)) {
            SetState(RenderState::kAlphaBlendEnable, 1);
            SetState(RenderState::kDestinationBlend, platform::kBlendBothSourceAlpha);
            SetState(RenderState::kSourceBlend, platform::kBlendBothSourceAlpha);
        } else {
            SetState(RenderState::kAlphaBlendEnable, 0);
        }
    }
    if (changed(kRenderGouraud)) {
        SetState(RenderState::kShadeMode, on(kRenderGouraud) ? platform::kShadeGouraud : platform::kShadeFlat);
    }
    if (changed(kRenderDither)) SetState(RenderState::kDitherEnable, on(kRenderDither) ? 1 : 0);
    if (changed(kRenderFiltered)) {
        const uint32_t filter = on(kRenderFiltered) ? platform::kFilterLinear : platform::kFilterPoint;
        SetState(RenderState::kTextureMag, filter);
        SetState(RenderState::kTextureMin, filter);
    }
    if (changed(kRenderPerspective)) SetState(RenderState::kTexturePerspective, on(kRenderPerspective) ? 1 : 0);
    if (changed(kRenderModulate)) {
        SetState(RenderState::kTextureMapBlend,
                 on(kRenderModulate) ? platform::kMapBlendModulate : platform::kMapBlendDecal);
    }
    if (changed(kRenderColorKey)) SetState(RenderState::kColorKeyEnable, on(kRenderColorKey) ? 1 : 0);
    cached = renderFlags;
    g_cachedFlags = cached;
}

int64_t D3DHalDriver::CachedRenderFlags() { return g_cachedFlags; }

void D3DHalDriver::ResetRenderStateCache() {
    g_cachedHandle = 0;
    g_cachedFlags = -1;
}

int32_t D3DHalDriver::SpareCall(uint32_t, uint32_t, uint32_t, uint32_t, uint32_t) { return kDisplayUnsupported; }

int32_t D3DHalDriver::SetPaletteEntries(Palette* newPalette, int32_t) {
    // 16-bit modes need no display palette.
    palette = newPalette;
    return kDisplayOk;
}

void D3DHalDriver::BeginScene() {
    if (inScene == 0 && device != nullptr) device->BeginScene();
    inScene = 1;
}

void D3DHalDriver::EndScene() {
    if (inScene != 0 && device != nullptr) device->EndScene();
    inScene = 0;
}

int32_t D3DHalDriver::Close() {
    EndScene();
    if ((flags & kModeFullScreen) != 0 && directDraw != nullptr) directDraw->RestoreDisplayMode();
    viewport.reset();
    device.reset();
    ReleaseSurfaces();
    if (g_colorTables != nullptr && g_colorTables->textureManagers[0] != nullptr &&
        g_colorTables->textureManagers[0]->driver == this) {
        // The textures give back what the device made; the next draw makes
        // them anew.
        TextureManager* const manager = g_colorTables->textureManagers[0];
        for (TextureNode* head : {manager->residentHead, manager->evictedHead}) {
            for (TextureNode* n = head; n != nullptr;) {
                TextureNode* const following = n->next;
                static_cast<D3DTexture*>(n->texture)->DropDeviceResources();
                manager->Remove(n);
                n = following;
            }
        }
        delete manager;
        g_colorTables->textureManagers[0] = nullptr;
    }
    direct3D.reset();
    if (directDraw != nullptr) {
        directDraw->SetCooperativeLevel(window, platform::kLevelNormal);
        directDraw.reset();
    }
    return kDisplayOk;
}

int32_t D3DHalDriver::Present() {
    if (primarySurface == nullptr || backBuffer == nullptr) {
        EmptyDirtyRect();
        return kDisplayCallFailed;
    }
    if (inScene != 0) EndScene();
    RestoreLostSurfaces();
    // The 3D device draws only into video memory: a mode drawing in system
    // memory never gets this far, so there is no drawing surface to copy.
    if ((flags & kModePageFlip) != 0) {
        lastResult = primarySurface->Flip(nullptr, platform::kFlipWait);
    } else if (!CopyFrame(*primarySurface, *backBuffer)) {
        return kDisplayCallFailed;
    }
    EmptyDirtyRect();
    return kDisplayOk;
}

int32_t D3DHalDriver::SpareQuery() { return 0; }
