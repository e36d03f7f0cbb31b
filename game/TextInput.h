#pragma once
#include <cstdint>

// The typed-text buffer: what the player types while a screen wants text
// (a save slot's name, a search). A screen asks for one of the size it
// wants; the window procedure types into it. Null while no screen asked.
extern char* g_textInput;
// Its size in bytes with the terminating zero; 0 without a buffer.
extern int32_t g_textInputSize;

// Frees the buffer and makes an empty one of `size` bytes; none when `size`
// is below 1.
void SetTextInputBuffer(int32_t size);

// One typed character (a code point) into the buffer: backspace takes the
// last character away; carriage return, line feed and every other code
// below 32 are ignored, and so is anything past one byte; a printable
// character is added only while the text is shorter than the size - 2.
// Nothing happens without a buffer.
void TypeTextInput(uint32_t character);
