#include "platform/Render3d.h"

#include <algorithm>
#include <string>

#include "platform/DisplayAdapter.h"
#include "platform/SoftRenderer.h"
#include "platform/Surface.h"

namespace platform {
namespace {

const char* const kStateNames[] = {"TextureHandle", "TexturePerspective", "ZEnable",        "ShadeMode",
                                   "ZWriteEnable",  "LastPixel",          "TextureMag",     "TextureMin",
                                   "SourceBlend",   "DestinationBlend",   "TextureMapBlend", "CullMode",
                                   "ZFunction",     "DitherEnable",       "AlphaBlendEnable", "ColorKeyEnable", "FogEnable", "FogColor"};
static_assert(sizeof kStateNames / sizeof kStateNames[0] == size_t(RenderState::kCount));

}  // namespace

bool DriverId::IsZero() const {
    return std::all_of(bytes.begin(), bytes.end(), [](uint8_t b) { return b == 0; });
}

DeviceResult Viewport3d::Set(const ViewportRect& rect) {
    const DeviceResult result = adapter_.Enter(DisplayCall::kSetViewport);
    if (result != kDeviceOk) return result;
    if (device_ == nullptr) return kDeviceInvalidArguments;   // not added to a device
    rect_ = rect;
    adapter_.Log("SetViewport " + std::to_string(rect.width) + "x" + std::to_string(rect.height));
    return kDeviceOk;
}

RenderDevice3d::RenderDevice3d(DisplayAdapter& adapter, std::shared_ptr<Surface> target)
    : adapter_(adapter), target_(std::move(target)) {}

RenderDevice3d::~RenderDevice3d() = default;

DeviceResult RenderDevice3d::GetCaps(DeviceCaps3d* hardware, DeviceCaps3d* emulation) {
    const DeviceResult result = adapter_.Enter(DisplayCall::kGetDeviceCaps);
    if (result != kDeviceOk) return result;
    if (hardware != nullptr) *hardware = adapter_.deviceCaps_[0];
    if (emulation != nullptr) *emulation = adapter_.deviceCaps_[1];
    return kDeviceOk;
}

DeviceResult RenderDevice3d::AddViewport(Viewport3d* viewport) {
    const DeviceResult result = adapter_.Enter(DisplayCall::kAddViewport);
    if (result != kDeviceOk) return result;
    if (viewport == nullptr) return kDeviceInvalidArguments;
    viewport->device_ = this;
    return kDeviceOk;
}

DeviceResult RenderDevice3d::SetCurrentViewport(Viewport3d* viewport) {
    const DeviceResult result = adapter_.Enter(DisplayCall::kSetCurrentViewport);
    if (result != kDeviceOk) return result;
    if (viewport == nullptr || viewport->device_ != this) return kDeviceInvalidArguments;
    current_ = viewport;
    return kDeviceOk;
}

DeviceResult RenderDevice3d::BeginScene() {
    const DeviceResult result = adapter_.Enter(DisplayCall::kBeginScene);
    if (result != kDeviceOk) return result;
    if (inScene_) return kDeviceFailed;
    inScene_ = true;
    adapter_.Log("BeginScene");
    return kDeviceOk;
}

DeviceResult RenderDevice3d::EndScene() {
    const DeviceResult result = adapter_.Enter(DisplayCall::kEndScene);
    if (result != kDeviceOk) return result;
    if (!inScene_) return kDeviceFailed;
    inScene_ = false;
    adapter_.Log("EndScene");
    return kDeviceOk;
}

DeviceResult RenderDevice3d::SetRenderState(RenderState state, uint32_t value) {
    const DeviceResult result = adapter_.Enter(DisplayCall::kSetRenderState);
    if (result != kDeviceOk) return result;
    if (state < RenderState::kTextureHandle || state >= RenderState::kCount) return kDeviceInvalidArguments;
    states_[size_t(state)] = value;
    adapter_.Log(std::string("SetRenderState ") + kStateNames[size_t(state)] + " " + std::to_string(value));
    return kDeviceOk;
}

DeviceResult RenderDevice3d::GetTextureHandle(const std::shared_ptr<Surface>& texture, uint32_t* handle) {
    if (handle == nullptr) return kDeviceInvalidArguments;
    const DeviceResult result = adapter_.Enter(DisplayCall::kGetTextureHandle);
    if (result != kDeviceOk) return result;
    if (texture == nullptr || (texture->Caps() & kCapsTexture) == 0) return kDeviceInvalidArguments;
    for (size_t i = 0; i < textures_.size(); ++i) {
        if (textures_[i].lock() == texture) {
            *handle = uint32_t(i + 1);
            return kDeviceOk;
        }
    }
    textures_.push_back(texture);
    *handle = uint32_t(textures_.size());
    return kDeviceOk;
}

std::shared_ptr<Surface> RenderDevice3d::TextureOf(uint32_t handle) const {
    if (handle == 0 || handle > textures_.size()) return nullptr;
    return textures_[handle - 1].lock();
}

DeviceResult RenderDevice3d::SetLightState(LightState state, uint32_t value) {
    const DeviceResult result = adapter_.Enter(DisplayCall::kSetRenderState);
    if (result != kDeviceOk) return result;
    if (state < LightState::kAmbient || state >= LightState::kCount) return kDeviceInvalidArguments;
    static const char* const kNames[] = {"Ambient", "FogMode", "FogStart", "FogEnd"};
    lightStates_[size_t(state)] = value;
    adapter_.Log(std::string("SetLightState ") + kNames[size_t(state)] + " " + std::to_string(value));
    return kDeviceOk;
}

DeviceResult RenderDevice3d::DrawPrimitive(PrimitiveKind kind, const TlVertex* vertices, int32_t count) {
    const DeviceResult result = adapter_.Enter(DisplayCall::kDrawPrimitive);
    if (result != kDeviceOk) return result;
    if (!inScene_) return kDeviceFailed;
    if (vertices == nullptr || count < 0 || count > kMaxPrimitiveVertices) return kDeviceInvalidArguments;
    if (target_->IsLost() == kDeviceSurfaceLost) return kDeviceSurfaceLost;
    lastVertices_.assign(vertices, vertices + count);
    adapter_.Log(std::string(kind == PrimitiveKind::kTriangleFan ? "DrawFan " : "DrawLines ") + std::to_string(count));
    SoftRenderer renderer(*target_, target_->DepthBuffer(), TextureOf(states_[size_t(RenderState::kTextureHandle)]).get(), states_);
    if (kind == PrimitiveKind::kTriangleFan) {
        for (int32_t i = 1; i + 1 < count; ++i) renderer.Triangle(vertices[0], vertices[i], vertices[i + 1]);
    } else {
        for (int32_t i = 0; i + 1 < count; i += 2) renderer.Line(vertices[i], vertices[i + 1]);
    }
    target_->ShowChanges();
    return kDeviceOk;
}

Render3d::Render3d(DisplayAdapter& adapter) : adapter_(adapter) {}

Render3d::~Render3d() = default;

DeviceResult Render3d::CreateDevice(std::shared_ptr<Surface> target, std::unique_ptr<RenderDevice3d>* device) {
    if (device == nullptr) return kDeviceInvalidArguments;
    const DeviceResult result = adapter_.Enter(DisplayCall::kCreateRenderDevice);
    if (result != kDeviceOk) return result;
    if (target == nullptr || (target->Caps() & kCaps3dDevice) == 0) return kDeviceInvalidArguments;
    device->reset(new RenderDevice3d(adapter_, std::move(target)));
    adapter_.Log("CreateDevice");
    return kDeviceOk;
}

DeviceResult Render3d::CreateViewport(std::unique_ptr<Viewport3d>* viewport) {
    if (viewport == nullptr) return kDeviceInvalidArguments;
    const DeviceResult result = adapter_.Enter(DisplayCall::kCreateViewport);
    if (result != kDeviceOk) return result;
    viewport->reset(new Viewport3d(adapter_));
    return kDeviceOk;
}

std::vector<TextureFormat> Render3d::TextureFormats() const { return adapter_.textureFormats_; }

}  // namespace platform
