#include "platform/CdAudio.h"

#include <cstdio>
#include <cstring>
#include <vector>

#include "platform/FileSystem.h"

namespace platform {

namespace {

constexpr int32_t kMixRate = 44100;
constexpr uint16_t kPcmFormat = 1;

uint32_t U32(const uint8_t* p) { return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24; }
uint16_t U16(const uint8_t* p) { return uint16_t(p[0] | p[1] << 8); }

struct OpenFile {
    FileSystem& files;
    FileHandle handle;
};

bool ReadFromFile(OpenFile& file, uint64_t offset, void* buffer, uint32_t bytes) {
    if (file.files.Seek(file.handle, int64_t(offset), SeekOrigin::kBegin) != int64_t(offset)) return false;
    return file.files.Read(file.handle, buffer, bytes) == int64_t(bytes);
}

// Where a WAV file keeps its samples, as its chunks say.
struct WaveLayout {
    int32_t rate = 0;
    int32_t channels = 0;
    uint64_t dataOffset = 0;
    uint64_t dataBytes = 0;
};

// False for anything but a sound 16-bit PCM file of one or two channels
// whose data fits the file in whole frames.
bool ReadWaveLayout(OpenFile& file, uint64_t size, WaveLayout& out) {
    out = WaveLayout{};
    uint8_t header[12];
    if (size < sizeof header || !ReadFromFile(file, 0, header, sizeof header)) return false;
    if (std::memcmp(header, "RIFF", 4) != 0 || std::memcmp(header + 8, "WAVE", 4) != 0) return false;
    // The RIFF size may be short or long by a writer's mistake; the file's own size bounds the walk.
    bool format = false;
    uint64_t at = sizeof header;
    // Every step moves on by at least a chunk header, so the walk ends.
    while (at + 8 <= size) {
        uint8_t chunk[8];
        if (!ReadFromFile(file, at, chunk, sizeof chunk)) return false;
        const uint64_t bytes = U32(chunk + 4);
        const uint64_t body = at + 8;
        if (bytes > size - body) return false;
        if (std::memcmp(chunk, "fmt ", 4) == 0) {
            uint8_t fmt[16];
            if (bytes < sizeof fmt || !ReadFromFile(file, body, fmt, sizeof fmt)) return false;
            const uint16_t tag = U16(fmt), channels = U16(fmt + 2), blockAlign = U16(fmt + 12), bits = U16(fmt + 14);
            const uint32_t rate = U32(fmt + 4);
            if (tag != kPcmFormat || bits != 16 || channels < 1 || channels > 2 || blockAlign != channels * 2 ||
                rate < uint32_t(CdAudio::kMinRate) || rate > uint32_t(CdAudio::kMaxRate)) {
                return false;
            }
            out.rate = int32_t(rate);
            out.channels = channels;
            format = true;
        } else if (std::memcmp(chunk, "data", 4) == 0) {
            // The format comes first in every WAV file we take.
            if (!format || bytes == 0 || bytes % uint64_t(out.channels * 2) != 0) return false;
            out.dataOffset = body;
            out.dataBytes = bytes;
            return true;
        }
        at = body + bytes + (bytes & 1);
    }
    return false;
}

}  // namespace

std::shared_ptr<SampleData> ToMixFormat(const SampleData& in) {
    auto out = std::make_shared<SampleData>();
    out->rate = kMixRate;
    out->channels = 2;
    const size_t frames = in.Frames();
    if (frames == 0 || in.rate <= 0 || in.channels < 1 || in.channels > 2) return out;
    const uint64_t outFrames = uint64_t(frames) * uint64_t(kMixRate) / uint64_t(in.rate);
    out->samples.resize(size_t(outFrames) * 2);
    // 32.32 fixed point through the source.
    const uint64_t step = (uint64_t(in.rate) << 32) / uint64_t(kMixRate);
    const size_t channels = size_t(in.channels);
    uint64_t position = 0;
    for (uint64_t i = 0; i < outFrames; ++i, position += step) {
        const size_t at = size_t(position >> 32);
        const size_t following = at + 1 < frames ? at + 1 : at;
        const int32_t fraction = int32_t(position >> 17) & 0x7FFF;
        for (size_t c = 0; c < 2; ++c) {
            const size_t from = c < channels ? c : 0;
            const int32_t a = in.samples[at * channels + from];
            const int32_t b = in.samples[following * channels + from];
            out->samples[size_t(i) * 2 + c] = int16_t(a + (((b - a) * fraction) >> 15));
        }
    }
    return out;
}

std::string CdAudio::TrackPath(int32_t track) const {
    char name[16];
    std::snprintf(name, sizeof name, "track%02d.wav", track);
    return folder_ + name;
}

int32_t CdAudio::Open(const std::string& folder) {
    folder_ = folder;
    count_ = 0;
    FileSystem& files = FileSystem::Current();
    for (int32_t track = kMaxTracks - 1; track >= 0 && count_ == 0; --track) {
        const std::string path = TrackPath(track);
        const FileHandle handle = files.Open(path.c_str(), kFileRead, kFileShareRead, FileCreation::kOpenExisting,
                                             kFileAttrNormal);
        if (handle == kNoFile) continue;
        OpenFile file{files, handle};
        const int64_t size = files.Size(handle);
        WaveLayout layout;
        if (size > 0 && ReadWaveLayout(file, uint64_t(size), layout)) count_ = track + 1;
        files.Close(handle);
    }
    return count_;
}

std::shared_ptr<const SampleData> CdAudio::Load(int32_t track) const {
    if (track < 0 || track >= count_) return nullptr;
    FileSystem& files = FileSystem::Current();
    const std::string path = TrackPath(track);
    const FileHandle handle =
        files.Open(path.c_str(), kFileRead, kFileShareRead, FileCreation::kOpenExisting, kFileAttrNormal);
    if (handle == kNoFile) return nullptr;
    OpenFile file{files, handle};
    const int64_t size = files.Size(handle);
    WaveLayout layout;
    std::vector<uint8_t> bytes;
    bool read = size > 0 && ReadWaveLayout(file, uint64_t(size), layout);
    if (read) {
        bytes.resize(size_t(layout.dataBytes));
        read = ReadFromFile(file, layout.dataOffset, bytes.data(), uint32_t(layout.dataBytes));
    }
    files.Close(handle);
    if (!read) return nullptr;
    SampleData samples;
    samples.rate = layout.rate;
    samples.channels = layout.channels;
    samples.samples.resize(bytes.size() / 2);
    for (size_t i = 0; i < samples.samples.size(); ++i) samples.samples[i] = int16_t(U16(&bytes[2 * i]));
    return ToMixFormat(samples);
}

}  // namespace platform
