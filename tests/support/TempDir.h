#pragma once
#include <filesystem>
#include <string>

// A fresh folder under the system's temporary folder, removed with its
// contents when the object goes.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& Path() const { return path_; }
    std::string Str() const { return path_.string(); }
    // Writes `text` to a file under the folder, creating folders on the way.
    void WriteFile(const std::string& relative, const std::string& text) const;

private:
    std::filesystem::path path_;
};
