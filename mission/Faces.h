#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "display/Bitmap.h"
#include "engine/Status.h"

class IffFile;
class PixelImage;

// One pilot face of "faces.iff": FORM "FACE" holding "ID  " (its name),
// "PALT" (256 red, green, blue triples) and the picture as FORM "XFEB".
struct FaceEntry {
    FaceEntry() = default;
    ~FaceEntry();
    FaceEntry(const FaceEntry&) = delete;
    FaceEntry& operator=(const FaceEntry&) = delete;

    std::string name;
    uint8_t palette[768] = {};
    mutable Bitmap picture;
    mutable PixelImage* image = nullptr;   // owned; the picture as the display draws it
};

// The faces of "faces.iff", in file order, read once on first use and kept
// for the program's life; callers never own the records.
class FaceLibrary {
public:
    static constexpr uint32_t kPaletteBytes = 768;

    // Every readable entry; an entry that is not is counted and passed over.
    // 0, or 10 when the file cannot be walked.
    Status Read(IffFile& iff);
    const FaceEntry* ByIndex(int32_t index) const;
    const FaceEntry* ByName(const char* name) const;
    int32_t Count() const { return int32_t(faces_.size()); }
    int32_t refused = 0;

private:
    std::vector<std::unique_ptr<FaceEntry>> faces_;
};

// The n-th face of the data directory's "faces.iff" (no renumbering); null
// past the end or without the file.
const FaceEntry* LoadFaceByIndex(int32_t index);
const FaceEntry* LoadFaceByName(const char* name);
// The face's picture in the display's pixel format through the game
// state's palette, made on first use and kept with the face; null without
// a face, a palette or pixels.
PixelImage* FaceImage(const FaceEntry* face);
// Forgets the faces read (the next call reads the file again).
void ResetFaces();
