#include "game/TextInput.h"

#include <cstring>

char* g_textInput = nullptr;
int32_t g_textInputSize = 0;

namespace {

constexpr uint32_t kBackspace = 8;
constexpr uint32_t kFirstPrintable = 32;
// The buffer holds bytes; a code point past them has no place in the
// game's fonts.
constexpr uint32_t kLastByte = 255;

}  // namespace

void SetTextInputBuffer(int32_t size) {
    delete[] g_textInput;
    g_textInput = nullptr;
    g_textInputSize = 0;
    if (size < 1) return;
    g_textInput = new char[size_t(size)]();
    g_textInputSize = size;
}

void TypeTextInput(uint32_t character) {
    if (g_textInput == nullptr) return;
    const size_t length = std::strlen(g_textInput);
    if (character == kBackspace) {
        if (length > 0) g_textInput[length - 1] = '\0';
        return;
    }
    if (character < kFirstPrintable || character > kLastByte) return;
    // A size of 1 or 2 leaves room for nothing; the comparison is signed
    // so that it does not wrap.
    if (int64_t(length) >= int64_t(g_textInputSize) - 2) return;
    g_textInput[length] = char(uint8_t(character));
    g_textInput[length + 1] = '\0';
}
