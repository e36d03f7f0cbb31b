#include "sound/MusicFile.h"

#include "engine/FileWrappers.h"
#include "sound/SoundDevice.h"

MusicFile::MusicFile(std::vector<uint8_t> bytes, int32_t track) : bytes_(std::move(bytes)), track_(track) {}

std::unique_ptr<MusicFile> MusicFile::Load(const char* path, int32_t track) {
    const platform::FileHandle file = path != nullptr ? FileOpen(path, kOpenGameData) : platform::kNoFile;
    if (file == platform::kNoFile) return nullptr;
    const int32_t size = FileSeek(file, 2, 0);
    std::vector<uint8_t> bytes;
    if (size > 0 && size_t(size) <= kMaxBytes && FileSeek(file, 0, 0) == 0) {
        bytes.resize(size_t(size));
        if (FileRead(file, bytes.data(), uint32_t(size)) != size) bytes.clear();
    }
    FileClose(file);
    if (bytes.empty()) return nullptr;
    return std::make_unique<MusicFile>(std::move(bytes), track);
}

void MusicFile::SetTrack(int32_t n) {
    SoundDevice* const device = SoundDevice::Current();
    const int32_t count = device != nullptr ? device->TrackCount() : 0;
    if (n > 0 && n < count) track_ = n;
    if (device != nullptr) device->PlayMusic(this);
}
