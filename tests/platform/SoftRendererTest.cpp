// The 3D device stand-in drawing: coverage, depth, texturing with the key,
// blending and fog, read back from the target's memory.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "platform/DisplayAdapter.h"
#include "platform/DisplayDevice.h"
#include "platform/Render3d.h"
#include "platform/Surface.h"

namespace {

using namespace platform;

class SoftRendererTest : public ::testing::Test {
protected:
    void SetUp() override {
        previous_ = DisplayAdapter::Install(&adapter_);
        ASSERT_EQ(adapter_.Open(&display_), kDeviceOk);
        SurfaceDescription d;
        d.width = 32;
        d.height = 32;
        d.caps = kCapsOffscreen | kCaps3dDevice | kCapsSystemMemory;
        d.format = kLayoutRgb565;
        ASSERT_EQ(display_->CreateSurface(d, &target_), kDeviceOk);
        d.caps = kCapsDepthBuffer | kCapsSystemMemory;
        d.format = PixelLayout{16, 0, 0, 0};
        ASSERT_EQ(display_->CreateSurface(d, &depth_), kDeviceOk);
        ASSERT_EQ(target_->AddAttachedSurface(depth_), kDeviceOk);
        ASSERT_EQ(display_->QueryRender3d(&render_), kDeviceOk);
        ASSERT_EQ(render_->CreateDevice(target_, &device_), kDeviceOk);
        BlitEffects far;
        far.fillColor = 0xFFFF;
        ASSERT_EQ(depth_->Blit(nullptr, nullptr, nullptr, kBlitColorFill, &far), kDeviceOk);
        device_->SetRenderState(RenderState::kZEnable, 1);
        device_->SetRenderState(RenderState::kZWriteEnable, 1);
        device_->SetRenderState(RenderState::kShadeMode, kShadeGouraud);
        device_->BeginScene();
    }
    void TearDown() override {
        device_.reset();
        render_.reset();
        depth_.reset();
        target_.reset();
        display_.reset();
        DisplayAdapter::Install(previous_);
    }
    uint16_t At(int32_t x, int32_t y) const {
        return reinterpret_cast<const uint16_t*>(target_->Memory() + size_t(y) * size_t(target_->Pitch()))[x];
    }
    static TlVertex V(float x, float y, float z, uint32_t color, float u = 0, float v = 0) {
        TlVertex t;
        t.x = x, t.y = y, t.z = z, t.color = color, t.u = u, t.v = v;
        return t;
    }
    void Fan(std::vector<TlVertex> v) {
        ASSERT_EQ(device_->DrawPrimitive(PrimitiveKind::kTriangleFan, v.data(), int32_t(v.size())), kDeviceOk);
    }

    DisplayAdapter adapter_;
    DisplayAdapter* previous_ = nullptr;
    std::unique_ptr<DisplayDevice> display_;
    std::shared_ptr<Surface> target_, depth_;
    std::unique_ptr<Render3d> render_;
    std::unique_ptr<RenderDevice3d> device_;
};

TEST_F(SoftRendererTest, TrianglesSharingEdgesCoverEachPixelOnce) {
    // Half-transparent white over black: a pixel drawn twice would be lighter.
    device_->SetRenderState(RenderState::kZEnable, 0);
    device_->SetRenderState(RenderState::kAlphaBlendEnable, 1);
    const uint32_t half = 0x80FFFFFF;
    // A fan around an off-centre point, with edges at awkward slopes.
    Fan({V(13.3f, 17.7f, 0, half), V(2, 2, 0, half), V(30, 2, 0, half), V(30, 30, 0, half), V(2, 30, 0, half),
         V(2, 2, 0, half)});
    const uint16_t once = At(15, 15);
    EXPECT_NE(once, 0);
    for (int32_t y = 2; y < 30; ++y) {
        for (int32_t x = 2; x < 30; ++x) ASSERT_EQ(At(x, y), once) << x << "," << y;
    }
    EXPECT_EQ(At(1, 1), 0);
    EXPECT_EQ(At(30, 30), 0);   // right and bottom edges belong to the neighbours

    // Two triangles whose shared diagonal runs through pixel centres.
    BlitEffects black;
    ASSERT_EQ(target_->Blit(nullptr, nullptr, nullptr, kBlitColorFill, &black), kDeviceOk);
    Fan({V(2, 2, 0, half), V(30, 2, 0, half), V(30, 30, 0, half), V(2, 30, 0, half)});
    for (int32_t y = 2; y < 30; ++y) {
        for (int32_t x = 2; x < 30; ++x) ASSERT_EQ(At(x, y), once) << x << "," << y;
    }
}

TEST_F(SoftRendererTest, TheNearerSurfaceWinsInEitherOrder) {
    const uint16_t red = 0xF800, blue = 0x001F;
    Fan({V(0, 0, 0.5f, 0xFFFF0000), V(16, 0, 0.5f, 0xFFFF0000), V(16, 16, 0.5f, 0xFFFF0000), V(0, 16, 0.5f, 0xFFFF0000)});
    Fan({V(0, 0, 0.8f, 0xFF0000FF), V(16, 0, 0.8f, 0xFF0000FF), V(16, 16, 0.8f, 0xFF0000FF), V(0, 16, 0.8f, 0xFF0000FF)});
    EXPECT_EQ(At(8, 8), red);
    Fan({V(0, 0, 0.2f, 0xFF0000FF), V(16, 0, 0.2f, 0xFF0000FF), V(16, 16, 0.2f, 0xFF0000FF), V(0, 16, 0.2f, 0xFF0000FF)});
    EXPECT_EQ(At(8, 8), blue);
    // Outside a scene nothing is drawn.
    device_->EndScene();
    const TlVertex v[3] = {V(0, 0, 0, 0xFFFFFFFF), V(9, 0, 0, 0xFFFFFFFF), V(0, 9, 0, 0xFFFFFFFF)};
    EXPECT_EQ(device_->DrawPrimitive(PrimitiveKind::kTriangleFan, v, 3), kDeviceFailed);
}

TEST_F(SoftRendererTest, TexturesAreKeyedModulatedAndFogged) {
    SurfaceDescription d;
    d.width = 16;
    d.height = 16;
    d.caps = kCapsTexture | kCapsSystemMemory;
    d.format = kLayoutRgb565;
    std::shared_ptr<Surface> texture;
    ASSERT_EQ(display_->CreateSurface(d, &texture), kDeviceOk);
    SurfaceDescription locked;
    ASSERT_EQ(texture->Lock(&locked, 0), kDeviceOk);
    for (int32_t y = 0; y < 16; ++y) {
        auto* row = reinterpret_cast<uint16_t*>(locked.memory + size_t(y) * size_t(locked.pitch));
        for (int32_t x = 0; x < 16; ++x) row[x] = x < 8 ? 0x07E0 : 0xF81F;   // green, then the key
    }
    texture->Unlock();
    texture->SetColorKey(0xF81F, 0xF81F);
    uint32_t handle = 0;
    ASSERT_EQ(device_->GetTextureHandle(texture, &handle), kDeviceOk);
    device_->SetRenderState(RenderState::kTextureHandle, handle);
    device_->SetRenderState(RenderState::kColorKeyEnable, 1);
    device_->SetRenderState(RenderState::kTextureMapBlend, kMapBlendModulate);
    device_->SetRenderState(RenderState::kTexturePerspective, 1);
    // Half-bright white light: the green halves.
    const uint32_t grey = 0xFF808080;
    Fan({V(0, 0, 0.5f, grey, 0, 0), V(32, 0, 0.5f, grey, 1, 0), V(32, 32, 0.5f, grey, 1, 1), V(0, 32, 0.5f, grey, 0, 1)});
    EXPECT_EQ(At(4, 4), 0x0400);    // green 63 x 128/255 rounds to 32
    EXPECT_EQ(At(24, 4), 0);        // keyed: nothing drawn
    // Full fog turns everything to the fog colour.
    device_->SetRenderState(RenderState::kTextureHandle, 0);
    device_->SetRenderState(RenderState::kFogEnable, 1);
    device_->SetRenderState(RenderState::kFogColor, 0x0000FF);
    TlVertex fogged[4] = {V(0, 0, 0.1f, 0xFFFF0000), V(8, 0, 0.1f, 0xFFFF0000), V(8, 8, 0.1f, 0xFFFF0000),
                          V(0, 8, 0.1f, 0xFFFF0000)};
    for (TlVertex& v : fogged) v.specular = 0;
    ASSERT_EQ(device_->DrawPrimitive(PrimitiveKind::kTriangleFan, fogged, 4), kDeviceOk);
    EXPECT_EQ(At(4, 4), 0x001F);
}

}  // namespace
