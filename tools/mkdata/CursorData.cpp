#include "tools/mkdata/CursorData.h"

#include <memory>

#include "display/Bitmap.h"
#include "display/BitmapCodec.h"
#include "engine/FileWrappers.h"
#include "engine/IffFile.h"

namespace {

constexpr uint8_t kClear = 255;
constexpr uint8_t kInk = 1;      // the outline
constexpr uint8_t kFill = 2;
constexpr uint8_t kLit = 3;      // the highlighted shape's fill
constexpr int kSide = 16;

// '#' outline, '.' fill, ' ' clear.
constexpr const char* kArrow[kSide] = {
    "#               ", "##              ", "#.#             ", "#..#            ",
    "#...#           ", "#....#          ", "#.....#         ", "#......#        ",
    "#.......#       ", "#........#      ", "#.....#####     ", "#..#..#         ",
    "#.# #..#        ", "##  #..#        ", "#    #..#       ", "     ####       ",
};
constexpr const char* kHourglass[kSide] = {
    "  ############  ", "  #..........#  ", "   #........#   ", "   #........#   ",
    "    #......#    ", "     #....#     ", "      #..#      ", "       ##       ",
    "       ##       ", "      #..#      ", "     #....#     ", "    #......#    ",
    "   #........#   ", "   #........#   ", "  #..........#  ", "  ############  ",
};

void SetColour(Bitmap& picture, uint8_t index, uint8_t red, uint8_t green, uint8_t blue) {
    uint8_t* const entry = picture.palette + index * 4;
    entry[0] = red;
    entry[1] = green;
    entry[2] = blue;
}

std::unique_ptr<Bitmap> Shape(const char* const rows[kSide], uint8_t fill, int16_t hotX, int16_t hotY) {
    auto picture = std::make_unique<Bitmap>();
    if (picture->Create(kSide, kSide, Bitmap::kDepth8Bit, true) != kStatusOk) return nullptr;
    SetColour(*picture, kInk, 0, 0, 0);
    SetColour(*picture, kFill, 255, 255, 255);
    SetColour(*picture, kLit, 255, 224, 64);
    for (int y = 0; y < kSide; ++y) {
        for (int x = 0; x < kSide; ++x) {
            const char c = rows[y][x];
            picture->pixels[y * kSide + x] = c == '#' ? kInk : c == '.' ? fill : kClear;
        }
    }
    picture->x = hotX;
    picture->y = hotY;
    return picture;
}

}  // namespace

Status WriteCursorShapes(const char* path) {
    IffFile iff(0);
    Status status = iff.OpenFile(path, kOpenWrite | kOpenCreate);
    if (status == kStatusOk) status = iff.BeginForm(MakeTag("CURS"));
    const std::unique_ptr<Bitmap> shapes[] = {Shape(kArrow, kFill, 0, 0), Shape(kArrow, kLit, 0, 0),
                                              Shape(kHourglass, kFill, 7, 7)};
    for (const std::unique_ptr<Bitmap>& shape : shapes) {
        if (status != kStatusOk) break;
        status = shape != nullptr ? BitmapCodec::WriteXcelChunk(&iff, shape.get()) : kStatusOutOfMemory;
    }
    if (status == kStatusOk) status = iff.Ascend();
    const Status closed = iff.CloseFile();
    return status != kStatusOk ? status : closed;
}
