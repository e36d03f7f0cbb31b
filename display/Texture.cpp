#include "display/Texture.h"

#include "display/PixelImage.h"

Texture::~Texture() = default;

int32_t Texture::Create(PixelImage*, Palette*) { return 0; }

int32_t Texture::Recreate(PixelImage*, Palette*) { return 0; }

int32_t Texture::Upload() { return 0; }

void Texture::Release() {}

void Texture::LinkToImage() {
    if (image == nullptr) {
        return;
    }
    nextOfImage = image->copies;
    image->copies = this;
}

void Texture::UnlinkFromImage() {
    if (image == nullptr) {
        return;
    }
    for (Texture** link = &image->copies; *link != nullptr; link = &(*link)->nextOfImage) {
        if (*link == this) {
            *link = nextOfImage;
            nextOfImage = nullptr;
            return;
        }
    }
}
