#pragma once
#include <cstddef>
#include <cstdint>

#include "engine/EngineAllocation.h"
#include "engine/FileStream.h"
#include "engine/Status.h"
#include "engine/Stream.h"

// Status words of the settings reader; kStatusStreamNotUsable (engine/Stream.h)
// is its fourth: the stream is neither readable nor writable.
inline constexpr Status kStatusIniKeyNotFound = 0x20001001;
// The selected section is not in the text, or no text is loaded.
inline constexpr Status kStatusIniSectionNotFound = 0x20001002;
inline constexpr Status kStatusIniSectionNameTooLong = 0x20001004;
// No memory for the text: the file layer's code for it (8), not
// kStatusOutOfMemory (2).
inline constexpr Status kStatusIniNoMemory = platform::kFileNoMemory;

// Reads a text settings file of "[Section]" headers and "Key = Value" lines:
// the whole file is loaded into memory, a section is selected and keys are
// looked up in it. The caller opens the stream (read mode) before Load.
class IniFile : public EngineObject {
public:
    // Section names hold at most this many characters: "[" name "]" and a
    // terminator fill 256 bytes.
    static constexpr size_t kMaxSectionName = 253;
    // Values are cut to this many characters.
    static constexpr size_t kMaxValueChars = 1023;

    // On the embedded file stream.
    IniFile();
    // On a caller's stream, which must outlive the reader.
    explicit IniFile(Stream* stream);
    // Unloads and closes the stream in use, a caller's one too.
    ~IniFile();
    IniFile(const IniFile&) = delete;
    IniFile& operator=(const IniFile&) = delete;

    // ReadAll when the stream is readable or writable, else kStatusStreamNotUsable.
    Status Load();
    // The whole stream into the text block. A short read keeps the bytes that
    // did arrive as the text and returns the stream's error.
    Status ReadAll();
    // Frees the text and clears the section, then flushes the stream; the
    // flush's result, which also becomes the last error when not 0.
    Status Unload();

    // A null or empty name selects the text before any header.
    Status SetSection(const char* name);
    // The key's value, cut to outSize - 1 characters (and never more than
    // kMaxValueChars), zero-terminated; out is emptied first.
    Status GetString(const char* key, char* out, size_t outSize);
    // GetString for each key of a list ended by null or an empty key, into
    // the output of the same index, each outSize bytes; stops at the first
    // failure and returns it.
    Status GetStrings(const char* const* keys, char* const* outs, size_t outSize);
    // The value as a decimal integer; 0 when the key cannot be read.
    int32_t GetInt(const char* key);

    Status LastError() const { return lastError_; }
    Stream& GetStream() { return *stream_; }

private:
    Status Record(Status status);
    // Start of the selected section's lines, or null with *status set.
    const char* SectionStart(Status* status) const;

    FileStream fileStream_;
    Stream* stream_;
    Status lastError_ = kStatusOk;
    int32_t capacity_ = 0;   // size of the longest file loaded into text_
    char* text_ = nullptr;   // zero-terminated; from EngineAllocate
    char section_[kMaxSectionName + 3] = {};  // "[" name "]", empty when none
};
