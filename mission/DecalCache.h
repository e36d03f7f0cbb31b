#pragma once
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "display/Bitmap.h"
#include "engine/Status.h"

class IffFile;

// The decals of the definitions of a "temp.iff", each definition's read from
// the file once and kept as pictures: every ship built (a host builds one for
// each peer that asks) takes its decals from here, not from another walk of
// the file. Pictures, not materials, are kept, so that each object still owns
// the materials made for it and they follow the palette of the moment.
class DecalCache {
public:
    struct Decal {
        int32_t logo = -1;
        char materialName[17] = {};   // the material it replaces
        std::unique_ptr<Bitmap> picture;
    };
    using Decals = std::vector<Decal>;

    DecalCache();
    ~DecalCache();
    DecalCache(const DecalCache&) = delete;
    DecalCache& operator=(const DecalCache&) = delete;

    // The decals of definition `label` of the file at `path`, read on the
    // first ask. Null with kStatusCannotOpen when the file does not open
    // (nothing is kept: it may be there next time), with
    // kStatusNotThisRecord when it holds no such definition (kept).
    const Decals* Find(const std::string& path, const char* label, Status* status);
    // The decals of definition `label` of an open definitions file: 0, or
    // kStatusNotThisRecord when the file holds no such definition. Damaged
    // entries give what could be read of them.
    static Status Read(IffFile& iff, const char* label, Decals* decals);
    // Every definition read so far, as after a change of data files.
    void Clear() { definitions_.clear(); }
    // Reads of the file so far, for those who watch the cost.
    int32_t FileReads() const { return fileReads_; }

private:
    // Null when the definition is not in the file.
    std::map<std::pair<std::string, std::string>, std::unique_ptr<Decals>> definitions_;
    int32_t fileReads_ = 0;
};
