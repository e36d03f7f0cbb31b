#include "mission/Faces.h"

#include <cstring>

#include "display/PixelImage.h"
#include "display/XfebCodec.h"
#include "engine/FileWrappers.h"
#include "engine/IffFile.h"
#include "engine/IffWalk.h"
#include "game/DataDirectories.h"
#include "game/GameState.h"

namespace {

constexpr uint32_t kFaceForm = MakeTag("FACE");
constexpr uint32_t kIdChunk = MakeTag("ID  ");
constexpr uint32_t kPaletteChunk = MakeTag("PALT");

std::unique_ptr<FaceLibrary> g_faces;

// The entered FACE form: false when any part of it cannot be read.
bool ReadFace(IffFile& iff, FaceEntry* face) {
    bool named = false, coloured = false, pictured = false;
    for (;;) {
        const Status step = iff.NextChunk();
        if (step == kStatusEndOfData) break;
        if (step != kStatusOk) return false;
        const uint32_t id = iff.ChunkId();
        if (id == kIdChunk) {
            if (!iff_walk::ReadText(iff, 63, &face->name)) return false;
            named = true;
        } else if (id == kPaletteChunk) {
            if (iff.ChunkSize() != FaceLibrary::kPaletteBytes || iff.ReadChunk(face->palette, FaceLibrary::kPaletteBytes) != kStatusOk) {
                return false;
            }
            coloured = true;
        } else if (id == IffFile::kFormId && iff.FormType() == XfebCodec::kFormType) {
            XfebCodec codec(&face->picture);
            if (codec.ReadForm(&iff, &face->picture) != kStatusOk) return false;
            pictured = true;
        }
    }
    return named && coloured && pictured;
}

}  // namespace

Status FaceLibrary::Read(IffFile& iff) {
    for (;;) {
        const Status step = iff.NextChunk();
        if (step == kStatusEndOfData) {
            if (iff.Level() == 0) return kStatusOk;
            if (iff.Ascend() != kStatusOk) return kStatusCannotOpen;
            continue;
        }
        if (step != kStatusOk) return kStatusCannotOpen;
        if (iff.ChunkId() != IffFile::kFormId) continue;
        if (iff.FormType() != kFaceForm) {
            // A container of faces: read what it holds.
            if (iff.Descend() != kStatusOk) return kStatusCannotOpen;
            continue;
        }
        if (iff.Descend() != kStatusOk) return kStatusCannotOpen;
        auto face = std::make_unique<FaceEntry>();
        if (ReadFace(iff, face.get())) {
            faces_.push_back(std::move(face));
        } else {
            ++refused;
        }
        if (iff.Ascend() != kStatusOk) return kStatusCannotOpen;
    }
}

const FaceEntry* FaceLibrary::ByIndex(int32_t index) const {
    return index >= 0 && index < Count() ? faces_[size_t(index)].get() : nullptr;
}

const FaceEntry* FaceLibrary::ByName(const char* name) const {
    if (name == nullptr) return nullptr;
    for (const auto& face : faces_) {
        if (face->name == name) return face.get();
    }
    return nullptr;
}

namespace {

const FaceLibrary* Faces() {
    if (g_faces == nullptr) {
        g_faces = std::make_unique<FaceLibrary>();
        IffFile iff(0);
        const std::string path = g_dataDirs.Prefix(DataDir::kData) + "faces.iff";
        if (iff.OpenFile(path.c_str(), kOpenRead) == kStatusOk) {
            if (iff.ValidateHeader() == kStatusOk) g_faces->Read(iff);
            iff.CloseFile();
        }
    }
    return g_faces.get();
}

}  // namespace

const FaceEntry* LoadFaceByIndex(int32_t index) { return Faces()->ByIndex(index); }

const FaceEntry* LoadFaceByName(const char* name) { return Faces()->ByName(name); }

FaceEntry::~FaceEntry() {
    if (image != nullptr) image->FreePixels();
    delete image;
}

PixelImage* FaceImage(const FaceEntry* face) {
    if (face == nullptr) return nullptr;
    if (face->image != nullptr) return face->image;
    Palette* const palette = g_gameState != nullptr ? g_gameState->currentPalette : nullptr;
    if (palette == nullptr || face->picture.width == 0 || face->picture.height == 0 ||
        face->picture.width > INT16_MAX || face->picture.height > INT16_MAX) return nullptr;
    auto* const image = new PixelImage;
    if (image == nullptr) return nullptr;
    if (image->Create(int16_t(face->picture.width), int16_t(face->picture.height), PixelImage::CurrentDepth(), false) !=
            kStatusOk ||
        image->Convert(&face->picture, palette) != kStatusOk) {
        image->FreePixels();
        delete image;
        return nullptr;
    }
    face->image = image;
    return image;
}

void ResetFaces() { g_faces.reset(); }
