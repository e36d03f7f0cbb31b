#include "tests/support/FileContents.h"

#include <fstream>
#include <iterator>

std::string FileContents(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}
