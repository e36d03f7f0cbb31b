#include "platform/FolderListing.h"

#include <dirent.h>
#include <strings.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstring>

namespace platform {

std::vector<std::string> ListFiles(const std::string& folder, const char* suffix) {
    std::vector<std::string> names;
    const std::string where = folder.empty() ? std::string(".") : folder;
    DIR* const directory = opendir(where.c_str());
    if (directory == nullptr) return names;
    const size_t suffixLength = suffix != nullptr ? std::strlen(suffix) : 0;
    while (const dirent* const entry = readdir(directory)) {
        const size_t length = std::strlen(entry->d_name);
        if (length <= suffixLength || strcasecmp(entry->d_name + length - suffixLength, suffix != nullptr ? suffix : "") != 0) {
            continue;
        }
        struct stat info {};
        const std::string path = where + "/" + entry->d_name;
        if (stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) continue;
        names.emplace_back(entry->d_name);
    }
    closedir(directory);
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace platform
