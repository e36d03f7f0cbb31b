#include "tools/mkdata/FxData.h"

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "display/Bitmap.h"
#include "display/BitmapCodec.h"
#include "display/XfebCodec.h"
#include "engine/ByteOrder.h"
#include "engine/IffFile.h"
#include "tools/mkdata/ChunkBytes.h"

namespace {

using chunk_bytes::Bytes;

Bytes Words(std::initializer_list<int32_t> words) { return chunk_bytes::Words32(words); }
Bytes Name(const char* text, size_t bytes = 16) { return chunk_bytes::FixedText(text, bytes); }

Bytes Text(const char* text) { return Bytes(text, text + std::strlen(text) + 1); }

// The sample palettes' colour cube: steps 0-5 of red, green and blue.
constexpr uint8_t Cube(int red, int green, int blue) { return uint8_t(red * 36 + green * 6 + blue); }
constexpr uint8_t kClear = 255;

// A round blob: `colours` from the middle outwards over `radius` pixels,
// clear beyond.
Bitmap* Blob(float radius, std::initializer_list<uint8_t> colours) {
    auto* const picture = new Bitmap;
    if (picture->Create(16, 16, Bitmap::kDepth8Bit, true) != kStatusOk) {
        delete picture;
        return nullptr;
    }
    const std::vector<uint8_t> bands(colours);
    for (int y = 0; y < 16; ++y) {
        for (int x = 0; x < 16; ++x) {
            const float d = std::hypot(float(x) - 7.5f, float(y) - 7.5f);
            const int band = radius > 0.0f ? int(d / radius * float(bands.size())) : int(bands.size());
            picture->pixels[y * 16 + x] = band < int(bands.size()) ? bands[size_t(band)] : kClear;
        }
    }
    return picture;
}

class FxWriter {
public:
    explicit FxWriter(IffFile& iff) : iff_(iff) {}
    FxWriter& Form(const char* type) {
        if (status_ == kStatusOk) status_ = iff_.BeginForm(Tag(type));
        return *this;
    }
    FxWriter& End() {
        if (status_ == kStatusOk) status_ = iff_.Ascend();
        return *this;
    }
    FxWriter& Chunk(const char* id, const Bytes& data) {
        if (status_ == kStatusOk) status_ = iff_.WriteChunk(Tag(id), data.data(), uint32_t(data.size()));
        return *this;
    }
    // A picture as FORM "XFEB" (cel false) or FORM "XCEL" (cel true).
    FxWriter& Picture(Bitmap* picture, bool cel = false) {
        if (picture == nullptr) {
            if (status_ == kStatusOk) status_ = kStatusOutOfMemory;
            return *this;
        }
        if (status_ == kStatusOk) {
            if (cel) {
                status_ = BitmapCodec::WriteXcelChunk(&iff_, picture);
            } else {
                XfebCodec codec(picture);
                status_ = codec.WriteForm(&iff_, picture);
            }
        }
        delete picture;
        return *this;
    }
    Status Result() const { return status_; }

private:
    static uint32_t Tag(const char* text) {
        return uint32_t(uint8_t(text[0])) | uint32_t(uint8_t(text[1])) << 8 | uint32_t(uint8_t(text[2])) << 16 |
               uint32_t(uint8_t(text[3])) << 24;
    }

    IffFile& iff_;
    Status status_ = kStatusOk;
};

// A fireball of `frames` pictures: white-hot and small, then large and red,
// then a dim ring.
void Fireball(FxWriter& w, int frames) {
    for (int f = 0; f < frames; ++f) {
        const float t = frames > 1 ? float(f) / float(frames - 1) : 0.0f;
        const float radius = 3.0f + 5.0f * t;
        if (t < 0.34f) {
            w.Picture(Blob(radius, {Cube(5, 5, 4), Cube(5, 5, 1), Cube(5, 3, 0)}));
        } else if (t < 0.67f) {
            w.Picture(Blob(radius, {Cube(5, 5, 1), Cube(5, 3, 0), Cube(5, 1, 0), Cube(3, 0, 0)}));
        } else {
            w.Picture(Blob(radius, {kClear, Cube(4, 1, 0), Cube(3, 0, 0), Cube(1, 0, 0)}));
        }
    }
}

void Explosion(FxWriter& w, const char* name, std::initializer_list<int32_t> info, int frames,
               const std::vector<std::pair<const char*, Bytes>>& extra) {
    w.Form("EXPL").Chunk("ID  ", Text(name)).Chunk("INFO", Words(info));
    for (const auto& [id, bytes] : extra) w.Chunk(id, bytes);
    Fireball(w, frames);
    w.End();
}

void StreamEntry(FxWriter& w, const char* name, const char* palette, int32_t life, int32_t drift, float spacing,
            std::initializer_list<uint8_t> colours, int frames) {
    int32_t spacingWord;
    std::memcpy(&spacingWord, &spacing, sizeof spacingWord);
    w.Form("STRM").Chunk("ID  ", Text(name)).Chunk("PALT", Text(palette));
    w.Chunk("INFO", Words({life, frames, drift, spacingWord}));
    for (int f = 0; f < frames; ++f) w.Picture(Blob(6.0f - 1.5f * float(f), colours), true);
    w.End();
}

}  // namespace

Status WriteEffectRecords(IffFile& iff) {
    FxWriter w(iff);

    w.Form("EXPL");
    Explosion(w, "Explosion 1", {4, 800, 50, 0, 0, 255}, 4,
              {{"FLAR", [] {
                    Bytes flare = Name("Blast Flare");
                    const Bytes counts = Words({2, 4});
                    flare.insert(flare.end(), counts.begin(), counts.end());
                    return flare;
                }()},
               {"ANIM", Name("Praxis")},
               {"SNDI", Text("Explosion")}});
    Explosion(w, "Sparks", {2, 200, 10, 0, 0, 200}, 2, {});
    Explosion(w, "Hit Spark", {2, 120, 0, 0, 0, 255}, 2, {});
    Explosion(w, "Nova", {3, 900, 100, 100, 300, 255}, 3, {{"NUKE", {}}});
    // The same name again: the later entry is the one the game finds.
    Explosion(w, "Sparks", {3, 300, 15, 0, 100, 220}, 3, {});
    w.End();

    w.Form("ANIM");
    w.Form("ANIM").Chunk("ID  ", Text("JumpGate")).Chunk("INFO", Words({1200, 0, 4})).Chunk("FILE", Text(kJumpAnimationFile)).End();
    w.Form("ANIM").Chunk("ID  ", Text("Praxis")).Chunk("INFO", Words({600, 0, 3})).Chunk("FILE", Text(kPraxisAnimationFile)).End();
    w.End();

    w.Form("PROJ");
    w.Form("PROJ").Chunk("ID  ", Text("Laser Bolt")).Chunk("PALT", Text("weapons")).Chunk("MESH", Text("Bolt"));
    w.Chunk("INFO", Words({100, 0, 600 << 16, 1 << 16, 255, 64, 32, 0})).Chunk("EXPL", Name("Hit Spark")).End();
    w.Form("PROJ").Chunk("ID  ", Text("Flak Shell")).Chunk("PALT", Text("weapons")).Chunk("MESH", Text("Shell"));
    w.Chunk("ANIM", Name("Praxis"));
    w.Chunk("INFO", Words({100, 0, 300 << 16, 1 << 16, 255, 200, 64, 0})).Chunk("EXPL", Name("Sparks"));
    {
        Bytes spawn = Words({6, 1500, 4000});
        const Bytes fragment = Name("Flak Bit");
        spawn.insert(spawn.end(), fragment.begin(), fragment.end());
        w.Chunk("SPWN", spawn);
    }
    w.End();
    w.Form("PROJ").Chunk("ID  ", Text("Flak Bit")).Chunk("PALT", Text("weapons")).Chunk("MESH", Text("Bit"));
    w.Chunk("INFO", Words({100, 0, 200 << 16, 1 << 16, 255, 255, 128, 0})).Chunk("EXPL", Name("Hit Spark")).End();
    w.End();

    w.Form("BEAM");
    // Half-width 0.25 in 2^-18 units.
    w.Form("BEAM").Chunk("ID  ", Text("Ion Beam")).Chunk("INFO", Words({2, 15, 64, 160, 255, 200, 65536}));
    w.Chunk("EXPL", Name("Hit Spark"));
    w.Picture(Blob(8.0f, {Cube(5, 5, 5), Cube(2, 4, 5), Cube(1, 2, 5)}), true);
    w.Picture(Blob(8.0f, {Cube(2, 4, 5), Cube(1, 2, 5), Cube(0, 1, 4)}), true);
    w.End();
    w.End();

    w.Form("STRM");
    StreamEntry(w, "Exhaust", "weapons", 400, 20, 0.5f, {Cube(5, 5, 4), Cube(5, 4, 1), Cube(5, 2, 0)}, 4);
    StreamEntry(w, "Smoke", "explode", 1500, 10, 1.0f, {Cube(3, 3, 3), Cube(2, 2, 2), Cube(1, 1, 1)}, 3);
    StreamEntry(w, "MissSmoke", "weapons", 900, 0, 0.75f, {Cube(4, 4, 4), Cube(3, 3, 3)}, 3);
    StreamEntry(w, "Fire", "explode", 600, 30, 0.5f, {Cube(5, 5, 1), Cube(5, 3, 0), Cube(4, 0, 0)}, 4);
    StreamEntry(w, "Jump", "JumpAnim", 800, 0, 2.0f, {Cube(5, 5, 5), Cube(2, 4, 5), Cube(0, 2, 5)}, 2);
    w.End();

    w.Form("FLAR");
    w.Form("FLAR").Chunk("INFO", Name("Blast Flare")).Chunk("SIZE", Words({3}));
    w.Picture(Blob(7.5f, {Cube(5, 5, 4), Cube(5, 4, 2)})).Picture(Blob(5.0f, {kClear, Cube(5, 3, 1)})).End();
    w.Form("FLAR").Chunk("INFO", Name("Sun Flare")).Chunk("SIZE", Words({8}));
    w.Picture(Blob(7.5f, {Cube(5, 5, 5), Cube(5, 5, 3), Cube(5, 4, 2)})).End();
    w.End();
    return w.Result();
}

Status WriteDustSprites(const char* path) {
    IffFile iff(0);
    Status status = iff.OpenFile(path, kOpenWrite | kOpenCreate);
    if (status == kStatusOk) {
        FxWriter w(iff);
        w.Form("DUST");
        w.Picture(Blob(3.0f, {Cube(5, 5, 5), Cube(3, 3, 4)}));
        w.Picture(Blob(2.0f, {Cube(4, 4, 5), Cube(2, 2, 3)}));
        w.End();
        status = w.Result();
    }
    const Status closed = iff.CloseFile();
    return status != kStatusOk ? status : closed;
}
