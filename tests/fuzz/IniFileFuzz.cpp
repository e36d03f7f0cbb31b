// Reads any bytes as a settings file the way the game does, and the ways a
// careless caller might: several sections (missing, too long, taken from the
// text itself), several keys, output buffers from 1 byte to 4096. Every
// buffer is exactly the size passed, so a value copied one byte too far is
// caught; a value holding a line end or a ";", or longer than its limits,
// aborts.
//
// The first input byte picks the stream's state: bit 0 read only (sections
// are then looked for), bit 1 a short read at (byte >> 2) * 4; the rest is
// the file.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "engine/FileWrappers.h"
#include "engine/IniFile.h"
#include "tests/support/MemoryStream.h"

namespace {

constexpr size_t kOutSizes[] = {1, 2, 7, 1024, 4096};

void Check(bool holds) {
    if (!holds) {
        std::abort();
    }
}

// The first bracketed name and the first word of the text, so that sections
// and keys the input actually holds get looked up too.
std::string Between(const std::string& text, char open, char close, size_t limit) {
    const size_t start = text.find(open);
    if (start == std::string::npos) {
        return {};
    }
    const size_t end = text.find(close, start + 1);
    return text.substr(start + 1, std::min(end == std::string::npos ? text.size() : end - start - 1, limit));
}

std::string FirstWord(const std::string& text) {
    size_t start = 0;
    while (start < text.size() && std::strchr(" \t\r\n", text[start]) != nullptr) {
        ++start;
    }
    size_t end = start;
    while (end < text.size() && end - start < 64 && std::strchr(" \t\r\n=;[", text[end]) == nullptr) {
        ++end;
    }
    return text.substr(start, end - start);
}

void CheckValue(const char* out, size_t outSize) {
    const size_t length = strnlen(out, outSize);
    Check(length < outSize);
    Check(length <= IniFile::kMaxValueChars);
    Check(std::strpbrk(out, "\r\n;") == nullptr);
}

void ReadKeys(IniFile& ini, const std::vector<std::string>& keys) {
    for (const std::string& key : keys) {
        for (const size_t outSize : kOutSizes) {
            const std::unique_ptr<char[]> out(new char[outSize]);
            std::memset(out.get(), 'x', outSize);
            if (ini.GetString(key.c_str(), out.get(), outSize) == kStatusOk) {
                CheckValue(out.get(), outSize);
            } else {
                Check(out[0] == '\0');
            }
        }
        ini.GetInt(key.c_str());
    }

    // The same keys at once, into buffers of one small size.
    constexpr size_t kSmall = 5;
    std::vector<const char*> list;
    std::vector<std::unique_ptr<char[]>> buffers;
    std::vector<char*> outs;
    for (const std::string& key : keys) {
        list.push_back(key.c_str());
        buffers.emplace_back(new char[kSmall]());
        outs.push_back(buffers.back().get());
    }
    list.push_back(nullptr);
    ini.GetStrings(list.data(), outs.data(), kSmall);
    for (char* out : outs) {
        CheckValue(out, kSmall);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) {
        return 0;
    }
    const uint8_t control = data[0];
    const std::string text(reinterpret_cast<const char*>(data + 1), size - 1);

    MemoryStream stream(std::vector<uint8_t>(text.begin(), text.end()));
    if (control & 0x1) {
        stream.Close();
        stream.Open("VORN.INI", kOpenRead);
    }
    if (control & 0x2) {
        stream.ShortReadsAt(static_cast<int64_t>(control >> 2) * 4);
    }

    IniFile ini(&stream);
    ini.Load();

    const std::vector<std::string> sections = {
        "", "Startup", Between(text, '[', ']', 300),
        std::string(IniFile::kMaxSectionName, 'S'), std::string(IniFile::kMaxSectionName + 1, 'S'),
    };
    const std::vector<std::string> keys = {
        "Mouse", "Mouse_Sensitivity", "FullScreen", "A", FirstWord(text), Between(text, '\n', '=', 64),
    };
    ini.SetSection(nullptr);
    ReadKeys(ini, keys);
    for (const std::string& section : sections) {
        ini.SetSection(section.c_str());
        ReadKeys(ini, keys);
    }

    // Unloaded, every lookup fails; loaded again, it reads as before.
    ini.Unload();
    char out[8];
    Check(ini.GetString("Mouse", out, sizeof out) == kStatusIniSectionNotFound);
    stream.Heal();
    ini.Load();
    ReadKeys(ini, keys);
    return 0;
}
