#include "tools/mkdata/ArtSprite.h"

#include <cstring>

#include "engine/ByteOrder.h"
#include "engine/IffFile.h"
#include "tools/mkdata/EventMapData.h"

Status WriteArtSprite(IffFile& iff, const char* name, int x, int y) {
    Status status = iff.BeginForm(MakeTag("SPRT"));
    if (status == kStatusOk) status = iff.WriteChunk(MakeTag("NAME"), name, uint32_t(std::strlen(name) + 1));
    uint8_t position[4];
    StoreLe16(position, uint16_t(x));
    StoreLe16(position + 2, uint16_t(y));
    if (status == kStatusOk) status = iff.WriteChunk(MakeTag("POSI"), position, sizeof position);
    if (status == kStatusOk) status = iff.Ascend();
    return status;
}

Status WriteArtSpriteFile(const char* path, std::span<const ArtSprite> sprites) {
    IffFile iff(0);
    Status status = iff.OpenFile(path, kOpenWrite | kOpenCreate);
    if (status == kStatusOk) status = iff.BeginForm(MakeTag("OPTI"));
    for (const ArtSprite& sprite : sprites) {
        if (status == kStatusOk) status = WriteArtSprite(iff, sprite.name, sprite.x, sprite.y);
    }
    if (status == kStatusOk) status = iff.Ascend();
    const Status closed = iff.CloseFile();
    return status != kStatusOk ? status : closed;
}

void AddArtSpriteSpots(EventMapSpec& map, std::span<const ArtSprite> sprites) {
    for (const ArtSprite& sprite : sprites) {
        map.events.push_back({EventOfCode(sprite.code), SpotTrigger(sprite.x, sprite.y, sprite.width, sprite.height)});
    }
}
