#include "bench/BenchSampleTree.h"

#include <unistd.h>

#include <filesystem>
#include <system_error>

#include "tools/mkdata/SampleTree.h"

namespace {

struct SampleTree {
    SampleTree() {
        const std::filesystem::path dir =
            std::filesystem::temp_directory_path() / ("vorn-bench-" + std::to_string(getpid()));
        if (WriteSampleTree(dir.string(), &error)) {
            root = dir.string();
        } else {
            std::error_code ignored;
            std::filesystem::remove_all(dir, ignored);
        }
    }
    ~SampleTree() {
        std::error_code ignored;
        if (!root.empty()) std::filesystem::remove_all(root, ignored);
    }
    std::string root, error;
};

}  // namespace

const std::string& BenchSampleTree(std::string* error) {
    static const SampleTree tree;
    if (error != nullptr) *error = tree.error;
    return tree.root;
}
