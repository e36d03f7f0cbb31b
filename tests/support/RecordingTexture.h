#pragma once
#include <vector>

#include "display/Texture.h"
#include "display/PixelImage.h"

// A texture that records its own deletion, chained to an image the way the
// back ends chain theirs. With unlinkOnRelease it takes itself out of the
// image's chain as it is destroyed, as the software kind does, so chain
// walkers can be checked against a chain that changes under them.
class RecordingTexture final : public Texture {
public:
    RecordingTexture(PixelImage* boundImage, std::vector<int>* deletions, int id, bool unlinkOnRelease = false)
        : Texture(kKindSoft), deletions_(deletions), id_(id), unlinkOnRelease_(unlinkOnRelease) {
        image = boundImage;
        LinkToImage();
    }
    ~RecordingTexture() override {
        Release();
        if (deletions_ != nullptr) {
            deletions_->push_back(id_);
        }
    }

    void Release() override {
        if (unlinkOnRelease_) {
            UnlinkFromImage();
        }
    }

private:
    std::vector<int>* const deletions_;
    const int id_;
    const bool unlinkOnRelease_;
};
