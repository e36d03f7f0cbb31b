#include "engine/IniFile.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

// A key ends where its line goes on with a blank, a tab or "=", or where the
// line ends: "Mouse" must not read the line of "Mouse_Sensitivity".
bool EndsKey(char c) {
    return c == ' ' || c == '\t' || c == '=' || c == '\r' || c == '\n' || c == '\0';
}

const char* SkipLine(const char* p) {
    while (*p != '\0' && *p != '\n') {
        ++p;
    }
    return p;
}

}  // namespace

IniFile::IniFile() : stream_(&fileStream_) {}

// A null stream leaves the reader on its own stream rather than on nothing.
IniFile::IniFile(Stream* stream) : stream_(stream != nullptr ? stream : &fileStream_) {}

IniFile::~IniFile() {
    Unload();
    stream_->Close();
}

Status IniFile::Record(Status status) {
    lastError_ = status;
    return status;
}

Status IniFile::Load() {
    if (!stream_->IsReadable() && !stream_->IsWritable()) {
        return Record(kStatusStreamNotUsable);
    }
    return ReadAll();
}

Status IniFile::ReadAll() {
    // A stream that failed without saying why still must not look successful.
    const auto streamError = [this] {
        const Status error = stream_->LastError();
        return error != kStatusOk ? error : kStatusEndOfData;
    };

    const int32_t length = stream_->Length();
    if (length < 0) {
        // -1 is the stream's failure; any other negative length is a size the
        // stream could not express, never a block size to allocate.
        const Status error = stream_->LastError();
        return Record(length == -1 && error != kStatusOk ? error : kStatusMalformed);
    }
    // An empty first file still needs its terminator, hence the null test.
    if (text_ == nullptr || length > capacity_) {
        EngineRelease(text_);
        capacity_ = 0;
        text_ = static_cast<char*>(EngineAllocate(static_cast<size_t>(length) + 1));
        if (text_ == nullptr) {
            return Record(kStatusIniNoMemory);
        }
        capacity_ = length;
    }
    text_[0] = '\0';
    if (stream_->Seek(0, 0) != 0) {
        return Record(streamError());
    }
    // A short read leaves the bytes that arrived as the text, so a truncated
    // file still answers for the keys it holds; the caller learns of the loss
    // from the result.
    const int32_t read = stream_->Read(text_, length);
    text_[std::clamp(read, int32_t{0}, length)] = '\0';
    if (read != length) {
        return Record(streamError());
    }
    return Record(kStatusOk);
}

Status IniFile::Unload() {
    if (text_ != nullptr) {
        EngineRelease(text_);
        text_ = nullptr;
        capacity_ = 0;
        section_[0] = '\0';
    }
    const Status flushed = stream_->Flush();
    if (flushed != kStatusOk) {
        lastError_ = flushed;
    }
    return flushed;
}

Status IniFile::SetSection(const char* name) {
    if (name == nullptr || name[0] == '\0') {
        section_[0] = '\0';
        return Record(kStatusOk);
    }
    const size_t length = strnlen(name, kMaxSectionName + 1);
    if (length > kMaxSectionName) {
        return Record(kStatusIniSectionNameTooLong);
    }
    section_[0] = '[';
    std::memcpy(section_ + 1, name, length);
    section_[length + 1] = ']';
    section_[length + 2] = '\0';
    // A file open for writing may gain the section later, so only a
    // read-only one is held to what it holds now. A missing section stays
    // selected: later lookups fail rather than read the previous section.
    if (stream_->IsReadable() && !stream_->IsWritable()) {
        if (text_ == nullptr || std::strstr(text_, section_) == nullptr) {
            return Record(kStatusIniSectionNotFound);
        }
    }
    return Record(kStatusOk);
}

const char* IniFile::SectionStart(Status* status) const {
    *status = kStatusIniSectionNotFound;
    if (text_ == nullptr) {
        return nullptr;
    }
    if (section_[0] == '\0') {
        return text_;
    }
    // A plain search: the header may stand anywhere in a line, and the rest
    // of that line is not read.
    const char* header = std::strstr(text_, section_);
    if (header == nullptr) {
        return nullptr;
    }
    return SkipLine(header + std::strlen(section_));
}

Status IniFile::GetString(const char* key, char* out, size_t outSize) {
    if (out == nullptr) {
        outSize = 0;
    }
    if (outSize > 0) {
        out[0] = '\0';
    }
    Status status = kStatusOk;
    const char* p = SectionStart(&status);
    if (p == nullptr) {
        return Record(status);
    }
    if (key == nullptr || key[0] == '\0') {
        return Record(kStatusIniKeyNotFound);
    }

    const size_t keyLength = std::strlen(key);
    for (;;) {
        const char c = *p;
        if (c == '\0' || c == '[') {
            return Record(kStatusIniKeyNotFound);
        }
        if (IsBlank(c)) {
            ++p;
            continue;
        }
        if (c != ';' && std::strncmp(p, key, keyLength) == 0 && EndsKey(p[keyLength])) {
            break;
        }
        p = SkipLine(p);
    }

    // The "=" must stand on the key's own line; without one the value is empty.
    p += keyLength;
    while (*p != '\0' && *p != '\n' && *p != '=') {
        ++p;
    }
    if (*p != '=') {
        return Record(kStatusOk);
    }
    ++p;
    const size_t limit = std::min(outSize > 0 ? outSize - 1 : 0, kMaxValueChars);
    size_t n = 0;
    for (; *p != '\0' && *p != '\n' && *p != ';' && n < limit; ++p) {
        if (*p != '\r') {
            out[n++] = *p;
        }
    }
    if (outSize > 0) {
        out[n] = '\0';
    }
    return Record(kStatusOk);
}

Status IniFile::GetStrings(const char* const* keys, char* const* outs, size_t outSize) {
    for (size_t i = 0; keys != nullptr && keys[i] != nullptr && keys[i][0] != '\0'; ++i) {
        const Status status = GetString(keys[i], outs[i], outSize);
        if (status != kStatusOk) {
            return status;
        }
    }
    return Record(kStatusOk);
}

int32_t IniFile::GetInt(const char* key) {
    char value[kMaxValueChars + 1];
    if (GetString(key, value, sizeof value) != kStatusOk) {
        return 0;
    }
    // The C conversion, held to 32 bits: out-of-range values stop at the limits.
    const long number = std::strtol(value, nullptr, 10);
    return static_cast<int32_t>(std::clamp<long>(number, INT32_MIN, INT32_MAX));
}
