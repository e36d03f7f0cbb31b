#pragma once
#include <string>
#include <vector>

namespace platform {

// The names of the regular files in `folder` (empty: the working folder)
// that end in `suffix`, compared ignoring case, sorted by name; none for a
// folder that cannot be read.
std::vector<std::string> ListFiles(const std::string& folder, const char* suffix);

}  // namespace platform
