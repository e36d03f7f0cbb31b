#pragma once
#include <cstdint>

#include "display/CanvasRect.h"
#include "display/FogTables.h"
#include "display/NearShapes.h"
#include "engine/Status.h"
#include "display/PixelImage.h"
#include "display/ScreenVertex.h"
#include "display/ViewVertex.h"

class Bitmap;
class Palette;

// An image whose pixels the canvas cannot draw (format, or a 5-5-5 image on
// a 5-6-5 canvas and the other way round).
inline constexpr Status kStatusCannotDrawFormat = 6;

// The record of Canvas::DrawMonoImageRaw: a 1-bit image after eight words
// that no drawing reads.
struct MonoMaskRecord {
    uint32_t header[8] = {};
    PixelImage image;
};

// The fog of a canvas: 16-bit kinds keep FogTables16, 8-bit kinds
// FogTables8; the other one stays empty. The kinds free their tables.
struct CanvasFog {
    FogTables16 tables16;
    FogTables8 tables8;
};

// A drawing surface, and the one interface everything draws through. The
// kinds (software 8- and 16-bit, screen, surface, Direct3D) fill in the
// pure operations; the rest are the behaviour every kind shares unless its
// own behaviour differs.
//
// Drawing operations assume a locked canvas and do not check coordinates
// unless their name says Clipped. On a canvas whose set-up failed
// (setupResult not 0) every drawing operation returns kStatusPlatformFailed
// and draws nothing.
class Canvas {
public:
    // flags
    static constexpr uint32_t kFlagSetUp = 0x1;              // every set-up sets it
    static constexpr uint32_t kFlagHasDepth = 0x2;           // given by the creator
    static constexpr uint32_t kFlagDepthTest = 0x4;
    static constexpr uint32_t kFlagNoClear = 0x8;            // set-up leaves the buffers as they are
    static constexpr uint32_t kFlagClearDepthOnly = 0x10;
    static constexpr uint32_t kFlagOwnsDepth = 0x20;
    static constexpr uint32_t kFlagOwnsPixels = 0x40;
    // 16-bit pixels: the render path and camera widen the screen by one
    // pixel, and the rasterizer leaves out the end points of flat and
    // shaded lines.
    static constexpr uint32_t kFlag16Bit = 0x800;
    static constexpr uint32_t kFlagVertexFog = 0x1000;       // the Direct3D device can fog vertices
    static constexpr uint32_t kFlagFog = 0x4000;
    static constexpr uint32_t kFlag2dDrawing = 0x8000;       // only the Direct3D kind reads it
    static constexpr uint32_t kFlagSoftwareAlpha = 0x40000;  // nothing reads it
    static constexpr uint32_t kFlagFiltering = 0x80000;
    static constexpr uint32_t kFlagOutline = 0x100000;       // outline every filled triangle (16-bit kind)

    // Colour words. Below 0x100 a palette index; the bits mark other forms.
    static constexpr uint32_t kColorDirect = 0x10000000;     // 0x10RRGGBB
    static constexpr uint32_t kColorRaw555 = 0x20000000;     // a 5-5-5 pixel in the low 16 bits
    static constexpr uint32_t kColorRaw565 = 0x40000000;     // a 5-6-5 pixel in the low 16 bits
    static constexpr uint32_t kColorFormBits = 0x70000000;
    // The two transparent colours of DrawMonoImage.
    static constexpr uint32_t kColorTransparent = 0xFF000000;
    static constexpr uint32_t kColorTransparentIndex = 0xFF;

    // Polygon mode bits, passed to the rasterizer.
    static constexpr uint32_t kModeDepthTest = 0x01;
    static constexpr uint32_t kModeGouraud = 0x02;
    static constexpr uint32_t kModeFiltered = 0x04;          // textured modes only
    static constexpr uint32_t kModeTextured = 0x08;
    static constexpr uint32_t kModeTranslucent = 0x10;
    static constexpr uint32_t kModePerspective = 0x80;
    static constexpr uint32_t kModeOutline = 0x8000;

    static constexpr int32_t kMaxPolygonVertices = 12;
    static constexpr float kDefaultSubdivideLength = 2049.0f;
    static constexpr int32_t kSpanBytesPerEntry = 32;        // span buffers: max(width, height) entries

    virtual ~Canvas();
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    // State switches.
    virtual void Nothing();
    virtual void EnableDepthTest();      // only with a depth buffer
    virtual void DisableDepthTest();
    virtual void SetFlag80000();         // texture filtering
    virtual void ClearFlag80000();
    virtual void SetFlag40000();
    virtual void ClearFlag40000();
    virtual void EnableFog();
    virtual void DisableFog();
    // Makes this the current canvas of the colour tables.
    virtual void MakeCurrent();

    // Copies the colour buffer into a new bitmap of the canvas's size: 8-bit
    // pixels and the palette's colours, or 24-bit red, green, blue from
    // 16-bit pixels. kStatusOutOfMemory when the bitmap cannot be made; a
    // palette of no known kind (or none) leaves the bitmap alone.
    virtual Status CopyToImage(Bitmap* image);

    // Both return the previous lock state; Lock returns -1 when the colour
    // buffer cannot be made addressable. A caller that finds the canvas
    // locked already leaves it locked.
    virtual int32_t Lock();
    virtual int32_t Unlock();

    // Fills the colour buffer through FillRect (unless kFlagClearDepthOnly)
    // and, with the depth test on and a 16-bit depth buffer, every depth
    // entry with the high 16 bits of depthValue.
    virtual Status Clear(uint32_t colour, uint32_t depthValue);
    // Returns kStatusNothingToDo.
    virtual Status Reserved(uint32_t first, uint32_t second, uint32_t third);

    // Rectangles. The plain forms are unclipped; rgb points to red, green,
    // blue bytes. The clipped forms cut a copy of rect to clip (when given)
    // and then to the canvas, returning 0 without drawing when nothing is left.
    virtual Status FillRectRgb(const CanvasRect* rect, const uint8_t* rgb) = 0;
    virtual Status FillRect(const CanvasRect* rect, uint32_t colour) = 0;
    virtual Status FillRectRgbClipped(const CanvasRect* rect, const uint8_t* rgb, const CanvasRect* clip);
    virtual Status FillRectClipped(const CanvasRect* rect, uint32_t colour, const CanvasRect* clip);

    // Pixels. The float forms round the vertex and go on to PlotPixelInt.
    // The clipped forms draw only inside the canvas narrowed by clip; a clip
    // rectangle that misses the canvas leaves the canvas alone as the limit.
    virtual Status PlotPixel(const ScreenVertex* v, const uint8_t* rgb);
    virtual Status PlotPixelInt(const ViewVertex* v, const uint8_t* rgb) = 0;
    virtual Status PlotPixelClipped(const ScreenVertex* v, const uint8_t* rgb, const CanvasRect* clip);
    virtual Status PlotPixelClippedInt(const ViewVertex* v, const uint8_t* rgb, const CanvasRect* clip);
    // The stored palette index (8-bit kinds), filling out; the base, as the
    // 16-bit and Direct3D kinds, returns 1 and writes nothing.
    virtual int32_t ReadPixel(int32_t x, int32_t y, ViewVertex* out);
    virtual int32_t ReadPixelAt(const ViewVertex* at, ViewVertex* out);

    // Images. mode bit 31 leaves key pixels out; 0x100 stretches.
    virtual Status BlitImage(const CanvasRect* rect, PixelImage* image, uint32_t mode) = 0;
    // Returns kStatusNothingToDo.
    virtual Status ReservedBlit(uint32_t first, uint32_t second, uint32_t third, uint32_t fourth);
    virtual Status DrawMonoImage(const CanvasRect* rect, PixelImage* image, uint32_t fg, uint32_t bg) = 0;
    virtual Status DrawMonoImageRaw(const CanvasRect* rect, MonoMaskRecord* mask, uint32_t setValue,
                                    uint32_t clearValue) = 0;

    // Lines. The float forms round both ends and call the Int form. The Alt
    // forms draw as the shaded ones and return kStatusNothingToDo, except
    // DrawLineShadedAltClipped, which returns what the shaded form does (the
    // surface kinds draw no Alt line and return kStatusNothingToDo). The
    // clipped forms clip a copy of the segment to the canvas less its last
    // column and row, narrowed by clip, carrying depth while the depth test
    // is on; nothing left returns 0.
    virtual Status DrawLine(const ScreenVertex* a, const ScreenVertex* b, const uint8_t* rgb);
    virtual Status DrawLineInt(const ViewVertex* a, const ViewVertex* b, const uint8_t* rgb) = 0;
    virtual Status DrawLineShaded(const ScreenVertex* a, const ScreenVertex* b);
    virtual Status DrawLineShadedInt(const ViewVertex* a, const ViewVertex* b) = 0;
    virtual Status DrawLineShadedAlt(const ScreenVertex* a, const ScreenVertex* b);
    virtual Status DrawLineShadedAltInt(const ViewVertex* a, const ViewVertex* b);
    virtual Status DrawLineClipped(const ScreenVertex* a, const ScreenVertex* b, const uint8_t* rgb,
                                   const CanvasRect* clip);
    virtual Status DrawLineClippedInt(const ViewVertex* a, const ViewVertex* b, const uint8_t* rgb,
                                      const CanvasRect* clip);
    virtual Status DrawLineShadedClipped(const ScreenVertex* a, const ScreenVertex* b, const CanvasRect* clip);
    virtual Status DrawLineShadedClippedInt(const ViewVertex* a, const ViewVertex* b, const CanvasRect* clip);
    virtual Status DrawLineShadedAltClipped(const ScreenVertex* a, const ScreenVertex* b, const CanvasRect* clip);
    virtual Status DrawLineShadedAltClippedInt(const ViewVertex* a, const ViewVertex* b, const CanvasRect* clip);

    // Convex polygons of 3 to kMaxPolygonVertices vertices. The Int forms
    // convert to ScreenVertex and call the float form; the Alt forms are the
    // shaded ones. A textured operation takes the image and finds or makes
    // its texture itself. All return 0 (a count above kMaxPolygonVertices
    // draws nothing).
    virtual Status FillPolygonFlat(int32_t count, const ScreenVertex* v) = 0;
    virtual Status FillPolygonFlatInt(int32_t count, const ViewVertex* v);
    virtual Status FillPolygonShaded(int32_t count, const ScreenVertex* v) = 0;
    virtual Status FillPolygonShadedInt(int32_t count, const ViewVertex* v);
    virtual Status FillPolygonShadedAlt(int32_t count, const ScreenVertex* v);
    virtual Status FillPolygonShadedAltInt(int32_t count, const ViewVertex* v);
    virtual Status FillPolygonTextured(int32_t count, const ScreenVertex* v, PixelImage* image) = 0;
    virtual Status FillPolygonTexturedInt(int32_t count, const ViewVertex* v, PixelImage* image);
    virtual Status FillPolygonTexturedPersp(int32_t count, const ScreenVertex* v, PixelImage* image) = 0;
    virtual Status FillPolygonTexturedPerspInt(int32_t count, const ViewVertex* v, PixelImage* image);
    virtual Status FillPolygonTexturedShaded(int32_t count, const ScreenVertex* v, PixelImage* image) = 0;
    virtual Status FillPolygonTexturedShadedInt(int32_t count, const ViewVertex* v, PixelImage* image);
    virtual Status FillPolygonTexturedShadedPersp(int32_t count, const ScreenVertex* v, PixelImage* image) = 0;
    virtual Status FillPolygonTexturedShadedPerspInt(int32_t count, const ViewVertex* v, PixelImage* image);
    // Shaded between direct colours; the Int form converts on its own.
    virtual Status FillPolygonRgb(int32_t count, const ScreenVertex* v) = 0;
    virtual Status FillPolygonRgbInt(int32_t count, const ViewVertex* v) = 0;
    // Translucent forms, alpha 0..255.
    virtual Status FillPolygonFlatAlpha(int32_t count, const ScreenVertex* v, uint32_t alpha) = 0;
    virtual Status FillPolygonFlatAlphaInt(int32_t count, const ViewVertex* v, uint32_t alpha);
    virtual Status FillPolygonShadedAlpha(int32_t count, const ScreenVertex* v, uint32_t alpha) = 0;
    virtual Status FillPolygonShadedAlphaInt(int32_t count, const ViewVertex* v, uint32_t alpha);
    virtual Status FillPolygonShadedAltAlpha(int32_t count, const ScreenVertex* v, uint32_t alpha);
    virtual Status FillPolygonShadedAltAlphaInt(int32_t count, const ViewVertex* v, uint32_t alpha);
    virtual Status FillPolygonTexturedAlpha(int32_t count, const ScreenVertex* v, PixelImage* image,
                                            uint32_t alpha) = 0;
    virtual Status FillPolygonTexturedAlphaInt(int32_t count, const ViewVertex* v, PixelImage* image,
                                               uint32_t alpha);
    virtual Status FillPolygonTexturedPerspAlpha(int32_t count, const ScreenVertex* v, PixelImage* image,
                                                 uint32_t alpha) = 0;
    virtual Status FillPolygonTexturedPerspAlphaInt(int32_t count, const ViewVertex* v, PixelImage* image,
                                                    uint32_t alpha);
    virtual Status FillPolygonTexturedShadedAlpha(int32_t count, const ScreenVertex* v, PixelImage* image,
                                                  uint32_t alpha) = 0;
    virtual Status FillPolygonTexturedShadedAlphaInt(int32_t count, const ViewVertex* v, PixelImage* image,
                                                     uint32_t alpha);
    virtual Status FillPolygonTexturedShadedPerspAlpha(int32_t count, const ScreenVertex* v, PixelImage* image,
                                                       uint32_t alpha) = 0;
    virtual Status FillPolygonTexturedShadedPerspAlphaInt(int32_t count, const ViewVertex* v, PixelImage* image,
                                                          uint32_t alpha);
    // Whether every one of the float polygon operations above would surely
    // leave the canvas as it was for this polygon, whatever its colours,
    // texture or opacity: the caller may then skip lighting and drawing it.
    // Only the vertices' x and y are read. A kind that cannot tell says
    // false.
    virtual bool FillsNoPixel(int32_t count, const ScreenVertex* v) const;
    // The shapes whose triangles FillsNoPixel calls empty, for corners on
    // whole pixels anywhere in 0 .. width by 0 .. height; null where this
    // kind cannot answer so.
    virtual const NearShapes* EmptyNearShapes() const;

    // Depth fog: SetFog builds the kind's tables; ApplyFog blends the
    // finished frame (base, as the Direct3D kind: kStatusNothingToDo).
    virtual Status SetFog(const FogParams* fog) = 0;
    virtual Status ApplyFog();

    // Vertex conversions. Every float-to-integer step saturates: values
    // beyond the target range (depth 1.0 included) become its nearest end,
    // NaN becomes 0.
    // Position x + 0.5 truncated toward zero.
    static int32_t RoundCoordinate(float value);
    // depth x 2^32 truncated: 0.0 nearest up to 0xFFFFFFFF.
    static uint32_t DepthToWord(float depth);
    static float DepthFromWord(uint32_t depth);
    // Truncated toward zero.
    static int32_t TruncateToInt(float value);
    // Points and lines: position, depth, colour and intensity; the other
    // integer words of out become 0, its view-space position is left alone.
    static void RoundVertex(const ScreenVertex* in, ViewVertex* out);
    // Polygons: every screen-space word.
    static void ToScreenVertex(const ViewVertex* in, ScreenVertex* out);

    // The mode word of a polygon operation: base plus kModeDepthTest while
    // the depth test is on, kModeFiltered for textured modes while
    // filtering is on, and kModeOutline while kFlagOutline is set.
    uint32_t PolygonMode(uint32_t base) const;

    // Colour words.
    static constexpr uint32_t MakeDirectColor(uint8_t red, uint8_t green, uint8_t blue) {
        return kColorDirect | uint32_t(red) << 16 | uint32_t(green) << 8 | blue;
    }
    // The colour an rgb argument points to, packed as red in the low byte,
    // then green, blue: the form the palettes match.
    static uint32_t RgbToColor(const uint8_t* rgb);
    static uint16_t Pack555(uint8_t red, uint8_t green, uint8_t blue);
    static uint16_t Pack565(uint8_t red, uint8_t green, uint8_t blue);
    // 5-5-5 when the palette says so (flag 0x02), otherwise 5-6-5.
    bool Is555() const;
    // Red, green, blue in the canvas's 16-bit format; null rgb is black.
    uint16_t PackRgb(const uint8_t* rgb) const;
    // A palette index's colour (GetColor) in the canvas's 16-bit format;
    // 0 without a palette.
    uint16_t IndexToPixel16(uint32_t index) const;
    // A raw pixel word (kColorRaw555 or kColorRaw565) that does not match
    // the canvas's 16-bit format.
    bool IsRawOfOtherFormat(uint32_t colour) const;
    // A palette index at an intensity 0..255 through the shade table:
    // entry (index x 32 + intensity / 8), the 16-bit kinds' pixel and the
    // 8-bit kinds' index. Intensities outside 0..255 are taken at the
    // nearest end; 0 without a palette or shade table.
    uint16_t ShadePixel16(uint32_t colour, int32_t intensity) const;
    uint8_t ShadeIndex8(uint32_t colour, int32_t intensity) const;

    // The canvas rectangle 0, 0, width, height.
    CanvasRect Bounds() const { return CanvasRect{0, 0, width, height}; }
    bool IsUsable() const { return setupResult == 0; }
    bool DepthTestOn() const { return (flags & kFlagDepthTest) != 0; }
    // Depth buffer, depth test and fog all on: the fog pass has work.
    bool FogApplies() const;
    uint8_t* Row(int32_t y) const { return pixels + rowOffsets[y]; }
    uint16_t* DepthRow(int32_t y) const {
        return reinterpret_cast<uint16_t*>(reinterpret_cast<uint8_t*>(depth) + depthRowOffsets[y]);
    }

    uint32_t bufferSize = 0;          // bytes of the colour buffer
    int32_t locked = 0;               // 1 while locked
    Status setupResult = 0;           // 0, kStatusOutOfMemory, or kStatusPlatformFailed (no surface)
    uint32_t flags = 0;               // kFlag*
    int32_t depthBits = 0;            // 16 with a depth buffer
    int32_t width = 0;
    int32_t height = 0;
    Palette* palette = nullptr;       // pixel format and colour lookups; not owned
    uint8_t* pixels = nullptr;        // first byte of row 0
    int32_t pitch = 0;                // bytes from row to row
    uint32_t* rowOffsets = nullptr;   // per row, byte offset from pixels; owned
    uint16_t* depth = nullptr;        // one entry per pixel, 0xFFFF farthest
    int32_t depthPitch = 0;           // bytes from depth row to depth row
    uint32_t* depthRowOffsets = nullptr;   // owned
    // Scratch of the polygon routines, max(width, height) x kSpanBytesPerEntry
    // bytes each; owned.
    uint8_t* spanBufferA = nullptr;
    uint8_t* spanBufferB = nullptr;
    // Edges longer than this in x or y are split when their 1/z ratio is
    // above 1.025, longer than subdivideLongLength always (16-bit kind).
    float subdivideLength = kDefaultSubdivideLength;
    float subdivideLongLength = 0.0f;
    CanvasFog fog;

protected:
    Canvas() = default;

private:
    // The line rectangle (canvas less its last column and row) narrowed by
    // clip, and the clipper's flags.
    CanvasRect LineBounds(const CanvasRect* clip) const;
    uint32_t LineClipFlags(bool shaded) const;
};
