#pragma once
#include <array>
#include <string>

// The seven data directories the game reads from, each recognised by a
// probe file inside it.
enum class DataDir : int { kData = 0, kVideo, kCel, kOption, kXmi, kMesh, kMissions };

class DataDirectories {
public:
    static constexpr int kCount = 7;
    static constexpr const char* kNames[kCount] = {"data", "video", "cel", "option", "xmi", "mesh", "missions"};
    // The file whose presence marks a directory as the game's.
    static constexpr const char* kProbeFile = "vorn.dir";
    // Under a disc's root the directories sit in this folder.
    static constexpr const char* kDiscFolder = "vorn";

    // Looks for each directory first under `workRoot`, then under the root of
    // every mounted disc; true when all seven were found.
    bool Find(const std::string& workRoot);
    // The directory's prefix, ending in '/', ready for a file name to be appended.
    const std::string& Prefix(DataDir dir) const { return prefixes_[static_cast<int>(dir)]; }
    bool Found(DataDir dir) const { return !Prefix(dir).empty(); }
    // A path the data names relative to the game's own folder (the one that
    // holds the data directory): the folder is put before it. An absolute
    // path, or any path before the directories are found, stays as it is.
    std::string FromGameFolder(const char* relative) const;
    void Clear();

private:
    std::array<std::string, kCount> prefixes_;
};

// The directories found at start-up; empty prefixes before then.
extern DataDirectories g_dataDirs;
