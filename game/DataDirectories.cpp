#include "game/DataDirectories.h"

#include <vector>

#include "platform/FileSystem.h"
#include "platform/RemovableMedia.h"

DataDirectories g_dataDirs;

namespace {

std::string WithSlash(std::string path) {
    if (!path.empty() && path.back() != '/') path += '/';
    return path;
}

// Through the file layer, so the probe ignores case as every later lookup does.
bool IsFile(const std::string& path) {
    const int64_t attributes = platform::FileSystem::Current().Attributes(path.c_str());
    return attributes >= 0 && (attributes & platform::kFileAttrDirectory) == 0;
}

}  // namespace

bool DataDirectories::Find(const std::string& workRoot) {
    std::string roots[2] = {WithSlash(workRoot.empty() ? std::string(".") : workRoot), {}};
    std::vector<std::string> discs = platform::RemovableMedia::Current().DiscRoots();
    bool all = true;
    for (int i = 0; i < kCount; ++i) {
        prefixes_[i].clear();
        std::string candidate = roots[0] + kNames[i] + '/';
        if (IsFile(candidate + kProbeFile)) {
            prefixes_[i] = candidate;
            continue;
        }
        for (const std::string& disc : discs) {
            candidate = WithSlash(disc) + kDiscFolder + '/' + kNames[i] + '/';
            if (IsFile(candidate + kProbeFile)) {
                prefixes_[i] = candidate;
                break;
            }
        }
        if (prefixes_[i].empty()) all = false;
    }
    return all;
}

std::string DataDirectories::FromGameFolder(const char* relative) const {
    std::string path = relative != nullptr ? relative : "";
    const std::string& data = Prefix(DataDir::kData);
    if (path.empty() || path[0] == '/' || path[0] == '\\' || data.size() < 2) return path;
    // The prefix ends in '/': the folder is everything up to the slash before that.
    const size_t slash = data.rfind('/', data.size() - 2);
    return (slash == std::string::npos ? std::string() : data.substr(0, slash + 1)) + path;
}

void DataDirectories::Clear() {
    for (std::string& prefix : prefixes_) {
        prefix.clear();
        prefix.shrink_to_fit();
    }
}
