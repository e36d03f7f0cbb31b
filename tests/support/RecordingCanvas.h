#pragma once
#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "display/Canvas.h"

// One operation call as the recording canvas saw it: the name, the whole call
// as readable text, and copies of its arguments.
struct CanvasCall {
    std::string op;     // "PlotPixelInt"
    std::string text;   // "PlotPixelInt({(3, 4) depth 0x0 colour 0x5 intensity 120 uv (0, 0) 1/z 0}, rgb null)"
    // Vertex arguments in order; a polygon's `count` records all of them.
    std::vector<ViewVertex> view;
    std::vector<ScreenVertex> screen;
    std::optional<CanvasRect> rect;    // the rectangle argument
    std::optional<CanvasRect> clip;    // the clip rectangle, when one was given
    std::optional<std::array<uint8_t, 3>> rgb;   // red, green, blue, when given
    const uint8_t* rgbPointer = nullptr;
    // The other word arguments in order: colours, depth, mode, alpha, count,
    // x and y, the reserved words.
    std::vector<uint32_t> words;
    // The image, bitmap, mask record or output record argument.
    const void* object = nullptr;
    std::optional<FogParams> fog;
    const Palette* palette = nullptr;   // the canvas's palette when it was called
};

// A canvas that records every call of every operation, in order, for tests
// of whatever draws through a canvas. The operations every kind shares (the
// clipped forms, the float-to-integer forms, state switches, locking) run the
// shared behaviour after recording, so the calls they make are recorded too;
// the operations each kind draws for itself only record. A scripted result
// replaces an operation: it records and returns that result, nothing more.
class RecordingCanvas final : public Canvas {
public:
    explicit RecordingCanvas(int32_t canvasWidth = 640, int32_t canvasHeight = 480, Palette* canvasPalette = nullptr,
                             uint32_t canvasFlags = kFlagSetUp);
    ~RecordingCanvas() override;

    // Queries.
    const std::vector<CanvasCall>& Calls() const { return calls_; }
    std::vector<CanvasCall> CallsOf(std::string_view op) const;
    size_t CountOf(std::string_view op) const;
    std::vector<std::string> Ops() const;
    // Every call's text, one a line.
    std::string Log() const;
    void ForgetCalls() { calls_.clear(); }

    // Hooks.
    void ScriptResult(const std::string& op, uint32_t result) { scripted_[op] = result; }
    void ClearScript() { scripted_.clear(); }
    // Off: the shared operations only record too, returning 0.
    void SetForwarding(bool on) { forwarding_ = on; }
    // Called with each call as it is recorded, before anything else happens.
    void OnCall(std::function<void(const CanvasCall&)> hook) { hook_ = std::move(hook); }
    // From now on `PlotPixelInt` records only pixels inside `window` and lets
    // the others pass unrecorded (returning 0): a huge canvas then keeps a
    // line's millions of plots cheap while its pixels in the window stay exact.
    void RecordPlotsOnlyWithin(const CanvasRect& window) { plotWindow_ = window; }
    // What FillsNoPixel answers for every polygon; unrecorded.
    void ClaimFillsNoPixel(bool claim) { fillsNoPixel_ = claim; }

    void Nothing() override;
    void EnableDepthTest() override;
    void DisableDepthTest() override;
    void SetFlag80000() override;
    void ClearFlag80000() override;
    void SetFlag40000() override;
    void ClearFlag40000() override;
    void EnableFog() override;
    void DisableFog() override;
    void MakeCurrent() override;
    Status CopyToImage(Bitmap* image) override;
    int32_t Lock() override;
    int32_t Unlock() override;
    Status Clear(uint32_t colour, uint32_t depthValue) override;
    Status Reserved(uint32_t first, uint32_t second, uint32_t third) override;

    Status FillRectRgb(const CanvasRect* rect, const uint8_t* rgb) override;
    Status FillRect(const CanvasRect* rect, uint32_t colour) override;
    Status FillRectRgbClipped(const CanvasRect* rect, const uint8_t* rgb, const CanvasRect* clip) override;
    Status FillRectClipped(const CanvasRect* rect, uint32_t colour, const CanvasRect* clip) override;

    Status PlotPixel(const ScreenVertex* v, const uint8_t* rgb) override;
    Status PlotPixelInt(const ViewVertex* v, const uint8_t* rgb) override;
    Status PlotPixelClipped(const ScreenVertex* v, const uint8_t* rgb, const CanvasRect* clip) override;
    Status PlotPixelClippedInt(const ViewVertex* v, const uint8_t* rgb, const CanvasRect* clip) override;
    int32_t ReadPixel(int32_t x, int32_t y, ViewVertex* out) override;
    int32_t ReadPixelAt(const ViewVertex* at, ViewVertex* out) override;

    Status BlitImage(const CanvasRect* rect, PixelImage* image, uint32_t mode) override;
    Status ReservedBlit(uint32_t first, uint32_t second, uint32_t third, uint32_t fourth) override;
    Status DrawMonoImage(const CanvasRect* rect, PixelImage* image, uint32_t fg, uint32_t bg) override;
    Status DrawMonoImageRaw(const CanvasRect* rect, MonoMaskRecord* mask, uint32_t setValue,
                            uint32_t clearValue) override;

    Status DrawLine(const ScreenVertex* a, const ScreenVertex* b, const uint8_t* rgb) override;
    Status DrawLineInt(const ViewVertex* a, const ViewVertex* b, const uint8_t* rgb) override;
    Status DrawLineShaded(const ScreenVertex* a, const ScreenVertex* b) override;
    Status DrawLineShadedInt(const ViewVertex* a, const ViewVertex* b) override;
    Status DrawLineShadedAlt(const ScreenVertex* a, const ScreenVertex* b) override;
    Status DrawLineShadedAltInt(const ViewVertex* a, const ViewVertex* b) override;
    Status DrawLineClipped(const ScreenVertex* a, const ScreenVertex* b, const uint8_t* rgb,
                           const CanvasRect* clip) override;
    Status DrawLineClippedInt(const ViewVertex* a, const ViewVertex* b, const uint8_t* rgb,
                              const CanvasRect* clip) override;
    Status DrawLineShadedClipped(const ScreenVertex* a, const ScreenVertex* b, const CanvasRect* clip) override;
    Status DrawLineShadedClippedInt(const ViewVertex* a, const ViewVertex* b, const CanvasRect* clip) override;
    Status DrawLineShadedAltClipped(const ScreenVertex* a, const ScreenVertex* b, const CanvasRect* clip) override;
    Status DrawLineShadedAltClippedInt(const ViewVertex* a, const ViewVertex* b, const CanvasRect* clip) override;

    Status FillPolygonFlat(int32_t count, const ScreenVertex* v) override;
    Status FillPolygonFlatInt(int32_t count, const ViewVertex* v) override;
    Status FillPolygonShaded(int32_t count, const ScreenVertex* v) override;
    Status FillPolygonShadedInt(int32_t count, const ViewVertex* v) override;
    Status FillPolygonShadedAlt(int32_t count, const ScreenVertex* v) override;
    Status FillPolygonShadedAltInt(int32_t count, const ViewVertex* v) override;
    Status FillPolygonTextured(int32_t count, const ScreenVertex* v, PixelImage* image) override;
    Status FillPolygonTexturedInt(int32_t count, const ViewVertex* v, PixelImage* image) override;
    Status FillPolygonTexturedPersp(int32_t count, const ScreenVertex* v, PixelImage* image) override;
    Status FillPolygonTexturedPerspInt(int32_t count, const ViewVertex* v, PixelImage* image) override;
    Status FillPolygonTexturedShaded(int32_t count, const ScreenVertex* v, PixelImage* image) override;
    Status FillPolygonTexturedShadedInt(int32_t count, const ViewVertex* v, PixelImage* image) override;
    Status FillPolygonTexturedShadedPersp(int32_t count, const ScreenVertex* v, PixelImage* image) override;
    Status FillPolygonTexturedShadedPerspInt(int32_t count, const ViewVertex* v, PixelImage* image) override;
    Status FillPolygonRgb(int32_t count, const ScreenVertex* v) override;
    Status FillPolygonRgbInt(int32_t count, const ViewVertex* v) override;
    Status FillPolygonFlatAlpha(int32_t count, const ScreenVertex* v, uint32_t alpha) override;
    Status FillPolygonFlatAlphaInt(int32_t count, const ViewVertex* v, uint32_t alpha) override;
    Status FillPolygonShadedAlpha(int32_t count, const ScreenVertex* v, uint32_t alpha) override;
    Status FillPolygonShadedAlphaInt(int32_t count, const ViewVertex* v, uint32_t alpha) override;
    Status FillPolygonShadedAltAlpha(int32_t count, const ScreenVertex* v, uint32_t alpha) override;
    Status FillPolygonShadedAltAlphaInt(int32_t count, const ViewVertex* v, uint32_t alpha) override;
    Status FillPolygonTexturedAlpha(int32_t count, const ScreenVertex* v, PixelImage* image, uint32_t alpha) override;
    Status FillPolygonTexturedAlphaInt(int32_t count, const ViewVertex* v, PixelImage* image,
                                       uint32_t alpha) override;
    Status FillPolygonTexturedPerspAlpha(int32_t count, const ScreenVertex* v, PixelImage* image,
                                         uint32_t alpha) override;
    Status FillPolygonTexturedPerspAlphaInt(int32_t count, const ViewVertex* v, PixelImage* image,
                                            uint32_t alpha) override;
    Status FillPolygonTexturedShadedAlpha(int32_t count, const ScreenVertex* v, PixelImage* image,
                                          uint32_t alpha) override;
    Status FillPolygonTexturedShadedAlphaInt(int32_t count, const ViewVertex* v, PixelImage* image,
                                             uint32_t alpha) override;
    Status FillPolygonTexturedShadedPerspAlpha(int32_t count, const ScreenVertex* v, PixelImage* image,
                                               uint32_t alpha) override;
    Status FillPolygonTexturedShadedPerspAlphaInt(int32_t count, const ViewVertex* v, PixelImage* image,
                                                  uint32_t alpha) override;
    bool FillsNoPixel(int32_t, const ScreenVertex*) const override { return fillsNoPixel_; }

    Status SetFog(const FogParams* fogParams) override;
    Status ApplyFog() override;

private:
    friend class CallRecorder;

    std::vector<CanvasCall> calls_;
    std::map<std::string, uint32_t, std::less<>> scripted_;
    bool forwarding_ = true;
    bool fillsNoPixel_ = false;
    std::function<void(const CanvasCall&)> hook_;
    std::optional<CanvasRect> plotWindow_;
};
