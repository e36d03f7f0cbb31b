#include "tests/support/RecordingCanvas.h"

#include <algorithm>
#include <sstream>
#include <type_traits>
#include <utility>

namespace {

std::string Hex(uint32_t word) {
    std::ostringstream out;
    out << "0x" << std::hex << std::uppercase << word;
    return out.str();
}

std::string Describe(const ViewVertex& v) {
    std::ostringstream out;
    out << "{(" << v.screenX << ", " << v.screenY << ") depth " << Hex(v.depth) << " colour " << Hex(v.colour)
        << " intensity " << v.intensity << " uv (" << v.u << ", " << v.v << ") 1/z " << v.invZ << "}";
    return out.str();
}

std::string Describe(const ScreenVertex& v) {
    std::ostringstream out;
    out << "{(" << v.x << ", " << v.y << ") depth " << v.depth << " colour " << Hex(v.colour) << " intensity "
        << v.intensity << " uv (" << v.u << ", " << v.v << ") 1/z " << v.invZ << "}";
    return out.str();
}

std::string Describe(const CanvasRect& r) {
    std::ostringstream out;
    out << "(" << r.x << ", " << r.y << ", " << r.width << ", " << r.height << ")";
    return out.str();
}

}  // namespace

// Builds one CanvasCall argument by argument, then records it and decides
// what the operation does: a scripted result, the shared behaviour, or 0.
class CallRecorder {
public:
    CallRecorder(RecordingCanvas& canvas, const char* op) : canvas_(canvas) { call_.op = op; }

    CallRecorder& View(const char* name, const ViewVertex* v) {
        if (v == nullptr) return Arg(name, "null");
        call_.view.push_back(*v);
        return Arg(name, Describe(*v));
    }

    CallRecorder& Screen(const char* name, const ScreenVertex* v) {
        if (v == nullptr) return Arg(name, "null");
        call_.screen.push_back(*v);
        return Arg(name, Describe(*v));
    }

    // A polygon: the kinds read no more than kMaxPolygonVertices records.
    template <class Vertex>
    CallRecorder& Polygon(int32_t count, const Vertex* v) {
        Word("count", uint32_t(count), false);
        if (v == nullptr) return Arg("v", "null");
        const int32_t n = std::clamp(count, 0, Canvas::kMaxPolygonVertices);
        std::string list = "[";
        for (int32_t i = 0; i < n; ++i) {
            if constexpr (std::is_same_v<Vertex, ViewVertex>) {
                call_.view.push_back(v[i]);
            } else {
                call_.screen.push_back(v[i]);
            }
            list += (i > 0 ? ", " : "") + Describe(v[i]);
        }
        return Arg("v", list + "]");
    }

    CallRecorder& Rect(const CanvasRect* r) {
        if (r == nullptr) return Arg("rect", "null");
        call_.rect = *r;
        return Arg("rect", Describe(*r));
    }

    CallRecorder& Clip(const CanvasRect* r) {
        if (r == nullptr) return Arg("clip", "null");
        call_.clip = *r;
        return Arg("clip", Describe(*r));
    }

    CallRecorder& Rgb(const uint8_t* rgb) {
        call_.rgbPointer = rgb;
        if (rgb == nullptr) return Arg("rgb", "null");
        call_.rgb = std::array<uint8_t, 3>{rgb[0], rgb[1], rgb[2]};
        return Arg("rgb", "(" + std::to_string(rgb[0]) + ", " + std::to_string(rgb[1]) + ", " +
                              std::to_string(rgb[2]) + ")");
    }

    CallRecorder& Word(const char* name, uint32_t word, bool hex = true) {
        call_.words.push_back(word);
        return Arg(name, hex ? Hex(word) : std::to_string(int32_t(word)));
    }

    CallRecorder& Object(const char* name, const void* object) {
        call_.object = object;
        return Arg(name, object != nullptr ? name : "null");
    }

    CallRecorder& Fog(const FogParams* fog) {
        if (fog == nullptr) return Arg("fog", "null");
        call_.fog = *fog;
        std::ostringstream out;
        out << "(" << int(fog->red) << ", " << int(fog->green) << ", " << int(fog->blue) << ") from " << fog->start;
        return Arg("fog", out.str());
    }

    // The kind's own operations: record, then the scripted result or 0.
    Status Finish() {
        return Finish([] { return kStatusOk; });
    }

    // The shared operations: record, then the scripted result, or the shared
    // behaviour while forwarding, or 0.
    template <class Shared>
    auto Finish(Shared&& shared) -> decltype(shared()) {
        using Result = decltype(shared());
        Record();
        const auto scripted = canvas_.scripted_.find(call_.op);
        if (scripted != canvas_.scripted_.end()) return Result(scripted->second);
        if (!canvas_.forwarding_) return Result(0);
        return shared();
    }

    template <class Shared>
    void FinishVoid(Shared&& shared) {
        Record();
        if (canvas_.forwarding_ && canvas_.scripted_.find(call_.op) == canvas_.scripted_.end()) shared();
    }

private:
    CallRecorder& Arg(const char* name, const std::string& value) {
        if (!args_.empty()) args_ += ", ";
        args_ += std::string(name) + " " + value;
        return *this;
    }

    void Record() {
        call_.text = call_.op + "(" + args_ + ")";
        call_.palette = canvas_.palette;
        canvas_.calls_.push_back(call_);
        if (canvas_.hook_) canvas_.hook_(call_);
    }

    RecordingCanvas& canvas_;
    CanvasCall call_;
    std::string args_;
};

RecordingCanvas::RecordingCanvas(int32_t canvasWidth, int32_t canvasHeight, Palette* canvasPalette,
                                 uint32_t canvasFlags) {
    width = canvasWidth;
    height = canvasHeight;
    palette = canvasPalette;
    flags = canvasFlags;
}

RecordingCanvas::~RecordingCanvas() = default;

std::vector<CanvasCall> RecordingCanvas::CallsOf(std::string_view op) const {
    std::vector<CanvasCall> out;
    for (const CanvasCall& call : calls_) {
        if (call.op == op) out.push_back(call);
    }
    return out;
}

size_t RecordingCanvas::CountOf(std::string_view op) const {
    return size_t(std::count_if(calls_.begin(), calls_.end(), [op](const CanvasCall& c) { return c.op == op; }));
}

std::vector<std::string> RecordingCanvas::Ops() const {
    std::vector<std::string> out;
    out.reserve(calls_.size());
    for (const CanvasCall& call : calls_) out.push_back(call.op);
    return out;
}

std::string RecordingCanvas::Log() const {
    std::string out;
    for (const CanvasCall& call : calls_) out += call.text + "\n";
    return out;
}

// State, locking, clearing.

void RecordingCanvas::Nothing() {
    CallRecorder(*this, "Nothing").FinishVoid([this] { Canvas::Nothing(); });
}
void RecordingCanvas::EnableDepthTest() {
    CallRecorder(*this, "EnableDepthTest").FinishVoid([this] { Canvas::EnableDepthTest(); });
}
void RecordingCanvas::DisableDepthTest() {
    CallRecorder(*this, "DisableDepthTest").FinishVoid([this] { Canvas::DisableDepthTest(); });
}
void RecordingCanvas::SetFlag80000() {
    CallRecorder(*this, "SetFlag80000").FinishVoid([this] { Canvas::SetFlag80000(); });
}
void RecordingCanvas::ClearFlag80000() {
    CallRecorder(*this, "ClearFlag80000").FinishVoid([this] { Canvas::ClearFlag80000(); });
}
void RecordingCanvas::SetFlag40000() {
    CallRecorder(*this, "SetFlag40000").FinishVoid([this] { Canvas::SetFlag40000(); });
}
void RecordingCanvas::ClearFlag40000() {
    CallRecorder(*this, "ClearFlag40000").FinishVoid([this] { Canvas::ClearFlag40000(); });
}
void RecordingCanvas::EnableFog() {
    CallRecorder(*this, "EnableFog").FinishVoid([this] { Canvas::EnableFog(); });
}
void RecordingCanvas::DisableFog() {
    CallRecorder(*this, "DisableFog").FinishVoid([this] { Canvas::DisableFog(); });
}
void RecordingCanvas::MakeCurrent() {
    CallRecorder(*this, "MakeCurrent").FinishVoid([this] { Canvas::MakeCurrent(); });
}

Status RecordingCanvas::CopyToImage(Bitmap* image) {
    return CallRecorder(*this, "CopyToImage").Object("image", image).Finish([&] { return Canvas::CopyToImage(image); });
}

int32_t RecordingCanvas::Lock() {
    return CallRecorder(*this, "Lock").Finish([this] { return Canvas::Lock(); });
}

int32_t RecordingCanvas::Unlock() {
    return CallRecorder(*this, "Unlock").Finish([this] { return Canvas::Unlock(); });
}

Status RecordingCanvas::Clear(uint32_t colour, uint32_t depthValue) {
    return CallRecorder(*this, "Clear")
        .Word("colour", colour)
        .Word("depth", depthValue)
        .Finish([&] { return Canvas::Clear(colour, depthValue); });
}

Status RecordingCanvas::Reserved(uint32_t first, uint32_t second, uint32_t third) {
    return CallRecorder(*this, "Reserved")
        .Word("first", first)
        .Word("second", second)
        .Word("third", third)
        .Finish([&] { return Canvas::Reserved(first, second, third); });
}

// Rectangles.

Status RecordingCanvas::FillRectRgb(const CanvasRect* rect, const uint8_t* rgb) {
    return CallRecorder(*this, "FillRectRgb").Rect(rect).Rgb(rgb).Finish();
}

Status RecordingCanvas::FillRect(const CanvasRect* rect, uint32_t colour) {
    return CallRecorder(*this, "FillRect").Rect(rect).Word("colour", colour).Finish();
}

Status RecordingCanvas::FillRectRgbClipped(const CanvasRect* rect, const uint8_t* rgb, const CanvasRect* clip) {
    return CallRecorder(*this, "FillRectRgbClipped").Rect(rect).Rgb(rgb).Clip(clip).Finish([&] {
        return Canvas::FillRectRgbClipped(rect, rgb, clip);
    });
}

Status RecordingCanvas::FillRectClipped(const CanvasRect* rect, uint32_t colour, const CanvasRect* clip) {
    return CallRecorder(*this, "FillRectClipped").Rect(rect).Word("colour", colour).Clip(clip).Finish([&] {
        return Canvas::FillRectClipped(rect, colour, clip);
    });
}

// Pixels.

Status RecordingCanvas::PlotPixel(const ScreenVertex* v, const uint8_t* rgb) {
    return CallRecorder(*this, "PlotPixel").Screen("v", v).Rgb(rgb).Finish([&] { return Canvas::PlotPixel(v, rgb); });
}

Status RecordingCanvas::PlotPixelInt(const ViewVertex* v, const uint8_t* rgb) {
    if (v != nullptr && plotWindow_) {
        const CanvasRect& w = *plotWindow_;
        const int64_t x = int64_t(v->screenX) - w.x, y = int64_t(v->screenY) - w.y;
        if (x < 0 || x >= w.width || y < 0 || y >= w.height) return kStatusOk;
    }
    return CallRecorder(*this, "PlotPixelInt").View("v", v).Rgb(rgb).Finish();
}

Status RecordingCanvas::PlotPixelClipped(const ScreenVertex* v, const uint8_t* rgb, const CanvasRect* clip) {
    return CallRecorder(*this, "PlotPixelClipped").Screen("v", v).Rgb(rgb).Clip(clip).Finish([&] {
        return Canvas::PlotPixelClipped(v, rgb, clip);
    });
}

Status RecordingCanvas::PlotPixelClippedInt(const ViewVertex* v, const uint8_t* rgb, const CanvasRect* clip) {
    return CallRecorder(*this, "PlotPixelClippedInt").View("v", v).Rgb(rgb).Clip(clip).Finish([&] {
        return Canvas::PlotPixelClippedInt(v, rgb, clip);
    });
}

int32_t RecordingCanvas::ReadPixel(int32_t x, int32_t y, ViewVertex* out) {
    return CallRecorder(*this, "ReadPixel")
        .Word("x", uint32_t(x), false)
        .Word("y", uint32_t(y), false)
        .Object("out", out)
        .Finish([&] { return Canvas::ReadPixel(x, y, out); });
}

int32_t RecordingCanvas::ReadPixelAt(const ViewVertex* at, ViewVertex* out) {
    return CallRecorder(*this, "ReadPixelAt").View("at", at).Object("out", out).Finish([&] {
        return Canvas::ReadPixelAt(at, out);
    });
}

// Images.

Status RecordingCanvas::BlitImage(const CanvasRect* rect, PixelImage* image, uint32_t mode) {
    return CallRecorder(*this, "BlitImage").Rect(rect).Object("image", image).Word("mode", mode).Finish();
}

Status RecordingCanvas::ReservedBlit(uint32_t first, uint32_t second, uint32_t third, uint32_t fourth) {
    return CallRecorder(*this, "ReservedBlit")
        .Word("first", first)
        .Word("second", second)
        .Word("third", third)
        .Word("fourth", fourth)
        .Finish([&] { return Canvas::ReservedBlit(first, second, third, fourth); });
}

Status RecordingCanvas::DrawMonoImage(const CanvasRect* rect, PixelImage* image, uint32_t fg, uint32_t bg) {
    return CallRecorder(*this, "DrawMonoImage")
        .Rect(rect)
        .Object("image", image)
        .Word("fg", fg)
        .Word("bg", bg)
        .Finish();
}

Status RecordingCanvas::DrawMonoImageRaw(const CanvasRect* rect, MonoMaskRecord* mask, uint32_t setValue,
                                         uint32_t clearValue) {
    return CallRecorder(*this, "DrawMonoImageRaw")
        .Rect(rect)
        .Object("mask", mask)
        .Word("set", setValue)
        .Word("clear", clearValue)
        .Finish();
}

// Lines.

Status RecordingCanvas::DrawLine(const ScreenVertex* a, const ScreenVertex* b, const uint8_t* rgb) {
    return CallRecorder(*this, "DrawLine").Screen("a", a).Screen("b", b).Rgb(rgb).Finish([&] {
        return Canvas::DrawLine(a, b, rgb);
    });
}

Status RecordingCanvas::DrawLineInt(const ViewVertex* a, const ViewVertex* b, const uint8_t* rgb) {
    return CallRecorder(*this, "DrawLineInt").View("a", a).View("b", b).Rgb(rgb).Finish();
}

Status RecordingCanvas::DrawLineShaded(const ScreenVertex* a, const ScreenVertex* b) {
    return CallRecorder(*this, "DrawLineShaded").Screen("a", a).Screen("b", b).Finish([&] {
        return Canvas::DrawLineShaded(a, b);
    });
}

Status RecordingCanvas::DrawLineShadedInt(const ViewVertex* a, const ViewVertex* b) {
    return CallRecorder(*this, "DrawLineShadedInt").View("a", a).View("b", b).Finish();
}

Status RecordingCanvas::DrawLineShadedAlt(const ScreenVertex* a, const ScreenVertex* b) {
    return CallRecorder(*this, "DrawLineShadedAlt").Screen("a", a).Screen("b", b).Finish([&] {
        return Canvas::DrawLineShadedAlt(a, b);
    });
}

Status RecordingCanvas::DrawLineShadedAltInt(const ViewVertex* a, const ViewVertex* b) {
    return CallRecorder(*this, "DrawLineShadedAltInt").View("a", a).View("b", b).Finish([&] {
        return Canvas::DrawLineShadedAltInt(a, b);
    });
}

Status RecordingCanvas::DrawLineClipped(const ScreenVertex* a, const ScreenVertex* b, const uint8_t* rgb,
                                        const CanvasRect* clip) {
    return CallRecorder(*this, "DrawLineClipped").Screen("a", a).Screen("b", b).Rgb(rgb).Clip(clip).Finish([&] {
        return Canvas::DrawLineClipped(a, b, rgb, clip);
    });
}

Status RecordingCanvas::DrawLineClippedInt(const ViewVertex* a, const ViewVertex* b, const uint8_t* rgb,
                                           const CanvasRect* clip) {
    return CallRecorder(*this, "DrawLineClippedInt").View("a", a).View("b", b).Rgb(rgb).Clip(clip).Finish([&] {
        return Canvas::DrawLineClippedInt(a, b, rgb, clip);
    });
}

Status RecordingCanvas::DrawLineShadedClipped(const ScreenVertex* a, const ScreenVertex* b, const CanvasRect* clip) {
    return CallRecorder(*this, "DrawLineShadedClipped").Screen("a", a).Screen("b", b).Clip(clip).Finish([&] {
        return Canvas::DrawLineShadedClipped(a, b, clip);
    });
}

Status RecordingCanvas::DrawLineShadedClippedInt(const ViewVertex* a, const ViewVertex* b, const CanvasRect* clip) {
    return CallRecorder(*this, "DrawLineShadedClippedInt").View("a", a).View("b", b).Clip(clip).Finish([&] {
        return Canvas::DrawLineShadedClippedInt(a, b, clip);
    });
}

Status RecordingCanvas::DrawLineShadedAltClipped(const ScreenVertex* a, const ScreenVertex* b,
                                                 const CanvasRect* clip) {
    return CallRecorder(*this, "DrawLineShadedAltClipped").Screen("a", a).Screen("b", b).Clip(clip).Finish([&] {
        return Canvas::DrawLineShadedAltClipped(a, b, clip);
    });
}

Status RecordingCanvas::DrawLineShadedAltClippedInt(const ViewVertex* a, const ViewVertex* b,
                                                    const CanvasRect* clip) {
    return CallRecorder(*this, "DrawLineShadedAltClippedInt").View("a", a).View("b", b).Clip(clip).Finish([&] {
        return Canvas::DrawLineShadedAltClippedInt(a, b, clip);
    });
}

// Polygons: the float forms are each kind's own; the Int and Alt forms are
// shared.

Status RecordingCanvas::FillPolygonFlat(int32_t count, const ScreenVertex* v) {
    return CallRecorder(*this, "FillPolygonFlat").Polygon(count, v).Finish();
}

Status RecordingCanvas::FillPolygonFlatInt(int32_t count, const ViewVertex* v) {
    return CallRecorder(*this, "FillPolygonFlatInt").Polygon(count, v).Finish([&] {
        return Canvas::FillPolygonFlatInt(count, v);
    });
}

Status RecordingCanvas::FillPolygonShaded(int32_t count, const ScreenVertex* v) {
    return CallRecorder(*this, "FillPolygonShaded").Polygon(count, v).Finish();
}

Status RecordingCanvas::FillPolygonShadedInt(int32_t count, const ViewVertex* v) {
    return CallRecorder(*this, "FillPolygonShadedInt").Polygon(count, v).Finish([&] {
        return Canvas::FillPolygonShadedInt(count, v);
    });
}

Status RecordingCanvas::FillPolygonShadedAlt(int32_t count, const ScreenVertex* v) {
    return CallRecorder(*this, "FillPolygonShadedAlt").Polygon(count, v).Finish([&] {
        return Canvas::FillPolygonShadedAlt(count, v);
    });
}

Status RecordingCanvas::FillPolygonShadedAltInt(int32_t count, const ViewVertex* v) {
    return CallRecorder(*this, "FillPolygonShadedAltInt").Polygon(count, v).Finish([&] {
        return Canvas::FillPolygonShadedAltInt(count, v);
    });
}

Status RecordingCanvas::FillPolygonTextured(int32_t count, const ScreenVertex* v, PixelImage* image) {
    return CallRecorder(*this, "FillPolygonTextured").Polygon(count, v).Object("image", image).Finish();
}

Status RecordingCanvas::FillPolygonTexturedInt(int32_t count, const ViewVertex* v, PixelImage* image) {
    return CallRecorder(*this, "FillPolygonTexturedInt").Polygon(count, v).Object("image", image).Finish([&] {
        return Canvas::FillPolygonTexturedInt(count, v, image);
    });
}

Status RecordingCanvas::FillPolygonTexturedPersp(int32_t count, const ScreenVertex* v, PixelImage* image) {
    return CallRecorder(*this, "FillPolygonTexturedPersp").Polygon(count, v).Object("image", image).Finish();
}

Status RecordingCanvas::FillPolygonTexturedPerspInt(int32_t count, const ViewVertex* v, PixelImage* image) {
    return CallRecorder(*this, "FillPolygonTexturedPerspInt").Polygon(count, v).Object("image", image).Finish([&] {
        return Canvas::FillPolygonTexturedPerspInt(count, v, image);
    });
}

Status RecordingCanvas::FillPolygonTexturedShaded(int32_t count, const ScreenVertex* v, PixelImage* image) {
    return CallRecorder(*this, "FillPolygonTexturedShaded").Polygon(count, v).Object("image", image).Finish();
}

Status RecordingCanvas::FillPolygonTexturedShadedInt(int32_t count, const ViewVertex* v, PixelImage* image) {
    return CallRecorder(*this, "FillPolygonTexturedShadedInt").Polygon(count, v).Object("image", image).Finish([&] {
        return Canvas::FillPolygonTexturedShadedInt(count, v, image);
    });
}

Status RecordingCanvas::FillPolygonTexturedShadedPersp(int32_t count, const ScreenVertex* v, PixelImage* image) {
    return CallRecorder(*this, "FillPolygonTexturedShadedPersp").Polygon(count, v).Object("image", image).Finish();
}

Status RecordingCanvas::FillPolygonTexturedShadedPerspInt(int32_t count, const ViewVertex* v, PixelImage* image) {
    return CallRecorder(*this, "FillPolygonTexturedShadedPerspInt")
        .Polygon(count, v)
        .Object("image", image)
        .Finish([&] { return Canvas::FillPolygonTexturedShadedPerspInt(count, v, image); });
}

Status RecordingCanvas::FillPolygonRgb(int32_t count, const ScreenVertex* v) {
    return CallRecorder(*this, "FillPolygonRgb").Polygon(count, v).Finish();
}

Status RecordingCanvas::FillPolygonRgbInt(int32_t count, const ViewVertex* v) {
    return CallRecorder(*this, "FillPolygonRgbInt").Polygon(count, v).Finish();
}

Status RecordingCanvas::FillPolygonFlatAlpha(int32_t count, const ScreenVertex* v, uint32_t alpha) {
    return CallRecorder(*this, "FillPolygonFlatAlpha").Polygon(count, v).Word("alpha", alpha, false).Finish();
}

Status RecordingCanvas::FillPolygonFlatAlphaInt(int32_t count, const ViewVertex* v, uint32_t alpha) {
    return CallRecorder(*this, "FillPolygonFlatAlphaInt").Polygon(count, v).Word("alpha", alpha, false).Finish([&] {
        return Canvas::FillPolygonFlatAlphaInt(count, v, alpha);
    });
}

Status RecordingCanvas::FillPolygonShadedAlpha(int32_t count, const ScreenVertex* v, uint32_t alpha) {
    return CallRecorder(*this, "FillPolygonShadedAlpha").Polygon(count, v).Word("alpha", alpha, false).Finish();
}

Status RecordingCanvas::FillPolygonShadedAlphaInt(int32_t count, const ViewVertex* v, uint32_t alpha) {
    return CallRecorder(*this, "FillPolygonShadedAlphaInt").Polygon(count, v).Word("alpha", alpha, false).Finish([&] {
        return Canvas::FillPolygonShadedAlphaInt(count, v, alpha);
    });
}

Status RecordingCanvas::FillPolygonShadedAltAlpha(int32_t count, const ScreenVertex* v, uint32_t alpha) {
    return CallRecorder(*this, "FillPolygonShadedAltAlpha").Polygon(count, v).Word("alpha", alpha, false).Finish([&] {
        return Canvas::FillPolygonShadedAltAlpha(count, v, alpha);
    });
}

Status RecordingCanvas::FillPolygonShadedAltAlphaInt(int32_t count, const ViewVertex* v, uint32_t alpha) {
    return CallRecorder(*this, "FillPolygonShadedAltAlphaInt")
        .Polygon(count, v)
        .Word("alpha", alpha, false)
        .Finish([&] { return Canvas::FillPolygonShadedAltAlphaInt(count, v, alpha); });
}

Status RecordingCanvas::FillPolygonTexturedAlpha(int32_t count, const ScreenVertex* v, PixelImage* image,
                                                 uint32_t alpha) {
    return CallRecorder(*this, "FillPolygonTexturedAlpha")
        .Polygon(count, v)
        .Object("image", image)
        .Word("alpha", alpha, false)
        .Finish();
}

Status RecordingCanvas::FillPolygonTexturedAlphaInt(int32_t count, const ViewVertex* v, PixelImage* image,
                                                    uint32_t alpha) {
    return CallRecorder(*this, "FillPolygonTexturedAlphaInt")
        .Polygon(count, v)
        .Object("image", image)
        .Word("alpha", alpha, false)
        .Finish([&] { return Canvas::FillPolygonTexturedAlphaInt(count, v, image, alpha); });
}

Status RecordingCanvas::FillPolygonTexturedPerspAlpha(int32_t count, const ScreenVertex* v, PixelImage* image,
                                                      uint32_t alpha) {
    return CallRecorder(*this, "FillPolygonTexturedPerspAlpha")
        .Polygon(count, v)
        .Object("image", image)
        .Word("alpha", alpha, false)
        .Finish();
}

Status RecordingCanvas::FillPolygonTexturedPerspAlphaInt(int32_t count, const ViewVertex* v, PixelImage* image,
                                                         uint32_t alpha) {
    return CallRecorder(*this, "FillPolygonTexturedPerspAlphaInt")
        .Polygon(count, v)
        .Object("image", image)
        .Word("alpha", alpha, false)
        .Finish([&] { return Canvas::FillPolygonTexturedPerspAlphaInt(count, v, image, alpha); });
}

Status RecordingCanvas::FillPolygonTexturedShadedAlpha(int32_t count, const ScreenVertex* v, PixelImage* image,
                                                       uint32_t alpha) {
    return CallRecorder(*this, "FillPolygonTexturedShadedAlpha")
        .Polygon(count, v)
        .Object("image", image)
        .Word("alpha", alpha, false)
        .Finish();
}

Status RecordingCanvas::FillPolygonTexturedShadedAlphaInt(int32_t count, const ViewVertex* v, PixelImage* image,
                                                          uint32_t alpha) {
    return CallRecorder(*this, "FillPolygonTexturedShadedAlphaInt")
        .Polygon(count, v)
        .Object("image", image)
        .Word("alpha", alpha, false)
        .Finish([&] { return Canvas::FillPolygonTexturedShadedAlphaInt(count, v, image, alpha); });
}

Status RecordingCanvas::FillPolygonTexturedShadedPerspAlpha(int32_t count, const ScreenVertex* v,
                                                            PixelImage* image, uint32_t alpha) {
    return CallRecorder(*this, "FillPolygonTexturedShadedPerspAlpha")
        .Polygon(count, v)
        .Object("image", image)
        .Word("alpha", alpha, false)
        .Finish();
}

Status RecordingCanvas::FillPolygonTexturedShadedPerspAlphaInt(int32_t count, const ViewVertex* v,
                                                               PixelImage* image, uint32_t alpha) {
    return CallRecorder(*this, "FillPolygonTexturedShadedPerspAlphaInt")
        .Polygon(count, v)
        .Object("image", image)
        .Word("alpha", alpha, false)
        .Finish([&] { return Canvas::FillPolygonTexturedShadedPerspAlphaInt(count, v, image, alpha); });
}

// Fog.

Status RecordingCanvas::SetFog(const FogParams* fogParams) {
    return CallRecorder(*this, "SetFog").Fog(fogParams).Finish();
}

Status RecordingCanvas::ApplyFog() {
    return CallRecorder(*this, "ApplyFog").Finish([this] { return Canvas::ApplyFog(); });
}
