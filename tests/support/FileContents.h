#pragma once
#include <filesystem>
#include <string>

// Every byte of a file, read back the way a test checks what was written;
// empty when the file cannot be opened.
std::string FileContents(const std::filesystem::path& file);
